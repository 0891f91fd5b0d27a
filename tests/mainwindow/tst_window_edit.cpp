// Keeping records in the main window, driven offscreen as a user would: new records (empty and
// as a copy), changes saved and discarded, refused saves that keep every input, deletes, two
// workstations on one file, and the input rules of the record controls.

#include "testsupport.h"
#include "widgetmessageboxes.h"

#include <QClipboard>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QTabBar>
#include <QTimer>

#include <functional>

namespace {

const QString kSaveQuestion = QStringLiteral("Möchten Sie die Daten übernehmen?");

using Command = QAction* MenuActions::*;
constexpr Command Neu = &MenuActions::newRecord;
constexpr Command Aendern = &MenuActions::changeRecord;
constexpr Command Loeschen = &MenuActions::deleteRecord;
constexpr Command Speichern = &MenuActions::saveRecord;

QString tooLong(int limit) {
    return QStringLiteral("Die Eingabe ist zu lang.\r\rEs können nur max. %1 Zeichen eingegeben "
                          "werden.")
        .arg(limit);
}

} // namespace

class TestEdit : public WindowTest {
    Q_OBJECT

    void command(Command c) { (m().actions.*c)->trigger(); }
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
    QWidget* focus() const { return QApplication::focusWidget(); }

  private slots:
    void newRecordOnEmptyTableStoresPlaceholders() {
        startWith({});
        command(Neu);
        QVERIFY(w->boxes.shown.empty()); // nothing to copy, no question
        QCOMPARE(w->window->windowTitle(),
                 QStringLiteral("Tarvex - Ein neuer Datensatz wird angelegt"));
        QCOMPARE(m().txtNr->text(), QStringLiteral("1"));
        QCOMPARE(m().txtBerechnung[2]->text(), QStringLiteral("0"));
        QVERIFY(m().cmbKKonf->isVisible() && !m().txtAngaben[4]->isVisible());
        QCOMPARE(focus(), m().txtAngaben[0]);
        // An emptied number is stored as its placeholder, and the record is found under it.
        typeInto(m().txtNr, "\b");
        typeInto(m().txtAngaben[0], "Maier");
        m().pressEnter(m().txtAngaben[0]);
        QCOMPARE(focus(), m().txtAngaben[1]);
        QTest::keyClicks(m().txtAngaben[1], "Anna");
        save();
        QCOMPARE(w->boxes.shown.size(), size_t(1)); // the question only, no error
        QCOMPARE(w->boxes.shown.back().text, kSaveQuestion);
        QCOMPARE(w->boxes.shown.back().title, QStringLiteral("Speichern"));

        // KVor was left by the save: no filler. The placeholders themselves are tabled in
        // tst_record; one of each kind shows they are applied.
        const Record stored = storedRecord(db(), 9999);
        const Record expected{{"KNach", "Maier"},   {"KVor", "Anna"},  {"KStr", "-"},
                              {"KPKNr", "0000000"}, {"KKonf", "o.K."}, {"GAnz", "0"},
                              {"KEssen", "nein"}};
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(stored[it.key()].toString(), it.value().toString());

        QCOMPARE(w->window->windowTitle(), QStringLiteral("Tarvex - Morvelin"));
        QCOMPARE(m().caption(), QStringLiteral("aktueller Datensatz : Nr. 9999 - Maier, Anna"));
        QCOMPARE(m().txtNr->text(), QStringLiteral("9999"));
        QVERIFY(!m().cmbKKonf->isVisible() && m().txtAngaben[4]->isVisible());
        QCOMPARE(m().txtAngaben[4]->text(), QStringLiteral("o.K."));
        QVERIFY(m().txtAngaben[0]->isReadOnly());
    }

    void newRecordAsCopyTakesNextNumber() {
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
        QCOMPARE(focus(), m().txtNr);
        save();
        const Record copy = storedRecord(db(), 9);
        for (const char* f : {"KNach", "KKonf", "KGrp", "KBasis", "GAnz", "G1Vor", "Bem"})
            QCOMPARE(copy[f], storedRecord(db(), 3)[f]);
        QCOMPARE(m().txtNr->text(), QStringLiteral("9"));

        // Answered No: a blank record with the next number.
        w->boxes.answers = {Answer::No};
        command(Neu);
        QCOMPARE(m().txtNr->text(), QStringLiteral("10"));
        QCOMPARE(m().txtAngaben[17]->text() + m().txtGAnz->text(), QString());
        QCOMPARE(m().txtBerechnung[0]->text(), QStringLiteral("0"));
        // Discarded: nothing stored, the record shown before comes back.
        save(Answer::No);
        QCOMPARE(storedNumbers(db()), (QList<int>{3, 5, 8, 9}));
        QCOMPARE(m().txtNr->text(), QStringLiteral("9"));
    }

    // A change saved rewrites the record (untouched columns as shown, fees of more digits than
    // seven exactly); discarded, the database keeps it and the window shows it again. Either way
    // browsing goes on, the history as it was.
    void changeSavedOrDiscarded_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("phone");
        QTest::newRow("saved") << int(Answer::Yes) << "0821 5";
        QTest::newRow("discarded") << int(Answer::No) << "089 1";
    }
    void changeSavedOrDiscarded() {
        QFETCH(int, answer);
        QFETCH(QString, phone);
        startWith(
            {childRecord(1, "Maier", "Anna"), childRecord(12, "Huber", "Ben",
                                                          {{"KTel1", "089 1"},
                                                           {"KFaktor", 1.5},
                                                           {"KBasis", double(123456792.0f)},
                                                           {"KSumme", double(3.4028235e38f)}})});
        m().clickRow(1);
        command(Aendern);
        QCOMPARE(w->window->windowTitle(), QStringLiteral("Tarvex - Datensatz wird geändert"));
        QCOMPARE(m().SSTab1->currentIndex(), 0);
        QVERIFY(m().txtNr->isReadOnly()); // the number of a stored record stays
        typeInto(m().txtAngaben[9], "0821 5");
        save(Answer(answer));
        const Record r = storedRecord(db(), 12);
        QCOMPARE((QList<QVariant>{r["KTel1"], r["KFaktor"], r["KBasis"], r["KSumme"], r["KNach"]}),
                 (QList<QVariant>{phone, 1.5, double(123456792.0f), double(3.4028235e38f),
                                  QStringLiteral("Huber")}));
        QCOMPARE(m().txtNr->text(), QStringLiteral("12"));
        QCOMPARE(m().txtAngaben[9]->text(), phone);
        QCOMPARE(w->window->windowTitle(), QStringLiteral("Tarvex - Morvelin"));
        QVERIFY(m().actions.changeRecord->isEnabled() && !m().actions.saveRecord->isEnabled());
        QCOMPARE(m().items(m().cmbBack), QStringList{"1"});
    }

    // Escape and the window's close button on the save question go back to the input, which
    // stays as typed; only "Nein" throws it away.
    void saveQuestionClosedGoesBackToTheInput() {
        startWith({childRecord(12, "Huber", "Ben", {{"KTel1", "089 1"}})});
        command(Aendern);
        typeInto(m().txtAngaben[9], "0821 5");
        save(Answer::Cancel);
        QCOMPARE(w->boxes.shown.back().buttons, MessageBoxes::Buttons::YesNoOrBack);
        QCOMPARE(m().txtAngaben[9]->text(), QStringLiteral("0821 5"));
        QVERIFY(m().actions.saveRecord->isEnabled());
        QCOMPARE(storedRecord(db(), 12)["KTel1"].toString(), QStringLiteral("089 1"));

        WidgetMessageBoxes real;
        const auto answerBy = [&real](const std::function<void(QMessageBox*)>& act) {
            QTimer::singleShot(
                0, [act] { act(qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); });
            return real.show(nullptr, QStringLiteral("Möchten Sie die Daten übernehmen?"),
                             MessageBoxes::Buttons::YesNoOrBack, MessageBoxes::Icon::Question);
        };
        QCOMPARE(answerBy([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }),
                 Answer::Cancel);
        QCOMPARE(answerBy([](QMessageBox* box) { box->close(); }), Answer::Cancel);
        QCOMPARE(answerBy([](QMessageBox* box) { box->button(QMessageBox::No)->click(); }),
                 Answer::No);
        QCOMPARE(answerBy([](QMessageBox* box) {
                     QVERIFY(!box->button(QMessageBox::Cancel)->isVisible());
                     box->button(QMessageBox::Yes)->click();
                 }),
                 Answer::Yes);
    }

    void duplicateNumberIsRefusedAndCorrected() {
        startWith({childRecord(3, "Muster", "Anna"), childRecord(4, "Huber", "Ben")});
        w->boxes.answers = {Answer::No};
        command(Neu);
        typeInto(m().txtAngaben[0], "Neu");
        typeInto(m().txtNr, "3");
        save();
        const QString refusal = w->boxes.shown.back().text;
        QVERIFY2(refusal.contains("Die Nummer 3 ist bereits vergeben") &&
                     refusal.contains("3 - Muster, Anna") &&
                     refusal.contains("Die nächste freie Nummer ist 5."),
                 qPrintable(refusal));
        // Still entering the new record, with every input and "&Speichern" at hand.
        QCOMPARE(w->window->windowTitle(),
                 QStringLiteral("Tarvex - Ein neuer Datensatz wird angelegt"));
        QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("Neu"));
        QVERIFY(m().actions.saveRecord->isEnabled() && !m().actions.newRecord->isEnabled());
        QCOMPARE(focus(), m().txtNr);
        QCOMPARE(storedNumbers(db()), (QList<int>{3, 4}));
        QTest::keyClicks(m().txtNr, "7");
        save();
        QCOMPARE(storedNumbers(db()), (QList<int>{3, 4, 7}));
        QCOMPARE(storedRecord(db(), 7)["KNach"].toString(), QStringLiteral("Neu"));
        QCOMPARE(m().txtNr->text(), QStringLiteral("7"));
    }

    void refusedFeeNamesFieldAndKeepsInput() {
        startWith({childRecord(1, "Maier", "Anna", {{"KBasis", 100}})});
        command(Aendern);
        typeInto(m().txtBerechnung[0], ","); // a comma alone is no number
        typeInto(m().txtAngaben[6], "Hauptstr. 1");
        save();
        QVERIFY(w->boxes.shown.back().text.contains("\"Basiswert\""));
        QCOMPARE(w->boxes.shown.back().icon, MessageBoxes::Icon::Warning);
        QCOMPARE(m().txtBerechnung[0]->text(), QStringLiteral(","));
        QCOMPARE(m().txtAngaben[6]->text(), QStringLiteral("Hauptstr. 1"));
        QCOMPARE(storedRecord(db(), 1)["KStr"].toString(), QStringLiteral("-")); // nothing written
        QCOMPARE(focus(), m().txtBerechnung[0]);
        typeInto(m().txtBerechnung[0], "2,5");
        save();
        QCOMPARE(storedRecord(db(), 1)["KBasis"].toDouble(), 2.5);
        QCOMPARE(storedRecord(db(), 1)["KStr"].toString(), QStringLiteral("Hauptstr. 1"));
    }

    void deleteShowsNeighbour_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("left");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("goneElsewhere"); // deleted meanwhile at another workstation
        QTest::newRow("first") << 0 << QList<int>{5, 9} << "5" << 0;
        QTest::newRow("middle") << 1 << QList<int>{2, 9} << "2" << 0;
        QTest::newRow("last") << 2 << QList<int>{2, 5} << "5" << 0;
        // The neighbour that would be shown is gone: the record is deleted all the same and the
        // nearest stored one is shown.
        QTest::newRow("middle, the one before gone") << 1 << QList<int>{9} << "9" << 2;
        QTest::newRow("last, the one before gone") << 2 << QList<int>{2} << "2" << 5;
        QTest::newRow("first, the one after gone") << 0 << QList<int>{9} << "9" << 5;
    }
    void deleteShowsNeighbour() {
        QFETCH(int, row);
        QFETCH(QList<int>, left);
        QFETCH(QString, shown);
        QFETCH(int, goneElsewhere);
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
        if (goneElsewhere != 0)
            QVERIFY(RawConnection(db()).exec(
                QByteArray("DELETE FROM Daten WHERE Nr = " + QByteArray::number(goneElsewhere))
                    .constData()));
        command(Loeschen);
        QCOMPARE(w->boxes.shown.size(), size_t(2)); // the two questions, no error
        QCOMPARE(storedNumbers(db()), left);
        QCOMPARE(m().txtNr->text(), shown);
        QCOMPARE(m().column(0).size(), left.size());
        QVERIFY(!m().items(m().cmbBack).contains(nr)); // no step back to a deleted record
    }

    // A delete another workstation refuses (it holds the record) deletes nothing, and the record
    // stays shown.
    void refusedDeleteKeepsTheRecordShown() {
        startWith({childRecord(2, "Adler", "Cem"), childRecord(5, "Muster", "Anna"),
                   childRecord(9, "Huber", "Ben")});
        m().clickRow(1);
        RawConnection other(db());
        QVERIFY(other.exec("BEGIN IMMEDIATE"));
        w->boxes.answers = {Answer::Yes};
        command(Loeschen);
        QVERIFY(w->boxes.shown.back().text.contains(QStringLiteral("Nummer :3260 - ")));
        QCOMPARE(storedNumbers(db()), (QList<int>{2, 5, 9}));
        QCOMPARE(m().txtNr->text(), QStringLiteral("5"));
        QCOMPARE(m().caption(), QStringLiteral("aktueller Datensatz : Nr. 5 - Muster, Anna"));
    }

    void menuOffersOnlySaveWhileEditing() {
        startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben")});
        auto states = [this] {
            QString s;
            for (Command c : {Neu, Aendern, Loeschen, Speichern})
                s += (m().actions.*c)->isEnabled() ? '1' : '0';
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
        m().actions.deleteRecord->setEnabled(true);
        const size_t boxes = w->boxes.shown.size();
        command(Loeschen);
        QCOMPARE(w->boxes.shown.size(), boxes);
        QCOMPARE(storedNumbers(db()), (QList<int>{1, 2}));
    }

    void lockedRecordKeepsInputAndSave() {
        startWith({childRecord(1, "Maier", "Anna")});
        command(Aendern);
        typeInto(m().txtAngaben[8], "Bonn");
        {
            // Another workstation holds the write lock.
            RawConnection other(db());
            QVERIFY(other.exec("BEGIN IMMEDIATE"));
            save();
            QVERIFY(w->boxes.shown.back().text.startsWith(
                QStringLiteral("Fehler in <TarvexMain.DS_Speichern>\r\rNummer :3260 - ")));
            QCOMPARE(w->window->windowTitle(), QStringLiteral("Tarvex - Datensatz wird geändert"));
            QVERIFY(m().actions.saveRecord->isEnabled());
            QCOMPARE(m().txtAngaben[8]->text(), QStringLiteral("Bonn"));
            other.exec("ROLLBACK");
        }
        save();
        QCOMPARE(storedRecord(db(), 1)["KOrt"].toString(), QStringLiteral("Bonn"));
    }

    void changeByAnotherWorkstationIsNeverOverwrittenSilently_data() {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<int>("answer"); // to the conflict question
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown"); // the town the window shows afterwards
        QTest::addColumn<bool>("editing");
        auto row = [](const char* tag, bool deleted, Answer answer, const char* stored,
                      const char* shown, bool editing) {
            QTest::newRow(tag) << deleted << int(answer) << stored << shown << editing;
        };
        row("changed, keep mine", false, Answer::Yes, "Bonn", "Bonn", false);
        row("changed, take theirs", false, Answer::No, "Ulm", "Ulm", false);
        row("changed, back to input", false, Answer::Cancel, "Ulm", "Bonn", true);
        row("deleted, store again", true, Answer::Yes, "Bonn", "Bonn", false);
        row("deleted, drop", true, Answer::No, "", "-", false);
    }
    void changeByAnotherWorkstationIsNeverOverwrittenSilently() {
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
            other.view->actions.deleteRecord->trigger();
        } else {
            other.view->actions.changeRecord->trigger();
            other.view->txtAngaben[8]->setText("Ulm");
            other.view->actions.saveRecord->trigger(); // answered Yes
        }
        w->boxes.answers = {Answer::Yes, Answer(answer)};
        command(Speichern);
        const auto& question = w->boxes.shown.back();
        QCOMPARE(question.buttons, MessageBoxes::Buttons::YesNoCancel);
        QVERIFY2(question.text.contains(deleted ? "gelöscht" : "geändert (Ort (Kind)"),
                 qPrintable(question.text));
        QCOMPARE(storedRecord(db(), 1)["KOrt"].toString(), stored);
        QCOMPARE(m().txtAngaben[8]->text(), shown);
        QCOMPARE(m().actions.saveRecord->isEnabled(), editing);
        other.boxes.answers = {Answer::No};
        other.close();
    }

    void closingWhileEditingAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("save") << int(Answer::Yes) << true << "Bonn";
        QTest::newRow("discard") << int(Answer::No) << true << "Köln";
        QTest::newRow("back to the record") << int(Answer::Cancel) << false << "Köln";
    }
    void closingWhileEditingAsks() {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(QString, stored);
        startWith({childRecord(1, "Maier", "Anna", {{"KOrt", "Köln"}})});
        command(Aendern);
        typeInto(m().txtAngaben[8], "Bonn");
        w->boxes.answers = {Answer(answer)};
        m().actions.quit->trigger(); // "&Beenden"
        QCOMPARE(w->boxes.shown.back().text, kSaveQuestion);
        QCOMPARE(w->boxes.shown.back().buttons, MessageBoxes::Buttons::YesNoCancel);
        QCOMPARE(w->window->isVisible(), !closed);
        QCOMPARE(storedRecord(db(), 1)["KOrt"].toString(), stored);
        if (closed)
            return;
        QCOMPARE(m().txtAngaben[8]->text(), QStringLiteral("Bonn"));
        // A save that fails keeps the window open with the input.
        typeInto(m().txtBerechnung[1], ",");
        w->boxes.answers = {Answer::Yes};
        w->close();
        QVERIFY(w->window->isVisible());
        QVERIFY(w->boxes.shown.back().text.contains("\"Faktor Kind\""));
    }

    // Text comes into a record box by keys, Ctrl+V, the edit menu, the box's own context menu, a
    // drop and the middle mouse button; the box's rules hold on every way alike. A pasted text is
    // cleaned as a copied cell needs, then taken whole or refused whole: silently for a character
    // the box does not take, with the message when it would be too long.
    void everyWayInObeysTheRules_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("limit"); // of the message shown; 0: none
        const QString x30(30, u'x');
        for (const char* how : {"Ctrl+V", "edit menu", "context menu", "drop", "middle button"}) {
            auto row = [how](const char* tag, const char* control, const QString& before,
                             const QString& input, const QString& after, int limit = 0) {
                QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(how, tag)))
                    << how << control << before << input << after << limit;
            };
            // One case of each rule the way must pass through: the cell cleaned, the size with
            // and without the text already there, a choice box, a refused character. The rules
            // themselves are tabled in tst_editrules.
            row("copied cell", "txtAngaben_0", "", "Müller\n", "Müller");
            row("cell of exactly the size", "txtAngaben_0", "", x30 + "\r\n", x30);
            row("name too long", "txtAngaben_0", "", QString(41, u'y'), "", 30);
            row("appended beyond the size", "txtAngaben_7", "8033", "1234", "8033", 7);
            row("choice box", "cmbMNat", "", QString(21, u'd'), "", 20);
            row("letter in the number", "txtNr", "", "4x", "");
        }
        auto typed = [](const char* tag, const char* control, const QString& before,
                        const QString& input, const QString& after, int limit = 0) {
            QTest::newRow(qPrintable(QStringLiteral("keys: %1").arg(tag)))
                << "keys" << control << before << input << after << limit;
        };
        typed("at the size", "txtAngaben_0", x30, "b", x30, 30);
        typed("backspace at the size", "txtAngaben_0", x30, "\b", x30.left(29));
        typed("choice box at its size", "cmbKNat", QString(20, u'd'), "d", QString(20, u'd'), 20);
        typed("number", "txtNr", "", "1a2-3", "123");
        typed("fee", "txtBerechnung_0", "", "12,5x.,", "12,5");
        typed("count above 3", "txtGAnz", "", "4", "");
        typed("count of one digit", "txtGAnz", "", "21", "2");
    }
    void everyWayInObeysTheRules() {
        QFETCH(QString, how);
        QFETCH(QString, control);
        QFETCH(QString, before);
        QFETCH(QString, input);
        QFETCH(QString, after);
        QFETCH(int, limit);
        if (how == "middle button" && !QGuiApplication::clipboard()->supportsSelection())
            QSKIP("The middle button pastes the selection, which only a desktop has (under X11 "
                  "this test runs as tst_window_edit_x11).");
        startWith({childRecord(1, "Maier", "Anna")});
        w->boxes.answers = {Answer::No};
        command(Neu);
        QWidget* target = w->window->findChild<QWidget*>(control);
        auto* box = qobject_cast<QComboBox*>(target);
        QLineEdit* edit = box ? box->lineEdit() : qobject_cast<QLineEdit*>(target);
        m().SSTab1->setCurrentIndex(control == "txtGAnz" ? 2 : control == "cmbMNat" ? 1 : 0);
        target->setFocus();
        edit->setText(before);
        edit->end(false);
        w->takeBoxes();
        if (how == "keys") {
            QTest::keyClicks(target, input);
        } else if (how == "drop") {
            QVERIFY(edit->acceptDrops());
            QMimeData data;
            data.setText(input);
            const QPoint end(edit->width() - 2, edit->height() / 2);
            QDragEnterEvent enter(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(edit, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(edit, &drop);
        } else if (how == "middle button") {
            QGuiApplication::clipboard()->setText(input, QClipboard::Selection);
            QTest::mouseClick(edit, Qt::MiddleButton, {}, QPoint(edit->width() - 2, 5));
        } else {
            QGuiApplication::clipboard()->setText(input);
            if (how == "Ctrl+V") {
                QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
            } else if (how == "edit menu") {
                emit m().mnuEdit->aboutToShow();
                m().actions.paste->trigger();
            } else {
                // The box's own menu, as a right click opens it; its entry that pastes.
                std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
                QAction* paste = nullptr;
                for (QAction* a : menu->actions())
                    if (a->text().remove(u'&').startsWith(QLatin1String("Paste")) ||
                        a->text().remove(u'&').startsWith(QStringLiteral("Einfügen")))
                        paste = a;
                QVERIFY(paste && paste->isEnabled());
                paste->trigger();
            }
        }
        QCOMPARE(edit->text(), after);
        QCOMPARE(w->takeBoxes(), limit ? QStringList{tooLong(limit)} : QStringList());
    }

    // The remark takes up to its limit on every way; what goes beyond is left out, with the
    // message.
    void remarkKeepsItsLimit() {
        startWith({childRecord(1, "Maier", "Anna")});
        command(Aendern);
        m().SSTab1->setCurrentIndex(2);
        m().txtBem->setFocus();
        m().txtBem->selectAll();
        QGuiApplication::clipboard()->setText(QString(65536, u'r'));
        QTest::keyClick(m().txtBem, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m().txtBem->toPlainText(), QString(65535, u'r'));
        QCOMPARE(w->takeBoxes(), QStringList{tooLong(65535)});
        QTest::keyClicks(m().txtBem, "s");
        QCOMPARE(m().txtBem->toPlainText(), QString(65535, u'r'));
        QCOMPARE(w->takeBoxes(), QStringList{tooLong(65535)});
        save();
        QCOMPARE(storedRecord(db(), 1)["Bem"].toString(), QString(65535, u'r'));
    }

    // A stored remark longer than the limit (written by an import) is shown and kept whole.
    void longerStoredRemarkIsKeptWhole() {
        startWith({childRecord(1, "Maier", "Anna", {{"Bem", QString(70000, u'r')}})});
        command(Aendern);
        save();
        QCOMPARE(storedRecord(db(), 1)["Bem"].toString().size(), 70000);
        QVERIFY(w->takeBoxes().size() == 1); // the question only
    }

    void enterMovesAlongFixedOrderAcrossTabs() {
        startWith({childRecord(1, "Maier", "Anna", {{"GAnz", 1}})});
        command(Aendern);
        auto enterFrom = [this](QWidget* from) {
            from->setFocus();
            QTest::keyClick(from, Qt::Key_Return);
            return QApplication::focusWidget();
        };
        QCOMPARE(enterFrom(m().txtAngaben[3]), m().cmbKKonf);
        QCOMPARE(enterFrom(m().cmbKNat), m().txtAngaben[6]);
        QCOMPARE(enterFrom(m().txtAngaben[17]), m().txtBerechnung[0]);
        QCOMPARE(enterFrom(m().chckKEssen), m().txtAngaben[15]);
        QCOMPARE(enterFrom(m().txtBerechnung[3]), m().txtAngaben[18]);
        QCOMPARE(m().SSTab1->currentIndex(), 1);
        QCOMPARE(enterFrom(m().txtAngaben[21]), m().cmbMKonf);
        QCOMPARE(enterFrom(m().txtAngaben[43]), m().txtGAnz);
        QCOMPARE(m().SSTab1->currentIndex(), 2);
        QCOMPARE(enterFrom(m().txtGAnz), m().txtAngaben[44]);
        // The second sibling row is hidden (one sibling): on to the remark.
        QCOMPARE(enterFrom(m().txtAngaben[47]), m().txtBem);
        m().txtGAnz->setText("0");
        QCOMPARE(enterFrom(m().txtGAnz), m().txtBem);
        // In the remark Enter breaks the line.
        m().txtBem->setPlainText("a");
        m().txtBem->moveCursor(QTextCursor::End);
        QTest::keyClick(m().txtBem, Qt::Key_Return);
        QCOMPARE(m().txtBem->toPlainText(), QStringLiteral("a\n"));
    }

    // A click on a tab shows its page without putting the focus into a box; the box left gets
    // its filler, and a click into a box selects its text, so typing replaces it. A box not being
    // typed in shows its text from the beginning.
    void tabClickShowsThePageOnly() {
        startWith(
            {childRecord(1, "Maier", "Anna", {{"KOrt", "Gießen"}, {"Bem", "Zeile 1\nZeile 2"}})});
        QLineEdit* place = m().txtAngaben[8];
        QCOMPARE(place->cursorPosition(), 0); // a value longer than its box shows its beginning
        command(Aendern);
        typeInto(place, "\b");
        QTabBar* tabs = m().SSTab1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        QCOMPARE(m().SSTab1->currentIndex(), 1);
        QCOMPARE(place->text(), QStringLiteral("-"));
        QVERIFY(!m().SSTab1->currentWidget()->isAncestorOf(focus()));
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
        QVERIFY(!m().SSTab1->currentWidget()->isAncestorOf(focus()));
        QTest::mouseClick(place, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(place, "Gießen");
        QCOMPARE(place->text(), QStringLiteral("Gießen"));
        // The remark, entered by its tab or by Enter, is never selected: the cursor is at its end.
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        m().txtGAnz->setFocus();
        m().pressEnter(m().txtGAnz);
        QCOMPARE(focus(), m().txtBem);
        QCOMPARE(place->cursorPosition(), 0); // so does a box left
        QVERIFY(!place->hasSelectedText());
        QVERIFY(!m().txtBem->textCursor().hasSelection());
        QVERIFY(m().txtBem->textCursor().atEnd());
        QTest::keyClicks(m().txtBem, "!");
        QCOMPARE(m().txtBem->toPlainText(), QStringLiteral("Zeile 1\nZeile 2!"));
    }

    void leavingFieldsWritesFillersAndProposals() {
        startWith({childRecord(1, "Maier", "Anna", {{"MNach", "-"}, {"VNach", "Schulz"}})});
        command(Aendern);
        auto leave = [](QWidget* from, QWidget* to) {
            from->setFocus();
            to->setFocus();
        };
        typeInto(m().txtAngaben[6], "\b");
        leave(m().txtAngaben[6], m().txtAngaben[7]);
        QCOMPARE(m().txtAngaben[6]->text(), QStringLiteral("-"));
        // The child's religion is proposed to the parents' empty or filler boxes only.
        m().cmbMKonf->setEditText("o.K.");
        m().cmbVKonf->setEditText("rk.");
        m().cmbKKonf->setEditText("ev.");
        leave(m().cmbKKonf, m().cmbKNat);
        QCOMPARE(m().cmbMKonf->currentText(), QStringLiteral("ev."));
        QCOMPARE(m().cmbVKonf->currentText(), QStringLiteral("rk."));
        // An empty religion becomes "o.K." and an empty nationality "-", the child's as the
        // parents', as the save stores them.
        m().cmbKNat->setEditText(QString());
        leave(m().cmbKNat, m().txtAngaben[6]);
        QCOMPARE(m().cmbKNat->currentText(), QStringLiteral("-"));
        m().cmbKKonf->setEditText(QString());
        leave(m().cmbKKonf, m().cmbKNat);
        QCOMPARE(m().cmbKKonf->currentText(), QStringLiteral("o.K."));
        m().cmbMKonf->setEditText(QString());
        leave(m().cmbMKonf, m().cmbMNat);
        QCOMPARE(m().cmbMKonf->currentText(), QStringLiteral("o.K."));
        // Entering the parents' surnames proposes the child's, but never over a name.
        m().txtAngaben[18]->setFocus();
        QCOMPARE(m().txtAngaben[18]->text(), QStringLiteral("Maier"));
        QCOMPARE(m().txtAngaben[18]->selectedText(), QStringLiteral("Maier"));
        m().txtAngaben[31]->setFocus();
        QCOMPARE(m().txtAngaben[31]->text(), QStringLiteral("Schulz"));
        // The sibling rows a typed count shows get the child's surname where nothing is typed.
        m().SSTab1->setCurrentIndex(2);
        m().txtAngaben[44]->setText("Weber");
        typeInto(m().txtGAnz, "2");
        QVERIFY(m().txtAngaben[48]->isVisible() && !m().txtAngaben[52]->isVisible());
        QCOMPARE(m().txtAngaben[44]->text(), QStringLiteral("Weber"));
        QCOMPARE(m().txtAngaben[48]->text(), QStringLiteral("Maier"));
    }

    void feeSumFollowsLeavingAFeeField() {
        startWith({childRecord(1, "Maier", "Anna", {{"KBasis", 150}, {"KFaktor", 1.2}})});
        command(Aendern);
        auto enter = [this](int fee, const QString& text) {
            typeInto(m().txtBerechnung[size_t(fee)], text);
            m().pressEnter(m().txtBerechnung[size_t(fee)]);
            return m().txtBerechnung[3]->text();
        };
        QCOMPARE(enter(2, "0,85"), QStringLiteral("153"));
        // An emptied factor becomes 1 when it is left.
        QCOMPARE(enter(1, "\b"), QStringLiteral("127,5"));
        QCOMPARE(m().txtBerechnung[1]->text(), QStringLiteral("1"));
        // A text that is no number keeps the previous sum.
        QCOMPARE(enter(0, ","), QStringLiteral("127,5"));
        QVERIFY(w->takeBoxes().contains(QStringLiteral(
            "Im Feld \"Basiswert\" steht \",\". Das ist keine Zahl; erlaubt sind Ziffern mit "
            "höchstens einem Komma, zum Beispiel 2,5.")));
        // A save straight after typing stores the sum of what was typed.
        typeInto(m().txtBerechnung[0], "200");
        QTest::keyClick(m().txtBerechnung[0], Qt::Key_S, Qt::ControlModifier);
        save();
        QCOMPARE(storedRecord(db(), 1)["KSumme"].toDouble(), 170.0);
    }

    // A sum beyond what the column holds is said when a fee box is left, shown whole, and
    // refused at the save, naming the field; nothing is cut and stored as another number.
    void feeSumBeyondTheColumnIsRefused() {
        startWith({childRecord(1, "Maier", "Anna")});
        command(Aendern);
        for (int fee = 0; fee < 3; ++fee) {
            typeInto(m().txtBerechnung[size_t(fee)], "999999999999999");
            m().pressEnter(m().txtBerechnung[size_t(fee)]);
        }
        const QStringList said = w->takeBoxes();
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].contains("im Feld \"Summe\" ist zu groß"), qPrintable(said[0]));
        QCOMPARE(m().txtBerechnung[3]->text(), "999999999999997" + QString(30, u'0'));
        save();
        QVERIFY(w->takeBoxes().last().contains("im Feld \"Summe\" ist zu groß"));
        QCOMPARE(storedRecord(db(), 1)["KBasis"].toDouble(), 0.0);
        QCOMPARE(focus(), m().txtBerechnung[3]);
    }

    void choiceListsListStoredValuesOnceInOrder() {
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
};

QTEST_MAIN(TestEdit)
#include "tst_window_edit.moc"
