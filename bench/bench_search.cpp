// Search and sorting at 100,000 tasks with the main window shown: a search that finds
// nothing, a step to the next match, and a click on each column title; beside them the
// record-by-record walk the search replaces.
#include "../tests/LiteralSearch.h"
#include "BenchSupport.h"
#include "WindowBench.h"
#include "main_window/GridModel.h"
#include "main_window/TaskGrid.h"
#include "toolkit/Clock.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UserLocale.h"

#include <QApplication>
#include <QCollator>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <ctime>
#include <numeric>
#include <stdexcept>

namespace {

TTable& tasks() {
    return DataModule_Main->Table_Main;
}

QLineEdit* searchBox() {
    return Bench::mainPart<QLineEdit>("EditSearch");
}

// One search with the box focused, as after Enter in it.
void searchFromTheBox() {
    searchBox()->setFocus();
    QTest::keyClick(searchBox(), Qt::Key_Return);
}

void benchNoMatch(const QString& order) {
    searchBox()->setText(QStringLiteral("нет такой задачи"));
    tasks().setRecNo(tasks().RecordCount() / 2);
    const double quick = Bench::medianMs(11, searchFromTheBox);
    if (tasks().RecNo() != tasks().RecordCount() / 2 || !searchBox()->hasFocus())
        throw std::runtime_error("the search did not run, or moved the cursor");
    const double walked = Bench::medianMs(
        1, [] { literalSearch(tasks(), QStringLiteral("нет такой задачи"), false); });
    Bench::report(qPrintable(QStringLiteral("search, no match, %1").arg(order)), quick, 10);
    Bench::report("  record-by-record walk", walked, 10);
}

// A text with about one match in 5,000 tasks: each step looks at thousands of titles.
void benchStep(const QString& order) {
    const QString text = QStringLiteral("обед обед обед");
    searchBox()->setText(text);
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
    Bench::report(qPrintable(QStringLiteral("search, step to next match, %1").arg(order)), quick,
                  10);
    Bench::report("  record-by-record walk", walked, 10);
}

// The search reads the titles in the grid's order only for a stretch; a table sorted by
// title, whose titles lie scattered in memory in that order, is read in stored order past it.
void benchSearches() {
    for (const QString& field : {QString(), QStringLiteral("Plan")}) {
        tasks().setIndexFieldNames(field);
        const QString order =
            field.isEmpty() ? QStringLiteral("stored order") : QStringLiteral("by title");
        benchNoMatch(order);
        benchStep(order);
    }
}

double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Click {
    double wallMs;
    double processorMs;
};

// One click on a column title, from the stored order, with its wall time and the
// processor time of all threads, which other loads on the machine change less.
Click clickTitle(int column) {
    tasks().setIndexFieldNames(QString());
    const double before = processCpuMs();
    QElapsedTimer timer;
    timer.start();
    emit Bench::mainPart<TaskGrid>("DBGrid_Main")->horizontalHeader()->sectionClicked(column);
    return {double(timer.nsecsElapsed()) / 1e6, processCpuMs() - before};
}

void reportClicks(const QString& what, std::vector<Click> clicks, double target) {
    std::sort(clicks.begin(), clicks.end(),
              [](const Click& a, const Click& b) { return a.wallMs < b.wallMs; });
    Bench::report(qPrintable(what), clicks[clicks.size() / 2].wallMs, target);
    std::sort(clicks.begin(), clicks.end(),
              [](const Click& a, const Click& b) { return a.processorMs < b.processorMs; });
    Bench::report("  processor time", clicks[clicks.size() / 2].processorMs, target);
}

// The titles in the stored order sorted one pair at a time by the collator, ties by ID:
// the plain way to sort them, beside the keys the table makes and keeps.
double collatorSortMs() {
    std::vector<QString> titles;
    std::vector<qint64> ids;
    for (int row = 0; row < tasks().RecordCount(); ++row) {
        titles.push_back(tasks().valueAt(row, F_Plan).toString());
        ids.push_back(tasks().valueAt(row, F_ID).toLongLong());
    }
    QCollator collator(UserLocale::get());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<int> order(titles.size());
    std::iota(order.begin(), order.end(), 0);
    QElapsedTimer timer;
    timer.start();
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int compared = collator.compare(titles[size_t(a)], titles[size_t(b)]);
        return compared != 0 ? compared < 0 : ids[size_t(a)] < ids[size_t(b)];
    });
    return double(timer.nsecsElapsed()) / 1e6;
}

// The first click on "Задача", as soon as the window is up: the title keys the table began
// to make on another thread when it read the rows must be ready, or are waited for.
void benchFirstTitleClick() {
    const Click first = clickTitle(GridModel::fieldColumn(F_Plan));
    Bench::report("title click, Plan, first, at the window's showing", first.wallMs, 60);
    Bench::report("  processor time", first.processorMs, 60);
    Bench::figure("  collator, pair by pair", collatorSortMs());
}

// A title click that finds no keys to start from makes every title's key on this thread.
// It happens when the locale changed: here, it goes to C and back.
void benchTitleClicksSortingAll() {
    const QLocale locale = UserLocale::get();
    for (const QLocale& sortIn : {QLocale::c(), locale}) {
        UserLocale::set(sortIn);
        const Click click = clickTitle(GridModel::fieldColumn(F_Plan));
        Bench::report(
            qPrintable(
                QStringLiteral("title click sorting every title anew, %1").arg(sortIn.name())),
            click.wallMs, 60);
        Bench::report("  processor time", click.processorMs, 60);
    }
}

// Five clicks on each title, each from the stored order; after the first, a click on
// "Задача" sorts by the ranks of the last title sort.
void benchSorts() {
    for (int column = 0; column < 4; ++column) {
        std::vector<Click> clicks;
        for (int run = 0; run < 5; ++run)
            clicks.push_back(clickTitle(column));
        const QString field = tasks().IndexFieldNames();
        reportClicks(QStringLiteral("title click, %1").arg(field), clicks,
                     field == QLatin1String("Plan") ? 40 : 60);
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
    // Before every task's reminder: on a loaded machine the window may take longer to come
    // up than the watch takes to tick, and a reminder dialog would wait for an answer.
    Clock::setFixed(QDateTime(mix.firstDay.addDays(-7), QTime(0, 0)));
    Bench::Session session(mix);
    Form_Main->activateWindow();
    if (!QTest::qWaitForWindowActive(Form_Main))
        throw std::runtime_error("the main window did not come up");
    std::printf("%d tasks, locale %s\n", mix.count, qPrintable(QLocale().name()));
    benchFirstTitleClick();
    benchSearches();
    benchSorts();
    benchTitleClicksSortingAll();
    Bench::report("peak memory", Bench::peakMemoryMb(), 150, "MB");
    return MessageBox::shown().isEmpty() ? 0 : 1;
}
