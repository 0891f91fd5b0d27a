#include "childinfo.h"

#include "settings.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>
#include <span>

namespace {

enum class Section { Child, Mother, Father, Siblings, Remark, Booking, Count };

const char* const kSectionTitles[] = {"Kind",        "Mutter",    "Vater",
                                      "Geschwister", "Bemerkung", "Buchung und Beiträge"};

// The fields of the child's own section and of the booking, in the form's order; the other
// sections take their people's fields in the record's order, the count before the siblings.
const char* const kChildOrder[] = {"Nr",    "KNach",  "KVor", "KGeb",  "KGebin", "KKonf",
                                   "KNat",  "KStr",   "KPLZ", "KOrt",  "KTel1",  "KTel2",
                                   "KArzt", "KSorge", "KEin", "KPKNr", "KGrp"};
const char* const kBookingOrder[] = {"KBuchvon", "KBuchbis", "KEssen", "KBasis",
                                     "KFaktor",  "KBuchFak", "KSumme"};

Section sectionOf(const FieldDef& f) {
    switch (f.owner) {
    case FieldOwner::Mother:
        return Section::Mother;
    case FieldOwner::Father:
        return Section::Father;
    case FieldOwner::Sibling1:
    case FieldOwner::Sibling2:
    case FieldOwner::Sibling3:
        return Section::Siblings;
    case FieldOwner::Child:
    case FieldOwner::Record:
        break;
    }
    const QLatin1String name(f.name);
    if (name == QLatin1String("Bem"))
        return Section::Remark;
    if (name == QLatin1String("GAnz"))
        return Section::Siblings;
    for (const char* booked : kBookingOrder)
        if (name == QLatin1String(booked))
            return Section::Booking;
    return Section::Child;
}

double formOrder(const FieldDef& f) {
    const QLatin1String name(f.name);
    for (std::span<const char* const> order :
         {std::span<const char* const>(kChildOrder), std::span<const char* const>(kBookingOrder)})
        for (size_t i = 0; i < order.size(); ++i)
            if (name == QLatin1String(order[i]))
                return double(i);
    if (name == QLatin1String("GAnz"))
        return -1;
    return double(&f - fieldTable().data());
}

constexpr double CaptionIndent = 2; // the captions start this far right of the left margin, mm
constexpr double CaptionGap = 4;    // between the widest caption and the values
constexpr double SubheadIndent = 0; // "1. Geschwisterkind" in line with the captions
constexpr double SectionGap = 1;    // lines' worth of space before a section title

class InfoPlanner {
  public:
    InfoPlanner(const Settings& settings, const TextMeasure& measure, QSizeF printable,
                const QString& date)
        : m_settings(settings), m_measure(measure), m_date(date),
          m_top(finite(settings.AbstandO, 10)), m_bottom(finite(settings.AbstandU, 10)),
          m_left(finite(settings.AbstandL, 10)), m_right(finite(settings.AbstandR, 10)),
          m_width(finite(printable.width(), 0)), m_height(finite(printable.height(), 0)),
          m_entryH(measure.lineHeight(PrintFont::Entry)),
          m_headingH(measure.lineHeight(PrintFont::Heading)) {}

    ListPlan run(const std::vector<InfoSection>& sections, const QString& childLine);

  private:
    static double finite(double value, double fallback) {
        return std::isfinite(value) ? value : fallback;
    }
    void startPage();
    // Makes room for height below the current line, on a new page when the page is full.
    void need(double height);
    void text(double x, double y, PrintFont font, const QString& t);

    const Settings& m_settings;
    const TextMeasure& m_measure;
    const QString m_date;
    const double m_top, m_bottom, m_left, m_right, m_width, m_height, m_entryH, m_headingH;
    ListPlan m_plan;
    double m_y = 0;
    // The line naming the child, as broken to the page's width; every later page starts with it
    // so that no loose sheet leaves open whose data it holds.
    QStringList m_childLines;
    double m_captionX = 0;
};

void InfoPlanner::text(double x, double y, PrintFont font, const QString& t) {
    PlanText p;
    p.x = float(x);
    p.y = float(y);
    p.ref = int(m_plan.literals.size());
    p.font = font;
    m_plan.literals << t;
    m_plan.pages.back().texts.push_back(p);
}

void InfoPlanner::startPage() {
    const bool first = m_plan.pages.empty();
    m_plan.pages.emplace_back();
    PlanPage& page = m_plan.pages.back();
    page.logo = first;
    const PageText addText = [this](double x, double y, PrintFont font, const QString& t) {
        text(x, y, font, t);
    };
    const PageLine addLine = [this](double x1, double y1, double x2, double y2) {
        m_plan.pages.back().lines.push_back({float(x1), float(y1), float(x2), float(y2)});
    };
    m_y = planPageHeader(addText, addLine, m_measure, m_settings,
                         HeaderFrame{m_top, m_left, m_right, m_width}, m_date,
                         int(m_plan.pages.size()), first ? &m_plan.logo : nullptr);
    m_y += m_entryH;
    if (first)
        return;
    for (const QString& line : m_childLines) {
        text(m_captionX, m_y, PrintFont::Entry, line);
        m_y += m_entryH;
    }
    m_y += SectionGap * m_entryH;
}

void InfoPlanner::need(double height) {
    if (m_y + height + m_bottom > m_height)
        startPage();
}

ListPlan InfoPlanner::run(const std::vector<InfoSection>& sections, const QString& childLine) {
    m_captionX = m_left + CaptionIndent;
    m_childLines = wrapText(childLine, m_width - m_right - m_captionX, m_measure, PrintFont::Entry);
    // Nothing fits below the header and the child's name on a later page: the information cannot
    // be printed.
    const double laterTop = laterPagesHeaderBottom(m_measure, m_top) + m_entryH +
                            (double(m_childLines.size()) + SectionGap) * m_entryH;
    if (laterTop + 2 * m_headingH + m_entryH + m_bottom > m_height) {
        m_plan.result = ListPlan::Result::NoRoom;
        return m_plan;
    }
    double captionWidth = 0;
    for (const InfoSection& s : sections)
        for (const InfoLine& l : s.lines)
            captionWidth = std::max(captionWidth, m_measure.width(PrintFont::Entry, l.caption));
    const double captionX = m_captionX;
    const double valueX = captionX + captionWidth + CaptionGap;
    const double valueWidth = std::max(10.0, m_width - m_right - valueX);

    startPage();
    text(captionX, m_y, PrintFont::Heading, childInfoTitle());
    m_y += m_headingH;
    for (const QString& line : m_childLines) {
        // A later page names the child at its top anyway.
        if (m_y + m_entryH + m_bottom > m_height) {
            startPage();
            break;
        }
        text(captionX, m_y, PrintFont::Entry, line);
        m_y += m_entryH;
    }
    for (const InfoSection& section : sections) {
        // A title never stands alone at the bottom of a page.
        m_y += SectionGap * m_entryH;
        need(m_headingH + 1 + m_entryH);
        text(captionX, m_y, PrintFont::Heading, section.title);
        m_y += m_headingH;
        m_plan.pages.back().lines.push_back(
            {float(captionX), float(m_y), float(m_width - m_right), float(m_y)});
        m_y += 1;
        for (const InfoLine& line : section.lines) {
            if (line.caption.isEmpty()) {
                need(m_headingH + m_entryH);
                text(captionX + SubheadIndent, m_y, PrintFont::Heading, line.value);
                m_y += m_headingH;
                continue;
            }
            const QStringList parts = wrapText(line.value, valueWidth, m_measure, PrintFont::Entry);
            need(m_entryH);
            text(captionX, m_y, PrintFont::Entry, line.caption);
            for (qsizetype i = 0; i < parts.size(); ++i) {
                if (i > 0)
                    need(m_entryH);
                if (!parts[i].isEmpty())
                    text(valueX, m_y, PrintFont::Entry, parts[i]);
                m_y += m_entryH;
            }
        }
    }
    return m_plan;
}

} // namespace

std::vector<InfoSection> childInfoSections(const RecordTexts& texts) {
    std::map<std::pair<int, double>, const FieldDef*> ordered;
    for (const FieldDef& f : fieldTable())
        ordered[{int(sectionOf(f)), formOrder(f)}] = &f;
    std::vector<InfoSection> sections;
    for (int s = 0; s < int(Section::Count); ++s)
        sections.push_back({QString::fromUtf8(kSectionTitles[s]), {}});
    int sibling = 0;
    for (const auto& [key, field] : ordered) {
        InfoSection& section = sections[size_t(key.first)];
        // Each sibling's row starts with its surname.
        const QLatin1String name(field->name);
        if (name.size() > 2 && name.startsWith(QLatin1Char('G')) &&
            name.endsWith(QLatin1String("Nach"))) {
            ++sibling;
            section.lines.push_back(
                {QString(), QStringLiteral("%1. Geschwisterkind").arg(sibling)});
        }
        section.lines.push_back(
            {QString::fromUtf8(field->caption), texts[size_t(field - fieldTable().data())]});
    }
    return sections;
}

QString childInfoTitle() {
    return QStringLiteral("Auskunft über die gespeicherten Daten");
}

ListPlan planChildInfo(const std::vector<InfoSection>& sections, const QString& childLine,
                       const Settings& settings, const TextMeasure& measure, QSizeF printable,
                       const QString& date) {
    return InfoPlanner(settings, measure, printable, date).run(sections, childLine);
}

QStringList wrapText(const QString& text, double width, const TextMeasure& measure,
                     PrintFont font) {
    QStringList lines;
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    for (const QString& paragraph : text.split(breaks)) {
        QString line;
        auto fits = [&](const QString& t) { return measure.width(font, t) <= width; };
        for (const QString& word : paragraph.split(QLatin1Char(' '))) {
            const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (fits(joined)) {
                line = joined;
                continue;
            }
            if (!line.isEmpty())
                lines << line;
            line.clear();
            // A word wider than the line goes on in the next, character by character.
            for (const QChar c : word) {
                if (!line.isEmpty() && !fits(line + c)) {
                    lines << line;
                    line.clear();
                }
                line += c;
            }
        }
        lines << line;
    }
    return lines;
}
