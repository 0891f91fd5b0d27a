#pragma once

#include "fieldtable.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

// The texts of one record as the record form shows them and hands them back: one text per field
// of the field table, in its order. KEssen holds "ja" when the lunch box is ticked, else "nein";
// the religions and nationalities hold what their choice box (editing) or text box (browsing)
// shows.
using RecordTexts = std::array<QString, FieldCount>;
using RecordValues = std::array<QVariant, FieldCount>;

// What the form shows for stored values: Null as an empty text, whole numbers in digits, Singles
// with at most seven significant digits and a decimal comma (2.5 -> "2,5"), texts unchanged;
// KEssen "ja" only for exactly "ja" (anything else, "Ja" and Null too, gives "nein").
RecordTexts displayTexts(const RecordValues& values);

// "aktueller Datensatz : Nr. 12 - Maier, Anna"; "aktueller Datensatz : -" without a record.
QString statusText(const QString& nr, const QString& surname, const QString& firstName);
QString emptyStatusText();

// Writes the placeholders into the empty texts before the save question, in this order: Nr
// "9999"; Bem "-"; every text field shown by txtAngaben, 0 to 55, "-"; KKonf "o.K."; KNat "-";
// KPKNr "0000000" when it holds "-"; each fee field "0" when it holds "-" or is empty; MKonf,
// VKonf "o.K."; MNat, VNat "-"; GAnz "0". A text counts as empty only when it has no character
// (blanks are kept).
void applyPlaceholders(RecordTexts& texts);

// The text a save writes for a field instead of text, as applyPlaceholders does it: the field's
// placeholder for an empty text, and also for "-" in the PK number and the fees; nullptr when
// the text stays as it is (KEssen has none).
const char* savedPlaceholder(int field, QStringView text);

// The fields a save writes, in writing order: all 64 for a new record with Nr first; the 63 others
// when a stored record is changed (its number is never written).
QList<int> writeColumns(bool newRecord);

// A field named for the user by its caption and whose it is: "Nachname (Kind)",
// "Telefon 1 (Mutter)", "Vorname (2. Geschwisterkind)"; fields that belong to no person by their
// caption alone: "Nummer", "Bemerkung", "Basiswert", "Geschw. Anzahl", "Essen".
QString fieldLabel(int field);

// A value the save would refuse, with the field and a German message that names it by its label
// and says what is allowed.
struct InputProblem {
    int field = -1;
    QString message;
};

// Checks every field a save writes (writeColumns) before anything is written, in writing order,
// and returns the first problem: a text longer than its column or empty; a number field (Nr,
// GAnz, the four fees) whose text is not a number in the program's one definition
// (GermanFormat::parseNumber), or outside its column's range (Long, Integer, Single). Nothing when
// the whole record can be stored.
// The same check for one field's text: the German message, or nothing when it can be stored.
std::optional<QString> fieldProblem(int field, const QString& text);

std::optional<InputProblem> checkRecord(const RecordTexts& texts, bool newRecord);
