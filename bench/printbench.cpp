// Times the printed lists on a large database, through the print dialog's buttons: the
// "Namensliste" written as a PDF file, and the "Gruppenauflistung" into the preview until its
// first page is shown; beside them the floor, the same texts painted at fixed places into a PDF
// file with the same font, without measuring or fitting. Each runs in a process of its own, so
// that its peak memory is its own. Prints medians; not a test.
//
//   printbench [records]       (default 100000; the preview is also timed for 150 children)

#include "benchtiming.h"
#include "database.h"
#include "listdocument.h"
#include "printdialog.h"
#include "printlists.h"
#include "printpreview.h"
#include "recordingmessageboxes.h"
#include "sampledata.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr double GoalRatio = 2;
constexpr double GoalPreviewMs = 3000;
constexpr double GoalSmallPreviewMs = 300;
constexpr double GoalMegabytes = 300;

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void click(QWidget& dialog, const char* name) {
    dialog.findChild<QAbstractButton*>(QLatin1String(name))->click();
}

// One measurement in this process: "pdf", "preview", "browse" (the preview paged through to
// its last page) or "floor" on the database; prints
// "<median ms> <peak MB> <pages>".
int measure(const QString& what, const QString& databasePath, int runs) {
    std::unique_ptr<Database> database = Database::open(databasePath);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("liste.pdf"));
    RecordingMessageBoxes boxes;
    PrintDialog::Setup setup;
    setup.database = database.get();
    setup.boxes = &boxes;
    boxes.answer<QFileDialog>([&](QFileDialog& d) {
        d.selectFile(pdf);
        static_cast<QDialog&>(d).done(QDialog::Accepted);
    });
    QElapsedTimer clock;
    double shownMs = 0;
    int pages = 0;
    boxes.answer<PrintPreview>([&](PrintPreview& preview) {
        preview.show();
        QCoreApplication::processEvents(); // laid out and painted: page 1 is shown
        shownMs = double(clock.nsecsElapsed()) / 1e6;
        pages = preview.pageCount();
        // Paging through every page records them all: the most the preview ever holds.
        if (what == QLatin1String("browse")) {
            for (int i = 1; i < pages; ++i) {
                preview.panelClicked(3);
                QCoreApplication::processEvents();
            }
            shownMs = double(clock.nsecsElapsed()) / 1e6;
        }
        preview.close();
    });
    PrintDialog dialog(setup);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (what == QLatin1String("pdf")) {
            click(dialog, "optListe1");
            times.push_back(timeMs([&] { click(dialog, "cmdPdf"); }));
        } else if (what == QLatin1String("preview") || what == QLatin1String("browse")) {
            click(dialog, "optListe2");
            clock.start();
            click(dialog, "cmdPreview");
            times.push_back(shownMs);
        } else {
            // The floor: every text of the name list at fixed places, 60 rows a page.
            const std::unique_ptr<ListRows> rows = readListRows(*database, printLists()[0]);
            const PrintFonts fonts{Settings()};
            times.push_back(timeMs([&] {
                QPdfWriter writer(pdf);
                writer.setResolution(1200);
                QPainter painter(&writer);
                painter.setFont(fonts.deviceFont(PrintFont::Entry, 1200));
                const int columns = int(listFields(printLists()[0]).size());
                for (int r = 0; r < rows->rowCount(); ++r) {
                    if (r > 0 && r % 60 == 0)
                        writer.newPage();
                    for (int c = 0; c < columns; ++c)
                        painter.drawText(QPointF(500 + c * 1200, 800 + (r % 60) * 200),
                                         rows->text(r, c));
                }
            }));
            pages = (rows->rowCount() + 59) / 60;
        }
        if (!boxes.shown.empty())
            qFatal("%s showed: %s", qPrintable(what), qPrintable(boxes.shown.front().text));
    }
    std::printf("%f %f %d\n", median(times), peakMegabytes(), pages);
    return 0;
}

struct Figures {
    double ms = 0;
    double megabytes = 0;
    int pages = 0;
};

Figures run(const QString& what, const QString& databasePath, int runs) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure"), what, databasePath, QString::number(runs)});
    child.waitForFinished(-1);
    const QStringList out = QString::fromUtf8(child.readAllStandardOutput()).split(u' ');
    if (child.exitCode() != 0 || out.size() < 3)
        qFatal("%s failed", qPrintable(what));
    return {out[0].toDouble(), out[1].toDouble(), out[2].trimmed().toInt()};
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--measure") == 0)
        return measure(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                       std::atoi(argv[4]));
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir dir;
    const QString large = dir.filePath(QStringLiteral("large.mdb"));
    const QString small = dir.filePath(QStringLiteral("small.mdb"));
    std::printf("Making %d records ...\n", n);
    std::fflush(stdout);
    makeSampleDatabase(large, n);
    makeSampleDatabase(small, 150);

    const Figures floor = run(QStringLiteral("floor"), large, 3);
    const Figures pdf = run(QStringLiteral("pdf"), large, 3);
    const Figures preview = run(QStringLiteral("preview"), large, Runs);
    const Figures smallPreview = run(QStringLiteral("preview"), small, Runs);
    const Figures browse = run(QStringLiteral("browse"), large, 1);

    std::printf("%-52s %9.1f ms   floor %8.1f ms   ratio %5.2f   goal: within %.0f times: %s\n",
                "Namensliste as a PDF file", pdf.ms, floor.ms, pdf.ms / floor.ms, GoalRatio,
                verdict(pdf.ms <= GoalRatio * floor.ms));
    std::printf("%-52s %9.1f ms   (%d pages)   goal: under %.0f ms: %s\n",
                "Gruppenauflistung in the preview, page 1 shown", preview.ms, preview.pages,
                GoalPreviewMs, verdict(preview.ms < GoalPreviewMs));
    std::printf("%-52s %9.1f ms   (%d pages)   goal: under %.0f ms: %s\n",
                "the same for 150 children", smallPreview.ms, smallPreview.pages,
                GoalSmallPreviewMs, verdict(smallPreview.ms < GoalSmallPreviewMs));
    const auto memory = [](const char* what, double mb) {
        std::printf("%-52s %9.1f MB   goal: under %.0f MB: %s\n", what, mb, GoalMegabytes,
                    verdict(mb < GoalMegabytes));
    };
    memory("peak memory, Namensliste as a PDF file", pdf.megabytes);
    memory("peak memory, Gruppenauflistung in the preview", preview.megabytes);
    std::printf("%-52s %9.1f ms   %.1f MB\n", "the preview paged through to its last page",
                browse.ms, browse.megabytes);
    std::printf("%-52s %9.1f MB\n", "peak memory, the floor", floor.megabytes);
    return 0;
}
