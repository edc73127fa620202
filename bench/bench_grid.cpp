// What one change of a task costs with the grid showing 100,000 tasks sorted by title: a
// task added (Insert, Post and Refresh, as the editor's OK does it), one edited (Edit, Post
// and Refresh) and one deleted. Each figure takes in the events the change leaves for the
// grid, its layout and painting included.
// Usage: bench_grid [task count]
#include "WindowBench.h"
#include "toolkit/Clock.h"
#include "toolkit/MessageBox.h"

#include <QApplication>

namespace {

TTable& table() {
    return DataModule_Main->Table_Main;
}

template <class Change> double withTheGrid(Change change) {
    return Bench::medianMs(
        21,
        [] {
            table().setRecNo(1 + (table().RecNo() + 7919) % table().RecordCount());
            QApplication::processEvents();
        },
        [&] {
            change();
            QApplication::processEvents();
        });
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
    table().setIndexFieldNames(QStringLiteral("Plan"));
    QApplication::processEvents();
    std::printf("%d tasks sorted by title, the grid shown\n", table().RecordCount());
    Bench::report("add a task", withTheGrid(add), 20);
    Bench::report("edit a task", withTheGrid(edit), 20);
    Bench::report("delete a task", withTheGrid([] { table().Delete(); }), 20);
    return 0;
}
