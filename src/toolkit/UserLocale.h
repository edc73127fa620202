#pragma once

#include <QLocale>

// The user's own locale. The formats that follow the user's settings (the short date in
// the date pickers, the long date in the task grid, the time separator, upper-casing) come
// from here; QLocale() is Russian, for the texts the widgets draw themselves.
class UserLocale final {
public:
    UserLocale() = delete;

    // The system's locale; Russian when the system names none (the C locale).
    static QLocale get();

    // Test seam: from now on get() returns this locale until reset.
    static void set(const QLocale& locale);
    static void reset();

    // The locale's long date without the weekday ("10 декабря 2026 г." for Russian).
    static QString longDateFormat();
    // The locale's short date with a four-digit year, so that every year can be shown.
    static QString shortDateFormat();
    // What stands between the hour and the minute fields of the short time format: ":" in
    // "AP h:mm", "." in "H.mm", " h " in "HH 'h' mm"; ":" when the format has no such pair.
    static QString timeSeparator();
};
