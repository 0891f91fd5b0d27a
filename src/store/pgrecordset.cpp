// The record sets of the server engine: the dynaset's access to the rows, and snapshots.

#include "pgwrap.h"
#include "recordfields.h"
#include "recordsets.h"
#include "sqltext.h"
#include "storeerrors.h"

namespace store {

namespace {

const QByteArray& rowSql() {
    static const QByteArray sql = "SELECT " + fieldList() + " FROM Daten WHERE Nr = $1";
    return sql;
}

// A record changed through a dynaset is locked alone, as soon as its change starts: another
// workstation may change any other record meanwhile, but not this one (3260 at once).
const QByteArray& lockSql() {
    static const QByteArray sql = rowSql() + " FOR UPDATE NOWAIT";
    return sql;
}

class ServerRows final : public DynasetRows {
  public:
    explicit ServerRows(std::shared_ptr<PgConnection> connection)
        : m_connection(std::move(connection)) {}

    std::vector<qint64> keys(const QString& sql) override;
    void requireUsable() const override {}
    bool readField(qint64 key, int field, QVariant& value) override;
    bool readRow(qint64 key, std::array<QVariant, FieldCount>& row) override;
    std::vector<qint64> numbersWhere(int field, qint64 value) override;
    bool lockForEdit(qint64 key, std::array<QVariant, FieldCount>& row) override;
    void release() noexcept override { m_connection->rollback(); }
    void insert(const std::vector<int>& columns, const std::array<QVariant, FieldCount>& values,
                const QVariant& number) override;
    bool update(qint64 key, const std::vector<int>& columns,
                const std::array<QVariant, FieldCount>& values, const QVariant& number) override;
    bool remove(qint64 key) override;

  private:
    // The record by its number, with the statement the server keeps under the name.
    PgResult row(const char* name, const QByteArray& sql, qint64 key) {
        PgParams params;
        params.add(key);
        return m_connection->execPrepared(name, sql, params);
    }
    PgResult row(qint64 key) { return row("tarvex_row", rowSql(), key); }
    PgResult lockedRow(qint64 key) { return row("tarvex_lock", lockSql(), key); }
    // The values the dynaset has checked, in their columns' forms.
    static PgParams valuesOf(const std::vector<int>& columns,
                             const std::array<QVariant, FieldCount>& values) {
        PgParams params;
        for (int column : columns)
            params.add(values[size_t(column)]);
        return params;
    }

    std::shared_ptr<PgConnection> m_connection;
};

std::vector<qint64> ServerRows::keys(const QString& sql) {
    const std::optional<QString> keys = keyStatement(sql, false);
    if (!keys)
        throw EngineError(ErrorNumber::SqlSyntax,
                          QStringLiteral("Die Abfrage \"%1\" liefert keine bearbeitbaren "
                                         "Datensätze der Tabelle Daten.")
                              .arg(sql));
    const PgResult result = m_connection->exec(forServer(*keys).toUtf8(), {}, sql);
    std::vector<qint64> numbers;
    numbers.reserve(size_t(result.rows()));
    for (int r = 0; r < result.rows(); ++r)
        numbers.push_back(result.whole(r, 0));
    return numbers;
}

bool ServerRows::readField(qint64 key, int field, QVariant& value) {
    const PgResult result = row(key);
    if (result.rows() == 0)
        return false;
    value = cellValue(result, 0, field);
    return true;
}

bool ServerRows::readRow(qint64 key, std::array<QVariant, FieldCount>& values) {
    const PgResult result = row(key);
    if (result.rows() == 0)
        return false;
    for (int i = 0; i < FieldCount; ++i)
        values[size_t(i)] = cellValue(result, 0, i);
    return true;
}

std::vector<qint64> ServerRows::numbersWhere(int field, qint64 value) {
    const FieldDef& def = fieldTable()[size_t(field)];
    // A text column is compared with the number's digits, as the file compares them.
    const QByteArray sql = QByteArray("SELECT Nr FROM Daten WHERE ") + def.name +
                           (isTextType(def.type) ? " = $1::text" : " = $1");
    PgParams params;
    params.add(value);
    const PgResult result = m_connection->exec(sql, params);
    std::vector<qint64> numbers;
    for (int r = 0; r < result.rows(); ++r)
        numbers.push_back(result.whole(r, 0));
    return numbers;
}

bool ServerRows::lockForEdit(qint64 key, std::array<QVariant, FieldCount>& values) {
    m_connection->begin();
    try {
        const PgResult result = lockedRow(key);
        if (result.rows() == 0) {
            m_connection->rollback();
            return false;
        }
        for (int i = 0; i < FieldCount; ++i)
            values[size_t(i)] = cellValue(result, 0, i);
    } catch (...) {
        m_connection->rollback();
        throw;
    }
    return true;
}

void ServerRows::insert(const std::vector<int>& columns,
                        const std::array<QVariant, FieldCount>& values, const QVariant& number) {
    const PgParams params = valuesOf(columns, values);
    m_connection->begin();
    try {
        m_connection->exec(insertStatement(columns, "$"), params, QString(), number);
        m_connection->commit();
    } catch (...) {
        m_connection->rollback();
        throw;
    }
    m_connection->markChanged();
}

bool ServerRows::update(qint64 key, const std::vector<int>& columns,
                        const std::array<QVariant, FieldCount>& values, const QVariant& number) {
    try {
        if (!columns.empty()) {
            PgParams params = valuesOf(columns, values);
            params.add(key);
            const PgResult result =
                m_connection->exec(updateStatement(columns, "$"), params, QString(), number);
            if (result.affected() != 1) {
                m_connection->rollback();
                return false;
            }
        }
        m_connection->commit();
    } catch (...) {
        m_connection->rollback();
        throw;
    }
    m_connection->markChanged();
    return true;
}

bool ServerRows::remove(qint64 key) {
    m_connection->begin();
    try {
        if (lockedRow(key).rows() == 0) {
            m_connection->rollback();
            return false;
        }
        PgParams params;
        params.add(key);
        m_connection->exec("DELETE FROM Daten WHERE Nr = $1", params, QString(), QVariant(key));
        m_connection->commit();
    } catch (...) {
        m_connection->rollback();
        throw;
    }
    m_connection->markChanged();
    return true;
}

// The name a snapshot's column is known by: a field's own spelling (the server hands out the
// names folded to small letters), anything else as the server names it.
QString columnName(const char* name) {
    const QString folded = QString::fromUtf8(name);
    const FieldDef* field = findField(folded);
    return field ? QLatin1String(field->name) : folded;
}

} // namespace

std::unique_ptr<RecordSet> openServerDynaset(std::shared_ptr<PgConnection> connection,
                                             const QString& sql) {
    return openDynaset(std::make_unique<ServerRows>(std::move(connection)), sql);
}

std::unique_ptr<Snapshot> readServerSnapshot(PgConnection& connection, const QString& sql) {
    // A snapshot only reads: outside a change the session only reads anyway, and the one
    // statement sees one state of the table; during a change (which cannot be made read-only)
    // anything but a query is refused before the server sees it.
    const bool inChange = connection.inTransaction();
    const QString trimmed = sql.trimmed();
    if (inChange && (!trimmed.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive) ||
                     (trimmed.size() > 6 && trimmed[6].isLetterOrNumber())))
        throw EngineError(ErrorNumber::SqlSyntax,
                          QStringLiteral("Die Abfrage \"%1\" würde Daten ändern oder ist keine "
                                         "Abfrage und kann nicht als schreibgeschützte "
                                         "Datensatzgruppe geöffnet werden.")
                              .arg(sql));
    const PgResult result = connection.exec(forServer(sql).toUtf8(), {}, sql);
    QStringList names;
    for (int c = 0; c < result.columns(); ++c)
        names << columnName(PQfname(result.get(), c));
    SnapshotBuilder rows(names);
    for (int r = 0; r < result.rows(); ++r) {
        for (int c = 0; c < result.columns(); ++c) {
            const RawValue value = rawCell(result, r, c);
            switch (value.kind) {
            case RawValue::Kind::Null:
                rows.null();
                break;
            case RawValue::Kind::Whole:
                rows.whole(value.whole);
                break;
            case RawValue::Kind::Real:
                rows.real(value.real);
                break;
            case RawValue::Kind::Text:
                rows.text(value.text.data(), size_t(value.text.size()));
                break;
            }
        }
        rows.endRow();
    }
    return rows.finish();
}

} // namespace store
