#include "widgetmessageboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

MessageBoxes::Answer WidgetMessageBoxes::show(QWidget* parent, const QString& text, Buttons buttons,
                                              Icon icon, const QString& title) {
    // A box asked for without a window is shown over the active one.
    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? programTitle() : title);
    // Lines are joined by CR in the program's texts; Qt breaks lines on LF.
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                              QMessageBox::Question, QMessageBox::Warning,
                                              QMessageBox::Information};
    box.setIcon(icons[int(icon)]);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNoOrBack: {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        // Escape and the close button take the way back, which has no button of its own.
        QAbstractButton* back = box.button(QMessageBox::Cancel);
        back->hide();
        box.setEscapeButton(back);
        break;
    }
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        // Closed by the window's button or Escape: the answer that changes nothing.
        if (buttons == Buttons::YesNoCancel || buttons == Buttons::OkCancel ||
            buttons == Buttons::YesNoOrBack)
            return Answer::Cancel;
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

void WidgetMessageBoxes::run(QDialog& dialog) {
    dialog.exec();
}

std::optional<QString> WidgetMessageBoxes::askPassword(QWidget* parent, const QString& title,
                                                       const QString& prompt) {
    bool ok = false;
    const QString password =
        QInputDialog::getText(parent ? parent : QApplication::activeWindow(), title,
                              QString(prompt).replace(QLatin1Char('&'), QLatin1String("&&")),
                              QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return password;
}
