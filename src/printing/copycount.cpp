#include "copycount.h"

#include <algorithm>

namespace CopyCount {

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The number of a text of digits, counted only as far as it matters: anything over 99 is 100.
int valueOf(QStringView digits) {
    int value = 0;
    for (QChar c : digits) {
        value = value * 10 + (c.unicode() - '0');
        if (value > Max)
            return Max + 1;
    }
    return value;
}

} // namespace

bool keyAllowed(QStringView text, QChar key) {
    return text.size() <= 1 && isDigit(key);
}

Checked check(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.isEmpty() || !std::all_of(t.begin(), t.end(), isDigit))
        return {QStringLiteral("1"), 1, false};
    const int value = valueOf(t);
    if (value > Max)
        return {QString::number(Max), Max, true};
    if (value == 0)
        return {QStringLiteral("1"), 1, false};
    return {t.toString(), value, false};
}

QString step(QStringView text, int by) {
    return QString::number(std::clamp(check(text).count + by, 1, Max));
}

} // namespace CopyCount
