#include "toolkit/Clicks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {

class ClickFilter final : public QObject {
public:
    ClickFilter(QWidget* widget, std::function<void()> handler)
        : QObject(widget)
        , m_widget(widget)
        , m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::MouseButtonRelease && !m_passing) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                m_widget->rect().contains(mouse->position().toPoint())) {
                // The widget handles the release first: a line edit may drop its selection
                // there, which would undo what the handler selects.
                m_passing = true;
                QCoreApplication::sendEvent(m_widget, event);
                m_passing = false;
                m_handler();
                return true;
            }
        }
        return false;
    }

private:
    QWidget* m_widget;
    std::function<void()> m_handler;
    bool m_passing = false;
};

} // namespace

void onClick(QWidget* widget, std::function<void()> handler) {
    widget->installEventFilter(new ClickFilter(widget, std::move(handler)));
}
