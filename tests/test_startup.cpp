#include "Fixtures.h"
#include "TextFit.h"
#include "app/Instances.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "editor/TForm_Edit.h"
#include "main_window/TForm_Main.h"
#include "reminders/TForm_Remainder.h"
#include "store/Schema.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Appearance.h"
#include "toolkit/Error.h"
#include "toolkit/UserLocale.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QMenu>
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

} // namespace

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
    }

    void cleanup() {
        Instances::destroy();
        UserLocale::reset();
        program.reset();
    }

    void firstRunWritesPathAndVersion() {
        program->insert({{QStringLiteral("Бета"), at(2026, 12, 8)},
                         {QStringLiteral("альфа"), at(2026, 12, 9)}});
        start();
        QCOMPARE(readValue("Path"), program->folder());
        QVERIFY(readValue("Path").endsWith(QDir::separator()));
        QCOMPARE(readValue("Version"), QStringLiteral("1.2.0"));
        QCOMPARE(readValue("Index"), QString());
        QCOMPARE(titles(), QStringList({"Бета", "альфа"}));
        QVERIFY(!Form_Main->CheckBox_AutoRun->isChecked());
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
        const QString folder =
            program->folder() + QStringLiteral("Мои 'планы'; \"дом\"") + QDir::separator();
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
        QVERIFY(text.startsWith(QStringLiteral(
            "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=/opt/Tarvik//Plans.mdb;"
            "Mode=Share Deny None;Extended Properties=\"\";")));
        QVERIFY(text.endsWith(QStringLiteral(";Jet OLEDB:SFP=False")));
        QCOMPARE(text.count(';'), 17);
        QVERIFY(!text.contains(QStringLiteral("; ")));
    }

    void indexRestoresTheSort() {
        UserLocale::set(QLocale(QLocale::Russian, QLocale::Russia));
        program->insert({{QStringLiteral("Бета"), at(2026, 1, 1)},
                         {QStringLiteral("альфа"), at(2026, 1, 2)},
                         {QStringLiteral("Alpha"), at(2026, 1, 3)}});
        writeValue("Index", "Plan");
        start();
        QCOMPARE(DataModule_Main->Table_Main.IndexFieldNames(), QStringLiteral("Plan"));
        QCOMPARE(titles(), QStringList({"альфа", "Бета", "Alpha"}));
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
        QVERIFY(Form_Main->CheckBox_AutoRun->isChecked());
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
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
