// Anchor for the library of main-window rules.
