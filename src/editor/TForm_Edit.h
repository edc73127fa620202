#pragma once

#include <QDate>
#include <QDialog>

#include <optional>

class DBEdit;
class DBMemo;
class DatePicker;
class MaskEdit;
class UpDown;
class QCheckBox;
class QDateTime;
class QFrame;
class QLabel;
class QPushButton;
class TDataSource;
class TTable;

// The task editor: the one modal dialog in which a task record is written. A caller
// prepares it for adding, editing or setting a reminder and calls ShowModal(); the dialog
// writes its result into the task table itself and tells the caller when it closes.
class TForm_Edit final : public QDialog {
    Q_OBJECT
public:
    // Outer heights: without the reminder row in view, and with it.
    static constexpr int HeightWithoutReminder = 340;
    static constexpr int HeightWithReminder = 380;

    explicit TForm_Edit(TDataSource* source, QWidget* parent = nullptr);
    void setVisible(bool visible) override;

    // The window's outer height, frame and title bar included: 340 hides the reminder
    // row, 380 shows it.
    void setHeight(int outerHeight);

    // Inserts a new task dated today and prepares the dialog for it.
    void prepareForAdd();
    // Prepares the dialog for the current task; a completed one opens for viewing.
    void prepareForEdit();
    // Prepares the dialog for setting or changing the current task's reminder: its title,
    // date and description are shown but cannot be changed.
    void prepareForReminder();
    void ShowModal();

    QFrame* Panel1;              // the ground of every control, as high as the window shows
    QLabel* Label1;              // "Задача", over the title
    DBEdit* DBEdit1;             // the title, bound to Plan
    QLabel* Label2;              // "Дата", over the date
    DatePicker* DateTimePicker1; // the task's date
    QLabel* Label3;              // "Описание", over the description
    DBMemo* DBMemo1;             // the description, bound to Comments
    QPushButton* Button_OK;
    QPushButton* Button_Cancel;
    QCheckBox* CheckBox_Reminder;
    DatePicker* DateTimePicker_Reminder;
    MaskEdit* Edit_Hour;
    UpDown* UpDown_Hour;
    QLabel* Label_Time;
    MaskEdit* Edit_Minute;
    UpDown* UpDown_Minute;

    void Button_OKClick();
    void Button_CancelClick();
    void FormShow();
    void FormClose();
    void CheckBox_ReminderClick();
    void Edit_HourChange();
    void Edit_MinuteChange();
    void UpDown_HourClick();
    void UpDown_MinuteClick();
    void Edit_HourClick();
    void Edit_MinuteClick();

    // Esc and the close box of the title bar both arrive here: they act as Cancel.
    void reject() override;
    // Every ending of a use passes here once; the close step follows it.
    void done(int result) override;

signals:
    // A use has ended, however it ended (the close step).
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void buildTaskControls();
    void buildButtons();
    void buildReminderRow();
    void nameControls();
    void setTabOrders();
    void connectHandlers();
    void applyHeight();
    int frameHeight() const;
    void centreOnDesktop();

    // Runs an OK or Cancel handler under the default error report, then ends the use if
    // the handler asked the dialog to close.
    void press(void (TForm_Edit::*handler)());
    void askToClose(int result) { m_closeRequest = result; }
    void enableTaskFields(bool on);
    // Shows the task's date in DateTimePicker1 and remembers it.
    void showTaskDate(const QDate& date);
    // The reminder row from the current task's reminder or, when it has none, the task's
    // date at the current hour and minute.
    void fillReminderRow();

    TTable* table() const;
    bool titleTestPassed();
    bool reminderTestPassed();
    QDateTime reminderMoment() const;
    static void timeTextChanged(MaskEdit* edit, UpDown* upDown, int highest);
    static void spinClicked(MaskEdit* edit, UpDown* upDown, int highest);

    TDataSource* m_source;
    int m_outerHeight = HeightWithoutReminder;
    // The date the dialog was prepared with. OK writes Date only when the picker shows
    // another: a date the user left alone stays as stored, also one that cannot be read
    // (which the picker cannot show).
    QDate m_shownDate;
    std::optional<int> m_closeRequest;
};
