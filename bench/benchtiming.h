#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Timing shared by the benchmarks: medians, the wall time of a call, the sqlite3 shell's time for
// the matching statements, and the printed lines.

constexpr int Runs = 5;

double median(std::vector<double> v);
double timeMs(const std::function<void()>& f);

// Wall time in ms of each statement, in the order given, all run in one sqlite3 shell session on
// db with ".timer on" and the output thrown away. Empty when the shell cannot be started.
std::vector<double> shellTimes(const QString& db, const QStringList& statements);
// Each statement run Runs times in one session: the median of each, or zeros without a shell.
std::vector<double> shellMedians(const QString& db, const QStringList& statements);

// The same with psql on the database server at uri (\timing, output to /dev/null), each
// statement Runs times in one session: the median of each, or zeros without psql.
std::vector<double> psqlMedians(const QString& uri, const QStringList& statements);

// "what  ms  shell ms  ratio", with goalRatio above 0 also whether the window stays within that
// many times the shell; without a shell time only the window's time.
void printLine(const char* what, double ms, double shell, double goalRatio = 0);
