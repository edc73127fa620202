#pragma once

#include <QString>

namespace FileAccess {
// Whether this process may write the file or folder at path. Unlike a look at the
// permission bits, this also holds for a read-only mount, an immutable file, and root.
bool writable(const QString& path);

// What is at path, symbolic links followed. Never opens it: opening a FIFO blocks.
enum Kind { Missing, Regular, Folder, Fifo, Device, Socket };
Kind kindOf(const QString& path);
} // namespace FileAccess
