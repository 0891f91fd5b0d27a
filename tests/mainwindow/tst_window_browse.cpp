// Browsing in the main window driven offscreen: the record display, the search row, sorting by
// a column, the table, the navigator and the back/forward history.

#include "testsupport.h"

#include "database.h"
#include "datacontrol.h"
#include "snapshotmodel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <sqlite3.h>

namespace {

QStringList column(const WindowView& m, int c) {
    return m.column(c);
}

void clickRow(WindowView& m, int row, int col = 2) {
    m.clickRow(row, col);
}

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

} // namespace

class TestBrowse : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void recordShowsEveryFieldByItsRule();
    void nullFieldsShowEmptyWithoutBox();
    void searchFiltersAndSortsAsYouType();
    void searchTextCannotChangeTheQuery();
    void emptySearchListsRecordsWithNullFields();
    void clearingSearchRunsOneQueryPerChangedField();
    void rightClickSortsByColumnUnderMouse();
    void clickOnAnyCellShowsThatRecord();
    void historyFollowsWorkedExample();
    void historyStepToMissingNumberKeepsRecord();
    void navigatorArrowsMoveWithHistory();
    void emptyResultShowsBlankRecord();
    void recordDeletedElsewhereIsNeverShownAsAnother();
    void columnChoiceAddsCaptionedColumns();
    void shownRowScrollsToTopOnlyWhenHidden();
    void failingQueryKeepsLastRecordSet();
    void lockedDatabaseKeepsSearchAndListInStep();
    void siblingRowsFollowCount();

  private:
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<WindowUnderTest> w;
    void startWith(const QList<Record>& records, const QByteArray& ini = {},
                   const QStringList& args = {});
};

void TestBrowse::startWith(const QList<Record>& records, const QByteArray& ini,
                           const QStringList& args) {
    folder = std::make_unique<ProgramFolder>();
    createDatabase(folder->file("TarvexDB.mdb"), records);
    if (!ini.isEmpty())
        folder->write("Tarvex.ini", ini);
    w = std::make_unique<WindowUnderTest>(folder->path(), args);
    QVERIFY(w->start());
    w->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->window.get()));
}

void TestBrowse::init() {}

void TestBrowse::cleanup() {
    if (w && w->window)
        w->close();
    w.reset();
    folder.reset();
}

void TestBrowse::recordShowsEveryFieldByItsRule() {
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
               childRecord(8, "Ärmel", "Jörg", {{"KEssen", "Ja"}})});
    WindowView& m = *w->view;
    QCOMPARE(m.txtNr->text(), QStringLiteral("7"));
    QCOMPARE(m.txtAngaben[0]->text(), QStringLiteral("Muster"));
    QCOMPARE(m.txtAngaben[12]->text(), QStringLiteral("Mutter"));
    QCOMPARE(m.txtAngaben[17]->text(), QStringLiteral("Bären"));
    QCOMPARE(m.txtAngaben[30]->text(), QStringLiteral("089 1"));
    QCOMPARE(m.txtAngaben[55]->text(), QStringLiteral("Köln"));
    QCOMPARE(m.txtBem->toPlainText(), QStringLiteral("Zeile 1\nZeile 2"));
    QCOMPARE(m.txtBerechnung[0]->text(), QStringLiteral("2,5"));
    QCOMPARE(m.txtBerechnung[1]->text(), QStringLiteral("3"));
    QCOMPARE(m.txtBerechnung[2]->text(), QStringLiteral("0,85"));
    QCOMPARE(m.txtBerechnung[3]->text(), QStringLiteral("1234567"));
    QVERIFY(m.chckKEssen->isChecked());
    QCOMPARE(m.txtGAnz->text(), QStringLiteral("3"));
    QCOMPARE(m.caption(), QStringLiteral("aktueller Datensatz : Nr. 7 - Muster, Max"));
    QVERIFY(w->boxes.shown.empty());
    clickRow(m, 1);
    QCOMPARE(m.txtNr->text(), QStringLiteral("8"));
    QVERIFY(!m.chckKEssen->isChecked()); // "Ja" is not "ja"
    QCOMPARE(m.caption(), QStringLiteral("aktueller Datensatz : Nr. 8 - Ärmel, Jörg"));
}

void TestBrowse::nullFieldsShowEmptyWithoutBox() {
    startWith({childRecord(1, "Maier", "Anna", {{"KGrp", "Igel"}, {"KBasis", 150}}),
               childRecord(2, "Huber", "Ben",
                           {{"KGrp", QVariant()},
                            {"KVor", QVariant()},
                            {"KBasis", QVariant()},
                            {"Bem", QVariant()}})});
    WindowView& m = *w->view;
    QCOMPARE(m.txtAngaben[17]->text(), QStringLiteral("Igel"));
    clickRow(m, 1, 1);
    QCOMPARE(m.txtNr->text(), QStringLiteral("2"));
    QCOMPARE(m.txtAngaben[17]->text(), QString()); // not the previous child's group
    QCOMPARE(m.txtBerechnung[0]->text(), QString());
    QCOMPARE(m.caption(), QStringLiteral("aktueller Datensatz : Nr. 2 - Huber, "));
    QVERIFY(w->boxes.shown.empty());
}

void TestBrowse::searchFiltersAndSortsAsYouType() {
    startWith({childRecord(1, "Meier", "Anna"), childRecord(2, "Huber", "Ben"),
               childRecord(3, "Maier", "Clara"), childRecord(4, "Müller", "Dora"),
               childRecord(5, "mahler", "Emil")});
    WindowView& m = *w->view;
    QTest::keyClicks(m.txtSuch[0], "M");
    QCOMPARE(column(m, 1), (QStringList{"mahler", "Maier", "Meier", "Müller"}));
    QCOMPARE(m.txtNr->text(), QStringLiteral("5")); // the first row is shown
    QTest::keyClicks(m.txtSuch[0], "?ier");
    QCOMPARE(column(m, 1), (QStringList{"Maier", "Meier"}));
    m.txtSuch[0]->clear();
    QTest::keyClicks(m.txtSuch[0], "m[!a]");
    QCOMPARE(column(m, 1), (QStringList{"Meier", "Müller"}));
    QVERIFY(w->boxes.shown.empty());
}

void TestBrowse::searchTextCannotChangeTheQuery() {
    startWith({childRecord(1, "O'Brien", "Anna"), childRecord(2, "Huber", "Ben")});
    WindowView& m = *w->view;
    QTest::keyClicks(m.txtSuch[0], "O'B");
    QCOMPARE(column(m, 1), QStringList{"O'Brien"});
    m.txtSuch[0]->clear();
    QTest::keyClicks(m.txtSuch[0], "x' OR '1'='1");
    QCOMPARE(m.gridModel()->rowCount(), 0);
    QVERIFY(w->boxes.shown.empty());
}

void TestBrowse::emptySearchListsRecordsWithNullFields() {
    startWith({childRecord(1, "Maier", "Anna", {{"KOrt", QVariant()}, {"KGeb", QVariant()}}),
               childRecord(2, "Huber", "Ben", {{"KOrt", "Köln"}})});
    WindowView& m = *w->view;
    QCOMPARE(column(m, 0), (QStringList{"1", "2"}));
    QTest::keyClicks(m.txtSuch[5], "*");
    QCOMPARE(column(m, 0), QStringList{"2"}); // a non-empty pattern never matches Null
}

void TestBrowse::clearingSearchRunsOneQueryPerChangedField() {
    startWith({childRecord(1, "Zander", "Anna", {{"KGrp", "Igel"}}),
               childRecord(2, "Huber", "Ben", {{"KGrp", "Bären"}}),
               childRecord(3, "Adler", "Cem", {{"KGrp", "Igel"}})});
    WindowView& m = *w->view;
    QTest::keyClicks(m.txtSuch[3], "Igel");
    QCOMPARE(column(m, 0), (QStringList{"1", "3"}));
    QSignalSpy sets(m.gridModel(), &QAbstractItemModel::modelReset);
    m.cmdSucheLoeschen->click();
    QCOMPARE(sets.count(), 1);
    QCOMPARE(column(m, 4), (QStringList{"Bären", "Igel", "Igel"})); // by KGrp ascending
    m.cmdSucheLoeschen->click();
    QCOMPARE(sets.count(), 1); // nothing to clear, nothing queried
}

void TestBrowse::rightClickSortsByColumnUnderMouse() {
    startWith({childRecord(1, "Zander", "Anna"), childRecord(2, "Öztürk", "Ömer"),
               childRecord(3, "Adler", "Zoë"), childRecord(4, "Ober", "Ben")},
              {}, {"debug"});
    WindowView& m = *w->view;
    sortBy(m, 1, true);
    QCOMPARE(column(m, 1), (QStringList{"Adler", "Ober", "Öztürk", "Zander"}));
    QCOMPARE(w->boxes.shown.back().text, QStringLiteral("gewählte Spalte <1>"));
    sortBy(m, 5, false); // the last column
    QCOMPARE(w->boxes.shown.back().text, QStringLiteral("gewählte Spalte <5>"));
    sortBy(m, 2, false, true);
    QCOMPARE(column(m, 2), (QStringList{"Zoë", "Ömer", "Ben", "Anna"}));
    // A left click on a caption neither sorts nor selects.
    QHeaderView* h = m.DataGrid->horizontalHeader();
    const QString nr = m.txtNr->text();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(1) + 5, 5));
    QCOMPARE(column(m, 2), (QStringList{"Zoë", "Ömer", "Ben", "Anna"}));
    QCOMPARE(m.txtNr->text(), nr);
    // Scrolled sideways, the column under the mouse is still found in the table's coordinates.
    m.DataGrid->setColumnWidth(0, 900);
    QTRY_VERIFY(m.DataGrid->horizontalScrollBar()->maximum() > 0);
    m.DataGrid->horizontalScrollBar()->setValue(m.DataGrid->horizontalScrollBar()->maximum());
    QVERIFY(m.DataGrid->horizontalHeader()->offset() > 0);
    sortBy(m, 3, true);
    QCOMPARE(w->boxes.shown.back().text, QStringLiteral("gewählte Spalte <3>"));
}

void TestBrowse::clickOnAnyCellShowsThatRecord() {
    startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben"),
               childRecord(3, "Adler", "Cem")});
    WindowView& m = *w->view;
    clickRow(m, 2, 4);
    QCOMPARE(m.txtNr->text(), QStringLiteral("3"));
    QCOMPARE(m.DataGrid->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(m.DataGrid->selectionModel()->selectedRows().first().row(), 2);
    // A right press over another row sorts but selects nothing.
    QRect r = m.DataGrid->visualRect(m.gridModel()->index(0, 1));
    QTest::mousePress(m.DataGrid->viewport(), Qt::RightButton, {}, r.center());
    m.popMenu1->hide();
    QCOMPARE(m.txtNr->text(), QStringLiteral("3"));
}

void TestBrowse::historyFollowsWorkedExample() {
    QList<Record> records;
    for (int i = 1; i <= 12; ++i)
        records << childRecord(i, QStringLiteral("Kind%1").arg(i, 2, 10, QLatin1Char('0')), "X");
    startWith(records);
    WindowView& m = *w->view;
    QCOMPARE(m.txtNr->text(), QStringLiteral("1"));
    QVERIFY(!m.cmdBack->isEnabled());
    for (int row : {4, 8, 11})
        clickRow(m, row);
    QCOMPARE(m.items(m.cmbBack), (QStringList{"9", "5", "1"}));
    QVERIFY(m.cmdBack->isEnabled() && m.cmbBack->isEnabled());
    QVERIFY(!m.cmdForward->isEnabled());
    m.cmdBack->click();
    QCOMPARE(m.txtNr->text(), QStringLiteral("9"));
    QCOMPARE(m.items(m.cmbBack), (QStringList{"5", "1"}));
    QCOMPARE(m.items(m.cmbForward), QStringList{"12"});
    QCOMPARE(m.cmbForward->count(), 1);
    QVERIFY(m.cmdForward->isEnabled());
    clickRow(m, 11); // 12 by the table: the forward step walked by other means
    QCOMPARE(m.items(m.cmbForward), QStringList());
    QCOMPARE(m.items(m.cmbBack), (QStringList{"9", "5", "1"}));
    // A choice in the back list jumps two steps; the numbers between go forward.
    m.cmbBack->activated(2);
    QCOMPARE(m.txtNr->text(), QStringLiteral("1"));
    QCOMPARE(m.items(m.cmbForward), (QStringList{"5", "9", "12"}));
    QVERIFY(!m.cmdBack->isEnabled());
    m.cmdForward->click();
    QCOMPARE(m.txtNr->text(), QStringLiteral("5"));
    clickRow(m, 2); // any other record clears the forward list
    QCOMPARE(m.items(m.cmbForward), QStringList());
    QVERIFY(!m.cmbForward->isEnabled());
}

void TestBrowse::historyStepToMissingNumberKeepsRecord() {
    startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben"),
               childRecord(3, "Adler", "Cem")});
    WindowView& m = *w->view;
    clickRow(m, 1);
    QTest::keyClicks(m.txtSuch[0], "A"); // record 1 and 2 filtered out; 3 shown
    QCOMPARE(m.txtNr->text(), QStringLiteral("3"));
    const QStringList before = history(m);
    m.cmdBack->click(); // back to 2, which the list no longer holds
    QCOMPARE(m.txtNr->text(), QStringLiteral("3"));
    QCOMPARE(history(m), before);
}

void TestBrowse::navigatorArrowsMoveWithHistory() {
    startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben"),
               childRecord(3, "Adler", "Cem")});
    WindowView& m = *w->view;
    auto* next = m.Data->findChild<QToolButton*>("DataNext");
    auto* last = m.Data->findChild<QToolButton*>("DataLast");
    auto* first = m.Data->findChild<QToolButton*>("DataFirst");
    QVERIFY(!first->isEnabled());
    next->click();
    QCOMPARE(m.txtNr->text(), QStringLiteral("2"));
    last->click();
    QCOMPARE(m.txtNr->text(), QStringLiteral("3"));
    QVERIFY(!next->isEnabled());
    QCOMPARE(m.items(m.cmbBack), (QStringList{"2", "1"}));
    QCOMPARE(m.DataGrid->selectionModel()->selectedRows().first().row(), 2);
}

void TestBrowse::emptyResultShowsBlankRecord() {
    startWith({childRecord(1, "Maier", "Anna", {{"KBasis", 150}, {"KEssen", "ja"}, {"GAnz", 2}})});
    WindowView& m = *w->view;
    QTest::keyClicks(m.txtSuch[0], "Q");
    QCOMPARE(m.txtNr->text(), QStringLiteral("1"));
    QCOMPARE(m.txtAngaben[0]->text(), QString());
    QCOMPARE(m.txtBerechnung[0]->text(), QString());
    QVERIFY(!m.chckKEssen->isChecked());
    QCOMPARE(m.txtGAnz->text(), QString());
    QCOMPARE(m.caption(), QStringLiteral("aktueller Datensatz : -"));
    QVERIFY(!m.mnuDSSub[1]->isEnabled() && !m.mnuDSSub[2]->isEnabled());
    QVERIFY(!m.mnuFileSub[1]->isEnabled());
    QVERIFY(m.DataGrid->selectionModel()->selectedRows().isEmpty());
    // The blank record's "1" is not a record shown: it never enters the history.
    const QStringList back = m.items(m.cmbBack);
    m.txtSuch[0]->clear();
    QCOMPARE(m.items(m.cmbBack), back);
}

void TestBrowse::recordDeletedElsewhereIsNeverShownAsAnother() {
    startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben"),
               childRecord(3, "Adler", "Cem")});
    WindowView& m = *w->view;
    {
        // Another workstation deletes record 2.
        auto db = Database::open(folder->file("TarvexDB.mdb"));
        auto rs = db->openDynaset("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC");
        QVERIFY(rs->findFirst("Nr = 2"));
        rs->deleteCurrent();
    }
    clickRow(m, 1);
    QCOMPARE(m.txtAngaben[0]->text() == "Maier" || m.txtAngaben[0]->text() == "Adler", false);
    QVERIFY(!w->boxes.shown.empty());
    QVERIFY(w->boxes.shown.back().text.contains(QStringLiteral("Nr. 2")));
    // The table comes back in step with the database.
    QTRY_COMPARE(column(m, 0), (QStringList{"1", "3"}));
    QCOMPARE(m.txtNr->text(), QStringLiteral("1"));
    QCOMPARE(m.txtAngaben[0]->text(), QStringLiteral("Maier"));
}

void TestBrowse::columnChoiceAddsCaptionedColumns() {
    startWith({childRecord(1, "Maier", "Anna", {{"KOrt", "Köln"}})},
              "[Intern]\r\nTabelle=0010001000000001\r\n");
    WindowView& m = *w->view;
    QStringList captions;
    for (int c = 0; c < m.gridModel()->columnCount(); ++c)
        captions << m.gridModel()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    QCOMPARE(captions,
             (QStringList{"Nr.", "Nachname", "Vorname", "geb. am", "Gruppe", "Essen", "Strasse",
                          "PLZ", "Ort", "M. Nachname", "M. Vorname", "V. Tel.Nr.Arbeit"}));
    QCOMPARE(m.gridModel()->headerData(8, Qt::Horizontal, SnapshotModel::FieldNameRole).toString(),
             QStringLiteral("KOrt"));
    QCOMPARE(column(m, 8), QStringList{"Köln"});
}

void TestBrowse::siblingRowsFollowCount() {
    startWith({childRecord(1, "Maier", "Anna", {{"GAnz", 2}, {"G1Vor", "Eva"}, {"G3Vor", "Kai"}}),
               childRecord(2, "Huber", "Ben", {{"GAnz", 0}})});
    WindowView& m = *w->view;
    m.SSTab1->setCurrentIndex(2);
    QVERIFY(m.txtAngaben[45]->isVisible());
    QVERIFY(m.txtAngaben[49]->isVisible());
    QVERIFY(!m.txtAngaben[53]->isVisible());
    QCOMPARE(m.txtAngaben[53]->text(), QStringLiteral("Kai")); // hidden rows keep their texts
    clickRow(m, 1);
    QVERIFY(!m.txtAngaben[45]->isVisible());
}

void TestBrowse::shownRowScrollsToTopOnlyWhenHidden() {
    QList<Record> records;
    for (int i = 1; i <= 120; ++i)
        records << childRecord(i, QStringLiteral("Kind%1").arg(i), "X");
    startWith(records);
    WindowView& m = *w->view;
    QCOMPARE(m.DataGrid->rowAt(0), 0);
    // Record 60 is shown, the table scrolled back to the top, another record clicked: the step
    // back to 60 brings its hidden row to the top.
    m.DataGrid->scrollTo(m.gridModel()->index(59, 0));
    clickRow(m, 59);
    m.DataGrid->verticalScrollBar()->setValue(0);
    clickRow(m, 1);
    m.cmdBack->click();
    QCOMPARE(m.txtNr->text(), QStringLiteral("60"));
    QCOMPARE(m.DataGrid->rowAt(0), 59);
    clickRow(m, 61); // visible: no scrolling
    QCOMPARE(m.txtNr->text(), QStringLiteral("62"));
    QCOMPARE(m.DataGrid->rowAt(0), 59);
}

void TestBrowse::failingQueryKeepsLastRecordSet() {
    startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben")});
    WindowView& m = *w->view;
    // Another program renames the table under the running window.
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(folder->file("TarvexDB.mdb")).constData(), &db),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "ALTER TABLE Daten RENAME TO Weg", nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);
    QTest::keyClicks(m.txtSuch[0], "H");
    QVERIFY(!w->boxes.shown.empty());
    QVERIFY2(w->boxes.shown[0].text.startsWith(
                 QStringLiteral("Fehler in <TarvexMain.Data_Refresh>\r\rNummer :")),
             qPrintable(w->boxes.shown[0].text));
    QCOMPARE(w->boxes.shown[0].title, QStringLiteral("Fehler"));
    QCOMPARE(column(m, 1), (QStringList{"Maier", "Huber"}));
    QCOMPARE(m.txtNr->text(), QStringLiteral("1"));
    QVERIFY(m.window->isEnabled());
}

void TestBrowse::lockedDatabaseKeepsSearchAndListInStep() {
    startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben")});
    WindowView& m = *w->view;
    // Another workstation holds the file for a while.
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(folder->file("TarvexDB.mdb")).constData(), &other),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QTest::keyClicks(m.txtSuch[0], "H");
    QCOMPARE(column(m, 1), (QStringList{"Maier", "Huber"}));       // not yet filtered ...
    QVERIFY(m.kMain->text().contains(QStringLiteral("gesperrt"))); // ... and it says so
    QVERIFY(w->boxes.shown.empty());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QTRY_COMPARE_WITH_TIMEOUT(column(m, 1), QStringList{"Huber"}, 5000);
    QCOMPARE(m.kMain->text(), QString());
}

QTEST_MAIN(TestBrowse)
#include "tst_window_browse.moc"
