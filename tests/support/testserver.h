#pragma once

// The throw-away database server of a test run: its address as TARVEX_TEST_PG gives it, or as
// scripts/pgtest left it in $TARVEX_TEST_PG_DIR/uri; empty without one.

#include <QFile>
#include <QProcessEnvironment>
#include <QString>

inline QString testServerAddress() {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString uri = environment.value(QStringLiteral("TARVEX_TEST_PG"));
    if (!uri.isEmpty())
        return uri;
    const QString dir = environment.value(QStringLiteral("TARVEX_TEST_PG_DIR"));
    QFile file(dir + QLatin1String("/uri"));
    if (dir.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}
