#pragma once

#include "recordingmessageboxes.h"
#include "tarvexmain.h"

#include <QList>
#include <QMap>
#include <QTemporaryDir>
#include <QVariant>

#include <array>
#include <memory>

class DataControl;
class InfoBox;
class QAbstractItemModel;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;

// One program folder per test: its own settings file and database.
struct ProgramFolder {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString file(const QString& name) const { return dir.filePath(name); }
    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
};

using Record = QMap<QString, QVariant>;

// A record with every text field "-", numbers 0, and the given values over them.
Record childRecord(int nr, const QString& surname, const QString& firstName,
                   const Record& more = {});
// Creates the database file with these records.
void createDatabase(const QString& path, const QList<Record>& records);
// Every stored field of a record, or an empty map when there is none with this number.
Record storedRecord(const QString& databasePath, int nr);
// The numbers stored, ascending.
QList<int> storedNumbers(const QString& databasePath);

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
    QComboBox* cmbVNat;
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
    QList<QAction*> mnuFileSub, mnuEditSub, mnuDSSub, mnuSetupSub, mnuHelpSub, popMenu1Sub;

    QAbstractItemModel* gridModel() const;
    QStringList column(int c) const;
    QStringList items(const QComboBox* box) const;
    QString caption() const; // the navigator's status text
    InfoBox* startScreen() const;
    int twipsX(int pixels) const; // pixels of the screen in twips
    int pixelsX(int twips) const;
    void clickRow(int row, int col = 2);
    // Types text into a control as the keyboard would (through the input rules).
    void type(QWidget* control, const QString& text);
    void pressEnter(QWidget* control);
};

// The main window on a program folder, with recorded message boxes.
struct WindowUnderTest {
    RecordingMessageBoxes boxes;
    std::unique_ptr<TarvexMain> window;
    std::unique_ptr<WindowView> view;
    // Answers the options' font dialog; when empty the dialog is cancelled.
    std::function<void(QFontDialog&)> fontDialog;
    // Changes what the print dialog is given, as the window would give it.
    std::function<void(PrintDialog::Setup&)> printSetup;

    explicit WindowUnderTest(const QString& folder, const QStringList& args = {},
                             bool singleInstance = false, int startScreenMs = 0,
                             std::function<void(QPageSetupDialog&)> pageSetup = {},
                             const FileLocations& files = {});
    // Form_Load, and with finishStartScreen the start screen's tick at once.
    bool start(bool finishStartScreen = true);
    void close();
    // The texts of the boxes shown since the last call.
    QStringList takeBoxes();
};
