#pragma once

#include "pageplan.h"
#include "recordtexts.h"

#include <QString>

#include <array>
#include <vector>

// The information for parents: every field stored for one child under its caption, grouped as
// the record form groups them, on pages with the kindergarten's letterhead and the date. What
// the office hands over when parents ask what is stored about their child.

struct InfoLine {
    QString caption; // empty for a line that heads the lines below it ("1. Geschwisterkind")
    QString value;
};

struct InfoSection {
    QString title;
    std::vector<InfoLine> lines;
};

// The sections in their order: Kind, Mutter, Vater, Geschwister, Bemerkung, Buchung und
// Beiträge. Every field of the record is in exactly one of them, with its caption and its text as
// the form shows it; within a section the fields stand in the form's order.
std::vector<InfoSection> childInfoSections(const RecordTexts& texts);

// "Auskunft über die gespeicherten Daten"
QString childInfoTitle();

// The pages: the header with the letterhead on the first page (the date and page number on
// every page), the title, a line naming the child (repeated at the top of every later page),
// then each section under its title with its
// captions in one column and the values beside them. A value too long for its line (a long
// remark) goes on in further lines, broken between words where it can be and at its own line
// breaks; a page ends before the bottom margin.
ListPlan planChildInfo(const std::vector<InfoSection>& sections, const QString& childLine,
                       const Settings& settings, const TextMeasure& measure, QSizeF printable,
                       const QString& date);

// Breaks text into lines no wider than width in font: at its line breaks, then between words,
// and a word wider than the line between its characters. An empty text is one empty line.
QStringList wrapText(const QString& text, double width, const TextMeasure& measure, PrintFont font);
