#pragma once

#include "settings.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The rules of the options dialog, without widgets: what its controls show for the settings,
// what Apply writes back, whether anything is changed, and the margin boxes' text.

// The page margins and the gap between list columns, in whole millimetres (0 to 99). A box shows
// the length in centimetres with a decimal comma and the unit: 10 is "1,0 cm".
namespace Margins {

constexpr int Max = 99; // 9,9 cm

// 10 -> "1,0 cm", whatever the machine's locale.
QString text(int millimetres);

// The box's text when it is left: empty is 0; a number in centimetres, with or without " cm",
// with a decimal comma (or point), is clamped to 9,9 and taken to whole millimetres, a half going
// to the even neighbour (0,35 -> 4, 0,25 -> 2, 12,5 -> 99). Anything else (letters, a sign, a
// second comma) is no margin: nothing comes back, and the box keeps its value.
std::optional<int> fromText(QStringView text);

// A stored margin as the box takes it: the nearest whole millimetre (a half to even), within
// 0 to 99.
int fromSetting(float millimetres);

// Whether a typed character may go into a box. beside is the text the character does not
// replace (the box's text without its selection). Digits pass while beside is at most 5
// characters long, or 6 when it holds a comma; a comma passes when beside has none yet; no other
// character passes.
bool keyAllowed(QStringView beside, QChar key);

} // namespace Margins

// One font of the printed lists: the entry font (Schrift1) or the heading font (Schrift2).
struct ListFont {
    QString name;
    int size = 10; // whole points, as the settings keep them
    bool bold = false;
    bool italic = false;
    bool operator==(const ListFont&) const = default;
};

// Everything the dialog shows, in the form its controls hold it.
struct OptionsValues {
    enum Margin { Left, Right, Top, Bottom, ColumnGap, MarginCount };
    enum Address { Name, Street, Town, Phone, Email, AddressCount };

    std::array<bool, 16> columns{}; // column groups of the table view, as in Tabelle
    ListFont entryFont;
    ListFont headingFont;
    std::array<int, MarginCount> margins{}; // millimetres
    bool portrait = true;
    std::array<QString, AddressCount> address;

    static OptionsValues fromSettings(const Settings& s);
    // Writes every value into the settings the dialog edits (Apply).
    void applyTo(Settings& s) const;

    bool operator==(const OptionsValues&) const = default;
};

// The dialog's copy of the settings and the values last loaded or applied: Apply is at hand
// exactly when the values shown differ from those.
class OptionsModel {
  public:
    explicit OptionsModel(const Settings& settings);

    const Settings& settings() const { return m_settings; }
    const OptionsValues& applied() const { return m_applied; }
    bool isChanged(const OptionsValues& shown) const { return shown != m_applied; }

    // Takes the values shown into the copy; they become the values applied.
    const Settings& apply(const OptionsValues& shown);

  private:
    Settings m_settings;
    OptionsValues m_applied;
};
