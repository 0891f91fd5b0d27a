#include "listdocument.h"
#include "printlists.h"
#include "printpreview.h"
#include "printtestsupport.h"
#include "sqlitedatabase.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <numeric>

#include <sqlite3.h>

namespace {

PageGeometry a4(bool portrait) {
    return PageGeometry::of(QPageLayout(QPageSize(QPageSize::A4),
                                        portrait ? QPageLayout::Portrait : QPageLayout::Landscape,
                                        QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
}

std::unique_ptr<ListDocument> document(PrintFixture& f, int list, bool portrait = true) {
    const PrintList& l = printLists()[size_t(list)];
    return std::make_unique<ListDocument>(readListRows(f.database(), l), l, f.settings,
                                          a4(portrait), QStringLiteral("24.12.2024"));
}

// The size of the first page in points, by pdfinfo.
QSizeF pdfPageSize(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished(30000);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s*([\\d.]+) x ([\\d.]+)"))
            .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

QStringList writeAndRead(const ListDocument& doc, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || writePdf(doc, file) != OutputResult::Done)
        return {};
    file.close();
    return pdfPages(path);
}

// The numbers at the beginning of the list's lines, in order.
QList<int> rowNumbers(const QStringList& pages) {
    static const QRegularExpression row(QStringLiteral("^\\s*(\\d+) +\\S"),
                                        QRegularExpression::MultilineOption);
    QList<int> numbers;
    for (const QString& page : pages)
        for (auto it = row.globalMatch(page); it.hasNext();)
            numbers << it.next().captured(1).toInt();
    return numbers;
}

QString lineOf(const QStringList& pages, int number) {
    const QRegularExpression re(QStringLiteral("^\\s*%1 .*$").arg(number),
                                QRegularExpression::MultilineOption);
    for (const QString& page : pages) {
        const QRegularExpressionMatch m = re.match(page);
        if (m.hasMatch())
            return m.captured(0);
    }
    return QString();
}

} // namespace

class TestPrintOutput : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        if (!havePdfToText())
            QSKIP("pdftotext is not installed (scripts/setup installs poppler-utils)");
    }

    void eachListAsPdf_data() {
        QTest::addColumn<int>("list");
        QTest::addColumn<bool>("portrait");
        for (int list = 0; list < 3; ++list)
            for (bool portrait : {true, false})
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(
                    QString::fromUtf8(printLists()[size_t(list)].title),
                    portrait ? QStringLiteral("hoch") : QStringLiteral("quer"))))
                    << list << portrait;
    }

    void eachListAsPdf() {
        QFETCH(int, list);
        QFETCH(bool, portrait);
        QList<Child> children = realisticChildren(150);
        children[16].vor = QStringLiteral("Maximilian-Otto"); // the widest column of its list
        PrintFixture f(children);
        // Every telephone number of child, mother and father known.
        QCOMPARE(sqlite3_exec(sqliteHandle(f.database()),
                              "UPDATE Daten SET KTel2 = KTel1, MTel2 = MTel1, VTel1 = MTel1, "
                              "VTel2 = KTel1",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        f.settings.Ort = QStringLiteral("Augsburg"); // no digits that look like a row
        const std::unique_ptr<ListDocument> doc = document(f, list, portrait);
        const QString path = f.path(QStringLiteral("list.pdf"));
        const QStringList pages = writeAndRead(*doc, path);
        QCOMPARE(pages.size(), doc->pageCount());
        QVERIFY(pages.size() >= 3);

        const QSizeF size = pdfPageSize(path);
        QCOMPARE(size.width() < size.height(), portrait);

        // The letterhead on the first page only; date and page number on every page.
        for (int p = 0; p < pages.size(); ++p) {
            QCOMPARE(pageNumberOn(pages[p]), p + 1);
            QVERIFY(
                pages[p].contains(QRegularExpression(QStringLiteral("Datum\\s*:\\s*24.12.2024"))));
            QCOMPARE(pages[p].contains(QStringLiteral("Kinderhaus Sonnenschein")), p == 0);
        }
        QVERIFY(pages[0].contains(QStringLiteral("Tel.: 0821 4711")));
        QVERIFY(pages[0].contains(QStringLiteral("e-mail: kita@example.de")));
        QVERIFY(pages[0].contains(QStringLiteral("Lindenallee 3")));

        // Every child once, in the list's order.
        QList<int> numbers = rowNumbers(pages);
        const bool grouped = printLists()[size_t(list)].grouped;
        QVERIFY(grouped || std::is_sorted(numbers.begin(), numbers.end()));
        std::sort(numbers.begin(), numbers.end());
        QList<int> everyChild(150);
        std::iota(everyChild.begin(), everyChild.end(), 1);
        QCOMPARE(numbers, everyChild);

        // Headings: on every page for the name list, under each group for the others, in German
        // order; the religion column is captioned although the table view does not show it.
        const QString all = pages.join(QLatin1Char('\f'));
        const QRegularExpression groupLine(QStringLiteral("Gruppe : (\\S+)"));
        QStringList groups;
        for (auto it = groupLine.globalMatch(all); it.hasNext();)
            groups << it.next().captured(1);
        if (grouped) {
            QCOMPARE(groups, (QStringList{"Bären", "Füchse", "Igel", "Mäuse", "Schmetterlinge"}));
            QCOMPARE(all.count(QStringLiteral("Nachname")), 5);
        } else {
            QVERIFY(groups.isEmpty());
            QCOMPARE(all.count(QStringLiteral("Konfesion")), pages.size());
        }
        if (list == 2)
            QVERIFY(all.contains(QStringLiteral("M. Tel.Nr.1")));

        // The cut texts of the plan are on paper, the whole values not; the long street of child 2
        // is cut in the portrait name lists.
        const ListPlan& plan = doc->plan();
        const int columns = int(plan.columns.size());
        int cuts = 0;
        for (const PlanPage& page : plan.pages)
            for (const PlanText& t : page.texts)
                if (t.cell && t.kept >= 0) {
                    ++cuts;
                    QVERIFY(all.contains(plan.text(t, doc->rows())));
                    QVERIFY(!all.contains(doc->rows().text(t.ref / columns, t.ref % columns)));
                }
        QVERIFY(cuts > 0 || list == 2 || !portrait);

        // Child 3 has no religion: its line has nothing in that place.
        if (list != 2) {
            const QString line = lineOf(pages, 3);
            QVERIFY2(!line.isEmpty() &&
                         !line.contains(QRegularExpression(QStringLiteral("\\b(rk|ev)\\b"))),
                     qPrintable(line));
        }
    }

    void emptyListSaysSo() {
        PrintFixture f({});
        for (int list = 0; list < 3; ++list) {
            const std::unique_ptr<ListDocument> doc = document(f, list);
            const QStringList pages = writeAndRead(*doc, f.path(QStringLiteral("empty.pdf")));
            QCOMPARE(pages.size(), 1);
            QVERIFY(pages[0].contains(noRecordsText()));
            QVERIFY(pages[0].contains(QStringLiteral("Kinderhaus Sonnenschein")));
        }
    }

    // The preview holds its pages as recorded paint commands, made when a page is first shown.
    void previewKeepsRecordedPages() {
        PrintFixture f(realisticChildren(1000));
        const std::unique_ptr<ListDocument> doc = document(f, 1);
        PrintPreview preview(*doc);
        QCOMPARE(preview.recordedPages(), 0);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QCOMPARE(preview.pageCount(), doc->pageCount());
        QCOMPARE(preview.recordedPages(), 1);
        preview.panelClicked(3);
        preview.panelClicked(3);
        preview.panelClicked(1);
        QCOMPARE(preview.recordedPages(), 3);

        // A page of paint commands is small; it paints the sheet, its printable area 5 mm in.
        const QPicture page = doc->record(1);
        QVERIFY2(page.size() < 200 * 1024, qPrintable(QString::number(page.size())));
        QVERIFY(std::abs(page.boundingRect().left() - 5 / 25.4 * page.logicalDpiX()) < 1.5);
        QImage image(preview.sheetSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.drawPicture(0, 0, page);
        painter.end();
        int ink = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                ink += qGray(image.pixel(x, y)) < 128;
        QVERIFY(ink > 500);
    }
};

QTEST_MAIN(TestPrintOutput)
#include "tst_printoutput.moc"
