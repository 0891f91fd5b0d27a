#pragma once

#include "rawrecord.h"
#include "recordset.h"
#include "snapshot.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

struct sqlite3;
namespace store {
class Connection;
}

// The open database file (dbDaten). Everything particular to SQLite stays behind this class and
// the record sets it opens. Every failure is thrown as EngineError with a German description.
// A database and its record sets belong to one thread. Text sorts in German dictionary order:
// the ORDER BY terms of Text and Memo columns get the German collation when a statement is
// prepared, and LIKE follows the old engine's wildcards (jetpattern.h).
class Database {
  public:
    // Creates a new database file at path holding the empty table Daten. The file is made
    // under a temporary name beside the target and moved into place only when complete, so a
    // failure never leaves a half-made file, and never destroys a file that was there.
    static void createEmpty(const QString& path);

    // Opens an existing database file read-write. Refuses (EngineError) a missing file, a file
    // that is not a database, an empty file, a write-protected file, and one whose table Daten
    // does not have the 64 columns in order. The file is left exactly as it was when it is
    // refused.
    static std::unique_ptr<Database> open(const QString& path);

    // Checks a file as open() does (a database, every page intact, the table Daten with its 64
    // fields) without writing to it, and returns the number of its records. A file that would
    // be refused is EngineError with the reason.
    static qint64 inspect(const QString& path);
    // The number of records of a file after the quick checks only (a database with the table
    // Daten), without reading every page: for a list of many files.
    static qint64 countRecords(const QString& path);

    // Writes a consistent copy of the whole file to path (which must not exist or be empty),
    // taken under a read lock, so another workstation's save is either in it whole or not at
    // all. The copy is flushed to the disk before this returns.
    void writeCopy(const QString& path);
    // Puts the content of the database at path in place of this file's: first checked as
    // inspect() checks it (a refusal changes nothing), then copied page by page in one
    // transaction under the write lock. The file stays the same file, so other workstations
    // keep working on it and read the new content with their next statement. Record sets
    // opened before must be opened again.
    void replaceWith(const QString& path);
    // Whether records were stored, changed or deleted through this database since it was opened.
    bool changedSinceOpen() const;

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // An updatable record set (dynaset) on a "SELECT ... FROM Daten [WHERE ...] [ORDER BY ...]"
    // statement; any other statement is EngineError 3075.
    std::unique_ptr<RecordSet> openDynaset(const QString& sql);
    // A read-only set of rows (snapshot), read completely and released from the engine at once.
    // A statement that would change the file is refused.
    std::unique_ptr<Snapshot> openSnapshot(const QString& sql);

    // The highest record number stored; nothing for an empty table.
    std::optional<qint64> highestNumber();
    // The different values of the given Text columns in the order of their first appearance:
    // records by ascending Nr and, within a record, the columns in the order given. Values are
    // compared exactly (case and accents count); Null is skipped. One pass over the table, so a
    // fill of the choice lists stays fast at 100,000 records.
    QStringList valuesInOrder(const QStringList& columns);
    // The same for several groups of columns at once, in one pass; one list per group.
    QList<QStringList> valuesInOrder(const QList<QStringList>& groups);

    // The number of stored records.
    qint64 recordCount();
    // Hands every record, all 64 fields, to record in ascending Nr; record returns false to
    // stop. The records are read in one read transaction, so they are one consistent state even
    // while other workstations save.
    void readAll(const std::function<bool(const RawRecord& record)>& record);
    // Stores the records feed hands over, in one transaction under the write lock: all of them,
    // or none when one is refused (EngineError with the engine's reason and the record's
    // number), the feed cancels, or anything fails. Returns how many were stored, nothing when
    // the feed cancelled. Another workstation's lock is EngineError 3260.
    std::optional<int> addRecords(RecordFeed& feed);

    // How long a write waits for another workstation's lock before it gives up (error 3260).
    void setBusyTimeout(int milliseconds);

    QString path() const { return m_path; }
    sqlite3* handle() const;

  private:
    Database(std::shared_ptr<store::Connection> connection, QString path);
    // Shared with the record sets opened on it: the file stays open until the last one closes.
    std::shared_ptr<store::Connection> m_connection;
    QString m_path;
};
