#pragma once

#include "database.h"
#include "history.h"
#include "infobox.h"
#include "layout.h"
#include "messageboxes.h"
#include "settings.h"

#include <QLockFile>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class DataControl;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPageSetupDialog;
class QModelIndex;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class SnapshotModel;

// The program's main window: start-up and shutdown, the record form, the table of records with
// its search row and history, the menus and the layout.
class TarvexMain : public QMainWindow {
    Q_OBJECT
  public:
    struct Options {
        QString programFolder; // where Tarvex.ini and a relative database live
        QStringList arguments; // command line without the program's own path
        MessageBoxes* boxes = nullptr;
        int startScreenMs = 3000;
        bool singleInstance = true;
    };

    explicit TarvexMain(const Options& options);
    ~TarvexMain() override;

    // Runs the start-up. Returns false when the program must end at once (a second instance,
    // a refused or failed start); the window then has written nothing.
    bool Form_Load();

    // Where the lock of a running instance for this program folder lives.
    static QString instanceLockPath(const QString& programFolder);

    // Program flags.
    bool bBeenden = false;
    bool bDebug = false;
    // Edit flags: browse when both are false.
    bool bDSNeu = false;
    bool bDSAendern = false;

    Settings settings;

    // Twips of the current screen (1440 per inch) and pixels.
    int twipsToPixelsX(double twips) const;
    int twipsToPixelsY(double twips) const;
    int pixelsToTwipsX(int px) const;
    int pixelsToTwipsY(int px) const;

    // Record controls.
    QLineEdit* txtNr = nullptr;
    std::array<QLineEdit*, 56> txtAngaben{};
    std::array<QLineEdit*, 4> txtBerechnung{};
    QLineEdit* txtGAnz = nullptr;
    QPlainTextEdit* txtBem = nullptr;
    QCheckBox* chckKEssen = nullptr;
    QComboBox* cmbKKonf = nullptr;
    QComboBox* cmbKNat = nullptr;
    QComboBox* cmbMKonf = nullptr;
    QComboBox* cmbMNat = nullptr;
    QComboBox* cmbVKonf = nullptr;
    QComboBox* cmbVNat = nullptr;
    std::array<QLabel*, 12> siblingLabels{};

    // Frame, table and navigation.
    QFrame* FrameAllg = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QTableView* DataGrid = nullptr;
    SnapshotModel* gridModel = nullptr;
    DataControl* Data = nullptr;
    QLabel* lblAktDS = nullptr;
    QLabel* lblKiga = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* lblSuchInf = nullptr;
    std::array<QLineEdit*, 6> txtSuch{};
    std::array<QLabel*, 6> lblSuch{};
    QPushButton* cmdSucheLoeschen = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdForward = nullptr;
    QComboBox* cmbBack = nullptr;
    QComboBox* cmbForward = nullptr;
    QLabel* kMain = nullptr; // the status bar panel for help texts

    // Menus: entries by element number, as the menu arrays are numbered.
    QMenu* mnuFile = nullptr;
    QMenu* mnuEdit = nullptr;
    QMenu* mnuDS = nullptr;
    QMenu* mnuSetup = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* popMenu1 = nullptr;
    QList<QAction*> mnuFileSub, mnuEditSub, mnuDSSub, mnuSetupSub, mnuHelpSub, popMenu1Sub;

    // Layout in twips, recomputed on every resize.
    MainLayout layoutTwips;
    void Form_Resize();

    // Record set of the window and its display.
    void Data_Refresh(const QString& sortBy, bool ascending);
    void Data_Reposition();

    Database* dbDaten() const { return m_db.get(); }
    RecordSet* rsDaten() const { return m_rsDaten.get(); }

    // Column widths of the table, by position, in twips.
    QVector<int> columnWidthsTwips() const;

    // Edit menu, as run when the menu opens.
    void mnuEdit_Click();
    void mnuFileSub_Click(int index);
    void mnuEditSub_Click(int index);
    void mnuHelpSub_Click(int index);
    // Runs the page set-up dialog; tests replace it.
    std::function<void(QPageSetupDialog&)> pageSetupRunner;
    void HelpObj_MenuHelp(const QString& menuText, const QString& menuHelp, bool enabled);

    // Start screen (the about box while the window is prepared); null once closed.
    InfoBox* startScreen() const { return m_startScreen; }
    bool isStartScreenRunning() const { return m_timer1.isActive(); }
    void Timer1_Timer();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  public:
    // Search row, history and table.
    void cmdSucheLoeschen_Click();
    void historyStep(bool back, int index); // index -1: the button, else the list entry
    void popMenu1Sub_Click(int index);
    double GridMausX = 0;
    const NavHistory& history() const { return m_history; }
    QString shownNr() const { return m_shownNr; }

  private:
    bool Start_Init();
    void connectNavigation();
    void DataGrid_SelChange(const QModelIndex& current);
    bool gridRightPress(QWidget* source, QMouseEvent* event);
    void updateHistoryControls();
    void fillRecordMenus(bool hasRecords);
    void blankRecord();
    bool showRecord(const QString& nr);
    void highlightRow(const QString& nr);
    void clearGridSelection();
    void Form_Unload();
    bool acquireInstanceLock();
    void buildWindow();
    void buildHeader(QWidget* frame);
    void buildRecordTabs(QWidget* frame);
    QWidget* buildChildTab();
    QWidget* buildParentsTab();
    QWidget* buildSiblingsTab();
    void buildTableArea(QWidget* frame);
    void buildMenus();
    void buildStatusBar();
    void applyLayout();
    void applyColumnWidths();
    void fitTextToWidth(QLabel* label);
    void setBrowseState();
    void showSiblingRows(const QString& count);
    void showError(const QString& place, int number, const QString& description,
                   const QStringList& closingLines = {});

    Options m_options;
    MessageBoxes& m_boxes;
    SettingsFile m_settingsFile;
    std::unique_ptr<QLockFile> m_instanceLock;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<RecordSet> m_rsDaten;
    QTimer m_timer1;
    QPointer<InfoBox> m_startScreen;
    QVector<int> m_columnWidths; // twips by column position
    bool m_applyingWidths = false;
    bool m_started = false;
    bool m_programSelecting = false;
    QString m_shownNr; // number of the record really shown; empty for the blank record
    QString m_lastSort = QStringLiteral("Nr");
    bool m_lastAscending = true;
    NavHistory m_history;
    QPointer<QWidget> m_editTarget; // text control the edit menu acts on
    // Commands whose actions come with later work stay disabled until then.
    bool m_printAvailable = false;
    bool m_changeAvailable = false;
    bool m_deleteAvailable = false;
};
