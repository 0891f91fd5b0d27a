#include "menutree.h"

#include <QKeySequence>
#include <QSet>
#include <QTest>

class TestMenuTree : public QObject {
    Q_OBJECT
  private slots:
    // Each entry's command, icon and shortcut; "-" for a separator.
    void entries_data() {
        QTest::addColumn<QString>("entries");
        QTest::newRow("mnuFile") << "pageSetup|PAGESETUP|, print|PRINT|Ctrl+P, -, quit|EXIT|Ctrl+Q";
        QTest::newRow("mnuEdit") << "cut|CUT|Ctrl+X, paste|PASTE|Ctrl+V, copy|COPY|Ctrl+C, "
                                    "deleteText|DSDEL|Del, -, selectAll||Ctrl+A";
        QTest::newRow("mnuDS") << "newRecord|DSNEW|Ctrl+N, changeRecord|DSEDIT|Ctrl+E, "
                                  "deleteRecord|DSDEL|Ctrl+D, saveRecord|DSSAVE|Ctrl+S, -, "
                                  "search|DSFIND|";
        QTest::newRow("mnuSetup")
            << "tableOptions|TABOP|, pageOptions|PRINTSETUP|, addressOptions|ADRESS|";
        QTest::newRow("mnuExtras") << "restoreBackup||, childInformation||, -, exportTable||, "
                                      "exportAll||, importRecords||";
        QTest::newRow("mnuHelp") << "help|HELP|, -, about||";
        QTest::newRow("popMenu1") << "sortAscending|SORTASC|, sortDescending|SORTDES|";
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
            QCOMPARE(e.helpText.isEmpty(), e.separator());
            actual << (e.separator() ? "-" : e.name + "|" + e.iconKey + "|" + e.shortcut);
        }
        QCOMPARE(actual, entries.split(QLatin1String(", ")));
    }

    // Every command keeps its action in a member of its own, and no key serves two commands.
    void commandsAreDistinct() {
        QSet<QString> names;
        QList<QAction * MenuActions::*> members;
        QStringList shortcuts;
        for (const MenuDef& m : menuTree()) {
            for (const MenuEntry& e : m.entries) {
                if (e.separator())
                    continue;
                QVERIFY2(!names.contains(e.name), qPrintable(e.name));
                names << e.name;
                QVERIFY2(!members.contains(e.action), qPrintable(e.name));
                members << e.action;
                if (e.shortcut.isEmpty())
                    continue;
                QCOMPARE(QKeySequence::fromString(e.shortcut).toString(), e.shortcut);
                QVERIFY2(!shortcuts.contains(e.shortcut), qPrintable(e.shortcut));
                shortcuts << e.shortcut;
            }
        }
        QCOMPARE(qsizetype(sizeof(MenuActions) / sizeof(QAction*)), members.size());
    }
};

QTEST_MAIN(TestMenuTree)
#include "tst_menutree.moc"
