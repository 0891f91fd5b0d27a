#include "testengine.h"

#include "rawaccess.h"
#include "testserver.h"

#include <QProcessEnvironment>

#include <libpq-fe.h>

#include <stdexcept>

namespace {

class FileEngine final : public TestEngine {
  public:
    FileEngine() : m_path(m_dir.filePath(QStringLiteral("TarvexDB.mdb"))) {}

    bool isServer() const override { return false; }
    QString name() const override { return m_path; }
    void reset() override {
        m_raw.reset();
        Database::createEmpty(m_path);
    }
    bool exec(const QString& sql) override { return raw().exec(sql); }
    QString firstValue(const QString& sql) override { return raw().firstValue(sql); }

  private:
    RawConnection& raw() {
        if (!m_raw)
            m_raw = std::make_unique<RawConnection>(m_path);
        return *m_raw;
    }

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<RawConnection> m_raw;
};

class ServerEngine final : public TestEngine {
  public:
    explicit ServerEngine(QString uri) : m_uri(std::move(uri)) {
        m_conn = PQconnectdb(m_uri.toUtf8().constData());
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw std::runtime_error(std::string("no connection to the test server: ") +
                                     PQerrorMessage(m_conn));
        // Another program waits no longer for a lock than the store's tests do.
        exec(QStringLiteral("SET lock_timeout = 100; SET client_min_messages = warning"));
    }
    ~ServerEngine() override { PQfinish(m_conn); }

    bool isServer() const override { return true; }
    QString name() const override { return m_uri; }
    void reset() override {
        if (!exec(QStringLiteral("DROP TABLE IF EXISTS Daten")))
            throw std::runtime_error("Daten not dropped");
        Database::createServerTable(m_uri);
    }
    bool exec(const QString& sql) override {
        PGresult* result = PQexec(m_conn, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        PQclear(result);
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    }
    QString firstValue(const QString& sql) override {
        PGresult* result = PQexec(m_conn, sql.toUtf8().constData());
        QString value;
        if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0)
            value = QString::fromUtf8(PQgetvalue(result, 0, 0));
        PQclear(result);
        return value;
    }

  private:
    QString m_uri;
    PGconn* m_conn = nullptr;
};

} // namespace

std::unique_ptr<TestEngine> TestEngine::fromEnvironment(QString* skipReason) {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (environment.value(QStringLiteral("TARVEX_TEST_ENGINE")) != QLatin1String("server"))
        return std::make_unique<FileEngine>();
    const QString uri = testServerAddress();
    if (uri.isEmpty()) {
        *skipReason = QStringLiteral("Kein Testserver: PostgreSQL ist nicht installiert, oder "
                                     "weder TARVEX_TEST_PG noch TARVEX_TEST_PG_DIR nennt einen "
                                     "Server (scripts/pgtest start <Ordner>).");
        return nullptr;
    }
    return std::make_unique<ServerEngine>(uri);
}
