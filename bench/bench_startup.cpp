// The real program started as the user starts it, beside the plain Qt build (plain_qt) on the
// same file of 100,000 tasks, alternating: the time from the start of the process to its
// window on the screen, the one-second splash included, and the peak memory with the window
// up. Needs an X server (DISPLAY): the window is seen as the user sees it, by the server.
// Usage: bench_startup [task count [rounds]]

#include "BenchSupport.h"
#include "WindowWatch.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Start {
    double windowMs = -1; // from the process's start to its window's showing; -1: never shown
    double peakMb = -1;
    QByteArray output;
};

// Starts program on the X server, times it until the window titled title shows, and gives
// it settle milliseconds to paint and settle before its peak memory is read.
Start timeStart(const QString& program, const QStringList& arguments, const QByteArray& title,
                int settle) {
    Bench::WindowWatch watch;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    Start start;
    if (watch.waitFor(title, QDeadlineTimer(30000)))
        start.windowMs = double(timer.nsecsElapsed()) / 1e6;
    QThread::msleep(static_cast<unsigned long>(settle));
    start.peakMb = Bench::peakMemoryMb(QString::number(process.processId()));
    process.terminate();
    if (!process.waitForFinished(10000))
        process.kill();
    start.output = process.readAllStandardOutput();
    return start;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (!Bench::WindowWatch().connected()) {
        std::printf("bench_startup needs an X server: DISPLAY names none\n");
        return 0;
    }
    Bench::TaskMix mix;
    if (argc > 1)
        mix.count = QByteArray(argv[1]).toInt();
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 3;
    // No reminder falls due while the program runs: its dialog would come up.
    mix.firstDay = QDate::currentDate().addDays(30);
    TempProgram program;
    Bench::fillTasks(program.databasePath(), mix);
    Settings::write(Settings::TarvikKey, QStringLiteral("Path"), program.folder());
    Settings::write(Settings::TarvikKey, QStringLiteral("First_Start"), QStringLiteral("Yes"));
    std::printf("%d tasks\n", mix.count);
    Bench::machine();
    std::vector<double> tarvikMs, tarvikMb, plainMs, plainMb;
    for (int round = 0; round < rounds; ++round) {
        const Start tarvik =
            timeStart(QStringLiteral(TARVIK_EXECUTABLE), {}, "Tarvik. Планировщик задач", 1000);
        Start plain = timeStart(Bench::plainQtProgram(), {program.databasePath()}, "Plans", 1000);
        // It reads its own peak once its window is up, and ends.
        plain.peakMb = Bench::plainFigures(plain.output).value(QStringLiteral("peak-at-showing"));
        std::printf("round %d: Tarvik %.0f ms %.1f MB, plain Qt build %.0f ms %.1f MB\n", round + 1,
                    tarvik.windowMs, tarvik.peakMb, plain.windowMs, plain.peakMb);
        tarvikMs.push_back(tarvik.windowMs);
        tarvikMb.push_back(tarvik.peakMb);
        plainMs.push_back(plain.windowMs);
        plainMb.push_back(plain.peakMb);
    }
    Bench::machine();
    Bench::versus("start to window (median)", median(tarvikMs), median(plainMs));
    Bench::report("  Tarvik, splash included", median(tarvikMs), 1100);
    Bench::versus("peak memory, window up", median(tarvikMb), median(plainMb), "MB");
    return 0;
}
