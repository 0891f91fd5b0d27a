// The options' rules without widgets: margin texts and rounding, the key rule of the margin boxes,
// what the dialog shows for the settings and what Apply writes back, and the dirty state.

#include "optionsmodel.h"

#include <QTest>

class TestOptionsModel : public QObject {
    Q_OBJECT
  private slots:
    void marginFromText_data();
    void marginFromText();
    void everyShownMarginReadsBackAsItself();
    void marginFromSetting_data();
    void marginFromSetting();
    void marginKeys_data();
    void marginKeys();
    void settingsShownAndAppliedBack();
    void changedUntilAppliedOrUndone();
};

void TestOptionsModel::marginFromText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("millimetres"); // -1: no margin, the box keeps its value
    QTest::newRow("empty is nothing") << "" << 0;
    QTest::newRow("shown form") << "1,0 cm" << 10;
    QTest::newRow("without unit") << "2,5" << 25;
    QTest::newRow("unit without blank") << "0,7cm" << 7;
    QTest::newRow("blanks around") << " 3,1 cm " << 31;
    QTest::newRow("comma first") << ",5" << 5;
    QTest::newRow("comma last") << "5," << 50;
    QTest::newRow("a point from elsewhere") << "1.5" << 15;
    QTest::newRow("half up to even") << "0,35" << 4;
    QTest::newRow("half down to even") << "0,25" << 2;
    QTest::newRow("half with zeros") << "0,4500" << 4;
    QTest::newRow("just above half") << "0,2501" << 3;
    QTest::newRow("above largest, a half") << "9,95" << 99;
    QTest::newRow("above largest") << "12,5" << 99;
    QTest::newRow("far above") << "123456789012345678901234" << 99;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("letters") << "abc" << -1;
    QTest::newRow("digits after unit") << "1,0 cm5" << -1;
    QTest::newRow("two commas") << "1,2,3" << -1;
    QTest::newRow("comma alone") << "," << -1;
    QTest::newRow("hexadecimal") << "&H10" << -1;
}

void TestOptionsModel::marginFromText() {
    QFETCH(QString, text);
    QFETCH(int, millimetres);
    QCOMPARE(Margins::fromText(text).value_or(-1), millimetres);
}

void TestOptionsModel::everyShownMarginReadsBackAsItself() {
    // A box left as it shows its value keeps that value.
    for (int mm = 0; mm <= Margins::Max; ++mm)
        QCOMPARE(Margins::fromText(Margins::text(mm)), std::optional<int>(mm));
    QCOMPARE(Margins::text(10), QStringLiteral("1,0 cm"));
    QCOMPARE(Margins::text(2), QStringLiteral("0,2 cm"));
    QCOMPARE(Margins::text(99), QStringLiteral("9,9 cm"));
}

void TestOptionsModel::marginFromSetting_data() {
    QTest::addColumn<float>("stored");
    QTest::addColumn<int>("millimetres");
    QTest::newRow("half down to even") << 10.5f << 10;
    QTest::newRow("half up to even") << 11.5f << 12;
    QTest::newRow("above the range") << 150.0f << 99;
    QTest::newRow("below the range") << -3.0f << 0;
}

void TestOptionsModel::marginFromSetting() {
    QFETCH(float, stored);
    QFETCH(int, millimetres);
    QCOMPARE(Margins::fromSetting(stored), millimetres);
}

void TestOptionsModel::marginKeys_data() {
    QTest::addColumn<QString>("beside");
    QTest::addColumn<QChar>("key");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("sixth character") << "12345" << QChar(u'6') << true;
    QTest::newRow("seventh character") << "123456" << QChar(u'7') << false;
    QTest::newRow("seventh with comma") << "1,2345" << QChar(u'6') << true;
    QTest::newRow("first comma") << "10" << QChar(u',') << true;
    QTest::newRow("second comma") << "1,0" << QChar(u',') << false;
    QTest::newRow("point") << "1" << QChar(u'.') << false;
    QTest::newRow("letter") << "" << QChar(u'a') << false;
}

void TestOptionsModel::marginKeys() {
    QFETCH(QString, beside);
    QFETCH(QChar, key);
    QFETCH(bool, allowed);
    QCOMPARE(Margins::keyAllowed(beside, key), allowed);
}

void TestOptionsModel::settingsShownAndAppliedBack() {
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

void TestOptionsModel::changedUntilAppliedOrUndone() {
    Settings s;
    OptionsModel model(s);
    OptionsValues shown = model.applied();
    QVERIFY(!model.isChanged(shown));
    shown.columns[4] = true;
    shown.address[OptionsValues::Name] = QStringLiteral("Kita");
    QVERIFY(model.isChanged(shown));
    // Undone by hand, nothing is changed any more.
    shown.columns[4] = false;
    shown.address[OptionsValues::Name] = s.Name;
    QVERIFY(!model.isChanged(shown));

    shown.margins[OptionsValues::Top] = 25;
    const Settings& applied = model.apply(shown);
    QCOMPARE(applied.AbstandO, 25.0f);
    QVERIFY(!model.isChanged(shown));
    // The settings the model was made from stay as they were.
    QCOMPARE(s.AbstandO, 10.0f);
    shown.margins[OptionsValues::Top] = 10;
    QVERIFY(model.isChanged(shown));
}

QTEST_APPLESS_MAIN(TestOptionsModel)
#include "tst_optionsmodel.moc"
