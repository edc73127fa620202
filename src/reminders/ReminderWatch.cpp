#include "reminders/ReminderWatch.h"

#include "reminders/ReminderNotice.h"
#include "reminders/TForm_Remainder.h"
#include "store/TTable.h"
#include "toolkit/Clock.h"
#include "toolkit/Guarded.h"
#include "toolkit/Timer.h"

#include <QApplication>

namespace {

// While a reminder dialog is open and the program is not the active one, the window that
// owns the dialog (the main window) asks for attention: the window manager's urgency hint.
// It stops by itself once that window is active.
class Attention final {
public:
    explicit Attention(QWidget* dialog)
        : m_window(dialog->parentWidget() ? dialog->parentWidget() : dialog) {
        ask(QGuiApplication::applicationState());
        m_asking = QObject::connect(qApp, &QGuiApplication::applicationStateChanged, m_window,
                                    [this](Qt::ApplicationState state) { ask(state); });
    }
    ~Attention() { QObject::disconnect(m_asking); }
    Attention(const Attention&) = delete;
    Attention& operator=(const Attention&) = delete;

private:
    void ask(Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            QApplication::alert(m_window);
    }

    QWidget* m_window;
    QMetaObject::Connection m_asking;
};

} // namespace

ReminderWatch::Pause::Pause(ReminderWatch& watch)
    : m_watch(watch) {
    if (m_watch.m_pauses++ == 0)
        m_watch.m_timer->setEnabled(false);
}

ReminderWatch::Pause::~Pause() {
    if (--m_watch.m_pauses == 0)
        m_watch.m_timer->setEnabled(true);
}

ReminderWatch::ReminderWatch(QObject* parent)
    : QObject(parent)
    , m_timer(new Timer(1000, true, this))
    , m_notice(ReminderNotice::create(this))
    , m_day(Clock::now().date()) {
    m_timer->setObjectName(QStringLiteral("Timer1"));
    connect(m_timer, &Timer::timeout, this, &ReminderWatch::Timer1Timer);
    connect(m_notice, &ReminderNotice::activated, this, &ReminderWatch::bringDialogForward);
}

void ReminderWatch::bind(TTable* table, TForm_Remainder* dialog) {
    m_table = table;
    m_dialog = dialog;
    m_earliestKnown = false;
    const auto forget = [this] { m_earliestKnown = false; };
    connect(table, &TTable::rowsChanged, this, forget);
}

// Reported after the failed walk has unwound, then the watch goes on; a failure that
// stays (a locked file) is reported once, not once a second.
void ReminderWatch::Timer1Timer() {
    const std::optional<QString> failure = ErrorReport::failureOf([this] { walk(); });
    if (!failure) {
        m_failure.clear();
        return;
    }
    if (*failure != m_failure) {
        m_failure = *failure;
        ErrorReport::show(*failure);
    }
}

// Positions are those of the current order; the count is fixed when the walk starts, and
// the time is read again after each dialog, so a task that fell due meanwhile further on
// is still shown in this walk.
void ReminderWatch::walk() {
    const QDateTime now = Clock::now();
    noticeDay(now.date());
    if (!m_table)
        return;
    followOtherInstances();
    if (!anyDueBy(now))
        return;
    const int count = m_table->RecordCount();
    const int before = m_table->RecNo();
    {
        const Pause walking(*this);
        for (int position = m_table->nextDue(1, count, now); position > 0;
             position = m_table->nextDue(position + 1, count, Clock::now())) {
            m_table->setRecNo(position);
            remind();
        }
    }
    m_table->setRecNo(before);
}

// Not while a dialog or a menu is up, even one the watch does not pause for (an error
// report, the popup menu): what it shows was made from the rows as they are, and what is
// chosen in it acts on the current task. The table itself leaves a record being edited.
void ReminderWatch::followOtherInstances() {
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    m_table->followFile();
}

bool ReminderWatch::anyDueBy(const QDateTime& now) {
    if (!m_earliestKnown) {
        m_earliest = m_table->earliestReminder();
        m_earliestKnown = true;
    }
    return m_earliest.isValid() && m_earliest <= now;
}

// The notification says what the dialog says, and goes when the dialog closes, however it
// closes.
void ReminderWatch::remind() {
    m_dialog->prepareForCurrentTask();
    emit aboutToRemind();
    m_notice->show(ReminderNotice::Content::of(
        m_table->Fields(F_ID).AsVariant().toLongLong(), m_table->Fields(F_Plan).AsString(),
        m_dialog->windowTitle(), m_table->Fields(F_Comments).AsString()));
    const Attention attention(m_dialog);
    m_dialog->ShowModal();
    m_notice->withdraw();
}

// The main window first, so that the dialog it owns ends up above it. The desktop's token
// is for the dialog's activation: Qt's Wayland platform takes it from XDG_ACTIVATION_TOKEN
// for the next window it activates.
void ReminderWatch::bringDialogForward(const QString& activationToken) {
    if (!m_dialog || !m_dialog->isVisible())
        return;
    emit forwardRequested();
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    m_dialog->raise();
    m_dialog->activateWindow();
}

void ReminderWatch::noticeDay(const QDate& today) {
    if (today == m_day)
        return;
    m_day = today;
    emit dayChanged();
}
