#pragma once

#include <QSaveFile>

// The files the program writes for the office to hand on – exported tables, printed PDF files and
// the information for parents – hold children's data: owner and group may read them, others
// nothing, whatever the umask says (0640), as for the backups.
inline constexpr QFileDevice::Permissions PrivateFilePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;

// Opens file for writing under its temporary name with those permissions, which the finished
// file keeps after commit(). False when it cannot be opened or its permissions cannot be set.
bool openPrivateFile(QSaveFile& file);
