#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

#include <array>
#include <optional>

// The settings in memory: one field per key of Tarvex.ini, plus the font styles, the
// orientation and the column choice decoded.
struct Settings {
    // [Verweise]
    QString NameDB = QStringLiteral("TarvexDB.mdb");
    // [Angaben]
    QString Name = QStringLiteral("-");
    QString Strasse = QStringLiteral("-");
    QString Ort = QStringLiteral("-");
    QString Tel = QStringLiteral("-");
    QString Email = QStringLiteral("-");
    // [Fenster], in twips
    int Hoehe = 10125;
    int Breite = 13500;
    int Links = 100;
    int Oben = 100;
    int Tab = 0;
    // [Drucken]
    QString Schrift1 = QStringLiteral("Arial");
    float SchriftGr1 = 10;
    bool Fett1 = false;
    bool Kursiv1 = false;
    QString Schrift2 = QStringLiteral("Times New Roman");
    float SchriftGr2 = 10;
    bool Fett2 = false;
    bool Kursiv2 = false;
    float AbstandO = 10;
    float AbstandU = 10;
    float AbstandL = 10;
    float AbstandR = 10;
    float AbstandTab = 2;
    bool Hochformat = true;
    // [Tabelle]
    int AnzahlSp = 6;
    QVector<int> SpBreite; // AnzahlSp entries, twips

    // The width a table column at this position has until the user drags it, twips: the six
    // fixed columns (number, surname, first name, date of birth, group, lunch) fit their usual
    // values at the default font, a date whole; the columns chosen beside them a name.
    static int defaultColumnTwips(int position);
    // [Intern]
    std::array<int, 16> Tabelle{};
};

// Tarvex.ini in its folder (see FileLocations): its template, reading with fallbacks and checks,
// and writing back at shutdown. Reading steps are separate because the start-up interleaves them
// with other work. A value that cannot be used where the program cannot guess (letters in a
// whole-number key, a short column choice, an over-long database path) is EngineError 13 whose
// description names the key and the file, so that the user can put it right.
class SettingsFile {
  public:
    explicit SettingsFile(const QString& folder);
    QString path() const { return m_path; }

    // Writes the 44 template lines (CR LF) when no file of that name exists. An existing file
    // is never touched. A failure (read-only folder, a folder in the file's place) is
    // EngineError 75 naming the file.
    void writeTemplateIfMissing() const;

    // Why an existing file cannot be read as settings (too big, not a file, unreadable); the
    // program then works with the fallbacks and never overwrites it. Nothing when it can.
    std::optional<QString> unreadable() const;

    QString readNameDB() const;
    // Returns whether the value reached the file; problem gets why not.
    bool writeLetzterAufruf(const QDateTime& now, QString* problem = nullptr) const;
    void readAddress(Settings& s) const; // Name, Strasse, Ort, Tel, Email
    void readPrint(Settings& s) const;   // Schrift1 .. Ausrichtung
    void readWindow(Settings& s) const;  // Hoehe, Breite, Links, Oben, Tab with minimums
    // AnzahlSp, SpBreite0 .. (a missing or negative width: the position's default)
    void readTable(Settings& s) const;
    void readColumnChoice(Settings& s) const; // Tabelle of [Intern]

    // Writes the keys in shutdown order (Links and Oben as 50). Returns false when the file
    // could not be written, with the reason in problem; the caller tells the user.
    bool save(const Settings& s, QString* problem = nullptr) const;

    static constexpr int MinHeight = 10125;
    static constexpr int MinWidth = 13050;
    // AnzahlSp below 1 reads as 6 columns, above MaxColumns as MaxColumns.
    static constexpr int MaxColumns = 64;

  private:
    QString m_path;
};
