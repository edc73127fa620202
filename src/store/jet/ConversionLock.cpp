#include "store/jet/ConversionLock.h"

#include "store/PlansFile.h"
#include "toolkit/Error.h"

namespace {

constexpr int WaitMs = 5000;

QString lockOf(const QString& path) {
    return path + QStringLiteral("-converting.lock");
}

} // namespace

ConversionLock::ConversionLock(const QString& path)
    : m_lock(lockOf(path)) {
    switch (m_lock.lock(WaitMs)) {
    case FileLock::Locked:
        return;
    case FileLock::Failed:
        throw TarvikError(QStringLiteral("Задачи из базы данных Access (Jet) \"%1\" перенести не "
                                         "удалось: не удалось создать рядом файл блокировки "
                                         "\"%2\".\nФайл оставлен как есть.")
                              .arg(PlansFile::shown(path), PlansFile::shown(lockOf(path))));
    case FileLock::Busy:
        throw TarvikError(QStringLiteral("Задачи из базы данных Access (Jet) \"%1\" сейчас "
                                         "переносит в новый файл другая запущенная копия "
                                         "программы. Дождитесь её окна или запустите программу "
                                         "снова через минуту. Файл оставлен как есть.")
                              .arg(PlansFile::shown(path)));
    }
}

void ConversionLock::clearAbandoned(const QString& path) {
    FileLock::removeAbandoned(lockOf(path));
}
