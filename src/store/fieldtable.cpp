#include "fieldtable.h"

namespace {

using T = FieldType;
using C = FieldControl;

constexpr std::array<FieldDef, FieldCount> kFields{{
    {"Nr", T::Long, 0, "Nummer", C::Number, -1, "9999", "Nr."},
    {"KSorge", T::Text, 20, "Sorgerecht", C::Details, 12, "-", nullptr},
    {"Bem", T::Memo, 0, "Bemerkung", C::Remark, -1, "-", nullptr},
    {"KNach", T::Text, 30, "Nachname", C::Details, 0, "-", "Nachname"},
    {"KVor", T::Text, 30, "Vorname", C::Details, 1, "-", "Vorname"},
    {"KGeb", T::Text, 17, "geb. am", C::Details, 2, "-", "geb. am"},
    {"KGebin", T::Text, 30, "in", C::Details, 3, "-", nullptr},
    {"KKonf", T::Text, 20, "Konfession", C::Details, 4, "o.K.", "Konfesion"},
    {"KNat", T::Text, 20, "Nationalität", C::Details, 5, "-", "Nationalität"},
    {"KStr", T::Text, 40, "Straße", C::Details, 6, "-", "Strasse"},
    {"KPLZ", T::Text, 7, "PLZ", C::Details, 7, "-", "PLZ"},
    {"KOrt", T::Text, 40, "Ort", C::Details, 8, "-", "Ort"},
    {"KTel1", T::Text, 25, "Telefon 1", C::Details, 9, "-", "Tel.Nr.1"},
    {"KTel2", T::Text, 25, "Telefon 2", C::Details, 10, "-", "Tel.Nr.2"},
    {"KArzt", T::Text, 40, "Kinderarzt", C::Details, 11, "-", "Arzt"},
    {"KEin", T::Text, 17, "Eintritt am", C::Details, 13, "-", nullptr},
    {"KPKNr", T::Text, 10, "PK-Nummer", C::Details, 14, "0000000", nullptr},
    {"KGrp", T::Text, 15, "Gruppe", C::Details, 17, "-", "Gruppe"},
    {"KBasis", T::Single, 0, "Basiswert", C::Fee, 0, "0", nullptr},
    {"KFaktor", T::Single, 0, "Faktor Kind", C::Fee, 1, "0", nullptr},
    {"KBuchFak", T::Single, 0, "Buchungsfaktor", C::Fee, 2, "0", nullptr},
    {"KBuchvon", T::Text, 8, "Buchungszeit von", C::Details, 15, "-", nullptr},
    {"KBuchbis", T::Text, 8, "bis", C::Details, 16, "-", nullptr},
    {"KSumme", T::Single, 0, "Summe", C::Fee, 3, "0", nullptr},
    {"KEssen", T::Text, 4, "Essen", C::Lunch, -1, nullptr, "Essen"},
    {"MNach", T::Text, 30, "Nachname", C::Details, 18, "-", "M. Nachname"},
    {"MVor", T::Text, 30, "Vorname", C::Details, 19, "-", "M. Vorname"},
    {"MGeb", T::Text, 17, "geb. am", C::Details, 20, "-", nullptr},
    {"MGebin", T::Text, 30, "in", C::Details, 21, "-", nullptr},
    {"MKonf", T::Text, 20, "Konfession", C::Details, 22, "o.K.", nullptr},
    {"MNat", T::Text, 20, "Nationalität", C::Details, 23, "-", nullptr},
    {"MStr", T::Text, 40, "Straße", C::Details, 24, "-", nullptr},
    {"MPLZ", T::Text, 7, "PLZ", C::Details, 25, "-", nullptr},
    {"MOrt", T::Text, 40, "Ort", C::Details, 26, "-", nullptr},
    {"MTel1", T::Text, 25, "Telefon 1", C::Details, 27, "-", "M. Tel.Nr.1"},
    {"MTel2", T::Text, 25, "Telefon 2", C::Details, 28, "-", "M. Tel.Nr.2"},
    {"MArb", T::Text, 40, "Arbeitgeber", C::Details, 29, "-", "M. Arbeitgeber"},
    {"MArbTel", T::Text, 25, "Telefon Arbeitspl.", C::Details, 30, "-", "M. Tel.Nr.Arbeit"},
    {"VNach", T::Text, 30, "Nachname", C::Details, 31, "-", "V. Nachname"},
    {"VVor", T::Text, 30, "Vorname", C::Details, 32, "-", "V. Vorname"},
    {"VGeb", T::Text, 17, "geb. am", C::Details, 33, "-", nullptr},
    {"VGebin", T::Text, 30, "in", C::Details, 34, "-", nullptr},
    {"VKonf", T::Text, 20, "Konfession", C::Details, 35, "o.K.", nullptr},
    {"VNat", T::Text, 20, "Nationalität", C::Details, 36, "-", nullptr},
    {"VStr", T::Text, 40, "Straße", C::Details, 37, "-", nullptr},
    {"VPLZ", T::Text, 7, "PLZ", C::Details, 38, "-", nullptr},
    {"VOrt", T::Text, 40, "Ort", C::Details, 39, "-", nullptr},
    {"VTel1", T::Text, 25, "Telefon 1", C::Details, 40, "-", "V. Tel.Nr.1"},
    {"VTel2", T::Text, 25, "Telefon 2", C::Details, 41, "-", "V. Tel.Nr.2"},
    {"VArb", T::Text, 40, "Arbeitgeber", C::Details, 42, "-", "V. Arbeitgeber"},
    {"VArbTel", T::Text, 25, "Telefon Arbeitspl.", C::Details, 43, "-", "V. Tel.Nr.Arbeit"},
    {"GAnz", T::Integer, 0, "Geschw. Anzahl", C::Siblings, -1, "0", nullptr},
    {"G1Nach", T::Text, 30, "Nachname", C::Details, 44, "-", nullptr},
    {"G1Vor", T::Text, 30, "Vorname", C::Details, 45, "-", nullptr},
    {"G1Geb", T::Text, 17, "geb. am", C::Details, 46, "-", nullptr},
    {"G1Gebin", T::Text, 30, "in", C::Details, 47, "-", nullptr},
    {"G2Nach", T::Text, 30, "Nachname", C::Details, 48, "-", nullptr},
    {"G2Vor", T::Text, 30, "Vorname", C::Details, 49, "-", nullptr},
    {"G2Geb", T::Text, 17, "geb. am", C::Details, 50, "-", nullptr},
    {"G2Gebin", T::Text, 30, "in", C::Details, 51, "-", nullptr},
    {"G3Nach", T::Text, 30, "Nachname", C::Details, 52, "-", nullptr},
    {"G3Vor", T::Text, 30, "Vorname", C::Details, 53, "-", nullptr},
    {"G3Geb", T::Text, 17, "geb. am", C::Details, 54, "-", nullptr},
    {"G3Gebin", T::Text, 30, "in", C::Details, 55, "-", nullptr},
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
