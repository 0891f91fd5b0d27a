#include "settings.h"

#include "engineerror.h"
#include "germanformat.h"
#include "inifile.h"

#include <QDir>
#include <QFileInfo>

#include <cfloat>
#include <cmath>

namespace {

constexpr int FileAccessError = 75; // a file or folder that cannot be used

constexpr char kTemplate[] = "[Angaben]\r\n"
                             ";allgemeine Angaben\r\n"
                             "LetzterAufruf=\r\n"
                             "Name=Belvonia\r\n"
                             "Strasse=-\r\n"
                             "Ort=-\r\n"
                             "Tel=-\r\n"
                             "Email=-\r\n"
                             "\r\n"
                             "[Verweise]\r\n"
                             "NameDB=TarvexDB.mdb\r\n"
                             "\r\n"
                             "[Fenster]\r\n"
                             "Hoehe=10500\r\n"
                             "Breite=14000\r\n"
                             "Links=105\r\n"
                             "Oben=105\r\n"
                             "Tab=0\r\n"
                             "\r\n"
                             "[Drucken]\r\n"
                             "Schrift1=Arial\r\n"
                             "SchriftGr1=10\r\n"
                             "SchriftBK1=&H00\r\n"
                             "Schrift2=Times New Roman\r\n"
                             "SchriftGr2=10\r\n"
                             "SchriftBK2=&H00\r\n"
                             "AbstandO=10\r\n"
                             "AbstandU=10\r\n"
                             "AbstandL=10\r\n"
                             "AbstandR=10\r\n"
                             "AbstandTab=2\r\n"
                             "Ausrichtung=1\r\n"
                             "\r\n"
                             "[Tabelle]\r\n"
                             "AnzahlSp=6\r\n";
// Then the six columns' widths (SpBreite0 to SpBreite5), then:
constexpr char kTemplateEnd[] = "\r\n"
                                "[Intern]\r\n"
                                "Tabelle=0000000000000000\r\n";

QByteArray settingsTemplate() {
    QByteArray text(kTemplate);
    for (int i = 0; i < 6; ++i)
        text += "SpBreite" + QByteArray::number(i) + "=" +
                QByteArray::number(Settings::defaultColumnTwips(i)) + "\r\n";
    return text + kTemplateEnd;
}

} // namespace

int Settings::defaultColumnTwips(int position) {
    static const int kFixed[] = {600, 1425, 1275, 1200, 1575, 630};
    return position >= 0 && position < int(std::size(kFixed)) ? kFixed[position] : 1425;
}

namespace {

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// A value quoted in a message: long junk is shortened so that the message stays readable.
QString shownValue(const QString& value) {
    constexpr int Shown = 40;
    return value.size() > Shown ? value.left(Shown) + u'…' : value;
}

int wholeNumber(const IniFile& ini, const QString& key, const QString& fallback) {
    const QString text = ini.value(u"Fenster", key, fallback);
    if (std::optional<qint64> v = GermanFormat::parseWholeNumber(text))
        return static_cast<int>(*v);
    const QString file = shownPath(ini.path());
    if (text.trimmed().isEmpty())
        throw EngineError(ErrorNumber::TypeMismatch,
                          QStringLiteral("Der Schlüssel »%1« in der Datei »%2« hat keinen Wert; "
                                         "erwartet wird eine ganze Zahl.")
                              .arg(key, file));
    if (GermanFormat::parseNumber(text))
        throw EngineError(ErrorNumber::TypeMismatch,
                          QStringLiteral("Der Wert »%1« des Schlüssels »%2« in der Datei »%3« "
                                         "liegt außerhalb des Bereichs ganzer Zahlen "
                                         "(-2147483648 bis 2147483647).")
                              .arg(shownValue(text), key, file));
    throw EngineError(ErrorNumber::TypeMismatch,
                      QStringLiteral("Der Wert »%1« des Schlüssels »%2« in der Datei »%3« ist "
                                     "keine ganze Zahl.")
                          .arg(shownValue(text), key, file));
}

// A number that fits a Single; anything else counts as not numeric.
std::optional<float> single(const QString& text) {
    const std::optional<double> v = GermanFormat::parseNumber(text);
    if (!v || std::fabs(*v) > FLT_MAX)
        return std::nullopt;
    return static_cast<float>(*v);
}

float singleOr(const IniFile& ini, QStringView key, float fallback) {
    return single(ini.value(u"Drucken", key, GermanFormat::formatSingle(fallback)))
        .value_or(fallback);
}

float fontSize(const IniFile& ini, QStringView key) {
    const float size = singleOr(ini, key, 10);
    return size > 0 ? size : 10;
}

// "&H10" is bold, "&H01" italic: the value as a number, bit 16 and bit 1.
void fontStyle(const IniFile& ini, QStringView key, bool& bold, bool& italic) {
    const std::optional<qint64> v =
        GermanFormat::parseWholeNumber(ini.value(u"Drucken", key, QStringLiteral("&H00")));
    bold = v && (*v & 16);
    italic = v && (*v & 1);
}

QString fontName(const IniFile& ini, QStringView key, const QString& fallback) {
    const QString name = ini.value(u"Drucken", key, fallback);
    return name.isEmpty() ? fallback : name;
}

QString fontStyleText(bool bold, bool italic) {
    return QStringLiteral("&H") + (bold ? u'1' : u'0') + (italic ? u'1' : u'0');
}

} // namespace

SettingsFile::SettingsFile(const QString& folder)
    : m_path(QDir(folder).absoluteFilePath(QStringLiteral("Tarvex.ini"))) {}

void SettingsFile::writeTemplateIfMissing() const {
    const QFileInfo info(m_path);
    if (info.isDir())
        throw EngineError(FileAccessError,
                          QStringLiteral("Die Einstellungsdatei »%1« ist ein Ordner. Bitte "
                                         "entfernen Sie den Ordner oder benennen Sie ihn um.")
                              .arg(shownPath(m_path)));
    if (info.exists())
        return;
    if (const auto problem = IniFile::replaceFile(m_path, settingsTemplate()))
        throw EngineError(FileAccessError,
                          QStringLiteral("Die Einstellungsdatei »%1« kann nicht angelegt werden: "
                                         "%2")
                              .arg(shownPath(m_path), *problem));
}

std::optional<QString> SettingsFile::unreadable() const {
    const IniFile ini(m_path);
    if (ini.wasRead() || ini.problem().isEmpty())
        return std::nullopt;
    return ini.problem();
}

QString SettingsFile::readNameDB() const {
    const IniFile ini(m_path);
    const std::optional<QString> name = ini.fullValue(u"Verweise", u"NameDB");
    if (!name)
        return QStringLiteral("TarvexDB.mdb");
    // Cut short, the path would name a database that does not exist, and the start-up would
    // offer to create an empty one in its place.
    if (name->size() > IniFile::MaxValueLength)
        throw EngineError(ErrorNumber::TypeMismatch,
                          QStringLiteral("Der Wert des Schlüssels »NameDB« in der Datei »%1« ist "
                                         "%2 Zeichen lang; erlaubt sind höchstens %3 Zeichen.")
                              .arg(shownPath(m_path))
                              .arg(name->size())
                              .arg(IniFile::MaxValueLength));
    return *name;
}

bool SettingsFile::writeLetzterAufruf(const QDateTime& now, QString* problem) const {
    IniFile ini(m_path);
    ini.setValue(u"Angaben", u"LetzterAufruf", GermanFormat::formatDateTime(now));
    const bool saved = ini.save();
    if (!saved && problem)
        *problem = ini.problem();
    return saved;
}

void SettingsFile::readAddress(Settings& s) const {
    const IniFile ini(m_path);
    const QString dash = QStringLiteral("-");
    s.Name = ini.value(u"Angaben", u"Name", dash);
    s.Strasse = ini.value(u"Angaben", u"Strasse", dash);
    s.Ort = ini.value(u"Angaben", u"Ort", dash);
    s.Tel = ini.value(u"Angaben", u"Tel", dash);
    s.Email = ini.value(u"Angaben", u"Email", dash);
}

void SettingsFile::readPrint(Settings& s) const {
    const IniFile ini(m_path);
    s.Schrift1 = fontName(ini, u"Schrift1", QStringLiteral("Arial"));
    s.Schrift2 = fontName(ini, u"Schrift2", QStringLiteral("Times New Roman"));
    s.SchriftGr1 = fontSize(ini, u"SchriftGr1");
    s.SchriftGr2 = fontSize(ini, u"SchriftGr2");
    fontStyle(ini, u"SchriftBK1", s.Fett1, s.Kursiv1);
    fontStyle(ini, u"SchriftBK2", s.Fett2, s.Kursiv2);
    s.AbstandO = singleOr(ini, u"AbstandO", 10);
    s.AbstandU = singleOr(ini, u"AbstandU", 10);
    s.AbstandL = singleOr(ini, u"AbstandL", 10);
    s.AbstandR = singleOr(ini, u"AbstandR", 10);
    s.AbstandTab = singleOr(ini, u"AbstandTab", 2);
    s.Hochformat = ini.value(u"Drucken", u"Ausrichtung", QStringLiteral("1")) == u"1";
}

void SettingsFile::readWindow(Settings& s) const {
    const IniFile ini(m_path);
    const int height = wholeNumber(ini, QStringLiteral("Hoehe"), QStringLiteral("10125"));
    const int width = wholeNumber(ini, QStringLiteral("Breite"), QStringLiteral("13500"));
    const int left = wholeNumber(ini, QStringLiteral("Links"), QStringLiteral("100"));
    const int top = wholeNumber(ini, QStringLiteral("Oben"), QStringLiteral("100"));
    const int tab = wholeNumber(ini, QStringLiteral("Tab"), QStringLiteral("0"));
    s.Hoehe = std::max(height, MinHeight);
    s.Breite = std::max(width, MinWidth);
    s.Links = std::max(left, 0);
    s.Oben = std::max(top, 0);
    s.Tab = tab;
}

void SettingsFile::readTable(Settings& s) const {
    const IniFile ini(m_path);
    int count = 6;
    if (std::optional<double> n =
            GermanFormat::parseNumber(ini.value(u"Tabelle", u"AnzahlSp", QStringLiteral("6")))) {
        const double rounded = std::nearbyint(*n);
        if (rounded >= 1)
            count = rounded > MaxColumns ? MaxColumns : static_cast<int>(rounded);
    }
    s.AnzahlSp = count;
    s.SpBreite.resize(count);
    for (int i = 0; i < count; ++i) {
        const std::optional<qint64> w = GermanFormat::parseWholeNumber(
            ini.value(u"Tabelle", QStringLiteral("SpBreite%1").arg(i), QString()));
        s.SpBreite[i] = w && *w >= 0 ? static_cast<int>(*w) : Settings::defaultColumnTwips(i);
    }
}

void SettingsFile::readColumnChoice(Settings& s) const {
    const IniFile ini(m_path);
    const QString text = ini.value(u"Intern", u"Tabelle", QStringLiteral("0000000000000000"));
    std::array<int, 16> choice{};
    if (GermanFormat::parseNumber(text)) {
        const auto fault = [&](const QString& what) {
            return EngineError(ErrorNumber::TypeMismatch,
                               QStringLiteral("Die Spaltenauswahl »%1« (Schlüssel »Tabelle« im "
                                              "Abschnitt »Intern«) in der Datei »%2« %3")
                                   .arg(shownValue(text), shownPath(m_path), what));
        };
        if (text.size() < static_cast<qsizetype>(choice.size()))
            throw fault(QStringLiteral("hat %1 statt 16 Stellen.").arg(text.size()));
        for (std::size_t i = 0; i < choice.size(); ++i) {
            const QChar c = text[i];
            if (c < u'0' || c > u'9')
                throw fault(QStringLiteral("hat an Stelle %1 keine Ziffer.").arg(i + 1));
            choice[i] = c.unicode() - u'0';
        }
    }
    s.Tabelle = choice;
}

bool SettingsFile::save(const Settings& s, QString* problem) const {
    IniFile ini(m_path);
    const auto number = [](int v) { return QString::number(v); };
    const auto single = [](float v) { return GermanFormat::formatSingle(v); };

    ini.setValue(u"Fenster", u"Tab", number(s.Tab));
    ini.setValue(u"Fenster", u"Links", u"50");
    ini.setValue(u"Fenster", u"Oben", u"50");
    ini.setValue(u"Fenster", u"Hoehe", number(s.Hoehe));
    ini.setValue(u"Fenster", u"Breite", number(s.Breite));

    ini.setValue(u"Tabelle", u"AnzahlSp", number(s.AnzahlSp));
    for (qsizetype i = 0; i < s.SpBreite.size(); ++i)
        ini.setValue(u"Tabelle", QStringLiteral("SpBreite%1").arg(i), number(s.SpBreite[i]));

    QString choice;
    for (int element : s.Tabelle)
        choice += number(element);
    ini.setValue(u"Intern", u"Tabelle", choice);

    ini.setValue(u"Drucken", u"Schrift1", s.Schrift1);
    ini.setValue(u"Drucken", u"SchriftGr1", single(s.SchriftGr1));
    ini.setValue(u"Drucken", u"SchriftBK1", fontStyleText(s.Fett1, s.Kursiv1));
    ini.setValue(u"Drucken", u"Schrift2", s.Schrift2);
    ini.setValue(u"Drucken", u"SchriftGr2", single(s.SchriftGr2));
    ini.setValue(u"Drucken", u"SchriftBK2", fontStyleText(s.Fett2, s.Kursiv2));
    ini.setValue(u"Drucken", u"AbstandO", single(s.AbstandO));
    ini.setValue(u"Drucken", u"AbstandU", single(s.AbstandU));
    ini.setValue(u"Drucken", u"AbstandL", single(s.AbstandL));
    ini.setValue(u"Drucken", u"AbstandR", single(s.AbstandR));
    ini.setValue(u"Drucken", u"AbstandTab", single(s.AbstandTab));
    ini.setValue(u"Drucken", u"Ausrichtung", s.Hochformat ? u"1" : u"0");

    ini.setValue(u"Angaben", u"Name", s.Name);
    ini.setValue(u"Angaben", u"Strasse", s.Strasse);
    ini.setValue(u"Angaben", u"Ort", s.Ort);
    ini.setValue(u"Angaben", u"Tel", s.Tel);
    ini.setValue(u"Angaben", u"Email", s.Email);
    const bool saved = ini.save();
    if (!saved && problem)
        *problem = ini.problem();
    return saved;
}
