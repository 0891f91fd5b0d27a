#pragma once

#include "database.h"

namespace store {
class PgConnection;
}

// The table Daten on a database server, reached with libpq. Several workstations work on it at
// once: a record being changed is locked alone (another workstation's Edit or Delete of it is
// error 3260), while the rest of the table stays free. The table is made on first use with the
// rules of the file's table; its texts sort by the server's German ICU collation.
class PgDatabase final : public Database {
  public:
    // Connects to the server at the address ("postgresql://user@host:port/db?..."), makes the
    // table Daten when the database has none and checks its 64 columns otherwise.
    // Opens the table Daten at uri; a database without it is EngineError 3078.
    static std::unique_ptr<PgDatabase> open(const QString& uri, const QString& password = {});
    // Makes the empty table Daten at uri (nothing when it is there and has the 64 fields).
    static void createTable(const QString& uri, const QString& password = {});
    ~PgDatabase() override;

    bool isFile() const override { return false; }
    void writeCopy(const QString& path) override;
    void replaceWith(const QString& path) override;
    bool changedSinceOpen() const override;
    std::unique_ptr<RecordSet> openDynaset(const QString& sql) override;
    std::unique_ptr<Snapshot> openSnapshot(const QString& sql) override;
    std::optional<qint64> highestNumber() override;
    using Database::valuesInOrder;
    QList<QStringList> valuesInOrder(const QList<QStringList>& groups) override;
    qint64 recordCount() override;
    void readAll(const std::function<bool(const RawRecord& record)>& record) override;
    std::optional<int> addRecords(RecordFeed& feed) override;
    void setBusyTimeout(int milliseconds) override;
    bool connectionLost() const override;
    std::function<std::unique_ptr<Reconnection>()> reconnector() const override;
    void takeReconnection(std::unique_ptr<Reconnection> reconnection) override;

  private:
    PgDatabase(std::shared_ptr<store::PgConnection> connection, QString uri, QString password);
    std::shared_ptr<store::PgConnection> m_connection;
    // The password given at the start, kept in memory only to connect again after a break.
    QString m_password;
};
