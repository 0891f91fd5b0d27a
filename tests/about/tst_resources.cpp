#include "tarvexresources.h"

#include <QImage>
#include <QTest>

// Links tarvex_resources alone: everything must load without an initialisation call.
class TestResources : public QObject {
    Q_OBJECT
  private slots:
    void menuIcons() {
        for (const char* k :
             {"HELP",     "ADRESS",  "DSNEW", "DSDEL",   "DSFIND",     "DSEDIT",    "DSSAVE",
              "OPENFILE", "NEWFILE", "FIND",  "CUT",     "PRINTSETUP", "PAGESETUP", "DEL",
              "COPY",     "EXIT",    "TABOP", "SORTASC", "SORTDES",    "PASTE",     "PRINT"}) {
            const QString key = QString::fromLatin1(k);
            QCOMPARE(QImage(QStringLiteral(":/icons/%1.png").arg(key)).size(), QSize(16, 16));
            QCOMPARE(QImage(QStringLiteral(":/icons/32/%1.png").arg(key)).size(), QSize(32, 32));
            QCOMPARE(TarvexResources::menuIcon(key).availableSizes().size(), 2);
        }
        QVERIFY(TarvexResources::menuIcon(QString()).isNull());
        QVERIFY(TarvexResources::menuIcon(QStringLiteral("NOSUCHICON")).isNull());
    }

    void pictures() {
        for (const QString& path :
             {TarvexResources::headerLeftPicture(), TarvexResources::headerRightPicture(),
              TarvexResources::programPicture(), TarvexResources::aboutPicture()})
            QCOMPARE(QImage(path).size(), QSize(64, 64));
        QVERIFY(TarvexResources::programIcon().availableSizes().contains(QSize(256, 256)));
        for (bool on : {true, false}) {
            QCOMPARE(QImage(TarvexResources::boldPicture(on)).size(), QSize(20, 20));
            QCOMPARE(QImage(TarvexResources::italicPicture(on)).size(), QSize(20, 20));
        }
        for (const QString& path :
             {TarvexResources::portraitPicture(), TarvexResources::landscapePicture()})
            QCOMPARE(QImage(path).size(), QSize(48, 48));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
