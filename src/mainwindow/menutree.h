#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// The main window's menus as data: every entry's caption, status-bar help text, shortcut and
// icon. The window builds its menu bar and the table's pop-up menu from this.

struct MenuEntry {
    int element = 0;  // index within its menu's entry array
    QString caption;  // with "&" before the access key; "-" for a separator
    QString helpText; // shown in the status bar while the entry is highlighted
    QString shortcut; // in QKeySequence's portable form ("Ctrl+P", "Del"); empty for none
    bool separator = false;
    QString iconKey; // image of the icon list (":/icons/<key>.png"); empty for none
};

struct MenuDef {
    QString name;        // "mnuFile"
    QString entryArray;  // "mnuFileSub": the entries' array, told apart by element
    QString caption;     // "&Datei"
    bool visible = true; // false for the table's pop-up menu, which never shows in the bar
    QList<MenuEntry> entries;

    const MenuEntry* entry(int element) const;
};

// One image of the window's icon list: its key and the tag an entry's caption is matched with.
struct IconImage {
    QString key;
    QString tag;
};

// The icon list in its order.
const QList<IconImage>& iconList();

// The icon of an entry: the first image in list order whose tag agrees with the caption over
// the length of the shorter of the two, ignoring case. Images without a tag match nothing, and
// neither does an empty caption. Empty when no image matches.
QString iconKeyFor(const QString& caption);

// The menu bar's menus in display order, followed by the hidden pop-up menu.
const QList<MenuDef>& menuTree();
