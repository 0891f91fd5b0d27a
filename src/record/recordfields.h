#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QString>

#include <array>

// The 64 fields of a child's record, defined once: the columns of the table Daten in their order,
// with everything the program knows about each field. The engines make their tables and check
// values from it, the import reads columns by it, the form takes captions and limits from it, the
// printed lists and the parents' information take captions from it.

enum class FieldType { Long, Integer, Single, Text, Memo };

// Whose a field is: the record's own (number, remark, fees, lunch, sibling count) or a person's.
enum class FieldOwner { Record, Child, Mother, Father, Sibling1, Sibling2, Sibling3 };

struct FieldDef {
    const char* name;    // column name, as stored files and other programs know it
    FieldType type;      // column type
    int size;            // characters of a Text column; 0 for the others
    const char* caption; // UTF-8; the caption beside the field on the form
    // UTF-8; the caption of the field's column in the table view and the printed lists; nullptr
    // where the table shows no such column.
    const char* tableCaption;
    FieldOwner owner;
    // Written at a save for an empty input (and for "-" where the placeholder is a number);
    // nullptr where an input is never empty.
    const char* placeholder;
    // Written into the field's box when it is left empty while a record is edited; nullptr where
    // an empty box stays empty until the save.
    const char* filler;
    // Most characters the field's box takes while a record is edited, for the fields that are not
    // Text columns (digits of a number, the remark); a Text column takes its size.
    int inputLimit;

    // The typed limit: a Text column's size, so no input can make a save fail by its length.
    int typedLimit() const { return type == FieldType::Text ? size : inputLimit; }
};

constexpr int FieldCount = 64;

const std::array<FieldDef, FieldCount>& fieldTable();

// Position of a column in the table (0-based, names compared without case), or -1.
int fieldIndex(QAnyStringView name);
const FieldDef* findField(QAnyStringView name);
inline const FieldDef& fieldDef(int field) {
    return fieldTable()[size_t(field)];
}

bool isTextType(FieldType type);

// The field's name as a screen reader says it: whose it is, then its caption ("Kind Nachname",
// "Mutter Telefon 1", "Geschwister 2 Vorname"); the record's own fields by their caption alone
// ("Basiswert", "Bemerkung").
QString spokenName(const FieldDef& field);

// The numbers a Long, Integer or Single column holds.
struct ValueRange {
    double lowest;
    double highest;
};
ValueRange valueRange(FieldType type);

// Whether a number can be stored in a column of this type: a whole number within the range of
// a Long or Integer; for a Single every number that rounds to a finite single, the shortest text
// of the largest one (3,4028235 * 10^38) included, though it lies a little above the range.
bool fitsColumn(FieldType type, double value);

// The range as a condition of the engines' CHECK constraints: "BETWEEN -32768 AND 32767".
QByteArray rangeCondition(FieldType type);
