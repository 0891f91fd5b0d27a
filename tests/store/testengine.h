#pragma once

// The engine a store test runs against, chosen by the environment: TARVEX_TEST_ENGINE=server
// runs against the database server at TARVEX_TEST_PG (an address), or at the address that
// scripts/pgtest left in $TARVEX_TEST_PG_DIR/uri; anything else against a file in a temporary
// folder. Statements of the test's own (rows to start from, looks at what is stored) run on a
// connection of their own, as another program would have.

#include "database.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class TestEngine {
  public:
    virtual ~TestEngine() = default;

    // The engine named in the environment; nothing, with the reason in skipReason, when the
    // server tests have no server to run against.
    static std::unique_ptr<TestEngine> fromEnvironment(QString* skipReason);

    virtual bool isServer() const = 0;
    // What Database::open is given.
    virtual QString name() const = 0;
    // Starts from the empty table Daten.
    virtual void reset() = 0;
    // Runs statements on an own connection; false when the engine refuses them.
    virtual bool exec(const QString& sql) = 0;
    // The first column of the first row as text (empty for none).
    virtual QString firstValue(const QString& sql) = 0;
    // Whether another connection can change every record at once, without waiting: nobody
    // holds a lock on the records.
    bool nothingLocked() { return exec(QStringLiteral("UPDATE Daten SET Nr = Nr")); }

    std::unique_ptr<Database> open() const { return Database::open(name()); }
};
