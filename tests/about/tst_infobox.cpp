#include "infobox.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

#include <utility>

namespace {

QString text(const InfoBox& box, const char* name) {
    auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

} // namespace

class TestInfoBox : public QObject {
    Q_OBJECT
  private slots:
    void numberFormats() {
        QCOMPARE(formatBuildNumber(5), QStringLiteral(": 005"));
        QCOMPARE(formatBuildNumber(1234), QStringLiteral(": 1234"));
        QCOMPARE(formatBuildNumber(-5), QStringLiteral(": -005"));
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
        QCOMPARE(shown, (QStringList{name, name, "Belvonia", "Belvonia", "Version",
                                     formatVersion(TARVEX_VERSION_MAJOR, TARVEX_VERSION_MINOR),
                                     "Build", formatBuildNumber(TARVEX_VERSION_PATCH), "Datum",
                                     QString::fromUtf8(": M\xc3\xa4rz 2005")}));
        QVERIFY(!box.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().isNull());
        QVERIFY(!box.findChild<QLabel*>(QStringLiteral("Image3"))->pixmap().isNull());
        // nothing runs over the edge of its frame or of the box, the long debug name included
        for (QWidget* w : box.findChildren<QWidget*>())
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()),
                     qPrintable(w->objectName()));
    }

    // Name and company each lie on a white shadow, offset down and to the right.
    void shadowPairs() {
        InfoBox box(false);
        for (auto [name, shadow] : {std::pair{"lblSoftwareName0", "lblSoftwareName1"},
                                    std::pair{"lblCompanyText2", "lblCompanyText2Shadow"}}) {
            auto* front = box.findChild<QLabel*>(QString::fromLatin1(name));
            auto* back = box.findChild<QLabel*>(QString::fromLatin1(shadow));
            QVERIFY(back->x() > front->x() && back->y() > front->y());
            QCOMPARE(back->palette().color(QPalette::WindowText), QColor(Qt::white));
            const QPoint inBoth = back->geometry().intersected(front->geometry()).center();
            QCOMPARE(front->parentWidget()->childAt(inBoth), front);
        }
    }

    // A click anywhere on the modal box, or any key but a lone modifier, closes it.
    void closes_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("key"); // 0: a click
        QTest::addColumn<bool>("closes");
        for (const char* name :
             {"info", "Image1", "Image3", "lblSoftwareName0", "lblDate", "Line1"})
            QTest::addRow("click on %s", name) << QString::fromLatin1(name) << 0 << true;
        QTest::newRow("letter") << "info" << int(Qt::Key_A) << true;
        QTest::newRow("escape") << "info" << int(Qt::Key_Escape) << true;
        QTest::newRow("F1 on a picture") << "Image3" << int(Qt::Key_F1) << true;
        QTest::newRow("lone shift") << "info" << int(Qt::Key_Shift) << false;
    }
    void closes() {
        QFETCH(QString, target);
        QFETCH(int, key);
        QFETCH(bool, closes);
        InfoBox box(false);
        QWidget* w = target == box.objectName() ? &box : box.findChild<QWidget*>(target);
        QVERIFY(w);
        QTimer::singleShot(0, w, [&box, w, key] {
            if (key)
                QTest::keyClick(w, Qt::Key(key));
            else
                QTest::mouseClick(w, Qt::LeftButton);
            if (box.isVisible())
                box.done(-1);
        });
        QCOMPARE(box.exec() == QDialog::Accepted, closes);
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(TestInfoBox)
#include "tst_infobox.moc"
