#include "messageboxes.h"

#include <QMessageBox>

QString MessageBoxes::errorText(const QString& place, int number, const QString& description,
                                const QStringList& closingLines) {
    QString text =
        QStringLiteral("Fehler in <%1>\r\rNummer :%2 - %3").arg(place).arg(number).arg(description);
    if (!closingLines.isEmpty())
        text += QStringLiteral("\r\r") + closingLines.join(QLatin1Char('\r'));
    return text;
}

MessageBoxes::Answer WidgetMessageBoxes::show(QWidget* parent, const QString& text, Buttons buttons,
                                              Icon icon, const QString& title) {
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? programTitle() : title);
    // Lines are joined by CR in the program's texts; Qt breaks lines on LF.
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

MessageBoxes::Answer RecordingMessageBoxes::show(QWidget*, const QString& text, Buttons buttons,
                                                 Icon icon, const QString& title) {
    Shown s{title.isEmpty() ? programTitle() : title, text, buttons, icon};
    shown.push_back(s);
    if (onShow)
        onShow(s);
    if (!answers.empty()) {
        Answer a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}
