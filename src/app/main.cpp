#include "app/Startup.h"
#include "toolkit/Clock.h"
#include "toolkit/Error.h"
#include "toolkit/MessageBox.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    Clock::settleTimeZone();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    QApplication::setApplicationVersion(Startup::Version);
    try {
        Startup::start({QApplication::applicationFilePath()});
    } catch (const TarvikError& error) {
        // A failure during start-up ends the program before the main window is shown.
        MessageBox::inform(nullptr, Startup::ApplicationTitle, error.text());
        return 1;
    }
    Startup::showMainWindow();
    return QApplication::exec();
}
