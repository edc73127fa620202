#include "app/ProgramFolder.h"

#include "app/Startup.h"
#include "store/Schema.h"
#include "toolkit/Error.h"
#include "toolkit/InstalledLayout.h"

#include <QDir>
#include <QFile>

namespace ProgramFolder {

namespace {

bool sameFolder(const QString& one, const QString& other) {
    return QDir::cleanPath(QDir::fromNativeSeparators(one)) ==
           QDir::cleanPath(QDir::fromNativeSeparators(other));
}

// The tasks are the user's own: a folder made for them is closed to everyone else.
void makeFolder(const QString& folder) {
    if (QDir(folder).exists())
        return;
    if (!QDir().mkpath(folder) ||
        !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        throw TarvikError(QStringLiteral("Не удалось создать папку данных \"%1\".")
                              .arg(QDir::toNativeSeparators(folder)));
}

} // namespace

QString derive(const QString& executablePath) {
    return InstalledLayout::isInstalled(executablePath) ? InstalledLayout::userDataFolder()
                                                        : Startup::folderOf(executablePath);
}

void provide(const QString& executablePath, const QString& programFolder) {
    const QString dataFolder = InstalledLayout::userDataFolder();
    if (!sameFolder(programFolder, dataFolder) || !InstalledLayout::isInstalled(executablePath))
        return;
    makeFolder(dataFolder);
    Schema::createIfMissing(QDir(dataFolder).filePath(QStringLiteral("Plans.mdb")));
}

} // namespace ProgramFolder
