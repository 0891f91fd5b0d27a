#include "mainmenus.h"

#include "menutree.h"

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

// The edit menu's commands on a one-line or a multi-line text control.
template <class TextControl> void runEditCommand(TextControl* e, int element) {
    switch (element) {
    case 0:
        e->cut();
        break;
    case 1:
        e->paste();
        break;
    case 2:
        e->copy();
        break;
    case 3:
        deleteSelection(e);
        break;
    case 5:
        e->selectAll();
        break;
    default:
        break;
    }
}

} // namespace

MainMenus::MainMenus(QMainWindow* window, QLabel* helpPanel)
    : QObject(window), m_window(window), m_helpPanel(helpPanel) {
    const char* const names[MenuCount] = {"mnuFile", "mnuEdit",  "mnuDS",    "mnuSetup",
                                          "mnuHelp", "popMenu1", "mnuExtras"};
    for (const MenuDef& def : menuTree()) {
        int which = -1;
        for (int m = 0; m < MenuCount; ++m)
            if (def.name == QLatin1String(names[m]))
                which = m;
        if (which < 0)
            continue;
        auto* menu = new QMenu(def.caption, window);
        menu->setObjectName(def.name);
        m_menus[which] = menu;
        QList<QAction*>& entries = m_entries[which];
        for (const MenuEntry& e : def.entries) {
            QAction* a = e.separator ? menu->addSeparator() : menu->addAction(e.caption);
            a->setObjectName(def.entryArray + QLatin1Char('_') + QString::number(e.element));
            if (!e.separator) {
                a->setProperty(HelpProperty, e.helpText);
                if (!e.shortcut.isEmpty())
                    a->setShortcut(QKeySequence(e.shortcut));
                if (!e.iconKey.isEmpty())
                    a->setIcon(
                        QIcon(QStringLiteral(":/icons/") + e.iconKey + QStringLiteral(".png")));
                connect(a, &QAction::triggered, this,
                        [this, which, element = e.element] { emit chosen(Menu(which), element); });
            }
            while (entries.size() < e.element)
                entries.append(nullptr);
            entries.append(a);
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
    }
    connect(m_menus[Edit], &QMenu::aboutToShow, this, &MainMenus::mnuEdit_Click);

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

QAction* MainMenus::entry(Menu menu, int element) const {
    return m_entries[menu].value(element);
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

void MainMenus::mnuEdit_Click() {
    TextTarget t(m_editTarget.data());
    const bool editable = t.valid() && !t.readOnly();
    const bool selection = t.valid() && t.hasSelection();
    // Paste is offered exactly when the clipboard holds text (with or without a picture or rich
    // text beside it) and the control can take it.
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    const bool clipboardText = mime && mime->hasText();
    entry(Edit, 1)->setEnabled(clipboardText && editable);
    entry(Edit, 0)->setEnabled(selection && editable);
    entry(Edit, 2)->setEnabled(selection);
    entry(Edit, 3)->setEnabled(selection && editable);
    entry(Edit, 5)->setEnabled(true);
}

void MainMenus::mnuEditSub_Click(int element) {
    TextTarget t(m_editTarget.data());
    if (!t.valid())
        return;
    // A record being browsed must not change: cut, paste and delete do nothing on a read-only
    // control. Copying and selecting change nothing and stay available.
    const bool changes = element == 0 || element == 1 || element == 3;
    if (changes && t.readOnly())
        return;
    if (t.line)
        runEditCommand(t.line, element);
    else
        runEditCommand(t.plain, element);
    t.widget()->setFocus();
}
