#pragma once

#include <QString>

// File-system steps that are on the disk when they return, so that a power cut right after
// one never undoes it. One source file per platform. Failures throw TarvikError with the
// system's reason.
namespace DurableFile {

// Writes the file's bytes through to the disk.
void sync(const QString& path);

// Gives the file a second name for the same bytes (a hard link), never over another file.
enum class Link { Made, NameTaken, Unsupported };
Link link(const QString& path, const QString& name);

// Puts the file from in place of the file to in one step: a power cut leaves one or the
// other under that name, whole. The folder's entries are on the disk when it returns.
void replace(const QString& from, const QString& to);

// Writes the folder's entries (a name made or removed) through to the disk, where the system
// keeps them apart from the files' bytes.
void syncFolder(const QString& folder);

} // namespace DurableFile
