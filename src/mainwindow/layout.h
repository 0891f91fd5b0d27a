#pragma once

#include <array>

// The main window's layout arithmetic, in twips (1/1440 inch; 15 twips make a pixel at 96 DPI).
// No widgets here: the window keeps a MainLayout, lets fitToWindow update it on every resize and
// then places its controls from it.

struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double right() const { return left + width; }
    double bottom() const { return top + height; }
    bool operator==(const TwipRect&) const = default;
};

// Positions and sizes of the controls the layout moves. All of them lie inside FrameAllg and are
// measured from its top left corner; FrameAllg itself is measured from the top left of the
// window's client area below the menu bar.
struct MainLayout {
    // Order of the search fields (and their labels) from left to right.
    enum SearchField : int { KNach = 0, KVor, KGeb, KGrp, KEssen, KOrt, SearchFieldCount };

    TwipRect FrameAllg;
    TwipRect DataGrid;
    TwipRect SSTab1;
    TwipRect lblAktDS;
    // The history buttons lie on their drop-down lists and leave the lists' arrows free.
    TwipRect cmbBack;
    TwipRect cmdBack;
    TwipRect cmbForward;
    TwipRect cmdForward;
    TwipRect Data;
    std::array<TwipRect, SearchFieldCount> txtSuch;
    std::array<TwipRect, SearchFieldCount> lblSuch;
    TwipRect lblSuchInf;
    TwipRect cmdSucheLoeschen;
    TwipRect Image1;
    TwipRect Image2;
    TwipRect lblKiga;

    bool operator==(const MainLayout&) const = default;
};

// The window's size at design time; the design positions are laid out for it.
constexpr double DesignWindowWidth = 13830;
constexpr double DesignWindowHeight = 10495;

// The design positions. The left column of the frame holds, from the top: the history and
// navigator row, the wildcard hint, the search captions over the search fields, the button that
// clears the search, the "aktueller Datensatz" line and then the table, which fills the rest of
// the frame's height. The record tabs stand to the right of the table, the header (two
// pictures and the kindergarten's name) above them.
MainLayout designLayout();

// Recomputes the layout for a window W twips wide and H twips high from the controls' current
// positions. Horizontal steps run only when W > 12000, vertical ones only when H > 10550, so a
// small or minimized window leaves everything as it was. Every result is stored in single
// precision; a width or height that comes out below zero is not applied.
void fitToWindow(MainLayout& layout, double W, double H);
