#include "LiteralWalk.h"
#include "ModalHelper.h"
#include "WindowSession.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "main_window/TaskGrid.h"
#include "reminders/ReminderWatch.h"
#include "reminders/TForm_Remainder.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Clock.h"
#include "toolkit/DatePicker.h"
#include "toolkit/MaskEdit.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

const QDateTime Now = fixedNow();

// What a showing of the reminder dialog showed.
struct Seen {
    QString caption;
    QString plan;
    QString comments;
    int recNo = 0;
    int gridRow = 0;
    bool mainVisible = false;
    bool watchOn = true;
    int choice = -1;
    bool postponeShown = true;
};

Seen look() {
    const TForm_Remainder* dialog = reminderWindow();
    return {dialog->windowTitle(),
            dialog->Edit_Plan->text(),
            dialog->Memo_Comment->toPlainText(),
            table().RecNo(),
            grid()->currentIndex().row() + 1,
            mainWindow()->isVisible(),
            watchOn(),
            dialog->choice(),
            dialog->ComboBox_Ed_Izm->isVisible() || dialog->Edit_Time->isVisible() ||
                dialog->UpDown_Time->isVisible()};
}

QStringList plans(const QList<Seen>& seen) {
    QStringList result;
    for (const Seen& one : seen)
        result << one.plan;
    return result;
}

// One showing's answer: what the user does in the dialog, ending it or not.
using Answer = std::function<void()>;

// Answers the next showings of the reminder dialog in turn, one answer each, and records what
// each showed. An answer that leaves the dialog open is followed by a frame close, so a failed
// check never hangs the walk.
void answerInTurn(const QList<Answer>& answers, QList<Seen>* seen) {
    if (answers.isEmpty())
        return;
    whenModal([answers, seen](QWidget* dialog) {
        QCOMPARE(dialog, reminderWindow());
        seen->append(look());
        answerInTurn(answers.mid(1), seen);
        answers.first()();
        if (reminderWindow()->isVisible())
            reminderWindow()->close();
    });
}

// One tick, the dialogs it shows answered in turn; what each showed.
QList<Seen> tickAnswering(const QList<Answer>& answers) {
    QList<Seen> seen;
    answerInTurn(answers, &seen);
    tick();
    return seen;
}

// A tick at which no dialog should turn up: one that does anyway is recorded and closed.
QList<Seen> tickShowingNothing() {
    const QList<Seen> seen = tickAnswering({[] { reminderWindow()->close(); }});
    dropModalActions();
    return seen;
}

// Runs steps inside one showing of the dialog on the due task, then closes it through the
// frame unless the steps closed it.
void inDialog(const Answer& steps) {
    QCOMPARE(tickAnswering({steps}).size(), 1);
}

void choose(int choice) {
    QList<QRadioButton*> items =
        reminderWindow()->RadioGroup_Reminder->findChildren<QRadioButton*>();
    QTest::mouseClick(items.at(choice), Qt::LeftButton);
}

void pressOk() {
    QTest::mouseClick(reminderWindow()->BitBtn1, Qt::LeftButton);
}

// The unit picked from the list with the keyboard, as a user does.
void pickUnit(int unit) {
    QComboBox* units = reminderWindow()->ComboBox_Ed_Izm;
    units->setFocus();
    while (units->currentIndex() < unit)
        QTest::keyClick(units, Qt::Key_Down);
    while (units->currentIndex() > unit)
        QTest::keyClick(units, Qt::Key_Up);
}

// A click into the amount selects it; the keys typed then replace it. No keys: emptied.
void typeAmount(const QString& keys) {
    MaskEdit* amount = reminderWindow()->Edit_Time;
    QTest::mouseClick(amount, Qt::LeftButton, {}, QPoint(5, 5));
    if (keys.isEmpty())
        QTest::keyClick(amount, Qt::Key_Delete);
    QTest::keyClicks(amount, keys);
}

Answer stop() {
    return [] { pressOk(); };
}

Answer complete() {
    return [] {
        choose(TForm_Remainder::Complete);
        pressOk();
    };
}

Answer postpone(int unit, const QString& amount) {
    return [unit, amount] {
        choose(TForm_Remainder::Postpone);
        pickUnit(unit);
        typeAmount(amount);
        pressOk();
    };
}

Answer closeFrame() {
    return [] { reminderWindow()->close(); };
}

} // namespace

class RemindersTest : public WindowSuite {
    Q_OBJECT

    // The windows shown on the rows while nothing is due yet, then the clock at Now: the
    // test drives every tick itself.
    void open(const QList<TaskRow>& rows) {
        Clock::setFixed(at(2000, 1, 1));
        session->openShown(rows);
        Clock::setFixed(Now);
    }

    QList<QVariant> stored(const char* field) const { return program().column(field); }

private slots:
    // The watch runs again once the last of its pauses has ended, whichever ends first.
    void pausesHoldTheWatchUntilTheLastEnds() {
        open({});
        auto first = std::make_unique<ReminderWatch::Pause>(watch());
        {
            const ReminderWatch::Pause second(watch());
            QVERIFY(!watchOn());
        }
        QVERIFY(!watchOn());
        first.reset();
        QVERIFY(watchOn());
    }

    void nothingDueLeavesTheCursorAndTheViewsAlone() {
        open({});
        QCOMPARE(tickShowingNothing().size(), 0);
        QVERIFY(watchOn());
        QCOMPARE(table().RecNo(), -1);
        session.reset();

        session = std::make_unique<WindowSession>();
        open({{"завтра", at(2026, 12, 9), Now.addSecs(1)},
              {"сделано", at(2026, 12, 1), Now.addDays(-1), true},
              {"без напоминания", at(2026, 12, 1)}});
        table().setRecNo(2);
        QSignalSpy moves(&table(), &TTable::currentChanged);
        QCOMPARE(tickShowingNothing().size(), 0);
        QCOMPARE(moves.count(), 0);
        QCOMPARE(table().RecNo(), 2);
        QVERIFY(watchOn());
        // The completed task keeps its reminder.
        QCOMPARE(stored("Reminder").at(1), QVariant("2026-12-07 14:03:58"));
    }

    // The moment equal to now fires; a second later does not; a completed task and one
    // without a reminder never do.
    void dueTestBoundaries() {
        open({{"сделано", at(2026, 12, 1), Now.addDays(-1), true},
              {"ровно сейчас", at(2026, 12, 8), Now, false, "описание\nв две строки"},
              {"через секунду", at(2026, 12, 8), Now.addSecs(1)},
              {"без напоминания", at(2026, 12, 8)}});
        table().setRecNo(4);
        const QList<Seen> seen = tickAnswering({closeFrame()});
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].caption, QStringLiteral("08.12.2026 14:03"));
        QCOMPARE(seen[0].plan, QStringLiteral("ровно сейчас"));
        QCOMPARE(seen[0].comments, QStringLiteral("описание\nв две строки"));
        QCOMPARE(seen[0].recNo, 2);
        QCOMPARE(seen[0].gridRow, 2);
        QVERIFY(!seen[0].watchOn);
        QCOMPARE(table().RecNo(), 4);
        QVERIFY(watchOn());
        QCOMPARE(stored("Reminder").at(0), QVariant("2026-12-07 14:03:58"));
    }

    // A reminder field written by another program that holds no date-time never fires and
    // never stops the watch.
    void reminderThatIsNoDateNeverFires() {
        open({{"чужая запись", at(2026, 12, 8), Now.addDays(-1)}});
        {
            TConnection other;
            other.setConnectionString("Data Source=" + program().databasePath());
            other.Open();
            other.exec("UPDATE Plans SET Reminder = 'вчера'");
        }
        table().Refresh();
        QCOMPARE(tickShowingNothing().size(), 0);
        QVERIFY(watchOn());
        QCOMPARE(MessageBox::shown().size(), 0);
        QCOMPARE(stored("Reminder"), QList<QVariant>({"вчера"}));
    }

    // In the grid's order, one after another; the main window comes out of the tray first,
    // and the cursor goes back where it was.
    void dueTasksComeInTheGridsOrder() {
        open({{"в", at(2026, 12, 8), Now.addSecs(-60)},
              {"а", at(2026, 12, 8), Now.addSecs(-120)},
              {"не сейчас", at(2026, 12, 8), Now.addSecs(60)},
              {"б", at(2026, 12, 8), Now.addSecs(-180)}});
        table().setIndexFieldNames("Plan");
        table().setRecNo(3); // "в"
        mainWindow()->hide();
        const QList<Seen> seen = tickAnswering({stop(), stop(), stop()});
        QCOMPARE(plans(seen), QStringList({"а", "б", "в"}));
        for (const Seen& one : seen) {
            QVERIFY(one.mainVisible);
            QCOMPARE(one.gridRow, one.recNo);
            QCOMPARE(one.choice, int(TForm_Remainder::Stop));
        }
        QCOMPARE(table().RecNo(), 3);
        QCOMPARE(table().Fields(F_Plan).AsString(), QStringLiteral("в"));
        QVERIFY(watchOn());
        QCOMPARE(stored("Reminder"),
                 QList<QVariant>({QVariant(), QVariant(), "2026-12-08 14:04:58", QVariant()}));
    }

    // The time is read again after each dialog: a task further on that fell due meanwhile is
    // shown in the same walk; one already passed waits for the next tick.
    void taskFallingDueDuringADialog() {
        open({{"уже пройдена", at(2026, 12, 8), Now.addSecs(30)},
              {"первая", at(2026, 12, 8), Now},
              {"дальше", at(2026, 12, 8), Now.addSecs(60)}});
        const Answer laterOk = [] {
            Clock::advance(60 * 1000);
            pressOk();
        };
        QCOMPARE(plans(tickAnswering({laterOk, stop()})), QStringList({"первая", "дальше"}));
        QCOMPARE(plans(tickAnswering({stop()})), QStringList({"уже пройдена"}));
    }

    // Positions are fixed when the walk starts: a postponed task that moves down in the
    // order takes the place of one not yet reached, which waits for the next tick.
    void answerThatMovesATaskInTheSort() {
        open({{"раньше", at(2026, 12, 8), Now.addSecs(-120)},
              {"позже", at(2026, 12, 8), Now.addSecs(-60)}});
        table().setIndexFieldNames("Reminder");
        QCOMPARE(plans(tickAnswering({postpone(0, "5")})), QStringList({"раньше"}));
        QCOMPARE(plans(tickAnswering({stop()})), QStringList({"позже"}));
        QCOMPARE(stored("Reminder"), QList<QVariant>({"2026-12-08 14:08:00", QVariant()}));
    }

    void postponedMoments_data() {
        dataTable<QDateTime, int, QString, QString>(
            {"now", "unit", "amount", "reminder"},
            {{"5 min at 14:03:58", Now, 0, "5", "2026-12-08 14:08:00"},
             {"1 min at 14:59:30", at(2026, 12, 8, 14, 59, 30), 0, "1", "2026-12-08 15:00:00"},
             {"1 min at 14:03:59", at(2026, 12, 8, 14, 3, 59), 0, "1", "2026-12-08 14:04:00"},
             {"23 h", Now, 1, "23", "2026-12-09 13:03:00"},
             {"365 days", Now, 2, "365", "2027-12-08 14:03:00"},
             {"2 days over a month end", at(2026, 12, 30, 23, 59, 59), 2, "2",
              "2027-01-01 23:59:00"}});
    }

    // The base moment is the minute begun when OK is pressed; the task's other fields stay.
    void postponedMoments() {
        QFETCH(QDateTime, now);
        QFETCH(int, unit);
        QFETCH(QString, amount);
        QFETCH(QString, reminder);
        open({{"задача", at(2026, 12, 8), Now.addSecs(-3600), false, "текст"}});
        Clock::setFixed(now);
        inDialog(postpone(unit, amount));
        QVERIFY(!reminderWindow()->isVisible());
        QCOMPARE(stored("Reminder"), QList<QVariant>({reminder}));
        QCOMPARE(stored("Completed"), QList<QVariant>({qint64(0)}));
        QCOMPARE(stored("Plan"), QList<QVariant>({"задача"}));
        QCOMPARE(stored("Comments"), QList<QVariant>({"текст"}));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid()));
        QVERIFY(watchOn());
    }

    // "Прекратить" empties the reminder; "Завершить" completes the task and empties it in
    // one posted change. Both stay so in the file.
    void stopAndComplete() {
        open({{"стоп", at(2026, 12, 8), Now}, {"готово", at(2026, 12, 8), Now}});
        QCOMPARE(plans(tickAnswering({stop(), complete()})), QStringList({"стоп", "готово"}));
        QCOMPARE(stored("Reminder"), QList<QVariant>({QVariant(), QVariant()}));
        QCOMPARE(stored("Completed"), QList<QVariant>({qint64(0), qint64(1)}));
        QCOMPARE(tickShowingNothing().size(), 0);
    }

    // Each answer writes what it changes and nothing else: a date another program wrote in
    // a form the program cannot read, and a flag stored as text, stay as they were.
    void answersLeaveOtherFieldsAsStored() {
        open({{"стоп", at(2026, 12, 8), Now},
              {"отложить", at(2026, 12, 8), Now},
              {"готово", at(2026, 12, 8), Now}});
        QVERIFY(program().exec("UPDATE Plans SET Date = 'garbage', Completed = 'нет'"));
        table().Refresh();
        QCOMPARE(plans(tickAnswering({stop(), postpone(0, "5"), complete()})),
                 QStringList({"стоп", "отложить", "готово"}));
        QCOMPARE(stored("Reminder"),
                 QList<QVariant>({QVariant(), "2026-12-08 14:08:00", QVariant()}));
        QCOMPARE(stored("Date"), QList<QVariant>(3, "garbage"));
        QCOMPARE(stored("Completed"), QList<QVariant>({"нет", "нет", qint64(1)}));
    }

    void amountField_data() {
        dataTable<int, QString, QString>({"unit", "keys", "text"}, {{"75 min", 0, "75", "59"},
                                                                    {"30 h", 1, "30", "23"},
                                                                    {"999 days", 2, "999", "365"},
                                                                    {"one digit", 0, "7", "7 "},
                                                                    {"emptied min", 0, "", "00"},
                                                                    {"emptied days", 2, "", "000"},
                                                                    {"23 h", 1, "23", "23"}});
    }

    void amountField() {
        QFETCH(int, unit);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        open({{"задача", at(2026, 12, 8), Now}});
        QString shown;
        int position = -1;
        inDialog([&] {
            choose(TForm_Remainder::Postpone);
            pickUnit(unit);
            typeAmount(keys);
            shown = reminderWindow()->Edit_Time->text();
            position = reminderWindow()->UpDown_Time->Position();
        });
        QCOMPARE(shown, text);
        QCOMPARE(position, text.trimmed().toInt());
    }

    // The arrows stop at 0 and at the unit's highest amount, write leading zeros and select
    // the whole text; a unit change puts the amount back to 0.
    void spinArrowsAndUnitChange() {
        open({{"задача", at(2026, 12, 8), Now}});
        QStringList texts;
        QStringList selected;
        auto arrow = [&](bool up) {
            UpDown* spin = reminderWindow()->UpDown_Time;
            QTest::mouseClick(arrowOf(spin, up), Qt::LeftButton);
            texts << reminderWindow()->Edit_Time->text();
            selected << reminderWindow()->Edit_Time->selectedText();
        };
        inDialog([&] {
            choose(TForm_Remainder::Postpone);
            pickUnit(2);
            arrow(false);
            arrow(true);
            typeAmount("364");
            arrow(true);
            arrow(true);
            pickUnit(1);
            texts << reminderWindow()->Edit_Time->text();
            typeAmount("22");
            arrow(true);
            arrow(true);
        });
        QCOMPARE(texts, QStringList({"000", "001", "365", "365", "00", "23", "23"}));
        QCOMPARE(selected, QStringList({"000", "001", "365", "365", "23", "23"}));
        QCOMPARE(reminderWindow()->UpDown_Time->Position(), 23);
    }

    // With the unit typed over, no unit is selected: the amount is left as typed, and OK
    // closes the dialog and leaves the reminder, which comes back at the next tick.
    void unitTypedOver() {
        open({{"задача", at(2026, 12, 8), Now}});
        QString amount;
        inDialog([&] {
            choose(TForm_Remainder::Postpone);
            typeAmount("5");
            QComboBox* units = reminderWindow()->ComboBox_Ed_Izm;
            units->lineEdit()->selectAll();
            typeText(units->lineEdit(), QStringLiteral("нед."));
            QCOMPARE(reminderWindow()->unitIndex(), -1);
            typeAmount("99");
            amount = reminderWindow()->Edit_Time->text();
            pressOk();
        });
        QCOMPARE(amount, QStringLiteral("99"));
        QCOMPARE(stored("Reminder"), QList<QVariant>({"2026-12-08 14:03:58"}));
        QCOMPARE(tickAnswering({stop()}).size(), 1);
    }

    // The unit, the amount and the spin position stay from one showing to the next; the
    // choice goes back to "Прекратить" with the postpone controls hidden.
    void stateKeptBetweenShowings() {
        open({{"первая", at(2026, 12, 8), Now}, {"вторая", at(2026, 12, 8), Now}});
        QList<Seen> seen;
        Seen second;
        answerInTurn({postpone(1, "2"),
                      [&] {
                          choose(TForm_Remainder::Postpone);
                          second = look();
                          pressOk();
                      }},
                     &seen);
        tick();
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[1].choice, int(TForm_Remainder::Stop));
        QVERIFY(!seen[1].postponeShown);
        QVERIFY(second.postponeShown);
        QCOMPARE(reminderWindow()->ComboBox_Ed_Izm->currentText(), QStringLiteral("ч."));
        QCOMPARE(reminderWindow()->Edit_Time->text().trimmed(), QStringLiteral("2"));
        QCOMPARE(reminderWindow()->UpDown_Time->Position(), 2);
        QCOMPARE(stored("Reminder"),
                 QList<QVariant>({"2026-12-08 16:03:00", "2026-12-08 16:03:00"}));
    }

    // Esc does nothing, the frame writes nothing (the dialog comes back at the next tick),
    // and Enter presses OK.
    void keysAndFrameClose() {
        open({{"задача", at(2026, 12, 8), Now}});
        bool openAfterEscape = false;
        inDialog([&] {
            choose(TForm_Remainder::Complete);
            QTest::keyClick(reminderWindow()->Edit_Plan, Qt::Key_Escape);
            openAfterEscape = reminderWindow()->isVisible();
            reminderWindow()->close();
        });
        QVERIFY(openAfterEscape);
        QCOMPARE(stored("Completed"), QList<QVariant>({qint64(0)}));
        QCOMPARE(stored("Reminder"), QList<QVariant>({"2026-12-08 14:03:58"}));
        QVERIFY(watchOn());
        inDialog([] { QTest::keyClick(reminderWindow()->Edit_Plan, Qt::Key_Return); });
        QCOMPARE(stored("Reminder"), QList<QVariant>({QVariant()}));
    }

    void zeroAmountIsRefused() {
        open({{"задача", at(2026, 12, 8), Now}});
        QStringList messages;
        QList<bool> stillOpen;
        inDialog([&] {
            choose(TForm_Remainder::Postpone);
            for (int unit : {0, 2}) {
                pickUnit(unit);
                reminderWindow()->BitBtn1->setFocus();
                pressOk();
                messages << lastMessage();
                stillOpen << (reminderWindow()->isVisible() &&
                              reminderWindow()->focusWidget() == reminderWindow()->Edit_Time);
            }
        });
        const QString refusal =
            QStringLiteral("Не задано время! / Установите время либо прекратите напоминание!");
        QCOMPARE(messages, QStringList({refusal, refusal}));
        QCOMPARE(stillOpen, QList<bool>({true, true}));
        QCOMPARE(stored("Reminder"), QList<QVariant>({"2026-12-08 14:03:58"}));
    }

    // A locked file when the user answers: the database's text is reported, the dialog stays
    // open with the choice, and nothing half-written stays for a later cursor move to store.
    void refusedAnswerLeavesNothingBehind() {
        open({{"задача", at(2026, 12, 8), Now}, {"другая", at(2026, 12, 9)}});
        dataModule()->Connection.setBusyTimeout(50);
        QString report;
        int choiceAfter = -1;
        bool openAfter = false;
        TTable::State state = TTable::EditState;
        inDialog([&] {
            const ForeignLock lock(program().databasePath());
            complete()();
            report = lastMessage();
            choiceAfter = reminderWindow()->choice();
            openAfter = reminderWindow()->isVisible();
            state = table().state();
        });
        QVERIFY2(report.contains("locked"), qPrintable(report));
        QVERIFY(openAfter);
        QCOMPARE(choiceAfter, int(TForm_Remainder::Complete));
        QCOMPARE(state, TTable::Browse);
        table().setRecNo(2);
        table().Refresh();
        QCOMPARE(stored("Completed"), QList<QVariant>({qint64(0), qint64(0)}));
        QCOMPARE(stored("Reminder"), QList<QVariant>({"2026-12-08 14:03:58", QVariant()}));
        inDialog(complete());
        QCOMPARE(stored("Completed"), QList<QVariant>({qint64(1), qint64(0)}));
    }

    // A tick that fails (here: a pending change it must store before it moves on, while
    // another program holds the file) is reported once while the failure lasts; the watch
    // stays on and fires once the file is free again.
    void failingTickNeverStopsTheWatch() {
        open({{"правится", at(2026, 12, 9)}, {"задача", at(2026, 12, 8), Now}});
        dataModule()->Connection.setBusyTimeout(50);
        table().setRecNo(1);
        table().Edit();
        table().Fields(F_Plan).setAsString("правлено");
        {
            const ForeignLock lock(program().databasePath());
            for (int i = 0; i < 3; ++i) {
                tick();
                QVERIFY(watchOn());
            }
        }
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown().first().text.contains("locked"));
        QCOMPARE(plans(tickAnswering({stop()})), QStringList({"задача"}));
        QCOMPARE(stored("Plan"), QList<QVariant>({"правлено", "задача"}));
        QCOMPARE(MessageBox::shown().size(), 1);
    }

    // A grid nobody touches gets today's colours after midnight.
    void dateChangeRepaintsTheGrid() {
        open({{"сегодня", at(2026, 12, 8)}});
        Clock::setFixed(at(2026, 12, 8, 23, 59, 59));
        tick(); // the first tick after opening has seen the date of Now
        QSignalSpy days(&watch(), &ReminderWatch::dayChanged);
        tick();
        QCOMPARE(days.count(), 0);
        int paints = 0;
        struct Counter : QObject {
            int* count;
            explicit Counter(int* c)
                : count(c) {}
            bool eventFilter(QObject*, QEvent* event) override {
                *count += event->type() == QEvent::Paint;
                return false;
            }
        } counter(&paints);
        QCoreApplication::processEvents();
        grid()->viewport()->installEventFilter(&counter);
        Clock::setFixed(at(2026, 12, 9, 0, 0, 0));
        tick();
        QCOMPARE(days.count(), 1);
        QTRY_VERIFY(paints > 0);
        grid()->viewport()->removeEventFilter(&counter);
    }

    void setReminderCommand() {
        open({{"без напоминания", at(2026, 12, 8), {}, false, "описание"}});
        openPopupMenu()->hide();
        QAction* command = part<QAction>("Menu_Remainder");
        QCOMPARE(command->text(), QStringLiteral("Установить напоминание"));
        QStringList seen;
        QStringList messages;
        bool watchWasOn = true;
        whenModal([&](QWidget* dialog) {
            seen << dialog->windowTitle()
                 << editorWindow()->DateTimePicker_Reminder->date().toString(Qt::ISODate)
                 << editorWindow()->Edit_Hour->text() + ":" + editorWindow()->Edit_Minute->text();
            watchWasOn = watchOn();
            // The reminder row is in view.
            QVERIFY(editorWindow()->Edit_Hour->geometry().bottom() < editorWindow()->height());
            QVERIFY(!editorWindow()->DBEdit1->isEnabled() &&
                    !editorWindow()->DBMemo1->isEnabled() &&
                    !editorWindow()->DateTimePicker1->isEnabled());
            QVERIFY(editorWindow()->CheckBox_Reminder->isChecked());
            QCOMPARE(editorWindow()->DBEdit1->text(), QStringLiteral("без напоминания"));
            // The proposed moment, the current minute, has begun already.
            editorWindow()->Button_OK->click();
            messages << lastMessage();
            editorWindow()->Edit_Minute->selectAll();
            QTest::keyClicks(editorWindow()->Edit_Minute, "30");
            editorWindow()->Button_OK->click();
        });
        command->trigger();
        QCOMPARE(seen, QStringList({"Установить напоминание", "2026-12-08", "14:03"}));
        QVERIFY(!watchWasOn);
        QCOMPARE(messages, QStringList({"Время напоминания! / Время напоминания уже прошло!"}));
        QCOMPARE(stored("Reminder"), QList<QVariant>({"2026-12-08 14:30:00"}));
        QCOMPARE(stored("Comments"), QList<QVariant>({"описание"}));
        QVERIFY(watchOn());
        QVERIFY(!editorWindow()->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid()));
    }

    void changeAndClearReminderCommands() {
        open({{"с напоминанием", at(2026, 12, 1), at(2026, 12, 20, 9, 5), false, "описание"}});
        openPopupMenu()->hide();
        QCOMPARE(part<QAction>("Menu_Remainder")->text(), QStringLiteral("Именить напоминание"));
        QVERIFY(part<QAction>("Menu_RemainderDelete")->isVisible());
        QStringList seen;
        whenModal([&](QWidget* dialog) {
            seen << dialog->windowTitle()
                 << editorWindow()->DateTimePicker_Reminder->date().toString(Qt::ISODate)
                 << editorWindow()->Edit_Hour->text() + ":" + editorWindow()->Edit_Minute->text()
                 << editorWindow()->DateTimePicker1->date().toString(Qt::ISODate);
            editorWindow()->Button_Cancel->click();
        });
        part<QAction>("Menu_Remainder")->trigger();
        QCOMPARE(seen, QStringList({"Изменить напоминание", "2026-12-20", "09:05", "2026-12-01"}));
        QVERIFY(watchOn());

        part<QAction>("Menu_RemainderDelete")->trigger();
        QCOMPARE(MessageBox::shown().size(), 0);
        QCOMPARE(stored("Reminder"), QList<QVariant>({QVariant()}));
        QCOMPARE(stored("Plan"), QList<QVariant>({"с напоминанием"}));
        QCOMPARE(stored("Date"), QList<QVariant>({"2026-12-01 00:00:00"}));
        QCOMPARE(stored("Comments"), QList<QVariant>({"описание"}));
        QCOMPARE(stored("Completed"), QList<QVariant>({qint64(0)}));
        QVERIFY(watchOn());
        openPopupMenu()->hide();
        QCOMPARE(part<QAction>("Menu_Remainder")->text(), QStringLiteral("Установить напоминание"));
    }

    // A refused clear is reported and leaves no pending change behind.
    void refusedClearKeepsTheReminder() {
        open({{"задача", at(2026, 12, 8), at(2026, 12, 9, 9, 5)}, {"другая", at(2026, 12, 9)}});
        dataModule()->Connection.setBusyTimeout(50);
        {
            const ForeignLock lock(program().databasePath());
            part<QAction>("Menu_RemainderDelete")->trigger();
        }
        QVERIFY(lastMessage().contains("locked"));
        QCOMPARE(table().state(), TTable::Browse);
        table().setRecNo(2);
        QCOMPARE(stored("Reminder"), QList<QVariant>({"2026-12-09 09:05:00", QVariant()}));
    }

    // The watch's tick and the walk as first written show the same dialogs in the same order
    // and leave the same cursor and the same file.
    void sameAsTheLiteralWalk() {
        const QList<TaskRow> rows = {
            {"п1", at(2026, 12, 10), Now.addSecs(-3600)},
            {"п2", at(2026, 12, 5), Now},
            {"п3", at(2026, 12, 7), Now.addSecs(1)},
            {"п4", at(2026, 12, 6), Now.addDays(-1), true},
            {"п5", at(2026, 12, 9)},
            {"п6", at(2026, 12, 11), Now.addSecs(-600)},
            {"п7", at(2026, 12, 12), Now.addSecs(-300)},
        };
        const QList<Answer> answers = {[] {
                                           Clock::advance(1000);
                                           reminderWindow()->close();
                                       },
                                       stop(), postpone(0, "5"), complete(), stop()};
        struct Outcome {
            QList<Seen> seen;
            int recNo = 0;
            QList<QVariant> reminders;
            QList<QVariant> completed;
        };
        auto run = [&](const std::function<void()>& walk) {
            session.reset(); // one owner of the windows at a time
            session = std::make_unique<WindowSession>();
            open(rows);
            table().setIndexFieldNames("Date");
            table().setRecNo(4);
            Outcome outcome;
            answerInTurn(answers, &outcome.seen);
            walk();
            outcome.recNo = table().RecNo();
            outcome.reminders = stored("Reminder");
            outcome.completed = stored("Completed");
            return outcome;
        };
        const Outcome literal = run([] { literalWalk(table(), watch()); });
        const Outcome watch = run(tick);
        QCOMPARE(plans(literal.seen), QStringList({"п2", "п3", "п1", "п6", "п7"}));
        QCOMPARE(plans(watch.seen), plans(literal.seen));
        for (int i = 0; i < literal.seen.size(); ++i) {
            QCOMPARE(watch.seen[i].recNo, literal.seen[i].recNo);
            QCOMPARE(watch.seen[i].gridRow, literal.seen[i].gridRow);
            QCOMPARE(watch.seen[i].caption, literal.seen[i].caption);
        }
        QCOMPARE(literal.recNo, 4);
        QCOMPARE(watch.recNo, literal.recNo);
        QCOMPARE(watch.reminders, literal.reminders);
        QCOMPARE(watch.completed, literal.completed);
    }

    // The running watch: a reminder that fell due while the program was not running fires
    // within about a second.
    void runningWatchFires() {
        open({{"пока не было программы", at(2026, 12, 7), at(2026, 12, 7, 9, 0)}});
        QList<Seen> seen;
        answerInTurn({stop()}, &seen);
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 1, 3000);
        QTRY_COMPARE(stored("Reminder"), QList<QVariant>({QVariant()}));
    }

    // After the editor closes, the main window is active again with the grid focused, so an
    // Ins pressed at once adds the next task.
    void nextKeyAfterTheEditorReachesTheGrid() {
        open({});
        for (const char* title : {"первая", "вторая"}) {
            whenModal([title](QWidget*) {
                typeText(editorWindow()->DBEdit1, QString::fromUtf8(title));
                editorWindow()->Button_OK->click();
            });
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(mainWindow()));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid()));
            QTest::keyClick(mainWindow()->windowHandle(), Qt::Key_Insert);
        }
        QCOMPARE(stored("Plan"), QList<QVariant>({"первая", "вторая"}));
        QCOMPARE(editorWindow()->parentWidget(), static_cast<QWidget*>(mainWindow()));
        QCOMPARE(reminderWindow()->parentWidget(), static_cast<QWidget*>(mainWindow()));
    }
};

QTEST_MAIN(RemindersTest)
#include "test_reminders.moc"
