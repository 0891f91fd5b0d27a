#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class ListRows;
struct Settings;

// The page plan of a printed list: where every text, rule and the logo go on every page, in
// millimetres from the top-left corner of the printable area. It is made without any device:
// the texts are measured through TextMeasure, and the printer, the PDF file and the preview
// only paint the plan.

// The fonts of a list.
enum class PrintFont : quint8 {
    Entry,           // Schrift1: the rows
    Heading,         // Schrift2: column headings and group headings
    Header,          // "Arial" 10: the date and page block and the address lines
    Letterhead,      // "Comic Sans MS" 18 bold: the kindergarten's name
    LetterheadSmall, // "Comic Sans MS" 12 bold: a name too long for the letterhead font
};
constexpr size_t PrintFontCount = 5;

// Sizes of texts in millimetres, as the output draws them.
class TextMeasure {
  public:
    virtual ~TextMeasure() = default;
    virtual double width(PrintFont font, const QString& text) const = 0;
    // The distance from one line to the next.
    virtual double lineHeight(PrintFont font) const = 0;
};

// Column widths fitted to the page, and where each column starts and ends.
struct ColumnFit {
    std::vector<double> width;
    std::vector<double> start;
    std::vector<double> end;
    bool fits = true; // false: even at their least widths the columns run past the right margin
};

// Fits the measured column widths to the printable width. Columns narrower than an even share
// keep their width; the room they leave, less the gaps, goes to the wide columns in proportion
// to how far each exceeds the share (which narrows them when the room is short). A list that
// leaves no room for that keeps its measured widths. The first column starts 2 mm right of the
// left margin.
//
// A row that then still reaches past the right margin has its widest columns narrowed to one
// common width, just so far that the last column ends on the margin. No column is narrowed below
// its caption (captions) or below least; when that is not enough, the captions are given up and
// the columns go down to least. When not even that fits, fits is false. A column narrower than
// these keeps its width.
ColumnFit fitColumns(const std::vector<double>& measured, const std::vector<double>& captions,
                     double least, double printableWidth, double left, double right, double gap);

// A value as it fits into a column: the whole value, or its longest beginning that fits with
// "..." appended ("..." alone when not even one character fits).
struct FittedValue {
    int kept = -1;    // characters kept before "..."; -1 for the whole value
    double width = 0; // width of the text printed
};
FittedValue fitValue(const QString& value, double columnWidth, const TextMeasure& measure,
                     PrintFont font);
QString fittedText(const QString& value, int kept);

struct PlanColumn {
    QString field;
    QString caption;
    double width = 0;
    double start = 0;
    double end = 0;
};

// One text on a page: a fixed text (heading, date, address) or a cell of the list.
struct PlanText {
    float x = 0; // top-left corner of the text
    float y = 0;
    qint32 ref = 0;   // fixed text: index into ListPlan::literals; cell: row * columns + column
    qint32 kept = -1; // a cell cut short: characters kept before "..."; -1 for the whole value
    PrintFont font = PrintFont::Entry;
    bool cell = false;
};

struct PlanLine {
    float x1 = 0;
    float y1 = 0;
    float x2 = 0;
    float y2 = 0;
};

struct PlanPage {
    std::vector<PlanText> texts;
    std::vector<PlanLine> lines;
    bool logo = false; // the first page carries the logo in ListPlan::logo
};

struct ListPlan {
    enum class Result {
        Pages,     // the pages are planned
        NoRoom,    // margins and fonts leave no room for a row below the page header
        TooWide,   // margins, gap and fonts leave no room for the columns side by side
        Cancelled, // the progress callback asked to stop
    };
    Result result = Result::Pages;
    std::vector<PlanColumn> columns;
    std::vector<PlanPage> pages;
    QStringList literals;
    QRectF logo;

    // The text printed for a text of a page.
    QString text(const PlanText& t, const ListRows& rows) const;
    // Every text of a page, top to bottom and left to right within a line.
    QStringList pageTexts(int page, const ListRows& rows) const;
};

// What a list needs besides its rows and the settings.
struct ListRequest {
    QStringList fields;   // the list's columns, Nr first
    QStringList captions; // their headings
    bool grouped = false; // a heading band under "Gruppe : " whenever KGrp changes
    QSizeF printable;     // width and height of the printable area, mm
    QString date;         // printed in the date block
};

// Called now and then while a plan is made; returning false stops it (Result::Cancelled).
using PlanProgress = std::function<bool(int done, int total)>;

// The text of the line an empty list prints below its header.
QString noRecordsText();

// Where a page's header goes: the top, left and right margins and the printable width, mm.
struct HeaderFrame {
    double top = 0;
    double left = 0;
    double right = 0;
    double width = 0;
};
using PageText = std::function<void(double x, double y, PrintFont font, const QString& text)>;
using PageLine = std::function<void(double x1, double y1, double x2, double y2)>;

// The header of a page, written through text and line: the date and the page number on every
// page; with logo (the first page) also the logo's square there, the kindergarten's name in the
// letterhead font and its address. Ends on a rule across the printable width; returns where
// that rule stands.
//
// A letterhead value never reaches the next text on its line or the right margin: a name too
// long for the letterhead font is set in its smaller size, and what is still too long is cut
// with "..." (left out where not even that fits).
double planPageHeader(const PageText& text, const PageLine& line, const TextMeasure& measure,
                      const Settings& settings, const HeaderFrame& frame, const QString& date,
                      int page, QRectF* logo);
// Where the rule below the header of a page after the first stands.
double laterPagesHeaderBottom(const TextMeasure& measure, double top);

// Plans every page of a list: measures captions and values, fits the columns, cuts long values,
// and breaks pages so that a row never comes closer than the bottom margin to the bottom of the
// printable area. Settings give the margins, the gap between columns and the letterhead; the
// fonts are those of measure.
ListPlan planList(const ListRows& rows, const ListRequest& request, const Settings& settings,
                  const TextMeasure& measure, const PlanProgress& progress = {});
