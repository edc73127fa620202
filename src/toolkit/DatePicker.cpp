#include "toolkit/DatePicker.h"

#include "toolkit/UserLocale.h"

#include <QCalendarWidget>

DatePicker::DatePicker(QWidget* parent)
    : QDateEdit(parent) {
    setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    setLocale(UserLocale::get());
    setDisplayFormat(UserLocale::shortDateFormat());
    setCalendarPopup(true);
    // The calendar's month and day names are the widgets' own texts: Russian.
    calendarWidget()->setLocale(QLocale());
}

// The date edit would move to its next section; the picker hands the focus on instead.
bool DatePicker::focusNextPrevChild(bool next) {
    return QWidget::focusNextPrevChild(next);
}
