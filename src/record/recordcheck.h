#pragma once

#include "recordfields.h"
#include "recordtexts.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The one check of what a record may hold, asked by the save, the import and both engines before
// they write: a text no longer than its column and never empty, a number that is a number and
// fits its column. The messages are German and name the field by its label.

// A field named for the user by its caption and whose it is: "Nachname (Kind)",
// "Telefon 1 (Mutter)", "Vorname (2. Geschwisterkind)"; fields that belong to no person by their
// caption alone: "Nummer", "Bemerkung", "Basiswert", "Geschw. Anzahl", "Essen".
QString fieldLabel(int field);

// Characters as a Text column counts them: a character outside the basic plane is one, not two.
qsizetype characterCount(QStringView text);

// Why a value cannot be stored.
enum class ValueFault { Empty, TooLong, NotANumber, NotWhole, TooLarge, TooSmall };

struct ValueProblem {
    ValueFault fault;
    QString message;
};

// A text for a Text or Memo field: empty, or longer than a Text column (counted in characters,
// one for a character outside the basic plane).
std::optional<ValueProblem> textProblem(int field, QStringView text);
std::optional<ValueProblem> textProblem(int field, QByteArrayView utf8);
// A number for a Long, Integer or Single field: outside the column's range, or not whole for a
// Long or Integer. shown is the number as the user gave it, for the message.
std::optional<ValueProblem> numberProblem(int field, double value, const QString& shown);

// The refusal of a text given for a number field that is no number; shown is the text as given.
ValueProblem notANumberProblem(int field, const QString& shown);

// A field's text as the form or a table file gives it: for a number field the text must also be
// a number in the program's one definition (GermanFormat::parseNumber). Nothing when it can be
// stored.
std::optional<ValueProblem> valueProblem(int field, const QString& text);
// The same, the message alone.
std::optional<QString> fieldProblem(int field, const QString& text);

// A value the save would refuse, with the field and the message.
struct InputProblem {
    int field = -1;
    QString message;
};

// Checks every field a save writes (writeColumns) before anything is written, in writing order,
// and returns the first problem. Nothing when the whole record can be stored.
std::optional<InputProblem> checkRecord(const RecordTexts& texts, bool newRecord);
