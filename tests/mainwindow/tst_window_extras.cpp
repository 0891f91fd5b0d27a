// The menu "E&xtras" through the real window: a copy of the database at the start and after
// changes at the end, restoring a copy (and refusing a damaged one, or while a record is being
// changed), and the information for parents as a PDF file.

#include "backupfolder.h"
#include "database.h"
#include "printtestsupport.h"
#include "restoredialog.h"
#include "testsupport.h"

#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

namespace {

QDateTime at(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The rows of the restore dialog as "date | time | records".
QStringList rowsOf(RestoreDialog& dialog) {
    auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("lstSicherungen"));
    QStringList rows;
    for (int i = 0; list && i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        rows << item->text(0) + " | " + item->text(1) + " | " + item->text(2);
    }
    return rows;
}

// Chooses row in the restore dialog and clicks "Zurückspielen".
std::function<void(RestoreDialog&)> choose(int row, QStringList* seen = nullptr) {
    return [row, seen](RestoreDialog& dialog) {
        if (seen)
            *seen = rowsOf(dialog);
        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("lstSicherungen"));
        list->setCurrentItem(list->topLevelItem(row));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdZurueckspielen"))->click();
    };
}

} // namespace

class TestWindowExtras : public WindowTest {
    Q_OBJECT
  private slots:
    void init();
    void copiesAtStartAndAfterChangesAtTheEnd();
    void failedCopyIsSaidOnceAndWorkGoesOn();
    void restoreBringsBackTheRecords();
    void damagedCopyIsRefused();
    void noRestoreWhileARecordIsChanged();
    void informationForParentsHoldsTheRecordShown();

  private:
    // The window on the folder, not shown, with the clock at now.
    void startWindow();
    BackupFolder backups() const { return BackupFolder(db()); }

    QDateTime now;
};

void TestWindowExtras::init() {
    folder = std::make_unique<ProgramFolder>();
    createDatabase(db(), {childRecord(1, "Maier", "Anna"), childRecord(2, "Huber", "Ben"),
                          childRecord(3, "Zeller", "Carla")});
    now = at("2024-06-20 07:45:00");
}

void TestWindowExtras::startWindow() {
    w = std::make_unique<WindowUnderTest>(folder->path());
    w->clock = [this] { return now; };
    QVERIFY(w->start());
}

void TestWindowExtras::copiesAtStartAndAfterChangesAtTheEnd() {
    startWindow();
    QCOMPARE(w->takeBoxes(), QStringList());
    QList<BackupFile> copies = backups().list();
    QCOMPARE(copies.size(), 1);
    QCOMPARE(QFileInfo(copies[0].path).fileName(),
             QStringLiteral("TarvexDB_2024-06-20_07-45-00.mdb"));
    // Ended without a change: no further copy; started again within the day: none either.
    now = now.addSecs(3600);
    w->close();
    startWindow();
    QCOMPARE(backups().list().size(), 1);
    // A record changed through the menu: the end makes a copy holding the change.
    m().actions.changeRecord->trigger();
    m().txtAngaben[1]->selectAll();
    QTest::keyClicks(m().txtAngaben[1], "Anne");
    m().actions.saveRecord->trigger();
    QCOMPARE(storedRecord(db(), 1).value("KVor").toString(), QStringLiteral("Anne"));
    now = now.addSecs(3600);
    w->close();
    QCOMPARE(w->takeBoxes().filter("Datensicherung"), QStringList());
    copies = backups().list();
    QCOMPARE(copies.size(), 2);
    QCOMPARE(copies[0].time, at("2024-06-20 09:45:00"));
    QCOMPARE(storedRecord(copies[0].path, 1).value("KVor").toString(), QStringLiteral("Anne"));
}

void TestWindowExtras::failedCopyIsSaidOnceAndWorkGoesOn() {
    // A file stands where the folder of the copies would go.
    folder->write("Sicherungen", "kein Ordner");
    startWindow();
    const QStringList boxes = w->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0].startsWith("Die automatische Datensicherung konnte nicht angelegt werden: "),
             qPrintable(boxes[0]));
    QVERIFY(boxes[0].contains(QDir::toNativeSeparators(folder->file("Sicherungen"))));
    QCOMPARE(w->boxes.shown.size(), size_t(0));
    // The records are worked on as ever; the end does not say it again.
    m().actions.deleteRecord->trigger();
    QCOMPARE(storedNumbers(db()), (QList<int>{2, 3}));
    w->close();
    QCOMPARE(w->takeBoxes().filter("Datensicherung"), QStringList());
    QCOMPARE(folder->read("Sicherungen"), QByteArray("kein Ordner"));
}

void TestWindowExtras::restoreBringsBackTheRecords() {
    startWindow();
    // Record 2 deleted, record 3 changed after the copy of the start.
    m().clickRow(1);
    m().actions.deleteRecord->trigger();
    QCOMPARE(storedNumbers(db()), (QList<int>{1, 3}));
    w->takeBoxes();
    now = now.addSecs(600);

    QStringList rows;
    w->boxes.answer<RestoreDialog>(choose(0, &rows));
    QVERIFY(m().actions.restoreBackup->isEnabled());
    m().actions.restoreBackup->trigger();
    QCOMPARE(rows, QStringList{"20.06.2024 | 07:45:00 | 3"});
    const QStringList boxes = w->takeBoxes();
    QCOMPARE(boxes.size(), 2);
    QVERIFY2(boxes[0].startsWith("Soll die Datensicherung vom 20.06.2024 um 07:45:00 Uhr (3 "
                                 "Datensätze) zurückgespielt werden?"),
             qPrintable(boxes[0]));
    const QString before = folder->file("Sicherungen/TarvexDB_2024-06-20_07-55-00.mdb");
    QCOMPARE(boxes[1], QStringLiteral("Die Datensicherung vom 20.06.2024 um 07:45:00 Uhr ist "
                                      "zurückgespielt: 3 Datensätze.\r\rDer Stand davor ist "
                                      "gesichert als\r%1")
                           .arg(QDir::toNativeSeparators(before)));
    // The records are back, in the file and in the window; the state before is kept.
    QCOMPARE(storedNumbers(db()), (QList<int>{1, 2, 3}));
    QCOMPARE(storedNumbers(before), (QList<int>{1, 3}));
    QCOMPARE(m().column(0), (QStringList{"1", "2", "3"}));
    QCOMPARE(m().txtNr->text(), QStringLiteral("1"));
    QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("Maier"));
    // The window works on the restored file: a change is stored into it.
    m().clickRow(1);
    QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("Huber"));
    m().actions.deleteRecord->trigger();
    QCOMPARE(storedNumbers(db()), (QList<int>{1, 3}));

    // Answering "Nein" to the question changes nothing.
    w->takeBoxes();
    w->boxes.answers = {MessageBoxes::Answer::No};
    w->boxes.answer<RestoreDialog>(choose(1));
    m().actions.restoreBackup->trigger();
    QCOMPARE(storedNumbers(db()), (QList<int>{1, 3}));
    QCOMPARE(backups().list().size(), 2);
}

// How a copy is found damaged is the backup folder's table; through the window one refusal shows
// the reason and leaves the file, the window and the copies alone.
void TestWindowExtras::damagedCopyIsRefused() {
    startWindow();
    const QString copy = backups().list().at(0).path;
    QVERIFY(writeFile(copy, "Einkaufsliste: Milch, Brot\n"));
    m().actions.deleteRecord->trigger(); // record 1 deleted
    w->takeBoxes();
    const QByteArray bytes = fileBytes(db());
    now = now.addSecs(600);

    QStringList rows;
    w->boxes.answer<RestoreDialog>(choose(0, &rows));
    m().actions.restoreBackup->trigger();
    QCOMPARE(rows, QStringList{"20.06.2024 | 07:45:00 | nicht lesbar"});
    const QStringList boxes = w->takeBoxes();
    QCOMPARE(boxes.size(), 2);
    QVERIFY2(boxes[1].startsWith("Die Datensicherung vom 20.06.2024 um 07:45:00 Uhr kann nicht "
                                 "zurückgespielt werden:\r") &&
                 boxes[1].contains("Die Datei ist keine Datenbank.") &&
                 boxes[1].endsWith("\r\rDie Datenbank bleibt unverändert."),
             qPrintable(boxes[1]));
    QCOMPARE(fileBytes(db()), bytes);
    QCOMPARE(m().column(0), (QStringList{"2", "3"}));
    QCOMPARE(backups().list().size(), 1);
}

void TestWindowExtras::noRestoreWhileARecordIsChanged() {
    startWindow();
    QVERIFY(m().actions.restoreBackup->isEnabled());
    QVERIFY(m().actions.childInformation->isEnabled());
    m().actions.changeRecord->trigger();
    QTest::keyClicks(m().txtAngaben[0], "x");
    QVERIFY(!m().actions.restoreBackup->isEnabled());
    QVERIFY(!m().actions.childInformation->isEnabled());
    // Chosen anyway: nothing opens, the input stays.
    bool opened = false;
    w->boxes.answer<RestoreDialog>([&opened](RestoreDialog& d) {
        opened = true;
        d.reject();
    });
    w->takeBoxes();
    m().actions.restoreBackup->trigger();
    QVERIFY(!opened);
    QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("xMaier"));
    m().actions.saveRecord->trigger();
    QVERIFY(m().actions.restoreBackup->isEnabled());
}

// Every field under its caption is the information document's own table; through the window the
// record shown reaches the file under its proposed name, with the day of the window's clock.
void TestWindowExtras::informationForParentsHoldsTheRecordShown() {
    if (!havePdfToText())
        QSKIP("pdftotext is not installed");
    QFile::remove(db());
    createDatabase(db(), {childRecord(7, "Müller-Lüdenscheidt", "Anna Lena",
                                      {{"KOrt", "Gießen"},
                                       {"KBasis", 152.5},
                                       {"Bem", "Allergie gegen Nüsse.\r\nAbholung durch Oma."}})});
    startWindow();
    QVERIFY(m().actions.childInformation->isEnabled());
    const QString pdf = folder->file("auskunft.pdf");
    QString proposed;
    w->boxes.answer<QFileDialog>(chooseFile(pdf, &proposed));
    m().actions.childInformation->trigger();
    QCOMPARE(proposed, folder->file("Auskunft_Müller-Lüdenscheidt_Anna_Lena.pdf"));
    QCOMPARE(w->takeBoxes(), QStringList());
    QCOMPARE(m().kMain->text(),
             QStringLiteral("Die Auskunft ist gespeichert: %1").arg(QDir::toNativeSeparators(pdf)));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(pdf).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0640));
    const QString text = pdfPages(pdf).join('\n');
    for (const char* part : {"20.06.2024", "Anna Lena Müller-Lüdenscheidt, Nr. 7", "Gießen",
                             "152,5", "Allergie gegen Nüsse.", "Abholung durch Oma."})
        QVERIFY2(text.contains(QString::fromUtf8(part)), part);
    // Cancelling the dialog writes nothing; without a record shown there is nothing to hand over.
    QFile::remove(pdf);
    w->boxes.answer<QFileDialog>({});
    m().actions.childInformation->trigger();
    QVERIFY(!QFileInfo::exists(pdf));
    QTest::keyClicks(m().txtSuch[0], "Q");
    QVERIFY(!m().actions.childInformation->isEnabled());
}

QTEST_MAIN(TestWindowExtras)
#include "tst_window_extras.moc"
