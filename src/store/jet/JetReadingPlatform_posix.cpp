#include "store/jet/JetReadingPlatform.h"

#include <QFile>

#include <sys/resource.h>
#include <unistd.h>

namespace JetReadingPlatform {

// The limit counts from the address space the process already has, which a sanitizer's
// shadow memory makes terabytes large.
void limitMemory(qint64 bytes) {
    QFile statm(QStringLiteral("/proc/self/statm"));
    qint64 mapped = 0;
    if (statm.open(QIODevice::ReadOnly))
        mapped = statm.readLine().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
    const rlimit limit{rlim_t(mapped + bytes), rlim_t(mapped + bytes)};
    setrlimit(RLIMIT_AS, &limit);
}

QByteArray fileName(const QString& path) {
    return QFile::encodeName(path);
}

bool writeOut(const QByteArray& data) {
    for (qsizetype written = 0; written < data.size();) {
        const ssize_t count =
            ::write(STDOUT_FILENO, data.constData() + written, size_t(data.size() - written));
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

} // namespace JetReadingPlatform
