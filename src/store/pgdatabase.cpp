#include "pgdatabase.h"

#include "firstappearances.h"
#include "pgwrap.h"
#include "recordfields.h"
#include "recordsets.h"
#include "sqltext.h"
#include "storeerrors.h"
#include "transaction.h"
#include "valuecheck.h"

#include <QUrl>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace store {

namespace {

// Whole numbers of a text; nothing for anything else.
std::optional<qint64> wholeOf(QByteArrayView text) {
    qint64 value = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, value);
    if (parsed.ec != std::errc() || parsed.ptr != end || text.isEmpty())
        return std::nullopt;
    return value;
}

} // namespace

QByteArray fieldList() {
    QByteArray list;
    for (const FieldDef& field : fieldTable()) {
        if (!list.isEmpty())
            list += ", ";
        list += field.name;
    }
    return list;
}

RawValue rawCell(const PgResult& result, int row, int column) {
    if (result.isNull(row, column))
        return RawValue();
    const QByteArrayView text(result.value(row, column), result.length(row, column));
    switch (PQftype(result.get(), column)) {
    case kBoolType: // as the file gives a comparison's result
        return RawValue::fromWhole(text == "t" ? 1 : 0);
    case kInt2Type:
    case kInt4Type:
    case kInt8Type:
        return RawValue::fromWhole(wholeOf(text).value_or(0));
    case kFloat4Type:
        // The server writes a float's shortest text; read back as a float it is the same value
        // the file engine keeps for a Single.
        return RawValue::fromReal(double(std::strtof(result.value(row, column), nullptr)));
    case kFloat8Type:
    case kNumericType:
        return RawValue::fromReal(std::strtod(result.value(row, column), nullptr));
    default:
        return RawValue::fromText(text);
    }
}

QVariant cellValue(const PgResult& result, int row, int column) {
    const RawValue value = rawCell(result, row, column);
    switch (value.kind) {
    case RawValue::Kind::Null:
        return QVariant();
    case RawValue::Kind::Whole:
        return QVariant(value.whole);
    case RawValue::Kind::Real:
        return QVariant(value.real);
    case RawValue::Kind::Text:
        break;
    }
    return QVariant(QString::fromUtf8(value.text.data(), value.text.size()));
}

namespace {

// The table Daten as the server's rules, with the names the file's table gives them so a
// refusal is reported with its field: Long as integer and Integer as smallint with their
// ranges, Single as real (a float, as the file keeps it), texts in German order.
QByteArray createTableSql() {
    QByteArray sql = "CREATE TABLE Daten (";
    bool first = true;
    const QByteArray collate = QByteArray(" COLLATE \"") + kServerCollation + "\"";
    for (const FieldDef& field : fieldTable()) {
        const QByteArray name = field.name;
        sql += first ? "\n  " : ",\n  ";
        first = false;
        sql += name;
        const QByteArray rule = " CONSTRAINT \"" + name + "_";
        switch (field.type) {
        case FieldType::Long:
            sql += " integer";
            if (name == "Nr")
                sql += " NOT NULL CONSTRAINT \"Index\" PRIMARY KEY";
            break;
        case FieldType::Integer:
            sql += " smallint";
            break;
        case FieldType::Single:
            sql += " real";
            break;
        case FieldType::Text:
            sql += " text" + collate + rule + "Laenge\" CHECK (length(" + name +
                   ") <= " + QByteArray::number(field.size) + ")";
            break;
        case FieldType::Memo:
            sql += " text" + collate;
            break;
        }
        if (isTextType(field.type))
            sql += rule + "leer\" CHECK (length(" + name + ") > 0)";
        else
            sql += rule + "Bereich\" CHECK (" + name + " " + rangeCondition(field.type) + ")";
    }
    sql += "\n)";
    return sql;
}

// The kind of Daten ("r" for a table; nothing when there is none) and its columns in order, read
// in one statement.
const QByteArray kTableSql =
    "SELECT c.relkind, (SELECT string_agg(a.attname, ',' ORDER BY a.attnum) FROM pg_attribute a "
    "WHERE a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped) "
    "FROM pg_class c WHERE c.oid = to_regclass('daten')";

// Whether Daten is there; throws unless it is a table with the 64 columns in order.
bool checkTable(const PgResult& table) {
    if (table.rows() == 0)
        return false;
    if (QByteArrayView(table.value(0, 0)) != "r")
        throw EngineError(ErrorNumber::TableNotFound,
                          QStringLiteral("\"Daten\" ist in dieser Datenbank keine Tabelle."));
    const QStringList names = QString::fromUtf8(table.value(0, 1)).split(QLatin1Char(','));
    for (int column = 0; column < names.size(); ++column) {
        const QString& name = names[column];
        if (column >= FieldCount)
            throw EngineError(ErrorNumber::DatabaseGeneric,
                              QStringLiteral("Die Tabelle \"Daten\" hat mehr als %1 "
                                             "Felder (zusätzlich \"%2\").")
                                  .arg(FieldCount)
                                  .arg(name));
        const char* expected = fieldTable()[size_t(column)].name;
        if (name.compare(QLatin1String(expected), Qt::CaseInsensitive) != 0)
            throw EngineError(ErrorNumber::DatabaseGeneric,
                              QStringLiteral("In der Tabelle \"Daten\" steht an Stelle "
                                             "%1 das Feld \"%2\" statt \"%3\".")
                                  .arg(column + 1)
                                  .arg(name, QLatin1String(expected)));
    }
    if (names.size() < FieldCount)
        throw EngineError(ErrorNumber::DatabaseGeneric,
                          QStringLiteral("In der Tabelle \"Daten\" fehlt das Feld \"%1\".")
                              .arg(QLatin1String(fieldTable()[size_t(names.size())].name)));
    return true;
}

// Checks that Daten has the 64 columns in order; a missing table is EngineError 3078.
void requireTable(PgConnection& connection) {
    if (!checkTable(connection.exec(kTableSql)))
        throw EngineError(ErrorNumber::TableNotFound,
                          QStringLiteral("In dieser Datenbank gibt es die Tabelle \"Daten\" "
                                         "nicht."));
}

// Makes Daten when the database has none, and checks it otherwise.
void makeTable(PgConnection& connection) {
    connection.begin();
    Transaction transaction(connection);
    // Two workstations starting at once on an empty database make the table once.
    connection.exec("SELECT pg_advisory_xact_lock(7401)");
    if (!checkTable(connection.exec(kTableSql)))
        connection.exec(createTableSql());
    transaction.commit();
}

// A value checked by storableValue, in its text form.
void addStorable(PgParams& params, const RawValue& value) {
    switch (value.kind) {
    case RawValue::Kind::Null:
        params.addNull();
        break;
    case RawValue::Kind::Whole:
        params.add(value.whole);
        break;
    case RawValue::Kind::Real:
        params.add(value.real);
        break;
    case RawValue::Kind::Text:
        params.add(QByteArray(value.text.data(), value.text.size()));
        break;
    }
}

// Records sent to the server in one statement when many are added.
constexpr int BatchSize = 250;
// How many records are added between two calls of the feed's progress.
constexpr int ProgressEvery = 250;

} // namespace

} // namespace store

using store::PgConnection;
using store::PgParams;
using store::PgResult;

namespace {

// The failure of opening uri, with the address as shown: a password given in it stays out of
// every message.
EngineError openFailed(const QString& uri, const EngineError& error) {
    const QString shown = QUrl(uri).toDisplayString(QUrl::RemovePassword);
    return EngineError(error.number(),
                       QStringLiteral("Die Datenbank \"%1\" kann nicht geöffnet werden: %2")
                           .arg(shown, error.description()));
}

} // namespace

std::unique_ptr<PgDatabase> PgDatabase::open(const QString& uri, const QString& password) {
    try {
        auto connection = std::make_shared<PgConnection>(uri, password);
        store::requireTable(*connection);
        return std::unique_ptr<PgDatabase>(new PgDatabase(std::move(connection), uri, password));
    } catch (const EngineError& error) {
        throw openFailed(uri, error);
    }
}

void PgDatabase::createTable(const QString& uri, const QString& password) {
    try {
        PgConnection connection(uri, password);
        store::makeTable(connection);
    } catch (const EngineError& error) {
        throw openFailed(uri, error);
    }
}

PgDatabase::PgDatabase(std::shared_ptr<PgConnection> connection, QString uri, QString password)
    : Database(std::move(uri)), m_connection(std::move(connection)),
      m_password(std::move(password)) {}

namespace {

// A connection made again, waiting to be taken by the database.
class ServerReconnection final : public Reconnection {
  public:
    explicit ServerReconnection(std::unique_ptr<PgConnection> connection)
        : connection(std::move(connection)) {}
    std::unique_ptr<PgConnection> connection;
};

} // namespace

bool PgDatabase::connectionLost() const {
    return m_connection->lost();
}

std::function<std::unique_ptr<Reconnection>()> PgDatabase::reconnector() const {
    // Copies only: the attempt may run on another thread while this database is used.
    return [uri = path(), password = m_password,
            timeout = m_connection->lockTimeout()]() -> std::unique_ptr<Reconnection> {
        return std::make_unique<ServerReconnection>(
            std::make_unique<PgConnection>(uri, password, timeout));
    };
}

void PgDatabase::takeReconnection(std::unique_ptr<Reconnection> reconnection) {
    auto* fresh = dynamic_cast<ServerReconnection*>(reconnection.get());
    if (fresh && fresh->connection)
        m_connection->takeOver(*fresh->connection);
}

PgDatabase::~PgDatabase() = default;

void PgDatabase::writeCopy(const QString&) {
    throw EngineError(ErrorNumber::CannotOpen,
                      QStringLiteral("Die Datenbank liegt auf einem Datenbankserver und wird "
                                     "dort gesichert, nicht als Datei."));
}

void PgDatabase::replaceWith(const QString&) {
    throw EngineError(ErrorNumber::CannotOpen,
                      QStringLiteral("Die Datenbank liegt auf einem Datenbankserver; eine "
                                     "Datensicherung als Datei kann sie nicht ersetzen."));
}

bool PgDatabase::changedSinceOpen() const {
    return m_connection->changed();
}

std::unique_ptr<RecordSet> PgDatabase::openDynaset(const QString& sql) {
    return store::openServerDynaset(m_connection, sql);
}

std::unique_ptr<Snapshot> PgDatabase::openSnapshot(const QString& sql) {
    return store::readServerSnapshot(*m_connection, sql);
}

std::optional<qint64> PgDatabase::highestNumber() {
    const PgResult result = m_connection->exec("SELECT max(Nr) FROM Daten");
    if (result.isNull(0, 0))
        return std::nullopt;
    return result.whole(0, 0);
}

qint64 PgDatabase::recordCount() {
    return m_connection->exec("SELECT count(*) FROM Daten").whole(0, 0);
}

QList<QStringList> PgDatabase::valuesInOrder(const QList<QStringList>& groups) {
    // As the file does it: one pass, each value keeping the lowest position it was seen at.
    store::FirstAppearances values(groups);
    m_connection->stream(values.statement(), [&](const PgResult& row) {
        values.add(row.whole(0, 0), [&row](int column) -> std::optional<std::string_view> {
            if (row.isNull(0, column))
                return std::nullopt;
            return std::string_view(row.value(0, column), size_t(row.length(0, column)));
        });
        return true;
    });
    return values.lists();
}

void PgDatabase::readAll(const std::function<bool(const RawRecord&)>& record) {
    // One statement reads one state of the table, whatever other workstations save meanwhile.
    const QByteArray sql = "SELECT " + store::fieldList() + " FROM Daten ORDER BY Nr";
    RawRecord values;
    m_connection->stream(sql, [&](const PgResult& row) {
        for (int i = 0; i < FieldCount; ++i)
            values[size_t(i)] = store::rawCell(row, 0, i);
        return record(values);
    });
}

std::optional<int> PgDatabase::addRecords(RecordFeed& feed) {
    static const QByteArray kBatchName = QByteArrayLiteral("tarvex_add_records");
    PgConnection& connection = *m_connection;
    const QByteArray insert = "INSERT INTO Daten (" + store::fieldList() + ") VALUES ";
    auto statementFor = [&insert](int records) {
        QByteArray sql = insert;
        for (int r = 0; r < records; ++r) {
            sql += r ? ", (" : "(";
            for (int i = 1; i <= FieldCount; ++i)
                sql += (i > 1 ? ", $" : "$") + QByteArray::number(r * FieldCount + i);
            sql += ")";
        }
        return sql;
    };
    // A full batch is parsed and planned by the server once and kept for the connection.
    const QByteArray fullBatch = statementFor(store::BatchSize);
    connection.begin();
    store::Transaction transaction(connection);
    // Other workstations may go on reading, but write nothing until the records are in.
    connection.exec("LOCK TABLE Daten IN SHARE ROW EXCLUSIVE MODE");

    QSet<qint64> stored;
    const PgResult numbers = connection.exec("SELECT Nr FROM Daten");
    for (int row = 0; row < numbers.rows(); ++row)
        stored.insert(numbers.whole(row, 0));
    feed.start(stored);
    const int nrIndex = fieldIndex(u"Nr");

    std::vector<QVariant> batchNumbers;
    PgParams params;
    auto numberOf = [nrIndex](const RawRecord& record) {
        const RawValue& nr = record[size_t(nrIndex)];
        return nr.kind == RawValue::Kind::Whole ? QVariant(nr.whole) : QVariant();
    };
    // Sends the batch; a refused batch is sent again record by record, so the refusal names
    // the record it is about.
    std::vector<PgParams> single;
    auto send = [&] {
        const int records = int(batchNumbers.size());
        if (records == 0)
            return;
        try {
            if (records == store::BatchSize)
                connection.execPrepared(kBatchName, fullBatch, params);
            else
                connection.exec(statementFor(records), params);
        } catch (const EngineError&) {
            const QByteArray one = statementFor(1);
            for (int r = 0; r < records; ++r)
                connection.exec(one, single[size_t(r)], QString(), batchNumbers[size_t(r)]);
            throw;
        }
        params.clear();
        single.clear();
        batchNumbers.clear();
    };

    RawRecord record;
    int written = 0;
    if (!feed.progress(0))
        return std::nullopt;
    while (feed.next(record)) {
        PgParams own;
        for (int i = 0; i < FieldCount; ++i) {
            const RawValue value = store::storableValue(i, record[size_t(i)]);
            store::addStorable(params, value);
            store::addStorable(own, value);
        }
        single.push_back(std::move(own));
        batchNumbers.push_back(numberOf(record));
        ++written;
        if (int(batchNumbers.size()) == store::BatchSize)
            send();
        if (written % store::ProgressEvery == 0 && !feed.progress(written))
            return std::nullopt;
    }
    send();
    if (!feed.progress(written))
        return std::nullopt;
    transaction.commit();
    if (written > 0)
        connection.markChanged();
    return written;
}

void PgDatabase::setBusyTimeout(int milliseconds) {
    m_connection->setLockTimeout(milliseconds);
}
