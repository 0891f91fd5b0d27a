#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>

class Database;

// One copy of the database in the backup folder, with the time in its name.
struct BackupFile {
    QString path;
    QDateTime time;
};

// A copy as the restore dialog lists it: its records counted, or why it cannot be read.
struct BackupEntry {
    BackupFile file;
    std::optional<qint64> records;
    QString problem;
};

// The copies of one database file, kept in the folder "Sicherungen" beside it and named after
// the file with the date and time they were made: "TarvexDB_2024-03-01_07-45-00.mdb". The
// folder is readable by owner and group only (0750), each copy too (0640). Other files in the
// folder are never touched.
class BackupFolder {
  public:
    using Clock = std::function<QDateTime()>;

    // clock gives the time now; empty: the system's clock.
    explicit BackupFolder(const QString& databasePath, Clock clock = {});

    QString path() const { return m_folder; }
    QDateTime now() const;

    // The name of a copy made at time, and the time of a name (nothing for any other file).
    QString fileNameFor(const QDateTime& time) const;
    std::optional<QDateTime> timeOf(const QString& fileName) const;

    // The copies in the folder, newest first.
    QList<BackupFile> list() const;
    // The same with their records counted, each file checked read-only as a restore would check
    // it (every page, the table Daten), so a damaged copy is "nicht lesbar" before it is chosen.
    QList<BackupEntry> entries() const;

    // Whether no copy was made within the last day.
    bool due() const;

    // Writes a consistent copy of db under a temporary name, flushed, and gives it its own name
    // only when it is complete. EngineError (German) when that fails; no partial file is left.
    // First removes what copies of this database cut short by a crash left behind: temporary
    // files and their journals untouched for an hour.
    BackupFile write(Database& db);
    // Removes the copies the keeping rule lets go; a copy that cannot be read back takes no
    // day's or month's place. Returns the names of those that could not be removed.
    QStringList thinOut();

  private:
    // Whether a file name is one of this database's temporary copies or its journal.
    bool isLeftover(const QString& fileName) const;
    void makeFolder() const;
    void removeLeftovers() const;
    QString temporaryPattern() const;
    // A copy checked, each file once as long as it is not changed.
    BackupEntry entryOf(const BackupFile& file) const;

    QString m_folder;
    QString m_baseName;
    QString m_suffix;
    Clock m_clock;
    mutable std::map<QString, BackupEntry> m_checked;
};

// The copies made without being asked: at the start when none was made within a day, and at
// the end when records were changed. A copy that fails never stops the work; it is reported
// once per run (the first time), so a folder that cannot be written is not complained about at
// every turn.
class AutomaticBackups {
  public:
    explicit AutomaticBackups(BackupFolder folder) : m_folder(std::move(folder)) {}

    // Each returns the message to show, or nothing (done, not needed, or already reported).
    std::optional<QString> atStart(Database& db);
    std::optional<QString> atShutdown(Database& db);

    BackupFolder& folder() { return m_folder; }

  private:
    std::optional<QString> makeCopy(Database& db);

    BackupFolder m_folder;
    bool m_reported = false;
};

// A copy put back in place of the database.
struct RestoreResult {
    enum class Outcome {
        Restored,    // done; before holds the copy of the state before
        Refused,     // the copy did not pass the checks; nothing changed
        NotBackedUp, // the current state could not be saved first; nothing changed
        Failed,      // the copy could not be put in place; the database stays as it was
    };
    Outcome outcome = Outcome::Failed;
    QString reason;    // why, for all but Restored
    BackupFile before; // the copy of the state before the restore
    qint64 records = 0;
};

// Checks chosen as the start checks a database, saves the current state as a copy of its own,
// then puts chosen in place of db's content (Database::replaceWith) and thins the folder out.
RestoreResult restoreBackup(Database& db, BackupFolder& folder, const BackupFile& chosen);
