#include "Fixtures.h"
#include "ModalHelper.h"
#include "toolkit/Appearance.h"
#include "toolkit/CharacterLimit.h"
#include "toolkit/Clock.h"
#include "toolkit/DatePicker.h"
#include "toolkit/Error.h"
#include "toolkit/Guarded.h"
#include "toolkit/MaskEdit.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Timer.h"
#include "toolkit/UpDown.h"
#include "toolkit/UserLocale.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <stdexcept>

namespace {

// A window whose handlers fail half-way.
struct Failing {
    QStringList steps;

    void write() {
        steps << "before";
        refuse();
        steps << "after";
    }
    void convert(int amount) {
        steps << QString::number(amount);
        throw std::invalid_argument("'1 2' не число");
    }
    static void refuse() { throw TarvikError(QStringLiteral("Ошибка записи «Plans»")); }
};

} // namespace

Q_DECLARE_METATYPE(MessageBox::Answer)

class TestToolkit final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Appearance::install(); }
    void init() {
        MessageBox::setTestMode(true);
        Clock::reset();
    }
    void cleanup() {
        QVERIFY(!modalHelperFailed());
        Clock::reset();
        UserLocale::reset();
    }

    void clockFollowsTheFixedMoment() {
        const QDateTime moment(QDate(2026, 12, 8), QTime(23, 59, 58, 250));
        Clock::setFixed(moment.toUTC());
        QCOMPARE(Clock::now(), moment);
        QCOMPARE(Clock::now().timeSpec(), Qt::LocalTime);
        QCOMPARE(Clock::today(), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
        Clock::advance(1750);
        QCOMPARE(Clock::today(), QDateTime(QDate(2026, 12, 9), QTime(0, 0)));
        QCOMPARE(Clock::now(), Clock::today());
        Clock::reset();
        const QDateTime before = QDateTime::currentDateTime();
        QVERIFY(before <= Clock::now() && Clock::now() <= QDateTime::currentDateTime());
    }

    // The period a timer counts is that of the Qt timer inside it.
    void timerFiresOnlyWhileEnabledWithAnInterval() {
        Timer on(5, true, nullptr), off(5, false, nullptr), zero(0, true, nullptr);
        QSignalSpy onTicks(&on, &Timer::timeout), offTicks(&off, &Timer::timeout),
            zeroTicks(&zero, &Timer::timeout);
        QTRY_VERIFY(onTicks.count() >= 2);
        QCOMPARE(offTicks.count() + zeroTicks.count(), 0);
        QVERIFY(!off.findChild<QTimer*>()->isActive() && !zero.findChild<QTimer*>()->isActive());
        zero.setInterval(5);
        QTRY_VERIFY(zeroTicks.count() >= 1);
    }

    void timerKeepsItsPeriodUnlessReallyChanged() {
        Timer timer(60000, true, nullptr);
        const QTimer* period = timer.findChild<QTimer*>();
        QTRY_VERIFY(period->remainingTime() < 60000 - 20);
        const int left = period->remainingTime();
        timer.setEnabled(true);
        timer.setInterval(60000);
        QVERIFY(period->remainingTime() <= left);

        timer.setInterval(120000);
        QVERIFY(period->remainingTime() > 60000);
        timer.setEnabled(false);
        QCOMPARE(period->remainingTime(), -1);
        timer.setEnabled(true);
        QVERIFY(period->remainingTime() > 60000);
    }

    void messageBoxOnScreen_data() {
        QTest::addColumn<bool>("question");
        QTest::addColumn<int>("key"); // 0: the close box
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<MessageBox::Answer>("answer");
        const QStringList both{"OK", "Отмена"};
        QTest::newRow("ask, Enter") << true << int(Qt::Key_Return) << both << MessageBox::Ok;
        QTest::newRow("ask, Esc") << true << int(Qt::Key_Escape) << both << MessageBox::Cancel;
        QTest::newRow("ask, close box") << true << 0 << both << MessageBox::Cancel;
        QTest::newRow("inform") << false << int(Qt::Key_Escape) << QStringList{"OK"}
                                << MessageBox::Ok;
    }
    void messageBoxOnScreen() {
        QFETCH(bool, question);
        QFETCH(int, key);
        MessageBox::setTestMode(false);
        const QString text = QStringLiteral("Удалить \"<b>план</b>\"?");
        whenModal([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Удаление задачи"));
            QCOMPARE(box->text(), text);
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QStringList buttons;
            for (const QAbstractButton* button : box->buttons())
                buttons << button->text();
            buttons.sort();
            QTEST(buttons, "buttons");
            QCOMPARE(box->defaultButton()->text(), QStringLiteral("OK"));
            if (key)
                QTest::keyClick(box, Qt::Key(key));
            else
                box->close();
        });
        const QString caption = QStringLiteral("Удаление задачи");
        if (question)
            QTEST(MessageBox::ask(nullptr, caption, text), "answer");
        else
            MessageBox::inform(nullptr, caption, text);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void guardedHandlerFailsAloneAndIsReported() {
        Failing window;
        QPushButton button;
        QSpinBox amount;
        connect(&button, &QPushButton::clicked, this, guarded(&window, &Failing::write));
        connect(&amount, &QSpinBox::valueChanged, this, guarded(&window, &Failing::convert));
        button.click();
        ErrorReport::setCaption(QStringLiteral("Тарвик"));
        amount.setValue(12);
        ErrorReport::setCaption(QStringLiteral("Tarvik"));
        ErrorReport::run([] {});

        QCOMPARE(window.steps, (QStringList{"before", "12"}));
        const QList<MessageBox::Shown> shown = MessageBox::shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].caption, QStringLiteral("Tarvik"));
        QCOMPARE(shown[0].text, QStringLiteral("Ошибка записи «Plans»"));
        QCOMPARE(shown[1].caption, QStringLiteral("Тарвик"));
        QCOMPARE(shown[1].text, QStringLiteral("'1 2' не число"));
        QVERIFY(!shown[0].question);
        QCOMPARE(TarvikError(shown[0].text).what(), shown[0].text.toUtf8());
    }

    void maskEditReadsFixedWidth_data() {
        // value -1: not a whole number
        dataTable<int, QString, QString, QString, int>(
            {"digits", "text", "read", "shown", "value"},
            {{"one digit goes right", 2, "7", " 7", "_7", 7},
             {"digit left", 2, "7 ", "7 ", "7_", 7},
             {"empty", 2, "", "  ", "__", -1},
             {"not a digit", 2, "a7", " 7", "_7", 7},
             {"too long", 2, "365", "65", "65", 65},
             {"zeros", 3, "000", "000", "000", 0},
             {"gap", 3, "1 2", "1 2", "1_2", -1}});
    }
    void maskEditReadsFixedWidth() {
        QFETCH(int, digits);
        QFETCH(QString, text);
        QFETCH(int, value);
        MaskEdit edit(digits);
        edit.setText(text);
        QTEST(edit.text(), "read");
        QTEST(edit.displayText(), "shown");
        bool ok = value < 0;
        QCOMPARE(edit.value(&ok), qMax(value, 0));
        QCOMPARE(ok, value >= 0);
    }

    void maskEditTypingOverwritesAndClicks() {
        MaskEdit edit(2);
        edit.setText(QStringLiteral("12"));
        edit.show();
        QSignalSpy changed(&edit, &MaskEdit::changed);
        edit.selectAll();
        QTest::keyClicks(&edit, QStringLiteral("7"));
        QCOMPARE(edit.text(), QStringLiteral("7 "));
        QCOMPARE(changed.count(), 1);
        QTest::keyClicks(&edit, QStringLiteral("59a")); // the 9 finds the field full
        QCOMPARE(edit.text(), QStringLiteral("75"));
        QCOMPARE(changed.count(), 2);
        edit.setCursorPosition(0);
        QTest::keyClick(&edit, Qt::Key_3);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QStringLiteral(" 5"));
        QCOMPARE(changed.count(), 4);

        QSignalSpy clicked(&edit, &MaskEdit::clicked);
        QTest::mousePress(&edit, Qt::LeftButton);
        QCOMPARE(clicked.count(), 0);
        QTest::mouseRelease(&edit, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
    }

    void maskEditChangedOncePerChangeAndReentrant() {
        MaskEdit edit(2);
        edit.setText(QStringLiteral("12"));
        edit.show();
        QStringList seen;
        connect(&edit, &MaskEdit::changed, this, [&] {
            seen << edit.text();
            if (edit.text() == QStringLiteral("  "))
                edit.setText(QStringLiteral("00"));
        });
        edit.setText(QStringLiteral("  "));
        edit.setText(QStringLiteral("00"));
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Delete);
        QCOMPARE(seen, (QStringList{"  ", "00", "  ", "00"}));

        // A quiet change still counts as the text to compare the next one with.
        {
            const QSignalBlocker quiet(&edit);
            edit.setText(QStringLiteral("7 "));
        }
        edit.setText(QStringLiteral("00"));
        QCOMPARE(seen.size(), 5);
    }

    void maskEditSwitchesDigits() {
        MaskEdit edit(2);
        edit.setText(QStringLiteral("12"));
        QSignalSpy changed(&edit, &MaskEdit::changed);
        edit.setDigits(3);
        QCOMPARE(edit.text(), QStringLiteral(" 12"));
        QCOMPARE(edit.maxLength(), 3);
        QCOMPARE(changed.count(), 1);
        edit.setDigits(3);
        QCOMPARE(changed.count(), 1);
    }

    void upDownStepsWithinItsRange() {
        QWidget form; // a window of its own would be widened to Windows' least window width
        UpDown hour(-1, 24, &form);
        form.show();
        QList<int> positions;
        connect(&hour, &UpDown::clicked, this, [&] { positions << hour.Position(); });
        hour.setPosition(23);
        QTest::mouseClick(arrowOf(&hour, true), Qt::LeftButton);
        QTest::mouseClick(arrowOf(&hour, true), Qt::LeftButton);
        hour.setPosition(0);
        QTest::mouseClick(arrowOf(&hour, false), Qt::LeftButton);
        QTest::mouseClick(arrowOf(&hour, false), Qt::LeftButton);
        QCOMPARE(positions, (QList<int>{24, 24, -1, -1}));

        hour.setPosition(99);
        hour.setMax(10);
        QCOMPARE(hour.Position(), 10);
        QCOMPARE(positions.size(), 4);
        const QRect up = arrowOf(&hour, true)->geometry(), down = arrowOf(&hour, false)->geometry();
        QCOMPARE(up.united(down), QRect(0, 0, 17, 25));
        QVERIFY(!up.intersects(down) && up.height() >= 12);
    }

    void checkBoxTogglesOnlyOnRealChange() {
        QCheckBox box;
        int runs = 0;
        connect(&box, &QCheckBox::toggled, this, [&] { ++runs; });
        box.setChecked(false);
        QCOMPARE(runs, 0);
        box.setChecked(true);
        box.setChecked(true);
        QCOMPARE(runs, 1);
    }

    void modalHelperAnswersNestedDialogs() {
        QDialog outer, inner;
        QList<QWidget*> acted;
        whenModal([&](QWidget* dialog) {
            acted << dialog;
            // Scheduled while the outer dialog is active: it must wait for the inner one.
            whenModal([&](QWidget* next) {
                acted << next;
                static_cast<QDialog*>(next)->reject();
            });
            QTimer::singleShot(30, &outer, [&] { outer.done(inner.exec() + 10); });
        });
        QCOMPARE(outer.exec(), QDialog::Rejected + 10);
        QCOMPARE(acted, (QList<QWidget*>{&outer, &inner}));
    }

    void modalHelperReportsAMissingDialog() {
        bool ran = false;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no modal widget"));
        whenModal([&](QWidget*) { ran = true; }, 20);
        QTRY_COMPARE(pendingModalActions(), 0);
        QVERIFY(modalHelperFailed());
        QVERIFY(!modalHelperFailed());

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("still waits"));
        whenModal([&](QWidget*) { ran = true; });
        QVERIFY(modalHelperFailed());
        QDialog later;
        whenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
        later.exec();
        QVERIFY(!ran);
    }

    // However short its text, a box is wide enough for its caption in a title bar's bold
    // face beside the title bar's icon and buttons.
    void messageBoxIsAsWideAsItsCaption() {
        MessageBox::setTestMode(false);
        const QString caption = QStringLiteral("Нет заголовка задачи!");
        int width = 0;
        whenModal([&](QWidget* dialog) {
            width = dialog->width();
            static_cast<QDialog*>(dialog)->reject();
        });
        MessageBox::inform(nullptr, caption, QStringLiteral("!"));
        QFont bold = QApplication::font();
        bold.setBold(true);
        const int needed = QFontMetrics(bold).horizontalAdvance(caption) + 60;
        QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
    }

    // Tab and Shift+Tab pass a date picker in one step, whichever section is selected.
    // Typed, pasted or set, a text stays within 50 characters counted as code points, and
    // what goes is cut from what was just put in, never through a surrogate pair.
    void characterLimitCountsCodePoints_data() {
        const QString emoji = QStringLiteral("😀");
        const QString letters = QString(49, QChar(u'ж'));
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("30 emoji typed")
            << QString() << 0 << "type" << emoji.repeated(30) << emoji.repeated(30);
        QTest::newRow("49 letters and an emoji typed")
            << QString() << 0 << "type" << letters + emoji << letters + emoji;
        QTest::newRow("a 51st character typed")
            << letters + emoji << 51 << "type" << QStringLiteral("я") << letters + emoji;
        QTest::newRow("an emoji typed after 50 letters")
            << letters + 'x' << 50 << "type" << emoji << letters + 'x';
        QTest::newRow("two emoji pasted after 49 letters")
            << letters << 49 << "paste" << emoji + emoji << letters + emoji;
        QTest::newRow("pasted into the middle: the paste is cut, the tail kept")
            << QString(48, 'a') << 10 << "paste" << QStringLiteral("XYZ")
            << QString(10, 'a') + "XY" + QString(38, 'a');
        QTest::newRow("emoji pasted before a full text")
            << QString(50, 'a') << 0 << "paste" << emoji.repeated(3) << QString(50, 'a');
        QTest::newRow("set from code: the end goes")
            << QString() << 0 << "set" << emoji.repeated(60) << emoji.repeated(50);
    }

    void characterLimitCountsCodePoints() {
        QFETCH(QString, start);
        QFETCH(int, cursor);
        QFETCH(QString, how);
        QFETCH(QString, input);
        QLineEdit edit;
        edit.setValidator(new CharacterLimit(50, &edit));
        edit.setText(start);
        edit.setCursorPosition(cursor);
        if (how == "type")
            typeText(&edit, input);
        else if (how == "paste")
            edit.insert(input);
        else
            edit.setText(input);
        QTEST(edit.text(), "expected");
        QVERIFY(edit.text().isValidUtf16());
        QVERIFY(CharacterLimit::count(edit.text()) <= 50);
    }

    void datePickerIsOneTabStop() {
        QWidget window;
        auto* before = new QLineEdit(&window);
        auto* picker = new DatePicker(&window);
        auto* after = new QLineEdit(&window);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        before->setFocus();
        QList<QWidget*> seen;
        for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Backtab}) {
            if (window.focusWidget() == picker)
                picker->setCurrentSection(QDateTimeEdit::MonthSection);
            QTest::keyClick(window.focusWidget(), key);
            seen << window.focusWidget();
        }
        QCOMPARE(seen, QList<QWidget*>({picker, after, picker, before}));
    }

    // Every date a task can hold stays as set: none is moved into a narrower range.
    void datePickerHoldsEveryDate() {
        DatePicker picker;
        for (const QDate& date : {QDate(100, 1, 1), QDate(1700, 1, 1), QDate(1752, 9, 13),
                                  QDate(1899, 12, 30), QDate(9999, 12, 31)}) {
            picker.setDate(date);
            QCOMPARE(picker.date(), date);
        }
    }

    void datePickerShowsTheUserShortDate_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << "08.12.2026";
        QTest::newRow("US, two-digit year widened")
            << QLocale(QLocale::English, QLocale::UnitedStates) << "12/8/2026";
        QTest::newRow("German, two-digit year widened")
            << QLocale(QLocale::German, QLocale::Germany) << "08.12.2026";
    }

    void datePickerShowsTheUserShortDate() {
        QFETCH(QLocale, locale);
        UserLocale::set(locale);
        DatePicker picker;
        picker.setDate(QDate(2026, 12, 8));
        QTEST(picker.text(), "shown");
    }

    // The C locale names no language: the program's own, Russian, stands in for it.
    void userLocaleStandsInForTheCLocale() {
        if (QLocale::system().language() != QLocale::C)
            QSKIP("needs the C locale, which the test run sets (LANG=C.UTF-8)");
        QCOMPARE(UserLocale::get(), QLocale(QLocale::Russian, QLocale::Russia));
    }

    // Qt's own texts are Russian whatever the system language says.
    void widgetsSpeakRussian() {
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList items;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                items << action->text().section('\t', 0, 0);
        QVERIFY(items.size() >= 5);
        for (const QString& item : items)
            QVERIFY2(!item.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))),
                     qPrintable(items.join(", ")));
    }

    // The drop-down calendar is made as it first opens, by a key or a click: it is Russian
    // and named for a screen reader then, whatever the user's locale.
    void calendarMadeAsItOpensSpeaksRussian() {
        UserLocale::set(QLocale(QStringLiteral("en_US")));
        DatePicker byKey;
        QVERIFY(byKey.findChildren<QCalendarWidget*>().isEmpty());
        QTest::keyClick(&byKey, Qt::Key_F4);
        DatePicker byClick;
        byClick.resize(120, 26);
        QTest::mouseClick(&byClick, Qt::LeftButton, {}, QPoint(110, 13));
        for (DatePicker* picker : {&byKey, &byClick}) {
            const auto calendars = picker->findChildren<QCalendarWidget*>();
            QCOMPARE(calendars.size(), 1);
            QCOMPARE(calendars.front()->locale().language(), QLocale::Russian);
            QCOMPARE(calendars.front()->accessibleName(), QStringLiteral("Календарь"));
        }
    }
};

QTEST_MAIN(TestToolkit)
#include "test_toolkit.moc"
