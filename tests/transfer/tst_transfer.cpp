// Tables for spreadsheets: the file form written and read, the full export read back into an
// empty database, files written from an old database by mdb-export, and imports that must leave
// the database exactly as it was.

#include "csvexport.h"
#include "csvformat.h"
#include "csvimport.h"
#include "database.h"
#include "engineerror.h"
#include "recordcheck.h"
#include "recordcontract.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cfloat>
#include <sqlite3.h>

namespace {

using Values = QList<QPair<const char*, QVariant>>;

// Every record of db as "Nr: field=value, ..." lines, Null shown as "<null>", in number order.
QStringList contents(Database& db) {
    QStringList lines;
    db.readAll([&lines](const RawRecord& record) {
        QStringList cells;
        for (int i = 0; i < FieldCount; ++i) {
            const RawValue& v = record[size_t(i)];
            QString text;
            switch (v.kind) {
            case RawValue::Kind::Null:
                text = QStringLiteral("<null>");
                break;
            case RawValue::Kind::Whole:
                text = QString::number(v.whole);
                break;
            case RawValue::Kind::Real:
                text = QString::number(v.real, 'g', 17);
                break;
            case RawValue::Kind::Text:
                text = QString::fromUtf8(v.text);
                break;
            }
            cells << QString::fromLatin1(fieldTable()[size_t(i)].name) + "=" + text;
        }
        lines << cells.join(", ");
        return true;
    });
    return lines;
}

// Adds a record: the number, the given fields, and "x" in every other text field that a save
// would fill, so that only the fields named are hard.
void add(Database& db, qint64 nr, const Values& values) {
    auto set = db.openDynaset(QStringLiteral("SELECT * FROM Daten"));
    set->addNew();
    for (const FieldDef& f : fieldTable())
        if (isTextType(f.type))
            set->setField(QString::fromLatin1(f.name), QStringLiteral("x"));
    set->setField(u"Nr", nr);
    for (const auto& [name, value] : values)
        set->setField(QString::fromLatin1(name), value);
    set->update();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The fields of every row a reader gives, a quoted field in brackets: "a|[b;c]|".
QStringList rowsOf(const QByteArray& text, char separator, bool* malformed = nullptr) {
    csv::Reader reader(text, separator);
    std::vector<csv::Field> fields;
    QStringList rows;
    while (reader.next(fields)) {
        QStringList cells;
        for (const csv::Field& f : fields)
            cells << (f.quoted ? "[" + QString::fromUtf8(f.text) + "]" : QString::fromUtf8(f.text));
        rows << cells.join('|');
        if (malformed && reader.malformed())
            *malformed = true;
    }
    if (reader.unterminated())
        rows << QStringLiteral("<unterminated>");
    return rows;
}

// The header of a full export: the 64 field names.
QByteArray fieldNames(char separator) {
    QByteArrayList names;
    for (const FieldDef& f : fieldTable())
        names << f.name;
    return names.join(separator);
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT
  private slots:
    void init();

    void fieldsAreWrittenForASpreadsheet_data();
    void fieldsAreWrittenForASpreadsheet();
    void rowsAreRead_data();
    void rowsAreRead();
    void encodingAndSeparatorAreRecognised_data();
    void encodingAndSeparatorAreRecognised();

    void fullExportReadBackGivesTheSameRecords();
    void tableExportHoldsWhatTheTableShows();
    void oldDatabaseFileWithBadRows();
    void rowsKeepTheStoredSizesAndRanges();
    void takenNumbersAreSkippedOrRenumbered_data();
    void takenNumbersAreSkippedOrRenumbered();
    void rowsAreReadAsTheFileMeansThem_data();
    void rowsAreReadAsTheFileMeansThem();
    void filesThatAreNoTableAreRefused_data();
    void filesThatAreNoTableAreRefused();
    void cancelledOrRefusedImportLeavesTheFileAsItWas();

  private:
    QString path(const char* name) const { return dir->filePath(QString::fromLatin1(name)); }
    std::unique_ptr<Database> emptyDatabase(const char* name) {
        Database::createEmpty(path(name));
        return Database::open(path(name));
    }

    std::unique_ptr<QTemporaryDir> dir;
};

void TestTransfer::init() {
    dir = std::make_unique<QTemporaryDir>();
}

void TestTransfer::fieldsAreWrittenForASpreadsheet_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("plain") << QVariant("Müller") << QByteArray("Müller");
    QTest::newRow("separator") << QVariant("a;b") << QByteArray("\"a;b\"");
    QTest::newRow("quotes doubled")
        << QVariant("sagt \"hallo\"") << QByteArray("\"sagt \"\"hallo\"\"\"");
    QTest::newRow("line break kept")
        << QVariant("Zeile 1\r\nZeile 2") << QByteArray("\"Zeile 1\r\nZeile 2\"");
    QTest::newRow("line feed alone") << QVariant("a\nb") << QByteArray("\"a\nb\"");
    QTest::newRow("blank at the end") << QVariant("Anna ") << QByteArray("\"Anna \"");
    QTest::newRow("comma stays plain") << QVariant("Maier, Anna") << QByteArray("Maier, Anna");
    QTest::newRow("decimal comma") << QVariant(double(1.2f)) << QByteArray("1,2");
    QTest::newRow("whole real") << QVariant(150.0) << QByteArray("150");
    QTest::newRow("negative") << QVariant(double(-0.85f)) << QByteArray("-0,85");
    QTest::newRow("largest single, no exponent")
        << QVariant(double(FLT_MAX)) << QByteArray("340282346638528859811704183484516925440");
    QTest::newRow("smallest single")
        << QVariant(double(std::numeric_limits<float>::denorm_min()))
        << QByteArray("0,000000000000000000000000000000000000000000001");
    QTest::newRow("a double keeps its digits") << QVariant(0.1) << QByteArray("0,1");
    QTest::newRow("whole number") << QVariant(qint64(-2147483648LL)) << QByteArray("-2147483648");
}

void TestTransfer::fieldsAreWrittenForASpreadsheet() {
    QFETCH(QVariant, value);
    QFETCH(QByteArray, written);
    QByteArray out;
    if (value.typeId() == QMetaType::Double)
        csv::appendReal(out, value.toDouble());
    else if (value.typeId() == QMetaType::LongLong)
        csv::appendWhole(out, value.toLongLong());
    else
        csv::appendField(out, value.toString().toUtf8());
    QCOMPARE(out, written);
}

void TestTransfer::rowsAreRead_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("malformed");
    QTest::newRow("CR LF, LF and CR end rows; empty lines are none")
        << QByteArray("a;b\r\nc;d\n\n\re;f\r") << QStringList{"a|b", "c|d", "e|f"} << false;
    QTest::newRow("quoted: separator, doubled quote, line break")
        << QByteArray("\"x;y\";\"sagt \"\"hi\"\"\";\"1\r\n2\"\r\n")
        << QStringList{"[x;y]|[sagt \"hi\"]|[1\r\n2]"} << false;
    QTest::newRow("empty without quotes and empty in quotes differ")
        << QByteArray(";\"\";z") << QStringList{"|[]|z"} << false;
    QTest::newRow("no line end after the last row") << QByteArray("a") << QStringList{"a"} << false;
    QTest::newRow("text after a closing quote")
        << QByteArray("\"ab\"c;d\nx;y\n") << QStringList{"[abc]|d", "x|y"} << true;
    QTest::newRow("quote never closed")
        << QByteArray("a;\"b\nc;d\n") << QStringList{"a|[b\nc;d\n]", "<unterminated>"} << false;
}

void TestTransfer::rowsAreRead() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, rows);
    QFETCH(bool, malformed);
    bool seen = false;
    QCOMPARE(rowsOf(text, ';', &seen), rows);
    QCOMPARE(seen, malformed);
}

void TestTransfer::encodingAndSeparatorAreRecognised_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<char>("separator");
    QTest::newRow("UTF-8 with mark, semicolons")
        << QByteArray("\xEF\xBB\xBFNr;KNach\r\n1;Jürgen") << "UTF-8"
        << "Nr;KNach\r\n1;Jürgen" << ';';
    QTest::newRow("UTF-8 without mark, commas")
        << QByteArray("Nr,KNach,\"A;B\"\n1,Jürgen,x") << "UTF-8"
        << "Nr,KNach,\"A;B\"\n1,Jürgen,x" << ',';
    QTest::newRow("Windows-1252: umlauts, euro, typographic quotes")
        << QByteArray("Nr,KNach\n1,M\xFCller \x80 \x84x\x93") << "Windows-1252"
        << "Nr,KNach\n1,Müller € „x“" << ',';
    QTest::newRow("UTF-8 with a bad byte: UTF-8, the byte replaced")
        << QByteArray("Nr;KNach\n1;Jürgen\n2;M\xFFller") << "UTF-8"
        << "Nr;KNach\n1;Jürgen\n2;M\uFFFDller" << ';';
    QTest::newRow("Windows-1252 with a pair that happens to be UTF-8")
        << QByteArray("Nr,KNach\n1,Stra\xDF\x93 M\xFCller \xC4rger") << "Windows-1252"
        << "Nr,KNach\n1,Straß“ Müller Ärger" << ',';
    QTest::newRow("tabs") << QByteArray("Nr\tKNach\tKVor") << "UTF-8"
                          << "Nr\tKNach\tKVor" << '\t';
    QTest::newRow("UTF-16 with mark") << QByteArray("\xFF\xFEN\0r\0;\0\xFC\0", 10) << "UTF-16"
                                      << "Nr;ü" << ';';
    QTest::newRow("NUL byte: no text")
        << QByteArray("Nr;K\0Nach", 9) << QString() << QString() << ';';
}

void TestTransfer::encodingAndSeparatorAreRecognised() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    QFETCH(QString, text);
    QFETCH(char, separator);
    QString problem;
    const std::optional<csv::Text> decoded = csv::decode(bytes, &problem);
    QCOMPARE(decoded.has_value(), !encoding.isEmpty());
    if (!decoded) {
        QVERIFY(!problem.isEmpty());
        return;
    }
    QCOMPARE(decoded->encoding, encoding);
    QCOMPARE(QString::fromUtf8(decoded->utf8), text);
    QCOMPARE(csv::detectSeparator(decoded->utf8), separator);
}

void TestTransfer::fullExportReadBackGivesTheSameRecords() {
    const auto source = emptyDatabase("source.db");
    add(*source, 2147483647,
        {{"KNach", QStringLiteral("Ölçer-Straße")},
         {"KVor", QStringLiteral("Zoë \"Zo\"")},
         {"Bem", QStringLiteral("Erste Zeile; zweite\r\nZeile \"zitiert\"\nund \"\"")},
         {"KOrt", QStringLiteral(" Blank vorn")},
         {"KGrp", QStringLiteral("'=keine Formel")},
         {"KArzt", QStringLiteral("=Dr. Ü")},
         {"KBasis", double(FLT_MAX)},
         {"KFaktor", double(std::numeric_limits<float>::denorm_min())},
         {"KBuchFak", 0.85},
         {"KSumme", -double(FLT_MAX)},
         {"GAnz", 32767},
         {"KEssen", QStringLiteral("ja")}});
    add(*source, -2147483648LL,
        {{"KNach", QVariant()},
         {"Bem", QVariant()},
         {"KBasis", QVariant()},
         {"GAnz", -32768},
         {"KStr", QStringLiteral("Weg 1, 2. OG")},
         {"KTel1", QStringLiteral("0118/7375367")}});
    add(*source, 7, {{"KNach", QString(30, QChar(0x20AC))}, {"KSumme", 153.0}});

    QBuffer file;
    file.open(QIODevice::WriteOnly);
    QCOMPARE(csvexport::writeAll(*source, file), csvexport::Result::Done);
    const QByteArray bytes = file.data();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF" + fieldNames(';') + "\r\n-2147483648;"));
    QVERIFY(bytes.contains(";0,85;")); // a single's digits, not a double's
    QVERIFY(bytes.contains(";'=keine Formel;") && bytes.contains(";=Dr. Ü;")); // as stored
    QVERIFY(bytes.endsWith("\r\n"));

    QString problem;
    const auto import = csvimport::Import::read(bytes, &problem);
    QVERIFY2(import, qPrintable(problem));
    QCOMPARE(import->refused().size(), 0);
    QCOMPARE(import->missingFields(), QStringList());
    const auto target = emptyDatabase("target.db");
    QCOMPARE(import->store(*target, csvimport::Clash::Skip), std::optional<int>(3));
    QCOMPARE(contents(*target), contents(*source));
}

void TestTransfer::tableExportHoldsWhatTheTableShows() {
    const auto db = emptyDatabase("table.db");
    add(*db, 1, {{"KNach", QStringLiteral("Maier; Huber")}, {"KVor", QStringLiteral("Anna")}});
    add(*db, 2, {{"KNach", QStringLiteral("Zeller")}, {"KVor", QVariant()}});
    // Texts a spreadsheet would take for formulas; "-" alone and a negative number are none.
    add(*db, -5, {{"KNach", QStringLiteral("=1+1")}, {"KVor", QStringLiteral("-")}});
    add(*db, 6, {{"KNach", QStringLiteral("'@Zorn")}, {"KVor", QStringLiteral("-Anna")}});
    const auto rows = db->openSnapshot(QStringLiteral(
        "SELECT Nr, KNach, KVor FROM Daten WHERE KNach LIKE 'Z*' OR Nr <> 1 ORDER BY Nr"));
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    QCOMPARE(csvexport::writeTable(*rows, {"Nr.", "Nachname", "Vorname"}, file),
             csvexport::Result::Done);
    QCOMPARE(file.data(), QByteArray("\xEF\xBB\xBFNr.;Nachname;Vorname\r\n-5;'=1+1;-\r\n"
                                     "2;Zeller;\r\n6;''@Zorn;'-Anna\r\n"));
    // Read back, the captions find their fields; the others get a new record's placeholders.
    const auto import = csvimport::Import::read(file.data(), nullptr);
    QVERIFY(import);
    QCOMPARE(import->missingFields().size(), FieldCount - 3);
    const auto target = emptyDatabase("target.db");
    QCOMPARE(import->store(*target, csvimport::Clash::Skip), std::optional<int>(3));
    const QStringList stored = contents(*target);
    for (const char* expected : {"Nr=2,", "KNach=Zeller,", "KVor=<null>,", "KKonf=o.K.,",
                                 "KPKNr=0000000,", "KBasis=0,", "KEssen=nein,", "Bem=-,"})
        QVERIFY2(stored.value(1).contains(QLatin1String(expected)), expected);
    QVERIFY2(stored.value(0).contains("KNach==1+1, KVor=-,"), qPrintable(stored.value(0)));
    QVERIFY2(stored.value(2).contains("KNach='@Zorn, KVor=-Anna,"), qPrintable(stored.value(2)));
}

void TestTransfer::oldDatabaseFileWithBadRows() {
    // As mdb-export writes table Daten: commas, texts in quotes, a decimal point, Null as
    // nothing, here in Windows-1252. Rows 3 to 6 must be refused, naming the field, and row 7 is
    // cut short.
    QByteArray header = fieldNames(',');
    auto row = [](const QByteArray& nr, const QByteArray& surname, const QByteArray& factor,
                  const QByteArray& siblings) {
        QByteArrayList cells;
        for (const FieldDef& f : fieldTable()) {
            const QByteArray name = f.name;
            if (name == "Nr")
                cells << nr;
            else if (name == "KNach")
                cells << surname;
            else if (name == "KFaktor")
                cells << factor;
            else if (name == "GAnz")
                cells << siblings;
            else if (name == "Bem")
                cells << "\"Allergie: N\xFC\x73se, \"\"Zitat\"\"\nzweite Zeile\"";
            else if (isTextType(f.type))
                cells << "\"" + QByteArray(f.size > 0 ? qMin(f.size, 3) : 3, 'x') + "\"";
            else
                cells << "";
        }
        return cells.join(',');
    };
    const QByteArray file = header + "\n" + row("10", "\"M\xFCller\"", "1.20000005", "2") + "\n" +
                            row("12", "\"Stra\xDF\x65r\"", "", "") + "\n" + // Null numbers
                            row("zw\xF6lf", "\"Huber\"", "1", "0") + "\n" + // no number
                            row("", "\"Ohne\"", "1", "0") + "\n" +          // no number at all
                            row("14", "\"Weber\"", "1.5.3", "0") + "\n" +   // factor no number
                            row("15", "\"Fuchs\"", "1", "4.5") + "\n" +     // not whole
                            "16,\"zu kurz\"\n";
    QString problem;
    const auto import = csvimport::Import::read(file, &problem);
    QVERIFY2(import, qPrintable(problem));
    QCOMPARE(import->encoding(), QStringLiteral("Windows-1252"));
    QCOMPARE(import->separator(), ',');
    QCOMPARE(import->rowCount(), 7);
    QStringList refused;
    for (const csvimport::Refusal& r : import->refused())
        refused << QStringLiteral("%1 %2: %3").arg(r.row).arg(r.nr, r.reason);
    QCOMPARE(refused.size(), 5);
    // Each row spans two lines: the remark has a line break.
    const QStringList expected{"6 zwölf: Im Feld \"Nummer\" steht \"zwölf\"",
                               "8 : Das Feld \"Nummer\" ist leer",
                               "10 14: Im Feld \"Faktor Kind\" steht \"1.5.3\"",
                               "12 15: Im Feld \"Geschw. Anzahl\" steht \"4.5\". Das ist keine "
                               "ganze Zahl",
                               "14 16: Die Zeile hat 2 Felder, die erste Zeile aber 64."};
    for (int i = 0; i < expected.size(); ++i)
        QVERIFY2(refused[i].startsWith(expected[i]), qPrintable(refused[i]));

    const auto db = emptyDatabase("old.db");
    QCOMPARE(import->store(*db, csvimport::Clash::Skip), std::optional<int>(2));
    const QStringList stored = contents(*db);
    QCOMPARE(stored.size(), 2);
    QVERIFY(stored[0].startsWith("Nr=10, "));
    QVERIFY(stored[0].contains("KNach=Müller, "));
    QVERIFY(stored[0].contains("Bem=Allergie: Nüsse, \"Zitat\"\nzweite Zeile, "));
    QVERIFY(stored[0].contains(QStringLiteral("KFaktor=%1,").arg(double(1.2f), 0, 'g', 17)));
    QVERIFY(stored[1].contains("KNach=Straßer, "));
    QVERIFY(stored[1].contains("KFaktor=<null>, ") && stored[1].contains("GAnz=<null>, "));
}

// Every field of a table file is held to the sizes and ranges stored files know: rows with every
// field at an end of what it holds are accepted and stored as they stand, a row with one field
// beyond is refused, naming the field.
void TestTransfer::rowsKeepTheStoredSizesAndRanges() {
    QStringList names;
    for (const ContractField& c : kContract)
        names << QString::fromLatin1(c.name);
    QStringList lines{names.join(u';')};
    std::array<QVariant, FieldCount> ends[2];
    for (bool top : {true, false}) {
        QStringList cells;
        for (const ContractField& c : kContract) {
            const int f = fieldIndex(QLatin1String(c.name));
            QVERIFY2(f >= 0, c.name);
            ends[top][size_t(f)] = endValue(c, top);
            cells << writtenValue(endValue(c, top));
        }
        lines << cells.join(u';');
    }
    QList<int> beyondFields; // the field each further row takes beyond its end
    for (const ContractField& c : kContract)
        for (bool top : {true, false}) {
            if (c.type == FieldType::Memo)
                continue;
            QStringList cells;
            for (const ContractField& other : kContract)
                cells << (&other == &c                     ? writtenValue(beyondValue(c, top))
                          : QByteArray(other.name) == "Nr" ? QStringLiteral("1")
                                                           : QString());
            lines << cells.join(u';');
            beyondFields << fieldIndex(QLatin1String(c.name));
        }

    QString problem;
    const auto import = csvimport::Import::read(lines.join(u'\n').toUtf8(), &problem);
    QVERIFY2(import, qPrintable(problem));
    QCOMPARE(import->acceptedCount(), 2);
    QCOMPARE(import->refused().size(), beyondFields.size());
    for (qsizetype i = 0; i < beyondFields.size(); ++i) {
        const csvimport::Refusal& refusal = import->refused()[i];
        const int f = beyondFields[i];
        QVERIFY2(refusal.row == int(i) + 4 && refusal.reason.contains(fieldLabel(f)),
                 qPrintable(QStringLiteral("%1: row %2, %3")
                                .arg(QLatin1String(fieldDef(f).name))
                                .arg(refusal.row)
                                .arg(refusal.reason)));
    }

    const auto db = emptyDatabase("ends.db");
    QCOMPARE(import->store(*db, csvimport::Clash::Skip), std::optional<int>(2));
    QStringList differing;
    db->readAll([&](const RawRecord& record) {
        const std::array<QVariant, FieldCount>& expected = ends[record[0].whole > 0];
        for (int i = 0; i < FieldCount; ++i) {
            const RawValue& v = record[size_t(i)];
            const QVariant stored = v.kind == RawValue::Kind::Whole  ? QVariant(v.whole)
                                    : v.kind == RawValue::Kind::Real ? QVariant(v.real)
                                                                     : QString::fromUtf8(v.text);
            if (stored != expected[size_t(i)])
                differing << QLatin1String(fieldDef(i).name);
        }
        return true;
    });
    QCOMPARE(differing, QStringList());
}

void TestTransfer::takenNumbersAreSkippedOrRenumbered_data() {
    QTest::addColumn<int>("clash");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QStringList>("surnames");
    // Stored: 5 and 20. File: 5, 7, 7, 21.
    QTest::newRow("skip") << int(csvimport::Clash::Skip) << QList<int>{5, 7, 20, 21}
                          << QStringList{"alt", "B", "alt", "D"};
    QTest::newRow("renumber") << int(csvimport::Clash::Renumber) << QList<int>{5, 7, 20, 21, 22, 23}
                              << QStringList{"alt", "B", "alt", "D", "A", "C"};
}

void TestTransfer::takenNumbersAreSkippedOrRenumbered() {
    QFETCH(int, clash);
    QFETCH(QList<int>, numbers);
    QFETCH(QStringList, surnames);
    const auto db = emptyDatabase("taken.db");
    add(*db, 5, {{"KNach", QStringLiteral("alt")}});
    add(*db, 20, {{"KNach", QStringLiteral("alt")}});
    const auto import =
        csvimport::Import::read("Nr;KNach\r\n5;A\r\n7;B\r\n7;C\r\n21;D\r\n", nullptr);
    QVERIFY(import);
    const QSet<qint64> stored = csvimport::storedNumbers(*db);
    QCOMPARE(import->takenNumbers(stored), (QList<qint64>{5, 7}));
    QCOMPARE(import->addedCount(stored, csvimport::Clash(clash)), numbers.size() - 2);
    QCOMPARE(import->store(*db, csvimport::Clash(clash)), std::optional<int>(numbers.size() - 2));
    QList<int> nrs;
    QStringList names;
    for (const QString& line : contents(*db)) {
        nrs << line.section(',', 0, 0).mid(3).toInt();
        names << line.section("KNach=", 1).section(',', 0, 0);
    }
    QCOMPARE(nrs, numbers);
    QCOMPARE(names, surnames);
}

// Picture data as an old database's table holds it in a column: NUL bytes, bytes that are no
// UTF-8, line breaks; never a quote. A white area is a long stretch of bytes 0xFF, none of them
// a control byte.
QByteArray pictureBytes() {
    QByteArray bytes(2000, '\xFF');
    quint32 state = 12345;
    while (bytes.size() < 2400) {
        state = state * 1103515245 + 12345;
        const char byte = char(state >> 23);
        if (byte != '"')
            bytes += byte;
    }
    return bytes;
}

void TestTransfer::rowsAreReadAsTheFileMeansThem_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("refused");  // "line nr: the start of the reason"
    QTest::addColumn<QStringList>("stored");   // a part of each stored record, in number order
    QTest::addColumn<QStringList>("suspects"); // "line field value"
    const QString unreadable = "In der Spalte \"KNach\" stehen Zeichen, die sich nicht lesen";
    QTest::newRow("UTF-8 with one bad byte: that row refused, the others as written")
        << QByteArray("Nr;KNach;KVor\r\n1;Jürgen;Anna\r\n2;M\xFFller;Ben\r\n3;Öztürk;Çelik\r\n")
        << QStringList{"3 2: " + unreadable}
        << QStringList{"Nr=1, KSorge=-, Bem=-, KNach=Jürgen, KVor=Anna,",
                       "Nr=3, KSorge=-, Bem=-, KNach=Öztürk, KVor=Çelik,"}
        << QStringList();
    QTest::newRow("rows numbered by the line they start on")
        << QByteArray("Nr;KNach;Bem\r\n\r\n1;A;\"x\r\ny\"\r\n\r\n\n2;B;z\rzwei;C;z\r\n")
        << QStringList{"8 zwei: Im Feld \"Nummer\" steht \"zwei\". Das ist keine Zahl"}
        << QStringList{"Nr=1, KSorge=-, Bem=x\r\ny, KNach=A,", "Nr=2, KSorge=-, Bem=z, KNach=B,"}
        << QStringList();
    const QString notANumber = "Im Feld \"Basiswert\" steht \"%1\". Das ist keine Zahl";
    QTest::newRow("numbers as a German reader means them")
        << QByteArray("Nr;KBasis\r\n1;1.000\r\n2;&H10\r\n3;+1021\r\n4; 1020 \r\n5;1020,5\r\n"
                      "-6;-0,5\r\n7;1,2,3\r\n")
        << QStringList{"2 1: " + notANumber.arg("1.000"), "3 2: " + notANumber.arg("&H10"),
                       "4 3: " + notANumber.arg("+1021"), "5 4: " + notANumber.arg(" 1020 "),
                       "8 7: " + notANumber.arg("1,2,3")}
        << QStringList{"Nr=-6, ", "KBasis=-0.5,", "Nr=5, ", "KBasis=1020.5,"} << QStringList();
    // Older versions of mdb-export write every real number with an exponent.
    QTest::newRow("points where a file separated by commas has them throughout")
        << QByteArray("Nr,KBasis,KFaktor\r\n1,1.000,0.5\r\n2,150,\r\n3,1.2.3,1\r\n"
                      "4,1.5000000e+02,2.5000000E-01\r\n5,1e-400,1e400\r\n6,1e,1\r\n")
        << QStringList{"4 3: " + notANumber.arg("1.2.3"),
                       "6 5: Die Zahl 1e400 im Feld \"Faktor Kind\" ist zu groß",
                       "7 6: " + notANumber.arg("1e")}
        << QStringList{"Nr=1, ", "KBasis=1, KFaktor=0.5,",   "Nr=2, ", "KBasis=150, ",
                       "Nr=4, ", "KBasis=150, KFaktor=0.25,"}
        << QStringList();
    QTest::newRow("a decimal comma makes a point no decimal mark")
        << QByteArray("Nr,KBasis,KFaktor\r\n1,1.000,\"0,5\"\r\n2,150,1\r\n")
        << QStringList{"2 1: " + notANumber.arg("1.000")} << QStringList{"Nr=2, "} << QStringList();
    QTest::newRow("the table export's apostrophes against formulas come off")
        << QByteArray("Nr.;Nachname;Vorname;Ort;Gruppe\r\n-5;'=1+1;'-;'@x;''+a\r\n6;'s Eck;-;"
                      "-a;'x\r\n")
        << QStringList()
        << QStringList{"Nr=-5, KSorge=-, Bem=-, KNach==1+1, KVor='-,", "KOrt=@x,", "KGrp='+a,",
                       "Nr=6, KSorge=-, Bem=-, KNach='s Eck, KVor=-,", "KOrt=-a,", "KGrp='x,"}
        << QStringList();
    QTest::newRow("the full export's texts stay as they are")
        << QByteArray("Nr;KNach;KVor\r\n1;'=1+1;'-\r\n") << QStringList()
        << QStringList{"KNach='=1+1, KVor='-,"} << QStringList();
    const QByteArray picture = pictureBytes();
    QTest::newRow("binary data in a column of no field is passed over, in a field refused")
        << QByteArray("Nr,KNach,Bild\n1,\"Jürgen\",\"" + picture + "\"\n2,\"" + picture +
                      "\",\"x\"\n")
        << QStringList{QStringLiteral("%1 2: In der Spalte \"KNach\" stehen Binärdaten")
                           .arg(3 + picture.count('\n') + picture.count('\r') -
                                picture.count("\r\n"))}
        << QStringList{"Nr=1, KSorge=-, Bem=-, KNach=Jürgen,"} << QStringList();
    QTest::newRow("leading zeros a spreadsheet may have dropped")
        << QByteArray("Nr;KPLZ;KPKNr;KTel1;MTel1;VPLZ;VTel1\r\n1;1234;123456;821123456;7375367;"
                      "01234;0821123456\r\n")
        << QStringList() << QStringList{"Nr=1"}
        << QStringList{"2 KPLZ 1234", "2 KTel1 821123456", "2 KPKNr 123456"};
}

void TestTransfer::rowsAreReadAsTheFileMeansThem() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, refused);
    QFETCH(QStringList, stored);
    QFETCH(QStringList, suspects);
    QString problem;
    const auto import = csvimport::Import::read(file, &problem);
    QVERIFY2(import, qPrintable(problem));
    QCOMPARE(import->encoding(), QStringLiteral("UTF-8"));
    QStringList refusals;
    for (const csvimport::Refusal& r : import->refused())
        refusals << QStringLiteral("%1 %2: %3").arg(r.row).arg(r.nr, r.reason);
    QCOMPARE(refusals.size(), refused.size());
    for (qsizetype i = 0; i < refused.size(); ++i)
        QVERIFY2(refusals[i].startsWith(refused[i]), qPrintable(refusals[i]));
    QStringList found;
    for (const csvimport::Suspect& s : import->suspects())
        found << QStringLiteral("%1 %2 %3")
                     .arg(s.row)
                     .arg(QLatin1String(fieldDef(s.field).name), s.value);
    QCOMPARE(found, suspects);

    const auto db = emptyDatabase("read.db");
    import->store(*db, csvimport::Clash::Skip);
    const QString records = contents(*db).join('\n');
    qsizetype at = 0;
    for (const QString& part : stored) {
        at = records.indexOf(part, at);
        QVERIFY2(at >= 0, qPrintable(part + "\n" + records));
    }
}

void TestTransfer::filesThatAreNoTableAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << "Die Datei ist leer.";
    QTest::newRow("binary") << QByteArray("%PDF-1.4\n\0\x01\x02", 12) << "keine Textdatei";
    QTest::newRow("an old database file")
        << QByteArray("\0\x01\0\0Standard Jet DB\0", 20) << "mdb-export TarvexDB.mdb Daten";
    QTest::newRow("no Nr column") << QByteArray("Name;Vorname\r\nMaier;Anna\r\n")
                                  << "fehlt die Spalte \"Nr\"";
    QTest::newRow("a column twice")
        << QByteArray("Nr;KNach;knach\r\n1;a;b\r\n") << "Spalte \"KNach\" zweimal";
    QTest::newRow("cut off in quotes")
        << QByteArray("Nr;Bem\r\n1;\"abc\r\n2;x\r\n") << "endet mitten in einem Feld";
}

void TestTransfer::filesThatAreNoTableAreRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QString problem;
    QVERIFY(!csvimport::Import::read(bytes, &problem));
    QVERIFY2(problem.contains(reason), qPrintable(problem));
}

void TestTransfer::cancelledOrRefusedImportLeavesTheFileAsItWas() {
    const auto db = emptyDatabase("keep.db");
    add(*db, 1, {{"KNach", QStringLiteral("Maier")}});
    QByteArray file = "Nr;KNach\r\n";
    for (int nr = 2; nr < 1200; ++nr)
        file += QByteArray::number(nr) + ";Kind " + QByteArray::number(nr) + "\r\n";
    const auto import = csvimport::Import::read(file, nullptr);
    QVERIFY(import);
    const QByteArray before = fileBytes(path("keep.db"));

    // Cancelled half-way.
    qint64 seen = 0;
    const auto cancelAt600 = [&seen](qint64 done, qint64) {
        seen = done;
        return done < 600;
    };
    QCOMPARE(import->store(*db, csvimport::Clash::Skip, cancelAt600), std::nullopt);
    QVERIFY(seen >= 600);
    QCOMPARE(fileBytes(path("keep.db")), before);

    // Another workstation holds the write lock.
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path("keep.db")).constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    db->setBusyTimeout(50);
    try {
        import->store(*db, csvimport::Clash::Skip);
        QFAIL("stored under another workstation's lock");
    } catch (const EngineError& e) {
        QCOMPARE(e.number(), ErrorNumber::RecordLocked);
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QCOMPARE(fileBytes(path("keep.db")), before);

    // Refused by the engine half-way, after a thousand records were written.
    auto trigger = [this](const char* sql) {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(path("keep.db")).constData(), &raw);
        QCOMPARE(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    };
    trigger("CREATE TRIGGER nein BEFORE INSERT ON Daten WHEN NEW.Nr = 1100 "
            "BEGIN SELECT RAISE(ABORT, 'abgelehnt'); END");
    const QByteArray withTrigger = fileBytes(path("keep.db"));
    QVERIFY_THROWS_EXCEPTION(EngineError, import->store(*db, csvimport::Clash::Skip));
    QCOMPARE(fileBytes(path("keep.db")), withTrigger);
    trigger("DROP TRIGGER nein");

    // And then it goes through whole.
    QCOMPARE(import->store(*db, csvimport::Clash::Skip), std::optional<int>(1198));
    QCOMPARE(contents(*db).size(), 1199);
}

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
