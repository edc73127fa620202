// What one change of a task costs with the grid showing 100,000 tasks sorted by title: a
// task added (Insert, Post and Refresh, as the editor's OK does it), one edited (Edit, Post
// and Refresh) and one deleted. Each is timed twice: the change with what the grid does
// while it is told of it, then the events the change leaves for the grid (its layout and
// painting). The file is written without waiting for the disk, so that the figures show
// the table and the grid rather than the disk's sync.
// Usage: bench_grid [task count]
#include "WindowBench.h"
#include "toolkit/Clock.h"
#include "toolkit/MessageBox.h"

#include <QApplication>
#include <QTest>

namespace {

TTable& table() {
    return DataModule_Main->Table_Main;
}

// Another task current, and the grid done with it, before each run.
void moveOn() {
    table().setRecNo(1 + (table().RecNo() + 7919) % table().RecordCount());
    QApplication::processEvents();
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <class Change> void report(const char* what, Change change) {
    std::vector<double> told;
    std::vector<double> afterwards;
    for (int run = 0; run < 51; ++run) {
        moveOn();
        told.push_back(Bench::medianMs(1, change));
        afterwards.push_back(Bench::medianMs(1, [] { QApplication::processEvents(); }));
    }
    Bench::report(what, median(told), 5);
    Bench::figure("  then layout and painting", median(afterwards));
}

void add() {
    table().Insert();
    table().Fields(F_Date).setAsDateTime(Clock::today());
    table().Fields(F_Plan).setAsString(QStringLiteral("Новая задача"));
    table().Post();
    table().Refresh();
}

void edit() {
    table().Edit();
    table().Fields(F_Plan).setAsString(table().Fields(F_Plan).AsString() + '!');
    table().Post();
    table().Refresh();
}

} // namespace

int main(int argc, char* argv[]) {
    Clock::settleTimeZone();
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);
    Bench::TaskMix mix;
    mix.firstDay = QDate(2035, 1, 1); // no reminder falls due while the figures are taken
    if (argc > 1)
        mix.count = QByteArray(argv[1]).toInt();
    Bench::Session session(mix);
    if (!QTest::qWaitForWindowExposed(Form_Main))
        throw std::runtime_error("the main window did not come up");
    DataModule_Main->Connection.exec("PRAGMA synchronous=OFF");
    table().setIndexFieldNames(QStringLiteral("Plan"));
    QApplication::processEvents();
    std::printf("%d tasks sorted by title, the grid shown\n", table().RecordCount());
    report("add a task", add);
    report("edit a task", edit);
    report("delete a task", [] { table().Delete(); });
    return 0;
}
