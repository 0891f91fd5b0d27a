// Printing through the real window: "&Drucken..." follows the table's records, the lists are read
// from the file without moving the table or touching a record being typed, and an orientation or
// page layout chosen in the print dialog reaches Tarvex.ini at the end.

#include "printtestsupport.h"
#include "testsupport.h"

#include <QFileDialog>
#include <QRadioButton>
#include <QSpinBox>

class TestWindowPrint : public WindowTest {
    Q_OBJECT

    void start() {
        startWith({childRecord(1, "Maier", "Anna", {{"KGrp", "Bären"}}),
                   childRecord(2, "Huber", "Ben", {{"KGrp", "Igel"}}),
                   childRecord(3, "Zeller", "Carla", {{"KGrp", "Bären"}})});
    }

  private slots:
    // Enabled exactly while the table has rows; Ctrl+P opens the dialog then, and never on an empty
    // list.
    void entryFollowsTheTable() {
        start();
        QAction* print = m().actions.print;
        QVERIFY(print->isEnabled());
        QTest::keyClicks(m().txtSuch[0], QStringLiteral("Xaver"));
        QCOMPARE(m().gridModel()->rowCount(), 0);
        QVERIFY(!print->isEnabled());
        auto opened = whenOpen("PrintDialog", [](QDialog*) {});
        QTest::keyClick(m().txtSuch[0], Qt::Key_P, Qt::ControlModifier);
        QApplication::processEvents();
        QVERIFY(!*opened);

        m().cmdSucheLoeschen->click();
        QVERIFY(print->isEnabled());
        opened = whenOpen("PrintDialog", [&](QDialog* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Drucken ..."));
            QCOMPARE(d->parentWidget(), w->window.get());
        });
        QTest::keyClick(m().DataGrid, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(*opened);
    }

    void listComesFromTheFileAndMovesNothing_data() {
        QTest::addColumn<bool>("typing"); // a new record is being entered meanwhile
        QTest::newRow("browsing") << false;
        QTest::newRow("new record being entered") << true;
    }

    // The group list of the file as a PDF: every stored child, by group, while the table keeps its
    // current row, the record shown stays, and what is being typed stays as typed (and is not in
    // the list, as it is not stored yet).
    void listComesFromTheFileAndMovesNothing() {
        QFETCH(bool, typing);
        start();
        m().clickRow(1);
        const QString shown = m().txtNr->text();
        const int row = m().DataGrid->currentIndex().row();
        if (typing) {
            w->boxes.answers = {Answer::No}; // not a copy of the record shown
            m().actions.newRecord->trigger();
            QTest::keyClicks(m().txtAngaben[0], QStringLiteral("Neumann"));
        }
        const QString pdf = folder->file("Gruppen.pdf");
        w->boxes.answer<QFileDialog>(chooseFile(pdf));
        const auto opened = whenOpen("PrintDialog", [](QDialog* d) {
            click(d, "optListe2");
            click(d, "cmdPdf");
        });
        m().actions.print->trigger();
        QVERIFY(*opened);
        QVERIFY(QFileInfo::exists(pdf));
        // A screen reader learns the language of the text; a viewer shows the title.
        const QByteArray bytes = folder->read("Gruppen.pdf");
        QVERIFY(bytes.contains("/Lang (de-DE)") && bytes.contains("/DisplayDocTitle true"));
        QCOMPARE(m().DataGrid->currentIndex().row(), row);
        if (typing) {
            QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("Neumann"));
            QCOMPARE(m().txtNr->text(), QStringLiteral("4"));
        } else {
            QCOMPARE(m().txtNr->text(), shown);
        }
        if (!havePdfToText())
            QSKIP("pdftotext is not installed");
        const QString text = pdfPages(pdf).join(QString());
        const qsizetype baeren = text.indexOf(QStringLiteral("Bären"));
        const qsizetype igel = text.indexOf(QStringLiteral("Igel"));
        QVERIFY(baeren >= 0 && igel > baeren);
        QVERIFY(text.indexOf(QStringLiteral("Zeller")) < igel);
        QVERIFY(text.indexOf(QStringLiteral("Huber")) > igel);
        QVERIFY(!text.contains(QStringLiteral("Neumann")));
    }

    // Querformat chosen in the print dialog holds though the dialog is cancelled; its
    // "Seitenlayout" opens the options above it on their page tab, and what they apply there comes
    // back into the print dialog and reaches the file.
    void orientationAndPageLayoutReachTheFile() {
        start();
        const auto opened = whenOpen("PrintDialog", [&](QDialog* print) {
            click(print, "optQuer");
            const auto options = whenOpen("Options", [&](QDialog* d) {
                QCOMPARE(d->parentWidget(), print);
                QCOMPARE(control<QTabWidget>(d, "SSTab")->currentIndex(), 1);
                QVERIFY(control<QRadioButton>(d, "optQuer")->isChecked());
                control<QSpinBox>(d, "UpDownOb")->stepUp();
                click(d, "optHoch");
                click(d, "cmdOK");
            });
            click(print, "cmdDruckenOption");
            QVERIFY(*options);
            QVERIFY(control<QRadioButton>(print, "optHoch")->isChecked());
            click(print, "optQuer");
            click(print, "cmdCancel");
        });
        m().actions.print->trigger();
        QVERIFY(*opened);
        w->close();
        const QByteArray ini = folder->read("Tarvex.ini");
        QVERIFY(ini.contains("Ausrichtung=0\r\n"));
        QVERIFY(ini.contains("AbstandO=11\r\n"));
    }
};

QTEST_MAIN(TestWindowPrint)
#include "tst_window_print.moc"
