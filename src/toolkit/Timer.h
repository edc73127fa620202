#pragma once

#include <QObject>
#include <QTimer>

// A timer with the toolkit's switching rules: switching on a timer that already runs
// does not restart its period, and setting the interval it already has changes nothing.
// Setting another interval while it runs starts the new period from that moment.
class Timer final : public QObject {
    Q_OBJECT
public:
    Timer(int intervalMsecs, bool enabled, QObject* parent);

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool on);
    int Interval() const { return m_interval; }
    void setInterval(int msecs);

    // True while a period is counting (enabled with a positive interval).
    bool isRunning() const { return m_timer.isActive(); }
    // Milliseconds left of the running period; -1 while not running.
    int remainingTime() const { return m_timer.remainingTime(); }

signals:
    void timeout();

private:
    void restart();

    QTimer m_timer;
    int m_interval;
    bool m_enabled;
};
