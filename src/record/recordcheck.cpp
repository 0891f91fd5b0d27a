#include "recordcheck.h"

#include "germanformat.h"

#include <cmath>

namespace {

QString owner(FieldOwner owner) {
    switch (owner) {
    case FieldOwner::Child:
        return QStringLiteral("Kind");
    case FieldOwner::Mother:
        return QStringLiteral("Mutter");
    case FieldOwner::Father:
        return QStringLiteral("Vater");
    case FieldOwner::Sibling1:
    case FieldOwner::Sibling2:
    case FieldOwner::Sibling3:
        return QStringLiteral("%1. Geschwisterkind")
            .arg(int(owner) - int(FieldOwner::Sibling1) + 1);
    case FieldOwner::Record:
        break;
    }
    return QString();
}

// Characters of UTF-8 text as the column counts them: every byte that does not continue a
// character.
qsizetype characterCount(QByteArrayView utf8) {
    qsizetype count = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

// Empty, or longer than a Text column. A character takes at least one unit of the text, so only
// a text with more units than the column has characters is counted.
template <typename Text> std::optional<ValueProblem> lengthProblem(int field, Text text) {
    const FieldDef& f = fieldDef(field);
    if (text.isEmpty())
        return ValueProblem{ValueFault::Empty,
                            QStringLiteral("Das Feld \"%1\" ist leer; es muss mindestens ein "
                                           "Zeichen enthalten.")
                                .arg(fieldLabel(field))};
    if (f.type != FieldType::Text || text.size() <= f.size)
        return std::nullopt;
    const qsizetype length = characterCount(text);
    if (length > f.size)
        return ValueProblem{ValueFault::TooLong,
                            QStringLiteral("Der Text im Feld \"%1\" ist %2 Zeichen lang; "
                                           "gespeichert werden können höchstens %3 Zeichen.")
                                .arg(fieldLabel(field))
                                .arg(length)
                                .arg(f.size)};
    return std::nullopt;
}

QString allowedNumbers(FieldType type) {
    return type == FieldType::Single
               ? QStringLiteral("Ziffern mit höchstens einem Komma, zum Beispiel 2,5")
               : QStringLiteral("nur Ziffern ohne Komma, zum Beispiel 2");
}

// A value as a message quotes it: a long one is cut after ShownCharacters characters and ends
// with "…", so that the reason after it stays on the screen.
constexpr qsizetype ShownCharacters = 40;

QString shortened(const QString& value) {
    if (value.size() <= ShownCharacters)
        return value;
    qsizetype cut = ShownCharacters;
    if (value[cut].isLowSurrogate())
        --cut; // never half a character
    return value.left(cut) + QChar(0x2026);
}

QString rangeText(FieldType type, double bound) {
    return type == FieldType::Single ? GermanFormat::formatDouble(bound)
                                     : QString::number(qint64(bound));
}

} // namespace

qsizetype characterCount(QStringView text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!(text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()))
            ++count;
    return count;
}

QString fieldLabel(int field) {
    if (field < 0 || field >= FieldCount)
        return QString();
    const FieldDef& f = fieldDef(field);
    const QString caption = QString::fromUtf8(f.caption);
    const QString whose = owner(f.owner);
    return whose.isEmpty() ? caption : QStringLiteral("%1 (%2)").arg(caption, whose);
}

std::optional<ValueProblem> textProblem(int field, QStringView text) {
    return lengthProblem(field, text);
}

std::optional<ValueProblem> textProblem(int field, QByteArrayView utf8) {
    return lengthProblem(field, utf8);
}

std::optional<ValueProblem> numberProblem(int field, double value, const QString& given) {
    const FieldDef& f = fieldDef(field);
    if (fitsColumn(f.type, value))
        return std::nullopt;
    const QString shown = shortened(given);
    const QString label = fieldLabel(field);
    const ValueRange range = valueRange(f.type);
    // A Single that does not fit lies beyond its range; a whole-number field may also be given a
    // fraction within it.
    const bool single = f.type == FieldType::Single;
    const bool above = value > range.highest || (single && value > 0);
    const bool below = value < range.lowest || (single && value < 0);
    const bool isNr = f.type == FieldType::Long;
    if (isNr && above)
        return ValueProblem{ValueFault::TooLarge,
                            QStringLiteral("Die Nummer %1 ist zu groß: Eine Nummer kann "
                                           "höchstens %2 sein.")
                                .arg(shown, rangeText(f.type, range.highest))};
    if (isNr && below)
        return ValueProblem{ValueFault::TooSmall,
                            QStringLiteral("Die Nummer %1 ist zu klein: Eine Nummer kann nicht "
                                           "kleiner als %2 sein.")
                                .arg(shown, rangeText(f.type, range.lowest))};
    if (above)
        return ValueProblem{ValueFault::TooLarge,
                            QStringLiteral("Die Zahl %1 im Feld \"%2\" ist zu groß: Das Feld "
                                           "nimmt höchstens %3 auf.")
                                .arg(shown, label, rangeText(f.type, range.highest))};
    if (below)
        return ValueProblem{ValueFault::TooSmall,
                            QStringLiteral("Die Zahl %1 im Feld \"%2\" ist zu klein: Das Feld "
                                           "nimmt keine Zahl unter %3 auf.")
                                .arg(shown, label, rangeText(f.type, range.lowest))};
    if (std::isnan(value))
        return notANumberProblem(field, given);
    return ValueProblem{ValueFault::NotWhole,
                        QStringLiteral("Im Feld \"%1\" steht \"%2\". Das ist keine ganze Zahl; "
                                       "erlaubt sind %3.")
                            .arg(label, shown, allowedNumbers(f.type))};
}

ValueProblem notANumberProblem(int field, const QString& shown) {
    return ValueProblem{
        ValueFault::NotANumber,
        QStringLiteral("Im Feld \"%1\" steht \"%2\". Das ist keine Zahl; "
                       "erlaubt sind %3.")
            .arg(fieldLabel(field), shortened(shown), allowedNumbers(fieldDef(field).type))};
}

std::optional<ValueProblem> valueProblem(int field, const QString& text) {
    const FieldDef& f = fieldDef(field);
    if (isTextType(f.type))
        return textProblem(field, QStringView(text));
    const QString label = fieldLabel(field);
    const QString shown = text.trimmed();
    if (shown.isEmpty())
        return ValueProblem{ValueFault::Empty,
                            QStringLiteral("Das Feld \"%1\" ist leer; erlaubt sind %2.")
                                .arg(label, allowedNumbers(f.type))};
    const std::optional<double> number = GermanFormat::parseNumber(text);
    if (!number)
        return notANumberProblem(field, text);
    if (auto problem = numberProblem(field, *number, shown)) {
        // A fraction names the text as it was typed, blanks and all.
        if (problem->fault == ValueFault::NotWhole)
            return numberProblem(field, *number, text);
        return problem;
    }
    return std::nullopt;
}

std::optional<QString> fieldProblem(int field, const QString& text) {
    if (auto problem = valueProblem(field, text))
        return problem->message;
    return std::nullopt;
}

std::optional<InputProblem> checkRecord(const RecordTexts& texts, bool newRecord) {
    for (int field : writeColumns(newRecord))
        if (const std::optional<QString> message = fieldProblem(field, texts[size_t(field)]))
            return InputProblem{field, *message};
    return std::nullopt;
}
