// Choosing the engine for the name in the settings.

#include "database.h"
#include "engineerror.h"
#include "sqlitedatabase.h"

std::unique_ptr<Database> Database::open(const QString& nameOrUri) {
    if (isServerAddress(nameOrUri))
        throw EngineError(ErrorNumber::CannotOpen,
                          QStringLiteral("Die Datenbank \"%1\" kann nicht geöffnet werden: "
                                         "Datenbankserver werden noch nicht unterstützt.")
                              .arg(nameOrUri));
    return SqliteDatabase::open(nameOrUri);
}

bool Database::isServerAddress(const QString& nameOrUri) {
    return nameOrUri.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           nameOrUri.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QStringList Database::valuesInOrder(const QStringList& columns) {
    return valuesInOrder(QList<QStringList>{columns}).front();
}
