#pragma once

#include <QString>

#include <array>
#include <optional>

// The 64 columns of the table Daten, written down once. Creating the database, the record
// display, saving, the placeholders, the input limits and the captions all read this table.

enum class FieldType { Long, Integer, Single, Text, Memo };

// Which record control of the main window shows a field.
enum class FieldControl {
    Number,   // txtNr
    Remark,   // txtBem
    Details,  // txtAngaben[index]
    Fee,      // txtBerechnung[index]
    Lunch,    // chckKEssen
    Siblings, // txtGAnz
};

struct FieldDef {
    const char* name;
    FieldType type;
    int size;            // characters of a Text column; 0 for the others
    const char* caption; // label beside the control on the main window
    FieldControl control;
    int index;               // element of txtAngaben or txtBerechnung; -1 for the others
    const char* placeholder; // stored for an empty input; nullptr where none applies
    const char* gridCaption; // caption in the table view; nullptr for columns not shown there
    // Most characters its box takes while a record is edited: a Text column's size, so no input
    // can make saving fail by length; the digits a number box takes; 0 for the lunch box.
    int typedLimit;
    // The field whose box Enter moves to while editing (for the religions and nationalities the
    // choice box that stands in for the field); nullptr for the remark, where Enter breaks the
    // line.
    const char* enterTo;
    // Where Enter goes instead when enterTo's box is hidden (a sibling row the count hides).
    const char* enterElse;
};

constexpr int FieldCount = 64;
constexpr int DetailCount = 56; // txtAngaben 0..55
constexpr int FeeCount = 4;     // txtBerechnung 0..3

const std::array<FieldDef, FieldCount>& fieldTable();

// Position of a column in the table (0-based), or -1.
int fieldIndex(QStringView name);
const FieldDef* findField(QStringView name);

// The field shown by txtAngaben[index] (0..55), or nullptr.
const FieldDef* detailField(int index);

bool isTextType(FieldType type);
