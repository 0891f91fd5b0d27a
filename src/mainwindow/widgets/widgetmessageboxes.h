#pragma once

#include "messageboxes.h"

// The real message boxes, shown with QMessageBox, and the real dialogs, shown with exec(); the
// buttons speak German through Qt's own translation.
class WidgetMessageBoxes : public MessageBoxes {
  public:
    Answer show(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                const QString& title = QString()) override;
    void run(QDialog& dialog) override;
    std::optional<QString> askPassword(QWidget* parent, const QString& title,
                                       const QString& prompt) override;
};
