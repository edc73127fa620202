#pragma once

#include <QString>

// The conversion itself, built where libmdb is found and refused where it is not.
namespace JetConversion {
// Converts the Jet database at path; returns the notice for the user. Throws TarvikError.
QString convert(const QString& path);
} // namespace JetConversion
