#include "recordfocusrules.h"

#include "formfields.h"
#include "inputrules.h"
#include "messageboxes.h"
#include "recordcheck.h"
#include "recordform.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// Focus changes that leave the control logically where it was: a menu, a message box or
// another window taking the focus for a moment.
bool isTransient(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
           reason == Qt::MenuBarFocusReason;
}

bool isEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

RecordFocusRules::RecordFocusRules(RecordForm* form) : QObject(form), m_form(form) {}

void RecordFocusRules::watch(QWidget* control) {
    control->installEventFilter(this);
    if (auto* c = qobject_cast<QComboBox*>(control))
        c->lineEdit()->installEventFilter(this);
}

bool RecordFocusRules::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    const int field = m_form->fieldOf(watched);
    if (!control || field < 0)
        return false;
    const bool editing = isEditing(m_form->editState());
    // A choice box's line edit gets the mouse; keys and focus changes arrive at the box itself.
    const bool innerLine = m_form->isChoiceBox(watched) && !qobject_cast<QComboBox*>(control);
    if (innerLine && event->type() != QEvent::MouseButtonRelease)
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
        // A click into a box selects its text once the click is done, as Tab does; a click into
        // the remark places the cursor where it went.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason &&
            InputRules::kindOf(field) != InputRules::Kind::Remark)
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
            leave(control, true);
        return false;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!editing || !isEnter(key) || InputRules::kindOf(field) == InputRules::Kind::Remark)
            return false;
        // Leaving by Enter: the focus change that follows reports what cannot be stored.
        leave(control, false);
        moveOn(field);
        return true;
    }
    default:
        return false;
    }
}

void RecordFocusRules::selectAll(QWidget* control) {
    if (auto* c = qobject_cast<QComboBox*>(control))
        c->lineEdit()->selectAll();
    else if (auto* e = qobject_cast<QLineEdit*>(control))
        e->selectAll();
    else if (auto* p = qobject_cast<QPlainTextEdit*>(control))
        p->selectAll();
}

void RecordFocusRules::enterAgain(QWidget* control) {
    enter(control, m_form->fieldOf(control));
}

void RecordFocusRules::enter(QWidget* control, int field) {
    if (InputRules::takesChildSurnameOnEntry(field)) {
        const int childSurname = fieldIndex(u"KNach");
        const QString surname = m_form->text(childSurname);
        if (!InputRules::holdsNoValue(childSurname, surname) &&
            InputRules::holdsNoValue(field, m_form->text(field)))
            m_form->setText(field, surname);
    }
    // The remark, often many lines, is never selected: the first key must not replace it. The
    // cursor waits at its end.
    if (auto* remark = qobject_cast<QPlainTextEdit*>(control))
        remark->moveCursor(QTextCursor::End);
    else
        selectAll(control);
}

void RecordFocusRules::leave(QWidget* control, bool report) {
    if (!control || !isEditing(m_form->editState()))
        return;
    const int field = m_form->fieldOf(control);
    if (field < 0)
        return;
    const QString text = m_form->text(field);
    if (!text.isEmpty()) {
        for (int target : InputRules::proposalTargets(field))
            if (InputRules::holdsNoValue(target, m_form->text(target)))
                m_form->setText(target, text);
    } else if (const char* filler = fieldDef(field).filler) {
        m_form->setText(field, QString::fromUtf8(filler));
    }
    // No selection is left behind, and the box shows its value from the beginning.
    if (auto* c = qobject_cast<QComboBox*>(control))
        c->lineEdit()->setCursorPosition(0);
    else if (auto* e = qobject_cast<QLineEdit*>(control))
        e->setCursorPosition(0);
    if (InputRules::kindOf(field) != InputRules::Kind::Fee) {
        if (report && !text.isEmpty())
            if (const auto problem = fieldProblem(field, text))
                reportLater(*problem);
        return;
    }
    m_form->recalculateSum();
    if (!report)
        return;
    if (const auto problem = fieldProblem(field, m_form->text(field)))
        reportLater(*problem);
    // A sum the column cannot hold is said once, not again at every fee box left.
    const int sumField = fieldIndex(u"KSumme");
    const QString sum = m_form->text(sumField);
    const auto sumProblem = fieldProblem(sumField, sum);
    if (sumProblem && sum != m_sumReported && field != sumField)
        reportLater(*sumProblem);
    m_sumReported = sumProblem ? sum : QString();
}

// A message box opened while the focus is moving would move it again; it opens once the focus
// has arrived.
void RecordFocusRules::reportLater(const QString& message) {
    QMetaObject::invokeMethod(
        this,
        [this, message] {
            m_form->m_boxes.show(m_form, message, MessageBoxes::Buttons::Ok,
                                 MessageBoxes::Icon::Warning);
        },
        Qt::QueuedConnection);
}

void RecordFocusRules::moveOn(int field) {
    const FormField& f = formField(field);
    if (!f.enterTo)
        return;
    int target = fieldIndex(QLatin1String(f.enterTo));
    // A sibling row hidden by the count is passed over.
    if (f.enterElse) {
        QWidget* w = m_form->editorOf(target);
        if (!w || w->isHidden())
            target = fieldIndex(QLatin1String(f.enterElse));
    }
    m_form->focusField(target);
}
