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

// A row that will not be stored: the line of the file it starts on, as a text editor or a
// spreadsheet counts lines (the header is line 1, empty lines count, a field with line breaks
// spans several), its number as far as it could be read, and why.
struct Refusal {
    int row = 0;
    QString nr;
    QString reason;
};

// A value of an accepted row that looks like a number a spreadsheet took from a text and so lost
// its leading zeros: a postcode of four digits, a PK-Nummer of fewer digits than "0000000", a
// telephone number of nine digits or more without its leading 0. It is stored as it stands.
struct Suspect {
    int row = 0; // the line, as in Refusal
    QString nr;
    int field = -1;
    QString value;
};

// How the rows of a file are read.
struct Layout {
    std::array<int, FieldCount> columns{};    // the file's column of each field, or -1
    std::array<QString, FieldCount> headings; // the file's heading of that column
    // Headed by the table view's caption, as the table export heads it: a text there may carry
    // the apostrophe the export puts before a text a spreadsheet would take for a formula.
    std::array<bool, FieldCount> captioned{};
    // The decimal mark of numbers: a comma, or a point in a file separated by commas whose
    // numbers have no comma anywhere (as mdb-export writes them).
    char decimalMark = ',';
    bool faults = false; // the text holds bytes that were no UTF-8
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
    // Bytes of a UTF-8 file that are no UTF-8; the rows holding one in a field are refused.
    qsizetype faults() const { return m_faults; }
    // The first ListedColumns headings of no field, and how many there are in all.
    static constexpr int ListedColumns = 8;
    const QStringList& ignoredColumns() const { return m_ignored; }
    int ignoredCount() const { return m_ignoredCount; }
    const QStringList& missingFields() const { return m_missing; } // fields of no column
    char decimalMark() const { return m_layout.decimalMark; }
    // The first ListedSuspects values that may have lost their leading zeros, and how many
    // there are in all.
    static constexpr int ListedSuspects = 20;
    const QList<Suspect>& suspects() const { return m_suspects; }
    int suspectCount() const { return m_suspectCount; }

    // The numbers of accepted rows that are stored already (numbers) or come earlier in the
    // file, in the file's order.
    QList<qint64> takenNumbers(const QSet<qint64>& stored) const;
    // How many records storing would add with clash, given the numbers stored.
    int addedCount(const QSet<qint64>& stored, Clash clash) const;
    // Whether after storing with clash the highest number a record can have is taken, so that
    // no further record can be numbered after the highest (or clash cannot even number these).
    bool takesHighestNumber(const QSet<qint64>& stored, Clash clash) const;

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
    qsizetype m_faults = 0;
    char m_separator = ';';
    Layout m_layout;
    int m_columnCount = 0;
    int m_rowCount = 0;
    std::vector<Row> m_rows;
    QList<Refusal> m_refused;
    QStringList m_ignored;
    int m_ignoredCount = 0;
    QStringList m_missing;
    QList<Suspect> m_suspects;
    int m_suspectCount = 0;
};

// The numbers stored in db, for takenNumbers and addedCount.
QSet<qint64> storedNumbers(Database& db);

} // namespace csvimport
