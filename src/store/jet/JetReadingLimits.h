#pragma once

#include <QByteArray>
#include <QtGlobal>

// What the reading helper needs of its platform. One source file per platform.
namespace JetReadingLimits {
// Caps what the process may allocate from now on at bytes more than it has.
void limitMemory(qint64 bytes);
// Writes all of data to the standard output, unchanged (no text-mode line endings).
bool writeOut(const QByteArray& data);
} // namespace JetReadingLimits
