#include "snapshotmodel.h"

#include "recordfields.h"
#include "snapshot.h"

SnapshotModel::SnapshotModel(QObject* parent) : QAbstractTableModel(parent) {}

SnapshotModel::~SnapshotModel() = default;

void SnapshotModel::setSnapshot(std::unique_ptr<Snapshot> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int SnapshotModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_rows ? 0 : m_rows->rowCount();
}

int SnapshotModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_rows ? 0 : m_rows->columnCount();
}

QVariant SnapshotModel::data(const QModelIndex& index, int role) const {
    if (!m_rows || !index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_rows->text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return {};
    }
}

QString SnapshotModel::fieldName(int column) const {
    if (!m_rows || column < 0 || column >= m_rows->columnCount())
        return QString();
    return m_rows->columnName(column);
}

QVariant SnapshotModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        // A row is headed by its record's number, which a screen reader says with each cell.
        const int nr = m_rows ? m_rows->columnIndex(u"Nr") : -1;
        if ((role == Qt::DisplayRole || role == Qt::AccessibleTextRole) && nr >= 0 &&
            section >= 0 && section < m_rows->rowCount())
            return QStringLiteral("Nr. ") + m_rows->text(section, nr);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == FieldNameRole)
        return fieldName(section);
    if (role == Qt::DisplayRole) {
        // Captions by field name; a column whose field has no caption stays empty.
        const FieldDef* f = findField(fieldName(section));
        return f && f->tableCaption ? QString::fromUtf8(f->tableCaption) : QString();
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}
