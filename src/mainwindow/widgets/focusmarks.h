#pragma once

#include <QProxyStyle>

// The desktop's style with focus marks that stand out: the control with the keyboard focus (a
// tab, a box, a button, the current cell of the table) gets a ring of two lines, the text colour
// outside and the background colour inside, so that one of them differs clearly from whatever
// lies around it, a highlighted row included.
class FocusMarkStyle : public QProxyStyle {
    Q_OBJECT
  public:
    FocusMarkStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
};
