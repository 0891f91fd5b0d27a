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

    // In a window 1000 x 800 with a status bar of 20 and scroll bars of 16, whatever the sheet:
    // the view and the bars shown lie apart above the status bar; a bar shows where the sheet
    // does not fit with the other bar beside it, a direction that fits is centred (give or take
    // a bar), and the ends of a bar show the ends of the sheet.
    void previewLayout_data() {
        QTest::addColumn<QSize>("sheet");
        QTest::newRow("portrait A4") << QSize(794, 1123);
        QTest::newRow("landscape A4") << QSize(1123, 794);
        QTest::newRow("fits down, but not with a bar below") << QSize(794, 770);
        QTest::newRow("small") << QSize(400, 300);
        QTest::newRow("wide and low") << QSize(1500, 500);
    }

    void previewLayout() {
        QFETCH(QSize, sheet);
        const QRect window(0, 0, 1000, 780);
        for (int value : {0, 50, ScrollMax}) {
            const PreviewLayout l =
                layOutPreview({1000, 800, 20, 16, 16, sheet.width(), sheet.height(), value, value});
            QCOMPARE(l.hScrollVisible, sheet.width() + 16 >= 1000);
            QCOMPARE(l.vScrollVisible, sheet.height() + 16 >= 780);
            QVERIFY(window.contains(l.view));
            QCOMPARE(l.view.size(), sheet.boundedTo(QSize(l.vScrollVisible ? 984 : 1000,
                                                          l.hScrollVisible ? 764 : 780)));
            for (const auto& [visible, bar] :
                 {std::pair(l.hScrollVisible, l.hScroll), std::pair(l.vScrollVisible, l.vScroll)})
                QVERIFY(!visible || (window.contains(bar) && !bar.intersects(l.view)));
            // A bar reaches along its side of the window, up to the other bar.
            QCOMPARE(l.hScroll.width(), l.vScrollVisible ? 984 : 1000);
            QCOMPARE(l.vScroll.height(), l.hScrollVisible ? 764 : 780);
            if (!l.hScrollVisible)
                QVERIFY(std::abs(l.view.left() - (window.right() - l.view.right())) <= 16);
            if (!l.vScrollVisible)
                QVERIFY(std::abs(l.view.top() - (window.bottom() - l.view.bottom())) <= 16);
            const QSize hidden = sheet - l.view.size();
            for (const auto& [from, rest] :
                 {std::pair(l.x0, hidden.width()), std::pair(l.y0, hidden.height())})
                QVERIFY(value == 0           ? from == 0
                        : value == ScrollMax ? from == rest
                                             : from >= 0 && from <= rest &&
                                                   (rest == 0 || (from > 0 && from < rest)));
        }
    }
};

QTEST_MAIN(TestPrintRules)
#include "tst_printrules.moc"
