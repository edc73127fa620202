#include "WindowSession.h"
#include "app/Instances.h"
#include "main_window/TForm_Main.h"
#include "main_window/TaskGrid.h"
#include "store/TDataModule_Main.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Timer.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

const QColor red(255, 0, 0);
const QColor grey(128, 128, 128);
const QColor aqua(0, 255, 255);

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> session;

    void open(const QList<TaskRow>& rows) { QVERIFY(session->openShown(rows)); }

    TempProgram& program() const { return session->program(); }
    TaskGrid* grid() const { return Form_Main->DBGrid_Main; }
    TTable& table() const { return session->table(); }

    QPoint cellCentre(int row, int column) const {
        return grid()->visualRect(grid()->model()->index(row, column)).center();
    }

    // The colour of a row, read near the right edge of its title cell, away from the text
    // and from the selection.
    QColor rowColour(int row) const {
        const QImage image = grid()->viewport()->grab().toImage();
        const QRect cell = grid()->visualRect(grid()->model()->index(row, 2));
        return image.pixelColor(cell.right() - 3, cell.center().y());
    }

    void clickCell(int row, int column) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(row, column));
    }

private slots:
    void init() { session = std::make_unique<WindowSession>(at(2026, 12, 8, 14, 3, 58)); }
    void cleanup() { session.reset(); }

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
        QCOMPARE(TForm_Main::TaskDateText(value), text);
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

    void columnsFollowTheWidthRule() {
        open({});
        const int zero = QFontMetrics(grid()->font()).horizontalAdvance('0');
        const QFontMetrics title(grid()->horizontalHeader()->font());
        QCOMPARE(grid()->columnWidth(2), 40 * zero + 4);
        QCOMPARE(grid()->columnWidth(0),
                 std::max(5 * zero + 4, title.horizontalAdvance("Напоминание") + 4));
        QCOMPARE(grid()->model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("Завершено"));
    }

    void commandButtonsFollowTheRecordCount() {
        open({});
        QWidget* const recordControls[] = {Form_Main->Button_Edit, Form_Main->Button_Delete,
                                           Form_Main->Button_Del_Completed,
                                           Form_Main->Label_Del_Completed};
        for (QWidget* control : recordControls)
            QVERIFY(!control->isEnabled());
        QVERIFY(Form_Main->Button_Add->isEnabled());
        program().insert({{"новая", at(2026, 12, 9)}});
        table().Refresh();
        Form_Main->UpdateCommandButtons();
        for (QWidget* control : recordControls)
            QVERIFY(control->isEnabled());
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
        QCOMPARE(Form_Main->DBGrid_Main->hint(), QStringLiteral("описание \"первой\""));
        QVERIFY(Form_Main->Timer_Hint->Enabled());
        clickCell(1, 1);
        QCOMPARE(table().RecNo(), 2);
        QCOMPARE(Form_Main->DBGrid_Main->hint(), QString());
        Form_Main->Timer_HintTimer();
        QVERIFY(!Form_Main->Timer_Hint->Enabled());
    }

    void clickOnAnEmptyGridEmptiesTheHint() {
        open({});
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(50, 10));
        QCOMPARE(Form_Main->DBGrid_Main->hint(), QString());
        QVERIFY(Form_Main->Timer_Hint->Enabled());
    }

    void refusedCompletionIsReportedAndLosesNothing() {
        open({{"задача", at(2026, 12, 9), at(2026, 12, 9, 9, 5)}});
        session->module().Connection.setBusyTimeout(50);
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
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
