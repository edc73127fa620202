#include "store/jet/JetReadingPlatform.h"

#include <QDir>

#include <windows.h>

namespace JetReadingPlatform {

// A job of the process's own caps its committed memory; the process holds little yet when
// this runs. The job's handle stays open: closing it would end the process.
void limitMemory(qint64 bytes) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    limits.ProcessMemoryLimit = SIZE_T(bytes);
    if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        AssignProcessToJobObject(job, GetCurrentProcess());
}

// fopen() takes the system's code page, which may lack letters of the file's folders (a
// Cyrillic folder on an English Windows): the short name the file system keeps has none.
QByteArray fileName(const QString& path) {
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    std::wstring shortName(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(name.c_str(), shortName.data(), DWORD(shortName.size()));
    if (length == 0 || length >= shortName.size())
        return QDir::toNativeSeparators(path).toLocal8Bit();
    shortName.resize(length);
    return QString::fromStdWString(shortName).toLocal8Bit();
}

bool writeOut(const QByteArray& data) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (qsizetype written = 0; written < data.size();) {
        DWORD count = 0;
        if (!WriteFile(out, data.constData() + written, DWORD(data.size() - written), &count,
                       nullptr) ||
            count == 0)
            return false;
        written += count;
    }
    return true;
}

} // namespace JetReadingPlatform
