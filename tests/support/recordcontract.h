#pragma once

#include "recordfields.h"

#include <QString>
#include <QVariant>

#include <array>

// The table Daten as stored files and other workstations know it, written down apart from the
// program's own definition: every way into the table (a save, an import, both engines) is tested
// against this, so a field whose size, type or placeholder changes by mistake fails each of them.
struct ContractField {
    const char* name;
    FieldType type;
    int size;                // characters of a Text column
    const char* placeholder; // what a save stores for an empty box; nullptr: none
};

// clang-format off
inline constexpr std::array<ContractField, 64> kContract{{
    {"Nr", FieldType::Long, 0, "9999"},
    {"KSorge", FieldType::Text, 20, "-"},
    {"Bem", FieldType::Memo, 0, "-"},
    {"KNach", FieldType::Text, 30, "-"},
    {"KVor", FieldType::Text, 30, "-"},
    {"KGeb", FieldType::Text, 17, "-"},
    {"KGebin", FieldType::Text, 30, "-"},
    {"KKonf", FieldType::Text, 20, "o.K."},
    {"KNat", FieldType::Text, 20, "-"},
    {"KStr", FieldType::Text, 40, "-"},
    {"KPLZ", FieldType::Text, 7, "-"},
    {"KOrt", FieldType::Text, 40, "-"},
    {"KTel1", FieldType::Text, 25, "-"},
    {"KTel2", FieldType::Text, 25, "-"},
    {"KArzt", FieldType::Text, 40, "-"},
    {"KEin", FieldType::Text, 17, "-"},
    {"KPKNr", FieldType::Text, 10, "0000000"},
    {"KGrp", FieldType::Text, 15, "-"},
    {"KBasis", FieldType::Single, 0, "0"},
    {"KFaktor", FieldType::Single, 0, "0"},
    {"KBuchFak", FieldType::Single, 0, "0"},
    {"KBuchvon", FieldType::Text, 8, "-"},
    {"KBuchbis", FieldType::Text, 8, "-"},
    {"KSumme", FieldType::Single, 0, "0"},
    {"KEssen", FieldType::Text, 4, "nein"},
    {"MNach", FieldType::Text, 30, "-"},
    {"MVor", FieldType::Text, 30, "-"},
    {"MGeb", FieldType::Text, 17, "-"},
    {"MGebin", FieldType::Text, 30, "-"},
    {"MKonf", FieldType::Text, 20, "o.K."},
    {"MNat", FieldType::Text, 20, "-"},
    {"MStr", FieldType::Text, 40, "-"},
    {"MPLZ", FieldType::Text, 7, "-"},
    {"MOrt", FieldType::Text, 40, "-"},
    {"MTel1", FieldType::Text, 25, "-"},
    {"MTel2", FieldType::Text, 25, "-"},
    {"MArb", FieldType::Text, 40, "-"},
    {"MArbTel", FieldType::Text, 25, "-"},
    {"VNach", FieldType::Text, 30, "-"},
    {"VVor", FieldType::Text, 30, "-"},
    {"VGeb", FieldType::Text, 17, "-"},
    {"VGebin", FieldType::Text, 30, "-"},
    {"VKonf", FieldType::Text, 20, "o.K."},
    {"VNat", FieldType::Text, 20, "-"},
    {"VStr", FieldType::Text, 40, "-"},
    {"VPLZ", FieldType::Text, 7, "-"},
    {"VOrt", FieldType::Text, 40, "-"},
    {"VTel1", FieldType::Text, 25, "-"},
    {"VTel2", FieldType::Text, 25, "-"},
    {"VArb", FieldType::Text, 40, "-"},
    {"VArbTel", FieldType::Text, 25, "-"},
    {"GAnz", FieldType::Integer, 0, "0"},
    {"G1Nach", FieldType::Text, 30, "-"},
    {"G1Vor", FieldType::Text, 30, "-"},
    {"G1Geb", FieldType::Text, 17, "-"},
    {"G1Gebin", FieldType::Text, 30, "-"},
    {"G2Nach", FieldType::Text, 30, "-"},
    {"G2Vor", FieldType::Text, 30, "-"},
    {"G2Geb", FieldType::Text, 17, "-"},
    {"G2Gebin", FieldType::Text, 30, "-"},
    {"G3Nach", FieldType::Text, 30, "-"},
    {"G3Vor", FieldType::Text, 30, "-"},
    {"G3Geb", FieldType::Text, 17, "-"},
    {"G3Gebin", FieldType::Text, 30, "-"},
}};
// clang-format on

// The numbers the number columns hold.
inline constexpr double kLongLowest = -2147483648.0, kLongHighest = 2147483647.0;
inline constexpr double kIntegerLowest = -32768.0, kIntegerHighest = 32767.0;
// The largest single and the first number that no longer rounds to a finite one.
inline constexpr double kSingleHighest = 3.4028234663852886e38, kSingleBeyond = 0x1.ffffffp127;

// A value at an end of what a field holds: a text of the field's size (of two-byte characters at
// the top, so that characters are counted, not bytes), a number at the top or the bottom of its
// range (qint64 or double); a long remark.
inline QVariant endValue(const ContractField& c, bool top) {
    switch (c.type) {
    case FieldType::Text:
        return QString(c.size, top ? u'ä' : u'x');
    case FieldType::Memo:
        return QString(70000, u'm');
    case FieldType::Long:
        return qint64(top ? kLongHighest : kLongLowest);
    case FieldType::Integer:
        return qint64(top ? kIntegerHighest : kIntegerLowest);
    case FieldType::Single:
        break;
    }
    return top ? kSingleHighest : -kSingleHighest;
}

// One step beyond that end; nothing for a remark, which has none.
inline QVariant beyondValue(const ContractField& c, bool top) {
    switch (c.type) {
    case FieldType::Text:
        return QString(c.size + 1, top ? u'ä' : u'x');
    case FieldType::Memo:
        return QVariant();
    case FieldType::Long:
    case FieldType::Integer:
        return endValue(c, top).toLongLong() + (top ? 1 : -1);
    case FieldType::Single:
        break;
    }
    return top ? kSingleBeyond : -kSingleBeyond;
}

// The value as digits or text, as another program writes it. The Singles' ends are whole
// numbers, written with every digit: a shorter text of the first number beyond reads as the
// largest single.
inline QString writtenValue(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'f', 0);
    default:
        return value.toString();
    }
}
