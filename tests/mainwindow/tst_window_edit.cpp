// Keeping records in the main window, driven offscreen as a user would: new records (empty and
// as a copy), changes saved and discarded, refused saves that keep every input, deletes, two
// workstations on one file, and the input rules of the record controls.

#include "testsupport.h"

#include "datacontrol.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <sqlite3.h>

using Answer = MessageBoxes::Answer;

namespace {

const QString kSaveQuestion = QStringLiteral("Möchten Sie die Daten übernehmen?");

enum Command { Neu = 0, Aendern = 1, Loeschen = 2, Speichern = 3 };

QString tooLong(int limit) {
    return QStringLiteral("Die Eingabe ist zu lang.\r\rEs können nur max. %1 Zeichen eingegeben "
                          "werden.")
        .arg(limit);
}

} // namespace

class TestEdit : public QObject {
    Q_OBJECT
  private slots:
    void cleanup();
    void newRecordOnEmptyTableStoresPlaceholders();
    void newRecordAsCopyTakesNextNumber();
    void changeSavedRewritesRecordAndReturnsToBrowsing();
    void changeDiscardedLeavesDatabase();
    void duplicateNumberIsRefusedAndCorrected();
    void refusedFeeNamesFieldAndKeepsInput();
    void emptiedNumberIsFoundUnderPlaceholder();
    void deleteShowsNeighbour_data();
    void deleteShowsNeighbour();
    void menuOffersOnlySaveWhileEditing();
    void lockedRecordKeepsInputAndSave();
    void changeByAnotherWorkstationIsNeverOverwrittenSilently_data();
    void changeByAnotherWorkstationIsNeverOverwrittenSilently();
    void closingWhileEditingAsks_data();
    void closingWhileEditingAsks();
    void typedLimitRefusesKeyWithMessage();
    void keyFiltersOfNumberCountAndFees();
    void enterMovesAlongFixedOrderAcrossTabs();
    void leavingFieldsWritesFillersAndProposals();
    void feeSumFollowsLeavingAFeeField();
    void choiceListsListStoredValuesOnceInOrder();
    void pasteFollowsKeyRules();
    void longValueShowsItsBeginning();

  private:
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<WindowUnderTest> w;
    QString db() const { return folder->file("TarvexDB.mdb"); }
    void startWith(const QList<Record>& records);
    WindowView& m() { return *w->view; }
    void command(Command c) { m().mnuDSSub[c]->trigger(); }
    // "&Speichern" with the question answered.
    void save(Answer answer = Answer::Yes) {
        w->boxes.answers.push_back(answer);
        command(Speichern);
    }
    void typeInto(QLineEdit* e, const QString& text) {
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    bool browsing() const {
        return w->window->windowTitle() == QStringLiteral("Tarvex - Morvelin") ||
               w->window->windowTitle() == QStringLiteral("Belvonia");
    }
};

void TestEdit::startWith(const QList<Record>& records) {
    folder = std::make_unique<ProgramFolder>();
    createDatabase(db(), records);
    w = std::make_unique<WindowUnderTest>(folder->path());
    QVERIFY(w->start());
    w->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->window.get()));
    QApplication::setActiveWindow(w->window.get());
}

void TestEdit::cleanup() {
    if (w && w->window) {
        w->boxes.answers = {Answer::No}; // a record still being edited is dropped
        w->close();
    }
    w.reset();
    folder.reset();
}

void TestEdit::newRecordOnEmptyTableStoresPlaceholders() {
    startWith({});
    command(Neu);
    QVERIFY(w->boxes.shown.empty()); // nothing to copy, no question
    QCOMPARE(w->window->windowTitle(),
             QStringLiteral("Tarvex - Ein neuer Datensatz wird angelegt"));
    QCOMPARE(m().txtNr->text(), QStringLiteral("1"));
    QCOMPARE(m().txtBerechnung[2]->text(), QStringLiteral("0"));
    QVERIFY(m().cmbKKonf->isVisible() && !m().txtAngaben[4]->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m().txtAngaben[0]));
    QTest::keyClicks(m().txtAngaben[0], "Maier");
    m().pressEnter(m().txtAngaben[0]);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m().txtAngaben[1]));
    QTest::keyClicks(m().txtAngaben[1], "Anna");
    save();
    QCOMPARE(w->boxes.shown.back().text, kSaveQuestion);
    QCOMPARE(w->boxes.shown.back().title, QStringLiteral("Speichern"));

    const Record r = storedRecord(db(), 1);
    QCOMPARE(r["KNach"].toString(), QStringLiteral("Maier"));
    QCOMPARE(r["KVor"].toString(), QStringLiteral("Anna")); // left by the save: no filler
    QCOMPARE(r["KStr"].toString(), QStringLiteral("-"));
    QCOMPARE(r["G3Gebin"].toString(), QStringLiteral("-"));
    QCOMPARE(r["Bem"].toString(), QStringLiteral("-"));
    QCOMPARE(r["KPKNr"].toString(), QStringLiteral("0000000"));
    for (const char* religion : {"KKonf", "MKonf", "VKonf"})
        QCOMPARE(r[religion].toString(), QStringLiteral("o.K."));
    for (const char* nationality : {"KNat", "MNat", "VNat"})
        QCOMPARE(r[nationality].toString(), QStringLiteral("-"));
    QCOMPARE(r["KBasis"].toDouble(), 0.0);
    QCOMPARE(r["GAnz"].toLongLong(), 0);
    QCOMPARE(r["KEssen"].toString(), QStringLiteral("nein"));

    QCOMPARE(w->window->windowTitle(), QStringLiteral("Tarvex - Morvelin"));
    QCOMPARE(m().caption(), QStringLiteral("aktueller Datensatz : Nr. 1 - Maier, Anna"));
    QVERIFY(!m().cmbKKonf->isVisible() && m().txtAngaben[4]->isVisible());
    QCOMPARE(m().txtAngaben[4]->text(), QStringLiteral("o.K."));
    QVERIFY(m().txtAngaben[0]->isReadOnly());
}

void TestEdit::newRecordAsCopyTakesNextNumber() {
    startWith({childRecord(3, "Muster", "Anna",
                           {{"KKonf", "ev."},
                            {"KGrp", "Igel"},
                            {"KBasis", 150},
                            {"GAnz", 1},
                            {"G1Vor", "Eva"},
                            {"Bem", "Allergie"}}),
               childRecord(8, "Huber", "Ben"), childRecord(5, "Adler", "Cem")});
    command(Neu);
    QCOMPARE(w->boxes.shown.back().title, QStringLiteral("Frage"));
    QCOMPARE(w->boxes.shown.back().text,
             QStringLiteral("Möchten Sie die Angaben vom aktuellen DS übernehmen?\r\r"
                            "3 - Muster, Anna"));
    QCOMPARE(m().txtNr->text(), QStringLiteral("9")); // highest number + 1, whatever is shown
    QCOMPARE(m().cmbKKonf->currentText(), QStringLiteral("ev."));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m().txtNr));
    save();
    const Record copy = storedRecord(db(), 9);
    for (const char* f : {"KNach", "KKonf", "KGrp", "KBasis", "GAnz", "G1Vor", "Bem"})
        QCOMPARE(copy[f], storedRecord(db(), 3)[f]);
    QCOMPARE(m().txtNr->text(), QStringLiteral("9"));

    // Answered No: a blank record with the next number, the focus on the surname.
    w->boxes.answers = {Answer::No};
    command(Neu);
    QCOMPARE(m().txtNr->text(), QStringLiteral("10"));
    QCOMPARE(m().txtAngaben[17]->text(), QString());
    QCOMPARE(m().txtBerechnung[0]->text(), QStringLiteral("0"));
    QCOMPARE(m().txtGAnz->text(), QString());
    // Discarded: nothing stored, the record shown before comes back.
    save(Answer::No);
    QCOMPARE(storedNumbers(db()), (QList<int>{3, 5, 8, 9}));
    QCOMPARE(m().txtNr->text(), QStringLiteral("9"));
}

void TestEdit::changeSavedRewritesRecordAndReturnsToBrowsing() {
    startWith({childRecord(1, "Maier", "Anna"),
               childRecord(12, "Huber", "Ben", {{"KTel1", "089 1"}, {"KFaktor", 1.5}})});
    m().clickRow(1);
    command(Aendern);
    QCOMPARE(w->window->windowTitle(), QStringLiteral("Tarvex - Datensatz wird geändert"));
    QCOMPARE(m().SSTab1->currentIndex(), 0);
    QVERIFY(m().txtNr->isReadOnly()); // the number of a stored record stays
    typeInto(m().txtAngaben[9], "0821 5");
    save();
    const Record r = storedRecord(db(), 12);
    QCOMPARE(r["KTel1"].toString(), QStringLiteral("0821 5"));
    QCOMPARE(r["KFaktor"].toDouble(), 1.5); // untouched columns are written as shown
    QCOMPARE(r["KNach"].toString(), QStringLiteral("Huber"));
    QCOMPARE(m().txtNr->text(), QStringLiteral("12"));
    QCOMPARE(m().txtAngaben[9]->text(), QStringLiteral("0821 5"));
    QVERIFY(m().mnuDSSub[Aendern]->isEnabled() && !m().mnuDSSub[Speichern]->isEnabled());
    // Showing the saved record again is no step of the user's: the history stays.
    QCOMPARE(m().items(m().cmbBack), QStringList{"1"});
}

void TestEdit::changeDiscardedLeavesDatabase() {
    startWith({childRecord(1, "Maier", "Anna", {{"KOrt", "Köln"}})});
    command(Aendern);
    typeInto(m().txtAngaben[8], "Bonn");
    save(Answer::No);
    QCOMPARE(storedRecord(db(), 1)["KOrt"].toString(), QStringLiteral("Köln"));
    QCOMPARE(m().txtAngaben[8]->text(), QStringLiteral("Köln"));
    QCOMPARE(w->window->windowTitle(), QStringLiteral("Tarvex - Morvelin"));
}

void TestEdit::duplicateNumberIsRefusedAndCorrected() {
    startWith({childRecord(3, "Muster", "Anna"), childRecord(4, "Huber", "Ben")});
    w->boxes.answers = {Answer::No};
    command(Neu);
    typeInto(m().txtAngaben[0], "Neu");
    typeInto(m().txtNr, "3");
    save();
    const QString refusal = w->boxes.shown.back().text;
    QVERIFY2(refusal.contains("Die Nummer 3 ist bereits vergeben") &&
                 refusal.contains("3 - Muster, Anna"),
             qPrintable(refusal));
    // Still entering the new record, with every input and "&Speichern" at hand.
    QCOMPARE(w->window->windowTitle(),
             QStringLiteral("Tarvex - Ein neuer Datensatz wird angelegt"));
    QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("Neu"));
    QVERIFY(m().mnuDSSub[Speichern]->isEnabled() && !m().mnuDSSub[Neu]->isEnabled());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m().txtNr));
    QCOMPARE(storedNumbers(db()), (QList<int>{3, 4}));
    QTest::keyClicks(m().txtNr, "7");
    save();
    QCOMPARE(storedNumbers(db()), (QList<int>{3, 4, 7}));
    QCOMPARE(storedRecord(db(), 7)["KNach"].toString(), QStringLiteral("Neu"));
    QCOMPARE(m().txtNr->text(), QStringLiteral("7"));
}

void TestEdit::refusedFeeNamesFieldAndKeepsInput() {
    startWith({childRecord(1, "Maier", "Anna", {{"KBasis", 100}})});
    command(Aendern);
    typeInto(m().txtBerechnung[0], "1,,5"); // the key filter lets a second comma through
    typeInto(m().txtAngaben[6], "Hauptstr. 1");
    save();
    QVERIFY(w->boxes.shown.back().text.contains("\"Basiswert\""));
    QCOMPARE(w->boxes.shown.back().icon, MessageBoxes::Icon::Warning);
    QCOMPARE(m().txtBerechnung[0]->text(), QStringLiteral("1,,5"));
    QCOMPARE(m().txtAngaben[6]->text(), QStringLiteral("Hauptstr. 1"));
    QCOMPARE(storedRecord(db(), 1)["KStr"].toString(), QStringLiteral("-")); // nothing written
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m().txtBerechnung[0]));
    typeInto(m().txtBerechnung[0], "2,5");
    save();
    QCOMPARE(storedRecord(db(), 1)["KBasis"].toDouble(), 2.5);
    QCOMPARE(storedRecord(db(), 1)["KStr"].toString(), QStringLiteral("Hauptstr. 1"));
}

void TestEdit::emptiedNumberIsFoundUnderPlaceholder() {
    startWith({childRecord(1, "Maier", "Anna")});
    w->boxes.answers = {Answer::No};
    command(Neu);
    typeInto(m().txtAngaben[0], "Ohne");
    m().txtNr->setFocus();
    m().txtNr->selectAll();
    QTest::keyClick(m().txtNr, Qt::Key_Backspace);
    save();
    QCOMPARE(storedNumbers(db()), (QList<int>{1, 9999}));
    QCOMPARE(m().txtNr->text(), QStringLiteral("9999"));
    QCOMPARE(m().caption(), QStringLiteral("aktueller Datensatz : Nr. 9999 - Ohne, -"));
    QCOMPARE(w->boxes.shown.size(), size_t(2)); // the two questions, no error box
}

void TestEdit::deleteShowsNeighbour_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<int>>("left");
    QTest::addColumn<QString>("shown");
    QTest::newRow("first") << 0 << QList<int>{5, 9} << "5";
    QTest::newRow("middle") << 1 << QList<int>{2, 9} << "2";
    QTest::newRow("last") << 2 << QList<int>{2, 5} << "5";
}

void TestEdit::deleteShowsNeighbour() {
    QFETCH(int, row);
    QFETCH(QList<int>, left);
    QFETCH(QString, shown);
    startWith({childRecord(2, "Adler", "Cem"), childRecord(5, "Muster", "Anna"),
               childRecord(9, "Huber", "Ben")});
    m().clickRow(row);
    const QString nr = m().txtNr->text();
    w->boxes.answers = {Answer::No};
    command(Loeschen);
    QCOMPARE(w->boxes.shown.back().title, QStringLiteral("Löschen bestätigen"));
    QCOMPARE(w->boxes.shown.back().icon, MessageBoxes::Icon::Warning);
    QVERIFY(w->boxes.shown.back().text.startsWith(
        QStringLiteral("Möchten Sie den aktuellen DS löschen?\r\r") + nr + " - "));
    QCOMPARE(storedNumbers(db()).size(), 3);
    command(Loeschen);
    QCOMPARE(storedNumbers(db()), left);
    QCOMPARE(m().txtNr->text(), shown);
    QCOMPARE(m().column(0).size(), 2);
    QVERIFY(!m().items(m().cmbBack).contains(nr)); // no step back to a deleted record
}

void TestEdit::menuOffersOnlySaveWhileEditing() {
    startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben")});
    auto states = [this] {
        QString s;
        for (int c : {Neu, Aendern, Loeschen, Speichern})
            s += m().mnuDSSub[c]->isEnabled() ? '1' : '0';
        return s;
    };
    m().clickRow(1);
    m().clickRow(0);
    QCOMPARE(states(), QStringLiteral("1110"));
    command(Aendern);
    QCOMPARE(states(), QStringLiteral("0001"));
    // While editing, neither the table nor the history moves the record, and the history
    // stays; a search moves the record set: still only "&Speichern", the input stays.
    const QStringList back = m().items(m().cmbBack);
    m().clickRow(1);
    m().cmdBack->click();
    QCOMPARE(m().txtNr->text(), QStringLiteral("1"));
    QTest::keyClicks(m().txtSuch[0], "H");
    QCOMPARE(states(), QStringLiteral("0001"));
    QCOMPARE(m().column(0), QStringList{"2"});
    QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("Maier")); // the record being changed
    QCOMPARE(m().items(m().cmbBack), back);
    save(Answer::No);
    QCOMPARE(states(), QStringLiteral("1110"));
    // A search that finds nothing: only a new record can be made.
    QTest::keyClicks(m().txtSuch[0], "x");
    QCOMPARE(states(), QStringLiteral("1000"));
    // Deleting with no record shown does nothing and asks nothing.
    m().mnuDSSub[Loeschen]->setEnabled(true);
    const size_t boxes = w->boxes.shown.size();
    command(Loeschen);
    QCOMPARE(w->boxes.shown.size(), boxes);
    QCOMPARE(storedNumbers(db()), (QList<int>{1, 2}));
}

void TestEdit::lockedRecordKeepsInputAndSave() {
    startWith({childRecord(1, "Maier", "Anna")});
    command(Aendern);
    typeInto(m().txtAngaben[8], "Bonn");
    // Another workstation holds the write lock.
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(db()).constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    save();
    QVERIFY(w->boxes.shown.back().text.startsWith(
        QStringLiteral("Fehler in <TarvexMain.DS_Speichern>\r\rNummer :3260 - ")));
    QCOMPARE(w->window->windowTitle(), QStringLiteral("Tarvex - Datensatz wird geändert"));
    QVERIFY(m().mnuDSSub[Speichern]->isEnabled());
    QCOMPARE(m().txtAngaben[8]->text(), QStringLiteral("Bonn"));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    save();
    QCOMPARE(storedRecord(db(), 1)["KOrt"].toString(), QStringLiteral("Bonn"));
}

void TestEdit::changeByAnotherWorkstationIsNeverOverwrittenSilently_data() {
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<int>("answer"); // to the conflict question
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown"); // the town the window shows afterwards
    QTest::addColumn<bool>("editing");
    QTest::newRow("changed, keep mine") << false << int(Answer::Yes) << "Bonn"
                                        << "Bonn" << false;
    QTest::newRow("changed, take theirs") << false << int(Answer::No) << "Ulm"
                                          << "Ulm" << false;
    QTest::newRow("changed, back to input") << false << int(Answer::Cancel) << "Ulm"
                                            << "Bonn" << true;
    QTest::newRow("deleted, store again") << true << int(Answer::Yes) << "Bonn"
                                          << "Bonn" << false;
    QTest::newRow("deleted, drop") << true << int(Answer::No) << ""
                                   << "-" << false;
}

void TestEdit::changeByAnotherWorkstationIsNeverOverwrittenSilently() {
    QFETCH(bool, deleted);
    QFETCH(int, answer);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(bool, editing);
    startWith(
        {childRecord(1, "Maier", "Anna", {{"KOrt", "Köln"}}), childRecord(2, "Huber", "Ben")});
    // A second workstation on the same file.
    WindowUnderTest other(folder->path());
    QVERIFY(other.start());
    other.window->show();
    command(Aendern);
    typeInto(m().txtAngaben[8], "Bonn");
    if (deleted) {
        other.boxes.answers = {Answer::Yes};
        other.view->mnuDSSub[Loeschen]->trigger();
    } else {
        other.view->mnuDSSub[Aendern]->trigger();
        other.view->txtAngaben[8]->setText("Ulm");
        other.view->mnuDSSub[Speichern]->trigger(); // answered Yes
    }
    w->boxes.answers = {Answer::Yes, Answer(answer)};
    command(Speichern);
    const auto& question = w->boxes.shown.back();
    QCOMPARE(question.buttons, MessageBoxes::Buttons::YesNoCancel);
    QVERIFY2(question.text.contains(deleted ? "gelöscht" : "geändert (Ort (Kind)"),
             qPrintable(question.text));
    QCOMPARE(storedRecord(db(), 1)["KOrt"].toString(), stored);
    QCOMPARE(m().txtAngaben[8]->text(), shown);
    QCOMPARE(m().mnuDSSub[Speichern]->isEnabled(), editing);
    other.boxes.answers = {Answer::No};
    other.close();
}

void TestEdit::closingWhileEditingAsks_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("save") << int(Answer::Yes) << true << "Bonn";
    QTest::newRow("discard") << int(Answer::No) << true << "Köln";
    QTest::newRow("back to the record") << int(Answer::Cancel) << false << "Köln";
}

void TestEdit::closingWhileEditingAsks() {
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(QString, stored);
    startWith({childRecord(1, "Maier", "Anna", {{"KOrt", "Köln"}})});
    command(Aendern);
    typeInto(m().txtAngaben[8], "Bonn");
    w->boxes.answers = {Answer(answer)};
    m().mnuFileSub[3]->trigger(); // "&Beenden"
    QCOMPARE(w->boxes.shown.back().text, kSaveQuestion);
    QCOMPARE(w->boxes.shown.back().buttons, MessageBoxes::Buttons::YesNoCancel);
    QCOMPARE(w->window->isVisible(), !closed);
    QCOMPARE(storedRecord(db(), 1)["KOrt"].toString(), stored);
    if (!closed)
        QCOMPARE(m().txtAngaben[8]->text(), QStringLiteral("Bonn"));

    // A save that fails keeps the window open with the input.
    if (closed)
        return;
    typeInto(m().txtBerechnung[1], ",");
    w->boxes.answers = {Answer::Yes};
    w->close();
    QVERIFY(w->window->isVisible());
    QVERIFY(w->boxes.shown.back().text.contains("\"Faktor Kind\""));
}

void TestEdit::typedLimitRefusesKeyWithMessage() {
    startWith({childRecord(1, QString(30, 'a'), "Anna")});
    command(Aendern);
    QLineEdit* surname = m().txtAngaben[0];
    surname->setCursorPosition(30);
    QTest::keyClick(surname, Qt::Key_B);
    QCOMPARE(surname->text(), QString(30, 'a'));
    QCOMPARE(w->boxes.shown.back().text, tooLong(30));
    QCOMPARE(w->boxes.shown.back().icon, MessageBoxes::Icon::Information);
    QCOMPARE(w->boxes.shown.back().title, QStringLiteral("Tarvex"));
    QTest::keyClick(surname, Qt::Key_Backspace); // always accepted
    QCOMPARE(surname->text().size(), 29);
    // With a selection the key replaces it.
    surname->setText(QString(30, 'a'));
    surname->setSelection(0, 3);
    QTest::keyClick(surname, Qt::Key_B);
    QCOMPARE(surname->text(), QStringLiteral("b") + QString(27, 'a'));
    // The parents' fields have their column's size as limit too, and so do the choice boxes.
    w->boxes.shown.clear();
    m().txtAngaben[25]->setText(QString(7, '1')); // MPLZ, 7 characters
    m().txtAngaben[25]->setCursorPosition(7);
    QTest::keyClick(m().txtAngaben[25], Qt::Key_1);
    m().cmbKNat->setEditText(QString(20, 'x'));
    QTest::keyClick(m().cmbKNat, Qt::Key_X);
    QCOMPARE(w->takeBoxes(), (QStringList{tooLong(7), tooLong(20)}));
    QCOMPARE(m().cmbKNat->currentText().size(), 20);
}

void TestEdit::keyFiltersOfNumberCountAndFees() {
    startWith({});
    command(Neu);
    typeInto(m().txtNr, "1a2-3");
    QCOMPARE(m().txtNr->text(), QStringLiteral("123")); // letters dropped without a word
    typeInto(m().txtBerechnung[0], "12,5x.");
    QCOMPARE(m().txtBerechnung[0]->text(), QStringLiteral("12,5"));
    m().SSTab1->setCurrentIndex(2);
    typeInto(m().txtGAnz, "4");
    QCOMPARE(m().txtGAnz->text(), QString());
    QTest::keyClicks(m().txtGAnz, "21");
    QCOMPARE(m().txtGAnz->text(), QStringLiteral("2")); // one digit; a second needs a selection
    QVERIFY(m().txtAngaben[48]->isVisible() && !m().txtAngaben[52]->isVisible());
    QVERIFY(w->boxes.shown.empty());
}

void TestEdit::enterMovesAlongFixedOrderAcrossTabs() {
    startWith({childRecord(1, "Maier", "Anna", {{"GAnz", 1}})});
    command(Aendern);
    auto enterFrom = [this](QWidget* from) {
        from->setFocus();
        QTest::keyClick(from, Qt::Key_Return);
        return QApplication::focusWidget();
    };
    QCOMPARE(enterFrom(m().txtAngaben[3]), static_cast<QWidget*>(m().cmbKKonf));
    QCOMPARE(enterFrom(m().cmbKNat), static_cast<QWidget*>(m().txtAngaben[6]));
    QCOMPARE(enterFrom(m().txtAngaben[17]), static_cast<QWidget*>(m().txtBerechnung[0]));
    QCOMPARE(enterFrom(m().chckKEssen), static_cast<QWidget*>(m().txtAngaben[15]));
    QCOMPARE(enterFrom(m().txtBerechnung[3]), static_cast<QWidget*>(m().txtAngaben[18]));
    QCOMPARE(m().SSTab1->currentIndex(), 1);
    QCOMPARE(enterFrom(m().txtAngaben[21]), static_cast<QWidget*>(m().cmbMKonf));
    QCOMPARE(enterFrom(m().txtAngaben[43]), static_cast<QWidget*>(m().txtGAnz));
    QCOMPARE(m().SSTab1->currentIndex(), 2);
    QCOMPARE(enterFrom(m().txtGAnz), static_cast<QWidget*>(m().txtAngaben[44]));
    // The second sibling row is hidden (one sibling): on to the remark.
    QCOMPARE(enterFrom(m().txtAngaben[47]), static_cast<QWidget*>(m().txtBem));
    m().txtGAnz->setText("0");
    QCOMPARE(enterFrom(m().txtGAnz), static_cast<QWidget*>(m().txtBem));
    // In the remark Enter breaks the line.
    m().txtBem->setPlainText("a");
    m().txtBem->moveCursor(QTextCursor::End);
    QTest::keyClick(m().txtBem, Qt::Key_Return);
    QCOMPARE(m().txtBem->toPlainText(), QStringLiteral("a\n"));
}

void TestEdit::leavingFieldsWritesFillersAndProposals() {
    startWith({childRecord(1, "Maier", "Anna", {{"MNach", "-"}, {"VNach", "Schulz"}})});
    command(Aendern);
    auto leave = [this](QWidget* from, QWidget* to) {
        from->setFocus();
        to->setFocus();
    };
    typeInto(m().txtAngaben[6], "");
    QTest::keyClick(m().txtAngaben[6], Qt::Key_Backspace);
    leave(m().txtAngaben[6], m().txtAngaben[7]);
    QCOMPARE(m().txtAngaben[6]->text(), QStringLiteral("-"));
    // The child's religion is proposed to the parents' empty or filler boxes only.
    m().cmbMKonf->setEditText("o.K.");
    m().cmbVKonf->setEditText("rk.");
    m().cmbKKonf->setEditText("ev.");
    leave(m().cmbKKonf, m().cmbKNat);
    QCOMPARE(m().cmbMKonf->currentText(), QStringLiteral("ev."));
    QCOMPARE(m().cmbVKonf->currentText(), QStringLiteral("rk."));
    m().cmbKNat->setEditText(QString());
    leave(m().cmbKNat, m().txtAngaben[6]);
    QCOMPARE(m().cmbKNat->currentText(), QStringLiteral("o.K."));
    m().cmbMKonf->setEditText(QString());
    leave(m().cmbMKonf, m().cmbMNat);
    QCOMPARE(m().cmbMKonf->currentText(), QStringLiteral("o.K."));
    // Entering the parents' surnames proposes the child's, but never over a name.
    m().txtAngaben[18]->setFocus();
    QCOMPARE(m().txtAngaben[18]->text(), QStringLiteral("Maier"));
    QCOMPARE(m().txtAngaben[18]->selectedText(), QStringLiteral("Maier"));
    m().txtAngaben[31]->setFocus();
    QCOMPARE(m().txtAngaben[31]->text(), QStringLiteral("Schulz"));
    // Siblings shown by the count get the child's surname where nothing is typed.
    m().txtAngaben[44]->setText("Weber");
    m().txtGAnz->setText("2");
    QCOMPARE(m().txtAngaben[44]->text(), QStringLiteral("Weber"));
    QCOMPARE(m().txtAngaben[48]->text(), QStringLiteral("Maier"));
}

void TestEdit::feeSumFollowsLeavingAFeeField() {
    startWith({childRecord(1, "Maier", "Anna", {{"KBasis", 150}, {"KFaktor", 1.2}})});
    command(Aendern);
    typeInto(m().txtBerechnung[2], "0,85");
    m().pressEnter(m().txtBerechnung[2]);
    QCOMPARE(m().txtBerechnung[3]->text(), QStringLiteral("153"));
    // An emptied factor becomes 1 when it is left.
    typeInto(m().txtBerechnung[1], "");
    QTest::keyClick(m().txtBerechnung[1], Qt::Key_Backspace);
    m().pressEnter(m().txtBerechnung[1]);
    QCOMPARE(m().txtBerechnung[1]->text(), QStringLiteral("1"));
    QCOMPARE(m().txtBerechnung[3]->text(), QStringLiteral("127,5"));
    // A text that is no number keeps the previous sum.
    typeInto(m().txtBerechnung[0], "1,,");
    m().pressEnter(m().txtBerechnung[0]);
    QCOMPARE(m().txtBerechnung[3]->text(), QStringLiteral("127,5"));
    // A save straight after typing stores the sum of what was typed.
    typeInto(m().txtBerechnung[0], "200");
    QTest::keyClick(m().txtBerechnung[0], Qt::Key_S, Qt::ControlModifier);
    save();
    QCOMPARE(storedRecord(db(), 1)["KSumme"].toDouble(), 170.0);
}

void TestEdit::choiceListsListStoredValuesOnceInOrder() {
    startWith({childRecord(2, "B", "b", {{"KKonf", "rk."}, {"MKonf", "ev."}, {"VKonf", "rk."}}),
               childRecord(1, "A", "a", {{"KKonf", "islam."}, {"KNat", "türk."}}),
               childRecord(3, "C", "c", {{"VKonf", "Ev."}, {"MNat", "dt."}})});
    command(Aendern);
    const QStringList religions{"islam.", "-", "rk.", "ev.", "Ev."};
    QCOMPARE(m().items(m().cmbKKonf), religions);
    QCOMPARE(m().items(m().cmbVKonf), religions);
    QCOMPARE(m().items(m().cmbMNat), (QStringList{"türk.", "-", "dt."}));
    save(Answer::No);
    // The lists are never cleared; a later fill appends what is new.
    command(Aendern);
    m().cmbKKonf->setEditText("orth.");
    save();
    command(Aendern);
    QCOMPARE(m().items(m().cmbMKonf), religions + QStringList{"orth."});
}

void TestEdit::pasteFollowsKeyRules() {
    startWith({});
    command(Neu);
    auto paste = [this](QLineEdit* target, const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        target->setFocus();
        target->selectAll();
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
        return target->text();
    };
    QCOMPARE(paste(m().txtNr, "12b"), QStringLiteral("1")); // refused like the keys
    QCOMPARE(paste(m().txtNr, "42"), QStringLiteral("42"));
    QCOMPARE(paste(m().txtAngaben[7], "123456789"), QString()); // PLZ: 7 characters
    QCOMPARE(w->takeBoxes(), QStringList{tooLong(7)});
    QCOMPARE(paste(m().txtAngaben[7], "80331"), QStringLiteral("80331"));
    // The edit menu's paste follows the same rules.
    QGuiApplication::clipboard()->setText("x1");
    m().txtBerechnung[0]->setFocus();
    m().txtBerechnung[0]->selectAll();
    emit m().mnuEdit->aboutToShow();
    m().mnuEditSub[1]->trigger();
    QCOMPARE(m().txtBerechnung[0]->text(), QStringLiteral("0"));
}

void TestEdit::longValueShowsItsBeginning() {
    startWith({childRecord(1, "Maier", "Anna", {{"KTel1", "0118/7375367 / 0171/12345"}})});
    m().txtAngaben[9]->resize(60, m().txtAngaben[9]->height());
    QCOMPARE(m().txtAngaben[9]->cursorPosition(), 0);
    command(Aendern);
    // A click into a box selects its whole text, as Enter and Tab do.
    QTest::mouseClick(m().txtAngaben[9], Qt::LeftButton, {}, QPoint(20, 5));
    QCOMPARE(m().txtAngaben[9]->selectedText(), QStringLiteral("0118/7375367 / 0171/12345"));
    m().txtAngaben[10]->setFocus();
    QCOMPARE(m().txtAngaben[9]->cursorPosition(), 0);
    QVERIFY(!m().txtAngaben[9]->hasSelectedText());
}

QTEST_MAIN(TestEdit)
#include "tst_window_edit.moc"
