// The options dialog driven offscreen: what it shows, the margin boxes as typed into, the font
// choice, Apply, OK and Cancel.

#include "controls.h"
#include "optionsdialog.h"
#include "recordingmessageboxes.h"

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

// A font dialog that sets a font and takes it, or is cancelled; it remembers what it was offered.
struct FontScript {
    std::optional<QFont> choose; // nothing: cancel
    QFont offered;
    QFontDialog::FontDialogOptions options;
    int runs = 0;
    std::function<void(QFontDialog&)> runner() {
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

    Settings settings;
    FontScript fonts;
    RecordingMessageBoxes boxes;
    std::unique_ptr<OptionsDialog> dialog;
    QList<Settings> applied;

    void open() {
        boxes.answer<QFontDialog>(fonts.runner());
        dialog = std::make_unique<OptionsDialog>(settings, OptionsDialog::PageTab, boxes);
        connect(dialog.get(), &OptionsDialog::applied, [this](const Settings& s) { applied << s; });
        QVERIFY(showActive(dialog.get()));
    }
    template <class T = QLabel> T* c(const char* name) { return control<T>(dialog.get(), name); }
    // The spin control of a margin ("Li", "Re", "Ob", "Un", "Abst") and its text box.
    QSpinBox* spin(const char* m) { return c<QSpinBox>(QByteArray("UpDown") + m); }
    QLineEdit* text(const char* m) { return c<QLineEdit>(QByteArray("txt") + m); }
    QPushButton* button(const char* name) { return c<QPushButton>(name); }
    void leave() { c<QLineEdit>("txtName")->setFocus(Qt::TabFocusReason); }

  private slots:
    void init() {
        settings = Settings();
        fonts = FontScript();
        applied.clear();
    }
    void cleanup() {
        dialog.reset();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void showsTheSettings() {
        settings.Tabelle[1] = 1;
        settings.Fett1 = true;
        settings.Kursiv2 = true;
        settings.Name = QStringLiteral("Kita Regenbogen");
        open();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Einstellungen"));
        QVERIFY(!button("cmdApply")->isEnabled());
        QVERIFY(c<QCheckBox>("chckTab_1")->isChecked());
        QVERIFY(!c<QCheckBox>("chckTab_0")->isChecked());
        for (const char* m : {"Li", "Re", "Ob", "Un"})
            QCOMPARE(text(m)->text(), QStringLiteral("1,0 cm"));
        QCOMPARE(text("Abst")->text(), QStringLiteral("0,2 cm"));
        QCOMPARE(c("lblSchrift1")->text(), QStringLiteral("Arial"));
        QCOMPARE(c("lblSchriftGr1")->text(), QStringLiteral("10"));
        QCOMPARE(c("lblSchrift2")->text(), QStringLiteral("Times New Roman"));
        // Only the picture of each style as it is shows.
        const std::pair<const char*, bool> pictures[] = {
            {"picF1true", true},  {"picF1false", false}, {"picK1true", false},
            {"picK1false", true}, {"picF2true", false},  {"picF2false", true},
            {"picK2true", true},  {"picK2false", false}, {"imgHoch", true},
            {"imgQuer", false}};
        for (const auto& [name, visible] : pictures)
            QVERIFY2(c(name)->isVisible() == visible, name);
        QVERIFY(c<QRadioButton>("optHoch")->isChecked());
        QCOMPARE(c<QLineEdit>("txtName")->text(), settings.Name);
    }

    void applyFollowsRealChanges() {
        open();
        QPushButton* apply = button("cmdApply");
        spin("Li")->stepUp();
        QCOMPARE(text("Li")->text(), QStringLiteral("1,1 cm"));
        QVERIFY(apply->isEnabled());
        c<QRadioButton>("optQuer")->click();
        QVERIFY(c("imgQuer")->isVisible() && !c("imgHoch")->isVisible());
        apply->click();
        QCOMPARE(applied.size(), 1);
        QCOMPARE(applied[0].AbstandL, 11.0f);
        QVERIFY(!applied[0].Hochformat);
        QVERIFY(!apply->isEnabled());
        QVERIFY(dialog->isVisible());

        // A change undone by hand leaves nothing to apply.
        auto* box = c<QCheckBox>("chckTab_7");
        box->click();
        QVERIFY(apply->isEnabled());
        box->click();
        QVERIFY(!apply->isEnabled());
        auto* name = c<QLineEdit>("txtName");
        QTest::keyClicks(name, QStringLiteral("X"));
        QVERIFY(apply->isEnabled());
        QTest::keyClick(name, Qt::Key_Backspace);
        QVERIFY(!apply->isEnabled());
        spin("Li")->stepDown();
        QVERIFY(apply->isEnabled());
    }

    // Typed after the box got the focus (its text selected), or pasted over it; the text box
    // reads and shows the margin German whatever the locale. The rules of keys and texts are
    // tested on their own (tst_optionsmodel); here that the box follows them.
    void typedMargins_data() {
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("millimetres");
        const std::tuple<const char*, bool, const char*, const char*, int> rows[] = {
            {"left as it was", false, "", "1,2 cm", 12},
            {"comma first over the selection", false, ",5", "0,5 cm", 5},
            {"second comma refused", false, "1,,5", "1,5 cm", 15},
            {"letters refused", false, "a1b", "1,0 cm", 10},
            {"length limit", false, "0,0000009", "0,0 cm", 0},
            {"pasted shown form", true, "3,0 cm", "3,0 cm", 30},
            {"pasted negative", true, "-3", "1,2 cm", 12},
            {"pasted nothing", true, "", "0,0 cm", 0}};
        for (const auto& [name, paste, input, shown, mm] : rows)
            QTest::newRow(name) << paste << QString::fromLatin1(input) << QString::fromLatin1(shown)
                                << mm;
    }
    void typedMargins() {
        QFETCH(bool, paste);
        QFETCH(QString, input);
        QFETCH(QString, shown);
        QFETCH(int, millimetres);
        settings.AbstandR = 12;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        open();
        dialog->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        spin("Re")->setFocus(Qt::TabFocusReason);
        QCOMPARE(text("Re")->selectedText(), QStringLiteral("1,2 cm"));
        if (paste) {
            QGuiApplication::clipboard()->setText(input);
            QTest::keyClick(spin("Re"), Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(text("Re")->text(), input);
        } else {
            QTest::keyClicks(spin("Re"), input);
        }
        leave();
        QCOMPARE(text("Re")->text(), shown);
        QCOMPARE(spin("Re")->value(), millimetres);
    }

    // A margin still being typed is taken by Apply; Enter takes what is typed and walks the
    // margins to OK without pressing it.
    void typedMarginTakenByApplyAndEnter() {
        open();
        // A click into the box selects its text, as Tab does.
        QTest::mouseClick(text("Abst"), Qt::LeftButton, {}, QPoint(5, text("Abst")->height() / 2));
        QCOMPARE(text("Abst")->selectedText(), QStringLiteral("0,2 cm"));
        QTest::keyClicks(spin("Abst"), QStringLiteral("0,5"));
        // Still in the box: "Übernehmen" is at hand and takes the text as typed.
        QVERIFY(button("cmdApply")->isEnabled());
        button("cmdApply")->click();
        QCOMPARE(applied.size(), 1);
        QCOMPARE(applied[0].AbstandTab, 5.0f);
        QCOMPARE(text("Abst")->text(), QStringLiteral("0,5 cm"));

        spin("Li")->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(spin("Li"), QStringLiteral("3"));
        for (const char* m : {"Li", "Re", "Ob", "Un", "Abst"}) {
            QCOMPARE(QApplication::focusWidget(), spin(m));
            QTest::keyClick(spin(m), Qt::Key_Return);
        }
        QCOMPARE(QApplication::focusWidget(), button("cmdOK"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(spin("Li")->value(), 30);
        QCOMPARE(applied.size(), 1);
    }

    // Arial is served by another family here: the dialog offers that family with scalable fonts
    // only; cancelled it changes nothing, and taken as offered it keeps the name Arial. A font
    // chosen shows with its size and style, and Apply takes it.
    void chosenFontsShownAndApplied() {
        settings.SchriftGr1 = 12;
        open();
        button("cmdFont1")->click();
        QCOMPARE(fonts.offered.family(), QFontInfo(QFont(QStringLiteral("Arial"))).family());
        QCOMPARE(fonts.offered.pointSize(), 12);
        QVERIFY(fonts.options.testFlag(QFontDialog::ScalableFonts));
        QCOMPARE(c("lblSchrift1")->text(), QStringLiteral("Arial"));
        fonts.choose = fonts.offered;
        button("cmdFont1")->click();
        QCOMPARE(fonts.runs, 2);
        QCOMPARE(c("lblSchrift1")->text(), QStringLiteral("Arial"));
        QVERIFY(!button("cmdApply")->isEnabled());

        fonts.choose = font(QStringLiteral("Liberation Serif"), 14, true, true);
        button("cmdFont1")->click();
        QCOMPARE(c("lblSchrift1")->text(), QStringLiteral("Liberation Serif"));
        QCOMPARE(c("lblSchriftGr1")->text(), QStringLiteral("14"));
        QVERIFY(c("picF1true")->isVisible() && c("picK1true")->isVisible());
        QCOMPARE(QApplication::focusWidget(), button("cmdOK"));
        QVERIFY(applied.isEmpty());

        // A click on the heading font's size opens the heading font's dialog.
        fonts.choose = font(QStringLiteral("DejaVu Sans"), 9, false, true);
        QTest::mouseClick(c("lblSchriftGr2"), Qt::LeftButton);
        QCOMPARE(c("lblSchrift2")->text(), QStringLiteral("DejaVu Sans"));

        button("cmdApply")->click();
        QCOMPARE(applied.size(), 1);
        const Settings& s = applied[0];
        QCOMPARE(s.Schrift1, QStringLiteral("Liberation Serif"));
        QCOMPARE(s.SchriftGr1, 14.0f);
        QVERIFY(s.Fett1 && s.Kursiv1);
        QCOMPARE(s.Schrift2, QStringLiteral("DejaVu Sans"));
        QCOMPARE(s.SchriftGr2, 9.0f);
        QVERIFY(!s.Fett2 && s.Kursiv2);
    }

    void okAndCancel() {
        // "Abbrechen" drops all that was not applied, the address and the heading font included.
        open();
        c<QCheckBox>("chckTab_3")->click();
        button("cmdApply")->click();
        fonts.choose = font(QStringLiteral("Liberation Sans"), 16, true, false);
        button("cmdFont2")->click();
        c<QLineEdit>("txtName")->setText(QStringLiteral("Neuer Name"));
        button("cmdCancel")->click();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(applied.size(), 1);

        // OK with nothing changed closes without applying anything.
        open();
        button("cmdOK")->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(applied.size(), 1);
    }
};

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
