#include "jetpattern.h"

#include <QTest>

#include <sqlite3.h>

// The LIKE wildcards and the German order, on their own and as registered on a connection.
class TestJetPattern : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void matches_data();
    void matches();
    void sqlLikeTakesPatternFirstAndSkipsNull();
    void sqlLikeWithPatternPerRow();
    void sqlLikeEscapeAndNumbers();

    void germanOrder_data();
    void germanOrder();
    void germanOrderIsTotalAndConsistent();

  private:
    QVariant scalar(const char* sql);
    sqlite3* m_db = nullptr;
};

void TestJetPattern::init() {
    QCOMPARE(sqlite3_open(":memory:", &m_db), SQLITE_OK);
    registerJetFunctions(m_db);
}

void TestJetPattern::cleanup() {
    sqlite3_close(m_db);
    m_db = nullptr;
}

// The first column of the first row; an invalid QVariant for Null.
QVariant TestJetPattern::scalar(const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        qWarning() << sqlite3_errmsg(m_db);
        return QStringLiteral("error");
    }
    QVariant value;
    if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}

void TestJetPattern::matches_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    auto row = [](const char* name, const char* pattern, const char* text, bool expected) {
        QTest::newRow(name) << QString::fromUtf8(pattern) << QString::fromUtf8(text) << expected;
    };
    // "*"
    row("star matches empty", "*", "", true);
    row("star matches any", "*", "Müller", true);
    row("prefix", "Mü*", "Müller", true);
    row("prefix misses", "Mü*", "Mueller", false);
    row("suffix", "*er", "Müller", true);
    row("inner", "*ll*", "Müller", true);
    row("two stars backtrack", "a*b*c", "axbxxbyc", true);
    row("double star", "a**c", "ac", true);
    // "?"
    row("one char", "M?ller", "Möller", true);
    row("one char not zero", "M?ller", "Mller", false);
    row("umlaut is one char", "??", "äß", true);
    row("char beyond BMP is one", "a?b", "a😀b", true);
    // "#"
    row("digit", "##.##.####", "01.02.2020", true);
    row("digit not letter", "#", "a", false);
    row("digit not empty", "#*", "", false);
    row("digit only ascii", "#", "٣", false);
    // lists and ranges
    row("list", "[mk]eier", "Keier", true);
    row("list misses", "[mk]eier", "Beier", false);
    row("range", "[a-c]x", "bx", true);
    row("range ignores case", "[a-c]x", "Bx", true);
    row("range misses", "[a-c]x", "dx", false);
    row("two ranges", "[a-cx-z]", "y", true);
    row("negated", "[!a-c]", "d", true);
    row("negated misses", "[!a-c]", "b", false);
    row("negated needs a char", "[!a-c]", "", false);
    row("star in list", "[*]", "*", true);
    row("star in list is literal", "[*]", "x", false);
    row("question mark in list", "a[?]", "a?", true);
    row("hash in list", "[#]", "#", true);
    row("hash in list is literal", "[#]", "1", false);
    row("bracket in list", "[[]x", "[x", true);
    row("dash first", "[-a]", "-", true);
    row("dash last", "[a-]", "-", true);
    row("dash last not range", "[a-]", "b", false);
    row("empty list matches nothing", "a[]b", "ab", true);
    row("closing bracket alone", "a]", "a]", true);
    // German order in ranges
    row("umlaut in range", "[a-c]*", "Äpfel", true);
    row("sharp s as ss", "[r-t]", "ß", true);
    row("accent outside range", "[a-c]", "é", false);
    // case over all of Unicode
    row("umlaut case", "MÜLLER", "müller", true);
    row("umlaut case other way", "ä*", "Ärger", true);
    row("greek case", "σοφία", "ΣΟΦΊΑ", true);
    row("cyrillic case", "ж*", "Жанна", true);
    row("umlaut is not its base", "Muller", "Müller", false);
    // malformed
    row("unclosed bracket literal", "[abc", "[abc", true);
    row("unclosed bracket not list", "[abc", "a", false);
    row("unclosed bracket keeps star", "a[b*", "a[bcd", true);
    row("lone bang", "[!", "[!", true);
}

void TestJetPattern::matches() {
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, expected);
    const JetPattern compiled(pattern);
    QCOMPARE(compiled.matches(text), expected);
    const QByteArray utf8 = text.toUtf8();
    QCOMPARE(compiled.matchesUtf8(utf8.constData(), int(utf8.size())), expected);
}

void TestJetPattern::sqlLikeTakesPatternFirstAndSkipsNull() {
    QCOMPARE(scalar("SELECT 'Müller' LIKE 'mü*'"), QVariant(1));
    QCOMPARE(scalar("SELECT like('mü*', 'Müller')"), QVariant(1));
    QCOMPARE(scalar("SELECT like('Müller', 'mü*')"), QVariant(0));
    // Null never matches, not even "*": the row drops out of a WHERE, with LIKE or NOT LIKE.
    QCOMPARE(scalar("SELECT NULL LIKE '*'"), QVariant());
    QCOMPARE(scalar("SELECT 'x' LIKE NULL"), QVariant());
    QCOMPARE(scalar("SELECT count(*) FROM (SELECT NULL AS v UNION ALL SELECT 'a') "
                    "WHERE v LIKE '*'"),
             QVariant(1));
    QCOMPARE(scalar("SELECT count(*) FROM (SELECT NULL AS v UNION ALL SELECT 'a') "
                    "WHERE v NOT LIKE 'b*'"),
             QVariant(1));
}

// A pattern that changes from row to row must never be taken from the previous row's cache.
void TestJetPattern::sqlLikeWithPatternPerRow() {
    QCOMPARE(sqlite3_exec(m_db,
                          "CREATE TABLE t(i INT, p TEXT, v TEXT);"
                          "INSERT INTO t VALUES (1, 'a*', 'abc'), (2, 'b*', 'abc'),"
                          " (3, '*c', 'abc'), (4, '#', 'x'), (5, '?', 'y');",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    QCOMPARE(scalar("SELECT group_concat(i, '') FROM (SELECT i FROM t WHERE v LIKE p ORDER BY i)")
                 .toString(),
             QStringLiteral("135"));
}

void TestJetPattern::sqlLikeEscapeAndNumbers() {
    QCOMPARE(scalar("SELECT 'a*' LIKE 'a!*' ESCAPE '!'"), QVariant(1));
    QCOMPARE(scalar("SELECT 'ab' LIKE 'a!*' ESCAPE '!'"), QVariant(0));
    QCOMPARE(scalar("SELECT 'ab' LIKE 'a*' ESCAPE '!'"), QVariant(1));
    // Numbers are matched in their shown form; a Single with its decimal comma.
    QCOMPARE(scalar("SELECT 123 LIKE '1#3'"), QVariant(1));
    QCOMPARE(scalar("SELECT 2.5 LIKE '2,5'"), QVariant(1));
}

void TestJetPattern::germanOrder_data() {
    QTest::addColumn<QStringList>("sorted");
    auto row = [](const char* name, std::initializer_list<const char*> words) {
        QStringList list;
        for (const char* w : words)
            list << QString::fromUtf8(w);
        QTest::newRow(name) << list;
    };
    row("umlaut as its vowel", {"Apfel", "Äpfel", "Apfelbaum", "Arm"});
    row("ue is not ü", {"Mueller", "Muller", "Müller", "Mumm"});
    row("sharp s as ss", {"Strasse", "Straße", "Strassen", "Straßenbahn", "Strasser"});
    row("case ignored, ties plain", {"MEIER", "Meier", "meier", "Meiers", "meiser"});
    row("ö as o", {"Ozean", "Özil", "Öztürk", "Zander"});
    row("accents as base letter", {"Cafe", "Café", "Cafes"});
    row("empty and digits first", {"", " a", "1", "9", "a"});
}

void TestJetPattern::germanOrder() {
    QFETCH(QStringList, sorted);
    for (int i = 0; i < sorted.size(); ++i) {
        for (int j = 0; j < sorted.size(); ++j) {
            const int expected = i < j ? -1 : (i > j ? 1 : 0);
            const QByteArray a = sorted[i].toUtf8();
            const QByteArray b = sorted[j].toUtf8();
            const int utf8 =
                germanCompare(a.constData(), int(a.size()), b.constData(), int(b.size()));
            const int utf16 = germanCompare(sorted[i], sorted[j]);
            QVERIFY2((utf8 > 0) - (utf8 < 0) == expected,
                     qPrintable(sorted[i] + QLatin1String(" vs ") + sorted[j]));
            QCOMPARE((utf16 > 0) - (utf16 < 0), expected);
        }
    }
}

// Sorting needs a strict order even for damaged text: antisymmetric and never 0 for different
// byte strings.
void TestJetPattern::germanOrderIsTotalAndConsistent() {
    const QList<QByteArray> texts = {"\xff",     "\xfe",     "a\xc3",      "a\xc3\xa4",
                                     "A",        "\xe2\x82", QByteArray(), "\xf0\x9f\x98\x80",
                                     "\xc3\x9f", "ss",       "SS"};
    for (const QByteArray& a : texts) {
        for (const QByteArray& b : texts) {
            const int ab =
                germanCompare(a.constData(), int(a.size()), b.constData(), int(b.size()));
            const int ba =
                germanCompare(b.constData(), int(b.size()), a.constData(), int(a.size()));
            QCOMPARE((ab > 0) - (ab < 0), -((ba > 0) - (ba < 0)));
            QCOMPARE(ab == 0, a == b);
        }
    }
}

QTEST_GUILESS_MAIN(TestJetPattern)
#include "tst_jetpattern.moc"
