#pragma once

#include <QString>

// The file format of Plans.mdb, the same for the build's empty database, the tests and
// the benchmarks.
namespace Schema {
// The statement that makes the table Plans.
QByteArray planTable();
// Creates an empty database with the table Plans at path. Throws TarvikError when the
// file exists already or cannot be written.
void createDatabase(const QString& path);
// Creates the database only when no file is at path. Returns true when it created one.
bool createIfMissing(const QString& path);
} // namespace Schema
