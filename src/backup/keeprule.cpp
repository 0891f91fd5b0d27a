#include "keeprule.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace {

int monthNumber(const QDate& date) {
    return date.year() * 12 + date.month() - 1;
}

} // namespace

std::vector<bool> backupsToKeep(const std::vector<QDateTime>& times, const QDateTime& now,
                                const std::function<bool(size_t index)>& readable) {
    std::vector<bool> keep(times.size(), false);
    // Newest first; of two equal times the one given first counts as the newer.
    std::vector<size_t> order(times.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&times](size_t a, size_t b) { return times[a] > times[b]; });

    const QDate today = now.date();
    const int thisMonth = monthNumber(today);
    std::set<QDate> days;
    std::set<int> months;
    for (size_t i : order) {
        const QDateTime& time = times[i];
        const QDate day = time.date();
        if (time > now || day == today) {
            keep[i] = true;
        }
        if (time > now)
            continue;
        // The first readable copy met of a day or a month is its newest.
        const int month = monthNumber(day);
        const bool dayOpen = int(days.size()) < KeptDays && !days.contains(day);
        const bool monthOpen = month > thisMonth - KeptMonths && !months.contains(month);
        if (!dayOpen && !monthOpen)
            continue;
        if (readable && !readable(i))
            continue;
        keep[i] = true;
        if (dayOpen)
            days.insert(day);
        if (monthOpen)
            months.insert(month);
    }
    return keep;
}
