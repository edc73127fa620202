// Figures of the task commands on generated tables: the editor's OK path for a new task
// (insert, post, refresh), and deleting the completed tasks.
#include "BenchSupport.h"
#include "WindowBench.h"
#include "app/Instances.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Clock.h"
#include "toolkit/MessageBox.h"

#include <QApplication>
#include <QPushButton>

namespace {

// The editor shown on a new record with a typed title; OK stores it. Fails loudly when OK
// refused, so a figure never stands for a path not taken.
double addThroughEditor(int tasks) {
    Bench::TaskMix mix;
    mix.count = tasks;
    Bench::Session session(mix);
    TTable& table = DataModule_Main->Table_Main;
    const int runs = 15;
    const double median = Bench::medianMs(
        runs,
        [&] {
            table.Insert();
            table.FieldByName(QStringLiteral("Date")).setAsDateTime(QDateTime::currentDateTime());
            Form_Edit->show();
            Form_Edit->DBEdit1->insert(QStringLiteral("Новая задача"));
        },
        [&] { Form_Edit->Button_OKClick(); });
    if (table.RecordCount() != tasks + runs || !MessageBox::shown().isEmpty())
        throw std::runtime_error("the editor's OK did not store the new tasks");
    return median;
}

double deleteCompleted(int tasks, int completedPercent) {
    Bench::TaskMix mix;
    mix.count = tasks;
    mix.completedPercent = completedPercent;
    Bench::Session session(mix);
    const int before = DataModule_Main->Table_Main.RecordCount();
    const double time =
        Bench::medianMs(1, [] { Bench::mainPart<QPushButton>("Button_Del_Completed")->click(); });
    std::printf("deleted %d of %d tasks\n", before - DataModule_Main->Table_Main.RecordCount(),
                before);
    return time;
}

} // namespace

int main(int argc, char* argv[]) {
    Clock::settleTimeZone();
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);
    Bench::report("editor OK, 1,000 tasks", addThroughEditor(1000), 10);
    Bench::report("editor OK, 100,000 tasks", addThroughEditor(100000), 150);
    Bench::report("delete completed 10k of 100k", deleteCompleted(100000, 10), 2000);
    Bench::report("peak memory", Bench::peakMemoryMb(), 150, "MB");
    return 0;
}
