#include "recordfields.h"

#include <cfloat>
#include <cmath>

namespace {

using T = FieldType;
using O = FieldOwner;

// name, type, size, caption, table caption, owner, placeholder, filler, input limit
constexpr std::array<FieldDef, FieldCount> kFields{{
    {"Nr", T::Long, 0, "Nummer", "Nr.", O::Record, "9999", nullptr, 10},
    {"KSorge", T::Text, 20, "Sorgerecht", nullptr, O::Child, "-", "-", 0},
    {"Bem", T::Memo, 0, "Bemerkung", nullptr, O::Record, "-", nullptr, 65535},
    {"KNach", T::Text, 30, "Nachname", "Nachname", O::Child, "-", "-", 0},
    {"KVor", T::Text, 30, "Vorname", "Vorname", O::Child, "-", "-", 0},
    {"KGeb", T::Text, 17, "geb. am", "geb. am", O::Child, "-", "-", 0},
    {"KGebin", T::Text, 30, "in", nullptr, O::Child, "-", "-", 0},
    {"KKonf", T::Text, 20, "Konfession", "Konfesion", O::Child, "o.K.", "o.K.", 0},
    {"KNat", T::Text, 20, "Nationalität", "Nationalität", O::Child, "-", "-", 0},
    {"KStr", T::Text, 40, "Straße", "Strasse", O::Child, "-", "-", 0},
    {"KPLZ", T::Text, 7, "PLZ", "PLZ", O::Child, "-", "-", 0},
    {"KOrt", T::Text, 40, "Ort", "Ort", O::Child, "-", "-", 0},
    {"KTel1", T::Text, 25, "Telefon 1", "Tel.Nr.1", O::Child, "-", "-", 0},
    {"KTel2", T::Text, 25, "Telefon 2", "Tel.Nr.2", O::Child, "-", "-", 0},
    {"KArzt", T::Text, 40, "Kinderarzt", "Arzt", O::Child, "-", "-", 0},
    {"KEin", T::Text, 17, "Eintritt am", nullptr, O::Child, "-", "-", 0},
    {"KPKNr", T::Text, 10, "PK-Nummer", nullptr, O::Child, "0000000", "-", 0},
    {"KGrp", T::Text, 15, "Gruppe", "Gruppe", O::Child, "-", "-", 0},
    {"KBasis", T::Single, 0, "Basiswert", nullptr, O::Record, "0", "1", 15},
    {"KFaktor", T::Single, 0, "Faktor Kind", nullptr, O::Record, "0", "1", 15},
    {"KBuchFak", T::Single, 0, "Buchungsfaktor", nullptr, O::Record, "0", "1", 15},
    {"KBuchvon", T::Text, 8, "Buchungszeit von", nullptr, O::Child, "-", "-", 0},
    {"KBuchbis", T::Text, 8, "bis", nullptr, O::Child, "-", "-", 0},
    {"KSumme", T::Single, 0, "Summe", nullptr, O::Record, "0", "1", 15},
    {"KEssen", T::Text, 4, "Essen", "Essen", O::Record, "nein", nullptr, 0},
    {"MNach", T::Text, 30, "Nachname", "M. Nachname", O::Mother, "-", "-", 0},
    {"MVor", T::Text, 30, "Vorname", "M. Vorname", O::Mother, "-", "-", 0},
    {"MGeb", T::Text, 17, "geb. am", nullptr, O::Mother, "-", "-", 0},
    {"MGebin", T::Text, 30, "in", nullptr, O::Mother, "-", "-", 0},
    {"MKonf", T::Text, 20, "Konfession", nullptr, O::Mother, "o.K.", "o.K.", 0},
    {"MNat", T::Text, 20, "Nationalität", nullptr, O::Mother, "-", "-", 0},
    {"MStr", T::Text, 40, "Straße", nullptr, O::Mother, "-", "-", 0},
    {"MPLZ", T::Text, 7, "PLZ", nullptr, O::Mother, "-", "-", 0},
    {"MOrt", T::Text, 40, "Ort", nullptr, O::Mother, "-", "-", 0},
    {"MTel1", T::Text, 25, "Telefon 1", "M. Tel.Nr.1", O::Mother, "-", "-", 0},
    {"MTel2", T::Text, 25, "Telefon 2", "M. Tel.Nr.2", O::Mother, "-", "-", 0},
    {"MArb", T::Text, 40, "Arbeitgeber", "M. Arbeitgeber", O::Mother, "-", "-", 0},
    {"MArbTel", T::Text, 25, "Telefon Arbeitspl.", "M. Tel.Nr.Arbeit", O::Mother, "-", "-", 0},
    {"VNach", T::Text, 30, "Nachname", "V. Nachname", O::Father, "-", "-", 0},
    {"VVor", T::Text, 30, "Vorname", "V. Vorname", O::Father, "-", "-", 0},
    {"VGeb", T::Text, 17, "geb. am", nullptr, O::Father, "-", "-", 0},
    {"VGebin", T::Text, 30, "in", nullptr, O::Father, "-", "-", 0},
    {"VKonf", T::Text, 20, "Konfession", nullptr, O::Father, "o.K.", "o.K.", 0},
    {"VNat", T::Text, 20, "Nationalität", nullptr, O::Father, "-", "-", 0},
    {"VStr", T::Text, 40, "Straße", nullptr, O::Father, "-", "-", 0},
    {"VPLZ", T::Text, 7, "PLZ", nullptr, O::Father, "-", "-", 0},
    {"VOrt", T::Text, 40, "Ort", nullptr, O::Father, "-", "-", 0},
    {"VTel1", T::Text, 25, "Telefon 1", "V. Tel.Nr.1", O::Father, "-", "-", 0},
    {"VTel2", T::Text, 25, "Telefon 2", "V. Tel.Nr.2", O::Father, "-", "-", 0},
    {"VArb", T::Text, 40, "Arbeitgeber", "V. Arbeitgeber", O::Father, "-", "-", 0},
    {"VArbTel", T::Text, 25, "Telefon Arbeitspl.", "V. Tel.Nr.Arbeit", O::Father, "-", "-", 0},
    {"GAnz", T::Integer, 0, "Geschw. Anzahl", nullptr, O::Record, "0", nullptr, 1},
    {"G1Nach", T::Text, 30, "Nachname", nullptr, O::Sibling1, "-", "-", 0},
    {"G1Vor", T::Text, 30, "Vorname", nullptr, O::Sibling1, "-", "-", 0},
    {"G1Geb", T::Text, 17, "geb. am", nullptr, O::Sibling1, "-", "-", 0},
    {"G1Gebin", T::Text, 30, "in", nullptr, O::Sibling1, "-", "-", 0},
    {"G2Nach", T::Text, 30, "Nachname", nullptr, O::Sibling2, "-", "-", 0},
    {"G2Vor", T::Text, 30, "Vorname", nullptr, O::Sibling2, "-", "-", 0},
    {"G2Geb", T::Text, 17, "geb. am", nullptr, O::Sibling2, "-", "-", 0},
    {"G2Gebin", T::Text, 30, "in", nullptr, O::Sibling2, "-", "-", 0},
    {"G3Nach", T::Text, 30, "Nachname", nullptr, O::Sibling3, "-", "-", 0},
    {"G3Vor", T::Text, 30, "Vorname", nullptr, O::Sibling3, "-", "-", 0},
    {"G3Geb", T::Text, 17, "geb. am", nullptr, O::Sibling3, "-", "-", 0},
    {"G3Gebin", T::Text, 30, "in", nullptr, O::Sibling3, "-", "-", 0},
}};

// Half a unit of the last place above the largest single: from here on a number rounds to
// infinity.
constexpr double kSingleRoundingLimit = 0x1.ffffffp127;

} // namespace

const std::array<FieldDef, FieldCount>& fieldTable() {
    return kFields;
}

int fieldIndex(QAnyStringView name) {
    for (int i = 0; i < FieldCount; ++i)
        if (QAnyStringView::compare(name, QLatin1String(kFields[size_t(i)].name),
                                    Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const FieldDef* findField(QAnyStringView name) {
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : &kFields[size_t(i)];
}

QString spokenName(const FieldDef& field) {
    static const char* const owners[] = {nullptr,         "Kind",          "Mutter",       "Vater",
                                         "Geschwister 1", "Geschwister 2", "Geschwister 3"};
    const QString caption = QString::fromUtf8(field.caption);
    const char* owner = owners[int(field.owner)];
    return owner ? QString::fromUtf8(owner) + QLatin1Char(' ') + caption : caption;
}

bool isTextType(FieldType type) {
    return type == FieldType::Text || type == FieldType::Memo;
}

ValueRange valueRange(FieldType type) {
    switch (type) {
    case FieldType::Long:
        return {-2147483648.0, 2147483647.0};
    case FieldType::Integer:
        return {-32768.0, 32767.0};
    case FieldType::Single:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return {-double(FLT_MAX), double(FLT_MAX)};
}

bool fitsColumn(FieldType type, double value) {
    if (type == FieldType::Single)
        return std::fabs(value) < kSingleRoundingLimit;
    const ValueRange range = valueRange(type);
    return value == std::trunc(value) && value >= range.lowest && value <= range.highest;
}

QByteArray rangeCondition(FieldType type) {
    const ValueRange range = valueRange(type);
    const auto number = [type](double value) {
        if (type != FieldType::Single)
            return QByteArray::number(qint64(value));
        // Seventeen digits name the single's exact double; the exponent without its "+".
        return QByteArray::number(value, 'g', 17).replace("e+", "e");
    };
    return "BETWEEN " + number(range.lowest) + " AND " + number(range.highest);
}
