#pragma once

// The record's one check (recordcheck.h) as both engines ask it before they write: every value
// going into the table Daten, whether a record is saved through a dynaset or many records are
// added at once, is checked here first. A refusal is an EngineError with the check's German
// message, which names the field by its label ("Nachname (Kind)").

#include "engineerror.h"
#include "rawrecord.h"
#include "recordcheck.h"

#include <QString>
#include <QVariant>

namespace store {

// The error for a value the record check refuses: 3315 for an empty text, 3163 for a text
// longer than its column, 3349 for a number beyond its column's range, 3421 for a value that is
// no number, or no whole number, where one is wanted (an empty text for a number too).
EngineError valueRefused(int field, const ValueProblem& problem);

// A text given for a number field that is no number there (GermanFormat::parseNumber).
EngineError notANumber(int field, const QString& text);

// Checks a value as a record buffer holds it: invalid (Null), a qint64 or a double for a number
// field, a QString for a text field. Throws valueRefused; Null is always allowed.
void checkValue(int field, const QVariant& value);

// A value handed over raw, checked and in its column's form: Null as it is; for a Long or
// Integer field its whole number, for a Single field its number rounded to single precision (a
// text there is read as a number in the program's one way); a text field's text as it is, a
// number for it written as its digits by the engine. Throws valueRefused. Checks the text
// without making a QString of it, so that adding many records stays fast.
RawValue storableValue(int field, const RawValue& value);

// A record refused by one of the table's named rules ("<Field>_Laenge", "<Field>_leer",
// "<Field>_Bereich"), as the engine reports it for a value that came past the program's check;
// message is the engine's own text, shown for a rule of another name.
EngineError ruleRefused(const QString& constraint, const QString& message);

} // namespace store
