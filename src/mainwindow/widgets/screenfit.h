#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// Where a window goes that the settings bring back: a size and position stored on another screen,
// or at another zoom, could leave it larger than the screen or partly beside it.

// The window's rectangle fitted to a screen's free area: wanted is the frame's top left corner
// with the size of the client area (as QWidget::move() and resize() take them), frame the widths
// of the window's frame. A window that runs beyond the screen gives up size where it stands, or,
// where that would leave it less than half the screen, moves until all of it lies on the screen.
QRect fitToScreen(const QRect& wanted, const QRect& available, const QMargins& frame);

// Moves and resizes the window to wanted, fitted to the screen it opens on.
void placeOnScreen(QWidget* window, const QRect& wanted);

// Twips as the settings keep a window's size and place, and pixels of the screen the widget is
// on, across (X) and down (Y).
int toPixelsX(const QWidget* w, double twips);
int toPixelsY(const QWidget* w, double twips);
int toTwipsX(const QWidget* w, int pixels);
int toTwipsY(const QWidget* w, int pixels);
