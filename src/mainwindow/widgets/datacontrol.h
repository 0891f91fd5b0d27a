#pragma once

#include "snapshot.h"

#include <QWidget>

#include <memory>

class QLabel;
class QToolButton;

// The window's data source "Data": owns the read-only rows of the current record set, its
// current row and its caption (the status text), and offers the four arrows of a record
// navigator. Every change of the current row, and every new record set (an empty one too),
// emits reposition() at once, inside the operation that caused it.
class DataControl : public QWidget {
    Q_OBJECT
  public:
    explicit DataControl(QWidget* parent = nullptr);
    ~DataControl() override;

    // Takes a new record set and moves to its first row.
    void setRecordset(std::unique_ptr<Snapshot> rows);
    const Snapshot* recordset() const { return m_rows.get(); }
    void closeRecordset();

    int recordCount() const { return m_rows ? m_rows->rowCount() : 0; }
    int currentRow() const { return m_current; }
    // Nr of the current row as text; empty when there is none.
    QString currentNr() const;

    // "Nr = 12": moves to the first matching row and returns true; on a miss nothing moves.
    bool findFirst(const QString& criteria);
    bool moveToRow(int row);
    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast();

    QString caption() const;
    void setCaption(const QString& text);

  signals:
    void reposition();
    void recordsetChanged();

  private:
    void updateArrows();

    std::unique_ptr<Snapshot> m_rows;
    int m_current = -1;
    QLabel* m_caption;
    QToolButton* m_first;
    QToolButton* m_previous;
    QToolButton* m_next;
    QToolButton* m_last;
};
