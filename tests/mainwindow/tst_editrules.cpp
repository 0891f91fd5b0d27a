#include "choicelists.h"
#include "editstate.h"
#include "inputrules.h"
#include "recordfields.h"

#include <QSet>
#include <QTest>

using namespace InputRules;

namespace {

int field(const QString& name) {
    return fieldIndex(name);
}

} // namespace

class TestEditRules : public QObject {
    Q_OBJECT

  private slots:
    // ---- What a box takes, on every way text comes in ---------------------------------------

    void cleanedLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("cleaned");
        QTest::addColumn<int>("moved");
        QTest::newRow("a copied cell") << "Müller\n" << 7 << "Müller" << 6;
        QTest::newRow("a cell from Windows") << "Müller\r\n" << 8 << "Müller" << 6;
        QTest::newRow("a tab inside") << "Anna\tMaria" << 10 << "Anna Maria" << 10;
        QTest::newRow("lines inside") << "a\r\nb\nc\r" << 6 << "a b c" << 5;
        QTest::newRow("cursor behind a pair") << "a\r\nbc" << 3 << "a bc" << 2;
        QTest::newRow("pasted in the middle") << "x\ny|z" << 3 << "x y|z" << 3;
        QTest::newRow("nothing to clean") << "Anna" << 2 << "Anna" << 2;
    }
    void cleanedLines() {
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, cleaned);
        QFETCH(int, moved);
        QCOMPARE(cleanLine(text, &position), cleaned);
        QCOMPARE(position, moved);
    }

    void lineInputs_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<Verdict>("verdict");
        auto row = [](const char* tag, Kind kind, const QString& text, int limit, Verdict verdict) {
            QTest::newRow(tag) << kind << text << limit << verdict;
        };
        using K = Kind;
        using V = Verdict;
        row("text at its limit", K::Text, QString(30, u'x'), 30, V::Accept);
        row("text beyond", K::Text, QString(31, u'x'), 30, V::TooLong);
        row("characters beyond the basic plane", K::Text, QString::fromUtf8("😀").repeated(30), 30,
            V::Accept);
        row("remark beyond", K::Remark, "a\nbc", 3, V::TooLong);
        row("number", K::Number, "0123456789", 10, V::Accept);
        row("number beyond", K::Number, "12345678901", 10, V::TooLong);
        row("letter in a number", K::Number, "4x", 10, V::RefusedCharacter);
        row("blank in a number", K::Number, "4 ", 10, V::RefusedCharacter);
        row("minus in a number", K::Number, "-4", 10, V::RefusedCharacter);
        row("fee with a comma", K::Fee, "1,5", 15, V::Accept);
        row("fee with two commas", K::Fee, "1,5,", 15, V::RefusedCharacter);
        row("fee with a point", K::Fee, "1.5", 15, V::RefusedCharacter);
        row("fee beyond", K::Fee, QString(16, u'1'), 15, V::TooLong);
        row("empty count", K::SiblingCount, "", 1, V::Accept);
        row("count 3", K::SiblingCount, "3", 1, V::Accept);
        row("count 4", K::SiblingCount, "4", 1, V::RefusedCharacter);
        row("count 7 pasted", K::SiblingCount, "7", 1, V::RefusedCharacter);
        row("count of two digits", K::SiblingCount, "12", 1, V::RefusedCharacter);
    }
    void lineInputs() {
        QFETCH(Kind, kind);
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(Verdict, verdict);
        QCOMPARE(lineInput(kind, text, limit), verdict);
    }

    void proposals() {
        // A box takes a proposal when it holds nothing or what an empty box of it gets.
        for (const char* text : {"", "o.K."})
            QVERIFY(holdsNoValue(field("MKonf"), QString::fromUtf8(text)));
        for (const char* text : {"", "-"})
            QVERIFY(holdsNoValue(field("VNach"), QString::fromUtf8(text)));
        for (const char* text : {"o.k.", " ", "rk"})
            QVERIFY(!holdsNoValue(field("MKonf"), QString::fromUtf8(text)));
        QVERIFY(!holdsNoValue(field("KNach"), QStringLiteral("o.K.")));
        QCOMPARE(proposalTargets(field("KKonf")), QList<int>({field("MKonf"), field("VKonf")}));
        QCOMPARE(proposalTargets(field("KNat")), QList<int>({field("MNat"), field("VNat")}));
        QVERIFY(proposalTargets(field("MKonf")).isEmpty());
        QVERIFY(takesChildSurnameOnEntry(field("VNach")) &&
                !takesChildSurnameOnEntry(field("KNach")));
    }

    void siblingRows_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("rows");
        for (const char* count : {"0", "", " 2", "4", "12"})
            QTest::newRow(count) << count << 0;
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("3") << "3" << 3;
    }
    void siblingRows() {
        QFETCH(QString, count);
        QFETCH(int, rows);
        QCOMPARE(InputRules::siblingRows(count), rows);
        const QList<int> surnames = siblingSurnames(rows);
        QCOMPARE(surnames.size(), rows);
        if (rows > 0)
            QCOMPARE(surnames.last(), field(QStringLiteral("G%1Nach").arg(rows)));
    }

    void feeSum_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("sum"); // "none": the previous sum stays
        QTest::newRow("fees of a child") << QStringList{"150", "1,2", "0,85"} << "153";
        QTest::newRow("last bits hidden") << QStringList{"100", "1,1", "1"} << "110";
        QTest::newRow("blanks and point") << QStringList{" 5 ", "0.5", "1"} << "2,5";
        QTest::newRow("comma alone") << QStringList{",", "1", "1"} << "none";
        QTest::newRow("two commas") << QStringList{"100", "1,,2", "1"} << "none";
        QTest::newRow("empty booking factor") << QStringList{"100", "1", ""} << "none";
    }
    void feeSum() {
        QFETCH(QStringList, texts);
        QFETCH(QString, sum);
        QCOMPARE(InputRules::feeSum(texts[0], texts[1], texts[2]).value_or("none"), sum);
    }

    // ---- Choice lists, new numbers and the record menu ---------------------------------------

    void choiceListsOnlyGrow() {
        ChoiceLists lists;
        QVERIFY(lists.add({"Ev.", "rk", "Ev."}, {}));
        QVERIFY(lists.add({"ev.", "", "rk"}, {"deutsch"}));
        QVERIFY(!lists.add({"Ev.", ""}, {"deutsch"}));
        QVERIFY(lists.add({}, {"türkisch"}));
        QCOMPARE(lists.religions(), QStringList({"Ev.", "rk", "ev."}));
        QCOMPARE(lists.nationalities(), QStringList({"deutsch", "türkisch"}));
    }

    void newRecordNumbers() {
        QCOMPARE(nextNumber(std::nullopt).value_or(0), 1);
        QCOMPARE(nextNumber(2147483646).value_or(0), 2147483647);
        QVERIFY(!nextNumber(2147483647));
    }

    void recordMenuStates_data() {
        QTest::addColumn<EditState>("state");
        QTest::addColumn<bool>("hasRecords");
        QTest::addColumn<QString>("enabled"); // neu, aendern, loeschen, speichern
        QTest::newRow("browsing records") << EditState::Browse << true << "1110";
        QTest::newRow("browsing an empty list") << EditState::Browse << false << "1000";
        QTest::newRow("new record") << EditState::New << true << "0001";
        QTest::newRow("changing a record") << EditState::Change << true << "0001";
    }
    void recordMenuStates() {
        QFETCH(EditState, state);
        QFETCH(bool, hasRecords);
        QFETCH(QString, enabled);
        const RecordMenuStates s = ::recordMenuStates(state, hasRecords);
        QCOMPARE(QString("%1%2%3%4").arg(s.neu).arg(s.aendern).arg(s.loeschen).arg(s.speichern),
                 enabled);
    }
};

QTEST_GUILESS_MAIN(TestEditRules)
#include "tst_editrules.moc"
