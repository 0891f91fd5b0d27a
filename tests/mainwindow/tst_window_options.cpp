// The options through the real window: the settings menu opens the dialog on each tab; Apply and
// OK change the table's columns with the same child shown, the kindergarten's name and the print
// settings, which reach Tarvex.ini at the end; Cancel keeps everything; a record being entered or
// changed keeps its input.

#include "settings.h"
#include "testsupport.h"

#include "snapshotmodel.h"

#include <QFontDialog>
#include <QScreen>
#include <QSpinBox>
#include <QToolButton>

class TestWindowOptions : public WindowTest {
    Q_OBJECT

    void start() {
        const Record konf{{"KKonf", "rk"}, {"VNach", "Vater"}, {"VVor", "Fritz"}};
        startWith({childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben", konf),
                   childRecord(3, "Zeller", "Carla", konf), childRecord(4, "Abel", "Dora")});
    }
    // Chooses a settings entry and runs script on the dialog while it is open; a dialog the
    // script leaves open is cancelled.
    void options(int entry, const std::function<void(QDialog*)>& script) {
        QVERIFY(m().mnuSetupSub[entry]->isEnabled());
        const auto opened = whenOpen("Options", script);
        m().mnuSetupSub[entry]->trigger();
        QVERIFY(*opened);
        QVERIFY(!QApplication::activeModalWidget());
    }
    QStringList fields() const {
        QStringList names;
        const QAbstractItemModel* model = w->view->gridModel();
        for (int c = 0; c < model->columnCount(); ++c)
            names << model->headerData(c, Qt::Horizontal, SnapshotModel::FieldNameRole).toString();
        return names;
    }

  private slots:
    void eachEntryOpensItsTab_data() {
        QTest::addColumn<int>("entry");
        QTest::newRow("&Tabelle") << 0;
        QTest::newRow("&Seitenlayout") << 1;
        QTest::newRow("&Anschrift") << 2;
    }
    void eachEntryOpensItsTab() {
        QFETCH(int, entry);
        start();
        options(entry, [&](QDialog* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Einstellungen"));
            QCOMPARE(control<QTabWidget>(d, "SSTab")->currentIndex(), entry);
            QCOMPARE(d->parentWidget(), w->window.get());
            const QPoint centre = d->screen()->geometry().center();
            QVERIFY(qAbs(d->frameGeometry().center().x() - centre.x()) <= 1);
            QVERIFY(qAbs(d->frameGeometry().center().y() - centre.y()) <= 1);
            QCOMPARE(control<QLineEdit>(d, "txtName")->text(), QStringLiteral("Belvonia"));
            QVERIFY(!control<QPushButton>(d, "cmdApply")->isEnabled());
        });
    }

    void columnChoiceKeepsChildShown() {
        start();
        // Sorted by first name descending, Carla (3) is the second row; she is shown.
        m().DataGrid->setColumnWidth(2, m().pixelsX(2000));
        const int width = m().DataGrid->columnWidth(2);
        m().txtSuch[0]->setFocus();
        m().clickRow(2);
        QCOMPARE(m().txtNr->text(), QStringLiteral("3"));
        const QStringList back = m().items(m().cmbBack);

        options(0, [&](QDialog* d) {
            click(d, "chckTab_0");
            click(d, "chckTab_11");
            click(d, "cmdApply");
            // Applied while the dialog is still open: the table has the new columns at once.
            QCOMPARE(fields(), (QStringList{"Nr", "KNach", "KVor", "KGeb", "KGrp", "KEssen",
                                            "KKonf", "VNach", "VVor"}));
            QVERIFY(d->isVisible());
        });
        QCOMPARE(m().txtNr->text(), QStringLiteral("3"));
        QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("Zeller"));
        const int row = m().DataGrid->currentIndex().row();
        QCOMPARE(m().column(0).value(row), QStringLiteral("3"));
        QCOMPARE(m().column(6).value(row), QStringLiteral("rk"));
        QCOMPARE(m().items(m().cmbBack), back);
        // Column widths stay with their positions.
        QCOMPARE(m().DataGrid->columnWidth(2), width);

        // One group less, and the choice reaches the file with the table's columns at the end.
        options(0, [&](QDialog* d) {
            QVERIFY(control<QCheckBox>(d, "chckTab_0")->isChecked());
            click(d, "chckTab_0");
            click(d, "cmdOK");
        });
        QCOMPARE(fields().size(), 8);
        QCOMPARE(m().txtNr->text(), QStringLiteral("3"));
        w->close();
        const QByteArray ini = folder->read("Tarvex.ini");
        QVERIFY(ini.contains("Tabelle=0000000000010000\r\n"));
        QVERIFY(ini.contains("AnzahlSp=8\r\n"));
        QVERIFY(ini.contains("SpBreite2=" + QByteArray::number(m().twipsX(width)) + "\r\n"));
        QVERIFY(ini.contains("SpBreite7=" + QByteArray::number(Settings::defaultColumnTwips(7)) +
                             "\r\n"));
    }

    // The name, a font, a margin, the orientation and a column: OK takes them and they reach the
    // file at the end; Cancel keeps everything as it was. Each control's way into the settings is
    // the dialog's own story; here the window takes the settings as a whole.
    void settingsTakenOnlyWithOK_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("name");  // the kindergarten's name shown afterwards
        QTest::addColumn<QString>("lines"); // of Tarvex.ini at the end
        QTest::newRow("OK") << true << "Kita Sonnenschein"
                            << "Name=Kita Sonnenschein|Schrift1=Liberation Serif|SchriftGr1=12|"
                               "SchriftBK1=&H10|AbstandO=11|Ausrichtung=0|Tabelle=0000010000000000";
        QTest::newRow("Cancel") << false << "Belvonia"
                                << "Name=Belvonia|Schrift1=Arial|SchriftGr1=10|SchriftBK1=&H00|"
                                   "AbstandO=10|Ausrichtung=1|Tabelle=0000000000000000";
    }
    void settingsTakenOnlyWithOK() {
        QFETCH(bool, ok);
        QFETCH(QString, name);
        QFETCH(QString, lines);
        start();
        QFont font(QStringLiteral("Liberation Serif"), 12);
        font.setBold(true);
        w->boxes.answer<QFontDialog>([&](QFontDialog& dialog) {
            dialog.setCurrentFont(font);
            dialog.accept();
        });
        const QStringList columns = fields();
        options(1, [&](QDialog* d) {
            click(d, "cmdFont1");
            control<QSpinBox>(d, "UpDownOb")->stepUp();
            click(d, "optQuer");
            control<QLineEdit>(d, "txtName")->setText(QStringLiteral("Kita Sonnenschein"));
            click(d, "chckTab_5");
            click(d, ok ? "cmdOK" : "cmdCancel");
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(m().lblKiga->text(), name);
        QCOMPARE(fields().size(), columns.size() + (ok ? 1 : 0));
        w->close();
        const QByteArray ini = folder->read("Tarvex.ini");
        for (const QString& line : lines.split('|'))
            QVERIFY2(ini.contains(line.toUtf8() + "\r\n"), qPrintable(line));
    }

    void applyWhileEditingKeepsInput_data() {
        QTest::addColumn<int>("command"); // "&Neu" or "Änd&ern"
        QTest::newRow("new record") << 0;
        QTest::newRow("change") << 1;
    }

    void applyWhileEditingKeepsInput() {
        QFETCH(int, command);
        start();
        m().clickRow(1);
        QCOMPARE(m().txtNr->text(), QStringLiteral("2"));
        w->boxes.answers = {Answer::No}; // "&Neu": the shown record is not copied
        m().mnuDSSub[command]->trigger();
        QLineEdit* surname = m().txtAngaben[0];
        surname->setFocus();
        surname->selectAll();
        QTest::keyClicks(surname, QStringLiteral("Neumann"));
        const QString nr = m().txtNr->text();

        options(0, [&](QDialog* d) {
            click(d, "chckTab_1");
            click(d, "cmdOK");
        });
        QCOMPARE(fields().last(), QStringLiteral("KNat"));
        QCOMPARE(surname->text(), QStringLiteral("Neumann"));
        QCOMPARE(m().txtNr->text(), nr);
        QVERIFY(m().actions.saveRecord->isEnabled()); // still entering or changing
        QVERIFY(!m().actions.changeRecord->isEnabled());
        // The row of the record shown before stays highlighted, and the navigator stands on it.
        QCOMPARE(m().column(0).value(m().DataGrid->currentIndex().row()), QStringLiteral("2"));
        QVERIFY(m().window->findChild<QToolButton*>(QStringLiteral("DataPrevious"))->isEnabled());

        w->boxes.answers = {Answer::Yes};
        m().actions.saveRecord->trigger();
        QCOMPARE(storedRecord(folder->file("TarvexDB.mdb"), nr.toInt()).value("KNach").toString(),
                 QStringLiteral("Neumann"));
        QCOMPARE(m().txtNr->text(), nr);
    }
};

QTEST_MAIN(TestWindowOptions)
#include "tst_window_options.moc"
