#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Keeps a second start in the same program folder from running: the first start holds a lock
// until it ends. The lock lives in the user's runtime folder, named after the program folder, so
// two users or two installations never block each other.
class InstanceGuard {
  public:
    InstanceGuard();
    ~InstanceGuard();

    // Where the lock of a running instance for this program folder lives.
    static QString lockPath(const QString& programFolder);

    // Takes the lock for this program folder. False only when another instance holds it; a lock
    // that cannot be made at all (no runtime folder) never keeps the program from starting.
    bool acquire(const QString& programFolder);
    void release();

  private:
    std::unique_ptr<QLockFile> m_lock;
};
