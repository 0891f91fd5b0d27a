#include "controls.h"
#include "printpreview.h"
#include "printtestsupport.h"
#include "rawaccess.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

class TestPrintDialog : public QObject {
    Q_OBJECT

  private slots:
    // The dialog opens with the first list, one copy and the orientation of the settings; the
    // orientation chosen, by the options, the printer set-up (confirmed or not) or the page layout,
    // goes into the settings at once and is reported.
    void orientation_data() {
        QTest::addColumn<bool>("before");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("after");

        QTest::newRow("opened portrait") << true << "" << true;
        QTest::newRow("opened landscape") << false << "" << false;
        QTest::newRow("Querformat clicked") << true << "optQuer" << false;
        QTest::newRow("set-up: landscape") << true << "setup landscape" << false;
        QTest::newRow("set-up: landscape, cancelled") << true << "setup landscape cancel" << false;
        QTest::newRow("set-up: portrait") << false << "setup portrait" << true;
        QTest::newRow("set-up without a printer") << true << "setup noprinter" << true;
        QTest::newRow("page layout: landscape") << true << "layout" << false;
    }

    void orientation() {
        QFETCH(bool, before);
        QFETCH(QString, action);
        QFETCH(bool, after);
        PrintFixture f(realisticChildren(5));
        f.settings.Hochformat = before;
        PrintDialog::Setup setup = f.setup();
        setup.printerAvailable = [&] { return !action.contains("noprinter"); };
        std::optional<bool> setupShownPortrait;
        f.boxes.answer<QPageSetupDialog>([&](QPageSetupDialog& dialog) {
            QCOMPARE(dialog.printer(), setup.printer.get());
            setupShownPortrait =
                dialog.printer()->pageLayout().orientation() == QPageLayout::Portrait;
            dialog.printer()->setPageOrientation(
                action.contains("landscape") ? QPageLayout::Landscape : QPageLayout::Portrait);
            dialog.setResult(action.contains("cancel") ? QDialog::Rejected : QDialog::Accepted);
        });
        setup.openPageLayout = [&] {
            Settings s = f.settings;
            s.Hochformat = false;
            return s;
        };
        PrintDialog d(setup);
        QSignalSpy changed(&d, &PrintDialog::hochformatChanged);
        d.show();
        QCOMPARE(d.windowTitle(), QStringLiteral("Drucken ..."));
        QVERIFY(control<QRadioButton>(&d, "optListe1")->isChecked());
        QCOMPARE(control<QLineEdit>(&d, "txtAnzahl")->text(), QStringLiteral("1"));
        if (action.startsWith("opt")) {
            click(&d, action.toLatin1().constData());
        } else if (action.startsWith("setup")) {
            // The test's printer writes PDF files, which Qt's page set-up warns of.
            if (!action.contains("noprinter"))
                QTest::ignoreMessage(QtWarningMsg,
                                     "QPageSetupDialog: Cannot be used on non-native printers");
            click(&d, "cmdPrnSetup");
            QCOMPARE(setupShownPortrait.has_value(), !action.contains("noprinter"));
            if (setupShownPortrait)
                QCOMPARE(*setupShownPortrait, before);
            else
                QCOMPARE(f.boxes.texts(), QStringList{"Es ist kein Drucker eingerichtet."});
        } else if (action == "layout") {
            click(&d, "cmdDruckenOption");
        }
        QCOMPARE(d.settings().Hochformat, after);
        QCOMPARE(control<QRadioButton>(&d, "optHoch")->isChecked(), after);
        QCOMPARE(control<QRadioButton>(&d, "optQuer")->isChecked(), !after);
        QCOMPARE(control<QLabel>(&d, "imgHoch")->isVisible(), after);
        QCOMPARE(control<QLabel>(&d, "imgQuer")->isVisible(), !after);
        QCOMPARE(changed.size(), before == after ? 0 : 1);
        click(&d, "cmdCancel"); // the settings keep what was chosen
        QCOMPARE(d.settings().Hochformat, after);
    }

    void copyCountTypedAndLeft() {
        PrintFixture f(realisticChildren(5));
        PrintDialog::Setup setup = f.setup();
        int previews = 0;
        f.boxes.answer<PrintPreview>([&](PrintPreview&) { ++previews; });
        PrintDialog d(setup);
        QVERIFY(showActive(&d));
        auto* txt = control<QLineEdit>(&d, "txtAnzahl");
        // Left (as pasted) over 99 it holds 99, says so and keeps the focus; otherwise it holds
        // the count it stands for and the focus moves on.
        const std::pair<const char*, const char*> leaving[] = {
            {"150", "99"}, {"", "1"}, {"0", "1"}, {"42", "42"}};
        for (const auto& [pasted, left] : leaving) {
            txt->setFocus();
            txt->setText(QString::fromLatin1(pasted));
            QTest::keyClick(txt, Qt::Key_Tab);
            QCOMPARE(txt->text(), QString::fromLatin1(left));
            QCOMPARE(QApplication::focusWidget() == txt, qstrcmp(pasted, "150") == 0);
        }
        QCOMPARE(f.boxes.shown.size(), size_t(1));
        const auto& box = f.boxes.shown.front();
        QCOMPARE(box.text, QStringLiteral("Der Wert ist zu groß.\r\rEs können nur max. 99 Seiten "
                                          "eingegeben werden."));
        QCOMPARE(box.title, QStringLiteral("Tarvex"));
        QCOMPARE(box.icon, MessageBoxes::Icon::Information);
        QCOMPARE(box.buttons, MessageBoxes::Buttons::Ok);

        // Typed: digits only, two at most.
        txt->setFocus();
        txt->clear();
        QTest::keyClicks(txt, QStringLiteral("1a-23"));
        QCOMPARE(txt->text(), QStringLiteral("12"));
        // Two digits, selected or not, refuse a third; one selected digit is replaced.
        txt->selectAll();
        QTest::keyClick(txt, Qt::Key_7);
        QCOMPARE(txt->text(), QStringLiteral("12"));
        QTest::keyClick(txt, Qt::Key_Backspace);
        txt->selectAll();
        QTest::keyClick(txt, Qt::Key_5);
        QCOMPARE(txt->text(), QStringLiteral("5"));
        click(&d, "UpDownUp");
        QCOMPARE(txt->text(), QStringLiteral("6"));

        // Enter moves on to "Voransicht" without pressing it; Enter on a button presses it, on any
        // other control nothing.
        QTest::keyClick(txt, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(&d, "cmdPreview"));
        QCOMPARE(previews, 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(previews, 1);
        control<QRadioButton>(&d, "optListe2")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(previews, 1);
        QVERIFY(d.isVisible());
    }

    // Without a printer the list is offered as a PDF file. With one, every copy is a job of its
    // own from page one; a job that cannot be started is reported with the copies printed, and
    // the dialog stays usable.
    void printButton() {
        PrintFixture f(realisticChildren(150));
        PrintDialog::Setup setup = f.setup();
        bool printer = false;
        setup.printerAvailable = [&] { return printer; };
        QStringList jobs;
        setup.beforeJob = [&](QPrinter& p, int copy) {
            jobs << f.path(copy < 3 ? QStringLiteral("job%1.pdf").arg(copy) : "fehlt/job.pdf");
            p.setOutputFileName(jobs.constLast());
        };
        const QString path = f.path(QStringLiteral("ohne Drucker.pdf"));
        f.boxes.answer<QFileDialog>(chooseFile(path));
        PrintDialog d(setup);
        d.show();
        f.boxes.answers = {MessageBoxes::Answer::No, MessageBoxes::Answer::Yes};
        click(&d, "cmdPrint");
        QVERIFY(!QFile::exists(path));
        click(&d, "cmdPrint");
        QVERIFY(QFile::exists(path));
        QCOMPARE(f.boxes.shown.front().buttons, MessageBoxes::Buttons::YesNo);

        printer = true;
        click(&d, "optListe3");
        control<QLineEdit>(&d, "txtAnzahl")->setText(QStringLiteral("3"));
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        click(&d, "cmdPrint");
        const QString offer = QStringLiteral("Es ist kein Drucker eingerichtet.\r\rMöchten Sie die "
                                             "Liste stattdessen als PDF-Datei speichern?");
        QCOMPARE(f.boxes.texts(),
                 (QStringList{offer, offer,
                              "Die Liste konnte nicht gedruckt werden.\r\rBitte prüfen Sie, ob "
                              "der Drucker bereit und richtig eingerichtet ist.\r\rGedruckt "
                              "wurden 2 von 3 Exemplaren."}));
        QCOMPARE(jobs.size(), 3);
        for (const QString& job : jobs.mid(0, havePdfToText() ? 2 : 0)) {
            const QStringList pages = pdfPages(job);
            QCOMPARE(pages.size(), 3);
            for (int p = 0; p < pages.size(); ++p)
                QCOMPARE(pageNumberOn(pages[p]), p + 1);
        }
        QVERIFY(QFile::remove(path));
        click(&d, "cmdPdf");
        QVERIFY(QFile::exists(path));
        QCOMPARE(f.boxes.shown.size(), size_t(3));
    }

    // Three pages in portrait, whatever the number of copies; the panels page back and on as far as
    // there are pages, and "Exit" closes. A landscape sheet fits the window: centred, no bar.
    void previewPagesThroughTheList() {
        PrintFixture f(realisticChildren(150));
        PrintDialog::Setup setup = f.setup();
        QStringList counters;
        QList<QSize> sheets;
        bool closed = false;
        bool vScroll = false;
        f.boxes.answer<PrintPreview>([&](PrintPreview& p) {
            p.setWindowState(Qt::WindowNoState);
            p.resize(1400, 1000);
            QVERIFY(showActive(&p));
            QCOMPARE(p.windowTitle(), QStringLiteral("Voransicht"));
            sheets << p.sheetSize();
            vScroll = p.layout().vScrollVisible;
            auto* counter = control<QLabel>(&p, "Panel2");
            counters << counter->text();
            for (const char* panel : {"Panel3", "Panel3", "Panel3", "Panel1", "Panel1", "Panel1"}) {
                QTest::mouseClick(control<QLabel>(&p, panel), Qt::LeftButton);
                counters << counter->text();
            }
            QTest::mouseClick(control<QLabel>(&p, "Panel5"), Qt::LeftButton);
            closed = !p.isVisible();
        });
        const QString path = f.path(QStringLiteral("vergleich.pdf"));
        f.boxes.answer<QFileDialog>(chooseFile(path));
        PrintDialog d(setup);
        control<QLineEdit>(&d, "txtAnzahl")->setText(QStringLiteral("5"));
        click(&d, "cmdPreview");
        QCOMPARE(counters,
                 (QStringList{"1 / 3", "2 / 3", "3 / 3", "3 / 3", "2 / 3", "1 / 3", "1 / 3"}));
        QVERIFY(closed);
        QVERIFY(vScroll); // portrait A4 is 1123 pixels high, more than the window
        if (havePdfToText()) {
            click(&d, "cmdPdf");
            QCOMPARE(pdfPages(path).size(), 3); // the same pages as the preview
        }
        click(&d, "optQuer");
        click(&d, "cmdPreview");
        QVERIFY(sheets[1].width() > sheets[1].height());
        QVERIFY(!vScroll);
    }

    void pdfFile_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("chosen"); // empty: the file proposed
        QTest::addColumn<QString>("shows");

        const char* rows[][4] = {{"Namensliste", "optListe1", "", "Konfesion"},
                                 {"Gruppenauflistung", "optListe2", "", "Gruppe : "},
                                 {"Telefonliste", "optListe3", "", "V. Tel.Nr.2"},
                                 {"folder missing", "optListe1", "fehlt/Namensliste.pdf", ""}};
        for (const auto& r : rows)
            QTest::newRow(r[0]) << r[1] << r[2] << r[3];
    }

    // Proposed as "<list>.pdf" in the documents folder; written whole, or the user is told.
    void pdfFile() {
        QFETCH(QString, option);
        QFETCH(QString, chosen);
        QFETCH(QString, shows);
        PrintFixture f(realisticChildren(10));
        PrintDialog::Setup setup = f.setup();
        QString proposed;
        f.boxes.answer<QFileDialog>(
            chooseFile(chosen.isEmpty() ? QString() : f.path(chosen), &proposed));
        PrintDialog d(setup);
        click(&d, option.toLatin1().constData());
        click(&d, "cmdPdf");
        const QString title = control<QRadioButton>(&d, option.toLatin1().constData())->text();
        QCOMPARE(proposed, f.path(title + ".pdf"));
        if (!chosen.isEmpty()) {
            QCOMPARE(f.boxes.shown.size(), size_t(1));
            QVERIFY(f.boxes.shown.front().text.startsWith(
                "Die Datei\r" + QDir::toNativeSeparators(f.path(chosen)) + "\rkonnte nicht"));
            return;
        }
        QVERIFY(f.boxes.shown.empty());
        if (havePdfToText())
            QVERIFY(pdfPages(proposed).value(0).contains(shows));
    }

    void longListShowsProgressAndCanBeStopped_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("stopAt"); // the beginning of the label to stop at
        QTest::addColumn<bool>("output");
        QTest::addColumn<QString>("told");

        for (const char* button : {"cmdPrint", "cmdPreview", "cmdPdf"}) {
            const QString b = QLatin1String(button);
            QTest::newRow(qPrintable(b + ", stopped while planned"))
                << b << 400 << "Die Liste" << false << QString();
            QTest::newRow(qPrintable(b + ", to the end")) << b << 400 << "-" << true << QString();
            QTest::newRow(qPrintable(b + ", short list")) << b << 100 << "Die" << true << QString();
        }
        // A file stopped at a page is not written. The print system takes no job back: the two
        // pages given to it are printed, and the user is told so.
        QTest::newRow("cmdPdf, stopped at a page") << "cmdPdf" << 400 << "Seite 3 " << false << "";
        QTest::newRow("cmdPrint, stopped at a page")
            << "cmdPrint" << 400 << "Seite 3 " << true
            << QStringLiteral("Der Druck wurde abgebrochen.\r\rDie Seiten 1 bis 2 dieses Exemplars "
                              "waren schon an den Drucker gegeben und werden noch gedruckt.");
    }

    void longListShowsProgressAndCanBeStopped() {
        QFETCH(QString, button);
        QFETCH(int, rows);
        QFETCH(QString, stopAt);
        QFETCH(bool, output);
        QFETCH(QString, told);
        PrintFixture f(realisticChildren(rows));
        PrintDialog::Setup setup = f.setup();
        setup.printerAvailable = [] { return true; };
        const QString path = f.path(QStringLiteral("ausgabe.pdf"));
        setup.beforeJob = [&](QPrinter& printer, int) { printer.setOutputFileName(path); };
        f.boxes.answer<QFileDialog>(chooseFile(path));
        bool previewed = false;
        f.boxes.answer<PrintPreview>([&](PrintPreview&) { previewed = true; });
        int steps = 0;
        f.boxes.progress = [&](QProgressDialog& progress) {
            ++steps;
            if (progress.labelText().startsWith(stopAt))
                progress.cancel();
        };
        PrintDialog d(setup);
        click(&d, button.toLatin1().constData());
        QCOMPARE(steps > 0, rows > 250);
        QCOMPARE(button == "cmdPreview" ? previewed : QFile::exists(path), output);
        QCOMPARE(f.boxes.texts(), told.isEmpty() ? QStringList() : QStringList{told});
    }

    // A query the database refuses, margins that leave no room for a row and gaps that leave none
    // for the columns: the user is told, and nothing is printed or shown.
    void failuresPrintNothing() {
        PrintFixture f(realisticChildren(10));
        PrintDialog::Setup setup = f.setup();
        setup.printerAvailable = [] { return true; };
        int jobs = 0;
        setup.beforeJob = [&](QPrinter&, int) { ++jobs; };
        bool previewed = false;
        f.boxes.answer<PrintPreview>([&](PrintPreview&) { previewed = true; });
        setup.settings.AbstandO = setup.settings.AbstandU = 150;
        PrintDialog crowded(setup);
        click(&crowded, "cmdPrint");
        click(&crowded, "cmdPreview");
        QCOMPARE(f.boxes.shown.size(), size_t(2));
        QVERIFY(f.boxes.shown.front().text.contains("keinen Platz für eine Zeile"));
        setup.settings.AbstandO = setup.settings.AbstandU = 10;
        setup.settings.AbstandTab = 30;
        PrintDialog spread(setup);
        click(&spread, "cmdPreview");
        QCOMPARE(f.boxes.shown.size(), size_t(3));
        QVERIFY(f.boxes.shown.back().text.contains("passen auch gekürzt nicht"));

        // Another program renames a column of the list while the database is open.
        QVERIFY(RawConnection(f.path("TarvexDB.mdb"))
                    .exec("ALTER TABLE Daten RENAME COLUMN KStr TO Strasse"));
        PrintDialog refused(f.setup());
        click(&refused, "cmdPreview");
        QCOMPARE(f.boxes.shown.size(), size_t(4));
        const auto& box = f.boxes.shown.back();
        QVERIFY(box.text.startsWith("Fehler in <PrintDialog.Tabelle_drucken>\r\rNummer :"));
        QCOMPARE(box.title, QStringLiteral("Fehler"));
        QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
        QCOMPARE(jobs, 0);
        QVERIFY(!previewed);
    }
};

QTEST_MAIN(TestPrintDialog)
#include "tst_printdialog.moc"
