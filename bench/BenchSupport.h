#pragma once

// Shared by the benchmarks: median timings, peak memory, and generated tasks for a
// temporary program folder (the tests' TempProgram). Header-only, so that each benchmark
// is one source file.

#include "Fixtures.h"
#include "store/Stamp.h"
#include "store/Statement.h"
#include "store/TConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace Bench {

// Median wall time of runs calls of measured, in milliseconds. prepare runs before each
// call and is not timed.
template <class Prepare, class Measured>
inline double medianMs(int runs, Prepare prepare, Measured measured) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <class Measured> inline double medianMs(int runs, Measured measured) {
    return medianMs(
        runs, [] {}, measured);
}

// A process's peak resident memory so far (VmHWM), in megabytes; this one's by default.
inline double peakMemoryMb(const QString& process = QStringLiteral("self")) {
    QFile status(QStringLiteral("/proc/%1/status").arg(process));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    return -1;
}

// The machine the figures come from: its cores and its load average, which other work on it
// moves the timings with.
inline void machine() {
    QFile load(QStringLiteral("/proc/loadavg"));
    const QByteArray average = load.open(QIODevice::ReadOnly) ? load.readLine().trimmed() : "?";
    std::printf("%d cores, load average %s\n", QThread::idealThreadCount(), average.constData());
    std::fflush(stdout);
}

// One line of the report: the figure, its target and whether it is met.
inline void report(const char* what, double value, double target, const char* unit = "ms") {
    std::printf("%-30s %10.3f %s  (target <= %g %s)%s\n", what, value, unit, target, unit,
                value <= target ? "" : "  OVER TARGET");
    std::fflush(stdout);
}

// A figure shown for comparison, with no target of its own.
inline void figure(const char* what, double value, const char* unit = "ms") {
    std::printf("%-30s %10.3f %s\n", what, value, unit);
    std::fflush(stdout);
}

// A figure beside the plain Qt build's (plain_qt) from the same run, and the share of it.
inline void versus(const char* what, double value, double plain, const char* unit = "ms") {
    std::printf("%-30s %10.3f %s  plain Qt build %10.3f %s  (%.2f of it)\n", what, value, unit,
                plain, unit, plain > 0 ? value / plain : 0.0);
    std::fflush(stdout);
}

// The plain Qt build, beside this benchmark.
inline QString plainQtProgram() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/plain_qt");
}

// The figures the plain Qt build printed, by name.
inline QHash<QString, double> plainFigures(const QByteArray& output) {
    QHash<QString, double> figures;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            figures.insert(QString::fromLatin1(parts[0]), parts[1].toDouble());
    }
    return figures;
}

// Runs the plain Qt build on the file, showing nothing, and returns its figures.
inline QHash<QString, double> plainQt(const QString& databasePath) {
    QProcess plain;
    plain.start(plainQtProgram(), {databasePath, QStringLiteral("--no-window")});
    plain.waitForFinished(60000);
    return plainFigures(plain.readAllStandardOutput());
}

// The mix of generated tasks.
struct TaskMix {
    int count = 100000;
    quint32 seed = 20261208;
    int reminderPercent = 20;
    int completedPercent = 10;
    int commentPercent = 30;
    QDate firstDay = QDate(2024, 1, 1);
    int days = 3 * 365; // task dates spread over this many days, at midnight as the editor writes
};

namespace detail {

inline const QStringList& words() {
    static const QStringList list = {
        QStringLiteral("Купить"),  QStringLiteral("молоко"),     QStringLiteral("Позвонить"),
        QStringLiteral("маме"),    QStringLiteral("Встреча"),    QStringLiteral("клиентом"),
        QStringLiteral("отчёт"),   QStringLiteral("Ёлка"),       QStringLiteral("задача"),
        QStringLiteral("сервер"),  QStringLiteral("Записаться"), QStringLiteral("врачу"),
        QStringLiteral("налоги"),  QStringLiteral("Report"),     QStringLiteral("weekly"),
        QStringLiteral("call"),    QStringLiteral("Bob"),        QStringLiteral("project"),
        QStringLiteral("Deploy"),  QStringLiteral("review"),     QStringLiteral("PR"),
        QStringLiteral("invoice"), QStringLiteral("ОБЕД"),       QStringLiteral("gym")};
    return list;
}

// Two to five words and a number, never longer than a title may be (50).
inline QString title(QRandomGenerator& random) {
    QString text;
    for (int word = 2 + random.bounded(4); word > 0; --word)
        text += words()[random.bounded(int(words().size()))] + ' ';
    return (text + QString::number(random.bounded(1000))).left(50);
}

inline QByteArray stampText(const QDate& day, int minuteOfDay) {
    return Stamps::format(Stamps::fromParts(day, QTime(minuteOfDay / 60, minuteOfDay % 60)));
}

inline void bindTask(Statement& insert, QRandomGenerator& random, const TaskMix& mix) {
    const QDate day = mix.firstDay.addDays(random.bounded(mix.days));
    if (random.bounded(100) < mix.reminderPercent)
        insert.bind(1, stampText(day.addDays(-random.bounded(3)), random.bounded(24 * 60)));
    else
        insert.bindNull(1);
    insert.bind(2, stampText(day, 0));
    insert.bind(3, title(random));
    if (random.bounded(100) < mix.commentPercent)
        insert.bind(4, QStringLiteral("Подробности: ") + title(random));
    else
        insert.bindNull(4);
    insert.bind(5, qint64(random.bounded(100) < mix.completedPercent));
}

} // namespace detail

// Appends mix.count generated tasks to the database, in one transaction.
inline void fillTasks(const QString& databasePath, const TaskMix& mix = TaskMix()) {
    TConnection connection;
    connection.setConnectionString(QStringLiteral("Data Source=") + databasePath);
    connection.Open();
    QRandomGenerator random(mix.seed);
    connection.transaction([&] {
        Statement insert(connection, "INSERT INTO Plans (Reminder, Date, Plan, Comments, "
                                     "Completed) VALUES (?1, ?2, ?3, ?4, ?5)");
        for (int task = 0; task < mix.count; ++task) {
            detail::bindTask(insert, random, mix);
            insert.step();
            insert.reset();
        }
    });
}

} // namespace Bench
