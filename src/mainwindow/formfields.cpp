#include "formfields.h"

#include <QtGlobal>

namespace {

using C = FieldControl;

constexpr std::array<FormField, FieldCount> kFormFields{{
    {"Nr", C::Number, -1, "KNach", nullptr},
    {"KSorge", C::Details, 12, "KEin", nullptr},
    {"Bem", C::Remark, -1, nullptr, nullptr},
    {"KNach", C::Details, 0, "KVor", nullptr},
    {"KVor", C::Details, 1, "KGeb", nullptr},
    {"KGeb", C::Details, 2, "KGebin", nullptr},
    {"KGebin", C::Details, 3, "KKonf", nullptr},
    {"KKonf", C::Details, 4, "KNat", nullptr},
    {"KNat", C::Details, 5, "KStr", nullptr},
    {"KStr", C::Details, 6, "KPLZ", nullptr},
    {"KPLZ", C::Details, 7, "KOrt", nullptr},
    {"KOrt", C::Details, 8, "KTel1", nullptr},
    {"KTel1", C::Details, 9, "KTel2", nullptr},
    {"KTel2", C::Details, 10, "KArzt", nullptr},
    {"KArzt", C::Details, 11, "KSorge", nullptr},
    {"KEin", C::Details, 13, "KPKNr", nullptr},
    {"KPKNr", C::Details, 14, "KBuchvon", nullptr},
    {"KGrp", C::Details, 17, "KBasis", nullptr},
    {"KBasis", C::Fee, 0, "KFaktor", nullptr},
    {"KFaktor", C::Fee, 1, "KBuchFak", nullptr},
    {"KBuchFak", C::Fee, 2, "KSumme", nullptr},
    {"KBuchvon", C::Details, 15, "KBuchbis", nullptr},
    {"KBuchbis", C::Details, 16, "KGrp", nullptr},
    {"KSumme", C::Fee, 3, "MNach", nullptr},
    {"KEssen", C::Lunch, -1, "KBuchvon", nullptr},
    {"MNach", C::Details, 18, "MVor", nullptr},
    {"MVor", C::Details, 19, "MGeb", nullptr},
    {"MGeb", C::Details, 20, "MGebin", nullptr},
    {"MGebin", C::Details, 21, "MKonf", nullptr},
    {"MKonf", C::Details, 22, "MNat", nullptr},
    {"MNat", C::Details, 23, "MStr", nullptr},
    {"MStr", C::Details, 24, "MPLZ", nullptr},
    {"MPLZ", C::Details, 25, "MOrt", nullptr},
    {"MOrt", C::Details, 26, "MTel1", nullptr},
    {"MTel1", C::Details, 27, "MTel2", nullptr},
    {"MTel2", C::Details, 28, "MArb", nullptr},
    {"MArb", C::Details, 29, "MArbTel", nullptr},
    {"MArbTel", C::Details, 30, "VNach", nullptr},
    {"VNach", C::Details, 31, "VVor", nullptr},
    {"VVor", C::Details, 32, "VGeb", nullptr},
    {"VGeb", C::Details, 33, "VGebin", nullptr},
    {"VGebin", C::Details, 34, "VKonf", nullptr},
    {"VKonf", C::Details, 35, "VNat", nullptr},
    {"VNat", C::Details, 36, "VStr", nullptr},
    {"VStr", C::Details, 37, "VPLZ", nullptr},
    {"VPLZ", C::Details, 38, "VOrt", nullptr},
    {"VOrt", C::Details, 39, "VTel1", nullptr},
    {"VTel1", C::Details, 40, "VTel2", nullptr},
    {"VTel2", C::Details, 41, "VArb", nullptr},
    {"VArb", C::Details, 42, "VArbTel", nullptr},
    {"VArbTel", C::Details, 43, "GAnz", nullptr},
    {"GAnz", C::Siblings, -1, "G1Nach", "Bem"},
    {"G1Nach", C::Details, 44, "G1Vor", nullptr},
    {"G1Vor", C::Details, 45, "G1Geb", nullptr},
    {"G1Geb", C::Details, 46, "G1Gebin", nullptr},
    {"G1Gebin", C::Details, 47, "G2Nach", "Bem"},
    {"G2Nach", C::Details, 48, "G2Vor", nullptr},
    {"G2Vor", C::Details, 49, "G2Geb", nullptr},
    {"G2Geb", C::Details, 50, "G2Gebin", nullptr},
    {"G2Gebin", C::Details, 51, "G3Nach", "Bem"},
    {"G3Nach", C::Details, 52, "G3Vor", nullptr},
    {"G3Vor", C::Details, 53, "G3Geb", nullptr},
    {"G3Geb", C::Details, 54, "G3Gebin", nullptr},
    {"G3Gebin", C::Details, 55, "Bem", nullptr},
}};

} // namespace

const FormField& formField(int field) {
    Q_ASSERT(field >= 0 && field < FieldCount);
    return kFormFields[size_t(field)];
}

int detailField(int index) {
    for (int i = 0; i < FieldCount; ++i)
        if (kFormFields[size_t(i)].control == FieldControl::Details &&
            kFormFields[size_t(i)].index == index)
            return i;
    return -1;
}
