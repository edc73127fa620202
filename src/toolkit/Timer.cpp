#include "toolkit/Timer.h"

#include <QTimer>

Timer::Timer(int intervalMsecs, bool enabled, QObject* parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
    , m_interval(intervalMsecs)
    , m_enabled(enabled) {
    // A coarse timer may end a period up to 5 % early; a second of the clock or the watch
    // should be a second.
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &Timer::timeout);
    restart();
}

void Timer::setEnabled(bool on) {
    if (on == m_enabled)
        return;
    m_enabled = on;
    restart();
}

void Timer::setInterval(int msecs) {
    if (msecs == m_interval)
        return;
    m_interval = msecs;
    restart();
}

void Timer::restart() {
    m_timer->stop();
    if (m_enabled && m_interval > 0)
        m_timer->start(m_interval);
}
