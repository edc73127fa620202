// Search and sorting at 100,000 tasks with the main window shown: a search that finds
// nothing, a step to the next match, and a click on each column title; beside them the
// record-by-record walk the search replaces.
#include "../tests/LiteralSearch.h"
#include "BenchSupport.h"
#include "WindowBench.h"
#include "main_window/TaskGrid.h"
#include "toolkit/Clock.h"
#include "toolkit/MessageBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <ctime>
#include <stdexcept>

namespace {

TTable& tasks() {
    return DataModule_Main->Table_Main;
}

// One search with the box focused, as after Enter in it.
void searchFromTheBox() {
    Form_Main->EditSearch->setFocus();
    Form_Main->ButtonSearchClick();
}

void benchNoMatch() {
    Form_Main->EditSearch->setText(QStringLiteral("нет такой задачи"));
    tasks().setRecNo(tasks().RecordCount() / 2);
    const double quick = Bench::medianMs(11, searchFromTheBox);
    if (tasks().RecNo() != tasks().RecordCount() / 2 || !Form_Main->EditSearch->hasFocus())
        throw std::runtime_error("the search did not run, or moved the cursor");
    const double walked = Bench::medianMs(
        1, [] { literalSearch(tasks(), QStringLiteral("нет такой задачи"), false); });
    Bench::report("search, no match", quick, 10);
    Bench::report("  record-by-record walk", walked, 10);
}

// A text with about one match in 5,000 tasks: each step looks at thousands of titles.
void benchStep() {
    const QString text = QStringLiteral("обед обед обед");
    Form_Main->EditSearch->setText(text);
    searchFromTheBox();
    int steps = 0;
    const double quick = Bench::medianMs(11, [&] {
        const int before = tasks().RecNo();
        searchFromTheBox();
        steps += tasks().RecNo() != before;
    });
    if (steps != 11)
        throw std::runtime_error("the search did not step to the next match");
    const double walked = Bench::medianMs(11, [&] { literalSearch(tasks(), text, false); });
    Bench::report("search, step to next match", quick, 10);
    Bench::report("  record-by-record walk", walked, 10);
}

double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Wall time, and the processor time of all threads, which other loads on the machine
// change less.
void benchSorts() {
    for (int column = 0; column < 4; ++column) {
        std::vector<double> cpu;
        const double ms = Bench::medianMs(
            5, [] { tasks().setIndexFieldNames(QString()); },
            [column, &cpu] {
                const double before = processCpuMs();
                Form_Main->DBGrid_MainTitleClick(column);
                cpu.push_back(processCpuMs() - before);
            });
        std::sort(cpu.begin(), cpu.end());
        const QString what = QStringLiteral("title click, %1").arg(tasks().IndexFieldNames());
        Bench::report(qPrintable(what), ms, 60);
        Bench::report("  processor time", cpu[cpu.size() / 2], 60);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    Clock::settleTimeZone();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QStringLiteral("ru_RU")));
    MessageBox::setTestMode(true);
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    Bench::TaskMix mix;
    Bench::Session session(mix);
    Form_Main->activateWindow();
    if (!QTest::qWaitForWindowActive(Form_Main))
        throw std::runtime_error("the main window did not come up");
    std::printf("%d tasks, locale %s\n", mix.count, qPrintable(QLocale().name()));
    benchNoMatch();
    benchStep();
    benchSorts();
    Bench::report("peak memory", Bench::peakMemoryMb(), 150, "MB");
    return MessageBox::shown().isEmpty() ? 0 : 1;
}
