// The German number forms: parseNumber against the grammar written out below, parseWholeNumber
// against parseNumber rounded half to even, and formatSingle/formatDouble read back by
// parseNumber.
#include "germanformat.h"

#include <QString>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

void check(bool ok, const char* what, const QString& detail) {
    if (ok)
        return;
    std::fprintf(stderr, "%s: %s\n", what, detail.toUtf8().constData());
    std::abort();
}

QString show(std::optional<double> v) {
    return v ? QString::number(*v, 'g', 17) : QStringLiteral("none");
}

// Blanks around (any white space), then either a sign, ASCII digits and at most one "," or "."
// with at least one digit, or "&H"/"&h" and at least one hexadecimal digit. The value is the
// C library's correctly rounded reading of the same digits.
std::optional<double> referenceNumber(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].isSpace())
        ++begin;
    while (end > begin && text[end - 1].isSpace())
        --end;
    const QStringView t = text.mid(begin, end - begin);
    auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    std::string c;
    if (t.size() >= 3 && t[0] == u'&' && (t[1] == u'H' || t[1] == u'h')) {
        c = "0x";
        for (QChar ch : t.mid(2)) {
            if (!isDigit(ch) && !(ch >= u'a' && ch <= u'f') && !(ch >= u'A' && ch <= u'F'))
                return std::nullopt;
            c += char(ch.unicode());
        }
    } else {
        qsizetype i = 0;
        if (!t.isEmpty() && (t[0] == u'+' || t[0] == u'-'))
            c += char(t[i++].unicode());
        bool separator = false;
        bool digit = false;
        for (; i < t.size(); ++i) {
            if (isDigit(t[i])) {
                digit = true;
                c += char(t[i].unicode());
            } else if ((t[i] == u',' || t[i] == u'.') && !separator) {
                separator = true;
                c += '.';
            } else {
                return std::nullopt;
            }
        }
        if (!digit)
            return std::nullopt;
    }
    return std::strtod(c.c_str(), nullptr);
}

bool sameValue(double a, double b) {
    return a == b && std::signbit(a) == std::signbit(b);
}

// The nearest whole number, half to even, written without the library's rounding functions.
double roundHalfEven(double v) {
    const double down = std::floor(v);
    const double rest = v - down;
    if (rest != 0.5)
        return rest < 0.5 ? down : down + 1;
    return std::fmod(down, 2) == 0 ? down : down + 1;
}

// The form the format functions promise: an optional "-" (never "-0"), no exponent, at most one
// decimal comma with no trailing zero after it, at most `digits` significant digits.
bool wellFormed(const QString& s, int digits) {
    if (s.isEmpty() || s == u"-0")
        return false;
    const QStringView body = s.startsWith(u'-') ? QStringView(s).mid(1) : QStringView(s);
    const qsizetype comma = body.indexOf(u',');
    QString allDigits;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (i == comma)
            continue;
        if (body[i] < u'0' || body[i] > u'9')
            return false;
        allDigits += body[i];
    }
    if (comma == 0 || comma == body.size() - 1 || (comma > 0 && body.back() == u'0'))
        return false;
    if (body.size() > 1 && body[0] == u'0' && comma != 1)
        return false; // a leading zero
    qsizetype first = 0;
    while (first < allDigits.size() && allDigits[first] == u'0')
        ++first;
    qsizetype last = allDigits.size();
    while (last > first && allDigits[last - 1] == u'0')
        --last;
    return last - first <= digits;
}

// `shown` must read back as `value` rounded to `digits` significant digits (a tie may go either
// way).
void checkFormatted(double value, const QString& shown, int digits, const char* what) {
    if (!std::isfinite(value)) {
        check(shown.isEmpty(), what, shown);
        return;
    }
    check(wellFormed(shown, digits), what, shown);
    const std::optional<double> back = GermanFormat::parseNumber(shown);
    check(back.has_value(), what, shown);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, value);
    const double rounded = std::strtod(buffer, nullptr);
    if (*back == rounded)
        return;
    const long double ulp = std::nextafter(std::fabs(value), INFINITY) - std::fabs(value);
    const long double tie = std::fabs((long double)*back + rounded - 2.0L * value);
    check(tie <= 4 * ulp, what,
          shown + QStringLiteral(" for %1, expected %2").arg(value, 0, 'g', 17).arg(buffer));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<double> number = GermanFormat::parseNumber(text);
    const std::optional<double> expected = referenceNumber(text);
    check(number.has_value() == expected.has_value(), "parseNumber accepts", text);
    if (number) {
        // Hexadecimal digits beyond a double's 53 bits may round once per digit.
        const bool exact = sameValue(*number, *expected) ||
                           (text.contains(u'&') &&
                            std::fabs(*number - *expected) <= std::fabs(*expected) * 0x1p-45);
        check(exact, "parseNumber value",
              text + QStringLiteral(" -> ") + show(number) + QStringLiteral(" not ") +
                  show(expected));
    }

    const std::optional<qint64> whole = GermanFormat::parseWholeNumber(text);
    std::optional<qint64> expectedWhole;
    if (number) {
        const double r = roundHalfEven(*number);
        if (r >= -2147483648.0 && r <= 2147483647.0)
            expectedWhole = qint64(r);
    }
    check(whole == expectedWhole, "parseWholeNumber", text);

    if (size >= sizeof(double)) {
        double d;
        std::memcpy(&d, data, sizeof d);
        checkFormatted(d, GermanFormat::formatDouble(d), 15, "formatDouble");
    }
    if (size >= sizeof(float)) {
        float f;
        std::memcpy(&f, data, sizeof f);
        checkFormatted(double(f), GermanFormat::formatSingle(f), 7, "formatSingle");
    }
    return 0;
}
