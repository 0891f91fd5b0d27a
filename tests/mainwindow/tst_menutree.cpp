#include "menutree.h"

#include <QKeySequence>
#include <QSet>
#include <QTest>

class TestMenuTree : public QObject {
    Q_OBJECT
  private slots:
    void menus() {
        QStringList names;
        for (const MenuDef& m : menuTree()) {
            names << m.name + QLatin1Char(' ') + m.caption;
            QCOMPARE(m.visible, m.name != QLatin1String("popMenu1"));
        }
        QCOMPARE(names,
                 (QStringList{"mnuFile &Datei", "mnuEdit &Bearbeiten", "mnuDS Daten&satz",
                              "mnuSetup &Einstellungen", "mnuHelp &Hilfe", "popMenu1 PopMenu"}));
        QCOMPARE(findMenu(u"mnuFile")->entry(4), nullptr);
        QCOMPARE(findMenu(u"mnuNothing"), nullptr);
    }

    void entries_data() {
        QTest::addColumn<QString>("entries"); // "caption|shortcut|icon" by element, ", " between
        QTest::newRow("mnuFile") << "Druckereinri&chtung...||PAGESETUP, &Drucken...|Ctrl+P|PRINT, "
                                    "-||, &Beenden|Ctrl+Q|EXIT";
        QTest::newRow("mnuEdit") << "&Ausschneiden|Ctrl+X|CUT, E&infügen|Ctrl+V|PASTE, "
                                    "&Kopieren|Ctrl+C|COPY, &Löschen|Del|DSDEL, -||, "
                                    "Alles a&uswählen|Ctrl+A|";
        QTest::newRow("mnuDS")
            << "&Neu|Ctrl+N|DSNEW, Änd&ern|Ctrl+E|DSEDIT, &Löschen |Ctrl+D|DSDEL, "
               "&Speichern|Ctrl+S|DSSAVE, -||, S&uchen||DSFIND";
        QTest::newRow("mnuSetup")
            << "&Tabelle||TABOP, &Seitenlayout||PRINTSETUP, &Anschrift||ADRESS";
        QTest::newRow("mnuHelp") << "&Hilfe||HELP, -||, &Info über...||";
        QTest::newRow("popMenu1") << "Au&fsteigend||SORTASC, A&bsteigend||SORTDES";
    }
    void entries() {
        QFETCH(QString, entries);
        const MenuDef* m = findMenu(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(m);
        QStringList actual;
        for (const MenuEntry& e : m->entries) {
            QCOMPARE(e.element, actual.size());
            QCOMPARE(e.separator, e.caption == QLatin1String("-"));
            QCOMPARE(e.helpText.isEmpty(), e.separator);
            actual << e.caption + "|" + e.shortcut + "|" + e.iconKey;
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
        QCOMPARE(QKeySequence::fromString(QStringLiteral("Del")), QKeySequence(Qt::Key_Delete));
    }

    void iconRule_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("icon");
        // the shorter of caption and tag decides how far they must agree; case is ignored
        QTest::newRow("caption shorter") << "&Lösch"
                                         << "DSDEL";
        QTest::newRow("case ignored") << "äND&ERN"
                                      << "DSEDIT";
        QTest::newRow("one letter off") << "&Speicher_"
                                        << "";
        // images without a tag never match, nor does an empty caption
        QTest::newRow("empty caption") << ""
                                       << "";
        QTest::newRow("open file") << "&open"
                                   << "OPENFILE";
    }
    void iconRule() {
        QFETCH(QString, caption);
        QFETCH(QString, icon);
        QCOMPARE(iconKeyFor(caption), icon);
    }

    void unusedIcons() {
        QSet<QString> unused;
        for (const IconImage& image : iconList())
            unused.insert(image.key);
        for (const MenuDef& m : menuTree())
            for (const MenuEntry& e : m.entries)
                unused.remove(e.iconKey);
        QCOMPARE(unused, (QSet<QString>{"OPENFILE", "NEWFILE", "FIND", "DEL"}));
    }
};

QTEST_MAIN(TestMenuTree)
#include "tst_menutree.moc"
