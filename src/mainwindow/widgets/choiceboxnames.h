#pragma once

// Qt's screen reader support on Linux announces a combo box that can be typed in by its text, not
// by its name, so the choice boxes of the record would be heard as "ev." or "-". Once called,
// every combo box that has been given an accessible name is announced by it, with its text as
// its value.
void announceComboBoxesByName();
