// The main window's life outside the task list: tray icon, close and exit in both tick
// states with and without a notification area, the first-start rule, autorun, the hint
// timer, the clock, the About button and the end of a session.
#include "ModalHelper.h"
#include "WindowSession.h"
#include "about/TForm_About.h"
#include "main_window/TaskGrid.h"
#include "main_window/TrayHost.h"
#include "settings/RunCommand.h"
#include "settings/Settings.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Timer.h"
#include "toolkit/UserLocale.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

enum Path { CloseBox, EscKey, ExitButton, ExitMenu };

void runPath(Path path) {
    switch (path) {
    case CloseBox:
        mainWindow()->close();
        break;
    case EscKey:
        QTest::keyClick(grid(), Qt::Key_Escape);
        break;
    case ExitButton:
        QTest::mouseClick(part<QPushButton>("Button_Exit"), Qt::LeftButton);
        break;
    case ExitMenu:
        part<QAction>("Menu_Exit")->trigger();
        break;
    }
}

bool anyWindowVisible() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(),
                       [](const QWidget* w) { return w->isVisible(); });
}

QString firstStart() {
    return Settings::read(Settings::TarvikKey, QStringLiteral("First_Start"));
}

QSystemTrayIcon* trayIcon() {
    return part<QSystemTrayIcon>("TrayIcon");
}

QCheckBox* inTray() {
    return part<QCheckBox>("CheckBox_In_Tray");
}

QCheckBox* autoRun() {
    return part<QCheckBox>("CheckBox_AutoRun");
}

Timer* timer(const char* name) {
    return part<Timer>(name);
}

} // namespace

class TrayTest : public WindowSuite {
    Q_OBJECT

    void open() { session->openShown({{"задача", at(2026, 12, 9), {}, false, "о"}}); }

private slots:
    void init() {
        TrayHost::setKindForTest(TrayHost::DoubleClick);
        // An hour with a leading zero, for the clock.
        session = std::make_unique<WindowSession>(at(2026, 12, 8, 9, 5, 7));
    }
    void cleanup() {
        session.reset();
        TrayHost::setKindForTest(std::nullopt);
        UserLocale::reset();
        QVERIFY(!modalHelperFailed());
    }

    void closeAndExitPaths_data() {
        QTest::addColumn<int>("path");
        QTest::addColumn<bool>("tray");
        const QList<std::pair<const char*, Path>> paths = {
            {"close box", CloseBox}, {"Esc", EscKey}, {"Выход", ExitButton}, {"menu", ExitMenu}};
        for (const auto& [name, path] : paths) {
            QTest::addRow("%s, tray", name) << int(path) << true;
            QTest::addRow("%s, no tray", name) << int(path) << false;
        }
    }

    void closeAndExitPaths() {
        QFETCH(int, path);
        QFETCH(bool, tray);
        TrayHost::setKindForTest(tray ? TrayHost::DoubleClick : TrayHost::None);
        open();
        QVERIFY(inTray()->isChecked());
        QVERIFY(trayIcon()->isVisible());

        // Ticked: only hidden (with a tray) or minimised (without one); the icon stays.
        runPath(Path(path));
        QVERIFY(trayIcon()->isVisible());
        if (tray) {
            QVERIFY(mainWindow()->isHidden());
            QVERIFY(!anyWindowVisible()); // no window, no taskbar button
        } else {
            QVERIFY(mainWindow()->isVisible());
            QVERIFY(mainWindow()->isMinimized());
        }

        // Back again, unticked: the icon goes and the program ends.
        mainWindow()->bringToFront();
        QVERIFY(mainWindow()->isVisible() && !mainWindow()->isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(mainWindow()));
        inTray()->setChecked(false);
        QVERIFY(endsProgram([path] { runPath(Path(path)); }));
        QVERIFY(!trayIcon()->isVisible());
    }

    void trayIconActivation_data() {
        using R = QSystemTrayIcon;
        const int xembed = TrayHost::DoubleClick;
        const int sni = TrayHost::SingleActivation;
        dataTable<int, int, bool>({"host", "reason", "shows"},
                                  {{"XEmbed, double click", xembed, R::DoubleClick, true},
                                   {"XEmbed, single click", xembed, R::Trigger, false},
                                   {"XEmbed, right click", xembed, R::Context, false},
                                   {"SNI, activation", sni, R::Trigger, true},
                                   {"SNI, double click", sni, R::DoubleClick, true},
                                   {"SNI, middle click", sni, R::MiddleClick, false},
                                   {"SNI, context", sni, R::Context, false}});
    }

    void trayIconActivation() {
        QFETCH(int, host);
        QFETCH(int, reason);
        QFETCH(bool, shows);
        TrayHost::setKindForTest(TrayHost::Kind(host));
        open();
        part<QPushButton>("Button_Exit")->click();
        QVERIFY(mainWindow()->isHidden());
        emit trayIcon()->activated(QSystemTrayIcon::ActivationReason(reason));
        QCOMPARE(mainWindow()->isVisible(), shows);
        if (shows)
            QVERIFY(QTest::qWaitForWindowActive(mainWindow()));
    }

    void trayIconCarriesTheProgramsTip() {
        open();
        QCOMPARE(trayIcon()->toolTip(), QStringLiteral("Tarvik"));
        QVERIFY(!trayIcon()->icon().isNull());
    }

    void firstStartStaysAndWritesTheMarker() {
        open();
        QCOMPARE(timer("Timer_Form")->Interval(), 500);
        QTRY_VERIFY(!timer("Timer_Form")->Enabled());
        QCOMPARE(firstStart(), QStringLiteral("Yes"));
        QVERIFY(mainWindow()->isVisible());
    }

    void laterStartsHideHalfASecondAfterShowing_data() {
        QTest::addColumn<bool>("tray");
        QTest::newRow("tray") << true;
        QTest::newRow("no tray") << false;
    }

    void laterStartsHideHalfASecondAfterShowing() {
        QFETCH(bool, tray);
        TrayHost::setKindForTest(tray ? TrayHost::DoubleClick : TrayHost::None);
        Settings::write(Settings::TarvikKey, QStringLiteral("First_Start"), QStringLiteral("Yes"));
        session->open({}); // start-up's notices come now, in boxes with event loops of their own
        for (const char* name : {"Timer_Form", "Timer_Time", "Timer1"})
            QVERIFY(!timer(name)->Enabled());
        mainWindow()->show();
        QVERIFY(timer("Timer_Form")->Enabled() && watchOn());
        QTRY_VERIFY(!timer("Timer_Form")->Enabled());
        // Without a notification area the window stays where the user can reach it.
        QCOMPARE(mainWindow()->isHidden(), tray);
        QVERIFY(!mainWindow()->isMinimized());
        QCOMPARE(firstStart(), QStringLiteral("Yes"));
    }

    void refusedFirstStartWriteIsReportedOnce() {
        if (!SettingsFile)
            QSKIP(NoSettingsFile);
        open();
        // A folder where the settings file should be: every write is refused.
        QVERIFY(QDir().mkpath(Settings::storePath()));
        emit timer("Timer_Form")->timeout();
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(!timer("Timer_Form")->Enabled());
        QVERIFY(mainWindow()->isVisible());
    }

    void autorunTickWritesAQuotedEntryAndUntickRemovesIt() {
        open();
        const QString path = session->program().folder() + QStringLiteral("Мои программы/Quenlor");
        mainWindow()->setExecutablePath(path);
        autoRun()->setChecked(true);
        const QString native = QDir::toNativeSeparators(path);
        QCOMPARE(autostartEntry(), '"' + native + '"');
        QCOMPARE(Settings::read(Settings::RunKey, Settings::RunValue), native);
        QVERIFY(MessageBox::shown().isEmpty());
        autoRun()->setChecked(false);
        QCOMPARE(autostartEntry(), QString());
    }

    void autorunEntryThatCannotBeWrittenLeavesTheBoxAsTheEntryIs_data() {
        QTest::addColumn<QString>("older");
        QTest::newRow("no entry") << QString();
        QTest::newRow("an older entry") << QStringLiteral("/старое место/Quenlor");
    }

    // The box shows whether an entry starts the program at log-on; the report, what it starts.
    void autorunEntryThatCannotBeWrittenLeavesTheBoxAsTheEntryIs() {
        QFETCH(QString, older);
        if (!FoldersLock)
            QSKIP("the Run key cannot be made unwritable under Wine");
        open();
        if (!older.isEmpty())
            Settings::write(Settings::RunKey, Settings::RunValue, older);
        // The folder the XDG autostart file goes in, locked.
        const QString autostart = qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart";
        QDir().mkpath(autostart);
        openToEveryone(session->program().folder());
        QFile::setPermissions(autostart, QFile::ReadOther | QFile::ExeOther);
        {
            const OrdinaryUser user;
            autoRun()->setChecked(true);
        }
        QCOMPARE(autoRun()->isChecked(), !older.isEmpty());
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(
            MessageBox::shown().first().text.startsWith(QStringLiteral("Не удалось записать")) &&
                MessageBox::shown().first().text.contains(older),
            qPrintable(MessageBox::shown().first().text));
        QCOMPARE(Settings::read(Settings::RunKey, Settings::RunValue), older);
    }

    void autorunEntryThatReadsBackEmptyShowsTheMessage() {
        open();
        mainWindow()->setExecutablePath(QString());
        autoRun()->setChecked(true);
        QVERIFY(!autoRun()->isChecked());
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().caption,
                 QStringLiteral("Нет прав на запись в реестр"));
        QCOMPARE(MessageBox::shown().first().text,
                 QStringLiteral("Программе не может быть добавлена в автозапуск. Запустите ее от "
                                "имени Администратора и повторите попытку!"));
        QCOMPARE(autostartEntry(), QString());
    }

    void handWrittenEntriesReadAsPresentAndAreRewritten_data() {
        dataTable<QString, QString>(
            {"exec", "path"},
            {{"bare", "/opt/tarvik/Quenlor", "/opt/tarvik/Quenlor"},
             {"quoted, with blanks", "\"/opt/my tarvik/Quenlor\"", "/opt/my tarvik/Quenlor"},
             {"quoted, with arguments", "\"/opt/tarvik/Quenlor\" --tray -x", "/opt/tarvik/Quenlor"},
             {"bare, with arguments", "Quenlor --tray", "Quenlor --tray"},
             {"unclosed quote", "\"/opt/tarvik/Quen", "/opt/tarvik/Quen"}});
    }

    void handWrittenEntriesReadAsPresentAndAreRewritten() {
        QFETCH(QString, exec);
        QFETCH(QString, path);
        open();
        writeAutostartEntry(exec);
        QCOMPARE(Settings::read(Settings::RunKey, Settings::RunValue), path);
        mainWindow()->setExecutablePath(QStringLiteral("/usr/local/bin/Quenlor"));
        autoRun()->setChecked(true);
        QCOMPARE(Settings::read(Settings::RunKey, Settings::RunValue),
                 QDir::toNativeSeparators(QStringLiteral("/usr/local/bin/Quenlor")));
    }

    void windowsRunValueIsQuotedAndReadInBothForms() {
        QCOMPARE(RunCommand::quoted(QStringLiteral("/opt/a b/Quenlor")),
                 QDir::toNativeSeparators("\"/opt/a b/Quenlor\""));
        QCOMPARE(RunCommand::path(QStringLiteral("\"C:\\Program Files\\Tarvik\\Quenlor.exe\"")),
                 QStringLiteral("C:\\Program Files\\Tarvik\\Quenlor.exe"));
        QCOMPARE(RunCommand::path(QStringLiteral("\"C:\\Tarvik\\Quenlor.exe\" /min")),
                 QStringLiteral("C:\\Tarvik\\Quenlor.exe"));
        QCOMPARE(RunCommand::path(QStringLiteral("C:\\Tarvik\\Quenlor.exe")),
                 QStringLiteral("C:\\Tarvik\\Quenlor.exe"));
        QCOMPARE(RunCommand::path(QString()), QString());
    }

    void hintVanishesFiveSecondsAfterTheFirstOfTwoClicks() {
        open();
        // The five seconds are those of the Qt timer inside the hint's timer.
        const QTimer* period = timer("Timer_Hint")->findChild<QTimer*>();
        clickCell(0, 2);
        QCOMPARE(grid()->hint(), QStringLiteral("о"));
        QCOMPARE(timer("Timer_Hint")->Interval(), 5000);
        QTRY_VERIFY(period->isActive() && period->remainingTime() <= 5000 - 30);
        clickCell(0, 2);
        // The second click does not start the five seconds again.
        QVERIFY(period->remainingTime() <= 5000 - 30);
        emit timer("Timer_Hint")->timeout();
        QCOMPARE(grid()->hint(), QString());
        QVERIFY(!timer("Timer_Hint")->Enabled());
    }

    void clockShowsDateWithDotsAndTimeToTheMinute() {
        open();
        timer("Timer_Time")->setInterval(1);
        emit timer("Timer_Time")->timeout();
        QCOMPARE(part<QLabel>("Label_Now_Date")->text(), QStringLiteral("08.12.2026"));
        QCOMPARE(part<QLabel>("Label_Now_Time")->text(), QStringLiteral("09:05"));
        QCOMPARE(timer("Timer_Time")->Interval(), 1000);
        // The separator stands between the hour and the minute, wherever the day half is.
        UserLocale::set(QLocale(QStringLiteral("ko_KR")));
        emit timer("Timer_Time")->timeout();
        QCOMPARE(part<QLabel>("Label_Now_Time")->text(), QStringLiteral("09:05"));
    }

    void trayTickFocusesTheGrid() {
        open();
        part<QLineEdit>("EditSearch")->setFocus();
        QTest::mouseClick(inTray(), Qt::LeftButton);
        QVERIFY(!inTray()->isChecked());
        QVERIFY(grid()->hasFocus());
    }

    void aboutButtonShowsTheAboutWindowModally() {
        open();
        QWidget* shown = nullptr;
        whenModal([&](QWidget* dialog) {
            shown = dialog;
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QTest::mouseClick(part<QPushButton>("Button_About"), Qt::LeftButton);
        QCOMPARE(shown, static_cast<QWidget*>(aboutWindow()));
        QVERIFY(!aboutWindow()->isVisible());
    }

    void sessionEndEndsTheProgramDespiteTheTick() {
        open();
        // What the session manager's request to save runs.
        QVERIFY(QMetaObject::invokeMethod(mainWindow(), "ApplicationCommitData"));
        QVERIFY(endsProgram([] { mainWindow()->close(); }));
        QVERIFY(!trayIcon()->isVisible());
    }

    void closeReachingTheWindowInTheTrayEndsTheProgram() {
        open();
        part<QPushButton>("Button_Exit")->click();
        QVERIFY(mainWindow()->isHidden());
        QVERIFY(endsProgram([] { mainWindow()->close(); }));
        QVERIFY(!trayIcon()->isVisible());
    }

    void sessionManagersQuitEndsTheProgram_data() {
        QTest::addColumn<bool>("inTray");
        QTest::newRow("shown") << false;
        QTest::newRow("in the tray") << true;
    }

    void sessionManagersQuitEndsTheProgram() {
        QFETCH(bool, inTray);
        open();
        if (inTray)
            part<QPushButton>("Button_Exit")->click();
        QVERIFY(endsProgram([] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); }));
        QVERIFY(!trayIcon()->isVisible());
    }
};

QTEST_MAIN(TrayTest)
#include "test_tray.moc"
