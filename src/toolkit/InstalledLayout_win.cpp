#include "toolkit/InstalledLayout.h"

#include <QDir>
#include <QFileInfo>

// The installer puts the program, its README and its uninstaller in one folder of the user's
// programs; a portable folder has no uninstaller.
bool InstalledLayout::isInstalled(const QString& executablePath) {
    return QFileInfo::exists(
        QFileInfo(executablePath).dir().filePath(QStringLiteral("Uninstall.exe")));
}

QString InstalledLayout::readmePath(const QString& executablePath) {
    return QFileInfo(executablePath).dir().filePath(QStringLiteral("README.md"));
}
