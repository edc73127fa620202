#pragma once

#include <QDateTime>

// The one source of "now" for the program. Tests fix it and move it on.
class Clock final {
public:
    Clock() = delete;

    // The local date and time, to the millisecond.
    static QDateTime now();
    // The local date at 00:00.
    static QDateTime today();

    // Reads the local time zone once for the whole run. Without TZ the C library looks at
    // /etc/localtime again for every local date-time it builds, which makes walking a large
    // table several times slower. Call before anything reads the time.
    static void settleTimeZone();

    // Test seam: from now on now() returns this moment (local time) until advanced or reset.
    static void setFixed(const QDateTime& moment);
    // Moves the fixed moment on; a clock that follows the real time is fixed at the real
    // now plus msecs.
    static void advance(qint64 msecs);
    static void reset();
};
