#include "jetpattern.h"

#include <QTest>

#include <sqlite3.h>

namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

int compareUtf8(const QByteArray& a, const QByteArray& b) {
    return sign(germanCompare(a.constData(), int(a.size()), b.constData(), int(b.size())));
}

} // namespace

// The LIKE wildcards and the German order, on their own and as registered on a connection.
class TestJetPattern : public QObject {
    Q_OBJECT

    sqlite3* m_db = nullptr;

    // The first column of the first row; an invalid QVariant for Null.
    QVariant scalar(const char* sql) {
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

  private slots:
    void init() {
        QCOMPARE(sqlite3_open(":memory:", &m_db), SQLITE_OK);
        registerJetFunctions(m_db);
    }
    void cleanup() {
        sqlite3_close(m_db);
        m_db = nullptr;
    }

    void matches_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        auto row = [](const char* name, const char* pattern, const char* text, bool expected) {
            QTest::newRow(name) << QString::fromUtf8(pattern) << QString::fromUtf8(text)
                                << expected;
        };
        // "*"
        row("star matches empty", "*", "", true);
        row("star matches any", "*", "Müller", true);
        row("prefix", "Mü*", "Müller", true);
        row("suffix", "*er", "Müller", true);
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
        row("two ranges", "[a-cx-z]", "y", true);
        row("negated", "[!a-c]", "d", true);
        row("negated misses", "[!a-c]", "b", false);
        row("negated needs a char", "[!a-c]", "", false);
        row("star in list is literal", "[*]", "x", false);
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
        row("greek case", "σοφία", "ΣΟΦΊΑ", true);
        row("umlaut is not its base", "Muller", "Müller", false);
        // malformed
        row("unclosed bracket literal", "[abc", "[abc", true);
        row("unclosed bracket not list", "[abc", "a", false);
        row("unclosed bracket keeps star", "a[b*", "a[bcd", true);
        row("lone bang", "[!", "[!", true);
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
        row("function text second", "like('Müller', 'mü*')", 0);
        // Null never matches, not even "*": the row drops out of a WHERE, with LIKE or NOT LIKE.
        row("Null text", "NULL LIKE '*'", QVariant());
        row("Null pattern", "'x' LIKE NULL", QVariant());
        row("Null row and LIKE",
            "count(*) FROM (SELECT NULL AS v UNION ALL SELECT 'a') WHERE v LIKE '*'", 1);
        row("Null row and NOT LIKE",
            "count(*) FROM (SELECT NULL AS v UNION ALL SELECT 'a') WHERE v NOT LIKE 'b*'", 1);
        // A pattern that changes from row to row must never be taken from the previous row's cache.
        row("pattern per row",
            "group_concat(i, '') FROM (WITH t(i, p, v) AS (VALUES (1, 'a*', 'abc'), "
            "(2, 'b*', 'abc'), (3, '*c', 'abc'), (4, '#', 'x'), (5, '?', 'y')) "
            "SELECT i FROM t WHERE v LIKE p ORDER BY i)",
            135);
        row("escaped star", "'a*' LIKE 'a!*' ESCAPE '!'", 1);
        row("escaped star is literal", "'ab' LIKE 'a!*' ESCAPE '!'", 0);
        row("escape unused", "'ab' LIKE 'a*' ESCAPE '!'", 1);
        // Numbers are matched in their shown form; a Single with its decimal comma.
        row("whole number", "123 LIKE '1#3'", 1);
        row("decimal comma", "2.5 LIKE '2,5'", 1);
    }

    void sqlLike() {
        QFETCH(QByteArray, sql);
        QFETCH(QVariant, expected);
        QCOMPARE(scalar(sql.constData()), expected);
    }

    void germanOrder_data() {
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

    void germanOrder() {
        QFETCH(QStringList, sorted);
        for (int i = 0; i < sorted.size(); ++i) {
            for (int j = 0; j < sorted.size(); ++j) {
                QVERIFY2(compareUtf8(sorted[i].toUtf8(), sorted[j].toUtf8()) == sign(i - j),
                         qPrintable(sorted[i] + QLatin1String(" vs ") + sorted[j]));
                QCOMPARE(sign(germanCompare(sorted[i], sorted[j])), sign(i - j));
            }
        }
    }

    // Sorting needs a strict order even for damaged text: antisymmetric and never 0 for
    // different byte strings.
    void germanOrderIsTotalAndConsistent() {
        const QList<QByteArray> texts = {"\xff",     "\xfe",     "a\xc3",      "a\xc3\xa4",
                                         "A",        "\xe2\x82", QByteArray(), "\xf0\x9f\x98\x80",
                                         "\xc3\x9f", "ss",       "SS"};
        for (const QByteArray& a : texts) {
            for (const QByteArray& b : texts) {
                QCOMPARE(compareUtf8(a, b), -compareUtf8(b, a));
                QCOMPARE(compareUtf8(a, b) == 0, a == b);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestJetPattern)
#include "tst_jetpattern.moc"
