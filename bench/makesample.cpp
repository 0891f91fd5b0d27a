// Writes a sample database for looking at the window: makesample <file> [records].
#include "sampledata.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "makesample <file> [records]\n");
        return 2;
    }
    int n = args.size() > 2 ? args[2].toInt() : 300;
    makeSampleDatabase(args[1], n);
    return 0;
}
