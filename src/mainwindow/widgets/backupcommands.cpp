#include "backupcommands.h"

#include "backupfolder.h"
#include "busypointer.h"
#include "database.h"
#include "editstate.h"
#include "messageboxes.h"
#include "recordcontroller.h"
#include "restoredialog.h"

#include <QDir>

namespace {

QString when(const QDateTime& time) {
    return QStringLiteral("%1 um %2 Uhr").arg(backupDate(time), backupTime(time));
}

} // namespace

BackupCommands::BackupCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_context(context) {}

BackupCommands::~BackupCommands() = default;

void BackupCommands::atStart() {
    Database* db = m_context.records->database();
    // A server's database is backed up on the server, not as copies of a file.
    if (!db || !db->isFile())
        return;
    m_backups = std::make_unique<AutomaticBackups>(BackupFolder(db->path(), m_context.clock));
    const std::optional<QString> problem = m_backups->atStart(*db);
    if (problem)
        m_context.boxes->show(m_context.window, *problem, MessageBoxes::Buttons::Ok,
                              MessageBoxes::Icon::Warning);
}

void BackupCommands::atShutdown() {
    Database* db = m_context.records->database();
    if (!db || !m_backups)
        return;
    const std::optional<QString> problem = m_backups->atShutdown(*db);
    if (problem)
        m_context.boxes->show(m_context.window, *problem, MessageBoxes::Buttons::Ok,
                              MessageBoxes::Icon::Warning);
}

void BackupCommands::restore() {
    RecordController& controller = *m_context.records;
    MessageBoxes& boxes = *m_context.boxes;
    QWidget* window = m_context.window;
    if (!controller.isOpen() || !m_backups)
        return;
    // The input of a record being entered or changed would be lost, or stored into the restored
    // file; it is saved or dropped first.
    if (isEditing(controller.state())) {
        boxes.show(window,
                   QStringLiteral("Während ein Datensatz eingegeben oder geändert wird, kann "
                                  "keine Datensicherung zurückgespielt werden.\r\rBitte "
                                  "speichern Sie den Datensatz zuerst."),
                   MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
        return;
    }
    BackupFolder& folder = m_backups->folder();
    QList<BackupEntry> entries;
    {
        BusyPointer busy;
        entries = folder.entries();
    }
    if (entries.isEmpty()) {
        boxes.show(window,
                   QStringLiteral("Im Ordner\r%1\rliegt keine Datensicherung.")
                       .arg(QDir::toNativeSeparators(folder.path())),
                   MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
        return;
    }
    RestoreDialog dialog(entries, folder.path(), window);
    boxes.run(dialog);
    const std::optional<BackupEntry> chosen = dialog.chosen();
    if (dialog.result() != QDialog::Accepted || !chosen)
        return;

    const QString records = chosen->records ? QStringLiteral("%1 Datensätze").arg(*chosen->records)
                                            : QStringLiteral("nicht lesbar");
    const auto answer = boxes.show(
        window,
        QStringLiteral("Soll die Datensicherung vom %1 (%2) zurückgespielt werden?\r\rAlle "
                       "Änderungen seit dieser Sicherung gehen dabei verloren, auch die anderer "
                       "Arbeitsplätze. Der jetzige Stand wird vorher als eigene Datensicherung "
                       "gespeichert.")
            .arg(when(chosen->file.time), records),
        MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question);
    if (answer != MessageBoxes::Answer::Yes)
        return;

    RestoreResult result;
    {
        BusyPointer busy;
        result = ::restoreBackup(*controller.database(), folder, chosen->file);
    }
    QString refusal;
    switch (result.outcome) {
    case RestoreResult::Outcome::Refused:
        refusal = QStringLiteral("Die Datensicherung vom %1 kann nicht zurückgespielt werden:\r%2")
                      .arg(when(chosen->file.time), result.reason);
        break;
    case RestoreResult::Outcome::NotBackedUp:
        refusal = QStringLiteral("Der jetzige Stand der Datenbank kann nicht gesichert werden:"
                                 "\r%1\r\rDeshalb wird die Datensicherung nicht zurückgespielt.")
                      .arg(result.reason);
        break;
    case RestoreResult::Outcome::Failed:
        refusal = QStringLiteral("Die Datensicherung vom %1 konnte nicht zurückgespielt werden:"
                                 "\r%2")
                      .arg(when(chosen->file.time), result.reason);
        break;
    case RestoreResult::Outcome::Restored:
        break;
    }
    if (!refusal.isEmpty()) {
        boxes.show(window, refusal + QStringLiteral("\r\rDie Datenbank bleibt unverändert."),
                   MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical);
        return;
    }
    // The restored records are shown: the full-record set and the table are read anew, the
    // search stays, the first record by number is shown.
    controller.reopenAfterRestore();
    emit restored();
    boxes.show(window,
               QStringLiteral("Die Datensicherung vom %1 ist zurückgespielt: %2 "
                              "Datensätze.\r\rDer Stand davor ist gesichert als\r%3")
                   .arg(when(chosen->file.time))
                   .arg(result.records)
                   .arg(QDir::toNativeSeparators(result.before.path)),
               MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
}
