#include "serversignin.h"

#include "engineerror.h"
#include "messageboxes.h"

#include <QUrl>
#include <QUrlQuery>

ServerSignIn::ServerSignIn(MessageBoxes& boxes) : m_boxes(boxes) {}

QString ServerSignIn::passwordPrompt(const QString& address, bool refused) {
    const QUrl url(address);
    const QUrlQuery query(url);
    const QString user =
        url.userName().isEmpty() ? query.queryItemValue(QStringLiteral("user")) : url.userName();
    const QString host =
        !url.host().isEmpty() ? url.host() : query.queryItemValue(QStringLiteral("host"));
    QString prompt =
        QStringLiteral("Kennwort für \"%1\" (Datenbank \"%2\" auf %3):")
            .arg(user.isEmpty() ? QStringLiteral("Ihren Benutzernamen") : user, url.path().mid(1),
                 host.isEmpty() ? QStringLiteral("diesem Rechner") : host);
    if (refused)
        prompt = QStringLiteral("Der Datenbankserver hat die Anmeldung abgelehnt. "
                                "Bitte prüfen Sie das Kennwort.\n\n") +
                 prompt;
    return prompt;
}

bool ServerSignIn::open(const QString& address, const Open& open, const MakeTable& makeTable) {
    const QString shown = QUrl(address).toDisplayString(QUrl::RemovePassword);
    QString password;
    for (;;) {
        try {
            open(password);
            return true;
        } catch (const EngineError& e) {
            switch (e.number()) {
            case ErrorNumber::PasswordNeeded:
            case ErrorNumber::LoginRefused: {
                const std::optional<QString> given = m_boxes.askPassword(
                    nullptr, QStringLiteral("Anmeldung am Datenbankserver"),
                    passwordPrompt(address, e.number() == ErrorNumber::LoginRefused));
                if (!given)
                    return false;
                password = *given;
                continue;
            }
            case ErrorNumber::TableNotFound: {
                const auto answer = m_boxes.show(
                    nullptr,
                    QStringLiteral("In der Datenbank <%1> auf dem Datenbankserver gibt es die "
                                   "Tabelle \"Daten\" nicht!\r\r"
                                   "- Wenn eine neue leere Tabelle angelegt werden soll, "
                                   "klicken Sie auf <Ja>\r"
                                   "- Wenn Sie vorher die Angabe in der Ini-Datei überprüfen "
                                   "möchten, klicken Sie auf <Nein>")
                        .arg(shown),
                    MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Critical,
                    QStringLiteral("FEHLER"));
                if (answer != MessageBoxes::Answer::Yes)
                    return false;
                makeTable(password);
                continue;
            }
            case ErrorNumber::CannotOpen:
                m_boxes.show(nullptr,
                             QStringLiteral("Die Verbindung zum Datenbankserver kann nicht "
                                            "hergestellt werden.\r\r%1\r\rBitte prüfen Sie, "
                                            "ob der Server läuft und vom Netzwerk aus erreichbar "
                                            "ist, und die Angabe NameDB in der Ini-Datei.")
                                 .arg(e.description()),
                             MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical,
                             QStringLiteral("FEHLER"));
                return false;
            default:
                throw;
            }
        }
    }
}
