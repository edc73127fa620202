// The task commands of the main window: add, edit, delete, delete completed, complete,
// and the popup menu's open step and shortcut keys.
#include "editor/TForm_Edit.h"
#include "main_window/GridModel.h"
#include "main_window/TForm_Main.h"
#include "main_window/TaskGrid.h"
#include "store/TTable.h"
#include "toolkit/Guarded.h"
#include "toolkit/MessageBox.h"

#include <QMenu>
#include <QPushButton>
#include <QShortcut>

namespace {

// Runs the closing steps of a command however the command ends.
template <class Steps> class Finally final {
public:
    explicit Finally(Steps steps)
        : m_steps(steps) {}
    ~Finally() { m_steps(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

private:
    Steps m_steps;
};

} // namespace

void TForm_Main::connectCommands() {
    connect(Button_Add, &QPushButton::clicked, this, guarded(this, &TForm_Main::Button_AddClick));
    connect(Menu_Add, &QAction::triggered, this, guarded(this, &TForm_Main::Menu_AddClick));
    connect(Button_Edit, &QPushButton::clicked, this, guarded(this, &TForm_Main::Button_EditClick));
    connect(Menu_Edit, &QAction::triggered, this, guarded(this, &TForm_Main::Menu_EditClick));
    connect(Button_Delete, &QPushButton::clicked, this,
            guarded(this, &TForm_Main::Button_DeleteClick));
    connect(Menu_Delete, &QAction::triggered, this, guarded(this, &TForm_Main::Menu_DeleteClick));
    connect(Button_Del_Completed, &QPushButton::clicked, this,
            guarded(this, &TForm_Main::Button_Del_CompletedClick));
    connect(Menu_Del_Completed, &QAction::triggered, this,
            guarded(this, &TForm_Main::Menu_Del_CompletedClick));
    connect(Menu_Completed, &QAction::triggered, this,
            guarded(this, &TForm_Main::Menu_CompletedClick));
    connect(Menu_Remainder, &QAction::triggered, this,
            guarded(this, &TForm_Main::Menu_RemainderClick));
    connect(Menu_RemainderDelete, &QAction::triggered, this,
            guarded(this, &TForm_Main::Menu_RemainderDeleteClick));
    for (QAction* item : {Menu_Add, Menu_Delete, Menu_Del_Completed}) {
        auto* key = new QShortcut(item->shortcut(), DBGrid_Main);
        key->setContext(Qt::WidgetShortcut);
        connect(key, &QShortcut::activated, this, [this, item] { runShortcut(item); });
    }
}

void TForm_Main::Button_AddClick() {
    addTask();
}
void TForm_Main::Menu_AddClick() {
    addTask();
}
void TForm_Main::Button_EditClick() {
    editTask();
}
void TForm_Main::Menu_EditClick() {
    editTask();
}
void TForm_Main::Button_DeleteClick() {
    deleteTask();
}
void TForm_Main::Menu_DeleteClick() {
    deleteTask();
}
void TForm_Main::Button_Del_CompletedClick() {
    deleteCompleted();
}
void TForm_Main::Menu_Del_CompletedClick() {
    deleteCompleted();
}
void TForm_Main::Menu_CompletedClick() {
    toggleCompletion();
}

void TForm_Main::addTask() {
    openEditor(&TForm_Edit::prepareForAdd);
}

void TForm_Main::editTask() {
    openEditor(&TForm_Edit::prepareForEdit);
}

// The editor holds the current record from its preparation until it has closed.
void TForm_Main::openEditor(void (TForm_Edit::*prepare)()) {
    const ReminderWatch::Pause editing(*Watch);
    (m_editor->*prepare)();
    m_editor->ShowModal();
}

void TForm_Main::Form_EditClosed() {
    UpdateCommandButtons();
    DBGrid_Main->setFocus();
    takeKeyboard();
}

void TForm_Main::DBGrid_MainDblClick() {
    if (table().RecordCount() == 0 ||
        GridModel::columnField(DBGrid_Main->selectedColumn()) == F_Completed)
        return;
    editTask();
}

void TForm_Main::deleteTask() {
    const ReminderWatch::Pause deleting(*Watch);
    const Finally finish([this] {
        UpdateCommandButtons();
        DBGrid_Main->setFocus();
    });
    const QString text = QStringLiteral("Вы действительно хотите удалить задачу \"%1\"?")
                             .arg(table().FieldByName(QStringLiteral("Plan")).AsString());
    if (MessageBox::ask(this, QStringLiteral("Удаление задачи"), text) == MessageBox::Ok)
        table().Delete();
}

// Each record is looked at once, in a counted walk; afterwards the last remaining record
// is current. The walk is one transaction: thousands of deletes take one write to the
// disk, and a refused one leaves every task in place. A task another instance of the
// program has changed since it was read (un-completed, say) is kept, and the grid then
// shows it as it is now. The keyboard focus stays.
void TForm_Main::deleteCompleted() {
    const ReminderWatch::Pause deleting(*Watch);
    const Finally finish([this] { UpdateCommandButtons(); });
    TTable& tasks = table();
    tasks.Batch([&tasks] {
        const int count = tasks.RecordCount();
        tasks.First();
        for (int i = 0; i < count; ++i) {
            if (!tasks.FieldByName(QStringLiteral("Completed")).AsBoolean() ||
                !tasks.DeleteIfUnchanged())
                tasks.Next();
        }
    });
}

void TForm_Main::PopupMenu_MainPopup() {
    const QList<QAction*> recordItems = {Menu_Edit, Menu_Delete, Menu_Completed,
                                         Menu_Del_Completed};
    if (table().RecordCount() == 0) {
        for (QAction* item : recordItems)
            item->setEnabled(false);
        Menu_Remainder->setVisible(false);
        Menu_RemainderDelete->setVisible(false);
        return;
    }
    if (table().FieldByName(QStringLiteral("Completed")).AsBoolean()) {
        Menu_Completed->setText(QStringLiteral("Снять завершение"));
        Menu_Completed->setIcon(ImageList_Reminder[3]);
        Menu_Remainder->setVisible(false);
        Menu_RemainderDelete->setVisible(false);
    } else {
        Menu_Completed->setText(QStringLiteral("Завершаить"));
        Menu_Completed->setIcon(ImageList_Reminder[2]);
        Menu_Remainder->setVisible(true);
        const bool noReminder = table().FieldByName(QStringLiteral("Reminder")).IsNull();
        Menu_Remainder->setText(noReminder ? QStringLiteral("Установить напоминание")
                                           : QStringLiteral("Именить напоминание"));
        Menu_RemainderDelete->setVisible(!noReminder);
    }
    for (QAction* item : recordItems)
        item->setEnabled(true);
}

// The Menu key may arrive twice, as a key and as the window system's context-menu request:
// a menu already open stays as it is.
void TForm_Main::showPopupMenu(const QPoint& globalPos) {
    if (PopupMenu_Main->isVisible())
        return;
    PopupMenu_MainPopup();
    PopupMenu_Main->popup(globalPos);
}

// A shortcut key first runs the menu's open step, then the item only if it is enabled.
void TForm_Main::runShortcut(QAction* item) {
    ErrorReport::run([this, item] {
        PopupMenu_MainPopup();
        if (item->isEnabled())
            item->trigger();
    });
}
