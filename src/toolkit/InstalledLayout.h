#pragma once

#include <QString>

// Where an installed copy's files lie. On Linux cmake --install (and the Debian package) puts
// the executable in <prefix>/bin, the desktop entry in <prefix>/share/applications and the
// README in <prefix>/share/doc/tarvik; on Windows the installer puts the program, the README
// and its uninstaller (Uninstall.exe) in one folder. A copy that runs from its own folder
// (the build folder, a portable copy) has everything beside the executable. One source file
// per platform.
namespace InstalledLayout {

// The desktop entry's, the icons' and the AppStream metadata's name.
inline const QString ApplicationId = QStringLiteral("org.tarvik.Tarvik");

// True when the executable lies in <prefix>/bin with our desktop entry in
// <prefix>/share/applications, or on Windows beside the uninstaller. Known by the layout
// alone, never by whether the folder can be written: root can write /usr/bin.
bool isInstalled(const QString& executablePath);
// The README the About window's link opens: in <prefix>/share/doc/tarvik for an installed
// copy, beside the executable otherwise.
QString readmePath(const QString& executablePath);
// Where an installed copy keeps its tasks, with a trailing separator: $XDG_DATA_HOME/Tarvik
// (~/.local/share/Tarvik when unset); on Windows the local application data folder.
QString userDataFolder();

} // namespace InstalledLayout
