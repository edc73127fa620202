#include "toolkit/FileAccess.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

bool FileAccess::writable(const QString& path) {
#ifdef Q_OS_UNIX
    // AT_EACCESS asks with the identity file access really uses.
    return faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
#else
    return QFileInfo(path).isWritable();
#endif
}

FileAccess::Kind FileAccess::kindOf(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return Missing;
    if (S_ISREG(status.st_mode))
        return Regular;
    if (S_ISDIR(status.st_mode))
        return Folder;
    if (S_ISFIFO(status.st_mode))
        return Fifo;
    return S_ISSOCK(status.st_mode) ? Socket : Device;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return Missing;
    return info.isDir() ? Folder : info.isFile() ? Regular : Device;
#endif
}
