#include "ModalHelper.h"
#include "WindowSession.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "main_window/GridModel.h"
#include "main_window/TaskGrid.h"
#include "store/TDataModule_Main.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Timer.h"
#include "toolkit/UserLocale.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QPaintEvent>
#include <QPushButton>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest>

namespace {

// Collects what a widget repaints.
class PaintWatcher final : public QObject {
public:
    PaintWatcher(QWidget* widget, QRegion* painted)
        : m_painted(painted) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            *m_painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QRegion* m_painted;
};

const QColor red(255, 0, 0);
const QColor grey(128, 128, 128);
const QColor aqua(0, 255, 255);

} // namespace

class MainWindowTest : public WindowSuite {
    Q_OBJECT

    static QString hint() { return grid()->hint(); }

private slots:

    void taskDateTextSpellsTheMonth_data() {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("today") << at(2026, 12, 8, 17, 45) << "8 Декабрь 2026 г.";
        QTest::newRow("first") << at(2027, 1, 1) << "1 Январь 2027 г.";
        QTest::newRow("tenth") << at(2027, 1, 10) << "10 Январь 2027 г.";
        QTest::newRow("march") << at(2027, 3, 15) << "15 Март 2027 г.";
        QTest::newRow("empty date") << QDateTime() << "30 Декабрь 1899 г.";
    }

    void taskDateTextSpellsTheMonth() {
        QFETCH(QDateTime, value);
        QFETCH(QString, text);
        QCOMPARE(GridModel::TaskDateText(value), text);
    }

    void rowsAreColouredByState() {
        open({{"вчера", at(2026, 12, 7)},
              {"вчера, сделано", at(2026, 12, 7), {}, true},
              {"сегодня", at(2026, 12, 8, 23, 59)},
              {"сегодня, сделано", at(2026, 12, 8), {}, true},
              {"завтра", at(2026, 12, 9)}});
        table().setRecNo(5); // keep the selection off the sampled rows
        QCOMPARE(rowColour(0), red);
        QCOMPARE(rowColour(1), grey);
        QCOMPARE(rowColour(2), aqua);
        QCOMPARE(rowColour(3), grey);
        QVERIFY(rowColour(4) != red && rowColour(4) != grey && rowColour(4) != aqua);
    }

    // Every caption fits its column, and the title column shows forty characters.
    void columnsHoldTheirCaptionsAndAFortyCharacterTitle() {
        open({});
        const QFontMetrics titles(grid()->horizontalHeader()->font());
        for (int column = 0; column < grid()->model()->columnCount(); ++column) {
            const QString caption = grid()->model()->headerData(column, Qt::Horizontal).toString();
            QVERIFY2(titles.horizontalAdvance(caption) < grid()->columnWidth(column),
                     qPrintable(caption));
        }
        const QFontMetrics cells(grid()->font());
        QVERIFY(cells.horizontalAdvance(QString(40, '0')) < grid()->columnWidth(2));
        QCOMPARE(grid()->model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("Завершено"));
    }

    // The window brings them up to date whenever it is shown, from the tray for one.
    void commandButtonsFollowTheRecordCount() {
        open({});
        const char* const recordControls[] = {"Button_Edit", "Button_Delete",
                                              "Button_Del_Completed", "Label_Del_Completed"};
        for (const char* control : recordControls)
            QVERIFY(!part<QWidget>(control)->isEnabled());
        QVERIFY(part<QPushButton>("Button_Add")->isEnabled());
        program().insert({{"новая", at(2026, 12, 9)}});
        table().Refresh();
        mainWindow()->hide();
        mainWindow()->show();
        for (const char* control : recordControls)
            QVERIFY(part<QWidget>(control)->isEnabled());
    }

    void completionClickTogglesAndClearsTheReminder() {
        open({{"с напоминанием", at(2026, 12, 9), at(2026, 12, 9, 9, 5)}});
        clickCell(0, 3);
        QCOMPARE(program().column("Completed"), QList<QVariant>({1}));
        QCOMPARE(program().column("Reminder"), QList<QVariant>({QVariant()}));
        QCOMPARE(rowColour(0), grey);
        clickCell(0, 3);
        QCOMPARE(program().column("Completed"), QList<QVariant>({0}));
        QCOMPARE(program().column("Reminder"), QList<QVariant>({QVariant()}));
        QCOMPARE(table().state(), TTable::Browse);
    }

    void cellClickShowsTheDescriptionUntilTheHintTimer() {
        open({{"первая", at(2026, 12, 9), {}, false, "описание \"первой\""},
              {"вторая", at(2026, 12, 9)}});
        clickCell(0, 2);
        QCOMPARE(hint(), QStringLiteral("описание \"первой\""));
        QVERIFY(part<Timer>("Timer_Hint")->Enabled());
        clickCell(1, 1);
        QCOMPARE(table().RecNo(), 2);
        QCOMPARE(hint(), QString());
        emit part<Timer>("Timer_Hint")->timeout();
        QVERIFY(!part<Timer>("Timer_Hint")->Enabled());
    }

    void clickOnAnEmptyGridEmptiesTheHint() {
        open({});
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(50, 10));
        QCOMPARE(hint(), QString());
        QVERIFY(part<Timer>("Timer_Hint")->Enabled());
    }

    void refusedCompletionIsReportedAndLosesNothing() {
        open({{"задача", at(2026, 12, 9), at(2026, 12, 9, 9, 5)}});
        dataModule()->Connection.setBusyTimeout(50);
        {
            const ForeignLock lock(program().databasePath());
            clickCell(0, 3);
        }
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown().first().text.contains("lock"),
                 qPrintable(MessageBox::shown().first().text));
        QCOMPARE(table().state(), TTable::Browse);
        QVERIFY(!table().FieldByName("Completed").AsBoolean());
        QVERIFY(!table().FieldByName("Reminder").IsNull());
        QCOMPARE(program().column("Completed"), QList<QVariant>({0}));
        clickCell(0, 3);
        QCOMPARE(program().column("Completed"), QList<QVariant>({1}));
    }

    // The grid keeps no type-to-search: letters leave the current task where it was, and
    // Del still asks about that task; the navigation keys still move.
    void lettersTypedInTheGridMoveNothing() {
        open({{"альфа", at(2026, 12, 9)},
              {"вторая", at(2026, 12, 9)},
              {"в третьих", at(2026, 12, 9)}});
        clickCell(0, 2);
        typeText(grid(), QStringLiteral("вв ab"));
        QCOMPARE(table().RecNo(), 1);
        MessageBox::setNextAnswer(MessageBox::Cancel);
        QTest::keyClick(grid(), Qt::Key_Delete);
        QCOMPARE(MessageBox::shown().last().text,
                 QStringLiteral("Вы действительно хотите удалить задачу \"альфа\"?"));
        QList<int> recNos;
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_PageUp}) {
            QTest::keyClick(grid(), key);
            recNos << table().RecNo();
        }
        QCOMPARE(recNos, QList<int>({2, 3, 2, 1}));
    }

    void dateColumnShowsTheLongDateWithoutTheWeekday_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia)
                                 << "10 декабря 2026 г.";
        QTest::newRow("C") << QLocale::c() << "10 December 2026";
        QTest::newRow("US") << QLocale(QLocale::English, QLocale::UnitedStates)
                            << "December 10, 2026";
        QTest::newRow("weekday last")
            << QLocale(QLocale::Hungarian, QLocale::Hungary) << "2026. december 10.";
    }

    void dateColumnShowsTheLongDateWithoutTheWeekday() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        UserLocale::set(locale);
        open({{"послезавтра", at(2026, 12, 10)}});
        QCOMPARE(grid()->model()->index(0, 1).data().toString(), text);
    }

    // The description is shown as typed, over the cells, the titles and the empty area.
    void hintShowsTheDescriptionAsTypedAnywhereOnTheGrid() {
        const QString typed = QStringLiteral("<b>жирный</b> &amp;\n  второй");
        open({{"первая", at(2026, 12, 9), {}, false, typed}});
        const QList<std::pair<QWidget*, QPoint>> places = {
            {grid()->viewport(), cellCentre(0, 2)},
            {grid()->viewport(), QPoint(20, grid()->viewport()->height() - 10)},
            {grid()->horizontalHeader()->viewport(), QPoint(20, 5)}};
        auto hintAt = [](QWidget* over, const QPoint& point) {
            QToolTip::hideText();
            QHelpEvent help(QEvent::ToolTip, point, over->mapToGlobal(point));
            QApplication::sendEvent(over, &help);
            QTextDocument shown;
            shown.setHtml(QToolTip::text());
            return QToolTip::isVisible() ? shown.toPlainText().replace(QChar::LineSeparator, '\n')
                                         : QString();
        };
        for (const auto& [over, point] : places)
            QCOMPARE(hintAt(over, point), QString());
        clickCell(0, 2);
        for (const auto& [over, point] : places)
            QCOMPARE(hintAt(over, point), typed);
        QToolTip::hideText();
    }

    // A title running past the last column of a coloured row is covered by the grid's
    // background there.
    void overflowRightOfTheLastColumnIsCovered() {
        open({{QString(50, QChar(0x0428)), at(2026, 12, 8)}});
        grid()->horizontalHeader()->moveSection(2, 3); // the title's column last
        QHeaderView* header = grid()->horizontalHeader();
        const int right = header->sectionViewportPosition(2) + header->sectionSize(2);
        QVERIFY(right < grid()->viewport()->width() - 20);
        const QImage image = grid()->viewport()->grab().toImage();
        const QColor background = grid()->viewport()->palette().color(QPalette::Base);
        const QRect row = grid()->visualRect(grid()->model()->index(0, 2));
        int foreign = 0;
        for (int x = right; x < image.width(); ++x)
            for (int y = row.top(); y <= row.bottom(); ++y)
                foreign += image.pixelColor(x, y) != background;
        QCOMPARE(foreign, 0);
    }

    void newRecordShowsWhileTheEditorAdds_data() {
        QTest::addColumn<int>("tasks");
        QTest::addColumn<int>("recNo");
        QTest::newRow("amid three") << 3 << 2;
        QTest::newRow("empty table") << 0 << -1;
    }

    // Insert's new record is a row of its own at the cursor's position, in the today
    // colour, until Cancel drops it.
    void newRecordShowsWhileTheEditorAdds() {
        QFETCH(int, tasks);
        QFETCH(int, recNo);
        QList<TaskRow> rows;
        for (int i = 0; i < tasks; ++i)
            rows.append({QString::number(i), at(2026, 12, 10 + i)});
        open(rows);
        if (recNo > 0)
            table().setRecNo(recNo);
        const int at = std::max(recNo - 1, 0);
        int shown = 0;
        int current = -1;
        QColor colour;
        QString below;
        whenModal([&](QWidget*) {
            shown = grid()->model()->rowCount();
            current = grid()->currentIndex().row();
            colour = rowColour(at);
            below = grid()->model()->index(at + 1, 2).data().toString();
            editorWindow()->Button_Cancel->click();
        });
        part<QPushButton>("Button_Add")->click();
        QCOMPARE(shown, tasks + 1);
        QCOMPARE(current, at);
        QCOMPARE(colour, aqua);
        QCOMPARE(below, tasks ? QString::number(at) : QString());
        QCOMPARE(grid()->model()->rowCount(), tasks);
        QCOMPARE(table().RecNo(), recNo);
    }

    // The grid hears what changed: a task added through the editor, one edited so that it
    // moves in the title order, one completed and one deleted reset nothing, and the row of
    // a task the view holds stays that task's. Qt's tester finds nothing wrong in any
    // change, the delete of the completed tasks, a sort and a re-read included.
    void gridHearsWhatChanged() {
        open({{"б", at(2026, 12, 9)}, {"г", at(2026, 12, 9), {}, true}, {"д", at(2026, 12, 10)}});
        table().setIndexFieldNames(QStringLiteral("Plan"));
        QAbstractItemModel* model = grid()->model();
        const QAbstractItemModelTester tester(
            model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        const QPersistentModelIndex held = model->index(2, 2);
        const auto inEditor = [](const char* button, const QString& typed) {
            whenModal([typed](QWidget*) {
                editorWindow()->DBEdit1->selectAll();
                typeText(editorWindow()->DBEdit1, typed);
                editorWindow()->Button_OK->click();
            });
            part<QPushButton>(button)->click();
        };
        inEditor("Button_Add", QStringLiteral("в"));
        table().setRecNo(1);
        inEditor("Button_Edit", QStringLiteral("е"));
        table().setRecNo(1);
        part<QAction>("Menu_Completed")->trigger();
        MessageBox::setNextAnswer(MessageBox::Ok);
        QTest::keyClick(grid(), Qt::Key_Delete);
        QCOMPARE(resets.count(), 0);
        QCOMPARE(held.data().toString(), QStringLiteral("д"));
        QCOMPARE(held.row(), 1);
        QCOMPARE(storedTitles(), QStringList({"е", "г", "д"}));

        part<QPushButton>("Button_Del_Completed")->click();
        table().setIndexFieldNames(QString());
        QVERIFY(program().exec("UPDATE Plans SET Plan = 'ё' WHERE Plan = 'д'"));
        tick();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("ё"));
    }

    // A cursor move repaints the cell it leaves and the one it enters, not the whole grid.
    void cursorMoveRepaintsItsTwoRows() {
        open(titled({"1", "2", "3", "4", "5", "6"}, at(2026, 12, 9)));
        QCoreApplication::processEvents();
        QRegion painted;
        const PaintWatcher watcher(grid()->viewport(), &painted);
        table().setRecNo(5);
        QTRY_VERIFY(!painted.isEmpty());
        const auto band = [](int row) {
            return QRect(0, grid()->rowViewportPosition(row), grid()->viewport()->width(),
                         grid()->rowHeight(row));
        };
        QCOMPARE(painted.subtracted(QRegion(band(0)).united(band(4))), QRegion());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
