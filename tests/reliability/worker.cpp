// A process that works on the files the way the program does, for the reliability tests to kill
// or to run twice side by side. It prints one line after every step that has returned, so the
// test knows what the program would have told the user was saved.
//
//   worker store <database>               adds records after the highest number and changes
//                                         some of them
//   worker ini <file>                     saves a settings file with a new generation each time
//   worker workstation <database> <ms> <id>
//                                         counts up shared records through the record commands
//                                         and deletes and re-adds records of its own

#include "recordcontroller.h"
#include "recordingmessageboxes.h"
#include "workload.h"

#include "database.h"
#include "engineerror.h"
#include "inifile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>
#include <map>

namespace {

int addRecords(const QString& path) {
    auto db = Database::open(path);
    auto rs = db->openDynaset(QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC"));
    for (int nr = int(db->highestNumber().value_or(0)) + 1;; ++nr) {
        rs->addNew();
        for (int f = 0; f < FieldCount; ++f)
            rs->setField(QString::fromLatin1(fieldTable()[size_t(f)].name),
                         workload::value(f, nr, 1));
        rs->update();
        std::printf("a%d\n", nr);
        std::fflush(stdout);
        if (nr % 3 == 0 && rs->findFirst(QStringLiteral("Nr = %1").arg(nr - 1))) {
            rs->edit();
            for (int f = 1; f < FieldCount; ++f)
                rs->setField(QString::fromLatin1(fieldTable()[size_t(f)].name),
                             workload::value(f, nr - 1, 2));
            rs->update();
            std::printf("e%d\n", nr - 1);
            std::fflush(stdout);
        }
    }
}

int saveSettings(const QString& path) {
    for (int generation = 1;; ++generation) {
        IniFile file(path);
        for (int k = 0; k < workload::IniKeys; ++k)
            file.setValue(u"Werte", QStringLiteral("K%1").arg(k),
                          workload::iniValue(k, generation));
        if (!file.save()) {
            std::printf("failed %s\n", qPrintable(file.problem()));
            return 1;
        }
        std::printf("%d\n", generation);
        std::fflush(stdout);
    }
}

// The boxes a workstation may meet: the questions of the commands, the conflict question and the
// lock message. Anything else is reported.
bool expected(const RecordingMessageBoxes::Shown& box) {
    static const char* const allowed[] = {
        "Möchten Sie die Daten übernehmen?", "Möchten Sie den aktuellen DS löschen?",
        "an einem anderen Arbeitsplatz geändert", "an einem anderen Arbeitsplatz gelöscht",
        "Nummer :3260 - "};
    for (const char* text : allowed)
        if (box.text.contains(QString::fromUtf8(text)))
            return true;
    return false;
}

int workstation(const QString& path, int ms, int id) {
    RecordingMessageBoxes boxes;
    int unexpected = 0;
    boxes.onShow = [&unexpected](const RecordingMessageBoxes::Shown& box) {
        if (!expected(box)) {
            std::printf("unexpected: %s\n", qPrintable(QString(box.text).replace(u'\r', u' ')));
            ++unexpected;
        }
    };
    RecordController records(boxes);
    records.open(path);
    QRandomGenerator random{quint32(id)};
    std::map<int, int> counted;
    const int tel1 = fieldIndex(u"KTel1");
    const int own = 1000 * id;
    int ownCount = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        if (random.bounded(4) == 0) {
            // Churn: a record of its own deleted and added again.
            const QString nr = QString::number(own + random.bounded(5));
            if (records.Data_Reposition(nr).outcome == RecordController::Read::Done) {
                boxes.answers = {MessageBoxes::Answer::Yes};
                records.DS_Loeschen(RowSummary{nr, QStringLiteral("Eigen"), QString()});
            } else {
                const RecordController::NewRecord made = records.DS_Neu({}, std::nullopt);
                if (!made.started)
                    continue;
                RecordTexts texts = made.texts;
                texts[0] = nr;
                texts[size_t(fieldIndex(u"KNach"))] = QStringLiteral("Eigen");
                boxes.answers = {MessageBoxes::Answer::Yes};
                if (records.DS_Speichern(texts).outcome == RecordController::Saved::Kept) {
                    boxes.answers = {MessageBoxes::Answer::No};
                    records.DS_Speichern(texts);
                }
                ++ownCount;
            }
            continue;
        }
        // Counting up a shared record through "Änd&ern" and "&Speichern".
        const int shared = 1 + int(random.bounded(workload::SharedRecords));
        const RecordController::ReadResult read = records.Data_Reposition(QString::number(shared));
        if (read.outcome != RecordController::Read::Done || !records.DS_Aendern())
            continue;
        RecordTexts texts = read.texts;
        texts[size_t(tel1)] = QString::number(texts[size_t(tel1)].toInt() + 1);
        // Yes to storing; Cancel when another workstation changed it meanwhile.
        boxes.answers = {MessageBoxes::Answer::Yes, MessageBoxes::Answer::Cancel};
        const RecordController::SaveResult saved = records.DS_Speichern(texts);
        if (saved.outcome == RecordController::Saved::Stored) {
            ++counted[shared];
        } else if (saved.outcome == RecordController::Saved::Kept) {
            boxes.answers = {MessageBoxes::Answer::No}; // dropped; counted again next time
            records.DS_Speichern(texts);
        }
    }
    for (const auto& [nr, n] : counted)
        std::printf("counted %d %d\n", nr, n);
    std::printf("own %d unexpected %d\n", ownCount, unexpected);
    return unexpected == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 3 && args[1] == QLatin1String("store"))
            return addRecords(args[2]);
        if (args.size() == 3 && args[1] == QLatin1String("ini"))
            return saveSettings(args[2]);
        if (args.size() == 5 && args[1] == QLatin1String("workstation"))
            return workstation(args[2], args[3].toInt(), args[4].toInt());
    } catch (const EngineError& e) {
        std::printf("error %d %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
    std::fprintf(stderr, "usage: worker store|ini <file> | workstation <db> <ms> <id>\n");
    return 2;
}
