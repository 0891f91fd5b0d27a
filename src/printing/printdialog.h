#pragma once

#include "messageboxes.h"
#include "settings.h"

#include <QDialog>
#include <QPrinter>

#include <array>
#include <functional>
#include <memory>

class Database;
class ListDocument;
class ListProgress;
class PrintPreview;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPageSetupDialog;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class QToolButton;
struct PageGeometry;

// "Drucken ...": one of the three lists printed, previewed or saved as a PDF file, in the
// orientation and number of copies chosen. The dialog never reaches into the main window: it
// gets what it needs in a Setup, and reports a changed orientation by hochformatChanged().
//
// Use from the main window's "&Drucken..." entry:
//
//     PrintDialog::Setup setup;
//     setup.database = <the open database>;
//     setup.settings = <the settings in memory>;
//     setup.boxes = <the message boxes>;
//     setup.openPageLayout = [..] { <options dialog on its "Seitenlayout" tab>; return settings; };
//     PrintDialog dialog(setup, this);
//     connect(&dialog, &PrintDialog::hochformatChanged, this,
//             [..](bool portrait) { <settings>.Hochformat = portrait; });
//     dialog.exec();
class PrintDialog : public QDialog {
    Q_OBJECT
  public:
    struct Setup {
        Database* database = nullptr; // the lists run their own queries on it
        Settings settings;            // fonts, margins, orientation and letterhead
        // Asks every question and runs every dialog this one opens (the printer set-up, the
        // save dialog, the preview) and sees the progress of a long list.
        MessageBoxes* boxes = nullptr;
        // "Seitenlayout": shows the options dialog on its page-layout tab and returns the
        // settings as they are afterwards. Without it the button is disabled.
        std::function<Settings()> openPageLayout;

        // The printer the lists are printed on and the printer set-up shows; empty: the print
        // system's default printer (a PDF printer on an A4 sheet where there is none).
        std::shared_ptr<QPrinter> printer;
        // Whether the print system has a printer; empty: asks the print system.
        std::function<bool()> printerAvailable;
        // Runs before each print job with the copy's number (from 1).
        std::function<void(QPrinter&, int copy)> beforeJob;
        // Where the PDF file is proposed; empty: the user's documents folder.
        QString documentsFolder;
    };

    explicit PrintDialog(Setup setup, QWidget* parent = nullptr);
    ~PrintDialog() override;

    const Settings& settings() const { return m_setup.settings; }
    // The list chosen, 0 to 2.
    int chosenList() const;

  signals:
    // The orientation was changed in the dialog, by the page set-up or the page layout.
    void hochformatChanged(bool portrait);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QGroupBox* buildListFrame();
    QGroupBox* buildOrientationFrame();
    QGroupBox* buildCopiesFrame();
    QGroupBox* buildSettingsFrame();

    void setHochformat(bool portrait);
    void showHochformat();
    void cmdPrnSetup_Click();
    void cmdDruckenOption_Click();
    void cmdPrint_Click();
    void cmdPreview_Click();
    void cmdPdf_Click();
    // Leaving the copy count: corrects it, and says so for a number over 99. Returns the
    // number of copies, or 0 when the box had to say so.
    int txtAnzahl_LostFocus();

    PageGeometry pageGeometry();
    // Reads the chosen list and plans its pages, with m_progress for a long list; nothing
    // (after saying why, unless the user stopped it) when that fails.
    std::unique_ptr<ListDocument> prepare(const PageGeometry& geometry);
    void savePdf();
    bool hasPrinter() const;
    void tell(const QString& text, MessageBoxes::Icon icon, const QString& title = QString());

    Setup m_setup;
    std::shared_ptr<QPrinter> m_printer;
    std::unique_ptr<ListProgress> m_progress; // while a list is made

    std::array<QRadioButton*, 3> m_optListe{};
    QRadioButton* m_optHoch = nullptr;
    QRadioButton* m_optQuer = nullptr;
    QLabel* m_imgHoch = nullptr;
    QLabel* m_imgQuer = nullptr;
    QLineEdit* m_txtAnzahl = nullptr;
    QWidget* m_upDown = nullptr;
    QPushButton* m_cmdDruckenOption = nullptr;
    QPushButton* m_cmdPrnSetup = nullptr;
    QPushButton* m_cmdPrint = nullptr;
    QPushButton* m_cmdPreview = nullptr;
    QPushButton* m_cmdPdf = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
