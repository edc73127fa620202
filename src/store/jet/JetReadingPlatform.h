#pragma once

#include <QByteArray>
#include <QString>

// What the reading helper needs of its platform. One source file per platform.
namespace JetReadingPlatform {
// Caps what the process may allocate from now on at bytes more than it has.
void limitMemory(qint64 bytes);
// Writes all of data to the standard output, unchanged (no text-mode line endings).
bool writeOut(const QByteArray& data);
// The file's name as libmdb opens it, with the C library's fopen().
QByteArray fileName(const QString& path);
} // namespace JetReadingPlatform
