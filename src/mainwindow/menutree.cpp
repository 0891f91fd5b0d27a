#include "menutree.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace {

struct EntryText {
    const char* caption; // UTF-8
    const char* helpText;
    const char* shortcut;
};

constexpr const char* Separator = "-";

MenuDef makeMenu(const char* name, const char* caption, bool visible,
                 std::initializer_list<EntryText> entries) {
    MenuDef menu;
    menu.name = QString::fromLatin1(name);
    menu.entryArray = menu.name + QStringLiteral("Sub");
    menu.caption = QString::fromUtf8(caption);
    menu.visible = visible;
    int element = 0;
    for (const EntryText& text : entries) {
        MenuEntry e;
        e.element = element++;
        e.caption = QString::fromUtf8(text.caption);
        e.separator = e.caption == QLatin1String(Separator);
        if (!e.separator) {
            e.helpText = QString::fromUtf8(text.helpText);
            e.shortcut = QString::fromLatin1(text.shortcut);
            e.iconKey = iconKeyFor(e.caption);
        }
        menu.entries.append(e);
    }
    return menu;
}

QList<MenuDef> buildMenuTree() {
    const EntryText separator{Separator, "", ""};
    return {
        makeMenu("mnuFile", "&Datei", true,
                 {
                     {"Druckereinri&chtung...", "Richtet den Drucker ein", ""},
                     {"&Drucken...", "Ruft den Druckdialog auf", "Ctrl+P"},
                     separator,
                     {"&Beenden", "Beendet die Anwendung", "Ctrl+Q"},
                 }),
        makeMenu("mnuEdit", "&Bearbeiten", true,
                 {
                     {"&Ausschneiden", "Schneidet markierten Text aus", "Ctrl+X"},
                     {"E&infügen", "Fügt Text ein", "Ctrl+V"},
                     {"&Kopieren", "Kopiert markierten Text", "Ctrl+C"},
                     {"&Löschen", "Löscht markierten Text", "Del"},
                     separator,
                     {"Alles a&uswählen", "Markiert kompletten Text", "Ctrl+A"},
                 }),
        makeMenu("mnuDS", "Daten&satz", true,
                 {
                     {"&Neu", "Legt einen neuen Datensatz an", "Ctrl+N"},
                     {"Änd&ern", "Schaltet in den Änderungsmodus", "Ctrl+E"},
                     {"&Löschen ", "Löscht den aktuellen Datensatz", "Ctrl+D"},
                     {"&Speichern", "Schaltet in den Normalmodus", "Ctrl+S"},
                     separator,
                     {"S&uchen", "Springt zum angegebenen Datensatz", ""},
                 }),
        makeMenu("mnuSetup", "&Einstellungen", true,
                 {
                     {"&Tabelle", "Einstellungen zur Übersichtstabelle", ""},
                     {"&Seitenlayout", "Einstellungen zum Seitenlayout", ""},
                     {"&Anschrift", "Eingabe der Adresse", ""},
                 }),
        // Commands that keep and hand over the data, in a menu of their own.
        makeMenu(
            "mnuExtras", "E&xtras", true,
            {
                {"Datensicherung &zurückspielen...",
                 "Spielt eine Datensicherung der Datenbank zurück", ""},
                {"&Auskunft zum Kind...",
                 "Speichert alle Daten des angezeigten Kindes als PDF-Datei für die Eltern", ""},
                separator,
                {"Tabelle e&xportieren (CSV)...",
                 "Speichert die Tabelle, wie sie angezeigt wird, für eine Tabellenkalkulation", ""},
                {"A&lle Daten exportieren (CSV)...",
                 "Speichert alle Datensätze mit allen Feldern für eine Tabellenkalkulation", ""},
                {"Daten &importieren (CSV)...", "Fügt Datensätze aus einer CSV-Datei hinzu", ""},
            }),
        makeMenu("mnuHelp", "&Hilfe", true,
                 {
                     {"&Hilfe", "Hilfedatei wird aufgerufen", ""},
                     separator,
                     {"&Info über...", "Informationen zum Programm", ""},
                 }),
        makeMenu("popMenu1", "PopMenu", false,
                 {
                     {"Au&fsteigend", "Aufsteigende Sortierung", ""},
                     {"A&bsteigend", "Absteigende Sortierung", ""},
                 }),
    };
}

} // namespace

const MenuEntry* MenuDef::entry(int element) const {
    for (const MenuEntry& e : entries)
        if (e.element == element)
            return &e;
    return nullptr;
}

const QList<IconImage>& iconList() {
    static const QList<IconImage> list = [] {
        const std::pair<const char*, const char*> images[] = {
            {"HELP", "&Hilfe"},
            {"ADRESS", "&Anschrift"},
            {"DSNEW", "&Neu"},
            {"DSDEL", "&Löschen "},
            {"DSFIND", "S&uchen"},
            {"DSEDIT", "Änd&ern"},
            {"DSSAVE", "&Speichern"},
            {"OPENFILE", "&Open"},
            {"NEWFILE", ""},
            {"FIND", ""},
            {"CUT", "&Ausschneiden"},
            {"PRINTSETUP", "&Seitenlayout"},
            {"PAGESETUP", "Druckereinri&chtung..."},
            {"DEL", "&Löschen"},
            {"COPY", "&Kopieren"},
            {"EXIT", "&Beenden"},
            {"TABOP", "&Tabelle"},
            {"SORTASC", "Au&fsteigend"},
            {"SORTDES", "A&bsteigend"},
            {"PASTE", "E&infügen"},
            {"PRINT", "&Drucken"},
        };
        QList<IconImage> result;
        for (const auto& [key, tag] : images)
            result.append({QString::fromLatin1(key), QString::fromUtf8(tag)});
        return result;
    }();
    return list;
}

QString iconKeyFor(const QString& caption) {
    if (caption.isEmpty())
        return {};
    for (const IconImage& image : iconList()) {
        // An empty tag would agree with every caption over its zero length.
        if (image.tag.isEmpty())
            continue;
        const qsizetype n = std::min(caption.size(), image.tag.size());
        if (QStringView(caption).left(n).compare(QStringView(image.tag).left(n),
                                                 Qt::CaseInsensitive) == 0)
            return image.key;
    }
    return {};
}

const QList<MenuDef>& menuTree() {
    static const QList<MenuDef> tree = buildMenuTree();
    return tree;
}
