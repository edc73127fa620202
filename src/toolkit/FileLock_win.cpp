#include "toolkit/FileLock.h"

#include <QDir>

#include <windows.h>

// Opened with no sharing: a second opener is refused while the holder has it. The system
// deletes the file when its last handle closes, also when the holder dies.
bool FileLock::tryOnce() {
    const QString native = QDir::toNativeSeparators(m_path);
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(native.utf16()),
                              GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        m_failed = error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED;
        return false;
    }
    m_handle = reinterpret_cast<qintptr>(file);
    return true;
}

void FileLock::release() {
    if (m_handle == -1)
        return;
    CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = -1;
}
