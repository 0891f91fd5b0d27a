#include "pageplan.h"

#include "printlists.h"
#include "settings.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace {

// Header positions, mm: the date block's labels and colons left of the right margin, the
// letterhead and the contact lines right of the left margin, the logo's square.
constexpr double LabelFromRight = 34;
constexpr double ColonFromRight = 21;
constexpr double LetterheadFromLeft = 20;
constexpr double ContactFromLeft = 60;
constexpr double LogoSize = 16;
// Pages after the first start their date block this much higher.
constexpr double LaterPagesRaise = 5;
// Space between the header and its rule.
constexpr double HeaderRuleGap = 3;
// Space kept free between a letterhead value and the next text on its line.
constexpr double HeaderTextGap = 2;
// The first column starts this far right of the left margin.
constexpr double FirstColumnIndent = 2;
// How many rows pass between two progress reports.
constexpr int ProgressEvery = 256;

const QString Ellipsis = QStringLiteral("...");
// The least a column is narrowed to: five characters and the dots, so that a cut name still
// tells the children apart. Digits stand for characters of an average width.
const QString LeastShown = QStringLiteral("00000...");

// The whole number nearest to x, a half going to the even neighbour.
double nearest(double x) {
    const double down = std::floor(x);
    const double diff = x - down;
    if (diff < 0.5)
        return down;
    if (diff > 0.5)
        return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

// The cut position m, moved back so that a character outside the basic plane stays whole.
int whole(const QString& value, int m) {
    return m > 0 && value.at(m - 1).isHighSurrogate() ? m - 1 : m;
}

// Narrows the widest columns to one common width, none below its floor (nor below its own
// width), until all widths together take no more than room. Returns false, leaving the widths
// as they are, when even the floors take more.
bool narrowWidest(std::vector<double>& widths, const std::vector<double>& floors, double room) {
    double total = 0;
    double least = 0;
    double widest = 0;
    for (size_t k = 0; k < widths.size(); ++k) {
        total += widths[k];
        least += std::min(widths[k], floors[k]);
        widest = std::max(widest, widths[k]);
    }
    if (total <= room)
        return true;
    if (least > room)
        return false;
    auto narrowed = [&](size_t k, double common) {
        return std::min(widths[k], std::max(floors[k], common));
    };
    // The common width grows with the room the columns take: halve between one that fits (none
    // above the floors) and the widest column, which does not.
    double low = 0;
    double high = widest;
    for (int step = 0; step < 64 && high - low > 1e-9; ++step) {
        const double mid = (low + high) / 2;
        double sum = 0;
        for (size_t k = 0; k < widths.size(); ++k)
            sum += narrowed(k, mid);
        (sum <= room ? low : high) = mid;
    }
    for (size_t k = 0; k < widths.size(); ++k)
        widths[k] = narrowed(k, low);
    return true;
}

// The longest beginning of value that fits with "..." appended. Widths grow with every
// character kept, so the search halves the range instead of trying every length.
FittedValue cutValue(const QString& value, double columnWidth, const TextMeasure& measure,
                     PrintFont font) {
    int low = 0; // "..." alone is the answer when nothing longer fits
    double lowWidth = -1;
    int high = int(value.size()) - 1;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        const int m = whole(value, mid);
        const double w = measure.width(font, value.left(m) + Ellipsis);
        if (w <= columnWidth) {
            low = mid;
            lowWidth = w;
        } else {
            high = mid - 1;
        }
    }
    const int kept = whole(value, low);
    if (lowWidth < 0 || kept != low)
        lowWidth = measure.width(font, value.left(kept) + Ellipsis);
    return {kept, lowWidth};
}

class Planner {
  public:
    Planner(const ListRows& rows, const ListRequest& request, const Settings& settings,
            const TextMeasure& measure, const PlanProgress& progress)
        : m_rows(rows), m_request(request), m_settings(settings), m_measure(measure),
          m_progress(progress), m_columnCount(int(request.fields.size())),
          m_top(finiteOr(settings.AbstandO, 10)), m_bottom(finiteOr(settings.AbstandU, 10)),
          m_left(finiteOr(settings.AbstandL, 10)), m_right(finiteOr(settings.AbstandR, 10)),
          m_gap(finiteOr(settings.AbstandTab, 2)), m_width(finiteOr(request.printable.width(), 0)),
          m_height(finiteOr(request.printable.height(), 0)),
          m_h(measure.lineHeight(PrintFont::Entry)),
          m_headingH(measure.lineHeight(PrintFont::Heading)) {}

    ListPlan run();

  private:
    bool report(int done);
    bool measureColumns(std::vector<float>& cellWidths);
    double laterPagesRowTop() const;
    bool leavesNoRoom() const;

    int literal(const QString& text);
    void addText(double x, double y, PrintFont font, const QString& text);
    void addLine(double x1, double y1, double x2, double y2);
    void header(bool first);
    void band();
    void startPage(bool first);
    void groupLines(const QString& group);
    void row(int r, const std::vector<float>& cellWidths);

    const ListRows& m_rows;
    const ListRequest& m_request;
    const Settings& m_settings;
    const TextMeasure& m_measure;
    const PlanProgress& m_progress;
    const int m_columnCount;
    const double m_top, m_bottom, m_left, m_right, m_gap, m_width, m_height;
    const double m_h, m_headingH;

    ListPlan m_plan;
    QHash<QString, int> m_literalIndex;
    PlanPage* m_page = nullptr;
    double m_y = 0;
    bool m_fits = true;
};

bool Planner::report(int done) {
    return !m_progress || m_progress(done, 2 * m_rows.rowCount());
}

// Each column is as wide as its caption in the heading font or its widest value in the entry
// font. The width of every cell is kept, so that a value that fits is not measured again.
bool Planner::measureColumns(std::vector<float>& cellWidths) {
    std::vector<double> captions(size_t(m_columnCount), 0.0);
    for (int c = 0; c < m_columnCount; ++c)
        captions[size_t(c)] =
            std::max(0.0, m_measure.width(PrintFont::Heading, m_request.captions.value(c)));
    std::vector<double> widths = captions;
    const int rowCount = m_rows.rowCount();
    cellWidths.resize(size_t(rowCount) * size_t(m_columnCount));
    for (int r = 0; r < rowCount; ++r) {
        if (r % ProgressEvery == 0 && !report(r))
            return false;
        for (int c = 0; c < m_columnCount; ++c) {
            const QString value = m_rows.text(r, c);
            const float w =
                value.isEmpty() ? 0.0f : float(m_measure.width(PrintFont::Entry, value));
            cellWidths[size_t(r) * size_t(m_columnCount) + size_t(c)] = w;
            widths[size_t(c)] = std::max(widths[size_t(c)], double(w));
        }
    }
    const ColumnFit fit =
        fitColumns(widths, captions, m_measure.width(PrintFont::Entry, LeastShown), m_width, m_left,
                   m_right, m_gap);
    m_fits = fit.fits;
    for (int c = 0; c < m_columnCount; ++c)
        m_plan.columns.push_back({m_request.fields[c], m_request.captions.value(c),
                                  fit.width[size_t(c)], fit.start[size_t(c)], fit.end[size_t(c)]});
    return true;
}

// Where the first row of a page after the first would stand: below the shorter header, an
// empty line and, for a list without groups, the heading band.
double Planner::laterPagesRowTop() const {
    double y = laterPagesHeaderBottom(m_measure, m_top) + m_h;
    if (!m_request.grouped)
        y += 4 + m_headingH;
    return y;
}

// A page that cannot hold one row below its header would give every row a page of its own,
// drawn past the bottom edge. For a grouped list the group lines and one row must also fit
// within the printable area.
bool Planner::leavesNoRoom() const {
    const double y = laterPagesRowTop();
    if (y + m_bottom + m_h > m_height)
        return true;
    return m_request.grouped && y + 3 * m_headingH + 4 + m_h > m_height;
}

int Planner::literal(const QString& text) {
    auto it = m_literalIndex.constFind(text);
    if (it != m_literalIndex.constEnd())
        return it.value();
    const int index = int(m_plan.literals.size());
    m_plan.literals << text;
    m_literalIndex.insert(text, index);
    return index;
}

void Planner::addText(double x, double y, PrintFont font, const QString& text) {
    PlanText t;
    t.x = float(x);
    t.y = float(y);
    t.ref = literal(text);
    t.font = font;
    m_page->texts.push_back(t);
}

void Planner::addLine(double x1, double y1, double x2, double y2) {
    m_page->lines.push_back({float(x1), float(y1), float(x2), float(y2)});
}

void Planner::header(bool first) {
    const PageText text = [this](double x, double y, PrintFont font, const QString& t) {
        addText(x, y, font, t);
    };
    const PageLine line = [this](double x1, double y1, double x2, double y2) {
        addLine(x1, y1, x2, y2);
    };
    HeaderFrame frame{m_top, m_left, m_right, m_width};
    m_y = planPageHeader(text, line, m_measure, m_settings, frame, m_request.date,
                         int(m_plan.pages.size()), first ? &m_plan.logo : nullptr);
    m_page->logo = first;
}

// The column headings between two rules: upper rule 1 mm below the current line, captions
// from 2 mm, lower rule 1 mm below them, the next line 1 mm further.
void Planner::band() {
    const double ruleEnd = m_width - m_right;
    addLine(m_left, m_y + 1, ruleEnd, m_y + 1);
    const double y = m_y + 2;
    for (const PlanColumn& c : m_plan.columns) {
        // A caption wider than its column is cut as a value is.
        const FittedValue fitted = fitValue(c.caption, c.width, m_measure, PrintFont::Heading);
        const double x = c.field == QLatin1String("Nr") ? c.end - fitted.width : c.start;
        addText(x, y, PrintFont::Heading, fittedText(c.caption, fitted.kept));
    }
    m_y = y + m_headingH + 1;
    addLine(m_left, m_y, ruleEnd, m_y);
    m_y += 1;
}

void Planner::startPage(bool first) {
    m_plan.pages.emplace_back();
    m_page = &m_plan.pages.back();
    header(first);
    m_y += m_h; // an empty line
    if (!m_request.grouped)
        band();
}

void Planner::groupLines(const QString& group) {
    m_y += m_headingH; // an empty line in the heading font
    const double x = m_plan.columns.front().start;
    const QString heading = QStringLiteral("Gruppe : ") + group;
    const FittedValue fitted =
        fitValue(heading, m_width - m_right - x, m_measure, PrintFont::Heading);
    addText(x, m_y, PrintFont::Heading, fittedText(heading, fitted.kept));
    m_y += m_headingH;
    band();
}

void Planner::row(int r, const std::vector<float>& cellWidths) {
    for (int c = 0; c < m_columnCount; ++c) {
        const PlanColumn& column = m_plan.columns[size_t(c)];
        FittedValue fitted;
        fitted.width = cellWidths[size_t(r) * size_t(m_columnCount) + size_t(c)];
        if (fitted.width > column.width)
            fitted = cutValue(m_rows.text(r, c), column.width, m_measure, PrintFont::Entry);
        PlanText t;
        t.x = float(column.field == QLatin1String("Nr") ? column.end - fitted.width : column.start);
        t.y = float(m_y);
        t.ref = r * m_columnCount + c;
        t.kept = fitted.kept;
        t.cell = true;
        m_page->texts.push_back(t);
    }
    m_y += m_h;
}

ListPlan Planner::run() {
    if (m_columnCount == 0)
        return m_plan;
    std::vector<float> cellWidths;
    if (!measureColumns(cellWidths)) {
        m_plan.result = ListPlan::Result::Cancelled;
        return m_plan;
    }
    if (!m_fits) {
        m_plan.result = ListPlan::Result::TooWide;
        return m_plan;
    }
    const int rowCount = m_rows.rowCount();
    if (rowCount > 0 && leavesNoRoom()) {
        m_plan.result = ListPlan::Result::NoRoom;
        return m_plan;
    }
    startPage(true);
    if (rowCount == 0) {
        addText(m_plan.columns.front().start, m_y, PrintFont::Entry, noRecordsText());
        return m_plan;
    }
    // Rows without a group before the first group still get their column headings.
    if (m_request.grouped && m_rows.group(0).isEmpty())
        band();
    QString lastGroup;
    bool freshPage = false; // a page after the first with nothing below its header yet
    for (int r = 0; r < rowCount; ++r) {
        if (r % ProgressEvery == 0 && !report(rowCount + r)) {
            m_plan.result = ListPlan::Result::Cancelled;
            m_plan.pages.clear();
            return m_plan;
        }
        // The page test reserves room for one row above the bottom margin.
        if (!freshPage && m_y + m_bottom + m_h > m_height) {
            startPage(false);
            freshPage = true;
        }
        if (m_request.grouped) {
            // A row without a group continues the group before it.
            const QString group = m_rows.group(r);
            if (!group.isEmpty() && group != lastGroup) {
                // The group lines may reach into the bottom margin, but the row below them
                // must stay on the paper.
                if (!freshPage && m_y + 3 * m_headingH + 4 + m_h > m_height)
                    startPage(false);
                groupLines(group);
                lastGroup = group;
            }
        }
        row(r, cellWidths);
        freshPage = false;
    }
    return m_plan;
}

} // namespace

double planPageHeader(const PageText& text, const PageLine& line, const TextMeasure& measure,
                      const Settings& settings, const HeaderFrame& frame, const QString& date,
                      int page, QRectF* logo) {
    const double headerH = measure.lineHeight(PrintFont::Header);
    const double right = frame.width - frame.right;
    const double labelX = right - LabelFromRight;
    const double colonX = right - ColonFromRight;
    const bool first = logo != nullptr;
    const double y = first ? frame.top : frame.top - LaterPagesRaise;
    const QString pageText = QString::number(page);
    // Every text written so far, to keep the letterhead values clear of them.
    std::vector<QRectF> taken;
    auto put = [&](double x, double ty, PrintFont font, const QString& t) {
        text(x, ty, font, t);
        taken.emplace_back(x, ty, measure.width(font, t), measure.lineHeight(font));
    };
    // The room right of x on a line of font from ty: up to the next text there, or to the right
    // margin. A text there that reaches over x leaves none.
    auto room = [&](double x, double ty, PrintFont font) {
        const double bottom = ty + measure.lineHeight(font);
        double end = right;
        for (const QRectF& r : taken)
            if (r.right() > x && r.top() < bottom && ty < r.bottom())
                end = std::min(end, r.left() - HeaderTextGap);
        return end - x;
    };
    auto putValue = [&](double x, double ty, PrintFont font, const QString& value) {
        const double width = room(x, ty, font);
        const FittedValue fitted = fitValue(value, width, measure, font);
        if (fitted.width <= width)
            put(x, ty, font, fittedText(value, fitted.kept));
    };

    put(labelX, y, PrintFont::Header, QStringLiteral("Datum"));
    put(labelX, y + headerH, PrintFont::Header, QStringLiteral("Seite"));
    put(colonX, y, PrintFont::Header, QStringLiteral(":"));
    put(colonX, y + headerH, PrintFont::Header, QStringLiteral(":"));
    put(right - measure.width(PrintFont::Header, date), y, PrintFont::Header, date);
    put(right - measure.width(PrintFont::Header, pageText), y + headerH, PrintFont::Header,
        pageText);
    double bottom = y + 2 * headerH;
    if (first) {
        const double letterX = frame.left + LetterheadFromLeft;
        const double contactX = frame.left + ContactFromLeft;
        *logo = QRectF(frame.left, frame.top, LogoSize, LogoSize);
        const bool large = measure.width(PrintFont::Letterhead, settings.Name) <=
                           room(letterX, frame.top, PrintFont::Letterhead);
        putValue(letterX, frame.top, large ? PrintFont::Letterhead : PrintFont::LetterheadSmall,
                 settings.Name);
        // The address keeps its place below the name in either size.
        const double y2 = frame.top + measure.lineHeight(PrintFont::Letterhead);
        // The contact lines first: the address stops short of them.
        putValue(contactX, y2, PrintFont::Header, QStringLiteral("Tel.: ") + settings.Tel);
        putValue(contactX, y2 + headerH, PrintFont::Header,
                 QStringLiteral("e-mail: ") + settings.Email);
        putValue(letterX, y2, PrintFont::Header, settings.Strasse);
        putValue(letterX, y2 + headerH, PrintFont::Header, settings.Ort);
        bottom = y2 + 2 * headerH;
    }
    bottom += HeaderRuleGap;
    line(0, bottom, frame.width, bottom);
    return bottom;
}

double laterPagesHeaderBottom(const TextMeasure& measure, double top) {
    return top - LaterPagesRaise + 2 * measure.lineHeight(PrintFont::Header) + HeaderRuleGap;
}

ColumnFit fitColumns(const std::vector<double>& measured, const std::vector<double>& captions,
                     double least, double printableWidth, double left, double right, double gap) {
    ColumnFit fit;
    fit.width = measured;
    const int count = int(measured.size());
    if (count == 0)
        return fit;
    const int n = count - 1;
    const double avg = (printableWidth - left - right) / count;
    // Both sums are whole millimetres, rounded at every step.
    double spare = 0;
    double excess = 0;
    for (double w : measured) {
        if (w < avg)
            spare = nearest(avg + spare - w);
        else
            excess = nearest(w + excess - avg);
    }
    if (gap * n < spare) {
        spare = nearest(spare - gap * (n + 1));
        // With no whole millimetre of excess the wide columns stand less than half a
        // millimetre over the share; they keep their width.
        if (spare >= 1 && excess > 0)
            for (double& w : fit.width)
                if (w > avg)
                    w = (w - avg) * spare / excess + avg;
    }
    // Values are cut before captions are.
    const double room = printableWidth - right - left - FirstColumnIndent - gap * n;
    std::vector<double> floors(size_t(count), least);
    for (size_t k = 0; k < size_t(count) && k < captions.size(); ++k)
        floors[k] = std::max(least, captions[k]);
    fit.fits = narrowWidest(fit.width, floors, room) ||
               narrowWidest(fit.width, std::vector<double>(size_t(count), least), room);
    fit.start.resize(size_t(count));
    fit.end.resize(size_t(count));
    double x = left + FirstColumnIndent;
    for (size_t k = 0; k < size_t(count); ++k) {
        fit.start[k] = x;
        fit.end[k] = x + fit.width[k];
        x = fit.end[k] + gap;
    }
    return fit;
}

FittedValue fitValue(const QString& value, double columnWidth, const TextMeasure& measure,
                     PrintFont font) {
    if (value.isEmpty())
        return {-1, 0};
    const double w = measure.width(font, value);
    if (w <= columnWidth)
        return {-1, w};
    return cutValue(value, columnWidth, measure, font);
}

QString fittedText(const QString& value, int kept) {
    return kept < 0 ? value : value.left(kept) + Ellipsis;
}

QString ListPlan::text(const PlanText& t, const ListRows& rows) const {
    if (!t.cell)
        return literals.value(t.ref);
    const int columnCount = int(columns.size());
    return fittedText(rows.text(t.ref / columnCount, t.ref % columnCount), t.kept);
}

QStringList ListPlan::pageTexts(int page, const ListRows& rows) const {
    std::vector<PlanText> texts = pages.at(size_t(page)).texts;
    std::stable_sort(texts.begin(), texts.end(), [](const PlanText& a, const PlanText& b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    QStringList result;
    for (const PlanText& t : texts)
        result << text(t, rows);
    return result;
}

QString noRecordsText() {
    return QStringLiteral("Keine Datensätze vorhanden.");
}

ListPlan planList(const ListRows& rows, const ListRequest& request, const Settings& settings,
                  const TextMeasure& measure, const PlanProgress& progress) {
    return Planner(rows, request, settings, measure, progress).run();
}
