#include "listdocument.h"

#include "database.h"
#include "printlists.h"
#include "privatefile.h"
#include "settings.h"
#include "tarvexresources.h"

#include <QDir>
#include <QFileDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>

#include <array>

namespace {

// Rules are drawn this thick, mm.
constexpr double RuleWidth = 0.2;

// The rows of a document made of fixed texts only.
class NoRows final : public ListRows {
  public:
    int rowCount() const override { return 0; }
    QString text(int, int) const override { return {}; }
    QString group(int) const override { return {}; }
};

} // namespace

PageGeometry PageGeometry::of(const QPageLayout& layout) {
    return {layout, layout.fullRect(QPageLayout::Millimeter).size(),
            layout.paintRect(QPageLayout::Millimeter)};
}

std::unique_ptr<ListRows> readListRows(Database& database, const PrintList& list) {
    return snapshotRows(database.openSnapshot(listQuery(list)), int(listFields(list).size()));
}

ListDocument::ListDocument(std::unique_ptr<ListRows> rows, const PrintList& list,
                           const Settings& settings, const PageGeometry& geometry,
                           const QString& date, const PlanProgress& progress)
    : m_rows(std::move(rows)), m_title(QString::fromUtf8(list.title)), m_geometry(geometry),
      m_fonts(settings), m_logo(TarvexResources::headerLeftPicture()) {
    ListRequest request;
    request.fields = listFields(list);
    for (const QString& field : request.fields)
        request.captions << listCaption(field);
    request.grouped = list.grouped;
    request.printable = geometry.printable.size();
    request.date = date;
    const FontMeasure measure(m_fonts);
    m_plan = planList(*m_rows, request, settings, measure, progress);
}

ListDocument::ListDocument(ListPlan plan, const QString& title, const Settings& settings,
                           const PageGeometry& geometry)
    : m_rows(std::make_unique<NoRows>()), m_title(title), m_geometry(geometry), m_fonts(settings),
      m_plan(std::move(plan)), m_logo(TarvexResources::headerLeftPicture()) {}

ListDocument::~ListDocument() = default;

std::unique_ptr<ListDocument> childInfoDocument(const RecordTexts& texts, const Settings& settings,
                                                const QString& date) {
    // A sheet as a printer would take it; the settings' margins lie within.
    const PageGeometry geometry =
        PageGeometry::of(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    auto field = [&texts](const char* name) {
        return texts[size_t(fieldIndex(QString::fromLatin1(name)))];
    };
    const QString childLine = QStringLiteral("%1 %2, Nr. %3, geboren am %4")
                                  .arg(field("KVor"), field("KNach"), field("Nr"), field("KGeb"));
    const PrintFonts fonts(settings);
    const FontMeasure measure(fonts);
    ListPlan plan = planChildInfo(childInfoSections(texts), childLine, settings, measure,
                                  geometry.printable.size(), date);
    return std::make_unique<ListDocument>(std::move(plan), childInfoTitle(), settings, geometry);
}

void ListDocument::paint(QPainter& painter, int page, QPointF originMm) const {
    const PlanPage& p = m_plan.pages.at(size_t(page));
    const QPaintDevice* device = painter.device();
    const int dpiX = device->logicalDpiX();
    const int dpiY = device->logicalDpiY();
    const double u = PrintFonts::UnitsPerMm;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Every device is drawn on in units of 1/1200 inch, the unit the texts were measured in.
    painter.scale(dpiX / PrintFonts::UnitsPerInch, dpiY / PrintFonts::UnitsPerInch);
    painter.translate(originMm * u);
    painter.setPen(QPen(Qt::black, RuleWidth * u));
    for (const PlanLine& l : p.lines)
        painter.drawLine(QPointF(l.x1 * u, l.y1 * u), QPointF(l.x2 * u, l.y2 * u));
    if (p.logo)
        painter.drawImage(QRectF(m_plan.logo.topLeft() * u, m_plan.logo.size() * u), m_logo);

    std::array<QFont, PrintFontCount> fonts;
    std::array<double, PrintFontCount> ascent{};
    for (size_t f = 0; f < fonts.size(); ++f) {
        fonts[f] = m_fonts.deviceFont(PrintFont(f), dpiY);
        ascent[f] = m_fonts.metrics(PrintFont(f)).ascent();
    }
    int current = -1;
    for (const PlanText& t : p.texts) {
        const QString text = m_plan.text(t, *m_rows);
        if (text.isEmpty())
            continue;
        if (int(t.font) != current) {
            current = int(t.font);
            painter.setFont(fonts[size_t(current)]);
        }
        // The plan gives a text's top-left corner; Qt draws from the base line.
        painter.drawText(QPointF(t.x * u, t.y * u + ascent[size_t(current)]), text);
    }
    painter.restore();
}

QPicture ListDocument::record(int page) const {
    QPicture picture;
    QPainter painter(&picture);
    paint(painter, page, m_geometry.printable.topLeft());
    painter.end();
    return picture;
}

OutputResult writePdf(const ListDocument& document, QIODevice& device,
                      const PageProgress& progress) {
    QPdfWriter writer(&device);
    writer.setResolution(int(PrintFonts::UnitsPerInch));
    writer.setTitle(document.title());
    writer.setCreator(QStringLiteral("Tarvex"));
    QPageLayout layout = document.geometry().layout;
    layout.setMode(QPageLayout::FullPageMode);
    layout.setMargins(QMarginsF());
    writer.setPageLayout(layout);
    QPainter painter;
    if (!painter.begin(&writer))
        return OutputResult::Failed;
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (progress && !progress(i, pages)) {
            painter.end();
            return OutputResult::Cancelled;
        }
        if (i > 0 && !writer.newPage())
            return OutputResult::Failed;
        document.paint(painter, i, document.geometry().printable.topLeft());
    }
    return painter.end() ? OutputResult::Done : OutputResult::Failed;
}

OutputResult printJob(const ListDocument& document, QPrinter& printer, const PageProgress& progress,
                      int* pagesSent) {
    if (pagesSent != nullptr)
        *pagesSent = 0;
    QPainter painter;
    if (!painter.begin(&printer))
        return OutputResult::Failed;
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (progress && !progress(i, pages)) {
            const bool withdrawn = printer.abort();
            painter.end();
            if (!withdrawn && pagesSent != nullptr)
                *pagesSent = i;
            return OutputResult::Cancelled;
        }
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return OutputResult::Failed;
        }
        // The printer's origin is the corner of its printable area.
        document.paint(painter, i, QPointF());
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error)
        return OutputResult::Failed;
    if (pagesSent != nullptr)
        *pagesSent = pages;
    return OutputResult::Done;
}

std::optional<QString> askFilePath(QWidget* parent, const FileQuestion& question,
                                   const std::function<void(QFileDialog&)>& runner) {
    QString in = question.folder.isEmpty()
                     ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                     : question.folder;
    // A folder that is not there (no documents folder yet) would be taken for a file name.
    if (!QDir(in).exists())
        in = QDir::homePath();
    QFileDialog dialog(parent, question.title,
                       question.fileName.isEmpty() ? in : QDir(in).filePath(question.fileName),
                       question.filter);
    dialog.setObjectName(question.objectName);
    if (question.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(question.suffix);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (runner)
        runner(dialog);
    else
        dialog.exec();
    if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> askPdfPath(QWidget* parent, const QString& title, const QString& objectName,
                                  const QString& folder, const QString& fileName,
                                  const std::function<void(QFileDialog&)>& runner) {
    return askFilePath(parent,
                       {title, objectName, folder, fileName, QStringLiteral("PDF-Dateien (*.pdf)"),
                        QStringLiteral("pdf"), true},
                       runner);
}

OutputResult savePdf(const ListDocument& document, const QString& path,
                     const PageProgress& progress) {
    QSaveFile file(path);
    if (!openPrivateFile(file))
        return OutputResult::Failed;
    const OutputResult result = writePdf(document, file, progress);
    if (result == OutputResult::Done && !file.commit())
        return OutputResult::Failed;
    return result;
}
