#pragma once

#include <QList>
#include <QString>

class QAction;

// The window's commands, one named action each. MainMenus makes them from the menu table below;
// the window connects each to its handler by this name.
struct MenuActions {
    // "&Datei"
    QAction* pageSetup = nullptr;
    QAction* print = nullptr;
    QAction* quit = nullptr;
    // "&Bearbeiten"
    QAction* cut = nullptr;
    QAction* paste = nullptr;
    QAction* copy = nullptr;
    QAction* deleteText = nullptr;
    QAction* selectAll = nullptr;
    // "Daten&satz"
    QAction* newRecord = nullptr;
    QAction* changeRecord = nullptr;
    QAction* deleteRecord = nullptr;
    QAction* saveRecord = nullptr;
    QAction* search = nullptr;
    // "&Einstellungen"
    QAction* tableOptions = nullptr;
    QAction* pageOptions = nullptr;
    QAction* addressOptions = nullptr;
    // "E&xtras"
    QAction* restoreBackup = nullptr;
    QAction* childInformation = nullptr;
    QAction* exportTable = nullptr;
    QAction* exportAll = nullptr;
    QAction* importRecords = nullptr;
    // "&Hilfe"
    QAction* help = nullptr;
    QAction* about = nullptr;
    // The table's pop-up menu
    QAction* sortAscending = nullptr;
    QAction* sortDescending = nullptr;
};

// One entry of a menu: a command or a separator.
struct MenuEntry {
    QString name;                            // the action's object name; empty for a separator
    QAction* MenuActions::*action = nullptr; // where the action is kept; none for a separator
    QString caption;                         // with "&" before the access key
    QString helpText;                        // shown in the status bar while highlighted
    QString shortcut;                        // QKeySequence's portable form; empty for none
    QString iconKey;                         // ":/icons/<key>.png"; empty for none
    bool separator() const { return action == nullptr; }
};

struct MenuDef {
    QString name;        // "mnuFile"
    QString caption;     // "&Datei"
    bool visible = true; // false for the table's pop-up menu, which never shows in the bar
    QList<MenuEntry> entries;
};

// The menu bar's menus in display order, followed by the hidden pop-up menu.
const QList<MenuDef>& menuTree();
