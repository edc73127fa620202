#include "toolkit/Clock.h"

#include <ctime>

namespace {

// Invalid while the clock follows the real time.
QDateTime& fixedMoment() {
    static QDateTime moment;
    return moment;
}

} // namespace

QDateTime Clock::now() {
    const QDateTime& fixed = fixedMoment();
    return fixed.isValid() ? fixed : QDateTime::currentDateTime();
}

QDateTime Clock::today() {
    return QDateTime(now().date(), QTime(0, 0));
}

void Clock::setFixed(const QDateTime& moment) {
    fixedMoment() = moment.toLocalTime();
}

void Clock::advance(qint64 msecs) {
    fixedMoment() = now().addMSecs(msecs);
}

void Clock::reset() {
    fixedMoment() = QDateTime();
}

void Clock::settleTimeZone() {
#ifdef Q_OS_LINUX
    if (qEnvironmentVariableIsEmpty("TZ")) {
        qputenv("TZ", ":/etc/localtime");
        tzset();
    }
#endif
}
