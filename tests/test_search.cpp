#include "LiteralSearch.h"
#include "ModalHelper.h"
#include "WindowSession.h"
#include "app/Startup.h"
#include "main_window/TaskGrid.h"
#include "settings/Settings.h"
#include "store/TDataModule_Main.h"
#include "toolkit/MessageBox.h"

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

namespace {

// The tasks' date: tomorrow, by the session's clock.
const QDateTime Day = at(2026, 12, 9);

// Ten tasks; the titles at positions 2, 5 and 9 contain "молоко".
const QStringList tenTitles = {"хлеб", "Купить МОЛОКО", "сыр",  "чай",         "молоко 2",
                               "кофе", "сахар",         "соль", "ещё молоко!", "масло"};

} // namespace

class SearchTest : public WindowSuite {
    Q_OBJECT

    static QLineEdit* box() { return part<QLineEdit>("EditSearch"); }
    static QPushButton* button() { return part<QPushButton>("ButtonSearch"); }
    static QCheckBox* inTray() { return part<QCheckBox>("CheckBox_In_Tray"); }

    // Types text over the box's content and presses Enter there.
    void searchFromTheBox(const QString& text) {
        box()->setFocus();
        box()->setText(text);
        QTest::keyClick(box(), Qt::Key_Return);
    }
    // A click on "Найти": the button takes the focus, then searches.
    void clickFind() { QTest::mouseClick(button(), Qt::LeftButton); }

private slots:

    void captionsAndHints() {
        open({});
        QCOMPARE(part<QGroupBox>("GroupBoxSearch")->title(), QStringLiteral("Поиск задачи"));
        QCOMPARE(box()->toolTip(), QStringLiteral("Введите текст для поиска задачи"));
        QCOMPARE(box()->text(), QString());
        QCOMPARE(button()->text(), QStringLiteral("Найти"));
        QCOMPARE(button()->toolTip(), QStringLiteral("Поиск задачи"));
        QVERIFY(button()->isDefault());
    }

    // Enter searches from the box and the button only; elsewhere (the grid, a check box)
    // it leaves the cursor and the restart flag alone.
    void enterSearchesFromTheBoxOrTheButtonOnly() {
        open(titled(tenTitles, Day));
        box()->setText(QStringLiteral("молоко"));
        grid()->setFocus();
        QTest::keyClick(grid(), Qt::Key_Return);
        inTray()->setFocus();
        QTest::keyClick(inTray(), Qt::Key_Return);
        QCOMPARE(table().RecNo(), 1);
        QVERIFY(inTray()->isChecked());

        box()->setFocus();
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(table().RecNo(), 2);
        QVERIFY(watchOn());
        QVERIFY(grid()->hasFocus());
        QCOMPARE(grid()->selectedColumn(), 2);
        QCOMPARE(grid()->currentIndex().column(), 2);
        button()->setFocus();
        QTest::keyClick(button(), Qt::Key_Enter);
        QCOMPARE(table().RecNo(), 5);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void emptyBoxDoesNothingAndSpacesFindNothing() {
        open(titled(tenTitles, Day));
        table().setRecNo(3);
        searchFromTheBox(QString());
        searchFromTheBox(QStringLiteral("   "));
        QCOMPARE(table().RecNo(), 3);
        QVERIFY(watchOn());
        QVERIFY(box()->hasFocus());
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void matchingRule_data() {
        dataTable<QString, QString, bool>(
            {"title", "text", "found"},
            {{"capitals, spaces around", "Купить молоко", "  КУП  ", true},
             {"small letters", "КУПИТЬ МОЛОКО", "молоко", true},
             {"inner space counts", "Купить молоко", "ить мол", true},
             {"inner space missing", "Купить молоко", "итьмол", false},
             {"title trimmed", "   отчёт   ", "ОТЧЁТ", true},
             {"Latin", "weekly Report", "REPORT", true},
             {"yo both cases", "ёлка", "ЁЛК", true},
             {"yo is not ye", "елка", "ёлка", false},
             {"sharp s", "Straße 5", "STRASSE", true},
             {"percent, underscore", "50% скидка_1", "% скидка_", true},
             {"like pattern", "50 скидка", "5_", false},
             {"backslash, dot, star", R"(C:\temp\*.txt)", R"(\*.TXT)", true},
             {"regular expression", "abc", "a.c", false},
             {"quotes", R"(он сказал "да" и 'нет')", R"("ДА" И ')", true},
             {"bracket", "(x+y)", "[x", false},
             {"three bytes a character", "Заказ №5 — срочно", "№5 — СРОЧ", true},
             {"longer than the title", "чай", QString(10000, QChar(u'я')), false}});
    }

    void matchingRule() {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(bool, found);
        open(titled({"***", title, "==="}, Day));
        searchFromTheBox(text);
        QCOMPARE(table().RecNo(), found ? 2 : 1);
        QVERIFY(watchOn());
    }

    void onlyTitlesAreSearched() {
        open({{"первая", at(2026, 12, 9), {}, false, "молоко в описании"},
              {"вторая", at(2026, 12, 9)}});
        table().setRecNo(2);
        searchFromTheBox(QStringLiteral("молоко"));
        QCOMPARE(table().RecNo(), 2);
    }

    void firstSearchBeginsAtTheFirstRecord() {
        open(titled(tenTitles, Day));
        table().setRecNo(6);
        clickFind(); // empty box: nothing happens, the flag stays
        box()->setText(QStringLiteral("молоко"));
        clickFind();
        QCOMPARE(table().RecNo(), 2);
    }

    // Matches at 2, 5 and 9: from 5 the next searches find 9, 2 and 5, the current task
    // looked at last.
    void searchesStepRoundTheMatches() {
        open(titled(tenTitles, Day));
        searchFromTheBox(QStringLiteral("молоко"));
        clickFind();
        QCOMPARE(table().RecNo(), 5);
        QList<int> found;
        for (int i = 0; i < 3; ++i) {
            clickFind();
            found << table().RecNo();
        }
        QCOMPARE(found, (QList<int>{9, 2, 5}));
        searchFromTheBox(QStringLiteral("сахар")); // a single match is found again
        clickFind();
        QCOMPARE(table().RecNo(), 7);
    }

    void changedTextStartsAtTheFirstRecordAgain() {
        open(titled(tenTitles, Day));
        searchFromTheBox(QStringLiteral("молоко"));
        clickFind();
        QCOMPARE(table().RecNo(), 5);
        box()->setFocus();
        QTest::keyClick(box(), Qt::Key_Backspace);
        typeText(box(), QStringLiteral("о"));
        QCOMPARE(box()->text(), QStringLiteral("молоко"));
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(table().RecNo(), 2);
    }

    void emptyTableLeavesTheWatchOn() {
        open({});
        searchFromTheBox(QStringLiteral("молоко"));
        QVERIFY(watchOn());
        QCOMPARE(table().RecNo(), -1);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // A database error while the search moves the cursor is reported, and the reminder
    // watch runs again all the same.
    void failedSearchTurnsTheWatchOnAgain() {
        open(titled({"первая", "молоко"}, Day));
        dataModule()->Connection.setBusyTimeout(50);
        table().Edit(); // a pending change, stored when the cursor moves
        table().FieldByName(QStringLiteral("Plan")).setAsString(QStringLiteral("изменена"));
        {
            const ForeignLock lock(session->program().databasePath());
            searchFromTheBox(QStringLiteral("молоко"));
        }
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(watchOn());
    }

    void clickIntoTheBoxSelectsItsText() {
        open({});
        box()->setText(QStringLiteral("молоко"));
        box()->deselect();
        QTest::mouseClick(box(), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(box()->selectedText(), QStringLiteral("молоко"));
        QTest::mouseClick(box(), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(box()->selectedText(), QStringLiteral("молоко"));
        typeText(box(), QStringLiteral("чай"));
        QCOMPARE(box()->text(), QStringLiteral("чай"));
    }

    // The quick search must find what the record-by-record walk finds and leave the
    // cursor where the walk leaves it, over random tables, texts, cursor moves and orders.
    void agreesWithTheRecordByRecordWalk() {
        const QString letters = QStringLiteral("абвАБВёЁеЕabAB ß");
        QRandomGenerator random(8);
        const auto randomText = [&](int most) {
            QString text;
            for (int length = random.bounded(most + 1); length > 0; --length)
                text += letters[random.bounded(int(letters.size()))];
            return text;
        };
        QStringList titles;
        for (int i = 0; i < 80; ++i)
            titles << randomText(8);
        open(titled(titles, Day));
        auto walked = openDataModule(session->program().databasePath());
        TTable& walk = walked->Table_Main;
        bool restart = true;
        for (int step = 0; step < 600; ++step) {
            const int action = random.bounded(7);
            if (action == 0) {
                // The same text again is no change, and does not restart the search.
                const QString text = randomText(3);
                restart = restart || text != box()->text();
                box()->setText(text);
            } else if (action == 6) {
                const QString order = random.bounded(2) ? QStringLiteral("Plan") : QString();
                table().setIndexFieldNames(order);
                walk.setIndexFieldNames(order);
                walk.setRecNo(table().RecNo());
            } else if (action == 1) {
                const int position = 1 + random.bounded(titles.size());
                table().setRecNo(position);
                walk.setRecNo(position);
            } else {
                box()->setFocus();
                QTest::keyClick(box(), Qt::Key_Return);
                literalSearch(walk, box()->text(), restart);
                restart = restart && box()->text().isEmpty();
                QVERIFY2(table().RecNo() == walk.RecNo(),
                         qPrintable(QStringLiteral("step %1, text \"%2\": %3, the walk %4")
                                        .arg(step)
                                        .arg(box()->text())
                                        .arg(table().RecNo())
                                        .arg(walk.RecNo())));
            }
        }
    }
};

// Sorting by a column title, with start-up as the program runs it, so that a second
// start-up in the same settings store shows what the first one stored.
class SortTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempProgram> program;

    static QHeaderView* titles() { return grid()->horizontalHeader(); }
    static QString storedIndex() {
        return Settings::read(Settings::TarvikKey, QStringLiteral("Index"));
    }
    static QStringList plans() {
        QStringList result;
        const TTable& table = dataModule()->Table_Main;
        for (int row = 0; row < table.RecordCount(); ++row)
            result << table.valueAt(row, F_Plan).toString();
        return result;
    }

    bool start() {
        Startup::start({program->folder() + QStringLiteral("Quenlor"), 0});
        Startup::showMainWindow();
        return QTest::qWaitForWindowExposed(mainWindow());
    }
    static void stop() { Instances::destroy(); }
    static void clickTitle(int column) {
        const QPoint inside(titles()->sectionViewportPosition(column) + 6, titles()->height() / 2);
        QTest::mouseClick(titles()->viewport(), Qt::LeftButton, {}, inside);
    }
    static void verifyArrowOn(int column) {
        QCOMPARE(titles()->sortIndicatorSection(), column);
        QCOMPARE(titles()->sortIndicatorOrder(), Qt::AscendingOrder);
    }

private slots:
    void init() {
        MessageBox::setTestMode(true);
        program = std::make_unique<TempProgram>();
        QFile executable(program->folder() + QStringLiteral("Quenlor"));
        QVERIFY(executable.open(QIODevice::WriteOnly));
        program->insert({{"вишня", at(2026, 12, 3), at(2026, 12, 2, 9), false},
                         {"Арбуз", at(2026, 12, 1), {}, true},
                         {"банан", at(2026, 12, 2), at(2026, 12, 1, 9), false}});
    }
    void cleanup() {
        stop();
        program.reset();
    }

    void titleClickSortsStoresAndLastsAcrossRuns() {
        QVERIFY(start());
        verifyArrowOn(-1);
        clickTitle(2);
        QCOMPARE(plans(), (QStringList{"Арбуз", "банан", "вишня"}));
        QCOMPARE(storedIndex(), QStringLiteral("Plan"));
        verifyArrowOn(2);
        Settings::remove(Settings::TarvikKey, QStringLiteral("Index"));
        clickTitle(2); // ascending again, and stored again
        QCOMPARE(plans(), (QStringList{"Арбуз", "банан", "вишня"}));
        QCOMPARE(storedIndex(), QStringLiteral("Plan"));
        verifyArrowOn(2);
        stop();
        QVERIFY(start());
        QCOMPARE(plans(), (QStringList{"Арбуз", "банан", "вишня"}));
        verifyArrowOn(2);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void eachColumnSortsByItsField_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("Напоминание") << 0 << "Reminder" << QStringList{"Арбуз", "банан", "вишня"};
        QTest::newRow("Дата") << 1 << "Date" << QStringList{"Арбуз", "банан", "вишня"};
        QTest::newRow("Задача") << 2 << "Plan" << QStringList{"Арбуз", "банан", "вишня"};
        QTest::newRow("Завершено") << 3 << "Completed" << QStringList{"вишня", "банан", "Арбуз"};
    }

    void eachColumnSortsByItsField() {
        QFETCH(int, column);
        QFETCH(QString, field);
        QFETCH(QStringList, order);
        QVERIFY(start());
        const QImage unsorted = titles()->viewport()->grab().toImage();
        clickTitle(column);
        QCOMPARE(dataModule()->Table_Main.IndexFieldNames(), field);
        QCOMPARE(storedIndex(), field);
        QCOMPARE(plans(), order);
        verifyArrowOn(column);
        // The arrow shows on the sorted title, and no dark pixel of any title changes for it.
        const QImage sorted = titles()->viewport()->grab().toImage();
        bool arrowShown = false;
        for (int y = 0; y < sorted.height(); ++y)
            for (int x = 0; x < sorted.width(); ++x) {
                const bool changed = sorted.pixel(x, y) != unsorted.pixel(x, y);
                QVERIFY(!changed || qGray(unsorted.pixel(x, y)) >= 128);
                arrowShown |= changed && titles()->logicalIndexAt(x) == column;
            }
        QVERIFY(arrowShown);
    }

    // The titles are a tab stop between the cells and the next control. There Left, Right,
    // Home and End move the mark, Space and Enter sort by the marked title exactly as a
    // click does, and a screen reader hears the column header's title.
    void keyboardReachesTheTitlesAndSorts() {
        QVERIFY(start());
        mainWindow()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), mainWindow());
        TaskGrid* grid = ::grid();
        const auto focusAfter = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            return QApplication::focusWidget();
        };
        grid->setFocus();
        QCOMPARE(focusAfter(Qt::Key_Tab, Qt::ControlModifier), titles());
        QCOMPARE(focusAfter(Qt::Key_Tab, Qt::ShiftModifier), grid);
        QCOMPARE(focusAfter(Qt::Key_Tab, Qt::ControlModifier), titles());
        QCOMPARE(focusAfter(Qt::Key_Tab), part<QWidget>("Button_Add"));
        QCOMPARE(focusAfter(Qt::Key_Tab, Qt::ShiftModifier), titles());

        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(titles());
        QCOMPARE(reader->role(), QAccessible::ColumnHeader);
        const auto marked = [&] { return reader->text(QAccessible::Name); };
        QCOMPARE(marked(), QStringLiteral("Напоминание"));
        QTest::keyClick(titles(), Qt::Key_Left); // the first title stays marked
        QCOMPARE(marked(), QStringLiteral("Напоминание"));
        QTest::keyClick(titles(), Qt::Key_Right);
        QTest::keyClick(titles(), Qt::Key_Right);
        QCOMPARE(marked(), QStringLiteral("Задача"));
        QVERIFY(storedIndex().isEmpty());
        QTest::keyClick(titles(), Qt::Key_Space);
        QCOMPARE(storedIndex(), QStringLiteral("Plan"));
        QCOMPARE(plans(), (QStringList{"Арбуз", "банан", "вишня"}));
        verifyArrowOn(2);
        QTest::keyClick(titles(), Qt::Key_End);
        QCOMPARE(marked(), QStringLiteral("Завершено"));
        QTest::keyClick(titles(), Qt::Key_Right);  // the last one stays marked
        QTest::keyClick(titles(), Qt::Key_Return); // not the window's default button
        QCOMPARE(storedIndex(), QStringLiteral("Completed"));
        QCOMPARE(plans(), (QStringList{"вишня", "банан", "Арбуз"}));
        verifyArrowOn(3);
        QTest::keyClick(titles(), Qt::Key_Home);
        QTest::keyClick(titles(), Qt::Key_Right);
        QTest::keyClick(titles(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(storedIndex(), QStringLiteral("Date"));
        QCOMPARE(QApplication::focusWidget(), titles());
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // The mark, the cells' dotted frame, shows on the marked title only while the titles
    // have the keyboard focus, which a mouse click does not give them.
    void titleMarkShowsOnlyWithTheFocus() {
        QVERIFY(start());
        mainWindow()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), mainWindow());
        // A black dot along the top at the title's left end: the frame, where neither text
        // nor the sort arrow (centred) is drawn.
        const auto framed = [](int column) {
            const QImage image = titles()->viewport()->grab().toImage();
            const qreal scale = image.devicePixelRatio();
            const int left = titles()->sectionViewportPosition(column);
            for (int y = 0; y < int(3 * scale); ++y)
                for (int x = int((left + 3) * scale); x < int((left + 15) * scale); ++x)
                    if (image.pixelColor(x, y) == QColor(Qt::black))
                        return true;
            return false;
        };
        clickTitle(1); // the cells take the focus, as they always did
        QCOMPARE(QApplication::focusWidget(), grid());
        QVERIFY(!framed(0));
        titles()->setFocus(Qt::TabFocusReason);
        QVERIFY(framed(0));
        QVERIFY(!framed(1));
        QTest::keyClick(titles(), Qt::Key_Right);
        QVERIFY(!framed(0));
        QVERIFY(framed(1));
        part<QLineEdit>("EditSearch")->setFocus();
        QVERIFY(!framed(1));
    }

    void damagedIndexIsWrittenAgainByAClick() {
        Settings::write(Settings::TarvikKey, QStringLiteral("Index"), QStringLiteral("Title"));
        QVERIFY(start());
        verifyArrowOn(-1);
        clickTitle(1);
        QCOMPARE(storedIndex(), QStringLiteral("Date"));
    }

    // Settings that cannot be written: the order changes for this run all the same, and
    // the failure is reported once, in Russian.
    void unwritableSettingsAreReportedOnce() {
        if (!SettingsFile)
            QSKIP(NoSettingsFile);
        QVERIFY(start());
        const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
        QFile notAFolder(program->folder() + QStringLiteral("file"));
        QVERIFY(notAFolder.open(QIODevice::WriteOnly));
        qputenv("XDG_CONFIG_HOME", (notAFolder.fileName() + QStringLiteral("/config")).toUtf8());
        clickTitle(2);
        QCOMPARE(plans(), (QStringList{"Арбуз", "банан", "вишня"}));
        clickTitle(3);
        QCOMPARE(plans(), (QStringList{"вишня", "банан", "Арбуз"}));
        qputenv("XDG_CONFIG_HOME", configHome);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown().first().text.startsWith(QStringLiteral("Не удалось записать")),
                 qPrintable(MessageBox::shown().first().text));
        verifyArrowOn(3);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SearchTest search;
    SortTest sort;
    return QTest::qExec(&search, argc, argv) | QTest::qExec(&sort, argc, argv);
}

#include "test_search.moc"
