#pragma once

#include <QString>

// The command line of the Windows Run value. Written quoted, so that a path with blanks
// ("C:\Program Files\...") cannot start another program; read in both forms, as written
// here or by hand, with or without quotes and arguments.
namespace RunCommand {
QString quoted(const QString& executablePath);
// The program's path in a Run value: the quoted part, or without quotes the whole value.
QString path(const QString& value);
} // namespace RunCommand
