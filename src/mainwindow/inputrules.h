#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The rules of the record controls while a record is entered or changed, without widgets. The
// form's validators ask lineInput for every change of a box's text, whatever way it came in
// (typed, pasted by keyboard, menu or mouse, dropped); its focus rules ask the rest.
namespace InputRules {

// The rule set a control follows.
enum class Kind {
    Text,         // txtAngaben and the six choice boxes: the length rule, any character
    Remark,       // txtBem: the length rule; Enter breaks the line
    Number,       // txtNr: digits only
    SiblingCount, // txtGAnz: one digit 0 to 3
    Fee,          // txtBerechnung: digits and at most one comma
    Lunch,        // chckKEssen: only Enter has a rule
};

// The kind of the control that shows a field (index in the record).
Kind kindOf(int field);

// A text as a one-line box takes it: line breaks at its end dropped (a copied spreadsheet cell
// ends with one), line breaks and tabs inside it as one blank each ("\r\n" is one break).
// *position, a place in text, moves with the characters before it.
QString cleanLine(const QString& text, int* position = nullptr);

enum class Verdict {
    Accept,
    RefusedCharacter, // refused without a word, as a key that does nothing
    TooLong,          // refused with tooLongMessage(limit)
};

// Whether a box of this kind may hold text (already cleaned): Number digits only; Fee digits with
// at most one comma; SiblingCount empty or one digit 0 to 3; Text and Remark anything. Then the
// length rule: at most limit characters (one for a character outside the basic plane); the sibling
// count has none beyond its one digit.
Verdict lineInput(Kind kind, QStringView text, int limit);

// "Die Eingabe ist zu lang.\r\rEs können nur max. 30 Zeichen eingegeben werden."
QString tooLongMessage(int limit);

// Whether a field's text stands for no value: empty, or what an empty box of the field gets when
// it is left or saved ("-", "o.K." for a religion). A proposal is written only into such a box,
// so nothing typed is overwritten, and only such a text is not proposed.
bool holdsNoValue(int field, QStringView text);

// The choice boxes that leaving a child's choice box proposes its (non-empty) text for:
// KKonf -> MKonf, VKonf; KNat -> MNat, VNat; none for any other field.
QList<int> proposalTargets(int field);

// The surname proposed on entering the mother's and the father's surname box is the child's.
bool takesChildSurnameOnEntry(int field); // MNach, VNach

// Sibling rows shown for the count text: "1", "2" or "3" exactly; anything else (also "0",
// empty, " 2") shows none.
int siblingRows(QStringView count);
// The surname fields of the first n sibling rows (G1Nach, G2Nach, G3Nach).
QList<int> siblingSurnames(int rows);

// Base × child factor × booking factor (each read by GermanFormat::parseNumber), multiplied in
// that order in double precision and written in the general number format (at most fifteen
// significant digits, no trailing zeros, decimal comma): 150 × 1,2 × 0,85 gives "153". Nothing
// when one of the three texts is not a number (the previous sum then stays).
std::optional<QString> feeSum(QStringView base, QStringView factor, QStringView bookingFactor);

} // namespace InputRules
