#include "optionsmodel.h"

#include <algorithm>
#include <cmath>

namespace Margins {

QString text(int millimetres) {
    const int mm = std::clamp(millimetres, 0, Max);
    return QStringLiteral("%1,%2 cm").arg(mm / 10).arg(mm % 10);
}

std::optional<int> fromText(QStringView text) {
    QStringView t = text.trimmed();
    if (t.endsWith(u"cm"))
        t = t.chopped(2).trimmed();
    if (t.isEmpty())
        return text.trimmed().isEmpty() ? std::optional<int>(0) : std::nullopt;

    // Worked on the digits themselves, so that 0,35 is exactly a half of a millimetre above 3.
    QStringView whole = t;
    QStringView fraction;
    const qsizetype separator = t.indexOf(QLatin1Char(','));
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    if (separator >= 0 && point >= 0)
        return std::nullopt;
    const qsizetype at = separator >= 0 ? separator : point;
    if (at >= 0) {
        whole = t.left(at);
        fraction = t.mid(at + 1);
    }
    const auto digitsOnly = [](QStringView s) {
        return std::all_of(s.begin(), s.end(),
                           [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    };
    if (!digitsOnly(whole) || !digitsOnly(fraction) || whole.size() + fraction.size() == 0)
        return std::nullopt;

    while (!whole.isEmpty() && whole.front() == QLatin1Char('0'))
        whole = whole.mid(1);
    if (whole.size() > 2)
        return Max; // 100 cm or more
    int tenths = whole.isEmpty() ? 0 : whole.toInt() * 10;
    if (!fraction.isEmpty())
        tenths += fraction.front().unicode() - u'0';
    // What lies below a millimetre: its first digit and whether any other follows.
    const QStringView below = fraction.size() > 1 ? fraction.mid(1) : QStringView();
    const int firstBelow = below.isEmpty() ? 0 : below.front().unicode() - u'0';
    const bool moreBelow =
        below.size() > 1 &&
        std::any_of(below.begin() + 1, below.end(), [](QChar c) { return c != QLatin1Char('0'); });

    // More than 9,9 cm counts as 9,9 cm.
    if (tenths > Max || (tenths == Max && (firstBelow > 0 || moreBelow)))
        return Max;
    const bool up = firstBelow > 5 || (firstBelow == 5 && (moreBelow || tenths % 2 == 1));
    return tenths + (up ? 1 : 0);
}

int fromSetting(float millimetres) {
    if (std::isnan(millimetres))
        return 0;
    const double rounded = std::nearbyint(double(millimetres)); // a half to the even neighbour
    return int(std::clamp(rounded, 0.0, double(Max)));
}

bool keyAllowed(QStringView beside, QChar key) {
    const bool hasComma = beside.contains(QLatin1Char(','));
    if (key >= QLatin1Char('0') && key <= QLatin1Char('9'))
        return beside.size() <= (hasComma ? 6 : 5);
    if (key == QLatin1Char(','))
        return !hasComma;
    return false;
}

} // namespace Margins

namespace {

int wholePoints(float size) {
    if (std::isnan(size))
        return 10;
    return int(std::clamp(std::nearbyint(double(size)), 1.0, 1000.0));
}

ListFont listFont(const QString& name, float size, bool bold, bool italic) {
    return ListFont{name, wholePoints(size), bold, italic};
}

} // namespace

OptionsValues OptionsValues::fromSettings(const Settings& s) {
    OptionsValues v;
    for (std::size_t i = 0; i < v.columns.size(); ++i)
        v.columns[i] = s.Tabelle[i] == 1;
    v.entryFont = listFont(s.Schrift1, s.SchriftGr1, s.Fett1, s.Kursiv1);
    v.headingFont = listFont(s.Schrift2, s.SchriftGr2, s.Fett2, s.Kursiv2);
    v.margins[Left] = Margins::fromSetting(s.AbstandL);
    v.margins[Right] = Margins::fromSetting(s.AbstandR);
    v.margins[Top] = Margins::fromSetting(s.AbstandO);
    v.margins[Bottom] = Margins::fromSetting(s.AbstandU);
    v.margins[ColumnGap] = Margins::fromSetting(s.AbstandTab);
    v.portrait = s.Hochformat;
    v.address = {s.Name, s.Strasse, s.Ort, s.Tel, s.Email};
    return v;
}

void OptionsValues::applyTo(Settings& s) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        s.Tabelle[i] = columns[i] ? 1 : 0;
    s.Hochformat = portrait;
    const auto margin = [this](Margin m) { return float(std::clamp(margins[m], 0, Margins::Max)); };
    s.AbstandL = margin(Left);
    s.AbstandR = margin(Right);
    s.AbstandO = margin(Top);
    s.AbstandU = margin(Bottom);
    s.AbstandTab = margin(ColumnGap);
    s.Schrift1 = entryFont.name;
    s.SchriftGr1 = float(entryFont.size);
    s.Fett1 = entryFont.bold;
    s.Kursiv1 = entryFont.italic;
    s.Schrift2 = headingFont.name;
    s.SchriftGr2 = float(headingFont.size);
    s.Fett2 = headingFont.bold;
    s.Kursiv2 = headingFont.italic;
    s.Name = address[Name];
    s.Strasse = address[Street];
    s.Ort = address[Town];
    s.Tel = address[Phone];
    s.Email = address[Email];
}

OptionsModel::OptionsModel(const Settings& settings)
    : m_settings(settings), m_applied(OptionsValues::fromSettings(settings)) {}

const Settings& OptionsModel::apply(const OptionsValues& shown) {
    shown.applyTo(m_settings);
    m_applied = shown;
    return m_settings;
}
