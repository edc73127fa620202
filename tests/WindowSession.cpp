#include "WindowSession.h"

#include "app/Instances.h"
#include "main_window/TForm_Main.h"
#include "main_window/TaskGrid.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Appearance.h"
#include "toolkit/MessageBox.h"

#include <QTest>

WindowSession::WindowSession(const QDateTime& now)
    : m_clock(now) {
    Appearance::install();
    MessageBox::setTestMode(true);
    MessageBox::clearShown();
}

// The main window takes its dialogs with it.
WindowSession::~WindowSession() {
    delete Form_Main;
    Form_Edit = nullptr;
    Form_Remainder = nullptr;
    Form_Main = nullptr;
    Form_About = nullptr;
    DataModule_Main = nullptr;
}

void WindowSession::open(const QList<TaskRow>& rows) {
    m_program.insert(rows);
    m_module = openDataModule(m_program.databasePath());
    DataModule_Main = m_module.get();
    Form_Main = new TForm_Main;
    Form_Main->bindTable();
    Instances::createDialogs();
    MessageBox::clearShown();
}

bool WindowSession::openShown(const QList<TaskRow>& rows) {
    open(rows);
    Form_Main->show();
    Form_Main->activateWindow();
    if (!QTest::qWaitForWindowActive(Form_Main))
        return false;
    Form_Main->DBGrid_Main->setFocus();
    return true;
}

TTable& WindowSession::table() {
    return m_module->Table_Main;
}
