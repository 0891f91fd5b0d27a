#include "tarvexresources.h"

#include <QFile>

namespace TarvexResources {

QString menuIconPath(const QString& key, int size) {
    if (size >= 32)
        return QStringLiteral(":/icons/32/%1.png").arg(key);
    return QStringLiteral(":/icons/%1.png").arg(key);
}

QIcon menuIcon(const QString& key) {
    QIcon icon;
    if (key.isEmpty() || !QFile::exists(menuIconPath(key)))
        return icon;
    icon.addFile(menuIconPath(key, 16), QSize(16, 16));
    icon.addFile(menuIconPath(key, 32), QSize(32, 32));
    return icon;
}

QIcon programIcon() {
    QIcon icon;
    icon.addFile(programPicture(), QSize(64, 64));
    icon.addFile(QStringLiteral(":/pictures/tarvex_256.png"), QSize(256, 256));
    return icon;
}

} // namespace TarvexResources
