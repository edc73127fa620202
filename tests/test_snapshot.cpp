// The task table's snapshot of the file, kept compactly: it holds every value as a fresh read
// of the file does, its texts whatever the file puts in them and after another copy's
// writes, and start-up reads it while the splash stands.
#include "Fixtures.h"
#include "about/TForm_Welcome.h"
#include "app/Instances.h"
#include "app/Startup.h"
#include "settings/Settings.h"
#include "store/Fields.h"
#include "store/TDataModule_Main.h"
#include "store/TTable.h"
#include "toolkit/Error.h"
#include "toolkit/MessageBox.h"

#include <QApplication>
#include <QFile>
#include <QTest>

namespace {

// Every value of every row, in the table's current order.
QList<QVariantList> valuesOf(const TTable& table) {
    QList<QVariantList> rows;
    for (int row = 0; row < table.RecordCount(); ++row) {
        QVariantList values;
        for (int field = 0; field < FieldCount; ++field)
            values << table.valueAt(row, field);
        rows << values;
    }
    return rows;
}

QList<QVariant> columnOf(const TTable& table, int field) {
    QList<QVariant> values;
    for (int row = 0; row < table.RecordCount(); ++row)
        values << table.valueAt(row, field);
    return values;
}

} // namespace

class TestSnapshot final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempProgram> program;

private slots:
    void init() { program = std::make_unique<TempProgram>(); }
    void cleanup() { program.reset(); }

    // Empty texts and none, a NUL inside, a byte-order mark, bytes that are no UTF-8, a
    // description longer than a chunk of the text block, and enough titles to fill several.
    void textsReadBackAsTheFileHoldsThem() {
        QVERIFY(program->exec(QStringLiteral(
            "INSERT INTO Plans (Plan, Comments) VALUES ('', NULL), (NULL, ''),"
            " ('a' || char(0) || 'b', CAST(x'EFBBBF41' AS TEXT)), (CAST(x'FF41C3' AS TEXT), "
            "  replace(hex(zeroblob(700000)), '00', 'яz'));"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30000)"
            " INSERT INTO Plans (Plan) SELECT printf('Задача номер %d, её длинное название', i)"
            " FROM n")));
        const auto module = openDataModule(program->databasePath());
        const TTable& table = module->Table_Main;
        // The file's own reading here ends a text at a NUL: the third row is read apart.
        QCOMPARE(columnOf(table, F_Plan).mid(3), program->column(QStringLiteral("Plan")).mid(3));
        QCOMPARE(columnOf(table, F_Comments).mid(3),
                 program->column(QStringLiteral("Comments")).mid(3));
        QVERIFY(table.valueAt(0, F_Plan).isValid() && table.valueAt(0, F_Comments).isNull());
        QVERIFY(table.valueAt(1, F_Plan).isNull() && table.valueAt(1, F_Comments).isValid());
        QCOMPARE(table.valueAt(2, F_Plan).toString(), QString::fromUtf8("a\0b", 3));
        QCOMPARE(table.valueAt(2, F_Comments).toString(), QString::fromUtf8("\xEF\xBB\xBF"
                                                                            "A"));
    }

    // Another copy changes every field, in the program's forms and in forms of its own,
    // adds and deletes tasks, and writes a title again as it was: the rows read again hold
    // exactly what a fresh read does, in the same order, and a row whose date the other copy
    // wrote in its own form can still be edited.
    void rowsReadAgainEqualAFreshRead() {
        QVERIFY(program->exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400)"
            " INSERT INTO Plans (Reminder, Date, Plan, Comments, Completed)"
            " SELECT CASE WHEN i % 3 = 0 THEN '2026-12-08 10:00:00' END, '2026-12-01 00:00:00',"
            " printf('дело %d', (i * 7919) % 97), CASE WHEN i % 2 = 0 THEN 'о ' || i END, i % 2"
            " FROM n")));
        const auto module = openDataModule(program->databasePath());
        TTable& table = module->Table_Main;
        table.setIndexFieldNames(QStringLiteral("Plan"));
        for (int round = 0; round < 3; ++round) {
            QVERIFY(program->exec(
                QStringLiteral(
                    "UPDATE Plans SET Comments = 'другое' WHERE ID % 7 = %1;"
                    "UPDATE Plans SET Date = '2026-12-09T10:00' WHERE ID % 11 = %1;"
                    "UPDATE Plans SET Completed = 5 WHERE ID % 13 = %1;"
                    "UPDATE Plans SET Reminder = NULL WHERE ID % 17 = %1;"
                    "UPDATE Plans SET Plan = upper(Plan) WHERE ID % 5 = %1;"
                    "UPDATE Plans SET Plan = Plan WHERE ID % 3 = %1;"
                    "DELETE FROM Plans WHERE ID % 19 = %1;"
                    "INSERT INTO Plans (Date, Plan) VALUES ('2026-12-02 00:00:00', 'новое %1')")
                    .arg(round)));
            QVERIFY(table.followFile());
            auto fresh = openDataModule(program->databasePath());
            fresh->Table_Main.setIndexFieldNames(QStringLiteral("Plan"));
            QCOMPARE(valuesOf(table), valuesOf(fresh->Table_Main));
        }
        int position = 1;
        while (table.valueAt(position - 1, F_ID).toLongLong() % 11 != 2)
            ++position;
        table.setRecNo(position);
        table.Amend([&] { table.FieldByName(QStringLiteral("Plan")).setAsString("изменено"); });
        QVERIFY(program->column(QStringLiteral("Plan")).contains(QStringLiteral("изменено")));
    }

    // A damaged file found while the splash stands, the file being read on another thread,
    // is reported once the splash has gone, and no window of the program is left.
    void failureWhileTheSplashStandsComesAfterIt() {
        QFile file(program->databasePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("no database at all, and long enough to be read as one");
        file.close();
        Settings::write(Settings::TarvikKey, QStringLiteral("Path"), program->folder());
        QString error;
        bool splashGone = false;
        try {
            Startup::start({program->folder() + QStringLiteral("Quenlor"), 50});
        } catch (const TarvikError& failure) {
            error = failure.text();
            const QWidgetList windows = QApplication::topLevelWidgets();
            splashGone = std::none_of(windows.begin(), windows.end(), [](QWidget* window) {
                return qobject_cast<TForm_Welcome*>(window) != nullptr;
            });
        }
        Instances::destroy();
        QVERIFY2(error.contains(QStringLiteral("повреждён")), qPrintable(error));
        QVERIFY(splashGone);
        QCOMPARE(Settings::read(Settings::TarvikKey, QStringLiteral("Version")), Startup::Version);
    }
};

QTEST_MAIN(TestSnapshot)
#include "test_snapshot.moc"
