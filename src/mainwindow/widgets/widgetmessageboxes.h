#pragma once

#include "messageboxes.h"

// The real message boxes, shown with QMessageBox; the buttons speak German through Qt's own
// translation.
class WidgetMessageBoxes : public MessageBoxes {
  public:
    Answer show(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                const QString& title = QString()) override;
};
