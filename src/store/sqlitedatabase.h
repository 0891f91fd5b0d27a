#pragma once

#include "database.h"

struct sqlite3;
namespace store {
class Connection;
}

// The database file: everything particular to SQLite stays behind this class and the record
// sets it opens. Text sorts in German dictionary order: the ORDER BY terms of Text and Memo
// columns get the German collation when a statement is prepared, and LIKE follows the old
// engine's wildcards (jetpattern.h).
class SqliteDatabase final : public Database {
  public:
    // Opens an existing database file read-write. Refuses (EngineError) a missing file, a file
    // that is not a database, an empty file, a write-protected file, and one whose table Daten
    // does not have the 64 columns in order. The file is left exactly as it was when it is
    // refused.
    static std::unique_ptr<SqliteDatabase> open(const QString& path);
    ~SqliteDatabase() override;

    bool isFile() const override { return true; }
    void writeCopy(const QString& path) override;
    void replaceWith(const QString& path) override;
    bool changedSinceOpen() const override;
    std::unique_ptr<RecordSet> openDynaset(const QString& sql) override;
    std::unique_ptr<Snapshot> openSnapshot(const QString& sql) override;
    std::optional<qint64> highestNumber() override;
    using Database::valuesInOrder;
    QList<QStringList> valuesInOrder(const QList<QStringList>& groups) override;
    qint64 recordCount() override;
    void readAll(const std::function<bool(const RawRecord& record)>& record) override;
    std::optional<int> addRecords(RecordFeed& feed) override;
    void setBusyTimeout(int milliseconds) override;

    // The engine's connection, for tests and tools that look at the file directly.
    sqlite3* handle() const;

  private:
    SqliteDatabase(std::shared_ptr<store::Connection> connection, QString path);
    // Shared with the record sets opened on it: the file stays open until the last one closes.
    std::shared_ptr<store::Connection> m_connection;
};

// The connection of a database known to be a file (std::bad_cast for any other).
inline sqlite3* sqliteHandle(const Database& database) {
    return dynamic_cast<const SqliteDatabase&>(database).handle();
}
