#pragma once

// Shared by the benchmarks of the windows: the windows and the data module on a generated
// table, as start-up makes them, with the main window shown.

#include "BenchSupport.h"
#include "app/Instances.h"
#include "editor/TForm_Edit.h"
#include "main_window/TForm_Main.h"
#include "store/TDataModule_Main.h"

namespace Bench {

class Session final {
public:
    explicit Session(const Bench::TaskMix& mix) {
        Bench::fillTasks(m_program.databasePath(), mix);
        DataModule_Main = new TDataModule_Main;
        DataModule_Main->Connection.setConnectionString(QStringLiteral("Data Source=") +
                                                        m_program.databasePath());
        DataModule_Main->Connection.Open();
        DataModule_Main->Table_Main.Open();
        Form_Main = new TForm_Main;
        Form_Main->bindTable();
        Form_Main->show(); // the grid follows every change, as it does for the user
        Form_Edit = new TForm_Edit(&DataModule_Main->DataSource);
    }
    ~Session() {
        delete Form_Edit;
        delete Form_Main;
        delete DataModule_Main;
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

private:
    Bench::Program m_program;
};

} // namespace Bench
