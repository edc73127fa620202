#pragma once

#include <QDialog>

#include <functional>

class MaskEdit;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TDataSource;
class TTable;
class UpDown;

// The reminder dialog: the user stops a due reminder, postpones it by minutes, hours or
// days, or completes the task, and the dialog writes the answer into the current task
// record. Created once; the unit and the amount stay as the user left them from one
// showing to the next. Stays above other applications' windows; Esc does nothing, Enter
// presses BitBtn1, the frame's close box writes nothing.
class TForm_Remainder final : public QDialog {
    Q_OBJECT
public:
    // The choices of RadioGroup_Reminder.
    enum Choice { Stop = 0, Postpone = 1, Complete = 2 };

    explicit TForm_Remainder(TDataSource* source, QWidget* parent = nullptr);

    // The watch's preparation of a showing: the caption is the current task's reminder
    // moment, the title and description are the task's, and the choice goes back to
    // "Прекратить".
    void prepareForCurrentTask();
    // Shows the dialog modally, centred on the desktop; the result is Accepted when an
    // answer was written.
    int ShowModal();

    int choice() const;
    void setChoice(int choice);
    // The index of the chosen unit: -1 when its text was typed over.
    int unitIndex() const;

    // A radio group without a caption, one column; its items are the choices.
    QGroupBox* RadioGroup_Reminder;
    QLineEdit* Edit_Plan;
    QPlainTextEdit* Memo_Comment;
    QPushButton* BitBtn1;       // OK: writes the chosen answer
    QComboBox* ComboBox_Ed_Izm; // the unit of the postponement: minutes, hours or days
    MaskEdit* Edit_Time;
    UpDown* UpDown_Time;

    void RadioGroup_ReminderClick();
    void ComboBox_Ed_IzmChange();
    void Edit_TimeChange();
    void UpDown_TimeClick();
    void Edit_TimeClick();
    void BitBtn1Click();

    // Ends a showing however it ends; closed() follows.
    void done(int result) override;

signals:
    // A showing has ended; answered is true when OK wrote the answer.
    void closed(bool answered);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildChoices();
    void buildPostponeControls();
    void nameControls();
    // The amount as text and as a spin position, and the unit.
    QList<QWidget*> postponeControls() const;
    void setTabOrders();
    void connectHandlers();

    TTable* table() const;
    void postpone();
    // Writes an answer into the current task record, refreshes the table and closes.
    void answer(const std::function<void()>& changes);

    TDataSource* m_source;
    QButtonGroup* m_choices;
};
