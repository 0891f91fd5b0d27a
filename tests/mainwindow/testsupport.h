#pragma once

#include "controls.h"
#include "menutree.h"
#include "rawaccess.h"
#include "recordingmessageboxes.h"
#include "tarvexmain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMap>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

#include <array>
#include <memory>

class DataControl;
class InfoBox;

// One program folder per test: its own settings file and database.
struct ProgramFolder {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString file(const QString& name) const { return dir.filePath(name); }
    QByteArray read(const QString& name) const { return fileBytes(file(name)); }
    void write(const QString& name, const QByteArray& bytes) const {
        if (!writeFile(file(name), bytes))
            qFatal("cannot write test file");
    }
};

using Record = QMap<QString, QVariant>;
using Answer = MessageBoxes::Answer;

// A record with every text field "-", numbers 0, and the given values over them.
Record childRecord(int nr, const QString& surname, const QString& firstName,
                   const Record& more = {});
// Creates the database file with these records.
void createDatabase(const QString& path, const QList<Record>& records);
// Every stored field of a record, or an empty map when there is none with this number.
Record storedRecord(const QString& databasePath, int nr);
// The numbers stored, ascending.
QList<int> storedNumbers(const QString& databasePath);

// Runs script on the modal dialog named name as soon as it is open; one the script leaves open
// is cancelled. The flag tells whether it opened.
std::shared_ptr<bool> whenOpen(const char* name, std::function<void(QDialog*)> script);

// The window's controls, found by their object names, as a user sees them.
struct WindowView {
    explicit WindowView(TarvexMain* window);

    TarvexMain* window;
    QLineEdit* txtNr;
    std::array<QLineEdit*, 56> txtAngaben{};
    std::array<QLineEdit*, 4> txtBerechnung{};
    QLineEdit* txtGAnz;
    QPlainTextEdit* txtBem;
    QCheckBox* chckKEssen;
    QComboBox* cmbKKonf;
    QComboBox* cmbKNat;
    QComboBox* cmbMKonf;
    QComboBox* cmbMNat;
    QComboBox* cmbVKonf;
    QTabWidget* SSTab1;
    QTableView* DataGrid;
    DataControl* Data;
    std::array<QLineEdit*, 6> txtSuch{};
    QPushButton* cmdSucheLoeschen;
    QPushButton* cmdBack;
    QPushButton* cmdForward;
    QComboBox* cmbBack;
    QComboBox* cmbForward;
    QLabel* kMain;
    QLabel* lblKiga;
    QMenu* mnuFile;
    QMenu* mnuEdit;
    QMenu* popMenu1;
    // The commands by name, and each menu's entries in their order (separators included).
    MenuActions actions;
    QList<QAction*> mnuEditSub, mnuDSSub, mnuSetupSub, popMenu1Sub;

    QAbstractItemModel* gridModel() const;
    QStringList column(int c) const;
    QStringList items(const QComboBox* box) const;
    QString caption() const; // the navigator's status text
    InfoBox* startScreen() const;
    int twipsX(int pixels) const; // pixels of the screen in twips
    int pixelsX(int twips) const;
    void clickRow(int row, int col = 2);
    void pressEnter(QWidget* control);
};

// The main window on a program folder, with recorded message boxes; its dialogs are answered
// through boxes.answer<Dialog>() and cancelled when there is no answer.
struct WindowUnderTest {
    RecordingMessageBoxes boxes;
    std::unique_ptr<TarvexMain> window;
    std::unique_ptr<WindowView> view;
    // Changes what the print dialog is given, as the window would give it.
    std::function<void(PrintDialog::Setup&)> printSetup;
    // The time the window's backups and dates go by: the system's clock unless set.
    std::function<QDateTime()> clock;

    explicit WindowUnderTest(const QString& folder, const QStringList& args = {},
                             bool singleInstance = false, int startScreenMs = 0,
                             const FileLocations& files = {});
    // The start-up, and with finishStartScreen the start screen's end at once.
    bool start(bool finishStartScreen = true);
    void close();
    // The texts of the boxes shown since the last call.
    QStringList takeBoxes();
};

// The base of the window tests: a program folder of its own and the window on it, closed after
// each test with a record still being edited dropped.
class WindowTest : public QObject {
    Q_OBJECT
  protected:
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<WindowUnderTest> w;
    WindowView& m() { return *w->view; }
    QString db() const { return folder->file("TarvexDB.mdb"); }
    // A new folder with these records (and settings); the window started, shown and active.
    void startWith(const QList<Record>& records, const QByteArray& ini = {},
                   const QStringList& args = {});

  private slots:
    void cleanup();
};
