#include "menutree.h"

#include <QKeySequence>
#include <QSet>
#include <QTest>

class TestMenuTree : public QObject {
    Q_OBJECT
  private slots:
    void menus();
    void entries_data();
    void entries();
    void shortcutsAreKeySequences();
    void iconRule_data();
    void iconRule();
    void unusedIcons();
};

void TestMenuTree::menus() {
    QStringList names;
    qsizetype entries = 0;
    for (const MenuDef& m : menuTree()) {
        names << m.name + QLatin1Char(' ') + m.caption;
        entries += m.entries.size();
        QCOMPARE(m.visible, m.name != QLatin1String("popMenu1"));
        QCOMPARE(m.entryArray, m.name + QStringLiteral("Sub"));
    }
    QCOMPARE(names, (QStringList{"mnuFile &Datei", "mnuEdit &Bearbeiten", "mnuDS Daten&satz",
                                 "mnuSetup &Einstellungen", "mnuHelp &Hilfe", "popMenu1 PopMenu"}));
    QCOMPARE(entries, 24); // each of them is checked below
    QCOMPARE(findMenu(u"mnuFile")->entry(4), nullptr);
    QCOMPARE(findMenu(u"mnuNothing"), nullptr);
}

void TestMenuTree::entries_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<int>("element");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("help");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("icon");
    auto row = [](const char* menu, int element, const char* caption, const char* help,
                  const char* shortcut, const char* icon) {
        QTest::addRow("%s %d", menu, element)
            << QString::fromLatin1(menu) << element << QString::fromUtf8(caption)
            << QString::fromUtf8(help) << QString::fromLatin1(shortcut)
            << QString::fromLatin1(icon);
    };
    row("mnuFile", 0, "Druckereinri&chtung...", "Richtet den Drucker ein", "", "PAGESETUP");
    row("mnuFile", 1, "&Drucken...", "Ruft den Druckdialog auf", "Ctrl+P", "PRINT");
    row("mnuFile", 2, "-", "", "", "");
    row("mnuFile", 3, "&Beenden", "Beendet die Anwendung", "Ctrl+Q", "EXIT");
    row("mnuEdit", 0, "&Ausschneiden", "Schneidet markierten Text aus", "Ctrl+X", "CUT");
    row("mnuEdit", 1, "E&infügen", "Fügt Text ein", "Ctrl+V", "PASTE");
    row("mnuEdit", 2, "&Kopieren", "Kopiert markierten Text", "Ctrl+C", "COPY");
    row("mnuEdit", 3, "&Löschen", "Löscht markierten Text", "Del", "DSDEL");
    row("mnuEdit", 4, "-", "", "", "");
    row("mnuEdit", 5, "Alles a&uswählen", "Markiert kompletten Text", "Ctrl+A", "");
    row("mnuDS", 0, "&Neu", "Legt einen neuen Datensatz an", "Ctrl+N", "DSNEW");
    row("mnuDS", 1, "Änd&ern", "Schaltet in den Änderungsmodus", "Ctrl+E", "DSEDIT");
    row("mnuDS", 2, "&Löschen ", "Löscht den aktuellen Datensatz", "Ctrl+D", "DSDEL");
    row("mnuDS", 3, "&Speichern", "Schaltet in den Normalmodus", "Ctrl+S", "DSSAVE");
    row("mnuDS", 4, "-", "", "", "");
    row("mnuDS", 5, "S&uchen", "Springt zum angegebenen Datensatz", "", "DSFIND");
    row("mnuSetup", 0, "&Tabelle", "Einstellungen zur Übersichtstabelle", "", "TABOP");
    row("mnuSetup", 1, "&Seitenlayout", "Einstellungen zum Seitenlayout", "", "PRINTSETUP");
    row("mnuSetup", 2, "&Anschrift", "Eingabe der Adresse", "", "ADRESS");
    row("mnuHelp", 0, "&Hilfe", "Hilfedatei wird aufgerufen", "", "HELP");
    row("mnuHelp", 1, "-", "", "", "");
    row("mnuHelp", 2, "&Info über...", "Informationen zum Programm", "", "");
    row("popMenu1", 0, "Au&fsteigend", "Aufsteigende Sortierung", "", "SORTASC");
    row("popMenu1", 1, "A&bsteigend", "Absteigende Sortierung", "", "SORTDES");
}

void TestMenuTree::entries() {
    QFETCH(QString, menu);
    QFETCH(int, element);
    QFETCH(QString, caption);
    QFETCH(QString, help);
    QFETCH(QString, shortcut);
    QFETCH(QString, icon);
    const MenuDef* m = findMenu(menu);
    QVERIFY(m);
    const MenuEntry* e = m->entry(element);
    QVERIFY(e);
    QCOMPARE(e->caption, caption);
    QCOMPARE(e->separator, caption == QLatin1String("-"));
    QCOMPARE(e->helpText, help);
    QCOMPARE(e->shortcut, shortcut);
    QCOMPARE(e->iconKey, icon);
}

void TestMenuTree::shortcutsAreKeySequences() {
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

void TestMenuTree::iconRule_data() {
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

void TestMenuTree::iconRule() {
    QFETCH(QString, caption);
    QFETCH(QString, icon);
    QCOMPARE(iconKeyFor(caption), icon);
}

void TestMenuTree::unusedIcons() {
    QSet<QString> unused;
    for (const IconImage& image : iconList())
        unused.insert(image.key);
    QCOMPARE(unused.size(), 21);
    for (const MenuDef& m : menuTree())
        for (const MenuEntry& e : m.entries)
            unused.remove(e.iconKey);
    QCOMPARE(unused, (QSet<QString>{"OPENFILE", "NEWFILE", "FIND", "DEL"}));
}

QTEST_MAIN(TestMenuTree)
#include "tst_menutree.moc"
