// Times the browsing steps of the main window on a large database and sets each beside the time
// the sqlite3 shell takes for the matching statement. Prints medians; not a test.
//
//   browsebench [records] [server address [delay ms]]   (default 100000 records in a file)
//
// With a database server's address (postgresql://...), the same records are put into table
// Daten there (made anew), the window works on the server, and each step is set beside the
// time psql needs for the statement the store sends the server.
//
// With a delay as well, the steps run once directly and once through delayproxy.py, which
// holds back every piece of data by the delay in each direction, as a slow network does. Each
// step's extra time divided by the round-trip time (twice the delay) is the number of times
// the window waited for the server; psql's count for the same statements stands beside it.

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
#include <QUrl>
#include <QUrlQuery>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
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

// The medians of the window's browsing steps, and the round trips of each step's first run
// as the proxy counted them.
struct Steps {
    double open = 0, keyM = 0, keyE = 0, sortDesc = 0, click = 0, next = 0;
    std::array<int, 6> requests{};
};

// The window started on the database named in dir's Tarvex.ini (or the file at dbPath), then
// the steps: the search keystrokes, a sort, clicks into the table and the next record.
Steps windowSteps(const QString& dir, const std::function<int()>& requests) {
    std::array<int, 6> counted{};
    // The requests of a step's first run; those of the steps between are dropped.
    auto count = [&](int step, int run) {
        const int n = requests();
        if (run == 0)
            counted[size_t(step)] = n;
    };
    std::vector<double> open, keyM, keyE, sortDesc, clicks, next;
    std::unique_ptr<WindowUnderTest> w;
    for (int i = 0; i < Runs; ++i) {
        w.reset();
        w = std::make_unique<WindowUnderTest>(dir);
        requests();
        open.push_back(timeMs([&] {
            if (!w->start())
                qFatal("start failed");
        }));
        count(0, i);
    }
    WindowView& m = *w->view;
    m.window->resize(1400, 900);
    QApplication::processEvents();
    for (int i = 0; i < Runs; ++i) {
        m.txtSuch[0]->setFocus();
        requests();
        keyM.push_back(
            timeMs([&] { QTest::keyClick(m.txtSuch[0], Qt::Key_M, Qt::ShiftModifier); }));
        count(1, i);
        keyE.push_back(timeMs([&] { QTest::keyClick(m.txtSuch[0], Qt::Key_E); }));
        count(2, i);
        m.txtSuch[0]->clear();
    }
    for (int i = 0; i < Runs; ++i) {
        QAction* descending = sortEntry(m, 1, false);
        requests();
        sortDesc.push_back(timeMs([&] { descending->trigger(); }));
        count(3, i);
        sortEntry(m, 0, true)->trigger();
    }
    m.DataGrid->setFocus();
    for (int i = 0; i < Runs; ++i) {
        const QRect r = m.DataGrid->visualRect(m.gridModel()->index(2 * i + 2, 1));
        requests();
        clicks.push_back(timeMs(
            [&] { QTest::mouseClick(m.DataGrid->viewport(), Qt::LeftButton, {}, r.center()); }));
        count(4, i);
        next.push_back(timeMs([&] { QTest::keyClick(m.DataGrid, Qt::Key_Down); }));
        count(5, i);
    }
    w->close();
    Steps steps{median(open),     median(keyM),   median(keyE),
                median(sortDesc), median(clicks), median(next)};
    steps.requests = counted;
    return steps;
}

// The server's address reached through the proxy on port: the same database and user over TCP
// on this computer, unencrypted (encryption's handshake costs psql and the window alike).
QString proxiedAddress(const QString& server, int port) {
    const QUrl url(server);
    const QUrlQuery query(url);
    const QString user =
        url.userName().isEmpty() ? query.queryItemValue(QStringLiteral("user")) : url.userName();
    return QStringLiteral("postgresql://%1@127.0.0.1:%2%3?sslmode=disable")
        .arg(user)
        .arg(port)
        .arg(url.path());
}

// Where the proxy sends its connections: the server's Unix socket, or host:port.
QString proxyTarget(const QString& server) {
    const QUrl url(server);
    const QUrlQuery query(url);
    QString host = url.host().isEmpty() ? query.queryItemValue(QStringLiteral("host")) : url.host();
    QString port = query.queryItemValue(QStringLiteral("port"));
    if (port.isEmpty())
        port = QString::number(url.port(5432));
    if (host.isEmpty())
        host = QStringLiteral("/var/run/postgresql");
    return host.startsWith(u'/') ? host + QStringLiteral("/.s.PGSQL.") + port : host + u':' + port;
}

// The window's steps directly and through the delaying proxy, in round trips, beside psql's for
// the statements each step sends.
int latencyMode(const QString& dir, const QString& server, double delay) {
    // Both runs go through the proxy, the first without delay, so that the difference is the
    // delay's alone and not that of TCP and the proxy's own work.
    auto startProxy = [&server](QProcess& proxy, double ms) {
        proxy.start(QStringLiteral("python3"), {QStringLiteral(TARVEX_BENCH_DIR "/delayproxy.py"),
                                                QString::number(ms), proxyTarget(server)});
        if (!proxy.waitForReadyRead(10000))
            qFatal("the proxy does not start");
        return proxiedAddress(server, proxy.readLine().trimmed().toInt());
    };
    QProcess fastProxy;
    QProcess slowProxy;
    const QString fast = startProxy(fastProxy, 0);
    const QString slow = startProxy(slowProxy, delay);
    auto useServer = [&dir](const QString& address) {
        QFile ini(dir + QStringLiteral("/Tarvex.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Verweise]\r\nNameDB=" + address.toUtf8() + "\r\n");
    };
    // The lines the slow proxy printed since the last look: the requests sent meanwhile.
    auto requests = [&slowProxy] {
        slowProxy.waitForReadyRead(200);
        return int(slowProxy.readAllStandardOutput().count('\n'));
    };
    useServer(fast);
    const Steps direct = windowSteps(dir, [] { return 0; });
    useServer(slow);
    const Steps delayed = windowSteps(dir, requests);

    auto search = [](const QString& text, const QString& sort, bool ascending) {
        std::array<QString, 6> texts;
        texts[0] = text;
        return store::forServer(
            buildRefreshStatement(texts, std::array<int, 16>{}, sort, ascending));
    };
    const QStringList statements{
        store::forServer(*store::keyStatement(u"SELECT * FROM Daten ORDER BY Nr ASC", false)),
        search(QString(), QStringLiteral("Nr"), true),
        QStringLiteral("SELECT * FROM Daten WHERE Nr = 1"),
        search(QStringLiteral("M"), QStringLiteral("KNach"), true),
        search(QStringLiteral("Me"), QStringLiteral("KNach"), true),
        search(QString(), QStringLiteral("KNach"), false)};
    const std::vector<double> psqlDirect = psqlMedians(fast, statements);
    const std::vector<double> psqlDelayed = psqlMedians(slow, statements);
    const double roundTrip = 2 * delay;
    auto trips = [roundTrip](double slowMs, double fastMs) {
        return (slowMs - fastMs) / roundTrip;
    };
    auto psqlTrips = [&](std::initializer_list<int> used) {
        double sum = 0;
        for (int s : used)
            sum += trips(psqlDelayed[size_t(s)], psqlDirect[size_t(s)]);
        return sum;
    };
    std::printf("\nround trip %.0f ms (%.0f ms each way), medians of %d runs\n", roundTrip, delay,
                Runs);
    // Timed: the extra time over the round-trip time; counted: the requests the proxy saw.
    std::printf("%-40s %9s %9s %8s %8s %8s\n", "step", "direct", "delayed", "timed", "counted",
                "psql's");
    int step = 0;
    auto line = [&](const char* what, double fast, double slowMs, double psql, int goal) {
        const double timed = trips(slowMs, fast);
        const int counted = delayed.requests[size_t(step++)];
        std::printf("%-40s %6.1f ms %6.1f ms %8.1f %8d %8.1f   %s\n", what, fast, slowMs, timed,
                    counted, psql, counted <= goal ? "ok" : "OVER");
    };
    // psql's opening holds its statements alone, not the connection's own exchange.
    line("open database and show first record", direct.open, delayed.open, psqlTrips({0, 1, 2}), 5);
    line("search keystroke \"M\"", direct.keyM, delayed.keyM, psqlTrips({3, 2}), 2);
    line("next keystroke \"e\"", direct.keyE, delayed.keyE, psqlTrips({4, 2}), 2);
    line("sort by KNach descending", direct.sortDesc, delayed.sortDesc, psqlTrips({5, 2}), 2);
    line("table click", direct.click, delayed.click, psqlTrips({2}), 2);
    line("next record (arrow down)", direct.next, delayed.next, psqlTrips({2}), 2);
    for (QProcess* proxy : {&fastProxy, &slowProxy}) {
        proxy->kill();
        proxy->waitForFinished();
    }
    return 0;
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
    if (!server.isEmpty() && argc > 3)
        return latencyMode(dir.path(), server, std::atof(argv[3]));
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
        shell = psqlMedians(
            server, {store::forServer(buildRefreshStatement({}, std::array<int, 16>{},
                                                            QStringLiteral("Nr"), true)),
                     search(QStringLiteral("M")), search(QStringLiteral("Me")),
                     store::forServer(buildRefreshStatement({}, std::array<int, 16>{},
                                                            QStringLiteral("KNach"), false)),
                     // Opening also reads the keys of the full-record set.
                     store::forServer(
                         *store::keyStatement(u"SELECT * FROM Daten ORDER BY Nr ASC", false))});
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
