#pragma once

#include "reminders/ReminderWatch.h"

#include <QIcon>
#include <QSystemTrayIcon>
#include <QWidget>

#include <array>
#include <optional>

class GridModel;
class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class TaskGrid;
class TForm_About;
class TForm_Edit;
class TForm_Remainder;
class TTable;
class Timer;

// The main window: the task grid on the left, the command column on the right. Its
// controls and handlers are its own; the program's owner and start-up use the few
// functions below.
class TForm_Main final : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Main(QWidget* parent = nullptr);
    ~TForm_Main() override;

    // Looks up the picture the window takes from the desktop's icon theme, which the toolkit
    // then keeps: the look-up walks the theme's folders for milliseconds. Start-up runs it
    // on another thread while the splash stands, when the window's thread touches no icon
    // (and the application's style exists: the splash has it).
    static void lookUpThemePictures();

    // The objects the window works on, handed over by their owner once they all exist: the
    // grid and the reminder watch show and walk the task table; the commands open the
    // editor and the About window, and the watch the reminder dialog. The window hears
    // when the editor or the reminder dialog closes.
    void bind(TTable* table, TForm_Edit* editor, TForm_Remainder* reminder, TForm_About* about);
    // The executable's full path, written to the autostart entry (the running program's
    // own path until start-up gives the one it was started from).
    void setExecutablePath(const QString& path);
    // Sets the autorun tick as start-up finds the log-on entry; the tick's handler then
    // writes the entry anew, or removes it.
    void setAutoRun(bool on);
    // Makes the window visible and active (from the tray, or minimised, alike).
    void bringToFront();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    // The session manager asks the program to save before the session ends.
    void ApplicationCommitData();

private:
    void FormShow();
    void UpdateCommandButtons();
    void DBGrid_MainCellClick(int column);
    void DBGrid_MainDblClick();
    void Timer_HintTimer();
    void Timer_TimeTimer();
    void Timer_FormTimer();

    void FormCreate();
    void FormClose(QCloseEvent* event);
    void TrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void CheckBox_In_TrayClick();
    void CheckBox_AutoRunClick();
    void Button_ExitClick();
    void Menu_ExitClick();
    void Button_AboutClick();

    void Button_AddClick();
    void Menu_AddClick();
    void Button_EditClick();
    void Menu_EditClick();
    void Button_DeleteClick();
    void Menu_DeleteClick();
    void Button_Del_CompletedClick();
    void Menu_Del_CompletedClick();
    void Menu_CompletedClick();
    void Menu_RemainderClick();
    void Menu_RemainderDeleteClick();
    void PopupMenu_MainPopup();
    // The task editor's and the reminder dialog's closing: the next key reaches this window.
    void Form_EditClosed();
    void Form_RemainderClosed(bool answered);

    void ButtonSearchClick();
    void EditSearchClick();
    void EditSearchChange();
    void DBGrid_MainTitleClick(int column);

    void buildLayout();
    void buildCommandColumn();
    void buildPopupMenu();
    void nameControls();
    void connectHandlers();
    void connectCommands();
    TTable& table() const;
    void toggleCompletion();
    void showPopupMenu(const QPoint& globalPos);
    void addTask();
    void editTask();
    // Prepares the editor and shows it, the watch paused until it has closed.
    void openEditor(void (TForm_Edit::*prepare)());
    // After a dialog closed: the next key reaches this window at once.
    void takeKeyboard();
    // The watch, the clock and the first-start rule: on at the window's first showing.
    void startTimers();
    void deleteTask();
    void deleteCompleted();
    void runShortcut(QAction* item);
    void connectTrayAndExit();
    void exitCommand();
    void hideToTray();
    void removeTrayIcon();
    void connectSearch();
    void pressDefaultButton();
    void showSortArrow();
    void storeSortColumn(const QString& field);

    QFrame* Panel1; // the raised frame around the task grid
    TaskGrid* DBGrid_Main;
    QFrame* Panel2; // the command column on the right
    QPushButton* Button_About;
    QGroupBox* GroupBox2; // the add, edit and delete buttons
    QPushButton* Button_Add;
    QPushButton* Button_Edit;
    QPushButton* Button_Delete;
    QGroupBox* GroupBoxSearch;
    QLineEdit* EditSearch;
    QPushButton* ButtonSearch;
    QGroupBox* GroupBox3; // delete the completed tasks
    QPushButton* Button_Del_Completed;
    QLabel* Label_Del_Completed;
    QGroupBox* GroupBox1; // autorun, exit and "hide on exit"
    QCheckBox* CheckBox_AutoRun;
    QPushButton* Button_Exit;
    QCheckBox* CheckBox_In_Tray;
    QFrame* Panel3; // the clock: time and date
    QLabel* Label_Now_Time;
    QLabel* Label_Now_Date;

    // The reminder watch: it owns its timer, Timer1, which runs once a second.
    ReminderWatch* Watch;
    Timer* Timer_Time; // the clock's tick, once a second
    Timer* Timer_Form; // hides the window half a second after a start but the first
    Timer* Timer_Hint;

    // The notification-area icon, from the window's creation to the program's real end.
    QSystemTrayIcon* TrayIcon;

    // grey clock, orange clock, ticked box, empty box
    std::array<QIcon, 4> ImageList_Reminder;

    QMenu* PopupMenu_Main;
    QAction* Menu_Add;
    QAction* Menu_Edit;
    QAction* Menu_Delete;
    QAction* Menu_Remainder;
    QAction* Menu_RemainderDelete;
    QAction* Menu_Completed;
    QAction* Menu_Del_Completed;
    QAction* Menu_Exit;

    GridModel* m_model = nullptr;
    TTable* m_table = nullptr;
    TForm_Edit* m_editor = nullptr;
    TForm_About* m_about = nullptr;
    // Until the window first shows: a notice start-up gives before that runs an event loop
    // of its own, in which the watch would go off unseen.
    std::optional<ReminderWatch::Pause> m_untilShown;
    QString m_executablePath;
    bool m_sessionEnding = false;
    // True at start and after every change of the search text: the next search begins
    // at the first task instead of after the current one.
    bool m_restartSearch = true;
    // Writing Index failed and was reported; later failures stay silent.
    bool m_sortStoreFailed = false;
};
