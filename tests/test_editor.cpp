#include "ModalHelper.h"
#include "WindowSession.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Clock.h"
#include "toolkit/DatePicker.h"
#include "toolkit/MaskEdit.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UpDown.h"
#include "toolkit/UserLocale.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

// Opens the editor through a command button and runs the steps inside its modal loop.
// Whatever the steps leave open is cancelled, so a failed check never hangs the test.
void inEditor(const char* button, const std::function<void()>& steps) {
    whenModal([steps](QWidget*) {
        steps();
        if (editorWindow()->isVisible())
            editorWindow()->reject();
    });
    part<QPushButton>(button)->click();
}

void adding(const std::function<void()>& steps) {
    inEditor("Button_Add", steps);
}

void editing(const std::function<void()>& steps) {
    inEditor("Button_Edit", steps);
}

// An added task with the reminder row in view, for the hour and minute fields.
void withReminderRow(const std::function<void()>& steps) {
    adding([&steps] {
        editorWindow()->CheckBox_Reminder->setChecked(true);
        steps();
    });
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
    return {editorWindow()->CheckBox_Reminder, editorWindow()->DBEdit1,
            editorWindow()->DateTimePicker1, editorWindow()->DBMemo1};
}

QList<QWidget*> reminderRow() {
    return {editorWindow()->DateTimePicker_Reminder,
            editorWindow()->Edit_Hour,
            editorWindow()->UpDown_Hour,
            editorWindow()->Label_Time,
            editorWindow()->Edit_Minute,
            editorWindow()->UpDown_Minute};
}

// Where the control's visible part begins: the colon's box starts higher than the row, but
// its upper dot sits at the height of a small letter.
int visibleTop(QWidget* w) {
    if (w != editorWindow()->Label_Time)
        return w->geometry().top();
    const QFontMetrics metrics(w->font());
    return w->geometry().top() + metrics.ascent() - metrics.xHeight();
}

bool rowInView() {
    for (QWidget* w : reminderRow())
        if (w->geometry().bottom() >= editorWindow()->height())
            return false;
    return true;
}

bool rowOutOfView() {
    for (QWidget* w : reminderRow())
        if (visibleTop(w) < editorWindow()->height())
            return false;
    return editorWindow()->CheckBox_Reminder->geometry().bottom() < editorWindow()->height();
}

QList<bool> commandButtons() {
    QList<bool> enabled;
    for (const char* name :
         {"Button_Edit", "Button_Delete", "Button_Del_Completed", "Label_Del_Completed"})
        enabled << part<QWidget>(name)->isEnabled();
    return enabled;
}

enum Ending { CancelButton, EscapeKey, CloseBox };

void end(Ending ending) {
    switch (ending) {
    case CancelButton:
        editorWindow()->Button_Cancel->click();
        break;
    case EscapeKey:
        QTest::keyClick(editorWindow()->DBEdit1, Qt::Key_Escape);
        break;
    case CloseBox: // what the title bar's close box and Alt+F4 send
        editorWindow()->close();
        break;
    }
}

} // namespace

class TestEditor final : public WindowSuite {
    Q_OBJECT

private slots:
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
    void tabWalksTheChainOneStopPerPicker();
    void titleTabTabLandsInTheDescription();
    void okKeepsTheDateShown();
    void titleLimitCountsCharacters();
    void untouchedFieldsStayAsStored_data();
    void untouchedFieldsStayAsStored();
};

void TestEditor::typedTimeIsClamped_data() {
    dataTable<bool, QString, QString>({"hour", "typed", "text"},
                                      {{"hour 24", true, "24", "00"},
                                       {"hour 99", true, "99", "00"},
                                       {"hour 23", true, "23", "23"},
                                       {"hour single digit", true, "7", "7 "},
                                       {"hour emptied", true, "", "00"},
                                       {"minute 75", false, "75", "00"},
                                       {"minute 60", false, "60", "00"},
                                       {"minute 59", false, "59", "59"},
                                       {"minute single digit", false, "4", "4 "},
                                       {"minute emptied", false, "", "00"}});
}

void TestEditor::typedTimeIsClamped() {
    QFETCH(bool, hour);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    open({});
    MaskEdit* edit = hour ? editorWindow()->Edit_Hour : editorWindow()->Edit_Minute;
    UpDown* upDown = hour ? editorWindow()->UpDown_Hour : editorWindow()->UpDown_Minute;
    withReminderRow([&] { retype(edit, typed); });
    QCOMPARE(edit->text(), text);
    QCOMPARE(upDown->Position(), text.trimmed().toInt());
}

void TestEditor::spinButtonsWrap_data() {
    dataTable<bool, QString, bool, QString>({"hour", "start", "up", "text"},
                                            {{"hour 23 up", true, "23", true, "00"},
                                             {"hour 00 down", true, "00", false, "23"},
                                             {"hour 08 up", true, "08", true, "09"},
                                             {"hour 10 down", true, "10", false, "09"},
                                             {"minute 59 up", false, "59", true, "00"},
                                             {"minute 00 down", false, "00", false, "59"},
                                             {"minute 09 up", false, "09", true, "10"}});
}

void TestEditor::spinButtonsWrap() {
    QFETCH(bool, hour);
    QFETCH(QString, start);
    QFETCH(bool, up);
    QFETCH(QString, text);
    open({});
    MaskEdit* edit = hour ? editorWindow()->Edit_Hour : editorWindow()->Edit_Minute;
    UpDown* upDown = hour ? editorWindow()->UpDown_Hour : editorWindow()->UpDown_Minute;
    MaskEdit* other = hour ? editorWindow()->Edit_Minute : editorWindow()->Edit_Hour;
    QWidget* focused = nullptr;
    QString selected;
    withReminderRow([&] {
        edit->setText(start);
        other->setText(QStringLiteral("14"));
        QTest::mouseClick(arrowOf(upDown, up), Qt::LeftButton);
        focused = editorWindow()->focusWidget();
        selected = edit->selectedText();
    });
    QCOMPARE(edit->text(), text);
    QCOMPARE(upDown->Position(), text.toInt());
    QCOMPARE(other->text(), QStringLiteral("14"));
    QCOMPARE(focused, edit);
    QCOMPARE(selected, text);
}

void TestEditor::clickSelectsTheField() {
    open({});
    QStringList selected;
    withReminderRow([&] {
        editorWindow()->Edit_Hour->setText(QStringLiteral("12"));
        editorWindow()->Edit_Minute->setText(QStringLiteral("34"));
        for (MaskEdit* edit : {editorWindow()->Edit_Hour, editorWindow()->Edit_Minute}) {
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
    open({});
    part<QWidget>("Button_Edit")->setEnabled(true);
    adding([] {
        typeText(editorWindow()->DBEdit1, QStringLiteral("Черновик"));
        editorWindow()->Button_Cancel->click();
    });
    QCOMPARE(table().RecordCount(), 0);
    QCOMPARE(program().rowCount(), 0);
    QCOMPARE(commandButtons(), QList<bool>(4, false));
    QVERIFY(watchOn());
    QWidget* focusAtShow = nullptr;
    QStringList messages;
    QList<QWidget*> focused;
    adding([&] {
        focusAtShow = editorWindow()->focusWidget();
        editorWindow()->Button_OK->click();
        messages << lastMessage();
        focused << editorWindow()->focusWidget();
        typeText(editorWindow()->DBEdit1, QStringLiteral("Купить молоко"));
        editorWindow()->CheckBox_Reminder->setChecked(true); // proposes today 14:03, begun already
        editorWindow()->Button_OK->click();
        messages << lastMessage();
        focused << editorWindow()->focusWidget();
        Clock::setFixed(at(2026, 12, 8, 14, 4)); // the very moment counts as passed
        retype(editorWindow()->Edit_Minute, QStringLiteral("04"));
        editorWindow()->Button_OK->click();
        messages << lastMessage();
        QCOMPARE(program().rowCount(), 0);
        retype(editorWindow()->Edit_Minute, QStringLiteral("05"));
        editorWindow()->Button_OK->click();
    });
    QCOMPARE(focusAtShow, editorWindow()->DBEdit1);
    const QString passed = QStringLiteral("Время напоминания! / Время напоминания уже прошло!");
    QCOMPARE(messages,
             QStringList({"Нет заголовка задачи! / Введите заголовок задачи!", passed, passed}));
    QCOMPARE(focused,
             QList<QWidget*>({editorWindow()->DBEdit1, editorWindow()->DateTimePicker_Reminder}));
    QVERIFY(!editorWindow()->isVisible());
    QCOMPARE(program().column("Plan"), QList<QVariant>({"Купить молоко"}));
    QCOMPARE(program().column("Reminder"), QList<QVariant>({"2026-12-08 14:05:00"}));
    QCOMPARE(program().column("Date"), QList<QVariant>({"2026-12-08 00:00:00"}));
    QVERIFY(watchOn());
    QCOMPARE(commandButtons(), QList<bool>(4, true));
}

void TestEditor::titleAndDescriptionStoredAsTyped() {
    const QString title = QStringLiteral("«Молоко» \"и\" 'хлеб'");
    const QString comments = QStringLiteral("строка 1\nстрока 2");
    open({});
    for (const QString& typed : {QString(60, 'x'), QStringLiteral("   "), title}) {
        adding([&] {
            typeText(editorWindow()->DBEdit1, typed);
            typeText(editorWindow()->DBMemo1, comments);
            editorWindow()->Button_OK->click();
        });
    }
    QCOMPARE(program().column("Plan"), QList<QVariant>({QString(50, 'x'), "   ", title}));
    QCOMPARE(program().column("Comments"), QList<QVariant>(3, comments));
}

void TestEditor::completedTaskOpensForViewing() {
    open({TaskRow("Готово", at(2026, 12, 1), {}, true, "описание")});
    QString title, comments;
    QWidget* focused = nullptr;
    editing([&] {
        title = editorWindow()->DBEdit1->text();
        comments = editorWindow()->DBMemo1->toPlainText();
        focused = editorWindow()->focusWidget();
        editorWindow()->Button_OK->click();
    });
    QCOMPARE(title, QStringLiteral("Готово"));
    QCOMPARE(comments, QStringLiteral("описание"));
    QVERIFY(!taskFields().contains(focused));
    QCOMPARE(program().column("Completed"), QList<QVariant>({qint64(1)}));
    QCOMPARE(program().column("Plan"), QList<QVariant>({"Готово"}));
    QVERIFY(watchOn());
}

void TestEditor::heightShowsOrHidesReminderRow() {
    open({});
    editorWindow()->setHeight(TForm_Edit::HeightWithReminder);
    QVERIFY(rowInView());
    editorWindow()->setHeight(TForm_Edit::HeightWithoutReminder);
    QVERIFY(rowOutOfView());
    QList<bool> views;
    adding([&] {
        views << rowOutOfView();
        editorWindow()->CheckBox_Reminder->setChecked(true);
        views << rowInView();
        editorWindow()->CheckBox_Reminder->setChecked(false);
        views << rowOutOfView();
    });
    QCOMPARE(views, QList<bool>(3, true));
}

void TestEditor::tickingProposesOrReloadsReminder() {
    open({TaskRow("Без напоминания", at(2026, 12, 10)),
          TaskRow("С ним", at(2026, 12, 1), at(2026, 12, 20, 9, 5))});
    QStringList seen;
    auto look = [&seen] {
        seen << editorWindow()->DateTimePicker_Reminder->date().toString(Qt::ISODate) + " " +
                    editorWindow()->Edit_Hour->text() + ":" + editorWindow()->Edit_Minute->text();
    };
    auto retick = [] {
        editorWindow()->CheckBox_Reminder->setChecked(false);
        editorWindow()->CheckBox_Reminder->setChecked(true);
    };
    editing([&] {
        editorWindow()->Edit_Hour->setText(QStringLiteral("05"));
        editorWindow()->CheckBox_Reminder->setChecked(true);
        look();
        editorWindow()->DateTimePicker1->setDate(QDate(2026, 12, 11));
        retype(editorWindow()->Edit_Minute, QStringLiteral("30"));
        look();
        retick();
        look();
    });
    table().Next();
    editing([&] {
        look();
        retype(editorWindow()->Edit_Hour, QStringLiteral("11"));
        retick();
        look();
    });
    QCOMPARE(seen, QStringList({"2026-12-10 14:03", "2026-12-10 14:30", "2026-12-11 14:03",
                                "2026-12-20 09:05", "2026-12-20 09:05"}));
}

void TestEditor::clearingTheBoxRemovesTheReminder() {
    open({TaskRow("Позвонить", at(2026, 12, 8), at(2026, 12, 9, 10, 0))});
    editing([] {
        editorWindow()->CheckBox_Reminder->setChecked(false);
        // A past reminder row is not looked at while the box is clear.
        editorWindow()->DateTimePicker_Reminder->setDate(QDate(2020, 1, 1));
        editorWindow()->Button_OK->click();
    });
    QCOMPARE(program().column("Reminder"), QList<QVariant>({QVariant()}));
    QVERIFY(rowOutOfView());
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
    open({TaskRow("Старое", at(2026, 12, 8))});
    QSignalSpy finished(editorWindow(), &QDialog::finished);
    for (const char* command : {"Button_Add", "Button_Edit"}) {
        inEditor(command, [&] {
            editorWindow()->DBEdit1->selectAll();
            typeText(editorWindow()->DBEdit1, QStringLiteral("Новое"));
            end(Ending(ending));
        });
        QCOMPARE(table().state(), TTable::Browse);
        QCOMPARE(table().RecordCount(), 1);
        QCOMPARE(table().Fields(F_Plan).AsString(), QStringLiteral("Старое"));
        QVERIFY(watchOn());
    }
    QCOMPARE(finished.count(), 2);
    QCOMPARE(program().column("Plan"), QList<QVariant>({"Старое"}));
}

void TestEditor::enterPressesOkExceptInDescription() {
    open({});
    QList<bool> openAfter;
    adding([&] {
        typeText(editorWindow()->DBEdit1, QStringLiteral("Задача"));
        typeText(editorWindow()->DBMemo1, QStringLiteral("\n"));
        openAfter << editorWindow()->isVisible();
        QTest::keyClick(editorWindow()->DBEdit1, Qt::Key_Return);
        openAfter << editorWindow()->isVisible();
    });
    QCOMPARE(openAfter, QList<bool>({true, false}));
    QCOMPARE(program().column("Comments"), QList<QVariant>({"\n"}));
    editing([] {
        typeText(editorWindow()->DBEdit1, QStringLiteral("!"));
        editorWindow()->Button_Cancel->setFocus();
        QTest::keyClick(editorWindow()->Button_Cancel, Qt::Key_Return);
    });
    QCOMPARE(program().column("Plan"), QList<QVariant>({"Задача"}));
}

// The file locked by another connection: the database's text is reported, the dialog keeps
// what was typed, and Cancel leaves the table as it was.
void TestEditor::refusedWriteKeepsTheDialogAsTyped() {
    open({TaskRow("Сохранённая", at(2026, 12, 1))});
    dataModule()->Connection.setBusyTimeout(50);
    QString report, title, comments;
    bool stillOpen = false;
    adding([&] {
        typeText(editorWindow()->DBEdit1, QStringLiteral("Новая"));
        typeText(editorWindow()->DBMemo1, QStringLiteral("текст"));
        {
            const ForeignLock lock(program().databasePath());
            editorWindow()->Button_OK->click();
        }
        report = lastMessage();
        stillOpen = editorWindow()->isVisible() && !watchOn();
        title = editorWindow()->DBEdit1->text();
        comments = editorWindow()->DBMemo1->toPlainText();
        editorWindow()->Button_Cancel->click();
    });
    QVERIFY2(report.contains(QStringLiteral("locked")), qPrintable(report));
    QVERIFY(stillOpen);
    QCOMPARE(title, QStringLiteral("Новая"));
    QCOMPARE(comments, QStringLiteral("текст"));
    QCOMPARE(table().RecordCount(), 1);
    QCOMPARE(table().Fields(F_Plan).AsString(), QStringLiteral("Сохранённая"));
    QCOMPARE(program().column("Plan"), QList<QVariant>({"Сохранённая"}));
    QVERIFY(watchOn());
}

// Each date picker is one tab stop, whichever of its sections is selected, in both heights
// and both ways.
void TestEditor::tabWalksTheChainOneStopPerPicker() {
    open({TaskRow("С напоминанием", at(2026, 12, 9), at(2026, 12, 20, 9, 5))});
    const QList<QWidget*> chain = {editorWindow()->DBEdit1,
                                   editorWindow()->DateTimePicker1,
                                   editorWindow()->DBMemo1,
                                   editorWindow()->Button_OK,
                                   editorWindow()->Button_Cancel,
                                   editorWindow()->CheckBox_Reminder,
                                   editorWindow()->DateTimePicker_Reminder,
                                   editorWindow()->Edit_Hour,
                                   editorWindow()->Edit_Minute,
                                   editorWindow()->DBEdit1};
    QList<QWidget*> reversed(chain.rbegin(), chain.rend());
    auto walk = [](Qt::Key key, int steps) {
        QList<QWidget*> seen = {editorWindow()->focusWidget()};
        for (int i = 0; i < steps; ++i) {
            QTest::keyClick(editorWindow()->focusWidget(), key);
            seen << editorWindow()->focusWidget();
        }
        return seen;
    };
    for (const char* command : {"Button_Add", "Button_Edit"}) {
        QList<QWidget*> forward, backward;
        bool rowShown = false;
        inEditor(command, [&] {
            rowShown = rowInView();
            forward = walk(Qt::Key_Tab, int(chain.size()) - 1);
            editorWindow()->DateTimePicker1->setCurrentSection(QDateTimeEdit::YearSection);
            backward = walk(Qt::Key_Backtab, int(chain.size()) - 1);
        });
        QCOMPARE(forward, chain);
        QCOMPARE(backward, reversed);
        QCOMPARE(rowShown, command == QLatin1String("Button_Edit"));
    }
}

// The keys a new user presses: a title, Tab, Tab, a description with a line break, and OK.
void TestEditor::titleTabTabLandsInTheDescription() {
    UserLocale::set(QLocale(QLocale::Russian, QLocale::Russia)); // the day comes first
    open({});
    QDate shown;
    adding([&] {
        typeText(editorWindow()->focusWidget(), QStringLiteral("Купить хлеб"));
        QTest::keyClick(editorWindow()->focusWidget(), Qt::Key_Tab);
        QTest::keyClick(editorWindow()->focusWidget(), Qt::Key_Up); // the day, one on
        QTest::keyClick(editorWindow()->focusWidget(), Qt::Key_Tab);
        typeText(editorWindow()->focusWidget(), QStringLiteral("белый\nи чёрный"));
        shown = editorWindow()->DateTimePicker1->date();
        editorWindow()->Button_OK->click();
    });
    QCOMPARE(shown, QDate(2026, 12, 9));
    QCOMPARE(program().column("Plan"), QList<QVariant>({"Купить хлеб"}));
    QCOMPARE(program().column("Comments"), QList<QVariant>({"белый\nи чёрный"}));
    QCOMPARE(program().column("Date"), QList<QVariant>({"2026-12-09 00:00:00"}));
}

// Opening a task and pressing Enter stores the date the picker shows, however old or far;
// an empty date shows as the zero date, not as the date of the picker's previous use.
void TestEditor::okKeepsTheDateShown() {
    open({TaskRow("Старая", at(1700, 1, 1)), TaskRow("Древняя", at(100, 1, 1)),
          TaskRow("Далёкая", at(9999, 12, 31)), TaskRow("Без даты", QDateTime())});
    QStringList shown;
    for (int recNo = 1; recNo <= 4; ++recNo) {
        table().setRecNo(recNo);
        editing([&] {
            shown << editorWindow()->DateTimePicker1->date().toString(Qt::ISODate);
            QTest::keyClick(editorWindow()->DBEdit1, Qt::Key_Return);
        });
    }
    QCOMPARE(shown, QStringList({"1700-01-01", "0100-01-01", "9999-12-31", "1899-12-30"}));
    // The empty date was left alone, so it stays empty.
    QCOMPARE(program().column("Date"),
             QList<QVariant>({"1700-01-01 00:00:00", "0100-01-01 00:00:00", "9999-12-31 00:00:00",
                              QVariant()}));
}

// The title takes 50 characters as the file counts them, an emoji being one, and what is
// typed or pasted past them never leaves half an emoji behind.
void TestEditor::titleLimitCountsCharacters() {
    const QString emoji = QStringLiteral("😀");
    const QString letters = QString(49, QChar(u'ж'));
    open({});
    adding([&] {
        typeText(editorWindow()->DBEdit1, emoji.repeated(30));
        editorWindow()->Button_OK->click();
    });
    adding([&] {
        typeText(editorWindow()->DBEdit1, letters + emoji + QStringLiteral("я") + emoji);
        editorWindow()->Button_OK->click();
    });
    adding([&] {
        typeText(editorWindow()->DBEdit1, letters);
        editorWindow()->DBEdit1->insert(emoji + emoji); // pasted
        editorWindow()->Button_OK->click();
    });
    QCOMPARE(MessageBox::shown().size(), 0);
    QCOMPARE(program().column("Plan"),
             QList<QVariant>({emoji.repeated(30), letters + emoji, letters + emoji}));
    QCOMPARE(program().column("length(Plan)"),
             QList<QVariant>({qint64(30), qint64(50), qint64(50)}));
}

// Rows another program wrote with values the program cannot read as dates or flags: editing
// only the title writes the title and leaves every other field as it was, kind and all.
void TestEditor::untouchedFieldsStayAsStored_data() {
    QTest::addColumn<QString>("values"); // Date, Reminder, Completed as SQL literals
    QTest::newRow("texts") << "'garbage', 'вчера', 'нет'";
    QTest::newRow("numbers") << "45000, 45000.5, 0.0";
    QTest::newRow("out of range") << "'2026-13-45', '2026-12-08 25:61:00', ''";
    QTest::newRow("readable in another form") << "'2026-12-20T10:00', '2027-01-02 09:05', '0'";
    QTest::newRow("empty") << "NULL, NULL, NULL";
}

void TestEditor::untouchedFieldsStayAsStored() {
    QFETCH(QString, values);
    QVERIFY(program().exec(
        "INSERT INTO Plans (Plan, Date, Reminder, Completed) VALUES ('Задача', " + values + ")"));
    open({});
    const QStringList untouched = {"Date",      "typeof(Date)",      "Reminder", "typeof(Reminder)",
                                   "Completed", "typeof(Completed)", "Comments"};
    QList<QList<QVariant>> before;
    for (const QString& column : untouched)
        before << program().column(column);
    editing([] {
        editorWindow()->DBEdit1->end(false);
        typeText(editorWindow()->DBEdit1, QStringLiteral("!"));
        editorWindow()->Button_OK->click();
    });
    QCOMPARE(lastMessage(), QString());
    QCOMPARE(program().column("Plan"), QList<QVariant>({"Задача!"}));
    for (qsizetype i = 0; i < untouched.size(); ++i)
        QCOMPARE(program().column(untouched[i]), before[i]);
}

QTEST_MAIN(TestEditor)
#include "test_editor.moc"
