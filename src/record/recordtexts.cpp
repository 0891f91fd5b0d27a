#include "recordtexts.h"

#include "germanformat.h"

namespace {

// What a control shows for one stored value.
QString displayText(const FieldDef& f, const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return QString();
    switch (f.type) {
    case FieldType::Single:
        return GermanFormat::formatSingleExact(float(v.toDouble()));
    case FieldType::Long:
    case FieldType::Integer:
        return QString::number(v.toLongLong());
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return v.toString();
}

bool isNumberText(const char* text) {
    for (; *text; ++text)
        if (*text < '0' || *text > '9')
            return false;
    return true;
}

} // namespace

RecordTexts displayTexts(const RecordValues& values) {
    static const int kLunch = fieldIndex(u"KEssen");
    RecordTexts texts;
    for (int i = 0; i < FieldCount; ++i) {
        const QVariant& v = values[size_t(i)];
        if (i == kLunch)
            texts[size_t(i)] =
                v.toString() == QLatin1String("ja") ? QStringLiteral("ja") : QStringLiteral("nein");
        else
            texts[size_t(i)] = displayText(fieldDef(i), v);
    }
    return texts;
}

const char* savedPlaceholder(int field, QStringView text) {
    const char* placeholder = fieldDef(field).placeholder;
    if (!placeholder)
        return nullptr;
    if (text.isEmpty())
        return placeholder;
    return text == QLatin1String("-") && isNumberText(placeholder) ? placeholder : nullptr;
}

void applyPlaceholders(RecordTexts& texts) {
    for (int i = 0; i < FieldCount; ++i)
        if (const char* placeholder = savedPlaceholder(i, texts[size_t(i)]))
            texts[size_t(i)] = QString::fromUtf8(placeholder);
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
            columns << fieldIndex(QLatin1String(name));
    for (int i = fieldIndex(u"MNach"); i < FieldCount; ++i)
        columns << i;
    return columns;
}
