// Figures of the reminder watch at 100,000 tasks: a tick with nothing due (beside the walk
// as first written, which moves the cursor through every record), how late a reminder
// fires after its moment, and the CPU the running program takes while nothing is due.
// Usage: bench_reminders [seconds of each CPU measurement, default 60]
#include "LiteralWalk.h"
#include "WindowBench.h"
#include "reminders/ReminderWatch.h"
#include "reminders/TForm_Remainder.h"
#include "toolkit/Clock.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Timer.h"

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>

namespace {

const int Tasks = 100000;

// Generated tasks whose reminders all lie in the future of both the real and the fixed
// clock, so that nothing is due.
Bench::TaskMix futureTasks() {
    Bench::TaskMix mix;
    mix.count = Tasks;
    mix.firstDay = QDate(2035, 1, 1);
    return mix;
}

TTable& table() {
    return DataModule_Main->Table_Main;
}

ReminderWatch& watch() {
    return *Form_Main->findChild<ReminderWatch*>();
}

void tick() {
    watch().Timer1Timer();
}

// A change of a stored task: the watch works out the earliest reminder again at its next
// tick.
void changeATask() {
    table().setRecNo(Tasks / 2);
    table().Amend([] {
        table().Fields(F_Plan).setAsString(
            QStringLiteral("Изменено %1").arg(QDateTime::currentMSecsSinceEpoch()));
    });
}

void ticksWithNothingDue() {
    Bench::Session windows(futureTasks());
    Form_Main->hide(); // in the tray
    Bench::report("tick after a change", Bench::medianMs(31, changeATask, tick) * 1000, 1000, "us");
    table().setRecNo(Tasks / 3);
    const int before = table().RecNo();
    Bench::report("tick, nothing due", Bench::medianMs(201, tick) * 1000, 1000, "us");
    Bench::figure("literal walk, in the tray",
                  Bench::medianMs(9, [] { literalWalk(table(), watch()); }));
    Form_Main->show();
    Bench::figure("literal walk, window shown",
                  Bench::medianMs(9, [] { literalWalk(table(), watch()); }));
    Bench::report("tick, window shown", Bench::medianMs(201, tick) * 1000, 1000, "us");
    if (table().RecNo() != before || !Bench::mainPart<Timer>("Timer1")->Enabled())
        throw std::runtime_error("a walk moved the cursor or left the watch off");
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The event loop runs with the watch, the clock and the other timers of the main window.
double cpuPercent(int seconds) {
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    // exit, not quit: quit asks the windows to close, and the main window refuses while
    // it goes to the tray on closing.
    QTimer::singleShot(seconds * 1000, qApp, [] { QCoreApplication::exit(0); });
    QApplication::exec();
    return 100.0 * (cpuSeconds() - before) / (double(wall.elapsed()) / 1000.0);
}

void idleProgram(int seconds) {
    Bench::Session windows(futureTasks());
    Form_Main->hide();
    cpuPercent(2); // start-up's last work, the title order made on another thread, ends first
    Bench::report("idle CPU, in the tray", cpuPercent(seconds), 0.2, "% of a core");
    Form_Main->show();
    Bench::report("idle CPU, window shown", cpuPercent(seconds), 0.2, "% of a core");
}

// Records when the dialog shows and answers "Прекратить" at once.
class Answerer final : public QObject {
public:
    QList<QDateTime> shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == Form_Remainder && event->type() == QEvent::Show) {
            shown << QDateTime::currentDateTime();
            QTimer::singleShot(0, Form_Remainder->BitBtn1, &QPushButton::click);
        }
        return false;
    }
};

// Reminders set a second or two ahead on the real clock, one after another, against the
// running watch.
void latency() {
    Bench::Session windows(futureTasks());
    Form_Main->hide();
    Answerer answerer;
    Form_Remainder->installEventFilter(&answerer);
    const int rounds = 10;
    double latest = 0;
    for (int round = 0; round < rounds; ++round) {
        const QDateTime now = QDateTime::currentDateTime();
        const QDateTime moment = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(),
                                                             now.time().second()))
                                     .addSecs(2);
        table().Insert();
        table().Fields(F_Plan).setAsString(QStringLiteral("Напоминание %1").arg(round));
        table().Fields(F_Date).setAsDateTime(QDateTime(moment.date(), QTime(0, 0)));
        table().Fields(F_Reminder).setAsDateTime(moment);
        table().Post();
        const qsizetype seen = answerer.shown.size();
        while (answerer.shown.size() == seen)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        latest = std::max(latest, double(moment.msecsTo(answerer.shown.last())));
        // The watch's second starts anew a different fraction of a second later, so the
        // rounds see its ticks at different places within the second.
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 1000 * round / rounds)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        { const ReminderWatch::Pause restart(watch()); }
    }
    Bench::report("latest reminder, after moment", latest, 1100);
}

} // namespace

int main(int argc, char* argv[]) {
    Clock::settleTimeZone();
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);
    const int seconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 60;
    ticksWithNothingDue();
    latency();
    idleProgram(seconds);
    Bench::report("peak memory", Bench::peakMemoryMb(), 150, "MB");
    return 0;
}
