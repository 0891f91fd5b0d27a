#include "filelocations.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

FileLocations fileLocations(const QString& programFolder, bool programFolderWritable) {
    if (programFolderWritable)
        return {programFolder, programFolder};
    // The generic locations with our own subfolder: the application locations would carry the
    // name of whatever executable runs this (a test, a benchmark).
    const QString sub = QStringLiteral("/Tarvex");
    return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + sub,
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + sub};
}

bool isWritableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

bool isSystemFolder(const QString& folder) {
    const QString path = QFileInfo(folder).canonicalFilePath();
    for (const char* system : {"/usr", "/bin", "/sbin"}) {
        const QLatin1String root(system);
        if (path == root || path.startsWith(root + QLatin1Char('/')))
            return true;
    }
    return false;
}

QString databasePath(const FileLocations& locations, const QString& nameDB) {
    return QDir(locations.dataFolder).absoluteFilePath(nameDB);
}
