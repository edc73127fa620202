#pragma once

#include <QString>

namespace FileAccess {
// Whether this process may write the file or folder at path. Unlike a look at the
// permission bits, this also holds for a read-only mount, an immutable file, and root.
bool writable(const QString& path);
} // namespace FileAccess
