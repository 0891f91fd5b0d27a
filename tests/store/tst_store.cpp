#include "database.h"
#include "engineerror.h"
#include "jetpattern.h"
#include "rawaccess.h"
#include "recordcheck.h"
#include "recordcontract.h"
#include "recordfields.h"
#include "testengine.h"

#include <QTest>

#include <cstring>
#include <functional>
#include <list>
#include <stdexcept>
#include <utility>

// The store's behaviour that every engine shares: run once against a database file and once
// against the database server (TARVEX_TEST_ENGINE=server, see testengine.h), with the same
// expectations, so search results, sort order, refusals and locking agree.

namespace {

const QString kRsDaten = QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC");

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

// The value as an SQL literal of another program.
QString literal(const QVariant& value) {
    const QString written = writtenValue(value);
    return value.typeId() == QMetaType::QString ? "'" + written + "'" : written;
}

// Whether a refusal is the record check's: it names a field by its label in quotes, the number
// by its caption ("Die Nummer ... ist zu groß"), where the table's own rules name the column.
bool namedByLabel(const QString& description, int field) {
    const QString label = fieldLabel(field);
    return description.contains(field == fieldIndex(u"Nr") ? label : u'"' + label + u'"');
}

QVariant valueOf(const RawValue& value) {
    switch (value.kind) {
    case RawValue::Kind::Null:
        break;
    case RawValue::Kind::Whole:
        return value.whole;
    case RawValue::Kind::Real:
        return value.real;
    case RawValue::Kind::Text:
        return QString::fromUtf8(value.text);
    }
    return QVariant();
}

// Hands over the records make() gives, one place after another until it gives none; keeps
// the numbers stored before and counts the progress reports.
struct Feed : RecordFeed {
    std::function<bool(int, RawRecord&)> make;
    QSet<qint64> stored;
    int placed = 0;
    int progressCalls = 0;
    std::list<QByteArray> texts;

    RawValue text(const QString& value) {
        return RawValue::fromText(texts.emplace_back(value.toUtf8()));
    }
    void start(const QSet<qint64>& numbers) override { stored = numbers; }
    bool next(RawRecord& record) override {
        record = RawRecord();
        return make(placed++, record);
    }
    bool progress(int) override {
        ++progressCalls;
        return true;
    }
};

} // namespace

class TestStore : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEngine> m_engine;

    // Throws when the rows cannot be stored, which ends the run like any other engine error.
    std::unique_ptr<Database> createWithRows() {
        m_engine->reset();
        if (!m_engine->exec(
                QStringLiteral("INSERT INTO Daten (Nr, KNach, KVor, KGrp, KBasis, GAnz, KEssen) "
                               "VALUES (3, 'Müller', 'Anna', 'Bären', 2.5, 1, 'Ja'),"
                               " (1, 'Mueller', 'Ben', 'Igel', 0, 0, NULL),"
                               " (2, 'Apfel', 'Cem', 'Bären', 100, 2, 'Nein'),"
                               " (4, 'Äpfel', 'Dana', 'Igel', NULL, NULL, 'Ja'),"
                               " (5, 'Muller', NULL, 'Bären', 0.1, 0, 'Ja')")))
            throw std::runtime_error("test rows not stored");
        return m_engine->open();
    }

  private slots:
    void initTestCase() {
        QString reason;
        m_engine = TestEngine::fromEnvironment(&reason);
        if (!m_engine)
            QSKIP(qPrintable(reason));
        qInfo("Engine: %s", m_engine->isServer() ? "server" : "file");
    }

    // ---- Rules of the table -------------------------------------------------------------------

    // The table's own rules refuse what the old engine refused, whoever writes to the records.
    void engineRefusesWhatTheOldEngineRefused_data() {
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("accepted");
        auto row = [](const char* name, const QString& values, bool accepted) {
            QTest::newRow(name) << values << accepted;
        };
        row("duplicate Nr", "(Nr) VALUES (1)", false);
        row("missing Nr", "(KNach) VALUES ('x')", false);
        row("empty text", "(Nr, KNach) VALUES (2, '')", false);
        row("empty memo", "(Nr, Bem) VALUES (2, '')", false);
        row("Null fields", "(Nr, KNach, GAnz, KBasis) VALUES (2, NULL, NULL, NULL)", true);
        row("text in a number column", "(Nr, GAnz) VALUES (2, 'zwei')", false);
    }
    void engineRefusesWhatTheOldEngineRefused() {
        QFETCH(QString, values);
        QFETCH(bool, accepted);
        m_engine->reset();
        QVERIFY(m_engine->exec(QStringLiteral("INSERT INTO Daten (Nr) VALUES (1)")));
        QCOMPARE(m_engine->exec(QStringLiteral("INSERT INTO Daten ") + values), accepted);
    }

    // Another program writing past this one is held to the same sizes and ranges by the table
    // alone: every field takes the ends of what it holds and refuses one beyond.
    void tableKeepsTheStoredSizesAndRanges() {
        m_engine->reset();
        int nr = 0;
        auto insert = [&](const ContractField& c, const QVariant& value) {
            if (QByteArray(c.name) == "Nr")
                return m_engine->exec("INSERT INTO Daten (Nr) VALUES (" + literal(value) + ")");
            return m_engine->exec(QStringLiteral("INSERT INTO Daten (Nr, %1) VALUES (%2, %3)")
                                      .arg(QLatin1String(c.name))
                                      .arg(++nr)
                                      .arg(literal(value)));
        };
        for (const ContractField& c : kContract)
            for (bool top : {true, false}) {
                QVERIFY2(insert(c, endValue(c, top)), c.name);
                if (c.type != FieldType::Memo)
                    QVERIFY2(!insert(c, beyondValue(c, top)), c.name);
            }
    }

    // What the program writes is held to the same sizes and ranges before the table sees it,
    // through a dynaset and when many records are added alike: the ends are stored and read
    // back as they went in, one beyond is refused naming the field by its label.
    void programKeepsTheStoredSizesAndRanges_data() {
        QTest::addColumn<bool>("many");
        QTest::newRow("dynaset") << false;
        QTest::newRow("adding records") << true;
    }
    void programKeepsTheStoredSizesAndRanges() {
        QFETCH(bool, many);
        m_engine->reset();
        auto db = m_engine->open();
        auto write = [&](const std::array<QVariant, FieldCount>& record, QString* description) {
            return errorOf(
                [&] {
                    if (many) {
                        Feed feed;
                        feed.make = [&](int place, RawRecord& raw) {
                            for (size_t i = 0; i < size_t(FieldCount); ++i) {
                                const QVariant& v = record[i];
                                if (v.typeId() == QMetaType::LongLong)
                                    raw[i] = RawValue::fromWhole(v.toLongLong());
                                else if (v.typeId() == QMetaType::Double)
                                    raw[i] = RawValue::fromReal(v.toDouble());
                                else if (v.isValid())
                                    raw[i] = feed.text(v.toString());
                            }
                            return place == 0;
                        };
                        db->addRecords(feed);
                        return;
                    }
                    auto rs = db->openDynaset(kRsDaten);
                    rs->addNew();
                    for (int i = 0; i < FieldCount; ++i)
                        if (record[size_t(i)].isValid())
                            rs->setField(QString::fromLatin1(fieldDef(i).name), record[size_t(i)]);
                    rs->update();
                },
                description);
        };
        std::array<QVariant, FieldCount> ends[2];
        for (bool top : {true, false}) {
            for (const ContractField& c : kContract) {
                const int f = fieldIndex(QLatin1String(c.name));
                QVERIFY2(f >= 0, c.name);
                ends[top][size_t(f)] = endValue(c, top);
            }
            QString description;
            QCOMPARE(write(ends[top], &description), 0);
        }
        QStringList differing;
        db->readAll([&](const RawRecord& record) {
            const std::array<QVariant, FieldCount>& expected = ends[record[0].whole > 0];
            for (int i = 0; i < FieldCount; ++i)
                if (valueOf(record[size_t(i)]) != expected[size_t(i)])
                    differing << QLatin1String(fieldDef(i).name);
            return true;
        });
        QCOMPARE(differing, QStringList());
        QCOMPARE(db->recordCount(), 2);

        for (const ContractField& c : kContract)
            for (bool top : {true, false}) {
                const int f = fieldIndex(QLatin1String(c.name));
                std::array<QVariant, FieldCount> record;
                record[0] = qint64(1);
                record[size_t(f)] = beyondValue(c, top);
                if (!record[size_t(f)].isValid())
                    continue;
                QString description;
                const int number = write(record, &description);
                const int refusal = c.type == FieldType::Text ? ErrorNumber::FieldTooSmall
                                                              : ErrorNumber::NumericOverflow;
                QVERIFY2(number == refusal && namedByLabel(description, f),
                         qPrintable(
                             QStringLiteral("%1: %2 %3").arg(c.name).arg(number).arg(description)));
            }
        QCOMPARE(db->recordCount(), 2);
        QVERIFY(m_engine->nothingLocked());
    }

    // ---- Statements and snapshots -------------------------------------------------------------

    // The first column of a snapshot, cells parted by "|"; or the error the statement gives,
    // with the statement and the reason in its description, leaving the rows as they were.
    void snapshotRows_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("cells"); // or the reason
        QTest::addColumn<int>("number");
        auto row = [](const char* name, const char* sql, const char* cells, int number = 0) {
            QTest::newRow(name) << QString::fromLatin1(sql) << QString::fromUtf8(cells) << number;
        };
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

        // Searches and orders of a dynaset are those of the searches of the window, below.
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
        row("not a number", "GAnz", "drei", {}, ErrorNumber::ConversionFailed,
            "Im Feld \"Geschw. Anzahl\" steht \"drei\". Das ist keine Zahl");
        row("empty for number", "KBasis", "", {}, ErrorNumber::ConversionFailed,
            "Das Feld \"Basiswert\" ist leer");
        row("duplicate Nr", "Nr", "3", {}, ErrorNumber::UpdateRefused,
            "Ein Datensatz mit der Nummer 3 ist bereits vorhanden.");
        row("empty text", "KVor", "", {}, ErrorNumber::ZeroLengthText,
            "Das Feld \"Vorname (Kind)\" ist leer; es muss mindestens ein Zeichen enthalten.");
        row("Single beyond any number", "KSumme", qInf(), {}, ErrorNumber::NumericOverflow,
            "\"Summe\" ist zu groß");
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
            QVERIFY(m_engine->nothingLocked());
            QCOMPARE(rs->recordCount(), number ? 5 : 6);
            if (number == 0) { // stored, not only buffered
                QCOMPARE(rs->field(field), stored);
                auto fresh = m_engine->open()->openDynaset(kRsDaten);
                QVERIFY(fresh->findFirst(adding ? QStringLiteral("Nr = 9") : "Nr = 1"));
                QCOMPARE(fresh->field(field), stored);
            }
        }
        if (number != 0)
            QCOMPARE(m_engine->firstValue(QStringLiteral("SELECT KNach FROM Daten WHERE Nr = 1")),
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
        m_engine->reset();
        QVERIFY(m_engine->exec(
            QStringLiteral("INSERT INTO Daten (Nr, KKonf, MKonf, VKonf) VALUES "
                           "(2, 'Ev.', NULL, 'rk'), (7, 'rk', 'ev.', NULL), "
                           "(-1, NULL, 'islam.', NULL), (3, 'ev.', 'o.K.', 'Ev.')")));
        auto db = m_engine->open();
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
        auto b = m_engine->open();
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
        // A new record: the file is locked whole while a record is changed, the server locks
        // only the record being changed.
        rsB->addNew();
        rsB->setField(u"Nr", 8);
        QCOMPARE(errorOf([&] { rsB->update(); }),
                 m_engine->isServer() ? 0 : ErrorNumber::RecordLocked);
        rsB->moveFirst();
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
        QVERIFY(m_engine->nothingLocked());
        QCOMPARE(errorOf([&] { rsC->deleteCurrent(); }), ErrorNumber::NoCurrentRecord);
        rsC->moveNext();
        QCOMPARE(nrOf(*rsC), 2);
        QCOMPARE(snapshot->rowCount(), 5); // the snapshot keeps what it read
    }

    // A change starts from the record as it is stored now, and keeps it so until it is saved:
    // what another workstation saved before is neither lost nor overwritten unseen.
    void changeStartsFromTheLatestState() {
        auto a = createWithRows();
        auto b = m_engine->open();
        a->setBusyTimeout(50);
        b->setBusyTimeout(50);
        auto rsA = a->openDynaset(kRsDaten);
        auto rsB = b->openDynaset(kRsDaten);
        QCOMPARE(rsA->field(u"KVor"), QVariant(QStringLiteral("Ben")));
        rsB->edit();
        rsB->setField(u"KVor", QStringLiteral("Berta"));
        rsB->update();
        rsA->edit();
        QCOMPARE(rsA->values()[size_t(fieldIndex(u"KVor"))], QVariant(QStringLiteral("Berta")));
        QCOMPARE(errorOf([&] { rsB->edit(); }), ErrorNumber::RecordLocked);
        QVERIFY(!m_engine->nothingLocked());
        rsA->setField(u"KOrt", QStringLiteral("Köln"));
        rsA->update();
        QVERIFY(m_engine->nothingLocked());
        QCOMPARE(rsB->field(u"KVor"), QVariant(QStringLiteral("Berta")));
        QCOMPARE(rsB->field(u"KOrt"), QVariant(QStringLiteral("Köln")));
        QVERIFY(a->changedSinceOpen());
        QVERIFY(!m_engine->open()->changedSinceOpen());
    }

    // The searches of the main window: the old engine's wildcards, case ignored, ranges in
    // German order, Null never matched by LIKE; text sorted in German order with Null first.
    void searchAndOrder_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("numbers");
        auto row = [](const char* name, const char* where, const char* numbers,
                      const char* order = "Nr ASC") {
            QTest::newRow(name) << QString::fromUtf8(where) << QString::fromUtf8(order)
                                << QString::fromLatin1(numbers);
        };
        row("prefix, any case", "KNach LIKE 'm*'", "1|2|3");
        row("umlaut, any case", "KNach LIKE 'MÜ*'", "1");
        row("one character", "KNach LIKE '?aier'", "3");
        row("range", "KNach LIKE '[m-n]*'", "1|2|3");
        row("range in German order", "KNach LIKE '[n-o]*'", "4|5");
        row("range of capitals", "KNach LIKE '[R-T]*'", "7|8|9");
        row("negated list", "KNach LIKE '[!m]*'", "4|5|7|8|9");
        row("bracket as a list", "KNach LIKE '*[[]alt]'", "7");
        row("digits", "KPLZ LIKE '#####'", "1|2|3|6|7|9");
        row("wildcards in brackets", "KPLZ LIKE '1[#]2'", "8");
        row("quote in the pattern", "KOrt LIKE '*''*'", "9");
        row("signs of regular expressions", "KNach LIKE 'M.ller' OR KNach LIKE '(*'", "");
        row("unclosed bracket", "KNach LIKE '*[alt*'", "7");
        row("empty lists", "KNach LIKE 'M[]aier' AND KNach LIKE '[!]aier'", "3");
        row("number as text", "Nr LIKE '[2-3]'", "2|3");
        row("empty search lists Null", "(KVor LIKE '*' OR KVor IS NULL)", "1|2|3|4|5|6|7|8|9");
        row("LIKE skips Null", "KVor LIKE '*'", "1|2|4|5|6|7|8|9");
        row("two fields", "KNach LIKE 'm*' AND (KVor LIKE '*' OR KVor IS NULL)", "1|2|3");
        row("NOT LIKE", "KVor NOT LIKE '[a-e]*'", "5|7|8");
        row("text ascending", "(KNach LIKE '*' OR KNach IS NULL)", "6|3|2|1|5|4|9|7|8",
            "KNach ASC");
        row("text descending", "(KNach LIKE '*' OR KNach IS NULL)", "8|7|9|4|5|1|2|3|6",
            "KNach DESC");
        row("town", "(KOrt LIKE '*' OR KOrt IS NULL)", "5|8|3|4|6|2|1|7|9", "[KOrt] ASC");
        row("number descending", "Nr > 5", "9|8|7|6", "Nr DESC");
    }
    void searchAndOrder() {
        QFETCH(QString, where);
        QFETCH(QString, order);
        QFETCH(QString, numbers);
        m_engine->reset();
        QVERIFY(m_engine->exec(QStringLiteral(
            "INSERT INTO Daten (Nr, KNach, KVor, KOrt, KPLZ) VALUES "
            "(1, 'Müller', 'Anna', 'München', '80331'), (2, 'mueller', 'Ben', 'Köln', '50667'),"
            "(3, 'Maier', NULL, 'Berlin', '10115'), (4, 'Özdemir', 'Çelik', 'Bonn', NULL),"
            "(5, 'Ostermann', 'Zoë', NULL, 'A-123'), (6, NULL, 'Emil', 'Essen', '45127'),"
            "(7, 'Schmidt [alt]', 'ßara', 'Ulm', '89073'), (8, 'Strauß', 'Ida', 'Ägypten', '1#2'),"
            "(9, 'Rosé', 'Elif', 'Val d''Isère', '73150')")));
        auto db = m_engine->open();
        const QString sql = QStringLiteral("SELECT %2 FROM Daten WHERE %1  ORDER BY %3");
        auto snapshot = db->openSnapshot(sql.arg(where, QStringLiteral("Nr, KNach"), order));
        QStringList found;
        for (int r = 0; r < snapshot->rowCount(); ++r)
            found << snapshot->text(r, 0);
        QCOMPARE(found.join(u'|'), numbers);
        QCOMPARE(snapshot->columnName(1), QStringLiteral("KNach"));
        auto rs = db->openDynaset(sql.arg(where, QStringLiteral("*"), order));
        QCOMPARE(numbersOf(*rs).join(u'|'), numbers);
    }

    // ---- Whole tables in and out -------------------------------------------------------------

    // Records handed over by a feed are stored all or none, in batches on a server: a refusal
    // early or late in the feed names its record and leaves nothing stored nor in the way of
    // the next run; without one every record arrives and reads back as it went in.
    void addedRecordsAllOrNone_data() {
        QTest::addColumn<int>("refused");    // place of the refused record; -1: none
        QTest::addColumn<bool>("emptyName"); // refused for an empty name, else a number taken
        QTest::addColumn<QString>("reason");
        QTest::newRow("all stored") << -1 << false << "";
        QTest::newRow("number taken")
            << 2 << false << "Ein Datensatz mit der Nummer 3 ist bereits vorhanden.";
        QTest::newRow("empty text") << 2 << true << "\"Nachname (Kind)\"";
        QTest::newRow("number taken late")
            << 255 << false << "Ein Datensatz mit der Nummer 3 ist bereits vorhanden.";
    }
    void addedRecordsAllOrNone() {
        QFETCH(int, refused);
        QFETCH(bool, emptyName);
        QFETCH(QString, reason);
        auto db = createWithRows();
        Feed feed;
        feed.make = [&](int place, RawRecord& record) {
            const bool refuse = place == refused;
            record[0] = RawValue::fromWhole(refuse && !emptyName ? 3 : 100 + place);
            record[size_t(fieldIndex(u"KNach"))] =
                feed.text(refuse && emptyName ? QString() : "Kind " + QString::number(place));
            record[size_t(fieldIndex(u"KBasis"))] = RawValue::fromReal(0.1);
            record[size_t(fieldIndex(u"GAnz"))] = RawValue::fromWhole(place % 3);
            return place < 260;
        };
        std::optional<int> written;
        QString description;
        QCOMPARE(errorOf([&] { written = db->addRecords(feed); }, &description) == 0, refused < 0);
        QVERIFY2(description.contains(reason), qPrintable(description));
        QCOMPARE(feed.stored, (QSet<qint64>{1, 2, 3, 4, 5}));
        QCOMPARE(db->recordCount(), refused < 0 ? 265 : 5);
        QVERIFY(m_engine->nothingLocked());
        if (refused >= 0) {
            refused = -1;
            feed.placed = feed.progressCalls = 0;
            QCOMPARE(db->addRecords(feed), 260);
        }
        QCOMPARE(written.value_or(260), 260);
        QCOMPARE(db->highestNumber(), 359);
        QCOMPARE(feed.progressCalls, 3); // at the start, after 250, at the end
        QVERIFY(db->changedSinceOpen());
        QStringList read;
        db->readAll([&](const RawRecord& record) {
            const RawValue& basis = record[size_t(fieldIndex(u"KBasis"))];
            const RawValue& name = record[size_t(fieldIndex(u"KNach"))];
            read << QStringLiteral("%1 %2 %3")
                        .arg(record[0].whole)
                        .arg(QString::fromUtf8(name.text.data(), name.text.size()))
                        // A file keeps what SQL wrote into it as a double, a server as a
                        // float: both are the same Single.
                        .arg(basis.kind == RawValue::Kind::Real ? QString::number(float(basis.real))
                                                                : QStringLiteral("-"));
            return record[0].whole < 100; // then stopped
        });
        QCOMPARE(read, (QStringList{"1 Mueller 0", "2 Apfel 100", "3 Müller 2.5", "4 Äpfel -",
                                    "5 Muller 0.1", "100 Kind 0 0.1"}));
    }

    // ---- The server's table ------------------------------------------------------------------

    // Made on first use with the rules and the German order of the file's table; a table Daten
    // of another shape is refused, and left as it is.
    void serverTable_data() {
        QTest::addColumn<QString>("sql"); // run on a database without Daten
        QTest::addColumn<int>("number");
        QStringList renamed;
        for (const FieldDef& field : fieldTable())
            renamed << (renamed.size() == 5 ? QStringLiteral("Anders integer")
                                            : QLatin1String(field.name) + QLatin1String(" text"));
        QTest::newRow("missing, then made") << QString() << 0;
        QTest::newRow("Daten is a view")
            << "CREATE TABLE t (x integer); CREATE VIEW Daten AS SELECT * FROM t"
            << int(ErrorNumber::TableNotFound);
        QTest::newRow("Daten lacks fields")
            << "CREATE TABLE Daten (Nr integer)" << int(ErrorNumber::DatabaseGeneric);
        QTest::newRow("a field renamed") << "CREATE TABLE Daten (" + renamed.join(u',') + ")"
                                         << int(ErrorNumber::DatabaseGeneric);
    }
    void serverTable() {
        QFETCH(QString, sql);
        QFETCH(int, number);
        if (!m_engine->isServer())
            QSKIP("Nur für den Datenbankserver");
        m_engine->exec(QStringLiteral("DROP VIEW IF EXISTS Daten"));
        m_engine->exec(QStringLiteral("DROP TABLE IF EXISTS Daten, t"));
        if (!sql.isEmpty())
            QVERIFY(m_engine->exec(sql));
        QString description;
        std::unique_ptr<Database> db;
        if (sql.isEmpty()) {
            // A database without the table is said so; the table is made only when asked for.
            QCOMPARE(errorOf([&] { m_engine->open(); }), ErrorNumber::TableNotFound);
            Database::createServerTable(m_engine->name());
        }
        QCOMPARE(errorOf([&] { db = m_engine->open(); }, &description), number);
        if (number) {
            QVERIFY2(description.contains(QLatin1String("Daten")), qPrintable(description));
            QCOMPARE(m_engine->firstValue(QStringLiteral("SELECT count(*) FROM pg_attribute "
                                                         "WHERE attrelid = 'daten'::regclass "
                                                         "AND attnum > 0")),
                     QString::number(sql.startsWith(QLatin1String("CREATE TABLE t")) ? 1
                                     : sql.contains(QLatin1String("(Nr integer)"))   ? 1
                                                                                     : 64));
            m_engine->exec(QStringLiteral("DROP VIEW IF EXISTS Daten"));
            m_engine->exec(QStringLiteral("DROP TABLE IF EXISTS Daten, t"));
            return;
        }
        QVERIFY(!db->isFile());
        QCOMPARE(m_engine->firstValue(
                     QStringLiteral("SELECT collation_name FROM information_schema.columns "
                                    "WHERE table_name = 'daten' AND column_name = 'knach'")),
                 QStringLiteral("de-DE-x-icu"));
        QCOMPARE(errorOf([&] { db->writeCopy(QStringLiteral("/tmp/kopie.mdb")); }),
                 ErrorNumber::CannotOpen);
        QCOMPARE(errorOf([&] { db->replaceWith(QStringLiteral("/tmp/kopie.mdb")); }),
                 ErrorNumber::CannotOpen);
        // A second workstation finds the table made and opens it as it is.
        QVERIFY(m_engine->exec(QStringLiteral("INSERT INTO Daten (Nr) VALUES (1)")));
        QCOMPARE(m_engine->open()->recordCount(), 1);
    }

    // The German order from the store's sorted snapshots, and the LIKE ranges of a search
    // comparing in it: names stored in another order come back sorted.
    void germanOrderInTheStore_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("names");
        const QStringList all = germanOrderSlice(kGermanOrder[0], "Ольга");
        QStringList reversed(all.rbegin(), all.rend());
        QTest::newRow("ascending") << "SELECT KNach FROM Daten ORDER BY KNach" << all;
        QTest::newRow("descending") << "SELECT KNach FROM Daten ORDER BY KNach DESC" << reversed;
        QTest::newRow("remarks") << "SELECT Bem FROM Daten ORDER BY Bem" << all;
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
        m_engine->reset();
        {
            // Record numbers in a scrambled order, so that no other order gives the names'.
            QStringList values;
            for (int i = 0; i < kGermanOrderSize; ++i)
                values << QStringLiteral("(%1, '%2', '%2')")
                              .arg((i * 37) % kGermanOrderSize + 1)
                              .arg(QString::fromUtf8(kGermanOrder[i])
                                       .replace(QLatin1String("'"), QLatin1String("''")));
            QVERIFY(
                m_engine->exec("INSERT INTO Daten (Nr, KNach, Bem) VALUES " + values.join(u',')));
        }
        auto db = m_engine->open();
        auto s = db->openSnapshot(sql);
        QStringList read;
        for (int r = 0; r < s->rowCount(); ++r)
            read << s->text(r, 0);
        QCOMPARE(read, names);
    }

    // Signing in as an office's role that must give its password (scram-sha-256 on the test
    // server), and a server that is not there.
    void signingIn_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("number");
        QTest::newRow("no password given")
            << "buero" << QString() << int(ErrorNumber::PasswordNeeded);
        QTest::newRow("wrong password") << "buero"
                                        << "falsch" << int(ErrorNumber::LoginRefused);
        QTest::newRow("right password") << "buero"
                                        << "geheim" << 0;
        QTest::newRow("no server there") << "" << QString() << int(ErrorNumber::CannotOpen);
    }
    void signingIn() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(int, number);
        if (!m_engine->isServer())
            QSKIP("Nur für den Datenbankserver");
        m_engine->reset();
        QString uri = m_engine->name();
        uri = user.isEmpty() ? QStringLiteral("postgresql:///tarvex?host=/nicht/da")
                             : uri.replace(QStringLiteral("user=tarvex"), "user=" + user);
        QString description;
        std::unique_ptr<Database> db;
        QCOMPARE(errorOf([&] { db = Database::open(uri, password); }, &description), number);
        QVERIFY2(!description.contains(QLatin1String("geheim")), qPrintable(description));
        if (number == 0)
            QCOMPARE(db->recordCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
