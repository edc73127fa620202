#include "toolkit/DurableFile.h"
#include "toolkit/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray nameOf(const QString& path) {
    return QFile::encodeName(path);
}

[[noreturn]] void failed(const QString& what, const QString& path, int error) {
    throw TarvikError(
        what.arg(QDir::toNativeSeparators(QDir::cleanPath(path)), qt_error_string(error)));
}

void syncOpened(const QString& path, int flags) {
    const int descriptor = ::open(nameOf(path).constData(), O_RDONLY | O_CLOEXEC | flags);
    const bool synced = descriptor >= 0 && ::fsync(descriptor) == 0;
    const int error = errno;
    if (descriptor >= 0)
        ::close(descriptor);
    if (!synced)
        failed(QStringLiteral("Не удалось записать на диск \"%1\": %2"), path, error);
}

} // namespace

namespace DurableFile {

void sync(const QString& path) {
    syncOpened(path, 0);
}

Link link(const QString& path, const QString& name) {
    if (::link(nameOf(path).constData(), nameOf(name).constData()) == 0) {
        syncFolder(QFileInfo(name).absolutePath());
        return Link::Made;
    }
    return errno == EEXIST ? Link::NameTaken : Link::Unsupported;
}

void replace(const QString& from, const QString& to) {
    if (::rename(nameOf(from).constData(), nameOf(to).constData()) != 0)
        failed(QStringLiteral("Не удалось поставить новый файл на место \"%1\": %2"), to, errno);
    syncFolder(QFileInfo(to).absolutePath());
}

void syncFolder(const QString& folder) {
    syncOpened(folder, O_DIRECTORY);
}

} // namespace DurableFile
