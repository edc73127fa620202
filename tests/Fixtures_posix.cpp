#include "Fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

bool OrdinaryUser::available() {
    return true;
}

OrdinaryUser::OrdinaryUser() {
    if (geteuid() != 0)
        return; // an ordinary user already
    constexpr uid_t nobody = 65534;
    setfsgid(nobody);
    setfsuid(nobody);
    m_switched = true;
    // setfsuid() answers with the identity before the call: asking again tells if it took.
    if (int(setfsuid(nobody)) != int(nobody))
        throw std::runtime_error("cannot act as an ordinary user");
}

OrdinaryUser::~OrdinaryUser() {
    if (!m_switched)
        return;
    setfsuid(0);
    setfsgid(0);
}

bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool makeDeviceLink(const QString& path) {
    return QFile::link(QStringLiteral("/dev/null"), path);
}

bool mountSmallDisk(const QString& folder, int kilobytes) {
    const QByteArray size = "size=" + QByteArray::number(kilobytes) + 'k';
    return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, size.constData()) ==
           0;
}

void unmountSmallDisk(const QString& folder) {
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
}

void clearPlatformSettings() {}

namespace {

QString autostartFile() {
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/Tarvik.desktop");
}

} // namespace

QString autostartEntry() {
    QFile entry(autostartFile());
    if (!entry.open(QIODevice::ReadOnly))
        return {};
    for (const QString& line : QString::fromUtf8(entry.readAll()).split('\n'))
        if (line.startsWith(QStringLiteral("Exec=")))
            return line.mid(5);
    return {};
}

void writeAutostartEntry(const QString& command) {
    QDir().mkpath(QFileInfo(autostartFile()).path());
    QFile entry(autostartFile());
    if (entry.open(QIODevice::WriteOnly))
        entry.write("[Desktop Entry]\nType=Application\nExec=" + command.toUtf8() + "\n");
}
