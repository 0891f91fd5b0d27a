#pragma once

#include "inputrules.h"

#include <QObject>
#include <QPointer>

class QWidget;
class RecordForm;

// The input rules of the record form in one event filter. Browsing, the record controls refuse
// the focus and pass it to the table. Editing: entering a box selects its whole text (and the
// parents' surname boxes get the child's surname proposed); every key and every paste is checked
// against the control's rules (length limit with its message, digit filters, Enter moving the
// focus along the fixed order, also across tabs); leaving a box writes its filler, passes
// proposals on and recalculates the fee sum.
class RecordInputFilter : public QObject {
    Q_OBJECT
  public:
    explicit RecordInputFilter(RecordForm* form);

    void watch(QWidget* control);
    // The leave rules of a control, as if the focus had left it.
    void leave(QWidget* control);
    bool pasteAllowed(QWidget* control, const QString& text);
    // The entry rules for a control that already has the focus.
    void enterAgain(QWidget* control) { enter(control, fieldOfControl(control)); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    InputRules::Kind kindOf(int field) const;
    int fieldOfControl(QWidget* control) const;
    bool keyPress(QWidget* control, int field, class QKeyEvent* event);
    void enter(QWidget* control, int field);
    void moveOn(int field);
    void selectAll(QWidget* control);
    void tooLong(int limit);
    bool contextMenu(QWidget* control, class QContextMenuEvent* event);

    RecordForm* m_form;
    QPointer<QWidget> m_selectOnRelease; // focused by the mouse: select once the click is done
};
