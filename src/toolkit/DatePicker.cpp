#include "toolkit/DatePicker.h"

#include "toolkit/UserLocale.h"

#include <QCalendarWidget>

DatePicker::DatePicker(QWidget* parent)
    : QDateEdit(parent) {
    setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    setLocale(UserLocale::get());
    setDisplayFormat(UserLocale::shortDateFormat());
    setCalendarPopup(true);
}

void DatePicker::prepareCalendar() {
    if (m_calendarPrepared)
        return;
    m_calendarPrepared = true;
    // The calendar's month and day names are the widgets' own texts: Russian.
    calendarWidget()->setLocale(QLocale());
    nameCalendar();
}

void DatePicker::mousePressEvent(QMouseEvent* event) {
    prepareCalendar();
    QDateEdit::mousePressEvent(event);
}

void DatePicker::keyPressEvent(QKeyEvent* event) {
    prepareCalendar();
    QDateEdit::keyPressEvent(event);
}

// The drop-down calendar's parts that take the keyboard or a click, named for a screen
// reader (the month and year buttons show their names).
void DatePicker::nameCalendar() {
    QCalendarWidget* calendar = calendarWidget();
    calendar->setAccessibleName(QStringLiteral("Календарь"));
    const std::pair<const char*, QString> parts[] = {
        {"qt_calendar_calendarview", QStringLiteral("Дни месяца")},
        {"qt_calendar_yearedit", QStringLiteral("Год")},
        {"qt_calendar_prevmonth", QStringLiteral("Предыдущий месяц")},
        {"qt_calendar_nextmonth", QStringLiteral("Следующий месяц")}};
    for (const auto& [objectName, name] : parts)
        if (auto* part = calendar->findChild<QWidget*>(QLatin1String(objectName)))
            part->setAccessibleName(name);
}

// The date edit would move to its next section; the picker hands the focus on instead.
bool DatePicker::focusNextPrevChild(bool next) {
    return QWidget::focusNextPrevChild(next);
}
