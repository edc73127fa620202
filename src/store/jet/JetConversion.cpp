#include "store/jet/JetConversion.h"

#include "store/DatabaseMessages.h"
#include "store/PlansFile.h"
#include "store/Schema.h"
#include "store/jet/ConversionLock.h"
#include "store/jet/JetFile.h"
#include "store/jet/JetReading.h"
#include "toolkit/DurableFile.h"
#include "toolkit/Error.h"
#include "toolkit/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sqlite3.h>

namespace {

const char* const insertTask =
    "INSERT INTO Plans (Reminder, Date, Plan, ID, Comments, Completed) VALUES (?, ?, ?, ?, ?, ?)";

QString beside(const QString& path, const QString& name) {
    return QFileInfo(path).dir().filePath(name);
}

// Access (and the Windows program through it) keeps a lock file beside a database it has
// open; converting then would miss what it has not written yet.
void refuseWhileOpen(const QString& path) {
    const QString lock = beside(path, QFileInfo(path).completeBaseName() + QStringLiteral(".ldb"));
    if (!QFileInfo::exists(lock))
        return;
    throw TarvikError(QStringLiteral("Файл \"%1\" — база данных Access (Jet), и сейчас она открыта "
                                     "другой программой: рядом лежит её файл блокировки \"%2\". "
                                     "Закройте Windows-версию программы или Microsoft Access и "
                                     "запустите программу снова, чтобы перенести задачи. Файл "
                                     "оставлен как есть.")
                          .arg(PlansFile::shown(path), PlansFile::shown(lock)));
}

void refuseUnwritableFolder(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (FileAccess::writable(folder))
        return;
    const int error = errno;
    const QString why = error == EROFS ? QStringLiteral("диск открыт только для чтения")
                        // Where the system's check gives no reason (Windows), the right is missing.
                        : error == EACCES || error == EPERM || error == 0
                            ? QStringLiteral("нет права записи в эту папку")
                            : QString::fromLocal8Bit(std::strerror(error));
    throw TarvikError(QStringLiteral("Задачи из базы данных Access (Jet) \"%1\" нельзя перенести "
                                     "в папке \"%2\": %3. Для переноса программа записывает "
                                     "рядом новый файл. Разрешите запись в папку и запустите "
                                     "программу снова. Файл оставлен как есть.")
                          .arg(PlansFile::shown(path), PlansFile::shown(folder), why));
}

[[noreturn]] void cannotWrite(const QString& path, const QString& reason) {
    throw TarvikError(QStringLiteral("Задачи из базы данных Access (Jet) \"%1\" перенести не "
                                     "удалось: %2\nФайл оставлен как есть.")
                          .arg(PlansFile::shown(path), reason));
}

int bindText(sqlite3_stmt* insert, int column, const QString& text) {
    if (text.isNull())
        return sqlite3_bind_null(insert, column);
    return sqlite3_bind_text16(insert, column,
                               text.isEmpty() ? static_cast<const void*>(u"") : text.utf16(),
                               int(text.size() * 2), SQLITE_STATIC);
}

int bindStamp(sqlite3_stmt* insert, int column, Stamp stamp) {
    if (stamp == NoStamp)
        return sqlite3_bind_null(insert, column);
    return sqlite3_bind_text(insert, column, Stamps::format(stamp).constData(), -1,
                             SQLITE_TRANSIENT);
}

// Every value bound, or the first refusal (a text too long for SQLite among them).
int bindTask(sqlite3_stmt* insert, const JetTask& task) {
    const int results[] = {
        bindStamp(insert, 1, task.reminder), bindStamp(insert, 2, task.date),
        bindText(insert, 3, task.plan),      sqlite3_bind_int64(insert, 4, task.id),
        bindText(insert, 5, task.comments),  sqlite3_bind_int(insert, 6, task.completed ? 1 : 0)};
    for (const int result : results)
        if (result != SQLITE_OK)
            return result;
    return SQLITE_OK;
}

// The table and its rows in one transaction without a journal: the file is new, and a write
// cut off leaves only a leftover that the next conversion removes. It is synced once, whole,
// before it is used.
int insertAll(sqlite3* db, const std::vector<JetTask>& tasks) {
    int result = sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr,
                              nullptr, nullptr);
    if (result == SQLITE_OK)
        result = sqlite3_exec(db, Schema::planTable().constData(), nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    if (result == SQLITE_OK)
        result = sqlite3_prepare_v2(db, insertTask, -1, &insert, nullptr);
    for (auto task = tasks.cbegin(); result == SQLITE_OK && task != tasks.cend(); ++task) {
        result = bindTask(insert, *task);
        if (result == SQLITE_OK)
            result =
                sqlite3_step(insert) == SQLITE_DONE ? sqlite3_reset(insert) : sqlite3_errcode(db);
    }
    const int finalized = sqlite3_finalize(insert);
    if (result == SQLITE_OK)
        result = finalized;
    return result == SQLITE_OK ? sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) : result;
}

void removeLeftover(const QString& temp) {
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
}

void writeTasks(const QString& path, const QString& temp, const std::vector<JetTask>& tasks) {
    removeLeftover(temp);
    QFile made(temp);
    if (!made.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        cannotWrite(path, made.errorString());
    made.close();
    sqlite3* db = nullptr;
    int result = sqlite3_open_v2(temp.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (result == SQLITE_OK)
        result = insertAll(db, tasks);
    const QString reason = DatabaseMessages::explained(
        db ? sqlite3_extended_errcode(db) : result,
        QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(result)));
    sqlite3_close(db);
    if (result != SQLITE_OK) {
        removeLeftover(temp);
        cannotWrite(path, reason);
    }
}

// Whether the file at kept already holds the original, byte for byte: a second name left by
// a conversion cut off before the swap, or a copy.
bool holdsOriginal(const QString& path, const QString& kept) {
    QFile a(path);
    QFile b(kept);
    return a.size() == b.size() && a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) &&
           a.readAll() == b.readAll();
}

// A file system without hard links gets a synced copy, made only where no file is.
bool copyAs(const QString& path, const QString& kept) {
    QFile source(path);
    QFile target(kept);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return holdsOriginal(path, kept);
    const bool copied = source.open(QIODevice::ReadOnly) &&
                        target.write(source.readAll()) == source.size() && target.flush();
    target.close();
    if (!copied) {
        target.remove();
        throw TarvikError(QStringLiteral("Не удалось сохранить копию \"%1\": %2")
                              .arg(PlansFile::shown(kept), target.errorString()));
    }
    DurableFile::sync(kept);
    DurableFile::syncFolder(QFileInfo(kept).absolutePath());
    return true;
}

// The Jet file under a name that says what it is, never over another file: a second name
// for the same bytes where the file system has them, so nothing is copied and nothing can
// differ.
QString keepOriginal(const QString& path) {
    const QString base = QFileInfo(path).completeBaseName();
    for (int number = 1;; ++number) {
        const QString kept =
            beside(path, base + (number == 1 ? QStringLiteral(".jet.mdb")
                                             : QStringLiteral(".jet-%1.mdb").arg(number)));
        switch (DurableFile::link(path, kept)) {
        case DurableFile::Link::Made:
            return kept;
        case DurableFile::Link::NameTaken:
            if (holdsOriginal(path, kept))
                return kept;
            break;
        case DurableFile::Link::Unsupported:
            if (copyAs(path, kept))
                return kept;
        }
    }
}

} // namespace

QString JetConversion::convert(const QString& path) {
    refuseWhileOpen(path);
    refuseUnwritableFolder(path);
    const ConversionLock lock(path);
    // Converted by another copy while this one waited.
    if (!JetFile::isJet(path))
        return QString();
    const std::vector<JetTask> tasks = JetReading::readPlans(path);
    const QString temp = path + QStringLiteral("-converting");
    writeTasks(path, temp, tasks);
    QString kept;
    try {
        DurableFile::sync(temp);
        kept = keepOriginal(path);
        // The one step that changes what Plans.mdb is: before it the Jet file, after it the
        // whole new file.
        DurableFile::replace(temp, path);
    } catch (const TarvikError& error) {
        removeLeftover(temp);
        cannotWrite(path, error.text());
    }
    return QStringLiteral("Задачи из базы данных Access (Jet) \"%1\", которую вела Windows-версия "
                          "программы, перенесены в новый файл на том же месте. Перенесено задач: "
                          "%2. Исходный файл сохранён без изменений под именем \"%3\".")
        .arg(PlansFile::shown(path))
        .arg(tasks.size())
        .arg(PlansFile::shown(kept));
}
