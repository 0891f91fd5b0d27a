#pragma once

// What a test sees from outside the program: a file's bytes, a database file through a
// connection of its own (as another program or the sqlite3 shell would have it), and the error
// a call ends with.

#include "engineerror.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <functional>

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs f and returns the number of the EngineError it throws, or 0.
inline int errorOf(const std::function<void()>& f, QString* description = nullptr) {
    try {
        f();
    } catch (const EngineError& e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

// The first column of the first row as text (empty for none), or the engine's message.
inline QString firstValue(sqlite3* db, const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    QString value;
    int rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    else if (rc != SQLITE_DONE)
        value = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    return value;
}

// A connection of its own to a database file, made when missing.
struct RawConnection {
    sqlite3* db = nullptr;
    explicit RawConnection(const QString& path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    }
    ~RawConnection() { sqlite3_close(db); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool exec(const QString& sql) {
        return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    QString firstValue(const QString& sql) const { return ::firstValue(db, sql); }
};
