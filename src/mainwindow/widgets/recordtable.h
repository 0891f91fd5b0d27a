#pragma once

#include "datacontrol.h"
#include "recordcontroller.h"

#include <QTableView>
#include <QVector>

#include <memory>
#include <optional>

class Snapshot;
class SnapshotModel;

// The table of records (DataGrid) and the window's record set behind it: the rows, which it alone
// owns, and the current row, which is the current record. Every change of the current row, and
// every new record set (an empty one too), emits reposition() at once, inside the operation that
// caused it. The highlighted row is set by the window after it has shown a record; a row the user
// picks is reported by rowChosen() and moves nothing by itself.
class RecordTable : public QTableView {
    Q_OBJECT
  public:
    explicit RecordTable(QWidget* parent = nullptr);
    ~RecordTable() override;

    // Takes a new record set and moves to its first row.
    void setRecordset(std::unique_ptr<Snapshot> rows);
    void closeRecordset();
    const Snapshot* recordset() const;

    int recordCount() const;
    int currentRow() const { return m_current; }
    // Nr of the current row; empty when there is none.
    QString currentNr() const;
    // Number and name of the current row, as the questions name it; none without a current row.
    std::optional<RowSummary> currentSummary() const;

    // Moves to the first row with this number and returns true; on a miss nothing moves.
    bool findNr(const QString& nr);
    bool moveToRow(int row);
    // The navigator's steps: to the first, previous, next or last row.
    void step(DataControl::Move move);

    // Highlights the row of this number and scrolls it to the top when it is not visible; with
    // no such row nothing stays highlighted and false comes back.
    bool highlight(const QString& nr);
    void clearHighlight();

    // The column the last sort menu was asked for, and its field (empty for an empty table).
    int sortMenuColumn() const;
    QString sortMenuField() const;

    // Column widths by position, in twips. Columns beyond the list get the default width.
    void setColumnWidthsTwips(const QVector<int>& widths);
    QVector<int> columnWidthsTwips() const;

  signals:
    void reposition();
    void recordsetChanged();
    void positionChanged(int current, int count);
    // The user made another row current (a click, the arrow keys).
    void rowChosen(int row);
    // A right press over a caption or a cell, or the menu key for the current cell's column: the
    // sort menu belongs at globalPos.
    void sortMenuRequested(const QPoint& globalPos);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The menu key and Shift+F10 open the sort menu for the current cell's column.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void applyColumnWidths();
    void sortMenuForCurrentCell();
    double dpi() const;

    SnapshotModel* m_model;
    int m_current = -1;
    double m_sortMenuX = 0; // where the sort menu was asked for, in the table's coordinates
    bool m_programSelecting = false;
    bool m_applyingWidths = false;
    QVector<int> m_widths; // twips by column position
};
