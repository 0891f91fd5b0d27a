#include "inputrules.h"

#include "formfields.h"
#include "germanformat.h"
#include "recordcheck.h"

#include <algorithm>
#include <cmath>

namespace InputRules {

namespace {

int indexOf(const char* name) {
    return fieldIndex(QLatin1String(name));
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

bool takesCharacters(Kind kind, QStringView text) {
    switch (kind) {
    case Kind::Text:
    case Kind::Remark:
    case Kind::Lunch:
        return true;
    case Kind::Number:
        return std::all_of(text.begin(), text.end(), isDigit);
    case Kind::Fee:
        return text.count(QLatin1Char(',')) <= 1 &&
               std::all_of(text.begin(), text.end(),
                           [](QChar c) { return isDigit(c) || c == QLatin1Char(','); });
    case Kind::SiblingCount:
        return text.isEmpty() ||
               (text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('3'));
    }
    return false;
}

} // namespace

Kind kindOf(int field) {
    switch (formField(field).control) {
    case FieldControl::Number:
        return Kind::Number;
    case FieldControl::Remark:
        return Kind::Remark;
    case FieldControl::Fee:
        return Kind::Fee;
    case FieldControl::Siblings:
        return Kind::SiblingCount;
    case FieldControl::Lunch:
        return Kind::Lunch;
    case FieldControl::Details:
        break;
    }
    return Kind::Text;
}

QString cleanLine(const QString& text, int* position) {
    qsizetype end = text.size();
    while (end > 0 && isLineBreak(text[end - 1]))
        --end;
    QString cleaned;
    cleaned.reserve(end);
    qsizetype moved = -1;
    for (qsizetype i = 0; i < end; ++i) {
        if (position && i == *position)
            moved = cleaned.size();
        const QChar c = text[i];
        // "\r\n" is one break: its "\n" becomes the blank.
        if (c == QLatin1Char('\r') && i + 1 < end && text[i + 1] == QLatin1Char('\n'))
            continue;
        cleaned += isLineBreak(c) || c == QLatin1Char('\t') ? QChar(QLatin1Char(' ')) : c;
    }
    if (position)
        *position = int(moved < 0 ? cleaned.size() : moved);
    return cleaned;
}

Verdict lineInput(Kind kind, QStringView text, int limit) {
    if (!takesCharacters(kind, text))
        return Verdict::RefusedCharacter;
    if (kind != Kind::SiblingCount && kind != Kind::Lunch && characterCount(text) > limit)
        return Verdict::TooLong;
    return Verdict::Accept;
}

QString tooLongMessage(int limit) {
    return QStringLiteral("Die Eingabe ist zu lang.\r\rEs können nur max. %1 Zeichen eingegeben "
                          "werden.")
        .arg(limit);
}

bool holdsNoValue(int field, QStringView text) {
    const FieldDef& f = fieldDef(field);
    return text.isEmpty() || (f.filler && text == QLatin1String(f.filler)) ||
           (f.placeholder && text == QLatin1String(f.placeholder));
}

QList<int> proposalTargets(int field) {
    if (field == indexOf("KKonf"))
        return {indexOf("MKonf"), indexOf("VKonf")};
    if (field == indexOf("KNat"))
        return {indexOf("MNat"), indexOf("VNat")};
    return {};
}

bool takesChildSurnameOnEntry(int field) {
    return field == indexOf("MNach") || field == indexOf("VNach");
}

int siblingRows(QStringView count) {
    if (count.size() == 1 && count[0] >= QLatin1Char('1') && count[0] <= QLatin1Char('3'))
        return count[0].unicode() - '0';
    return 0;
}

QList<int> siblingSurnames(int rows) {
    static const char* const kSurnames[] = {"G1Nach", "G2Nach", "G3Nach"};
    QList<int> fields;
    for (int row = 0; row < rows && row < 3; ++row)
        fields << indexOf(kSurnames[row]);
    return fields;
}

std::optional<QString> feeSum(QStringView base, QStringView factor, QStringView bookingFactor) {
    const std::optional<double> b = GermanFormat::parseNumber(base);
    const std::optional<double> f = GermanFormat::parseNumber(factor);
    const std::optional<double> k = GermanFormat::parseNumber(bookingFactor);
    if (!b || !f || !k)
        return std::nullopt;
    // The fifteen-digit format hides the last bits of the double product: 100 × 1,1 × 1 is
    // 110.00000000000001 before formatting.
    const double sum = *b * *f * *k;
    if (!std::isfinite(sum)) // a sum beyond any number: the previous one stays
        return std::nullopt;
    return GermanFormat::formatDouble(sum);
}

} // namespace InputRules
