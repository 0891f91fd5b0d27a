#include "backupfolder.h"
#include "database.h"
#include "engineerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QDateTime at(const QString& text) {
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void exec(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

// A database with children numbered first to last, each with a long remark so the table takes
// many pages.
void makeDatabase(const QString& path, int first, int last) {
    Database::createEmpty(path);
    QString sql = QStringLiteral("BEGIN;");
    for (int nr = first; nr <= last; ++nr)
        sql += QStringLiteral("INSERT INTO Daten (Nr, KNach, KVor, Bem) VALUES (%1, 'Kind%1', "
                              "'Vorname', '%2');")
                   .arg(nr)
                   .arg(QString(300, QLatin1Char('x')));
    sql += QStringLiteral("COMMIT;");
    exec(path, sql);
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

ino_t inodeOf(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_ino;
}

QStringList names(const QList<BackupFile>& files) {
    QStringList result;
    for (const BackupFile& f : files)
        result << QFileInfo(f.path).fileName();
    return result;
}

} // namespace

class TestBackupFolder : public QObject {
    Q_OBJECT
  private slots:
    void init();

    void copyIsCompleteNamedAndPrivate();
    void namesOfCopies_data();
    void namesOfCopies();
    void dueAfterADay_data();
    void dueAfterADay();
    void startAndShutdownCopiesAndThinning();
    void failureIsReportedOnceAndStopsNothing();
    void restorePutsTheCopyBackInTheSameFile();
    void damagedCopyIsRefusedAndNothingChanges_data();
    void damagedCopyIsRefusedAndNothingChanges();
    void entriesCountRecords(); // and a damaged copy is no day's copy

  private:
    BackupFolder folder() {
        return BackupFolder(m_dbPath, [this] { return m_now; });
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_dbPath;
    QDateTime m_now;
};

void TestBackupFolder::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_dbPath = m_dir->filePath(QStringLiteral("TarvexDB.mdb"));
    makeDatabase(m_dbPath, 1, 40);
    m_now = at(QStringLiteral("2024-06-20 07:45:00"));
}

void TestBackupFolder::copyIsCompleteNamedAndPrivate() {
    auto db = Database::open(m_dbPath);
    BackupFolder backups = folder();
    const BackupFile copy = backups.write(*db);
    QCOMPARE(copy.path,
             m_dir->filePath(QStringLiteral("Sicherungen/TarvexDB_2024-06-20_07-45-00.mdb")));
    QCOMPARE(copy.time, m_now);
    QCOMPARE(Database::inspect(copy.path), qint64(40));
    QCOMPARE(modeOf(copy.path), mode_t(0640));
    QCOMPARE(modeOf(backups.path()), mode_t(0750));
    QCOMPARE(QDir(backups.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("TarvexDB_2024-06-20_07-45-00.mdb")});
    QCOMPARE(names(backups.list()),
             QStringList{QStringLiteral("TarvexDB_2024-06-20_07-45-00.mdb")});

    // What a copy cut short two hours ago left, a copy another workstation is writing now, and
    // a file of another database of the same folder.
    const QDateTime twoHoursAgo = QDateTime::currentDateTime().addSecs(-7200);
    for (const char* name : {".TarvexDB-a1B2c3.tmp", ".TarvexDB-a1B2c3.tmp-journal",
                             ".TarvexDB-Zz9Yy8.tmp", ".Andere-a1B2c3.tmp"}) {
        QFile file(backups.path() + "/" + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Datensätze");
        file.flush();
        if (QByteArray(name).contains("a1B2c3"))
            QVERIFY(file.setFileTime(twoHoursAgo, QFileDevice::FileModificationTime));
    }
    m_now = m_now.addSecs(60);
    backups.write(*db);
    // Of this database's copies only the finished ones are left.
    QCOMPARE(QDir(backups.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{".Andere-a1B2c3.tmp", ".TarvexDB-Zz9Yy8.tmp",
                          "TarvexDB_2024-06-20_07-45-00.mdb", "TarvexDB_2024-06-20_07-46-00.mdb"}));
}

void TestBackupFolder::namesOfCopies_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("time"); // empty: not a copy
    QTest::newRow("copy") << "TarvexDB_2024-03-01_07-05-09.mdb"
                          << "2024-03-01 07:05:09";
    QTest::newRow("other database") << "Andere_2024-03-01_07-05-09.mdb"
                                    << "";
    QTest::newRow("other suffix") << "TarvexDB_2024-03-01_07-05-09.txt"
                                  << "";
    QTest::newRow("no time") << "TarvexDB_Kopie.mdb"
                             << "";
    QTest::newRow("no such day") << "TarvexDB_2024-02-30_07-05-09.mdb"
                                 << "";
    QTest::newRow("more after the time") << "TarvexDB_2024-03-01_07-05-09x.mdb"
                                         << "";
    QTest::newRow("the database itself") << "TarvexDB.mdb"
                                         << "";
    QTest::newRow("being written") << ".TarvexDB-a1B2c3.tmp"
                                   << "";
}

void TestBackupFolder::namesOfCopies() {
    QFETCH(QString, name);
    QFETCH(QString, time);
    const BackupFolder backups = folder();
    const std::optional<QDateTime> parsed = backups.timeOf(name);
    QCOMPARE(parsed.has_value(), !time.isEmpty());
    if (parsed) {
        QCOMPARE(*parsed, at(time));
        QCOMPARE(backups.fileNameFor(*parsed), name);
    }
}

void TestBackupFolder::dueAfterADay_data() {
    QTest::addColumn<QStringList>("copies");
    QTest::addColumn<bool>("due");
    QTest::newRow("none") << QStringList() << true;
    QTest::newRow("23 hours ago") << QStringList{"2024-06-19_08-45-00"} << false;
    QTest::newRow("25 hours ago") << QStringList{"2024-06-19_06-45-00"} << true;
    QTest::newRow("only one from the future") << QStringList{"2024-07-01_08-00-00"} << true;
    QTest::newRow("old and recent")
        << QStringList{"2024-01-01_08-00-00", "2024-06-20_07-00-00"} << false;
}

void TestBackupFolder::dueAfterADay() {
    QFETCH(QStringList, copies);
    QFETCH(bool, due);
    const BackupFolder backups = folder();
    QDir().mkpath(backups.path());
    for (const QString& stamp : copies)
        QVERIFY(QFile::copy(m_dbPath, backups.path() + "/TarvexDB_" + stamp + ".mdb"));
    QCOMPARE(backups.due(), due);
}

void TestBackupFolder::startAndShutdownCopiesAndThinning() {
    BackupFolder backups = folder();
    QDir().mkpath(backups.path());
    // Thirty days of copies before today, and a file of the office's own.
    for (int d = 1; d <= 30; ++d)
        QVERIFY(QFile::copy(m_dbPath, backups.path() + "/" +
                                          backups.fileNameFor(m_now.addDays(-d).addSecs(-3600))));
    QVERIFY(QFile::copy(m_dbPath, backups.path() + "/notizen.txt"));

    auto db = Database::open(m_dbPath);
    AutomaticBackups automatic(folder());
    // The newest copy is older than a day: one is made, and the folder is thinned out to the
    // last 14 days and the newest of May.
    QCOMPARE(automatic.atStart(*db), std::nullopt);
    QList<BackupFile> files = backups.list();
    QCOMPARE(files.size(), 15);
    QCOMPARE(files.front().time, m_now);
    QCOMPARE(files.back().time, at("2024-05-31 06:45:00"));
    QVERIFY(QFileInfo::exists(backups.path() + "/notizen.txt"));

    // Nothing changed: no copy at the end. A started run a minute later makes none either.
    m_now = m_now.addSecs(60);
    QCOMPARE(automatic.atShutdown(*db), std::nullopt);
    QCOMPARE(AutomaticBackups(folder()).atStart(*db), std::nullopt);
    QCOMPARE(backups.list().size(), 15);

    // A record changed: the end makes a copy with it.
    m_now = m_now.addSecs(3600);
    db->openDynaset(QStringLiteral("SELECT * FROM Daten"));
    exec(m_dbPath, QStringLiteral("SELECT 1")); // another connection changes nothing
    {
        auto other = Database::open(m_dbPath);
        QCOMPARE(AutomaticBackups(folder()).atShutdown(*other), std::nullopt);
        QCOMPARE(backups.list().size(), 15);
    }
    auto rs = db->openDynaset(QStringLiteral("SELECT * FROM Daten WHERE Nr = 1"));
    rs->deleteCurrent();
    QCOMPARE(automatic.atShutdown(*db), std::nullopt);
    files = backups.list();
    QCOMPARE(files.size(), 16);
    QCOMPARE(files.front().time, m_now);
    QCOMPARE(Database::inspect(files.front().path), qint64(39));
}

void TestBackupFolder::failureIsReportedOnceAndStopsNothing() {
    // A file where the folder should be.
    QFile blocker(m_dir->filePath(QStringLiteral("Sicherungen")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto db = Database::open(m_dbPath);
    AutomaticBackups automatic(folder());
    const std::optional<QString> message = automatic.atStart(*db);
    QVERIFY(message);
    QVERIFY2(message->startsWith("Die automatische Datensicherung konnte nicht angelegt werden: "
                                 "Unter dem Namen"),
             qPrintable(*message));
    QVERIFY(message->contains(QDir::toNativeSeparators(blocker.fileName())));
    // The work goes on; the second failure of the run is not said again.
    auto rs = db->openDynaset(QStringLiteral("SELECT * FROM Daten WHERE Nr = 2"));
    rs->deleteCurrent();
    QCOMPARE(automatic.atShutdown(*db), std::nullopt);
    QCOMPARE(Database::inspect(m_dbPath), qint64(39));
    // No stray file beside the database.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"Sicherungen", "TarvexDB.mdb"}));
}

void TestBackupFolder::restorePutsTheCopyBackInTheSameFile() {
    auto db = Database::open(m_dbPath);
    BackupFolder backups = folder();
    const BackupFile copy = backups.write(*db);
    // Afterwards records 1 to 10 are deleted and 41 is stored.
    exec(m_dbPath, "DELETE FROM Daten WHERE Nr <= 10; INSERT INTO Daten (Nr, KNach) VALUES (41, "
                   "'Neu')");
    auto otherWorkstation = Database::open(m_dbPath);
    QCOMPARE(otherWorkstation->highestNumber(), std::optional<qint64>(41));
    const ino_t inode = inodeOf(m_dbPath);

    m_now = m_now.addSecs(600);
    const RestoreResult result = restoreBackup(*db, backups, copy);
    QCOMPARE(int(result.outcome), int(RestoreResult::Outcome::Restored));
    QCOMPARE(result.records, qint64(40));
    // The state before was saved first, whole.
    QCOMPARE(result.before.time, m_now);
    QCOMPARE(Database::inspect(result.before.path), qint64(31));
    QCOMPARE(backups.list().size(), 2);
    // The same file with the copy's content, read by both workstations.
    QCOMPARE(inodeOf(m_dbPath), inode);
    QCOMPARE(Database::inspect(m_dbPath), qint64(40));
    QCOMPARE(db->highestNumber(), std::optional<qint64>(40));
    QCOMPARE(otherWorkstation->highestNumber(), std::optional<qint64>(40));
    auto rs = otherWorkstation->openDynaset(QStringLiteral("SELECT * FROM Daten WHERE Nr = 3"));
    QVERIFY(!rs->eof());
    // The restored file is still written to as before.
    db->openDynaset(QStringLiteral("SELECT * FROM Daten WHERE Nr = 3"))->deleteCurrent();
    QCOMPARE(otherWorkstation->openDynaset(QStringLiteral("SELECT * FROM Daten"))->recordCount(),
             39);
}

void TestBackupFolder::damagedCopyIsRefusedAndNothingChanges_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a page overwritten")
        << "page"
        << "Diese Datensicherung ist beschädigt und kann nicht zurückgespielt werden. Bitte wählen "
           "Sie eine andere Datensicherung.";
    QTest::newRow("a text file") << "text"
                                 << "Die Datei ist keine Datenbank.";
    QTest::newRow("cut short") << "cut"
                               << "Diese Datensicherung ist beschädigt";
    QTest::newRow("no table Daten") << "table"
                                    << "Die Datei enthält keine Tabelle \"Daten\".";
    QTest::newRow("Daten copied without its rules") << "rules"
                                                    << "keinen Schlüssel";
    QTest::newRow("a link to the database") << "link"
                                            << "ein Verweis (Link) auf die Datenbank selbst";
    QTest::newRow("the database under a second name")
        << "hard link"
        << "die Datenbank selbst unter einem zweiten Namen";
}

void TestBackupFolder::damagedCopyIsRefusedAndNothingChanges() {
    QFETCH(QString, damage);
    QFETCH(QString, reason);
    auto db = Database::open(m_dbPath);
    BackupFolder backups = folder();
    const BackupFile copy = backups.write(*db);
    {
        QFile file(copy.path);
        if (damage == "page") {
            // The fourth page of the table, in the middle of its cells.
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(3 * 4096 + 1000);
            file.write(QByteArray(2000, '\xA5'));
        } else if (damage == "text") {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("Dies ist keine Datensicherung.\n");
        } else if (damage == "cut") {
            QVERIFY(file.resize(file.size() / 2));
        } else if (damage.contains("link")) {
            QVERIFY(file.remove());
            const QByteArray from = QFile::encodeName(m_dbPath);
            const QByteArray to = QFile::encodeName(copy.path);
            QCOMPARE(damage == "link" ? ::symlink(from, to) : ::link(from, to), 0);
        } else if (damage == "table") {
            file.close();
            exec(copy.path, "ALTER TABLE Daten RENAME TO Alt");
        } else {
            file.close();
            exec(copy.path, "CREATE TABLE Alt AS SELECT * FROM Daten; DROP TABLE Daten; "
                            "ALTER TABLE Alt RENAME TO Daten; INSERT INTO Daten (Nr) VALUES (1)");
        }
    }
    const QByteArray before = bytesOf(m_dbPath);
    m_now = m_now.addSecs(600);
    const RestoreResult result = restoreBackup(*db, backups, copy);
    QCOMPARE(int(result.outcome), int(RestoreResult::Outcome::Refused));
    QVERIFY2(result.reason.contains(reason), qPrintable(result.reason));
    QVERIFY2(!result.reason.contains("letzte Datensicherung"), qPrintable(result.reason));
    QCOMPARE(bytesOf(m_dbPath), before);
    QCOMPARE(backups.list().size(), 1); // no copy of the state before either
    QCOMPARE(db->highestNumber(), std::optional<qint64>(40));
}

void TestBackupFolder::entriesCountRecords() {
    auto db = Database::open(m_dbPath);
    BackupFolder backups = folder();
    const BackupFile first = backups.write(*db);
    // A copy of the same day whose pages are damaged behind an intact start.
    m_now = m_now.addSecs(3600);
    const BackupFile damaged = backups.write(*db);
    {
        QFile file(damaged.path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(3 * 4096 + 1000);
        file.write(QByteArray(2000, '\xA5'));
    }
    exec(m_dbPath, "DELETE FROM Daten WHERE Nr > 5");
    m_now = m_now.addDays(1);
    const BackupFile second = backups.write(*db);
    m_now = m_now.addDays(1);
    QFile text(backups.path() + "/" + backups.fileNameFor(m_now));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("kein Inhalt");
    text.close();
    const QList<BackupEntry> entries = backups.entries();
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries[0].records, std::nullopt);
    QVERIFY2(entries[0].problem.contains("keine Datenbank"), qPrintable(entries[0].problem));
    QCOMPARE(entries[1].file.path, second.path);
    QCOMPARE(entries[1].records, std::optional<qint64>(5));
    QCOMPARE(entries[2].file.path, damaged.path);
    QCOMPARE(entries[2].records, std::nullopt);
    QVERIFY2(entries[2].problem.contains("beschädigt"), qPrintable(entries[2].problem));
    QCOMPARE(entries[3].records, std::optional<qint64>(40));

    // A week on, the first day keeps its good copy, not the later damaged one.
    m_now = m_now.addDays(7);
    QCOMPARE(backups.thinOut(), QStringList());
    QCOMPARE(names(backups.list()),
             (QStringList{QFileInfo(second.path).fileName(), QFileInfo(first.path).fileName()}));
}

QTEST_GUILESS_MAIN(TestBackupFolder)
#include "tst_backupfolder.moc"
