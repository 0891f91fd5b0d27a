#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QWidget;

// The main window's menu bar and the table's pop-up menu, built from the menu tree, with the
// help texts of the highlighted entries in the status bar panel and the edit menu's commands.
// Each entry is a QAction named after its array and element ("mnuDSSub_3"); choosing one is
// reported with its menu and element.
class MainMenus : public QObject {
    Q_OBJECT
  public:
    enum Menu { File, Edit, Record, Setup, Help, Popup, Extras, MenuCount };

    MainMenus(QMainWindow* window, QLabel* helpPanel);

    QAction* entry(Menu menu, int element) const;
    QMenu* menu(Menu menu) const { return m_menus[menu]; }

    // Enables the entries of the edit menu for the control that had the focus (run when the menu
    // opens).
    void mnuEdit_Click();
    void mnuEditSub_Click(int element);

  signals:
    void chosen(MainMenus::Menu menu, int element);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QMainWindow* m_window;
    QLabel* m_helpPanel;
    QMenu* m_menus[MenuCount] = {};
    QList<QAction*> m_entries[MenuCount];
    QPointer<QWidget> m_editTarget; // the control the edit commands act on
};
