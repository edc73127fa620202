#pragma once

#include <QObject>

class QTimer;

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

signals:
    void timeout();

private:
    void restart();

    QTimer* m_timer; // counts the period
    int m_interval;
    bool m_enabled;
};
