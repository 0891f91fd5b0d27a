#include "menutree.h"

#include <initializer_list>

namespace {

struct EntryText {
    const char* name; // nullptr for a separator
    QAction* MenuActions::*action;
    const char* caption; // UTF-8
    const char* helpText;
    const char* shortcut;
    const char* icon;
};

const EntryText Separator{nullptr, nullptr, "-", "", "", ""};

MenuDef makeMenu(const char* name, const char* caption, bool visible,
                 std::initializer_list<EntryText> entries) {
    MenuDef menu;
    menu.name = QString::fromLatin1(name);
    menu.caption = QString::fromUtf8(caption);
    menu.visible = visible;
    for (const EntryText& text : entries) {
        MenuEntry e;
        e.caption = QString::fromUtf8(text.caption);
        if (text.action) {
            e.name = QString::fromLatin1(text.name);
            e.action = text.action;
            e.helpText = QString::fromUtf8(text.helpText);
            e.shortcut = QString::fromLatin1(text.shortcut);
            e.iconKey = QString::fromLatin1(text.icon);
        }
        menu.entries.append(e);
    }
    return menu;
}

#define ACTION(member) #member, &MenuActions::member

QList<MenuDef> buildMenuTree() {
    return {
        makeMenu("mnuFile", "&Datei", true,
                 {
                     {ACTION(pageSetup), "Druckereinri&chtung...", "Richtet den Drucker ein", "",
                      "PAGESETUP"},
                     {ACTION(print), "&Drucken...", "Ruft den Druckdialog auf", "Ctrl+P", "PRINT"},
                     Separator,
                     {ACTION(quit), "&Beenden", "Beendet die Anwendung", "Ctrl+Q", "EXIT"},
                 }),
        makeMenu(
            "mnuEdit", "&Bearbeiten", true,
            {
                {ACTION(cut), "&Ausschneiden", "Schneidet markierten Text aus", "Ctrl+X", "CUT"},
                {ACTION(paste), "E&infügen", "Fügt Text ein", "Ctrl+V", "PASTE"},
                {ACTION(copy), "&Kopieren", "Kopiert markierten Text", "Ctrl+C", "COPY"},
                {ACTION(deleteText), "&Löschen", "Löscht markierten Text", "Del", "DSDEL"},
                Separator,
                {ACTION(selectAll), "Alles a&uswählen", "Markiert kompletten Text", "Ctrl+A", ""},
            }),
        makeMenu(
            "mnuDS", "Daten&satz", true,
            {
                {ACTION(newRecord), "&Neu", "Legt einen neuen Datensatz an", "Ctrl+N", "DSNEW"},
                {ACTION(changeRecord), "Änd&ern", "Schaltet in den Änderungsmodus", "Ctrl+E",
                 "DSEDIT"},
                {ACTION(deleteRecord), "&Löschen ", "Löscht den aktuellen Datensatz", "Ctrl+D",
                 "DSDEL"},
                {ACTION(saveRecord), "&Speichern", "Schaltet in den Normalmodus", "Ctrl+S",
                 "DSSAVE"},
                Separator,
                {ACTION(search), "S&uchen", "Springt zum angegebenen Datensatz", "", "DSFIND"},
            }),
        makeMenu("mnuSetup", "&Einstellungen", true,
                 {
                     {ACTION(tableOptions), "&Tabelle", "Einstellungen zur Übersichtstabelle", "",
                      "TABOP"},
                     {ACTION(pageOptions), "&Seitenlayout", "Einstellungen zum Seitenlayout", "",
                      "PRINTSETUP"},
                     {ACTION(addressOptions), "&Anschrift", "Eingabe der Adresse", "", "ADRESS"},
                 }),
        // Commands that keep and hand over the data, in a menu of their own.
        makeMenu("mnuExtras", "E&xtras", true,
                 {
                     {ACTION(restoreBackup), "Datensicherung &zurückspielen...",
                      "Spielt eine Datensicherung der Datenbank zurück", "", ""},
                     {ACTION(childInformation), "&Auskunft zum Kind...",
                      "Speichert alle Daten des angezeigten Kindes als PDF-Datei für die Eltern",
                      "", ""},
                     Separator,
                     {ACTION(exportTable), "Tabelle e&xportieren (CSV)...",
                      "Speichert die Tabelle, wie sie angezeigt wird, für eine "
                      "Tabellenkalkulation",
                      "", ""},
                     {ACTION(exportAll), "A&lle Daten exportieren (CSV)...",
                      "Speichert alle Datensätze mit allen Feldern für eine Tabellenkalkulation",
                      "", ""},
                     {ACTION(importRecords), "Daten &importieren (CSV)...",
                      "Fügt Datensätze aus einer CSV-Datei hinzu", "", ""},
                 }),
        makeMenu("mnuHelp", "&Hilfe", true,
                 {
                     {ACTION(help), "&Hilfe", "Hilfedatei wird aufgerufen", "", "HELP"},
                     Separator,
                     {ACTION(about), "&Info über...", "Informationen zum Programm", "", ""},
                 }),
        makeMenu(
            "popMenu1", "PopMenu", false,
            {
                {ACTION(sortAscending), "Au&fsteigend", "Aufsteigende Sortierung", "", "SORTASC"},
                {ACTION(sortDescending), "A&bsteigend", "Absteigende Sortierung", "", "SORTDES"},
            }),
    };
}

#undef ACTION

} // namespace

const QList<MenuDef>& menuTree() {
    static const QList<MenuDef> tree = buildMenuTree();
    return tree;
}
