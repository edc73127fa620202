#pragma once

// The program's windows and data module, each created once by start-up and reached
// through these pointers until the process ends.
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

namespace Instances {
// Creates the task editor, the reminder dialog and the About window, in this order, once the
// main window and the open data module exist: all three are the main window's dialogs, and
// the main window hears when the editor or the reminder dialog closes. Start-up, the tests
// and the benchmarks all wire them here.
void createDialogs();
} // namespace Instances
