#include "Fixtures.h"
#include "TextFit.h"
#include "app/Instances.h"
#include "app/QtPlatform.h"
#include "app/Startup.h"
#include "editor/TForm_Edit.h"
#include "main_window/TForm_Main.h"
#include "reminders/TForm_Remainder.h"
#include "settings/Settings.h"
#include "store/Schema.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Appearance.h"
#include "toolkit/Error.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UserLocale.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QMenu>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QString readValue(const QString& name) {
    return Settings::read(Settings::TarvikKey, name);
}

void writeValue(const QString& name, const QString& value) {
    Settings::write(Settings::TarvikKey, name, value);
}

// Menus and tooltips size themselves to their texts.
bool sizesItself(const QWidget* window) {
    return qobject_cast<const QMenu*>(window) || window->inherits("QTipLabel");
}

// Checks each window as it is shown: the splash is gone again before start-up returns.
class ShownWindows final : public QObject {
public:
    QStringList misfits;
    QStringList seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget && widget->isWindow() && !sizesItself(widget)) {
            seen << widget->metaObject()->className();
            misfits << misfitsIn(widget);
        }
        return false;
    }
};

// How a damaged settings store lies where the program looks for it.
enum class Shape { File, Folder, FolderWithFile, Link, Fifo, NoRead, NoWrite, LockedFolder };
// What start-up makes of it.
enum class Outcome {
    Quiet,     // nothing worth a word: fresh settings in its place
    Replaced,  // moved aside, fresh settings written, said once
    Carried,   // moved aside, its values carried into a fresh file, said once
    LeftAlone, // cannot be moved: left in place for the run, said
};

// A sound store as the program writes it; the test puts its program folder in for @.
const QByteArray soundStore = "[Software]\nTarvik\\Index=Plan\nTarvik\\Path=@\n";

QByteArray randomBytes(int size) {
    QRandomGenerator random(7);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

void makeStore(Shape shape, const QByteArray& content) {
    const QString path = Settings::storePath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    switch (shape) {
    case Shape::Folder:
        QVERIFY(QDir().mkpath(path));
        break;
    case Shape::FolderWithFile:
        QVERIFY(QDir().mkpath(path));
        writeFile(path + QStringLiteral("/kept"), content);
        break;
    case Shape::Link:
        QVERIFY(QFile::link(path + QStringLiteral(".nowhere"), path));
        break;
    case Shape::Fifo:
        if (!makeFifo(path))
            QSKIP(NoSpecialFiles);
        break;
    default:
        writeFile(path, content);
    }
}

// What stands where the store was: its bytes, or what kind of thing it is.
QByteArray snapshotOf(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink())
        return "link to " + info.symLinkTarget().toUtf8();
    if (!info.isFile() && !info.isDir())
        return "not a file";
    return contentOf(path);
}

} // namespace

Q_DECLARE_METATYPE(Shape)
Q_DECLARE_METATYPE(Outcome)

class StartupTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempProgram> program;
    QString executable;

    void start() { Startup::start({executable, 0}); }
    QStringList titles() {
        QStringList result;
        TTable& table = DataModule_Main->Table_Main;
        for (int row = 0; row < table.RecordCount(); ++row)
            result << table.valueAt(row, F_Plan).toString();
        return result;
    }

private slots:
    // As the program does before it makes any window.
    void initTestCase() { Appearance::install(); }

    void init() {
        program = std::make_unique<TempProgram>();
        executable = program->folder() + QStringLiteral("Quenlor");
        QFile exe(executable);
        QVERIFY(exe.open(QIODevice::WriteOnly));
        MessageBox::setTestMode(true);
    }

    void cleanup() {
        stop();
        UserLocale::reset();
        MessageBox::setTestMode(false);
        program.reset();
    }

    // All that start-up made goes again, as at the end of a run.
    void stop() { Instances::destroy(); }

    void firstRunWritesPathAndVersion() {
        program->insert({{QStringLiteral("Бета"), at(2026, 12, 8)},
                         {QStringLiteral("альфа"), at(2026, 12, 9)}});
        start();
        QCOMPARE(readValue("Path"), program->folder());
        QVERIFY(readValue("Path").endsWith(QDir::separator()));
        QCOMPARE(readValue("Version"), QStringLiteral("1.2.0"));
        QCOMPARE(readValue("Index"), QString());
        QCOMPARE(titles(), QStringList({"Бета", "альфа"}));
        QVERIFY(!Form_Main->findChild<QCheckBox*>("CheckBox_AutoRun")->isChecked());
        QCOMPARE(Settings::read(Settings::RunKey, Settings::RunValue), QString());
        QVERIFY(Form_Main->isHidden());
        // The dialogs are the main window's own.
        QCOMPARE(Form_Edit->parentWidget(), Form_Main);
        QCOMPARE(Form_Remainder->parentWidget(), Form_Main);
        QVERIFY(Form_Edit->isHidden() && Form_Remainder->isHidden());
    }

    // Where the system lacks "Comic Sans MS", the windows get a face with Cyrillic letters.
    void theWindowFaceHasCyrillicLetters() {
        const QString family = QFontInfo(QFont(QStringLiteral("Comic Sans MS"))).family();
        QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Cyrillic),
                 qPrintable(family));
    }

    // Every window start-up makes, the splash included, at the layout's sizes: each
    // caption, label, check-box text, group title, column title and shown date fits.
    void everyTextFitsItsControl() {
        program->insert({{QStringLiteral("Задача"), at(2026, 12, 28)}});
        ShownWindows shown;
        qApp->installEventFilter(&shown);
        start();
        Startup::showMainWindow();
        qApp->removeEventFilter(&shown);
        QVERIFY2(shown.seen.size() >= 2, qPrintable(shown.seen.join(", ")));
        QStringList misfits = shown.misfits;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (!sizesItself(window))
                misfits << misfitsIn(window);
        misfits.removeDuplicates();
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join('\n')));
    }

    // The Windows version record is made from the same version as the stamp.
    void versionRecordCarriesTheVersion() {
        QFile record(QStringLiteral(TARVIK_VERSION_RECORD));
        QVERIFY(record.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromUtf8(record.readAll());
        for (const char* line :
             {"FILEVERSION 1,2,0,0", "PRODUCTVERSION 1,2,0,0",
              "VALUE \"FileVersion\", \"1.2.0.0\\0\"", "VALUE \"ProductVersion\", \"1.2.0\\0\"",
              "VALUE \"ProductName\", \"Tarvik\\0\"",
              "VALUE \"Comments\", \"Tarvik. Планировщик задач.\\0\"", "BLOCK \"041904E3\"",
              "VALUE \"Translation\", 0x0419, 1251"})
            QVERIFY2(text.contains(QString::fromUtf8(line)), line);
        QCOMPARE(Startup::Version, QStringLiteral("1.2.0"));
    }

    void versionIsRewrittenUnlessExact() {
        for (const QString& stored :
             {QStringLiteral("1.1.0"), QStringLiteral("1.2.0 "), QString()}) {
            writeValue("Version", stored);
            Startup::stampVersion();
            QCOMPARE(readValue("Version"), QStringLiteral("1.2.0"));
        }
    }

    void pathNamingAnotherFolderOpensThatDatabase() {
        TempProgram other;
        other.insert({{QStringLiteral("чужая задача"), at(2026, 1, 1)}});
        program->insert({{QStringLiteral("своя задача"), at(2026, 1, 1)}});
        writeValue("Path", other.folder());
        start();
        QCOMPARE(titles(), QStringList({"чужая задача"}));
    }

    void pathWithoutTrailingSeparatorNamesTheSameFile() {
        program->insert({{QStringLiteral("задача"), at(2026, 1, 1)}});
        QString folder = program->folder();
        folder.chop(1);
        writeValue("Path", folder);
        start();
        QCOMPARE(DataModule_Main->Connection.dataSource(), program->databasePath());
        QCOMPARE(titles(), QStringList({"задача"}));
    }

    void folderWithCyrillicQuotesAndSemicolons() {
        // Windows allows no double quote in a name.
        const QString name = nameAllowed(QStringLiteral("\""))
                                 ? QStringLiteral("Мои 'планы'; \"дом\"")
                                 : QStringLiteral("Мои 'планы'; «дом»");
        const QString folder = program->folder() + name + QDir::separator();
        QVERIFY(QDir().mkpath(folder));
        Schema::createDatabase(folder + QStringLiteral("Plans.mdb"));
        writeValue("Path", folder);
        start();
        QCOMPARE(readValue("Path"), folder);
        QCOMPARE(DataModule_Main->Connection.dataSource(),
                 folder + QDir::separator() + "Plans.mdb");
        QCOMPARE(DataModule_Main->Table_Main.RecordCount(), 0);
    }

    void connectionStringIsBuiltPieceByPiece() {
        const QString text = Startup::connectionString(QStringLiteral("/opt/Tarvik/"));
        const QString file = QStringLiteral("/opt/Tarvik/") + QDir::separator() + "Plans.mdb";
        QVERIFY(text.startsWith(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=\"") + file +
            QStringLiteral("\";Mode=Share Deny None;Extended Properties=\"\";")));
        QVERIFY(text.endsWith(QStringLiteral(";Jet OLEDB:SFP=False")));
        QVERIFY(!text.contains(QStringLiteral("; ")));
        TConnection connection;
        connection.setConnectionString(text);
        QCOMPARE(connection.dataSource(), file);
    }

    // Any name a folder may have opens the Plans.mdb in that folder, not one beside it
    // that a part of the name happens to spell.
    void everyFolderNameOpensItsOwnFile_data() {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"Backup;Data Source=old", "Backup;Data Source=\"old\"", "x;Mode=Share Exclusive",
              "p;Password=secret", "p;Jet OLEDB:Database Password=1", "a\"b", "\"quoted\"", "\"",
              "trailing;", ";leading", "a;;b=c", " spaced out ", "Мои задачи; «дом»", "'single'",
              "=", "end\";Mode=x;\"", "100% #1?", "a%20b"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }

    void everyFolderNameOpensItsOwnFile() {
        QFETCH(QString, name);
        if (!nameAllowed(name))
            QSKIP("Windows allows none of \"<>:|?* in a name");
        const QString folder = program->folder() + name + QDir::separator();
        QVERIFY(QDir().mkpath(folder));
        Schema::createDatabase(folder + QStringLiteral("Plans.mdb"));
        TempProgram::insertInto(folder + QStringLiteral("Plans.mdb"), {{name, at(2026, 1, 1)}});
        // A log-keeping file is first read through SQLite's URI form of the name.
        keepWriteAheadLog(folder + QStringLiteral("Plans.mdb"));
        // The files the name's pieces would point at, were they read as keys.
        for (const QString& decoy : {QStringLiteral("Backup"), QStringLiteral("old"),
                                     QStringLiteral("p"), QStringLiteral("x")})
            if (!QFileInfo::exists(program->folder() + decoy))
                QFile::copy(program->databasePath(), program->folder() + decoy);
        program->insert({{QStringLiteral("чужая"), at(2026, 1, 1)}});
        writeValue("Path", folder);
        start();
        QCOMPARE(titles(), QStringList{name});
    }

    // A Plans.mdb this user may not write opens for reading; start-up says so once, in
    // Russian, and the tasks are there.
    void readOnlyDatabaseIsAnnouncedOnce() {
        program->insert({{QStringLiteral("задача"), at(2026, 1, 1)}});
        openToEveryone(program->folder());
        QVERIFY(
            QFile::setPermissions(program->databasePath(), QFile::ReadOwner | QFile::ReadOther));
        {
            OrdinaryUser user;
            start();
        }
        QCOMPARE(titles(), QStringList{"задача"});
        QVERIFY(DataModule_Main->Connection.readOnly());
        QCOMPARE(MessageBox::shown().size(), 1);
        const QString text = MessageBox::shown().first().text;
        QVERIFY2(text.contains(QStringLiteral("только для чтения")) &&
                     text.contains(program->databasePath()),
                 qPrintable(text));
    }

    void damagedSettingsAreKeptAndReplaced_data() {
        QTest::addColumn<Shape>("shape");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Outcome>("outcome");
        const QByteArray valid = soundStore;
        QByteArray withNul = valid;
        withNul.insert(12, '\0');
        QByteArray huge = valid;
        while (huge.size() < (3 << 20))
            huge += "Filler\\Line=" + QByteArray(100, 'x') + '\n';
        QByteArray utf16("\xff\xfe", 2);
        for (const QChar c : QString::fromUtf8(valid))
            utf16 += QByteArray(reinterpret_cast<const char*>(&c), 2);

        QTest::newRow("empty") << Shape::File << QByteArray() << Outcome::Quiet;
        QTest::newRow("binary") << Shape::File << randomBytes(3000) << Outcome::Replaced;
        QTest::newRow("zeros") << Shape::File << QByteArray(4096, '\0') << Outcome::Replaced;
        QTest::newRow("a line without '='")
            << Shape::File << QByteArray("hello") << Outcome::Replaced;
        QTest::newRow("section left open")
            << Shape::File << QByteArray("[Software\\Tarvik\nPath=/x/\n") << Outcome::Replaced;
        QTest::newRow("cut in a key")
            << Shape::File << valid.left(valid.indexOf("Path") + 2) << Outcome::Replaced;
        QTest::newRow("a NUL byte") << Shape::File << withNul << Outcome::Replaced;
        QTest::newRow("huge") << Shape::File << huge << Outcome::Replaced;
        QTest::newRow("UTF-16") << Shape::File << utf16 << Outcome::Replaced;
        QTest::newRow("Windows-1251")
            << Shape::File << QByteArray("[Software]\nTarvik\\Path=/\xcc\xee\xe8/\n")
            << Outcome::Replaced;
        QTest::newRow("a folder") << Shape::Folder << QByteArray() << Outcome::Replaced;
        QTest::newRow("a folder with a file")
            << Shape::FolderWithFile << valid << Outcome::Replaced;
        QTest::newRow("a link to nothing") << Shape::Link << QByteArray() << Outcome::Replaced;
        QTest::newRow("a pipe") << Shape::Fifo << QByteArray() << Outcome::Replaced;
        QTest::newRow("no read permission") << Shape::NoRead << valid << Outcome::Replaced;
        QTest::newRow("no write permission") << Shape::NoWrite << valid << Outcome::Carried;
        QTest::newRow("folder locked, sound file")
            << Shape::LockedFolder << valid << Outcome::LeftAlone;
        QTest::newRow("folder locked, binary")
            << Shape::LockedFolder << randomBytes(3000) << Outcome::LeftAlone;
    }

    // Settings the program cannot read or write never keep it from starting. The file is
    // kept byte for byte (beside, under another name, or where it was when it cannot be
    // moved), fresh settings are written, and the user hears of it once.
    void damagedSettingsAreKeptAndReplaced() {
        QFETCH(Shape, shape);
        QFETCH(QByteArray, content);
        QFETCH(Outcome, outcome);
        if (!SettingsFile)
            QSKIP(NoSettingsFile);
        program->insert({{QStringLiteral("своя"), at(2026, 1, 1)}});
        const bool sound = content == soundStore;
        if (sound)
            content.replace('@', program->folder().toUtf8());
        makeStore(shape, content);
        const QString path = Settings::storePath();
        const QString storeFolder = QFileInfo(path).absolutePath();
        const QByteArray before = snapshotOf(path);
        openToEveryone(program->folder());
        if (shape == Shape::NoRead || shape == Shape::NoWrite)
            QVERIFY(QFile::setPermissions(path, shape == Shape::NoRead ? QFile::Permissions()
                                                                       : QFile::ReadOther));
        if (shape == Shape::LockedFolder)
            QVERIFY(QFile::setPermissions(storeFolder, QFile::ReadOther | QFile::ExeOther));
        {
            OrdinaryUser user;
            start();
        }
        openToEveryone(program->folder());
        QCOMPARE(titles(), QStringList{"своя"});
        const QStringList aside =
            QDir(storeFolder).entryList({"registry.ini.un*"}, QDir::AllEntries | QDir::System);
        QCOMPARE(aside.size(), outcome == Outcome::Replaced || outcome == Outcome::Carried ? 1 : 0);
        if (outcome != Outcome::Quiet)
            QCOMPARE(snapshotOf(aside.isEmpty() ? path : storeFolder + '/' + aside.first()),
                     before);
        QCOMPARE(MessageBox::shown().size(), outcome == Outcome::Quiet ? 0 : 1);
        if (outcome != Outcome::Quiet)
            QVERIFY2(MessageBox::shown().first().text.contains(path),
                     qPrintable(MessageBox::shown().first().text));
        // The values of a sound file that could not be written are still in use.
        const bool valuesRead =
            sound && (outcome == Outcome::Carried || outcome == Outcome::LeftAlone);
        QCOMPARE(DataModule_Main->Table_Main.IndexFieldNames(),
                 valuesRead ? QStringLiteral("Plan") : QString());
        if (outcome == Outcome::LeftAlone)
            return;
        QCOMPARE(readValue("Path"), program->folder());
        QCOMPARE(readValue("Version"), Startup::Version);
        // Said once: the next start finds sound settings.
        stop();
        MessageBox::clearShown();
        start();
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void indexRestoresTheSort() {
        UserLocale::set(QLocale(QLocale::Russian, QLocale::Russia));
        program->insert({{QStringLiteral("Бета"), at(2026, 1, 1)},
                         {QStringLiteral("альфа"), at(2026, 1, 2)},
                         {QStringLiteral("Alpha"), at(2026, 1, 3)}});
        writeValue("Index", "Plan");
        start();
        QCOMPARE(DataModule_Main->Table_Main.IndexFieldNames(), QStringLiteral("Plan"));
        QCOMPARE(titles(), cyrillicAndLatin({"альфа", "Бета"}, {"Alpha"}));
    }

    void damagedIndexOpensInStoredOrder() {
        program->insert(
            {{QStringLiteral("Бета"), at(2026, 1, 1)}, {QStringLiteral("альфа"), at(2026, 1, 2)}});
        writeValue("Index", "Priority");
        start();
        QCOMPARE(DataModule_Main->Table_Main.IndexFieldNames(), QString());
        QCOMPARE(titles(), QStringList({"Бета", "альфа"}));
    }

    void autorunValueTicksTheBox() {
        Settings::write(Settings::RunKey, Settings::RunValue, QStringLiteral("/old/place/Quenlor"));
        start();
        QVERIFY(Form_Main->findChild<QCheckBox*>("CheckBox_AutoRun")->isChecked());
        QCOMPARE(Settings::read(Settings::RunKey, Settings::RunValue), executable);
        QVERIFY(Form_About != nullptr);
    }

    void missingDatabaseFailsWithoutCreatingIt() {
        QVERIFY(QFile::remove(program->databasePath()));
        try {
            start();
            QFAIL("start-up went on without a database");
        } catch (const TarvikError& error) {
            QVERIFY2(error.text().contains(program->folder()) && error.text().contains("Plans.mdb"),
                     qPrintable(error.text()));
        }
        QVERIFY(!QFile::exists(program->databasePath()));
        QVERIFY(Form_Main == nullptr || !Form_Main->isVisible());
    }

    void damagedDatabaseFailsAndIsLeftAlone_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not a database")
            << QByteArray("these are not the tasks you are looking for");
        QTest::newRow("empty file") << QByteArray();
    }

    void damagedDatabaseFailsAndIsLeftAlone() {
        QFETCH(QByteArray, content);
        QFile file(program->databasePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        QVERIFY_THROWS_EXCEPTION(TarvikError, start());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }

    // XDG_SESSION_TYPE, DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM: the platforms asked for.
    void platformFollowsTheSession() {
        const QList<std::pair<QtPlatform::Environment, QByteArray>> cases = {
            {{"x11", ":0", "", ""}, ""},
            {{"wayland", ":0", "wayland-0", ""}, "xcb;wayland"},
            {{"", ":1", "wayland-1", ""}, "xcb;wayland"},
            {{"wayland", ":0", "", ""}, "xcb;wayland"},
            {{"wayland", "", "wayland-0", ""}, ""},
            {{"wayland", ":0", "wayland-0", "wayland"}, ""},
            {{"tty", "", "", ""}, ""}};
        for (const auto& [environment, platform] : cases)
            QCOMPARE(QtPlatform::choose(environment), platform);
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
