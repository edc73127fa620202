#pragma once

#include <QString>

#include <functional>

struct sqlite3;
struct sqlite3_stmt;

// What the program makes sure of before it writes anything to a Plans.mdb: the file is a
// database that reads whole (every page and every row), it holds the table Plans with its
// six columns, and ID is the table's integer primary key, the row number itself. A file
// that fails is left exactly as it was. Every failure is a TarvikError naming the file.
namespace PlansFile {

struct Facts {
    bool walMode = false;   // the header says the file keeps a write-ahead log
    bool logBeside = false; // a -wal lies beside it: another connection may be using it
    bool shmBeside = false; // a -shm lies beside it
    bool readOnly = false;  // the file or its folder cannot be written
};

// Every row of Plans, its columns in field order, by ID.
inline constexpr const char* everyRow =
    "SELECT Reminder, Date, Plan, ID, Comments, Completed FROM main.Plans ORDER BY ID";

// Looks at the file without SQLite: a file there must start as a database does.
Facts inspect(const QString& path);
// Reads the whole file through db, in one read transaction that writes nothing. The walk
// over every row (everyRow) hands each row to onRow, so that whoever needs the rows reads
// the file once. Returns the file's data version (PRAGMA data_version) as the check began.
qint64 verify(sqlite3* db, const QString& path,
              const std::function<void(sqlite3_stmt*)>& onRow = {});

// The file as messages name it: a doubled separator, as start-up writes it, is the same
// file and is shown once.
QString shown(const QString& path);
[[noreturn]] void cannotOpen(const QString& path, const QString& reason);
// The damaged-file message, with what was found wrong below it.
[[noreturn]] void damaged(const QString& path, const QString& detail);

} // namespace PlansFile
