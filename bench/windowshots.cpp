// Pictures of the main window for looking at it: windowshots <program folder> <out folder>.
// Drives the real window (under Xvfb or a desktop) and saves PNGs of typical moments.

#include "datacontrol.h"
#include "messageboxes.h"
#include "snapshotmodel.h"
#include "tarvexmain.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

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
    TarvexMain m(o);
    if (!m.Form_Load())
        return 1;
    m.Timer1_Timer();
    auto shot = [&](const QString& name) {
        QTest::qWait(200);
        m.grab().save(out + QLatin1Char('/') + name + QStringLiteral(".png"));
    };
    m.resize(m.twipsToPixelsX(13050), m.twipsToPixelsY(10125));
    shot(QStringLiteral("1-minimum"));
    m.resize(1920, 1040);
    shot(QStringLiteral("2-large"));
    m.resize(m.twipsToPixelsX(15000), m.twipsToPixelsY(11000));
    QTest::keyClicks(m.txtSuch[0], QStringLiteral("M"));
    QTest::keyClicks(m.txtSuch[1], QStringLiteral("?a*"));
    shot(QStringLiteral("3-search"));
    m.cmdSucheLoeschen->click();
    QHeaderView* h = m.DataGrid->horizontalHeader();
    m.GridMausX = h->sectionPosition(2) + 10;
    m.popMenu1Sub_Click(1);
    shot(QStringLiteral("4-sorted-by-first-name-descending"));
    m.Data_Refresh(QStringLiteral("Nr"), true);
    // A record with three siblings.
    const Snapshot* rows = m.Data->recordset();
    for (int r = 0; r < rows->rowCount(); ++r) {
        m.Data->moveToRow(r);
        if (m.txtGAnz->text() == QLatin1String("3") && r > 3)
            break;
    }
    m.SSTab1->setCurrentIndex(2);
    shot(QStringLiteral("5-three-siblings"));
    m.SSTab1->setCurrentIndex(1);
    shot(QStringLiteral("6-parents"));
    m.SSTab1->setCurrentIndex(0);
    return 0;
}
