// Pictures of the main window for looking at it: windowshots <program folder> <out folder>.
// Drives the real window (under Xvfb or a desktop) and saves PNGs of typical moments.

#include "testsupport.h"
#include "twips.h"
#include "widgetmessageboxes.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    WidgetMessageBoxes boxes;
    TarvexMain::Options o;
    o.programFolder = QString::fromLocal8Bit(argv[1]);
    o.boxes = &boxes;
    o.startScreenMs = 0;
    o.singleInstance = false;
    TarvexMain w(o);
    if (!w.Form_Load())
        return 1;
    w.Timer1_Timer();
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
    return 0;
}
