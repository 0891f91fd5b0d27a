#include "recordtable.h"

#include "settings.h"
#include "snapshot.h"
#include "snapshotmodel.h"
#include "sortcolumn.h"
#include "twips.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

namespace {} // namespace

RecordTable::RecordTable(QWidget* parent) : QTableView(parent), m_model(new SnapshotModel(this)) {
    setObjectName(QStringLiteral("DataGrid"));
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAccessibleName(QStringLiteral("Tabelle der Kinder"));
    // Tab leaves the table; the arrow keys move between its cells.
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int newSize) {
                if (m_applyingWidths || column < 0)
                    return;
                if (column >= m_widths.size())
                    for (int c = int(m_widths.size()); c <= column; ++c)
                        m_widths.append(Settings::defaultColumnTwips(c));
                m_widths[column] = pixelsToTwips(newSize, dpi());
            });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_programSelecting && current.isValid())
                    emit rowChosen(current.row());
            });
    // A right press sorts; it must not select a row, so the table never sees it.
    viewport()->installEventFilter(this);
    horizontalHeader()->viewport()->installEventFilter(this);
}

RecordTable::~RecordTable() = default;

double RecordTable::dpi() const {
    return logicalDpiX();
}

void RecordTable::setRecordset(std::unique_ptr<Snapshot> rows) {
    {
        QScopedValueRollback<bool> guard(m_programSelecting, true);
        m_model->setSnapshot(std::move(rows));
        applyColumnWidths();
    }
    m_current = recordCount() > 0 ? 0 : -1;
    emit recordsetChanged();
    emit positionChanged(m_current, recordCount());
    emit reposition();
}

void RecordTable::closeRecordset() {
    QScopedValueRollback<bool> guard(m_programSelecting, true);
    m_model->setSnapshot(nullptr);
    m_current = -1;
}

const Snapshot* RecordTable::recordset() const {
    return m_model->snapshot();
}

int RecordTable::recordCount() const {
    return recordset() ? recordset()->rowCount() : 0;
}

QString RecordTable::currentNr() const {
    const Snapshot* rows = recordset();
    if (!rows || m_current < 0)
        return QString();
    const int c = rows->columnIndex(u"Nr");
    return c < 0 ? QString() : rows->text(m_current, c);
}

std::optional<RowSummary> RecordTable::currentSummary() const {
    const Snapshot* rows = recordset();
    if (!rows || m_current < 0)
        return std::nullopt;
    auto text = [&](QStringView name) {
        const int c = rows->columnIndex(name);
        return c < 0 ? QString() : rows->text(m_current, c);
    };
    return RowSummary{text(u"Nr"), text(u"KNach"), text(u"KVor")};
}

bool RecordTable::findNr(const QString& nr) {
    const Snapshot* rows = recordset();
    if (!rows || nr.isEmpty())
        return false;
    const int row = rows->findFirst(QStringLiteral("Nr = ") + nr);
    return row >= 0 && moveToRow(row);
}

bool RecordTable::moveToRow(int row) {
    if (row < 0 || row >= recordCount())
        return false;
    m_current = row;
    emit positionChanged(m_current, recordCount());
    emit reposition();
    return true;
}

void RecordTable::step(DataControl::Move move) {
    const int to[] = {0, m_current - 1, m_current + 1, recordCount() - 1};
    moveToRow(to[int(move)]);
}

bool RecordTable::highlight(const QString& nr) {
    const Snapshot* rows = recordset();
    const int nrColumn = rows ? rows->columnIndex(u"Nr") : -1;
    bool ok = false;
    const qint64 value = nr.toLongLong(&ok);
    const int row = rows && nrColumn >= 0 && ok ? rows->findRow(nrColumn, value) : -1;
    if (row < 0) {
        // The record's row is not in the table: no other child's row stays highlighted.
        clearHighlight();
        return false;
    }
    QScopedValueRollback<bool> guard(m_programSelecting, true);
    const QModelIndex index = m_model->index(row, 0);
    // Scroll only when the row is not visible; it then becomes the first visible row.
    const QRect r = visualRect(index);
    const QRect view = viewport()->rect();
    const bool visible = view.contains(r.topLeft()) && view.contains(r.bottomLeft());
    // Painting waits until the row is found and highlighted; the view's own scrolling to the
    // current row is held back so that the rule above decides.
    setUpdatesEnabled(false);
    const bool autoScroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    setAutoScroll(autoScroll);
    if (!visible)
        scrollTo(index, QAbstractItemView::PositionAtTop);
    setUpdatesEnabled(true);
    return true;
}

void RecordTable::clearHighlight() {
    QScopedValueRollback<bool> guard(m_programSelecting, true);
    selectionModel()->clearSelection();
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

int RecordTable::sortMenuColumn() const {
    QVector<double> colPos;
    for (int k = 0; k < m_model->columnCount(); ++k)
        colPos.append(horizontalHeader()->sectionPosition(k));
    return columnUnderMouse(colPos, m_sortMenuX);
}

QString RecordTable::sortMenuField() const {
    return m_model->fieldName(sortMenuColumn());
}

void RecordTable::setColumnWidthsTwips(const QVector<int>& widths) {
    m_widths = widths;
    applyColumnWidths();
}

void RecordTable::applyColumnWidths() {
    QScopedValueRollback<bool> guard(m_applyingWidths, true);
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int tw = c < m_widths.size() ? m_widths[c] : Settings::defaultColumnTwips(c);
        setColumnWidth(c, std::max(0, twipsToPixels(tw, dpi())));
    }
}

QVector<int> RecordTable::columnWidthsTwips() const {
    // The table's current columns; the widths remembered by position for the rest.
    int n = m_model->columnCount();
    if (n == 0)
        n = int(m_widths.size());
    QVector<int> widths;
    for (int c = 0; c < n; ++c)
        widths.append(c < m_widths.size() ? m_widths[c] : Settings::defaultColumnTwips(c));
    return widths;
}

void RecordTable::contextMenuEvent(QContextMenuEvent* event) {
    // A right press is handled where it happens.
    if (event->reason() == QContextMenuEvent::Keyboard)
        sortMenuForCurrentCell();
    event->accept();
}

void RecordTable::keyPressEvent(QKeyEvent* event) {
    // Not every platform turns these keys into a request for the context menu.
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (!menuKey && !shiftF10) {
        QTableView::keyPressEvent(event);
        return;
    }
    sortMenuForCurrentCell();
    event->accept();
}

void RecordTable::sortMenuForCurrentCell() {
    if (m_model->columnCount() == 0)
        return;
    const QModelIndex current = currentIndex();
    const int column = std::max(current.column(), horizontalHeader()->logicalIndexAt(0));
    QRect cell = visualRect(current.isValid() ? current : m_model->index(0, column));
    if (!viewport()->rect().intersects(cell))
        cell = QRect(horizontalHeader()->sectionViewportPosition(column), 0, 1, 1);
    m_sortMenuX =
        horizontalHeader()->sectionPosition(column) + horizontalHeader()->sectionSize(column) / 2.0;
    emit sortMenuRequested(viewport()->mapToGlobal(cell.center()));
}

bool RecordTable::eventFilter(QObject* watched, QEvent* event) {
    const bool onTable = watched == viewport() || watched == horizontalHeader()->viewport();
    if (!onTable)
        return QTableView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::RightButton)
            break;
        if (event->type() == QEvent::MouseButtonPress) {
            m_sortMenuX = me->position().x() + horizontalHeader()->offset();
            emit sortMenuRequested(me->globalPosition().toPoint());
        }
        return true;
    }
    case QEvent::ContextMenu:
        return true;
    default:
        break;
    }
    return QTableView::eventFilter(watched, event);
}
