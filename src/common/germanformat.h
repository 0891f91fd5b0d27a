#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// German number and date forms, whatever the machine's locale: decimal comma, dates dd.MM.yyyy,
// times HH:mm:ss.
namespace GermanFormat {

// The one definition of a number used everywhere (settings file, typed numbers): blanks around
// it, an optional sign, digits with at most one decimal comma or point (a point is a decimal
// point, never a thousands separator), or "&H" followed by hexadecimal digits.
std::optional<double> parseNumber(QStringView text);

// A whole number in the same form; a fraction is rounded half to even, as the old conversions
// did. Empty when the text is not a number or lies outside the 32-bit range.
std::optional<qint64> parseWholeNumber(QStringView text);

// A single-precision value with at most seven significant digits, no trailing zeros and a decimal
// comma: 2.5 -> "2,5", 3 -> "3".
QString formatSingle(float value);

// A single-precision value in the shortest form that reads back as the same single (at most nine
// significant digits), written out plainly with a decimal comma: the single 123456792 stays
// "123456792", where formatSingle gives "123456800", another single.
QString formatSingleExact(float value);

// A double with at most fifteen significant digits in the same form (the general number format).
QString formatDouble(double value);

// "dd.MM.yyyy HH:mm:ss"
QString formatDateTime(const QDateTime& when);

} // namespace GermanFormat
