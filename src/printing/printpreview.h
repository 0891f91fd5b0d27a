#pragma once

#include "previewlayout.h"

#include <QDialog>
#include <QPicture>

#include <array>
#include <vector>

class ListDocument;
class QLabel;
class QScrollBar;
class QWidget;

// "Voransicht": the pages of a list one at a time, at the sheet's own size, with scroll bars for
// a sheet larger than the window and a status bar to page through them. Pages are kept as their
// recorded paint commands; a page is recorded from the list's plan the first time it is shown.
class PrintPreview : public QDialog {
    Q_OBJECT
  public:
    explicit PrintPreview(const ListDocument& document, QWidget* parent = nullptr);
    ~PrintPreview() override;

    int currentPage() const { return m_index; }
    int pageCount() const { return int(m_pages.size()); }
    // How many pages have been recorded so far.
    int recordedPages() const;
    QSize sheetSize() const { return m_sheet; }
    const PreviewLayout& layout() const { return m_layout; }

    // The status bar's panels by their number, 1 to 5: "<<", the page counter, ">>", a message
    // and "Exit". A click on 1, 3 or 5 pages back, pages on or closes the window.
    void panelClicked(int panel);
    // Writes the page counter and, when text is not empty, the message panel.
    void StatusBarAktualisieren(const QString& text = QString());

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showPage(int index);
    void relayout();
    const QPicture& page(int index);

    const ListDocument& m_document;
    std::vector<QPicture> m_pages;
    std::vector<bool> m_recorded;
    int m_index = 0;
    bool m_shownOnce = false;
    QSize m_sheet;
    PreviewLayout m_layout;

    QWidget* m_picShow = nullptr;
    QScrollBar* m_vScroll = nullptr;
    QScrollBar* m_hScroll = nullptr;
    QWidget* m_statusBar = nullptr;
    std::array<QLabel*, 5> m_panels{};
};
