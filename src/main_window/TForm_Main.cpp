#include "main_window/TForm_Main.h"

#include "editor/TForm_Edit.h"
#include "main_window/GridDelegate.h"
#include "main_window/GridModel.h"
#include "main_window/TaskGrid.h"
#include "reminders/TForm_Remainder.h"
#include "store/TTable.h"
#include "toolkit/Appearance.h"
#include "toolkit/Clock.h"
#include "toolkit/Guarded.h"
#include "toolkit/Pictures.h"
#include "toolkit/Timer.h"
#include "toolkit/UserLocale.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

// A bitmap button whose picture sits at the bottom of its face.
class BottomPictureButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.icon = QIcon();
        painter.drawControl(QStyle::CE_PushButton, option);
        const QPixmap picture =
            icon().pixmap(iconSize(), isEnabled() ? QIcon::Normal : QIcon::Disabled);
        painter.drawPixmap((width() - iconSize().width()) / 2, height() - iconSize().height() - 5,
                           picture);
    }
};

// Each control and timer is found by its name, as the window's handlers know it.
template <class Object> Object* named(Object* object, const char* name) {
    object->setObjectName(QLatin1String(name));
    return object;
}

template <class Widget>
Widget* placed(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setGeometry(left, top, width, height);
    return named(widget, name);
}

QPushButton* bitmapButton(QPushButton* button, const QString& caption, const QPixmap& picture,
                          const QString& hint) {
    button->setText(caption);
    // The caption's leading space keeps the text off the picture; a reader need not say it.
    button->setAccessibleName(caption.trimmed());
    button->setIcon(picture);
    button->setIconSize(picture.size());
    button->setToolTip(hint);
    button->setFont(Appearance::font(12, true));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

TForm_Main::TForm_Main(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Tarvik. Планировщик задач"));
    setFixedSize(788, 420);
    move(396, 112);
    setFont(Appearance::font(12));
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    ImageList_Reminder = {QIcon(Pictures::clock(false)), QIcon(Pictures::clock(true)),
                          QIcon(Pictures::checkBox(true)), QIcon(Pictures::checkBox(false))};
    // The watch, the clock and the first-start rule start when the window first shows.
    Watch = new ReminderWatch(this);
    m_untilShown.emplace(*Watch);
    Timer_Time = named(new Timer(1, false, this), "Timer_Time");
    Timer_Form = named(new Timer(500, false, this), "Timer_Form");
    Timer_Hint = named(new Timer(5000, false, this), "Timer_Hint");
    m_executablePath = QCoreApplication::applicationFilePath();
    buildLayout();
    buildCommandColumn();
    buildPopupMenu();
    FormCreate();
    nameControls();
    connectHandlers();
}

TForm_Main::~TForm_Main() = default;

void TForm_Main::buildLayout() {
    Panel1 = placed(new QFrame(this), "Panel1", 0, 0, 648, 420);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    DBGrid_Main = placed(new TaskGrid(Panel1), "DBGrid_Main", 1, 1, 646, 418);
    DBGrid_Main->setFont(Appearance::font(13));
    DBGrid_Main->horizontalHeader()->setFont(Appearance::font(12));
    Panel2 = placed(new QFrame(this), "Panel2", 648, 0, 140, 420);
}

void TForm_Main::lookUpThemePictures() {
    QApplication::style()->standardIcon(QStyle::SP_DialogHelpButton);
}

void TForm_Main::buildCommandColumn() {
    Button_About = placed(new QPushButton(Panel2), "Button_About", 0, 0, 145, 23);
    Button_About->setText(QStringLiteral("Опрограмме"));
    Button_About->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    Button_About->setFont(Appearance::font(11));

    GroupBox2 = placed(new QGroupBox(Panel2), "GroupBox2", 2, 22, 135, 127);
    Button_Add = placed(bitmapButton(new QPushButton(GroupBox2), QStringLiteral(" Добавить"),
                                     Pictures::pagePlus(), QStringLiteral("Добавить задачу (Ins)")),
                        "Button_Add", 18, 14, 98, 28);
    Button_Edit = placed(bitmapButton(new QPushButton(GroupBox2), QStringLiteral(" Изменить"),
                                      Pictures::pagePencil(), QStringLiteral("Изменить задачу")),
                         "Button_Edit", 18, 52, 98, 28);
    Button_Delete =
        placed(bitmapButton(new QPushButton(GroupBox2), QStringLiteral(" Удалить"),
                            Pictures::pageCross(), QStringLiteral("Удалить задачу (Del)")),
               "Button_Delete", 18, 89, 98, 28);

    GroupBoxSearch = placed(new QGroupBox(QStringLiteral("Поиск задачи"), Panel2), "GroupBoxSearch",
                            2, 151, 135, 80);
    GroupBoxSearch->setFont(Appearance::font(9));
    EditSearch = placed(new QLineEdit(GroupBoxSearch), "EditSearch", 5, 16, 123, 23);
    EditSearch->setFont(Appearance::font(11));
    EditSearch->setToolTip(QStringLiteral("Введите текст для поиска задачи"));
    ButtonSearch =
        placed(new QPushButton(Pictures::magnifier(), QStringLiteral("Найти"), GroupBoxSearch),
               "ButtonSearch", 25, 46, 91, 23);
    ButtonSearch->setToolTip(QStringLiteral("Поиск задачи"));

    GroupBox3 = placed(new QGroupBox(Panel2), "GroupBox3", 2, 231, 135, 60);
    Button_Del_Completed =
        placed(bitmapButton(new BottomPictureButton(GroupBox3), QString(), Pictures::bigRedCross(),
                            QStringLiteral("Удалить завершенные задачи (Shift+Del)")),
               "Button_Del_Completed", 7, 14, 28, 39);
    Label_Del_Completed = placed(new QLabel(QStringLiteral("Удалить завершенные"), GroupBox3),
                                 "Label_Del_Completed", 42, 16, 89, 41);
    Label_Del_Completed->setFont(Appearance::font(12, true));
    Label_Del_Completed->setWordWrap(true);
    Label_Del_Completed->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    GroupBox1 = placed(new QGroupBox(Panel2), "GroupBox1", 2, 291, 135, 78);
    CheckBox_AutoRun = placed(new QCheckBox(QStringLiteral("Автозапуск программы"), GroupBox1),
                              "CheckBox_AutoRun", 8, 12, 121, 17);
    CheckBox_AutoRun->setFont(Appearance::font(9));
    Button_Exit = placed(bitmapButton(new QPushButton(GroupBox1), QStringLiteral(" Выход"),
                                      Pictures::door(), QStringLiteral("Выйти из программы (Esc)")),
                         "Button_Exit", 19, 29, 98, 28);
    CheckBox_In_Tray = placed(new QCheckBox(QStringLiteral("Сворачивать при выходе"), GroupBox1),
                              "CheckBox_In_Tray", 3, 59, 129, 17);
    CheckBox_In_Tray->setFont(Appearance::font(9));
    CheckBox_In_Tray->setChecked(true);

    Panel3 = placed(new QFrame(Panel2), "Panel3", 1, 375, 138, 43);
    Panel3->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel3->setFont(Appearance::font(11));
    Label_Now_Time =
        placed(new QLabel(QStringLiteral("0"), Panel3), "Label_Now_Time", 1, 1, 128, 24);
    Label_Now_Date =
        placed(new QLabel(QStringLiteral("00"), Panel3), "Label_Now_Date", 0, 22, 129, 19);
    for (QLabel* label : {Label_Now_Time, Label_Now_Date}) {
        label->setFont(Appearance::font(12, true));
        label->setAlignment(Qt::AlignCenter);
        label->setAutoFillBackground(true);
    }
    // The column's tab order differs from its top-to-bottom order: the command buttons, the
    // delete-completed and the exit groups, then the search and last the About button, though
    // that stands at the top.
    QWidget* const order[] = {CheckBox_In_Tray, EditSearch, ButtonSearch, Button_About};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TForm_Main::buildPopupMenu() {
    PopupMenu_Main = named(new QMenu(this), "PopupMenu_Main");
    auto item = [this](const char* name, const QString& caption, const QIcon& picture,
                       const QKeySequence& shortcut = QKeySequence()) {
        QAction* action = named(PopupMenu_Main->addAction(picture, caption), name);
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetShortcut);
        return action;
    };
    Menu_Add = item("Menu_Add", QStringLiteral("Добавить"), Pictures::pagePlus(),
                    QKeySequence(Qt::Key_Insert));
    Menu_Edit = item("Menu_Edit", QStringLiteral("Изменить"), Pictures::pagePencil());
    Menu_Delete = item("Menu_Delete", QStringLiteral("Удалить"), Pictures::pageCross(),
                       QKeySequence(Qt::Key_Delete));
    PopupMenu_Main->addSeparator();
    Menu_Remainder = item("Menu_Remainder", QStringLiteral("Добавить/Изменить Напоминание"),
                          Pictures::clock(true, 31));
    Menu_RemainderDelete = item("Menu_RemainderDelete", QStringLiteral("Убрать напоминание"),
                                Pictures::clock(false, 31));
    PopupMenu_Main->addSeparator();
    Menu_Completed = item("Menu_Completed", QStringLiteral("Завершить"), QIcon());
    PopupMenu_Main->addSeparator();
    Menu_Del_Completed = item("Menu_Del_Completed", QStringLiteral("Удалить завершенные"),
                              Pictures::redCross(), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    PopupMenu_Main->addSeparator();
    Menu_Exit = item("Menu_Exit", QStringLiteral("Выход"), Pictures::door());
}

// What a screen reader says for the controls whose picture or place tells what they are.
// The label beside the picture-only button names it; the clock labels show only numbers.
void TForm_Main::nameControls() {
    DBGrid_Main->setAccessibleName(QStringLiteral("Задачи"));
    Label_Del_Completed->setBuddy(Button_Del_Completed);
    Label_Now_Time->setAccessibleDescription(QStringLiteral("Время"));
    Label_Now_Date->setAccessibleDescription(QStringLiteral("Дата"));
}

void TForm_Main::connectHandlers() {
    connect(Timer_Hint, &Timer::timeout, this, guarded(this, &TForm_Main::Timer_HintTimer));
    connect(Timer_Time, &Timer::timeout, this, guarded(this, &TForm_Main::Timer_TimeTimer));
    connect(DBGrid_Main, &TaskGrid::cellClick, this,
            guarded(this, &TForm_Main::DBGrid_MainCellClick));
    connect(DBGrid_Main, &TaskGrid::dblClick, this,
            guarded(this, &TForm_Main::DBGrid_MainDblClick));
    connect(DBGrid_Main, &TaskGrid::popupRequested, this,
            guarded(this, &TForm_Main::showPopupMenu));
    connect(Watch, &ReminderWatch::aboutToRemind, this, guarded(this, &TForm_Main::bringToFront));
    connect(Watch, &ReminderWatch::forwardRequested, this,
            guarded(this, &TForm_Main::bringToFront));
    // A window left open overnight shows today's and yesterday's rows in their new colours.
    connect(Watch, &ReminderWatch::dayChanged, DBGrid_Main->viewport(),
            qOverload<>(&QWidget::update));
    connectCommands();
    connectTrayAndExit();
    connectSearch();
}

void TForm_Main::bind(TTable* table, TForm_Edit* editor, TForm_Remainder* reminder,
                      TForm_About* about) {
    m_table = table;
    m_editor = editor;
    m_about = about;
    m_model = new GridModel(table, this);
    DBGrid_Main->bind(m_model);
    DBGrid_Main->setItemDelegate(
        new GridDelegate(m_model, ImageList_Reminder[0], ImageList_Reminder[1], DBGrid_Main));
    DBGrid_Main->sizeColumns();
    connect(table, &TTable::rowsChanged, this, &TForm_Main::showSortArrow);
    showSortArrow();
    Watch->bind(table, reminder);
    connect(editor, &TForm_Edit::closed, this, guarded(this, &TForm_Main::Form_EditClosed));
    connect(reminder, &TForm_Remainder::closed, this,
            guarded(this, &TForm_Main::Form_RemainderClosed));
}

// The window manager hands the keyboard back only a moment after a dialog has closed; a key
// pressed meanwhile (an Ins right after OK) would miss the grid's shortcuts. Qt takes this
// window as the active one at once, and the window manager follows.
void TForm_Main::takeKeyboard() {
    if (!isVisible())
        return;
    activateWindow();
    QApplication::setActiveWindow(this);
}

TTable& TForm_Main::table() const {
    return *m_table;
}

void TForm_Main::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_untilShown)
        startTimers();
    ErrorReport::run([this] { FormShow(); });
}

// The half second of the first-start rule counts from here.
void TForm_Main::startTimers() {
    m_untilShown.reset();
    Timer_Time->setEnabled(true);
    Timer_Form->setEnabled(true);
}

void TForm_Main::bringToFront() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TForm_Main::FormShow() {
    UpdateCommandButtons();
}

void TForm_Main::UpdateCommandButtons() {
    const bool any = table().RecordCount() != 0;
    Button_Edit->setEnabled(any);
    Button_Delete->setEnabled(any);
    Button_Del_Completed->setEnabled(any);
    Label_Del_Completed->setEnabled(any);
}

void TForm_Main::DBGrid_MainCellClick(int column) {
    if (GridModel::columnField(column) == F_Completed && table().RecordCount() > 0)
        toggleCompletion();
    const QString hint = table().RecordCount() > 0
                             ? table().FieldByName(QStringLiteral("Comments")).AsString()
                             : QString();
    DBGrid_Main->setHint(hint);
    Timer_Hint->setEnabled(true);
}

void TForm_Main::Timer_HintTimer() {
    DBGrid_Main->setHint(QString());
    Timer_Hint->setEnabled(false);
}

void TForm_Main::Timer_TimeTimer() {
    Timer_Time->setInterval(1000);
    const QDateTime now = Clock::now();
    Label_Now_Date->setText(now.toString(QStringLiteral("dd.MM.yyyy")));
    Label_Now_Time->setText(now.toString(QStringLiteral("hh")) + UserLocale::timeSeparator() +
                            now.toString(QStringLiteral("mm")));
}

// Completing clears the reminder; taking the completion back does not bring it back. A
// refused write leaves the task as stored rather than half-edited.
void TForm_Main::toggleCompletion() {
    TTable& tasks = table();
    tasks.Amend([&tasks] {
        TField completed = tasks.Fields(F_Completed);
        if (!completed.IsNull() && completed.AsBoolean()) {
            completed.setAsBoolean(false);
        } else {
            completed.setAsBoolean(true);
            tasks.Fields(F_Reminder).Clear();
        }
    });
}
