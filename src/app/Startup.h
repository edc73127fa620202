#pragma once

#include "TarvikVersion.h"

#include <QString>

// The start-up sequence, from the splash to the moment the message loop can run.
namespace Startup {

inline const QString Version = QStringLiteral(TARVIK_VERSION);
inline const QString ApplicationTitle = QStringLiteral("Tarvik. Планировщик задач");

struct Options {
    QString executablePath; // the executable's own full path
    int splashMsecs = 1000; // the pause while the splash stands alone on screen
};

// The program folder, read from Path (derived, and written, when empty: the executable's
// folder, or an installed copy's data folder, see ProgramFolder), and the sort value read
// from Index.
struct Places {
    QString programFolder;
    QString sortValue;
};
Places findPlaces(const QString& executablePath);
// Writes Version when it is not exactly the current version.
void stampVersion();
QString connectionString(const QString& programFolder);
// The Plans.mdb the connection string names.
QString databasePath(const QString& programFolder);
// The executable's folder with a trailing separator.
QString folderOf(const QString& executablePath);

// Runs every step up to the message loop: fills the global instances through their owner
// (the caller keeps an Instances::Lifetime, which ends them) and shows nothing but the
// splash yet. While the splash stands, another thread reads the settings and the file, so
// that the window follows the splash at once. A failure throws TarvikError before the main
// window is shown, once the splash has gone.
void start(const Options& options);
// Shows the main window: the message loop may run.
void showMainWindow();

} // namespace Startup
