#include "screenfit.h"

#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace {

double screenDpi(const QWidget* w, bool horizontal) {
    const QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return 96.0;
    return horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
}

// One direction of the fit: from start over extent pixels, with frame pixels of frame. The window
// keeps its place and gives up size while at least half the screen remains for it; else it
// moves.
std::pair<int, int> fitAlong(int place, int size, int start, int extent, int frame) {
    int p = std::max(place, start);
    int s = std::min(size, start + extent - p - frame);
    if (s < std::min(size, extent / 2)) {
        s = std::min(size, extent - frame);
        p = std::clamp(place, start, start + extent - s - frame);
    }
    return {p, std::max(1, s)};
}

} // namespace

QRect fitToScreen(const QRect& wanted, const QRect& available, const QMargins& frame) {
    const auto [x, width] = fitAlong(wanted.x(), wanted.width(), available.x(), available.width(),
                                     frame.left() + frame.right());
    const auto [y, height] = fitAlong(wanted.y(), wanted.height(), available.y(),
                                      available.height(), frame.top() + frame.bottom());
    return QRect(x, y, width, height);
}

void placeOnScreen(QWidget* window, const QRect& wanted) {
    QScreen* screen = QGuiApplication::screenAt(wanted.topLeft());
    if (!screen)
        screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window->resize(wanted.size());
        window->move(wanted.topLeft());
        return;
    }
    // Before the window is first shown its frame is not known: a title bar of two lines of type
    // and a narrow border are allowed for.
    QMargins frame = window->windowHandle() && window->isVisible()
                         ? window->windowHandle()->frameMargins()
                         : QMargins();
    if (frame.isNull()) {
        const int line = window->fontMetrics().height();
        frame = QMargins(line / 4, line * 2, line / 4, line / 4);
    }
    const QRect fitted = fitToScreen(wanted, screen->availableGeometry(), frame);
    window->resize(fitted.size());
    window->move(fitted.topLeft());
}

int toPixelsX(const QWidget* w, double twips) {
    return twipsToPixels(twips, screenDpi(w, true));
}
int toPixelsY(const QWidget* w, double twips) {
    return twipsToPixels(twips, screenDpi(w, false));
}
int toTwipsX(const QWidget* w, int pixels) {
    return pixelsToTwips(pixels, screenDpi(w, true));
}
int toTwipsY(const QWidget* w, int pixels) {
    return pixelsToTwips(pixels, screenDpi(w, false));
}
