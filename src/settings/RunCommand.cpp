#include "settings/RunCommand.h"

#include <QDir>

namespace RunCommand {

QString quoted(const QString& executablePath) {
    return '"' + QDir::toNativeSeparators(executablePath) + '"';
}

QString path(const QString& value) {
    const QString command = value.trimmed();
    if (!command.startsWith('"'))
        return command;
    const qsizetype end = command.indexOf('"', 1);
    return end < 0 ? command.mid(1) : command.mid(1, end - 1);
}

} // namespace RunCommand
