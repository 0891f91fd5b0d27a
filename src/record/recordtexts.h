#pragma once

#include "recordfields.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <array>

// The texts of one record as the record form shows them and hands them back, and as the parents'
// information prints them: one text per field, in the record's order. KEssen holds "ja" when the
// lunch box is ticked, else "nein".
using RecordTexts = std::array<QString, FieldCount>;
using RecordValues = std::array<QVariant, FieldCount>;

// The texts for stored values: Null as an empty text, whole numbers in digits, Singles in the
// shortest form that reads back as the same single, with a decimal comma (2.5 -> "2,5"), so a
// record saved unchanged keeps every value exactly; texts unchanged; KEssen "ja" only for
// exactly "ja" (anything else, "Ja" and Null too, gives "nein").
RecordTexts displayTexts(const RecordValues& values);

// The text a save writes for a field instead of text: the field's placeholder for an empty text,
// and also for "-" where the placeholder is a number (the PK number, the fees, the count), since
// "-" is what such a box gets when it is left empty; nullptr when the text stays as it is.
// A text counts as empty only when it has no character (blanks are kept).
const char* savedPlaceholder(int field, QStringView text);

// Writes the placeholders into the texts before the save question (savedPlaceholder for every
// field).
void applyPlaceholders(RecordTexts& texts);

// The fields a save writes, in writing order: all 64 for a new record with Nr first; the 63 others
// when a stored record is changed (its number is never written).
QList<int> writeColumns(bool newRecord);
