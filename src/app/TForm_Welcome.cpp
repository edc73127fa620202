#include "app/TForm_Welcome.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QWindow>

namespace {

QLabel* boldLabel(const QString& text, int pixelHeight, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPixelSize(pixelHeight);
    font.setBold(true);
    label->setFont(font);
    label->adjustSize();
    return label;
}

} // namespace

TForm_Welcome::TForm_Welcome(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(334, 146);
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(rect());
    boldLabel(QStringLiteral("Программа Tarvik"), 19, panel)->move(80, 8);
    boldLabel(QStringLiteral("Версия 1.2.0"), 15, panel)->move(219, 40);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

// A window system maps a new window a little later; the splash is painted once it is on
// screen, for no events are handled during the pause that follows.
void TForm_Welcome::showAndPaint() {
    show();
    QDeadlineTimer mapped(500);
    while (!(windowHandle() && windowHandle()->isExposed()) && !mapped.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    repaint();
    QApplication::processEvents();
}
