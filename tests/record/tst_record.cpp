// The record's one definition as a save sees it: what is refused and why, what an empty box
// stores, and how stored values are shown so that a record saved unchanged keeps them.

#include "recordcheck.h"
#include "recordcontract.h"
#include "recordtexts.h"

#include <QSet>
#include <QTest>

#include <cfloat>

namespace {

int field(const char* name) {
    return fieldIndex(QLatin1String(name));
}

// A record that can be stored: an empty form with its placeholders.
RecordTexts storableRecord() {
    RecordTexts texts;
    applyPlaceholders(texts);
    return texts;
}

std::optional<InputProblem> saveWith(int f, const QString& text) {
    RecordTexts texts = storableRecord();
    texts[size_t(f)] = text;
    return checkRecord(texts, true);
}

} // namespace

class TestRecord : public QObject {
    Q_OBJECT

  private slots:
    // Every Text column takes its size and refuses a character more, naming the field; the
    // number columns take their ranges' ends and refuse what lies beyond.
    void saveKeepsTheStoredSizesAndRanges() {
        for (const ContractField& c : kContract) {
            const int f = field(c.name);
            QVERIFY2(f >= 0, c.name);
            switch (c.type) {
            case FieldType::Text: {
                QVERIFY2(!saveWith(f, QString(c.size, u'x')), c.name);
                const auto problem = saveWith(f, QString(c.size + 1, u'x'));
                QVERIFY2(problem && problem->field == f, c.name);
                QVERIFY2(problem->message.contains(fieldLabel(f)), c.name);
                break;
            }
            case FieldType::Long:
            case FieldType::Integer: {
                const bool isLong = c.type == FieldType::Long;
                const double low = isLong ? kLongLowest : kIntegerLowest;
                const double high = isLong ? kLongHighest : kIntegerHighest;
                QVERIFY2(!saveWith(f, QString::number(qint64(high))), c.name);
                QVERIFY2(!saveWith(f, QString::number(qint64(low))), c.name);
                QVERIFY2(saveWith(f, QString::number(qint64(high) + 1)), c.name);
                QVERIFY2(saveWith(f, QString::number(qint64(low) - 1)), c.name);
                QVERIFY2(saveWith(f, QStringLiteral("1,5")), c.name);
                break;
            }
            case FieldType::Single:
                QVERIFY2(!saveWith(f, QStringLiteral("340282350000000000000000000000000000000")),
                         c.name);
                QVERIFY2(saveWith(f, QStringLiteral("340282357000000000000000000000000000000")),
                         c.name);
                // Halfway between the largest single and 2^128 rounds to infinity.
                QVERIFY2(saveWith(f, QStringLiteral("340282356779733661637539395458142568448")),
                         c.name);
                QVERIFY2(saveWith(f, QStringLiteral("-340282357000000000000000000000000000000")),
                         c.name);
                break;
            case FieldType::Memo:
                QVERIFY2(!saveWith(f, QString(70000, u'x')), c.name);
                break;
            }
        }
    }

    void saveMessages_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // a part of it
        auto row = [](const char* tag, const char* name, const QString& text, const char* message) {
            QTest::newRow(tag) << name << text << QString::fromUtf8(message);
        };
        row("not a number", "KBasis", "1,,5",
            "Im Feld \"Basiswert\" steht \"1,,5\". Das ist keine Zahl; erlaubt sind Ziffern mit "
            "höchstens einem Komma, zum Beispiel 2,5.");
        row("number too large", "Nr", "3000000000",
            "Die Nummer 3000000000 ist zu groß: Eine Nummer kann höchstens 2147483647 sein.");
        row("number too small", "Nr", "-2147483649", "kann nicht kleiner als -2147483648 sein");
        row("fraction in number", "Nr", "12,5", "\"Nummer\" steht \"12,5\". Das ist keine ganze");
        row("count too large", "GAnz", "32768", "\"Geschw. Anzahl\" ist zu groß");
        row("fee sum too large", "KSumme", "1" + QString(45, u'0'),
            "im Feld \"Summe\" ist zu groß: Das Feld nimmt höchstens 3402823466385");
        row("text too long", "MNach", QString(35, u'x'),
            "Der Text im Feld \"Nachname (Mutter)\" ist 35 Zeichen lang; gespeichert werden "
            "können höchstens 30 Zeichen.");
        row("empty text", "KVor", "", "Das Feld \"Vorname (Kind)\" ist leer");
        row("father's empty text", "VArbTel", "", "\"Telefon Arbeitspl. (Vater)\" ist leer");
        row("sibling's text", "G2Vor", QString(31, u'x'), "\"Vorname (2. Geschwisterkind)\"");
        row("empty number", "KFaktor", " ", "Das Feld \"Faktor Kind\" ist leer");
        // A long value is cut, so the reason stays readable.
        row("long text cut", "KBasis", QString(65000, u'x'),
            ("steht \"" + QByteArray(40, 'x') + "…\". Das ist keine Zahl").constData());
        row("long number cut", "Nr", "1" + QString(99, u'0'),
            ("Die Nummer 1" + QByteArray(39, '0') + "… ist zu groß").constData());
    }
    void saveMessages() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, message);
        const auto problem = saveWith(fieldIndex(name), text);
        QVERIFY(problem);
        QCOMPARE(problem->field, fieldIndex(name));
        QVERIFY2(problem->message.contains(message), qPrintable(problem->message));
    }

    // A character outside the basic plane counts once, as the column counts it.
    void charactersAreCountedAsTheColumnCountsThem() {
        QVERIFY(!saveWith(field("KNach"), QString::fromUtf8("😀").repeated(30)));
        QVERIFY(
            !textProblem(field("KNach"), QByteArrayView("\xc3\xa4").toByteArray().repeated(30)));
        QVERIFY(textProblem(field("KNach"), QByteArray(31, 'x')));
    }

    void firstProblemInWritingOrder() {
        RecordTexts texts = storableRecord();
        texts[size_t(field("KBasis"))] = QStringLiteral("x");
        texts[size_t(field("KBuchvon"))] = QStringLiteral("123456789");
        QCOMPARE(checkRecord(texts, true)->field, field("KBuchvon"));
        const QList<int> all = writeColumns(true);
        QCOMPARE(QSet<int>(all.begin(), all.end()).size(), FieldCount);
        QCOMPARE(writeColumns(false), all.mid(1));
        // A changed record's number is not written, so not checked either.
        texts = storableRecord();
        texts[size_t(field("Nr"))] = QStringLiteral("x");
        QVERIFY(!checkRecord(texts, false));
        QVERIFY(checkRecord(texts, true));
    }

    // What a save stores for an empty box, and for "-" where the box holds a number; a filler
    // written on leaving a box is stored as it is, so both routes store one value.
    void emptyInputIsStoredAsItsPlaceholder() {
        for (const ContractField& c : kContract) {
            const int f = field(c.name);
            RecordTexts texts;
            applyPlaceholders(texts);
            QCOMPARE(texts[size_t(f)], QString::fromUtf8(c.placeholder ? c.placeholder : ""));
            if (const char* filler = fieldDef(f).filler) {
                texts[size_t(f)] = QString::fromUtf8(filler);
                applyPlaceholders(texts);
                const bool number = c.type != FieldType::Text && c.type != FieldType::Memo;
                // A fee's filler is the factor 1; every other filler is the placeholder itself,
                // or "-" that the save turns into it.
                if (!number || QByteArray(filler) != "1")
                    QCOMPARE(texts[size_t(f)], QString::fromUtf8(c.placeholder));
            }
        }
        RecordTexts texts;
        texts[size_t(field("KVor"))] = QStringLiteral(" ");  // blanks are kept
        texts[size_t(field("KKonf"))] = QStringLiteral("-"); // a dash typed as religion stays
        applyPlaceholders(texts);
        QCOMPARE(texts[size_t(field("KVor"))], QStringLiteral(" "));
        QCOMPARE(texts[size_t(field("KKonf"))], QStringLiteral("-"));
    }

    void shownTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Null") << "GAnz" << QVariant() << "";
        QTest::newRow("whole number") << "Nr" << QVariant(qint64(-2147483648)) << "-2147483648";
        QTest::newRow("Single") << "KBasis" << QVariant(2.5) << "2,5";
        QTest::newRow("Single as typed") << "KFaktor" << QVariant(double(0.1f)) << "0,1";
        QTest::newRow("Single beyond seven digits")
            << "KBasis" << QVariant(double(999999999999999.0f)) << "1000000000000000";
        QTest::newRow("text unchanged") << "Bem" << QVariant(" a\nb ") << " a\nb ";
        QTest::newRow("lunch ja") << "KEssen" << QVariant("ja") << "ja";
        QTest::newRow("lunch Ja") << "KEssen" << QVariant("Ja") << "nein";
        QTest::newRow("lunch Null") << "KEssen" << QVariant() << "nein";
    }
    void shownTexts() {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(QString, shown);
        RecordValues values;
        values[size_t(fieldIndex(name))] = value;
        QCOMPARE(displayTexts(values)[size_t(fieldIndex(name))], shown);
    }

    // A Single shown and read back is the same single, for every kind of value a fee can hold.
    void shownSinglesReadBackExactly() {
        const float values[] = {0.1f,         1.2f,        153.0f,  123.45f,  999999999999999.0f,
                                123456792.0f, 1e-7f,       FLT_MAX, -FLT_MAX, FLT_MIN,
                                16777217.0f,  0.333333343f};
        for (float v : values) {
            RecordValues stored;
            stored[size_t(field("KSumme"))] = double(v);
            const QString shown = displayTexts(stored)[size_t(field("KSumme"))];
            RecordTexts texts = storableRecord();
            texts[size_t(field("KSumme"))] = shown;
            QVERIFY2(!checkRecord(texts, true), qPrintable(shown));
            bool ok = false;
            QCOMPARE(float(QString(shown).replace(u',', u'.').toDouble(&ok)), v);
            QVERIFY(ok);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"
