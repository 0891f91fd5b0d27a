// The options' rules without widgets: margin texts and rounding, the key rule of the margin boxes,
// what the dialog shows for the settings and what Apply writes back. Whether Apply is at hand is
// driven through the dialog (tst_optionsdialog).

#include "optionsmodel.h"

#include <QTest>

class TestOptionsModel : public QObject {
    Q_OBJECT
  private slots:
    void marginFromText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("millimetres"); // -1: no margin, the box keeps its value
        // Empty is nothing; with or without the unit; a point from elsewhere; a half to even
        // (0,35 up, 0,25 down, zeros after the half change nothing); 9,9 cm at most.
        const std::pair<const char*, int> rows[] = {
            {"", 0},      {"1,0 cm", 10},   {"2,5", 25},
            {"0,7cm", 7}, {" 3,1 cm ", 31}, {",5", 5},
            {"5,", 50},   {"1.5", 15},      {"0,35", 4},
            {"0,25", 2},  {"0,4500", 4},    {"0,2501", 3},
            {"9,95", 99}, {"12,5", 99},     {"-1", -1},
            {"abc", -1},  {"1,0 cm5", -1},  {"1,2,3", -1},
            {",", -1},    {"&H10", -1},     {"123456789012345678901234", 99}};
        for (const auto& [text, mm] : rows)
            QTest::addRow("\"%s\"", text) << QString::fromLatin1(text) << mm;
    }
    void marginFromText() {
        QFETCH(QString, text);
        QFETCH(int, millimetres);
        QCOMPARE(Margins::fromText(text).value_or(-1), millimetres);
    }

    void marginFromSettingAndShownText() {
        // A stored margin: the nearest millimetre, a half to even, within 0 to 99.
        QCOMPARE(Margins::fromSetting(10.5f), 10);
        QCOMPARE(Margins::fromSetting(11.5f), 12);
        QCOMPARE(Margins::fromSetting(150.0f), 99);
        QCOMPARE(Margins::fromSetting(-3.0f), 0);
        // A box left as it shows its value keeps that value ("1,0 cm" and the like are seen in
        // the dialog's tests).
        for (int mm = 0; mm <= Margins::Max; ++mm)
            QCOMPARE(Margins::fromText(Margins::text(mm)), std::optional<int>(mm));
    }

    // Digits while the text beside is at most 5 long (6 with a comma), one comma, nothing else.
    void marginKeys() {
        const std::tuple<const char*, char, bool> rows[] = {
            {"12345", '6', true}, {"123456", '7', false}, {"1,2345", '6', true}, {"10", ',', true},
            {"1,0", ',', false},  {"1", '.', false},      {"", 'a', false},      {"", '-', false}};
        for (const auto& [beside, key, allowed] : rows)
            QVERIFY2(Margins::keyAllowed(QString::fromLatin1(beside), QLatin1Char(key)) == allowed,
                     beside);
    }

    void settingsShownAndAppliedBack() {
        Settings s;
        s.Tabelle = {1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        s.SchriftGr1 = 10.5f;
        s.SchriftGr2 = 11.5f;
        s.Fett2 = true;
        s.AbstandL = 10.4f;
        s.Hochformat = false;
        s.Email = QStringLiteral("kiga@example.org");
        s.NameDB = QStringLiteral("Kiga.mdb");
        s.Hoehe = 11000;
        s.SpBreite = {900, 1000, 1100, 1200, 1300, 1400};
        OptionsValues v = OptionsValues::fromSettings(s);
        QVERIFY(v.columns[0] && v.columns[15]);
        QVERIFY(!v.columns[1] && !v.columns[2]); // anything but 1 hides a group
        QCOMPARE(v.entryFont.size, 10);
        QCOMPARE(v.headingFont, (ListFont{QStringLiteral("Times New Roman"), 12, true, false}));
        QCOMPARE(v.margins, (std::array<int, 5>{10, 10, 10, 10, 2}));
        QVERIFY(!v.portrait);
        QCOMPARE(v.address[OptionsValues::Email], s.Email);

        // Apply writes every value as shown and nothing else.
        v.entryFont = {QStringLiteral("Liberation Serif"), 14, true, true};
        v.headingFont.italic = true;
        v.margins = {11, 12, 13, 14, 5};
        v.address[OptionsValues::Name] = QStringLiteral("Kita Sonnenschein");
        v.address[OptionsValues::Town] = QStringLiteral("12345 Ort");
        Settings applied = s;
        v.applyTo(applied);
        QCOMPARE(OptionsValues::fromSettings(applied), v);
        QCOMPARE(applied.Tabelle,
                 (std::array<int, 16>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
        QCOMPARE(applied.AbstandO, 13.0f);
        QCOMPARE(applied.SchriftGr2, 12.0f);
        QCOMPARE(applied.NameDB, s.NameDB);
        QCOMPARE(applied.Hoehe, s.Hoehe);
        QCOMPARE(applied.SpBreite, s.SpBreite);
    }
};

QTEST_APPLESS_MAIN(TestOptionsModel)
#include "tst_optionsmodel.moc"
