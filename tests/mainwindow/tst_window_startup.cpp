// The main window driven offscreen: start-up, shutdown and the start screen.

#include "settings.h"
#include "testsupport.h"

#include <QStyle>

#include "database.h"
#include "datacontrol.h"
#include "infobox.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>

namespace {

const QString kStartError = QStringLiteral(
    "\r\rDies ist ein unerwarteter Fehler während der Initialisierung.\rDas Programm wird beendet");

QString iniValue(const QByteArray& ini, const QString& key) {
    for (const QByteArray& line : ini.split('\n')) {
        QString l = QString::fromUtf8(line).trimmed();
        if (l.startsWith(key + QLatin1Char('=')))
            return l.mid(key.size() + 1);
    }
    return QString();
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
  private slots:
    void firstStartWritesTemplateAndOffersNewDatabase() {
        ProgramFolder folder;
        WindowUnderTest w(folder.path());
        QVERIFY(w.start());
        QCOMPARE(int(w.boxes.shown.size()), 1);
        const auto& box = w.boxes.shown[0];
        QCOMPARE(box.title, QStringLiteral("FEHLER"));
        QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
        QCOMPARE(box.buttons, MessageBoxes::Buttons::YesNo);
        QCOMPARE(box.text,
                 QStringLiteral("Die Datenbank <%1> der Belvonia kann nicht gefunden "
                                "werden!\r\r- Wenn eine neue leere Datenbank erzeugt werden soll, "
                                "klicken Sie auf <Ja>\r- Wenn Sie vorher die Pfadangabe in der "
                                "Ini-Datei überprüfen möchten, klicken Sie auf <Nein>")
                     .arg(QDir::toNativeSeparators(folder.file("TarvexDB.mdb"))));
        QVERIFY(QFileInfo::exists(folder.file("TarvexDB.mdb")));
        QByteArray ini = folder.read("Tarvex.ini");
        QVERIFY(ini.startsWith("[Angaben]\r\n;allgemeine Angaben\r\nLetzterAufruf="));
        QVERIFY(!iniValue(ini, "LetzterAufruf").isEmpty());

        WindowView& m = *w.view;
        QVERIFY(m.window->isEnabled());
        QCOMPARE(m.lblKiga->text(), QStringLiteral("Belvonia"));
        // The template's 14000 x 10500 twips, narrowed to the screen (800 pixels offscreen).
        const QRect screen = m.window->screen()->availableGeometry();
        QVERIFY(m.pixelsX(14000) > screen.width());
        QVERIFY(m.window->width() < screen.width() && m.window->width() > screen.width() - 20);
        QCOMPARE(m.caption(), QStringLiteral("aktueller Datensatz : -"));
        QCOMPARE(m.txtNr->text(), QStringLiteral("1"));
        QVERIFY(m.txtAngaben[0]->isReadOnly());
        QVERIFY(m.txtNr->isReadOnly());
        w.close();
    }

    void refusingNewDatabaseEndsWithoutTouchingSettings() {
        ProgramFolder folder;
        const QByteArray ini = "[Verweise]\r\nNameDB=fehlt.db\r\n[Fenster]\r\nLinks=300\r\n";
        folder.write("Tarvex.ini", ini);
        WindowUnderTest w(folder.path());
        w.boxes.answers = {MessageBoxes::Answer::No};
        QVERIFY(!w.start());
        QCOMPARE(int(w.boxes.shown.size()), 1);
        QVERIFY(!QFileInfo::exists(folder.file("fehlt.db")));
        w.close();
        w.window.reset();
        QCOMPARE(folder.read("Tarvex.ini"), ini); // not even LetzterAufruf
    }

    // A start that cannot go on says why in one error box (after the question whether to make a new
    // database, when there is none) and ends without touching the database file or writing the
    // settings back.
    void startEndsWithErrorBox_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("database"); // what stands in the database's place
        QTest::addColumn<int>("boxes");
        QTest::addColumn<QString>("number"); // after "Nummer :"
        QTest::addColumn<QStringList>("mentions");
        const QByteArray kinder = "[Verweise]\r\nNameDB=kinder.db\r\n";
        QTest::newRow("text file") << kinder << "Kinderliste\nMaier, Anna\n"
                                   << 1 << "" << QStringList();
        QTest::newRow("empty file") << kinder << "" << 1 << "" << QStringList();
        QTest::newRow("folder") << kinder << "folder" << 1 << "" << QStringList();
        QTest::newRow("in a missing folder")
            << QByteArray("[Verweise]\r\nNameDB=gibtsnicht/kinder.db\r\n") << "none" << 2 << ""
            << QStringList();
        QTest::newRow("bad whole number setting")
            << QByteArray("[Fenster]\r\nHoehe=zehntausend\r\n") << "database" << 1 << "13 - "
            << QStringList{"Hoehe", "Tarvex.ini"};
    }
    void startEndsWithErrorBox() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, database);
        QFETCH(int, boxes);
        QFETCH(QString, number);
        QFETCH(QStringList, mentions);
        ProgramFolder folder;
        folder.write("Tarvex.ini", ini);
        if (database == "folder")
            QVERIFY(QDir(folder.path()).mkdir("kinder.db"));
        else if (database == "database")
            createDatabase(folder.file("TarvexDB.mdb"), {});
        else if (database != "none")
            folder.write("kinder.db", database.toUtf8());
        WindowUnderTest w(folder.path());
        QVERIFY(!w.start());
        QCOMPARE(int(w.boxes.shown.size()), boxes);
        const auto& box = w.boxes.shown.back();
        QCOMPARE(box.title, QStringLiteral("Fehler"));
        QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
        QCOMPARE(box.buttons, MessageBoxes::Buttons::Ok);
        QVERIFY2(box.text.startsWith("Fehler in <TarvexMain.Start_Init>\r\rNummer :" + number) &&
                     box.text.endsWith(kStartError),
                 qPrintable(box.text));
        for (const QString& part : mentions)
            QVERIFY2(box.text.contains(part), qPrintable(part));
        w.close();
        w.window.reset();
        if (database != "folder" && database != "none" && database != "database")
            QCOMPARE(folder.read("kinder.db"), database.toUtf8());
        QVERIFY(iniValue(folder.read("Tarvex.ini"), "Links").isEmpty()); // not written back
    }

    // The window's place, size, tab and column widths come back on every run without drifting
    // through the conversion to twips; a column keeps its width when the record set changes.
    void normalRunWritesSettingsBackWithoutGrowth() {
        ProgramFolder folder;
        createDatabase(folder.file("TarvexDB.mdb"), {childRecord(1, "Maier", "Anna")});
        folder.write("Tarvex.ini", "[Tabelle]\r\nAnzahlSp=6\r\nSpBreite0=600\r\n");
        QSize sizeSet;
        for (int run = 0; run < 3; ++run) {
            WindowUnderTest w(folder.path());
            QVERIFY(w.start());
            WindowView& m = *w.view;
            QCOMPARE(m.twipsX(m.DataGrid->columnWidth(0)), 600);
            if (run == 0) {
                QCOMPARE(m.twipsX(m.DataGrid->columnWidth(2)), Settings::defaultColumnTwips(2));
                w.window->resize(1013, 761); // an odd size in pixels, wider than the screen
                m.SSTab1->setCurrentIndex(2);
                m.DataGrid->setColumnWidth(2, m.pixelsX(3000)); // the user drags a border
                m.txtSuch[0]->setText(QStringLiteral("M"));
            } else {
                // As wide as the screen holds (800 pixels offscreen), the same in every run.
                if (run == 1)
                    sizeSet = w.window->size();
                QCOMPARE(w.window->size(), sizeSet);
                QCOMPARE(sizeSet.height(), 761);
                QVERIFY(sizeSet.width() < w.window->screen()->availableGeometry().width());
                QCOMPARE(m.SSTab1->currentIndex(), 2);
            }
            QCOMPARE(m.twipsX(m.DataGrid->columnWidth(2)), 3000);
            w.close();
            w.window.reset();
            QStringList written;
            for (const char* key : {"Links", "Oben", "Tab", "AnzahlSp", "SpBreite2", "SpBreite5"})
                written << iniValue(folder.read("Tarvex.ini"), key);
            QCOMPARE(written, (QStringList{"50", "50", "2", "6", "3000",
                                           QString::number(Settings::defaultColumnTwips(5))}));
        }
    }

    // A new settings file's widths show a date of birth and a usual name whole.
    void defaultColumnsFitTheirValues() {
        ProgramFolder folder;
        createDatabase(folder.file("TarvexDB.mdb"),
                       {childRecord(1, "Zimmermann", "Maximilian",
                                    {{"KGeb", "28.12.2019"}, {"KGrp", "Schmetterlinge"}})});
        WindowUnderTest w(folder.path());
        QVERIFY(w.start());
        QTableView* grid = w.view->DataGrid;
        // A cell's text stands between the style's margins, as the item delegate draws it.
        const int margins =
            2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
        for (int column = 0; column < 6; ++column) {
            const QString value = grid->model()->index(0, column).data().toString();
            const int needed = grid->fontMetrics().horizontalAdvance(value) + margins;
            QVERIFY2(grid->columnWidth(column) >= needed,
                     qPrintable(QStringLiteral("\"%1\": %2 < %3")
                                    .arg(value)
                                    .arg(grid->columnWidth(column))
                                    .arg(needed)));
        }
        w.close();
    }

    void secondInstanceEndsSilently() {
        ProgramFolder folder;
        createDatabase(folder.file("TarvexDB.mdb"), {});
        WindowUnderTest first(folder.path(), {}, true);
        QVERIFY(first.start());
        const QByteArray iniBefore = folder.read("Tarvex.ini");
        {
            WindowUnderTest second(folder.path(), {}, true);
            QVERIFY(!second.start());
            QVERIFY(second.boxes.shown.empty());
            second.close();
        }
        QCOMPARE(folder.read("Tarvex.ini"), iniBefore);
        first.close();
        first.window.reset();
        // Once the first has ended, a new start runs.
        WindowUnderTest third(folder.path(), {}, true);
        QVERIFY(third.start());
        third.close();
    }

    void lockLeftByCrashedRunDoesNotBlock() {
        ProgramFolder folder;
        createDatabase(folder.file("TarvexDB.mdb"), {});
        // A lock file whose process has gone, as a crashed run leaves it.
        QProcess gone;
        gone.start("true");
        QVERIFY(gone.waitForFinished());
        const qint64 deadPid = gone.processId() ? gone.processId() : 999999;
        QFile lock(InstanceGuard::lockPath(folder.path()));
        QDir().mkpath(QFileInfo(lock).absolutePath());
        QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lock.write(QByteArray::number(deadPid) + "\ntarvex\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        WindowUnderTest w(folder.path(), {}, true);
        QVERIFY(w.start());
        QVERIFY(w.boxes.shown.empty());
        w.close();
    }

    void databaseLockedByAnotherWorkstationStillOpens() {
        ProgramFolder folder;
        createDatabase(folder.file("TarvexDB.mdb"), {childRecord(1, "Maier", "Anna")});
        // Another workstation is in the middle of saving a record.
        auto other = Database::open(folder.file("TarvexDB.mdb"));
        auto rs = other->openDynaset("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC");
        QVERIFY(rs->findFirst("Nr = 1"));
        rs->edit();
        WindowUnderTest w(folder.path());
        QVERIFY(w.start());
        QCOMPARE(w.view->txtAngaben[0]->text(), QStringLiteral("Maier"));
        rs->cancelUpdate();
        w.close();
    }

    void readOnlySettingsFileIsReportedAtEnd() {
        ProgramFolder folder;
        createDatabase(folder.file("TarvexDB.mdb"), {});
        WindowUnderTest w(folder.path());
        QVERIFY(w.start());
        QFile::setPermissions(folder.file("Tarvex.ini"),
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        const QByteArray before = folder.read("Tarvex.ini");
        w.close();
        QCOMPARE(folder.read("Tarvex.ini"), before);
        QCOMPARE(int(w.boxes.shown.size()), 1);
        QVERIFY(
            w.boxes.shown[0].text.startsWith(QStringLiteral("Die Einstellungen konnten nicht")));
        QVERIFY(w.boxes.shown[0].text.contains(QStringLiteral("schreibgeschützt")));
        QCOMPARE(w.boxes.shown[0].title, QStringLiteral("Tarvex"));
    }

    // A settings file the program cannot use is said so at the start, naming the file and the
    // reason; one it could not read is never overwritten.
    void settingsProblemsAreSaidAtStart_data() {
        QTest::addColumn<bool>("tooBig");
        QTest::addColumn<QString>("reason");
        QTest::newRow("too big to be settings") << true << "größer als 4 MB";
        QTest::newRow("write-protected") << false << "schreibgeschützt";
    }
    void settingsProblemsAreSaidAtStart() {
        QFETCH(bool, tooBig);
        QFETCH(QString, reason);
        ProgramFolder folder;
        createDatabase(folder.file("TarvexDB.mdb"), {});
        if (tooBig)
            folder.write("Tarvex.ini",
                         "[Angaben]\r\nName=Sonnenschein\r\n" + QByteArray(5 * 1024 * 1024, ';'));
        else
            folder.write("Tarvex.ini", "[Angaben]\r\nName=Sonnenschein\r\n");
        if (!tooBig)
            QFile::setPermissions(folder.file("Tarvex.ini"), QFileDevice::ReadOwner);
        const QByteArray before = folder.read("Tarvex.ini");
        WindowUnderTest w(folder.path());
        QVERIFY(w.start());
        QCOMPARE(int(w.boxes.shown.size()), 1);
        const QString text = w.boxes.shown[0].text;
        QVERIFY2(text.contains(folder.file("Tarvex.ini")) && text.contains(reason),
                 qPrintable(text));
        QCOMPARE(w.boxes.shown[0].icon, MessageBoxes::Icon::Warning);
        QCOMPARE(w.view->lblKiga->text(),
                 tooBig ? QStringLiteral("-") : QStringLiteral("Sonnenschein"));
        w.close();
        QCOMPARE(folder.read("Tarvex.ini"), before);
    }

    void diagnosticModeNeedsLowerCaseWord_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("debug");
        QTest::newRow("none") << QStringList() << false;
        QTest::newRow("Debug") << QStringList{"Debug"} << false;
        QTest::newRow("/debug") << QStringList{"/debug"} << true;
        QTest::newRow("second argument") << QStringList{"x", "mitdebugger"} << true;
    }
    void diagnosticModeNeedsLowerCaseWord() {
        QFETCH(QStringList, args);
        QFETCH(bool, debug);
        ProgramFolder folder;
        createDatabase(folder.file("TarvexDB.mdb"), {});
        WindowUnderTest w(folder.path(), args);
        QVERIFY(w.start(false));
        QVERIFY(w.view->startScreen());
        auto* name = w.view->startScreen()->findChild<QLabel*>("lblSoftwareName0");
        QVERIFY(name);
        QCOMPARE(name->text(), debug ? QStringLiteral("Tarvex - Debug") : QStringLiteral("Tarvex"));
        w.window->finishStartScreen();
        w.close();
    }

    void startScreenHoldsWindowUntilTick() {
        ProgramFolder folder;
        createDatabase(folder.file("TarvexDB.mdb"), {childRecord(1, "Maier", "Anna")});
        WindowUnderTest w(folder.path(), {}, false, 300);
        QVERIFY(w.start(false));
        WindowView& m = *w.view;
        QVERIFY(!m.window->isEnabled());
        QVERIFY(m.startScreen() && m.startScreen()->isVisible());
        // A click closes the start screen early; the window still waits for the tick.
        QTest::mouseClick(m.startScreen(), Qt::LeftButton);
        QTRY_VERIFY(m.startScreen() == nullptr);
        QVERIFY(!m.window->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(m.window->isEnabled(), 3000);
        QVERIFY(!m.actions.saveRecord->isEnabled());
        w.close();
    }

    void installedProgramKeepsItsFilesInUserFolders() {
        ProgramFolder program, user;
        const FileLocations files{user.file("config/Tarvex"), user.file("data/Tarvex")};
        {
            WindowUnderTest w(program.path(), {}, true, 0, files);
            QVERIFY(w.start());
            // The same question as in the program's folder, and the new database in the data
            // folder.
            QCOMPARE(w.takeBoxes().size(), 1);
            QVERIFY(QFileInfo::exists(user.file("data/Tarvex/TarvexDB.mdb")));
            QVERIFY(!iniValue(user.read("config/Tarvex/Tarvex.ini"), "LetzterAufruf").isEmpty());
            // One instance per program folder, wherever its files are.
            WindowUnderTest second(program.path(), {}, true, 0, files);
            QVERIFY(!second.start());
            second.close();
            w.view->SSTab1->setCurrentIndex(2);
            w.close();
        }
        QCOMPARE(iniValue(user.read("config/Tarvex/Tarvex.ini"), "Tab"), QStringLiteral("2"));
        QVERIFY(QDir(program.path()).isEmpty());

        // The next start finds both again.
        WindowUnderTest again(program.path(), {}, true, 0, files);
        QVERIFY(again.start());
        QVERIFY(again.takeBoxes().isEmpty());
        QCOMPARE(again.view->SSTab1->currentIndex(), 2);
        again.close();
    }
};

QTEST_MAIN(TestStartup)
#include "tst_window_startup.moc"
