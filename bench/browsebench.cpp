// Times the browsing steps of the main window on a large database and sets each beside the time
// the sqlite3 shell takes for the matching statement. Prints medians; not a test.
//
//   browsebench [records]        (default 100000)

#include "datacontrol.h"
#include "messageboxes.h"
#include "refreshquery.h"
#include "sampledata.h"
#include "snapshotmodel.h"
#include "tarvexmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>

namespace {

constexpr int Runs = 5;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double timeMs(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// Median wall time in ms of each statement in the sqlite3 shell, run Runs times in one session
// with its output thrown away.
std::vector<double> shellTimes(const QString& db, const QStringList& statements) {
    QString script = QStringLiteral(".timer on\n.output /dev/null\n");
    for (const QString& s : statements)
        for (int i = 0; i < Runs; ++i)
            script += s + QStringLiteral(";\n");
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {db});
    if (!p.waitForStarted(5000)) {
        std::fprintf(stderr, "sqlite3 shell not found; shell figures left out\n");
        return std::vector<double>(statements.size(), 0);
    }
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(600000);
    QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    QRegularExpression re(QStringLiteral("Run Time: real ([0-9.]+)"));
    std::vector<double> all;
    for (auto it = re.globalMatch(out); it.hasNext();)
        all.push_back(it.next().captured(1).toDouble() * 1000);
    std::vector<double> result;
    for (int s = 0; s < statements.size(); ++s) {
        std::vector<double> part;
        for (int i = 0; i < Runs && size_t(s * Runs + i) < all.size(); ++i)
            part.push_back(all[s * Runs + i]);
        result.push_back(median(part));
    }
    return result;
}

void line(const char* what, double ms, double shell) {
    if (shell > 0)
        std::printf("%-46s %9.1f ms   shell %8.1f ms   ratio %5.2f\n", what, ms, shell, ms / shell);
    else
        std::printf("%-46s %9.1f ms\n", what, ms);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int n = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("TarvexDB.mdb"));
    std::printf("Making %d records ...\n", n);
    std::fflush(stdout);
    makeSampleDatabase(dbPath, n);

    RecordingMessageBoxes boxes;
    TarvexMain::Options o;
    o.programFolder = dir.path();
    o.boxes = &boxes;
    o.startScreenMs = 0;
    o.singleInstance = false;

    std::vector<double> open;
    std::unique_ptr<TarvexMain> w;
    for (int i = 0; i < Runs; ++i) {
        w.reset();
        open.push_back(timeMs([&] {
            w = std::make_unique<TarvexMain>(o);
            if (!w->Form_Load())
                qFatal("start failed");
            w->Timer1_Timer();
        }));
    }
    TarvexMain& m = *w;
    m.resize(1400, 900);
    QApplication::processEvents();

    std::vector<double> keyM, keyE, sortDesc, clicks;
    for (int i = 0; i < Runs; ++i) {
        m.txtSuch[0]->setFocus();
        keyM.push_back(
            timeMs([&] { QTest::keyClick(m.txtSuch[0], Qt::Key_M, Qt::ShiftModifier); }));
        keyE.push_back(timeMs([&] { QTest::keyClick(m.txtSuch[0], Qt::Key_E); }));
        m.txtSuch[0]->clear();
    }
    QHeaderView* header = m.DataGrid->horizontalHeader();
    m.GridMausX = header->sectionPosition(1) + header->sectionSize(1) / 2.0;
    for (int i = 0; i < Runs; ++i) {
        sortDesc.push_back(timeMs([&] { m.popMenu1Sub_Click(1); }));
        m.Data_Refresh(QStringLiteral("Nr"), true);
    }
    // The store's share of a sort: the query into a snapshot, without the window.
    std::vector<double> sortQuery;
    const QString sortSql =
        buildRefreshStatement({}, m.settings.Tabelle, QStringLiteral("KNach"), false);
    for (int i = 0; i < Runs; ++i)
        sortQuery.push_back(timeMs([&] { (void)m.dbDaten()->openSnapshot(sortSql); }));
    std::mt19937 rng(1);
    for (int i = 0; i < 21; ++i) {
        int visibleRows = std::max(1, m.DataGrid->viewport()->height() /
                                              m.DataGrid->verticalHeader()->defaultSectionSize() -
                                          1);
        int row =
            m.DataGrid->rowAt(0) + std::uniform_int_distribution<int>(0, visibleRows - 1)(rng);
        QRect r = m.DataGrid->visualRect(m.gridModel->index(row, 1));
        clicks.push_back(timeMs(
            [&] { QTest::mouseClick(m.DataGrid->viewport(), Qt::LeftButton, {}, r.center()); }));
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    qsizetype snapshotBytes = m.Data->recordset() ? m.Data->recordset()->memoryBytes() : 0;
    w->close();
    w.reset();

    const QString cols = QStringLiteral("SELECT Nr, KNach, KVor, KGeb, KGrp, KEssen FROM Daten");
    std::vector<double> shell =
        shellTimes(dbPath, {cols + QStringLiteral(" ORDER BY Nr"),
                            cols + QStringLiteral(" WHERE KNach LIKE 'M%' ORDER BY KNach"),
                            cols + QStringLiteral(" WHERE KNach LIKE 'Me%' ORDER BY KNach"),
                            cols + QStringLiteral(" ORDER BY KNach DESC")});

    std::printf("\n%d records, medians of %d runs (table click: of 21)\n", n, Runs);
    line("open database and show first record", median(open), shell[0]);
    line("search keystroke \"M\" (query, table, display)", median(keyM), shell[1]);
    line("next keystroke \"e\"", median(keyE), shell[2]);
    line("sort by KNach descending", median(sortDesc), shell[3]);
    line("  of which the query into a snapshot", median(sortQuery), shell[3]);
    line("table click (find, 64 fields, status, row)", median(clicks), 0);
    std::printf("%-46s %9.1f MB   (window's record set %.1f MB)\n", "peak memory",
                usage.ru_maxrss / 1024.0, snapshotBytes / 1048576.0);
    return 0;
}
