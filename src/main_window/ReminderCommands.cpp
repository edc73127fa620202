// The reminder commands of the grid's popup menu, and what the main window does when the
// reminder dialog closes. The menu's open step shows them only on a task that is not
// completed, and the clear command only on one that has a reminder.
#include "editor/TForm_Edit.h"
#include "main_window/TForm_Main.h"
#include "main_window/TaskGrid.h"
#include "store/TTable.h"

// The editor in reminder mode: it proposes the task's reminder, or the task's date at the
// current hour and minute.
void TForm_Main::Menu_RemainderClick() {
    openEditor(&TForm_Edit::prepareForReminder);
}

// At once, without a question; the task's other fields stay as they are.
void TForm_Main::Menu_RemainderDeleteClick() {
    table().Amend([this] { table().Fields(F_Reminder).Clear(); });
}

void TForm_Main::Form_RemainderClosed(bool answered) {
    if (answered)
        DBGrid_Main->setFocus();
    takeKeyboard();
}
