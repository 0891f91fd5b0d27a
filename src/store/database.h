#pragma once

#include "rawrecord.h"
#include "recordset.h"
#include "snapshot.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The open database (dbDaten): a database file on this computer or shared folder, or the table
// Daten on a database server. Which of them it is stays behind this interface and the record
// sets it opens. Every failure is thrown as EngineError with a German description. A database
// and its record sets belong to one thread. Text sorts in German dictionary order, and LIKE
// follows the old engine's wildcards (jetpattern.h), whichever engine holds the records.
class Database {
  public:
    // Opens the database named in the settings: a connection address "postgresql://..." or
    // "postgres://..." opens the table Daten on that server (createServerTable makes it);
    // anything else is the path of a database file, opened as described for files below.
    // password is for a server that asks for one (error 3031 without it, 3029 when it is
    // refused); a server's database without the table Daten is error 3078.
    static std::unique_ptr<Database> open(const QString& nameOrUri,
                                          const QString& password = QString());
    // Makes the empty table Daten in the server's database at uri (the file's counterpart is
    // createEmpty below).
    static void createServerTable(const QString& uri, const QString& password = QString());
    // Whether the name is the address of a database server rather than a file's path.
    static bool isServerAddress(const QString& nameOrUri);

    // ---- Files only ------------------------------------------------------------------------

    // Creates a new database file at path holding the empty table Daten. The file is made
    // under a temporary name beside the target and moved into place only when complete, so a
    // failure never leaves a half-made file, and never destroys a file that was there.
    static void createEmpty(const QString& path);
    // Checks a backup copy as open() checks a database (a database, every page intact, the
    // table Daten as this program makes it: its 64 fields with their types and rules, Nr as the
    // key) without writing to it, and returns the number of its records. A file that would be
    // refused is EngineError with the reason; a damaged one is said to be a damaged backup.
    static qint64 inspect(const QString& path);

    // Whether the records are held in a file (which can be copied, backed up and replaced);
    // false for a server.
    virtual bool isFile() const = 0;
    // Writes a consistent copy of the whole file to path (which must not exist or be empty),
    // taken under a read lock, so another workstation's save is either in it whole or not at
    // all. The copy is flushed to the disk before this returns. A server refuses (3051).
    virtual void writeCopy(const QString& path) = 0;
    // Puts the content of the database at path in place of this file's: first checked as
    // inspect() checks it (a refusal changes nothing), then copied page by page in one
    // transaction under the write lock. The file stays the same file, so other workstations
    // keep working on it and read the new content with their next statement. Record sets
    // opened before must be opened again. A server refuses (3051).
    virtual void replaceWith(const QString& path) = 0;

    // ---- Every engine ----------------------------------------------------------------------

    // Whether records were stored, changed or deleted through this database since it was opened.
    virtual bool changedSinceOpen() const = 0;

    virtual ~Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // An updatable record set (dynaset) on a "SELECT ... FROM Daten [WHERE ...] [ORDER BY ...]"
    // statement; any other statement is EngineError 3075.
    virtual std::unique_ptr<RecordSet> openDynaset(const QString& sql) = 0;
    // A read-only set of rows (snapshot), read completely and released from the engine at once.
    // A statement that would change the records is refused.
    virtual std::unique_ptr<Snapshot> openSnapshot(const QString& sql) = 0;

    // The highest record number stored; nothing for an empty table.
    virtual std::optional<qint64> highestNumber() = 0;
    // The different values of the given Text columns in the order of their first appearance:
    // records by ascending Nr and, within a record, the columns in the order given. Values are
    // compared exactly (case and accents count); Null is skipped. One pass over the table, so a
    // fill of the choice lists stays fast at 100,000 records.
    QStringList valuesInOrder(const QStringList& columns);
    // The same for several groups of columns at once, in one pass; one list per group.
    virtual QList<QStringList> valuesInOrder(const QList<QStringList>& groups) = 0;

    // The number of stored records.
    virtual qint64 recordCount() = 0;
    // Hands every record, all 64 fields, to record in ascending Nr; record returns false to
    // stop. The records are read in one read transaction, so they are one consistent state even
    // while other workstations save.
    virtual void readAll(const std::function<bool(const RawRecord& record)>& record) = 0;
    // Stores the records feed hands over, in one transaction under the write lock: all of them,
    // or none when one is refused (a value by the record check, see store::storableValue; a
    // record by the engine, with its number), the feed cancels, or anything fails. Returns how many
    // were stored, nothing when the feed cancelled. Another workstation's lock is EngineError 3260.
    virtual std::optional<int> addRecords(RecordFeed& feed) = 0;

    // How long a write waits for another workstation's lock before it gives up (error 3260).
    virtual void setBusyTimeout(int milliseconds) = 0;

    // The file's path, or the server's address as given to open().
    QString path() const { return m_path; }

  protected:
    explicit Database(QString path) : m_path(std::move(path)) {}

  private:
    QString m_path;
};
