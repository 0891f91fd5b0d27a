#pragma once

#include <QRect>

// Where the preview window puts the page view and its two scroll bars, and which part of the
// sheet the view shows. All sizes are pixels of the window.
struct PreviewLayoutInput {
    int width = 0;         // inner width of the window
    int height = 0;        // inner height of the window
    int statusHeight = 0;  // the status bar along the bottom
    int hScrollHeight = 0; // the horizontal scroll bar
    int vScrollWidth = 0;  // the vertical scroll bar
    int sheetWidth = 0;    // the sheet at its own size
    int sheetHeight = 0;
    int hValue = 0; // scroll bar positions, 0 to ScrollMax
    int vValue = 0;
};

struct PreviewLayout {
    QRect hScroll;
    QRect vScroll;
    bool hScrollVisible = true;
    bool vScrollVisible = true;
    QRect view; // where the sheet is shown in the window
    int x0 = 0; // the point of the sheet shown at the view's top-left corner
    int y0 = 0;
};

// A sheet that fits the window in a direction is centred in it and that direction's scroll bar
// is hidden; in a direction where it does not fit, the view starts at the window's edge and the
// scroll bar moves it over the sheet (0 its beginning, ScrollMax its end).
PreviewLayout layOutPreview(const PreviewLayoutInput& in);

constexpr int ScrollMax = 100;
