#include "copycount.h"
#include "previewlayout.h"

#include <QtTest>

class TestPrintRules : public QObject {
    Q_OBJECT

  private slots:
    void leavingTheCopyCount_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::addColumn<int>("count");

        // count < 0: the box says it is too large.
        const std::tuple<const char*, const char*, const char*, int> rows[] = {
            {"empty", "", "1", 1},
            {"zero", "00", "1", 1},
            {"leading zero stays", "07", "07", 7},
            {"ninety-nine", "99", "99", 99},
            {"hundred", "100", "99", -99},
            {"pasted huge", "123456789012345678901", "99", -99},
            {"pasted with blanks", " 5 ", "5", 5},
            {"pasted letters", "drei", "1", 1},
            {"pasted negative", "-3", "1", 1},
            {"pasted decimal", "2,5", "1", 1}};
        for (const auto& [name, typed, left, count] : rows)
            QTest::newRow(name) << QString::fromLatin1(typed) << QString::fromLatin1(left) << count;
    }

    void leavingTheCopyCount() {
        QFETCH(QString, typed);
        QFETCH(QString, left);
        QFETCH(int, count);
        const CopyCount::Checked checked = CopyCount::check(typed);
        QCOMPARE(checked.text, left);
        QCOMPARE(checked.count, std::abs(count));
        QCOMPARE(checked.tooLarge, count < 0);
        QCOMPARE(CopyCount::step(typed, 1), QString::number(std::min(99, std::abs(count) + 1)));
    }

    // A window 1000 x 800 with a status bar of 20 and scroll bars of 16; an A4 sheet at 96 dots per
    // inch is 794 x 1123.
    void previewLayout_data() {
        QTest::addColumn<QSize>("sheet");
        QTest::addColumn<int>("hValue");
        QTest::addColumn<int>("vValue");
        QTest::addColumn<QRect>("hScroll"); // empty: hidden
        QTest::addColumn<QRect>("vScroll");
        QTest::addColumn<QRect>("view");
        QTest::addColumn<QPoint>("from");

        // Narrower than the window: centred across, no horizontal bar, the vertical one down to the
        // status bar; at 0 the view shows the sheet's top, at 50 its middle, at 100 its bottom end.
        const QSize a4(794, 1123);
        const QRect vFull(984, 0, 16, 780);
        QTest::newRow("portrait, top")
            << a4 << 0 << 0 << QRect() << vFull << QRect(95, 0, 794, 780) << QPoint(0, 0);
        QTest::newRow("portrait, middle")
            << a4 << 0 << 50 << QRect() << vFull << QRect(95, 0, 794, 780) << QPoint(0, 171);
        QTest::newRow("portrait, bottom")
            << a4 << 0 << 100 << QRect() << vFull << QRect(95, 0, 794, 780) << QPoint(0, 343);
        // Only 10 pixels lower than the room above the status bar: too high with the bar below it.
        QTest::newRow("nearly fits") << QSize(794, 770) << 0 << 0 << QRect() << vFull
                                     << QRect(95, 0, 794, 770) << QPoint(0, 0);
        // Wider and higher: both bars, the view from the corner.
        QTest::newRow("landscape, right")
            << QSize(1123, 794) << 100 << 0 << QRect(0, 764, 984, 16) << QRect(984, 0, 16, 764)
            << QRect(0, 0, 984, 764) << QPoint(139, 0);
        // Smaller both ways: centred, at top (800 - 16 - 300) / 2, no bars.
        QTest::newRow("small") << QSize(400, 300) << 100 << 100 << QRect() << QRect()
                               << QRect(292, 242, 400, 300) << QPoint(0, 0);
        // Low but too wide: centred down, the horizontal bar across the whole width.
        QTest::newRow("wide and low") << QSize(1500, 500) << 50 << 0 << QRect(0, 764, 1000, 16)
                                      << QRect() << QRect(0, 142, 1000, 500) << QPoint(250, 0);
    }

    void previewLayout() {
        QFETCH(QSize, sheet);
        QFETCH(int, hValue);
        QFETCH(int, vValue);
        QFETCH(QRect, hScroll);
        QFETCH(QRect, vScroll);
        QFETCH(QRect, view);
        QFETCH(QPoint, from);
        const PreviewLayout l =
            layOutPreview({1000, 800, 20, 16, 16, sheet.width(), sheet.height(), hValue, vValue});
        QCOMPARE(l.hScrollVisible ? l.hScroll : QRect(), hScroll);
        QCOMPARE(l.vScrollVisible ? l.vScroll : QRect(), vScroll);
        QCOMPARE(l.view, view);
        QCOMPARE(QPoint(l.x0, l.y0), from);
    }
};

QTEST_MAIN(TestPrintRules)
#include "tst_printrules.moc"
