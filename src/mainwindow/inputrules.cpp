#include "inputrules.h"

#include "fieldtable.h"
#include "germanformat.h"

#include <cmath>

namespace InputRules {

namespace {

int indexOf(const char* name) {
    return fieldIndex(QString::fromLatin1(name));
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// Whether a typed character (neither Backspace nor Enter) may go into a control of this kind,
// the length rule left aside.
bool takesCharacter(Kind kind, QChar c, int textLength, int selectionLength) {
    switch (kind) {
    case Kind::Text:
    case Kind::Remark:
    case Kind::Lunch:
        return true;
    case Kind::Number:
        return isDigit(c);
    case Kind::Fee:
        return isDigit(c) || c == QLatin1Char(',');
    case Kind::SiblingCount:
        // One digit only: it goes into an empty box or replaces the whole text.
        return c >= QLatin1Char('0') && c <= QLatin1Char('3') && selectionLength >= textLength;
    }
    return false;
}

// Kinds whose typed characters are bound by the limit.
bool hasLengthRule(Kind kind) {
    return kind != Kind::SiblingCount && kind != Kind::Lunch;
}

} // namespace

KeyResult keyResult(Kind kind, QChar key, int textLength, int selectionLength, int limit) {
    if (key == Backspace)
        return KeyResult::Accept;
    if (key == Enter && kind != Kind::Remark)
        return KeyResult::MoveFocus;
    if (!takesCharacter(kind, key, textLength, selectionLength))
        return KeyResult::Discard;
    if (hasLengthRule(kind) && selectionLength == 0 && textLength >= limit)
        return KeyResult::TooLong;
    return KeyResult::Accept;
}

KeyResult pasteResult(Kind kind, QStringView pasted, int textLength, int selectionLength,
                      int limit) {
    for (QChar c : pasted) {
        const bool refused = isLineBreak(c) ? kind != Kind::Remark
                                            : !takesCharacter(kind, c, textLength, selectionLength);
        if (refused)
            return KeyResult::Discard;
    }
    if (kind == Kind::Lunch)
        return KeyResult::Accept;
    if (textLength - selectionLength + pasted.size() > limit)
        return KeyResult::TooLong;
    return KeyResult::Accept;
}

QString tooLongMessage(int limit) {
    return QStringLiteral("Die Eingabe ist zu lang.\r\rEs können nur max. %1 Zeichen eingegeben "
                          "werden.")
        .arg(limit);
}

QString fillerOnLeave(int field, bool choiceBox) {
    if (field < 0 || field >= FieldCount)
        return QString();
    // The choice boxes of the child's nationality and of the parents' religions get "o.K."; the
    // other choice boxes "-", as every text box does.
    if (choiceBox &&
        (field == indexOf("KNat") || field == indexOf("MKonf") || field == indexOf("VKonf")))
        return QStringLiteral("o.K.");
    switch (fieldTable()[size_t(field)].control) {
    case FieldControl::Details:
        return QStringLiteral("-");
    case FieldControl::Fee:
        return QStringLiteral("1");
    case FieldControl::Number:
    case FieldControl::Remark:
    case FieldControl::Lunch:
    case FieldControl::Siblings:
        break;
    }
    return QString();
}

bool takesProposal(QStringView text) {
    return text.isEmpty() || text == QLatin1String("-") || text == QLatin1String("o.K.");
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
