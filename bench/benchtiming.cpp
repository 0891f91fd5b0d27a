#include "benchtiming.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double timeMs(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

std::vector<double> shellTimes(const QString& db, const QStringList& statements) {
    QString script = QStringLiteral(".timer on\n.output /dev/null\n");
    for (const QString& s : statements)
        script += s + QStringLiteral(";\n");
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {db});
    if (!p.waitForStarted(5000)) {
        std::fprintf(stderr, "sqlite3 shell not found; shell figures left out\n");
        return {};
    }
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(600000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    std::vector<double> times;
    QRegularExpression re(QStringLiteral("Run Time: real ([0-9.]+)"));
    for (auto it = re.globalMatch(out); it.hasNext();)
        times.push_back(it.next().captured(1).toDouble() * 1000);
    if (times.size() != size_t(statements.size())) {
        std::fprintf(stderr, "sqlite3 shell gave %zu times for %lld statements:\n%s\n",
                     times.size(), qlonglong(statements.size()), qPrintable(out));
        return {};
    }
    return times;
}

std::vector<double> shellMedians(const QString& db, const QStringList& statements) {
    QStringList repeated;
    for (const QString& s : statements)
        for (int i = 0; i < Runs; ++i)
            repeated << s;
    const std::vector<double> all = shellTimes(db, repeated);
    std::vector<double> result(size_t(statements.size()), 0);
    if (all.empty())
        return result;
    for (size_t s = 0; s < result.size(); ++s)
        result[s] = median({all.begin() + long(s) * Runs, all.begin() + long(s + 1) * Runs});
    return result;
}

std::vector<double> psqlMedians(const QString& uri, const QStringList& statements) {
    QString script = QStringLiteral("\\timing on\n\\o /dev/null\n");
    for (const QString& s : statements)
        for (int i = 0; i < Runs; ++i)
            script += s + QStringLiteral(";\n");
    QProcess p;
    p.start(QStringLiteral("psql"), {uri, QStringLiteral("-X"), QStringLiteral("-q")});
    std::vector<double> result(size_t(statements.size()), 0);
    if (!p.waitForStarted(5000)) {
        std::fprintf(stderr, "psql not found; server figures left out\n");
        return result;
    }
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(600000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    std::vector<double> times;
    QRegularExpression re(QStringLiteral("Time: ([0-9.]+) ms"));
    for (auto it = re.globalMatch(out); it.hasNext();)
        times.push_back(it.next().captured(1).toDouble());
    if (times.size() != size_t(statements.size()) * Runs) {
        std::fprintf(stderr, "psql gave %zu times:\n%s\n", times.size(), qPrintable(out));
        return result;
    }
    for (size_t s = 0; s < result.size(); ++s)
        result[s] = median({times.begin() + long(s) * Runs, times.begin() + long(s + 1) * Runs});
    return result;
}

void printLine(const char* what, double ms, double shell, double goalRatio) {
    if (shell <= 0) {
        std::printf("%-46s %9.1f ms\n", what, ms);
        return;
    }
    std::printf("%-46s %9.1f ms   shell %8.1f ms   ratio %5.2f", what, ms, shell, ms / shell);
    if (goalRatio > 0)
        std::printf("   goal: within %.1f times the shell: %s", goalRatio,
                    ms <= goalRatio * shell ? "met" : "MISSED");
    std::printf("\n");
}
