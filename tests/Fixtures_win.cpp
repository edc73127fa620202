#include "Fixtures.h"

#include <QSettings>

// Windows keeps no permission bits; the read-only attribute that stands for them holds for
// every user alike.
bool OrdinaryUser::available() {
    return true;
}

OrdinaryUser::OrdinaryUser() = default;

OrdinaryUser::~OrdinaryUser() = default;

bool makeFifo(const QString&) {
    return false;
}

bool makeDeviceLink(const QString&) {
    return false;
}

bool mountSmallDisk(const QString&, int) {
    return false;
}

void unmountSmallDisk(const QString&) {}

namespace {

QSettings runKey() {
    return QSettings(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
        QSettings::NativeFormat);
}

} // namespace

void clearPlatformSettings() {
    QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software"), QSettings::NativeFormat)
        .remove(QStringLiteral("Tarvik"));
    runKey().remove(QStringLiteral("Tarvik"));
}

QString autostartEntry() {
    return runKey().value(QStringLiteral("Tarvik")).toString();
}

void writeAutostartEntry(const QString& command) {
    runKey().setValue(QStringLiteral("Tarvik"), command);
}
