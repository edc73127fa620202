#pragma once

#include <QString>

// Which folder holds Plans.mdb. A copy that runs from its own folder (the build folder, a
// portable copy) uses the executable's folder. An installed copy (see InstalledLayout)
// uses the user's data folder, which it makes with an empty Plans.mdb when it is missing.
namespace ProgramFolder {

// The folder a start with an empty Path takes and remembers, with a trailing separator.
QString derive(const QString& executablePath);
// For an installed copy whose program folder is its data folder: makes the folder and an
// empty Plans.mdb there when they are missing. Any other folder is left as it is, so a
// missing Plans.mdb there is reported when the connection opens. Throws TarvikError.
void provide(const QString& executablePath, const QString& programFolder);

} // namespace ProgramFolder
