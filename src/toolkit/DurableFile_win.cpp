#include "toolkit/DurableFile.h"
#include "toolkit/Error.h"

#include <QDir>

#include <windows.h>

namespace {

const wchar_t* nameOf(const QString& path) {
    return reinterpret_cast<const wchar_t*>(path.utf16());
}

[[noreturn]] void failed(const QString& what, const QString& path) {
    const int error = int(GetLastError());
    throw TarvikError(
        what.arg(QDir::toNativeSeparators(QDir::cleanPath(path)), qt_error_string(error)));
}

} // namespace

namespace DurableFile {

void sync(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    HANDLE file = CreateFileW(nameOf(native), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool synced = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
    if (!synced) {
        const DWORD error = GetLastError();
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        SetLastError(error);
        failed(QStringLiteral("Не удалось записать на диск \"%1\": %2"), path);
    }
    CloseHandle(file);
}

Link link(const QString& path, const QString& name) {
    const QString native = QDir::toNativeSeparators(name);
    if (CreateHardLinkW(nameOf(native), nameOf(QDir::toNativeSeparators(path)), nullptr))
        return Link::Made;
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Link::NameTaken
                                                                       : Link::Unsupported;
}

// MOVEFILE_WRITE_THROUGH returns only once the move is on the disk, the folder's entry with it.
void replace(const QString& from, const QString& to) {
    if (!MoveFileExW(nameOf(QDir::toNativeSeparators(from)), nameOf(QDir::toNativeSeparators(to)),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failed(QStringLiteral("Не удалось поставить новый файл на место \"%1\": %2"), to);
}

// NTFS writes a folder's entries with the metadata of the files they name: a new link is
// on the disk with the file's own flush, a move with MOVEFILE_WRITE_THROUGH.
void syncFolder(const QString&) {}

} // namespace DurableFile
