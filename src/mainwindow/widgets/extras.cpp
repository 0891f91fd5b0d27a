// The menu "E&xtras": the automatic backups at start and end, restoring a backup, and the
// information for parents about the child shown.

#include "tarvexmain.h"

#include "backupfolder.h"
#include "busypointer.h"
#include "database.h"
#include "editstate.h"
#include "listdocument.h"
#include "messageboxes.h"
#include "recordcontroller.h"
#include "restoredialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QRegularExpression>

namespace {

// A part of a file name made of a name: characters a folder cannot hold and blanks become "_".
QString fileNamePart(const QString& name) {
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\s]+"));
    QString part = name.trimmed();
    part.replace(unsafe, QStringLiteral("_"));
    return part.isEmpty() || part == QLatin1String("-") ? QStringLiteral("_") : part;
}

// The entries of the table files, after a separator.
enum { ExportTable = 3, ExportAll = 4, ImportRecords = 5 };

QString when(const QDateTime& time) {
    return QStringLiteral("%1 um %2 Uhr").arg(backupDate(time), backupTime(time));
}

} // namespace

QDateTime TarvexMain::now() const {
    return m_options.clock ? m_options.clock() : QDateTime::currentDateTime();
}

void TarvexMain::backupAtStart() {
    Database* db = m_records->database();
    // A server's database is backed up on the server, not as copies of a file.
    if (!db || !db->isFile())
        return;
    m_backups = std::make_unique<AutomaticBackups>(BackupFolder(db->path(), m_options.clock));
    const std::optional<QString> problem = m_backups->atStart(*db);
    if (problem)
        m_boxes.show(this, *problem, MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning);
}

void TarvexMain::backupAtShutdown() {
    Database* db = m_records->database();
    if (!db || !m_backups)
        return;
    const std::optional<QString> problem = m_backups->atShutdown(*db);
    if (problem)
        m_boxes.show(this, *problem, MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning);
}

void TarvexMain::updateExtrasMenu() {
    const bool browsing = m_records->isOpen() && !isEditing(m_records->state());
    m_menus->entry(MainMenus::Extras, 0)->setEnabled(browsing && m_backups != nullptr);
    m_menus->entry(MainMenus::Extras, 1)->setEnabled(browsing && !m_shownNr.isEmpty());
    for (int element : {ExportTable, ExportAll, ImportRecords})
        m_menus->entry(MainMenus::Extras, element)->setEnabled(browsing);
}

void TarvexMain::mnuExtrasSub_Click(int element) {
    if (element == 0)
        restoreBackup();
    else if (element == 1)
        childInformation();
    else if (element == ExportTable)
        exportTable();
    else if (element == ExportAll)
        exportAll();
    else if (element == ImportRecords)
        importRecords();
}

void TarvexMain::restoreBackup() {
    if (!m_records->isOpen() || !m_backups)
        return;
    // The input of a record being entered or changed would be lost, or stored into the restored
    // file; it is saved or dropped first.
    if (isEditing(m_records->state())) {
        m_boxes.show(this,
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
        m_boxes.show(this,
                     QStringLiteral("Im Ordner\r%1\rliegt keine Datensicherung.")
                         .arg(QDir::toNativeSeparators(folder.path())),
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
        return;
    }
    RestoreDialog dialog(entries, folder.path(), this);
    if (m_options.restoreDialogRunner)
        m_options.restoreDialogRunner(dialog);
    else
        dialog.exec();
    const std::optional<BackupEntry> chosen = dialog.chosen();
    if (dialog.result() != QDialog::Accepted || !chosen)
        return;

    const QString records = chosen->records ? QStringLiteral("%1 Datensätze").arg(*chosen->records)
                                            : QStringLiteral("nicht lesbar");
    const auto answer = m_boxes.show(
        this,
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
        result = ::restoreBackup(*m_records->database(), folder, chosen->file);
    }
    const QString unchanged = QStringLiteral("\r\rDie Datenbank bleibt unverändert.");
    switch (result.outcome) {
    case RestoreResult::Outcome::Refused:
        m_boxes.show(this,
                     QStringLiteral("Die Datensicherung vom %1 kann nicht zurückgespielt "
                                    "werden:\r%2")
                             .arg(when(chosen->file.time), result.reason) +
                         unchanged,
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical);
        return;
    case RestoreResult::Outcome::NotBackedUp:
        m_boxes.show(this,
                     QStringLiteral("Der jetzige Stand der Datenbank kann nicht gesichert "
                                    "werden:\r%1\r\rDeshalb wird die Datensicherung nicht "
                                    "zurückgespielt.")
                             .arg(result.reason) +
                         unchanged,
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical);
        return;
    case RestoreResult::Outcome::Failed:
        m_boxes.show(this,
                     QStringLiteral("Die Datensicherung vom %1 konnte nicht zurückgespielt "
                                    "werden:\r%2")
                             .arg(when(chosen->file.time), result.reason) +
                         unchanged,
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical);
        return;
    case RestoreResult::Outcome::Restored:
        break;
    }
    // The restored records are shown: the full-record set and the table are read anew, the
    // search stays, the first record by number is shown.
    m_records->reopenAfterRestore();
    m_shownNr.clear();
    refreshAndShow(QString());
    m_boxes.show(this,
                 QStringLiteral("Die Datensicherung vom %1 ist zurückgespielt: %2 "
                                "Datensätze.\r\rDer Stand davor ist gesichert als\r%3")
                     .arg(when(chosen->file.time))
                     .arg(result.records)
                     .arg(QDir::toNativeSeparators(result.before.path)),
                 MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
}

void TarvexMain::childInformation() {
    if (m_shownNr.isEmpty() || isEditing(m_records->state()))
        return;
    // What is stored, read afresh: the form may show what another workstation has changed since.
    const QString nr = m_shownNr;
    const RecordController::ReadResult read = m_records->Data_Reposition(nr);
    if (read.outcome == RecordController::Read::Missing) {
        recordGone(nr);
        return;
    }
    if (read.outcome != RecordController::Read::Done)
        return;
    auto text = [&read](const char* name) {
        return read.texts[size_t(fieldIndex(QString::fromLatin1(name)))];
    };
    const std::optional<QString> path =
        askPdfPath(this, QStringLiteral("Auskunft als PDF-Datei speichern"),
                   QStringLiteral("InfoFileDialog"), m_options.documentsFolder,
                   QStringLiteral("Auskunft_%1_%2.pdf")
                       .arg(fileNamePart(text("KNach")), fileNamePart(text("KVor"))),
                   m_options.fileDialogRunner);
    if (!path)
        return;

    BusyPointer busy;
    const std::unique_ptr<ListDocument> document = childInfoDocument(
        read.texts, m_settings, now().date().toString(QStringLiteral("dd.MM.yyyy")));
    if (document->result() != ListPlan::Result::Pages) {
        m_boxes.show(this,
                     QStringLiteral("Die Seitenränder und Schriften lassen auf der Seite keinen "
                                    "Platz für die Auskunft. Bitte verkleinern Sie sie unter "
                                    "\"Einstellungen\" - \"Seitenlayout\"."),
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning);
        return;
    }
    if (savePdf(*document, *path) == OutputResult::Done) {
        m_kMain->setText(QStringLiteral("Die Auskunft ist gespeichert: %1")
                             .arg(QDir::toNativeSeparators(*path)));
        return;
    }
    m_boxes.show(this, MessageBoxes::notWrittenText(*path), MessageBoxes::Buttons::Ok,
                 MessageBoxes::Icon::Warning);
}
