// The menu bar of the main window: entries, help texts, the edit commands, the about box and the
// printer set-up.

#include "testsupport.h"

#include "menutree.h"

#include <QClipboard>
#include <QImage>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrinter>

class TestMenus : public WindowTest {
    Q_OBJECT

    void start() { startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben")}); }
    void focusOn(QWidget* target) {
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);
    }
    // Opening the edit menu, then choosing the entry.
    void choose(int element) {
        emit m().mnuEdit->aboutToShow();
        m().mnuEditSub[element]->trigger();
    }

  private slots:
    void entriesCarryCaptionsShortcutsAndIcons() {
        // Every entry of the menu table is an action named after its command, in its place, with
        // its shortcut and icon.
        start();
        for (const MenuDef& def : menuTree()) {
            const QList<QAction*> actions = m().window->findChild<QMenu*>(def.name)->actions();
            QCOMPARE(actions.size(), def.entries.size());
            for (qsizetype i = 0; i < actions.size(); ++i) {
                const MenuEntry& e = def.entries[i];
                QAction* a = actions[i];
                QCOMPARE(a->isSeparator(), e.separator());
                QCOMPARE(a->objectName(), e.name);
                QCOMPARE(a->text(), e.separator() ? QString() : e.caption);
                QCOMPARE(a->shortcut(), QKeySequence(e.shortcut));
                QCOMPARE(a->icon().isNull(), e.iconKey.isEmpty());
            }
        }
        QVERIFY(!m().window->menuBar()->actions().contains(m().popMenu1->menuAction()));
        // The menu bar in its order: "E&xtras" stands before "&Hilfe".
        QStringList bar;
        for (QAction* a : m().window->menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{"&Datei", "&Bearbeiten", "Daten&satz", "&Einstellungen",
                                   "E&xtras", "&Hilfe"}));
    }

    void highlightedEntryShowsItsHelpText() {
        start();
        QTest::keyClicks(m().txtSuch[0], "Q"); // no rows: "&Drucken..." is disabled
        QMenu* file = m().mnuFile;
        file->popup(m().window->mapToGlobal(QPoint(10, 10)));
        file->setActiveAction(m().actions.quit);
        QCOMPARE(m().kMain->text(), QStringLiteral("Beendet die Anwendung"));
        // A disabled entry shows no help: the mouse over it empties the panel.
        QTest::mouseMove(file, file->actionGeometry(m().actions.print).center());
        QCOMPARE(m().kMain->text(), QString());
        file->setActiveAction(m().actions.pageSetup);
        QCOMPARE(m().kMain->text(), QStringLiteral("Richtet den Drucker ein"));
        file->hide();
    }

    void searchEntryMovesToSearchRow() {
        start();
        QVERIFY(m().actions.pageSetup->isEnabled() && m().actions.about->isEnabled());
        // "S&uchen" takes the user to the search row and changes nothing else.
        const QString before = m().txtNr->text();
        m().actions.search->trigger();
        QCOMPARE(QApplication::focusWidget(), m().txtSuch[0]);
        QCOMPARE(m().txtNr->text(), before);
    }

    void pasteFollowsClipboardAndEditability_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("pasteEnabled");
        QTest::newRow("text, search field") << "text" << true;
        QTest::newRow("text and picture") << "text+image" << true;
        QTest::newRow("rich text") << "html" << true;
        QTest::newRow("picture only") << "image" << false;
        QTest::newRow("empty clipboard") << "none" << false;
    }
    void pasteFollowsClipboardAndEditability() {
        QFETCH(QString, content);
        QFETCH(bool, pasteEnabled);
        start();
        auto* mime = new QMimeData;
        if (content.contains("text"))
            mime->setText("Müller");
        if (content.contains("image"))
            mime->setImageData(QImage(4, 4, QImage::Format_RGB32));
        if (content == "html") {
            mime->setHtml("<b>Müller</b>");
            mime->setText("Müller");
        }
        QGuiApplication::clipboard()->setMimeData(mime);
        focusOn(m().txtSuch[1]);
        emit m().mnuEdit->aboutToShow();
        QCOMPARE(m().actions.paste->isEnabled(), pasteEnabled);
        QVERIFY(m().actions.selectAll->isEnabled());
    }

    void editCommandsLeaveBrowsedRecordAlone() {
        start();
        QGuiApplication::clipboard()->setText("Fremd");
        QLineEdit* surname = m().txtAngaben[0];
        const QString shown = surname->text();
        // Browsing, a click into the record leaves the keyboard with the table.
        QTest::mouseClick(surname, Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), m().DataGrid);
        emit m().mnuEdit->aboutToShow();
        for (int i : {0, 1, 3}) {
            QVERIFY(!m().mnuEditSub[i]->isEnabled());
            m().mnuEditSub[i]->trigger();
        }
        QCOMPARE(surname->text(), shown);
    }

    void editCommandsWorkInSearchField() {
        start();
        QLineEdit* field = m().txtSuch[1];
        focusOn(field);
        emit m().mnuEdit->aboutToShow();
        // nothing selected: no cut, copy or delete
        for (int i : {0, 2, 3})
            QVERIFY(!m().mnuEditSub[i]->isEnabled());
        QGuiApplication::clipboard()->setText("An");
        choose(1);
        QCOMPARE(field->text(), QStringLiteral("An"));
        // A menu closed with Esc leaves the focus on the menu bar: the commands still act on
        // the field.
        m().window->menuBar()->setFocus(Qt::MenuBarFocusReason);
        QTRY_VERIFY(m().window->menuBar()->hasFocus());
        choose(1);
        QCOMPARE(field->text(), QStringLiteral("AnAn"));
        choose(5);
        QCOMPARE(field->selectedText(), QStringLiteral("AnAn"));
        choose(0);
        QCOMPARE(field->text(), QString());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("AnAn"));
    }

    void aboutBoxOpensModally() {
        start();
        const auto opened = whenOpen("info", [](QDialog* box) {
            QTest::keyClick(box, Qt::Key_Space);
            QVERIFY(!box->isVisible());
        });
        m().actions.about->trigger();
        QVERIFY(*opened);
        QVERIFY(m().window->isEnabled());
    }

    void cancelledPrinterSetupKeepsOrientation() {
        startWith({childRecord(1, "Maier", "Anna")}, "[Drucken]\r\nAusrichtung=0\r\n");
        QPageLayout::Orientation offered = QPageLayout::Portrait;
        bool choosePortrait = false;
        w->boxes.answer<QPageSetupDialog>([&](QPageSetupDialog& dialog) {
            offered = dialog.printer()->pageLayout().orientation();
            if (choosePortrait)
                dialog.printer()->setPageOrientation(QPageLayout::Portrait);
            choosePortrait ? dialog.accept() : dialog.reject();
        });
        m().actions.pageSetup->trigger();
        QCOMPARE(offered, QPageLayout::Landscape);
        // A choice made in the dialog is taken and reaches the settings file at the end.
        choosePortrait = true;
        m().actions.pageSetup->trigger();
        QCOMPARE(offered, QPageLayout::Landscape); // the cancel before kept it
        w->close();
        QVERIFY(folder->read("Tarvex.ini").contains("Ausrichtung=1"));
    }
};

QTEST_MAIN(TestMenus)
#include "tst_window_menus.moc"
