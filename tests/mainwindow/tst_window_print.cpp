// Printing through the real window: "&Drucken..." follows the table's records, the lists are read
// from the file without moving the table or touching a record being typed, and an orientation or
// page layout chosen in the print dialog reaches Tarvex.ini at the end.

#include "printtestsupport.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

using Answer = MessageBoxes::Answer;

namespace {

template <class T> T* control(QWidget* dialog, const char* name) {
    T* w = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

void click(QWidget* dialog, const char* name) {
    control<QAbstractButton>(dialog, name)->click();
}

// Runs script on the modal dialog named name as soon as it is open; one the script leaves open is
// cancelled. Returns whether it opened.
std::shared_ptr<bool> whenOpen(const char* name, std::function<void(QDialog*)> script) {
    auto opened = std::make_shared<bool>(false);
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String(name))
            return;
        *opened = true;
        QApplication::setActiveWindow(dialog);
        script(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    return opened;
}

} // namespace

class TestWindowPrint : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void entryFollowsTheTable();
    void listComesFromTheFileAndMovesNothing_data();
    void listComesFromTheFileAndMovesNothing();
    void orientationAndPageLayoutReachTheFile();

  private:
    WindowView& m() { return *w->view; }

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<WindowUnderTest> w;
};

void TestWindowPrint::init() {
    folder = std::make_unique<ProgramFolder>();
    createDatabase(folder->file("TarvexDB.mdb"),
                   {childRecord(1, "Maier", "Anna", {{"KGrp", "Bären"}}),
                    childRecord(2, "Huber", "Ben", {{"KGrp", "Igel"}}),
                    childRecord(3, "Zeller", "Carla", {{"KGrp", "Bären"}})});
    w = std::make_unique<WindowUnderTest>(folder->path());
    QVERIFY(w->start());
    w->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->window.get()));
    QApplication::setActiveWindow(w->window.get());
}

void TestWindowPrint::cleanup() {
    if (w && w->window) {
        w->boxes.answers = {Answer::No}; // a record still being entered is dropped
        w->close();
    }
    w.reset();
    folder.reset();
}

// Enabled exactly while the table has rows; Ctrl+P opens the dialog then, and never on an empty
// list.
void TestWindowPrint::entryFollowsTheTable() {
    QAction* print = m().mnuFileSub[1];
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

void TestWindowPrint::listComesFromTheFileAndMovesNothing_data() {
    QTest::addColumn<bool>("typing"); // a new record is being entered meanwhile
    QTest::newRow("browsing") << false;
    QTest::newRow("new record being entered") << true;
}

// The group list of the file as a PDF: every stored child, by group, while the table keeps its
// current row, the record shown stays, and what is being typed stays as typed (and is not in the
// list, as it is not stored yet).
void TestWindowPrint::listComesFromTheFileAndMovesNothing() {
    QFETCH(bool, typing);
    m().clickRow(1);
    const QString shown = m().txtNr->text();
    const int row = m().DataGrid->currentIndex().row();
    if (typing) {
        w->boxes.answers = {Answer::No}; // not a copy of the record shown
        m().mnuDSSub[0]->trigger();
        m().type(m().txtAngaben[0], QStringLiteral("Neumann"));
    }
    const QString pdf = folder->file("Gruppen.pdf");
    w->printSetup = [&](PrintDialog::Setup& s) {
        s.fileDialogRunner = [&](QFileDialog& d) {
            d.selectFile(pdf);
            static_cast<QDialog&>(d).done(QDialog::Accepted);
        };
    };
    const auto opened = whenOpen("PrintDialog", [](QDialog* d) {
        click(d, "optListe2");
        click(d, "cmdPdf");
    });
    m().mnuFileSub[1]->trigger();
    QVERIFY(*opened);
    QVERIFY(QFileInfo::exists(pdf));
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

// Querformat chosen in the print dialog holds though the dialog is cancelled; its "Seitenlayout"
// opens the options above it on their page tab, and what they apply there comes back into the
// print dialog and reaches the file.
void TestWindowPrint::orientationAndPageLayoutReachTheFile() {
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
    m().mnuFileSub[1]->trigger();
    QVERIFY(*opened);
    w->close();
    const QByteArray ini = folder->read("Tarvex.ini");
    QVERIFY(ini.contains("Ausrichtung=0\r\n"));
    QVERIFY(ini.contains("AbstandO=11\r\n"));
}

QTEST_MAIN(TestWindowPrint)
#include "tst_window_print.moc"
