#include "ModalHelper.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {

const int pollMsecs = 5;

struct Record {
    QList<QPointer<QTimer>> pending;
    bool failed = false;
};

Record& record() {
    static Record instance;
    return instance;
}

void finish(QTimer* poll) {
    record().pending.removeAll(poll);
    poll->stop();
    poll->deleteLater();
}

// Notices that a dialog was hidden, also when it is shown again before the next poll (a
// reused dialog shown twice in a row).
class HideWatcher final : public QObject {
public:
    HideWatcher(QWidget* watched, QObject* parent)
        : QObject(parent) {
        if (watched)
            watched->installEventFilter(this);
    }
    bool hidden = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        hidden = hidden || event->type() == QEvent::Hide;
        return false;
    }
};

void fail(QTimer* poll, const char* why) {
    qWarning("whenModal: %s", why);
    record().failed = true;
    finish(poll);
}

} // namespace

void whenModal(std::function<void(QWidget* dialog)> action, int timeoutMsecs) {
    auto* poll = new QTimer(qApp);
    QPointer<QWidget> before = QApplication::activeModalWidget();
    const auto* closing = new HideWatcher(before, poll);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(poll, &QTimer::timeout, poll, [=]() mutable {
        // A reused dialog that was open at scheduling time counts again once it has closed.
        if (before && (closing->hidden || !before->isVisible()))
            before = nullptr;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != before && modal->isVisible()) {
            // The connection owning this lambda goes with the timer: run a copy.
            const auto run = action;
            finish(poll);
            run(modal);
        } else if (waited.hasExpired(timeoutMsecs)) {
            fail(poll, "no modal widget turned up in time");
        }
    });
    record().pending.append(poll);
    poll->start(pollMsecs);
}

bool modalHelperFailed() {
    while (!record().pending.isEmpty()) {
        QTimer* poll = record().pending.first();
        if (poll)
            fail(poll, "an action still waits for its modal widget");
        else
            record().pending.removeFirst();
    }
    const bool failed = record().failed;
    record().failed = false;
    return failed;
}

int dropModalActions() {
    int dropped = 0;
    while (!record().pending.isEmpty()) {
        if (QTimer* poll = record().pending.first()) {
            finish(poll);
            ++dropped;
        } else {
            record().pending.removeFirst();
        }
    }
    return dropped;
}

int pendingModalActions() {
    return int(record().pending.size());
}

// One key per character: a character beyond the first plane (an emoji) arrives as one
// key whose text is its surrogate pair, as a keyboard or an input method sends it.
void typeText(QWidget* widget, const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        if (c == U'\n')
            QTest::keyClick(widget, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                                Qt::NoModifier);
    }
}
