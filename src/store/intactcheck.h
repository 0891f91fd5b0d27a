#pragma once

// Whether every page of a database file can be read: the engine's quick check, which reads the
// whole file once. At 100,000 records it takes several times as long as everything the window
// needs for its first record, so a file opened for work is checked while the user browses, and
// only a write waits for the result: a damaged file is never written into.

#include "engineerror.h"

#include <QString>

#include <atomic>
#include <future>
#include <optional>

struct sqlite3;

namespace store {

// What a damaged file is: the database itself, which a backup replaces, or a backup, instead
// of which another one is chosen.
enum class FileRole { Database, Backup };

// Whether opening the file at path may write to it before anything else (a journal left by a
// run that did not end cleanly, another journal mode): it is then checked whole first.
bool interruptedOrOtherMode(const QString& path);

// Checks the file of db at once; a damaged one is EngineError 3049, a file locked meanwhile by
// another program 3045.
void checkIntact(sqlite3* db, FileRole role);

// The check of a database file on a connection of its own, in the background.
class IntactCheck {
  public:
    explicit IntactCheck(const QString& path);
    // Stops a check still running.
    ~IntactCheck();
    IntactCheck(const IntactCheck&) = delete;
    IntactCheck& operator=(const IntactCheck&) = delete;

    // Waits for the result; throws when the file is damaged. A check that could not finish
    // (the file locked all the while) is made again here, on the caller's connection db.
    void require(sqlite3* db);

  private:
    sqlite3* m_db = nullptr;
    std::atomic<bool> m_stopped = false;
    std::future<std::optional<EngineError>> m_result;
    std::optional<EngineError> m_failure;
    bool m_known = false;
};

} // namespace store
