// The editor's OK on an existing task at 100,000 tasks under each way of keeping Plans.mdb
// whole, and whether a copy of Plans.mdb alone, taken right after OK while the program
// still runs, holds the change. The first line is the program's own way; the others are
// set on the same connection for comparison.
// Usage: bench_durability [task count, default 100000 [the one mode to run, by its line
// number from 1]], e.g. under strace -c -e trace=fsync,fdatasync to count the syncs.
#include "WindowBench.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Clock.h"
#include "toolkit/MessageBox.h"

#include <QApplication>
#include <QFile>

#include <sqlite3.h>

namespace {

struct Mode {
    const char* name;
    void (*apply)(sqlite3* db);
};

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
}

// Called after every commit in WAL mode, once the write lock is released.
int truncatingCheckpoint(void*, sqlite3* db, const char* name, int) {
    sqlite3_wal_checkpoint_v2(db, name, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    return SQLITE_OK;
}

void wal(sqlite3* db) {
    exec(db, "PRAGMA journal_mode=WAL");
}

const Mode modes[] = {
    {"the program's own", [](sqlite3*) {}},
    {"WAL, checkpoint at 1000 pages", wal},
    {"WAL, passive checkpoint/commit",
     [](sqlite3* db) {
         wal(db);
         sqlite3_wal_autocheckpoint(db, 1);
     }},
    {"WAL, truncate checkpoint/commit",
     [](sqlite3* db) {
         wal(db);
         sqlite3_wal_hook(db, truncatingCheckpoint, nullptr);
     }},
    {"WAL NORMAL, passive chkpt/commit",
     [](sqlite3* db) {
         wal(db);
         exec(db, "PRAGMA synchronous=NORMAL");
         sqlite3_wal_autocheckpoint(db, 1);
     }},
    {"journal DELETE", [](sqlite3* db) { exec(db, "PRAGMA journal_mode=DELETE"); }},
    {"journal TRUNCATE", [](sqlite3* db) { exec(db, "PRAGMA journal_mode=TRUNCATE"); }},
    {"journal PERSIST", [](sqlite3* db) { exec(db, "PRAGMA journal_mode=PERSIST"); }},
    {"journal DELETE, NORMAL",
     [](sqlite3* db) { exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=NORMAL"); }},
    {"journal PERSIST, NORMAL",
     [](sqlite3* db) { exec(db, "PRAGMA journal_mode=PERSIST; PRAGMA synchronous=NORMAL"); }},
    // Not durable: the share of the time that is not spent waiting for the disk.
    {"no sync at all (CPU share)", [](sqlite3* db) { exec(db, "PRAGMA synchronous=OFF"); }},
};

TTable& table() {
    return DataModule_Main->Table_Main;
}

// The title of the task at ID id, read from a copy of Plans.mdb made without its
// neighbours, as someone backing up the one file gets it.
QString titleInCopyAlone(const TempProgram& program, qint64 id) {
    const QString copy = program.folder() + QStringLiteral("copy/Plans.mdb");
    QDir().mkpath(program.folder() + QStringLiteral("copy"));
    QFile::remove(copy);
    QFile::copy(program.databasePath(), copy);
    TConnection connection;
    connection.setConnectionString(QStringLiteral("Data Source=") + copy);
    connection.Open();
    Statement select(connection, "SELECT Plan FROM Plans WHERE ID = ?1");
    select.bind(1, id);
    return select.step() ? select.text(0) : QString();
}

void measure(const Mode& mode, int tasks) {
    Bench::TaskMix mix;
    mix.count = tasks;
    mix.reminderPercent = 0; // OK never stops at a reminder that has passed
    mix.completedPercent = 0;
    Bench::Session session(mix);
    mode.apply(DataModule_Main->Connection.handle());
    int row = 0;
    QString title;
    const double ms = Bench::medianMs(
        15,
        [&] {
            table().setRecNo(1 + (row += 7919) % table().RecordCount());
            Form_Edit->prepareForEdit();
            Form_Edit->show();
            title = QStringLiteral("Изменено %1").arg(row);
            Form_Edit->DBEdit1->selectAll();
            Form_Edit->DBEdit1->insert(title);
        },
        [] { Form_Edit->Button_OKClick(); });
    if (!MessageBox::shown().isEmpty() || table().Fields(F_Plan).AsString() != title)
        throw std::runtime_error("the editor's OK did not store the change");
    const qint64 id = table().Fields(F_ID).AsVariant().toLongLong();
    const bool held = titleInCopyAlone(session.program(), id) == title;
    std::printf("%-34s %8.3f ms   copy of Plans.mdb alone holds it: %s\n", mode.name, ms,
                held ? "yes" : "NO");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    Clock::settleTimeZone();
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);
    const int tasks = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const int only = argc > 2 ? QByteArray(argv[2]).toInt() : 0;
    std::printf("editor OK on an existing task, %d tasks, median of 15:\n", tasks);
    for (int mode = 1; mode <= int(std::size(modes)); ++mode)
        if (only == 0 || only == mode)
            measure(modes[mode - 1], tasks);
    return 0;
}
