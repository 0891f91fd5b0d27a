#pragma once

// A thin RAII layer over libpq, used only inside the store's server engine. Statements are sent
// with their values as separate text parameters, never written into the statement text.

#include "engineerror.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <libpq-fe.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace store {

// The collation of the table's text columns: German dictionary order from the server's ICU.
inline constexpr char kServerCollation[] = "de-DE-x-icu";

class PgResult {
  public:
    PgResult() = default;
    explicit PgResult(PGresult* result) : m_result(result, PQclear) {}
    PGresult* get() const { return m_result.get(); }
    int rows() const { return m_result ? PQntuples(m_result.get()) : 0; }
    int columns() const { return m_result ? PQnfields(m_result.get()) : 0; }
    bool isNull(int row, int column) const { return PQgetisnull(m_result.get(), row, column); }
    const char* value(int row, int column) const { return PQgetvalue(m_result.get(), row, column); }
    int length(int row, int column) const { return PQgetlength(m_result.get(), row, column); }
    qint64 whole(int row, int column) const;
    // Rows written by an INSERT, UPDATE or DELETE.
    int affected() const;

  private:
    std::shared_ptr<PGresult> m_result;
};

// Values of a statement's parameters $1, $2, ... in their text form; Null as no text.
class PgParams {
  public:
    void addNull() { m_values.emplace_back(std::nullopt); }
    void add(qint64 value) { m_values.emplace_back(QByteArray::number(value)); }
    void add(double value);
    void add(QByteArray utf8) { m_values.emplace_back(std::move(utf8)); }
    // Invalid (Null), qint64, double or QString, as record buffers hold them.
    void add(const QVariant& value);
    int count() const { return int(m_values.size()); }
    void clear() { m_values.clear(); }
    // Pointers into the values for libpq, valid while this object is unchanged.
    std::vector<const char*> pointers() const;
    std::vector<int> lengths() const;

  private:
    std::vector<std::optional<QByteArray>> m_values;
};

// One connection to the server. Record sets share it with the database. Each statement costs
// one round trip to the server: a statement inside a change is sent together with the savepoint
// that undoes it alone, a named statement together with its preparation the first time. Outside
// a change the session only reads (every write runs in a change begun with begin()).
class PgConnection {
  public:
    // Connects to the address, with password when it is not empty (it never goes into the
    // address). A server that asks for a password none was given for is EngineError 3031, one
    // that refuses the password given 3029; one that cannot be reached or refuses otherwise
    // 3051. The session's settings travel with the connection request, so they cost no round
    // trip of their own.
    explicit PgConnection(const QString& uri, const QString& password = QString(),
                          int lockTimeout = kDefaultLockTimeout);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    static constexpr int kDefaultLockTimeout = 2000;

    PGconn* get() const { return m_conn; }

    // Runs one statement and returns its rows; a failure is EngineError. Inside a transaction a
    // failed statement is undone alone, so the change in progress stays usable, as it does on a
    // file. shown names the statement in a description (the caller's text before translation);
    // number is the record number for a refused write.
    PgResult exec(const QByteArray& sql, const PgParams& params = {}, const QString& shown = {},
                  const QVariant& number = {});
    // The same for a statement the server keeps under the name for this connection: prepared
    // the first time it runs, in the same round trip, and only run by its name afterwards.
    PgResult execPrepared(const QByteArray& name, const QByteArray& sql, const PgParams& params,
                          const QVariant& number = {});
    // Runs a statement and hands its rows one at a time (the row is row 0 of the result) until
    // row returns false. Only outside a transaction or inside a read transaction.
    void stream(const QByteArray& sql, const std::function<bool(const PgResult& row)>& row,
                const QString& shown = {});

    bool inTransaction() const;
    // Starts a change. A change already running on this connection (another record set of the
    // same database) holds the lock as much as another workstation would: error 3260.
    void begin(const char* how = "BEGIN READ WRITE");
    void commit();
    void rollback() noexcept;

    // How long a statement waits for another workstation's lock before it gives up (3260).
    void setLockTimeout(int milliseconds);
    int lockTimeout() const { return m_lockTimeout; }

    bool changed() const { return m_changed; }
    void markChanged() { m_changed = true; }

    // Whether the connection broke (the server restarted, the network failed). Every statement
    // is then refused at once with error 3151 until takeOver() brings a new connection.
    bool lost() const { return m_lost; }
    // Goes on with the connection of fresh (made to the same server, on any thread) in place of
    // this one; what was prepared on the old connection is prepared again when next used.
    void takeOver(PgConnection& fresh);

  private:
    PgResult run(const QByteArray& sql, const QByteArray& name, const PgParams& params,
                 const QString& shown, const QVariant& number);
    PgResult runPipelined(const QByteArray& sql, const QByteArray& name, bool prepare, bool guarded,
                          const PgParams& params, const QString& shown, const QVariant& number);
    // Runs a command of the connection's own (transaction control), unguarded.
    void command(const char* sql);
    [[noreturn]] void throwLost();

    PGconn* m_conn = nullptr;
    bool m_changed = false;
    bool m_lost = false;
    int m_lockTimeout = kDefaultLockTimeout;
    std::vector<QByteArray> m_prepared;
};

// The German description of a failed statement's result.
EngineError serverError(const PGresult* result, const QString& sql, const QVariant& number = {});
// The connection broke; detail is the engine's own text.
EngineError connectionLost(const QString& detail);

} // namespace store

#include "rawrecord.h"
#include "recordfields.h"

namespace store {

// Type numbers of the server's columns that the store reads.
enum : Oid {
    kBoolType = 16,
    kInt8Type = 20,
    kInt2Type = 21,
    kInt4Type = 23,
    kFloat4Type = 700,
    kFloat8Type = 701,
    kNumericType = 1700,
};

// A cell as the engine holds it: digits of whole-number columns as Whole, a Single column's
// value as its float (as the file engine keeps it), other reals as doubles, anything else as
// its text (valid while the result lives).
RawValue rawCell(const PgResult& result, int row, int column);
// The same as a record buffer holds it: invalid (Null), qint64, double or QString.
QVariant cellValue(const PgResult& result, int row, int column);

// The 64 field names, for statements that name every column.
QByteArray fieldList();

} // namespace store
