#pragma once

#include <QDateTime>

#include <functional>
#include <vector>

// Which copies of the database are kept, by the times they were made and the time now:
//
// - the newest readable copy of each of the 14 most recent days on which readable copies were
//   made (a holiday does not use up the daily copies);
// - the newest readable copy of each of the twelve calendar months up to and including now's
//   month;
// - every copy made on now's day, so that the copy made before a restore outlives the day's
//   later copies;
// - every copy with a time after now (a clock that was set back): nothing is judged by a time
//   that has not come yet.
//
// readable tells whether the copy at an index can be read back whole; a copy that cannot never
// takes the place of a day or a month, so a damaged copy never pushes out a good one. It is
// asked only about copies that would take such a place; empty: every copy is readable.
//
// The answer has one entry per time, in the order given: true for a copy that stays.
std::vector<bool> backupsToKeep(const std::vector<QDateTime>& times, const QDateTime& now,
                                const std::function<bool(size_t index)>& readable = {});

inline constexpr int KeptDays = 14;
inline constexpr int KeptMonths = 12;
