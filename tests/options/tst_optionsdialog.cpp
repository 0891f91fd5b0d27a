// The options dialog driven offscreen: what it shows, the margin boxes as typed into, the font
// choice, Apply, OK and Cancel.

#include "optionsdialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

namespace {

template <class T> T* control(QObject* dialog, const char* name) {
    T* w = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// The spin control of a margin and its text box.
struct Margin {
    QSpinBox* spin;
    QLineEdit* text;
};

Margin margin(QObject* dialog, const char* suffix) {
    return {control<QSpinBox>(dialog, QByteArray("UpDown") + suffix),
            control<QLineEdit>(dialog, QByteArray("txt") + suffix)};
}

// A font dialog that sets a font and takes it, or is cancelled; it remembers what it was offered.
struct FontScript {
    std::optional<QFont> choose; // nothing: cancel
    QFont offered;
    QFontDialog::FontDialogOptions options;
    int runs = 0;
    OptionsDialog::FontDialogRunner runner() {
        return [this](QFontDialog& d) {
            ++runs;
            offered = d.currentFont();
            options = d.options();
            if (choose) {
                d.setCurrentFont(*choose);
                d.accept();
            } else {
                d.reject();
            }
        };
    }
};

QFont font(const QString& family, int size, bool bold, bool italic) {
    QFont f(family, size);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void showsTheSettings();
    void applyFollowsRealChanges();
    void typedMargins_data();
    void typedMargins();
    void pastedMargins_data();
    void pastedMargins();
    void marginsStayGermanWhateverTheLocale();
    void enterWalksTheMarginsToOk();
    void marginBeingTypedIsApplied();
    void chosenFontsShownAndApplied();
    void fontOfferedAsItsServingFamily();
    void okAndCancel();

  private:
    void open(int tab = OptionsDialog::PageTab);
    Settings settings;
    FontScript fonts;
    std::unique_ptr<OptionsDialog> dialog;
    std::unique_ptr<QSignalSpy> applied;
    QList<Settings> appliedSettings;
};

void TestOptionsDialog::init() {
    settings = Settings();
    fonts = FontScript();
    appliedSettings.clear();
}

void TestOptionsDialog::cleanup() {
    applied.reset();
    dialog.reset();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestOptionsDialog::open(int tab) {
    dialog = std::make_unique<OptionsDialog>(settings, tab, fonts.runner());
    applied = std::make_unique<QSignalSpy>(dialog.get(), &OptionsDialog::applied);
    connect(dialog.get(), &OptionsDialog::applied,
            [this](const Settings& s) { appliedSettings << s; });
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
}

void TestOptionsDialog::showsTheSettings() {
    settings.Tabelle[1] = 1;
    settings.Fett1 = true;
    settings.Kursiv2 = true;
    settings.Name = QStringLiteral("Kita Regenbogen");
    open();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Einstellungen"));
    QVERIFY(!control<QPushButton>(dialog.get(), "cmdApply")->isEnabled());
    QVERIFY(control<QCheckBox>(dialog.get(), "chckTab_1")->isChecked());
    QVERIFY(!control<QCheckBox>(dialog.get(), "chckTab_0")->isChecked());
    for (const char* m : {"Li", "Re", "Ob", "Un"})
        QCOMPARE(margin(dialog.get(), m).text->text(), QStringLiteral("1,0 cm"));
    QCOMPARE(margin(dialog.get(), "Abst").text->text(), QStringLiteral("0,2 cm"));
    QCOMPARE(control<QLabel>(dialog.get(), "lblSchrift1")->text(), QStringLiteral("Arial"));
    QCOMPARE(control<QLabel>(dialog.get(), "lblSchriftGr1")->text(), QStringLiteral("10"));
    QCOMPARE(control<QLabel>(dialog.get(), "lblSchrift2")->text(),
             QStringLiteral("Times New Roman"));
    // Only the picture of each style as it is shows.
    const std::pair<const char*, bool> pictures[] = {
        {"picF1true", true},  {"picF1false", false}, {"picK1true", false}, {"picK1false", true},
        {"picF2true", false}, {"picF2false", true},  {"picK2true", true},  {"picK2false", false},
        {"imgHoch", true},    {"imgQuer", false}};
    for (const auto& [name, visible] : pictures)
        QVERIFY2(control<QLabel>(dialog.get(), name)->isVisible() == visible, name);
    QVERIFY(control<QRadioButton>(dialog.get(), "optHoch")->isChecked());
    QCOMPARE(control<QLineEdit>(dialog.get(), "txtName")->text(), settings.Name);
}

void TestOptionsDialog::applyFollowsRealChanges() {
    open();
    auto* apply = control<QPushButton>(dialog.get(), "cmdApply");
    Margin left = margin(dialog.get(), "Li");
    left.spin->stepUp();
    QCOMPARE(left.text->text(), QStringLiteral("1,1 cm"));
    QVERIFY(apply->isEnabled());
    control<QRadioButton>(dialog.get(), "optQuer")->click();
    QVERIFY(control<QLabel>(dialog.get(), "imgQuer")->isVisible());
    QVERIFY(!control<QLabel>(dialog.get(), "imgHoch")->isVisible());
    apply->click();
    QCOMPARE(appliedSettings.size(), 1);
    QCOMPARE(appliedSettings[0].AbstandL, 11.0f);
    QVERIFY(!appliedSettings[0].Hochformat);
    QVERIFY(!apply->isEnabled());
    QVERIFY(dialog->isVisible());

    // A change undone by hand leaves nothing to apply.
    auto* box = control<QCheckBox>(dialog.get(), "chckTab_7");
    box->click();
    QVERIFY(apply->isEnabled());
    box->click();
    QVERIFY(!apply->isEnabled());
    auto* name = control<QLineEdit>(dialog.get(), "txtName");
    QTest::keyClicks(name, QStringLiteral("X"));
    QVERIFY(apply->isEnabled());
    QTest::keyClick(name, Qt::Key_Backspace);
    QVERIFY(!apply->isEnabled());
    left.spin->stepDown();
    QVERIFY(apply->isEnabled());
}

void TestOptionsDialog::typedMargins_data() {
    QTest::addColumn<QString>("typed"); // typed after the box got the focus (its text selected)
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("millimetres");
    QTest::newRow("left as it was") << ""
                                    << "1,0 cm" << 10;
    QTest::newRow("clamped") << "12,5"
                             << "9,9 cm" << 99;
    QTest::newRow("half to even") << "0,35"
                                  << "0,4 cm" << 4;
    QTest::newRow("comma first over the selection") << ",5"
                                                    << "0,5 cm" << 5;
    QTest::newRow("second comma refused") << "1,,5"
                                          << "1,5 cm" << 15;
    QTest::newRow("point refused") << "0.5"
                                   << "5,0 cm" << 50;
    QTest::newRow("minus refused") << "-2"
                                   << "2,0 cm" << 20;
    QTest::newRow("letters refused") << "a1b"
                                     << "1,0 cm" << 10;
    QTest::newRow("length limit") << "0,0000009"
                                  << "0,0 cm" << 0;
}

void TestOptionsDialog::typedMargins() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, millimetres);
    open();
    Margin top = margin(dialog.get(), "Ob");
    top.spin->setFocus(Qt::TabFocusReason);
    QCOMPARE(top.text->selectedText(), QStringLiteral("1,0 cm"));
    QTest::keyClicks(top.spin, typed);
    control<QLineEdit>(dialog.get(), "txtName")->setFocus(Qt::TabFocusReason);
    QCOMPARE(top.text->text(), shown);
    QCOMPARE(top.spin->value(), millimetres);
}

void TestOptionsDialog::pastedMargins_data() {
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("millimetres");
    QTest::newRow("a margin") << "2,5"
                              << "2,5 cm" << 25;
    QTest::newRow("shown form") << "3,0 cm"
                                << "3,0 cm" << 30;
    QTest::newRow("too large") << "15"
                               << "9,9 cm" << 99;
    QTest::newRow("negative") << "-3"
                              << "1,2 cm" << 12;
    QTest::newRow("letters") << "abc"
                             << "1,2 cm" << 12;
    QTest::newRow("nothing") << ""
                             << "0,0 cm" << 0;
}

void TestOptionsDialog::pastedMargins() {
    QFETCH(QString, pasted);
    QFETCH(QString, shown);
    QFETCH(int, millimetres);
    settings.AbstandR = 12;
    open();
    Margin right = margin(dialog.get(), "Re");
    right.spin->setFocus(Qt::TabFocusReason);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(right.spin, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(right.text->text(), pasted);
    control<QLineEdit>(dialog.get(), "txtName")->setFocus(Qt::TabFocusReason);
    QCOMPARE(right.spin->value(), millimetres);
    QCOMPARE(right.text->text(), shown);
}

void TestOptionsDialog::marginsStayGermanWhateverTheLocale() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    open();
    dialog->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    Margin bottom = margin(dialog.get(), "Un");
    QCOMPARE(bottom.text->text(), QStringLiteral("1,0 cm"));
    bottom.spin->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(bottom.spin, QStringLiteral("2,5"));
    QTest::keyClick(bottom.spin, Qt::Key_Return);
    QCOMPARE(bottom.spin->value(), 25);
    QCOMPARE(bottom.text->text(), QStringLiteral("2,5 cm"));
}

void TestOptionsDialog::enterWalksTheMarginsToOk() {
    open();
    const char* order[] = {"Li", "Re", "Ob", "Un", "Abst"};
    margin(dialog.get(), "Li").spin->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(margin(dialog.get(), "Li").spin, QStringLiteral("3"));
    for (const char* m : order) {
        QSpinBox* spin = margin(dialog.get(), m).spin;
        QCOMPARE(QApplication::focusWidget(), spin);
        QTest::keyClick(spin, Qt::Key_Return);
    }
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>(dialog.get(), "cmdOK"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(margin(dialog.get(), "Li").spin->value(), 30);
    QCOMPARE(applied->count(), 0);
}

void TestOptionsDialog::marginBeingTypedIsApplied() {
    open();
    Margin gap = margin(dialog.get(), "Abst");
    // A click into the box selects its text, as Tab does.
    QTest::mouseClick(gap.text, Qt::LeftButton, {}, QPoint(5, gap.text->height() / 2));
    QCOMPARE(gap.text->selectedText(), QStringLiteral("0,2 cm"));
    QTest::keyClicks(gap.spin, QStringLiteral("0,5"));
    // Still in the box: "Übernehmen" is at hand and takes the text as typed.
    auto* apply = control<QPushButton>(dialog.get(), "cmdApply");
    QVERIFY(apply->isEnabled());
    apply->click();
    QCOMPARE(appliedSettings.size(), 1);
    QCOMPARE(appliedSettings[0].AbstandTab, 5.0f);
    QCOMPARE(gap.text->text(), QStringLiteral("0,5 cm"));
}

void TestOptionsDialog::chosenFontsShownAndApplied() {
    open();
    auto* apply = control<QPushButton>(dialog.get(), "cmdApply");
    fonts.choose = font(QStringLiteral("Liberation Serif"), 14, true, true);
    control<QPushButton>(dialog.get(), "cmdFont1")->click();
    QCOMPARE(control<QLabel>(dialog.get(), "lblSchrift1")->text(),
             QStringLiteral("Liberation Serif"));
    QCOMPARE(control<QLabel>(dialog.get(), "lblSchriftGr1")->text(), QStringLiteral("14"));
    QVERIFY(control<QLabel>(dialog.get(), "picF1true")->isVisible());
    QVERIFY(control<QLabel>(dialog.get(), "picK1true")->isVisible());
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>(dialog.get(), "cmdOK"));
    QCOMPARE(applied->count(), 0);

    // A click on the heading font's size opens the heading font's dialog.
    fonts.choose = font(QStringLiteral("DejaVu Sans"), 9, false, true);
    QTest::mouseClick(control<QLabel>(dialog.get(), "lblSchriftGr2"), Qt::LeftButton);
    QCOMPARE(control<QLabel>(dialog.get(), "lblSchrift2")->text(), QStringLiteral("DejaVu Sans"));

    apply->click();
    QCOMPARE(appliedSettings.size(), 1);
    const Settings& s = appliedSettings[0];
    QCOMPARE(s.Schrift1, QStringLiteral("Liberation Serif"));
    QCOMPARE(s.SchriftGr1, 14.0f);
    QVERIFY(s.Fett1 && s.Kursiv1);
    QCOMPARE(s.Schrift2, QStringLiteral("DejaVu Sans"));
    QCOMPARE(s.SchriftGr2, 9.0f);
    QVERIFY(!s.Fett2 && s.Kursiv2);
}

void TestOptionsDialog::fontOfferedAsItsServingFamily() {
    // Arial is served by another family here: the dialog offers that family with scalable fonts
    // only; cancelled it changes nothing, and taken as offered it keeps the name Arial.
    settings.SchriftGr1 = 12;
    open();
    control<QPushButton>(dialog.get(), "cmdFont1")->click();
    QCOMPARE(fonts.offered.family(), QFontInfo(QFont(QStringLiteral("Arial"))).family());
    QCOMPARE(fonts.offered.pointSize(), 12);
    QVERIFY(fonts.options.testFlag(QFontDialog::ScalableFonts));
    QCOMPARE(control<QLabel>(dialog.get(), "lblSchrift1")->text(), QStringLiteral("Arial"));
    fonts.choose = fonts.offered;
    control<QPushButton>(dialog.get(), "cmdFont1")->click();
    QCOMPARE(fonts.runs, 2);
    QCOMPARE(control<QLabel>(dialog.get(), "lblSchrift1")->text(), QStringLiteral("Arial"));
    QVERIFY(!control<QPushButton>(dialog.get(), "cmdApply")->isEnabled());
}

void TestOptionsDialog::okAndCancel() {
    // "Abbrechen" drops all that was not applied, the address and the heading font included.
    open();
    control<QCheckBox>(dialog.get(), "chckTab_3")->click();
    control<QPushButton>(dialog.get(), "cmdApply")->click();
    fonts.choose = font(QStringLiteral("Liberation Sans"), 16, true, false);
    control<QPushButton>(dialog.get(), "cmdFont2")->click();
    control<QLineEdit>(dialog.get(), "txtName")->setText(QStringLiteral("Neuer Name"));
    control<QPushButton>(dialog.get(), "cmdCancel")->click();
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(applied->count(), 1);

    // OK with nothing changed closes without applying anything.
    open();
    control<QPushButton>(dialog.get(), "cmdOK")->click();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(applied->count(), 0);
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
