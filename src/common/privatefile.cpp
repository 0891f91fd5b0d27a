#include "privatefile.h"

bool openPrivateFile(QSaveFile& file) {
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!file.setPermissions(PrivateFilePermissions)) {
        file.cancelWriting();
        return false;
    }
    return true;
}
