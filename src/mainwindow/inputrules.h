#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The key-by-key rules of the record controls while a record is entered or changed, without
// widgets. The form's event filter asks these for every key, paste and focus change.
namespace InputRules {

inline constexpr QChar Backspace = QChar(8);
inline constexpr QChar Enter = QChar(13);

// The rule set a control follows.
enum class Kind {
    Text,         // txtAngaben and the six choice boxes: the length rule, everything else typed
    Remark,       // txtBem: the length rule; Enter breaks the line
    Number,       // txtNr: digits and Backspace only
    SiblingCount, // txtGAnz: one digit 0 to 3
    Fee,          // txtBerechnung: digits, comma and Backspace
    Lunch,        // chckKEssen: only Enter has a rule
};

enum class KeyResult {
    Accept,    // the key goes into the control
    Discard,   // the key is dropped without a word
    TooLong,   // the key is dropped and tooLongMessage(limit) is shown
    MoveFocus, // Enter: the focus moves on (the field table's enterTo / enterElse)
};

// key is a typed character, Backspace or Enter. textLength and selectionLength describe the
// control's text before the key. The length rule: a key other than Backspace into a text that
// already holds limit characters, with nothing selected, is TooLong (with a selection it replaces
// it). Enter is MoveFocus for every kind but Remark, where it is a typed line break (length rule).
// Number: digits and Backspace; other keys Discard; the length rule applies to digits. Fee:
// digits, comma and Backspace; others Discard; the length rule applies. SiblingCount: Backspace;
// a digit 0 to 3 when the text is empty or selected; everything else Discard. Lunch: every key
// but Enter is Accept.
KeyResult keyResult(Kind kind, QChar key, int textLength, int selectionLength, int limit);

// Pasted text follows the same rules: Discard when any of its characters would be discarded
// (a line break counts as Enter, which only the remark takes), TooLong when the text after the
// paste (the selection replaced) would be longer than limit, else Accept.
KeyResult pasteResult(Kind kind, QStringView pasted, int textLength, int selectionLength,
                      int limit);

// "Die Eingabe ist zu lang.\r\rEs können nur max. 30 Zeichen eingegeben werden."
QString tooLongMessage(int limit);

// The filler an empty box gets when it is left (field index of the field table; choiceBox: the
// religion or nationality choice box rather than its text box): "-" for every txtAngaben box,
// for the child's religion choice box and for the parents' nationality choice boxes; "o.K." for
// the child's nationality and the parents' religion choice boxes; "1" for a fee field. Empty
// where a box gets no filler (number, remark, sibling count).
QString fillerOnLeave(int field, bool choiceBox);

// A proposal is written only into a box that is empty or holds a filler ("-" or "o.K."), so
// nothing typed is overwritten.
bool takesProposal(QStringView text);

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
