#include "recordinputfilter.h"

#include "fieldtable.h"
#include "messageboxes.h"
#include "recordform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

using InputRules::KeyResult;
using InputRules::Kind;

namespace {

struct TextState {
    int length = 0;
    int selection = 0;
};

TextState textState(QWidget* w) {
    if (auto* c = qobject_cast<QComboBox*>(w))
        w = c->lineEdit();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return {int(e->text().size()), int(e->selectedText().size())};
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        const QTextCursor cursor = p->textCursor();
        return {p->document()->characterCount() - 1,
                cursor.selectionEnd() - cursor.selectionStart()};
    }
    return {};
}

// Focus changes that leave the control logically where it was: a menu, a message box or
// another window taking the focus for a moment.
bool isTransient(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
           reason == Qt::MenuBarFocusReason;
}

} // namespace

RecordInputFilter::RecordInputFilter(RecordForm* form) : QObject(form), m_form(form) {}

void RecordInputFilter::watch(QWidget* control) {
    control->installEventFilter(this);
    if (auto* c = qobject_cast<QComboBox*>(control))
        c->lineEdit()->installEventFilter(this);
}

int RecordInputFilter::fieldOfControl(QWidget* control) const {
    return m_form->fieldOf(control);
}

Kind RecordInputFilter::kindOf(int field) const {
    switch (fieldTable()[size_t(field)].control) {
    case FieldControl::Number:
        return Kind::Number;
    case FieldControl::Remark:
        return Kind::Remark;
    case FieldControl::Fee:
        return Kind::Fee;
    case FieldControl::Siblings:
        return Kind::SiblingCount;
    case FieldControl::Lunch:
        return Kind::Lunch;
    case FieldControl::Details:
        break;
    }
    return Kind::Text;
}

bool RecordInputFilter::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    const int field = m_form->fieldOf(watched);
    if (!control || field < 0)
        return false;
    const bool editing = isEditing(m_form->editState());
    // A choice box's line edit gets the mouse; keys and focus changes arrive at the box itself.
    const bool innerLine = m_form->isChoiceBox(watched) && !qobject_cast<QComboBox*>(control);
    if (innerLine && event->type() != QEvent::MouseButtonRelease &&
        event->type() != QEvent::ContextMenu)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        if (!editing) {
            // Browsing, the record takes no input: the keyboard stays with the table.
            if (m_form->m_browseFocus)
                m_form->m_browseFocus->setFocus(Qt::OtherFocusReason);
            return false;
        }
        enter(control, field);
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
            m_selectOnRelease = control;
        return false;
    case QEvent::MouseButtonPress:
        if (!editing && m_form->m_browseFocus) {
            m_form->m_browseFocus->setFocus(Qt::MouseFocusReason);
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        // The click that gave the focus has placed the cursor; the whole text is selected after
        // it, so that typing replaces the text as it does after Enter or Tab.
        if (m_selectOnRelease &&
            (m_selectOnRelease == control || m_selectOnRelease->isAncestorOf(control))) {
            QWidget* target = m_selectOnRelease;
            m_selectOnRelease.clear();
            QApplication::sendEvent(control, event);
            selectAll(target);
            return true;
        }
        return false;
    case QEvent::FocusOut:
        if (editing && !isTransient(static_cast<QFocusEvent*>(event)->reason()))
            leave(control);
        return false;
    case QEvent::KeyPress:
        return editing && keyPress(control, field, static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu:
        return editing && contextMenu(control, static_cast<QContextMenuEvent*>(event));
    default:
        return false;
    }
}

void RecordInputFilter::selectAll(QWidget* control) {
    if (auto* c = qobject_cast<QComboBox*>(control))
        c->lineEdit()->selectAll();
    else if (auto* e = qobject_cast<QLineEdit*>(control))
        e->selectAll();
    else if (auto* p = qobject_cast<QPlainTextEdit*>(control))
        p->selectAll();
}

void RecordInputFilter::enter(QWidget* control, int field) {
    if (InputRules::takesChildSurnameOnEntry(field)) {
        const QString surname = m_form->txtAngaben[0]->text();
        if (!InputRules::takesProposal(surname) && InputRules::takesProposal(m_form->text(field)))
            m_form->setText(field, surname);
    }
    selectAll(control);
}

void RecordInputFilter::leave(QWidget* control) {
    if (!control || !isEditing(m_form->editState()))
        return;
    const int field = m_form->fieldOf(control);
    if (field < 0)
        return;
    const bool choice = m_form->isChoiceBox(control);
    const QString text = m_form->text(field);
    if (!text.isEmpty()) {
        for (int target : InputRules::proposalTargets(field))
            if (InputRules::takesProposal(m_form->text(target)))
                m_form->setText(target, text);
    } else {
        const QString filler = InputRules::fillerOnLeave(field, choice);
        if (!filler.isEmpty())
            m_form->setText(field, filler);
    }
    // No selection is left behind, and the box shows its value from the beginning.
    if (auto* c = qobject_cast<QComboBox*>(control))
        c->lineEdit()->setCursorPosition(0);
    else if (auto* e = qobject_cast<QLineEdit*>(control))
        e->setCursorPosition(0);
    if (kindOf(field) == Kind::Fee)
        m_form->recalculateSum();
}

void RecordInputFilter::tooLong(int limit) {
    m_form->m_boxes.show(m_form, InputRules::tooLongMessage(limit), MessageBoxes::Buttons::Ok,
                         MessageBoxes::Icon::Information);
}

void RecordInputFilter::moveOn(int field) {
    const FieldDef& f = fieldTable()[size_t(field)];
    if (!f.enterTo)
        return;
    int target = fieldIndex(QString::fromLatin1(f.enterTo));
    // A sibling row hidden by the count is passed over.
    if (f.enterElse) {
        QWidget* w = m_form->editorOf(target);
        if (!w || w->isHidden())
            target = fieldIndex(QString::fromLatin1(f.enterElse));
    }
    m_form->focusField(target);
}

bool RecordInputFilter::keyPress(QWidget* control, int field, QKeyEvent* event) {
    const int limit = fieldTable()[size_t(field)].typedLimit;
    const TextState state = textState(control);
    if (event->matches(QKeySequence::Paste)) {
        return !pasteAllowed(control, QGuiApplication::clipboard()->text());
    }
    QChar key;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        key = InputRules::Enter;
    else if (event->key() == Qt::Key_Backspace)
        key = InputRules::Backspace;
    else if (!event->text().isEmpty() && event->text().at(0).isPrint() &&
             !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        key = event->text().at(0);
    else
        return false; // cursor keys, Delete, shortcuts: no rule
    switch (InputRules::keyResult(kindOf(field), key, state.length, state.selection, limit)) {
    case KeyResult::Accept:
        return false;
    case KeyResult::Discard:
        return true;
    case KeyResult::TooLong:
        tooLong(limit);
        return true;
    case KeyResult::MoveFocus:
        leave(control);
        moveOn(field);
        return true;
    }
    return false;
}

bool RecordInputFilter::pasteAllowed(QWidget* control, const QString& text) {
    int field = m_form->fieldOf(control);
    if (field < 0)
        return true; // not a record control: no rule
    if (auto* e = qobject_cast<QLineEdit*>(control); e && m_form->isChoiceBox(e))
        control = e->parentWidget();
    const int limit = fieldTable()[size_t(field)].typedLimit;
    const TextState state = textState(control);
    switch (InputRules::pasteResult(kindOf(field), text, state.length, state.selection, limit)) {
    case KeyResult::TooLong:
        tooLong(limit);
        return false;
    case KeyResult::Accept:
        return true;
    default:
        return false;
    }
}

// The control's own context menu, with its paste following the input rules.
bool RecordInputFilter::contextMenu(QWidget* control, QContextMenuEvent* event) {
    QMenu* menu = nullptr;
    if (auto* e = qobject_cast<QLineEdit*>(control))
        menu = e->createStandardContextMenu();
    else if (auto* p = qobject_cast<QPlainTextEdit*>(control))
        menu = p->createStandardContextMenu();
    if (!menu)
        return false;
    for (QAction* a : menu->actions()) {
        if (a->objectName() != QLatin1String("edit-paste"))
            continue;
        a->disconnect();
        connect(a, &QAction::triggered, control, [this, control] {
            if (!pasteAllowed(control, QGuiApplication::clipboard()->text()))
                return;
            if (auto* e = qobject_cast<QLineEdit*>(control))
                e->paste();
            else if (auto* p = qobject_cast<QPlainTextEdit*>(control))
                p->paste();
        });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    return true;
}
