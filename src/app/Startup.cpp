#include "app/Startup.h"

#include "about/TForm_Welcome.h"
#include "app/Instances.h"
#include "app/ProgramFolder.h"
#include "main_window/TForm_Main.h"
#include "settings/Settings.h"
#include "store/PlansFile.h"
#include "store/TDataModule_Main.h"
#include "store/jet/JetFile.h"
#include "toolkit/Guarded.h"
#include "toolkit/MessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <future>

namespace Startup {

namespace {

// An Index naming no field (a hand-edited or damaged store) must not keep the program
// from ever starting: the table then opens in its stored order.
void restoreSort(const QString& sortValue) {
    const QStringList names = sortValue.split(';', Qt::SkipEmptyParts);
    if (std::all_of(names.cbegin(), names.cend(),
                    [](const QString& name) { return fieldIndex(name) >= 0; }))
        DataModule_Main->Table_Main.setIndexFieldNames(sortValue);
}

// Start-up's news that must not wait for a failure: each told once, before the main window
// is shown.
void announce(const QStringList& notices) {
    for (const QString& notice : notices)
        MessageBox::inform(nullptr, ApplicationTitle, notice);
}

QString readOnlyNotice(const TConnection& connection) {
    if (!connection.readOnly())
        return QString();
    return QStringLiteral("Файл базы данных \"%1\" открыт только для чтения: нет права записи в "
                          "файл или в его папку. Задачи показаны, но изменить их не удастся, пока "
                          "запись не будет разрешена.")
        .arg(PlansFile::shown(connection.dataSource()));
}

void restoreAutoRun() {
    const QString autorun = Settings::read(Settings::RunKey, Settings::RunValue);
    Form_Main->setAutoRun(!autorun.isEmpty());
}

// What start-up does while the splash stands: the main window's theme pictures looked up
// first, then the settings, the program folder and the version stamp, a Jet file
// converted, and the data module opened in the sort it had, its file read whole and
// checked. Nothing of it shows; it returns the notices.
QStringList prepare(const QString& executablePath) {
    TForm_Main::lookUpThemePictures();
    QStringList notices{Settings::recoverStore()};
    const Places places = findPlaces(executablePath);
    stampVersion();
    notices << JetFile::convertIfJet(databasePath(places.programFolder));
    restoreSort(places.sortValue);
    Instances::openDataModule(connectionString(places.programFolder));
    return notices;
}

// The splash stands alone for msecs, the window's thread handling no events, while a thread
// made for it prepares the rest (one of its own rather than a pool's: a new thread acts with
// the file access of the thread that makes it). Its notices, or its failure, come once the
// splash has gone.
QStringList showSplashWhilePreparing(int msecs, const QString& executablePath) {
    auto* welcome = new TForm_Welcome;
    welcome->showAndPaint();
    std::future<QStringList> preparing = std::async(std::launch::async, prepare, executablePath);
    QThread::msleep(static_cast<unsigned long>(msecs));
    welcome->hide();
    delete welcome;
    return preparing.get();
}

} // namespace

QString folderOf(const QString& executablePath) {
    const QFileInfo info(executablePath);
    const QString folder =
        info.canonicalPath().isEmpty() ? info.absolutePath() : info.canonicalPath();
    return QDir::toNativeSeparators(folder + '/');
}

Places findPlaces(const QString& executablePath) {
    for (int pass = 1;; ++pass) {
        Places places{Settings::read(Settings::TarvikKey, QStringLiteral("Path")),
                      Settings::read(Settings::TarvikKey, QStringLiteral("Index"))};
        if (places.programFolder.isEmpty() && pass == 2)
            places.programFolder = ProgramFolder::derive(executablePath);
        if (!places.programFolder.isEmpty()) {
            ProgramFolder::provide(executablePath, places.programFolder);
            return places;
        }
        Settings::write(Settings::TarvikKey, QStringLiteral("Path"),
                        ProgramFolder::derive(executablePath));
    }
}

void stampVersion() {
    if (Settings::read(Settings::TarvikKey, QStringLiteral("Version")) != Version)
        Settings::write(Settings::TarvikKey, QStringLiteral("Version"), Version);
}

QString databasePath(const QString& programFolder) {
    return programFolder + QDir::separator() + QStringLiteral("Plans.mdb");
}

QString connectionString(const QString& programFolder) {
    static const char* const parameters =
        ";Mode=Share Deny None;Extended Properties=\"\";Jet OLEDB:System database=\"\";"
        "Jet OLEDB:Registry Path=\"\";Jet OLEDB:Database Password=\"\";"
        "Jet OLEDB:Engine Type=5;Jet OLEDB:Database Locking Mode=1;"
        "Jet OLEDB:Global Partial Bulk Ops=2;Jet OLEDB:Global Bulk Transactions=1;"
        "Jet OLEDB:New Database Password=\"\";Jet OLEDB:Create System Database=False;"
        "Jet OLEDB:Encrypt Database=False;Jet OLEDB:Don't Copy Locale on Compact=False;"
        "Jet OLEDB:Compact Without Replica Repair=False;Jet OLEDB:SFP=False";
    // Quoted, so that no folder name, however it is spelt, can end the value early.
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=") +
           TConnection::quoted(databasePath(programFolder)) + QString::fromLatin1(parameters);
}

void start(const Options& options) {
    Instances::createDataModule();
    QStringList notices = showSplashWhilePreparing(options.splashMsecs, options.executablePath);
    ErrorReport::setCaption(ApplicationTitle);
    Instances::createMainWindow();
    Form_Main->setExecutablePath(options.executablePath);
    notices << readOnlyNotice(DataModule_Main->Connection);
    restoreAutoRun();
    Instances::createDialogs();
    notices.removeAll(QString());
    announce(notices);
}

void showMainWindow() {
    Form_Main->show();
}

} // namespace Startup
