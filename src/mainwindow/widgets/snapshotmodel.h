#pragma once

#include <QAbstractTableModel>

class Snapshot;

// The table view's model over the window's record set. Cells stay UTF-8 in the snapshot and are
// turned into text only when the view paints them. The header holds the captions; the field
// name of each column is available under FieldNameRole.
class SnapshotModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int FieldNameRole = Qt::UserRole + 1;

    explicit SnapshotModel(QObject* parent = nullptr);
    // Shows another record set (or none); the model does not own it.
    void setSnapshot(const Snapshot* rows);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    QString fieldName(int column) const;

  private:
    const Snapshot* m_rows = nullptr;
};
