#pragma once

#include <QString>

// A lock file that one process at a time holds, released by the system when the process
// ends, however it ends (a crash, a kill, a power cut): no lock outlives its holder, and
// none waits for one to be judged stale. The file goes when the holder lets go. One source
// file per platform.
class FileLock final {
public:
    explicit FileLock(QString path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    enum Result { Locked, Busy, Failed };
    // Waits up to waitMs while another process holds the lock. Failed: the file cannot be
    // made (the folder is not writable).
    Result lock(int waitMs);

    // Removes the file a holder that died left, unless a live process holds it.
    static void removeAbandoned(const QString& path);

private:
    bool tryOnce();
    void release();

    QString m_path;
    qintptr m_handle = -1;
    bool m_failed = false;
};
