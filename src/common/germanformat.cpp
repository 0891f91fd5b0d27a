#include "germanformat.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>

namespace GermanFormat {

std::optional<double> parseNumber(QStringView text) {
    QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (t.size() > 2 && t[0] == QLatin1Char('&') &&
        (t[1] == QLatin1Char('H') || t[1] == QLatin1Char('h'))) {
        double v = 0;
        for (QChar c : t.mid(2)) {
            int d;
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                d = c.unicode() - '0';
            else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
                d = c.unicode() - 'a' + 10;
            else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
                d = c.unicode() - 'A' + 10;
            else
                return std::nullopt;
            v = v * 16 + d;
        }
        return v;
    }
    qsizetype i = 0;
    bool negative = false;
    if (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-')) {
        negative = t[0] == QLatin1Char('-');
        i = 1;
    }
    QString plain;
    bool separator = false;
    int digits = 0;
    for (; i < t.size(); ++i) {
        QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            plain += c;
            ++digits;
        } else if ((c == QLatin1Char(',') || c == QLatin1Char('.')) && !separator) {
            separator = true;
            plain += QLatin1Char('.');
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    // The digits are well formed, so toDouble fails only beyond a double's range, and then gives
    // infinity or zero: the value such a number rounds to.
    const double v = plain.toDouble();
    return negative ? -v : v;
}

std::optional<qint64> parseWholeNumber(QStringView text) {
    auto v = parseNumber(text);
    if (!v)
        return std::nullopt;
    double r = std::nearbyint(*v); // default rounding mode: half to even
    if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint64>(r);
}

// A number's digits written out plainly, without exponent, with a decimal comma.
static QString plain(QString s) {
    const qsizetype e = s.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        // Written out plainly, the same digits: "1.5e-07" as "0.00000015", "1.234568e+08" as
        // "123456800".
        const bool negative = s.startsWith(QLatin1Char('-'));
        const int exponent = QStringView(s).mid(e + 1).toInt();
        QString digits = s.mid(negative ? 1 : 0, e - (negative ? 1 : 0));
        digits.remove(QLatin1Char('.'));
        const qsizetype point = exponent + 1; // digits before the decimal point
        if (point <= 0)
            s = QStringLiteral("0.") + QString(-point, QLatin1Char('0')) + digits;
        else if (point >= digits.size())
            s = digits + QString(point - digits.size(), QLatin1Char('0'));
        else
            s = digits.left(point) + QLatin1Char('.') + digits.mid(point);
        if (negative)
            s.prepend(QLatin1Char('-'));
    }
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

static QString format(double value, int significant) {
    if (std::isnan(value) || std::isinf(value))
        return QString();
    return plain(QString::number(value, 'g', significant));
}

QString formatSingle(float value) {
    return format(static_cast<double>(value), 7);
}

QString formatSingleExact(float value) {
    if (std::isnan(value) || std::isinf(value))
        return QString();
    char digits[32];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general);
    return plain(QString::fromLatin1(digits, end.ptr - digits));
}

QString formatDouble(double value) {
    return format(value, 15);
}

QString formatDateTime(const QDateTime& when) {
    return when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

} // namespace GermanFormat
