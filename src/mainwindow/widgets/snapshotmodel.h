#pragma once

#include <QAbstractTableModel>

#include <memory>

class Snapshot;

// The table view's model over the window's record set, and the only owner of its rows. Cells
// stay UTF-8 in the snapshot and are turned into text only when the view paints them. The header
// holds the captions; the field name of each column is available under FieldNameRole.
class SnapshotModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int FieldNameRole = Qt::UserRole + 1;

    explicit SnapshotModel(QObject* parent = nullptr);
    ~SnapshotModel() override;

    // Shows another record set (or none) and takes it over.
    void setSnapshot(std::unique_ptr<Snapshot> rows);
    const Snapshot* snapshot() const { return m_rows.get(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    QString fieldName(int column) const;

  private:
    std::unique_ptr<Snapshot> m_rows;
};
