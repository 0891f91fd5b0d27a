#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;
class RecordForm;

// What the record form does as the focus moves, in one event filter; what a box may hold is its
// validator's business. Browsing, the controls are only read: a click passes the focus to the
// table, the space bar does not tick the lunch box.
// Editing: entering a box selects its whole text (and the parents' surname boxes get the child's
// surname proposed); Enter moves the focus along the form's order, also across tabs; leaving a
// box writes its filler, passes proposals on, recalculates the fee sum and says when the box or
// the sum holds a number its column cannot store.
class RecordFocusRules : public QObject {
    Q_OBJECT
  public:
    explicit RecordFocusRules(RecordForm* form);

    void watch(QWidget* control);
    // The leave rules of a control, as if the focus had left it; report says what cannot be
    // stored (the save says it itself).
    void leave(QWidget* control, bool report);
    // The entry rules for a control that already has the focus.
    void enterAgain(QWidget* control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void enter(QWidget* control, int field);
    void moveOn(int field);
    void selectAll(QWidget* control);
    void reportLater(const QString& message);

    RecordForm* m_form;
    QPointer<QWidget> m_selectOnRelease; // focused by the mouse: select once the click is done
    QString m_sumReported;               // a fee sum beyond its column, said already
};
