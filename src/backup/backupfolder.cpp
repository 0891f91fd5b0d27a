#include "backupfolder.h"

#include "database.h"
#include "engineerror.h"
#include "keeprule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kFolderName = QStringLiteral("Sicherungen");
const QString kStampFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
constexpr qsizetype kStampLength = 19;
constexpr qint64 kDaySeconds = 24 * 60 * 60;
// A copy still being written changes its temporary file all the time; one untouched for an hour
// is what a copy cut short left behind.
constexpr qint64 kLeftoverSeconds = 60 * 60;
const QString kTemporarySuffix = QStringLiteral(".tmp");

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

EngineError notWritten(const QString& reason) {
    return EngineError(ErrorNumber::CannotOpen, reason);
}

// Why chosen cannot be put in place of the database at databasePath because it is that very
// file: a link to it, or the same file under a second name. Copying a file onto itself would
// wait for its own lock.
std::optional<QString> isTheDatabaseItself(const QString& chosen, const QString& databasePath) {
    struct stat copy {};
    struct stat database {};
    if (::stat(QFile::encodeName(chosen).constData(), &copy) != 0 ||
        ::stat(QFile::encodeName(databasePath).constData(), &database) != 0 ||
        copy.st_dev != database.st_dev || copy.st_ino != database.st_ino)
        return std::nullopt;
    struct stat link {};
    if (::lstat(QFile::encodeName(chosen).constData(), &link) == 0 && S_ISLNK(link.st_mode))
        return QStringLiteral("Die gewählte Datei ist keine Datensicherung, sondern ein Verweis "
                              "(Link) auf die Datenbank selbst.");
    return QStringLiteral("Die gewählte Datei ist keine Datensicherung, sondern die Datenbank "
                          "selbst unter einem zweiten Namen.");
}

} // namespace

BackupFolder::BackupFolder(const QString& databasePath, Clock clock) : m_clock(std::move(clock)) {
    const QFileInfo database(databasePath);
    m_folder = QDir(database.absolutePath()).filePath(kFolderName);
    m_baseName = database.completeBaseName();
    m_suffix = database.suffix();
}

QDateTime BackupFolder::now() const {
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QString BackupFolder::fileNameFor(const QDateTime& time) const {
    QString name = m_baseName + QLatin1Char('_') + time.toString(kStampFormat);
    if (!m_suffix.isEmpty())
        name += QLatin1Char('.') + m_suffix;
    return name;
}

std::optional<QDateTime> BackupFolder::timeOf(const QString& fileName) const {
    const QString head = m_baseName + QLatin1Char('_');
    const QString tail = m_suffix.isEmpty() ? QString() : QLatin1Char('.') + m_suffix;
    if (fileName.size() != head.size() + kStampLength + tail.size() || !fileName.startsWith(head) ||
        !fileName.endsWith(tail))
        return std::nullopt;
    const QDateTime time =
        QDateTime::fromString(fileName.mid(head.size(), kStampLength), kStampFormat);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

QList<BackupFile> BackupFolder::list() const {
    QList<BackupFile> files;
    const QDir folder(m_folder);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (const std::optional<QDateTime> time = timeOf(name))
            files.append({folder.filePath(name), *time});
    }
    std::sort(files.begin(), files.end(),
              [](const BackupFile& a, const BackupFile& b) { return a.time > b.time; });
    return files;
}

BackupEntry BackupFolder::entryOf(const BackupFile& file) const {
    BackupEntry entry{file, std::nullopt, QString()};
    const QFileInfo info(file.path);
    const QString key = file.path + QLatin1Char('|') + QString::number(info.size()) +
                        QLatin1Char('|') + QString::number(info.lastModified().toMSecsSinceEpoch());
    if (const auto known = m_checked.find(key); known != m_checked.end())
        return known->second;
    try {
        entry.records = Database::inspect(file.path);
    } catch (const EngineError& error) {
        entry.problem = error.description();
    }
    m_checked[key] = entry;
    return entry;
}

QList<BackupEntry> BackupFolder::entries() const {
    QList<BackupEntry> result;
    for (const BackupFile& file : list())
        result.append(entryOf(file));
    return result;
}

bool BackupFolder::due() const {
    const QDateTime time = now();
    const QList<BackupFile> files = list();
    return std::none_of(files.begin(), files.end(), [&time](const BackupFile& f) {
        return f.time <= time && f.time.secsTo(time) < kDaySeconds;
    });
}

void BackupFolder::makeFolder() const {
    const QFileInfo info(m_folder);
    if (info.isDir())
        return;
    if (info.exists())
        throw notWritten(QStringLiteral("Unter dem Namen \"%1\" steht eine Datei, kein Ordner.")
                             .arg(QDir::toNativeSeparators(m_folder)));
    const QByteArray name = QFile::encodeName(m_folder);
    // Owner and group may enter the folder, others not, whatever the umask says.
    if (::mkdir(name.constData(), S_IRWXU | S_IRGRP | S_IXGRP) != 0 && errno != EEXIST)
        throw notWritten(QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden (%2).")
                             .arg(QDir::toNativeSeparators(m_folder), systemError()));
    ::chmod(name.constData(), S_IRWXU | S_IRGRP | S_IXGRP);
}

QString BackupFolder::temporaryPattern() const {
    return QStringLiteral(".") + m_baseName + QStringLiteral("-XXXXXX") + kTemporarySuffix;
}

bool BackupFolder::isLeftover(const QString& fileName) const {
    const QString pattern = temporaryPattern();
    const qsizetype open = pattern.indexOf(QLatin1String("XXXXXX"));
    QString name = fileName;
    if (name.endsWith(QLatin1String("-journal")))
        name.chop(8);
    if (name.size() != pattern.size() || !name.startsWith(pattern.left(open)) ||
        !name.endsWith(pattern.mid(open + 6)))
        return false;
    const QString random = name.mid(open, 6);
    return std::all_of(random.begin(), random.end(), [](QChar c) {
        return c.isDigit() || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    });
}

void BackupFolder::removeLeftovers() const {
    const QDir folder(m_folder);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (isLeftover(info.fileName()) && info.lastModified().secsTo(now) >= kLeftoverSeconds)
            QFile::remove(info.filePath());
    }
}

BackupFile BackupFolder::write(Database& db) {
    makeFolder();
    removeLeftovers();
    const QDateTime time = now();
    const QString target = QDir(m_folder).filePath(fileNameFor(time));
    // An empty file under a hidden name of its own, so two workstations never write into the
    // same one; the engine fills it.
    QTemporaryFile temporary(QDir(m_folder).filePath(temporaryPattern()));
    if (!temporary.open())
        throw notWritten(QStringLiteral("In den Ordner \"%1\" kann nicht geschrieben werden (%2).")
                             .arg(QDir::toNativeSeparators(m_folder), temporary.errorString()));
    temporary.close();
    const QByteArray temporaryName = QFile::encodeName(temporary.fileName());
    if (::chmod(temporaryName.constData(), S_IRUSR | S_IWUSR | S_IRGRP) != 0)
        throw notWritten(QStringLiteral("Die Zugriffsrechte der Sicherung können nicht gesetzt "
                                        "werden (%1).")
                             .arg(systemError()));
    db.writeCopy(temporary.fileName());
    if (::rename(temporaryName.constData(), QFile::encodeName(target).constData()) != 0)
        throw notWritten(QStringLiteral("Die Sicherung kann nicht unter dem Namen \"%1\" abgelegt "
                                        "werden (%2).")
                             .arg(QDir::toNativeSeparators(target), systemError()));
    temporary.setAutoRemove(false);
    syncFolder(m_folder);
    return {target, time};
}

QStringList BackupFolder::thinOut() {
    const QList<BackupFile> files = list();
    std::vector<QDateTime> times;
    times.reserve(size_t(files.size()));
    for (const BackupFile& file : files)
        times.push_back(file.time);
    // Read back as the restore list reads it: a copy it shows as "nicht lesbar" never keeps a
    // good one out.
    const std::vector<bool> keep = backupsToKeep(
        times, now(), [&](size_t i) { return entryOf(files[qsizetype(i)]).records.has_value(); });
    QStringList failed;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (keep[size_t(i)])
            continue;
        // Another workstation thinning the same folder may have been quicker.
        QFile file(files[i].path);
        if (!file.remove() && file.exists())
            failed << QFileInfo(files[i].path).fileName();
    }
    return failed;
}

std::optional<QString> AutomaticBackups::atStart(Database& db) {
    if (!m_folder.due())
        return std::nullopt;
    return makeCopy(db);
}

std::optional<QString> AutomaticBackups::atShutdown(Database& db) {
    if (!db.changedSinceOpen())
        return std::nullopt;
    return makeCopy(db);
}

std::optional<QString> AutomaticBackups::makeCopy(Database& db) {
    QString problem;
    try {
        m_folder.write(db);
        const QStringList left = m_folder.thinOut();
        if (!left.isEmpty())
            problem = QStringLiteral("Ältere Datensicherungen konnten nicht gelöscht werden: %1")
                          .arg(left.join(QStringLiteral(", ")));
    } catch (const EngineError& error) {
        problem = QStringLiteral("Die automatische Datensicherung konnte nicht angelegt werden: "
                                 "%1")
                      .arg(error.description());
    }
    if (problem.isEmpty() || m_reported)
        return std::nullopt;
    m_reported = true;
    return problem + QStringLiteral("\r\rOrdner der Sicherungen: %1\r\rDie Arbeit mit den Daten "
                                    "geht weiter; die Datenbank selbst ist davon nicht "
                                    "betroffen. Diese Meldung erscheint bis zum nächsten Start "
                                    "nicht noch einmal.")
                         .arg(QDir::toNativeSeparators(m_folder.path()));
}

RestoreResult restoreBackup(Database& db, BackupFolder& folder, const BackupFile& chosen) {
    RestoreResult result;
    if (const std::optional<QString> itself = isTheDatabaseItself(chosen.path, db.path())) {
        result.outcome = RestoreResult::Outcome::Refused;
        result.reason = *itself;
        return result;
    }
    try {
        result.records = Database::inspect(chosen.path);
    } catch (const EngineError& error) {
        result.outcome = RestoreResult::Outcome::Refused;
        result.reason = error.description();
        return result;
    }
    try {
        result.before = folder.write(db);
    } catch (const EngineError& error) {
        result.outcome = RestoreResult::Outcome::NotBackedUp;
        result.reason = error.description();
        return result;
    }
    try {
        db.replaceWith(chosen.path);
    } catch (const EngineError& error) {
        // inspect() ran again inside: a file changed since is refused as well.
        result.outcome = RestoreResult::Outcome::Failed;
        result.reason = error.description();
        return result;
    }
    result.outcome = RestoreResult::Outcome::Restored;
    folder.thinOut();
    return result;
}
