#include "ModalHelper.h"
#include "WindowSession.h"
#include "app/Instances.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "main_window/TForm_Main.h"
#include "main_window/TaskGrid.h"
#include "store/TDataModule_Main.h"
#include "toolkit/DatePicker.h"
#include "toolkit/MaskEdit.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Timer.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

// What the editor showed while it was open.
struct EditorSeen {
    QString caption;
    bool watchOn = true;
    bool titleEnabled = false;
    bool reminderTicked = false;
    bool reminderBoxEnabled = false;
    int height = 0;
    QString hour;
    QString minute;
};

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> session;

    void open(const QList<TaskRow>& rows) { QVERIFY(session->openShown(rows)); }

    TempProgram& program() const { return session->program(); }
    TaskGrid* grid() const { return mainWindow()->DBGrid_Main; }
    TTable& table() const { return session->table(); }

    QPoint cellCentre(int row, int column) const {
        return grid()->visualRect(grid()->model()->index(row, column)).center();
    }

    // Records what the editor shows, then closes it with the given button.
    void answerEditor(EditorSeen* seen, bool ok, const QString& title = QString()) {
        whenModal([=](QWidget* dialog) {
            seen->caption = dialog->windowTitle();
            seen->watchOn = mainWindow()->Timer1->Enabled();
            seen->titleEnabled = editorWindow()->DBEdit1->isEnabled();
            seen->reminderTicked = editorWindow()->CheckBox_Reminder->isChecked();
            seen->reminderBoxEnabled = editorWindow()->CheckBox_Reminder->isEnabled();
            seen->height = editorWindow()->Height();
            seen->hour = editorWindow()->Edit_Hour->text();
            seen->minute = editorWindow()->Edit_Minute->text();
            if (!title.isNull()) {
                editorWindow()->DBEdit1->setFocus();
                typeText(editorWindow()->DBEdit1, title);
            }
            (ok ? editorWindow()->Button_OK : editorWindow()->Button_Cancel)->click();
        });
    }

    QStringList storedTitles() const {
        QStringList titles;
        for (const QVariant& value : program().column("Plan"))
            titles << value.toString();
        return titles;
    }

    void press(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(grid(), Qt::Key(key), modifiers);
    }

private slots:
    void init() { session = std::make_unique<WindowSession>(at(2026, 12, 8, 14, 3, 58)); }

    void cleanup() {
        QVERIFY(!modalHelperFailed());
        session.reset();
    }

    void insertKeyAddsATask() {
        open({});
        EditorSeen seen;
        answerEditor(&seen, true, QStringLiteral("Купить \"хлеб\"; молоко"));
        press(Qt::Key_Insert);
        QCOMPARE(seen.caption, QStringLiteral("Добавить задачу"));
        QVERIFY(!seen.watchOn);
        QVERIFY(seen.titleEnabled && seen.reminderBoxEnabled && !seen.reminderTicked);
        QCOMPARE(seen.height, 340);
        QCOMPARE(storedTitles(), QStringList({"Купить \"хлеб\"; молоко"}));
        QCOMPARE(program().column("Date"), QList<QVariant>({"2026-12-08 00:00:00"}));
        QCOMPARE(table().RecordCount(), 1);
        QVERIFY(mainWindow()->Timer1->Enabled());
        QVERIFY(mainWindow()->Button_Edit->isEnabled() &&
                mainWindow()->Label_Del_Completed->isEnabled());
    }

    void addThenCancelOnAnEmptyTable() {
        open({});
        EditorSeen seen;
        answerEditor(&seen, false, QStringLiteral("передумал"));
        mainWindow()->Button_Add->click();
        QCOMPARE(table().RecordCount(), 0);
        QCOMPARE(program().rowCount(), 0);
        QVERIFY(mainWindow()->Timer1->Enabled());
        QVERIFY(!mainWindow()->Button_Edit->isEnabled());
        QVERIFY(!mainWindow()->Button_Delete->isEnabled());
    }

    void editPresetsTheEditor() {
        open({{"с напоминанием", at(2026, 12, 9), at(2026, 12, 9, 9, 5)},
              {"сделано", at(2026, 12, 1), {}, true}});
        EditorSeen seen;
        answerEditor(&seen, false);
        mainWindow()->Button_Edit->click();
        QCOMPARE(seen.caption, QStringLiteral("Изменить задачу"));
        QCOMPARE(seen.height, 380);
        QVERIFY(seen.reminderTicked && seen.titleEnabled);
        QCOMPARE(seen.hour, QStringLiteral("09"));
        QCOMPARE(seen.minute, QStringLiteral("05"));

        table().setRecNo(2);
        answerEditor(&seen, false);
        mainWindow()->Menu_Edit->trigger();
        QVERIFY(!seen.titleEnabled && !seen.reminderBoxEnabled && !seen.reminderTicked);
        QCOMPARE(seen.height, 340);
        QVERIFY(!editorWindow()->DateTimePicker1->isEnabled() &&
                !editorWindow()->DBMemo1->isEnabled());
        QVERIFY(mainWindow()->Timer1->Enabled());
    }

    void doubleClickOpensTheEditorOnTheRowUnderTheMouse() {
        open({{"первая", at(2026, 12, 9)}, {"вторая", at(2026, 12, 10)}});
        EditorSeen seen;
        answerEditor(&seen, false);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(1, 2));
        QCOMPARE(seen.caption, QStringLiteral("Изменить задачу"));
        QCOMPARE(table().RecNo(), 2);
        QCOMPARE(editorWindow()->DateTimePicker1->date(), QDate(2026, 12, 10));
    }

    void doubleClickOnTheCompletionColumnTogglesTwice() {
        open({{"задача", at(2026, 12, 9), at(2026, 12, 9, 9, 5)}});
        // A double click arrives as a click, the double-click action, and a second release.
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(0, 3));
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(0, 3));
        QTest::mouseRelease(grid()->viewport(), Qt::LeftButton, {}, cellCentre(0, 3));
        QCOMPARE(program().column("Completed"), QList<QVariant>({0}));
        QCOMPARE(program().column("Reminder"), QList<QVariant>({QVariant()}));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(mainWindow()->Timer1->Enabled());
    }

    void doubleClickOnAnEmptyGridDoesNothing() {
        open({});
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
        QVERIFY(mainWindow()->Timer1->Enabled());
        QCOMPARE(pendingModalActions(), 0);
    }

    void deleteAsksFirst() {
        open({{"", at(2026, 12, 9)}, {"вторая", at(2026, 12, 10)}});
        MessageBox::setNextAnswer(MessageBox::Cancel);
        mainWindow()->Button_Delete->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().caption, QStringLiteral("Удаление задачи"));
        QCOMPARE(MessageBox::shown().first().text,
                 QStringLiteral("Вы действительно хотите удалить задачу \"\"?"));
        QVERIFY(MessageBox::shown().first().question);
        QCOMPARE(program().rowCount(), 2);
        QVERIFY(grid()->hasFocus());
        QVERIFY(mainWindow()->Timer1->Enabled());

        table().setRecNo(2);
        press(Qt::Key_Delete);
        QCOMPARE(MessageBox::shown().last().text,
                 QStringLiteral("Вы действительно хотите удалить задачу \"вторая\"?"));
        QCOMPARE(storedTitles(), QStringList({""}));
        QCOMPARE(table().RecNo(), 1);

        mainWindow()->Menu_Delete->trigger();
        QCOMPARE(table().RecordCount(), 0);
        QVERIFY(!mainWindow()->Button_Edit->isEnabled() &&
                !mainWindow()->Label_Del_Completed->isEnabled());
        QVERIFY(mainWindow()->Timer1->Enabled());
    }

    void keysOnAnEmptyTable() {
        open({});
        press(Qt::Key_Delete);
        press(Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(MessageBox::shown().size(), 0);
        EditorSeen seen;
        answerEditor(&seen, false);
        press(Qt::Key_Insert);
        QCOMPARE(seen.caption, QStringLiteral("Добавить задачу"));
    }

    void deleteCompletedRemovesExactlyTheCompleted_data() {
        QTest::addColumn<QList<bool>>("completed");
        QTest::newRow("mixed, adjacent") << QList<bool>{true, true, false, true, false, true, true};
        QTest::newRow("none") << QList<bool>{false, false};
        QTest::newRow("all") << QList<bool>{true, true, true};
    }

    void deleteCompletedRemovesExactlyTheCompleted() {
        QFETCH(QList<bool>, completed);
        QList<TaskRow> rows;
        QStringList kept;
        for (int i = 0; i < completed.size(); ++i) {
            rows.append({QString::number(i), at(2026, 12, 9), {}, completed[i]});
            if (!completed[i])
                kept << QString::number(i);
        }
        open(rows);
        QWidget* focused = mainWindow()->Button_Add;
        focused->setFocus();
        press(Qt::Key_Delete, Qt::ShiftModifier); // the grid lacks the focus: nothing happens
        QCOMPARE(program().rowCount(), completed.size());
        mainWindow()->Button_Del_Completed->click();
        QCOMPARE(storedTitles(), kept);
        QCOMPARE(table().RecordCount(), kept.size());
        QCOMPARE(table().RecNo(), kept.isEmpty() ? -1 : int(kept.size()));
        QCOMPARE(mainWindow()->Button_Del_Completed->isEnabled(), !kept.isEmpty());
        QVERIFY(mainWindow()->Timer1->Enabled());
        QCOMPARE(QApplication::focusWidget(), focused);
    }

    void popupMenuFollowsTheCurrentTask() {
        open({{"сделано", at(2026, 12, 9), {}, true},
              {"без напоминания", at(2026, 12, 9)},
              {"с напоминанием", at(2026, 12, 9), at(2026, 12, 9, 9, 5)}});
        mainWindow()->PopupMenu_MainPopup();
        QCOMPARE(mainWindow()->Menu_Completed->text(), QStringLiteral("Снять завершение"));
        QVERIFY(!mainWindow()->Menu_Remainder->isVisible() &&
                !mainWindow()->Menu_RemainderDelete->isVisible());
        QVERIFY(mainWindow()->Menu_Edit->isEnabled() &&
                mainWindow()->Menu_Del_Completed->isEnabled());

        table().setRecNo(2);
        mainWindow()->PopupMenu_MainPopup();
        QCOMPARE(mainWindow()->Menu_Completed->text(), QStringLiteral("Завершаить"));
        QCOMPARE(mainWindow()->Menu_Remainder->text(), QStringLiteral("Установить напоминание"));
        QVERIFY(mainWindow()->Menu_Remainder->isVisible() &&
                !mainWindow()->Menu_RemainderDelete->isVisible());

        table().setRecNo(3);
        mainWindow()->PopupMenu_MainPopup();
        QCOMPARE(mainWindow()->Menu_Remainder->text(), QStringLiteral("Именить напоминание"));
        QVERIFY(mainWindow()->Menu_RemainderDelete->isVisible());

        mainWindow()->Menu_Completed->trigger(); // completing empties the reminder
        mainWindow()->Menu_Completed->trigger(); // and taking it back does not restore it
        mainWindow()->PopupMenu_MainPopup();
        QCOMPARE(mainWindow()->Menu_Remainder->text(), QStringLiteral("Установить напоминание"));
        QCOMPARE(program().column("Reminder").last(), QVariant());
        QVERIFY(mainWindow()->Timer1->Enabled());

        mainWindow()->Button_Del_Completed->click();
        mainWindow()->Menu_Delete->trigger();
        mainWindow()->Menu_Delete->trigger();
        mainWindow()->PopupMenu_MainPopup();
        QVERIFY(!mainWindow()->Menu_Edit->isEnabled() && !mainWindow()->Menu_Delete->isEnabled());
        QVERIFY(!mainWindow()->Menu_Completed->isEnabled() &&
                !mainWindow()->Menu_Del_Completed->isEnabled());
        QVERIFY(!mainWindow()->Menu_Remainder->isVisible() && mainWindow()->Menu_Add->isEnabled());
    }

    void refusedDeletesKeepTheTasks() {
        open({{"задача", at(2026, 12, 9), {}, true}, {"ещё одна", at(2026, 12, 9), {}, true}});
        session->module().Connection.setBusyTimeout(50);
        {
            const ForeignLock lock(program().databasePath());
            mainWindow()->Button_Delete->click();
            mainWindow()->Button_Del_Completed->click();
        }
        // The question, then the database's refusal of each command.
        QCOMPARE(MessageBox::shown().size(), 3);
        QVERIFY(MessageBox::shown().at(1).text.contains("lock"));
        QVERIFY(MessageBox::shown().at(2).text.contains("lock"));
        QCOMPARE(table().RecordCount(), 2);
        QCOMPARE(program().rowCount(), 2);
        QVERIFY(mainWindow()->Timer1->Enabled());
        QVERIFY(mainWindow()->Button_Del_Completed->isEnabled());
    }
};

QTEST_MAIN(CommandsTest)
#include "test_commands.moc"
