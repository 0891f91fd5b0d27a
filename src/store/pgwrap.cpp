#include "pgwrap.h"

#include "storeerrors.h"
#include "valuecheck.h"

#include <QStringList>

#include <charconv>
#include <cstring>

namespace store {

namespace {

QString primaryMessage(const PGresult* result) {
    const char* text = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (!text && result)
        text = PQresultErrorMessage(result);
    return QString::fromUtf8(text ? text : "").trimmed();
}

QByteArray stateOf(const PGresult* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return state ? QByteArray(state) : QByteArray();
}

EngineError connectionLost(const QString& message) {
    return EngineError(
        ErrorNumber::CannotOpen,
        QStringLiteral("Die Verbindung zum Datenbankserver ist unterbrochen (%1).").arg(message));
}

} // namespace

qint64 PgResult::whole(int row, int column) const {
    qint64 value = 0;
    const char* text = PQgetvalue(m_result.get(), row, column);
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

int PgResult::affected() const {
    const char* text = m_result ? PQcmdTuples(m_result.get()) : "";
    int value = 0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

void PgParams::add(double value) {
    char digits[32];
    // Seventeen digits give the double back exactly; a Single column rounds it to its float.
    const auto end = std::to_chars(digits, digits + sizeof digits, value);
    m_values.emplace_back(QByteArray(digits, int(end.ptr - digits)));
}

void PgParams::add(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        addNull();
        break;
    case QMetaType::LongLong:
        add(value.toLongLong());
        break;
    case QMetaType::Double:
        add(value.toDouble());
        break;
    default:
        add(value.toString().toUtf8());
        break;
    }
}

std::vector<const char*> PgParams::pointers() const {
    std::vector<const char*> list;
    list.reserve(m_values.size());
    for (const auto& value : m_values)
        list.push_back(value ? value->constData() : nullptr);
    return list;
}

std::vector<int> PgParams::lengths() const {
    std::vector<int> list;
    list.reserve(m_values.size());
    for (const auto& value : m_values)
        list.push_back(value ? int(value->size()) : 0);
    return list;
}

PgConnection::PgConnection(const QString& uri, const QString& password) {
    const QByteArray address = uri.toUtf8();
    const QByteArray secret = password.toUtf8();
    // The address is expanded as a whole; a password given here overrides one in it.
    const char* keywords[] = {"dbname", password.isEmpty() ? nullptr : "password", nullptr};
    const char* values[] = {address.constData(), secret.constData(), nullptr};
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (!m_conn)
        throw EngineError(ErrorNumber::OutOfMemory, QStringLiteral("Nicht genügend Speicher."));
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString message = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
        const bool needsPassword = PQconnectionNeedsPassword(m_conn) != 0;
        const bool passwordRefused = !needsPassword && PQconnectionUsedPassword(m_conn) != 0;
        PQfinish(m_conn);
        m_conn = nullptr;
        if (needsPassword)
            throw EngineError(ErrorNumber::PasswordNeeded,
                              QStringLiteral("Der Datenbankserver verlangt ein Kennwort."));
        if (passwordRefused)
            throw EngineError(ErrorNumber::LoginRefused,
                              QStringLiteral("Der Datenbankserver hat die Anmeldung mit diesem "
                                             "Benutzernamen und Kennwort abgelehnt (%1).")
                                  .arg(message));
        throw EngineError(ErrorNumber::CannotOpen,
                          QStringLiteral("Der Datenbankserver ist nicht erreichbar oder lässt "
                                         "die Anmeldung nicht zu (%1).")
                              .arg(message));
    }
    try {
        if (PQsetClientEncoding(m_conn, "UTF8") != 0)
            throw EngineError(ErrorNumber::CannotOpen,
                              QStringLiteral("Der Datenbankserver nimmt keine Texte in UTF-8 an."));
        // Texts and numbers travel in a fixed form, whatever the server's defaults say.
        exec("SET standard_conforming_strings = on");
        exec("SET extra_float_digits = 1");
        exec("SET client_min_messages = warning");
        setLockTimeout(2000);
    } catch (...) {
        PQfinish(m_conn);
        m_conn = nullptr;
        throw;
    }
}

PgConnection::~PgConnection() {
    if (m_conn)
        PQfinish(m_conn);
}

PgResult PgConnection::exec(const QByteArray& sql, const PgParams& params, const QString& shown,
                            const QVariant& number) {
    return run(
        [&](const char* const* values, const int* lengths) {
            return PQexecParams(m_conn, sql.constData(), params.count(), nullptr, values, lengths,
                                nullptr, 0);
        },
        params, shown.isEmpty() ? QString::fromUtf8(sql) : shown, number);
}

void PgConnection::prepare(const QByteArray& name, const QByteArray& sql) {
    PgResult result(PQprepare(m_conn, name.constData(), sql.constData(), 0, nullptr));
    if (!result.get() || PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        throw serverError(result.get(), QString::fromUtf8(sql));
}

void PgConnection::unprepare(const QByteArray& name) noexcept {
    PQclear(PQexec(m_conn, ("DEALLOCATE " + name).constData()));
}

PgResult PgConnection::execPrepared(const QByteArray& name, const PgParams& params,
                                    const QVariant& number) {
    return run(
        [&](const char* const* values, const int* lengths) {
            return PQexecPrepared(m_conn, name.constData(), params.count(), values, lengths,
                                  nullptr, 0);
        },
        params, QString::fromUtf8(name), number);
}

PgResult PgConnection::run(const std::function<PGresult*(const char* const*, const int*)>& send,
                           const PgParams& params, const QString& shown, const QVariant& number) {
    const bool guarded = inTransaction();
    if (guarded)
        PQclear(PQexec(m_conn, "SAVEPOINT statement"));
    const std::vector<const char*> values = params.pointers();
    const std::vector<int> lengths = params.lengths();
    PgResult result(send(values.data(), lengths.data()));
    const ExecStatusType status = result.get() ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        if (!result.get() || PQstatus(m_conn) != CONNECTION_OK)
            throw connectionLost(QString::fromUtf8(PQerrorMessage(m_conn)).trimmed());
        if (guarded)
            PQclear(PQexec(m_conn, "ROLLBACK TO SAVEPOINT statement"));
        throw serverError(result.get(), shown, number);
    }
    if (guarded)
        PQclear(PQexec(m_conn, "RELEASE SAVEPOINT statement"));
    return result;
}

void PgConnection::stream(const QByteArray& sql,
                          const std::function<bool(const PgResult& row)>& row,
                          const QString& shown) {
    if (!PQsendQueryParams(m_conn, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0))
        throw connectionLost(QString::fromUtf8(PQerrorMessage(m_conn)).trimmed());
    PQsetSingleRowMode(m_conn);
    bool wanted = true;
    std::optional<EngineError> failure;
    while (PGresult* raw = PQgetResult(m_conn)) {
        PgResult result(raw);
        const ExecStatusType status = PQresultStatus(raw);
        if (status == PGRES_SINGLE_TUPLE) {
            if (wanted && !row(result)) {
                wanted = false;
                // The rest of the rows are not wanted: the server is asked to stop sending,
                // unless that would undo a change running on this connection; then the rows
                // are read and dropped.
                if (PGcancel* cancel = inTransaction() ? nullptr : PQgetCancel(m_conn)) {
                    char message[256];
                    PQcancel(cancel, message, sizeof message);
                    PQfreeCancel(cancel);
                }
            }
        } else if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK && wanted && !failure) {
            failure = serverError(raw, shown.isEmpty() ? QString::fromUtf8(sql) : shown);
        }
    }
    if (failure)
        throw *failure;
}

bool PgConnection::inTransaction() const {
    return PQtransactionStatus(m_conn) != PQTRANS_IDLE;
}

void PgConnection::begin(const char* how) {
    if (inTransaction())
        throw lockedError();
    exec(how);
}

void PgConnection::commit() {
    try {
        exec("COMMIT");
    } catch (...) {
        rollback();
        throw;
    }
}

void PgConnection::rollback() noexcept {
    if (m_conn && inTransaction())
        PQclear(PQexec(m_conn, "ROLLBACK"));
}

void PgConnection::setLockTimeout(int milliseconds) {
    exec("SET lock_timeout = " + QByteArray::number(qMax(1, milliseconds)));
}

EngineError serverError(const PGresult* result, const QString& sql, const QVariant& number) {
    const QByteArray state = stateOf(result);
    const QString message = primaryMessage(result);
    if (state == "55P03" || state == "40P01" || state == "40001")
        return lockedError();
    if (state == "23505")
        return duplicateNumber(number);
    if (state == "23502")
        return numberMissing();
    if (state == "23514") {
        const char* constraint = PQresultErrorField(result, PG_DIAG_CONSTRAINT_NAME);
        return ruleRefused(QString::fromUtf8(constraint ? constraint : ""), message);
    }
    if (state == "22003")
        return EngineError(ErrorNumber::NumericOverflow,
                           QStringLiteral("Eine Zahl liegt außerhalb des erlaubten Bereichs ihres "
                                          "Feldes (%1).")
                               .arg(message));
    if (state == "22P02" || state == "42804")
        return EngineError(
            ErrorNumber::ConversionFailed,
            QStringLiteral("Ein Wert passt nicht zum Datentyp seines Feldes (%1).").arg(message));
    if (state == "25006")
        return EngineError(ErrorNumber::SqlSyntax,
                           QStringLiteral("Die Abfrage \"%1\" würde Daten ändern und kann nicht "
                                          "als schreibgeschützte Datensatzgruppe geöffnet werden.")
                               .arg(sql));
    if (state == "42703")
        return EngineError(ErrorNumber::UnknownName,
                           QStringLiteral("Die Abfrage \"%1\" nennt ein unbekanntes Feld (%2).")
                               .arg(sql, message));
    if (state == "42P01")
        return EngineError(ErrorNumber::TableNotFound,
                           QStringLiteral("Die Abfrage \"%1\" nennt eine unbekannte Tabelle (%2).")
                               .arg(sql, message));
    if (state == "53100")
        return EngineError(ErrorNumber::DiskFull,
                           QStringLiteral("Auf dem Datenträger des Datenbankservers ist nicht "
                                          "genügend Platz frei."));
    if (state == "53200")
        return EngineError(ErrorNumber::OutOfMemory,
                           QStringLiteral("Der Datenbankserver hat nicht genügend Speicher."));
    if (state.startsWith("08") || state.startsWith("57P"))
        return connectionLost(message);
    if (state.startsWith("42501"))
        return EngineError(ErrorNumber::ReadOnly,
                           QStringLiteral("Die Anmeldung am Datenbankserver darf die Tabelle "
                                          "Daten nicht ändern (%1).")
                               .arg(message));
    if (state.startsWith("23"))
        return EngineError(
            ErrorNumber::UpdateRefused,
            QStringLiteral("Der Datensatz wurde nicht gespeichert (%1).").arg(message));
    return EngineError(
        ErrorNumber::SqlSyntax,
        QStringLiteral("Die Abfrage \"%1\" kann nicht ausgeführt werden (%2).").arg(sql, message));
}

} // namespace store
