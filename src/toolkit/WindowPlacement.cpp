#include "toolkit/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

QMargins frameOf(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

bool framed(const QWidget* window) {
    return !frameOf(window).isNull();
}

bool frameless(const QWidget* window) {
    return window->windowType() == Qt::SplashScreen ||
           window->windowFlags().testFlag(Qt::FramelessWindowHint);
}

// A window's position is that of its frame's top left corner.
void place(QWidget* window, WindowPlacement::Area area, const QMargins& frame) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect space =
        area == WindowPlacement::Area::Available ? screen->availableGeometry() : screen->geometry();
    const QRect outer(QPoint(0, 0), window->size().grownBy(frame));
    window->move(space.center() - outer.center());
}

// Centres the window again once the platform has framed it, which it reports as a move or
// along with the showing; then it leaves the window where the user puts it.
class FrameWatch final : public QObject {
public:
    static constexpr const char* Name = "FrameWatch";

    FrameWatch(QWidget* window, WindowPlacement::Area area)
        : QObject(window)
        , m_area(area) {
        setObjectName(Name);
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        const bool news = event->type() == QEvent::Move || event->type() == QEvent::Show;
        if (news && framed(window)) {
            window->removeEventFilter(this);
            deleteLater();
            place(window, m_area, frameOf(window));
        }
        return false;
    }

private:
    WindowPlacement::Area m_area;
};

} // namespace

void WindowPlacement::centre(QWidget* window, Area area) {
    if (framed(window) || frameless(window)) {
        place(window, area, frameOf(window));
        return;
    }
    const QWidget* opener = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    place(window, area, opener ? frameOf(opener) : QMargins());
    if (!window->findChild<QObject*>(FrameWatch::Name, Qt::FindDirectChildrenOnly))
        new FrameWatch(window, area);
}
