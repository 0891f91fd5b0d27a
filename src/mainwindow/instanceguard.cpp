#include "instanceguard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

InstanceGuard::InstanceGuard() = default;
InstanceGuard::~InstanceGuard() = default;

QString InstanceGuard::lockPath(const QString& programFolder) {
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    QByteArray key = QCryptographicHash::hash(QDir(programFolder).canonicalPath().toUtf8(),
                                              QCryptographicHash::Sha1)
                         .toHex()
                         .left(16);
    return base + QStringLiteral("/tarvex-") + QString::fromLatin1(key) + QStringLiteral(".lock");
}

bool InstanceGuard::acquire(const QString& programFolder) {
    m_lock = std::make_unique<QLockFile>(lockPath(programFolder));
    // A lock left by a crashed run is found stale (its process is gone) and taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() == QLockFile::LockFailedError) {
        m_lock.reset();
        return false; // another instance is running
    }
    m_lock.reset();
    return true;
}

void InstanceGuard::release() {
    m_lock.reset();
}
