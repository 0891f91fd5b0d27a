// The menu "E&xtras" through the real window: a copy of the database at the start and after
// changes at the end, restoring a copy (and refusing a damaged one, or while a record is being
// changed), and the information for parents as a PDF file.

#include "backupfolder.h"
#include "database.h"
#include "printtestsupport.h"
#include "restoredialog.h"
#include "testsupport.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

namespace {

QDateTime at(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

class TestWindowExtras : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void copiesAtStartAndAfterChangesAtTheEnd();
    void failedCopyIsSaidOnceAndWorkGoesOn();
    void restoreBringsBackTheRecords();
    void damagedCopyIsRefused_data();
    void damagedCopyIsRefused();
    void noRestoreWhileARecordIsChanged();
    void informationForParentsHoldsEveryField();

  private:
    void startWindow();
    WindowView& m() { return *w->view; }
    QString db() const { return folder->file("TarvexDB.mdb"); }
    BackupFolder backups() const { return BackupFolder(db()); }

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<WindowUnderTest> w;
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

void TestWindowExtras::cleanup() {
    if (w && w->window)
        w->close();
    w.reset();
    folder.reset();
}

void TestWindowExtras::copiesAtStartAndAfterChangesAtTheEnd() {
    startWindow();
    QCOMPARE(w->takeBoxes(), QStringList());
    QList<BackupFile> copies = backups().list();
    QCOMPARE(copies.size(), 1);
    QCOMPARE(QFileInfo(copies[0].path).fileName(),
             QStringLiteral("TarvexDB_2024-06-20_07-45-00.mdb"));
    struct stat info {};
    ::stat(QFile::encodeName(copies[0].path).constData(), &info);
    QCOMPARE(info.st_mode & 0777, mode_t(0640));
    // Ended without a change: no further copy; started again within the day: none either.
    now = now.addSecs(3600);
    w->close();
    startWindow();
    QCOMPARE(backups().list().size(), 1);
    // A record changed through the menu: the end makes a copy holding the change.
    m().mnuDSSub[1]->trigger();
    m().txtAngaben[1]->selectAll();
    QTest::keyClicks(m().txtAngaben[1], "Anne");
    m().mnuDSSub[3]->trigger();
    QCOMPARE(storedRecord(db(), 1).value("KVor").toString(), QStringLiteral("Anne"));
    now = now.addSecs(3600);
    w->close();
    QCOMPARE(w->takeBoxes().filter("Datensicherung"), QStringList());
    copies = backups().list();
    QCOMPARE(copies.size(), 2);
    QCOMPARE(copies[0].time, at("2024-06-20 09:45:00"));
    QCOMPARE(storedRecord(copies[0].path, 1).value("KVor").toString(), QStringLiteral("Anne"));
    // A day and a minute later the start makes the next copy, and of the day before only the
    // newest stays.
    now = now.addDays(1).addSecs(60);
    startWindow();
    QList<QDateTime> times;
    for (const BackupFile& copy : backups().list())
        times << copy.time;
    QCOMPARE(times, (QList<QDateTime>{at("2024-06-21 09:46:00"), at("2024-06-20 09:45:00")}));
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
    m().mnuDSSub[2]->trigger();
    QCOMPARE(storedNumbers(db()), (QList<int>{2, 3}));
    w->close();
    QCOMPARE(w->takeBoxes().filter("Datensicherung"), QStringList());
    QCOMPARE(folder->read("Sicherungen"), QByteArray("kein Ordner"));
}

void TestWindowExtras::restoreBringsBackTheRecords() {
    startWindow();
    // Record 2 deleted, record 3 changed after the copy of the start.
    m().clickRow(1);
    m().mnuDSSub[2]->trigger();
    QCOMPARE(storedNumbers(db()), (QList<int>{1, 3}));
    w->takeBoxes();
    now = now.addSecs(600);

    QStringList rows;
    w->restoreDialog = choose(0, &rows);
    QVERIFY(m().mnuExtrasSub[0]->isEnabled());
    m().mnuExtrasSub[0]->trigger();
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
    m().mnuDSSub[2]->trigger();
    QCOMPARE(storedNumbers(db()), (QList<int>{1, 3}));

    // Answering "Nein" to the question changes nothing.
    w->takeBoxes();
    w->boxes.answers = {MessageBoxes::Answer::No};
    w->restoreDialog = choose(1);
    m().mnuExtrasSub[0]->trigger();
    QCOMPARE(storedNumbers(db()), (QList<int>{1, 3}));
    QCOMPARE(backups().list().size(), 2);
}

void TestWindowExtras::damagedCopyIsRefused_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a text file") << "text"
                                 << "nicht lesbar"
                                 << "Die Datei ist keine Datenbank.";
    // Its header intact, it is found damaged when listed already.
    QTest::newRow("a damaged page") << "page"
                                    << "nicht lesbar"
                                    << "Diese Datensicherung ist beschädigt und kann nicht "
                                       "zurückgespielt werden. Bitte wählen Sie eine andere "
                                       "Datensicherung.";
}

void TestWindowExtras::damagedCopyIsRefused() {
    QFETCH(QString, damage);
    QFETCH(QString, listed);
    QFETCH(QString, reason);
    // Enough records for several pages, so that one in the middle can be damaged.
    QList<Record> many;
    for (int nr = 1; nr <= 40; ++nr)
        many << childRecord(nr, "Kind", "Vorname", {{"Bem", QString(300, QLatin1Char('x'))}});
    QFile::remove(db());
    createDatabase(db(), many);
    startWindow();
    const QString copy = backups().list().at(0).path;
    {
        QFile file(copy);
        if (damage == "text") {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("Einkaufsliste: Milch, Brot\n");
        } else {
            // The cells of a leaf page of the table overwritten; its header stays, so the
            // records can still be counted.
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QByteArray content = file.readAll();
            qint64 leaf = 2 * 4096;
            while (leaf < content.size() && content.at(leaf) != '\x0D')
                leaf += 4096;
            QVERIFY(leaf < content.size());
            file.seek(leaf + 1000);
            file.write(QByteArray(2000, '\x5A'));
        }
    }
    m().mnuDSSub[2]->trigger(); // record 1 deleted
    w->takeBoxes();
    const QByteArray bytes = bytesOf(db());
    now = now.addSecs(600);

    QStringList rows;
    w->restoreDialog = choose(0, &rows);
    m().mnuExtrasSub[0]->trigger();
    QCOMPARE(rows, QStringList{"20.06.2024 | 07:45:00 | " + listed});
    const QStringList boxes = w->takeBoxes();
    QCOMPARE(boxes.size(), 2);
    QVERIFY2(boxes[1].startsWith("Die Datensicherung vom 20.06.2024 um 07:45:00 Uhr kann nicht "
                                 "zurückgespielt werden:\r"),
             qPrintable(boxes[1]));
    QVERIFY2(boxes[1].contains(reason), qPrintable(boxes[1]));
    QVERIFY(boxes[1].endsWith("\r\rDie Datenbank bleibt unverändert."));
    QCOMPARE(w->boxes.shown.size(), size_t(0));
    // Nothing changed: the file, the window, the folder of the copies.
    QCOMPARE(bytesOf(db()), bytes);
    QCOMPARE(m().column(0).size(), 39);
    QCOMPARE(m().column(0).first(), QStringLiteral("2"));
    QCOMPARE(backups().list().size(), 1);
}

void TestWindowExtras::noRestoreWhileARecordIsChanged() {
    startWindow();
    QVERIFY(m().mnuExtrasSub[0]->isEnabled());
    QVERIFY(m().mnuExtrasSub[1]->isEnabled());
    m().mnuDSSub[1]->trigger();
    QTest::keyClicks(m().txtAngaben[0], "x");
    QVERIFY(!m().mnuExtrasSub[0]->isEnabled());
    QVERIFY(!m().mnuExtrasSub[1]->isEnabled());
    // Chosen anyway: nothing opens, the input stays.
    bool opened = false;
    w->restoreDialog = [&opened](RestoreDialog& d) {
        opened = true;
        d.reject();
    };
    w->takeBoxes();
    m().mnuExtrasSub[0]->trigger();
    QVERIFY(!opened);
    QCOMPARE(m().txtAngaben[0]->text(), QStringLiteral("xMaier"));
    m().mnuDSSub[3]->trigger();
    QVERIFY(m().mnuExtrasSub[0]->isEnabled());
}

void TestWindowExtras::informationForParentsHoldsEveryField() {
    if (!havePdfToText())
        QSKIP("pdftotext is not installed");
    // A record with every field filled, each with a value of its own.
    Record full = childRecord(7, "Müller-Lüdenscheidt", "Anna Lena");
    for (const FieldDef& f : fieldTable()) {
        const QString name = QString::fromLatin1(f.name);
        if (f.type == FieldType::Text && name != "KNach" && name != "KVor" && name != "KEssen")
            full[name] = (QStringLiteral("ä") + name).left(f.size);
    }
    full["KEssen"] = "ja";
    full["Bem"] = QStringLiteral("Allergie gegen Nüsse.\r\nAbholung auch durch die Großmutter.");
    full["GAnz"] = 2;
    full["KBasis"] = 152.5;
    full["KFaktor"] = 1.25;
    full["KBuchFak"] = 0.8;
    full["KSumme"] = 152.5;
    QFile::remove(db());
    createDatabase(db(), {full});
    // Without a record shown there is nothing to hand over.
    QFile::rename(db(), folder->file("voll.mdb"));
    createDatabase(db(), {});
    startWindow();
    QVERIFY(!m().mnuExtrasSub[1]->isEnabled());
    w->close();
    QFile::remove(db());
    QFile::rename(folder->file("voll.mdb"), db());
    startWindow();
    QVERIFY(m().mnuExtrasSub[1]->isEnabled());

    const QString pdf = folder->file("auskunft.pdf");
    QString proposed;
    w->fileDialog = [&](QFileDialog& d) {
        proposed = d.selectedFiles().value(0);
        d.selectFile(pdf);
        static_cast<QDialog&>(d).done(QDialog::Accepted);
    };
    m().mnuExtrasSub[1]->trigger();
    QCOMPARE(proposed, folder->file("Auskunft_Müller-Lüdenscheidt_Anna_Lena.pdf"));
    QCOMPARE(w->takeBoxes(), QStringList());
    QCOMPARE(m().kMain->text(),
             QStringLiteral("Die Auskunft ist gespeichert: %1").arg(QDir::toNativeSeparators(pdf)));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(pdf).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0640));
    const QString text = pdfPages(pdf).join('\n');
    QVERIFY(text.contains("Auskunft über die gespeicherten Daten"));
    QVERIFY(text.contains("20.06.2024"));
    QVERIFY(text.contains("Anna Lena Müller-Lüdenscheidt, Nr. 7"));
    for (const FieldDef& f : fieldTable()) {
        const QString name = QString::fromLatin1(f.name);
        if (name == "Bem")
            continue;
        QString value = name == "Nr" ? QStringLiteral("7") : full.value(name).toString();
        if (f.type == FieldType::Single)
            value.replace('.', ',');
        const QRegularExpression line(
            QStringLiteral("^\\s*%1\\s+%2\\s*$")
                .arg(QRegularExpression::escape(f.caption), QRegularExpression::escape(value)),
            QRegularExpression::MultilineOption);
        QVERIFY2(text.contains(line), qPrintable(name + ": " + value));
    }
    QVERIFY(text.contains("Allergie gegen Nüsse."));
    QVERIFY(text.contains("Abholung auch durch die Großmutter."));
    // Cancelling the dialog writes nothing.
    QFile::remove(pdf);
    w->fileDialog = {};
    m().mnuExtrasSub[1]->trigger();
    QVERIFY(!QFileInfo::exists(pdf));
}

QTEST_MAIN(TestWindowExtras)
#include "tst_window_extras.moc"
