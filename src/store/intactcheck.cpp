#include "intactcheck.h"

#include "sqlitewrap.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <chrono>
#include <memory>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace store {

// Whether opening the file may write to it before anything else: a journal left by a run that
// did not end cleanly is played back at the first read, and a file in write-ahead mode is switched
// to the mode this program uses.
bool interruptedOrOtherMode(const QString& path) {
    if (QFileInfo::exists(path + QLatin1String("-journal")) ||
        QFileInfo::exists(path + QLatin1String("-wal")))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray header = file.read(20);
    // Bytes 18 and 19: the format versions for writing and reading, 1 for a rollback journal.
    return header.size() < 20 || header[18] != 1 || header[19] != 1;
}

void checkIntact(sqlite3* db, FileRole role) {
    auto damaged = [role](const QString& detail) {
        if (role == FileRole::Backup)
            return EngineError(ErrorNumber::DatabaseGeneric,
                               QStringLiteral("Diese Datensicherung ist beschädigt und kann "
                                              "nicht zurückgespielt werden. Bitte wählen Sie "
                                              "eine andere Datensicherung."));
        return EngineError(ErrorNumber::DatabaseGeneric,
                           QStringLiteral("Die Datei ist beschädigt (%1). Bitte spielen Sie die "
                                          "letzte Datensicherung zurück; die Datei wird nicht "
                                          "verändert.")
                               .arg(detail));
    };
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &raw, nullptr);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(raw);
    if ((rc & 0xff) == SQLITE_BUSY)
        throw EngineError(ErrorNumber::FileInUse,
                          QStringLiteral("Die Datei wird gerade von einem anderen Programm "
                                         "gesperrt."));
    // A schema the engine cannot even read is as damaged as a broken page.
    if (rc != SQLITE_ROW)
        throw damaged(QString::fromUtf8(sqlite3_errmsg(db)));
    const QString result =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
    if (result != QLatin1String("ok"))
        throw damaged(result);
}

namespace {

// A failure of the background check that says nothing about the file (it could not be opened
// again, it was locked all the while, the check was stopped): the check is made again when a
// write needs it.
struct Unfinished {};

std::optional<EngineError> runCheck(sqlite3* db, const std::atomic<bool>& stopped) {
    // The check gives way to the window's own work on a busy computer: it runs at the lowest
    // priority, and a write that needs its result before it is done makes it at once itself.
    ::setpriority(PRIO_PROCESS, pid_t(::syscall(SYS_gettid)), 19);
    // It starts once the window has shown its first record.
    for (int waited = 0; waited < 1000 && !stopped; waited += 20)
        QThread::msleep(20);
    // Another workstation saving one record after another can hold the file a while.
    for (int attempt = 0; attempt < 100 && !stopped; ++attempt) {
        try {
            checkIntact(db, FileRole::Database);
            return std::nullopt;
        } catch (const EngineError& error) {
            if (stopped)
                break;
            if (error.number() != ErrorNumber::FileInUse)
                return error;
        }
        QThread::msleep(100);
    }
    throw Unfinished();
}

} // namespace

IntactCheck::IntactCheck(const QString& path) {
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return; // checked on the caller's connection when a write needs it
    }
    configureConnection(m_db);
    m_result = std::async(std::launch::async,
                          [db = m_db, stopped = &m_stopped] { return runCheck(db, *stopped); });
}

IntactCheck::~IntactCheck() {
    if (m_result.valid()) {
        m_stopped = true;
        sqlite3_interrupt(m_db);
        try {
            m_result.get();
        } catch (...) {
        }
    }
    sqlite3_close_v2(m_db);
}

void IntactCheck::require(sqlite3* db) {
    if (!m_known && m_result.valid()) {
        if (m_result.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            m_stopped = true;
            sqlite3_interrupt(m_db);
        }
        try {
            m_failure = m_result.get();
            m_known = true;
        } catch (const Unfinished&) {
        }
    }
    if (!m_known) {
        checkIntact(db, FileRole::Database);
        m_known = true;
    }
    if (m_failure)
        throw *m_failure;
}

} // namespace store
