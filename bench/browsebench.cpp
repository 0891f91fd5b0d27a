// Times the browsing steps of the main window on a large database and sets each beside the time
// the sqlite3 shell takes for the matching statement. Prints medians; not a test.
//
//   browsebench [records] [server address]        (default 100000 records in a file)
//
// With a database server's address (postgresql://...), the same records are put into table
// Daten there (made anew), the window works on the server, and each step is set beside the
// time psql needs for the statement the store sends the server.

#include "benchtiming.h"
#include "csvexport.h"
#include "csvimport.h"
#include "database.h"
#include "engineerror.h"
#include "recordtable.h"
#include "refreshquery.h"
#include "sampledata.h"
#include "snapshot.h"
#include "sqltext.h"
#include "testsupport.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

namespace {

// The sort menu's entry after a right press over a column of the table; triggering it sorts by
// that column.
QAction* sortEntry(WindowView& m, int column, bool ascending) {
    QHeaderView* h = m.DataGrid->horizontalHeader();
    const QPoint p(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, 5);
    QTest::mousePress(m.DataGrid->viewport(), Qt::RightButton, {}, p);
    m.popMenu1->hide();
    return m.popMenu1Sub[ascending ? 0 : 1];
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int n = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("TarvexDB.mdb"));
    const QString server = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    // A server that holds the records from an earlier run is used as it is, so that the peak
    // memory is the window's alone.
    bool prepared = false;
    if (!server.isEmpty()) {
        try {
            prepared = Database::open(server)->recordCount() == n;
        } catch (const EngineError&) {
        }
    }
    if (!prepared) {
        std::printf("Making %d records ...\n", n);
        std::fflush(stdout);
        makeSampleDatabase(dbPath, n);
    }
    if (!server.isEmpty() && !prepared) {
        // The same records on the server, through the full export and the import.
        QProcess::execute(QStringLiteral("psql"),
                          {server, QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-c"),
                           QStringLiteral("DROP TABLE IF EXISTS Daten")});
        Database::createServerTable(server);
        QBuffer file;
        file.open(QIODevice::WriteOnly);
        csvexport::writeAll(*Database::open(dbPath), file);
        const auto import = csvimport::Import::read(file.data(), nullptr);
        if (!import || import->store(*Database::open(server), csvimport::Clash::Skip) != n)
            qFatal("records not put on the server");
        std::printf("... put on the server; run again for the window's peak memory alone\n");
    }
    const QString dbName = server.isEmpty() ? dbPath : server;
    if (!server.isEmpty()) {
        QFile ini(dir.filePath(QStringLiteral("Tarvex.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Verweise]\r\nNameDB=" + server.toUtf8() + "\r\n");
    }

    // Making the window (widgets, pictures, menus) apart from opening the database in it:
    // only the second depends on the database.
    std::vector<double> make, open;
    std::unique_ptr<WindowUnderTest> w;
    for (int i = 0; i < Runs; ++i) {
        w.reset();
        make.push_back(timeMs([&] { w = std::make_unique<WindowUnderTest>(dir.path()); }));
        open.push_back(timeMs([&] {
            if (!w->start())
                qFatal("start failed");
        }));
    }
    WindowView& m = *w->view;
    m.window->resize(1400, 900);
    QApplication::processEvents();

    std::vector<double> keyM, keyE, sortDesc, clicks;
    for (int i = 0; i < Runs; ++i) {
        m.txtSuch[0]->setFocus();
        keyM.push_back(
            timeMs([&] { QTest::keyClick(m.txtSuch[0], Qt::Key_M, Qt::ShiftModifier); }));
        keyE.push_back(timeMs([&] { QTest::keyClick(m.txtSuch[0], Qt::Key_E); }));
        m.txtSuch[0]->clear();
    }
    for (int i = 0; i < Runs; ++i) {
        QAction* descending = sortEntry(m, 1, false);
        sortDesc.push_back(timeMs([&] { descending->trigger(); }));
        sortEntry(m, 0, true)->trigger(); // back to the number order
    }
    // The store's share of a sort: the query into a snapshot, without the window.
    std::vector<double> sortQuery;
    {
        auto db = Database::open(dbName);
        const QString sortSql =
            buildRefreshStatement({}, std::array<int, 16>{}, QStringLiteral("KNach"), false);
        for (int i = 0; i < Runs; ++i)
            sortQuery.push_back(timeMs([&] { (void)db->openSnapshot(sortSql); }));
    }
    std::mt19937 rng(1);
    for (int i = 0; i < 21; ++i) {
        int visibleRows = std::max(1, m.DataGrid->viewport()->height() /
                                              m.DataGrid->verticalHeader()->defaultSectionSize() -
                                          1);
        int row =
            m.DataGrid->rowAt(0) + std::uniform_int_distribution<int>(0, visibleRows - 1)(rng);
        QRect r = m.DataGrid->visualRect(m.gridModel()->index(row, 1));
        clicks.push_back(timeMs(
            [&] { QTest::mouseClick(m.DataGrid->viewport(), Qt::LeftButton, {}, r.center()); }));
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const Snapshot* rows =
        m.window->findChild<RecordTable*>(QStringLiteral("DataGrid"))->recordset();
    const qsizetype snapshotBytes = rows ? rows->memoryBytes() : 0;
    w->close();
    w.reset();

    const QString cols = QStringLiteral("SELECT Nr, KNach, KVor, KGeb, KGrp, KEssen FROM Daten");
    std::vector<double> shell;
    if (server.isEmpty()) {
        shell =
            shellMedians(dbPath, {cols + QStringLiteral(" ORDER BY Nr"),
                                  cols + QStringLiteral(" WHERE KNach LIKE 'M%' ORDER BY KNach"),
                                  cols + QStringLiteral(" WHERE KNach LIKE 'Me%' ORDER BY KNach"),
                                  cols + QStringLiteral(" ORDER BY KNach DESC")});
    } else {
        // The statements the window sends, as the store gives them to the server.
        auto search = [](const QString& text) {
            std::array<QString, 6> texts;
            texts[0] = text;
            return store::forServer(
                buildRefreshStatement(texts, std::array<int, 16>{}, QStringLiteral("KNach"), true));
        };
        shell =
            psqlMedians(server, {store::forServer(buildRefreshStatement(
                                     {}, std::array<int, 16>{}, QStringLiteral("Nr"), true)),
                                 search(QStringLiteral("M")), search(QStringLiteral("Me")),
                                 store::forServer(buildRefreshStatement(
                                     {}, std::array<int, 16>{}, QStringLiteral("KNach"), false)),
                                 // Opening also reads the keys of the full-record set.
                                 store::forServer(*store::keyStatement(
                                     u"SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC", false))});
        shell[0] += shell[4];
    }

    std::printf("\n%d records, medians of %d runs (table click: of 21)\n", n, Runs);
    printLine("make the window (no database yet)", median(make), 0);
    // On a server, the shell's figure holds both statements of the opening: the keys of the
    // full-record set and the table's rows.
    printLine("open database and show first record", median(open), shell[0]);
    printLine("search keystroke \"M\" (query, table, display)", median(keyM), shell[1]);
    printLine("next keystroke \"e\"", median(keyE), shell[2]);
    printLine("sort by KNach descending", median(sortDesc), shell[3]);
    printLine("  of which the query into a snapshot", median(sortQuery), shell[3]);
    printLine("table click (find, 64 fields, status, row)", median(clicks), 0);
    std::printf("%-46s %9.1f MB   (window's record set %.1f MB)\n", "peak memory",
                usage.ru_maxrss / 1024.0, snapshotBytes / 1048576.0);
    return 0;
}
