#include "messageboxes.h"

QString MessageBoxes::errorText(const QString& place, int number, const QString& description,
                                const QStringList& closingLines) {
    QString text =
        QStringLiteral("Fehler in <%1>\r\rNummer :%2 - %3").arg(place).arg(number).arg(description);
    if (!closingLines.isEmpty())
        text += QStringLiteral("\r\r") + closingLines.join(QLatin1Char('\r'));
    return text;
}
