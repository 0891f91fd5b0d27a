#include "sqlitewrap.h"

#include "intactcheck.h"

#include "jetpattern.h"
#include "valuecheck.h"

#include <QFile>

#include <sys/stat.h>

namespace store {

namespace {

constexpr int kDefaultBusyTimeoutMs = 2000;

QString engineMessage(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// "CHECK constraint failed: KNach_Laenge" names the column and the rule that refused a value;
// the constraint names are chosen by Database::createEmpty.
EngineError checkRefused(const QString& message) {
    return ruleRefused(message.section(QLatin1Char(':'), -1).trimmed(), message);
}

} // namespace

Statement::Statement(sqlite3* db, const QByteArray& sql, const QString& shown) {
    int rc =
        sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw queryError(db, rc, shown.isEmpty() ? QString::fromUtf8(sql) : shown);
    }
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

void Connection::exec(const char* sql) {
    Statement stmt(m_db, QByteArray(sql));
    ResetGuard reset(stmt.get());
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw queryError(m_db, rc, QString::fromUtf8(sql));
}

namespace {

bool fileIdentity(const QString& path, quint64& device, quint64& inode) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    device = quint64(info.st_dev);
    inode = quint64(info.st_ino);
    return true;
}

} // namespace

void Connection::watchFile(const QString& path) {
    if (fileIdentity(path, m_device, m_inode))
        m_path = path;
}

void Connection::requireFile() const {
    if (m_path.isEmpty())
        return;
    quint64 device = 0;
    quint64 inode = 0;
    if (fileIdentity(m_path, device, inode) && device == m_device && inode == m_inode)
        return;
    throw EngineError(ErrorNumber::FileNotFound,
                      QStringLiteral("Die Datenbankdatei \"%1\" ist nicht mehr vorhanden: Sie "
                                     "wurde gelöscht, verschoben oder ersetzt, während das "
                                     "Programm lief. Es wird nichts mehr in sie geschrieben. "
                                     "Bitte beenden Sie das Programm und prüfen Sie den "
                                     "Speicherort der Datenbank.")
                          .arg(m_path));
}

Connection::Connection(sqlite3* db) : m_db(db) {}

Connection::~Connection() {
    m_check.reset();
    sqlite3_close_v2(m_db);
}

void Connection::checkInBackground(const QString& path) {
    m_check = std::make_unique<IntactCheck>(path);
}

void Connection::dropCheck() {
    m_check.reset();
}

void Connection::beginImmediate() {
    requireFile();
    if (m_check)
        m_check->require(m_db);
    // A change already running on this connection (another record set of the same database)
    // holds the lock as much as another workstation would.
    if (inTransaction())
        throw lockedError();
    Statement stmt(m_db, QByteArrayLiteral("BEGIN IMMEDIATE"));
    const int rc = sqlite3_step(stmt.get());
    sqlite3_reset(stmt.get());
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        throw lockedError();
    if (rc != SQLITE_DONE)
        throw queryError(m_db, rc, QStringLiteral("BEGIN IMMEDIATE"));
}

void Connection::commit() {
    Statement stmt(m_db, QByteArrayLiteral("COMMIT"));
    int rc = sqlite3_step(stmt.get());
    sqlite3_reset(stmt.get());
    if (rc != SQLITE_DONE) {
        EngineError error = queryError(m_db, rc, QStringLiteral("COMMIT"));
        rollback();
        throw error;
    }
}

void Connection::rollback() noexcept {
    if (inTransaction())
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void configureConnection(sqlite3* db) {
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kDefaultBusyTimeoutMs);
    char* error = nullptr;
    if (sqlite3_exec(db, "PRAGMA secure_delete = ON", nullptr, nullptr, &error) != SQLITE_OK) {
        QString message = QString::fromUtf8(error ? error : "");
        sqlite3_free(error);
        throw EngineError(
            ErrorNumber::CannotOpen,
            QStringLiteral("Die Datenbank kann nicht eingerichtet werden: %1").arg(message));
    }
    registerJetFunctions(db);
}

QVariant columnValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qint64>(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT: {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)));
    }
    case SQLITE_BLOB: {
        const char* data = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt, column)));
    }
    default:
        return QVariant();
    }
}

void bindValue(sqlite3_stmt* stmt, int index, const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        sqlite3_bind_null(stmt, index);
        break;
    case QMetaType::LongLong:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    default: {
        QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, text.constData(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        break;
    }
    }
}

EngineError lockedError() {
    return EngineError(ErrorNumber::RecordLocked,
                       QStringLiteral("Der Datensatz wird gerade von einem anderen Benutzer "
                                      "bearbeitet und ist gesperrt. Bitte versuchen Sie es später "
                                      "noch einmal."));
}

EngineError noCurrentRecord() {
    return EngineError(ErrorNumber::NoCurrentRecord, QStringLiteral("Kein aktueller Datensatz."));
}

EngineError duplicateNumber(const QVariant& number) {
    return EngineError(ErrorNumber::UpdateRefused,
                       number.isValid()
                           ? QStringLiteral("Ein Datensatz mit der Nummer %1 ist bereits "
                                            "vorhanden.")
                                 .arg(number.toLongLong())
                           : QStringLiteral("Ein Datensatz mit dieser Nummer ist bereits "
                                            "vorhanden."));
}

EngineError numberMissing() {
    return EngineError(ErrorNumber::KeyIsNull,
                       QStringLiteral("Der Datensatz hat keine Nummer: Das Feld \"Nr\" darf "
                                      "nicht leer sein."));
}

EngineError queryError(sqlite3* db, int rc, const QString& sql) {
    const QString message = engineMessage(db);
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return EngineError(ErrorNumber::RecordLocked,
                           QStringLiteral("Die Datenbank wird gerade von einem anderen Benutzer "
                                          "geändert und ist gesperrt. Bitte versuchen Sie es "
                                          "später noch einmal."));
    case SQLITE_CONSTRAINT:
        return writeRefused(db, rc, QVariant());
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return EngineError(ErrorNumber::DatabaseGeneric,
                           QStringLiteral("Die Datenbankdatei ist beschädigt oder keine "
                                          "Datenbank (%1).")
                               .arg(message));
    case SQLITE_NOMEM:
        return EngineError(ErrorNumber::OutOfMemory, QStringLiteral("Nicht genügend Speicher."));
    case SQLITE_FULL:
        return EngineError(ErrorNumber::DiskFull,
                           QStringLiteral("Auf dem Datenträger ist nicht genügend Platz frei."));
    case SQLITE_READONLY:
        return EngineError(ErrorNumber::ReadOnly,
                           QStringLiteral("Die Datenbank ist schreibgeschützt und kann nicht "
                                          "geändert werden (%1).")
                               .arg(message));
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return EngineError(ErrorNumber::CannotOpen,
                           QStringLiteral("Auf die Datenbankdatei kann nicht zugegriffen werden "
                                          "(%1).")
                               .arg(message));
    default:
        break;
    }
    if (message.startsWith(QLatin1String("no such column")))
        return EngineError(ErrorNumber::UnknownName,
                           QStringLiteral("Die Abfrage \"%1\" nennt ein unbekanntes Feld (%2).")
                               .arg(sql, message));
    if (message.startsWith(QLatin1String("no such table")))
        return EngineError(ErrorNumber::TableNotFound,
                           QStringLiteral("Die Abfrage \"%1\" nennt eine unbekannte Tabelle (%2).")
                               .arg(sql, message));
    return EngineError(
        ErrorNumber::SqlSyntax,
        QStringLiteral("Die Abfrage \"%1\" kann nicht ausgeführt werden (%2).").arg(sql, message));
}

EngineError writeRefused(sqlite3* db, int rc, const QVariant& number) {
    const QString message = engineMessage(db);
    switch (rc) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
        return duplicateNumber(number);
    case SQLITE_CONSTRAINT_NOTNULL:
        return numberMissing();
    case SQLITE_CONSTRAINT_CHECK:
        return checkRefused(message);
    case SQLITE_CONSTRAINT_DATATYPE:
        return EngineError(
            ErrorNumber::ConversionFailed,
            QStringLiteral("Ein Wert passt nicht zum Datentyp seines Feldes (%1).").arg(message));
    default:
        break;
    }
    if ((rc & 0xff) != SQLITE_CONSTRAINT)
        return queryError(db, rc, QString());
    return EngineError(ErrorNumber::UpdateRefused,
                       QStringLiteral("Der Datensatz wurde nicht gespeichert (%1).").arg(message));
}

} // namespace store
