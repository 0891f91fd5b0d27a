#include "infobox.h"

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <utility>

namespace {

QString text(const InfoBox& box, const char* name) {
    auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestInfoBox : public QObject {
    Q_OBJECT
  private slots:
    void numberFormats() {
        QCOMPARE(formatBuildNumber(5), QStringLiteral(": 005"));
        QCOMPARE(formatBuildNumber(1234), QStringLiteral(": 1234"));
        QCOMPARE(formatVersion(1, 12), QStringLiteral(": 1.12"));
    }

    void texts_data() {
        QTest::addColumn<bool>("debug");
        QTest::addColumn<QString>("name");
        QTest::newRow("normal") << false << "Tarvex";
        QTest::newRow("debug") << true << "Tarvex - Debug";
    }
    void texts() {
        QFETCH(bool, debug);
        QFETCH(QString, name);
        InfoBox box(debug);
        QCOMPARE(box.objectName(), QStringLiteral("info"));
        QCOMPARE(box.windowTitle(), QStringLiteral("Info"));
        QStringList shown;
        for (const char* label : {"lblSoftwareName0", "lblSoftwareName1", "lblCompanyText2",
                                  "lblCompanyText2Shadow", "lblSoftwareVersion", "lblVersion",
                                  "lblSoftwareBuildNo", "lblBuildNo", "lblSoftwareDate", "lblDate"})
            shown << text(box, label);
        QCOMPARE(shown,
                 (QStringList{name, name, "Belvonia", "Belvonia", "Version", ": 0.3", "Build",
                              ": 067", "Datum", QString::fromUtf8(": M\xc3\xa4rz 2005")}));
        QVERIFY(!box.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().isNull());
        QVERIFY(!box.findChild<QLabel*>(QStringLiteral("Image3"))->pixmap().isNull());
        // nothing runs over the edge of its frame or of the box, the long debug name included
        for (QWidget* w : box.findChildren<QWidget*>())
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()),
                     qPrintable(w->objectName()));
    }

    void shadowPairs() {
        InfoBox box(false);
        for (auto [name, shadow] : {std::pair{"lblSoftwareName0", "lblSoftwareName1"},
                                    std::pair{"lblCompanyText2", "lblCompanyText2Shadow"}}) {
            auto* front = box.findChild<QLabel*>(QString::fromLatin1(name));
            auto* back = box.findChild<QLabel*>(QString::fromLatin1(shadow));
            // 30 and 25 twips both round to 2 pixels
            QCOMPARE(back->pos(), front->pos() + QPoint(2, 2));
            QCOMPARE(back->palette().color(QPalette::WindowText), QColor(Qt::white));
            QVERIFY(front->font().bold() && back->font().bold());
            QCOMPARE(back->font().family(), QStringLiteral("Arial"));
            // the coloured text lies on top of its white shadow
            const QPoint inBoth = back->geometry().intersected(front->geometry()).center();
            QCOMPARE(front->parentWidget()->childAt(inBoth), front);
        }
    }

    void closesOnClick_data() {
        QTest::addColumn<QString>("target");
        for (const char* name :
             {"info", "Image1", "Image3", "lblSoftwareName0", "lblDate", "Line1"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void closesOnClick() {
        QFETCH(QString, target);
        InfoBox box(false);
        QWidget* w = target == box.objectName() ? &box : box.findChild<QWidget*>(target);
        QVERIFY(w);
        // modal, as from the help menu
        QTimer::singleShot(0, w, [w] { QTest::mouseClick(w, Qt::LeftButton); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
    }

    void closesOnKey_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("letter") << int(Qt::Key_A) << true;
        QTest::newRow("escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("F1") << int(Qt::Key_F1) << true;
        QTest::newRow("lone shift") << int(Qt::Key_Shift) << false;
    }
    void closesOnKey() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        InfoBox box(false);
        box.show();
        QTest::keyClick(&box, Qt::Key(key));
        QCOMPARE(box.isVisible(), !closes);
    }

    void startScreen_data() {
        QTest::addColumn<bool>("ownerDisabledFirst");
        QTest::newRow("owner disabled before") << true;
        QTest::newRow("owner disabled after") << false;
    }
    void startScreen() {
        // The main window takes no input while the start screen is up; the box itself must.
        QFETCH(bool, ownerDisabledFirst);
        QWidget owner;
        owner.resize(600, 400);
        owner.show();
        owner.setEnabled(!ownerDisabledFirst);
        QPointer<InfoBox> box = InfoBox::showStartScreen(false, &owner);
        QVERIFY(QTest::qWaitForWindowExposed(box));
        owner.setEnabled(false);
        // a click arriving through the window system closes and deletes it early ...
        QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {}, QPoint(40, 230));
        flushDeletes();
        QVERIFY(box.isNull());
        QVERIFY(!owner.isEnabled());

        // ... or the owner's timer closes it
        box = InfoBox::showStartScreen(true, &owner);
        if (box)
            box->close();
        if (box)
            box->close(); // closing a closed box is harmless
        flushDeletes();
        QVERIFY(box.isNull());
    }
};

QTEST_MAIN(TestInfoBox)
#include "tst_infobox.moc"
