#include "database.h"
#include "engineerror.h"
#include "fieldtable.h"
#include "jetpattern.h"
#include "sqltext.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <stdexcept>

namespace {

const QString kRsDaten = QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC");

// A connection of its own, as another program (or the sqlite3 shell) would have.
struct RawConnection {
    sqlite3* db = nullptr;
    explicit RawConnection(const QString& path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    }
    ~RawConnection() { sqlite3_close(db); }
    bool exec(const QString& sql) {
        return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
};

// The first column of the first row as text.
QString firstValue(sqlite3* db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return value;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Runs f and returns the number of the EngineError it throws, or 0.
int errorOf(const std::function<void()>& f, QString* description = nullptr) {
    try {
        f();
    } catch (const EngineError& e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

QStringList numbersOf(RecordSet& rs) {
    QStringList numbers;
    if (rs.recordCount() > 0)
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            numbers << rs.field(u"Nr").toString();
    return numbers;
}

qint64 nrOf(const RecordSet& rs) {
    return rs.field(u"Nr").toLongLong();
}

// Hard names in the order ICU's German collation gives them, which a PostgreSQL store sorts by
// too. Levels: base letters first, then accents, then case (lower case first); names the
// collation holds equal (é written as e and a combining accent) go by their bytes.
// clang-format off
const char* const kGermanOrder[] = {
    "1. Klasse",                                       // digits before letters
    "Aeschbacher", "Aesop", "Æsop",                    // Æ as ae, then as an accent
    "Apfel", "Äpfel", "Apfelbaum",                     // ä as an accent on a
    "Cafe", "Cafe\u0301", "Café",                      // accent, then bytes
    "de la Cruz", "De la Cruz", "Dela Cruz",           // case; a blank counts
    "Dorde", "Đorđe",                                  // Đ as D with an accent
    "Elodie", "Élodie",
    "Lukas", "łukasz", "Łukasz", "Luzie",              // Ł as L with an accent
    "meier", "Meier", "MEIER",                         // lower case first
    "Meier Anna", "Meier_Anna", "Meier-Anna", "Meier, Anna", // blank _ - , before digits
    "Meier1", "Meier10", "Meier2",                     // digits one by one
    "Mueller", "Muller", "müller", "Müller", "MÜLLER", // ue is not ü
    "O Brien", "O-Brien", "O'Brien", "O’Brien", "OBrien",
    "Oeuvray", "Œuvray",                               // Œ as oe
    "Orsted", "Ørsted", "Ostermann",                   // Ø as O
    "Ozturk", "Öztürk",
    "Sahin", "Şahin",
    "Schmidt", "Schmidt Weber", "Schmidt-Weber",
    "Strasse", "STRASSE", "Straße", "Strassen",        // ß as ss, then as an accent
    "van Berg", "van der Berg", "Van der Berg", "Van Der Berg",
    "Weis", "Weiss", "Weiß",
    "Zoe", "Zoë", "Zwick",
    "Þórdís",                                          // Þ after z
    "Ольга",                                           // Cyrillic after Latin
};
// clang-format on
constexpr int kGermanOrderSize = int(std::size(kGermanOrder));

// The names from first to last in German order.
QStringList germanOrderSlice(const char* first, const char* last) {
    QStringList names;
    bool inside = false;
    for (const char* name : kGermanOrder) {
        inside = inside || std::strcmp(name, first) == 0;
        if (inside)
            names << QString::fromUtf8(name);
        if (inside && std::strcmp(name, last) == 0)
            break;
    }
    return names;
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

    // Throws when the rows cannot be stored, which ends the run like any other engine error.
    std::unique_ptr<Database> createWithRows() {
        Database::createEmpty(m_path);
        if (!RawConnection(m_path).exec(
                QStringLiteral("INSERT INTO Daten (Nr, KNach, KVor, KGrp, KBasis, GAnz, KEssen) "
                               "VALUES (3, 'Müller', 'Anna', 'Bären', 2.5, 1, 'Ja'),"
                               " (1, 'Mueller', 'Ben', 'Igel', 0, 0, NULL),"
                               " (2, 'Apfel', 'Cem', 'Bären', 100, 2, 'Nein'),"
                               " (4, 'Äpfel', 'Dana', 'Igel', NULL, NULL, 'Ja'),"
                               " (5, 'Muller', NULL, 'Bären', 0.1, 0, 'Ja')")))
            throw std::runtime_error("test rows not stored");
        return Database::open(m_path);
    }

  private:
    // A database with enough records to fill several pages, then one page overwritten (page 3:
    // the long schema of Daten; page 20: records).
    void damageFile(int page) {
        Database::createEmpty(m_path);
        {
            RawConnection raw(m_path);
            QVERIFY(raw.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                             "WHERE i < 400) INSERT INTO Daten (Nr, KNach, Bem) SELECT i, "
                             "'Kind' || i, printf('%.200c', 'x') FROM n"));
        }
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(qint64(page) * 4096 + 64));
        file.write(QByteArray(512, '\xA5'));
    }

  private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("TarvexDB.mdb"));
    }

    // ---- Creating -----------------------------------------------------------------------------

    void createdFile() {
        // Whatever the umask, the file replaces an old one, is for owner and group only and
        // leaves no temporary file behind.
        QVERIFY(writeFile(m_path, "alte Datei"));
        for (mode_t mask : {mode_t(0), mode_t(022), mode_t(077)}) {
            const mode_t previous = ::umask(mask);
            Database::createEmpty(m_path);
            ::umask(previous);
            QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("TarvexDB.mdb")});
            struct stat info {};
            QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &info), 0);
            QCOMPARE(info.st_mode & 0777, mode_t(0660));
        }
        {
            RawConnection raw(m_path);
            QCOMPARE(
                firstValue(raw.db, "SELECT strict FROM pragma_table_list WHERE name = 'Daten'"),
                QStringLiteral("1"));
            QCOMPARE(firstValue(raw.db, "PRAGMA journal_mode"), QStringLiteral("delete"));
            // The sqlite3 shell must be able to query the file: no collation of ours in it.
            QVERIFY(!firstValue(raw.db, "SELECT group_concat(sql) FROM sqlite_master")
                         .contains(QLatin1String("COLLATE"), Qt::CaseInsensitive));
        }
        auto db = Database::open(m_path);
        QCOMPARE(db->highestNumber(), std::nullopt);
        QCOMPARE(firstValue(db->handle(), "PRAGMA secure_delete"), QStringLiteral("1"));
        QCOMPARE(firstValue(db->handle(), "SELECT 'Mäuse' LIKE 'mä*'"), QStringLiteral("1"));
    }

    // The table's own rules refuse what the old engine refused, whoever writes to the file.
    void engineRefusesWhatTheOldEngineRefused_data() {
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("accepted");
        auto row = [](const char* name, const QString& values, bool accepted) {
            QTest::newRow(name) << values << accepted;
        };
        const QString x30 = QString(30, QLatin1Char('x'));
        row("duplicate Nr", "(Nr) VALUES (1)", false);
        row("missing Nr", "(KNach) VALUES ('x')", false);
        row("text at its size", "(Nr, KNach) VALUES (2, '" + x30 + "')", true);
        row("umlauts count as characters", "(Nr, KNach) VALUES (2, '" + QString(30, u'ä') + "')",
            true);
        row("text too long", "(Nr, KNach) VALUES (2, '" + x30 + "y')", false);
        row("empty text", "(Nr, KNach) VALUES (2, '')", false);
        row("empty memo", "(Nr, Bem) VALUES (2, '')", false);
        row("long memo", "(Nr, Bem) VALUES (2, '" + QString(5000, u'm') + "')", true);
        row("Null fields", "(Nr, KNach, GAnz, KBasis) VALUES (2, NULL, NULL, NULL)", true);
        row("Integer lowest", "(Nr, GAnz) VALUES (2, -32768)", true);
        row("Integer too high", "(Nr, GAnz) VALUES (2, 32768)", false);
        row("Integer too low", "(Nr, GAnz) VALUES (2, -32769)", false);
        row("Long highest", "(Nr) VALUES (2147483647)", true);
        row("Long too high", "(Nr) VALUES (2147483648)", false);
        row("text in a number column", "(Nr, GAnz) VALUES (2, 'zwei')", false);
        row("Single too large", "(Nr, KBasis) VALUES (2, 1e39)", false);
    }
    void engineRefusesWhatTheOldEngineRefused() {
        QFETCH(QString, values);
        QFETCH(bool, accepted);
        Database::createEmpty(m_path);
        RawConnection raw(m_path);
        QVERIFY(raw.exec(QStringLiteral("INSERT INTO Daten (Nr) VALUES (1)")));
        QCOMPARE(raw.exec(QStringLiteral("INSERT INTO Daten ") + values), accepted);
    }

    void failedCreateLeavesNothing_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("number");
        QTest::newRow("folder missing") << "missing" << ErrorNumber::InvalidPath;
        QTest::newRow("folder in the file's place") << "folder" << ErrorNumber::CannotOpen;
        QTest::newRow("folder without write access") << "locked" << ErrorNumber::CannotOpen;
    }
    void failedCreateLeavesNothing() {
        QFETCH(QString, kind);
        QFETCH(int, number);
        QString folder = m_dir->path();
        if (kind == QLatin1String("missing")) {
            folder = m_dir->filePath(QStringLiteral("fehlt"));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(folder).mkdir(QStringLiteral("TarvexDB.mdb")));
        } else if (::geteuid() == 0) {
            folder = QStringLiteral("/proc"); // root may write into any ordinary folder
        } else {
            folder = m_dir->filePath(QStringLiteral("gesperrt"));
            QVERIFY(QDir().mkdir(folder));
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QString target = folder + QLatin1String("/TarvexDB.mdb");
        const QStringList before = entries(folder);
        QString description;
        QCOMPARE(errorOf([&] { Database::createEmpty(target); }, &description), number);
        QVERIFY2(description.contains(target), qPrintable(description));
        QCOMPARE(QFileInfo(target).isDir(), kind == QLatin1String("folder"));
        QCOMPARE(QFileInfo::exists(target), kind == QLatin1String("folder"));
        if (folder != QLatin1String("/proc"))
            QCOMPARE(entries(folder), before);
    }

    // ---- Opening ------------------------------------------------------------------------------

    void openRefusesForeignFilesUnchanged_data() {
        QTest::addColumn<QString>("kind"); // "file": write text; "sql": run text on a new file
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        auto daten = [](int skip, int rename, bool extra) {
            QStringList list;
            for (int i = 0; i < FieldCount; ++i)
                if (i != skip)
                    list << (i == rename ? QStringLiteral("Anders")
                                         : QLatin1String(fieldTable()[size_t(i)].name));
            if (extra)
                list << QStringLiteral("Extra");
            return QStringLiteral("CREATE TABLE Daten (%1)").arg(list.join(QLatin1String(", ")));
        };
        auto row = [](const char* name, const char* kind, const QString& text, int number) {
            QTest::newRow(name) << QString::fromLatin1(kind) << text << number;
        };
        row("missing", "missing", {}, ErrorNumber::FileNotFound);
        row("folder", "folder", {}, ErrorNumber::CannotOpen);
        row("text file", "file", "Das ist keine Datenbank.\n", ErrorNumber::DatabaseGeneric);
        row("empty file", "file", {}, ErrorNumber::DatabaseGeneric);
        row("database without Daten", "sql", "CREATE TABLE Andere (x)", ErrorNumber::TableNotFound);
        row("Daten is a view", "sql", "CREATE TABLE t (x); CREATE VIEW Daten AS SELECT * FROM t",
            ErrorNumber::TableNotFound);
        for (int i = 0; i < FieldCount; ++i)
            row(qPrintable(QStringLiteral("Daten lacks %1").arg(fieldTable()[size_t(i)].name)),
                "sql", daten(i, -1, false), ErrorNumber::DatabaseGeneric);
        row("damaged schema", "damaged", "3", ErrorNumber::DatabaseGeneric);
        row("damaged records", "damaged", "20", ErrorNumber::DatabaseGeneric);
        row("Daten with a column renamed", "sql", daten(-1, 5, false),
            ErrorNumber::DatabaseGeneric);
        row("Daten with an extra column", "sql", daten(-1, -1, true), ErrorNumber::DatabaseGeneric);
    }
    void openRefusesForeignFilesUnchanged() {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(int, number);
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("TarvexDB.mdb")));
        else if (kind == QLatin1String("file"))
            QVERIFY(writeFile(m_path, text.toUtf8()));
        else if (kind == QLatin1String("sql"))
            QVERIFY(RawConnection(m_path).exec(text));
        else if (kind == QLatin1String("damaged"))
            damageFile(text.toInt());
        const QByteArray before = fileBytes(m_path);
        const QStringList entriesBefore = entries(m_dir->path());

        QString description;
        QCOMPARE(errorOf([&] { Database::open(m_path); }, &description), number);
        QVERIFY2(description.contains(m_path), qPrintable(description));
        if (kind == QLatin1String("damaged"))
            QVERIFY2(description.contains(QLatin1String("Datensicherung")),
                     qPrintable(description));
        QCOMPARE(fileBytes(m_path), before);
        QCOMPARE(entries(m_dir->path()), entriesBefore);
    }

    // A file deleted, moved away or replaced while the program runs is never written into, nor
    // made anew: every access says so.
    void fileGoneWhileOpen_data() {
        QTest::addColumn<QString>("what");
        for (const char* what : {"deleted", "moved", "replaced"})
            QTest::newRow(what) << QString::fromLatin1(what);
    }
    void fileGoneWhileOpen() {
        QFETCH(QString, what);
        Database::createEmpty(m_path);
        QVERIFY(RawConnection(m_path).exec("INSERT INTO Daten (Nr, KNach) VALUES (1, 'Maier')"));
        auto db = Database::open(m_path);
        auto rs = db->openDynaset(kRsDaten);
        const QString other = m_dir->filePath(QStringLiteral("anders.mdb"));
        if (what == QLatin1String("deleted")) {
            QVERIFY(QFile::remove(m_path));
        } else if (what == QLatin1String("moved")) {
            QVERIFY(QFile::rename(m_path, other));
        } else {
            Database::createEmpty(other);
            QVERIFY(QFile::remove(m_path));
            QVERIFY(QFile::rename(other, m_path));
        }
        const QByteArray left = fileBytes(m_path);
        QString description;
        QCOMPARE(errorOf([&] { db->openSnapshot(QStringLiteral("SELECT Nr FROM Daten")); },
                         &description),
                 ErrorNumber::FileNotFound);
        QVERIFY2(description.contains(m_path), qPrintable(description));
        QCOMPARE(errorOf([&] { rs->findFirst(QStringLiteral("Nr = 1")); }),
                 ErrorNumber::FileNotFound);
        QCOMPARE(errorOf([&] {
                     rs->addNew();
                     rs->setField(u"Nr", 2);
                     rs->update();
                 }),
                 ErrorNumber::FileNotFound);
        QCOMPARE(fileBytes(m_path), left); // nothing made anew, nothing written
    }

    // ---- Statements and snapshots -------------------------------------------------------------

    void orderByGetsGermanCollation_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected"); // empty: unchanged
        auto row = [](const char* name, const QString& sql, const char* expected = "") {
            QTest::newRow(name) << sql << QString::fromLatin1(expected);
        };
        row("rsDaten, two blanks kept", kRsDaten,
            "SELECT * FROM Daten ORDER BY Nr ASC, KNach COLLATE GERMAN  ASC");
        row("two text fields", "SELECT Nr FROM Daten ORDER BY KGrp DESC, knach",
            "SELECT Nr FROM Daten ORDER BY KGrp COLLATE GERMAN DESC, knach COLLATE GERMAN");
        row("quoted and qualified", "SELECT Nr FROM Daten ORDER BY [KVor], Daten.KOrt ASC",
            "SELECT Nr FROM Daten ORDER BY [KVor] COLLATE GERMAN, Daten.KOrt COLLATE GERMAN ASC");
        row("memo like text", "SELECT Nr FROM Daten ORDER BY Bem",
            "SELECT Nr FROM Daten ORDER BY Bem COLLATE GERMAN");
        row("numbers stay", "SELECT Nr FROM Daten ORDER BY KBasis ASC, GAnz DESC");
        row("own collation stays", "SELECT Nr FROM Daten ORDER BY KNach COLLATE NOCASE");
        row("words in a string are not clauses",
            "SELECT Nr FROM Daten WHERE KNach LIKE 'order by KNach*' ORDER BY Nr");
        row("no order", "SELECT Nr FROM Daten");
    }
    void orderByGetsGermanCollation() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(store::withGermanCollation(sql), expected.isEmpty() ? sql : expected);
    }

    // The first column of a snapshot, cells parted by "|"; or the error the statement gives,
    // with the statement and the reason in its description, leaving the rows as they were.
    void snapshotRows_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("cells"); // or the reason
        QTest::addColumn<int>("number");
        auto row = [](const char* name, const char* sql, const char* cells, int number = 0) {
            QTest::newRow(name) << QString::fromLatin1(sql) << QString::fromUtf8(cells) << number;
        };
        row("German order", "SELECT KNach FROM Daten ORDER BY KNach ASC",
            "Apfel|Äpfel|Mueller|Muller|Müller");
        row("German order, descending", "SELECT Nr FROM Daten ORDER BY KNach DESC", "3|5|1|4|2");
        row("two text keys", "SELECT Nr FROM Daten ORDER BY KGrp ASC, KNach ASC", "2|5|3|4|1");
        row("Singles as shown", "SELECT KBasis FROM Daten ORDER BY Nr", "0|100|2,5||0,1");
        row("syntax", "SELEKT Nr FROM Daten", "syntax error", ErrorNumber::SqlSyntax);
        row("unknown column", "SELECT Foo FROM Daten", "Foo", ErrorNumber::UnknownName);
        // A snapshot only reads.
        row("delete", "DELETE FROM Daten", "", ErrorNumber::SqlSyntax);
        row("drop", "DROP TABLE Daten", "", ErrorNumber::SqlSyntax);
    }
    void snapshotRows() {
        QFETCH(QString, sql);
        QFETCH(QString, cells);
        QFETCH(int, number);
        auto db = createWithRows();
        std::unique_ptr<Snapshot> s;
        QString description;
        QCOMPARE(errorOf([&] { s = db->openSnapshot(sql); }, &description), number);
        if (number) {
            QVERIFY2(description.contains(sql) && description.contains(cells),
                     qPrintable(description));
            QCOMPARE(db->highestNumber(), 5);
            return;
        }
        QStringList values;
        for (int r = 0; r < s->rowCount(); ++r)
            values << s->text(r, 0);
        QCOMPARE(values.join(u'|'), cells);
    }

    // The German order against ICU's, directly in both encodings: each name against all.
    void germanCompareOrder_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < kGermanOrderSize; ++i)
            QTest::newRow(kGermanOrder[i]) << i;
    }
    void germanCompareOrder() {
        QFETCH(int, index);
        const QByteArray a(kGermanOrder[index]);
        for (int j = 0; j < kGermanOrderSize; ++j) {
            const QByteArray b(kGermanOrder[j]);
            const QByteArray pair = a + " against " + b;
            const int expected = sign(index - j);
            QVERIFY2(sign(germanCompare(a.constData(), int(a.size()), b.constData(),
                                        int(b.size()))) == expected,
                     "UTF-8: " + pair);
            QVERIFY2(sign(germanCompare(QString::fromUtf8(a), QString::fromUtf8(b))) == expected,
                     "UTF-16: " + pair);
        }
    }

    // The same order from the store's sorted snapshots, and the LIKE ranges of a search
    // comparing in it: names stored in another order come back sorted.
    void germanOrderInTheStore_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("names");
        const QStringList all = germanOrderSlice(kGermanOrder[0], "Ольга");
        QStringList reversed(all.rbegin(), all.rend());
        QTest::newRow("ascending") << "SELECT KNach FROM Daten ORDER BY KNach" << all;
        QTest::newRow("descending") << "SELECT KNach FROM Daten ORDER BY KNach DESC" << reversed;
        QTest::newRow("range with Ł")
            << "SELECT KNach FROM Daten WHERE KNach LIKE '[k-m]*' ORDER BY KNach"
            << germanOrderSlice("Lukas", "MÜLLER");
        QTest::newRow("range with Œ Ø Ö")
            << "SELECT KNach FROM Daten WHERE KNach LIKE '[n-p]*' ORDER BY KNach"
            << germanOrderSlice("O Brien", "Öztürk");
        QTest::newRow("range with Đ")
            << "SELECT KNach FROM Daten WHERE KNach LIKE '[d-d]*' ORDER BY KNach"
            << germanOrderSlice("de la Cruz", "Đorđe");
        QTest::newRow("outside a-z")
            << "SELECT KNach FROM Daten WHERE KNach LIKE '[!a-z]*' ORDER BY KNach"
            << germanOrderSlice("1. Klasse", "1. Klasse") + germanOrderSlice("Þórdís", "Ольга");
    }
    void germanOrderInTheStore() {
        QFETCH(QString, sql);
        QFETCH(QStringList, names);
        Database::createEmpty(m_path);
        {
            // Record numbers in a scrambled order, so that no other order gives the names'.
            RawConnection raw(m_path);
            QStringList values;
            for (int i = 0; i < kGermanOrderSize; ++i)
                values << QStringLiteral("(%1, '%2')")
                              .arg((i * 37) % kGermanOrderSize + 1)
                              .arg(QString::fromUtf8(kGermanOrder[i])
                                       .replace(QLatin1String("'"), QLatin1String("''")));
            QVERIFY(raw.exec("INSERT INTO Daten (Nr, KNach) VALUES " + values.join(u',')));
        }
        auto db = Database::open(m_path);
        auto s = db->openSnapshot(sql);
        QStringList read;
        for (int r = 0; r < s->rowCount(); ++r)
            read << s->text(r, 0);
        QCOMPARE(read, names);
    }

    void snapshotCells() {
        auto db = createWithRows();
        auto s = db->openSnapshot(QStringLiteral("SELECT Nr, KNach, KBasis, GAnz FROM Daten "
                                                 "ORDER BY Nr"));
        QCOMPARE(s->columnIndex(u"kbasis"), 2);
        QCOMPARE(s->columnIndex(u"KVor"), -1);
        QCOMPARE(s->utf8(2, 1), QByteArrayView("Müller"));
        QVERIFY(!s->isNull(0, 2)); // 0 is no Null, and Äpfel's Null is no 0
        QVERIFY(s->isNull(3, 2) && s->isNull(3, 3));
        QCOMPARE(s->findRow(3, 2), 1);
        QCOMPARE(s->findFirst(QStringLiteral("nr = 5")), 4);
        QCOMPARE(s->findFirst(QStringLiteral("Nr = 9")), -1);
        QCOMPARE(errorOf([&] { s->findFirst(QStringLiteral("KVor = 1")); }),
                 ErrorNumber::UnknownField);
    }

    // ---- The dynaset --------------------------------------------------------------------------

    void dynasetWalksInOrder() {
        auto db = createWithRows();
        auto rs = db->openDynaset(kRsDaten);
        QCOMPARE(rs->recordCount(), 5);
        QVERIFY(!rs->bof() && !rs->eof());
        QCOMPARE(nrOf(*rs), 1);
        QCOMPARE(numbersOf(*rs), QStringList({"1", "2", "3", "4", "5"}));
        QVERIFY(rs->eof());
        QCOMPARE(errorOf([&] { rs->moveNext(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rs->field(u"Nr"); }), ErrorNumber::NoCurrentRecord);
        rs->movePrevious();
        QCOMPARE(nrOf(*rs), 5);
        rs->moveFirst();
        rs->movePrevious();
        QVERIFY(rs->bof() && !rs->eof());
        QCOMPARE(errorOf([&] { rs->movePrevious(); }), ErrorNumber::NoCurrentRecord);
        rs->moveLast();
        QCOMPARE(nrOf(*rs), 5);

        QCOMPARE(numbersOf(*db->openDynaset(
                     QStringLiteral("SELECT * FROM Daten WHERE KGrp LIKE 'B*' ORDER BY Nr DESC"))),
                 QStringList({"5", "3", "2"}));
        QCOMPARE(numbersOf(*db->openDynaset(QStringLiteral("SELECT * FROM Daten ORDER BY KNach"))),
                 QStringList({"2", "4", "1", "5", "3"}));
        auto empty = db->openDynaset(QStringLiteral("SELECT * FROM Daten WHERE Nr > 99"));
        QVERIFY(empty->eof() && empty->bof());
        QCOMPARE(empty->recordCount(), 0);
        QCOMPARE(errorOf([&] { empty->moveFirst(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorOf([&] { db->openDynaset(QStringLiteral("SELECT Nr FROM Andere")); }),
                 ErrorNumber::SqlSyntax);

        rs->close();
        QCOMPARE(errorOf([&] { rs->moveFirst(); }), ErrorNumber::ObjectClosed);
        QCOMPARE(errorOf([&] { rs->values(); }), ErrorNumber::ObjectClosed);
    }

    void findFirstAndFields() {
        auto db = createWithRows();
        auto rs = db->openDynaset(kRsDaten);
        QVERIFY(rs->findFirst(QStringLiteral("Nr = 3")));
        QCOMPARE(rs->field(u"Nr").typeId(), QMetaType::LongLong);
        QCOMPARE(rs->field(u"knach"), QVariant(QStringLiteral("Müller")));
        QCOMPARE(rs->field(u"KBasis"), QVariant(2.5));
        QCOMPARE(rs->field(u"GAnz"), QVariant(qint64(1)));
        QVERIFY(!rs->field(u"Bem").isValid());
        QCOMPARE(errorOf([&] { rs->field(u"Unbekannt"); }), ErrorNumber::ItemNotFound);
        // values() reads the row whole: as the fields, of the record being changed with its
        // assigned fields, and of a new record.
        const auto kVor = size_t(fieldIndex(u"KVor"));
        std::array<QVariant, FieldCount> row = rs->values();
        for (int i = 0; i < FieldCount; ++i)
            QCOMPARE(row[size_t(i)], rs->field(QString::fromLatin1(fieldTable()[size_t(i)].name)));
        rs->edit();
        rs->setField(u"KVor", QStringLiteral("Bea"));
        row = rs->values();
        QCOMPARE(row[kVor], QVariant(QStringLiteral("Bea")));
        QCOMPARE(row[0], QVariant(qint64(3)));
        rs->addNew();
        rs->setField(u"Nr", 9);
        row = rs->values();
        QCOMPARE(row[0], QVariant(qint64(9)));
        QVERIFY(!row[kVor].isValid());
        rs->cancelUpdate();

        QVERIFY(!rs->findFirst(QStringLiteral("Nr = 99")));
        QCOMPARE(nrOf(*rs), 3); // a miss keeps the current row
        QVERIFY(rs->findFirst(QStringLiteral("GAnz=0")));
        QCOMPARE(nrOf(*rs), 1);
        QCOMPARE(errorOf([&] { rs->findFirst(QStringLiteral("Nr = ")); }),
                 ErrorNumber::CriteriaSyntax);
        QCOMPARE(errorOf([&] { rs->findFirst(QStringLiteral("Foo = 1")); }),
                 ErrorNumber::UnknownField);
    }

    // A value assigned to a new and to a changed record: converted to the column's type and
    // stored, or refused with the field named; a refused record is rolled back, keeping no lock.
    void assignedValues_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("number"); // 3421 when the assignment is refused, else at saving
        QTest::addColumn<QString>("reason");
        auto row = [](const char* name, const char* field, const QVariant& value,
                      const QVariant& stored, int number = 0, const char* reason = "") {
            QTest::newRow(name) << QString::fromLatin1(field) << value << stored << number
                                << QString::fromUtf8(reason);
        };
        row("decimal comma", "KBasis", "2,5", 2.5);
        row("Single precision", "KSumme", "0,1", double(0.1f));
        row("round half even", "GAnz", "2,5", qint64(2));
        row("round up", "GAnz", "3,5", qint64(4));
        row("number to text", "KPLZ", 12345, "12345");
        row("text stays", "KNach", "Öztürk", "Öztürk");
        row("Null", "KNach", QVariant(), QVariant());
        row("not a number", "GAnz", "drei", {}, ErrorNumber::ConversionFailed, "\"GAnz\"");
        row("empty for number", "KBasis", "", {}, ErrorNumber::ConversionFailed, "\"KBasis\"");
        row("duplicate Nr", "Nr", "3", {}, ErrorNumber::UpdateRefused,
            "Ein Datensatz mit der Nummer 3 ist bereits vorhanden.");
        row("text too long", "KOrt", QString(41, QLatin1Char('o')), {}, ErrorNumber::FieldTooSmall,
            "Der Text im Feld \"KOrt\" ist zu lang: erlaubt sind höchstens 40 Zeichen.");
        row("empty text", "KVor", "", {}, ErrorNumber::ZeroLengthText,
            "Das Feld \"KVor\" darf keinen leeren Text enthalten.");
        row("Integer out of range", "GAnz", "40000", {}, ErrorNumber::NumericOverflow, "\"GAnz\"");
        row("Long out of range", "Nr", "3000000000", {}, ErrorNumber::NumericOverflow, "\"Nr\"");
        row("no number", "Nr", QVariant(), {}, ErrorNumber::KeyIsNull, "\"Nr\"");
    }
    void assignedValues() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QVariant, stored);
        QFETCH(int, number);
        QFETCH(QString, reason);
        auto db = createWithRows();
        auto rs = db->openDynaset(kRsDaten);
        QCOMPARE(errorOf([&] { rs->setField(field, value); }), ErrorNumber::NotEditing);
        for (bool adding : {true, false}) {
            if (adding) {
                rs->addNew();
                rs->setField(u"Nr", 9);
                rs->setField(u"KNach", QStringLiteral("Neu"));
            } else {
                QVERIFY(rs->findFirst(QStringLiteral("Nr = 1")));
                rs->edit();
            }
            QString description;
            const bool refusedAtOnce = number == ErrorNumber::ConversionFailed;
            QCOMPARE(errorOf([&] { rs->setField(field, value); }, &description),
                     refusedAtOnce ? number : 0);
            if (!refusedAtOnce)
                QCOMPARE(errorOf([&] { rs->update(); }, &description), number);
            QVERIFY2(description.contains(reason), qPrintable(description));
            if (refusedAtOnce)
                rs->cancelUpdate();
            QVERIFY(sqlite3_get_autocommit(db->handle()));
            QCOMPARE(rs->recordCount(), number ? 5 : 6);
            if (number == 0) { // stored, not only buffered
                QCOMPARE(rs->field(field), stored);
                auto fresh = Database::open(m_path)->openDynaset(kRsDaten);
                QVERIFY(fresh->findFirst(adding ? QStringLiteral("Nr = 9") : "Nr = 1"));
                QCOMPARE(fresh->field(field), stored);
            }
        }
        if (number != 0)
            QCOMPARE(firstValue(db->handle(), "SELECT KNach FROM Daten WHERE Nr = 1"),
                     QStringLiteral("Mueller"));
    }

    void addEditDeleteKeepTheKeys() {
        auto db = createWithRows();
        auto rs = db->openDynaset(kRsDaten);
        rs->addNew();
        rs->setField(u"Nr", QStringLiteral("0"));
        rs->setField(u"KNach", QStringLiteral("Zuerst"));
        QCOMPARE(rs->field(u"KNach"), QVariant(QStringLiteral("Zuerst"))); // the buffer
        rs->update();
        // The new row is current and appended at the end of the set's order.
        QCOMPARE(nrOf(*rs), 0);
        QCOMPARE(numbersOf(*rs), QStringList({"1", "2", "3", "4", "5", "0"}));

        QVERIFY(rs->findFirst(QStringLiteral("Nr = 2")));
        rs->edit();
        rs->setField(u"Nr", 20);
        rs->setField(u"KVor", QStringLiteral("Cem Can"));
        rs->update();
        QCOMPARE(rs->field(u"KVor"), QVariant(QStringLiteral("Cem Can")));
        QVERIFY(!rs->findFirst(QStringLiteral("Nr = 2")));
        QVERIFY(rs->findFirst(QStringLiteral("Nr = 20")));

        rs->edit();
        rs->setField(u"KVor", QStringLiteral("verworfen"));
        rs->cancelUpdate();
        QCOMPARE(rs->field(u"KVor"), QVariant(QStringLiteral("Cem Can")));
        QCOMPARE(errorOf([&] { rs->update(); }), ErrorNumber::NotEditing);

        QVERIFY(rs->findFirst(QStringLiteral("Nr = 3")));
        rs->deleteCurrent();
        QCOMPARE(errorOf([&] { rs->field(u"Nr"); }), ErrorNumber::NoCurrentRecord);
        rs->moveNext();
        QCOMPARE(nrOf(*rs), 4);
        QCOMPARE(rs->recordCount(), 5);
        QCOMPARE(numbersOf(*rs), QStringList({"1", "20", "4", "5", "0"}));
        // A set opened afresh agrees with the stored rows.
        QCOMPARE(numbersOf(*db->openDynaset(kRsDaten)), QStringList({"0", "1", "4", "5", "20"}));
    }

    // ---- Choice values and the highest number ------------------------------------------------

    void valuesInOrder_data() {
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("error");
        // Records by Nr, and within a record the columns as given; "Ev." and "ev." differ.
        QTest::newRow("three columns") << QStringList{"KKonf", "MKonf", "VKonf"}
                                       << QStringList{"islam.", "Ev.", "rk", "ev.", "o.K."} << 0;
        QTest::newRow("columns in the order given")
            << QStringList{"VKonf", "kkonf"} << QStringList{"rk", "Ev.", "ev."} << 0;
        QTest::newRow("no columns") << QStringList{} << QStringList{} << 0;
        QTest::newRow("number column")
            << QStringList{"KKonf", "Nr"} << QStringList{} << int(ErrorNumber::UnknownName);
        QTest::newRow("unknown column")
            << QStringList{"KKonf) --"} << QStringList{} << int(ErrorNumber::UnknownName);
    }
    void valuesInOrder() {
        QFETCH(QStringList, columns);
        QFETCH(QStringList, values);
        QFETCH(int, error);
        Database::createEmpty(m_path);
        QVERIFY(RawConnection(m_path).exec(
            QStringLiteral("INSERT INTO Daten (Nr, KKonf, MKonf, VKonf) VALUES "
                           "(2, 'Ev.', NULL, 'rk'), (7, 'rk', 'ev.', NULL), "
                           "(-1, NULL, 'islam.', NULL), (3, 'ev.', 'o.K.', 'Ev.')")));
        auto db = Database::open(m_path);
        QStringList found;
        QCOMPARE(errorOf([&] { found = db->valuesInOrder(columns); }), error);
        QCOMPARE(found, values);
        QCOMPARE(db->highestNumber(), 7);
        // Several groups at once: each list as if asked for alone.
        if (!error)
            QCOMPARE(db->valuesInOrder({columns, {"MKonf"}}),
                     (QList<QStringList>{values, {"islam.", "o.K.", "ev."}}));
    }

    // ---- Two workstations --------------------------------------------------------------------

    void editLocksAgainstAnotherWorkstation() {
        auto a = createWithRows();
        auto b = Database::open(m_path);
        a->setBusyTimeout(50);
        b->setBusyTimeout(50);
        // Open sets hold no read lock: the other workstation's saves go through.
        auto snapshot = a->openSnapshot(QStringLiteral("SELECT * FROM Daten ORDER BY KNach"));
        auto rsA = a->openDynaset(kRsDaten);
        auto rsB = b->openDynaset(kRsDaten);
        rsA->edit();
        rsA->setField(u"KVor", QStringLiteral("Bea"));

        QString description;
        QCOMPARE(errorOf([&] { rsB->edit(); }, &description), ErrorNumber::RecordLocked);
        QCOMPARE(description, QStringLiteral("Der Datensatz wird gerade von einem anderen "
                                             "Benutzer bearbeitet und ist gesperrt. Bitte "
                                             "versuchen Sie es später noch einmal."));
        QCOMPARE(errorOf([&] { rsB->deleteCurrent(); }), ErrorNumber::RecordLocked);
        rsB->addNew();
        rsB->setField(u"Nr", 8);
        QCOMPARE(errorOf([&] { rsB->update(); }), ErrorNumber::RecordLocked);
        // Reading goes on while the lock is held.
        QCOMPARE(rsB->field(u"KVor"), QVariant(QStringLiteral("Ben")));

        rsA->update();
        QCOMPARE(rsB->field(u"KVor"), QVariant(QStringLiteral("Bea")));
        rsB->edit();
        QCOMPARE(errorOf([&] { rsA->edit(); }), ErrorNumber::RecordLocked);
        rsB->cancelUpdate(); // gives the lock back, and so does a refused update
        rsA->edit();
        rsA->setField(u"KNach", QString());
        QCOMPARE(errorOf([&] { rsA->update(); }), ErrorNumber::ZeroLengthText);
        rsB->edit();
        rsB->setField(u"KNach", QStringLiteral("Möller"));
        rsB->update();
        QCOMPARE(rsA->field(u"KNach"), QVariant(QStringLiteral("Möller")));
        rsA->edit();
        rsA.reset(); // a set that goes away in the middle of a change gives it back as well
        // A row the other workstation deletes is no current record any more, but the set
        // moves on from it.
        auto rsC = a->openDynaset(kRsDaten);
        rsB->deleteCurrent();
        QCOMPARE(errorOf([&] { rsC->field(u"KNach"); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rsC->values(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rsC->edit(); }), ErrorNumber::NoCurrentRecord);
        QVERIFY(sqlite3_get_autocommit(a->handle()));
        QCOMPARE(errorOf([&] { rsC->deleteCurrent(); }), ErrorNumber::NoCurrentRecord);
        rsC->moveNext();
        QCOMPARE(nrOf(*rsC), 2);
        QCOMPARE(snapshot->rowCount(), 5); // the snapshot keeps what it read
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
