#include "toolkit/FileLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// flock() on a file of its own; the holder removes the name before it lets go. A process
// that waited on that name's old file then holds a lock on a file no longer there, so a
// lock counts only while the name still leads to the file locked.
bool FileLock::tryOnce() {
    const QByteArray name = QFile::encodeName(m_path);
    const int descriptor = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        m_failed = true;
        return false;
    }
    struct stat locked {};
    struct stat named {};
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0 && ::fstat(descriptor, &locked) == 0 &&
        ::stat(name.constData(), &named) == 0 && locked.st_dev == named.st_dev &&
        locked.st_ino == named.st_ino) {
        m_handle = descriptor;
        return true;
    }
    ::close(descriptor);
    return false;
}

void FileLock::release() {
    if (m_handle < 0)
        return;
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(int(m_handle));
    m_handle = -1;
}
