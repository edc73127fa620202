// The task table at 100,000 tasks: open with the checks that read the file whole before
// anything is written, beside the plain Qt build's open (plain_qt) of the same file, run in
// turn with it, and where the open's time goes; each sort, the reminder watch's walk over
// every row, storing an edit, the task editor's OK (Insert, Post, Refresh), how long a
// write waits for another program's lock before it is refused, and following what a
// second instance of the program writes to the same file. The writes are measured again
// with the folder left unsynced after each commit, as the program wrote before.
// Usage: bench_store [task count [locale]]; the locale (collation of titles) defaults to
// Russian, the program's users' one.

#include "BenchSupport.h"
#include "store/PlansRows.h"
#include "store/RowOrder.h"
#include "store/RowStore.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Clock.h"
#include "toolkit/Error.h"

#include <QCoreApplication>
#include <QLocale>

#include <memory>
#include <numeric>

namespace {

std::unique_ptr<TDataModule_Main> open(const QString& databasePath) {
    auto module = std::make_unique<TDataModule_Main>();
    module->Connection.setConnectionString(QStringLiteral("Data Source=") + databasePath);
    module->Connection.Open();
    module->Table_Main.Open();
    return module;
}

// Reads every field of every row, as the reminder watch and the grid do.
qint64 walk(TTable& table) {
    qint64 sum = 0;
    for (int row = 1; row <= table.RecordCount(); ++row) {
        table.setRecNo(row);
        const TField reminder = table.FieldByName(QStringLiteral("Reminder"));
        if (!reminder.IsNull())
            sum += reminder.AsDateTime().time().minute();
        sum += table.FieldByName(QStringLiteral("Date")).AsDateTime().date().day();
        sum += table.FieldByName(QStringLiteral("Plan")).AsString().size();
        sum += table.FieldByName(QStringLiteral("ID")).AsVariant().toLongLong();
        sum += table.FieldByName(QStringLiteral("Comments")).AsString().size();
        sum += table.FieldByName(QStringLiteral("Completed")).AsBoolean();
    }
    return sum;
}

void benchSorts(TTable& table) {
    for (const char* field : {"Reminder", "Date", "Plan", "Completed"}) {
        const double ms = Bench::medianMs(
            5, [&] { table.setIndexFieldNames(QString()); },
            [&] { table.setIndexFieldNames(QString::fromLatin1(field)); });
        Bench::report(qPrintable(QStringLiteral("sort by %1").arg(field)), ms, 200);
    }
}

void benchWalk(TTable& table) {
    qint64 sum = 0;
    QElapsedTimer first;
    first.start();
    sum += walk(table);
    Bench::report("walk, first (dates built)", double(first.nsecsElapsed()) / 1e6, 50);
    Bench::report("walk", Bench::medianMs(5, [&] { sum += walk(table); }), 50);
    std::printf("(checksum %lld)\n", static_cast<long long>(sum));
}

// suffix names the connection's setting where it is not the program's own.
void benchWrites(TTable& table, const QString& suffix = QString()) {
    int row = 0;
    const double post = Bench::medianMs(
        11, [&] { table.setRecNo(1 + (row += 7919) % table.RecordCount()); },
        [&] {
            table.Edit();
            table.FieldByName(QStringLiteral("Plan")).setAsString(QStringLiteral("Изменено"));
            table.Post();
        });
    Bench::report(qPrintable("edit + post" + suffix), post, 20);
    table.setIndexFieldNames(QStringLiteral("Plan"));
    const double add = Bench::medianMs(11, [&] {
        table.Insert();
        table.FieldByName(QStringLiteral("Date")).setAsDateTime(QDateTime::currentDateTime());
        table.FieldByName(QStringLiteral("Plan")).setAsString(QStringLiteral("Новая задача"));
        table.Post();
        table.Refresh();
    });
    Bench::report(qPrintable("insert + post + refresh" + suffix), add, 150);
}

// The window stays frozen while a write waits for another program's write lock, up to the
// connection's busy timeout; then the write is refused.
void benchRefusedWrite(TTable& table, const QString& databasePath) {
    TConnection other;
    other.setConnectionString(QStringLiteral("Data Source=") + databasePath);
    other.Open();
    other.exec("BEGIN IMMEDIATE");
    const double wait = Bench::medianMs(3, [&] {
        try {
            table.Amend([&] {
                table.FieldByName(QStringLiteral("Plan")).setAsString(QStringLiteral("Занято"));
            });
        } catch (const TarvikError&) {
            return;
        }
        std::printf("the write went through the lock\n");
    });
    other.exec("ROLLBACK");
    Bench::report("write refused by a lock", wait, 2100);
}

// What a second instance's writes cost this one: the watch's check once a second while
// nothing was written, and reading the rows again after one write, in stored order and
// sorted by title.
void benchOtherInstance(TTable& table, const QString& databasePath) {
    const double check = Bench::medianMs(101, [&] { table.followFile(); });
    Bench::report("check for another instance's writes", check, 1);
    const auto other = open(databasePath);
    TTable& elsewhere = other->Table_Main;
    int row = 0;
    const auto writeElsewhere = [&] {
        elsewhere.setRecNo(1 + (row += 7919) % elsewhere.RecordCount());
        elsewhere.Amend([&] {
            elsewhere.FieldByName(QStringLiteral("Plan")).setAsString(QStringLiteral("Чужое"));
        });
    };
    for (const char* order : {"", "Plan"}) {
        table.setIndexFieldNames(QString::fromLatin1(order));
        const double follow = Bench::medianMs(7, writeElsewhere, [&] { table.followFile(); });
        Bench::report(qPrintable(QStringLiteral("rows read again after another instance's write, "
                                                "order '%1'")
                                     .arg(QString::fromLatin1(order))),
                      follow, 50);
    }
    // Every row read and stored anew, and put in order again, as a first read does.
    const double anew = Bench::medianMs(5, [&] {
        RowStore rows;
        PlansRows::readAll(other->Connection, rows);
        std::vector<int> live(size_t(rows.size()));
        std::iota(live.begin(), live.end(), 0);
        RowOrder({F_Plan}).sort(live, rows);
    });
    Bench::figure("  every row read anew instead", anew);
}

TConnection& connected(TConnection& connection, const QString& databasePath) {
    connection.setConnectionString(QStringLiteral("Data Source=") + databasePath);
    connection.Open();
    return connection;
}

double scanMs(const TConnection& connection, const char* sql) {
    return Bench::medianMs(5, [&] {
        Statement statement(connection, sql);
        while (statement.step())
            statement.text(0);
    });
}

// Where the open's time goes. The connection's open reads the file whole (every page, every
// row) before it writes anything; the rows its check reads become the table's snapshot, each
// row decoded (its dates parsed) and stored. The titles are ranked apart: start-up does it
// while the splash stands.
void benchOpenParts(const QString& databasePath) {
    Bench::figure("  connection open, all checks", Bench::medianMs(5, [&] {
                      TConnection connection;
                      connected(connection, databasePath);
                  }));
    TConnection connection;
    connected(connection, databasePath);
    Bench::figure("    of which quick_check", scanMs(connection, "PRAGMA quick_check"));
    Bench::figure("    of which reading every row (SQLite)",
                  scanMs(connection, "SELECT length(Reminder), length(Date), length(Plan), ID, "
                                     "length(Comments), Completed FROM Plans"));
    std::vector<QByteArray> dates;
    for (Statement select(connection, "SELECT Date, Reminder FROM Plans"); select.step();)
        dates.insert(dates.end(), {select.text(0).toLatin1(), select.text(1).toLatin1()});
    Stamp sum = 0;
    Bench::figure("  date parsing", Bench::medianMs(5, [&] {
                      for (const QByteArray& date : dates)
                          sum += Stamps::parse(date.constData(), int(date.size()));
                  }));
    RowStore rows;
    Bench::figure("  rows read, decoded and stored", Bench::medianMs(5, [&] {
                      rows = RowStore();
                      PlansRows::readAll(connection, rows);
                  }));
    std::vector<int> live(size_t(rows.size()));
    std::iota(live.begin(), live.end(), 0);
    Bench::figure("  title ranks (at start-up: during the splash)",
                  Bench::medianMs(3, [&] { RowOrder({F_Plan}).rankTitles(live, rows); }));
    std::printf("(checksum %lld)\n", static_cast<long long>(sum % 1000));
}

} // namespace

int main(int argc, char** argv) {
    Clock::settleTimeZone();
    QCoreApplication app(argc, argv);
    Bench::TaskMix mix;
    if (argc > 1)
        mix.count = QByteArray(argv[1]).toInt();
    QLocale::setDefault(QLocale(argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("ru_RU")));
    TempProgram program;
    Bench::fillTasks(program.databasePath(), mix);
    std::printf("%d tasks, locale %s\n", mix.count, qPrintable(QLocale().name()));
    Bench::machine();

    // The plain build before and after each of Tarvik's: both meet the same load.
    std::vector<double> plainOpens;
    const auto plainOpen = [&] {
        plainOpens.push_back(Bench::plainQt(program.databasePath()).value(QStringLiteral("open")));
    };
    std::unique_ptr<TDataModule_Main> module;
    plainOpen();
    const double openMs = Bench::medianMs(
        5, [&] { module.reset(); }, [&] { module = open(program.databasePath()); });
    plainOpen();
    plainOpen();
    std::sort(plainOpens.begin(), plainOpens.end());
    Bench::versus("open", openMs, plainOpens[1]);
    Bench::report("  against 0.7 of the plain build's", openMs, 0.7 * plainOpens[1]);
    benchOpenParts(program.databasePath());
    TTable& table = module->Table_Main;
    benchSorts(table);
    benchWalk(table);
    benchWrites(table);
    // What the folder's sync after each commit costs: the writes as they were before it.
    module->Connection.exec("PRAGMA synchronous=FULL");
    benchWrites(table, QStringLiteral(", synchronous=FULL (before)"));
    module->Connection.exec("PRAGMA synchronous=EXTRA");
    benchRefusedWrite(table, program.databasePath());
    benchOtherInstance(table, program.databasePath());
    Bench::report("peak memory", Bench::peakMemoryMb(), 90, "MB");
    Bench::machine();
    return 0;
}
