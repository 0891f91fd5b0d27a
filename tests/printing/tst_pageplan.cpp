#include "pageplan.h"
#include "printlists.h"
#include "recordfields.h"
#include "settings.h"

#include <QtTest>

#include <cmath>

namespace {

// Characters 2 mm wide (2.5 in the heading font, 3 in the letterhead); lines 4 mm high (5 in the
// heading font, 8 in the letterhead).
class FakeMeasure final : public TextMeasure {
  public:
    double width(PrintFont font, const QString& text) const override {
        const double w = font == PrintFont::Heading ? 2.5 : font == PrintFont::Letterhead ? 3 : 2;
        return w * double(text.size());
    }
    double lineHeight(PrintFont font) const override {
        return font == PrintFont::Heading ? 5 : font == PrintFont::Letterhead ? 8 : 4;
    }
};

class FakeRows final : public ListRows {
  public:
    int rowCount() const override { return int(cells.size()); }
    QString text(int row, int column) const override { return cells[row].value(column); }
    QString group(int row) const override { return groups.value(row); }

    QList<QStringList> cells;
    QStringList groups;
};

// Rows of number, "Name<n>" and "Vor", all in the group given ("" for none).
FakeRows numbered(int n, const QString& group = QString()) {
    FakeRows rows;
    for (int i = 1; i <= n; ++i) {
        rows.cells << QStringList{QString::number(i), QStringLiteral("Name%1").arg(i), "Vor"};
        rows.groups << group;
    }
    return rows;
}

// Margins 10 mm, gap 2 mm, on a printable area of 190 x 277 unless given.
ListPlan plan(const FakeRows& rows, bool grouped, QSizeF printable = {190, 277},
              const QStringList& fields = {"Nr", "KNach", "KVor"},
              const QStringList& captions = {"Nr.", "Nachname", "Vorname"}) {
    Settings s;
    s.Name = QStringLiteral("Kita Sonnenschein");
    s.Strasse = QStringLiteral("Lindenallee 3");
    s.Ort = QStringLiteral("Augsburg");
    s.Tel = QStringLiteral("0821 4711");
    s.Email = QStringLiteral("kita@example.de");
    ListRequest r{fields, captions, grouped, printable, QStringLiteral("05.03.2024")};
    return planList(rows, r, s, FakeMeasure());
}

struct HeaderText {
    QRectF box;
    PrintFont font;
    QString text;
};

// The first page's header on a printable width, margins 10 mm.
std::vector<HeaderText> firstHeader(const Settings& s, double width) {
    const FakeMeasure measure;
    std::vector<HeaderText> texts;
    QRectF logo;
    planPageHeader(
        [&](double x, double y, PrintFont font, const QString& text) {
            texts.push_back(
                {QRectF(x, y, measure.width(font, text), measure.lineHeight(font)), font, text});
        },
        [](double, double, double, double) {}, measure, s, HeaderFrame{10, 10, 10, width},
        QStringLiteral("5.3.24"), 1, &logo); // a date of ten such wide digits would meet its colon
    return texts;
}

// Where a text stands on a page: "text@x,y" for the first text that reads so.
QString at(const ListPlan& p, int page, const ListRows& rows, const QString& text) {
    for (const PlanText& t : p.pages.at(size_t(page)).texts)
        if (p.text(t, rows) == text)
            return QStringLiteral("%1@%2,%3").arg(text).arg(t.x).arg(t.y);
    return QString();
}

QList<double> rowTops(const ListPlan& p, int page) {
    QList<double> tops;
    for (const PlanText& t : p.pages.at(size_t(page)).texts)
        if (t.cell && t.ref % int(p.columns.size()) == 0)
            tops << t.y;
    return tops;
}

// The page's lines as "x1,y1-x2,y2".
QStringList rules(const ListPlan& p, int page) {
    QStringList lines;
    for (const PlanLine& l : p.pages.at(size_t(page)).lines)
        lines << QStringLiteral("%1,%2-%3,%4").arg(l.x1).arg(l.y1).arg(l.x2).arg(l.y2);
    return lines;
}

} // namespace

class TestPagePlan : public QObject {
    Q_OBJECT

  private slots:
    // On a printable width of 190 (210) with margins of 10: the share of four columns is 42.5
    // (47.5), of two 45 (on 110).
    void fittingColumns_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("gap");
        QTest::addColumn<QList<double>>("measured");
        QTest::addColumn<QList<double>>("fitted");

        // spare nearest(32.5) = 32, nearest(32 + 22.5) = 54 (halves to even); excess
        // nearest(17.5) = 18, nearest(18 + 37.5) = 56; nearest(54 - 8) = 46 is less: narrowed.
        QTest::newRow("narrowed") << 190.0 << 2.0 << QList<double>{10, 20, 60, 80}
                                  << QList<double>{10, 20, 17.5 * 46 / 56 + 42.5,
                                                   37.5 * 46 / 56 + 42.5};
        // spare 38, 66; excess 12, 34; nearest(66 - 8) = 58 is more: widened, to 68.8 and 85.9.
        // The rounded sums widen by 2.7 mm too much: the wider column ends on the margin at 200.
        QTest::newRow("widened") << 210.0 << 2.0 << QList<double>{10, 20, 60, 70}
                                 << QList<double>{10, 20, 12.5 * 58 / 34 + 47.5,
                                                  200 - 12 - 6 - 30 - (12.5 * 58 / 34 + 47.5)};
        // spare 5, excess 20: 5 - 2 x 2 = 1 widens by a twentieth, to end on the margin at 100;
        // 5 - 2 x 2.4 rounds to 0: as measured, 19.4 mm past the margin, then narrowed to it.
        QTest::newRow("one to spare")
            << 110.0 << 2.0 << QList<double>{40, 65} << QList<double>{40, 46};
        QTest::newRow("none to spare")
            << 110.0 << 2.4 << QList<double>{40, 65} << QList<double>{40, 45.6};
        // 0.3 over the share: the excess rounds to 0; no division by it.
        QTest::newRow("no excess")
            << 110.0 << 2.0 << QList<double>{20, 45.3} << QList<double>{20, 45.3};
    }

    void fittingColumns() {
        QFETCH(double, width);
        QFETCH(double, gap);
        QFETCH(QList<double>, measured);
        QFETCH(QList<double>, fitted);
        const ColumnFit fit = fitColumns(std::vector<double>(measured.begin(), measured.end()), {},
                                         0, width, 10, 10, gap);
        QCOMPARE(fit.start.front(), 12.0);
        for (size_t k = 0; k < size_t(fitted.size()); ++k) {
            QVERIFY2(std::abs(fit.width[k] - fitted[qsizetype(k)]) < 1e-9,
                     qPrintable(QString::number(fit.width[k])));
            QCOMPARE(fit.end[k], fit.start[k] + fit.width[k]);
            if (k > 0)
                QCOMPARE(fit.start[k], fit.end[k - 1] + gap);
        }
    }

    // Columns of 50, 80 and 90 on a printable width of 190 with gaps of 4: the share leaves no
    // room, and 160 mm lie between the first column's start at 12 and the right margin at 180.
    void narrowingToTheMargin_data() {
        QTest::addColumn<QList<double>>("captions");
        QTest::addColumn<double>("least");
        QTest::addColumn<QList<double>>("fitted"); // empty: the columns cannot fit

        // The two widest come down to one width; the narrow one keeps its own.
        QTest::newRow("widest narrowed alike")
            << QList<double>{10, 10, 10} << 20.0 << QList<double>{50, 55, 55};
        QTest::newRow("not below a caption")
            << QList<double>{10, 60, 10} << 20.0 << QList<double>{50, 60, 50};
        QTest::newRow("least widths just fit")
            << QList<double>{10, 10, 10} << 55.0 << QList<double>{50, 55, 55};
        // Captions together too wide: they are given up before the row leaves the page.
        QTest::newRow("captions given up")
            << QList<double>{70, 70, 70} << 20.0 << QList<double>{50, 55, 55};
        QTest::newRow("least widths too wide")
            << QList<double>{10, 10, 10} << 56.0 << QList<double>{};
    }

    void narrowingToTheMargin() {
        QFETCH(QList<double>, captions);
        QFETCH(double, least);
        QFETCH(QList<double>, fitted);
        const ColumnFit fit =
            fitColumns({50, 80, 90}, {captions.begin(), captions.end()}, least, 190, 10, 10, 4);
        QCOMPARE(fit.fits, !fitted.isEmpty());
        if (!fit.fits)
            return;
        for (size_t k = 0; k < 3; ++k)
            QVERIFY2(std::abs(fit.width[k] - fitted[qsizetype(k)]) < 1e-6,
                     qPrintable(QString::number(fit.width[k])));
        QVERIFY(fit.end.back() <= 180 + 1e-9);
    }

    void cuttingValues_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("columnWidth");
        QTest::addColumn<QString>("printed");

        QTest::newRow("fits exactly") << "Müller" << 12.0 << "Müller";
        QTest::newRow("a hair too long") << "Müller" << 11.99 << "Mü...";
        QTest::newRow("long") << "Schmetterlinge" << 20.0 << "Schmett...";
        QTest::newRow("dots only") << "Öztürk" << 3.0 << "...";
        QTest::newRow("empty") << QString() << 0.0 << QString();
        // A character outside the basic plane is kept or dropped whole.
        QTest::newRow("emoji") << QStringLiteral("ab\U0001F600cdef") << 12.0 << "ab...";
    }

    void cuttingValues() {
        QFETCH(QString, value);
        QFETCH(double, columnWidth);
        QFETCH(QString, printed);
        const FakeMeasure measure;
        const FittedValue fitted = fitValue(value, columnWidth, measure, PrintFont::Entry);
        QCOMPARE(fittedText(value, fitted.kept), printed);
        QCOMPARE(fitted.width, 2.0 * printed.size());
    }

    // Date block at 190 - 10 - 34 = 146, colons at 159, right edge 180; letterhead at 30, contact
    // lines at 70. Columns 7.5 ("Nr."), 20 ("Nachname"), 17.5 ("Vorname") from 12, 2 apart.
    void headerOnFirstAndLaterPages() {
        const FakeRows rows = numbered(80);
        const ListPlan p = plan(rows, false);
        QCOMPARE(p.pages.size(), size_t(2));
        const QStringList first{"Datum@146,10", "Seite@146,14", "05.03.2024@160,10",
                                "Kita Sonnenschein@30,10", "Lindenallee 3@30,18", "Augsburg@30,22",
                                "Tel.: 0821 4711@70,18", "e-mail: kita@example.de@70,22",
                                // rule 29, empty line, band: rule 34, captions 35, rule 41
                                "Nr.@12,35", "Nachname@21.5,35", "Vorname@43.5,35",
                                // the number column right-aligned on its end at 19.5
                                "7@17.5,66", "12@15.5,86", "Name7@21.5,66"};
        for (const QString& e : first)
            QCOMPARE(at(p, 0, rows, e.section(u'@', 0, -2)), e);
        QCOMPARE(rules(p, 0), (QStringList{"0,29-190,29", "10,34-180,34", "10,41-180,41"}));
        QVERIFY(p.pages[0].logo);
        QCOMPARE(p.logo, QRectF(10, 10, 16, 16));

        // Later pages: the date block 5 mm higher, no letterhead, the rule 3 mm under "Seite".
        QVERIFY(!p.pages[1].logo);
        QCOMPARE(at(p, 1, rows, "Datum"), QStringLiteral("Datum@146,5"));
        QCOMPARE(at(p, 1, rows, "2"), QStringLiteral("2@178,9"));
        QCOMPARE(at(p, 1, rows, "Kita Sonnenschein"), QString());
        QCOMPARE(rules(p, 1), (QStringList{"0,16-190,16", "10,21-180,21", "10,28-180,28"}));
        QCOMPARE(rowTops(p, 1).constFirst(), 29.0);
    }

    // The name has 114 mm up to the date block upright (57 characters in the smaller size, 38 in
    // the letterhead's), 201 across; the street 38 mm up to the contact lines.
    void letterheadNeverOverprints_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("nameLength"); // 0: the usual values
        QTest::addColumn<bool>("small");     // the name in the smaller size
        QTest::addColumn<bool>("whole");     // every value printed whole

        QTest::newRow("usual") << 190.0 << 0 << false << true;
        QTest::newRow("usual, across") << 277.0 << 0 << false << true;
        QTest::newRow("name of 38") << 190.0 << 38 << false << true;
        QTest::newRow("name of 39") << 190.0 << 39 << true << true;
        QTest::newRow("name of 54") << 190.0 << 54 << true << true;
        QTest::newRow("name of 54, across") << 277.0 << 54 << false << true;
        QTest::newRow("name of 58") << 190.0 << 58 << true << false;
        QTest::newRow("every value at its longest") << 190.0 << 254 << true << false;
        QTest::newRow("every value at its longest, across") << 277.0 << 254 << true << false;
        // The date block starts left of the name: the name and the contact lines are left out.
        QTest::newRow("narrow sheet") << 60.0 << 0 << false << false;
    }

    // No two texts of the header overlap and none reaches past the right margin.
    void letterheadNeverOverprints() {
        QFETCH(double, width);
        QFETCH(int, nameLength);
        QFETCH(bool, small);
        QFETCH(bool, whole);
        Settings s;
        s.Name = QStringLiteral("Kita Sonnenschein");
        s.Strasse = QStringLiteral("Lindenallee 3");
        s.Ort = QStringLiteral("86150 Augsburg");
        s.Tel = QStringLiteral("0821 4711");
        s.Email = QStringLiteral("kita@example.de");
        if (nameLength > 0)
            s.Name = QString(nameLength, u'K');
        if (nameLength == 254)
            for (QString* v : {&s.Strasse, &s.Ort, &s.Tel, &s.Email})
                *v = QString(254, u'a');
        const std::vector<HeaderText> texts = firstHeader(s, width);

        for (size_t i = 0; i < texts.size(); ++i) {
            const QRectF& box = texts[i].box;
            QVERIFY2(box.left() >= 10 && box.right() <= width - 10 + 1e-9,
                     qPrintable(texts[i].text));
            for (size_t j = i + 1; j < texts.size(); ++j)
                QVERIFY2(!box.intersected(texts[j].box).isValid(),
                         qPrintable(texts[i].text + " / " + texts[j].text));
        }
        int cut = 0;
        for (const HeaderText& t : texts) {
            cut += t.text.endsWith("...");
            if (t.font == PrintFont::Letterhead || t.font == PrintFont::LetterheadSmall) {
                QCOMPARE(t.font == PrintFont::LetterheadSmall, small);
                QCOMPARE(t.text == s.Name, whole);
            }
        }
        QCOMPARE(cut == 0, whole);
        // The date block and all five values, but for the name and contact lines on the narrow
        // sheet.
        QCOMPARE(int(texts.size()), width < 100 ? 8 : 11);
    }

    // Rows from 42 on the first page, from 29 on later ones, 4 mm apart; a row fits while it ends
    // at least 10 mm above the printable height.
    void pageBreaks_data() {
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("perPage");

        QTest::newRow("row ends on the margin") << 276.0 << 120 << QList<int>{56, 59, 5};
        QTest::newRow("row reaches into it") << 275.9 << 120 << QList<int>{55, 59, 6};
        QTest::newRow("one row more") << 276.0 << 57 << QList<int>{56, 1};
    }

    void pageBreaks() {
        QFETCH(double, height);
        QFETCH(int, rows);
        QFETCH(QList<int>, perPage);
        const FakeRows list = numbered(rows);
        const ListPlan p = plan(list, false, {190, height});
        QList<int> counted;
        for (size_t page = 0; page < p.pages.size(); ++page) {
            counted << int(rowTops(p, int(page)).size());
            for (double top : rowTops(p, int(page))) // the bottom margin free below every row
                QVERIFY(top + 4 + 10 <= height);
            // Its number in the date block, and its own heading band.
            const QString number = QString::number(page + 1);
            QCOMPARE(at(p, int(page), list, number).section(u',', 0, 0), number + "@178");
            QVERIFY(!at(p, int(page), list, "Vorname").isEmpty());
        }
        QCOMPARE(counted, perPage);
    }

    void groupHeadings() {
        FakeRows rows = numbered(70, "Bären");
        // Rows without a group first: no heading, but a band; a row without a group continues the
        // group before it.
        rows.groups[0] = rows.groups[1] = rows.groups[4] = QString();
        for (int i = 60; i < 70; ++i)
            rows.groups[i] = QStringLiteral("Igel");
        const ListPlan p = plan(rows, true);
        const QStringList page1 = p.pageTexts(0, rows).mid(11); // after the header
        QCOMPARE(page1.mid(0, 15), (QStringList{"Nr.", "Nachname", "Vorname", "1", "Name1", "Vor",
                                                "2", "Name2", "Vor", "Gruppe : Bären", "Nr.",
                                                "Nachname", "Vorname", "3", "Name3"}));
        QVERIFY(!page1.contains("Gruppe : Igel"));
        // Rows at 42 and 46; the group lines: an empty line and the heading of 5 mm each, the
        // band of 4 + 5 mm.
        QCOMPARE(rowTops(p, 0).mid(0, 3), (QList<double>{42, 46, 69}));
        QCOMPARE(at(p, 0, rows, "Gruppe : Bären"), QStringLiteral("Gruppe : Bären@12,55"));
        // A page that continues a group has the header and an empty line, but no band.
        const QStringList page2 = p.pageTexts(1, rows);
        QCOMPARE(page2.mid(6, 2), (QStringList{"52", "Name52"}));
        QCOMPARE(rowTops(p, 1).constFirst(), 20.0);
        QCOMPARE(page2.count("Nachname"), 1);
        QVERIFY(page2.indexOf("Gruppe : Igel") < page2.indexOf("Nachname"));
    }

    // Row 51 at 252 passes the page test (252 + 4 + 10 <= 272), but after the group lines (19 mm)
    // it would end at 275, past the printable height: the group starts a page.
    void groupLinesNeverPushTheirRowOffThePaper() {
        FakeRows rows = numbered(52, "Bären");
        rows.groups[50] = rows.groups[51] = QStringLiteral("Igel");
        const ListPlan p = plan(rows, true, {190, 272});
        QCOMPARE(p.pages.size(), size_t(2));
        QCOMPARE(rowTops(p, 0).size(), 50);
        QCOMPARE(p.pageTexts(1, rows).mid(6, 2), (QStringList{"Gruppe : Igel", "Nr."}));
    }

    // Every list, upright and across, with the values a kindergarten has (one first name of 15
    // characters) and with every field full: no column, caption or value reaches past the right
    // margin or into its neighbour. What fits across keeps its widths: nothing is cut there.
    void everyListWithinItsMargins_data() {
        QTest::addColumn<int>("list");
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<bool>("full");
        for (int list = 0; list < 3; ++list)
            for (bool portrait : {true, false})
                for (bool full : {false, true})
                    QTest::newRow(qPrintable(QStringLiteral("%1 %2%3").arg(
                        QString::fromUtf8(printLists()[size_t(list)].title),
                        portrait ? QStringLiteral("hoch") : QStringLiteral("quer"),
                        full ? QStringLiteral(", full fields") : QString())))
                        << list << portrait << full;
    }

    void everyListWithinItsMargins() {
        QFETCH(int, list);
        QFETCH(bool, portrait);
        QFETCH(bool, full);
        const PrintList& l = printLists()[size_t(list)];
        const QStringList fields = listFields(l);
        QStringList captions;
        for (const QString& f : fields)
            captions << listCaption(f);
        FakeRows rows;
        for (int r = 1; r <= 150; ++r) {
            QStringList cells;
            for (const QString& f : fields) {
                const int size = findField(f)->size;
                if (f == "Nr")
                    cells << QString::number(r);
                else if (full)
                    cells << QString(size, u'x');
                else if (f == "KVor")
                    cells << (r == 17 ? QStringLiteral("Maximilian-Otto") : QStringLiteral("Lena"));
                else
                    cells << (f.contains("Tel") ? QStringLiteral("0821 %1").arg(100000 + r)
                                                : QString(size / 3, u'o'));
            }
            rows.cells << cells;
            rows.groups << QStringLiteral("Bären");
        }
        const QSizeF printable = portrait ? QSizeF(190, 277) : QSizeF(277, 190);
        const ListPlan p = plan(rows, l.grouped, printable, fields, captions);
        QCOMPARE(p.result, ListPlan::Result::Pages);
        const double margin = printable.width() - 10;
        QVERIFY2(p.columns.back().end <= margin + 1e-9,
                 qPrintable(QString::number(p.columns.back().end)));

        const FakeMeasure measure;
        bool cut = false;
        for (size_t page = 0; page < p.pages.size(); ++page) {
            // The list's texts line by line, left to right.
            QMap<float, QMap<float, double>> lines;
            for (const PlanText& t : p.pages[page].texts) {
                if (t.font != PrintFont::Entry && t.font != PrintFont::Heading)
                    continue;
                const QString text = p.text(t, rows);
                lines[t.y][t.x] = t.x + measure.width(t.font, text);
                cut = cut || text.endsWith("...");
            }
            for (const auto& line : lines) {
                double before = 0;
                for (auto it = line.begin(); it != line.end(); ++it) {
                    QVERIFY(it.key() >= before);
                    before = it.value();
                }
                QVERIFY2(before <= margin + 1e-4, qPrintable(QString::number(before)));
            }
        }
        if (full)
            QVERIFY(cut);
        else if (!portrait)
            QVERIFY(!cut);
    }

    void emptyListAndEmptyValues() {
        for (bool grouped : {false, true}) {
            const ListPlan p = plan(FakeRows(), grouped);
            QCOMPARE(p.pages.size(), size_t(1));
            const QStringList texts = p.pageTexts(0, FakeRows());
            QCOMPARE(texts.constLast(), noRecordsText());
            QCOMPARE(texts.contains("Nachname"), !grouped);
        }
        FakeRows rows = numbered(3);
        rows.cells[1][1] = QString(); // a surname without a value
        const ListPlan p = plan(rows, false);
        QCOMPARE(p.pageTexts(0, rows).mid(14),
                 (QStringList{"1", "Name1", "Vor", "2", "", "Vor", "3", "Name3", "Vor"}));
    }

    // A later page's first row stands at 29 (grouped: 20, and 19 more after group lines).
    void noRoomForARow_data() {
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<double>("height");
        QTest::addColumn<bool>("noRoom");

        QTest::newRow("just room") << false << 43.0 << false;
        QTest::newRow("no room") << false << 42.9 << true;
        QTest::newRow("grouped, just room") << true << 43.0 << false;
        QTest::newRow("grouped, group lines off the paper") << true << 42.9 << true;
    }

    void noRoomForARow() {
        QFETCH(bool, grouped);
        QFETCH(double, height);
        QFETCH(bool, noRoom);
        FakeRows rows = numbered(30, "Igel");
        for (int i = 1; i < 30; i += 2)
            rows.groups[i] = QStringLiteral("Bär");
        const ListPlan p = plan(rows, grouped, {190, height});
        QCOMPARE(p.result == ListPlan::Result::NoRoom, noRoom);
        QCOMPARE(p.pages.empty(), noRoom);
        for (size_t page = 0; page < p.pages.size(); ++page)
            for (double top : rowTops(p, int(page)))
                QVERIFY(top + 4 <= height);
    }
};

QTEST_MAIN(TestPagePlan)
#include "tst_pageplan.moc"
