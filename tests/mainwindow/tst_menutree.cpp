#include "menutree.h"

#include <QKeySequence>
#include <QTest>

class TestMenuTree : public QObject {
    Q_OBJECT
  private slots:
    void menus() {
        QStringList names;
        for (const MenuDef& m : menuTree())
            names << m.name + (m.visible ? "" : " hidden");
        QCOMPARE(names, (QStringList{"mnuFile", "mnuEdit", "mnuDS", "mnuSetup", "mnuExtras",
                                     "mnuHelp", "popMenu1 hidden"}));
        QCOMPARE(menuTree()[0].entry(4), nullptr);
    }

    // Each entry's icon (by the icon rule on its caption) and shortcut; "-" for a separator.
    void entries_data() {
        QTest::addColumn<QString>("entries");
        QTest::newRow("mnuFile") << "PAGESETUP|, PRINT|Ctrl+P, -, EXIT|Ctrl+Q";
        QTest::newRow("mnuEdit") << "CUT|Ctrl+X, PASTE|Ctrl+V, COPY|Ctrl+C, DSDEL|Del, -, |Ctrl+A";
        QTest::newRow("mnuDS")
            << "DSNEW|Ctrl+N, DSEDIT|Ctrl+E, DSDEL|Ctrl+D, DSSAVE|Ctrl+S, -, DSFIND|";
        QTest::newRow("mnuSetup") << "TABOP|, PRINTSETUP|, ADRESS|";
        QTest::newRow("mnuExtras") << "|, |, -, |, |, |";
        QTest::newRow("mnuHelp") << "HELP|, -, |";
        QTest::newRow("popMenu1") << "SORTASC|, SORTDES|";
    }
    void entries() {
        QFETCH(QString, entries);
        const MenuDef* m = nullptr;
        for (const MenuDef& menu : menuTree())
            if (menu.name == QLatin1String(QTest::currentDataTag()))
                m = &menu;
        QVERIFY(m);
        QStringList actual;
        for (const MenuEntry& e : m->entries) {
            QCOMPARE(e.element, actual.size());
            QCOMPARE(e.separator, e.caption == QLatin1String("-"));
            QCOMPARE(e.helpText.isEmpty(), e.separator);
            actual << (e.separator ? "-" : e.iconKey + "|" + e.shortcut);
        }
        QCOMPARE(actual, entries.split(QLatin1String(", ")));
    }

    void shortcutsAreKeySequences() {
        QStringList seen;
        for (const MenuDef& m : menuTree()) {
            for (const MenuEntry& e : m.entries) {
                if (e.shortcut.isEmpty())
                    continue;
                // Qt reads it back unchanged, and no key serves two entries
                QCOMPARE(QKeySequence::fromString(e.shortcut).toString(), e.shortcut);
                QVERIFY2(!seen.contains(e.shortcut), qPrintable(e.shortcut));
                seen << e.shortcut;
            }
        }
    }

    void iconRule_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("icon");
        auto row = [](const char* name, const char* caption, const char* icon) {
            QTest::newRow(name) << QString::fromUtf8(caption) << QString::fromLatin1(icon);
        };
        // the shorter of caption and tag decides how far they must agree; case is ignored
        row("caption shorter", "&Lösch", "DSDEL");
        row("case ignored", "äND&ERN", "DSEDIT");
        row("one letter off", "&Speicher_", "");
        // images without a tag never match, nor does an empty caption
        row("empty caption", "", "");
        row("open file", "&open", "OPENFILE");
    }
    void iconRule() {
        QFETCH(QString, caption);
        QFETCH(QString, icon);
        QCOMPARE(iconKeyFor(caption), icon);
    }
};

QTEST_MAIN(TestMenuTree)
#include "tst_menutree.moc"
