#include "marginbox.h"

#include "optionsmodel.h"

#include <QKeyEvent>
#include <QLineEdit>

MarginBox::MarginBox(const QString& spinName, const QString& textName, QWidget* parent)
    : QSpinBox(parent) {
    setObjectName(spinName);
    lineEdit()->setObjectName(textName);
    setRange(0, Margins::Max);
    setSingleStep(1);
    // The value follows the text only when the box is left, as the text may pass through forms
    // that are no margin while it is typed.
    setKeyboardTracking(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, &MarginBox::textTyped);
}

int MarginBox::pendingValue() const {
    return Margins::fromText(text()).value_or(value());
}

QString MarginBox::textFromValue(int value) const {
    return Margins::text(value);
}

int MarginBox::valueFromText(const QString& text) const {
    return Margins::fromText(text).value_or(value());
}

QValidator::State MarginBox::validate(QString& input, int&) const {
    // Never refused outright: the key rule keeps typing in shape, and a pasted text that is no
    // margin stays visible until the box is left, when the last value comes back.
    return Margins::fromText(input) ? QValidator::Acceptable : QValidator::Intermediate;
}

void MarginBox::fixup(QString&) const {}

void MarginBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Takes the text and goes on; the dialog's default button is not pressed.
        interpretText();
        if (m_enterTarget)
            m_enterTarget->setFocus(Qt::TabFocusReason);
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (!command && typed.size() == 1 && typed[0].isPrint()) {
        QLineEdit* edit = lineEdit();
        QString beside = edit->text();
        if (edit->hasSelectedText())
            beside.remove(edit->selectionStart(), edit->selectedText().size());
        if (!Margins::keyAllowed(beside, typed[0])) {
            event->accept();
            return;
        }
    }
    QSpinBox::keyPressEvent(event);
}

void MarginBox::focusInEvent(QFocusEvent* event) {
    QSpinBox::focusInEvent(event);
    // Back from a context menu or another window, the box is as the user left it.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return;
    selectAll();
    // A click places the cursor after the focus came; the whole text is selected after it.
    m_selectOnRelease = reason == Qt::MouseFocusReason;
}

bool MarginBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease && m_selectOnRelease) {
        m_selectOnRelease = false;
        lineEdit()->event(event);
        selectAll();
        return true;
    }
    return QSpinBox::eventFilter(watched, event);
}
