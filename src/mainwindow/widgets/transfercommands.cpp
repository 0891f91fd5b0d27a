#include "transfercommands.h"

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

#include <QDir>
#include <QFile>

namespace {

// Files larger than this are no table of children; reading them would only fill the memory.
constexpr qint64 LargestImport = qint64(1) << 30;

const QString kCsvFilter = QStringLiteral("CSV-Dateien (*.csv *.txt);;Alle Dateien (*)");

} // namespace

TransferCommands::TransferCommands(const CommandContext& context, const RecordTable& table,
                                   QObject* parent)
    : QObject(parent), m_context(context), m_table(table) {}

void TransferCommands::exportTo(
    const QString& title, const QString& fileName,
    const std::function<csvexport::Result(const QString&, ListProgress&)>& write, qint64 rows) {
    MessageBoxes& boxes = *m_context.boxes;
    const std::optional<QString> path = askFilePath(
        m_context.window,
        {title, QStringLiteral("CsvFileDialog"), m_context.documentsFolder,
         QStringLiteral("%1_%2.csv").arg(fileName, m_context.now().date().toString(Qt::ISODate)),
         kCsvFilter, QStringLiteral("csv"), true},
        boxes);
    if (!path)
        return;
    ListProgress progress(m_context.window, rows, &boxes);
    csvexport::Result result;
    try {
        BusyPointer busy;
        result = write(*path, progress);
    } catch (const EngineError& e) {
        progress.close();
        boxes.show(m_context.window,
                   QStringLiteral("Die Daten konnten nicht gelesen werden:\r%1\r\rEs wurde keine "
                                  "Datei geschrieben.")
                       .arg(e.description()),
                   MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical);
        return;
    }
    progress.close();
    if (result == csvexport::Result::Failed)
        boxes.show(m_context.window, MessageBoxes::notWrittenText(*path), MessageBoxes::Buttons::Ok,
                   MessageBoxes::Icon::Warning);
    if (result != csvexport::Result::Done)
        return;
    emit statusMessage(
        QStringLiteral("Die Tabelle ist gespeichert: %1").arg(QDir::toNativeSeparators(*path)));
}

void TransferCommands::exportTable() {
    const Snapshot* rows = m_table.recordset();
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

void TransferCommands::exportAll() {
    Database* db = m_context.records->database();
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

void TransferCommands::importRecords() {
    RecordController& records = *m_context.records;
    MessageBoxes& boxes = *m_context.boxes;
    QWidget* window = m_context.window;
    Database* db = records.database();
    if (!db || isEditing(records.state()))
        return;
    const std::optional<QString> path =
        askFilePath(window,
                    {QStringLiteral("Daten importieren"), QStringLiteral("CsvFileDialog"),
                     m_context.documentsFolder, QString(), kCsvFilter, QString(), false},
                    boxes);
    if (!path)
        return;
    const QString unchanged = QStringLiteral("\r\rDie Datenbank bleibt unverändert.");
    auto refuse = [&](const QString& why) {
        boxes.show(window,
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
        ListProgress progress(window, bytes.size() / 200, &boxes);
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
ImportDialog dialog(*import, stored, *path, window);
boxes.run(dialog);
if (dialog.result() != QDialog::Accepted)
    return;

std::optional<int> added;
try {
    ListProgress progress(window, import->acceptedCount(), &boxes);
    BusyPointer busy;
    added = import->store(*db, dialog.clash(), [&progress](qint64 done, qint64 total) {
        return progress.step(QStringLiteral("Die Datensätze werden gespeichert ..."), done, total);
    });
} catch (const EngineError& e) {
    boxes.show(window,
               QStringLiteral("Die Datensätze konnten nicht gespeichert werden:\r%1\r\rEs "
                              "wurde kein Datensatz importiert.")
                       .arg(e.description()) +
                   unchanged,
               MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical);
    return;
}
if (!added) {
    boxes.show(window,
               QStringLiteral("Der Import wurde abgebrochen; es wurde kein Datensatz "
                              "gespeichert.") +
                   unchanged,
               MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
    return;
}
// The new records are shown in the table; the record shown before stays shown.
emit imported();
boxes.show(window,
           *added == 1 ? QStringLiteral("1 Datensatz wurde importiert.")
                       : QStringLiteral("%1 Datensätze wurden importiert.").arg(*added),
           MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
}
