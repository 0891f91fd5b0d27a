#include "recordset.h"

#include "germanformat.h"
#include "recordfields.h"
#include "recordsets.h"
#include "sqlitewrap.h"
#include "sqltext.h"
#include "transaction.h"
#include "valuecheck.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <optional>
#include <unordered_set>
#include <vector>

namespace store {

namespace {

const QByteArray kRowSql = QByteArrayLiteral("SELECT * FROM Daten WHERE Nr = ?");

EngineError unknownField(QStringView name) {
    return EngineError(
        ErrorNumber::ItemNotFound,
        QStringLiteral("Das Feld \"%1\" gibt es in der Tabelle Daten nicht.").arg(name));
}

EngineError notEditing() {
    return EngineError(ErrorNumber::NotEditing,
                       QStringLiteral("Es wird kein Datensatz bearbeitet oder neu angelegt: "
                                      "Felder können nur zwischen Bearbeiten bzw. Neu und "
                                      "Speichern geändert werden."));
}

EngineError closedError() {
    return EngineError(ErrorNumber::ObjectClosed,
                       QStringLiteral("Die Datensatzgruppe ist bereits geschlossen."));
}

EngineError rowGone(qint64 key) {
    return EngineError(ErrorNumber::NoCurrentRecord,
                       QStringLiteral("Kein aktueller Datensatz: Der Datensatz mit der Nummer %1 "
                                      "ist nicht mehr vorhanden, er wurde inzwischen von einem "
                                      "anderen Benutzer gelöscht.")
                           .arg(key));
}

EngineError noText(int field) {
    return EngineError(ErrorNumber::ConversionFailed,
                       QStringLiteral("Der Wert kann nicht als Text im Feld \"%1\" gespeichert "
                                      "werden.")
                           .arg(fieldLabel(field)));
}

bool isIntegral(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

// What a column holds for an assigned value: Text and Memo a QString; Long and Integer a
// qint64; Single a double rounded to single precision. A text is read as a German number
// ("2,5") and refused at once when it is none; whole-number columns round half to even, as the
// old conversions did. A number that does not fit its column stays a double in the buffer,
// and the check at the update refuses it.
QVariant convertForColumn(int field, const QVariant& value) {
    const FieldType type = fieldDef(field).type;
    if (!value.isValid())
        return QVariant();
    if (isTextType(type)) {
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
            return GermanFormat::formatDouble(value.toDouble());
        if (!value.canConvert<QString>())
            throw noText(field);
        return value.toString();
    }
    if (isIntegral(value) && type != FieldType::Single)
        return QVariant(value.toLongLong());
    double number;
    if (value.typeId() == QMetaType::Bool) {
        number = value.toBool() ? -1 : 0; // the old engine's True
    } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float ||
               value.typeId() == QMetaType::ULongLong || isIntegral(value)) {
        number = value.toDouble();
    } else {
        const QString text = value.toString();
        const std::optional<double> parsed = GermanFormat::parseNumber(text);
        if (!parsed)
            throw notANumber(field, text);
        number = *parsed;
    }
    if (type == FieldType::Single)
        return fitsColumn(type, number) ? QVariant(double(float(number))) : QVariant(number);
    const double whole = std::nearbyint(number);
    return fitsColumn(type, whole) ? QVariant(static_cast<qint64>(whole)) : QVariant(whole);
}

// The dynaset: the record numbers of its statement's rows, in order, and the current row read
// from the table when it is asked for, so a row changed or deleted by another workstation
// shows as it is now. Rows added through the set are appended at its end, as the old dynasets
// did; a changed row keeps its place. The engine's part is DynasetRows.
class Dynaset final : public RecordSet {
  public:
    Dynaset(std::unique_ptr<DynasetRows> rows, const QString& sql);
    ~Dynaset() override;

    int recordCount() const override;
    bool eof() const override;
    bool bof() const override;
    void moveFirst() override;
    void moveLast() override;
    void moveNext() override;
    void movePrevious() override;
    bool findFirst(const QString& criteria) override;
    QVariant field(QStringView name) const override;
    std::array<QVariant, FieldCount> values() const override;
    void setField(QStringView name, const QVariant& value) override;
    void addNew() override;
    void edit() override;
    void update() override;
    void cancelUpdate() override;
    void deleteCurrent() override;
    void close() override;

  private:
    enum class Mode { Browse, Edit, AddNew };

    qsizetype size() const { return static_cast<qsizetype>(m_keys.size()); }
    void requireOpen() const;
    qint64 currentKey() const;
    void dropChange() noexcept;
    std::optional<qsizetype> findKey(int field, qint64 value) const;

    std::unique_ptr<DynasetRows> m_rows;
    std::vector<qint64> m_keys;
    qsizetype m_pos = 0;      // -1: before the first row (BOF); size(): after the last (EOF)
    bool m_onDeleted = false; // the current row was deleted; m_pos is the row after it
    Mode m_mode = Mode::Browse;
    std::array<QVariant, FieldCount> m_buffer; // the record being changed or added
    std::bitset<FieldCount> m_assigned;
};

Dynaset::Dynaset(std::unique_ptr<DynasetRows> rows, const QString& sql) : m_rows(std::move(rows)) {
    m_keys = m_rows->keys(sql);
}

Dynaset::~Dynaset() {
    if (m_rows)
        dropChange();
}

void Dynaset::requireOpen() const {
    if (!m_rows)
        throw closedError();
}

qint64 Dynaset::currentKey() const {
    if (m_onDeleted || m_pos < 0 || m_pos >= size())
        throw noCurrentRecord();
    return m_keys[static_cast<size_t>(m_pos)];
}

// Ends an Edit or AddNew without storing it; an Edit gives back the lock.
void Dynaset::dropChange() noexcept {
    if (m_mode == Mode::Edit)
        m_rows->release();
    m_mode = Mode::Browse;
    m_buffer.fill(QVariant());
    m_assigned.reset();
}

int Dynaset::recordCount() const {
    requireOpen();
    return static_cast<int>(m_keys.size());
}

bool Dynaset::eof() const {
    requireOpen();
    return m_keys.empty() || (!m_onDeleted && m_pos >= size());
}

bool Dynaset::bof() const {
    requireOpen();
    return m_keys.empty() || (!m_onDeleted && m_pos < 0);
}

void Dynaset::moveFirst() {
    requireOpen();
    dropChange();
    if (m_keys.empty())
        throw noCurrentRecord();
    m_pos = 0;
    m_onDeleted = false;
}

void Dynaset::moveLast() {
    requireOpen();
    dropChange();
    if (m_keys.empty())
        throw noCurrentRecord();
    m_pos = size() - 1;
    m_onDeleted = false;
}

void Dynaset::moveNext() {
    requireOpen();
    dropChange();
    if (m_onDeleted) { // m_pos already names the row after the deleted one
        m_onDeleted = false;
        return;
    }
    if (m_pos >= size())
        throw noCurrentRecord();
    ++m_pos;
}

void Dynaset::movePrevious() {
    requireOpen();
    dropChange();
    if (m_onDeleted) {
        m_onDeleted = false;
        --m_pos;
        return;
    }
    if (m_pos < 0)
        throw noCurrentRecord();
    --m_pos;
}

std::optional<qsizetype> Dynaset::findKey(int field, qint64 value) const {
    if (field == 0) {
        auto it = std::find(m_keys.begin(), m_keys.end(), value);
        if (it == m_keys.end())
            return std::nullopt;
        return it - m_keys.begin();
    }
    // Another field: the numbers of the rows that hold the value, then the first of them in
    // this set's order.
    const std::vector<qint64> numbers = m_rows->numbersWhere(field, value);
    const std::unordered_set<qint64> matching(numbers.begin(), numbers.end());
    for (qsizetype i = 0; i < size(); ++i)
        if (matching.count(m_keys[static_cast<size_t>(i)]))
            return i;
    return std::nullopt;
}

bool Dynaset::findFirst(const QString& criteria) {
    requireOpen();
    m_rows->requireUsable();
    const Criteria parsed = requireCriteria(criteria);
    const int field = fieldIndex(parsed.field);
    if (field < 0)
        throw EngineError(ErrorNumber::UnknownField,
                          QStringLiteral("Das Suchkriterium \"%1\" nennt das unbekannte Feld "
                                         "\"%2\".")
                              .arg(criteria, parsed.field));
    dropChange();
    const std::optional<qsizetype> found = findKey(field, parsed.value);
    if (!found)
        return false;
    m_pos = *found;
    m_onDeleted = false;
    return true;
}

QVariant Dynaset::field(QStringView name) const {
    requireOpen();
    const int index = fieldIndex(name);
    if (index < 0)
        throw unknownField(name);
    if (m_mode != Mode::Browse)
        return m_buffer[static_cast<size_t>(index)];
    const qint64 key = currentKey();
    QVariant value;
    if (!m_rows->readField(key, index, value))
        throw rowGone(key);
    return value;
}

std::array<QVariant, FieldCount> Dynaset::values() const {
    requireOpen();
    if (m_mode != Mode::Browse)
        return m_buffer;
    const qint64 key = currentKey();
    std::array<QVariant, FieldCount> row;
    if (!m_rows->readRow(key, row))
        throw rowGone(key);
    return row;
}

void Dynaset::setField(QStringView name, const QVariant& value) {
    requireOpen();
    if (m_mode == Mode::Browse)
        throw notEditing();
    const int index = fieldIndex(name);
    if (index < 0)
        throw unknownField(name);
    const auto i = static_cast<size_t>(index);
    m_buffer[i] = convertForColumn(index, value);
    m_assigned.set(i);
}

void Dynaset::addNew() {
    requireOpen();
    dropChange();
    m_mode = Mode::AddNew;
}

void Dynaset::edit() {
    requireOpen();
    dropChange();
    const qint64 key = currentKey();
    bool found = false;
    try {
        found = m_rows->lockForEdit(key, m_buffer);
    } catch (...) {
        m_buffer.fill(QVariant());
        throw;
    }
    if (!found) {
        m_buffer.fill(QVariant());
        throw rowGone(key);
    }
    m_mode = Mode::Edit;
}

void Dynaset::update() {
    requireOpen();
    if (m_mode == Mode::Browse)
        throw notEditing();
    const bool adding = m_mode == Mode::AddNew;
    const QVariant number = m_buffer[0];
    const qint64 editedKey = adding ? 0 : m_keys[static_cast<size_t>(m_pos)];
    std::vector<int> columns;
    for (int i = 0; i < FieldCount; ++i)
        if (m_assigned.test(static_cast<size_t>(i)))
            columns.push_back(i);
    // Every value is checked before anything is written; a refusal ends the change as a refused
    // write would.
    try {
        for (int column : columns)
            checkValue(column, m_buffer[static_cast<size_t>(column)]);
    } catch (...) {
        dropChange();
        throw;
    }
    // The change ends here, stored or refused; an Edit's lock is given back either way.
    const std::array<QVariant, FieldCount> values = m_buffer;
    m_mode = Mode::Browse;
    m_buffer.fill(QVariant());
    m_assigned.reset();

    if (adding) {
        m_rows->insert(columns, values, number);
        m_keys.push_back(number.toLongLong());
        m_pos = size() - 1;
        m_onDeleted = false;
        return;
    }
    if (!m_rows->update(editedKey, columns, values, number))
        throw rowGone(editedKey);
    if (number.isValid())
        m_keys[static_cast<size_t>(m_pos)] = number.toLongLong();
}

void Dynaset::cancelUpdate() {
    requireOpen();
    dropChange();
}

void Dynaset::deleteCurrent() {
    requireOpen();
    dropChange();
    const qint64 key = currentKey();
    if (!m_rows->remove(key))
        throw rowGone(key);
    m_keys.erase(m_keys.begin() + m_pos);
    m_onDeleted = true;
}

void Dynaset::close() {
    if (!m_rows)
        return;
    dropChange();
    m_rows.reset();
    m_keys.clear();
}

// The file engine's part of a dynaset.
class FileRows final : public DynasetRows {
  public:
    explicit FileRows(std::shared_ptr<Connection> connection)
        : m_connection(std::move(connection)) {}

    std::vector<qint64> keys(const QString& sql) override;
    void requireUsable() const override { m_connection->requireFile(); }
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
    sqlite3* db() const { return m_connection->db(); }
    bool seekRow(qint64 key);
    void write(const QByteArray& sql, const std::vector<int>& columns,
               const std::array<QVariant, FieldCount>& values, const QVariant& number,
               std::optional<qint64> key);

    std::shared_ptr<Connection> m_connection;
    Statement m_row; // SELECT * FROM Daten WHERE Nr = ?
};

std::vector<qint64> FileRows::keys(const QString& sql) {
    const std::optional<QString> keys = keyStatement(sql);
    if (!keys)
        throw EngineError(ErrorNumber::SqlSyntax,
                          QStringLiteral("Die Abfrage \"%1\" liefert keine bearbeitbaren "
                                         "Datensätze der Tabelle Daten.")
                              .arg(sql));
    std::vector<qint64> numbers;
    Statement statement(db(), keys->toUtf8(), sql);
    {
        ResetGuard reset(statement.get());
        int rc;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
            numbers.push_back(sqlite3_column_int64(statement.get(), 0));
        if (rc != SQLITE_DONE)
            throw queryError(db(), rc, sql);
    }
    m_row = Statement(db(), kRowSql);
    return numbers;
}

// Steps the row statement onto the record with this number; the caller resets it.
bool FileRows::seekRow(qint64 key) {
    sqlite3_bind_int64(m_row.get(), 1, key);
    const int rc = sqlite3_step(m_row.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw queryError(db(), rc, QString::fromUtf8(kRowSql));
}

bool FileRows::readField(qint64 key, int field, QVariant& value) {
    ResetGuard reset(m_row.get());
    if (!seekRow(key))
        return false;
    value = columnValue(m_row.get(), field);
    return true;
}

bool FileRows::readRow(qint64 key, std::array<QVariant, FieldCount>& row) {
    ResetGuard reset(m_row.get());
    if (!seekRow(key))
        return false;
    for (int i = 0; i < FieldCount; ++i)
        row[static_cast<size_t>(i)] = columnValue(m_row.get(), i);
    return true;
}

std::vector<qint64> FileRows::numbersWhere(int field, qint64 value) {
    const QString sql = QStringLiteral("SELECT Nr FROM Daten WHERE %1 = ?")
                            .arg(QLatin1String(fieldTable()[static_cast<size_t>(field)].name));
    Statement statement(db(), sql.toUtf8());
    std::vector<qint64> numbers;
    ResetGuard reset(statement.get());
    sqlite3_bind_int64(statement.get(), 1, value);
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
        numbers.push_back(sqlite3_column_int64(statement.get(), 0));
    if (rc != SQLITE_DONE)
        throw queryError(db(), rc, sql);
    return numbers;
}

// The whole file is locked for writing: a change of one record waits for no other.
bool FileRows::lockForEdit(qint64 key, std::array<QVariant, FieldCount>& row) {
    m_connection->beginImmediate();
    try {
        if (readRow(key, row))
            return true;
    } catch (...) {
        m_connection->rollback();
        throw;
    }
    m_connection->rollback();
    return false;
}

// Runs an INSERT or UPDATE of the columns within the transaction; key names the updated row.
void FileRows::write(const QByteArray& sql, const std::vector<int>& columns,
                     const std::array<QVariant, FieldCount>& values, const QVariant& number,
                     std::optional<qint64> key) {
    Statement statement(db(), sql);
    int index = 1;
    for (int column : columns)
        bindValue(statement.get(), index++, values[static_cast<size_t>(column)]);
    if (key)
        sqlite3_bind_int64(statement.get(), index, *key);
    const int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_DONE)
        throw writeRefused(db(), rc, number);
}

void FileRows::insert(const std::vector<int>& columns,
                      const std::array<QVariant, FieldCount>& values, const QVariant& number) {
    m_connection->beginImmediate();
    Transaction transaction(*m_connection);
    write(insertStatement(columns, "?"), columns, values, number, std::nullopt);
    transaction.commit();
}

bool FileRows::update(qint64 key, const std::vector<int>& columns,
                      const std::array<QVariant, FieldCount>& values, const QVariant& number) {
    // Edit took the lock; the change ends here, stored or rolled back.
    Transaction transaction(*m_connection);
    if (!columns.empty()) {
        write(updateStatement(columns, "?"), columns, values, number, key);
        if (sqlite3_changes(db()) != 1)
            return false;
    }
    transaction.commit();
    return true;
}

bool FileRows::remove(qint64 key) {
    m_connection->beginImmediate();
    Transaction transaction(*m_connection);
    Statement statement(db(), QByteArrayLiteral("DELETE FROM Daten WHERE Nr = ?"));
    sqlite3_bind_int64(statement.get(), 1, key);
    const int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_DONE)
        throw writeRefused(db(), rc, QVariant(key));
    if (sqlite3_changes(db()) != 1)
        return false;
    transaction.commit();
    return true;
}

} // namespace

QByteArray insertStatement(const std::vector<int>& columns, const char* placeholder) {
    if (columns.empty())
        return "INSERT INTO Daten DEFAULT VALUES";
    QByteArray sql = "INSERT INTO Daten (";
    for (size_t k = 0; k < columns.size(); ++k)
        sql += QByteArray(k ? ", " : "") + fieldTable()[size_t(columns[k])].name;
    sql += ") VALUES (";
    for (size_t k = 0; k < columns.size(); ++k)
        sql += QByteArray(k ? ", " : "") + placeholder +
               (placeholder[0] == '$' ? QByteArray::number(qsizetype(k) + 1) : QByteArray());
    return sql + ")";
}

QByteArray updateStatement(const std::vector<int>& columns, const char* placeholder) {
    QByteArray sql = "UPDATE Daten SET ";
    const bool numbered = placeholder[0] == '$';
    for (size_t k = 0; k < columns.size(); ++k)
        sql += QByteArray(k ? ", " : "") + fieldTable()[size_t(columns[k])].name + " = " +
               placeholder + (numbered ? QByteArray::number(qsizetype(k) + 1) : QByteArray());
    return sql + " WHERE Nr = " + placeholder +
           (numbered ? QByteArray::number(qsizetype(columns.size()) + 1) : QByteArray());
}

std::unique_ptr<RecordSet> openDynaset(std::unique_ptr<DynasetRows> rows, const QString& sql) {
    return std::make_unique<Dynaset>(std::move(rows), sql);
}

std::unique_ptr<RecordSet> openDynaset(std::shared_ptr<Connection> connection, const QString& sql) {
    return openDynaset(std::make_unique<FileRows>(std::move(connection)), sql);
}

} // namespace store
