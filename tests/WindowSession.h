#pragma once

#include "Fixtures.h"
#include "app/Instances.h"
#include "main_window/TForm_Main.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>

class QAction;
class QColor;
class QMenu;
class ReminderWatch;
class TaskGrid;
class TForm_About;
class TForm_Edit;
class TForm_Remainder;
class TTable;

// The data module and the windows on a temporary program folder, made and ended by their
// owner as start-up and the program's exit do, with the clock fixed and message boxes
// answered by the test.
class WindowSession final {
public:
    explicit WindowSession(const QDateTime& now = fixedNow());
    ~WindowSession();
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    // Stores the rows, then opens the table and makes the main window, the editor and the
    // About window.
    void open(const QList<TaskRow>& rows);
    // As open(), then shows the main window active with the grid focused; the test fails
    // when the window does not come up.
    void openShown(const QList<TaskRow>& rows);

    TempProgram& program() { return m_program; }

private:
    FixedClock m_clock;
    TempProgram m_program;
    Instances::Lifetime m_instances;
};

// What the suites of the windows share: a session of their own for each test, ended after
// it with the check that every dialog the test waited for came up.
class WindowSuite : public QObject {
    Q_OBJECT

protected:
    // Stores the rows and shows the main window active with the grid focused.
    void open(const QList<TaskRow>& rows) { session->openShown(rows); }
    TempProgram& program() const { return session->program(); }
    // The titles the file holds, in ID order.
    QStringList storedTitles() const;

    std::unique_ptr<WindowSession> session;

private slots:
    void init();
    void cleanup();
};

// The data module, task table and windows their owner made, whether a session or start-up
// made them, for the tests and their helpers.
TDataModule_Main* dataModule();
TTable& table();
TForm_Main* mainWindow();
TForm_Edit* editorWindow();
TForm_Remainder* reminderWindow();
TForm_About* aboutWindow();

// A control, menu item or timer of the main window, found by its name as a user finds a
// control by its place. A name the window does not know ends the test run.
QObject* mainWindowPart(const char* name);
template <class Part> Part* part(const char* name) {
    return qobject_cast<Part*>(mainWindowPart(name));
}

TaskGrid* grid();
ReminderWatch& watch();
// The watch is on: its timer, Timer1, runs.
bool watchOn();
// One tick of the watch, as Timer1 gives it.
void tick();

QPoint cellCentre(int row, int column);
void clickCell(int row, int column);
// The colour of a row, read near the right edge of its title cell, away from the text.
QColor rowColour(int row);
// The popup menu, opened on the current row as the Menu key opens it; its items are set
// as its open step leaves them. The caller closes it.
QMenu* openPopupMenu();

// Runs the action inside the message loop: true when it ends the program (the loop
// returns 0 at once), as the program's real ends do.
bool endsProgram(const std::function<void()>& action);
