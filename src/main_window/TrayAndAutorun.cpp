// The main window's life outside the task list: the tray icon, closing and exiting,
// the first-start rule, autorun, the About button and the end of a session.
#include "about/AboutParts.h"
#include "about/TForm_About.h"
#include "main_window/TForm_Main.h"
#include "main_window/TaskGrid.h"
#include "main_window/TrayHost.h"
#include "settings/Settings.h"
#include "toolkit/Error.h"
#include "toolkit/Guarded.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Timer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QPushButton>
#include <QShortcut>

namespace {

// What the log-on start entry does now, after a write to it was refused.
QString autorunEntryState(const QString& entry) {
    if (entry.isEmpty())
        return QStringLiteral("Автозапуск не настроен: программа не запускается при входе в "
                              "систему.");
    return QStringLiteral("Запись автозапуска осталась прежней: при входе в систему "
                          "запускается \"%1\".")
        .arg(entry);
}

} // namespace

void TForm_Main::FormCreate() {
    TrayIcon = new QSystemTrayIcon(AboutParts::applicationIcon(), this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->setToolTip(QStringLiteral("Tarvik"));
    TrayIcon->show();
}

void TForm_Main::connectTrayAndExit() {
    connect(Timer_Form, &Timer::timeout, this, guarded(this, &TForm_Main::Timer_FormTimer));
    connect(TrayIcon, &QSystemTrayIcon::activated, this,
            guarded(this, &TForm_Main::TrayIconActivated));
    connect(CheckBox_In_Tray, &QCheckBox::toggled, this,
            guarded(this, &TForm_Main::CheckBox_In_TrayClick));
    connect(CheckBox_AutoRun, &QCheckBox::toggled, this,
            guarded(this, &TForm_Main::CheckBox_AutoRunClick));
    connect(Button_Exit, &QPushButton::clicked, this, guarded(this, &TForm_Main::Button_ExitClick));
    connect(Menu_Exit, &QAction::triggered, this, guarded(this, &TForm_Main::Menu_ExitClick));
    connect(Button_About, &QPushButton::clicked, this,
            guarded(this, &TForm_Main::Button_AboutClick));
    // Button_Exit is the window's cancel button.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, Button_Exit,
            &QPushButton::click);
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            guarded(this, &TForm_Main::ApplicationCommitData));
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TForm_Main::removeTrayIcon);
}

void TForm_Main::setExecutablePath(const QString& path) {
    m_executablePath = path;
}

void TForm_Main::setAutoRun(bool on) {
    CheckBox_AutoRun->setChecked(on);
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    ErrorReport::run([&] { FormClose(event); });
}

void TForm_Main::FormClose(QCloseEvent* event) {
    // A close that reaches the hidden window comes from the system (log-out, shutdown), as
    // does any close once the session manager has asked the program to save: both end the
    // program at once, tick or no tick.
    const bool sessionCloses = isHidden() || m_sessionEnding;
    if (CheckBox_In_Tray->isChecked() && !sessionCloses) {
        event->ignore();
        hideToTray();
        return;
    }
    removeTrayIcon();
    event->accept();
    // Form_Main is the application's main window: its real close ends the program.
    QCoreApplication::exit(0);
}

void TForm_Main::Button_ExitClick() {
    exitCommand();
}

void TForm_Main::Menu_ExitClick() {
    exitCommand();
}

void TForm_Main::exitCommand() {
    if (CheckBox_In_Tray->isChecked()) {
        hideToTray();
        return;
    }
    removeTrayIcon();
    close();
}

// Without a notification area a hidden window could never come back: it is minimised
// instead, and keeps its taskbar button.
void TForm_Main::hideToTray() {
    if (TrayHost::kind() == TrayHost::None)
        showMinimized();
    else
        hide();
}

void TForm_Main::removeTrayIcon() {
    TrayIcon->hide();
}

void TForm_Main::ApplicationCommitData() {
    m_sessionEnding = true;
}

void TForm_Main::TrayIconActivated(QSystemTrayIcon::ActivationReason reason) {
    const bool show =
        reason == QSystemTrayIcon::DoubleClick ||
        (reason == QSystemTrayIcon::Trigger && TrayHost::kind() == TrayHost::SingleActivation);
    if (show)
        bringToFront();
}

// Every start but the first hides the window half a second after it was shown. The timer
// goes off before the write, so a refused write is reported once, not every half second.
void TForm_Main::Timer_FormTimer() {
    Timer_Form->setEnabled(false);
    const QString name = QStringLiteral("First_Start");
    if (Settings::read(Settings::TarvikKey, name).isEmpty())
        Settings::write(Settings::TarvikKey, name, QStringLiteral("Yes"));
    else if (TrayHost::kind() != TrayHost::None)
        hide();
}

void TForm_Main::CheckBox_In_TrayClick() {
    DBGrid_Main->setFocus();
}

// Runs on every change of the tick, by the user or by start-up. The box shows whether the
// program starts at log-on: when the entry cannot be written, the box follows the entry as
// it is (an older one may stay and still start the program), and the report says what it
// holds; an entry that reads back empty is removed and the box unticked.
void TForm_Main::CheckBox_AutoRunClick() {
    if (!CheckBox_AutoRun->isChecked()) {
        Settings::remove(Settings::RunKey, Settings::RunValue);
        return;
    }
    try {
        Settings::write(Settings::RunKey, Settings::RunValue, m_executablePath);
    } catch (const TarvikError& error) {
        const QString entry = Settings::read(Settings::RunKey, Settings::RunValue);
        CheckBox_AutoRun->setChecked(!entry.isEmpty());
        throw TarvikError(error.text() + '\n' + autorunEntryState(entry));
    }
    if (Settings::read(Settings::RunKey, Settings::RunValue).isEmpty()) {
        MessageBox::inform(this, QStringLiteral("Нет прав на запись в реестр"),
                           QStringLiteral("Программе не может быть добавлена в автозапуск. "
                                          "Запустите ее от имени Администратора и повторите "
                                          "попытку!"));
        CheckBox_AutoRun->setChecked(false);
    }
}

void TForm_Main::Button_AboutClick() {
    m_about->exec();
}
