#include "history.h"
#include "refreshquery.h"
#include "sortcolumn.h"

#include <QTest>

namespace {

using Choice = std::array<int, 16>;
using Search = std::array<QString, 6>;

} // namespace

class TestNavigation : public QObject {
    Q_OBJECT

  private slots:
    // ---- The statement that fills the grid ---------------------------------------------------

    void columnsAndOrder_data() {
        QTest::addColumn<Choice>("choice");
        QTest::addColumn<QString>("sortBy");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QString>("columns"); // after the six fixed ones
        QTest::addColumn<QString>("order");
        auto row = [](const char* name, const Choice& choice, const char* sortBy, bool ascending,
                      const char* columns, const char* order) {
            QTest::newRow(name) << choice << QString(sortBy) << ascending << QString(columns)
                                << QString(order);
        };
        row("none", {}, "VArbTel", false, "", "VArbTel DESC");
        row("0 and 2", {1, 0, 1}, "KSorge", true, ", KKonf, KStr, KPLZ, KOrt", "KSorge ASC");
        row("only 1 counts", {2, -1, 1, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 2}, "knach", true,
            ", KStr, KPLZ, KOrt", "KNach ASC");
        row("unknown sort field", {}, "Name", false, "", "Nr DESC");
        row("injected sort field", {}, "Nr; DELETE FROM Daten", true, "", "Nr ASC");
    }
    void columnsAndOrder() {
        QFETCH(Choice, choice);
        QFETCH(QString, sortBy);
        QFETCH(bool, ascending);
        QFETCH(QString, columns);
        QFETCH(QString, order);
        columns.prepend("Nr, KNach, KVor, KGeb, KGrp, KEssen");
        const QString sql = buildRefreshStatement({}, choice, sortBy, ascending);
        QVERIFY2(sql.startsWith("SELECT " + columns + " FROM Daten WHERE (KNach LIKE '*' OR"),
                 qPrintable(sql));
        QVERIFY2(sql.endsWith("(KOrt LIKE '*' OR KOrt IS NULL)  ORDER BY " + order),
                 qPrintable(sql));
    }

    void searchTextCannotChangeStatement_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern"); // the literal's value as the engine reads it
        auto row = [](const char* name, int field, const QString& text, const char* pattern) {
            QTest::newRow(name) << field << text << QString::fromLatin1(pattern);
        };
        row("always true", 0, "x' OR '1'='1", "x' OR '1'='1*");
        row("two quotes", 2, "''", "''*");
        row("second statement", 5, "'; DELETE FROM Daten; --", "'; DELETE FROM Daten; --*");
        row("wildcards", 4, "[a-c]?#*", "[a-c]?#**");
        row("nul", 0, QString("a'") + QChar(0) + "' OR 1=1 --", "a'' OR 1=1 --*");
    }
    void searchTextCannotChangeStatement() {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        Search search;
        search[field] = text;
        Search harmless;
        harmless[field] = "x";
        // The same statement as for a harmless text; only the literal's content differs.
        const QString quoted = "'" + QString(pattern).replace("'", "''") + "'";
        QCOMPARE(buildRefreshStatement(search, {}, "KGrp", false),
                 buildRefreshStatement(harmless, {}, "KGrp", false).replace("'x*'", quoted));
    }

    // ---- History -------------------------------------------------------------------------------

    // A script of moves from the record shown: a number is an ordinary move to that record, "-"
    // empties the record set, "<" and ">" are cmdBack and cmdForward, "<i" and ">i" choose entry
    // i of cmbBack and cmbForward. A step moves to its target; a step without one changes nothing.
    void history_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("lists"); // "back|forward", newest first
        QStringList twenty;
        for (int i = 0; i <= 20; ++i)
            twenty << QString::number(i);
        QStringList limit;
        for (int i = 19; i >= 5; --i)
            limit << QString::number(i);
        auto row = [](const char* name, const QString& script, const QString& lists) {
            QTest::newRow(name) << script << lists;
        };
        row("visits", "1 5 9 12", "9 5 1|");
        row("forward step walked by the grid", "1 5 9 12 < 12", "9 5 1|");
        row("any other move forgets forward", "1 5 9 12 < 7", "9 5 1|");
        // The entries passed over go to the forward list, nearest to the target first.
        row("back by three", "1 5 9 12 <2", "|5 9 12");
        row("next forward walked by the grid", "1 5 9 12 <2 5", "1|9 12");
        row("forward", "1 5 9 12 <2 >1 >", "9 5 1|");
        row("steps without target", "1 5 9 > >0 <2 <-1", "5 1|");
        // Only records really shown count, and the same one twice in a row once.
        row("nothing shown before", "3 5 5 8", "5 3|");
        row("move to the record shown", "3 5 8 < 5", "3|8");
        row("back from an empty set", "3 5 8 < - <", "|8");
        row("left again after an empty set", "1 2 - 1 2", "1|");
        // After a delete the first step back must go somewhere: not to the neighbour now shown.
        row("deleted, the one before shown", "3 5 9 - 5", "3|");
        row("at most 15", twenty.join(' '), limit.join(' ') + "|");
    }
    void history() {
        QFETCH(QString, script);
        QFETCH(QString, lists);
        NavHistory h;
        QString shown;
        for (const QString& token : script.split(' ')) {
            QString target = token;
            if (token == "-") {
                shown.clear();
                continue;
            }
            if (token[0] == '<' || token[0] == '>') {
                const bool back = token[0] == '<';
                const bool choose = token.size() > 1;
                const int i = token.mid(1).toInt();
                const NavHistory before = h;
                const QStringList& list = back ? h.backList() : h.forwardList();
                const QString expected = i >= 0 && i < list.size() ? list.at(i) : QString();
                target = back ? (choose ? h.chooseBack(i, shown) : h.stepBack(shown))
                              : (choose ? h.chooseForward(i, shown) : h.stepForward(shown));
                QCOMPARE(target, expected);
                if (expected.isEmpty()) {
                    QVERIFY(h == before);
                    continue;
                }
                QCOMPARE(h.navModus(), int(back ? NavHistory::BackStep : NavHistory::ForwardStep));
            }
            h.recordMove(shown, target);
            shown = target;
            QCOMPARE(h.navModus(), int(NavHistory::OtherMove));
            QCOMPARE(h.backEnabled(), !h.backList().isEmpty());
            QCOMPARE(h.forwardEnabled(), !h.forwardList().isEmpty());
        }
        QCOMPARE(h.backList().join(' ') + '|' + h.forwardList().join(' '), lists);
    }

    // ---- Sorting by the column under the mouse -----------------------------------------------

    void columnUnderMouse_data() {
        QTest::addColumn<QVector<double>>("colPos");
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("column");
        const QVector<double> grid{0, 50, 120, 200};
        const QVector<double> scrolled{-300, -180, -40, 60};
        QTest::newRow("second") << grid << 50.5 << 1;
        QTest::newRow("last") << grid << 200.1 << 3;
        QTest::newRow("on inner edge") << grid << 120.0 << 0;
        QTest::newRow("on last edge") << grid << 200.0 << 0;
        QTest::newRow("left of grid") << grid << -3.0 << 0;
        QTest::newRow("single column") << QVector<double>{0} << 80.0 << 0;
        QTest::newRow("no columns") << QVector<double>{} << 80.0 << 0;
        QTest::newRow("scrolled, partly visible") << scrolled << 5.0 << 2;
        QTest::newRow("scrolled, second") << scrolled << -100.0 << 1;
    }
    void columnUnderMouse() {
        QFETCH(QVector<double>, colPos);
        QFETCH(double, x);
        QFETCH(int, column);
        QCOMPARE(::columnUnderMouse(colPos, x), column);
    }
};

QTEST_GUILESS_MAIN(TestNavigation)
#include "tst_navigation.moc"
