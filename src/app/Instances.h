#pragma once

#include <QString>

// The program's windows and data module, each created once and reached through these
// pointers while it lives.
class TForm_Main;
class TDataModule_Main;
class TForm_Edit;
class TForm_Remainder;
class TForm_About;

extern TForm_Main* Form_Main;
extern TDataModule_Main* DataModule_Main;
extern TForm_Edit* Form_Edit;
extern TForm_Remainder* Form_Remainder;
extern TForm_About* Form_About;

// The one owner of the instances. Start-up, the tests and the benchmarks create them here,
// in start-up's order, and end them here, so the program's exit path is the one the tests
// run.
namespace Instances {

// The main window.
void createMainWindow();
// The data module, closed.
void createDataModule();
// Opens the data module's connection on the file the string names, then its task table,
// whose titles it ranks (TTable::rankTitles), so that the first click on "Задача" sorts
// at once. It may run on another thread, while nothing else uses the module: start-up
// runs it while the splash stands.
void openDataModule(const QString& connectionString);
// The task editor, the reminder dialog and the About window, in this order: all three are
// the main window's dialogs. Then the main window is bound to the task table and the three
// dialogs, and hears from then on when the editor or the reminder dialog closes.
void createDialogs();
// The steps above, for a session that needs nothing between them.
void createAll(const QString& connectionString);

// Destroys whatever exists, the windows newest first and the data module last: no window
// outlives the table it shows, and the connection closes only when nothing can write any
// more, so the file is left complete with nothing beside it.
void destroy();

// Ends the instances with the scope that made them: main(), a test, a benchmark.
class Lifetime final {
public:
    Lifetime() = default;
    ~Lifetime() { destroy(); }
    Lifetime(const Lifetime&) = delete;
    Lifetime& operator=(const Lifetime&) = delete;
};

} // namespace Instances
