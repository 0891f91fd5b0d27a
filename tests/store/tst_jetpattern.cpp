#include "jetpattern.h"

#include <QTest>

#include <sqlite3.h>

#include <initializer_list>
#include <utility>

namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

int compareUtf8(const QByteArray& a, const QByteArray& b) {
    return sign(germanCompare(a.constData(), int(a.size()), b.constData(), int(b.size())));
}

// Rows of matches(): each pair is a pattern and a text, the tag "pattern ~ text" or
// "pattern !~ text".
void addMatches(bool expected, std::initializer_list<std::pair<const char*, const char*>> pairs) {
    for (const auto& [pattern, text] : pairs)
        QTest::addRow("%s %s %s", pattern, expected ? "~" : "!~", text)
            << QString::fromUtf8(pattern) << QString::fromUtf8(text) << expected;
}

} // namespace

// The LIKE wildcards and the German order, on their own and as registered on a connection.
class TestJetPattern : public QObject {
    Q_OBJECT

  private slots:
    void matches_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        // "*" any run, "?" one character (a code point), "#" one ASCII digit.
        addMatches(true, {{"*", ""},
                          {"Mü*", "Müller"},
                          {"a*b*c", "axbxxbyc"},
                          {"a**c", "ac"},
                          {"M?ller", "Möller"},
                          {"??", "äß"},
                          {"a?b", "a😀b"},
                          {"##.##.####", "01.02.2020"},
                          {"##########", "0123456789"}});
        addMatches(false, {{"M?ller", "Mller"}, {"#", "a"}, {"#*", ""}, {"#", "٣"}});
        // Lists and ranges; inside brackets "*", "#" and "[" stand for themselves, and "-"
        // first or last is literal. "[]" stands for no character, "[!]" for any one.
        addMatches(true, {{"[mk]eier", "Keier"},
                          {"[a-c]x", "Bx"},
                          {"[a-cx-z]", "y"},
                          {"[!a-c]", "d"},
                          {"[[]x", "[x"},
                          {"[-a]", "-"},
                          {"[a-]", "-"},
                          {"a[]b", "ab"},
                          {"[!]", "x"},
                          {"a]", "a]"}});
        addMatches(false, {{"[mk]eier", "Beier"},
                           {"[!a-c]", "b"},
                           {"[!a-c]", ""},
                           {"[*]", "x"},
                           {"[#]", "1"},
                           {"[a-]", "b"}});
        // Ranges by base letter in German order (Ł Ø Đ as L O D, ß as ss, Æ as ae, Þ after z);
        // outside ranges case is ignored over all of Unicode, accents not.
        addMatches(true, {{"[a-c]*", "Äpfel"},
                          {"[r-t]", "ß"},
                          {"[k-m]*", "Łukasz"},
                          {"[n-p]*", "Ørsted"},
                          {"[d-d]*", "Đorđe"},
                          {"[a-b]", "Æ"},
                          {"[!a-z]", "Þ"},
                          {"MÜLLER", "müller"},
                          {"σοφία", "ΣΟΦΊΑ"}});
        addMatches(false, {{"[a-c]", "é"}, {"[a-a]", "æ"}, {"[a-z]", "1"}, {"Muller", "Müller"}});
        // An unclosed "[" is an ordinary character.
        addMatches(true, {{"[abc", "[abc"}, {"a[b*", "a[bcd"}, {"[!", "[!"}});
        addMatches(false, {{"[abc", "a"}});
    }
    void matches() {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, expected);
        const JetPattern compiled(pattern);
        QCOMPARE(compiled.matches(text), expected);
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(compiled.matchesUtf8(utf8.constData(), int(utf8.size())), expected);
    }

    void sqlLike_data() {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QVariant>("expected"); // invalid for Null
        auto row = [](const char* name, const char* sql, const QVariant& expected) {
            QTest::newRow(name) << QByteArray("SELECT ") + sql << expected;
        };
        row("operator", "'Müller' LIKE 'mü*'", 1);
        row("function takes the pattern first", "like('mü*', 'Müller')", 1);
        // Null never matches, not even "*": the row drops out of a WHERE, with LIKE or NOT LIKE.
        row("Null text", "NULL LIKE '*'", QVariant());
        row("Null pattern", "'x' LIKE NULL", QVariant());
        row("Null row and NOT LIKE",
            "count(*) FROM (SELECT NULL AS v UNION ALL SELECT 'a') WHERE v NOT LIKE 'b*'", 1);
        // A pattern that changes from row to row must never be taken from the previous row's
        // compiled pattern, not even when the text stays the same.
        row("pattern per row",
            "group_concat(i, '') FROM (WITH t(i, p) AS (VALUES (1, 'a*'), (2, 'b*'), (3, '*c'), "
            "(4, '#'), (5, '?bc')) SELECT i FROM t WHERE 'abc' LIKE p ORDER BY i)",
            135);
        row("escaped star", "'a*' LIKE 'a!*' ESCAPE '!'", 1);
        row("escaped star is literal", "'ab' LIKE 'a!*' ESCAPE '!'", 0);
        row("escape unused", "'ab' LIKE 'a*' ESCAPE '!'", 1);
        // Numbers are matched in their shown form; a Single with its decimal comma.
        row("whole number", "123 LIKE '1#3'", 1);
        row("decimal comma", "2.5 LIKE '2,5'", 1);
        row("small Single, seven digits written out", "1.5e-7 LIKE '0,00000015'", 1);
        row("large Single, seven digits written out", "123456789.0 LIKE '123456800'", 1);
    }
    void sqlLike() {
        QFETCH(QByteArray, sql);
        QFETCH(QVariant, expected);
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
        registerJetFunctions(db);
        sqlite3_stmt* stmt = nullptr;
        QVariant value = QStringLiteral("error");
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            value = sqlite3_column_type(stmt, 0) == SQLITE_NULL
                        ? QVariant()
                        : QVariant(qint64(sqlite3_column_int64(stmt, 0)));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        QCOMPARE(value, expected);
    }

    // UTF-8 text takes a shortcut past the collation where two texts differ in Latin letters,
    // digits or punctuation; UTF-16 text never does. Pairs of characters up to U+024F, in
    // surroundings that the shortcut must leave to the collation (a contraction such as "L·",
    // a combining mark, a character weighed by the one before), sort the same in both forms.
    void germanOrderShortcut_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("everyLetter"); // each Latin character, or only some
        auto row = [](const char* name, const char16_t* before, const char16_t* after,
                      bool everyLetter = false) {
            QTest::newRow(name) << QString::fromUtf16(before) << QString::fromUtf16(after)
                                << everyLetter;
        };
        row("alone", u"", u"", true);
        row("inside a name", u"Me", u"er", true);
        row("after L", u"L", u"");
        row("before a middle dot", u"", u"\u00B7");
        row("before a combining overlay", u"", u"\u0338");
        row("before a combining accent", u"", u"\u0301");
        row("after an umlaut, before a tab", u"\u00FC", u"\t");
        row("after a noncharacter", u"\uFDD1", u"");
    }
    void germanOrderShortcut() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, everyLetter);
        // ASCII, the Latin-1 letters and some more
        QString some = QStringLiteral("ĂăČčĐđĞğİıŁłŐőŒœŞşŠšŽžƒǄǅǆȘș");
        for (char16_t c = 0; c < 0x100; c = c == 0x7F ? 0xC0 : c + 1)
            some += QChar(c);
        QString every;
        for (char16_t c = 0; c < 0x250; ++c)
            every += QChar(c);
        for (QChar x : everyLetter ? every : some) {
            const QString a = before + x + after;
            const QByteArray a8 = a.toUtf8();
            for (QChar y : some) {
                for (const QString& b : {before + y, before + y + after}) {
                    const int utf16 = sign(germanCompare(a, b));
                    if (compareUtf8(a8, b.toUtf8()) != utf16)
                        QFAIL(qPrintable(QStringLiteral("%1 against %2").arg(a, b)));
                }
            }
        }
    }

    // Sorting needs a strict order even for damaged text and for texts the collation holds
    // equal (another normalization form, control characters): antisymmetric and never 0 for
    // different byte strings. Odd text keeps the collation's order, which the shortcut must not
    // guess. The order of names is tested on the store, in tst_store.
    void germanOrderOfOddText() {
        const QList<QByteArray> texts = {"\xff",
                                         "\xfe",
                                         "a\xc3",
                                         "a\xc3\xa4",
                                         "A",
                                         "\xe2\x82",
                                         QByteArray(),
                                         "\xf0\x9f\x98\x80",
                                         "\xc3\x9f",
                                         "ss",
                                         "SS",
                                         "Caf\xc3\xa9",
                                         "Cafe\xcc\x81",
                                         "Caf\x01\xc3\xa9"};
        for (const QByteArray& a : texts) {
            for (const QByteArray& b : texts) {
                QCOMPARE(compareUtf8(a, b), -compareUtf8(b, a));
                QCOMPARE(compareUtf8(a, b) == 0, a == b);
            }
        }
        // Bytes that are not UTF-8 sort as U+FFFD, after every letter: an overlong "A" is no "A".
        QCOMPARE(compareUtf8("\xc1\x81", "B"), 1);
        QCOMPARE(compareUtf8("a\xc3", "ab"), 1);
        // A text that goes on can sort before its start: a Thai vowel sign written before a
        // consonant weighs after it.
        QCOMPARE(compareUtf8("A\xe0\xb9\x80\xe0\xb8\x81", "A\xe0\xb9\x80"), -1);
    }
};

QTEST_GUILESS_MAIN(TestJetPattern)
#include "tst_jetpattern.moc"
