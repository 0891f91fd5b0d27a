#include "recordtexts.h"

#include "germanformat.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

int indexOf(const char* name) {
    return fieldIndex(QString::fromLatin1(name));
}

// What a control shows for one stored value.
QString displayText(const FieldDef& f, const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return QString();
    switch (f.type) {
    case FieldType::Single:
        return GermanFormat::formatSingle(float(v.toDouble()));
    case FieldType::Long:
    case FieldType::Integer:
        return QString::number(v.toLongLong());
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return v.toString();
}

void fillEmpty(QString& text, const char* filler) {
    if (text.isEmpty())
        text = QLatin1String(filler);
}

// The religion and nationality fields: while a record is edited their choice boxes stand in for
// the text boxes, and applyPlaceholders fills them one by one (a religion gets "o.K.").
bool hasChoiceBox(int field) {
    static const int kChoiceFields[] = {indexOf("KKonf"), indexOf("KNat"),  indexOf("MKonf"),
                                        indexOf("MNat"),  indexOf("VKonf"), indexOf("VNat")};
    return std::find(std::begin(kChoiceFields), std::end(kChoiceFields), field) !=
           std::end(kChoiceFields);
}

// Characters as the column counts them: a character outside the basic plane is one, not two.
qsizetype characterCount(const QString& text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!(text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()))
            ++count;
    return count;
}

std::optional<QString> textProblem(const FieldDef& f, const QString& label, const QString& text) {
    if (text.isEmpty())
        return QStringLiteral("Das Feld \"%1\" ist leer; es muss mindestens ein Zeichen "
                              "enthalten.")
            .arg(label);
    const qsizetype length = characterCount(text);
    if (f.type == FieldType::Text && length > f.size)
        return QStringLiteral("Der Text im Feld \"%1\" ist %2 Zeichen lang; gespeichert werden "
                              "können höchstens %3 Zeichen.")
            .arg(label)
            .arg(length)
            .arg(f.size);
    return std::nullopt;
}

struct NumberRange {
    double lowest;
    double highest;
    QString lowestText;
    QString highestText;
};

// Half a unit of the last place above the largest single: from here on a number rounds to
// infinity.
constexpr double kSingleLimit = 0x1.ffffffp127;

NumberRange rangeOf(FieldType type) {
    switch (type) {
    case FieldType::Long:
        return {-2147483648.0, 2147483647.0, QStringLiteral("-2147483648"),
                QStringLiteral("2147483647")};
    case FieldType::Integer:
        return {-32768.0, 32767.0, QStringLiteral("-32768"), QStringLiteral("32767")};
    default:
        return {-double(FLT_MAX), double(FLT_MAX), GermanFormat::formatDouble(-double(FLT_MAX)),
                GermanFormat::formatDouble(double(FLT_MAX))};
    }
}

std::optional<QString> numberProblem(const FieldDef& f, const QString& label, const QString& text) {
    const bool whole = f.type != FieldType::Single;
    const QString allowed = whole ? QStringLiteral("nur Ziffern ohne Komma, zum Beispiel 2")
                                  : QStringLiteral("Ziffern mit höchstens einem Komma, zum "
                                                   "Beispiel 2,5");
    const QString shown = text.trimmed();
    if (shown.isEmpty())
        return QStringLiteral("Das Feld \"%1\" ist leer; erlaubt sind %2.").arg(label, allowed);
    const std::optional<double> number = GermanFormat::parseNumber(text);
    if (!number)
        return QStringLiteral("Im Feld \"%1\" steht \"%2\". Das ist keine Zahl; erlaubt sind %3.")
            .arg(label, text, allowed);

    const NumberRange range = rangeOf(f.type);
    // A Single takes every number that rounds to a finite single, the shortest form of the
    // largest one (3,4028235 * 10^38) included, though it lies a little above it.
    const double limit = f.type == FieldType::Single ? kSingleLimit : range.highest;
    const bool tooLarge = f.type == FieldType::Single ? *number >= limit : *number > limit;
    const bool tooSmall = f.type == FieldType::Single ? *number <= -limit : *number < range.lowest;
    const bool isNr = f.type == FieldType::Long;
    if (tooLarge && isNr)
        return QStringLiteral("Die Nummer %1 ist zu groß: Eine Nummer kann höchstens %2 sein.")
            .arg(shown, range.highestText);
    if (tooSmall && isNr)
        return QStringLiteral("Die Nummer %1 ist zu klein: Eine Nummer kann nicht kleiner als "
                              "%2 sein.")
            .arg(shown, range.lowestText);
    if (tooLarge)
        return QStringLiteral("Die Zahl %1 im Feld \"%2\" ist zu groß: Das Feld nimmt höchstens "
                              "%3 auf.")
            .arg(shown, label, range.highestText);
    if (tooSmall)
        return QStringLiteral("Die Zahl %1 im Feld \"%2\" ist zu klein: Das Feld nimmt keine "
                              "Zahl unter %3 auf.")
            .arg(shown, label, range.lowestText);
    if (whole && *number != std::trunc(*number))
        return QStringLiteral("Im Feld \"%1\" steht \"%2\". Das ist keine ganze Zahl; erlaubt "
                              "sind %3.")
            .arg(label, text, allowed);
    return std::nullopt;
}

} // namespace

RecordTexts displayTexts(const RecordValues& values) {
    static const int kLunch = indexOf("KEssen");
    RecordTexts texts;
    for (int i = 0; i < FieldCount; ++i) {
        const QVariant& v = values[size_t(i)];
        if (i == kLunch)
            texts[size_t(i)] =
                v.toString() == QLatin1String("ja") ? QStringLiteral("ja") : QStringLiteral("nein");
        else
            texts[size_t(i)] = displayText(fieldTable()[size_t(i)], v);
    }
    return texts;
}

QString statusText(const QString& nr, const QString& surname, const QString& firstName) {
    return QStringLiteral("aktueller Datensatz : Nr. %1 - %2, %3").arg(nr, surname, firstName);
}

QString emptyStatusText() {
    return QStringLiteral("aktueller Datensatz : -");
}

void applyPlaceholders(RecordTexts& texts) {
    auto text = [&texts](const char* name) -> QString& { return texts[size_t(indexOf(name))]; };
    fillEmpty(text("Nr"), "9999");
    fillEmpty(text("Bem"), "-");
    for (int i = 0; i < FieldCount; ++i)
        if (fieldTable()[size_t(i)].control == FieldControl::Details && !hasChoiceBox(i))
            fillEmpty(texts[size_t(i)], "-");
    fillEmpty(text("KKonf"), "o.K.");
    fillEmpty(text("KNat"), "-");
    // The PK number got "-" with the other boxes just above; a "-" typed there counts the same.
    if (text("KPKNr") == QLatin1String("-"))
        text("KPKNr") = QStringLiteral("0000000");
    for (int i = 0; i < FieldCount; ++i) {
        QString& fee = texts[size_t(i)];
        if (fieldTable()[size_t(i)].control == FieldControl::Fee &&
            (fee.isEmpty() || fee == QLatin1String("-")))
            fee = QStringLiteral("0");
    }
    fillEmpty(text("MKonf"), "o.K.");
    fillEmpty(text("VKonf"), "o.K.");
    fillEmpty(text("MNat"), "-");
    fillEmpty(text("VNat"), "-");
    fillEmpty(text("GAnz"), "0");
}

const char* savedPlaceholder(int field, QStringView text) {
    const FieldDef& f = fieldTable()[size_t(field)];
    const bool dash = text == QLatin1String("-");
    if (dash && (f.control == FieldControl::Fee || qstrcmp(f.name, "KPKNr") == 0))
        return f.placeholder;
    return text.isEmpty() ? f.placeholder : nullptr;
}

QList<int> writeColumns(bool newRecord) {
    // The child's fields go in this order; from the mother's surname on the table's order.
    static const char* const kChild[] = {"Nr",     "KSorge",  "Bem",      "KNach",    "KVor",
                                         "KGeb",   "KGebin",  "KKonf",    "KNat",     "KStr",
                                         "KPLZ",   "KOrt",    "KTel1",    "KTel2",    "KArzt",
                                         "KEin",   "KPKNr",   "KBuchvon", "KBuchbis", "KGrp",
                                         "KBasis", "KFaktor", "KBuchFak", "KSumme",   "KEssen"};
    QList<int> columns;
    for (const char* name : kChild)
        if (newRecord || qstrcmp(name, "Nr") != 0)
            columns << indexOf(name);
    for (int i = indexOf("MNach"); i < FieldCount; ++i)
        columns << i;
    return columns;
}

QString fieldLabel(int field) {
    if (field < 0 || field >= FieldCount)
        return QString();
    const FieldDef& f = fieldTable()[size_t(field)];
    const QString caption = QString::fromUtf8(f.caption);
    // Only the detail boxes belong to a person; the number, remark, fees, lunch and sibling
    // count are the record's own.
    if (f.control != FieldControl::Details)
        return caption;
    QString owner;
    switch (f.name[0]) {
    case 'M':
        owner = QStringLiteral("Mutter");
        break;
    case 'V':
        owner = QStringLiteral("Vater");
        break;
    case 'G':
        owner = QStringLiteral("%1. Geschwisterkind").arg(QLatin1Char(f.name[1]));
        break;
    default:
        owner = QStringLiteral("Kind");
        break;
    }
    return QStringLiteral("%1 (%2)").arg(caption, owner);
}

std::optional<QString> fieldProblem(int field, const QString& text) {
    const FieldDef& f = fieldTable()[size_t(field)];
    const QString label = fieldLabel(field);
    return isTextType(f.type) ? textProblem(f, label, text) : numberProblem(f, label, text);
}

std::optional<InputProblem> checkRecord(const RecordTexts& texts, bool newRecord) {
    for (int field : writeColumns(newRecord)) {
        const std::optional<QString> message = fieldProblem(field, texts[size_t(field)]);
        if (message)
            return InputProblem{field, *message};
    }
    return std::nullopt;
}
