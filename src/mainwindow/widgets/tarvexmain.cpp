#include "tarvexmain.h"

#include "backupcommands.h"
#include "childinformation.h"
#include "datacontrol.h"
#include "helppage.h"
#include "historyrow.h"
#include "infobox.h"
#include "mainmenus.h"
#include "messageboxes.h"
#include "optionsdialog.h"
#include "recordcontroller.h"
#include "recordform.h"
#include "recordtable.h"
#include "refreshquery.h"
#include "screenfit.h"
#include "searchrow.h"
#include "settingscommands.h"
#include "transfercommands.h"
#include "twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QStatusBar>

namespace {

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
      m_startUp(m_options.files, *options.boxes),
      m_records(std::make_unique<RecordController>(*options.boxes)),
      m_refreshRetry([this](const QString& sortBy, bool ascending) {
          if (m_records->isOpen())
              refreshTable(sortBy, ascending);
      }) {
    setObjectName(QStringLiteral("TarvexMain"));
    setWindowTitle(QStringLiteral("Belvonia"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/tarvex.png")));
    m_startScreenTimer.setSingleShot(true);
    m_startScreenTimer.setInterval(options.startScreenMs);
    connect(&m_startScreenTimer, &QTimer::timeout, this, &TarvexMain::finishStartScreen);
    buildWindow();
    connectParts();
    connectCommands();
}

TarvexMain::~TarvexMain() {
    delete m_startScreen.data();
}

void TarvexMain::buildWindow() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    m_frame = new QFrame(central);
    m_frame->setObjectName(QStringLiteral("FrameAllg"));
    m_frame->setFrameShape(QFrame::NoFrame);

    m_headerLeft = new QLabel(m_frame);
    m_headerLeft->setObjectName(QStringLiteral("Image1"));
    m_headerLeft->setPixmap(QPixmap(QStringLiteral(":/pictures/header_left.png")));
    m_headerLeft->setScaledContents(true);
    m_headerRight = new QLabel(m_frame);
    m_headerRight->setObjectName(QStringLiteral("Image2"));
    m_headerRight->setPixmap(QPixmap(QStringLiteral(":/pictures/header_right.png")));
    m_headerRight->setScaledContents(true);
    m_kindergartenName = new QLabel(m_frame);
    m_kindergartenName->setObjectName(QStringLiteral("lblKiga"));
    m_kindergartenName->setAlignment(Qt::AlignCenter);
    m_kindergartenName->setWordWrap(true);
    QFont f = m_kindergartenName->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    f.setBold(true);
    m_kindergartenName->setFont(f);

    m_navigator = new DataControl;
    m_navigator->setCaption(emptyStatusText());
    m_historyRow = new HistoryRow(m_navigator, m_frame);
    m_searchRow = new SearchRow(m_frame);
    m_currentRecordLabel = new QLabel(QStringLiteral("aktueller Datensatz"), m_frame);
    m_currentRecordLabel->setObjectName(QStringLiteral("lblAktDS"));
    m_table = new RecordTable(m_frame);
    m_form = new RecordForm(m_boxes, m_frame);
    m_form->setBrowseFocusTarget(m_table);

    m_statusPanel = new QLabel(this);
    m_statusPanel->setObjectName(QStringLiteral("kMain"));
    statusBar()->addWidget(m_statusPanel, 1);
    statusBar()->setSizeGripEnabled(true);

    m_menus = new MainMenus(this, m_statusPanel);

    const CommandContext context{
        this, &m_boxes, m_records.get(), &m_settings, m_options.documentsFolder, m_options.clock};
    m_backups = new BackupCommands(context, this);
    m_transfer = new TransferCommands(context, *m_table, this);
    m_childInformation = new ChildInformation(context, this);
    m_settingsCommands = new SettingsCommands(context, m_options.printSetup, this);
    updateMenus();

    m_layout = designLayout();
    applyLayout();
}

void TarvexMain::connectParts() {
    connect(m_table, &RecordTable::reposition, this, &TarvexMain::showCurrentRecord);
    connect(m_table, &RecordTable::positionChanged, m_navigator, &DataControl::setPosition);
    connect(m_table, &RecordTable::rowChosen, this, &TarvexMain::tableRowChosen);
    connect(m_table, &RecordTable::sortMenuRequested, this,
            [this](const QPoint& at) { m_menus->sortMenu()->popup(at); });
    connect(m_navigator, &DataControl::moveRequested, m_table, &RecordTable::step);
    connect(m_searchRow, &SearchRow::searchChanged, this,
            [this](int field) { refreshTable(searchFieldNames()[size_t(field)], true); });
    connect(m_searchRow, &SearchRow::cleared, this, [this] { m_table->setFocus(); });
    connect(m_historyRow, &HistoryRow::stepRequested, this, &TarvexMain::historyStep);
    // The server's connection broke, or it is back: the list is read again as it was asked for,
    // with the same child shown; a record being entered or changed keeps its input.
    m_records->setConnectionHandler([this](bool connected) {
        if (!connected) {
            m_statusPanel->setText(QStringLiteral("Keine Verbindung zum Datenbankserver: Das "
                                                  "Programm verbindet sich neu, sobald der Server "
                                                  "antwortet."));
            return;
        }
        m_statusPanel->clear();
        const QString shown = m_records->shownNr();
        const bool editing = isEditing(m_records->state());
        {
            QScopedValueRollback<bool> hold(m_holdDisplay, true);
            refreshTable(m_records->lastSort(), m_records->lastAscending());
            if (editing)
                m_table->findNr(shown);
        }
        if (editing)
            m_table->highlight(shown);
        else if (shown.isEmpty() || !m_table->findNr(shown))
            showCurrentRecord();
    });

    connect(m_backups, &BackupCommands::restored, this, [this] { refreshAndShow(QString()); });
    connect(m_transfer, &TransferCommands::imported, this, [this] {
        const QString shown = m_records->shownNr();
        m_records->reopenAfterRestore();
        refreshAndShow(shown);
    });
    connect(m_transfer, &TransferCommands::statusMessage, m_statusPanel, &QLabel::setText);
    connect(m_childInformation, &ChildInformation::statusMessage, m_statusPanel, &QLabel::setText);
    connect(m_childInformation, &ChildInformation::recordGone, this, &TarvexMain::recordGone);
    connect(m_settingsCommands, &SettingsCommands::applied, this, &TarvexMain::optionsApplied);
}

void TarvexMain::connectCommands() {
    const MenuActions& a = m_menus->actions();
    auto on = [this](QAction* action, auto handler) {
        connect(action, &QAction::triggered, this, handler);
    };
    on(a.pageSetup, [this] { m_settingsCommands->pageSetup(); });
    // Never opened on an empty list, whoever asks.
    on(a.print, [this] {
        if (m_menus->actions().print->isEnabled())
            m_settingsCommands->print();
    });
    on(a.quit, [this] { close(); });
    on(a.newRecord, [this] { newRecord(); });
    on(a.changeRecord, [this] { changeRecord(); });
    on(a.deleteRecord, [this] { deleteRecord(); });
    on(a.saveRecord, [this] { saveRecord(); });
    on(a.search, [this] { m_searchRow->focusFirst(); });
    on(a.tableOptions, [this] { m_settingsCommands->openOptions(OptionsDialog::TableTab); });
    on(a.pageOptions, [this] { m_settingsCommands->openOptions(OptionsDialog::PageTab); });
    on(a.addressOptions, [this] { m_settingsCommands->openOptions(OptionsDialog::AddressTab); });
    on(a.restoreBackup, [this] { m_backups->restore(); });
    on(a.childInformation, [this] { m_childInformation->write(); });
    on(a.exportTable, [this] { m_transfer->exportTable(); });
    on(a.exportAll, [this] { m_transfer->exportAll(); });
    on(a.importRecords, [this] { m_transfer->importRecords(); });
    on(a.help, [this] { HelpPage::showFor(this); });
    on(a.about, [this] { InfoBox(m_debug, this).exec(); });
    on(a.sortAscending, [this] { sortTable(true); });
    on(a.sortDescending, [this] { sortTable(false); });
}

void TarvexMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ::fitToWindow(m_layout, toTwipsX(this, width()), toTwipsY(this, height()));
    applyLayout();
}

void TarvexMain::applyLayout() {
    auto px = [this](const TwipRect& r) {
        return QRect(toPixelsX(this, r.left), toPixelsY(this, r.top), toPixelsX(this, r.width),
                     toPixelsY(this, r.height));
    };
    const MainLayout& l = m_layout;
    m_frame->setGeometry(px(l.FrameAllg));
    // A window smaller than the layout scrolls the table and the form instead of cutting them off.
    const QRect shown(-m_frame->pos(), centralWidget()->size());
    m_table->setGeometry(px(l.DataGrid).intersected(shown));
    m_form->setGeometry(px(l.SSTab1).intersected(shown));
    m_currentRecordLabel->setGeometry(px(l.lblAktDS));
    m_headerLeft->setGeometry(px(l.Image1));
    m_headerRight->setGeometry(px(l.Image2));
    m_kindergartenName->setGeometry(px(l.lblKiga));

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
    const MenuActions& a = m_menus->actions();
    const bool open = m_records->isOpen();
    const bool hasRecords = m_table->recordCount() > 0;
    const RecordMenuStates s = recordMenuStates(m_records->state(), hasRecords);
    a.newRecord->setEnabled(s.neu && open);
    a.changeRecord->setEnabled(s.aendern);
    a.deleteRecord->setEnabled(s.loeschen);
    a.saveRecord->setEnabled(s.speichern);
    // The lists are printed from the file; an empty table has nothing to print.
    a.print->setEnabled(hasRecords && open);
    // The commands of "E&xtras" wait while a record is entered or changed; the information for
    // parents follows the record really shown.
    const bool browsing = open && !isEditing(m_records->state());
    a.restoreBackup->setEnabled(browsing && m_backups->available());
    a.childInformation->setEnabled(browsing && !m_records->shownNr().isEmpty());
    for (QAction* command : {a.exportTable, a.exportAll, a.importRecords})
        command->setEnabled(browsing);
}

void TarvexMain::refreshTable(const QString& sortBy, bool ascending) {
    m_refreshRetry.stop();
    auto rows =
        m_records->Data_Refresh(m_searchRow->texts(), m_settings.Tabelle, sortBy, ascending);
    if (rows) {
        if (m_refreshRetry.wentThrough())
            m_statusPanel->clear();
        m_table->setRecordset(std::move(rows));
        return;
    }
    // The window keeps its rows after a failure. While another workstation holds the file, the
    // list would no longer match the search row: say so, and try again until it goes.
    if (m_records->refreshLocked()) {
        m_statusPanel->setText(
            QStringLiteral("Die Datenbank ist gerade von einem anderen "
                           "Arbeitsplatz gesperrt: Die Liste entspricht noch nicht "
                           "der Suche und wird aktualisiert, sobald die Sperre "
                           "aufgehoben ist."));
        m_refreshRetry.heldUp(sortBy, ascending);
    }
}

void TarvexMain::showCurrentRecord() {
    updateMenus();
    // The information for parents follows the record really shown.
    const auto shownChanged = qScopeGuard([this] { updateMenus(); });
    if (m_holdDisplay)
        return; // a record set rebuilt to find a record in it: only that record is shown
    const bool editing = isEditing(m_records->state());
    if (m_table->recordCount() == 0) {
        // Being typed stays as it is; browsing shows the blank record.
        if (!editing) {
            m_form->blank();
            m_records->forgetShown();
        }
        m_navigator->setCaption(emptyStatusText());
        m_table->clearHighlight();
        return;
    }
    if (editing)
        return;
    const QString nr = m_table->currentNr();
    // History: the number left is that of the record really shown (none for the blank one).
    m_historyRow->recordMove(m_records->shownNr(), nr);
    const RecordController::ReadResult read = m_records->Data_Reposition(nr);
    if (read.outcome == RecordController::Read::Missing) {
        recordGone(nr);
        return;
    }
    if (read.outcome == RecordController::Read::Done) {
        m_form->showTexts(read.texts);
        auto text = [&read](const char* name) {
            return read.texts[size_t(fieldIndex(QString::fromLatin1(name)))];
        };
        m_navigator->setCaption(statusText(text("Nr"), text("KNach"), text("KVor")));
    }
    if (!m_table->highlight(nr) && m_debug) {
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
    m_records->forgetShown();
    m_navigator->setCaption(emptyStatusText());
    m_boxes.show(this,
                 QStringLiteral("Der Datensatz Nr. %1 ist nicht mehr vorhanden. Er wurde "
                                "vermutlich an einem anderen Arbeitsplatz gelöscht.\r\r"
                                "Die Tabelle wird neu geladen.")
                     .arg(nr),
                 MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
    QTimer::singleShot(0, this,
                       [this] { refreshTable(m_records->lastSort(), m_records->lastAscending()); });
}

void TarvexMain::tableRowChosen(int row) {
    // While a record is being entered or changed, the table moves nothing.
    if (isEditing(m_records->state())) {
        m_table->highlight(m_records->shownNr());
        return;
    }
    if (row == m_table->currentRow() && m_table->currentNr() == m_records->shownNr())
        return;
    m_table->moveToRow(row);
}

void TarvexMain::historyStep(bool back, int index) {
    if (isEditing(m_records->state()))
        return; // the record being edited stays; the lists stay as they are
    const QString missing =
        m_historyRow->step(back, index, m_records->shownNr(),
                           [this](const QString& nr) { return m_table->findNr(nr); });
    if (!missing.isEmpty()) {
        m_statusPanel->setText(QStringLiteral("Datensatz Nr. %1 ist in der aktuellen Auswahl nicht "
                                              "enthalten.")
                                   .arg(missing));
        return;
    }
    m_table->setFocus();
}

void TarvexMain::sortTable(bool ascending) {
    if (m_table->recordset() == nullptr)
        return;
    const int column = m_table->sortMenuColumn();
    if (m_debug)
        m_boxes.show(this, QStringLiteral("gewählte Spalte <%1>").arg(column),
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::None);
    const QString field = m_table->sortMenuField();
    if (!field.isEmpty())
        refreshTable(field, ascending);
}

void TarvexMain::optionsApplied(const Settings& applied) {
    // The dialog's copy was taken from these settings; the window changes none of them while the
    // modal dialog is open.
    m_settings = applied;
    m_kindergartenName->setText(m_settings.Name);
    // The table takes the new column choice, and the same child stays shown.
    if (!isEditing(m_records->state())) {
        refreshAndShow(m_records->shownNr());
        return;
    }
    // A record being entered or changed keeps its input: only the table is rebuilt, and the row
    // of the record being changed stays highlighted.
    {
        QScopedValueRollback<bool> hold(m_holdDisplay, true);
        refreshTable(QStringLiteral("Nr"), true);
        m_table->findNr(m_records->shownNr());
    }
    m_table->highlight(m_records->shownNr());
}

void TarvexMain::newRecord() {
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

void TarvexMain::changeRecord() {
    if (!m_records->DS_Aendern())
        return;
    setWindowTitle(editCaption(EditState::Change));
    m_form->setEditState(EditState::Change, m_records->choiceLists());
    updateMenus();
    m_form->focusField(fieldIndex(u"KNach"));
}

void TarvexMain::deleteRecord() {
    const RecordController::Deletion d = m_records->DS_Loeschen(m_table->currentSummary());
    if (!d.refresh)
        return;
    // The deleted number was shown last; it does not go into the history.
    m_records->forgetShown();
    refreshAndShow(d.neighbour.value_or(QString()));
}

void TarvexMain::refreshAndShow(const QString& nr) {
    // The search stays; the sort returns to the number. The first row the rebuilt set stands on
    // is not shown on the way (nor kept in the history) when the record is found in it.
    {
        QScopedValueRollback<bool> hold(m_holdDisplay, true);
        refreshTable(QStringLiteral("Nr"), true);
    }
    if (nr.isEmpty() || !m_table->findNr(nr))
        showCurrentRecord();
}

bool TarvexMain::saveRecord(bool closing) {
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
    m_form->setEditState(EditState::Browse, m_records->choiceLists());
    // The saved (or, after a discard, the unchanged) record; when it is not in the list, the
    // first row is shown.
    refreshAndShow(r.numberToFind);
    setWindowTitle(browseCaptionAfterSave());
    updateMenus();
    m_table->setFocus();
    return true;
}

bool TarvexMain::start() {
    // A second instance ends at once, silently, and writes nothing.
    if (m_options.singleInstance && !m_instanceGuard.acquire(m_options.programFolder))
        return false;
    // The window takes no input until the start screen has gone.
    setEnabled(false);
    const bool started = m_startUp.run(m_options.arguments, m_settings, *m_records);
    m_debug = m_startUp.debug();
    if (!started)
        return false;
    applySettings();
    m_historyRow->disableAll();
    refreshTable(QStringLiteral("Nr"), true);
    m_backups->atStart();
    show();
    m_startScreen = new InfoBox(m_debug, this);
    m_startScreen->setAttribute(Qt::WA_DeleteOnClose);
    m_startScreen->setModal(false);
    m_startScreen->show();
    m_startScreen->raise();
    m_startScreenTimer.start();
    m_started = true;
    return true;
}

void TarvexMain::applySettings() {
    m_kindergartenName->setText(m_settings.Name);
    placeOnScreen(this,
                  QRect(toPixelsX(this, m_settings.Links), toPixelsY(this, m_settings.Oben),
                        toPixelsX(this, m_settings.Breite), toPixelsY(this, m_settings.Hoehe)));
    if (m_settings.Tab >= 0 && m_settings.Tab < m_form->count())
        m_form->setCurrentIndex(m_settings.Tab);
    m_table->setColumnWidthsTwips(m_settings.SpBreite);
}

void TarvexMain::finishStartScreen() {
    if (m_startScreen)
        m_startScreen->close();
    m_startScreenTimer.stop();
    setEnabled(true);
    updateMenus();
    m_table->setFocus();
}

void TarvexMain::closeEvent(QCloseEvent* event) {
    // No closing while the start screen still runs: the window is not yet in use.
    if (m_startScreenTimer.isActive()) {
        event->ignore();
        return;
    }
    // A record being entered or changed is not dropped without a word: the save question,
    // with Cancel to go back to the record.
    if (m_started && isEditing(m_records->state()) && !saveRecord(true)) {
        event->ignore();
        return;
    }
    shutDown();
    event->accept();
}

void TarvexMain::shutDown() {
    if (!m_started)
        return;
    m_settings.Tab = m_form->currentIndex();
    m_settings.Hoehe = toTwipsY(this, height());
    m_settings.Breite = toTwipsX(this, width());
    m_settings.SpBreite = m_table->columnWidthsTwips();
    m_settings.AnzahlSp = int(m_settings.SpBreite.size());
    m_startUp.saveSettings(m_settings);
    m_table->closeRecordset();
    m_backups->atShutdown();
    m_records->close();
    m_started = false;
    m_instanceGuard.release();
}
