#include "mainmenus.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>

namespace {

constexpr const char* HelpProperty = "tarvexHelp";

struct TextTarget {
    QLineEdit* line = nullptr;
    QPlainTextEdit* plain = nullptr;

    explicit TextTarget(QWidget* w)
        : line(qobject_cast<QLineEdit*>(w)),
          plain(line ? nullptr : qobject_cast<QPlainTextEdit*>(w)) {}
    QWidget* widget() const { return line ? static_cast<QWidget*>(line) : plain; }
    bool valid() const { return line || plain; }
    bool readOnly() const { return line ? line->isReadOnly() : plain->isReadOnly(); }
    bool hasSelection() const {
        return line ? line->hasSelectedText() : plain->textCursor().hasSelection();
    }
};

void deleteSelection(QLineEdit* e) {
    e->del();
}

void deleteSelection(QPlainTextEdit* e) {
    e->textCursor().removeSelectedText();
}

// An edit command on a one-line or a multi-line text control.
template <class TextControl>
void runOn(TextControl* e, const MenuActions& actions, QAction* command) {
    if (command == actions.cut)
        e->cut();
    else if (command == actions.paste)
        e->paste();
    else if (command == actions.copy)
        e->copy();
    else if (command == actions.deleteText)
        deleteSelection(e);
    else if (command == actions.selectAll)
        e->selectAll();
}

} // namespace

MainMenus::MainMenus(QMainWindow* window, QLabel* helpPanel)
    : QObject(window), m_window(window), m_helpPanel(helpPanel) {
    QMenu* editMenu = nullptr;
    for (const MenuDef& def : menuTree()) {
        auto* menu = new QMenu(def.caption, window);
        menu->setObjectName(def.name);
        for (const MenuEntry& e : def.entries) {
            if (e.separator()) {
                menu->addSeparator();
                continue;
            }
            QAction* a = menu->addAction(e.caption);
            a->setObjectName(e.name);
            a->setProperty(HelpProperty, e.helpText);
            if (!e.shortcut.isEmpty())
                a->setShortcut(QKeySequence(e.shortcut));
            if (!e.iconKey.isEmpty())
                a->setIcon(QIcon(QStringLiteral(":/icons/") + e.iconKey + QStringLiteral(".png")));
            m_actions.*(e.action) = a;
        }
        // The help text of the highlighted entry goes to the status bar panel.
        connect(menu, &QMenu::hovered, this, [this](QAction* a) {
            m_helpPanel->setText(a->isEnabled() ? a->property(HelpProperty).toString() : QString());
        });
        connect(menu, &QMenu::aboutToHide, m_helpPanel, &QLabel::clear);
        // A disabled entry raises no hovered(); the mouse over it must still clear the panel.
        menu->installEventFilter(this);
        if (def.visible)
            window->menuBar()->addMenu(menu);
        else
            m_sortMenu = menu;
        if (menu->actions().contains(m_actions.cut))
            editMenu = menu;
    }
    connect(editMenu, &QMenu::aboutToShow, this, &MainMenus::updateEditCommands);
    for (QAction* command : {m_actions.cut, m_actions.paste, m_actions.copy, m_actions.deleteText,
                             m_actions.selectAll})
        connect(command, &QAction::triggered, this, [this, command] { runEditCommand(command); });

    // The edit commands act on the text control that had the focus before the menu opened.
    // The menu bar takes the focus when a menu is closed with Esc; the commands still belong to
    // the control the user was in.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now || now->window() != m_window || qobject_cast<QMenuBar*>(now) ||
            qobject_cast<QMenu*>(now))
            return;
        if (auto* combo = qobject_cast<QComboBox*>(now); combo && combo->lineEdit())
            m_editTarget = combo->lineEdit();
        else
            m_editTarget = now; // a control without text: the commands do nothing
    });
}

bool MainMenus::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            QAction* a = menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (a && !a->isSeparator() && !a->isEnabled())
                m_helpPanel->clear();
        }
    }
    return QObject::eventFilter(watched, event);
}

void MainMenus::updateEditCommands() {
    TextTarget t(m_editTarget.data());
    const bool editable = t.valid() && !t.readOnly();
    const bool selection = t.valid() && t.hasSelection();
    // Paste is offered exactly when the clipboard holds text (with or without a picture or rich
    // text beside it) and the control can take it.
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    const bool clipboardText = mime && mime->hasText();
    m_actions.paste->setEnabled(clipboardText && editable);
    m_actions.cut->setEnabled(selection && editable);
    m_actions.copy->setEnabled(selection);
    m_actions.deleteText->setEnabled(selection && editable);
    m_actions.selectAll->setEnabled(true);
}

void MainMenus::runEditCommand(QAction* command) {
    TextTarget t(m_editTarget.data());
    if (!t.valid())
        return;
    // A record being browsed must not change: cut, paste and delete do nothing on a read-only
    // control. Copying and selecting change nothing and stay available.
    const bool changes =
        command == m_actions.cut || command == m_actions.paste || command == m_actions.deleteText;
    if (changes && t.readOnly())
        return;
    if (t.line)
        runOn(t.line, m_actions, command);
    else
        runOn(t.plain, m_actions, command);
    t.widget()->setFocus();
}
