#include "WindowSession.h"

#include "ModalHelper.h"
#include "main_window/TForm_Main.h"
#include "main_window/TaskGrid.h"
#include "reminders/ReminderWatch.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Appearance.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Timer.h"
#include "toolkit/UserLocale.h"

#include <QApplication>
#include <QMenu>
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

void WindowSession::openShown(const QList<TaskRow>& rows) {
    open(rows);
    mainWindow()->show();
    mainWindow()->activateWindow();
    QTest::qVerify(QTest::qWaitForWindowActive(mainWindow()), "qWaitForWindowActive",
                   "the main window did not come up", __FILE__, __LINE__);
    grid()->setFocus();
}

QStringList WindowSuite::storedTitles() const {
    QStringList titles;
    for (const QVariant& value : program().column(QStringLiteral("Plan")))
        titles << value.toString();
    return titles;
}

void WindowSuite::init() {
    session = std::make_unique<WindowSession>();
}

// A locale a test chose goes with it.
void WindowSuite::cleanup() {
    QVERIFY(!modalHelperFailed());
    session.reset();
    UserLocale::reset();
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

QObject* mainWindowPart(const char* name) {
    QObject* found = Form_Main->findChild<QObject*>(QLatin1String(name));
    if (!found)
        qFatal("the main window has no part named %s", name);
    return found;
}

TaskGrid* grid() {
    return part<TaskGrid>("DBGrid_Main");
}

ReminderWatch& watch() {
    return *Form_Main->findChild<ReminderWatch*>();
}

bool watchOn() {
    return part<Timer>("Timer1")->Enabled();
}

void tick() {
    watch().Timer1Timer();
}

QPoint cellCentre(int row, int column) {
    return grid()->visualRect(grid()->model()->index(row, column)).center();
}

void clickCell(int row, int column) {
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(row, column));
}

QColor rowColour(int row) {
    const QImage image = grid()->viewport()->grab().toImage();
    const QRect cell = grid()->visualRect(grid()->model()->index(row, 2));
    return image.pixelColor(cell.right() - 3, cell.center().y());
}

QMenu* openPopupMenu() {
    auto* menu = part<QMenu>("PopupMenu_Main");
    menu->hide();
    QTest::keyClick(grid(), Qt::Key_Menu);
    return menu;
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
