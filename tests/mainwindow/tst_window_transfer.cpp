// Tables for spreadsheets through the real window: the table as shown and all records written
// to files, and records added from a file after its preview, renumbered, refused or cancelled.

#include "importdialog.h"
#include "testsupport.h"

#include <QFileDialog>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTreeWidget>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

class TestWindowTransfer : public WindowTest {
    Q_OBJECT
  private slots:
    void init();
    void tableAsShownAndAllRecords();
    void importAfterPreviewWithNewNumbers();
    void cancelledOrRefusedImportChangesNothing();
    void previewSaysWhatToCheck();
    void fullDiskIsSaidAfterTheProgressCloses();

  private:
    void import(const QByteArray& file);
};

void TestWindowTransfer::init() {
    startWith({childRecord(1, "Maier", "Anna", {{"KOrt", "Au; Inn"}}),
               childRecord(2, "Huber", "Ben"), childRecord(3, "Mayr", "Carla")});
    w->clock = [] { return QDateTime(QDate(2026, 12, 6), QTime(9, 0)); };
}

void TestWindowTransfer::import(const QByteArray& file) {
    folder->write("kinder.csv", file);
    w->boxes.answer<QFileDialog>(chooseFile(folder->file("kinder.csv")));
    m().actions.importRecords->trigger();
}

void TestWindowTransfer::tableAsShownAndAllRecords() {
    QTest::keyClicks(m().txtSuch[0], "M");
    QCOMPARE(m().gridModel()->rowCount(), 2);
    QString proposed;
    w->boxes.answer<QFileDialog>(chooseFile(folder->file("tabelle.csv"), &proposed));
    m().actions.exportTable->trigger();
    QCOMPARE(proposed, folder->file("Tabelle_2026-12-06.csv"));
    const QByteArray table = folder->read("tabelle.csv");
    QVERIFY2(table.startsWith("\xEF\xBB\xBFNr.;Nachname;Vorname;geb. am;Gruppe;Essen"), table);
    QCOMPARE(table.count("\r\n"), 3);
    QVERIFY(table.contains("\r\n1;Maier;Anna;") && table.contains("\r\n3;Mayr;Carla;"));

    w->boxes.answer<QFileDialog>(chooseFile(folder->file("alle.csv"), &proposed));
    m().actions.exportAll->trigger();
    QCOMPARE(proposed, folder->file("Kinderdaten_2026-12-06.csv"));
    const QByteArray all = folder->read("alle.csv");
    QVERIFY(all.startsWith("\xEF\xBB\xBFNr;KSorge;Bem;KNach;"));
    QCOMPARE(all.count("\r\n"), 4);
    QVERIFY(all.contains("\"Au; Inn\""));
    QCOMPARE(w->takeBoxes(), QStringList());
    // Children's data is for owner and group only, whatever the umask lets through.
    for (const char* name : {"tabelle.csv", "alle.csv"}) {
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(folder->file(name)).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0640));
    }
}

void TestWindowTransfer::importAfterPreviewWithNewNumbers() {
    QStringList preview;
    w->boxes.answer<ImportDialog>([&preview](ImportDialog& dialog) {
        preview << control<QLabel>(&dialog, "lblAnzahl")->text();
        auto* refused = control<QTreeWidget>(&dialog, "lstAbgelehnt");
        for (int i = 0; i < refused->topLevelItemCount(); ++i)
            preview << refused->topLevelItem(i)->text(0) + " " +
                           refused->topLevelItem(i)->text(2).section(" steh", 0, 0);
        preview << control<QLabel>(&dialog, "lblVergeben")->text();
        control<QRadioButton>(&dialog, "optNeueNummern")->click();
        preview << control<QLabel>(&dialog, "lblAnzahl")->text();
        click(&dialog, "cmdImportieren");
    });
    // A taken number, a thousands point and a line that is no row: the refused row is named by
    // its line, the others keep their umlauts.
    import("Nr;KNach;KVor;GAnz\r\n\r\n2;Zeller;Dora;1\r\n7;Lüdtke;Jürgen;0\r\n8;Brandt;;1.000\r\n");
    QCOMPARE(preview, (QStringList{"1 Datensatz wird hinzugefügt.", "5 Im Feld \"Geschw. Anzahl\"",
                                   "2", "2 Datensätze werden hinzugefügt."}));
    QCOMPARE(w->takeBoxes(), QStringList{"2 Datensätze wurden importiert."});
    QCOMPARE(storedNumbers(db()), (QList<int>{1, 2, 3, 7, 8}));
    QCOMPARE(storedRecord(db(), 8).value("KNach").toString(), QStringLiteral("Zeller"));
    QCOMPARE(storedRecord(db(), 8).value("KStr").toString(), QStringLiteral("-"));
    QCOMPARE(storedRecord(db(), 7).value("KVor").toString(), QStringLiteral("Jürgen"));
    QCOMPARE(m().gridModel()->rowCount(), 5);
    QCOMPARE(m().txtNr->text(), QStringLiteral("1")); // the record shown before stays
}

void TestWindowTransfer::cancelledOrRefusedImportChangesNothing() {
    const QByteArray before = folder->read("TarvexDB.mdb");
    QByteArray many = "Nr;KNach\r\n";
    for (int nr = 10; nr < 2000; ++nr)
        many += QByteArray::number(nr) + ";Kind\r\n";
    w->boxes.answer<ImportDialog>([](ImportDialog& dialog) { click(&dialog, "cmdImportieren"); });
    w->boxes.progress = [](QProgressDialog& dialog) {
        if (dialog.labelText().contains("gespeichert") && dialog.value() >= 1000)
            dialog.cancel();
    };
    import(many);
    QCOMPARE(w->takeBoxes(), QStringList{"Der Import wurde abgebrochen; es wurde kein Datensatz "
                                         "gespeichert.\r\rDie Datenbank bleibt unverändert."});
    QCOMPARE(folder->read("TarvexDB.mdb"), before);

    import("Name;Vorname\r\nMaier;Anna\r\n");
    const QStringList boxes = w->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0].contains("kann nicht importiert werden") &&
                 boxes[0].contains("fehlt die Spalte \"Nr\""),
             qPrintable(boxes[0]));
    QCOMPARE(folder->read("TarvexDB.mdb"), before);
    QCOMPARE(m().gridModel()->rowCount(), 3);
}

// The preview stays short with any header, warns of leading zeros a spreadsheet dropped and of
// the highest number taken; "Neu" then says that it has no number to give.
void TestWindowTransfer::previewSaysWhatToCheck() {
    QByteArray header = "Nr;KNach;KPLZ";
    for (int c = 0; c < 100000; ++c)
        header += ";Spalte " + QByteArray::number(c);
    QByteArray row = "2147483647;Zeller;1234" + QByteArray(100000, ';');
    QString columns, zeros;
    bool highest = false;
    w->boxes.answer<ImportDialog>([&](ImportDialog& dialog) {
        columns = control<QLabel>(&dialog, "lblSpalten")->text();
        zeros = control<QLabel>(&dialog, "lblNullen")->text();
        highest = !control<QLabel>(&dialog, "lblHoechste")->isHidden();
        click(&dialog, "cmdImportieren");
    });
    import(header + "\r\n" + row + "\r\n");
    QVERIFY2(columns.size() < 400 && columns.contains("Spalte 7 und 99992 weitere."),
             qPrintable(columns.left(400)));
    QVERIFY2(zeros.contains("Zeile 2 (Nr. 2147483647): PLZ (Kind) \"1234\""), qPrintable(zeros));
    QVERIFY(highest);
    QCOMPARE(w->takeBoxes(), QStringList{"1 Datensatz wurde importiert."});

    m().actions.newRecord->trigger();
    const QStringList boxes = w->takeBoxes();
    QVERIFY2(!boxes.isEmpty() &&
                 boxes[0].startsWith("Die höchste mögliche Nummer 2147483647 ist schon vergeben"),
             qPrintable(boxes.join('|')));
}

// A disk that fills up during an export: the progress is gone before the message says so, so
// the message can be answered.
void TestWindowTransfer::fullDiskIsSaidAfterTheProgressCloses() {
    RawConnection other(db());
    QVERIFY(other.exec("INSERT INTO Daten (Nr) WITH RECURSIVE n(x) AS (SELECT 10 UNION ALL "
                       "SELECT x + 1 FROM n WHERE x < 400) SELECT x FROM n"));
    bool progressOpen = false;
    w->boxes.onShow = [this, &progressOpen](const RecordingMessageBoxes::Shown&) {
        progressOpen = m().window->findChild<QProgressDialog*>("ListProgress") != nullptr;
    };
    w->boxes.answer<QFileDialog>(chooseFile(folder->file("alle.csv")));
    // Files of this process end after 4 KB, as on a full disk.
    rlimit before{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    m().actions.exportAll->trigger();
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    const QStringList boxes = w->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0].contains(QDir::toNativeSeparators(folder->file("alle.csv"))),
             qPrintable(boxes[0]));
    QVERIFY(!progressOpen);
    QVERIFY(!QFileInfo::exists(folder->file("alle.csv")));
}

QTEST_MAIN(TestWindowTransfer)
#include "tst_window_transfer.moc"
