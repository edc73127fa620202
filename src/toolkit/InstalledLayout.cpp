#include "toolkit/InstalledLayout.h"

#include <QDir>
#include <QStandardPaths>

QString InstalledLayout::userDataFolder() {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::toNativeSeparators(dataHome + QStringLiteral("/Tarvik/"));
}
