#include "store/jet/JetReadingPlatform.h"

#include <QFile>

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace JetReadingPlatform {

// The memory limit counts from the address space the process already has, which a
// sanitizer's shadow memory makes terabytes large. A helper whose parent was killed ends
// with it instead of reading on for nobody.
void confineSelf(const Limits& limits) {
    QFile statm(QStringLiteral("/proc/self/statm"));
    qint64 mapped = 0;
    if (statm.open(QIODevice::ReadOnly))
        mapped = statm.readLine().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
    const rlimit memory{rlim_t(mapped + limits.memoryBytes), rlim_t(mapped + limits.memoryBytes)};
    setrlimit(RLIMIT_AS, &memory);
    const auto seconds = rlim_t(limits.milliseconds / 1000 + 1);
    const rlimit processor{seconds, seconds};
    setrlimit(RLIMIT_CPU, &processor);
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) // the parent ended before the request took
        _exit(1);
}

struct Confinement::Job {};

Confinement::Confinement(QProcess&, const Limits&) {}

Confinement::~Confinement() = default;

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
