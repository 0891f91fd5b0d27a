#include "valuecheck.h"

#include "germanformat.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace store {

namespace {

// The error number of each kind of refusal, for the record check's faults and the table's rules
// alike.
int refusalNumber(int field, ValueFault fault) {
    switch (fault) {
    case ValueFault::Empty:
        // An empty text in a number field is no number.
        return isTextType(fieldDef(field).type) ? ErrorNumber::ZeroLengthText
                                                : ErrorNumber::ConversionFailed;
    case ValueFault::TooLong:
        return ErrorNumber::FieldTooSmall;
    case ValueFault::NotANumber:
    case ValueFault::NotWhole:
        return ErrorNumber::ConversionFailed;
    case ValueFault::TooLarge:
    case ValueFault::TooSmall:
        break;
    }
    return ErrorNumber::NumericOverflow;
}

[[noreturn]] void refuse(int field, const ValueProblem& problem) {
    throw valueRefused(field, problem);
}

// A number as the message shows it: German digits, or what an engine would say for infinity or
// no number at all.
QString shownNumber(double value) {
    return std::isfinite(value) ? GermanFormat::formatDouble(value) : QString::number(value);
}

// A number for a number field in its column's form, or the refusal.
RawValue storableNumber(int field, double value, const QString& shown) {
    const FieldType type = fieldDef(field).type;
    if (!fitsColumn(type, value))
        refuse(field, *numberProblem(field, value, shown.isNull() ? shownNumber(value) : shown));
    return type == FieldType::Single ? RawValue::fromReal(double(float(value)))
                                     : RawValue::fromWhole(qint64(value));
}

} // namespace

EngineError valueRefused(int field, const ValueProblem& problem) {
    return EngineError(refusalNumber(field, problem.fault), problem.message);
}

EngineError notANumber(int field, const QString& text) {
    if (std::optional<ValueProblem> problem = valueProblem(field, text))
        return valueRefused(field, *problem);
    // A number in the program's way that is still not this field's, as a whole.
    return valueRefused(field,
                        *numberProblem(field, std::numeric_limits<double>::quiet_NaN(), text));
}

void checkValue(int field, const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return;
    case QMetaType::LongLong:
        storableValue(field, RawValue::fromWhole(value.toLongLong()));
        return;
    case QMetaType::Double:
        storableValue(field, RawValue::fromReal(value.toDouble()));
        return;
    default:
        break;
    }
    const QString text = value.toString();
    if (!isTextType(fieldDef(field).type)) {
        const QByteArray utf8 = text.toUtf8();
        storableValue(field, RawValue::fromText(utf8));
    } else if (std::optional<ValueProblem> problem = textProblem(field, QStringView(text))) {
        refuse(field, *problem);
    }
}

RawValue storableValue(int field, const RawValue& value) {
    const FieldDef& def = fieldDef(field);
    if (value.kind == RawValue::Kind::Null)
        return value;
    if (isTextType(def.type)) {
        // A number is written into a text field as its digits.
        QByteArray digits;
        if (value.kind == RawValue::Kind::Whole)
            digits = QByteArray::number(value.whole);
        else if (value.kind == RawValue::Kind::Real)
            digits = QByteArray::number(value.real, 'g', QLocale::FloatingPointShortest);
        if (std::optional<ValueProblem> problem = textProblem(
                field, value.kind == RawValue::Kind::Text ? value.text : QByteArrayView(digits)))
            refuse(field, *problem);
        return value;
    }
    switch (value.kind) {
    case RawValue::Kind::Whole:
        if (def.type != FieldType::Single && fitsColumn(def.type, double(value.whole)))
            return value;
        return storableNumber(field, double(value.whole), QString::number(value.whole));
    case RawValue::Kind::Real:
        return storableNumber(field, value.real, QString());
    case RawValue::Kind::Null:
    case RawValue::Kind::Text:
        break;
    }
    const QString text = QString::fromUtf8(value.text);
    const std::optional<double> number = GermanFormat::parseNumber(text);
    if (!number)
        throw notANumber(field, text);
    return storableNumber(field, *number, text.trimmed());
}

EngineError ruleRefused(const QString& constraint, const QString& message) {
    const int field = fieldIndex(constraint.section(QLatin1Char('_'), 0, 0));
    const QString rule = constraint.section(QLatin1Char('_'), 1);
    const QLatin1String name(field >= 0 ? fieldDef(field).name : "");
    if (field >= 0 && rule == QLatin1String("Laenge"))
        return EngineError(refusalNumber(field, ValueFault::TooLong),
                           QStringLiteral("Der Text im Feld \"%1\" ist zu lang: erlaubt sind "
                                          "höchstens %2 Zeichen.")
                               .arg(name)
                               .arg(fieldDef(field).size));
    if (field >= 0 && rule == QLatin1String("leer"))
        return EngineError(
            refusalNumber(field, ValueFault::Empty),
            QStringLiteral("Das Feld \"%1\" darf keinen leeren Text enthalten.").arg(name));
    if (field >= 0 && rule == QLatin1String("Bereich")) {
        const FieldType type = fieldDef(field).type;
        const ValueRange range = valueRange(type);
        const QString bounds = type == FieldType::Single ? QString()
                                                         : QStringLiteral(" (%1 bis %2)")
                                                               .arg(qint64(range.lowest))
                                                               .arg(qint64(range.highest));
        return EngineError(refusalNumber(field, ValueFault::TooLarge),
                           QStringLiteral("Die Zahl im Feld \"%1\" liegt außerhalb des erlaubten "
                                          "Bereichs%2.")
                               .arg(name, bounds));
    }
    return EngineError(ErrorNumber::UpdateRefused,
                       QStringLiteral("Der Datensatz wurde nicht gespeichert, weil ein Wert eine "
                                      "Regel der Tabelle verletzt (%1).")
                           .arg(message));
}

} // namespace store
