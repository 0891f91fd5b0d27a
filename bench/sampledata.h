#pragma once

#include <QString>

// Fills a database file with n realistic child records (German names with umlauts, five
// groups, some empty fields left Null), for benchmarks and for looking at the window.
void makeSampleDatabase(const QString& path, int n, unsigned seed = 4711);
