#include "about/TForm_Welcome.h"

#include "about/AboutParts.h"
#include "toolkit/Appearance.h"
#include "toolkit/WindowPlacement.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QWindow>

using namespace AboutParts;

TForm_Welcome::TForm_Welcome(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(334, 146);
    Panel1 = new BevelPanel(this);
    Panel1->setGeometry(rect());
    ProgramIcon = picture(Panel1, programPicture(), QRect(8, 8, 56, 56));
    ProductName =
        label(Panel1, QStringLiteral("Программа Tarvik"), 80, 8, Appearance::font(19, true));
    Version = label(Panel1, versionText(), 219, 40, Appearance::font(15, true));
    Label3 = label(Panel1, QStringLiteral("Проект Tarvik"), 148, 120, Appearance::font(13, true));
    // The box reaches past the window's lower edge; the scaled photo does not.
    Image1 = photo(Panel1, QRect(256, 88, 71, 65));
    // The splash handles no input: the link is only shown.
    Label4 = new LinkLabel(Panel1, makerPageShortForm(), makerPageAddress(),
                           Appearance::font(11, false, QStringLiteral("MS Sans Serif")));
    Label4->move(6, 127);
    Label4->adjustSize();
    WindowPlacement::centre(this, WindowPlacement::Area::Screen);
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
