#pragma once

#include "menutree.h"

#include <QObject>
#include <QPointer>

class QLabel;
class QMainWindow;
class QMenu;
class QWidget;

// The main window's menu bar and the table's pop-up menu, built from the menu table, with the
// help texts of the highlighted entries in the status bar panel and the edit menu's commands.
// Every command is a QAction named after its member of MenuActions ("saveRecord"); the window
// connects the others by name.
class MainMenus : public QObject {
    Q_OBJECT
  public:
    MainMenus(QMainWindow* window, QLabel* helpPanel);

    const MenuActions& actions() const { return m_actions; }
    // The table's pop-up menu for the sort order.
    QMenu* sortMenu() const { return m_sortMenu; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Enables the entries of the edit menu for the control that had the focus (run when the menu
    // opens).
    void updateEditCommands();
    void runEditCommand(QAction* command);

    QMainWindow* m_window;
    QLabel* m_helpPanel;
    MenuActions m_actions;
    QMenu* m_sortMenu = nullptr;
    QPointer<QWidget> m_editTarget; // the control the edit commands act on
};
