#pragma once

#include <QString>

// The settings store: string values under registry-style keys of the current user.
// Windows: the real registry under HKEY_CURRENT_USER. Elsewhere: an INI file at
// $XDG_CONFIG_HOME/Tarvik/registry.ini (~/.config when unset), value V of key K stored
// as the setting K/V with backslashes turned into '/'. The Run key's value Tarvik is the
// autostart entry (see Autostart.h). Every call opens a fresh accessor; nothing is cached.
namespace Settings {
inline const QString TarvikKey = QStringLiteral("Software\\Tarvik");
inline const QString RunKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
inline const QString RunValue = QStringLiteral("Tarvik");

// A missing value reads as the empty string.
QString read(const QString& key, const QString& name);
// A refused write throws TarvikError.
void write(const QString& key, const QString& name, const QString& value);
// A refused deletion is ignored.
void remove(const QString& key, const QString& name);

// Where the INI store lives (not used on Windows).
QString storePath();

// Run once by start-up before it reads anything. A store file the program cannot read
// (not a file, far too large, binary, not UTF-8, not INI) or cannot write is moved aside
// under another name, byte for byte, and a fresh file takes its place, holding the old
// values when they could be read. When the file cannot even be moved, the store is left
// alone for this run: values read as empty and writes are dropped. Returns what the user
// is told, once; empty when the store was fine.
QString recoverStore();
} // namespace Settings
