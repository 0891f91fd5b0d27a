#include "germanformat.h"

#include <QLocale>

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
    bool ok = false;
    double v = plain.toDouble(&ok);
    if (!ok)
        return std::nullopt;
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

static QString format(double value, int significant) {
    if (std::isnan(value) || std::isinf(value))
        return QString();
    QString s = QString::number(value, 'g', significant);
    if (s.contains(QLatin1Char('e'))) {
        // Write out plainly: the values of this program are small amounts and factors.
        s = QString::number(value, 'f', significant);
        if (s.contains(QLatin1Char('.'))) {
            while (s.endsWith(QLatin1Char('0')))
                s.chop(1);
            if (s.endsWith(QLatin1Char('.')))
                s.chop(1);
        }
    }
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

QString formatSingle(float value) {
    return format(static_cast<double>(value), 7);
}

QString formatDouble(double value) {
    return format(value, 15);
}

QString formatDateTime(const QDateTime& when) {
    return when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

} // namespace GermanFormat
