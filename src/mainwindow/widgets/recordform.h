#pragma once

#include "editstate.h"
#include "formfields.h"
#include "recordtexts.h"

#include <QPointer>
#include <QTabWidget>

#include <array>

class ChoiceLists;
class MessageBoxes;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class RecordFocusRules;

// The record form (SSTab1): the tabs "Kind", "Eltern" and "Geschwister / Bem." with one control
// per field of the record, the six religion and nationality choice boxes used while editing, and
// the sibling rows. It shows a record's texts and hands back what is typed; while a record is
// entered or changed its controls follow the input rules (a validator on each box, a limit on the
// remark, RecordFocusRules as the focus moves), while browsing they take no input: Tab reaches
// them to read them, a click passes the focus on to the table. The pages scroll when the form is
// smaller than they need.
class RecordForm : public QTabWidget {
    Q_OBJECT
  public:
    RecordForm(MessageBoxes& boxes, QWidget* parent = nullptr);
    ~RecordForm() override;

    // Where the focus goes while browsing (the table).
    void setBrowseFocusTarget(QWidget* target) { m_browseFocus = target; }

    EditState editState() const { return m_state; }
    // Browsing: the six religion and nationality text boxes show the record, every control is
    // read-only and takes the focus by Tab only, the choice boxes are hidden and emptied. Editing:
    // the choice boxes take the place of the six text boxes, with their texts and the choice lists,
    // the first tab is shown, and the controls take input (the number only for a new record).
    void setEditState(EditState state, const ChoiceLists& lists);
    // Appends what the lists have gained to the six choice boxes.
    void updateChoiceLists(const ChoiceLists& lists);

    // Shows texts in the controls of the current state; every box shows its value's beginning.
    void showTexts(const RecordTexts& texts);
    // The blank record of an empty list: number "1", every other control empty.
    void blank();
    // What the controls hold: the choice boxes for the religions and nationalities while editing.
    RecordTexts texts() const;

    // Shows the tab of the field's control and puts the focus there.
    void focusField(int field);
    // Runs the leave rules of the control that has the focus (fillers, the fee sum), as if it had
    // been left: a save right after typing stores what leaving the field would have made of it.
    void commitFocusedField();

  private:
    friend class RecordFocusRules;

    QWidget* buildChildTab();
    QWidget* buildParentsTab();
    QWidget* buildSiblingsTab();
    QLineEdit* placeDetail(int index, QWidget* parent, class QGridLayout* g, int row, int column,
                           int span = 1);
    QComboBox* placeChoice(const char* field, QWidget* parent, class QGridLayout* g, int row,
                           int column);
    QLabel* caption(int field, QWidget* parent);
    // A line edit of the record that follows its field's input rules.
    QLineEdit* recordLineEdit(const QString& name, int field, QWidget* parent);
    void applyInputRules(QLineEdit* edit, int field);
    void tooLong(int limit);
    void limitRemark(int position, int added);
    void showSiblingRows(const QString& count);
    void setText(int field, const QString& text);
    QString text(int field) const;
    // The control that takes a field's input in the current state, and the field of a control.
    QWidget* editorOf(int field) const;
    int fieldOf(const QObject* control) const;
    bool isChoiceBox(const QObject* control) const;
    void recalculateSum();

    MessageBoxes& m_boxes;
    RecordFocusRules* m_focusRules;
    bool m_showing = false; // a stored remark is being shown
    QPointer<QWidget> m_browseFocus;
    EditState m_state = EditState::Browse;

    QLineEdit* txtNr = nullptr;
    std::array<QLineEdit*, DetailCount> txtAngaben{};
    std::array<QLineEdit*, FeeCount> txtBerechnung{};
    QLineEdit* txtGAnz = nullptr;
    QPlainTextEdit* txtBem = nullptr;
    QCheckBox* chckKEssen = nullptr;
    std::array<QLabel*, 12> siblingLabels{};
    // By field: the control that shows it while browsing, and its choice box while editing.
    std::array<QWidget*, FieldCount> m_box{};
    std::array<QComboBox*, FieldCount> m_choice{};
    std::array<QLabel*, FieldCount> m_captions{}; // the caption beside a field, where it has one
};
