#pragma once

#include "recordfields.h"

// How the record form shows each field and moves between them: which control shows it, its
// element of the form's arrays, and where Enter goes from it. The form's own business; what a
// field is and what it may hold is the record's definition (recordfields.h).

// Which record control of the main window shows a field.
enum class FieldControl {
    Number,   // txtNr
    Remark,   // txtBem
    Details,  // txtAngaben[index]
    Fee,      // txtBerechnung[index]
    Lunch,    // chckKEssen
    Siblings, // txtGAnz
};

struct FormField {
    const char* name; // the field
    FieldControl control;
    int index; // element of txtAngaben or txtBerechnung; -1 for the others
    // The field whose box Enter moves to while editing (for the religions and nationalities the
    // choice box that stands in for the field); nullptr for the remark, where Enter breaks the
    // line.
    const char* enterTo;
    // Where Enter goes instead when enterTo's box is hidden (a sibling row the count hides).
    const char* enterElse;
};

constexpr int DetailCount = 56; // txtAngaben 0..55
constexpr int FeeCount = 4;     // txtBerechnung 0..3

// The form's entry of a field (by its index in the record), in the record's field order.
const FormField& formField(int field);

// The field shown by txtAngaben[index] (0..55), or -1.
int detailField(int index);
