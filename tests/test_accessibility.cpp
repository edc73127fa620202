#include "ModalHelper.h"
#include "WindowSession.h"
#include "about/AboutParts.h"
#include "about/TForm_About.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "main_window/TaskGrid.h"
#include "reminders/TForm_Remainder.h"
#include "store/TTable.h"
#include "toolkit/Clock.h"
#include "toolkit/DatePicker.h"
#include "toolkit/MaskEdit.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QAccessibleInterface* accessible(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

QString nameOf(QWidget* widget) {
    return accessible(widget)->text(QAccessible::Name);
}

QString describe(QAccessibleInterface* node) {
    const QObject* object = node->object();
    return QStringLiteral("%1 %2 (role %3)")
        .arg(object ? object->metaObject()->className() : "item",
             object ? object->objectName() : QString())
        .arg(int(node->role()));
}

// Every focusable node or button under a window, as a screen reader walks the window,
// whose name is empty: a control the reader could only call by its kind.
void collectNameless(QAccessibleInterface* node, QStringList& nameless, int& focusable) {
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child)
            continue;
        if ((child->state().focusable || child->role() == QAccessible::Button) &&
            child->role() != QAccessible::Separator) {
            ++focusable;
            if (child->text(QAccessible::Name).trimmed().isEmpty())
                nameless << describe(child);
        }
        collectNameless(child, nameless, focusable);
    }
}

} // namespace

class AccessibilityTest : public WindowSuite {
    Q_OBJECT

    QAccessibleInterface* cell(int row, int column) const {
        return accessible(grid())->tableInterface()->cellAt(row, column);
    }
    QString cellName(int row, int column) const {
        return cell(row, column)->text(QAccessible::Name);
    }
    QString rowDescription(int row) const { return cell(row, 0)->text(QAccessible::Description); }

    // An overdue task with a reminder, one due today, a completed one and a future one,
    // on 8 December 2026.
    void openFourTasks() {
        open({{"купить хлеб", at(2026, 12, 7), at(2026, 12, 10, 18, 0)},
              {"позвонить", at(2026, 12, 8, 23, 59)},
              {"отчёт", at(2026, 12, 7), {}, true},
              {"в отпуск", at(2026, 12, 9)}});
    }

    // Which controls of every window the program creates are focusable and nameless.
    static QStringList namelessControls(int& windows, int& focusable) {
        QStringList nameless;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            ++windows;
            QStringList found;
            collectNameless(accessible(window), found, focusable);
            for (const QString& control : found)
                nameless << window->metaObject()->className() + QStringLiteral(": ") + control;
        }
        return nameless;
    }

private slots:
    void gridCellsSpeakWhatTheyShow() {
        openFourTasks();
        QCOMPARE(nameOf(grid()), QStringLiteral("Задачи"));
        const QStringList overdue = {"Напоминание 10.12.2026 18:00", "7 Декабрь 2026 г.",
                                     "купить хлеб", "Не завершено"};
        const QStringList today = {"Нет напоминания", "8 Декабрь 2026 г.", "позвонить",
                                   "Не завершено"};
        const QStringList completed = {"Нет напоминания", "7 Декабрь 2026 г.", "отчёт",
                                       "Завершено"};
        const QList<QStringList> rows = {overdue, today, completed};
        const QStringList states = {"Просрочено", "На сегодня", "Завершено"};
        for (int row = 0; row < rows.size(); ++row) {
            for (int column = 0; column < 4; ++column) {
                QCOMPARE(cellName(row, column), rows[row][column]);
                QCOMPARE(cell(row, column)->text(QAccessible::Description), states[row]);
            }
        }
        // A row without a colour reads the date exactly as the grid draws it, and says no
        // state.
        const QString drawnDate = grid()->model()->index(3, 1).data().toString();
        QVERIFY(drawnDate.contains(QStringLiteral("2026")));
        QCOMPARE(cellName(3, 1), drawnDate);
        QCOMPARE(cellName(3, 0), QStringLiteral("Нет напоминания"));
        QCOMPARE(cellName(3, 2), QStringLiteral("в отпуск"));
        QCOMPARE(cellName(3, 3), QStringLiteral("Не завершено"));
        for (int column = 0; column < 4; ++column)
            QVERIFY(cell(3, column)->text(QAccessible::Description).isEmpty());
    }

    void spokenStateAgreesWithTheRowColour() {
        openFourTasks();
        const QHash<QString, QColor> colourOf = {{"Просрочено", QColor(255, 0, 0)},
                                                 {"На сегодня", QColor(0, 255, 255)},
                                                 {"Завершено", QColor(128, 128, 128)},
                                                 {"", QColor(Qt::white)}};
        auto agree = [&] {
            grid()->clearFocus();
            for (int row = 0; row < 4; ++row) {
                table().setRecNo(row == 3 ? 1 : 4); // keep the selection off the sampled row
                if (rowColour(row) != colourOf.value(rowDescription(row)))
                    return false;
            }
            return true;
        };
        QVERIFY(agree());
        // Completing the overdue task greys it and silences its reminder.
        table().setRecNo(1);
        part<QAction>("Menu_Completed")->trigger();
        QCOMPARE(rowDescription(0), QStringLiteral("Завершено"));
        QCOMPARE(cellName(0, 0), QStringLiteral("Нет напоминания"));
        QCOMPARE(cellName(0, 3), QStringLiteral("Завершено"));
        QVERIFY(agree());
        // A day later tomorrow's task is due today, and the date cells read the words.
        Clock::advance(24 * 60 * 60 * 1000);
        QCOMPARE(rowDescription(3), QStringLiteral("На сегодня"));
        QCOMPARE(cellName(3, 1), QStringLiteral("9 Декабрь 2026 г."));
        QCOMPARE(rowDescription(1), QStringLiteral("Просрочено"));
        QVERIFY(agree());
    }

    // A task added through the editor leaves the reader's place: each cell it has read
    // still reads its task, at that task's row, and the reader lands on the new task.
    void readerKeepsItsPlaceWhenATaskIsAdded() {
        openFourTasks();
        table().setIndexFieldNames(QStringLiteral("Plan"));
        QList<QAccessibleInterface*> read;
        for (int row = 0; row < 4; ++row)
            read << cell(row, 2);
        whenModal([](QWidget*) {
            typeText(editorWindow()->DBEdit1, QStringLiteral("забрать посылку"));
            editorWindow()->Button_OK->click();
        });
        part<QPushButton>("Button_Add")->click();
        const QStringList titles = {"в отпуск", "забрать посылку", "купить хлеб", "отчёт",
                                    "позвонить"};
        for (QAccessibleInterface* known : read) {
            const QString title = known->text(QAccessible::Name);
            QVERIFY2(titles.contains(title), qPrintable(title));
            QCOMPARE(known->tableCellInterface()->rowIndex(), titles.indexOf(title));
        }
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid()));
        QCOMPARE(grid()->currentIndex().row(), 1);
    }

    void popupMenuOpensFromTheKeyboardOnTheCurrentRow() {
        openFourTasks();
        grid()->setSelectedColumn(0);
        auto* menu = part<QMenu>("PopupMenu_Main");
        auto* completion = part<QAction>("Menu_Completed");
        auto opensOnRow = [&](int row, const QString& completedCaption) {
            const QRect rect = grid()->visualRect(grid()->model()->index(row, 0));
            const QPoint top = grid()->viewport()->mapToGlobal(rect.topLeft());
            const bool onRow = menu->isVisible() && menu->pos().y() >= top.y() &&
                               menu->pos().y() < top.y() + rect.height() &&
                               completion->text() == completedCaption;
            menu->hide();
            return onRow;
        };
        table().setRecNo(3);
        QTest::keyClick(grid(), Qt::Key_Menu);
        QVERIFY(opensOnRow(2, QStringLiteral("Снять завершение")));
        QTest::keyClick(grid(), Qt::Key_Down);
        QTest::keyClick(grid(), Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(opensOnRow(3, QStringLiteral("Завершаить")));
        // The window system's own keyboard request opens it on the current row too, wherever
        // the mouse is.
        QTest::keyClick(grid(), Qt::Key_Up);
        QTest::keyClick(grid(), Qt::Key_Up);
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(5, 5));
        QApplication::sendEvent(grid(), &request);
        QVERIFY(opensOnRow(1, QStringLiteral("Завершаить")));
        QCOMPARE(part<QAction>("Menu_Remainder")->text(), QStringLiteral("Установить напоминание"));
    }

    void focusedCellIsFramedOnEveryRowColour() {
        openFourTasks();
        // The frame runs along the inside of the current cell, where no text is drawn, and
        // stands out from the cell's background.
        auto framed = [&](int row) {
            table().setRecNo(row + 1);
            const QImage image = grid()->viewport()->grab().toImage();
            const QRect rect = grid()->visualRect(grid()->model()->index(row, 2));
            const QColor background = image.pixelColor(rect.right() - 3, rect.center().y());
            for (int x = rect.left() + 2; x < rect.right() - 2; ++x) {
                const QColor dot = image.pixelColor(x, rect.top() + 1);
                if (std::abs(dot.red() - background.red()) +
                        std::abs(dot.green() - background.green()) +
                        std::abs(dot.blue() - background.blue()) >=
                    200)
                    return true;
            }
            return false;
        };
        grid()->setSelectedColumn(2);
        for (int row = 0; row < 4; ++row)
            QVERIFY2(framed(row), qPrintable(QString::number(row)));
        part<QWidget>("Button_Add")->setFocus();
        for (int row = 0; row < 4; ++row)
            QVERIFY2(!framed(row), qPrintable(QString::number(row)));
    }

    void ctrlTabAndTabPastTheEdgesLeaveTheGrid() {
        openFourTasks();
        auto focusAfter = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            return QApplication::focusWidget();
        };
        table().setRecNo(2);
        grid()->setSelectedColumn(1);
        QVERIFY(focusAfter(Qt::Key_Tab) == grid());
        QVERIFY(focusAfter(Qt::Key_Tab, Qt::ControlModifier) != grid());
        QVERIFY(focusAfter(Qt::Key_Tab, Qt::ShiftModifier) == grid());
        table().setRecNo(1);
        grid()->setSelectedColumn(0);
        QVERIFY(focusAfter(Qt::Key_Tab, Qt::ShiftModifier) != grid());
        grid()->setFocus();
        table().setRecNo(4);
        grid()->setSelectedColumn(3);
        QVERIFY(focusAfter(Qt::Key_Tab) != grid());
    }

    // Tab alone walks through every control that takes the keyboard, in every window the
    // program creates (the grid's cells included).
    void tabReachesEveryControlOfEveryWindow() {
        openFourTasks();
        reminderWindow()->setChoice(TForm_Remainder::Postpone); // its amount and unit in view
        QStringList unreached;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->windowType() == Qt::Popup) // menus and drop-down calendars
                continue;
            const bool wasVisible = window->isVisible();
            window->show();
            window->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), window);
            QSet<QWidget*> reached;
            for (int press = 0; press < 100; ++press) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                reached << QApplication::focusWidget();
            }
            for (QWidget* control : window->findChildren<QWidget*>())
                if (control->isVisible() && control->isEnabled() && !control->focusProxy() &&
                    (control->focusPolicy() & Qt::TabFocus) && !reached.contains(control))
                    unreached << window->metaObject()->className() + QStringLiteral(": ") +
                                     control->metaObject()->className() + QStringLiteral(" ") +
                                     nameOf(control);
            window->setVisible(wasVisible);
        }
        QVERIFY2(unreached.isEmpty(), qPrintable(unreached.join(QStringLiteral("; "))));
    }

    // In the command column the search comes after the exit group, and About last.
    void tabWalksTheCommandColumnInOrder() {
        openFourTasks();
        part<QWidget>("CheckBox_In_Tray")->setFocus();
        for (const char* next : {"EditSearch", "ButtonSearch", "Button_About"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), part<QWidget>(next));
        }
    }

    void aboutLinkIsAKeyboardReachableLink() {
        openFourTasks();
        QAccessibleInterface* link = accessible(aboutWindow()->Label2);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), QStringLiteral("Tarvik"));
        QSignalSpy clicks(aboutWindow()->Label2, &LinkLabel::clicked);
        aboutWindow()->show();
        aboutWindow()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), aboutWindow());
        aboutWindow()->Label2->setFocus();
        QTest::keyClick(aboutWindow()->Label2, Qt::Key_Space);
        QTest::keyClick(aboutWindow()->Label2, Qt::Key_Return);
        QCOMPARE(clicks.count(), 2);
    }

    void controlsAreNamedByTheirLabels() {
        openFourTasks();
        QCOMPARE(nameOf(part<QWidget>("Button_Del_Completed")),
                 QStringLiteral("Удалить завершенные"));
        // A caption's leading space is not read out, and stays on the button.
        QCOMPARE(nameOf(part<QWidget>("Button_Add")), QStringLiteral("Добавить"));
        QCOMPARE(part<QPushButton>("Button_Add")->text(), QStringLiteral(" Добавить"));
        QCOMPARE(nameOf(part<QWidget>("Button_Exit")), QStringLiteral("Выход"));
        QCOMPARE(accessible(part<QWidget>("Label_Now_Time"))->text(QAccessible::Description),
                 QStringLiteral("Время"));
        QCOMPARE(accessible(part<QWidget>("Label_Now_Date"))->text(QAccessible::Description),
                 QStringLiteral("Дата"));
        QCOMPARE(nameOf(editorWindow()->DBEdit1), QStringLiteral("Задача"));
        QCOMPARE(nameOf(editorWindow()->DateTimePicker1), QStringLiteral("Дата"));
        QCOMPARE(nameOf(editorWindow()->DBMemo1), QStringLiteral("Описание"));
        QCOMPARE(nameOf(editorWindow()->Edit_Hour), QStringLiteral("Часы"));
        QCOMPARE(nameOf(editorWindow()->Edit_Minute), QStringLiteral("Минуты"));
        QCOMPARE(nameOf(reminderWindow()->Edit_Plan), QStringLiteral("Задача"));
        QCOMPARE(nameOf(reminderWindow()->Memo_Comment), QStringLiteral("Описание"));
        QCOMPARE(nameOf(reminderWindow()->Edit_Time), QStringLiteral("Количество"));
        QCOMPARE(accessible(reminderWindow()->ComboBox_Ed_Izm)->text(QAccessible::Description),
                 QStringLiteral("Единица"));
    }

    void noFocusableControlOfAnyWindowIsNameless() {
        session->open({{"купить хлеб", at(2026, 12, 7), at(2026, 12, 10, 18, 0)}});
        int windows = 0;
        int focusable = 0;
        const QStringList nameless = namelessControls(windows, focusable);
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(QStringLiteral("; "))));
        QVERIFY(windows >= 2);
        QVERIFY(focusable >= 20);
        // The walk does see a control that a reader could not name.
        auto* stray = new QLineEdit(editorWindow()->Panel1);
        QCOMPARE(namelessControls(windows, focusable).size(), 1);
        delete stray;
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
