#include "toolkit/InstalledLayout.h"

#include <QDir>
#include <QFileInfo>

namespace InstalledLayout {

namespace {

QDir folderOf(const QString& executablePath) {
    const QString folder = QFileInfo(executablePath).absolutePath();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return QDir(canonical.isEmpty() ? folder : canonical);
}

// The prefix an installed copy's executable lies under; empty for any other copy.
QString prefixOf(const QString& executablePath) {
    QDir folder = folderOf(executablePath);
    if (folder.dirName() != QLatin1String("bin") || !folder.cdUp())
        return QString();
    const QString entry = QStringLiteral("share/applications/%1.desktop").arg(ApplicationId);
    return QFileInfo::exists(folder.filePath(entry)) ? folder.path() : QString();
}

} // namespace

bool isInstalled(const QString& executablePath) {
    return !prefixOf(executablePath).isEmpty();
}

QString readmePath(const QString& executablePath) {
    const QString prefix = prefixOf(executablePath);
    const QString readme = QStringLiteral("README.md");
    if (prefix.isEmpty())
        return folderOf(executablePath).filePath(readme);
    return QDir(prefix).filePath(QStringLiteral("share/doc/tarvik/") + readme);
}

} // namespace InstalledLayout
