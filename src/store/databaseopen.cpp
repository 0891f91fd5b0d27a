// Choosing the engine for the name in the settings.

#include "database.h"
#include "pgdatabase.h"
#include "sqlitedatabase.h"

std::unique_ptr<Database> Database::open(const QString& nameOrUri, const QString& password) {
    if (isServerAddress(nameOrUri))
        return PgDatabase::open(nameOrUri, password);
    return SqliteDatabase::open(nameOrUri);
}

void Database::createServerTable(const QString& uri, const QString& password) {
    PgDatabase::createTable(uri, password);
}

bool Database::isServerAddress(const QString& nameOrUri) {
    return nameOrUri.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           nameOrUri.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QStringList Database::valuesInOrder(const QStringList& columns) {
    return valuesInOrder(QList<QStringList>{columns}).front();
}
