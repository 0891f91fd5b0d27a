#include "layout.h"

namespace {

// Window geometry is held in single precision; each expression is evaluated in double from the
// stored values and rounded once when it is stored.
double single(double value) {
    return static_cast<float>(value);
}

void setLeft(TwipRect& r, double left) {
    r.left = single(left);
}

void setWidth(TwipRect& r, double width) {
    const double w = single(width);
    if (w >= 0)
        r.width = w;
}

void setHeight(TwipRect& r, double height) {
    const double h = single(height);
    if (h >= 0)
        r.height = h;
}

// Share of the table's width for each search field but the last, which takes the rest.
constexpr double SearchShare[MainLayout::SearchFieldCount - 1] = {0.18, 0.18, 0.12, 0.13, 0.07};

} // namespace

MainLayout designLayout() {
    MainLayout l;
    l.FrameAllg = {0, 0, 13710, 9495};
    l.DataGrid = {120, 2520, 7095, 6855};
    l.SSTab1 = {7440, 1320, 6255, 8055};

    // Left column above the table, as wide as the table (120 .. 7215).
    const double left = l.DataGrid.left;
    const double G = l.DataGrid.width;

    // History and navigator: back list and button, navigator, forward list and button.
    l.cmbBack = {left, 120, 1395, 330};
    l.cmdBack = {left + 30, 150, 1020, 270};
    l.cmbForward = {left + G - 1395, 120, 1395, 330};
    l.cmdForward = {l.cmbForward.left + 30, 150, 1020, 270};
    l.Data = {l.cmbBack.right() + 90, 120, 0, 330};
    l.Data.width = l.cmbForward.left - l.Data.left - 90;

    l.lblSuchInf = {left, 570, G, 255};

    // Search row: 1275 + 1275 + 855 + 915 + 495 and the place of residence taking the rest,
    // 20 between the fields, flush with the table at both ends.
    const double widths[MainLayout::SearchFieldCount - 1] = {1275, 1275, 855, 915, 495};
    double x = left;
    double used = 0;
    for (int i = 0; i < MainLayout::KOrt; ++i) {
        l.txtSuch[i] = {x, 1155, widths[i], 330};
        x += widths[i] + 20;
        used += widths[i];
    }
    const double lastWidth = G - used - 100;
    l.txtSuch[MainLayout::KOrt] = {left + G - lastWidth, 1155, lastWidth, 330};
    for (int i = 0; i < MainLayout::SearchFieldCount; ++i)
        l.lblSuch[i] = {l.txtSuch[i].left, 930, l.txtSuch[i].width, 225};

    l.cmdSucheLoeschen = {left, 1620, G, 360};
    l.lblAktDS = {left, 2235, G, 270};

    // Header above the record tabs: 64 x 64 pixel pictures, the name between them.
    l.Image1 = {l.SSTab1.left, 180, 960, 960};
    l.lblKiga = {l.SSTab1.left + 1200, 240, 3720, 840};
    l.Image2 = {l.SSTab1.left + 5040, 180, 960, 960};
    return l;
}

void fitToWindow(MainLayout& l, double windowWidth, double windowHeight) {
    const double W = single(windowWidth);
    const double H = single(windowHeight);

    if (W > 12000) {
        setWidth(l.DataGrid, W - l.SSTab1.width - 480);
        const double G = l.DataGrid.width;
        setWidth(l.FrameAllg, W - 120);
        setWidth(l.lblAktDS, G);
        // the forward list's right edge meets the label's
        setLeft(l.cmbForward, l.lblAktDS.left + l.lblAktDS.width - l.cmbForward.width);
        setLeft(l.cmdForward, l.cmbForward.left + 30);
        setWidth(l.Data, l.cmbForward.left - l.Data.left - 90);
        setWidth(l.cmdSucheLoeschen, G);
        setWidth(l.lblSuchInf, G);
        setLeft(l.SSTab1, G + 240);
        setLeft(l.Image1, l.SSTab1.left);
        setLeft(l.lblKiga, l.SSTab1.left + 1200);
        setLeft(l.Image2, l.SSTab1.left + 5040);

        auto& fields = l.txtSuch;
        double rest = G;
        for (int i = 0; i < MainLayout::KOrt; ++i) {
            setWidth(fields[i], SearchShare[i] * G);
            rest -= fields[i].width;
        }
        setWidth(fields[MainLayout::KOrt], rest - 100);
        for (int i = 1; i < MainLayout::KOrt; ++i)
            setLeft(fields[i], fields[i - 1].left + fields[i - 1].width + 20);
        // the last field's right edge meets the table's
        setLeft(fields[MainLayout::KOrt], l.DataGrid.left + G - fields[MainLayout::KOrt].width);

        for (int i = 0; i < MainLayout::SearchFieldCount; ++i)
            setWidth(l.lblSuch[i], fields[i].width);
        for (int i = 0; i < MainLayout::SearchFieldCount; ++i)
            setLeft(l.lblSuch[i], fields[i].left);
    }

    if (H > 10550) {
        setHeight(l.FrameAllg, H - 1000);
        setHeight(l.DataGrid, l.FrameAllg.height - l.DataGrid.top - 120);
        setHeight(l.SSTab1, l.FrameAllg.height - l.SSTab1.top - 120);
    }
}
