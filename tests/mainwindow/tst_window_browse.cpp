// Browsing in the main window driven offscreen: the record display, the search row, sorting by
// a column, the table, the navigator and the back/forward history.

#include "testsupport.h"

#include "database.h"
#include "datacontrol.h"
#include "snapshotmodel.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>

namespace {

QStringList history(const WindowView& m) {
    return m.items(m.cmbBack) + QStringList{"|"} + m.items(m.cmbForward);
}

// Right press over a column of the table (its caption or a cell) and the choice of a sort entry.
void sortBy(WindowView& m, int col, bool ascending, bool onCaption = false) {
    QHeaderView* h = m.DataGrid->horizontalHeader();
    QPoint p(h->sectionViewportPosition(col) + h->sectionSize(col) / 2, 5);
    QTest::mousePress(onCaption ? h->viewport() : m.DataGrid->viewport(), Qt::RightButton, {}, p);
    QVERIFY(m.popMenu1->isVisible());
    m.popMenu1->hide();
    m.popMenu1Sub[ascending ? 0 : 1]->trigger();
}

QList<Record> numbered(int count) {
    QList<Record> records;
    for (int i = 1; i <= count; ++i)
        records << childRecord(i, QStringLiteral("Kind%1").arg(i, 3, 10, QLatin1Char('0')), "X");
    return records;
}

} // namespace

class TestBrowse : public WindowTest {
    Q_OBJECT
  private slots:
    // Each field in its control by its rule; a Null field shows empty, never the previous
    // child's value, and without a box.
    void recordShowsEveryFieldByItsRule() {
        startWith({childRecord(7, "Muster", "Max",
                               {{"KBasis", 2.5},
                                {"KFaktor", 3},
                                {"KBuchFak", 0.85},
                                {"KSumme", 1234567.0},
                                {"KEssen", "ja"},
                                {"KGrp", "Bären"},
                                {"Bem", "Zeile 1\nZeile 2"},
                                {"MArbTel", "089 1"},
                                {"G3Gebin", "Köln"},
                                {"KSorge", "Mutter"},
                                {"GAnz", 3}}),
                   childRecord(8, "Ärmel", "",
                               {{"KEssen", "Ja"},
                                {"KVor", QVariant()},
                                {"KGrp", QVariant()},
                                {"KBasis", QVariant()},
                                {"Bem", QVariant()}})});
        const QStringList texts{m().txtNr->text(),          m().txtAngaben[0]->text(),
                                m().txtAngaben[12]->text(), m().txtAngaben[17]->text(),
                                m().txtAngaben[30]->text(), m().txtAngaben[55]->text(),
                                m().txtBem->toPlainText(),  m().txtGAnz->text()};
        QCOMPARE(texts, (QStringList{"7", "Muster", "Mutter", "Bären", "089 1", "Köln",
                                     "Zeile 1\nZeile 2", "3"}));
        QStringList fees;
        for (QLineEdit* e : m().txtBerechnung)
            fees << e->text();
        QCOMPARE(fees, (QStringList{"2,5", "3", "0,85", "1234567"}));
        QVERIFY(m().chckKEssen->isChecked());
        QCOMPARE(m().caption(), QStringLiteral("aktueller Datensatz : Nr. 7 - Muster, Max"));
        m().clickRow(1, 1);
        QCOMPARE(m().txtNr->text(), QStringLiteral("8"));
        QVERIFY(!m().chckKEssen->isChecked()); // "Ja" is not "ja"
        QCOMPARE(m().txtAngaben[17]->text(), QString());
        QCOMPARE(m().txtBerechnung[0]->text(), QString());
        QCOMPARE(m().caption(), QStringLiteral("aktueller Datensatz : Nr. 8 - Ärmel, "));
        QVERIFY(w->boxes.shown.empty());
    }

    // Typing into a search field filters by prefix with its wildcards and sorts by that field;
    // the first row is shown. A quote is only a character, and a non-empty pattern never
    // matches Null (an empty one lists those records too).
    void search_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("surnames");
        QTest::newRow("prefix") << 0 << "M" << QStringList{"mahler", "Maier", "Meier", "Müller"};
        QTest::newRow("?") << 0 << "M?ier" << QStringList{"Maier", "Meier"};
        QTest::newRow("[!a]") << 0 << "m[!a]" << QStringList{"Meier", "Müller"};
        QTest::newRow("quote") << 0 << "O'B" << QStringList{"O'Brien"};
        QTest::newRow("always true") << 0 << "x' OR '1'='1" << QStringList{};
        QTest::newRow("* and Null")
            << 5 << "*" << QStringList{"Meier", "Huber", "Maier", "Müller", "mahler"};
    }
    void search() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QStringList, surnames);
        QList<Record> children;
        const char* const names[] = {"Meier", "Huber", "Maier", "Müller", "mahler"};
        for (int i = 0; i < 5; ++i)
            children << childRecord(i + 1, QString::fromUtf8(names[i]), "X",
                                    {{"KOrt", QStringLiteral("Ort %1").arg(i)}});
        children << childRecord(6, "O'Brien", "Finn", {{"KOrt", QVariant()}, {"KGeb", QVariant()}});
        startWith(children);
        QCOMPARE(m().gridModel()->rowCount(), 6);
        QTest::keyClicks(m().txtSuch[size_t(field)], typed);
        QCOMPARE(m().column(1), surnames);
        if (!surnames.isEmpty())
            QCOMPARE(m().txtNr->text(), m().column(0).first());
        QVERIFY(w->boxes.shown.empty());
    }

    void clearingSearchRunsOneQueryPerChangedField() {
        startWith({childRecord(1, "Zander", "Anna", {{"KGrp", "Igel"}}),
                   childRecord(2, "Huber", "Ben", {{"KGrp", "Bären"}}),
                   childRecord(3, "Adler", "Cem", {{"KGrp", "Igel"}})});
        QTest::keyClicks(m().txtSuch[3], "Igel");
        QCOMPARE(m().column(0), (QStringList{"1", "3"}));
        QSignalSpy sets(m().gridModel(), &QAbstractItemModel::modelReset);
        m().cmdSucheLoeschen->click();
        QCOMPARE(sets.count(), 1);
        QCOMPARE(m().column(4), (QStringList{"Bären", "Igel", "Igel"})); // by KGrp ascending
        m().cmdSucheLoeschen->click();
        QCOMPARE(sets.count(), 1); // nothing to clear, nothing queried
    }

    void rightClickSortsByColumnUnderMouse() {
        startWith({childRecord(1, "Zander", "Anna"), childRecord(2, "Öztürk", "Ömer"),
                   childRecord(3, "Adler", "Zoë"), childRecord(4, "Ober", "Ben")},
                  {}, {"debug"});
        sortBy(m(), 1, true);
        QCOMPARE(m().column(1), (QStringList{"Adler", "Ober", "Öztürk", "Zander"}));
        QCOMPARE(w->boxes.shown.back().text, QStringLiteral("gewählte Spalte <1>"));
        sortBy(m(), 5, false); // the last column
        QCOMPARE(w->boxes.shown.back().text, QStringLiteral("gewählte Spalte <5>"));
        sortBy(m(), 2, false, true);
        const QStringList byFirstName{"Zoë", "Ömer", "Ben", "Anna"};
        QCOMPARE(m().column(2), byFirstName);
        // A left click on a caption neither sorts nor selects.
        QHeaderView* h = m().DataGrid->horizontalHeader();
        const QString nr = m().txtNr->text();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(1) + 5, 5));
        QCOMPARE(m().column(2), byFirstName);
        QCOMPARE(m().txtNr->text(), nr);
        // Scrolled sideways, the column under the mouse is still found in the table's coordinates.
        m().DataGrid->setColumnWidth(0, 900);
        QScrollBar* bar = m().DataGrid->horizontalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        QVERIFY(h->offset() > 0);
        sortBy(m(), 3, true);
        QCOMPARE(w->boxes.shown.back().text, QStringLiteral("gewählte Spalte <3>"));
    }

    void clickOnAnyCellShowsThatRecord() {
        startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben"),
                   childRecord(3, "Adler", "Cem")});
        m().clickRow(2, 4);
        QCOMPARE(m().txtNr->text(), QStringLiteral("3"));
        const QModelIndexList rows = m().DataGrid->selectionModel()->selectedRows();
        QVERIFY(rows.size() == 1 && rows.first().row() == 2);
        // A right press over another row sorts but selects nothing.
        QRect r = m().DataGrid->visualRect(m().gridModel()->index(0, 1));
        QTest::mousePress(m().DataGrid->viewport(), Qt::RightButton, {}, r.center());
        m().popMenu1->hide();
        QCOMPARE(m().txtNr->text(), QStringLiteral("3"));
    }

    void historyFollowsWorkedExample() {
        startWith(numbered(12));
        QCOMPARE(m().txtNr->text(), QStringLiteral("1"));
        QVERIFY(!m().cmdBack->isEnabled());
        for (int row : {4, 8, 11})
            m().clickRow(row);
        QCOMPARE(history(m()), (QStringList{"9", "5", "1", "|"}));
        QVERIFY(m().cmdBack->isEnabled() && m().cmbBack->isEnabled());
        QVERIFY(!m().cmdForward->isEnabled());
        m().cmdBack->click();
        QCOMPARE(m().txtNr->text(), QStringLiteral("9"));
        QVERIFY(m().cmdForward->isEnabled());
        // A choice in the back list jumps; the numbers between go forward.
        m().cmbBack->activated(1);
        QCOMPARE(m().txtNr->text(), QStringLiteral("1"));
        QCOMPARE(history(m()), (QStringList{"|", "5", "9", "12"}));
        QVERIFY(!m().cmdBack->isEnabled());
        m().cmdForward->click();
        QCOMPARE(m().txtNr->text(), QStringLiteral("5"));
        m().clickRow(2); // any other record clears the forward list
        QCOMPARE(m().items(m().cmbForward), QStringList());
        QVERIFY(!m().cmbForward->isEnabled());
    }

    void historyStepToMissingNumberKeepsRecord() {
        startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben"),
                   childRecord(3, "Adler", "Cem")});
        m().clickRow(1);
        QTest::keyClicks(m().txtSuch[0], "A"); // record 1 and 2 filtered out; 3 shown
        QCOMPARE(m().txtNr->text(), QStringLiteral("3"));
        const QStringList before = history(m());
        m().cmdBack->click(); // back to 2, which the list no longer holds
        QCOMPARE(m().txtNr->text(), QStringLiteral("3"));
        QCOMPARE(history(m()), before);
    }

    void navigatorArrowsMoveWithHistory() {
        startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben"),
                   childRecord(3, "Adler", "Cem")});
        auto button = [this](const char* name) { return m().Data->findChild<QToolButton*>(name); };
        QVERIFY(!button("DataFirst")->isEnabled());
        button("DataNext")->click();
        QCOMPARE(m().txtNr->text(), QStringLiteral("2"));
        button("DataLast")->click();
        QCOMPARE(m().txtNr->text(), QStringLiteral("3"));
        QVERIFY(!button("DataNext")->isEnabled());
        QCOMPARE(m().items(m().cmbBack), (QStringList{"2", "1"}));
        QCOMPARE(m().DataGrid->selectionModel()->selectedRows().first().row(), 2);
    }

    void emptyResultShowsBlankRecord() {
        startWith(
            {childRecord(1, "Maier", "Anna", {{"KBasis", 150}, {"KEssen", "ja"}, {"GAnz", 2}})});
        QTest::keyClicks(m().txtSuch[0], "Q");
        QCOMPARE(m().txtNr->text(), QStringLiteral("1"));
        QCOMPARE(m().txtAngaben[0]->text() + m().txtBerechnung[0]->text() + m().txtGAnz->text(),
                 QString());
        QVERIFY(!m().chckKEssen->isChecked());
        QCOMPARE(m().caption(), QStringLiteral("aktueller Datensatz : -"));
        QVERIFY(!m().actions.changeRecord->isEnabled() && !m().actions.deleteRecord->isEnabled());
        QVERIFY(!m().actions.print->isEnabled());
        QVERIFY(m().DataGrid->selectionModel()->selectedRows().isEmpty());
        // The blank record's "1" is not a record shown: it never enters the history.
        const QStringList back = m().items(m().cmbBack);
        m().txtSuch[0]->clear();
        QCOMPARE(m().items(m().cmbBack), back);
    }

    void recordDeletedElsewhereIsNeverShownAsAnother() {
        startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben"),
                   childRecord(3, "Adler", "Cem")});
        QVERIFY(RawConnection(db()).exec("DELETE FROM Daten WHERE Nr = 2"));
        m().clickRow(1);
        QVERIFY(m().txtAngaben[0]->text() != "Maier" && m().txtAngaben[0]->text() != "Adler");
        QVERIFY(!w->boxes.shown.empty());
        QVERIFY(w->boxes.shown.back().text.contains(QStringLiteral("Nr. 2")));
        // The table comes back in step with the database.
        QTRY_COMPARE(m().column(0), (QStringList{"1", "3"}));
        QCOMPARE(m().txtNr->text(), QStringLiteral("1"));
        QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("Maier"));
    }

    void columnChoiceAddsCaptionedColumns() {
        startWith({childRecord(1, "Maier", "Anna", {{"KOrt", "Köln"}})},
                  "[Intern]\r\nTabelle=0010001000000001\r\n");
        QStringList captions;
        for (int c = 0; c < m().gridModel()->columnCount(); ++c)
            captions << m().gridModel()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(captions,
                 (QStringList{"Nr.", "Nachname", "Vorname", "geb. am", "Gruppe", "Essen", "Strasse",
                              "PLZ", "Ort", "M. Nachname", "M. Vorname", "V. Tel.Nr.Arbeit"}));
        QCOMPARE(m().gridModel()->headerData(8, Qt::Horizontal, SnapshotModel::FieldNameRole),
                 QVariant("KOrt"));
        QCOMPARE(m().column(8), QStringList{"Köln"});
    }

    void siblingRowsFollowCount() {
        startWith(
            {childRecord(1, "Maier", "Anna", {{"GAnz", 2}, {"G1Vor", "Eva"}, {"G3Vor", "Kai"}}),
             childRecord(2, "Huber", "Ben", {{"GAnz", 0}})});
        m().SSTab1->setCurrentIndex(2);
        QVERIFY(m().txtAngaben[45]->isVisible() && m().txtAngaben[49]->isVisible());
        QVERIFY(!m().txtAngaben[53]->isVisible());
        QCOMPARE(m().txtAngaben[53]->text(), QStringLiteral("Kai")); // hidden rows keep their texts
        m().clickRow(1);
        QVERIFY(!m().txtAngaben[45]->isVisible());
    }

    void shownRowScrollsToTopOnlyWhenHidden() {
        startWith(numbered(120));
        QCOMPARE(m().DataGrid->rowAt(0), 0);
        // Record 60 is shown, the table scrolled back to the top, another record clicked: the
        // step back to 60 brings its hidden row to the top.
        m().DataGrid->scrollTo(m().gridModel()->index(59, 0));
        m().clickRow(59);
        m().DataGrid->verticalScrollBar()->setValue(0);
        m().clickRow(1);
        m().cmdBack->click();
        QCOMPARE(m().txtNr->text(), QStringLiteral("60"));
        QCOMPARE(m().DataGrid->rowAt(0), 59);
        m().clickRow(61); // visible: no scrolling
        QCOMPARE(m().txtNr->text(), QStringLiteral("62"));
        QCOMPARE(m().DataGrid->rowAt(0), 59);
    }

    void failingQueryKeepsLastRecordSet() {
        startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben")});
        // Another program renames the table under the running window.
        QVERIFY(RawConnection(db()).exec("ALTER TABLE Daten RENAME TO Weg"));
        QTest::keyClicks(m().txtSuch[0], "H");
        QVERIFY(!w->boxes.shown.empty());
        QVERIFY2(w->boxes.shown[0].text.startsWith(
                     QStringLiteral("Fehler in <TarvexMain.Data_Refresh>\r\rNummer :")),
                 qPrintable(w->boxes.shown[0].text));
        QCOMPARE(w->boxes.shown[0].title, QStringLiteral("Fehler"));
        QCOMPARE(m().column(1), (QStringList{"Maier", "Huber"}));
        QCOMPARE(m().txtNr->text(), QStringLiteral("1"));
        QVERIFY(m().window->isEnabled());
    }

    void lockedDatabaseKeepsSearchAndListInStep() {
        startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben")});
        {
            // Another workstation holds the file for a while.
            RawConnection other(db());
            QVERIFY(other.exec("BEGIN EXCLUSIVE"));
            QTest::keyClicks(m().txtSuch[0], "H");
            QCOMPARE(m().column(1), (QStringList{"Maier", "Huber"}));        // not yet filtered ...
            QVERIFY(m().kMain->text().contains(QStringLiteral("gesperrt"))); // ... and it says so
            QVERIFY(w->boxes.shown.empty());
            other.exec("ROLLBACK");
        }
        QTRY_COMPARE_WITH_TIMEOUT(m().column(1), QStringList{"Huber"}, 5000);
        QCOMPARE(m().kMain->text(), QString());
    }
};

QTEST_MAIN(TestBrowse)
#include "tst_window_browse.moc"
