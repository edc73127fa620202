#include "store/Schema.h"

#include "store/Fields.h"
#include "toolkit/Error.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace {

[[noreturn]] void cannotCreate(const QString& path, const QString& reason) {
    throw TarvikError(
        QStringLiteral("Не удалось создать базу данных \"%1\": %2").arg(path, reason));
}

// The file exists (empty) already, so SQLite is never asked to create one.
void createTable(const QString& path) {
    sqlite3* db = nullptr;
    int result = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (result == SQLITE_OK)
        result = sqlite3_exec(db, Schema::planTable().constData(), nullptr, nullptr, nullptr);
    const QString reason = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(result));
    sqlite3_close(db);
    if (result != SQLITE_OK)
        cannotCreate(path, reason);
}

} // namespace

namespace Schema {

// length() counts a text's characters (code points) up to its first NUL, which no title
// ever holds.
QByteArray planTable() {
    return "CREATE TABLE Plans ("
           " Reminder  TEXT,"
           " Date      TEXT,"
           " Plan      TEXT CHECK (length(Plan) <= " +
           QByteArray::number(PlanSize) +
           "),"
           " ID        INTEGER PRIMARY KEY AUTOINCREMENT,"
           " Comments  TEXT,"
           " Completed INTEGER"
           ")";
}

void createDatabase(const QString& path) {
    // NewOnly: the file is ours only if nobody made it first, so an existing database is
    // never touched, not even by a race with another creator.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        cannotCreate(path, file.errorString());
    file.close();
    try {
        createTable(path);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

bool createIfMissing(const QString& path) {
    if (QFileInfo::exists(path))
        return false;
    createDatabase(path);
    return true;
}

} // namespace Schema
