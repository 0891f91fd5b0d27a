#pragma once

// A thin RAII layer over the SQLite C API, used only inside the store. Statements are finalized
// when their owner goes, and a ResetGuard resets a statement as soon as its rows have been read,
// so that no read lock stays on the file (another workstation's save would wait for it).

#include "engineerror.h"
#include "storeerrors.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <memory>

namespace store {

// Name under which the German dictionary order is registered on every connection.
inline constexpr char kGermanCollation[] = "GERMAN";

class Statement {
  public:
    Statement() = default;
    // Prepares sql; a failure is thrown as EngineError naming the statement (or shown, the
    // text the caller handed in before the store rewrote it).
    Statement(sqlite3* db, const QByteArray& sql, const QString& shown = QString());
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(Statement&& other) noexcept : m_stmt(other.m_stmt) { other.m_stmt = nullptr; }
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    explicit operator bool() const { return m_stmt != nullptr; }

  private:
    sqlite3_stmt* m_stmt = nullptr;
};

// Resets a statement and clears its bindings when the scope ends.
class ResetGuard {
  public:
    explicit ResetGuard(sqlite3_stmt* stmt) : m_stmt(stmt) {}
    ~ResetGuard() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    ResetGuard(const ResetGuard&) = delete;
    ResetGuard& operator=(const ResetGuard&) = delete;

  private:
    sqlite3_stmt* m_stmt;
};

// One open connection. Record sets share it with the Database, so it closes when the last of
// them lets go.
class IntactCheck;

class Connection {
  public:
    explicit Connection(sqlite3* db);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* db() const { return m_db; }

    // Runs one statement that returns no rows worth keeping.
    void exec(const char* sql);
    bool inTransaction() const { return sqlite3_get_autocommit(m_db) == 0; }
    // Remembers the file the connection works on, so that a file deleted, moved or replaced
    // under the running program is noticed instead of written into where nobody will find it.
    void watchFile(const QString& path);
    // EngineError 3024 when the watched file is no longer at its path.
    void requireFile() const;

    // Checks every page of the file at path in the background (intactcheck.h); a write waits
    // for the result and is refused when the file is damaged.
    void checkInBackground(const QString& path);
    // The file's content was replaced by one checked whole: the check of the old one is void.
    void dropCheck();

    // Takes the write lock at once; another holder (after the busy timeout) is error 3260.
    // Waits first for the check of the file; a damaged file is error 3049.
    void beginImmediate();
    // Commits; on failure rolls back, so no lock outlives it, and throws.
    void commit();
    void rollback() noexcept;

  private:
    sqlite3* m_db;
    std::unique_ptr<IntactCheck> m_check;
    QString m_path;
    quint64 m_device = 0;
    quint64 m_inode = 0;
};

// Settings every connection gets: extended result codes, short busy timeout, secure delete,
// the LIKE wildcards of the old engine and the German collation.
void configureConnection(sqlite3* db);

// The value of one column of the current row: invalid for Null, qint64, double or QString.
QVariant columnValue(sqlite3_stmt* stmt, int column);
// Binds a value held in a record buffer (invalid, qint64, double or QString).
void bindValue(sqlite3_stmt* stmt, int index, const QVariant& value);

// German translations of engine failures.
EngineError queryError(sqlite3* db, int rc, const QString& sql);
EngineError writeRefused(sqlite3* db, int rc, const QVariant& number);

} // namespace store
