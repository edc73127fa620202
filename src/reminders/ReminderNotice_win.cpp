#include "reminders/ReminderNotice.h"

#include <QApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {

// The program's tray icon, wherever the window that owns it keeps it.
QSystemTrayIcon* programTrayIcon() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* icon = window->findChild<QSystemTrayIcon*>())
            return icon;
    }
    return nullptr;
}

// The tray icon's balloon. The shell shows one balloon per icon, so a new one replaces the
// last; how long it stays is the shell's setting (it then waits in the action centre).
class BalloonNotice final : public ReminderNotice {
public:
    using ReminderNotice::ReminderNotice;

    void show(const Content& content) override {
        QSystemTrayIcon* icon = trayIcon();
        if (!icon || !icon->isVisible())
            return;
        m_shown = true;
        icon->showMessage(content.title, content.body(), QApplication::windowIcon());
    }

    // The shell takes a balloon away when the icon's balloon text is set empty.
    void withdraw() override {
        if (!m_shown)
            return;
        m_shown = false;
        if (m_icon && m_icon->isVisible())
            m_icon->showMessage(QString(), QString(), QSystemTrayIcon::NoIcon);
    }

private:
    QSystemTrayIcon* trayIcon() {
        if (!m_icon) {
            m_icon = programTrayIcon();
            if (m_icon) {
                // A click on the balloon: the shell gives no activation token.
                connect(m_icon, &QSystemTrayIcon::messageClicked, this, [this] {
                    if (m_shown)
                        emit activated(QString());
                });
            }
        }
        return m_icon;
    }

    QPointer<QSystemTrayIcon> m_icon;
    bool m_shown = false;
};

} // namespace

ReminderNotice* ReminderNotice::create(QObject* parent) {
    return new BalloonNotice(parent);
}
