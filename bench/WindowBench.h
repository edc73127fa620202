#pragma once

// Shared by the benchmarks of the windows: the windows and the data module on a generated
// table, as start-up makes them, with the main window shown.

#include "BenchSupport.h"
#include "app/Instances.h"
#include "main_window/TForm_Main.h"
#include "store/TDataModule_Main.h"

namespace Bench {

// A control, menu item or timer of the main window, found by its name.
template <class Part> Part* mainPart(const char* name) {
    return Form_Main->findChild<Part*>(QLatin1String(name));
}

class Session final {
public:
    explicit Session(const Bench::TaskMix& mix) {
        Bench::fillTasks(m_program.databasePath(), mix);
        Instances::createAll(QStringLiteral("Data Source=") + m_program.databasePath());
        Form_Main->show(); // the grid follows every change, as it does for the user
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const TempProgram& program() const { return m_program; }

private:
    TempProgram m_program;
    Instances::Lifetime m_instances; // ended before the folder goes
};

} // namespace Bench
