#include "filelocations.h"
#include "focusmarks.h"
#include "tarvexmain.h"
#include "widgetmessageboxes.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <csignal>

int main(int argc, char* argv[]) {
    // A write beyond the system's file size limit fails with an error the program reports,
    // instead of ending the program on the spot.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setStyle(new FocusMarkStyle);
    QApplication::setApplicationName(QStringLiteral("Tarvex"));
    // Lets the desktop match the window to the program's desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TARVEX_APP_ID));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(TARVEX_VERSION_MAJOR)
                                            .arg(TARVEX_VERSION_MINOR)
                                            .arg(TARVEX_VERSION_PATCH));
    // The program speaks German whatever the machine's locale: Qt's own dialogs and buttons too.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    WidgetMessageBoxes boxes;
    TarvexMain::Options options;
    options.programFolder = QCoreApplication::applicationDirPath();
    options.files =
        fileLocations(options.programFolder, isWritableFolder(options.programFolder) &&
                                                 !isSystemFolder(options.programFolder));
    QStringList args = QCoreApplication::arguments();
    if (!args.isEmpty())
        args.removeFirst(); // the program's own path never counts
    options.arguments = args;
    options.boxes = &boxes;

    TarvexMain window(options);
    if (!window.start())
        return 0;
    return QApplication::exec();
}
