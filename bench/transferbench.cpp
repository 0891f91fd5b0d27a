// Times the tables for spreadsheets on a large database: the full export, and reading,
// checking and storing that file into an empty database, each beside the sqlite3 shell doing
// the nearest thing (".mode csv" output of SELECT * FROM Daten into a file, ".import" of the
// same file into a new table). Prints medians and the peak memory; not a test.
//
//   transferbench [records]        (default 100000)

#include "benchtiming.h"
#include "csvexport.h"
#include "csvimport.h"
#include "database.h"
#include "sampledata.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr double GoalRatio = 2.0;
constexpr double GoalMegabytes = 200;

// Wall time of one sqlite3 shell run fed script on stdin; 0 without a shell.
double shellRunMs(const QStringList& arguments, const QByteArray& script) {
    QProcess shell;
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"), arguments);
    if (!shell.waitForStarted(5000))
        return 0;
    shell.write(script);
    shell.closeWriteChannel();
    shell.waitForFinished(600000);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const QByteArray errors = shell.readAllStandardError();
    if (shell.exitCode() != 0 || !errors.isEmpty())
        std::fprintf(stderr, "sqlite3: %s\n", errors.left(400).constData());
    return ms;
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("TarvexDB.mdb"));
    makeSampleDatabase(source, records);
    const QString csvFile = dir.filePath(QStringLiteral("kinder.csv"));
    std::printf("%d records, medians of %d runs\n", records, Runs);

    std::vector<double> exports, shellExports;
    {
        const auto db = Database::open(source);
        for (int i = 0; i < Runs; ++i) {
            exports.push_back(timeMs([&] {
                if (csvexport::saveAll(*db, csvFile) != csvexport::Result::Done)
                    qFatal("export failed");
            }));
            const QString shellFile = dir.filePath(QStringLiteral("shell.csv"));
            shellExports.push_back(shellRunMs({source}, ".mode csv\n.output " +
                                                            QFile::encodeName(shellFile) +
                                                            "\nSELECT * FROM Daten;\n"));
        }
    }
    const QByteArray bytes = [&] {
        QFile file(csvFile);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    std::printf("file: %.1f MB\n", double(bytes.size()) / 1e6);

    std::vector<double> reads, stores, imports, shellImports;
    for (int i = 0; i < Runs; ++i) {
        const QString target = dir.filePath(QStringLiteral("leer%1.mdb").arg(i));
        Database::createEmpty(target);
        const auto db = Database::open(target);
        std::unique_ptr<csvimport::Import> import;
        const double read = timeMs([&] {
            QFile file(csvFile);
            file.open(QIODevice::ReadOnly);
            QString problem;
            import = csvimport::Import::read(file.readAll(), &problem);
            if (!import || !import->refused().isEmpty())
                qFatal("import refused: %s", qPrintable(problem));
        });
        const double store = timeMs([&] {
            if (import->store(*db, csvimport::Clash::Skip) != std::optional<int>(records))
                qFatal("not every record stored");
        });
        reads.push_back(read);
        stores.push_back(store);
        imports.push_back(read + store);

        const QString shellTarget = dir.filePath(QStringLiteral("shell%1.db").arg(i));
        shellImports.push_back(shellRunMs({shellTarget}, ".mode csv\n.separator ;\n.import " +
                                                             QFile::encodeName(csvFile) +
                                                             " Daten\n"));
    }

    printLine("full export (file written)", median(exports), median(shellExports), GoalRatio);
    printLine("import: read and check", median(reads), 0);
    printLine("import: store in one transaction", median(stores), 0);
    printLine("import of the full export, in all", median(imports), median(shellImports),
              GoalRatio);
    const double megabytes = peakMegabytes();
    std::printf("peak memory %.1f MB   goal: under %.0f MB: %s\n", megabytes, GoalMegabytes,
                megabytes < GoalMegabytes ? "met" : "MISSED");
    return 0;
}
