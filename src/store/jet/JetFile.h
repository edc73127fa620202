#pragma once

#include <QByteArray>
#include <QString>

// A Plans.mdb kept by the Windows program is a Jet (Access) database. Start-up hands it
// here before it opens the file: its tasks are written, value for value, into a new
// Plans.mdb of our own form, and the Jet file is kept beside it byte for byte.
namespace JetFile {

// Whether a file's first bytes are those of a Jet 3, Jet 4 or later Access database.
bool recognised(const QByteArray& header);

// Whether the regular file at path starts as a Jet database does.
bool isJet(const QString& path);

// Converts the file at path when it is a Jet database and returns what to tell the user: how
// many tasks came over and where the original now lies. Returns an empty string, and does
// nothing, for any other file. A refusal throws TarvikError naming the file and leaves
// everything as it was. A conversion cut off at any moment (a crash, a power failure) leaves
// either the untouched Jet file, which this converts again, or the finished new file with
// the original beside it.
QString convertIfJet(const QString& path);

} // namespace JetFile
