#include "ModalHelper.h"
#include "WindowSession.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "main_window/TaskGrid.h"
#include "store/TDataModule_Main.h"
#include "toolkit/DatePicker.h"
#include "toolkit/MaskEdit.h"
#include "toolkit/MessageBox.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
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
    bool reminderRowShown = false;
    QString hour;
    QString minute;
};

} // namespace

class CommandsTest : public WindowSuite {
    Q_OBJECT

    // Records what the editor shows, then closes it with the given button.
    void answerEditor(EditorSeen* seen, bool ok, const QString& title = QString()) {
        whenModal([=](QWidget* dialog) {
            seen->caption = dialog->windowTitle();
            seen->watchOn = watchOn();
            seen->titleEnabled = editorWindow()->DBEdit1->isEnabled();
            seen->reminderTicked = editorWindow()->CheckBox_Reminder->isChecked();
            seen->reminderBoxEnabled = editorWindow()->CheckBox_Reminder->isEnabled();
            seen->reminderRowShown = editorWindow()->DateTimePicker_Reminder->geometry().bottom() <
                                     editorWindow()->height();
            seen->hour = editorWindow()->Edit_Hour->text();
            seen->minute = editorWindow()->Edit_Minute->text();
            if (!title.isNull()) {
                editorWindow()->DBEdit1->setFocus();
                typeText(editorWindow()->DBEdit1, title);
            }
            (ok ? editorWindow()->Button_OK : editorWindow()->Button_Cancel)->click();
        });
    }

    void press(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(grid(), Qt::Key(key), modifiers);
    }

private slots:

    void insertKeyAddsATask() {
        open({});
        EditorSeen seen;
        answerEditor(&seen, true, QStringLiteral("Купить \"хлеб\"; молоко"));
        press(Qt::Key_Insert);
        QCOMPARE(seen.caption, QStringLiteral("Добавить задачу"));
        QVERIFY(!seen.watchOn);
        QVERIFY(seen.titleEnabled && seen.reminderBoxEnabled && !seen.reminderTicked);
        QVERIFY(!seen.reminderRowShown);
        QCOMPARE(storedTitles(), QStringList({"Купить \"хлеб\"; молоко"}));
        QCOMPARE(program().column("Date"), QList<QVariant>({"2026-12-08 00:00:00"}));
        QCOMPARE(table().RecordCount(), 1);
        QVERIFY(watchOn());
        QVERIFY(part<QWidget>("Button_Edit")->isEnabled() &&
                part<QWidget>("Label_Del_Completed")->isEnabled());
    }

    void addThenCancelOnAnEmptyTable() {
        open({});
        EditorSeen seen;
        answerEditor(&seen, false, QStringLiteral("передумал"));
        part<QPushButton>("Button_Add")->click();
        QCOMPARE(table().RecordCount(), 0);
        QCOMPARE(program().rowCount(), 0);
        QVERIFY(watchOn());
        QVERIFY(!part<QWidget>("Button_Edit")->isEnabled());
        QVERIFY(!part<QWidget>("Button_Delete")->isEnabled());
    }

    void editPresetsTheEditor() {
        open({{"с напоминанием", at(2026, 12, 9), at(2026, 12, 9, 9, 5)},
              {"сделано", at(2026, 12, 1), {}, true}});
        EditorSeen seen;
        answerEditor(&seen, false);
        part<QPushButton>("Button_Edit")->click();
        QCOMPARE(seen.caption, QStringLiteral("Изменить задачу"));
        QVERIFY(seen.reminderRowShown && seen.reminderTicked && seen.titleEnabled);
        QCOMPARE(seen.hour, QStringLiteral("09"));
        QCOMPARE(seen.minute, QStringLiteral("05"));

        table().setRecNo(2);
        answerEditor(&seen, false);
        part<QAction>("Menu_Edit")->trigger();
        QVERIFY(!seen.titleEnabled && !seen.reminderBoxEnabled && !seen.reminderTicked);
        QVERIFY(!seen.reminderRowShown);
        QVERIFY(!editorWindow()->DateTimePicker1->isEnabled() &&
                !editorWindow()->DBMemo1->isEnabled());
        QVERIFY(watchOn());
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
        QVERIFY(watchOn());
    }

    void doubleClickOnAnEmptyGridDoesNothing() {
        open({});
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
        QVERIFY(watchOn());
        QCOMPARE(pendingModalActions(), 0);
    }

    void deleteAsksFirst() {
        open({{"", at(2026, 12, 9)}, {"вторая", at(2026, 12, 10)}});
        MessageBox::setNextAnswer(MessageBox::Cancel);
        part<QPushButton>("Button_Delete")->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().caption, QStringLiteral("Удаление задачи"));
        QCOMPARE(MessageBox::shown().first().text,
                 QStringLiteral("Вы действительно хотите удалить задачу \"\"?"));
        QVERIFY(MessageBox::shown().first().question);
        QCOMPARE(program().rowCount(), 2);
        QVERIFY(grid()->hasFocus());
        QVERIFY(watchOn());

        table().setRecNo(2);
        press(Qt::Key_Delete);
        QCOMPARE(MessageBox::shown().last().text,
                 QStringLiteral("Вы действительно хотите удалить задачу \"вторая\"?"));
        QCOMPARE(storedTitles(), QStringList({""}));
        QCOMPARE(table().RecNo(), 1);

        part<QAction>("Menu_Delete")->trigger();
        QCOMPARE(table().RecordCount(), 0);
        QVERIFY(!part<QWidget>("Button_Edit")->isEnabled() &&
                !part<QWidget>("Label_Del_Completed")->isEnabled());
        QVERIFY(watchOn());
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
        QWidget* focused = part<QWidget>("Button_Add");
        focused->setFocus();
        press(Qt::Key_Delete, Qt::ShiftModifier); // the grid lacks the focus: nothing happens
        QCOMPARE(program().rowCount(), completed.size());
        part<QPushButton>("Button_Del_Completed")->click();
        QCOMPARE(storedTitles(), kept);
        QCOMPARE(table().RecordCount(), kept.size());
        QCOMPARE(table().RecNo(), kept.isEmpty() ? -1 : int(kept.size()));
        QCOMPARE(part<QWidget>("Button_Del_Completed")->isEnabled(), !kept.isEmpty());
        QVERIFY(watchOn());
        QCOMPARE(QApplication::focusWidget(), focused);
    }

    // The menu as its open step leaves it, on a completed task, on one without a reminder
    // and on one with a reminder, then on an empty table.
    void popupMenuFollowsTheCurrentTask() {
        open({{"сделано", at(2026, 12, 9), {}, true},
              {"без напоминания", at(2026, 12, 9)},
              {"с напоминанием", at(2026, 12, 9), at(2026, 12, 9, 9, 5)}});
        const auto item = [](const char* name) { return part<QAction>(name); };
        QMenu* menu = openPopupMenu();
        QCOMPARE(item("Menu_Completed")->text(), QStringLiteral("Снять завершение"));
        QVERIFY(!item("Menu_Remainder")->isVisible() && !item("Menu_RemainderDelete")->isVisible());
        QVERIFY(item("Menu_Edit")->isEnabled() && item("Menu_Del_Completed")->isEnabled());

        table().setRecNo(2);
        openPopupMenu();
        QCOMPARE(item("Menu_Completed")->text(), QStringLiteral("Завершаить"));
        QCOMPARE(item("Menu_Remainder")->text(), QStringLiteral("Установить напоминание"));
        QVERIFY(item("Menu_Remainder")->isVisible() && !item("Menu_RemainderDelete")->isVisible());

        table().setRecNo(3);
        openPopupMenu();
        QCOMPARE(item("Menu_Remainder")->text(), QStringLiteral("Именить напоминание"));
        QVERIFY(item("Menu_RemainderDelete")->isVisible());

        item("Menu_Completed")->trigger(); // completing empties the reminder
        item("Menu_Completed")->trigger(); // and taking it back does not restore it
        openPopupMenu();
        QCOMPARE(item("Menu_Remainder")->text(), QStringLiteral("Установить напоминание"));
        QCOMPARE(program().column("Reminder").last(), QVariant());
        QVERIFY(watchOn());

        menu->hide();
        part<QPushButton>("Button_Del_Completed")->click();
        item("Menu_Delete")->trigger();
        item("Menu_Delete")->trigger();
        openPopupMenu();
        QVERIFY(!item("Menu_Edit")->isEnabled() && !item("Menu_Delete")->isEnabled());
        QVERIFY(!item("Menu_Completed")->isEnabled() && !item("Menu_Del_Completed")->isEnabled());
        QVERIFY(!item("Menu_Remainder")->isVisible() && item("Menu_Add")->isEnabled());
        menu->hide();
    }

    void refusedDeletesKeepTheTasks() {
        open({{"задача", at(2026, 12, 9), {}, true}, {"ещё одна", at(2026, 12, 9), {}, true}});
        dataModule()->Connection.setBusyTimeout(50);
        {
            const ForeignLock lock(program().databasePath());
            part<QPushButton>("Button_Delete")->click();
            part<QPushButton>("Button_Del_Completed")->click();
        }
        // The question, then the database's refusal of each command.
        QCOMPARE(MessageBox::shown().size(), 3);
        QVERIFY(MessageBox::shown().at(1).text.contains("lock"));
        QVERIFY(MessageBox::shown().at(2).text.contains("lock"));
        QCOMPARE(table().RecordCount(), 2);
        QCOMPARE(program().rowCount(), 2);
        QVERIFY(watchOn());
        QVERIFY(part<QWidget>("Button_Del_Completed")->isEnabled());
    }
};

QTEST_MAIN(CommandsTest)
#include "test_commands.moc"
