// Search row, back/forward history, table clicks and sorting by a column of the table.

#include "tarvexmain.h"

#include "datacontrol.h"
#include "refreshquery.h"
#include "snapshotmodel.h"
#include "sortcolumn.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>

void TarvexMain::connectNavigation() {
    connect(Data, &DataControl::reposition, this, &TarvexMain::Data_Reposition);

    for (int i = 0; i < 6; ++i) {
        connect(txtSuch[i], &QLineEdit::textChanged, this,
                [this, i] { Data_Refresh(searchFieldNames()[i], true); });
    }
    connect(cmdSucheLoeschen, &QPushButton::clicked, this, &TarvexMain::cmdSucheLoeschen_Click);

    connect(cmdBack, &QPushButton::clicked, this, [this] { historyStep(true, -1); });
    connect(cmdForward, &QPushButton::clicked, this, [this] { historyStep(false, -1); });
    // activated: only a choice of the user, not the program's own insertions and removals.
    connect(cmbBack, &QComboBox::activated, this, [this](int index) { historyStep(true, index); });
    connect(cmbForward, &QComboBox::activated, this,
            [this](int index) { historyStep(false, index); });

    connect(DataGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { DataGrid_SelChange(current); });
    // A right press sorts; it must not select a row, so the table never sees it.
    DataGrid->viewport()->installEventFilter(this);
    DataGrid->horizontalHeader()->viewport()->installEventFilter(this);
}

void TarvexMain::cmdSucheLoeschen_Click() {
    // Each field whose text really changes runs its own query; empty fields run none.
    for (QLineEdit* e : txtSuch)
        e->setText(QString());
    DataGrid->setFocus();
}

void TarvexMain::historyStep(bool back, int index) {
    if (bDSNeu || bDSAendern)
        return; // the record being edited stays; the lists stay as they are
    const NavHistory before = m_history;
    QString target;
    if (back) {
        if (!m_history.backEnabled())
            return;
        target = index < 0 ? m_history.stepBack(m_shownNr) : m_history.chooseBack(index, m_shownNr);
    } else {
        if (!m_history.forwardEnabled())
            return;
        target = index < 0 ? m_history.stepForward(m_shownNr)
                           : m_history.chooseForward(index, m_shownNr);
    }
    if (!Data->findFirst(QStringLiteral("Nr = ") + target)) {
        // The number is not in the current list (filtered out or deleted): the record shown
        // before stays, and so do the lists.
        m_history = before;
        updateHistoryControls();
        kMain->setText(QStringLiteral("Datensatz Nr. %1 ist in der aktuellen Auswahl nicht "
                                      "enthalten.")
                           .arg(target));
        return;
    }
    DataGrid->setFocus();
}

void TarvexMain::updateHistoryControls() {
    auto fill = [](QComboBox* box, const QStringList& items) {
        QSignalBlocker block(box);
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(-1);
    };
    fill(cmbBack, m_history.backList());
    fill(cmbForward, m_history.forwardList());
    cmbBack->setEnabled(m_history.backEnabled());
    cmdBack->setEnabled(m_history.backEnabled());
    cmbForward->setEnabled(m_history.forwardEnabled());
    cmdForward->setEnabled(m_history.forwardEnabled());
}

void TarvexMain::DataGrid_SelChange(const QModelIndex& current) {
    if (m_programSelecting || !current.isValid())
        return;
    if (bDSNeu || bDSAendern) {
        // While a record is being entered or changed, the table moves nothing.
        highlightRow(m_shownNr);
        return;
    }
    const Snapshot* rows = Data->recordset();
    if (!rows)
        return;
    int nrColumn = rows->columnIndex(u"Nr");
    if (nrColumn < 0)
        return;
    QString nr = rows->text(current.row(), nrColumn);
    if (nr == m_shownNr && Data->currentRow() == current.row())
        return;
    if (!Data->findFirst(QStringLiteral("Nr = ") + nr))
        highlightRow(m_shownNr);
}

bool TarvexMain::gridRightPress(QWidget* source, QMouseEvent* event) {
    // x in the table's own coordinates, scrolled or not.
    double x = event->position().x() + DataGrid->horizontalHeader()->offset();
    Q_UNUSED(source);
    GridMausX = x;
    popMenu1->popup(event->globalPosition().toPoint());
    return true;
}

void TarvexMain::popMenu1Sub_Click(int index) {
    QHeaderView* header = DataGrid->horizontalHeader();
    int cols = gridModel->columnCount();
    if (cols == 0)
        return;
    QVector<double> colPos;
    for (int k = 0; k < cols; ++k)
        colPos.append(header->sectionPosition(k));
    int k = columnUnderMouse(colPos, GridMausX);
    if (bDebug)
        m_boxes.show(this, QStringLiteral("gewählte Spalte <%1>").arg(k), MessageBoxes::Buttons::Ok,
                     MessageBoxes::Icon::None);
    QString field = gridModel->fieldName(k);
    if (field.isEmpty())
        return;
    Data_Refresh(field, index == 0);
}

bool TarvexMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            auto* me = static_cast<QMouseEvent*>(event);
            QAction* a = menu->actionAt(me->position().toPoint());
            if (a && !a->isSeparator() && !a->isEnabled())
                HelpObj_MenuHelp(a->text(), QString(), false);
            return QMainWindow::eventFilter(watched, event);
        }
    }
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* me = static_cast<QMouseEvent*>(event);
        bool onTable =
            watched == DataGrid->viewport() || watched == DataGrid->horizontalHeader()->viewport();
        if (onTable && me->button() == Qt::RightButton) {
            if (event->type() == QEvent::MouseButtonPress)
                return gridRightPress(static_cast<QWidget*>(watched), me);
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu &&
        (watched == DataGrid->viewport() || watched == DataGrid->horizontalHeader()->viewport()))
        return true;
    return QMainWindow::eventFilter(watched, event);
}
