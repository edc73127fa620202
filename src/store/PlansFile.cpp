#include "store/PlansFile.h"

#include "store/DatabaseMessages.h"
#include "store/jet/JetFile.h"
#include "toolkit/Error.h"
#include "toolkit/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <sqlite3.h>

namespace {

const QByteArray databaseMagic("SQLite format 3\0", 16);
constexpr int headerSize = 100;

const char* const requiredColumns[] = {"Reminder", "Date", "Plan", "ID", "Comments", "Completed"};

[[noreturn]] void wrongId(const QString& path, const QString& detail) {
    throw TarvikError(QStringLiteral("Таблица Plans в файле базы данных \"%1\" не подходит "
                                     "программе: столбец ID должен быть целочисленным первичным "
                                     "ключом (INTEGER PRIMARY KEY), а здесь %2. Файл оставлен как "
                                     "есть.")
                          .arg(PlansFile::shown(path), detail));
}

// Runs one statement and hands each row to onRow. SQLite's own word that the file is
// damaged becomes our damaged-file message; any other failure (a lock, no access) is
// only a failure to open.
using PlansFile::damaged;

void query(sqlite3* db, const QString& path, const char* sql,
           const std::function<void(sqlite3_stmt*)>& onRow = {}) {
    sqlite3_stmt* prepared = nullptr;
    int result = sqlite3_prepare_v2(db, sql, -1, &prepared, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(prepared,
                                                                          sqlite3_finalize);
    while (result == SQLITE_OK && (result = sqlite3_step(prepared)) == SQLITE_ROW) {
        if (onRow)
            onRow(prepared);
        result = SQLITE_OK;
    }
    const QString reason = QString::fromUtf8(sqlite3_errmsg(db));
    if (result == SQLITE_DONE)
        return;
    // The primary code, whether or not the connection gives extended ones.
    if ((result & 0xff) == SQLITE_CORRUPT || (result & 0xff) == SQLITE_NOTADB)
        damaged(path, reason);
    PlansFile::cannotOpen(path, DatabaseMessages::explained(result, reason));
}

QString textOf(sqlite3_stmt* statement, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
}

struct Column {
    QString type;
    int key = 0; // its place in the primary key, 0 when outside it
};

void checkKind(sqlite3* db, const QString& path) {
    QString type;
    bool withoutRowid = false;
    query(db, path, "PRAGMA main.table_list(Plans)", [&](sqlite3_stmt* row) {
        type = textOf(row, 2);
        withoutRowid = sqlite3_column_int(row, 4) != 0;
    });
    if (!type.isEmpty() && type != QStringLiteral("table"))
        throw TarvikError(
            QStringLiteral("В файле базы данных \"%1\" Plans — не таблица, а «%2». Файл оставлен "
                           "как есть.")
                .arg(PlansFile::shown(path), type));
    if (withoutRowid)
        wrongId(path, QStringLiteral("таблица объявлена WITHOUT ROWID"));
}

// ID must be the row number itself (the rowid): only then is it unique, never NULL, and
// the one row an edit or a delete names.
void checkId(const QMap<QString, Column>& columns, bool keyIndex, const QString& path) {
    const Column id = columns.value(QStringLiteral("id"));
    if (id.key == 0)
        wrongId(path, QStringLiteral("ID не входит в первичный ключ"));
    for (const Column& column : columns)
        if (column.key > 1)
            wrongId(path, QStringLiteral("первичный ключ составной: в него входит не только ID"));
    if (id.type.compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) != 0)
        wrongId(path, id.type.isEmpty() ? QStringLiteral("у ID не указан тип")
                                        : QStringLiteral("у ID тип «%1»").arg(id.type));
    // An INTEGER PRIMARY KEY declared DESC is an ordinary key with an index of its own.
    if (keyIndex)
        wrongId(path, QStringLiteral("первичный ключ ID не служит номером строки (rowid)"));
}

void checkTable(sqlite3* db, const QString& path) {
    checkKind(db, path);
    QMap<QString, Column> columns;
    query(db, path, "PRAGMA main.table_info(Plans)", [&](sqlite3_stmt* row) {
        columns.insert(textOf(row, 1).toCaseFolded(),
                       Column{textOf(row, 2), sqlite3_column_int(row, 5)});
    });
    for (const char* column : requiredColumns)
        if (!columns.contains(QString::fromLatin1(column).toCaseFolded()))
            throw TarvikError(QStringLiteral("В базе данных \"%1\" нет таблицы Plans или одного из "
                                             "её столбцов (Reminder, Date, Plan, ID, Comments, "
                                             "Completed)")
                                  .arg(PlansFile::shown(path)));
    bool keyIndex = false;
    query(db, path, "PRAGMA main.index_list(Plans)", [&](sqlite3_stmt* row) {
        keyIndex = keyIndex || textOf(row, 3) == QStringLiteral("pk");
    });
    checkId(columns, keyIndex, path);
}

// Every page of every tree is walked, the free list included: a damaged page that the
// rows do not reach would otherwise be met by the first write.
const char* const pageCheck = "PRAGMA main.quick_check(5)";

void addProblems(sqlite3_stmt* row, QStringList& problems) {
    // "*** in database main ***" only heads the list.
    for (const QString& line : textOf(row, 0).split('\n'))
        if (!line.startsWith(QStringLiteral("***")))
            problems << line;
}

void reportProblems(const QStringList& problems, const QString& path) {
    if (problems != QStringList{QStringLiteral("ok")})
        damaged(path, problems.join('\n'));
}

void checkPages(sqlite3* db, const QString& path) {
    QStringList problems;
    query(db, path, pageCheck, [&](sqlite3_stmt* row) { addProblems(row, problems); });
    reportProblems(problems, path);
}

// What the page check finds through a connection of its own; nothing when it cannot run
// there (another program about to write keeps new readers out).
std::optional<QStringList> pageProblemsThrough(sqlite3* db) {
    sqlite3_stmt* prepared = nullptr;
    int result = sqlite3_prepare_v2(db, pageCheck, -1, &prepared, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(prepared,
                                                                          sqlite3_finalize);
    QStringList problems;
    while (result == SQLITE_OK && (result = sqlite3_step(prepared)) == SQLITE_ROW) {
        addProblems(prepared, problems);
        result = SQLITE_OK;
    }
    return result == SQLITE_DONE ? std::optional<QStringList>(problems) : std::nullopt;
}

// The file format's read and write versions: 2 for a write-ahead log.
bool logKeepingHeader(const QByteArray& header) {
    return header.size() < 20 || header[18] == 2 || header[19] == 2;
}

// By the header, which an immutable connection's journal_mode does not tell.
bool keepsLog(const QString& path) {
    QFile file(path);
    return logKeepingHeader(file.open(QIODevice::ReadOnly) ? file.read(20) : QByteArray());
}

// The pages are checked on a second connection, read-only and on a thread of its own, while
// the rows are read on this one: each takes tens of milliseconds. This connection's read
// transaction holds the file's shared lock meanwhile, so no writer can commit between the
// two and both read the same file. Where the second cannot check (a log-keeping file, whose
// writers commit beside readers, or a writer waiting for the lock), this one checks after.
void checkPagesWhile(sqlite3* db, const QString& path, const std::function<void()>& meanwhile) {
    sqlite3* opened = nullptr;
    if (keepsLog(path) ||
        sqlite3_open_v2(sqlite3_db_filename(db, "main"), &opened,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close(opened);
        meanwhile();
        checkPages(db, path);
        return;
    }
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> second(opened, sqlite3_close);
    std::future<std::optional<QStringList>> problems =
        std::async(std::launch::async, pageProblemsThrough, opened);
    meanwhile();
    if (const std::optional<QStringList> found = problems.get())
        reportProblems(*found, path);
    else
        checkPages(db, path);
}

// Each row the statement returns is decoded whole, every overflow chain followed.
void readRows(sqlite3* db, const QString& path, const std::function<void(sqlite3_stmt*)>& onRow) {
    query(db, path, PlansFile::everyRow, onRow);
}

// Returns whether the file keeps a write-ahead log.
bool checkHeader(const QByteArray& header, qint64 fileSize, const QString& path) {
    // Start-up converts a Jet file before it opens it; anyone else is told what it is.
    if (JetFile::recognised(header))
        PlansFile::cannotOpen(path, QStringLiteral("это база данных Access (Jet) Windows-версии "
                                                   "программы; её задачи переносит в новый файл "
                                                   "запуск программы."));
    if (header.size() < headerSize || !header.startsWith(databaseMagic))
        damaged(path, header.isEmpty() ? QStringLiteral("Файл пуст.")
                                       : QStringLiteral("Файл не является базой данных SQLite."));
    // The page size, 1 standing for 65536: a power of two from 512 on.
    const int stored = uchar(header[16]) << 8 | uchar(header[17]);
    const int pageSize = stored == 1 ? 65536 : stored;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        damaged(path, QStringLiteral("Заголовок файла повреждён: размер страницы %1 невозможен.")
                          .arg(stored));
    // A file cut anywhere but between pages is damaged.
    if (fileSize % pageSize != 0)
        damaged(path, QStringLiteral("Файл обрезан: его длина не кратна размеру страницы."));
    return logKeepingHeader(header);
}

// A FIFO, a device or a folder (also behind a symbolic link) is never opened: opening a FIFO
// blocks, and SQLite would take a device for an empty database.
void refuseSpecialFile(const QString& path) {
    static const char* const names[] = {"",           "",     "папка", "именованный канал (FIFO)",
                                        "устройство", "сокет"};
    const FileAccess::Kind kind = FileAccess::kindOf(path);
    if (kind == FileAccess::Missing || kind == FileAccess::Regular)
        return;
    PlansFile::cannotOpen(path, QStringLiteral("это не обычный файл, а %1, и не база данных.")
                                    .arg(QString::fromUtf8(names[kind])));
}

} // namespace

namespace PlansFile {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

void cannotOpen(const QString& path, const QString& reason) {
    throw TarvikError(
        QStringLiteral("Не удалось открыть базу данных \"%1\": %2").arg(shown(path), reason));
}

void damaged(const QString& path, const QString& detail) {
    throw TarvikError(QStringLiteral("Файл базы данных \"%1\" повреждён, программа не может его "
                                     "открыть. Файл оставлен как есть: восстановите его из "
                                     "резервной копии.\n%2")
                          .arg(PlansFile::shown(path), detail));
}

Facts inspect(const QString& path) {
    refuseSpecialFile(path);
    const QFileInfo info(path);
    QFile file(path);
    // Nothing to look at: SQLite's own open then fails, in the words every open failure uses.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return Facts();
    Facts facts;
    facts.walMode = checkHeader(file.read(headerSize), info.size(), path);
    facts.logBeside = QFileInfo::exists(path + QStringLiteral("-wal"));
    facts.shmBeside = QFileInfo::exists(path + QStringLiteral("-shm"));
    facts.readOnly = !FileAccess::writable(path) || !FileAccess::writable(info.absolutePath());
    return facts;
}

qint64 verify(sqlite3* db, const QString& path, const std::function<void(sqlite3_stmt*)>& onRow) {
    // One snapshot for all the checks; a read transaction takes no write lock.
    query(db, path, "BEGIN");
    qint64 version = 0;
    try {
        query(db, path, "PRAGMA data_version",
              [&](sqlite3_stmt* row) { version = sqlite3_column_int64(row, 0); });
        checkTable(db, path);
        checkPagesWhile(db, path, [&] { readRows(db, path, onRow); });
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    query(db, path, "COMMIT");
    return version;
}

} // namespace PlansFile
