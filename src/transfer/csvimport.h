#pragma once

#include "csvformat.h"
#include "rawrecord.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Database;

// Adds records from a table file: one written by the full export, one written from an old
// database file by mdb-export, or one a spreadsheet saved. Columns are found by their field
// names (or the table's captions); the file is read and every row checked before anything is
// written, and the accepted rows are then stored in one transaction.
//
// Values: a field without quotes and without text is no value (Null) and stays so, as in the
// file it came from; an empty text ("") and a column the file does not have get what a save
// writes for an empty box of a new record ("-", "o.K.", "0000000", 0, KEssen "nein"). A record
// without a number is refused, as is every value a save would refuse.
namespace csvimport {

// Called now and then with the work done and the work in all; false cancels.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// What happens to a record whose number is stored already or came earlier in the file.
enum class Clash { Skip, Renumber };

// A row that will not be stored: its row as a spreadsheet counts it (the header is row 1), its
// number as far as it could be read, and why.
struct Refusal {
    int row = 0;
    QString nr;
    QString reason;
};

class Import {
  public:
    // Reads and checks the whole file. A file that is not such a table gives nothing, with the
    // German reason in problem; a cancel gives nothing with an empty problem.
    static std::unique_ptr<Import> read(const QByteArray& bytes, QString* problem,
                                        const Progress& progress = {});

    QString encoding() const { return m_encoding; }
    char separator() const { return m_separator; }
    int rowCount() const { return m_rowCount; } // rows below the header
    int acceptedCount() const { return int(m_rows.size()); }
    const QList<Refusal>& refused() const { return m_refused; }
    const QStringList& ignoredColumns() const { return m_ignored; } // headings of no field
    const QStringList& missingFields() const { return m_missing; }  // fields of no column

    // The numbers of accepted rows that are stored already (numbers) or come earlier in the
    // file, in the file's order.
    QList<qint64> takenNumbers(const QSet<qint64>& stored) const;
    // How many records storing would add with clash, given the numbers stored.
    int addedCount(const QSet<qint64>& stored, Clash clash) const;

    // Stores the accepted rows in one transaction: all or none. Clashes are settled against the
    // numbers stored at that moment (under the write lock), so a record another workstation
    // added meanwhile is never overwritten. Returns how many were added, nothing when progress
    // cancelled; engine failures are EngineError, and then nothing is stored either.
    std::optional<int> store(Database& db, Clash clash, const Progress& progress = {}) const;

  private:
    struct Row {
        qsizetype position; // where the row starts in m_text
        qint64 nr;
    };
    // The numbers storing gives the accepted rows: a number, or nothing for a row skipped.
    std::vector<std::optional<qint64>> numbering(const QSet<qint64>& stored, Clash clash) const;

    QByteArray m_text; // UTF-8
    QString m_encoding;
    char m_separator = ';';
    std::array<int, FieldCount> m_columns{}; // the file's column of each field, or -1
    int m_columnCount = 0;
    int m_rowCount = 0;
    std::vector<Row> m_rows;
    QList<Refusal> m_refused;
    QStringList m_ignored;
    QStringList m_missing;
};

// The numbers stored in db, for takenNumbers and addedCount.
QSet<qint64> storedNumbers(Database& db);

} // namespace csvimport
