#pragma once

// Constructors of the record set implementations, for Database.

#include "recordfields.h"
#include "recordset.h"
#include "snapshot.h"

#include <QString>
#include <QStringList>

#include <QVariant>

#include <array>
#include <memory>
#include <vector>

struct sqlite3;

namespace store {

class Connection;

std::unique_ptr<RecordSet> openDynaset(std::shared_ptr<Connection> connection, const QString& sql);

// What a dynaset asks of its engine; every failure is EngineError.
class DynasetRows {
  public:
    virtual ~DynasetRows() = default;
    // The record numbers of the statement's rows in its order (3075 for a statement that does
    // not list records of Daten). Called once, first.
    virtual std::vector<qint64> keys(const QString& sql) = 0;
    // Throws when the records cannot be reached any more (the file gone).
    virtual void requireUsable() const = 0;
    // One field, or all, of the stored record; false when it is not there (any more).
    virtual bool readField(qint64 key, int field, QVariant& value) = 0;
    virtual bool readRow(qint64 key, std::array<QVariant, FieldCount>& row) = 0;
    // The numbers of the records whose field holds the value.
    virtual std::vector<qint64> numbersWhere(int field, qint64 value) = 0;
    // Starts a change of the record: takes the lock (3260 when another holds it) and reads
    // the record; false, holding nothing, when it is gone.
    virtual bool lockForEdit(qint64 key, std::array<QVariant, FieldCount>& row) = 0;
    // Gives back what lockForEdit took, storing nothing.
    virtual void release() noexcept = 0;
    // Stores a new record of the columns assigned, taking and giving back the lock itself.
    virtual void insert(const std::vector<int>& columns,
                        const std::array<QVariant, FieldCount>& values, const QVariant& number) = 0;
    // Stores the assigned columns into the record locked by lockForEdit and gives the lock
    // back, whether or not it succeeds; false when the record is gone.
    virtual bool update(qint64 key, const std::vector<int>& columns,
                        const std::array<QVariant, FieldCount>& values, const QVariant& number) = 0;
    // Deletes the record under its lock; false when it is gone.
    virtual bool remove(qint64 key) = 0;
};
std::unique_ptr<RecordSet> openDynaset(std::unique_ptr<DynasetRows> rows, const QString& sql);
// "INSERT INTO Daten (<columns>) VALUES (...)" and "UPDATE Daten SET <column> = ..., ...
// WHERE Nr = ..." with the placeholder "?" or numbered ones ("$", giving $1, $2, ...).
QByteArray insertStatement(const std::vector<int>& columns, const char* placeholder);
QByteArray updateStatement(const std::vector<int>& columns, const char* placeholder);
std::unique_ptr<Snapshot> readSnapshot(sqlite3* db, const QString& sql);

class BufferSnapshot;
// Makes a snapshot from rows read by any engine: cell by cell, row by row. Whole numbers are
// kept in digits, reals as Singles are shown (at most seven digits, decimal comma), texts as
// they are.
class SnapshotBuilder {
  public:
    explicit SnapshotBuilder(const QStringList& names);
    ~SnapshotBuilder();
    SnapshotBuilder(const SnapshotBuilder&) = delete;
    SnapshotBuilder& operator=(const SnapshotBuilder&) = delete;
    void null();
    void whole(qint64 value);
    void real(double value);
    void text(const char* bytes, size_t size);
    void endRow();
    std::unique_ptr<Snapshot> finish();

  private:
    std::unique_ptr<BufferSnapshot> m_rows;
};

class PgConnection;
std::unique_ptr<RecordSet> openServerDynaset(std::shared_ptr<PgConnection> connection,
                                             const QString& sql);
std::unique_ptr<Snapshot> readServerSnapshot(PgConnection& connection, const QString& sql);

} // namespace store
