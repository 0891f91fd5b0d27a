#include "tarvexmain.h"

#include "backupfolder.h"
#include "datacontrol.h"
#include "helppage.h"
#include "historyrow.h"
#include "infobox.h"
#include "messageboxes.h"
#include "optionsdialog.h"
#include "recordcontroller.h"
#include "recordform.h"
#include "recordtable.h"
#include "refreshquery.h"
#include "searchrow.h"
#include "twips.h"

#include <QAction>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace {

double screenDpi(const QWidget* w, bool horizontal) {
    const QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return 96.0;
    return horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
}

// The options with the folders of the settings and the database filled in.
TarvexMain::Options withFolders(TarvexMain::Options options) {
    if (options.files.settingsFolder.isEmpty())
        options.files.settingsFolder = options.programFolder;
    if (options.files.dataFolder.isEmpty())
        options.files.dataFolder = options.programFolder;
    return options;
}

} // namespace

TarvexMain::TarvexMain(const Options& options)
    : m_options(withFolders(options)), m_boxes(*options.boxes),
      m_settingsFile(m_options.files.settingsFolder),
      m_records(std::make_unique<RecordController>(*options.boxes, this)) {
    setObjectName(QStringLiteral("TarvexMain"));
    setWindowTitle(QStringLiteral("Belvonia"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/tarvex.png")));
    m_timer1.setSingleShot(true);
    m_timer1.setInterval(options.startScreenMs);
    connect(&m_timer1, &QTimer::timeout, this, &TarvexMain::Timer1_Timer);
    buildWindow();
    connectParts();
}

TarvexMain::~TarvexMain() {
    if (m_startScreen)
        delete m_startScreen.data();
}

int TarvexMain::toPixelsX(double twips) const {
    return twipsToPixels(twips, screenDpi(this, true));
}
int TarvexMain::toPixelsY(double twips) const {
    return twipsToPixels(twips, screenDpi(this, false));
}
int TarvexMain::toTwipsX(int pixels) const {
    return pixelsToTwips(pixels, screenDpi(this, true));
}
int TarvexMain::toTwipsY(int pixels) const {
    return pixelsToTwips(pixels, screenDpi(this, false));
}

void TarvexMain::buildWindow() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    m_frame = new QFrame(central);
    m_frame->setObjectName(QStringLiteral("FrameAllg"));
    m_frame->setFrameShape(QFrame::NoFrame);

    m_image1 = new QLabel(m_frame);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(QPixmap(QStringLiteral(":/pictures/header_left.png")));
    m_image1->setScaledContents(true);
    m_image2 = new QLabel(m_frame);
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_image2->setPixmap(QPixmap(QStringLiteral(":/pictures/header_right.png")));
    m_image2->setScaledContents(true);
    m_lblKiga = new QLabel(m_frame);
    m_lblKiga->setObjectName(QStringLiteral("lblKiga"));
    m_lblKiga->setAlignment(Qt::AlignCenter);
    m_lblKiga->setWordWrap(true);
    QFont f = m_lblKiga->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    f.setBold(true);
    m_lblKiga->setFont(f);

    m_data = new DataControl;
    m_data->setCaption(emptyStatusText());
    m_historyRow = new HistoryRow(m_data, m_frame);
    m_searchRow = new SearchRow(m_frame);
    m_lblAktDS = new QLabel(QStringLiteral("aktueller Datensatz"), m_frame);
    m_lblAktDS->setObjectName(QStringLiteral("lblAktDS"));
    m_table = new RecordTable(m_frame);
    m_form = new RecordForm(m_boxes, m_frame);
    m_form->setBrowseFocusTarget(m_table);

    m_kMain = new QLabel(this);
    m_kMain->setObjectName(QStringLiteral("kMain"));
    statusBar()->addWidget(m_kMain, 1);
    statusBar()->setSizeGripEnabled(true);

    m_menus = new MainMenus(this, m_kMain);
    updateMenus();

    m_layout = designLayout();
    applyLayout();
}

void TarvexMain::connectParts() {
    connect(m_table, &RecordTable::reposition, this, &TarvexMain::Data_Reposition);
    connect(m_table, &RecordTable::positionChanged, m_data, &DataControl::setPosition);
    connect(m_table, &RecordTable::rowChosen, this, &TarvexMain::tableRowChosen);
    connect(m_table, &RecordTable::sortMenuRequested, this, &TarvexMain::sortMenu);
    connect(m_data, &DataControl::moveRequested, this, [this](DataControl::Move move) {
        const int rows = m_table->recordCount();
        const int to[] = {0, m_table->currentRow() - 1, m_table->currentRow() + 1, rows - 1};
        m_table->moveToRow(to[int(move)]);
    });
    connect(m_searchRow, &SearchRow::searchChanged, this,
            [this](int field) { Data_Refresh(searchFieldNames()[size_t(field)], true); });
    connect(m_searchRow, &SearchRow::cleared, this, [this] { m_table->setFocus(); });
    connect(m_historyRow, &HistoryRow::stepRequested, this, &TarvexMain::historyStep);
    connect(m_menus, &MainMenus::chosen, this, &TarvexMain::menuChosen);
    m_refreshRetry.setSingleShot(true);
    m_refreshRetry.setInterval(500);
    connect(&m_refreshRetry, &QTimer::timeout, this, [this] {
        if (m_records->isOpen())
            Data_Refresh(m_retrySort, m_retryAscending);
    });
}

void TarvexMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ::Form_Resize(m_layout, toTwipsX(width()), toTwipsY(height()));
    applyLayout();
}

void TarvexMain::applyLayout() {
    auto px = [this](const TwipRect& r) {
        return QRect(toPixelsX(r.left), toPixelsY(r.top), toPixelsX(r.width), toPixelsY(r.height));
    };
    const MainLayout& l = m_layout;
    m_frame->setGeometry(px(l.FrameAllg));
    // A window smaller than the layout scrolls the table and the form instead of cutting them off.
    const QRect shown(-m_frame->pos(), centralWidget()->size());
    m_table->setGeometry(px(l.DataGrid).intersected(shown));
    m_form->setGeometry(px(l.SSTab1).intersected(shown));
    m_lblAktDS->setGeometry(px(l.lblAktDS));
    m_image1->setGeometry(px(l.Image1));
    m_image2->setGeometry(px(l.Image2));
    m_lblKiga->setGeometry(px(l.lblKiga));

    // The two rows take the rectangle of their parts; the parts are placed inside them.
    auto inside = [&px](const QRect& row, const TwipRect& r) {
        return px(r).translated(-row.topLeft());
    };
    const QRect history =
        px(l.cmbBack).united(px(l.cmbForward)).united(px(l.Data)).united(px(l.cmdForward));
    m_historyRow->setGeometry(history);
    m_historyRow->place({inside(history, l.cmbBack), inside(history, l.cmdBack),
                         inside(history, l.Data), inside(history, l.cmbForward),
                         inside(history, l.cmdForward)});
    QRect search = px(l.lblSuchInf).united(px(l.cmdSucheLoeschen));
    for (int i = 0; i < MainLayout::SearchFieldCount; ++i)
        search = search.united(px(l.txtSuch[size_t(i)])).united(px(l.lblSuch[size_t(i)]));
    m_searchRow->setGeometry(search);
    SearchRow::Geometry g;
    g.hint = inside(search, l.lblSuchInf);
    g.clear = inside(search, l.cmdSucheLoeschen);
    for (size_t i = 0; i < 6; ++i) {
        g.labels[i] = inside(search, l.lblSuch[i]);
        g.fields[i] = inside(search, l.txtSuch[i]);
    }
    m_searchRow->place(g);
}

void TarvexMain::updateMenus() {
    const bool hasRecords = m_table->recordCount() > 0;
    const RecordMenuStates s = recordMenuStates(m_records->state(), hasRecords);
    m_menus->entry(MainMenus::Record, 0)->setEnabled(s.neu && m_records->isOpen());
    m_menus->entry(MainMenus::Record, 1)->setEnabled(s.aendern);
    m_menus->entry(MainMenus::Record, 2)->setEnabled(s.loeschen);
    m_menus->entry(MainMenus::Record, 3)->setEnabled(s.speichern);
    // The lists are printed from the file; an empty table has nothing to print.
    m_menus->entry(MainMenus::File, 1)->setEnabled(hasRecords && m_records->isOpen());
    updateExtrasMenu();
}

void TarvexMain::Data_Refresh(const QString& sortBy, bool ascending) {
    m_refreshRetry.stop();
    auto rows =
        m_records->Data_Refresh(m_searchRow->texts(), m_settings.Tabelle, sortBy, ascending);
    if (rows) {
        if (m_refreshWaiting) {
            m_refreshWaiting = false;
            m_kMain->clear();
        }
        m_table->setRecordset(std::move(rows));
        return;
    }
    // The window keeps its rows after a failure. While another workstation holds the file, the
    // list would no longer match the search row: say so, and try again until it goes.
    if (m_records->refreshLocked()) {
        m_refreshWaiting = true;
        m_retrySort = sortBy;
        m_retryAscending = ascending;
        m_kMain->setText(QStringLiteral("Die Datenbank ist gerade von einem anderen "
                                        "Arbeitsplatz gesperrt: Die Liste entspricht noch nicht "
                                        "der Suche und wird aktualisiert, sobald die Sperre "
                                        "aufgehoben ist."));
        m_refreshRetry.start();
    }
}

void TarvexMain::Data_Reposition() {
    updateMenus();
    // The information for parents follows the record really shown.
    const auto shownChanged = qScopeGuard([this] { updateExtrasMenu(); });
    if (m_holdDisplay)
        return; // a record set rebuilt to find a record in it: only that record is shown
    const bool editing = isEditing(m_records->state());
    if (m_table->recordCount() == 0) {
        // Being typed stays as it is; browsing shows the blank record.
        if (!editing) {
            m_form->blank();
            m_shownNr.clear();
        }
        m_data->setCaption(emptyStatusText());
        m_table->clearHighlight();
        return;
    }
    if (editing)
        return;
    const QString nr = m_table->currentNr();
    // History: the number left is that of the record really shown (none for the blank one).
    m_historyRow->recordMove(m_shownNr, nr);
    const RecordController::ReadResult read = m_records->Data_Reposition(nr);
    if (read.outcome == RecordController::Read::Missing) {
        recordGone(nr);
        return;
    }
    if (read.outcome == RecordController::Read::Done) {
        m_form->showTexts(read.texts);
        m_shownNr = nr;
        auto text = [&read](const char* name) {
            return read.texts[size_t(fieldIndex(QString::fromLatin1(name)))];
        };
        m_data->setCaption(statusText(text("Nr"), text("KNach"), text("KVor")));
    }
    if (!m_table->highlight(nr) && m_bDebug) {
        for (int i = 0; i < 2; ++i)
            m_boxes.show(this,
                         MessageBoxes::errorText(QStringLiteral("Quendal.Data1.Reposition"), 30009,
                                                 QStringLiteral("Ungültiger Zeilenwert")),
                         MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical,
                         QStringLiteral("Fehler"));
    }
}

void TarvexMain::recordGone(const QString& nr) {
    // Never show another child's data under this number: blank the form, say what happened,
    // and bring the table back in step with the database.
    m_form->blank();
    m_form->showTexts(RecordTexts());
    m_shownNr.clear();
    m_data->setCaption(emptyStatusText());
    m_boxes.show(this,
                 QStringLiteral("Der Datensatz Nr. %1 ist nicht mehr vorhanden. Er wurde "
                                "vermutlich an einem anderen Arbeitsplatz gelöscht.\r\r"
                                "Die Tabelle wird neu geladen.")
                     .arg(nr),
                 MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
    QTimer::singleShot(0, this,
                       [this] { Data_Refresh(m_records->lastSort(), m_records->lastAscending()); });
}

void TarvexMain::tableRowChosen(int row) {
    // While a record is being entered or changed, the table moves nothing.
    if (isEditing(m_records->state())) {
        m_table->highlight(m_shownNr);
        return;
    }
    if (row == m_table->currentRow() && m_table->currentNr() == m_shownNr)
        return;
    m_table->moveToRow(row);
}

void TarvexMain::historyStep(bool back, int index) {
    if (isEditing(m_records->state()))
        return; // the record being edited stays; the lists stay as they are
    const QString missing = m_historyRow->step(
        back, index, m_shownNr, [this](const QString& nr) { return m_table->findNr(nr); });
    if (!missing.isEmpty()) {
        m_kMain->setText(QStringLiteral("Datensatz Nr. %1 ist in der aktuellen Auswahl nicht "
                                        "enthalten.")
                             .arg(missing));
        return;
    }
    m_table->setFocus();
}

void TarvexMain::sortMenu(const QPoint& globalPos, double x) {
    m_gridMausX = x;
    m_menus->menu(MainMenus::Popup)->popup(globalPos);
}

void TarvexMain::menuChosen(MainMenus::Menu menu, int element) {
    switch (menu) {
    case MainMenus::File:
        mnuFileSub_Click(element);
        break;
    case MainMenus::Edit:
        m_menus->mnuEditSub_Click(element);
        break;
    case MainMenus::Record:
        mnuDSSub_Click(element);
        break;
    case MainMenus::Setup:
        mnuSetupSub_Click(element);
        break;
    case MainMenus::Help:
        mnuHelpSub_Click(element);
        break;
    case MainMenus::Extras:
        mnuExtrasSub_Click(element);
        break;
    case MainMenus::Popup: {
        if (m_table->recordset() == nullptr)
            break;
        const int column = m_table->columnAt(m_gridMausX);
        if (m_bDebug)
            m_boxes.show(this, QStringLiteral("gewählte Spalte <%1>").arg(column),
                         MessageBoxes::Buttons::Ok, MessageBoxes::Icon::None);
        const QString field = m_table->fieldAt(m_gridMausX);
        if (!field.isEmpty())
            Data_Refresh(field, element == 0);
        break;
    }
    default:
        break;
    }
}

void TarvexMain::mnuFileSub_Click(int element) {
    if (element == 0) {
        // The dialog opens with the current orientation, so cancelling it changes nothing.
        QPrinter printer;
        printer.setPageOrientation(m_settings.Hochformat ? QPageLayout::Portrait
                                                         : QPageLayout::Landscape);
        QPageSetupDialog dialog(&printer, this);
        if (m_options.pageSetupRunner)
            m_options.pageSetupRunner(dialog);
        else
            dialog.exec();
        m_settings.Hochformat = printer.pageLayout().orientation() == QPageLayout::Portrait;
    } else if (element == 1) {
        openPrintDialog();
    } else if (element == 3) {
        close();
    }
}

void TarvexMain::mnuSetupSub_Click(int element) {
    // "&Tabelle", "&Seitenlayout" and "&Anschrift" open the options on their own tab.
    if (element < OptionsDialog::TableTab || element > OptionsDialog::AddressTab)
        return;
    openOptions(element, this);
}

void TarvexMain::openOptions(int tab, QWidget* parent) {
    OptionsDialog dialog(m_settings, tab, m_options.fontDialogRunner, parent);
    connect(&dialog, &OptionsDialog::applied, this, &TarvexMain::optionsApplied);
    dialog.exec();
}

void TarvexMain::openPrintDialog() {
    // Never opened on an empty list, whoever asks.
    if (!m_menus->entry(MainMenus::File, 1)->isEnabled())
        return;
    // The lists read the file on their own: the table's selection and the record shown stay as
    // they are, and a record being entered or changed keeps its input.
    PrintDialog::Setup setup;
    setup.database = m_records->database();
    setup.settings = m_settings;
    setup.boxes = &m_boxes;
    setup.pageSetupRunner = m_options.pageSetupRunner;
    QPointer<PrintDialog> shown;
    setup.openPageLayout = [this, &shown] {
        openOptions(OptionsDialog::PageTab, shown.data());
        return m_settings;
    };
    if (m_options.printSetup)
        m_options.printSetup(setup);
    PrintDialog dialog(std::move(setup), this);
    shown = &dialog;
    connect(&dialog, &PrintDialog::hochformatChanged, this,
            [this](bool portrait) { m_settings.Hochformat = portrait; });
    dialog.exec();
}

void TarvexMain::optionsApplied(const Settings& applied) {
    // The dialog's copy was taken from these settings; the window changes none of them while the
    // modal dialog is open.
    m_settings = applied;
    m_lblKiga->setText(m_settings.Name);
    // The table takes the new column choice, and the same child stays shown.
    if (!isEditing(m_records->state())) {
        refreshAndShow(m_shownNr);
        return;
    }
    // A record being entered or changed keeps its input: only the table is rebuilt, and the row
    // of the record being changed stays highlighted.
    {
        QScopedValueRollback<bool> hold(m_holdDisplay, true);
        Data_Refresh(QStringLiteral("Nr"), true);
        m_table->findNr(m_shownNr);
    }
    m_table->highlight(m_shownNr);
}

void TarvexMain::mnuHelpSub_Click(int element) {
    if (element == 0) {
        HelpPage::showFor(this);
    } else if (element == 2) {
        InfoBox box(m_bDebug, this);
        box.exec();
    }
}

void TarvexMain::mnuDSSub_Click(int element) {
    switch (element) {
    case 0:
        DS_Neu();
        break;
    case 1:
        DS_Aendern();
        break;
    case 2:
        DS_Loeschen();
        break;
    case 3:
        DS_Speichern();
        break;
    case 5:
        // "S&uchen" takes the user to the search row.
        m_searchRow->focusFirst();
        break;
    default:
        break;
    }
}

void TarvexMain::DS_Neu() {
    const RecordController::NewRecord created =
        m_records->DS_Neu(m_form->texts(), m_table->currentSummary());
    if (!created.started)
        return;
    setWindowTitle(editCaption(EditState::New));
    m_form->setEditState(EditState::New, m_records->choiceLists());
    m_form->showTexts(created.texts);
    updateMenus();
    m_form->focusField(fieldIndex(created.copied ? u"Nr" : u"KNach"));
}

void TarvexMain::DS_Aendern() {
    if (!m_records->DS_Aendern())
        return;
    setWindowTitle(editCaption(EditState::Change));
    m_form->setEditState(EditState::Change, m_records->choiceLists());
    updateMenus();
    m_form->focusField(fieldIndex(u"KNach"));
}

void TarvexMain::DS_Loeschen() {
    const RecordController::Deletion d = m_records->DS_Loeschen(m_table->currentSummary());
    if (!d.refresh)
        return;
    // The deleted number was shown last; it does not go into the history.
    m_shownNr.clear();
    refreshAndShow(d.neighbour.value_or(QString()));
}

void TarvexMain::refreshAndShow(const QString& nr) {
    // The search stays; the sort returns to the number. The first row the rebuilt set stands on
    // is not shown on the way (nor kept in the history) when the record is found in it.
    {
        QScopedValueRollback<bool> hold(m_holdDisplay, true);
        Data_Refresh(QStringLiteral("Nr"), true);
    }
    if (nr.isEmpty() || !m_table->findNr(nr))
        Data_Reposition();
}

bool TarvexMain::DS_Speichern(bool closing) {
    m_form->commitFocusedField();
    RecordTexts typed = m_form->texts();
    if (isEditing(m_records->state())) {
        // The placeholders stand in the controls before the question, whatever its answer.
        applyPlaceholders(typed);
        m_form->showTexts(typed);
    }
    const RecordController::SaveResult r = m_records->DS_Speichern(typed, closing);
    if (r.outcome == RecordController::Saved::NotEditing)
        return true;
    m_form->showTexts(r.texts);
    if (r.outcome == RecordController::Saved::Kept) {
        // Still editing, with every input in place and "&Speichern" at hand.
        updateMenus();
        if (r.problemField >= 0)
            m_form->focusField(r.problemField);
        return false;
    }
    enterBrowseState(r.numberToFind);
    return true;
}

void TarvexMain::enterBrowseState(const QString& numberToFind) {
    m_form->setEditState(EditState::Browse, m_records->choiceLists());
    // The saved (or, after a discard, the unchanged) record; when it is not in the list, the
    // first row is shown.
    refreshAndShow(numberToFind);
    setWindowTitle(browseCaptionAfterSave());
    updateMenus();
    m_table->setFocus();
}
