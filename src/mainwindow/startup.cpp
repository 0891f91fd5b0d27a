#include "startup.h"

#include "database.h"
#include "engineerror.h"
#include "messageboxes.h"
#include "recordcontroller.h"
#include "serversignin.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

StartUp::StartUp(const FileLocations& files, MessageBoxes& boxes)
    : m_files(files), m_boxes(boxes), m_settingsFile(files.settingsFolder) {}

void StartUp::failed(int number, const QString& description) {
    m_boxes.show(
        nullptr,
        MessageBoxes::errorText(
            QStringLiteral("TarvexMain.Start_Init"), number, description,
            {QStringLiteral("Dies ist ein unerwarteter Fehler während der Initialisierung."),
             QStringLiteral("Das Programm wird beendet")}),
        MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical, QStringLiteral("Fehler"));
}

void StartUp::settingsWarning(const QString& text, const QString& reason) {
    m_boxes.show(nullptr, text.arg(QDir::toNativeSeparators(m_settingsFile.path()), reason),
                 MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning);
}

bool StartUp::run(const QStringList& arguments, Settings& settings, RecordController& records) {
    m_debug = false;
    try {
        // The folder of a relative database is the current folder. For an installed program
        // these are the user's folders, made at its first start.
        QDir().mkpath(m_files.settingsFolder);
        QDir().mkpath(m_files.dataFolder);
        QDir::setCurrent(m_files.dataFolder);
        for (const QString& a : arguments)
            if (a.contains(QLatin1String("debug")))
                m_debug = true;
        // The settings file from its template when it is missing. A file that cannot be read as
        // settings is said so at once: the program then works with the standard values.
        m_settingsFile.writeTemplateIfMissing();
        const std::optional<QString> unreadable = m_settingsFile.unreadable();
        if (unreadable)
            settingsWarning(QStringLiteral("Die Einstellungsdatei\r%1\rkann nicht gelesen "
                                           "werden: %2\r\rDas Programm arbeitet mit den "
                                           "Standardwerten und überschreibt die Datei nicht."),
                            *unreadable);
        settings.NameDB = m_settingsFile.readNameDB();
        const bool server = Database::isServerAddress(settings.NameDB);
        const QString dbPath = server ? settings.NameDB : databasePath(m_files, settings.NameDB);
        if (!server && !QFileInfo::exists(dbPath)) {
            // The full path: the office sees in which folder the new file would be made.
            QString prompt = QStringLiteral("Die Datenbank <") + QDir::toNativeSeparators(dbPath) +
                             QStringLiteral("> der Belvonia kann nicht gefunden werden!\r\r"
                                            "- Wenn eine neue leere Datenbank erzeugt werden "
                                            "soll, klicken Sie auf <Ja>\r"
                                            "- Wenn Sie vorher die Pfadangabe in der Ini-Datei "
                                            "überprüfen möchten, klicken Sie auf <Nein>");
            auto answer = m_boxes.show(nullptr, prompt, MessageBoxes::Buttons::YesNo,
                                       MessageBoxes::Icon::Critical, QStringLiteral("FEHLER"));
            if (answer != MessageBoxes::Answer::Yes)
                return false;
            Database::createEmpty(dbPath);
        }
        // The time of this start. A file that cannot be written is said so now, not only when
        // the settings are lost at the end.
        QString notWritten;
        if (!unreadable &&
            !m_settingsFile.writeLetzterAufruf(QDateTime::currentDateTime(), &notWritten))
            settingsWarning(QStringLiteral("In die Einstellungsdatei\r%1\rkann nicht "
                                           "geschrieben werden: %2\r\rDas Programm läuft "
                                           "weiter; geänderte Einstellungen können beim Beenden "
                                           "nur gespeichert werden, wenn das behoben ist."),
                            notWritten);
        m_settingsFile.readAddress(settings);
        m_settingsFile.readPrint(settings);
        m_settingsFile.readWindow(settings);
        m_settingsFile.readTable(settings);
        m_settingsFile.readColumnChoice(settings);
        if (!server) {
            records.open(dbPath);
            return true;
        }
        return ServerSignIn(m_boxes).open(
            dbPath, [&](const QString& password) { records.open(dbPath, password); },
            [&](const QString& password) { Database::createServerTable(dbPath, password); });
    } catch (const EngineError& e) {
        failed(e.number(), e.description());
    } catch (const std::exception& e) {
        failed(0, QString::fromLocal8Bit(e.what()));
    }
    records.close();
    return false;
}

void StartUp::saveSettings(const Settings& settings) {
    QString problem;
    if (!m_settingsFile.save(settings, &problem))
        settingsWarning(QStringLiteral("Die Einstellungen konnten nicht in der Datei\r%1\r"
                                       "gespeichert werden: %2"),
                        problem);
}
