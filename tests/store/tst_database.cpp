#include "database.h"
#include "engineerror.h"
#include "fieldtable.h"
#include "sqltext.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>

namespace {

const QString kRsDaten = QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC");

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
    QString text(const char* sql) { return firstValue(db, sql); }
};

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

QStringList column(const Snapshot& s, int c) {
    QStringList values;
    for (int r = 0; r < s.rowCount(); ++r)
        values << s.text(r, c);
    return values;
}

QStringList numbersOf(RecordSet& rs) {
    QStringList numbers;
    if (rs.recordCount() == 0)
        return numbers;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        numbers << rs.field(u"Nr").toString();
    return numbers;
}

qint64 nrOf(const RecordSet& rs) {
    return rs.field(u"Nr").toLongLong();
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

    // Two workstations on the rows; the second waits 50 ms for a lock.
    std::pair<std::unique_ptr<Database>, std::unique_ptr<Database>> twoWorkstations() {
        auto a = createWithRows();
        auto b = Database::open(m_path);
        b->setBusyTimeout(50);
        return {std::move(a), std::move(b)};
    }

  private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("TarvexDB.mdb"));
    }

    // ---- Creating -----------------------------------------------------------------------------

    void createdFileHoldsTheEmptyTable() {
        QVERIFY(writeFile(m_path, "alte Datei")); // replaced
        Database::createEmpty(m_path);
        QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("TarvexDB.mdb")});

        auto sqlType = [](FieldType t) {
            return t == FieldType::Single                         ? "REAL"
                   : t == FieldType::Text || t == FieldType::Memo ? "TEXT"
                                                                  : "INT";
        };
        QStringList columns; // name, type, not null, primary key
        for (const FieldDef& f : fieldTable())
            columns << QStringLiteral("%1 %2 %3")
                           .arg(QLatin1String(f.name), QLatin1String(sqlType(f.type)),
                                QLatin1String(columns.isEmpty() ? "1 1" : "0 0"));
        RawConnection raw(m_path);
        QCOMPARE(raw.text("SELECT group_concat(name || ' ' || type || ' ' || \"notnull\" || ' ' "
                          "|| pk, ',') FROM pragma_table_info('Daten')")
                     .split(u','),
                 columns);
        QCOMPARE(raw.text("SELECT count(*) FROM Daten"), QStringLiteral("0"));
        QCOMPARE(raw.text("SELECT strict FROM pragma_table_list WHERE name = 'Daten'"),
                 QStringLiteral("1"));
        QCOMPARE(raw.text("PRAGMA journal_mode"), QStringLiteral("delete"));
        // The sqlite3 shell must be able to query the file: no collation of ours in the schema.
        QVERIFY(!raw.text("SELECT group_concat(sql) FROM sqlite_master")
                     .contains(QLatin1String("COLLATE"), Qt::CaseInsensitive));

        auto db = Database::open(m_path);
        QCOMPARE(firstValue(db->handle(), "PRAGMA secure_delete"), QStringLiteral("1"));
        QCOMPARE(firstValue(db->handle(), "SELECT 'Mäuse' LIKE 'mä*'"), QStringLiteral("1"));
    }

    void engineRefusesWhatTheOldEngineRefused_data() {
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("accepted");
        auto row = [](const char* name, const QString& values, bool accepted) {
            QTest::newRow(name) << values << accepted;
        };
        const QString x30 = QString(30, QLatin1Char('x'));
        row("duplicate Nr", QStringLiteral("(Nr) VALUES (1)"), false);
        row("missing Nr", QStringLiteral("(KNach) VALUES ('x')"), false);
        row("text at its size", QStringLiteral("(Nr, KNach) VALUES (2, '%1')").arg(x30), true);
        row("umlauts count as characters",
            QStringLiteral("(Nr, KNach) VALUES (2, '%1')").arg(QString(30, QChar(0xE4))), true);
        row("text too long", QStringLiteral("(Nr, KNach) VALUES (2, '%1y')").arg(x30), false);
        row("empty text", QStringLiteral("(Nr, KNach) VALUES (2, '')"), false);
        row("empty memo", QStringLiteral("(Nr, Bem) VALUES (2, '')"), false);
        row("long memo",
            QStringLiteral("(Nr, Bem) VALUES (2, '%1')").arg(QString(5000, QLatin1Char('m'))),
            true);
        row("Null fields", QStringLiteral("(Nr, KNach, GAnz, KBasis) VALUES (2, NULL, NULL, NULL)"),
            true);
        row("Integer lowest", QStringLiteral("(Nr, GAnz) VALUES (2, -32768)"), true);
        row("Integer too high", QStringLiteral("(Nr, GAnz) VALUES (2, 32768)"), false);
        row("Integer too low", QStringLiteral("(Nr, GAnz) VALUES (2, -32769)"), false);
        row("Long highest", QStringLiteral("(Nr) VALUES (2147483647)"), true);
        row("Long too high", QStringLiteral("(Nr) VALUES (2147483648)"), false);
        row("text in a number column", QStringLiteral("(Nr, GAnz) VALUES (2, 'zwei')"), false);
        row("Single too large", QStringLiteral("(Nr, KBasis) VALUES (2, 1e39)"), false);
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

    void createdFileIsForOwnerAndGroupOnly() {
        for (mode_t mask : {mode_t(0), mode_t(022), mode_t(077)}) {
            const mode_t previous = ::umask(mask);
            Database::createEmpty(m_path);
            ::umask(previous);
            struct stat info {};
            QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &info), 0);
            QCOMPARE(info.st_mode & 0777, mode_t(0660));
        }
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
        row("Daten lacks a column", "sql", daten(10, -1, false), ErrorNumber::DatabaseGeneric);
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
        const QByteArray before = fileBytes(m_path);
        const QStringList entriesBefore = entries(m_dir->path());

        QString description;
        QCOMPARE(errorOf([&] { Database::open(m_path); }, &description), number);
        QVERIFY2(description.contains(m_path), qPrintable(description));
        QCOMPARE(fileBytes(m_path), before);
        QCOMPARE(entries(m_dir->path()), entriesBefore);
    }

    // ---- Statements and snapshots -------------------------------------------------------------

    void orderByGetsGermanCollation_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected"); // empty: unchanged
        QTest::newRow("rsDaten, two blanks kept")
            << kRsDaten << "SELECT * FROM Daten ORDER BY Nr ASC, KNach COLLATE GERMAN  ASC";
        QTest::newRow("two text fields")
            << "SELECT Nr FROM Daten ORDER BY KGrp DESC, knach"
            << "SELECT Nr FROM Daten ORDER BY KGrp COLLATE GERMAN DESC, knach COLLATE GERMAN";
        QTest::newRow("quoted and qualified")
            << "SELECT Nr FROM Daten ORDER BY [KVor], Daten.KOrt ASC"
            << "SELECT Nr FROM Daten ORDER BY [KVor] COLLATE GERMAN, Daten.KOrt COLLATE GERMAN ASC";
        QTest::newRow("numbers stay") << "SELECT Nr FROM Daten ORDER BY KBasis ASC, GAnz DESC"
                                      << "";
        QTest::newRow("own collation stays") << "SELECT Nr FROM Daten ORDER BY KNach COLLATE NOCASE"
                                             << "";
        QTest::newRow("words in a string are not clauses")
            << "SELECT Nr FROM Daten WHERE KNach LIKE 'order by KNach*' ORDER BY Nr"
            << "";
        QTest::newRow("no order") << "SELECT Nr FROM Daten"
                                  << "";
    }
    void orderByGetsGermanCollation() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(store::withGermanCollation(sql), expected.isEmpty() ? sql : expected);
    }

    void textSortsInGermanOrder() {
        auto db = createWithRows();
        auto s = db->openSnapshot(QStringLiteral("SELECT Nr, KNach FROM Daten ORDER BY KNach ASC"));
        QCOMPARE(column(*s, 1), QStringList({"Apfel", "Äpfel", "Mueller", "Muller", "Müller"}));
        s = db->openSnapshot(QStringLiteral("SELECT Nr FROM Daten ORDER BY KNach DESC"));
        QCOMPARE(column(*s, 0), QStringList({"3", "5", "1", "4", "2"}));
        s = db->openSnapshot(QStringLiteral("SELECT Nr FROM Daten ORDER BY KGrp ASC, KNach ASC"));
        QCOMPARE(column(*s, 0), QStringList({"2", "5", "3", "4", "1"}));
        auto rs = db->openDynaset(QStringLiteral("SELECT * FROM Daten ORDER BY KNach ASC"));
        QCOMPARE(numbersOf(*rs), QStringList({"2", "4", "1", "5", "3"}));
    }

    void snapshotCells() {
        auto db = createWithRows();
        auto s = db->openSnapshot(
            QStringLiteral("SELECT Nr, KNach, KBasis, KEssen FROM Daten WHERE KNach LIKE "
                           "'M*' AND KEssen LIKE '*' ORDER BY Nr"));
        // Mueller (1) has no KEssen: Null never matches, not even "*".
        QCOMPARE(column(*s, 0), QStringList({"3", "5"}));
        QCOMPARE(s->columnIndex(u"kbasis"), 2);
        QCOMPARE(s->columnIndex(u"KVor"), -1);
        QCOMPARE(column(*s, 2), QStringList({"2,5", "0,1"}));
        QCOMPARE(s->utf8(0, 1), QByteArrayView("Müller"));
        QCOMPARE(s->findFirst(QStringLiteral("Nr = 5")), 1);
        QCOMPARE(s->findFirst(QStringLiteral("Nr = 4")), -1);
        QCOMPARE(errorOf([&] { s->findFirst(QStringLiteral("KVor = 1")); }),
                 ErrorNumber::UnknownField);

        s = db->openSnapshot(QStringLiteral("SELECT KBasis, GAnz FROM Daten ORDER BY Nr"));
        QCOMPARE(column(*s, 0), QStringList({"0", "100", "2,5", "", "0,1"}));
        QVERIFY(!s->isNull(0, 0)); // 0 is no Null, and Äpfel's Null is no 0
        QVERIFY(s->isNull(3, 0) && s->isNull(3, 1));
        QCOMPARE(s->findRow(1, 2), 1);
    }

    void snapshotErrorsAreReported() {
        Database::createEmpty(m_path);
        auto db = Database::open(m_path);
        QString description;
        QCOMPARE(errorOf([&] { db->openSnapshot(QStringLiteral("SELEKT Nr FROM Daten")); },
                         &description),
                 ErrorNumber::SqlSyntax);
        QVERIFY2(description.contains(QLatin1String("syntax error")), qPrintable(description));
        QCOMPARE(errorOf([&] { db->openSnapshot(QStringLiteral("SELECT Foo FROM Daten")); },
                         &description),
                 ErrorNumber::UnknownName);
        QVERIFY(description.contains(QLatin1String("Foo")));
        // A snapshot only reads.
        QVERIFY(errorOf([&] { db->openSnapshot(QStringLiteral("DELETE FROM Daten")); }) != 0);
        QVERIFY(errorOf([&] { db->openSnapshot(QStringLiteral("DROP TABLE Daten")); }) != 0);
        QVERIFY(Database::open(m_path));
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

        auto filtered = db->openDynaset(
            QStringLiteral("SELECT * FROM Daten WHERE KGrp LIKE 'B*' ORDER BY Nr DESC"));
        QCOMPARE(numbersOf(*filtered), QStringList({"5", "3", "2"}));
        auto empty = db->openDynaset(QStringLiteral("SELECT * FROM Daten WHERE Nr > 99"));
        QVERIFY(empty->eof() && empty->bof());
        QCOMPARE(empty->recordCount(), 0);
        QCOMPARE(errorOf([&] { empty->moveFirst(); }), ErrorNumber::NoCurrentRecord);

        rs->close();
        QCOMPARE(errorOf([&] { rs->moveFirst(); }), ErrorNumber::ObjectClosed);
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

        QVERIFY(!rs->findFirst(QStringLiteral("Nr = 99")));
        QCOMPARE(nrOf(*rs), 3); // a miss keeps the current row
        QVERIFY(rs->findFirst(QStringLiteral("GAnz=0")));
        QCOMPARE(nrOf(*rs), 1);
        QCOMPARE(errorOf([&] { rs->findFirst(QStringLiteral("Nr = ")); }),
                 ErrorNumber::CriteriaSyntax);
        QCOMPARE(errorOf([&] { rs->findFirst(QStringLiteral("Foo = 1")); }),
                 ErrorNumber::UnknownField);
    }

    void setFieldConverts_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("stored"); // invalid: refused with 3421
        QTest::newRow("decimal comma") << "KBasis" << QVariant("2,5") << QVariant(2.5);
        QTest::newRow("Single precision") << "KSumme" << QVariant("0,1") << QVariant(double(0.1f));
        QTest::newRow("round half even") << "GAnz" << QVariant("2,5") << QVariant(qint64(2));
        QTest::newRow("round up") << "GAnz" << QVariant("3,5") << QVariant(qint64(4));
        QTest::newRow("number to text") << "KPLZ" << QVariant(12345) << QVariant("12345");
        QTest::newRow("text stays") << "KNach" << QVariant("Öztürk") << QVariant("Öztürk");
        QTest::newRow("Null") << "KNach" << QVariant() << QVariant();
        QTest::newRow("not a number") << "GAnz" << QVariant("drei") << QVariant();
        QTest::newRow("empty for number") << "KBasis" << QVariant("") << QVariant();
    }
    void setFieldConverts() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QVariant, stored);
        auto db = createWithRows();
        auto rs = db->openDynaset(kRsDaten);
        QCOMPARE(errorOf([&] { rs->setField(field, value); }), ErrorNumber::NotEditing);
        rs->edit();
        const bool refused = !stored.isValid() && value.isValid();
        QString description;
        QCOMPARE(errorOf([&] { rs->setField(field, value); }, &description),
                 refused ? ErrorNumber::ConversionFailed : 0);
        if (refused) {
            QVERIFY2(description.contains(field), qPrintable(description));
            rs->cancelUpdate();
            return;
        }
        rs->update();
        QCOMPARE(rs->field(field), stored);
        auto fresh = Database::open(m_path)->openDynaset(kRsDaten); // stored, not only buffered
        QCOMPARE(fresh->field(field), stored);
    }

    void refusedUpdateIsReported_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("reason");
        QTest::newRow("duplicate Nr") << "Nr" << QVariant("3") << int(ErrorNumber::UpdateRefused)
                                      << "Ein Datensatz mit der Nummer 3 ist bereits vorhanden.";
        QTest::newRow("text too long")
            << "KOrt" << QVariant(QString(41, QLatin1Char('o'))) << int(ErrorNumber::FieldTooSmall)
            << "Der Text im Feld \"KOrt\" ist zu lang: erlaubt sind höchstens 40 Zeichen.";
        QTest::newRow("empty text") << "KVor" << QVariant("") << int(ErrorNumber::ZeroLengthText)
                                    << "Das Feld \"KVor\" darf keinen leeren Text enthalten.";
        QTest::newRow("Integer out of range")
            << "GAnz" << QVariant("40000") << int(ErrorNumber::NumericOverflow) << "\"GAnz\"";
        QTest::newRow("Long out of range")
            << "Nr" << QVariant("3000000000") << int(ErrorNumber::NumericOverflow) << "\"Nr\"";
        QTest::newRow("no number") << "Nr" << QVariant() << int(ErrorNumber::KeyIsNull) << "Nr";
    }
    void refusedUpdateIsReported() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(int, number);
        QFETCH(QString, reason);
        auto db = createWithRows();
        auto rs = db->openDynaset(kRsDaten);
        for (bool adding : {true, false}) {
            if (adding) {
                rs->addNew();
                rs->setField(u"Nr", 9);
                rs->setField(u"KNach", QStringLiteral("Neu"));
            } else {
                QVERIFY(rs->findFirst(QStringLiteral("Nr = 1")));
                rs->edit();
            }
            rs->setField(field, value);
            QString description;
            QCOMPARE(errorOf([&] { rs->update(); }, &description), number);
            QVERIFY2(description.contains(reason), qPrintable(description));
            QVERIFY(sqlite3_get_autocommit(db->handle())); // rolled back, no lock kept
            QCOMPARE(rs->recordCount(), 5);
        }
        QCOMPARE(
            column(*db->openSnapshot(QStringLiteral("SELECT KNach FROM Daten WHERE Nr = 1")), 0),
            QStringList{"Mueller"});
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

    void rowDeletedByAnotherWorkstation() {
        auto db = createWithRows();
        auto rs = db->openDynaset(kRsDaten);
        QVERIFY(rs->findFirst(QStringLiteral("Nr = 3")));
        QVERIFY(RawConnection(m_path).exec(QStringLiteral("DELETE FROM Daten WHERE Nr = 3")));
        QCOMPARE(errorOf([&] { rs->field(u"KNach"); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rs->edit(); }), ErrorNumber::NoCurrentRecord);
        QVERIFY(sqlite3_get_autocommit(db->handle()));
        QCOMPARE(errorOf([&] { rs->deleteCurrent(); }), ErrorNumber::NoCurrentRecord);
        rs->moveNext();
        QCOMPARE(nrOf(*rs), 4);
    }

    void valuesReadTheRowWhole() {
        auto db = createWithRows();
        auto rs = db->openDynaset(kRsDaten);
        QVERIFY(rs->findFirst(QStringLiteral("Nr = 3")));
        const int kVor = fieldIndex(u"KVor");
        std::array<QVariant, FieldCount> row = rs->values();
        for (int i = 0; i < FieldCount; ++i)
            QCOMPARE(row[size_t(i)], rs->field(QString::fromLatin1(fieldTable()[size_t(i)].name)));
        QCOMPARE(row[size_t(kVor)], QVariant(QStringLiteral("Anna")));

        rs->edit(); // the record being changed, assigned fields and the others
        rs->setField(u"KVor", QStringLiteral("Bea"));
        row = rs->values();
        QCOMPARE(row[size_t(kVor)], QVariant(QStringLiteral("Bea")));
        QCOMPARE(row[0], QVariant(qint64(3)));
        rs->addNew();
        rs->setField(u"Nr", 9);
        row = rs->values();
        QCOMPARE(row[0], QVariant(qint64(9)));
        QVERIFY(!row[size_t(kVor)].isValid());
        rs->cancelUpdate();

        QVERIFY(RawConnection(m_path).exec(QStringLiteral("DELETE FROM Daten WHERE Nr = 3")));
        QCOMPARE(errorOf([&] { rs->values(); }), ErrorNumber::NoCurrentRecord);
        rs->close();
        QCOMPARE(errorOf([&] { rs->values(); }), ErrorNumber::ObjectClosed);
    }

    // ---- Numbers and choice values -----------------------------------------------------------

    void highestNumber() {
        Database::createEmpty(m_path);
        QCOMPARE(Database::open(m_path)->highestNumber(), std::optional<qint64>());
        auto db = createWithRows();
        QVERIFY(RawConnection(m_path).exec(QStringLiteral("INSERT INTO Daten (Nr) VALUES (-4)")));
        QCOMPARE(db->highestNumber(), std::optional<qint64>(5));
    }

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
                           "(7, 'rk', 'ev.', NULL), (2, 'Ev.', NULL, 'rk'), "
                           "(-1, NULL, 'islam.', NULL), (5, 'ev.', 'o.K.', 'Ev.')")));
        auto db = Database::open(m_path);
        QStringList found;
        QCOMPARE(errorOf([&] { found = db->valuesInOrder(columns); }), error);
        QCOMPARE(found, values);
    }

    // ---- Two workstations --------------------------------------------------------------------

    void editLocksAgainstAnotherWorkstation() {
        auto [a, b] = twoWorkstations();
        a->setBusyTimeout(50);
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
        rsB->cancelUpdate(); // gives the lock back as well
        rsA->edit();
        rsA.reset(); // so does a set that goes away in the middle of a change
        rsB->edit();
        rsB->cancelUpdate();
    }

    void failedUpdateReleasesTheLock() {
        auto [a, b] = twoWorkstations();
        auto rsA = a->openDynaset(kRsDaten);
        auto rsB = b->openDynaset(kRsDaten);
        rsA->edit();
        rsA->setField(u"KNach", QString());
        QCOMPARE(errorOf([&] { rsA->update(); }), ErrorNumber::ZeroLengthText);
        rsB->edit();
        rsB->setField(u"KNach", QStringLiteral("Möller"));
        rsB->update();
        QCOMPARE(rsA->field(u"KNach"), QVariant(QStringLiteral("Möller")));
    }

    void openSnapshotDoesNotBlockSaving() {
        auto [a, b] = twoWorkstations();
        auto snapshot = a->openSnapshot(QStringLiteral("SELECT * FROM Daten ORDER BY KNach"));
        auto dynaset = a->openDynaset(kRsDaten);
        QCOMPARE(nrOf(*dynaset), 1);
        auto rsB = b->openDynaset(kRsDaten);
        rsB->edit();
        rsB->setField(u"KOrt", QStringLiteral("Köln"));
        rsB->update();
        rsB->deleteCurrent();
        QCOMPARE(snapshot->rowCount(), 5); // the snapshot keeps what it read
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
