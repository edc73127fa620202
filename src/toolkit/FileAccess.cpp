#include "toolkit/FileAccess.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
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
