#pragma once

#include <QString>

// Where Tarvex.ini and a database named by a relative NameDB live.
struct FileLocations {
    QString settingsFolder;
    QString dataFolder;
    bool operator==(const FileLocations&) const = default;
};

// A program folder the user may write to keeps the settings and the database (the program copied
// into a folder of its own). An installed program's folder (under /usr) is not the user's: then
// Tarvex.ini lives in the user's configuration folder and the database in the user's data
// folder, each in a subfolder "Tarvex".
FileLocations fileLocations(const QString& programFolder, bool programFolderWritable);

// Whether this user may create files in the folder.
bool isWritableFolder(const QString& folder);

// Whether the folder belongs to the system's installed programs (under /usr, /bin, /sbin): the
// program installed there keeps its files in the user's folders even when root could write
// there, so that removing the package leaves nothing behind.
bool isSystemFolder(const QString& folder);

// The database file NameDB names: an absolute path as it is, a relative one in the data folder.
QString databasePath(const FileLocations& locations, const QString& nameDB);
