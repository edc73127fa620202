#include "about/AboutParts.h"
#include "app/Instances.h"
#include "app/QtPlatform.h"
#include "app/Startup.h"
#include "store/jet/JetReading.h"
#include "toolkit/Appearance.h"
#include "toolkit/Clock.h"
#include "toolkit/Error.h"
#include "toolkit/MessageBox.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    // The program started again by its own conversion, to read a Jet file out of harm's way.
    if (const int helper = JetReading::serveIfAsked(); helper >= 0)
        return helper;
    Clock::settleTimeZone();
    const std::unique_ptr<QApplication> app = QtPlatform::makeApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    QApplication::setApplicationVersion(Startup::Version);
    QApplication::setWindowIcon(AboutParts::applicationIcon());
    // The program ends when Form_Main really closes, never because its last visible
    // window went (a message box closed while the main window waits in the tray).
    QApplication::setQuitOnLastWindowClosed(false);
    Appearance::install();
    // Ends the windows and then the data module when main() returns, whichever way: the
    // connection closes and leaves Plans.mdb whole with nothing beside it.
    const Instances::Lifetime instances;
    try {
        // The path as the system writes it: the Run value on Windows holds backslashes.
        Startup::start({QDir::toNativeSeparators(QApplication::applicationFilePath())});
    } catch (const TarvikError& error) {
        // A failure during start-up ends the program before the main window is shown.
        MessageBox::inform(nullptr, Startup::ApplicationTitle, error.text());
        return 1;
    }
    Startup::showMainWindow();
    return QApplication::exec();
}
