#include "focusmarks.h"

#include <QPainter>
#include <QStyleOption>

namespace {

void frame(QPainter* p, const QRect& r, int width, const QColor& color) {
    p->fillRect(QRect(r.left(), r.top(), r.width(), width), color);
    p->fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), color);
    p->fillRect(QRect(r.left(), r.top(), width, r.height()), color);
    p->fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), color);
}

void drawRing(QPainter* p, const QRect& r, const QPalette& palette) {
    if (r.width() < 6 || r.height() < 6)
        return;
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    frame(p, r, 2, palette.color(QPalette::Text));
    frame(p, r.adjusted(2, 2, -2, -2), 1, palette.color(QPalette::Base));
    p->restore();
}

} // namespace

FocusMarkStyle::FocusMarkStyle() = default;

void FocusMarkStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const {
    if (element == PE_FrameFocusRect) {
        drawRing(painter, option->rect, option->palette);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if ((element == PE_FrameLineEdit || element == PE_PanelButtonCommand) &&
        (option->state & State_HasFocus))
        drawRing(painter, option->rect, option->palette);
}

void FocusMarkStyle::drawControl(ControlElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawControl(element, option, painter, widget);
    // Some styles mark the focused tab with a faint tint only.
    if (element == CE_TabBarTabLabel && (option->state & State_HasFocus))
        drawRing(painter, option->rect.adjusted(3, 3, -3, -1), option->palette);
}

void FocusMarkStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                        QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if ((control == CC_ComboBox || control == CC_SpinBox) && (option->state & State_HasFocus))
        drawRing(painter, option->rect, option->palette);
}
