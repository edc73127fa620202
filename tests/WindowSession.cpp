#include "WindowSession.h"

#include "main_window/TForm_Main.h"
#include "main_window/TaskGrid.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Appearance.h"
#include "toolkit/MessageBox.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

WindowSession::WindowSession(const QDateTime& now)
    : m_clock(now) {
    Appearance::install();
    MessageBox::setTestMode(true);
    MessageBox::clearShown();
}

WindowSession::~WindowSession() = default;

void WindowSession::open(const QList<TaskRow>& rows) {
    m_program.insert(rows);
    Instances::createAll(connectionTo(m_program.databasePath()));
    MessageBox::clearShown();
}

bool WindowSession::openShown(const QList<TaskRow>& rows) {
    open(rows);
    mainWindow()->show();
    mainWindow()->activateWindow();
    if (!QTest::qWaitForWindowActive(mainWindow()))
        return false;
    mainWindow()->DBGrid_Main->setFocus();
    return true;
}

TDataModule_Main& WindowSession::module() {
    return *DataModule_Main;
}

TTable& WindowSession::table() {
    return DataModule_Main->Table_Main;
}

TForm_Main* WindowSession::mainWindow() const {
    return Form_Main;
}

TForm_Edit* WindowSession::editor() const {
    return Form_Edit;
}

TForm_Remainder* WindowSession::reminder() const {
    return Form_Remainder;
}

TForm_About* WindowSession::about() const {
    return Form_About;
}

TDataModule_Main* dataModule() {
    return DataModule_Main;
}

TTable& table() {
    return DataModule_Main->Table_Main;
}

TForm_Main* mainWindow() {
    return Form_Main;
}

TForm_Edit* editorWindow() {
    return Form_Edit;
}

TForm_Remainder* reminderWindow() {
    return Form_Remainder;
}

TForm_About* aboutWindow() {
    return Form_About;
}

bool endsProgram(const std::function<void()>& action) {
    QTimer start;
    start.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, action);
    QTimer failsafe;
    failsafe.setSingleShot(true);
    QObject::connect(&failsafe, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    start.start(0);
    failsafe.start(3000);
    return QCoreApplication::exec() == 0;
}
