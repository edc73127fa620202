#include "WindowSession.h"

#include "main_window/TForm_Main.h"
#include "main_window/TaskGrid.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Appearance.h"
#include "toolkit/MessageBox.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

namespace {

WindowSession* currentSession = nullptr;

} // namespace

WindowSession::WindowSession(const QDateTime& now)
    : m_clock(now) {
    Q_ASSERT(!currentSession);
    currentSession = this;
    Appearance::install();
    MessageBox::setTestMode(true);
    MessageBox::clearShown();
}

WindowSession::~WindowSession() {
    currentSession = nullptr;
}

WindowSession& WindowSession::current() {
    Q_ASSERT(currentSession);
    return *currentSession;
}

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
    return &WindowSession::current().module();
}

TTable& table() {
    return WindowSession::current().table();
}

TForm_Main* mainWindow() {
    return WindowSession::current().mainWindow();
}

TForm_Edit* editorWindow() {
    return WindowSession::current().editor();
}

TForm_Remainder* reminderWindow() {
    return WindowSession::current().reminder();
}

TForm_About* aboutWindow() {
    return WindowSession::current().about();
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
