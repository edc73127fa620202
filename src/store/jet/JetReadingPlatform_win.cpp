#include "store/jet/JetReadingPlatform.h"

#include <QDir>
#include <QProcess>

#include <vector>
// tlhelp32.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

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

// The helper ends with its parent even where the job could not be made: a killed parent
// leaves the helper's output pipe without a reader, and the helper would wait on it for good.
void confineSelf(const Limits&) {
    HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, parentId());
    HANDLE wait = nullptr;
    if (!parent || !RegisterWaitForSingleObject(&wait, parent, parentEnded, nullptr, INFINITE,
                                                WT_EXECUTEONLYONCE))
        ExitProcess(1);
}

struct Confinement::Job {
    HANDLE handle = nullptr;
    std::vector<char> attributes; // a PROC_THREAD_ATTRIBUTE_LIST naming the job
    STARTUPINFOEXW startup{};

    ~Job() {
        if (startup.lpAttributeList)
            DeleteProcThreadAttributeList(startup.lpAttributeList);
        if (handle)
            CloseHandle(handle); // ends a helper still in it
    }

    bool limit(const Limits& limits) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION job{};
        job.BasicLimitInformation.LimitFlags =
            JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        job.ProcessMemoryLimit = SIZE_T(limits.memoryBytes);
        return SetInformationJobObject(handle, JobObjectExtendedLimitInformation, &job, sizeof job);
    }

    bool nameInAttributes() {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        attributes.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size))
            return false;
        startup.lpAttributeList = list;
        return UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_JOB_LIST, &handle,
                                         sizeof handle, nullptr, nullptr);
    }

    // QProcess's start-up information, extended by the job.
    void extend(QProcess::CreateProcessArguments* arguments) {
        startup.StartupInfo = *arguments->startupInfo;
        startup.StartupInfo.cb = sizeof startup;
        arguments->startupInfo = &startup.StartupInfo;
        arguments->flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
};

Confinement::Confinement(QProcess& helper, const Limits& limits) {
    auto job = std::make_unique<Job>();
    job->handle = CreateJobObjectW(nullptr, nullptr);
    if (!job->handle || !job->limit(limits) || !job->nameInAttributes())
        return;
    helper.setCreateProcessArgumentsModifier(
        [job = job.get()](QProcess::CreateProcessArguments* arguments) { job->extend(arguments); });
    m_job = std::move(job);
}

Confinement::~Confinement() = default;

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
