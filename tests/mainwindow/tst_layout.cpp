#include "layout.h"
#include "twips.h"

#include <QTest>

#include <cmath>

namespace {

constexpr double TabWidth = 6255;

bool near(double a, double b) {
    return std::abs(a - b) < 0.01;
}

QList<double> heights(const MainLayout& l) {
    return {l.FrameAllg.height, l.DataGrid.height, l.SSTab1.height};
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
  private slots:
    // A size written back in twips gives the same pixels at the next start, at any DPI, and a
    // design size in twips lands on the nearest pixel.
    void twipsAndPixelsRoundTrip_data() {
        QTest::addColumn<double>("dpi");
        QTest::newRow("96") << 96.0;
        QTest::newRow("110") << 110.0;
        QTest::newRow("144") << 144.0;
        QTest::newRow("157.5") << 157.5;
    }
    void twipsAndPixelsRoundTrip() {
        QFETCH(double, dpi);
        for (int px = 0; px <= 3000; ++px)
            QCOMPARE(twipsToPixels(pixelsToTwips(px, dpi), dpi), px);
        QCOMPARE(twipsToPixels(13830, 96), 922);
        QCOMPARE(twipsToPixels(13830, 110), 1056); // 1056.46
        QCOMPARE(pixelsToTwips(1057, 110), 13837); // 13836.9
    }
    void designPositions() {
        const MainLayout l = designLayout();
        QVERIFY(l.DataGrid.right() <= l.SSTab1.left);
        QVERIFY(l.FrameAllg.right() >= l.SSTab1.right());
        QCOMPARE(l.FrameAllg.height, l.DataGrid.bottom() + 120);

        // the left column: rows in order above the table, none wider than the table
        const TwipRect* rows[] = {&l.cmbBack,          &l.lblSuchInf, &l.lblSuch[0], &l.txtSuch[0],
                                  &l.cmdSucheLoeschen, &l.lblAktDS,   &l.DataGrid};
        for (int i = 1; i < 7; ++i) {
            QVERIFY(rows[i - 1]->bottom() <= rows[i]->top);
            QVERIFY(rows[i]->left >= 120 && rows[i]->right() <= l.DataGrid.right());
        }
        QVERIFY(l.cmbBack.right() <= l.Data.left && l.Data.right() <= l.cmbForward.left);
        QCOMPARE(l.cmbForward.right(), l.DataGrid.right());
        // header above the tabs
        for (const TwipRect* r : {&l.Image1, &l.lblKiga, &l.Image2})
            QVERIFY(r->bottom() <= l.SSTab1.top && r->right() <= l.SSTab1.right());

        // at the design width the left column stays where it was designed
        MainLayout resized = l;
        fitToWindow(resized, DesignWindowWidth, DesignWindowHeight);
        QCOMPARE(resized.DataGrid, l.DataGrid);
        QCOMPARE(resized.Data, l.Data);
        QCOMPARE(resized.txtSuch[MainLayout::KNach].left, l.txtSuch[MainLayout::KNach].left);
        QVERIFY(
            near(resized.txtSuch[MainLayout::KOrt].right(), l.txtSuch[MainLayout::KOrt].right()));
    }

    void thresholds() {
        const MainLayout design = designLayout();
        MainLayout l = design;
        fitToWindow(l, 12000, 10550);
        QCOMPARE(l, design);

        fitToWindow(l, 12001, 10000);
        QCOMPARE(l.DataGrid.width, 12001 - TabWidth - 480);
        QCOMPARE(l.SSTab1.left, l.DataGrid.width + 240);
        QCOMPARE(heights(l), heights(design));
        const MainLayout wide = l;
        fitToWindow(l, 12001, 10000); // the same size again changes nothing
        QCOMPARE(l, wide);
        fitToWindow(l, 0, 0); // minimized
        QCOMPARE(l, wide);

        fitToWindow(l, 14000, 10551);
        QCOMPARE(heights(l), (QList<double>{9551, 9551 - 2520 - 120, 9551 - 1320 - 120}));
        const QList<double> tall = heights(l);
        fitToWindow(l, 14000, 9000); // below the threshold the heights stay
        QCOMPARE(heights(l), tall);
    }

    void searchRow_data() {
        QTest::addColumn<double>("G");
        QTest::addColumn<QList<double>>("widths");
        QTest::newRow("10000") << 10000.0 << QList<double>{1800, 1800, 1200, 1300, 700, 3100};
        QTest::newRow("7095") << 7095.0
                              << QList<double>{1277.1, 1277.1, 851.4, 922.35, 496.65, 2170.4};
    }
    void searchRow() {
        QFETCH(double, G);
        QFETCH(QList<double>, widths);
        MainLayout l = designLayout();
        fitToWindow(l, G + TabWidth + 480, 10000);
        QCOMPARE(l.DataGrid.width, G);
        const auto& f = l.txtSuch;
        for (int i = 0; i < MainLayout::SearchFieldCount; ++i) {
            QVERIFY2(near(f[i].width, widths[i]), qPrintable(QString::number(f[i].width)));
            if (i > 0)
                QVERIFY(near(f[i].left - f[i - 1].right(), 20));
            // captions follow their fields
            QCOMPARE(l.lblSuch[i].left, f[i].left);
            QCOMPARE(l.lblSuch[i].width, f[i].width);
        }
        QCOMPARE(f[MainLayout::KNach].left, 120.0);
        QVERIFY(near(f[MainLayout::KOrt].right(), l.DataGrid.right()));
    }

    void widening() {
        MainLayout before = designLayout();
        fitToWindow(before, 14000, 11000);
        MainLayout after = before;
        fitToWindow(after, 15000, 11000);

        QCOMPARE(after.SSTab1.width, TabWidth);
        for (auto r :
             {&MainLayout::DataGrid, &MainLayout::FrameAllg, &MainLayout::Data,
              &MainLayout::lblAktDS, &MainLayout::lblSuchInf, &MainLayout::cmdSucheLoeschen})
            QCOMPARE((after.*r).width, (before.*r).width + 1000);
        for (auto r : {&MainLayout::SSTab1, &MainLayout::Image1, &MainLayout::Image2,
                       &MainLayout::lblKiga, &MainLayout::cmbForward, &MainLayout::cmdForward})
            QCOMPARE((after.*r).left, (before.*r).left + 1000);
        QCOMPARE(after.cmbBack, before.cmbBack);
        QCOMPARE(heights(after), heights(before));
    }

    void negativeSizesNotApplied() {
        // a tab control wider than the window would give the table a negative width
        MainLayout l = designLayout();
        l.SSTab1.width = 20000;
        fitToWindow(l, 13000, 10000);
        QCOMPARE(l.DataGrid.width, 7095.0);
        QCOMPARE(l.FrameAllg.width, 13000 - 120.0); // the other steps still run

        // a table below the frame's new bottom keeps its height; the tabs still follow
        MainLayout v = designLayout();
        v.DataGrid.top = 12000;
        fitToWindow(v, 11000, 11000);
        QCOMPARE(heights(v), (QList<double>{10000, 6855, 10000 - 1320 - 120}));
    }
};

QTEST_APPLESS_MAIN(TestLayout)
#include "tst_layout.moc"
