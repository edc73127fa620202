#include "settings/Autostart.h"
#include "settings/RunCommand.h"
#include "toolkit/Error.h"

#include <QSettings>

namespace {

const QString runKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");

} // namespace

namespace Autostart {

QString read() {
    return RunCommand::path(QSettings(runKey, QSettings::NativeFormat).value("Tarvik").toString());
}

void write(const QString& executablePath) {
    QSettings run(runKey, QSettings::NativeFormat);
    run.setValue("Tarvik", RunCommand::quoted(executablePath));
    run.sync();
    if (run.status() != QSettings::NoError)
        throw TarvikError(QStringLiteral("Не удалось записать параметр Tarvik в реестр"));
}

void remove() {
    QSettings(runKey, QSettings::NativeFormat).remove("Tarvik");
}

} // namespace Autostart
