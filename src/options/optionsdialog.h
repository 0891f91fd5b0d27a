#pragma once

#include "optionsmodel.h"

#include <QDialog>

#include <array>
#include <functional>

class MarginBox;
class MessageBoxes;
class QCheckBox;
class QFontDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// "Einstellungen": the table view's column groups, the fonts, margins and orientation of the
// printed lists, and the kindergarten's address, on three tabs. It edits its own copy of the
// settings; Apply and OK report the copy with what was applied through applied(), and Cancel
// drops everything not applied. "Übernehmen" is at hand exactly when the values shown differ
// from those loaded or last applied.
class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    enum Tab { TableTab, PageTab, AddressTab };
    // boxes runs the font dialog; its result tells whether a font was chosen.
    OptionsDialog(const Settings& settings, int tab, MessageBoxes& boxes,
                  QWidget* parent = nullptr);

    // What the controls show, margin texts being typed read as they would be taken.
    OptionsValues values() const;

  signals:
    void applied(const Settings& settings);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    struct FontRow {
        QLabel* name = nullptr;
        QLabel* size = nullptr;
        QLabel* boldOn = nullptr;
        QLabel* boldOff = nullptr;
        QLabel* italicOn = nullptr;
        QLabel* italicOff = nullptr;
        QPushButton* choose = nullptr;
        ListFont font; // the working copy Apply takes
    };

    QWidget* buildTableTab();
    QWidget* buildPageTab();
    QWidget* buildAddressTab();
    QWidget* buildFontFrame();
    QWidget* buildMarginFrame();
    QWidget* buildOrientationFrame();

    void display(const OptionsValues& v);
    void showFont(int row, const ListFont& font);
    void showOrientation(bool portrait);
    // Schrift1_waehlen (row 0, the entry font) and Schrift2_waehlen (row 1, the heading font).
    void chooseFont(int row);
    void updateApply();
    void apply();

    OptionsModel m_model;
    MessageBoxes& m_boxes;

    QTabWidget* m_tabs = nullptr;
    std::array<QCheckBox*, 16> m_chckTab{};
    std::array<FontRow, 2> m_fonts;
    std::array<MarginBox*, OptionsValues::MarginCount> m_margins{};
    QRadioButton* m_optHoch = nullptr;
    QRadioButton* m_optQuer = nullptr;
    QLabel* m_imgHoch = nullptr;
    QLabel* m_imgQuer = nullptr;
    std::array<QLineEdit*, OptionsValues::AddressCount> m_address{};
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdApply = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
