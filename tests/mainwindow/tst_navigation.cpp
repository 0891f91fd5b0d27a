#include "history.h"
#include "refreshquery.h"
#include "sortcolumn.h"

#include <QTest>

namespace {

using Choice = std::array<int, 16>;
using Search = std::array<QString, 6>;

// Walks the history through ordinary moves from the record shown to each of nrs in turn.
QString visit(NavHistory& h, QString shown, const QStringList& nrs) {
    for (const QString& nr : nrs) {
        h.recordMove(shown, nr);
        shown = nr;
    }
    return shown;
}

} // namespace

class TestNavigation : public QObject {
    Q_OBJECT

  private slots:
    // ---- The statement that fills the grid ---------------------------------------------------

    void statementText() {
        QCOMPARE(buildRefreshStatement({}, {}, "Nr", true),
                 QStringLiteral(
                     "SELECT Nr, KNach, KVor, KGeb, KGrp, KEssen FROM Daten WHERE "
                     "(KNach LIKE '*' OR KNach IS NULL) AND (KVor LIKE '*' OR KVor IS NULL) "
                     "AND (KGeb LIKE '*' OR KGeb IS NULL) AND (KGrp LIKE '*' OR KGrp IS NULL) "
                     "AND (KEssen LIKE '*' OR KEssen IS NULL) "
                     "AND (KOrt LIKE '*' OR KOrt IS NULL)  ORDER BY Nr ASC"));

        // A filled field narrows by prefix and never lists Null; an empty one lists everything.
        const Search search{"M?er", "", "##.##.2019", "[A-C]", "", "[!B]erlin"};
        QCOMPARE(buildRefreshStatement(search, {}, "KNach", true),
                 QStringLiteral("SELECT Nr, KNach, KVor, KGeb, KGrp, KEssen FROM Daten WHERE "
                                "KNach LIKE 'M?er*' AND (KVor LIKE '*' OR KVor IS NULL) "
                                "AND KGeb LIKE '##.##.2019*' AND KGrp LIKE '[A-C]*' "
                                "AND (KEssen LIKE '*' OR KEssen IS NULL) "
                                "AND KOrt LIKE '[!B]erlin*'  ORDER BY KNach ASC"));
    }

    void columnList_data() {
        QTest::addColumn<Choice>("choice");
        QTest::addColumn<QString>("columns");
        const QString fixed = "Nr, KNach, KVor, KGeb, KGrp, KEssen";
        QTest::newRow("none") << Choice{} << fixed;
        QTest::newRow("0 and 2") << Choice{1, 0, 1} << fixed + ", KKonf, KStr, KPLZ, KOrt";
        QTest::newRow("only 1 counts") << Choice{2, -1, 1, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 2}
                                       << fixed + ", KStr, KPLZ, KOrt";
    }
    void columnList() {
        QFETCH(Choice, choice);
        QFETCH(QString, columns);
        const QString sql = buildRefreshStatement({}, choice, "Nr", true);
        QVERIFY2(sql.startsWith("SELECT " + columns + " FROM Daten WHERE "), qPrintable(sql));
        QCOMPARE(refreshColumns(choice).join(", "), columns);
    }

    void searchTextCannotChangeStatement_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern"); // the literal's value as the engine reads it
        auto row = [](const char* name, int field, const QString& text, const char* pattern) {
            QTest::newRow(name) << field << text << QString::fromLatin1(pattern);
        };
        row("apostrophe", 0, "O'B", "O'B*");
        row("always true", 0, "x' OR '1'='1", "x' OR '1'='1*");
        row("two quotes", 2, "''", "''*");
        row("second statement", 5, "'; DELETE FROM Daten; --", "'; DELETE FROM Daten; --*");
        row("close bracket", 3, "') OR (1=1", "') OR (1=1*");
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

    void sortOrder_data() {
        QTest::addColumn<QString>("sortBy");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QString>("order");
        QTest::newRow("descending") << "VArbTel" << false << "  ORDER BY VArbTel DESC";
        QTest::newRow("field not shown") << "KSorge" << true << "  ORDER BY KSorge ASC";
        QTest::newRow("any case") << "knach" << true << "  ORDER BY KNach ASC";
        QTest::newRow("unknown") << "Name" << false << "  ORDER BY Nr DESC";
        QTest::newRow("injected") << "Nr; DELETE FROM Daten" << true << "  ORDER BY Nr ASC";
    }
    void sortOrder() {
        QFETCH(QString, sortBy);
        QFETCH(bool, ascending);
        QFETCH(QString, order);
        const QString sql = buildRefreshStatement({}, {}, sortBy, ascending);
        QVERIFY2(sql.endsWith("IS NULL)" + order), qPrintable(sql));
    }

    // ---- History -------------------------------------------------------------------------------

    void historyWorkedExample() {
        for (const bool backToTwelve : {true, false}) {
            NavHistory h;
            QVERIFY(!h.backEnabled() && !h.forwardEnabled());
            QCOMPARE(h.navModus(), int(NavHistory::Initial));

            QString shown = visit(h, "1", {"5", "9", "12"});
            QCOMPARE(h.backList(), QStringList({"9", "5", "1"}));
            QVERIFY(h.forwardList().isEmpty());
            QVERIFY(h.backEnabled() && !h.forwardEnabled());

            QCOMPARE(h.stepBack(shown), QString("9"));
            QCOMPARE(h.navModus(), int(NavHistory::BackStep));
            shown = visit(h, shown, {"9"});
            QCOMPARE(h.navModus(), int(NavHistory::OtherMove));
            QCOMPARE(h.backList(), QStringList({"5", "1"}));
            QCOMPARE(h.forwardList(), QStringList({"12"}));
            QVERIFY(h.forwardEnabled());

            // Walking the next forward step by the grid uses it up; any other move forgets it.
            visit(h, shown, {backToTwelve ? "12" : "7"});
            QCOMPARE(h.backList(), QStringList({"9", "5", "1"}));
            QVERIFY(h.forwardList().isEmpty());
            QVERIFY(!h.forwardEnabled());
        }
    }

    void historyRecordsOnlyShownRecords() {
        NavHistory h;
        // No record shown yet (empty record set): nothing to remember.
        visit(h, "", {"3"});
        QVERIFY(h.backList().isEmpty());

        // The same record twice in a row is recorded once.
        visit(h, "3", {"5", "5", "8"});
        QCOMPARE(h.backList(), QStringList({"5", "3"}));

        // A move to the record already shown is no move: back must not offer the current
        // record, nor may the forward list be lost.
        h.stepBack("8");
        visit(h, "8", {"5", "5"});
        QCOMPARE(h.backList(), QStringList({"3"}));
        QCOMPARE(h.forwardList(), QStringList({"8"}));

        // A back step from an empty record set keeps nothing of it.
        h.stepBack("");
        QCOMPARE(h.forwardList(), QStringList({"8"}));
    }

    void historyLimit() {
        NavHistory h;
        QStringList nrs;
        for (int i = 1; i <= 20; ++i)
            nrs << QString::number(i);
        visit(h, "0", nrs);
        QCOMPARE(h.backList().size(), 15);
        QCOMPARE(h.backList().first(), QString("19"));
        QCOMPARE(h.backList().last(), QString("5"));
    }

    void historyJumps() {
        NavHistory h;
        visit(h, "1", {"5", "9", "12"});

        // Back by three: the two numbers passed over come first, nearest to the target first.
        QCOMPARE(h.chooseBack(2, "12"), QString("1"));
        visit(h, "12", {"1"});
        QVERIFY(h.backList().isEmpty());
        QCOMPARE(h.forwardList(), QStringList({"5", "9", "12"}));

        QCOMPARE(h.chooseForward(1, "1"), QString("9"));
        QCOMPARE(h.navModus(), int(NavHistory::ForwardStep));
        visit(h, "1", {"9"});
        QCOMPARE(h.backList(), QStringList({"5", "1"}));
        QCOMPARE(h.forwardList(), QStringList({"12"}));

        QCOMPARE(h.stepForward("9"), QString("12"));
        visit(h, "9", {"12"});
        QCOMPARE(h.backList(), QStringList({"9", "5", "1"}));
        QVERIFY(h.forwardList().isEmpty());
        QCOMPARE(h.navModus(), int(NavHistory::OtherMove));
    }

    void historyStepWithoutTarget() {
        NavHistory h;
        visit(h, "1", {"5", "9"});
        const NavHistory before = h;
        QCOMPARE(h.peekBack(1), std::optional<QString>("1"));
        QCOMPARE(h.peekBack(2), std::nullopt);
        QCOMPARE(h.peekForward(), std::nullopt);

        // Steps to entries that do not exist change nothing, NavModus included.
        QVERIFY(h.stepForward("9").isEmpty());
        QVERIFY(h.chooseForward(0, "9").isEmpty());
        QVERIFY(h.chooseBack(2, "9").isEmpty());
        QVERIFY(h.chooseBack(-1, "9").isEmpty());
        QVERIFY(h == before);
    }

    // ---- Sorting by the column under the mouse -----------------------------------------------

    void columnUnderMouse_data() {
        QTest::addColumn<QVector<double>>("colPos");
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("column");
        const QVector<double> grid{0, 50, 120, 200};
        QTest::newRow("second") << grid << 50.5 << 1;
        QTest::newRow("last") << grid << 200.1 << 3;
        QTest::newRow("on inner edge") << grid << 120.0 << 0;
        QTest::newRow("on last edge") << grid << 200.0 << 0;
        QTest::newRow("left of grid") << grid << -3.0 << 0;
        QTest::newRow("single column") << QVector<double>{0} << 80.0 << 0;
        QTest::newRow("no columns") << QVector<double>{} << 80.0 << 0;
        const QVector<double> scrolled{-300, -180, -40, 60};
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
