// The window's record set and the record display: Data_Refresh builds the record set from the
// search row, the column choice and a sort column; Data_Reposition shows the current record.

#include "tarvexmain.h"

#include "datacontrol.h"
#include "engineerror.h"
#include "fieldtable.h"
#include "germanformat.h"
#include "refreshquery.h"
#include "snapshotmodel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTimer>

namespace {

// What a control shows for a stored value. Null shows as an empty field.
QString displayText(const FieldDef& f, const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return QString();
    switch (f.type) {
    case FieldType::Single:
        return GermanFormat::formatSingle(float(v.toDouble()));
    case FieldType::Long:
    case FieldType::Integer:
        return QString::number(v.toLongLong());
    default:
        return v.toString();
    }
}

} // namespace

void TarvexMain::Data_Refresh(const QString& sortBy, bool ascending) {
    std::array<QString, 6> search;
    for (int i = 0; i < 6; ++i)
        search[i] = txtSuch[i]->text();
    QString sql = buildRefreshStatement(search, settings.Tabelle, sortBy, ascending);
    std::unique_ptr<Snapshot> rows;
    try {
        rows = m_db->openSnapshot(sql);
    } catch (const EngineError& e) {
        // The window keeps its last record set.
        showError(QStringLiteral("TarvexMain.Data_Refresh"), e.number(), e.description());
        return;
    }
    m_lastSort = sortBy;
    m_lastAscending = ascending;
    {
        QScopedValueRollback<bool> guard(m_programSelecting, true);
        gridModel->setSnapshot(rows.get());
        applyColumnWidths();
    }
    Data->setRecordset(std::move(rows));
    if (DataGrid->horizontalHeader()->count() > 0)
        DataGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
}

void TarvexMain::fillRecordMenus(bool hasRecords) {
    mnuFileSub[1]->setEnabled(hasRecords && m_printAvailable);
    // While a record is being edited, change and delete stay as the editing command left them.
    if (hasRecords && (bDSNeu || bDSAendern))
        return;
    mnuDSSub[1]->setEnabled(hasRecords && m_changeAvailable);
    mnuDSSub[2]->setEnabled(hasRecords && m_deleteAvailable);
}

void TarvexMain::blankRecord() {
    txtNr->setText(QStringLiteral("1"));
    txtBem->setPlainText(QString());
    for (QLineEdit* e : txtAngaben)
        e->setText(QString());
    chckKEssen->setChecked(false);
    txtGAnz->setText(QString());
    // The fee fields are blanked too: an empty list shows no fees of another child.
    for (QLineEdit* e : txtBerechnung)
        e->setText(QString());
    m_shownNr.clear();
}

void TarvexMain::Data_Reposition() {
    int count = Data->recordCount();
    bool editing = bDSNeu || bDSAendern;
    fillRecordMenus(count > 0);
    if (count == 0) {
        if (!editing)
            blankRecord();
        Data->setCaption(QStringLiteral("aktueller Datensatz : -"));
        clearGridSelection();
        return;
    }
    if (editing)
        return;

    QString nr = Data->currentNr();
    // History: the number left is that of the record really shown (none for the blank one).
    m_history.recordMove(m_shownNr, nr);
    updateHistoryControls();

    if (!showRecord(nr))
        return;
    highlightRow(nr);
}

bool TarvexMain::showRecord(const QString& nr) {
    const QString criteria = QStringLiteral("Nr = ") + nr;
    bool found = false;
    try {
        found = m_rsDaten->findFirst(criteria);
        if (!found) {
            // A record saved meanwhile at another workstation: the full-record set learns of
            // it when it is opened again.
            m_rsDaten = m_db->openDynaset(
                QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC"));
            found = m_rsDaten->findFirst(criteria);
        }
        if (found)
            (void)m_rsDaten->field(u"Nr"); // a row deleted meanwhile fails here
    } catch (const EngineError& e) {
        if (e.number() != ErrorNumber::NoCurrentRecord) {
            showError(QStringLiteral("TarvexMain.Data_Reposition"), e.number(), e.description());
        }
        found = false;
    }
    if (!found) {
        // Never show another child's data under this number: blank the form, say what
        // happened, and bring the table back in step with the database.
        blankRecord();
        txtNr->setText(QString());
        Data->setCaption(QStringLiteral("aktueller Datensatz : -"));
        m_boxes.show(this,
                     QStringLiteral("Der Datensatz Nr. %1 ist nicht mehr vorhanden. Er wurde "
                                    "vermutlich an einem anderen Arbeitsplatz gelöscht.\r\r"
                                    "Die Tabelle wird neu geladen.")
                         .arg(nr),
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
        QTimer::singleShot(0, this, [this] {
            try {
                m_rsDaten = m_db->openDynaset(
                    QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC"));
            } catch (const EngineError& e) {
                showError(QStringLiteral("TarvexMain.Data_Reposition"), e.number(),
                          e.description());
                return;
            }
            Data_Refresh(m_lastSort, m_lastAscending);
        });
        return false;
    }

    // Each control is filled by itself: a failure on one does not stop the others.
    for (const FieldDef& f : fieldTable()) {
        QVariant v;
        try {
            v = m_rsDaten->field(QString::fromLatin1(f.name));
        } catch (const EngineError& e) {
            showError(QStringLiteral("TarvexMain.Data_Reposition"), e.number(), e.description());
            v = QVariant();
        }
        QString text = displayText(f, v);
        switch (f.control) {
        case FieldControl::Number:
            txtNr->setText(text);
            break;
        case FieldControl::Remark:
            txtBem->setPlainText(text);
            break;
        case FieldControl::Details:
            txtAngaben[f.index]->setText(text);
            break;
        case FieldControl::Fee:
            txtBerechnung[f.index]->setText(text);
            break;
        case FieldControl::Lunch:
            chckKEssen->setChecked(text == QLatin1String("ja"));
            break;
        case FieldControl::Siblings:
            txtGAnz->setText(text);
            break;
        }
    }
    m_shownNr = txtNr->text();

    // Status text: "aktueller Datensatz : Nr. 12 - Maier, Anna".
    QString knach, kvor;
    try {
        knach = displayText(*findField(u"KNach"), m_rsDaten->field(u"KNach"));
        kvor = displayText(*findField(u"KVor"), m_rsDaten->field(u"KVor"));
    } catch (const EngineError&) {
    }
    Data->setCaption(QStringLiteral("aktueller Datensatz : Nr. ") + m_shownNr +
                     QStringLiteral(" - ") + knach + QStringLiteral(", ") + kvor);
    return true;
}

void TarvexMain::highlightRow(const QString& nr) {
    const Snapshot* rows = Data->recordset();
    int nrColumn = rows ? rows->columnIndex(u"Nr") : -1;
    int row = -1;
    bool ok = false;
    qint64 value = nr.toLongLong(&ok);
    if (rows && nrColumn >= 0 && ok)
        row = rows->findRow(nrColumn, value);
    QScopedValueRollback<bool> guard(m_programSelecting, true);
    if (row < 0) {
        // The record's row is not in the table: no other child's row stays highlighted.
        clearGridSelection();
        if (bDebug) {
            for (int i = 0; i < 2; ++i)
                showError(QStringLiteral("TarvexMain.Data_Reposition"), ErrorNumber::GridInvalidRow,
                          QStringLiteral("Ungültiger Zeilenwert"));
        }
        return;
    }
    QModelIndex index = gridModel->index(row, 0);
    // Scroll only when the row is not visible; it then becomes the first visible row.
    const QRect r = DataGrid->visualRect(index);
    const QRect view = DataGrid->viewport()->rect();
    const bool visible = view.contains(r.topLeft()) && view.contains(r.bottomLeft());
    // Painting waits until the row is found and highlighted; the view's own scrolling to the
    // current row is held back so that the rule above decides.
    DataGrid->setUpdatesEnabled(false);
    const bool autoScroll = DataGrid->hasAutoScroll();
    DataGrid->setAutoScroll(false);
    DataGrid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    DataGrid->setAutoScroll(autoScroll);
    if (!visible)
        DataGrid->scrollTo(index, QAbstractItemView::PositionAtTop);
    DataGrid->setUpdatesEnabled(true);
}

void TarvexMain::clearGridSelection() {
    QScopedValueRollback<bool> guard(m_programSelecting, true);
    if (DataGrid->selectionModel()) {
        DataGrid->selectionModel()->clearSelection();
        DataGrid->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}
