#include "messageboxes.h"

#include <QDir>

QString MessageBoxes::errorText(const QString& place, int number, const QString& description,
                                const QStringList& closingLines) {
    QString text =
        QStringLiteral("Fehler in <%1>\r\rNummer :%2 - %3").arg(place).arg(number).arg(description);
    if (!closingLines.isEmpty())
        text += QStringLiteral("\r\r") + closingLines.join(QLatin1Char('\r'));
    return text;
}

QString MessageBoxes::notWrittenText(const QString& path) {
    return QStringLiteral("Die Datei\r%1\rkonnte nicht geschrieben werden.\r\rBitte prüfen Sie, ob "
                          "der Ordner vorhanden und beschreibbar ist und genug Platz bietet.")
        .arg(QDir::toNativeSeparators(path));
}
