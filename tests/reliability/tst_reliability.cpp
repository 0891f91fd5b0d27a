// Whatever happens to the machine, a record the program said was saved is there afterwards and
// nothing else is damaged: a worker process killed at random moments while it saves, a disk that
// is full, and two workstations working on one file at once.

#include "workload.h"

#include "engineerror.h"
#include "inifile.h"
#include "rawaccess.h"
#include "recordcontroller.h"
#include "recordingmessageboxes.h"
#include "sqlitedatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <map>
#include <set>

namespace {

const QString kRsDaten = QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC");

QString worker() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/reliabilityworker");
}

QString integrity(const QString& path) {
    return RawConnection(path).firstValue(QStringLiteral("PRAGMA integrity_check"));
}

// The lines a killed worker printed, each for a step that had returned.
QStringList linesOf(QProcess& p) {
    return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// Starts the worker, waits for its first save (however slowly it starts, under a sanitizer
// too), lets it run for a random few milliseconds more and kills it.
QStringList runAndKill(const QStringList& args, QRandomGenerator& random) {
    QProcess p;
    p.start(worker(), args);
    if (!p.waitForStarted() || !p.waitForReadyRead(30000))
        qFatal("worker does not start saving");
    QThread::msleep(random.bounded(40));
    ::kill(pid_t(p.processId()), SIGKILL);
    p.waitForFinished();
    return linesOf(p);
}

// Which version every field of a stored record holds: 0 when the fields do not agree.
int versionOf(const std::array<QVariant, FieldCount>& values, int nr) {
    for (int version : {1, 2}) {
        bool all = true;
        for (int f = 1; f < FieldCount && all; ++f) {
            const QVariant expected = workload::value(f, nr, version);
            const QVariant& stored = values[size_t(f)];
            all = fieldTable()[size_t(f)].type == FieldType::Single
                      ? qFuzzyCompare(stored.toDouble(), expected.toDouble())
                      : stored.toString() == expected.toString();
        }
        if (all)
            return version;
    }
    return 0;
}

void createWithSharedRecords(const QString& path) {
    Database::createEmpty(path);
    auto db = Database::open(path);
    auto rs = db->openDynaset(kRsDaten);
    for (int nr = 1; nr <= workload::SharedRecords; ++nr) {
        rs->addNew();
        for (int f = 0; f < FieldCount; ++f)
            rs->setField(QString::fromLatin1(fieldTable()[size_t(f)].name),
                         workload::value(f, nr, 1));
        rs->setField(u"KTel1", QStringLiteral("0"));
        rs->setField(u"KEssen", QStringLiteral("nein"));
        rs->update();
    }
}

} // namespace

class TestReliability : public QObject {
    Q_OBJECT
  private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    // Killed at random moments while it adds and changes records, 200 times on one file: the
    // file stays intact, every record whose save had returned is there, and no record is ever
    // half of one version and half of another.
    void killedWhileSavingRecords() {
        const QString path = m_dir.filePath(QStringLiteral("TarvexDB.mdb"));
        Database::createEmpty(path);
        QRandomGenerator random(20261206);
        std::set<int> added;
        std::set<int> changed;
        int checkedUpTo = 0;
        int kills = 0;
        for (; kills < 200; ++kills) {
            for (const QString& line : runAndKill({QStringLiteral("store"), path}, random)) {
                if (line.startsWith(u'a'))
                    added.insert(line.mid(1).toInt());
                else if (line.startsWith(u'e'))
                    changed.insert(line.mid(1).toInt());
                else
                    QFAIL(qPrintable(line));
            }
            QCOMPARE(integrity(path), QStringLiteral("ok"));
            checkedUpTo = checkStored(path, added, changed, checkedUpTo);
            changed.clear();
        }
        QCOMPARE(kills, 200);
        QVERIFY2(checkedUpTo > 200, "the worker hardly saved anything before it was killed");
    }

    // Killed while it saves the settings file, 200 times: the file is always the old one or the
    // new one, whole, never a mix or a cut.
    void killedWhileSavingSettings() {
        const QString path = m_dir.filePath(QStringLiteral("Tarvex.ini"));
        QRandomGenerator random(7);
        int lastReported = 0;
        for (int kill = 0; kill < 200; ++kill) {
            const QStringList lines = runAndKill({QStringLiteral("ini"), path}, random);
            if (!lines.isEmpty())
                lastReported = lines.back().toInt();
            if (!QFileInfo::exists(path))
                continue; // killed before the first save
            const IniFile file(path);
            QVERIFY(file.wasRead());
            const QString first = file.value(u"Werte", u"K0", QString());
            const int generation = first.section(u' ', 1, 1).toInt();
            QVERIFY2(generation >= lastReported, qPrintable(first));
            for (int k = 0; k < workload::IniKeys; ++k)
                QCOMPARE(file.value(u"Werte", QStringLiteral("K%1").arg(k), QString()),
                         workload::iniValue(k, generation));
            // One run starts where the last left off: the kill came after a save returned or
            // while one ran, so at most one generation more than reported is there.
            QVERIFY(generation <= lastReported + 1 || lastReported == 0);
            lastReported = 0;
        }
    }

    // A full disk refuses the save with a clear message, keeps the input and the editing state,
    // and loses nothing stored before; with room again the same save goes through.
    void fullDiskKeepsInputAndStoredRecords() {
        const QString path = m_dir.filePath(QStringLiteral("TarvexDB.mdb"));
        createWithSharedRecords(path);
        RecordingMessageBoxes boxes;
        RecordController records(boxes);
        records.open(path);
        sqlite3* db = sqliteHandle(*records.database());
        sqlite3_exec(db, "PRAGMA max_page_count = 1", nullptr, nullptr,
                     nullptr); // as full as it is

        // A new record.
        boxes.answers = {MessageBoxes::Answer::No};
        RecordController::NewRecord made = records.DS_Neu({}, RowSummary{"1", "a", "b"});
        RecordTexts texts = made.texts;
        texts[size_t(fieldIndex(u"KNach"))] = QStringLiteral("Neu");
        texts[size_t(fieldIndex(u"Bem"))] = QString(20000, u'x');
        boxes.answers = {MessageBoxes::Answer::Yes};
        RecordController::SaveResult saved = records.DS_Speichern(texts);
        QCOMPARE(saved.outcome, RecordController::Saved::Kept);
        QCOMPARE(saved.texts[size_t(fieldIndex(u"Bem"))], texts[size_t(fieldIndex(u"Bem"))]);
        QCOMPARE(records.state(), EditState::New);
        QVERIFY2(boxes.shown.back().text.contains(QStringLiteral("Nummer :3026 - ")),
                 qPrintable(boxes.shown.back().text));
        QVERIFY(boxes.shown.back().text.contains(QStringLiteral("nicht genügend Platz")));
        QCOMPARE(integrity(path), QStringLiteral("ok"));
        QCOMPARE(records.database()->highestNumber(), std::optional<qint64>(3));

        // A change.
        boxes.answers = {MessageBoxes::Answer::No};
        records.DS_Speichern(saved.texts);
        const RecordController::ReadResult read = records.Data_Reposition(QStringLiteral("2"));
        QVERIFY(read.outcome == RecordController::Read::Done);
        QVERIFY(records.DS_Aendern());
        RecordTexts change = read.texts;
        change[size_t(fieldIndex(u"Bem"))] = QString(20000, u'y');
        change[size_t(fieldIndex(u"KOrt"))] = QStringLiteral("Bonn");
        boxes.answers = {MessageBoxes::Answer::Yes};
        QCOMPARE(records.DS_Speichern(change).outcome, RecordController::Saved::Kept);
        QCOMPARE(records.state(), EditState::Change);
        auto rs = records.database()->openDynaset(kRsDaten);
        QVERIFY(rs->findFirst(QStringLiteral("Nr = 2")));
        QCOMPARE(displayTexts(rs->values()), read.texts); // as it was, every field

        // Room again.
        sqlite3_exec(db, "PRAGMA max_page_count = 1000000", nullptr, nullptr, nullptr);
        boxes.answers = {MessageBoxes::Answer::Yes};
        QCOMPARE(records.DS_Speichern(change).outcome, RecordController::Saved::Stored);
    }

    // Two workstations count the same records up through "Änd&ern" and "&Speichern" while each
    // deletes and adds records of its own: no count is lost, nothing but the lock message and
    // the documented questions is ever shown, and the file stays intact.
    void twoWorkstations() {
        const QString path = m_dir.filePath(QStringLiteral("TarvexDB.mdb"));
        createWithSharedRecords(path);
        QProcess first;
        QProcess second;
        first.start(worker(), {QStringLiteral("workstation"), path, QStringLiteral("3000"),
                               QStringLiteral("1")});
        second.start(worker(), {QStringLiteral("workstation"), path, QStringLiteral("3000"),
                                QStringLiteral("2")});
        QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
        std::map<int, int> counted;
        int unexpected = 0;
        for (QProcess* p : {&first, &second}) {
            const QStringList lines = linesOf(*p);
            for (const QString& line : lines) {
                const QStringList parts = line.split(u' ');
                if (parts[0] == QLatin1String("counted"))
                    counted[parts[1].toInt()] += parts[2].toInt();
                else if (!line.startsWith(QLatin1String("own ")))
                    ++unexpected, qWarning("%s", qPrintable(line));
            }
            QCOMPARE(p->exitCode(), 0);
        }
        QCOMPARE(unexpected, 0);
        QCOMPARE(integrity(path), QStringLiteral("ok"));
        auto db = Database::open(path);
        auto rs = db->openDynaset(kRsDaten);
        int total = 0;
        for (int nr = 1; nr <= workload::SharedRecords; ++nr) {
            QVERIFY(rs->findFirst(QStringLiteral("Nr = %1").arg(nr)));
            QCOMPARE(rs->field(u"KTel1").toString().toInt(), counted[nr]);
            total += counted[nr];
        }
        QVERIFY2(total > 10, "the workstations got hardly any save through");
    }

  private:
    // Every record above the last check is whole; the records reported changed hold their
    // second version; every record reported saved is there. Returns the highest number.
    int checkStored(const QString& path, std::set<int>& added, const std::set<int>& changed,
                    int checkedUpTo) {
        auto db = Database::open(path);
        auto rs = db->openDynaset(kRsDaten);
        int highest = checkedUpTo;
        if (rs->recordCount() > 0)
            rs->moveFirst();
        for (; !rs->eof(); rs->moveNext()) {
            const int nr = int(rs->field(u"Nr").toLongLong());
            if (nr <= checkedUpTo && !changed.count(nr))
                continue;
            const int version = versionOf(rs->values(), nr);
            if (version == 0)
                qFatal("record %d is mixed", nr);
            if (changed.count(nr) && version != 2)
                qFatal("record %d was reported changed but holds version %d", nr, version);
            highest = std::max(highest, nr);
            added.erase(nr);
        }
        if (!added.empty())
            qFatal("record %d was reported saved but is missing", *added.begin());
        return highest;
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestReliability)
#include "tst_reliability.moc"
