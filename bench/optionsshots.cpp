// Pictures of the options dialog for looking at it: optionsshots <program folder> <out folder>.
// Drives the real window (under Xvfb or a desktop): each tab of "Einstellungen", the font dialog
// over it, and the table before and after a changed column choice with the same child shown.
// The column choice is applied; the other settings are left as they were.

#include "testsupport.h"
#include "widgetmessageboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFontDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qt;
    if (qt.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    const auto save = [&out](const QPixmap& picture, const QString& name) {
        picture.save(out + QLatin1Char('/') + name + QStringLiteral(".png"));
    };
    const auto screenShot = [&save](const QString& name) {
        QTest::qWait(400);
        save(QGuiApplication::primaryScreen()->grabWindow(0), name);
    };

    // The font dialog is pictured while it shows, then cancelled.
    struct ShotBoxes : WidgetMessageBoxes {
        std::function<void(const QString&)> shot;
        void run(QDialog& dialog) override {
            if (qobject_cast<QFontDialog*>(&dialog))
                QTimer::singleShot(0, &dialog, [&] {
                    shot(QStringLiteral("4-font-dialog"));
                    dialog.reject();
                });
            dialog.exec();
        }
    } boxes;
    boxes.shot = screenShot;
    TarvexMain::Options o;
    o.programFolder = QString::fromLocal8Bit(argv[1]);
    o.boxes = &boxes;
    o.startScreenMs = 0;
    o.singleInstance = false;
    TarvexMain w(o);
    if (!w.start())
        return 1;
    w.finishStartScreen();
    WindowView m(&w);
    w.move(0, 0);
    w.resize(1380, 900);
    // A child in the middle of the list.
    m.clickRow(7);
    QTest::qWait(300);
    save(w.grab(), QStringLiteral("5-table-before"));

    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        auto* tabs = d->findChild<QTabWidget*>(QStringLiteral("SSTab"));
        const QString names[3] = {QStringLiteral("1-datentabelle"),
                                  QStringLiteral("2-seitenlayout"), QStringLiteral("3-anschrift")};
        for (int tab = 0; tab < 3; ++tab) {
            tabs->setCurrentIndex(tab);
            QTest::qWait(300);
            save(d->grab(), names[tab]);
        }
        tabs->setCurrentIndex(1);
        d->findChild<QAbstractButton*>(QStringLiteral("cmdFont1"))->click();
        tabs->setCurrentIndex(0);
        for (const char* box : {"chckTab_0", "chckTab_1", "chckTab_6", "chckTab_8"})
            d->findChild<QCheckBox*>(QString::fromLatin1(box))->click();
        QTest::qWait(200);
        save(d->grab(), QStringLiteral("6-datentabelle-changed"));
        d->findChild<QPushButton*>(QStringLiteral("cmdApply"))->click();
        screenShot(QStringLiteral("7-applied-dialog-over-window"));
        d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    m.actions.tableOptions->trigger();
    QTest::qWait(300);
    save(w.grab(), QStringLiteral("8-table-after-same-child"));
    std::printf("shown: %s\n", qPrintable(m.txtNr->text()));
    // The column choice goes back to what it was, so the program folder stays as it was.
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        for (const char* box : {"chckTab_0", "chckTab_1", "chckTab_6", "chckTab_8"})
            d->findChild<QCheckBox*>(QString::fromLatin1(box))->click();
        d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    m.actions.tableOptions->trigger();
    return 0;
}
