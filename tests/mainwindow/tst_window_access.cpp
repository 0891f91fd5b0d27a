// The window and its dialogs as a screen reader and the keyboard alone meet them: every control
// that takes the focus has a name of its own; Tab reads the record shown and passes the table
// once; the sort menu opens from the keyboard; a cell is read with its record's number.

#include "testsupport.h"

#include "backupfolder.h"
#include "helppage.h"
#include "importdialog.h"
#include "printpreview.h"
#include "restoredialog.h"
#include "snapshotmodel.h"

#include <QAccessible>
#include <QFileDialog>

namespace {

// The focusable controls of a window (every page of its tab widgets in turn) that a screen reader
// announces without a name, or by a name another of them has.
QStringList namingFaults(QWidget* window) {
    QMap<QWidget*, QString> names;
    auto collect = [&] {
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(window) || w->focusPolicy() == Qt::NoFocus || w->focusProxy())
                continue;
            // A spin box's line edit takes the focus for it and is announced as the box.
            QWidget* named =
                w->parentWidget() && w->parentWidget()->focusProxy() == w ? w->parentWidget() : w;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(named);
            names.insert(named, a ? a->text(QAccessible::Name).trimmed() : QString());
        }
    };
    collect();
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
        const int shown = tabs->currentIndex();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            collect();
        }
        tabs->setCurrentIndex(shown);
    }
    QStringList faults;
    QMap<QString, QStringList> byName;
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        const QString id = it.key()->objectName().isEmpty()
                               ? QString::fromLatin1(it.key()->metaObject()->className())
                               : it.key()->objectName();
        if (it.value().isEmpty())
            faults << id + " ohne Namen";
        else
            byName[it.value()] << id;
    }
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        if (it.value().size() > 1)
            faults << it.key() + ": " + it.value().join(QLatin1String(", "));
    return faults;
}

int columnOf(const WindowView& m, const char* field) {
    for (int c = 0; c < m.gridModel()->columnCount(); ++c)
        if (m.gridModel()->headerData(c, Qt::Horizontal, SnapshotModel::FieldNameRole) ==
            QLatin1String(field))
            return c;
    return -1;
}

} // namespace

class TestWindowAccess : public WindowTest {
    Q_OBJECT
  private slots:
    void everyControlHasANameOfItsOwn() {
        startWith({childRecord(1, "Maier", "Anna", {{"GAnz", 3}}), childRecord(2, "Huber", "Ben")});
        QMap<QString, QStringList> faults;
        faults["Fenster"] = namingFaults(m().window);
        m().actions.changeRecord
            ->trigger(); // while a record is changed, the choice boxes are shown
        faults["Fenster beim Ändern"] = namingFaults(m().window);
        m().actions.saveRecord->trigger();
        auto walk = [&faults](const char* name, QAction* opens) {
            const auto opened =
                whenOpen(name, [&faults, name](QDialog* d) { faults[name] = namingFaults(d); });
            opens->trigger();
            QVERIFY2(*opened, name);
        };
        walk("Options", m().actions.tableOptions);
        walk("info", m().actions.about);
        w->boxes.answer<PrintPreview>(
            [&faults](PrintPreview& p) { faults["Vorschau"] = namingFaults(&p); });
        walk("PrintDialog", m().actions.print);
        const auto preview = whenOpen("PrintDialog", [](QDialog* d) { click(d, "cmdPreview"); });
        m().actions.print->trigger();
        QVERIFY(faults.contains("Vorschau"));

        folder->write("kinder.csv", "Nr;KNach\r\n1;Abel\r\n9;Zeller\r\n");
        w->boxes.answer<QFileDialog>(chooseFile(folder->file("kinder.csv")));
        w->boxes.answer<ImportDialog>(
            [&faults](ImportDialog& d) { faults["Import"] = namingFaults(&d); });
        m().actions.importRecords->trigger();
        QVERIFY(faults.contains("Import"));
        RestoreDialog restore({BackupEntry{}}, folder->path(), m().window);
        faults["Zurückspielen"] = namingFaults(&restore);
        HelpPage help(m().window);
        faults["Hilfe"] = namingFaults(&help);

        QStringList all;
        for (auto it = faults.cbegin(); it != faults.cend(); ++it)
            if (!it.value().isEmpty())
                all << it.key() + ": " + it.value().join("; ");
        QVERIFY2(all.isEmpty(), qPrintable(all.join("\n")));
    }

    // From the search fields, Tab passes the table once and reads the record shown; a click
    // into the record still goes to the table, and the sort menu opens from the keyboard.
    void keyboardAloneReadsAndSorts() {
        startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben"),
                   childRecord(3, "Abel", "Carla")});
        m().txtSuch[0]->setFocus(Qt::TabFocusReason);
        QList<QWidget*> stops;
        for (int i = 0; i < 40 && !stops.contains(m().txtBerechnung[3]); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            stops << QApplication::focusWidget();
        }
        QCOMPARE(stops.count(m().DataGrid), 1);
        QVERIFY(stops.contains(m().txtAngaben[0]) && stops.contains(m().txtBerechnung[3]));
        // Read, not changed: typing and the space bar leave the record as it is.
        QTest::keyClick(m().chckKEssen, Qt::Key_Space);
        QTest::keyClicks(m().txtAngaben[0], "X");
        QVERIFY(!m().chckKEssen->isChecked());
        QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("Maier"));
        QTest::mouseClick(m().txtAngaben[1], Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), m().DataGrid);

        const int surname = columnOf(m(), "KNach");
        for (int c = m().DataGrid->currentIndex().column(); c < surname; ++c)
            QTest::keyClick(m().DataGrid, Qt::Key_Right);
        auto sortByKey = [this](Qt::Key key, Qt::KeyboardModifiers modifiers, bool ascending) {
            QTest::keyClick(m().DataGrid, key, modifiers);
            QTRY_VERIFY(m().popMenu1->isVisible());
            m().popMenu1->hide();
            m().popMenu1Sub[ascending ? 0 : 1]->trigger();
        };
        sortByKey(Qt::Key_Menu, {}, false);
        QCOMPARE(m().column(surname), (QStringList{"Maier", "Huber", "Abel"}));
        for (int c = m().DataGrid->currentIndex().column(); c < surname; ++c)
            QTest::keyClick(m().DataGrid, Qt::Key_Right);
        sortByKey(Qt::Key_F10, Qt::ShiftModifier, true);
        QCOMPARE(m().column(surname), (QStringList{"Abel", "Huber", "Maier"}));
        // A cell is read with its row's record number, whatever the order.
        QAccessibleTableInterface* table =
            QAccessible::queryAccessibleInterface(m().DataGrid)->tableInterface();
        const QList<QAccessibleInterface*> header =
            table->cellAt(0, surname)->tableCellInterface()->rowHeaderCells();
        QCOMPARE(header.value(0) ? header[0]->text(QAccessible::Name) : QString(), "Nr. 3");
    }
};

QTEST_MAIN(TestWindowAccess)
#include "tst_window_access.moc"
