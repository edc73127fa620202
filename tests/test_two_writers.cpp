// Two instances of the program on one file: each writes a row only while the file still
// holds it as that instance read it, and each comes to show what the other wrote.
#include "ModalHelper.h"
#include "WindowSession.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "main_window/TaskGrid.h"
#include "reminders/TForm_Remainder.h"
#include "store/TDataModule_Main.h"
#include "toolkit/MessageBox.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <map>

namespace {

const QString titleField = QStringLiteral("Plan");

void rename(TTable& table, const QString& title) {
    table.Amend([&] { table.FieldByName(titleField).setAsString(title); });
}

qint64 currentId(TTable& table) {
    return table.FieldByName(QStringLiteral("ID")).AsVariant().toLongLong();
}

// Runs a write and returns the text it was refused with; empty when it went through.
template <class Write> QString refusalOf(Write write) {
    try {
        write();
    } catch (const RowChangedElsewhere& refused) {
        return refused.text();
    }
    return QString();
}

// The program's completion command; a refusal the user is told of counts as one thrown.
void completeFromTheMenu() {
    const qsizetype told = MessageBox::shown().size();
    part<QAction>("Menu_Completed")->trigger();
    if (MessageBox::shown().size() > told)
        throw RowChangedElsewhere(MessageBox::shown().last().text);
}

// The rows of a snapshot, by ID: title and completion.
std::map<qint64, std::pair<QString, bool>> snapshot(const TTable& table) {
    std::map<qint64, std::pair<QString, bool>> rows;
    for (int row = 0; row < table.RecordCount(); ++row)
        rows[table.valueAt(row, F_ID).toLongLong()] = {table.valueAt(row, F_Plan).toString(),
                                                       table.valueAt(row, F_Completed).toBool()};
    return rows;
}

std::map<qint64, std::pair<QString, bool>> stored(const TempProgram& program) {
    const QList<QVariant> ids = program.column(QStringLiteral("ID"));
    const QList<QVariant> plans = program.column(QStringLiteral("Plan"));
    const QList<QVariant> completed = program.column(QStringLiteral("Completed"));
    std::map<qint64, std::pair<QString, bool>> rows;
    for (int row = 0; row < ids.size(); ++row)
        rows[ids[row].toLongLong()] = {plans[row].toString(), completed[row].toBool()};
    return rows;
}

// Type and exact value of a column, as SQLite quotes them, for every row by ID.
QStringList exactly(const TempProgram& program, const QString& field) {
    QStringList values;
    for (const QVariant& value :
         program.column(QStringLiteral("typeof(%1) || ' ' || quote(%1)").arg(field)))
        values << value.toString();
    return values;
}

} // namespace

class TwoWritersTest : public QObject {
    Q_OBJECT

private slots:
    void editOfARowChangedElsewhereIsRefused() {
        TempProgram program;
        program.insert({{"общая", at(2026, 12, 8)}, {"другая", at(2026, 12, 9)}});
        const auto a = openDataModule(program.databasePath());
        const auto b = openDataModule(program.databasePath());
        rename(a->Table_Main, "от A");
        const QString refused = refusalOf([&] { rename(b->Table_Main, "от B"); });
        QVERIFY2(refused.contains("\"общая\" изменили в другой запущенной копии программы"),
                 qPrintable(refused));
        QVERIFY(refused.contains("измените её ещё раз"));
        QCOMPARE(program.column(titleField), (QList<QVariant>{"от A", "другая"}));
        // B shows the row as A left it, still current, and can now write over it.
        QCOMPARE(b->Table_Main.state(), TTable::Browse);
        QCOMPARE(plan(b->Table_Main), QStringLiteral("от A"));
        rename(b->Table_Main, "от B");
        QCOMPARE(program.column(titleField), (QList<QVariant>{"от B", "другая"}));
    }

    void writesToARowDeletedElsewhere() {
        TempProgram program;
        program.insert({{"удалённая", at(2026, 12, 8)}, {"оставшаяся", at(2026, 12, 9)}});
        const auto a = openDataModule(program.databasePath());
        const auto b = openDataModule(program.databasePath());
        a->Table_Main.Delete();
        const QString refused = refusalOf([&] { rename(b->Table_Main, "поздно"); });
        QVERIFY2(refused.contains("\"удалённая\" уже удалили"), qPrintable(refused));
        QCOMPARE(program.column(titleField), QList<QVariant>{"оставшаяся"});
        QCOMPARE(b->Table_Main.RecordCount(), 1);
    }

    void deleteOfARowChangedElsewhereIsRefused() {
        TempProgram program;
        program.insert({{"задача", at(2026, 12, 8), at(2026, 12, 8, 9, 0)}});
        const auto a = openDataModule(program.databasePath());
        const auto b = openDataModule(program.databasePath());
        a->Table_Main.Amend([&] { a->Table_Main.Fields(F_Reminder).Clear(); });
        const QString refused = refusalOf([&] { b->Table_Main.Delete(); });
        QVERIFY2(refused.contains("она не удалена"), qPrintable(refused));
        QCOMPARE(program.rowCount(), 1);
        QVERIFY(b->Table_Main.Fields(F_Reminder).IsNull());
        QVERIFY(!b->Table_Main.DeleteIfUnchanged() || program.rowCount() == 0);
    }

    // Rows whose stored values the program would write differently are still matched by
    // what the file holds, and their untouched fields stay exactly as stored.
    void oddStoredValuesAreMatchedAsStored_data() {
        dataTable<QString, QString>({"field", "value"},
                                    {{"unreadable date", "Date", "'когда-нибудь'"},
                                     {"date with T, no seconds", "Date", "'2026-12-08T10:00'"},
                                     {"date with a fraction", "Date", "'2026-12-08 10:00:00.250'"},
                                     {"date as a number", "Date", "45000.5"},
                                     {"date as a blob", "Date", "X'323032362D31322D3038'"},
                                     {"reminder as an integer", "Reminder", "20261208"},
                                     {"title as a blob", "Plan", "X'41420043'"},
                                     {"title not UTF-8", "Plan", "CAST(X'C328' AS TEXT)"},
                                     {"description as a real", "Comments", "0.1"},
                                     {"completed as 5", "Completed", "5"},
                                     {"completed as text", "Completed", "'да'"},
                                     {"completed as a real", "Completed", "0.5"}});
    }

    void oddStoredValuesAreMatchedAsStored() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        TempProgram program;
        program.insert({{"задача", at(2026, 12, 8)}, {"вторая", at(2026, 12, 8)}});
        QVERIFY(program.exec(QStringLiteral("UPDATE Plans SET %1 = %2").arg(field, value)));
        const QStringList before = exactly(program, field);
        const auto b = openDataModule(program.databasePath());
        TTable& tasks = b->Table_Main;
        const bool titleIsOdd = field == titleField;
        const QString changedField = titleIsOdd ? QStringLiteral("Comments") : titleField;
        tasks.Amend([&] { tasks.FieldByName(changedField).setAsString("новое"); });
        QCOMPARE(exactly(program, field), before);
        tasks.Amend([&] { tasks.FieldByName(changedField).setAsString("ещё новее"); });
        QCOMPARE(exactly(program, field), before);
        // The odd value changed elsewhere: the next write is refused.
        QVERIFY(program.exec(
            QStringLiteral("UPDATE Plans SET %1 = %2 || 'x' WHERE ID = 1").arg(field, value)));
        QVERIFY(!refusalOf([&] {
                     tasks.Amend([&] { tasks.FieldByName(changedField).setAsString("B"); });
                 }).isEmpty());
        // Read again, it matches; the second row, never read differently, deletes.
        tasks.Amend([&] { tasks.FieldByName(changedField).setAsString("B"); });
        tasks.Next();
        tasks.Delete();
        QCOMPARE(program.rowCount(), 1);
        // Written over, the field is stored in the program's own form and still matches.
        if (field == QLatin1String("Comments") || titleIsOdd) {
            tasks.Amend([&] { tasks.FieldByName(field).setAsString("своё"); });
            tasks.Amend([&] { tasks.FieldByName(field).setAsString("своё снова"); });
            QCOMPARE(program.column(field), QList<QVariant>{"своё снова"});
        }
    }

    void followFileKeepsTheCurrentTaskById() {
        TempProgram program;
        program.insert({{"б", at(2026, 12, 8)}, {"в", at(2026, 12, 9)}});
        const auto a = openDataModule(program.databasePath());
        const auto b = openDataModule(program.databasePath());
        TTable& tasks = b->Table_Main;
        tasks.setIndexFieldNames(titleField);
        tasks.Next();
        QVERIFY(!tasks.followFile()); // nothing written elsewhere
        QSignalSpy rows(&tasks, &TTable::rowsChanged);
        a->Table_Main.Insert();
        a->Table_Main.FieldByName(titleField).setAsString("а");
        a->Table_Main.Post();
        QVERIFY(tasks.followFile());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(tasks.RecordCount(), 3);
        QCOMPARE(plan(tasks), QStringLiteral("в"));
        QCOMPARE(tasks.RecNo(), 3);
        // A record being edited stays as it is until it is posted or cancelled.
        rename(a->Table_Main, "ä");
        tasks.Edit();
        QVERIFY(!tasks.followFile());
        tasks.Cancel();
        QVERIFY(tasks.followFile());
    }

    // Two writers on one file, interleaving inserts, edits, completions and deletes: every
    // write either goes through or is refused with the row shown afresh; none is lost and
    // none writes over a change it had not read; both snapshots come to equal the file.
    // B is the program with its window and commands, A a second data module.
    void twoWritersInterleaved() {
        WindowSession session;
        session.open({});
        TempProgram& program = session.program();
        const auto a = openDataModule(program.databasePath());
        std::map<qint64, std::pair<QString, bool>> file; // what the writes acknowledged
        QRandomGenerator random(20261209);
        int refused = 0;
        int kept = 0; // completed tasks a stale "delete completed" left alone
        QElapsedTimer clock;
        clock.start();
        int step = 0;
        for (; step < 500; ++step) {
            const bool sideB = random.bounded(2) == 1;
            TTable& tasks = sideB ? table() : a->Table_Main;
            const int action = tasks.RecordCount() < 3 ? 0 : int(random.bounded(5));
            if (action > 0)
                tasks.setRecNo(1 + int(random.bounded(tasks.RecordCount())));
            const qint64 id = action > 0 ? currentId(tasks) : 0;
            const auto seen = snapshot(tasks);
            const QString failure = refusalOf([&] {
                switch (action) {
                case 0:
                    tasks.Insert();
                    tasks.FieldByName(titleField).setAsString(QString::number(step));
                    tasks.Post();
                    file[currentId(tasks)] = {QString::number(step), false};
                    break;
                case 1:
                case 2: {
                    // The new title is made from the one this side has read.
                    const QString title = QString::number(step) + '<' + seen.at(id).first.left(9);
                    rename(tasks, title);
                    QCOMPARE(file.at(id).first, seen.at(id).first);
                    file[id].first = title;
                    break;
                }
                case 3:
                    if (sideB)
                        completeFromTheMenu();
                    else
                        tasks.Amend(
                            [&] { tasks.Fields(F_Completed).setAsBoolean(!seen.at(id).second); });
                    QVERIFY(file.at(id) == seen.at(id));
                    file[id].second = !seen.at(id).second;
                    break;
                default:
                    if (!sideB) {
                        tasks.Delete();
                        // B may have deleted it already, which is what A asked for.
                        QVERIFY(!file.count(id) || file.at(id) == seen.at(id));
                        file.erase(id);
                        break;
                    }
                    part<QPushButton>("Button_Del_Completed")->click();
                    const auto left = stored(program);
                    for (auto row = file.begin(); row != file.end();) {
                        const bool gone = left.count(row->first) == 0;
                        const bool seenCompleted =
                            seen.count(row->first) && seen.at(row->first).second;
                        // What was completed in the file and in B's snapshot goes, unless
                        // the file's row differs from what B read.
                        QVERIFY(!gone || (row->second.second && seenCompleted));
                        QVERIFY(gone || !seenCompleted || seen.at(row->first) != row->second);
                        kept += !gone && seenCompleted;
                        row = gone ? file.erase(row) : std::next(row);
                    }
                    QVERIFY(snapshot(tasks) == file);
                }
            });
            refused += !failure.isEmpty();
            QVERIFY(stored(program) == file);
        }
        for (TTable* tasks : {&table(), &a->Table_Main}) {
            tasks->followFile();
            QVERIFY(snapshot(*tasks) == file);
        }
        qInfo("%d steps in %lld ms: %d refused, %d completed tasks kept by a stale walk", step,
              clock.elapsed(), refused, kept);
        QVERIFY(refused > 0 && kept > 0);
    }

    // The program as the user meets it: B runs its commands, A is the other instance.
    void uncompletedElsewhereSurvivesDeleteCompleted() {
        WindowSession session;
        session.openShown({{"снова в работе", at(2026, 12, 8), {}, true},
                           {"сделана", at(2026, 12, 8), {}, true},
                           {"в работе", at(2026, 12, 9)}});
        const auto a = openDataModule(session.program().databasePath());
        a->Table_Main.Amend([&] { a->Table_Main.Fields(F_Completed).setAsBoolean(false); });
        part<QPushButton>("Button_Del_Completed")->click();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(session.program().column(titleField),
                 (QList<QVariant>{"снова в работе", "в работе"}));
        // The grid shows the kept task as it is now.
        QVERIFY(snapshot(table()) == stored(session.program()));
        QCOMPARE(grid()->model()->rowCount(), 2);
    }

    void editorOnARowChangedOrDeletedElsewhere_data() {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("changed") << false;
        QTest::newRow("deleted") << true;
    }

    void editorOnARowChangedOrDeletedElsewhere() {
        QFETCH(bool, deleted);
        WindowSession session;
        session.openShown({{"задача", at(2026, 12, 8)}, {"другая", at(2026, 12, 9)}});
        const auto a = openDataModule(session.program().databasePath());
        if (deleted)
            a->Table_Main.Delete();
        else
            rename(a->Table_Main, "от A");
        whenModal([](QWidget*) {
            editorWindow()->DBEdit1->setFocus();
            typeText(editorWindow()->DBEdit1, "от B");
            editorWindow()->Button_OK->click();
        });
        part<QPushButton>("Button_Edit")->click();
        QVERIFY(!modalHelperFailed());
        QVERIFY(!editorWindow()->isVisible());
        QVERIFY(watchOn());
        QCOMPARE(MessageBox::shown().size(), 1);
        const QString told = MessageBox::shown().at(0).text;
        QVERIFY2(told.contains(deleted ? "уже удалили" : "изменили в другой"), qPrintable(told));
        const QList<QVariant> left =
            deleted ? QList<QVariant>{"другая"} : QList<QVariant>{"от A", "другая"};
        QCOMPARE(session.program().column(titleField), left);
        QVERIFY(snapshot(table()) == stored(session.program()));
        QCOMPARE(grid()->model()->rowCount(), left.size());
        if (!deleted)
            QCOMPARE(plan(table()), QStringLiteral("от A"));
    }

    // The reminder dialog closes: it no longer shows the task as the file holds it.
    void reminderAnsweredAfterTheOtherInstanceChangedTheTask() {
        WindowSession session;
        session.openShown({{"позвонить", at(2026, 12, 8), at(2026, 12, 8, 14, 0)}});
        const auto a = openDataModule(session.program().databasePath());
        int showings = 0;
        whenModal([&](QWidget*) {
            ++showings;
            rename(a->Table_Main, "позвонить вечером");
            reminderWindow()->BitBtn1->click();
        });
        tick();
        QVERIFY(!modalHelperFailed());
        QCOMPARE(showings, 1);
        QVERIFY(!reminderWindow()->isVisible());
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown().at(0).text.contains("изменили в другой"));
        QCOMPARE(session.program().column(QStringLiteral("Reminder")),
                 QList<QVariant>{"2026-12-08 14:00:00"});
        QCOMPARE(plan(table()), QStringLiteral("позвонить вечером"));
        QVERIFY(watchOn());
    }

    // Within a tick of the watch, without taking the focus; never while a dialog is up.
    void theWatchShowsWhatTheOtherInstanceWrote() {
        WindowSession session;
        session.openShown({{"первая", at(2026, 12, 8)}, {"вторая", at(2026, 12, 9)}});
        table().Next();
        QWidget* focused = QApplication::focusWidget();
        const auto a = openDataModule(session.program().databasePath());
        a->Table_Main.Insert();
        a->Table_Main.FieldByName(titleField).setAsString("от A");
        a->Table_Main.Post();
        int countUnderTheEditor = 0;
        whenModal([&](QWidget*) {
            tick();
            countUnderTheEditor = table().RecordCount();
            editorWindow()->Button_Cancel->click();
        });
        part<QPushButton>("Button_Edit")->click();
        QVERIFY(!modalHelperFailed());
        QCOMPARE(countUnderTheEditor, 2);
        tick();
        QCOMPARE(table().RecordCount(), 3);
        QCOMPARE(grid()->model()->rowCount(), 3);
        QCOMPARE(plan(table()), QStringLiteral("вторая"));
        QCOMPARE(grid()->currentIndex().row(), table().RecNo() - 1);
        QCOMPARE(QApplication::focusWidget(), focused);
    }
};

QTEST_MAIN(TwoWritersTest)
#include "test_two_writers.moc"
