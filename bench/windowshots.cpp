// Pictures of the main window for looking at it: windowshots <program folder> <out folder>.
// Drives the real window (under Xvfb or a desktop) and saves PNGs of typical moments.

#include "testsupport.h"
#include "twips.h"
#include "widgetmessageboxes.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// The real message boxes, each answered from a script after a picture of the whole screen has
// been taken while it shows (a picture name for each box, empty for none).
class ShotBoxes : public WidgetMessageBoxes {
  public:
    explicit ShotBoxes(QString out) : m_out(std::move(out)) {}
    QStringList names;
    QList<QMessageBox::StandardButton> answers;

    Answer show(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                const QString& title) override {
        const QString name = names.isEmpty() ? QString() : names.takeFirst();
        const QMessageBox::StandardButton answer =
            answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
        QTimer::singleShot(400, [this, name, answer] {
            if (!name.isEmpty())
                QGuiApplication::primaryScreen()->grabWindow(0).save(m_out + QLatin1Char('/') +
                                                                     name + QStringLiteral(".png"));
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                if (QAbstractButton* b = box->button(answer))
                    b->click();
        });
        return WidgetMessageBoxes::show(parent, text, buttons, icon, title);
    }

  private:
    QString m_out;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    ShotBoxes boxes(out);
    TarvexMain::Options o;
    o.programFolder = QString::fromLocal8Bit(argv[1]);
    o.boxes = &boxes;
    o.startScreenMs = 0;
    o.singleInstance = false;
    TarvexMain w(o);
    if (!w.start())
        return 1;
    w.finishStartScreen();
    WindowView m(&w);
    auto shot = [&](const QString& name) {
        QTest::qWait(200);
        w.grab().save(out + QLatin1Char('/') + name + QStringLiteral(".png"));
    };
    auto resizeTwips = [&](int width, int height) {
        w.resize(m.pixelsX(width), twipsToPixels(height, w.screen()->logicalDotsPerInchY()));
    };
    // A right press over a column of the table and a choice from the sort menu.
    auto sortBy = [&](int column, bool ascending) {
        QHeaderView* h = m.DataGrid->horizontalHeader();
        QTest::mousePress(m.DataGrid->viewport(), Qt::RightButton, {},
                          QPoint(h->sectionViewportPosition(column) + 10, 5));
        m.popMenu1->hide();
        m.popMenu1Sub[ascending ? 0 : 1]->trigger();
    };
    resizeTwips(13050, 10125);
    shot(QStringLiteral("1-minimum"));
    w.resize(1920, 1040);
    shot(QStringLiteral("2-large"));
    resizeTwips(15000, 11000);
    QTest::keyClicks(m.txtSuch[0], QStringLiteral("M"));
    QTest::keyClicks(m.txtSuch[1], QStringLiteral("?a*"));
    shot(QStringLiteral("3-search"));
    m.cmdSucheLoeschen->click();
    sortBy(2, false);
    shot(QStringLiteral("4-sorted-by-first-name-descending"));
    sortBy(0, true);
    // A record with three siblings, found with the navigator's arrow.
    auto* next = w.findChild<QToolButton*>(QStringLiteral("DataNext"));
    for (int r = 0; next && r < m.gridModel()->rowCount(); ++r) {
        if (m.txtGAnz->text() == QLatin1String("3") && r > 3)
            break;
        next->click();
    }
    m.SSTab1->setCurrentIndex(2);
    shot(QStringLiteral("5-three-siblings"));
    m.SSTab1->setCurrentIndex(1);
    shot(QStringLiteral("6-parents"));
    m.SSTab1->setCurrentIndex(0);

    // A new record being typed, with the religion list open (pictures of the whole screen: the
    // list and the message boxes are windows of their own).
    w.move(0, 0);
    auto screenShot = [&](const QString& name) {
        QTest::qWait(300);
        QGuiApplication::primaryScreen()->grabWindow(0).save(out + QLatin1Char('/') + name +
                                                             QStringLiteral(".png"));
    };
    boxes.answers = {QMessageBox::No};
    m.actions.newRecord->trigger();
    QTest::keyClicks(m.txtAngaben[0], QStringLiteral("Sommer"));
    QTest::keyClick(m.txtAngaben[0], Qt::Key_Return);
    QTest::keyClicks(m.txtAngaben[1], QStringLiteral("Lina"));
    m.cmbKKonf->setFocus();
    m.cmbKKonf->showPopup();
    screenShot(QStringLiteral("7-new-record-choice-list"));
    m.cmbKKonf->hidePopup();
    // The message for a typed limit: a 31st character in the surname.
    m.txtAngaben[0]->setText(QString(30, QLatin1Char('m')));
    m.txtAngaben[0]->setFocus();
    m.txtAngaben[0]->setCursorPosition(30);
    boxes.names = {QStringLiteral("8-typed-limit")};
    QTest::keyClick(m.txtAngaben[0], Qt::Key_X);
    m.txtAngaben[0]->setText(QStringLiteral("Sommer"));
    // A save refused for a number that is taken: the input stays.
    m.txtNr->setFocus();
    m.txtNr->selectAll();
    QTest::keyClicks(m.txtNr, QStringLiteral("1"));
    boxes.names = {QString(), QStringLiteral("9-refused-duplicate-number")};
    boxes.answers = {QMessageBox::Yes, QMessageBox::Ok};
    m.actions.saveRecord->trigger();
    screenShot(QStringLiteral("10-input-kept-after-refusal"));
    boxes.answers = {QMessageBox::No};
    m.actions.saveRecord->trigger();
    return 0;
}
