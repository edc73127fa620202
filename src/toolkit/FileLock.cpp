#include "toolkit/FileLock.h"

#include <QDeadlineTimer>
#include <QThread>

FileLock::FileLock(QString path)
    : m_path(std::move(path)) {}

FileLock::~FileLock() {
    release();
}

FileLock::Result FileLock::lock(int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    while (!tryOnce()) {
        if (m_failed)
            return Failed;
        if (deadline.hasExpired())
            return Busy;
        QThread::msleep(20);
    }
    return Locked;
}

void FileLock::removeAbandoned(const QString& path) {
    FileLock abandoned(path);
    abandoned.tryOnce();
}
