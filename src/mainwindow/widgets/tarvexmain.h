#pragma once

#include "filelocations.h"
#include "layout.h"
#include "mainmenus.h"
#include "printdialog.h"
#include "settings.h"

#include <QLockFile>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace csvexport {
enum class Result;
}
class AutomaticBackups;
class ImportDialog;
class ListProgress;
class QProgressDialog;
class DataControl;
class QFileDialog;
class RestoreDialog;
class HistoryRow;
class InfoBox;
class MessageBoxes;
class QFontDialog;
class QFrame;
class QLabel;
class QPageSetupDialog;
class RecordController;
class RecordForm;
class RecordTable;
class SearchRow;

// The program's main window: it composes the record form, the table with its search and history
// rows and the menus, runs start-up and shutdown, lays the window out and turns the commands of
// the menus into calls of the record controller.
class TarvexMain : public QMainWindow {
    Q_OBJECT
  public:
    struct Options {
        QString programFolder; // the executable's folder; one running instance per folder
        // Where Tarvex.ini and a database named by a relative NameDB live; an empty folder is
        // the program folder.
        FileLocations files;
        QStringList arguments; // command line without the program's own path
        MessageBoxes* boxes = nullptr;
        int startScreenMs = 3000;
        bool singleInstance = true;
        // Runs the page set-up dialog; empty: exec() it.
        std::function<void(QPageSetupDialog&)> pageSetupRunner;
        // Runs the font dialog of the options; empty: exec() it.
        std::function<void(QFontDialog&)> fontDialogRunner;
        // Changes what the print dialog is given before it opens (its own dialogs' runners, the
        // printer check); empty: the dialog as the user sees it.
        std::function<void(PrintDialog::Setup&)> printSetup;
        // The time now for the backups and the date of the information for parents; empty: the
        // system's clock.
        std::function<QDateTime()> clock;
        // Runs the restore dialog and the save dialog of the information for parents; empty:
        // exec() them.
        std::function<void(RestoreDialog&)> restoreDialogRunner;
        std::function<void(QFileDialog&)> fileDialogRunner;
        // Where the information for parents and exported tables are proposed; empty: the
        // user's documents folder.
        QString documentsFolder;
        // Runs at every step of a long job's progress (printing aside); tests cancel from here.
        std::function<void(QProgressDialog&)> progressHook;
        // Asks for the database server's password with this prompt (nothing: cancelled); empty:
        // a password dialog.
        std::function<std::optional<QString>(const QString& prompt)> passwordRunner;
        // Runs the import's preview; empty: exec() it.
        std::function<void(ImportDialog&)> importDialogRunner;
    };

    explicit TarvexMain(const Options& options);
    ~TarvexMain() override;

    // Runs the start-up. Returns false when the program must end at once (a second instance,
    // a refused or failed start); the window then has written nothing.
    bool Form_Load();
    // The start screen's one tick: it closes and the window goes into use.
    void Timer1_Timer();

    // Where the lock of a running instance for this program folder lives.
    static QString instanceLockPath(const QString& programFolder);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    bool Start_Init();
    void startFailed(int number, const QString& description);
    // Opens the database on the server at uri: asks for a password when the server wants one,
    // offers to make a missing table, and says what is wrong when the server cannot be reached.
    // Whether it is open.
    bool openServer(const QString& uri);
    std::optional<QString> askPassword(const QString& prompt);
    bool acquireInstanceLock();
    void Form_Unload();
    void settingsWarning(const QString& text, const QString& reason);
    void buildWindow();
    void connectParts();
    void applyLayout();
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    int toTwipsX(int pixels) const;
    int toTwipsY(int pixels) const;

    // The window's record set and the record display.
    void Data_Refresh(const QString& sortBy, bool ascending);
    void Data_Reposition();
    void recordGone(const QString& nr);
    void tableRowChosen(int row);
    void historyStep(bool back, int index);
    void sortMenu(const QPoint& globalPos, double x);

    // Commands.
    void menuChosen(MainMenus::Menu menu, int element);
    void mnuFileSub_Click(int element);
    void mnuDSSub_Click(int element);
    void mnuSetupSub_Click(int element);
    // The options dialog on one of its tabs, above parent.
    void openOptions(int tab, QWidget* parent);
    void openPrintDialog();
    void mnuHelpSub_Click(int element);
    // "E&xtras": restoring a backup, the information for parents (extras.cpp).
    void mnuExtrasSub_Click(int element);
    void updateExtrasMenu();
    void restoreBackup();
    void childInformation();
    // Tables for spreadsheets out and records in (transfer.cpp).
    void exportTable();
    void exportAll();
    void importRecords();
    // Asks for the file and writes it with write, showing the progress over rows; says what
    // went wrong. Whether the file was written.
    bool exportTo(const QString& title, const QString& fileName,
                  const std::function<csvexport::Result(const QString&, ListProgress&)>& write,
                  qint64 rows);
    void backupAtStart();
    void backupAtShutdown();
    QDateTime now() const;
    void optionsApplied(const Settings& applied);
    void DS_Neu();
    void DS_Aendern();
    void DS_Loeschen();
    // Returns whether the window is browsing afterwards (stored or discarded).
    bool DS_Speichern(bool closing = false);
    void enterBrowseState(const QString& numberToFind);
    void refreshAndShow(const QString& nr);
    void updateMenus();

    Options m_options;
    MessageBoxes& m_boxes;
    SettingsFile m_settingsFile;
    Settings m_settings;
    bool m_bBeenden = false; // end without writing the settings
    bool m_bDebug = false;   // diagnostic mode
    std::unique_ptr<QLockFile> m_instanceLock;
    std::unique_ptr<RecordController> m_records;
    std::unique_ptr<AutomaticBackups> m_backups;
    QTimer m_timer1;
    QPointer<InfoBox> m_startScreen;
    bool m_started = false;
    MainLayout m_layout; // twips, recomputed on every resize
    QString m_shownNr;   // number of the record really shown; empty for the blank record
    bool m_holdDisplay = false;
    // A rebuild the other workstation's lock held up, tried again until it goes through.
    QTimer m_refreshRetry;
    bool m_refreshWaiting = false;
    QString m_retrySort;
    bool m_retryAscending = true;

    QFrame* m_frame = nullptr;
    QLabel* m_image1 = nullptr;
    QLabel* m_image2 = nullptr;
    QLabel* m_lblKiga = nullptr;
    QLabel* m_lblAktDS = nullptr;
    QLabel* m_kMain = nullptr; // the status bar panel for help texts
    DataControl* m_data = nullptr;
    HistoryRow* m_historyRow = nullptr;
    SearchRow* m_searchRow = nullptr;
    RecordTable* m_table = nullptr;
    RecordForm* m_form = nullptr;
    MainMenus* m_menus = nullptr;
    double m_gridMausX = 0; // where the sort menu was asked for, in the table's coordinates
};
