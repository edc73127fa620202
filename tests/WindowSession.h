#pragma once

#include "Fixtures.h"
#include "app/Instances.h"

#include <functional>

class TForm_About;
class TForm_Edit;
class TForm_Main;
class TForm_Remainder;
class TTable;

// The data module and the windows on a temporary program folder, made and ended by their
// owner as start-up and the program's exit do, with the clock fixed and message boxes
// answered by the test.
class WindowSession final {
public:
    explicit WindowSession(const QDateTime& now);
    ~WindowSession();
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    // Stores the rows, then opens the table and makes the main window, the editor and the
    // About window.
    void open(const QList<TaskRow>& rows);
    // As open(), then shows the main window active with the grid focused. False when the
    // window did not come up.
    bool openShown(const QList<TaskRow>& rows);

    TempProgram& program() { return m_program; }
    TDataModule_Main& module();
    TTable& table();
    // The windows their owner made for this session.
    TForm_Main* mainWindow() const;
    TForm_Edit* editor() const;
    TForm_Remainder* reminder() const;
    TForm_About* about() const;

private:
    FixedClock m_clock;
    TempProgram m_program;
    Instances::Lifetime m_instances;
};

// The data module, task table and windows their owner made, whether a session or start-up
// made them, for the tests and their helpers.
TDataModule_Main* dataModule();
TTable& table();
TForm_Main* mainWindow();
TForm_Edit* editorWindow();
TForm_Remainder* reminderWindow();
TForm_About* aboutWindow();

// Runs the action inside the message loop: true when it ends the program (the loop
// returns 0 at once), as the program's real ends do.
bool endsProgram(const std::function<void()>& action);
