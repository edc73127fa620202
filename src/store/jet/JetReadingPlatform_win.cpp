#include "store/jet/JetReadingPlatform.h"

#include <QDir>
#include <QProcess>

#include <windows.h>

#include <tlhelp32.h>

namespace JetReadingPlatform {

namespace {

DWORD parentId() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && parent == 0;
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId())
            parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent;
}

VOID CALLBACK parentEnded(PVOID, BOOLEAN) {
    ExitProcess(1);
}

} // namespace

// The helper ends with its parent: a killed parent leaves the helper's output pipe without a
// reader, and the helper would wait on it for good. The parent's job caps the memory.
void confineSelf(const Limits&) {
    HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, parentId());
    HANDLE wait = nullptr;
    if (!parent || !RegisterWaitForSingleObject(&wait, parent, parentEnded, nullptr, INFINITE,
                                                WT_EXECUTEONLYONCE))
        ExitProcess(1);
}

Confinement::Confinement(const QProcess& helper, const Limits& limits)
    : m_job(CreateJobObjectW(nullptr, nullptr)) {
    if (!m_job)
        return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION job{};
    job.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    job.ProcessMemoryLimit = SIZE_T(limits.memoryBytes);
    HANDLE process =
        OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, DWORD(helper.processId()));
    if (process) {
        if (SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &job, sizeof job))
            AssignProcessToJobObject(m_job, process);
        CloseHandle(process);
    }
}

// Closing the job ends a helper still in it.
Confinement::~Confinement() {
    if (m_job)
        CloseHandle(m_job);
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
