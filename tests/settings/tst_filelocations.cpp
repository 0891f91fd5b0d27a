// Where the settings and the database live: in the program's folder when the user may write
// there, otherwise in the user's configuration and data folders.

#include "filelocations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestFileLocations : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void foldersAndDatabase_data();
    void foldersAndDatabase();
    void writableFolder_data();
    void writableFolder();
    void systemFolders();

  private:
    QTemporaryDir m_home;
    QString expand(QString text) const;
};

void TestFileLocations::initTestCase() {
    QVERIFY(m_home.isValid());
    qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8());
}

// {P} the program folder, {C} and {D} the user's configuration and data folders.
QString TestFileLocations::expand(QString text) const {
    return text.replace(QStringLiteral("{P}"), QStringLiteral("/opt/kita"))
        .replace(QStringLiteral("{C}"), m_home.filePath(QStringLiteral("config")))
        .replace(QStringLiteral("{D}"), m_home.filePath(QStringLiteral("data")));
}

void TestFileLocations::foldersAndDatabase_data() {
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("nameDB");
    QTest::addColumn<QString>("settingsFolder");
    QTest::addColumn<QString>("database");

    QTest::newRow("own folder") << true << "TarvexDB.mdb"
                                << "{P}"
                                << "{P}/TarvexDB.mdb";
    QTest::newRow("own folder, subfolder") << true << "Daten/kita.db"
                                           << "{P}"
                                           << "{P}/Daten/kita.db";
    QTest::newRow("own folder, absolute") << true << "/srv/kita.db"
                                          << "{P}"
                                          << "/srv/kita.db";
    QTest::newRow("installed") << false << "TarvexDB.mdb"
                               << "{C}/Tarvex"
                               << "{D}/Tarvex/TarvexDB.mdb";
    QTest::newRow("installed, subfolder") << false << "Daten/kita.db"
                                          << "{C}/Tarvex"
                                          << "{D}/Tarvex/Daten/kita.db";
    QTest::newRow("installed, absolute") << false << "/srv/kita.db"
                                         << "{C}/Tarvex"
                                         << "/srv/kita.db";
}

void TestFileLocations::foldersAndDatabase() {
    QFETCH(bool, writable);
    QFETCH(QString, nameDB);
    QFETCH(QString, settingsFolder);
    QFETCH(QString, database);
    const FileLocations where = fileLocations(expand(QStringLiteral("{P}")), writable);
    QCOMPARE(where.settingsFolder, expand(settingsFolder));
    QCOMPARE(databasePath(where, nameDB), expand(database));
}

void TestFileLocations::writableFolder_data() {
    QTest::addColumn<QString>("name"); // in a fresh temporary folder; empty: that folder
    QTest::addColumn<bool>("writable");
    QTest::newRow("folder") << "" << true;
    QTest::newRow("missing folder") << "fehlt" << false;
    QTest::newRow("file") << "Datei" << false;
    QTest::newRow("read-only folder") << "nurLesen" << false;
}

void TestFileLocations::writableFolder() {
    QFETCH(QString, name);
    QFETCH(bool, writable);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("Datei")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("nurLesen")));
    QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("nurLesen")),
                                  QFile::ReadOwner | QFile::ExeOwner));
    if (name == QStringLiteral("nurLesen") && ::geteuid() == 0)
        QSKIP("root may write into any folder");
    QCOMPARE(isWritableFolder(name.isEmpty() ? dir.path() : dir.filePath(name)), writable);
}

// Root may write anywhere; an installed program still keeps the user's files out of /usr.
void TestFileLocations::systemFolders() {
    for (const char* folder : {"/usr/bin", "/usr/local/bin", "/usr", "/bin"})
        QVERIFY2(isSystemFolder(QString::fromLatin1(folder)), folder);
    QTemporaryDir portable;
    QVERIFY(!isSystemFolder(portable.path()));
    QVERIFY(!isSystemFolder(QStringLiteral("/usrlocal")));
}

QTEST_GUILESS_MAIN(TestFileLocations)
#include "tst_filelocations.moc"
