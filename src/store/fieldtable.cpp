#include "fieldtable.h"

namespace {

using T = FieldType;
using C = FieldControl;

constexpr std::array<FieldDef, FieldCount> kFields{{
    {"Nr", T::Long, 0, "Nummer", C::Number, -1, "9999", "Nr.", 10, "KNach", nullptr},
    {"KSorge", T::Text, 20, "Sorgerecht", C::Details, 12, "-", nullptr, 20, "KEin", nullptr},
    {"Bem", T::Memo, 0, "Bemerkung", C::Remark, -1, "-", nullptr, 65535, nullptr, nullptr},
    {"KNach", T::Text, 30, "Nachname", C::Details, 0, "-", "Nachname", 30, "KVor", nullptr},
    {"KVor", T::Text, 30, "Vorname", C::Details, 1, "-", "Vorname", 30, "KGeb", nullptr},
    {"KGeb", T::Text, 17, "geb. am", C::Details, 2, "-", "geb. am", 17, "KGebin", nullptr},
    {"KGebin", T::Text, 30, "in", C::Details, 3, "-", nullptr, 30, "KKonf", nullptr},
    {"KKonf", T::Text, 20, "Konfession", C::Details, 4, "o.K.", "Konfesion", 20, "KNat", nullptr},
    {"KNat", T::Text, 20, "Nationalität", C::Details, 5, "-", "Nationalität", 20, "KStr", nullptr},
    {"KStr", T::Text, 40, "Straße", C::Details, 6, "-", "Strasse", 40, "KPLZ", nullptr},
    {"KPLZ", T::Text, 7, "PLZ", C::Details, 7, "-", "PLZ", 7, "KOrt", nullptr},
    {"KOrt", T::Text, 40, "Ort", C::Details, 8, "-", "Ort", 40, "KTel1", nullptr},
    {"KTel1", T::Text, 25, "Telefon 1", C::Details, 9, "-", "Tel.Nr.1", 25, "KTel2", nullptr},
    {"KTel2", T::Text, 25, "Telefon 2", C::Details, 10, "-", "Tel.Nr.2", 25, "KArzt", nullptr},
    {"KArzt", T::Text, 40, "Kinderarzt", C::Details, 11, "-", "Arzt", 40, "KSorge", nullptr},
    {"KEin", T::Text, 17, "Eintritt am", C::Details, 13, "-", nullptr, 17, "KPKNr", nullptr},
    {"KPKNr", T::Text, 10, "PK-Nummer", C::Details, 14, "0000000", nullptr, 10, "KBuchvon",
     nullptr},
    {"KGrp", T::Text, 15, "Gruppe", C::Details, 17, "-", "Gruppe", 15, "KBasis", nullptr},
    {"KBasis", T::Single, 0, "Basiswert", C::Fee, 0, "0", nullptr, 15, "KFaktor", nullptr},
    {"KFaktor", T::Single, 0, "Faktor Kind", C::Fee, 1, "0", nullptr, 15, "KBuchFak", nullptr},
    {"KBuchFak", T::Single, 0, "Buchungsfaktor", C::Fee, 2, "0", nullptr, 15, "KSumme", nullptr},
    {"KBuchvon", T::Text, 8, "Buchungszeit von", C::Details, 15, "-", nullptr, 8, "KBuchbis",
     nullptr},
    {"KBuchbis", T::Text, 8, "bis", C::Details, 16, "-", nullptr, 8, "KGrp", nullptr},
    {"KSumme", T::Single, 0, "Summe", C::Fee, 3, "0", nullptr, 15, "MNach", nullptr},
    {"KEssen", T::Text, 4, "Essen", C::Lunch, -1, nullptr, "Essen", 0, "KBuchvon", nullptr},
    {"MNach", T::Text, 30, "Nachname", C::Details, 18, "-", "M. Nachname", 30, "MVor", nullptr},
    {"MVor", T::Text, 30, "Vorname", C::Details, 19, "-", "M. Vorname", 30, "MGeb", nullptr},
    {"MGeb", T::Text, 17, "geb. am", C::Details, 20, "-", nullptr, 17, "MGebin", nullptr},
    {"MGebin", T::Text, 30, "in", C::Details, 21, "-", nullptr, 30, "MKonf", nullptr},
    {"MKonf", T::Text, 20, "Konfession", C::Details, 22, "o.K.", nullptr, 20, "MNat", nullptr},
    {"MNat", T::Text, 20, "Nationalität", C::Details, 23, "-", nullptr, 20, "MStr", nullptr},
    {"MStr", T::Text, 40, "Straße", C::Details, 24, "-", nullptr, 40, "MPLZ", nullptr},
    {"MPLZ", T::Text, 7, "PLZ", C::Details, 25, "-", nullptr, 7, "MOrt", nullptr},
    {"MOrt", T::Text, 40, "Ort", C::Details, 26, "-", nullptr, 40, "MTel1", nullptr},
    {"MTel1", T::Text, 25, "Telefon 1", C::Details, 27, "-", "M. Tel.Nr.1", 25, "MTel2", nullptr},
    {"MTel2", T::Text, 25, "Telefon 2", C::Details, 28, "-", "M. Tel.Nr.2", 25, "MArb", nullptr},
    {"MArb", T::Text, 40, "Arbeitgeber", C::Details, 29, "-", "M. Arbeitgeber", 40, "MArbTel",
     nullptr},
    {"MArbTel", T::Text, 25, "Telefon Arbeitspl.", C::Details, 30, "-", "M. Tel.Nr.Arbeit", 25,
     "VNach", nullptr},
    {"VNach", T::Text, 30, "Nachname", C::Details, 31, "-", "V. Nachname", 30, "VVor", nullptr},
    {"VVor", T::Text, 30, "Vorname", C::Details, 32, "-", "V. Vorname", 30, "VGeb", nullptr},
    {"VGeb", T::Text, 17, "geb. am", C::Details, 33, "-", nullptr, 17, "VGebin", nullptr},
    {"VGebin", T::Text, 30, "in", C::Details, 34, "-", nullptr, 30, "VKonf", nullptr},
    {"VKonf", T::Text, 20, "Konfession", C::Details, 35, "o.K.", nullptr, 20, "VNat", nullptr},
    {"VNat", T::Text, 20, "Nationalität", C::Details, 36, "-", nullptr, 20, "VStr", nullptr},
    {"VStr", T::Text, 40, "Straße", C::Details, 37, "-", nullptr, 40, "VPLZ", nullptr},
    {"VPLZ", T::Text, 7, "PLZ", C::Details, 38, "-", nullptr, 7, "VOrt", nullptr},
    {"VOrt", T::Text, 40, "Ort", C::Details, 39, "-", nullptr, 40, "VTel1", nullptr},
    {"VTel1", T::Text, 25, "Telefon 1", C::Details, 40, "-", "V. Tel.Nr.1", 25, "VTel2", nullptr},
    {"VTel2", T::Text, 25, "Telefon 2", C::Details, 41, "-", "V. Tel.Nr.2", 25, "VArb", nullptr},
    {"VArb", T::Text, 40, "Arbeitgeber", C::Details, 42, "-", "V. Arbeitgeber", 40, "VArbTel",
     nullptr},
    {"VArbTel", T::Text, 25, "Telefon Arbeitspl.", C::Details, 43, "-", "V. Tel.Nr.Arbeit", 25,
     "GAnz", nullptr},
    {"GAnz", T::Integer, 0, "Geschw. Anzahl", C::Siblings, -1, "0", nullptr, 1, "G1Nach", "Bem"},
    {"G1Nach", T::Text, 30, "Nachname", C::Details, 44, "-", nullptr, 30, "G1Vor", nullptr},
    {"G1Vor", T::Text, 30, "Vorname", C::Details, 45, "-", nullptr, 30, "G1Geb", nullptr},
    {"G1Geb", T::Text, 17, "geb. am", C::Details, 46, "-", nullptr, 17, "G1Gebin", nullptr},
    {"G1Gebin", T::Text, 30, "in", C::Details, 47, "-", nullptr, 30, "G2Nach", "Bem"},
    {"G2Nach", T::Text, 30, "Nachname", C::Details, 48, "-", nullptr, 30, "G2Vor", nullptr},
    {"G2Vor", T::Text, 30, "Vorname", C::Details, 49, "-", nullptr, 30, "G2Geb", nullptr},
    {"G2Geb", T::Text, 17, "geb. am", C::Details, 50, "-", nullptr, 17, "G2Gebin", nullptr},
    {"G2Gebin", T::Text, 30, "in", C::Details, 51, "-", nullptr, 30, "G3Nach", "Bem"},
    {"G3Nach", T::Text, 30, "Nachname", C::Details, 52, "-", nullptr, 30, "G3Vor", nullptr},
    {"G3Vor", T::Text, 30, "Vorname", C::Details, 53, "-", nullptr, 30, "G3Geb", nullptr},
    {"G3Geb", T::Text, 17, "geb. am", C::Details, 54, "-", nullptr, 17, "G3Gebin", nullptr},
    {"G3Gebin", T::Text, 30, "in", C::Details, 55, "-", nullptr, 30, "Bem", nullptr},
}};

} // namespace

const std::array<FieldDef, FieldCount>& fieldTable() {
    return kFields;
}

int fieldIndex(QStringView name) {
    for (int i = 0; i < FieldCount; ++i)
        if (name.compare(QLatin1String(kFields[i].name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const FieldDef* findField(QStringView name) {
    int i = fieldIndex(name);
    return i < 0 ? nullptr : &kFields[i];
}

const FieldDef* detailField(int index) {
    for (const FieldDef& f : kFields)
        if (f.control == FieldControl::Details && f.index == index)
            return &f;
    return nullptr;
}

bool isTextType(FieldType type) {
    return type == FieldType::Text || type == FieldType::Memo;
}
