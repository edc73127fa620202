#pragma once

// Shared by the benchmarks of the windows: the windows and the data module on a generated
// table, as start-up makes them, with the main window shown.

#include "BenchSupport.h"
#include "app/Instances.h"
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
        Instances::createDialogs();
    }
    ~Session() {
        delete Form_Main; // and its dialogs
        delete DataModule_Main;
        Form_Main = nullptr;
        DataModule_Main = nullptr;
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

private:
    Bench::Program m_program;
};

} // namespace Bench
