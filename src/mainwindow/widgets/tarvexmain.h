#pragma once

#include "filelocations.h"
#include "instanceguard.h"
#include "layout.h"
#include "printdialog.h"
#include "refreshretry.h"
#include "settings.h"
#include "startup.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class BackupCommands;
class ChildInformation;
class DataControl;
class HistoryRow;
class InfoBox;
class MainMenus;
class MessageBoxes;
class QFrame;
class QLabel;
class RecordController;
class RecordForm;
class RecordTable;
class SearchRow;
class SettingsCommands;
class TransferCommands;

// The program's main window. It creates its parts (the record form, the table with its search
// and history rows, the menus, the start-up, the single-instance guard and the command parts),
// connects them, lays the window out and hands what the user sees and types to the record
// controller, which owns the record shown; the table owns the current row.
class TarvexMain : public QMainWindow {
    Q_OBJECT
  public:
    struct Options {
        QString programFolder; // the executable's folder; one running instance per folder
        // Where Tarvex.ini and a database named by a relative NameDB live; an empty folder is
        // the program folder.
        FileLocations files;
        QStringList arguments; // command line without the program's own path
        // Every question, dialog and progress of the program goes through here.
        MessageBoxes* boxes = nullptr;
        int startScreenMs = 3000;
        bool singleInstance = true;
        // Changes what the print dialog is given before it opens (its printer, the printer
        // check); empty: the dialog as the user sees it.
        std::function<void(PrintDialog::Setup&)> printSetup;
        // The time now for the backups and the dates of files; empty: the system's clock.
        std::function<QDateTime()> clock;
        // Where the information for parents and exported tables are proposed; empty: the
        // user's documents folder.
        QString documentsFolder;
    };

    explicit TarvexMain(const Options& options);
    ~TarvexMain() override;

    // Runs the start-up. Returns false when the program must end at once (a second instance,
    // a refused or failed start); the window then has written nothing.
    bool start();
    // The start screen's time is up: it closes and the window goes into use.
    void finishStartScreen();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildWindow();
    void connectParts();
    void connectCommands();
    void applyLayout();
    // The settings read at the start shown in the window: size, tab, column widths, address.
    void applySettings();
    void shutDown();

    // The window's record set and the record display.
    void refreshTable(const QString& sortBy, bool ascending);
    void showCurrentRecord();
    void recordGone(const QString& nr);
    void tableRowChosen(int row);
    void historyStep(bool back, int index);
    void sortTable(bool ascending);
    void optionsApplied(const Settings& applied);

    // The record commands.
    void newRecord();
    void changeRecord();
    void deleteRecord();
    // Returns whether the window is browsing afterwards (stored or discarded).
    bool saveRecord(bool closing = false);
    void refreshAndShow(const QString& nr);
    void updateMenus();

    Options m_options;
    MessageBoxes& m_boxes;
    StartUp m_startUp;
    InstanceGuard m_instanceGuard;
    Settings m_settings;
    bool m_debug = false;   // diagnostic mode
    bool m_started = false; // the start-up went through; the settings are written at the end
    std::unique_ptr<RecordController> m_records;
    QTimer m_startScreenTimer;
    QPointer<InfoBox> m_startScreen;
    MainLayout m_layout; // twips, recomputed on every resize
    bool m_holdDisplay = false;
    // A rebuild the other workstation's lock held up, tried again until it goes through.
    RefreshRetry m_refreshRetry;

    QFrame* m_frame = nullptr;
    QLabel* m_headerLeft = nullptr;
    QLabel* m_headerRight = nullptr;
    QLabel* m_kindergartenName = nullptr;
    QLabel* m_currentRecordLabel = nullptr;
    QLabel* m_statusPanel = nullptr; // the status bar panel for help texts and messages
    DataControl* m_navigator = nullptr;
    HistoryRow* m_historyRow = nullptr;
    SearchRow* m_searchRow = nullptr;
    RecordTable* m_table = nullptr;
    RecordForm* m_form = nullptr;
    MainMenus* m_menus = nullptr;
    BackupCommands* m_backups = nullptr;
    TransferCommands* m_transfer = nullptr;
    ChildInformation* m_childInformation = nullptr;
    SettingsCommands* m_settingsCommands = nullptr;
};
