#pragma once

#include <QPointer>
#include <QSpinBox>

// A page margin in whole millimetres, 0 to 99, shown in centimetres ("1,0 cm") in its text box
// with the spin arrows beside it. The spin box carries the name of the spin control
// ("UpDownLi"), its text box that of the text box ("txtLi").
//
// Typing follows the margin key rule; the text counts when the box is left (or Enter is
// pressed): a text that is no margin brings the last value back. Enter moves the focus to the
// next control without pressing a button.
class MarginBox : public QSpinBox {
    Q_OBJECT
  public:
    MarginBox(const QString& spinName, const QString& textName, QWidget* parent = nullptr);

    void setEnterTarget(QWidget* next) { m_enterTarget = next; }
    // The value the box takes when it is left with its current text.
    int pendingValue() const;
    QLineEdit* textBox() const { return lineEdit(); }

  signals:
    // The text was typed or pasted (not yet taken).
    void textTyped();

  protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString& text) const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> m_enterTarget;
    bool m_selectOnRelease = false;
};
