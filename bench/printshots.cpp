// Pictures of the printed lists and of the print windows, to look at: each list for 150
// children in portrait and landscape as a PDF file and as one PNG per page (by pdftoppm), the
// print dialog, and the preview on its first and second page. Not a test.
//
//   printshots <picture folder>

#include "database.h"
#include "printdialog.h"
#include "printpreview.h"
#include "recordingmessageboxes.h"
#include "sampledata.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

namespace {

// Long values and a child without a group, for the cut texts and the rows before the groups.
void addLongValues(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db,
                 "UPDATE Daten SET KNach = 'Müller-Lüdenscheidt-Großkopf', KStr = 'Oberer "
                 "Schäfflerbachweg am Kühlen 117' WHERE Nr = 2;"
                 "UPDATE Daten SET KVor = 'Maximiliane-Friederike', MTel1 = '0170 1234567 "
                 "nur vorm.' WHERE Nr = 5;",
                 nullptr, nullptr, nullptr);
    if (sqlite3_changes(db) != 1)
        qFatal("long values not stored: %s", sqlite3_errmsg(db));
    sqlite3_close(db);
}

void click(QWidget& dialog, const char* name) {
    auto* w = dialog.findChild<QAbstractButton*>(QLatin1String(name));
    if (w == nullptr)
        qFatal("no control %s", name);
    w->click();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: printshots <picture folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("TarvexDB.mdb"));
    makeSampleDatabase(file, 150);
    addLongValues(file);
    std::unique_ptr<Database> database = Database::open(file);

    RecordingMessageBoxes boxes;
    PrintDialog::Setup setup;
    setup.database = database.get();
    setup.boxes = &boxes;
    setup.settings.Name = QStringLiteral("Kinderhaus Sonnenschein");
    setup.settings.Strasse = QStringLiteral("Lindenallee 3");
    setup.settings.Ort = QStringLiteral("86150 Augsburg");
    setup.settings.Tel = QStringLiteral("0821 4711-0");
    setup.settings.Email = QStringLiteral("info@kinderhaus-sonnenschein.de");
    QString target;
    boxes.answer<QFileDialog>([&target](QFileDialog& d) {
        d.selectFile(target);
        static_cast<QDialog&>(d).done(QDialog::Accepted);
    });
    int previewShots = 0;
    boxes.answer<PrintPreview>([&](PrintPreview& p) {
        p.setWindowState(Qt::WindowNoState);
        p.resize(1000, 760);
        p.show();
        QCoreApplication::processEvents();
        p.grab().save(out.filePath(QStringLiteral("preview_%1_page1.png").arg(previewShots)));
        p.panelClicked(3);
        QCoreApplication::processEvents();
        p.grab().save(out.filePath(QStringLiteral("preview_%1_page2.png").arg(previewShots)));
        ++previewShots;
        p.close();
    });

    PrintDialog dialog(setup);
    dialog.show();
    QCoreApplication::processEvents();
    dialog.grab().save(out.filePath(QStringLiteral("dialog.png")));
    static const char* const lists[] = {"optListe1", "optListe2", "optListe3"};
    static const char* const names[] = {"namensliste", "gruppenauflistung", "telefonliste"};
    for (int l = 0; l < 3; ++l) {
        click(dialog, lists[l]);
        for (bool portrait : {true, false}) {
            click(dialog, portrait ? "optHoch" : "optQuer");
            const QString base = QStringLiteral("%1_%2").arg(QLatin1String(names[l]),
                                                             portrait ? QStringLiteral("hoch")
                                                                      : QStringLiteral("quer"));
            target = out.filePath(base + QStringLiteral(".pdf"));
            click(dialog, "cmdPdf");
            QProcess::execute(QStringLiteral("pdftoppm"),
                              {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("70"),
                               target, out.filePath(base)});
        }
    }
    click(dialog, "optListe2");
    click(dialog, "optHoch");
    click(dialog, "cmdPreview");
    click(dialog, "optQuer");
    click(dialog, "cmdPreview");
    for (const auto& shown : boxes.shown)
        std::printf("box: %s\n", qPrintable(shown.text));
    std::printf("pictures in %s\n", qPrintable(out.path()));
    return 0;
}
