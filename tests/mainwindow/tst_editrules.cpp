#include "choicelists.h"
#include "editstate.h"
#include "inputrules.h"
#include "recordtexts.h"

#include <QSet>
#include <QTest>

using namespace InputRules;

namespace {

int field(const QString& name) {
    return fieldIndex(name);
}

// A record that can be stored: an empty form with its placeholders.
RecordTexts storableRecord() {
    RecordTexts texts;
    texts[size_t(field("KEssen"))] = QStringLiteral("nein");
    applyPlaceholders(texts);
    return texts;
}

} // namespace

class TestEditRules : public QObject {
    Q_OBJECT

  private slots:
    // ---- Showing and storing a record --------------------------------------------------------

    void shownTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Null") << "GAnz" << QVariant() << "";
        QTest::newRow("whole number") << "Nr" << QVariant(qint64(12)) << "12";
        QTest::newRow("Single") << "KBasis" << QVariant(2.5) << "2,5";
        QTest::newRow("Single to seven digits") << "KFaktor" << QVariant(double(0.1f)) << "0,1";
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
        values[size_t(field(name))] = value;
        QCOMPARE(displayTexts(values)[size_t(field(name))], shown);
    }

    // What an empty box gets when it is left (its text box or its choice box) and when the
    // record is saved.
    void fillers_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("choiceBox");
        QTest::addColumn<QString>("onLeave");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("onSave");
        auto row = [](const char* name, bool choiceBox, const char* onLeave, const char* typed,
                      const char* onSave) {
            const QString tag =
                QStringLiteral("%1%2, typed \"%3\"")
                    .arg(QLatin1String(name), QLatin1String(choiceBox ? " choice box" : ""),
                         QLatin1String(typed));
            QTest::newRow(qPrintable(tag))
                << name << choiceBox << onLeave << typed << QString::fromUtf8(onSave);
        };
        row("G3Gebin", false, "-", "", "-");
        row("KVor", false, "-", " ", " "); // blanks are kept
        row("KKonf", true, "-", "", "o.K.");
        row("KNat", false, "-", "", "-");
        row("KNat", true, "o.K.", "", "-");
        row("MKonf", true, "o.K.", "", "o.K.");
        row("VKonf", true, "o.K.", "", "o.K.");
        row("VNat", true, "-", "", "-");
        row("KPKNr", false, "-", "", "0000000");
        row("KPKNr", false, "-", "-", "0000000");
        row("KSumme", false, "1", "", "0");
        row("KBasis", false, "1", "-", "0");
        row("Nr", false, "", "", "9999");
        row("GAnz", false, "", "", "0");
    }
    void fillers() {
        QFETCH(QString, name);
        QFETCH(bool, choiceBox);
        QFETCH(QString, onLeave);
        QFETCH(QString, typed);
        QFETCH(QString, onSave);
        QCOMPARE(fillerOnLeave(field(name), choiceBox), onLeave);
        RecordTexts texts;
        texts[size_t(field(name))] = typed;
        applyPlaceholders(texts);
        QCOMPARE(texts[size_t(field(name))], onSave);
        // The import gives a field of a row the same, one field at a time.
        const char* placeholder = savedPlaceholder(field(name), typed);
        QCOMPARE(placeholder ? QString::fromLatin1(placeholder) : typed, onSave);
    }

    void checkRecord_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("newRecord");
        QTest::addColumn<QString>("message"); // a part of it; empty: the record can be stored
        auto row = [](const char* tag, const char* name, const QString& text, const char* message,
                      bool newRecord = true) {
            QTest::newRow(tag) << name << text << newRecord << QString::fromUtf8(message);
        };
        row("not a number", "KBasis", "1,,5",
            "Im Feld \"Basiswert\" steht \"1,,5\". Das ist keine Zahl; erlaubt sind Ziffern mit "
            "höchstens einem Komma, zum Beispiel 2,5.");
        row("number too large", "Nr", "3000000000",
            "Die Nummer 3000000000 ist zu groß: Eine Nummer kann höchstens 2147483647 sein.");
        row("highest number", "Nr", "2147483647", "");
        row("lowest number", "Nr", "-2147483648", "");
        row("fraction in number", "Nr", "12,5", "\"Nummer\" steht \"12,5\". Das ist keine ganze");
        row("number not written on change", "Nr", "x", "", false);
        row("count too large", "GAnz", "32768", "\"Geschw. Anzahl\" ist zu groß");
        row("Single too large", "KBasis", "350000000000000000000000000000000000000", "zu groß");
        row("shortest form of the largest Single", "KBasis",
            "340282350000000000000000000000000000000", "");
        row("Single rounding to infinity", "KBasis", "340282357000000000000000000000000000000",
            "zu groß");
        row("text at its size", "MNach", QString(30, u'x'), "");
        row("text too long", "MNach", QString(35, u'x'),
            "Der Text im Feld \"Nachname (Mutter)\" ist 35 Zeichen lang; gespeichert werden "
            "können höchstens 30 Zeichen.");
        row("characters beyond the basic plane", "KNach", QString::fromUtf8("😀").repeated(30), "");
        row("empty text", "KVor", "", "Das Feld \"Vorname (Kind)\" ist leer");
        row("father's empty text", "VArbTel", "", "\"Telefon Arbeitspl. (Vater)\" ist leer");
        row("sibling's text too long", "G2Vor", QString(31, u'x'),
            "\"Vorname (2. Geschwisterkind)\" ist 31 Zeichen lang");
        row("child's group too long", "KGrp", QString(16, u'x'),
            "\"Gruppe (Kind)\" ist 16 Zeichen");
    }
    void checkRecord() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, newRecord);
        QFETCH(QString, message);
        RecordTexts texts = storableRecord();
        texts[size_t(field(name))] = text;
        const std::optional<InputProblem> problem = ::checkRecord(texts, newRecord);
        QCOMPARE(problem.has_value(), !message.isEmpty());
        if (problem) {
            QCOMPARE(problem->field, field(name));
            QVERIFY2(problem->message.contains(message), qPrintable(problem->message));
        }
    }

    void firstProblemInWritingOrder() {
        RecordTexts texts = storableRecord();
        texts[size_t(field("KBasis"))] = QStringLiteral("x");
        texts[size_t(field("KBuchvon"))] = QStringLiteral("123456789");
        QCOMPARE(::checkRecord(texts, true)->field, field("KBuchvon"));
        const QList<int> all = writeColumns(true);
        QCOMPARE(QSet<int>(all.begin(), all.end()).size(), FieldCount);
        QCOMPARE(writeColumns(false), all.mid(1));
    }

    // ---- Keys, pastes and leaving a box ------------------------------------------------------

    void keys_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("keys"); // one key: typed; more: pasted
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("selection");
        QTest::addColumn<int>("limit");
        QTest::addColumn<KeyResult>("result");
        auto row = [](const char* tag, Kind kind, const QString& keys, int length, int selection,
                      int limit, KeyResult result) {
            QTest::newRow(tag) << kind << keys << length << selection << limit << result;
        };
        using K = Kind;
        using R = KeyResult;
        const QString enter(Enter), backspace(Backspace);
        row("text below limit", K::Text, "a", 29, 0, 30, R::Accept);
        row("text at limit", K::Text, "a", 30, 0, 30, R::TooLong);
        row("text at limit replaces selection", K::Text, "a", 30, 1, 30, R::Accept);
        row("backspace at limit", K::Text, backspace, 30, 0, 30, R::Accept);
        row("enter moves on", K::Text, enter, 0, 0, 30, R::MoveFocus);
        row("remark enter", K::Remark, enter, 9, 0, 10, R::Accept);
        row("remark enter at limit", K::Remark, enter, 10, 0, 10, R::TooLong);
        row("number digit at limit", K::Number, "7", 10, 0, 10, R::TooLong);
        row("number letter", K::Number, "a", 0, 0, 10, R::Discard);
        row("fee comma", K::Fee, ",", 1, 0, 15, R::Accept);
        row("fee point", K::Fee, ".", 1, 0, 15, R::Discard);
        row("count 3", K::SiblingCount, "3", 0, 0, 1, R::Accept);
        row("count 4", K::SiblingCount, "4", 0, 0, 1, R::Discard);
        row("count beside a digit", K::SiblingCount, "2", 1, 0, 1, R::Discard);
        row("count over a selected digit", K::SiblingCount, "2", 1, 1, 1, R::Accept);
        row("lunch space", K::Lunch, " ", 0, 0, 0, R::Accept);
        row("paste to the limit", K::Text, "abc", 27, 0, 30, R::Accept);
        row("paste beyond the limit", K::Text, "abc", 28, 0, 30, R::TooLong);
        row("paste over a selection", K::Text, "abc", 30, 3, 30, R::Accept);
        row("paste a line break", K::Text, "a\nb", 0, 0, 30, R::Discard);
        row("paste lines into the remark", K::Remark, "a\r\nb", 0, 0, 100, R::Accept);
        row("paste a letter into a number", K::Number, "12a", 0, 0, 10, R::Discard);
    }
    void keys() {
        QFETCH(Kind, kind);
        QFETCH(QString, keys);
        QFETCH(int, length);
        QFETCH(int, selection);
        QFETCH(int, limit);
        QFETCH(KeyResult, result);
        if (keys.size() == 1)
            QCOMPARE(keyResult(kind, keys[0], length, selection, limit), result);
        else
            QCOMPARE(pasteResult(kind, keys, length, selection, limit), result);
    }

    void proposals() {
        for (const char* text : {"", "-", "o.K."})
            QVERIFY(takesProposal(QString::fromUtf8(text)));
        for (const char* text : {"o.k.", " ", "rk"})
            QVERIFY(!takesProposal(QString::fromUtf8(text)));
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
