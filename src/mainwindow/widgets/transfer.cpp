// The menu "E&xtras": the table and all records written to a file for spreadsheets, and records
// added from such a file.

#include "tarvexmain.h"

#include "busypointer.h"
#include "csvexport.h"
#include "csvimport.h"
#include "database.h"
#include "editstate.h"
#include "engineerror.h"
#include "importdialog.h"
#include "listdocument.h"
#include "listprogress.h"
#include "messageboxes.h"
#include "recordcontroller.h"
#include "recordtable.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>

namespace {

// Files larger than this are no table of children; reading them would only fill the memory.
constexpr qint64 LargestImport = qint64(1) << 30;

const QString kCsvFilter = QStringLiteral("CSV-Dateien (*.csv *.txt);;Alle Dateien (*)");

} // namespace

bool TarvexMain::exportTo(
    const QString& title, const QString& fileName,
    const std::function<csvexport::Result(const QString&, ListProgress&)>& write, qint64 rows) {
    const std::optional<QString> path =
        askFilePath(this,
                    {title, QStringLiteral("CsvFileDialog"), m_options.documentsFolder,
                     QStringLiteral("%1_%2.csv").arg(fileName, now().date().toString(Qt::ISODate)),
                     kCsvFilter, QStringLiteral("csv"), true},
                    m_options.fileDialogRunner);
    if (!path)
        return false;
    ListProgress progress(this, rows, m_options.progressHook);
    csvexport::Result result;
    try {
        BusyPointer busy;
        result = write(*path, progress);
    } catch (const EngineError& e) {
        progress.close();
        m_boxes.show(this,
                     QStringLiteral("Die Daten konnten nicht gelesen werden:\r%1\r\rEs wurde keine "
                                    "Datei geschrieben.")
                         .arg(e.description()),
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical);
        return false;
    }
    progress.close();
    if (result == csvexport::Result::Failed)
        m_boxes.show(this, MessageBoxes::notWrittenText(*path), MessageBoxes::Buttons::Ok,
                     MessageBoxes::Icon::Warning);
    if (result != csvexport::Result::Done)
        return false;
    m_kMain->setText(
        QStringLiteral("Die Tabelle ist gespeichert: %1").arg(QDir::toNativeSeparators(*path)));
    return true;
}

void TarvexMain::exportTable() {
    const Snapshot* rows = m_table->recordset();
    if (!rows)
        return;
    QStringList captions;
    for (int c = 0; c < rows->columnCount(); ++c) {
        const FieldDef* field = findField(rows->columnName(c));
        captions << (field && field->tableCaption ? QString::fromUtf8(field->tableCaption)
                                                  : rows->columnName(c));
    }
    exportTo(
        QStringLiteral("Tabelle exportieren"), QStringLiteral("Tabelle"),
        [rows, &captions](const QString& path, ListProgress& progress) {
            return csvexport::saveTable(
                *rows, captions, path, [&progress](qint64 done, qint64 total) {
                    return progress.step(QStringLiteral("Die Tabelle wird geschrieben ..."), done,
                                         total);
                });
        },
        rows->rowCount());
}

void TarvexMain::exportAll() {
    Database* db = m_records->database();
    if (!db)
        return;
    qint64 rows = 0;
    try {
        rows = db->recordCount();
    } catch (const EngineError&) {
        // The export itself says what is wrong.
    }
    exportTo(
        QStringLiteral("Alle Daten exportieren"), QStringLiteral("Kinderdaten"),
        [db](const QString& path, ListProgress& progress) {
            return csvexport::saveAll(*db, path, [&progress](qint64 done, qint64 total) {
                return progress.step(QStringLiteral("Die Datensätze werden geschrieben ..."), done,
                                     total);
            });
        },
        rows);
}

void TarvexMain::importRecords() {
    Database* db = m_records->database();
    if (!db || isEditing(m_records->state()))
        return;
    const std::optional<QString> path =
        askFilePath(this,
                    {QStringLiteral("Daten importieren"), QStringLiteral("CsvFileDialog"),
                     m_options.documentsFolder, QString(), kCsvFilter, QString(), false},
                    m_options.fileDialogRunner);
    if (!path)
        return;
    const QString unchanged = QStringLiteral("\r\rDie Datenbank bleibt unverändert.");
    auto refuse = [&](const QString& why) {
        m_boxes.show(this,
                     QStringLiteral("Die Datei\r%1\rkann nicht importiert werden:\r%2")
                             .arg(QDir::toNativeSeparators(*path), why) +
                         unchanged,
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical);
    };

    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(QStringLiteral("Sie lässt sich nicht lesen (%1).").arg(file.errorString()));
        return;
    }
    if (file.size() > LargestImport) {
        refuse(QStringLiteral("Sie ist mit %1 MB zu groß für eine Tabelle mit Kinderdaten.")
                   .arg(file.size() >> 20));
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();

    // Reading and checking: progress by the bytes of the file.
    std::unique_ptr<csvimport::Import> import;
    QString problem;
    {
        ListProgress progress(this, bytes.size() / 200, m_options.progressHook);
        BusyPointer busy;
        import = csvimport::Import::read(bytes, &problem, [&progress](qint64 done, qint64 total) {
            return progress.step(QStringLiteral("Die Datei wird gelesen und geprüft ..."), done,
                                 total);
    });
}
if (!import) {
    if (!problem.isEmpty())
        refuse(problem);
    return;
}

QSet<qint64> stored;
try {
    stored = csvimport::storedNumbers(*db);
} catch (const EngineError& e) {
    refuse(e.description());
    return;
}
ImportDialog dialog(*import, stored, *path, this);
if (m_options.importDialogRunner)
    m_options.importDialogRunner(dialog);
else
    dialog.exec();
if (dialog.result() != QDialog::Accepted)
    return;

std::optional<int> added;
try {
    ListProgress progress(this, import->acceptedCount(), m_options.progressHook);
    BusyPointer busy;
    added = import->store(*db, dialog.clash(), [&progress](qint64 done, qint64 total) {
        return progress.step(QStringLiteral("Die Datensätze werden gespeichert ..."), done, total);
    });
} catch (const EngineError& e) {
    m_boxes.show(this,
                 QStringLiteral("Die Datensätze konnten nicht gespeichert werden:\r%1\r\rEs "
                                "wurde kein Datensatz importiert.")
                         .arg(e.description()) +
                     unchanged,
                 MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical);
    return;
}
if (!added) {
    m_boxes.show(this,
                 QStringLiteral("Der Import wurde abgebrochen; es wurde kein Datensatz "
                                "gespeichert.") +
                     unchanged,
                 MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
    return;
}
// The new records are shown in the table; the record shown before stays shown.
const QString shown = m_shownNr;
m_records->reopenAfterRestore();
m_shownNr.clear();
refreshAndShow(shown);
m_boxes.show(this,
             *added == 1 ? QStringLiteral("1 Datensatz wurde importiert.")
                         : QStringLiteral("%1 Datensätze wurden importiert.").arg(*added),
             MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
}
