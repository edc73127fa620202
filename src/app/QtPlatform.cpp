#include "app/QtPlatform.h"

#include <QApplication>

namespace QtPlatform {

Environment Environment::current() {
    return {qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariable("DISPLAY"),
            qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("QT_QPA_PLATFORM")};
}

QByteArray choose(const Environment& environment) {
    if (!environment.chosen.isEmpty() || environment.display.isEmpty())
        return {};
    const bool wayland = environment.sessionType == QLatin1String("wayland") ||
                         !environment.waylandDisplay.isEmpty();
    // Wayland stays the fallback, should the X server not answer.
    return wayland ? QByteArrayLiteral("xcb;wayland") : QByteArray();
}

std::unique_ptr<QApplication> makeApplication(int& argc, char** argv) {
    const QByteArray platform = choose(Environment::current());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    auto application = std::make_unique<QApplication>(argc, argv);
    if (!platform.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    return application;
}

} // namespace QtPlatform
