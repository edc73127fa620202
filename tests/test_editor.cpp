#include "ModalHelper.h"
#include "WindowSession.h"
#include "app/Instances.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "main_window/TForm_Main.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Clock.h"
#include "toolkit/MaskEdit.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Timer.h"
#include "toolkit/UpDown.h"

#include <QCheckBox>
#include "toolkit/DatePicker.h"
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

const QDateTime Now = at(2026, 12, 8, 14, 3, 27);

TTable& table() {
    return DataModule_Main->Table_Main;
}

TaskRow task(const QString& plan, const QDateTime& date, const QDateTime& reminder = {},
             bool completed = false, const QString& comments = {}) {
    return {plan, date, reminder, completed, comments};
}

// Shows the editor modally and runs the steps inside its modal loop. Whatever the steps
// leave open is cancelled, so a failed check never hangs the test.
void inEditor(const std::function<void()>& steps) {
    whenModal([steps](QWidget*) {
        steps();
        if (Form_Edit->isVisible())
            Form_Edit->reject();
    });
    Form_Edit->ShowModal();
}

// Replaces a field's whole text by typing, as a user does after the click selected it; no
// keys: the field is emptied.
void retype(MaskEdit* edit, const QString& keys) {
    edit->selectAll();
    if (keys.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, keys);
}

QList<QWidget*> taskFields() {
    return {Form_Edit->CheckBox_Reminder, Form_Edit->DBEdit1, Form_Edit->DateTimePicker1,
            Form_Edit->DBMemo1};
}

void enableTaskFields(bool on) {
    for (QWidget* w : taskFields())
        w->setEnabled(on);
}

// The preparations of the add and edit commands.
void prepareAdd() {
    Form_Main->Timer1->setEnabled(false);
    table().Insert();
    table().FieldByName(QStringLiteral("Date")).setAsDateTime(Clock::today());
    Form_Edit->DateTimePicker1->setDate(Clock::today().date());
    Form_Edit->setWindowTitle(QStringLiteral("Добавить задачу"));
    Form_Edit->setHeight(TForm_Edit::HeightWithoutReminder);
    Form_Edit->CheckBox_Reminder->setChecked(false);
    enableTaskFields(true);
}

void prepareEdit() {
    Form_Main->Timer1->setEnabled(false);
    Form_Edit->setWindowTitle(QStringLiteral("Изменить задачу"));
    Form_Edit->DateTimePicker1->setDate(table().Fields(F_Date).AsDateTime().date());
    const TField reminder = table().Fields(F_Reminder);
    if (!reminder.IsNull()) {
        Form_Edit->DateTimePicker_Reminder->setDate(reminder.AsDateTime().date());
        Form_Edit->Edit_Hour->setText(reminder.AsDateTime().toString(QStringLiteral("hh")));
        Form_Edit->Edit_Minute->setText(reminder.AsDateTime().toString(QStringLiteral("mm")));
    }
    Form_Edit->setHeight(reminder.IsNull() ? TForm_Edit::HeightWithoutReminder
                                           : TForm_Edit::HeightWithReminder);
    Form_Edit->CheckBox_Reminder->setChecked(!reminder.IsNull());
    enableTaskFields(!table().Fields(F_Completed).AsBoolean());
}

// An added task with the reminder row in view, for the hour and minute fields.
void prepareReminderRow() {
    prepareAdd();
    Form_Edit->CheckBox_Reminder->setChecked(true);
}

QList<QWidget*> reminderRow() {
    return {Form_Edit->DateTimePicker_Reminder,
            Form_Edit->Edit_Hour,
            Form_Edit->UpDown_Hour,
            Form_Edit->Label_Time,
            Form_Edit->Edit_Minute,
            Form_Edit->UpDown_Minute};
}

// Where the control's visible part begins: the colon's box starts higher than the row, but
// its upper dot sits at the height of a small letter.
int visibleTop(QWidget* w) {
    if (w != Form_Edit->Label_Time)
        return w->geometry().top();
    const QFontMetrics metrics(w->font());
    return w->geometry().top() + metrics.ascent() - metrics.xHeight();
}

bool rowInView() {
    for (QWidget* w : reminderRow())
        if (w->geometry().bottom() >= Form_Edit->height())
            return false;
    return true;
}

bool rowOutOfView() {
    for (QWidget* w : reminderRow())
        if (visibleTop(w) < Form_Edit->height())
            return false;
    return Form_Edit->CheckBox_Reminder->geometry().bottom() < Form_Edit->height();
}

QList<bool> commandButtons() {
    return {Form_Main->Button_Edit->isEnabled(), Form_Main->Button_Delete->isEnabled(),
            Form_Main->Button_Del_Completed->isEnabled(),
            Form_Main->Label_Del_Completed->isEnabled()};
}

enum Ending { CancelButton, EscapeKey, CloseBox };

void end(Ending ending) {
    switch (ending) {
    case CancelButton:
        Form_Edit->Button_Cancel->click();
        break;
    case EscapeKey:
        QTest::keyClick(Form_Edit->DBEdit1, Qt::Key_Escape);
        break;
    case CloseBox: // what the title bar's close box and Alt+F4 send
        Form_Edit->close();
        break;
    }
}

QString lastMessage() {
    const QList<MessageBox::Shown> shown = MessageBox::shown();
    return shown.isEmpty() ? QString() : shown.last().caption + " / " + shown.last().text;
}

} // namespace

class TestEditor final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typedTimeIsClamped_data();
    void typedTimeIsClamped();
    void spinButtonsWrap_data();
    void spinButtonsWrap();
    void clickSelectsTheField();
    void firstTaskOnEmptyTable();
    void titleAndDescriptionStoredAsTyped();
    void completedTaskOpensForViewing();
    void heightShowsOrHidesReminderRow();
    void tickingProposesOrReloadsReminder();
    void clearingTheBoxRemovesTheReminder();
    void everyEndingCancelsOnce_data();
    void everyEndingCancelsOnce();
    void enterPressesOkExceptInDescription();
    void refusedWriteKeepsTheDialogAsTyped();

private:
    void open(const QList<TaskRow>& rows = {});

    std::unique_ptr<WindowSession> m_session;
};

void TestEditor::init() {
    m_session = std::make_unique<WindowSession>(Now);
}

void TestEditor::open(const QList<TaskRow>& rows) {
    m_session->open(rows);
}

void TestEditor::cleanup() {
    m_session.reset();
}

void TestEditor::typedTimeIsClamped_data() {
    QTest::addColumn<bool>("hour");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    const QList<std::tuple<const char*, bool, const char*, const char*>> rows = {
        {"hour 24", true, "24", "00"},
        {"hour 99", true, "99", "00"},
        {"hour 23", true, "23", "23"},
        {"hour single digit", true, "7", "7 "},
        {"hour emptied", true, "", "00"},
        {"minute 75", false, "75", "00"},
        {"minute 60", false, "60", "00"},
        {"minute 59", false, "59", "59"},
        {"minute single digit", false, "4", "4 "},
        {"minute emptied", false, "", "00"}};
    for (const auto& [name, hour, typed, text] : rows)
        QTest::addRow("%s", name) << hour << QString(typed) << QString(text);
}

void TestEditor::typedTimeIsClamped() {
    QFETCH(bool, hour);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    open();
    prepareReminderRow();
    MaskEdit* edit = hour ? Form_Edit->Edit_Hour : Form_Edit->Edit_Minute;
    UpDown* upDown = hour ? Form_Edit->UpDown_Hour : Form_Edit->UpDown_Minute;
    inEditor([&] { retype(edit, typed); });
    QCOMPARE(edit->text(), text);
    QCOMPARE(upDown->Position(), text.trimmed().toInt());
}

void TestEditor::spinButtonsWrap_data() {
    QTest::addColumn<bool>("hour");
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("text");
    QTest::addRow("hour 23 up") << true << "23" << true << "00";
    QTest::addRow("hour 00 down") << true << "00" << false << "23";
    QTest::addRow("hour 08 up") << true << "08" << true << "09";
    QTest::addRow("hour 10 down") << true << "10" << false << "09";
    QTest::addRow("minute 59 up") << false << "59" << true << "00";
    QTest::addRow("minute 00 down") << false << "00" << false << "59";
    QTest::addRow("minute 09 up") << false << "09" << true << "10";
}

void TestEditor::spinButtonsWrap() {
    QFETCH(bool, hour);
    QFETCH(QString, start);
    QFETCH(bool, up);
    QFETCH(QString, text);
    open();
    prepareReminderRow();
    MaskEdit* edit = hour ? Form_Edit->Edit_Hour : Form_Edit->Edit_Minute;
    UpDown* upDown = hour ? Form_Edit->UpDown_Hour : Form_Edit->UpDown_Minute;
    MaskEdit* other = hour ? Form_Edit->Edit_Minute : Form_Edit->Edit_Hour;
    edit->setText(start);
    other->setText(QStringLiteral("14"));
    QWidget* focused = nullptr;
    QString selected;
    inEditor([&] {
        QTest::mouseClick(up ? upDown->upButton() : upDown->downButton(), Qt::LeftButton);
        focused = Form_Edit->focusWidget();
        selected = edit->selectedText();
    });
    QCOMPARE(edit->text(), text);
    QCOMPARE(upDown->Position(), text.toInt());
    QCOMPARE(other->text(), QStringLiteral("14"));
    QCOMPARE(focused, edit);
    QCOMPARE(selected, text);
}

void TestEditor::clickSelectsTheField() {
    open();
    prepareReminderRow();
    Form_Edit->Edit_Hour->setText(QStringLiteral("12"));
    Form_Edit->Edit_Minute->setText(QStringLiteral("34"));
    QStringList selected;
    inEditor([&] {
        for (MaskEdit* edit : {Form_Edit->Edit_Hour, Form_Edit->Edit_Minute}) {
            edit->deselect();
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(3, 5));
            selected << edit->selectedText();
        }
    });
    QCOMPARE(selected, QStringList({"12", "34"}));
}

// Cancelled, refused twice, then stored: the close step switches the command buttons off
// for the empty table and on for the first task.
void TestEditor::firstTaskOnEmptyTable() {
    open();
    Form_Main->Button_Edit->setEnabled(true);
    prepareAdd();
    inEditor([] {
        typeText(Form_Edit->DBEdit1, QStringLiteral("Черновик"));
        Form_Edit->Button_Cancel->click();
    });
    QCOMPARE(table().RecordCount(), 0);
    QCOMPARE(m_session->program().rowCount(), 0);
    QCOMPARE(commandButtons(), QList<bool>(4, false));
    QVERIFY(Form_Main->Timer1->Enabled());
    prepareAdd();
    QWidget* focusAtShow = nullptr;
    QStringList messages;
    QList<QWidget*> focused;
    inEditor([&] {
        focusAtShow = Form_Edit->focusWidget();
        Form_Edit->Button_OK->click();
        messages << lastMessage();
        focused << Form_Edit->focusWidget();
        typeText(Form_Edit->DBEdit1, QStringLiteral("Купить молоко"));
        Form_Edit->CheckBox_Reminder->setChecked(true); // proposes today 14:03, begun already
        Form_Edit->Button_OK->click();
        messages << lastMessage();
        focused << Form_Edit->focusWidget();
        Clock::setFixed(at(2026, 12, 8, 14, 4)); // the very moment counts as passed
        retype(Form_Edit->Edit_Minute, QStringLiteral("04"));
        Form_Edit->Button_OK->click();
        messages << lastMessage();
        QCOMPARE(m_session->program().rowCount(), 0);
        retype(Form_Edit->Edit_Minute, QStringLiteral("05"));
        Form_Edit->Button_OK->click();
    });
    QCOMPARE(focusAtShow, Form_Edit->DBEdit1);
    const QString passed = QStringLiteral("Время напоминания! / Время напоминания уже прошло!");
    QCOMPARE(messages,
             QStringList({"Нет заголовка задачи! / Введите заголовок задачи!", passed, passed}));
    QCOMPARE(focused, QList<QWidget*>({Form_Edit->DBEdit1, Form_Edit->DateTimePicker_Reminder}));
    QVERIFY(!Form_Edit->isVisible());
    QCOMPARE(m_session->program().column("Plan"), QList<QVariant>({"Купить молоко"}));
    QCOMPARE(m_session->program().column("Reminder"), QList<QVariant>({"2026-12-08 14:05:00"}));
    QCOMPARE(m_session->program().column("Date"), QList<QVariant>({"2026-12-08 00:00:00"}));
    QVERIFY(Form_Main->Timer1->Enabled());
    QCOMPARE(commandButtons(), QList<bool>(4, true));
}

void TestEditor::titleAndDescriptionStoredAsTyped() {
    const QString title = QStringLiteral("«Молоко» \"и\" 'хлеб'");
    const QString comments = QStringLiteral("строка 1\nстрока 2");
    open();
    for (const QString& typed : {QString(60, 'x'), QStringLiteral("   "), title}) {
        prepareAdd();
        inEditor([&] {
            typeText(Form_Edit->DBEdit1, typed);
            typeText(Form_Edit->DBMemo1, comments);
            Form_Edit->Button_OK->click();
        });
    }
    QCOMPARE(m_session->program().column("Plan"),
             QList<QVariant>({QString(50, 'x'), "   ", title}));
    QCOMPARE(m_session->program().column("Comments"), QList<QVariant>(3, comments));
}

void TestEditor::completedTaskOpensForViewing() {
    open({task("Готово", at(2026, 12, 1), {}, true, "описание")});
    prepareEdit();
    QString title, comments;
    QWidget* focused = nullptr;
    inEditor([&] {
        title = Form_Edit->DBEdit1->text();
        comments = Form_Edit->DBMemo1->toPlainText();
        focused = Form_Edit->focusWidget();
        Form_Edit->Button_OK->click();
    });
    QCOMPARE(title, QStringLiteral("Готово"));
    QCOMPARE(comments, QStringLiteral("описание"));
    QVERIFY(!taskFields().contains(focused));
    QCOMPARE(m_session->program().column("Completed"), QList<QVariant>({qint64(1)}));
    QCOMPARE(m_session->program().column("Plan"), QList<QVariant>({"Готово"}));
    QVERIFY(Form_Main->Timer1->Enabled());
}

void TestEditor::heightShowsOrHidesReminderRow() {
    open();
    Form_Edit->setHeight(TForm_Edit::HeightWithReminder);
    QVERIFY(rowInView());
    Form_Edit->setHeight(TForm_Edit::HeightWithoutReminder);
    QVERIFY(rowOutOfView());
    prepareAdd();
    QList<int> heights;
    QList<bool> views;
    inEditor([&] {
        heights << Form_Edit->Height();
        views << rowOutOfView();
        Form_Edit->CheckBox_Reminder->setChecked(true);
        heights << Form_Edit->Height();
        views << rowInView();
        Form_Edit->CheckBox_Reminder->setChecked(false);
        heights << Form_Edit->Height();
        views << rowOutOfView();
    });
    QCOMPARE(heights, QList<int>({340, 380, 340}));
    QCOMPARE(views, QList<bool>(3, true));
}

void TestEditor::tickingProposesOrReloadsReminder() {
    open({task("Без напоминания", at(2026, 12, 10)),
          task("С ним", at(2026, 12, 1), at(2026, 12, 20, 9, 5))});
    prepareEdit();
    Form_Edit->Edit_Hour->setText(QStringLiteral("05"));
    QStringList seen;
    auto look = [&seen] {
        seen << Form_Edit->DateTimePicker_Reminder->date().toString(Qt::ISODate) + " " +
                    Form_Edit->Edit_Hour->text() + ":" + Form_Edit->Edit_Minute->text();
    };
    auto retick = [] {
        Form_Edit->CheckBox_Reminder->setChecked(false);
        Form_Edit->CheckBox_Reminder->setChecked(true);
    };
    inEditor([&] {
        Form_Edit->CheckBox_Reminder->setChecked(true);
        look();
        Form_Edit->DateTimePicker1->setDate(QDate(2026, 12, 11));
        retype(Form_Edit->Edit_Minute, QStringLiteral("30"));
        look();
        retick();
        look();
    });
    table().Next();
    prepareEdit();
    inEditor([&] {
        look();
        retype(Form_Edit->Edit_Hour, QStringLiteral("11"));
        retick();
        look();
    });
    QCOMPARE(seen, QStringList({"2026-12-10 14:03", "2026-12-10 14:30", "2026-12-11 14:03",
                                "2026-12-20 09:05", "2026-12-20 09:05"}));
}

void TestEditor::clearingTheBoxRemovesTheReminder() {
    open({task("Позвонить", at(2026, 12, 8), at(2026, 12, 9, 10, 0))});
    prepareEdit();
    inEditor([] {
        Form_Edit->CheckBox_Reminder->setChecked(false);
        // A past reminder row is not looked at while the box is clear.
        Form_Edit->DateTimePicker_Reminder->setDate(QDate(2020, 1, 1));
        Form_Edit->Button_OK->click();
    });
    QCOMPARE(m_session->program().column("Reminder"), QList<QVariant>({QVariant()}));
    QCOMPARE(Form_Edit->Height(), TForm_Edit::HeightWithoutReminder);
}

void TestEditor::everyEndingCancelsOnce_data() {
    QTest::addColumn<int>("ending");
    QTest::addRow("cancel button") << int(CancelButton);
    QTest::addRow("escape") << int(EscapeKey);
    QTest::addRow("close box") << int(CloseBox);
}

// A use ends exactly once, however it ends; the close box drops the pending change and
// switches the watch on, as Cancel does.
void TestEditor::everyEndingCancelsOnce() {
    QFETCH(int, ending);
    open({task("Старое", at(2026, 12, 8))});
    QSignalSpy finished(Form_Edit, &QDialog::finished);
    for (bool adding : {true, false}) {
        adding ? prepareAdd() : prepareEdit();
        inEditor([&] {
            Form_Edit->DBEdit1->selectAll();
            typeText(Form_Edit->DBEdit1, QStringLiteral("Новое"));
            end(Ending(ending));
        });
        QCOMPARE(table().state(), TTable::Browse);
        QCOMPARE(table().RecordCount(), 1);
        QCOMPARE(table().Fields(F_Plan).AsString(), QStringLiteral("Старое"));
        QVERIFY(Form_Main->Timer1->Enabled());
    }
    QCOMPARE(finished.count(), 2);
    QCOMPARE(m_session->program().column("Plan"), QList<QVariant>({"Старое"}));
}

void TestEditor::enterPressesOkExceptInDescription() {
    open();
    prepareAdd();
    QList<bool> openAfter;
    inEditor([&] {
        typeText(Form_Edit->DBEdit1, QStringLiteral("Задача"));
        typeText(Form_Edit->DBMemo1, QStringLiteral("\n"));
        openAfter << Form_Edit->isVisible();
        QTest::keyClick(Form_Edit->DBEdit1, Qt::Key_Return);
        openAfter << Form_Edit->isVisible();
    });
    QCOMPARE(openAfter, QList<bool>({true, false}));
    QCOMPARE(m_session->program().column("Comments"), QList<QVariant>({"\n"}));
    prepareEdit();
    inEditor([] {
        typeText(Form_Edit->DBEdit1, QStringLiteral("!"));
        Form_Edit->Button_Cancel->setFocus();
        QTest::keyClick(Form_Edit->Button_Cancel, Qt::Key_Return);
    });
    QCOMPARE(m_session->program().column("Plan"), QList<QVariant>({"Задача"}));
}

// The file locked by another connection: the database's text is reported, the dialog keeps
// what was typed, and Cancel leaves the table as it was.
void TestEditor::refusedWriteKeepsTheDialogAsTyped() {
    open({task("Сохранённая", at(2026, 12, 1))});
    DataModule_Main->Connection.setBusyTimeout(50);
    prepareAdd();
    QString report, title, comments;
    bool stillOpen = false;
    inEditor([&] {
        typeText(Form_Edit->DBEdit1, QStringLiteral("Новая"));
        typeText(Form_Edit->DBMemo1, QStringLiteral("текст"));
        {
            const ForeignLock lock(m_session->program().databasePath());
            Form_Edit->Button_OK->click();
        }
        report = lastMessage();
        stillOpen = Form_Edit->isVisible() && !Form_Main->Timer1->Enabled();
        title = Form_Edit->DBEdit1->text();
        comments = Form_Edit->DBMemo1->toPlainText();
        Form_Edit->Button_Cancel->click();
    });
    QVERIFY2(report.contains(QStringLiteral("locked")), qPrintable(report));
    QVERIFY(stillOpen);
    QCOMPARE(title, QStringLiteral("Новая"));
    QCOMPARE(comments, QStringLiteral("текст"));
    QCOMPARE(table().RecordCount(), 1);
    QCOMPARE(table().Fields(F_Plan).AsString(), QStringLiteral("Сохранённая"));
    QCOMPARE(m_session->program().column("Plan"), QList<QVariant>({"Сохранённая"}));
    QVERIFY(Form_Main->Timer1->Enabled());
}

QTEST_MAIN(TestEditor)
#include "test_editor.moc"
