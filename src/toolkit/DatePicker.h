#pragma once

#include <QDateEdit>

// A date picker with a drop-down calendar, showing the user's short date. It is one tab
// stop: Tab and Shift+Tab leave it whichever section is selected (arrow keys and typing
// still move between the day, month and year), and it holds every date a task can hold,
// from 1 January 100 to 31 December 9999, so that setting a date never changes it.
class DatePicker final : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);

protected:
    bool focusNextPrevChild(bool next) override;
    // The drop-down calendar opens on a click or a key (F4, Alt+Down).
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Makes the drop-down calendar, once, as it first opens: a window holding pickers
    // comes up sooner without calendars nobody has opened yet.
    void prepareCalendar();
    void nameCalendar();

    bool m_calendarPrepared = false;
};
