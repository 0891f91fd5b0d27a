#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class Database;
class QIODevice;
class Snapshot;

// Writes records as a table file for spreadsheets (csvformat.h): the whole table with every
// field, or the rows and columns the window's table shows.
namespace csvexport {

// Called now and then with the rows written and the rows in all; false stops the export.
using Progress = std::function<bool(qint64 done, qint64 total)>;

enum class Result { Done, Cancelled, Failed };

// Every record by ascending number with all 64 fields, headed by the field names, each value as
// it is stored. Null is an empty field; numbers have a decimal comma. An engine failure is thrown
// as EngineError.
Result writeAll(Database& db, QIODevice& out, const Progress& progress = {});

// The rows of the window's table as it shows them, headed by the captions (one per column of
// rows). A text a spreadsheet would take for a formula (csv::looksLikeFormula) is written with an
// apostrophe in front, so that it stays text; the import takes it off again.
Result writeTable(const Snapshot& rows, const QStringList& captions, QIODevice& out,
                  const Progress& progress = {});

// The same into the file at path, which appears only when it is complete: a cancelled or
// failed export leaves the file that was there as it was.
Result saveAll(Database& db, const QString& path, const Progress& progress = {});
Result saveTable(const Snapshot& rows, const QStringList& captions, const QString& path,
                 const Progress& progress = {});

} // namespace csvexport
