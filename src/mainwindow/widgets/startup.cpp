// Start-up and shutdown of the main window.

#include "tarvexmain.h"

#include "database.h"

#include "engineerror.h"
#include "historyrow.h"
#include "infobox.h"
#include "messageboxes.h"
#include "recordcontroller.h"
#include "recordform.h"
#include "recordtable.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <QUrlQuery>

// The lock that keeps a second start in the same program folder from running. It lives in the
// user's runtime folder, named after the program folder, so two users or two installations
// never block each other.
QString TarvexMain::instanceLockPath(const QString& programFolder) {
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    QByteArray key = QCryptographicHash::hash(QDir(programFolder).canonicalPath().toUtf8(),
                                              QCryptographicHash::Sha1)
                         .toHex()
                         .left(16);
    return base + QStringLiteral("/tarvex-") + QString::fromLatin1(key) + QStringLiteral(".lock");
}

bool TarvexMain::acquireInstanceLock() {
    if (!m_options.singleInstance)
        return true;
    m_instanceLock = std::make_unique<QLockFile>(instanceLockPath(m_options.programFolder));
    // A lock left by a crashed run is found stale (its process is gone) and taken over.
    m_instanceLock->setStaleLockTime(0);
    if (m_instanceLock->tryLock(0))
        return true;
    if (m_instanceLock->error() == QLockFile::LockFailedError)
        return false; // another instance is running
    // The lock could not be made at all (no runtime folder, say): never keep the program from
    // starting for that.
    m_instanceLock.reset();
    return true;
}

bool TarvexMain::Form_Load() {
    m_bBeenden = false;
    m_bDebug = false;
    if (!acquireInstanceLock()) {
        // A second instance ends at once, silently, and writes nothing.
        m_bBeenden = true;
        return false;
    }
    // The window takes no input until the start screen has gone.
    setEnabled(false);
    if (!Start_Init()) {
        m_bBeenden = true;
        return false;
    }
    backupAtStart();
    show();
    m_startScreen = new InfoBox(m_bDebug, this);
    m_startScreen->setAttribute(Qt::WA_DeleteOnClose);
    m_startScreen->setModal(false);
    m_startScreen->show();
    m_startScreen->raise();
    m_timer1.start();
    m_started = true;
    return true;
}

void TarvexMain::startFailed(int number, const QString& description) {
    m_boxes.show(
        this,
        MessageBoxes::errorText(
            QStringLiteral("TarvexMain.Start_Init"), number, description,
            {QStringLiteral("Dies ist ein unerwarteter Fehler während der Initialisierung."),
             QStringLiteral("Das Programm wird beendet")}),
        MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical, QStringLiteral("Fehler"));
}

bool TarvexMain::Start_Init() {
    try {
        // 1. The folder of a relative database is the current folder. For an installed program
        // these are the user's folders, made at its first start.
        QDir().mkpath(m_options.files.settingsFolder);
        QDir().mkpath(m_options.files.dataFolder);
        QDir::setCurrent(m_options.files.dataFolder);
        // 2. Diagnostic mode: "debug", case-sensitive, anywhere in the arguments.
        for (const QString& a : m_options.arguments)
            if (a.contains(QLatin1String("debug")))
                m_bDebug = true;
        // 3. Settings file from its template when it is missing. A file that cannot be read as
        // settings is said so at once: the program then works with the standard values.
        m_settingsFile.writeTemplateIfMissing();
        const std::optional<QString> unreadable = m_settingsFile.unreadable();
        if (unreadable)
            settingsWarning(QStringLiteral("Die Einstellungsdatei\r%1\rkann nicht gelesen "
                                           "werden: %2\r\rDas Programm arbeitet mit den "
                                           "Standardwerten und überschreibt die Datei nicht."),
                            *unreadable);
        // 4. The database; ask before creating a new empty one.
        m_settings.NameDB = m_settingsFile.readNameDB();
        // A server's address is used as it stands; its table is checked when it is opened.
        const bool server = Database::isServerAddress(m_settings.NameDB);
        QString dbPath =
            server ? m_settings.NameDB : databasePath(m_options.files, m_settings.NameDB);
        if (!server && !QFileInfo::exists(dbPath)) {
            // The full path: the office sees in which folder the new file would be made.
            QString prompt = QStringLiteral("Die Datenbank <") + QDir::toNativeSeparators(dbPath) +
                             QStringLiteral("> der Belvonia kann nicht gefunden werden!\r\r"
                                            "- Wenn eine neue leere Datenbank erzeugt werden "
                                            "soll, klicken Sie auf <Ja>\r"
                                            "- Wenn Sie vorher die Pfadangabe in der Ini-Datei "
                                            "überprüfen möchten, klicken Sie auf <Nein>");
            auto answer = m_boxes.show(this, prompt, MessageBoxes::Buttons::YesNo,
                                       MessageBoxes::Icon::Critical, QStringLiteral("FEHLER"));
            if (answer != MessageBoxes::Answer::Yes)
                return false;
            Database::createEmpty(dbPath);
        }
        // 5. The time of this start. A file that cannot be written is said so now, not only when
        // the settings are lost at the end.
        QString notWritten;
        if (!unreadable &&
            !m_settingsFile.writeLetzterAufruf(QDateTime::currentDateTime(), &notWritten))
            settingsWarning(QStringLiteral("In die Einstellungsdatei\r%1\rkann nicht "
                                           "geschrieben werden: %2\r\rDas Programm läuft "
                                           "weiter; geänderte Einstellungen können beim Beenden "
                                           "nur gespeichert werden, wenn das behoben ist."),
                            notWritten);
        // 6. The kindergarten's address.
        m_settingsFile.readAddress(m_settings);
        m_lblKiga->setText(m_settings.Name);
        // 7. Print settings.
        m_settingsFile.readPrint(m_settings);
        // 8. Window size, position and tab.
        m_settingsFile.readWindow(m_settings);
        resize(toPixelsX(m_settings.Breite), toPixelsY(m_settings.Hoehe));
        move(toPixelsX(m_settings.Links), toPixelsY(m_settings.Oben));
        if (m_settings.Tab >= 0 && m_settings.Tab < m_form->count())
            m_form->setCurrentIndex(m_settings.Tab);
        // 9. Column widths of the table, by position.
        m_settingsFile.readTable(m_settings);
        m_table->setColumnWidthsTwips(m_settings.SpBreite);
        // 10. Column choice.
        m_settingsFile.readColumnChoice(m_settings);
        // 11. History controls start disabled.
        m_historyRow->disableAll();
        // 12. The database and the full-record set.
        if (!server)
            m_records->open(dbPath);
        else if (!openServer(dbPath))
            return false;
        // 13. The window's record set, by number.
        Data_Refresh(QStringLiteral("Nr"), true);
        return true;
    } catch (const EngineError& e) {
        startFailed(e.number(), e.description());
    } catch (const std::exception& e) {
        startFailed(0, QString::fromLocal8Bit(e.what()));
    }
    m_records->close();
    return false;
}

bool TarvexMain::openServer(const QString& uri) {
    const QUrl address(uri);
    const QString shown = address.toDisplayString(QUrl::RemovePassword);
    QString password;
    QString refused;
    for (;;) {
        try {
            m_records->open(uri, password);
            return true;
        } catch (const EngineError& e) {
            switch (e.number()) {
            case ErrorNumber::PasswordNeeded:
            case ErrorNumber::LoginRefused: {
                // Asked again after a refusal, until the user gives up; the password is kept
                // only for this run, never in the settings.
                const QString user = address.userName().isEmpty()
                                         ? QUrlQuery(address).queryItemValue(QStringLiteral("user"))
                                         : address.userName();
                const QUrlQuery query(address);
                const QString host = !address.host().isEmpty()
                                         ? address.host()
                                         : query.queryItemValue(QStringLiteral("host"));
                QString prompt =
                    QStringLiteral("Kennwort für \"%1\" (Datenbank \"%2\" auf %3):")
                        .arg(user.isEmpty() ? QStringLiteral("Ihren Benutzernamen") : user,
                             address.path().mid(1),
                             host.isEmpty() ? QStringLiteral("diesem Rechner") : host);
                if (e.number() == ErrorNumber::LoginRefused)
                    prompt = QStringLiteral("Der Datenbankserver hat die Anmeldung abgelehnt. "
                                            "Bitte prüfen Sie das Kennwort.\n\n") +
                             prompt;
                const std::optional<QString> given = askPassword(prompt);
                if (!given)
                    return false;
                password = *given;
                continue;
            }
            case ErrorNumber::TableNotFound: {
                const auto answer = m_boxes.show(
                    this,
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
                Database::createServerTable(uri, password);
                continue;
            }
            case ErrorNumber::CannotOpen:
                m_boxes.show(this,
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

std::optional<QString> TarvexMain::askPassword(const QString& prompt) {
    if (m_options.passwordRunner)
        return m_options.passwordRunner(prompt);
    bool ok = false;
    const QString password =
        QInputDialog::getText(this, QStringLiteral("Anmeldung am Datenbankserver"),
                              QString(prompt).replace(QLatin1Char('&'), QLatin1String("&&")),
                              QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return password;
}

void TarvexMain::Timer1_Timer() {
    if (m_startScreen)
        m_startScreen->close();
    m_timer1.stop();
    setEnabled(true);
    updateMenus();
    m_table->setFocus();
}

void TarvexMain::closeEvent(QCloseEvent* event) {
    // No closing while the start screen still runs: the window is not yet in use.
    if (m_timer1.isActive()) {
        event->ignore();
        return;
    }
    // A record being entered or changed is not dropped without a word: the save question,
    // with Cancel to go back to the record.
    if (m_started && isEditing(m_records->state()) && !DS_Speichern(true)) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void TarvexMain::settingsWarning(const QString& text, const QString& reason) {
    m_boxes.show(this, text.arg(QDir::toNativeSeparators(m_settingsFile.path()), reason),
                 MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning);
}

void TarvexMain::Form_Unload() {
    if (m_bBeenden || !m_started)
        return;
    m_settings.Tab = m_form->currentIndex();
    m_settings.Hoehe = toTwipsY(height());
    m_settings.Breite = toTwipsX(width());
    m_settings.SpBreite = m_table->columnWidthsTwips();
    m_settings.AnzahlSp = int(m_settings.SpBreite.size());
    QString problem;
    if (!m_settingsFile.save(m_settings, &problem))
        settingsWarning(QStringLiteral("Die Einstellungen konnten nicht in der Datei\r%1\r"
                                       "gespeichert werden: %2"),
                        problem);
    m_table->closeRecordset();
    backupAtShutdown();
    m_records->close();
    m_started = false;
    m_instanceLock.reset();
}
