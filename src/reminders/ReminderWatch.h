#pragma once

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>

class ReminderNotice;
class TForm_Remainder;
class TTable;
class Timer;

// The reminder watch: once a second it shows the reminder dialog for every due task, in
// the grid's order. It owns the on/off switch of its timer (Timer1): whatever holds or
// walks the current record, the watch's own walk included, holds a Pause meanwhile, and
// nothing else switches that timer.
//
// A tick with nothing due is one comparison with the earliest reminder still awaited,
// which is worked out again only after the table changed; the cursor and the views are
// left alone then. When something is due, the cursor moves to each due task in turn while
// its dialog is open, and goes back to where it was after the walk.
//
// Each tick also shows what another instance of the program has written to the file since
// the rows were read (a cheap check of the file's data version while nothing changed), the
// current task kept: paused, the watch also leaves the rows alone while a command or a
// dialog holds the current record.
//
// Each dialog has the desktop's notification beside it for as long as it is open, and the
// main window asks for attention while the program is not the active one.
class ReminderWatch final : public QObject {
    Q_OBJECT
public:
    // The watch is off while a pause lives, and on again once the last one has ended,
    // however its holder ends (a failure included).
    class Pause final {
    public:
        explicit Pause(ReminderWatch& watch);
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        ReminderWatch& m_watch;
    };

    explicit ReminderWatch(QObject* parent);

    // The watch works on this table and shows this dialog from now on (their owner binds
    // them once both exist; until then a tick does nothing).
    void bind(TTable* table, TForm_Remainder* dialog);

    // The tick: one walk over the due tasks. A failure is reported, once while it lasts,
    // and the watch comes back on, so reminders never stop for good.
    void Timer1Timer();
    // Shows the reminder dialog on the current task, the main window brought forward
    // first, and its notification beside it, and waits until the dialog closes.
    void remind();

signals:
    // A due task's dialog is about to show: the main window comes forward.
    void aboutToRemind();
    // The user asked for the reminder from its notification: the main window comes forward,
    // then the dialog.
    void forwardRequested();
    // The local date has changed since the last tick: today's and yesterday's rows change
    // colour.
    void dayChanged();

private:
    void walk();
    void followOtherInstances();
    bool anyDueBy(const QDateTime& now);
    void noticeDay(const QDate& today);
    void bringDialogForward(const QString& activationToken);

    Timer* m_timer;
    int m_pauses = 0;
    ReminderNotice* m_notice;
    TTable* m_table = nullptr;
    TForm_Remainder* m_dialog = nullptr;
    // The earliest reminder still awaited, while the table has not changed since.
    QDateTime m_earliest;
    bool m_earliestKnown = false;
    QDate m_day;
    // The failure reported last; cleared by a tick that goes through.
    QString m_failure;
};
