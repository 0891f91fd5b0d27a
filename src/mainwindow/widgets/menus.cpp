// The menu bar, the table's pop-up menu, the edit commands and the help texts in the status bar.

#include "tarvexmain.h"

#include "infobox.h"
#include "menutree.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPrinter>

namespace {

constexpr const char* HelpProperty = "tarvexHelp";

} // namespace

void TarvexMain::buildMenus() {
    // Each menu of the tree, its entry array and the handler that gets the element number.
    struct Slot {
        const char* name;
        QMenu** menu;
        QList<QAction*>* entries;
        void (TarvexMain::*click)(int);
    };
    const Slot menuSlots[] = {
        {"mnuFile", &mnuFile, &mnuFileSub, &TarvexMain::mnuFileSub_Click},
        {"mnuEdit", &mnuEdit, &mnuEditSub, &TarvexMain::mnuEditSub_Click},
        {"mnuDS", &mnuDS, &mnuDSSub, nullptr},
        {"mnuSetup", &mnuSetup, &mnuSetupSub, nullptr},
        {"mnuHelp", &mnuHelp, &mnuHelpSub, &TarvexMain::mnuHelpSub_Click},
        {"popMenu1", &popMenu1, &popMenu1Sub, &TarvexMain::popMenu1Sub_Click},
    };
    for (const MenuDef& def : menuTree()) {
        const Slot* slot = nullptr;
        for (const Slot& candidate : menuSlots)
            if (def.name == QLatin1String(candidate.name))
                slot = &candidate;
        if (!slot)
            continue;
        auto* menu = new QMenu(def.caption, this);
        menu->setObjectName(def.name);
        menu->setToolTipsVisible(false);
        *slot->menu = menu;
        QList<QAction*>* entries = slot->entries;
        for (const MenuEntry& e : def.entries) {
            QAction* a = e.separator ? menu->addSeparator() : menu->addAction(e.caption);
            a->setObjectName(def.entryArray + QLatin1Char('_') + QString::number(e.element));
            a->setData(e.element);
            if (!e.separator) {
                a->setProperty(HelpProperty, e.helpText);
                if (!e.shortcut.isEmpty())
                    a->setShortcut(QKeySequence(e.shortcut));
                if (!e.iconKey.isEmpty())
                    a->setIcon(
                        QIcon(QStringLiteral(":/icons/") + e.iconKey + QStringLiteral(".png")));
            }
            while (entries->size() < e.element)
                entries->append(nullptr);
            entries->append(a);
            if (slot->click && !e.separator)
                connect(
                    a, &QAction::triggered, this,
                    [this, click = slot->click, element = e.element] { (this->*click)(element); });
        }
        // The help text of the highlighted entry goes to the status bar panel.
        connect(menu, &QMenu::hovered, this, [this](QAction* a) {
            HelpObj_MenuHelp(a->text(), a->property(HelpProperty).toString(), a->isEnabled());
        });
        connect(menu, &QMenu::aboutToHide, this, [this] { kMain->clear(); });
        // A disabled entry raises no hovered(); the mouse over it must still clear the panel.
        menu->installEventFilter(this);
        if (def.visible)
            menuBar()->addMenu(menu);
    }

    connect(mnuEdit, &QMenu::aboutToShow, this, &TarvexMain::mnuEdit_Click);
    // "S&uchen" takes the user to the search row.
    connect(mnuDSSub[5], &QAction::triggered, this, [this] { txtSuch[0]->setFocus(); });

    // Commands whose actions come with later work are present but disabled until then.
    mnuFileSub[1]->setEnabled(false);
    for (int i = 0; i <= 3; ++i)
        mnuDSSub[i]->setEnabled(false);
    for (QAction* a : mnuSetupSub)
        if (a)
            a->setEnabled(false);

    // The edit commands act on the text control that had the focus before the menu opened.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now || now->window() != this)
            return;
        if (qobject_cast<QLineEdit*>(now) || qobject_cast<QPlainTextEdit*>(now))
            m_editTarget = now;
        else if (auto* combo = qobject_cast<QComboBox*>(now); combo && combo->lineEdit())
            m_editTarget = combo->lineEdit();
        else
            m_editTarget = now; // a control without text: the commands do nothing
    });
}

void TarvexMain::HelpObj_MenuHelp(const QString&, const QString& menuHelp, bool enabled) {
    kMain->setText(enabled ? menuHelp : QString());
}

namespace {

struct TextTarget {
    QLineEdit* line = nullptr;
    QPlainTextEdit* plain = nullptr;

    bool valid() const { return line || plain; }
    bool readOnly() const { return line ? line->isReadOnly() : plain->isReadOnly(); }
    bool hasSelection() const {
        return line ? line->hasSelectedText() : plain->textCursor().hasSelection();
    }
};

TextTarget textTarget(QWidget* w) {
    TextTarget t;
    t.line = qobject_cast<QLineEdit*>(w);
    if (!t.line)
        t.plain = qobject_cast<QPlainTextEdit*>(w);
    return t;
}

} // namespace

void TarvexMain::mnuEdit_Click() {
    TextTarget t = textTarget(m_editTarget.data());
    bool editable = t.valid() && !t.readOnly();
    bool selection = t.valid() && t.hasSelection();
    // Paste is offered exactly when the clipboard holds text (with or without a picture or
    // rich text beside it) and the control can take it.
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    bool clipboardText = mime && mime->hasText();
    mnuEditSub[1]->setEnabled(clipboardText && editable);
    mnuEditSub[0]->setEnabled(selection && editable);
    mnuEditSub[2]->setEnabled(selection);
    mnuEditSub[3]->setEnabled(selection && editable);
    mnuEditSub[5]->setEnabled(true);
}

void TarvexMain::mnuEditSub_Click(int index) {
    TextTarget t = textTarget(m_editTarget.data());
    if (!t.valid())
        return;
    // A record being browsed must not change: cut, paste and delete do nothing on a read-only
    // control. Copying and selecting change nothing and stay available.
    bool changes = index == 0 || index == 1 || index == 3;
    if (changes && t.readOnly())
        return;
    if (t.line) {
        switch (index) {
        case 0:
            t.line->cut();
            break;
        case 1:
            t.line->paste();
            break;
        case 2:
            t.line->copy();
            break;
        case 3:
            t.line->del();
            break;
        case 5:
            t.line->selectAll();
            break;
        default:
            break;
        }
        t.line->setFocus();
    } else {
        switch (index) {
        case 0:
            t.plain->cut();
            break;
        case 1:
            t.plain->paste();
            break;
        case 2:
            t.plain->copy();
            break;
        case 3:
            t.plain->textCursor().removeSelectedText();
            break;
        case 5:
            t.plain->selectAll();
            break;
        default:
            break;
        }
        t.plain->setFocus();
    }
}

void TarvexMain::mnuFileSub_Click(int index) {
    switch (index) {
    case 0: {
        // The dialog opens with the current orientation, so cancelling it changes nothing.
        QPrinter printer;
        printer.setPageOrientation(settings.Hochformat ? QPageLayout::Portrait
                                                       : QPageLayout::Landscape);
        QPageSetupDialog dialog(&printer, this);
        if (pageSetupRunner)
            pageSetupRunner(dialog);
        else
            dialog.exec();
        settings.Hochformat = printer.pageLayout().orientation() == QPageLayout::Portrait;
        break;
    }
    case 3:
        close();
        break;
    default:
        break;
    }
}

void TarvexMain::mnuHelpSub_Click(int index) {
    if (index == 0) {
        m_boxes.show(this, QStringLiteral("noch nicht verfügbar"), MessageBoxes::Buttons::Ok,
                     MessageBoxes::Icon::None);
    } else if (index == 2) {
        InfoBox box(bDebug, this);
        box.exec();
    }
}
