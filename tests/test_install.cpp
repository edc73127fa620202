// The installed copy: what cmake --install puts under a prefix, and where the installed
// program keeps its tasks.
#include "Fixtures.h"
#include "app/Instances.h"
#include "app/ProgramFolder.h"
#include "settings/Settings.h"
#include "app/Startup.h"
#include "store/TDataModule_Main.h"
#include "toolkit/InstalledLayout.h"
#include "toolkit/MessageBox.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QtTest>

namespace {

const QString id = InstalledLayout::ApplicationId;

QString installed(const QString& relative) {
    return QStringLiteral(TARVIK_INSTALLED_PREFIX "/") + relative;
}

QString readValue(const QString& name) {
    return Settings::read(Settings::TarvikKey, name);
}

// The one task the program shows.
QString onlyTitle() {
    const TTable& table = DataModule_Main->Table_Main;
    return table.RecordCount() == 1 ? table.valueAt(0, F_Plan).toString() : QString();
}

} // namespace

class InstallTest : public QObject {
    Q_OBJECT

private:
    const QString executable = installed(QStringLiteral("bin/Quenlor"));
    std::unique_ptr<TempProgram> program; // the settings store, and a portable copy's folder
    std::unique_ptr<QTemporaryDir> dataHome;

    QString dataFolder() const { return dataHome->path() + QStringLiteral("/Tarvik/"); }

private slots:
    void init() {
        program = std::make_unique<TempProgram>();
        dataHome = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", dataHome->path().toUtf8());
        MessageBox::setTestMode(true);
    }

    void cleanup() {
        Instances::destroy();
        MessageBox::setTestMode(false);
        qunsetenv("XDG_DATA_HOME");
        dataHome.reset();
        program.reset();
    }

    void everyFileIsInstalled() {
        QVERIFY(QFileInfo(executable).isExecutable());
        for (const QString& file :
             {"share/applications/" + id + ".desktop", "share/metainfo/" + id + ".metainfo.xml",
              "share/icons/hicolor/scalable/apps/" + id + ".svg",
              QStringLiteral("share/doc/tarvik/copyright"),
              QStringLiteral("share/doc/tarvik/changelog.gz"),
              QStringLiteral("share/man/man1/Quenlor.1.gz")})
            QVERIFY2(QFileInfo::exists(installed(file)), qPrintable(file));
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QString icon = QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size);
            QCOMPARE(QImage(installed(icon.arg(id))).size(), QSize(size, size));
        }
        // The About window's link opens the installed README.
        QCOMPARE(InstalledLayout::readmePath(executable),
                 installed(QStringLiteral("share/doc/tarvik/README.md")));
        QVERIFY(QFileInfo::exists(InstalledLayout::readmePath(executable)));
    }

    // Known by the layout, not by the folder being writable (this one is).
    void aBinFolderIsAnInstallationOnlyWithOurDesktopEntry() {
        QDir root(program->folder());
        QVERIFY(root.mkpath(QStringLiteral("bin")) &&
                root.mkpath(QStringLiteral("share/applications")));
        const QString copy = root.filePath(QStringLiteral("bin/Quenlor"));
        QVERIFY(QFile(copy).open(QIODevice::WriteOnly));
        QCOMPARE(ProgramFolder::derive(copy), program->folder() + QStringLiteral("bin/"));
        QFile entry(root.filePath("share/applications/" + id + ".desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        QCOMPARE(ProgramFolder::derive(copy), dataFolder());
    }

    // The installed executable as a user starts it: it makes the data folder, closed to
    // others, with an empty Plans.mdb, and remembers it as Path; the next start finds a task
    // added there.
    void firstStartMakesTheDataFolder() {
        QProcess quenlor;
        quenlor.start(executable, {});
        QVERIFY(quenlor.waitForStarted());
        // Version is stamped after the folder and Plans.mdb are made.
        QTRY_VERIFY_WITH_TIMEOUT(!readValue(QStringLiteral("Version")).isEmpty(), 60000);
        quenlor.kill();
        quenlor.waitForFinished();
        QCOMPARE(readValue(QStringLiteral("Path")), dataFolder());
        QCOMPARE(QFileInfo(dataFolder()).permissions() & 0x0077, QFile::Permissions());
        TempProgram::insertInto(dataFolder() + QStringLiteral("Plans.mdb"),
                                {{QStringLiteral("Купить хлеб"), at(2026, 12, 9)}});
        Startup::start({executable, 0});
        QCOMPARE(onlyTitle(), QStringLiteral("Купить хлеб"));
    }

    // A Path naming another folder is used unchanged: nothing is made in the data folder.
    void pathNamingAnotherFolderIsKept() {
        program->insert({{QStringLiteral("Из папки программы"), at(2026, 12, 9)}});
        Settings::write(Settings::TarvikKey, QStringLiteral("Path"), program->folder());
        Startup::start({executable, 0});
        QCOMPARE(onlyTitle(), QStringLiteral("Из папки программы"));
        QVERIFY(!QFileInfo::exists(dataFolder()));
    }
};

QTEST_MAIN(InstallTest)
#include "test_install.moc"
