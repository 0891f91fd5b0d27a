// Times the record commands of the main window on a large database: "&Neu" up to its question,
// saving a change and deleting a record, each until the window shows a record again, and sets
// each beside the time the sqlite3 shell takes for the matching statements. Prints medians; not
// a test.
//
//   editbench [records]        (default 100000)

#include "benchtiming.h"
#include "recordfields.h"
#include "sampledata.h"
#include "testsupport.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>

namespace {

const QString kCopyQuestion =
    QStringLiteral("Möchten Sie die Angaben vom aktuellen DS übernehmen?");
const QString kSaveQuestion = QStringLiteral("Möchten Sie die Daten übernehmen?");
const QString kDeleteQuestion = QStringLiteral("Möchten Sie den aktuellen DS löschen?");
const QString kTableSql =
    QStringLiteral("SELECT Nr, KNach, KVor, KGeb, KGrp, KEssen FROM Daten ORDER BY Nr");
constexpr double GoalRatio = 1.5;
constexpr double GoalMegabytes = 150;

// Stops the run when a command did not show exactly the boxes expected (by their beginnings):
// the figures would then measure something else.
void expectBoxes(WindowUnderTest& w, const QStringList& expected, const char* step) {
    const QStringList shown = w.takeBoxes();
    bool same = shown.size() == expected.size();
    for (qsizetype i = 0; same && i < shown.size(); ++i)
        same = shown[i].startsWith(expected[i]);
    if (!same)
        qFatal("%s showed: %s", step, qPrintable(shown.join(QStringLiteral(" | "))));
}

void expectShown(const QLineEdit* box, const QString& text, const char* step) {
    if (box->text() != text)
        qFatal("%s: \"%s\" shown instead of \"%s\"", step, qPrintable(box->text()),
               qPrintable(text));
}

// Scrolls the table to its middle row and clicks it, as the user would. Returns the row.
int showMiddleRecord(WindowView& m) {
    const int row = m.gridModel()->rowCount() / 2;
    m.DataGrid->scrollTo(m.gridModel()->index(row, 0), QAbstractItemView::PositionAtCenter);
    m.clickRow(row);
    expectShown(m.txtNr, m.gridModel()->index(row, 0).data().toString(), "click");
    return row;
}

// The shell's counterpart of saving a change: one UPDATE of the 63 columns other than Nr with
// the values the window stored for this record.
QString updateStatement(const QString& dbPath, const QString& nr) {
    QStringList columns;
    for (const FieldDef& f : fieldTable())
        if (qstrcmp(f.name, "Nr") != 0)
            columns << QString::fromLatin1(f.name);
    const QByteArray select = QStringLiteral("SELECT quote(%1) FROM Daten WHERE Nr = %2")
                                  .arg(columns.join(QStringLiteral("), quote(")), nr)
                                  .toUtf8();
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, select.constData(), -1, &stmt, nullptr) != SQLITE_OK ||
        sqlite3_step(stmt) != SQLITE_ROW)
        qFatal("cannot read record %s: %s", qPrintable(nr), sqlite3_errmsg(db));
    QStringList assignments;
    for (int c = 0; c < int(columns.size()); ++c)
        assignments << columns[c] + QStringLiteral(" = ") +
                           QString::fromUtf8(
                               reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return QStringLiteral("UPDATE Daten SET %1 WHERE Nr = %2")
        .arg(assignments.join(QStringLiteral(", ")), nr);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("TarvexDB.mdb"));
    const QString shellCopy = dir.filePath(QStringLiteral("ShellCopy.mdb"));
    std::printf("Making %d records ...\n", n);
    std::fflush(stdout);
    makeSampleDatabase(dbPath, n);
    if (!QFile::copy(dbPath, shellCopy))
        qFatal("cannot copy the database for the shell");

    WindowUnderTest w(dir.path());
    if (!w.start())
        qFatal("start failed");
    w.takeBoxes();
    WindowView& m = *w.view;
    m.window->resize(1400, 900);
    QApplication::processEvents();

    // "&Neu" up to the copy question, answered No; the new record is then left unsaved.
    std::vector<double> neu;
    QElapsedTimer clock;
    double asked = -1;
    w.boxes.onShow = [&](const RecordingMessageBoxes::Shown& s) {
        if (asked < 0 && s.text.startsWith(kCopyQuestion))
            asked = double(clock.nsecsElapsed()) / 1e6;
    };
    for (int i = 0; i < Runs; ++i) {
        asked = -1;
        w.boxes.answers = {MessageBoxes::Answer::No};
        clock.start();
        m.actions.newRecord->trigger();
        expectBoxes(w, {kCopyQuestion}, "&Neu");
        neu.push_back(asked);
        w.boxes.answers = {MessageBoxes::Answer::No};
        m.actions.saveRecord->trigger();
        expectBoxes(w, {kSaveQuestion}, "&Speichern of the new record");
    }
    w.boxes.onShow = {};

    // A new first telephone number typed into a record in the middle, saved.
    std::vector<double> save;
    QStringList updates;
    QLineEdit* tel = m.txtAngaben[9];
    for (int i = 0; i < Runs; ++i) {
        const QString nr = m.gridModel()->index(showMiddleRecord(m), 0).data().toString();
        m.actions.changeRecord->trigger();
        expectBoxes(w, {}, "Änd&ern");
        const QString typed = QStringLiteral("0821 %1").arg(700000 + i);
        tel->setFocus();
        QTest::keyClick(tel, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(tel, typed);
        expectShown(tel, typed, "typing");
        w.boxes.answers = {MessageBoxes::Answer::Yes};
        save.push_back(timeMs([&] { m.actions.saveRecord->trigger(); }));
        expectBoxes(w, {kSaveQuestion}, "&Speichern");
        expectShown(m.txtNr, nr, "after &Speichern");
        expectShown(tel, typed, "after &Speichern");
        updates << updateStatement(dbPath, nr);
    }

    // The record in the middle deleted; the next lower number is shown.
    std::vector<double> del;
    QStringList deleted;
    for (int i = 0; i < Runs; ++i) {
        const int row = showMiddleRecord(m);
        const QString nr = m.gridModel()->index(row, 0).data().toString();
        const QString neighbour = m.gridModel()->index(row - 1, 0).data().toString();
        w.boxes.answers = {MessageBoxes::Answer::Yes};
        del.push_back(timeMs([&] { m.actions.deleteRecord->trigger(); }));
        expectBoxes(w, {kDeleteQuestion}, "&Löschen");
        expectShown(m.txtNr, neighbour, "after &Löschen");
        deleted << nr;
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    w.close();

    // The same steps in one shell session on the copy made before the window's runs.
    QStringList statements;
    for (int i = 0; i < Runs; ++i)
        statements << QStringLiteral("SELECT DISTINCT KKonf, KNat, MKonf, MNat, VKonf, VNat "
                                     "FROM Daten")
                   << QStringLiteral("SELECT max(Nr) FROM Daten");
    for (const QString& update : updates)
        statements << update << kTableSql;
    for (const QString& nr : deleted)
        statements << QStringLiteral("DELETE FROM Daten WHERE Nr = ") + nr << kTableSql;
    const std::vector<double> times = shellTimes(shellCopy, statements);
    // Median over the runs of the sum of each run's two statements; figure 0, 1, 2.
    auto shell = [&times](int figure) {
        if (times.empty())
            return 0.0;
        std::vector<double> sums;
        for (int i = 0; i < Runs; ++i) {
            const size_t at = size_t((figure * Runs + i) * 2);
            sums.push_back(times[at] + times[at + 1]);
        }
        return median(sums);
    };

    std::printf("\n%d records, medians of %d runs\n", n, Runs);
    printLine("\"&Neu\" up to the question", median(neu), shell(0), GoalRatio);
    printLine("save of a change up to the record shown again", median(save), shell(1), GoalRatio);
    printLine("delete up to the neighbour shown", median(del), shell(2), GoalRatio);
    const double megabytes = usage.ru_maxrss / 1024.0;
    std::printf("%-46s %9.1f MB   goal: under %.0f MB: %s\n", "peak memory", megabytes,
                GoalMegabytes, megabytes < GoalMegabytes ? "met" : "MISSED");
    return 0;
}
