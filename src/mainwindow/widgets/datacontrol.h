#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

// The record navigator "Data": the status text of the current record between the four arrows
// of the window's record set. It holds no rows; the table tells it where the record set stands
// and it asks for moves.
class DataControl : public QWidget {
    Q_OBJECT
  public:
    enum class Move { First, Previous, Next, Last };

    explicit DataControl(QWidget* parent = nullptr);

    QString caption() const;
    void setCaption(const QString& text);
    // Enables the arrows that lead somewhere.
    void setPosition(int current, int count);

  signals:
    void moveRequested(DataControl::Move move);

  private:
    QLabel* m_caption;
    QToolButton* m_first;
    QToolButton* m_previous;
    QToolButton* m_next;
    QToolButton* m_last;
};
