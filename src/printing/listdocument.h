#pragma once

#include "childinfo.h"
#include "pageplan.h"
#include "printfonts.h"

#include <QImage>
#include <QPageLayout>
#include <QPicture>
#include <QPointF>

#include <functional>
#include <memory>
#include <optional>

class MessageBoxes;
class QFileDialog;
class QWidget;

class Database;
class ListRows;
class QIODevice;
class QPainter;
class QPrinter;
struct PrintList;
struct Settings;

// The sheet a list is printed on, in millimetres in the orientation printed.
struct PageGeometry {
    QPageLayout layout;
    QSizeF paper;
    QRectF printable; // from the sheet's top-left corner

    static PageGeometry of(const QPageLayout& layout);
};

// Reads the rows of one of the three lists (EngineError when the database refuses).
std::unique_ptr<ListRows> readListRows(Database& database, const PrintList& list);

// One list made ready for output: its rows read, its pages planned for a sheet. The printer,
// the PDF file and the preview all paint its pages with paint().
class ListDocument {
  public:
    ListDocument(std::unique_ptr<ListRows> rows, const PrintList& list, const Settings& settings,
                 const PageGeometry& geometry, const QString& date,
                 const PlanProgress& progress = {});
    // A document whose pages were planned elsewhere from fixed texts only (the information for
    // parents), measured with the fonts of settings.
    ListDocument(ListPlan plan, const QString& title, const Settings& settings,
                 const PageGeometry& geometry);
    ~ListDocument();

    ListPlan::Result result() const { return m_plan.result; }
    int pageCount() const { return int(m_plan.pages.size()); }
    const ListPlan& plan() const { return m_plan; }
    const ListRows& rows() const { return *m_rows; }
    const PageGeometry& geometry() const { return m_geometry; }
    QString title() const { return m_title; }

    // Paints a page with the printable area's top-left corner at originMm (millimetres from
    // the painter's origin).
    void paint(QPainter& painter, int page, QPointF originMm) const;
    // A page's paint commands with the sheet's top-left corner at (0, 0).
    QPicture record(int page) const;

  private:
    std::unique_ptr<ListRows> m_rows;
    QString m_title;
    PageGeometry m_geometry;
    PrintFonts m_fonts;
    ListPlan m_plan;
    QImage m_logo;
};

// The information for parents about the child whose texts are given (childinfo.h), on an A4
// sheet upright, dated date.
std::unique_ptr<ListDocument> childInfoDocument(const RecordTexts& texts, const Settings& settings,
                                                const QString& date);

// Called before each page is drawn, with the pages done and the pages in all; returning false
// stops the output.
using PageProgress = std::function<bool(int done, int total)>;

enum class OutputResult { Done, Cancelled, Failed };

// Writes all pages as a PDF file into device.
OutputResult writePdf(const ListDocument& document, QIODevice& device,
                      const PageProgress& progress = {});

// A file dialog's question: titled title, proposing fileName in folder (the user's documents
// folder when folder is empty), showing the files filter names; a save dialog adds suffix to a
// name without one, an open dialog takes only a file that exists.
struct FileQuestion {
    QString title;
    QString objectName;
    QString folder;
    QString fileName;
    QString filter;
    QString suffix;
    bool save = true;
};

// Asks for a file with a file dialog run by boxes. Returns the chosen path, or nothing when the
// user cancels.
std::optional<QString> askFilePath(QWidget* parent, const FileQuestion& question,
                                   MessageBoxes& boxes);

// Asks where a PDF file goes, a save dialog as askFilePath's.
std::optional<QString> askPdfPath(QWidget* parent, const QString& title, const QString& objectName,
                                  const QString& folder, const QString& fileName,
                                  MessageBoxes& boxes);

// Writes all pages as the PDF file at path. The file appears only when it is complete; one that
// was there stays until then.
OutputResult savePdf(const ListDocument& document, const QString& path,
                     const PageProgress& progress = {});

// Sends all pages to the printer as one job, its pages numbered from 1. A job stopped half-way
// is withdrawn where the print system allows it; where it does not (CUPS), the pages drawn
// until then are printed, and pagesSent tells how many.
OutputResult printJob(const ListDocument& document, QPrinter& printer,
                      const PageProgress& progress = {}, int* pagesSent = nullptr);
