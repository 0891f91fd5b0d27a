#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

// The copy count of the print dialog: one or two digits, 1 to 99.
namespace CopyCount {

constexpr int Max = 99;

// Whether a typed character goes into the box: a digit 0 to 9, and only while the box holds at
// most one character (selected or not). Backspace is not a character and always passes.
bool keyAllowed(QStringView text, QChar key);

struct Checked {
    QString text;          // what the box holds afterwards
    int count = 1;         // the number of copies it stands for
    bool tooLarge = false; // the number was over 99: the box says so and holds "99"
};

// The box's text when it is left: empty and 0 become "1", a number over 99 becomes "99", any
// other number stays. Text that is not a number of digits (pasted letters, a sign, a decimal)
// becomes "1".
Checked check(QStringView text);

// The text after a click on the spin buttons: one up or down from the number shown, within 1
// to 99.
QString step(QStringView text, int by);

} // namespace CopyCount
