#include "store/jet/JetReadingLimits.h"

#include <windows.h>

namespace JetReadingLimits {

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

} // namespace JetReadingLimits
