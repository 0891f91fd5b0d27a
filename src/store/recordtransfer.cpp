// Whole tables in and out of the database: every record read in one consistent pass, and many
// records added in one transaction.

#include "sqlitedatabase.h"
#include "sqlitewrap.h"
#include "transaction.h"
#include "valuecheck.h"

namespace {

// The 64 fields by name, so the statements never depend on the order of a foreign table's
// columns beyond what open() checked.
QByteArray fieldList() {
    QByteArray list;
    for (const FieldDef& field : fieldTable()) {
        if (!list.isEmpty())
            list += ", ";
        list += field.name;
    }
    return list;
}

RawValue rawColumn(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return RawValue::fromWhole(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return RawValue::fromReal(sqlite3_column_double(statement, column));
    case SQLITE_NULL:
        return RawValue();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return RawValue::fromText(QByteArrayView(text, sqlite3_column_bytes(statement, column)));
    }
    }
}

void bindRaw(sqlite3_stmt* statement, int index, const RawValue& value) {
    switch (value.kind) {
    case RawValue::Kind::Null:
        sqlite3_bind_null(statement, index);
        break;
    case RawValue::Kind::Whole:
        sqlite3_bind_int64(statement, index, value.whole);
        break;
    case RawValue::Kind::Real:
        sqlite3_bind_double(statement, index, value.real);
        break;
    case RawValue::Kind::Text:
        sqlite3_bind_text(statement, index, value.text.data(), int(value.text.size()),
                          SQLITE_STATIC);
        break;
    }
}

// How many records are added between two calls of the feed's progress.
constexpr int ProgressEvery = 250;

} // namespace

void SqliteDatabase::readAll(const std::function<bool(const RawRecord&)>& record) {
    m_connection->requireFile();
    sqlite3* db = m_connection->db();
    // One statement is one read transaction in SQLite: the rows are one state of the table.
    const QByteArray sql = "SELECT " + fieldList() + " FROM Daten ORDER BY Nr";
    store::Statement statement(db, sql);
    store::ResetGuard reset(statement.get());
    RawRecord values;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        for (int i = 0; i < FieldCount; ++i)
            values[size_t(i)] = rawColumn(statement.get(), i);
        if (!record(values))
            return;
    }
    if (rc != SQLITE_DONE)
        throw store::queryError(db, rc, QString::fromUtf8(sql));
}

std::optional<int> SqliteDatabase::addRecords(RecordFeed& feed) {
    store::Connection& connection = *m_connection;
    sqlite3* db = connection.db();
    connection.beginImmediate();
    store::Transaction transaction(connection);

    QSet<qint64> stored;
    {
        store::Statement numbers(db, QByteArrayLiteral("SELECT Nr FROM Daten"));
        store::ResetGuard reset(numbers.get());
        int rc;
        while ((rc = sqlite3_step(numbers.get())) == SQLITE_ROW)
            stored.insert(sqlite3_column_int64(numbers.get(), 0));
        if (rc != SQLITE_DONE)
            throw store::queryError(db, rc, QString());
    }
    feed.start(stored);

    QByteArray sql = "INSERT INTO Daten (" + fieldList() + ") VALUES (";
    for (int i = 1; i <= FieldCount; ++i)
        sql += (i > 1 ? ", ?" : "?") + QByteArray::number(i);
    sql += ")";
    store::Statement insert(db, sql);
    RawRecord record;
    int written = 0;
    if (!feed.progress(0))
        return std::nullopt;
    while (feed.next(record)) {
        store::ResetGuard reset(insert.get());
        for (int i = 0; i < FieldCount; ++i)
            bindRaw(insert.get(), i + 1, store::storableValue(i, record[size_t(i)]));
        const int rc = sqlite3_step(insert.get());
        if (rc != SQLITE_DONE) {
            const RawValue& nr = record[size_t(fieldIndex(u"Nr"))];
            throw store::writeRefused(
                db, rc, nr.kind == RawValue::Kind::Whole ? QVariant(nr.whole) : QVariant());
        }
        ++written;
        if (written % ProgressEvery == 0 && !feed.progress(written))
            return std::nullopt;
    }
    if (!feed.progress(written))
        return std::nullopt;
    transaction.commit();
    return written;
}
