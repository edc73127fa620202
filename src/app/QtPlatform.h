#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QApplication;

// Which of Qt's window-system platforms the program runs on. In a Wayland session that also
// offers an X server (Xwayland), the program takes X11: there its windows are placed where
// it puts them and the reminder dialog stays on top, neither of which a Wayland client may
// do. A platform the user has chosen (QT_QPA_PLATFORM) always stands.
namespace QtPlatform {

// What the choice depends on: the variables of the same names.
struct Environment {
    QString sessionType;    // XDG_SESSION_TYPE
    QString display;        // DISPLAY
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString chosen;         // QT_QPA_PLATFORM

    static Environment current();
};

// The platforms to ask Qt for, in the order to try them; empty when Qt's own choice stands.
QByteArray choose(const Environment& environment);

// The application, made on the platform chosen for this environment. The choice reaches Qt
// through QT_QPA_PLATFORM only while the application is made, so that the programs this
// one starts (the browser the About window's link opens) choose for themselves.
std::unique_ptr<QApplication> makeApplication(int& argc, char** argv);

} // namespace QtPlatform
