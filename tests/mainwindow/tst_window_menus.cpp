// The menu bar of the main window: entries, help texts, the edit commands, help, about box and
// printer set-up.

#include "testsupport.h"

#include "infobox.h"
#include "menutree.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QTableView>
#include <QTest>
#include <QTimer>

class TestMenus : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void entriesCarryCaptionsShortcutsAndIcons();
    void highlightedEntryShowsItsHelpText();
    void searchEntryMovesToSearchRow();
    void pasteFollowsClipboardAndEditability_data();
    void pasteFollowsClipboardAndEditability();
    void editCommandsLeaveBrowsedRecordAlone();
    void editCommandsWorkInSearchField();
    void helpSaysNotYetAvailable();
    void aboutBoxOpensModally();
    void cancelledPrinterSetupKeepsOrientation();
    void endCommandClosesAndSaves();

  private:
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<WindowUnderTest> w;
};

void TestMenus::init() {
    folder = std::make_unique<ProgramFolder>();
    createDatabase(folder->file("TarvexDB.mdb"),
                   {childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben")});
    w = std::make_unique<WindowUnderTest>(folder->path());
    QVERIFY(w->start());
    w->window->show();
    QApplication::setActiveWindow(w->window.get());
}

void TestMenus::cleanup() {
    if (w && w->window)
        w->close();
    w.reset();
    folder.reset();
}

void TestMenus::entriesCarryCaptionsShortcutsAndIcons() {
    // Every entry of the menu tree is wired with its shortcut and icon, by element number.
    WindowView& m = *w->view;
    const QList<QAction*>* arrays[] = {&m.mnuFileSub,  &m.mnuEditSub,   &m.mnuDSSub,
                                       &m.mnuSetupSub, &m.mnuExtrasSub, &m.mnuHelpSub,
                                       &m.popMenu1Sub};
    for (int i = 0; i < menuTree().size(); ++i)
        for (const MenuEntry& e : menuTree()[i].entries) {
            QAction* a = arrays[i]->value(e.element);
            QVERIFY(a && a->isSeparator() == e.separator);
            QCOMPARE(a->shortcut(), QKeySequence(e.shortcut));
            QCOMPARE(a->icon().isNull(), e.iconKey.isEmpty());
        }
    QVERIFY(!m.window->menuBar()->actions().contains(m.popMenu1->menuAction()));
    // The menu bar in its order: "E&xtras" stands before "&Hilfe".
    QStringList bar;
    for (QAction* a : m.window->menuBar()->actions())
        bar << a->text();
    QCOMPARE(bar, (QStringList{"&Datei", "&Bearbeiten", "Daten&satz", "&Einstellungen", "E&xtras",
                               "&Hilfe"}));
}

void TestMenus::highlightedEntryShowsItsHelpText() {
    WindowView& m = *w->view;
    m.mnuFile->popup(m.window->mapToGlobal(QPoint(10, 10)));
    m.mnuFile->setActiveAction(m.mnuFileSub[3]);
    QCOMPARE(m.kMain->text(), QStringLiteral("Beendet die Anwendung"));
    // "&Drucken..." is not yet available: the mouse over it empties the panel.
    QTest::mouseMove(m.mnuFile, m.mnuFile->actionGeometry(m.mnuFileSub[1]).center());
    QCOMPARE(m.kMain->text(), QString());
    m.mnuFile->setActiveAction(m.mnuFileSub[0]);
    QCOMPARE(m.kMain->text(), QStringLiteral("Richtet den Drucker ein"));
    m.mnuFile->hide();
}

void TestMenus::searchEntryMovesToSearchRow() {
    WindowView& m = *w->view;
    QVERIFY(m.mnuFileSub[0]->isEnabled());
    QVERIFY(m.mnuHelpSub[2]->isEnabled());
    // "S&uchen" takes the user to the search row and changes nothing else.
    QString before = m.txtNr->text();
    m.mnuDSSub[5]->trigger();
    QCOMPARE(QApplication::focusWidget(), m.txtSuch[0]);
    QCOMPARE(m.txtNr->text(), before);
}

void TestMenus::pasteFollowsClipboardAndEditability_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("pasteEnabled");
    QTest::newRow("text, search field") << "text" << true;
    QTest::newRow("text and picture") << "text+image" << true;
    QTest::newRow("rich text") << "html" << true;
    QTest::newRow("picture only") << "image" << false;
    QTest::newRow("empty clipboard") << "none" << false;
}

void TestMenus::pasteFollowsClipboardAndEditability() {
    QFETCH(QString, content);
    QFETCH(bool, pasteEnabled);
    WindowView& m = *w->view;
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
    QLineEdit* target = m.txtSuch[1];
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    emit m.mnuEdit->aboutToShow();
    QCOMPARE(m.mnuEditSub[1]->isEnabled(), pasteEnabled);
    QVERIFY(m.mnuEditSub[5]->isEnabled());
}

void TestMenus::editCommandsLeaveBrowsedRecordAlone() {
    WindowView& m = *w->view;
    QGuiApplication::clipboard()->setText("Fremd");
    QLineEdit* surname = m.txtAngaben[0];
    const QString shown = surname->text();
    // Browsing, a click into the record leaves the keyboard with the table.
    QTest::mouseClick(surname, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m.DataGrid));
    emit m.mnuEdit->aboutToShow();
    for (int i : {0, 1, 3}) {
        QVERIFY(!m.mnuEditSub[i]->isEnabled());
        m.mnuEditSub[i]->trigger();
    }
    QCOMPARE(surname->text(), shown);
}

void TestMenus::editCommandsWorkInSearchField() {
    WindowView& m = *w->view;
    QLineEdit* field = m.txtSuch[1];
    field->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), field);
    emit m.mnuEdit->aboutToShow();
    QVERIFY(!m.mnuEditSub[0]->isEnabled()); // nothing selected: no cut, copy or delete
    QVERIFY(!m.mnuEditSub[2]->isEnabled());
    QVERIFY(!m.mnuEditSub[3]->isEnabled());
    QGuiApplication::clipboard()->setText("An");
    auto choose = [&m](int element) { // opening the menu, then the entry
        emit m.mnuEdit->aboutToShow();
        m.mnuEditSub[element]->trigger();
    };
    choose(1);
    QCOMPARE(field->text(), QStringLiteral("An"));
    // A menu closed with Esc leaves the focus on the menu bar: the commands still act on the
    // field.
    m.window->menuBar()->setFocus(Qt::MenuBarFocusReason);
    QTRY_VERIFY(m.window->menuBar()->hasFocus());
    choose(1);
    QCOMPARE(field->text(), QStringLiteral("AnAn"));
    choose(5);
    QCOMPARE(field->selectedText(), QStringLiteral("AnAn"));
    choose(0);
    QCOMPARE(field->text(), QString());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("AnAn"));
}

void TestMenus::helpSaysNotYetAvailable() {
    WindowView& m = *w->view;
    m.mnuHelpSub[0]->trigger();
    QCOMPARE(int(w->boxes.shown.size()), 1);
    QCOMPARE(w->boxes.shown[0].text, QStringLiteral("noch nicht verfügbar"));
    QCOMPARE(w->boxes.shown[0].title, QStringLiteral("Tarvex"));
    QCOMPARE(w->boxes.shown[0].icon, MessageBoxes::Icon::None);
}

void TestMenus::aboutBoxOpensModally() {
    WindowView& m = *w->view;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<InfoBox*>(QApplication::activeModalWidget());
        seen = box != nullptr;
        if (box)
            QTest::keyClick(box, Qt::Key_Space);
    });
    m.mnuHelpSub[2]->trigger();
    QVERIFY(seen);
    QVERIFY(m.window->isEnabled());
}

void TestMenus::cancelledPrinterSetupKeepsOrientation() {
    cleanup();
    folder = std::make_unique<ProgramFolder>();
    createDatabase(folder->file("TarvexDB.mdb"), {childRecord(1, "Maier", "Anna")});
    folder->write("Tarvex.ini", "[Drucken]\r\nAusrichtung=0\r\n");
    QPageLayout::Orientation offered = QPageLayout::Portrait;
    bool choosePortrait = false;
    w = std::make_unique<WindowUnderTest>(
        folder->path(), QStringList(), false, 0, [&](QPageSetupDialog& dialog) {
            offered = dialog.printer()->pageLayout().orientation();
            if (choosePortrait)
                dialog.printer()->setPageOrientation(QPageLayout::Portrait);
            choosePortrait ? dialog.accept() : dialog.reject();
        });
    QVERIFY(w->start());
    WindowView& m = *w->view;
    m.mnuFileSub[0]->trigger();
    QCOMPARE(offered, QPageLayout::Landscape);
    // A choice made in the dialog is taken and reaches the settings file at the end.
    choosePortrait = true;
    m.mnuFileSub[0]->trigger();
    w->close();
    QVERIFY(folder->read("Tarvex.ini").contains("Ausrichtung=1"));
}

void TestMenus::endCommandClosesAndSaves() {
    WindowView& m = *w->view;
    m.mnuFileSub[3]->trigger();
    QVERIFY(!m.window->isVisible());
    QVERIFY(folder->read("Tarvex.ini").contains("Links=50"));
}

QTEST_MAIN(TestMenus)
#include "tst_window_menus.moc"
