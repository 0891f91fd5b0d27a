#include "pgwrap.h"

#include "storeerrors.h"
#include "valuecheck.h"

#include <QStringList>

#include <algorithm>
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

namespace {

// The session's settings, given with the connection request: texts and numbers travel in a fixed
// form whatever the server's defaults say, and outside a change the session only reads.
QByteArray sessionOptions(const QByteArray& address, int lockTimeout) {
    QByteArray options;
    if (PQconninfoOption* parsed = PQconninfoParse(address.constData(), nullptr)) {
        for (PQconninfoOption* option = parsed; option->keyword; ++option)
            if (std::strcmp(option->keyword, "options") == 0 && option->val)
                options = option->val;
        PQconninfoFree(parsed);
    }
    if (!options.isEmpty())
        options += ' ';
    return options +
           "-c standard_conforming_strings=on -c extra_float_digits=1 "
           "-c client_min_messages=warning -c default_transaction_read_only=on "
           "-c lock_timeout=" +
           QByteArray::number(qMax(1, lockTimeout));
}

bool succeeded(const PGresult* result) {
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

// A failure that means the server is gone for this session: it shut down or ended the session.
bool endsSession(const PGresult* result) {
    const QByteArray state = stateOf(result);
    return state.startsWith("08") || state.startsWith("57P");
}

} // namespace

EngineError connectionLost(const QString& detail) {
    return EngineError(ErrorNumber::ConnectionLost,
                       QStringLiteral("Die Verbindung zum Datenbankserver ist unterbrochen. "
                                      "Bitte prüfen Sie die Netzwerkverbindung und ob der "
                                      "Datenbankserver läuft.\r\r(Meldung des Servers: %1)")
                           .arg(detail),
                       detail);
}

PgConnection::PgConnection(const QString& uri, const QString& password, int lockTimeout)
    : m_lockTimeout(lockTimeout) {
    const QByteArray address = uri.toUtf8();
    const QByteArray secret = password.toUtf8();
    const QByteArray options = sessionOptions(address, lockTimeout);
    // The address is expanded as a whole: it overrides what comes before it (a server that does
    // not answer is given up after ten seconds unless the address says otherwise), and what
    // follows it overrides the same keyword in it.
    const char* keywords[] = {"connect_timeout",
                              "dbname",
                              "client_encoding",
                              "options",
                              password.isEmpty() ? nullptr : "password",
                              nullptr};
    const char* values[] = {
        "10", address.constData(), "UTF8", options.constData(), secret.constData(), nullptr};
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
                              .arg(message),
                          message);
    }
    if (std::strcmp(pg_encoding_to_char(PQclientEncoding(m_conn)), "UTF8") != 0) {
        PQfinish(m_conn);
        m_conn = nullptr;
        throw EngineError(ErrorNumber::CannotOpen,
                          QStringLiteral("Der Datenbankserver nimmt keine Texte in UTF-8 an."));
    }
}

PgConnection::~PgConnection() {
    if (m_conn)
        PQfinish(m_conn);
}

void PgConnection::takeOver(PgConnection& fresh) {
    if (m_conn)
        PQfinish(m_conn);
    m_conn = fresh.m_conn;
    fresh.m_conn = nullptr;
    m_lost = false;
    m_prepared.clear();
    if (fresh.m_lockTimeout != m_lockTimeout)
        setLockTimeout(m_lockTimeout);
}

void PgConnection::throwLost() {
    m_lost = true;
    m_prepared.clear();
    QString detail = QString::fromUtf8(m_conn ? PQerrorMessage(m_conn) : "").trimmed();
    if (detail.isEmpty())
        detail = QStringLiteral("no connection to the server");
    throw connectionLost(detail);
}

PgResult PgConnection::exec(const QByteArray& sql, const PgParams& params, const QString& shown,
                            const QVariant& number) {
    return run(sql, QByteArray(), params, shown.isEmpty() ? QString::fromUtf8(sql) : shown, number);
}

PgResult PgConnection::execPrepared(const QByteArray& name, const QByteArray& sql,
                                    const PgParams& params, const QVariant& number) {
    return run(sql, name, params, QString::fromUtf8(sql), number);
}

PgResult PgConnection::run(const QByteArray& sql, const QByteArray& name, const PgParams& params,
                           const QString& shown, const QVariant& number) {
    if (m_lost)
        throwLost();
    const bool guarded = inTransaction();
    const bool prepare = !name.isEmpty() &&
                         std::find(m_prepared.begin(), m_prepared.end(), name) == m_prepared.end();
    if (guarded || prepare)
        return runPipelined(sql, name, prepare, guarded, params, shown, number);
    const std::vector<const char*> values = params.pointers();
    const std::vector<int> lengths = params.lengths();
    PgResult result(name.isEmpty() ? PQexecParams(m_conn, sql.constData(), params.count(), nullptr,
                                                  values.data(), lengths.data(), nullptr, 0)
                                   : PQexecPrepared(m_conn, name.constData(), params.count(),
                                                    values.data(), lengths.data(), nullptr, 0));
    if (succeeded(result.get()))
        return result;
    if (!result.get() || PQstatus(m_conn) != CONNECTION_OK || endsSession(result.get()))
        throwLost();
    throw serverError(result.get(), shown, number);
}

// The savepoint, the preparation, the statement and the savepoint's release go to the server at
// once; the server skips what follows a failure until the end of the batch.
PgResult PgConnection::runPipelined(const QByteArray& sql, const QByteArray& name, bool prepare,
                                    bool guarded, const PgParams& params, const QString& shown,
                                    const QVariant& number) {
    const std::vector<const char*> values = params.pointers();
    const std::vector<int> lengths = params.lengths();
    if (!PQenterPipelineMode(m_conn))
        throwLost();
    int sent = 0;
    int statementAt = 0;
    int prepareAt = -1;
    bool ok = true;
    auto simple = [&](const char* text) {
        ok = ok && PQsendQueryParams(m_conn, text, 0, nullptr, nullptr, nullptr, nullptr, 0);
        ++sent;
    };
    if (guarded)
        simple("SAVEPOINT statement");
    if (prepare) {
        prepareAt = sent++;
        ok = ok && PQsendPrepare(m_conn, name.constData(), sql.constData(), 0, nullptr);
    }
    statementAt = sent++;
    ok = ok && (name.isEmpty() ? PQsendQueryParams(m_conn, sql.constData(), params.count(), nullptr,
                                                   values.data(), lengths.data(), nullptr, 0)
                               : PQsendQueryPrepared(m_conn, name.constData(), params.count(),
                                                     values.data(), lengths.data(), nullptr, 0));
    if (guarded)
        simple("RELEASE SAVEPOINT statement");
    ok = ok && PQpipelineSync(m_conn);

    // Each command's result is followed by a null; the batch ends with the sync.
    std::vector<PgResult> results(static_cast<size_t>(sent));
    int index = 0;
    int nulls = 0;
    while (ok) {
        PGresult* raw = PQgetResult(m_conn);
        if (!raw) {
            ++index;
            if (++nulls > sent + 1 || PQstatus(m_conn) != CONNECTION_OK)
                break;
            continue;
        }
        nulls = 0;
        if (PQresultStatus(raw) == PGRES_PIPELINE_SYNC) {
            PQclear(raw);
            break;
        }
        if (index < sent && !results[size_t(index)].get())
            results[size_t(index)] = PgResult(raw);
        else
            PQclear(raw);
    }
    PQexitPipelineMode(m_conn);
    if (!ok || PQstatus(m_conn) != CONNECTION_OK)
        throwLost();
    const PgResult& prepared = prepareAt >= 0 ? results[size_t(prepareAt)] : PgResult();
    const PgResult& result = results[size_t(statementAt)];
    const bool preparedOk = prepareAt < 0 || succeeded(prepared.get());
    if (prepareAt >= 0 && preparedOk)
        m_prepared.push_back(name);
    if (preparedOk && succeeded(result.get()))
        return result;
    const PgResult& failed = preparedOk ? result : prepared;
    if (endsSession(failed.get()))
        throwLost();
    // Only the failed statement is undone; the change in progress goes on.
    if (guarded)
        PQclear(PQexec(m_conn, "ROLLBACK TO SAVEPOINT statement; RELEASE SAVEPOINT statement"));
    throw serverError(failed.get(), shown, number);
}

void PgConnection::stream(const QByteArray& sql,
                          const std::function<bool(const PgResult& row)>& row,
                          const QString& shown) {
    if (m_lost)
        throwLost();
    if (!PQsendQueryParams(m_conn, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0))
        throwLost();
    PQsetSingleRowMode(m_conn);
    bool wanted = true;
    std::optional<EngineError> failure;
    bool ended = false;
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
        } else if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            ended = ended || endsSession(raw) || PQstatus(m_conn) != CONNECTION_OK;
            if (wanted && !failure)
                failure = serverError(raw, shown.isEmpty() ? QString::fromUtf8(sql) : shown);
        }
    }
    if (ended || PQstatus(m_conn) != CONNECTION_OK)
        throwLost();
    if (failure)
        throw *failure;
}

bool PgConnection::inTransaction() const {
    if (!m_conn || m_lost)
        return false;
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    return status == PQTRANS_ACTIVE || status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

void PgConnection::command(const char* sql) {
    if (m_lost)
        throwLost();
    PgResult result(PQexec(m_conn, sql));
    if (succeeded(result.get()))
        return;
    if (!result.get() || PQstatus(m_conn) != CONNECTION_OK || endsSession(result.get()))
        throwLost();
    throw serverError(result.get(), QString::fromUtf8(sql));
}

void PgConnection::begin(const char* how) {
    if (m_lost)
        throwLost();
    if (inTransaction())
        throw lockedError();
    command(how);
}

void PgConnection::commit() {
    try {
        command("COMMIT");
    } catch (...) {
        rollback();
        throw;
    }
}

void PgConnection::rollback() noexcept {
    if (inTransaction())
        PQclear(PQexec(m_conn, "ROLLBACK"));
}

void PgConnection::setLockTimeout(int milliseconds) {
    m_lockTimeout = qMax(1, milliseconds);
    command(("SET lock_timeout = " + QByteArray::number(m_lockTimeout)).constData());
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
