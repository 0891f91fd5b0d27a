#include "snapshot.h"

#include "germanformat.h"
#include "recordsets.h"
#include "sqlitewrap.h"
#include "sqltext.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace store {

// All rows of a statement in one UTF-8 buffer: cell i runs from the end of cell i-1 to
// m_ends[i], row by row. Nulls are a bit per cell.
class BufferSnapshot final : public Snapshot {
  public:
    explicit BufferSnapshot(QStringList names);
    // Filled cell by cell, row by row; finish() when all rows are in.
    void appendNull() { nextCell(true); }
    void appendWhole(qint64 value);
    void appendReal(double value);
    void appendText(const char* bytes, size_t size);
    void endRow() { ++m_rows; }
    void finish();

    int columnCount() const override { return m_columns; }
    QString columnName(int column) const override;
    int columnIndex(QStringView name) const override;
    int rowCount() const override { return m_rows; }
    bool isNull(int row, int column) const override;
    QByteArrayView utf8(int row, int column) const override;
    QString text(int row, int column) const override;
    int findRow(int column, qint64 value) const override;
    int findFirst(const QString& criteria) const override;
    qsizetype memoryBytes() const override;

  private:
    bool valid(int row, int column) const {
        return row >= 0 && row < m_rows && column >= 0 && column < m_columns;
    }
    size_t cell(int row, int column) const {
        return size_t(row) * size_t(m_columns) + size_t(column);
    }
    void appendSingle(double value);
    void nextCell(bool null);

    QStringList m_names;
    int m_columns = 0;
    int m_rows = 0;
    std::string m_data;
    std::vector<quint32> m_ends;
    std::vector<quint64> m_nulls;
};

BufferSnapshot::BufferSnapshot(QStringList names)
    : m_names(std::move(names)), m_columns(int(m_names.size())) {
    m_data.reserve(64 * 1024);
}

void BufferSnapshot::nextCell(bool null) {
    const size_t index = m_ends.size();
    if (index / 64 >= m_nulls.size())
        m_nulls.push_back(0);
    if (null)
        m_nulls[index / 64] |= quint64(1) << (index % 64);
    if (m_data.size() > std::numeric_limits<quint32>::max())
        throw EngineError(ErrorNumber::OutOfMemory,
                          QStringLiteral("Das Ergebnis der Abfrage ist zu groß."));
    m_ends.push_back(quint32(m_data.size()));
}

void BufferSnapshot::appendWhole(qint64 value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value);
    m_data.append(digits, size_t(end.ptr - digits));
    nextCell(false);
}

void BufferSnapshot::appendReal(double value) {
    appendSingle(value);
    nextCell(false);
}

void BufferSnapshot::appendText(const char* bytes, size_t size) {
    if (size > 0)
        m_data.append(bytes, size);
    nextCell(false);
}

void BufferSnapshot::finish() {
    m_data.shrink_to_fit();
    m_ends.shrink_to_fit();
    m_nulls.shrink_to_fit();
}

namespace {

// The rows of a statement of the file's engine. The statement is read to its end and
// finalized here, so the snapshot holds no lock on the file.
std::unique_ptr<Snapshot> readRows(sqlite3* db, const QString& sql, const QString& shown) {
    Statement statement(db, sql.toUtf8(), shown);
    sqlite3_stmt* stmt = statement.get();
    if (!sqlite3_stmt_readonly(stmt))
        throw EngineError(ErrorNumber::SqlSyntax,
                          QStringLiteral("Die Abfrage \"%1\" würde Daten ändern und kann nicht "
                                         "als schreibgeschützte Datensatzgruppe geöffnet werden.")
                              .arg(shown));
    const int columns = sqlite3_column_count(stmt);
    QStringList names;
    for (int c = 0; c < columns; ++c)
        names << QString::fromUtf8(sqlite3_column_name(stmt, c));
    auto rows = std::make_unique<BufferSnapshot>(names);

    ResetGuard reset(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            // One call into the statement per cell; the connection is used by one thread
            // only, so reading the column's value object directly is safe.
            sqlite3_value* value = sqlite3_column_value(stmt, c);
            switch (sqlite3_value_type(value)) {
            case SQLITE_NULL:
                rows->appendNull();
                break;
            case SQLITE_INTEGER:
                rows->appendWhole(sqlite3_value_int64(value));
                break;
            case SQLITE_FLOAT:
                rows->appendReal(sqlite3_value_double(value));
                break;
            default:
                rows->appendText(static_cast<const char*>(sqlite3_value_blob(value)),
                                 size_t(sqlite3_value_bytes(value)));
                break;
            }
        }
        rows->endRow();
    }
    if (rc != SQLITE_DONE)
        throw queryError(db, rc, shown);
    rows->finish();
    return rows;
}

} // namespace

// Singles are kept as the user sees them: at most seven significant digits, decimal comma.
void BufferSnapshot::appendSingle(double value) {
    if (std::fabs(value) <= double(FLT_MAX)) {
        const float single = static_cast<float>(value);
        if (single == std::trunc(single) && std::fabs(single) < 1e6f) {
            char digits[16];
            const auto end =
                std::to_chars(digits, digits + sizeof digits, static_cast<long long>(single));
            m_data.append(digits, size_t(end.ptr - digits));
            return;
        }
        m_data.append(GermanFormat::formatSingle(single).toStdString());
        return;
    }
    m_data.append(GermanFormat::formatDouble(value).toStdString());
}

QString BufferSnapshot::columnName(int column) const {
    return column >= 0 && column < m_columns ? m_names.at(column) : QString();
}

int BufferSnapshot::columnIndex(QStringView name) const {
    for (int c = 0; c < m_columns; ++c)
        if (name.compare(m_names.at(c), Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

bool BufferSnapshot::isNull(int row, int column) const {
    if (!valid(row, column))
        return true;
    const size_t index = cell(row, column);
    return (m_nulls[index / 64] >> (index % 64)) & 1;
}

QByteArrayView BufferSnapshot::utf8(int row, int column) const {
    if (!valid(row, column))
        return QByteArrayView();
    const size_t index = cell(row, column);
    const quint32 begin = index == 0 ? 0 : m_ends[index - 1];
    return QByteArrayView(m_data.data() + begin, qsizetype(m_ends[index] - begin));
}

QString BufferSnapshot::text(int row, int column) const {
    const QByteArrayView bytes = utf8(row, column);
    return QString::fromUtf8(bytes.data(), bytes.size());
}

int BufferSnapshot::findRow(int column, qint64 value) const {
    if (column < 0 || column >= m_columns)
        return -1;
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value);
    const QByteArrayView wanted(digits, qsizetype(end.ptr - digits));
    for (int row = 0; row < m_rows; ++row)
        if (utf8(row, column) == wanted && !isNull(row, column))
            return row;
    return -1;
}

int BufferSnapshot::findFirst(const QString& criteria) const {
    const Criteria parsed = requireCriteria(criteria);
    const int column = columnIndex(parsed.field);
    if (column < 0)
        throw EngineError(ErrorNumber::UnknownField,
                          QStringLiteral("Das Suchkriterium \"%1\" nennt das Feld \"%2\", das "
                                         "in dieser Abfrage nicht vorkommt.")
                              .arg(criteria, parsed.field));
    return findRow(column, parsed.value);
}

qsizetype BufferSnapshot::memoryBytes() const {
    return qsizetype(m_data.capacity() + m_ends.capacity() * sizeof(quint32) +
                     m_nulls.capacity() * sizeof(quint64));
}

SnapshotBuilder::SnapshotBuilder(const QStringList& names)
    : m_rows(std::make_unique<BufferSnapshot>(names)) {}
SnapshotBuilder::~SnapshotBuilder() = default;
void SnapshotBuilder::null() {
    m_rows->appendNull();
}
void SnapshotBuilder::whole(qint64 value) {
    m_rows->appendWhole(value);
}
void SnapshotBuilder::real(double value) {
    m_rows->appendReal(value);
}
void SnapshotBuilder::text(const char* bytes, size_t size) {
    m_rows->appendText(bytes, size);
}
void SnapshotBuilder::endRow() {
    m_rows->endRow();
}
std::unique_ptr<Snapshot> SnapshotBuilder::finish() {
    m_rows->finish();
    return std::move(m_rows);
}

std::unique_ptr<Snapshot> readSnapshot(sqlite3* db, const QString& sql) {
    return readRows(db, withGermanCollation(sql), sql);
}

} // namespace store
