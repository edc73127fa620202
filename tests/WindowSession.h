#pragma once

#include "Fixtures.h"

class TDataModule_Main;
class TTable;

// The data module and the windows on a temporary program folder, as start-up makes them,
// with the clock fixed and message boxes answered by the test. Clears the global
// instances again when it goes.
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
    TDataModule_Main& module() { return *m_module; }
    TTable& table();

private:
    FixedClock m_clock;
    TempProgram m_program;
    std::unique_ptr<TDataModule_Main> m_module;
};
