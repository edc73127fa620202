#include "Fixtures.h"
#include "store/Schema.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Error.h"
#include "toolkit/UserLocale.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>
#include <numeric>
#include <sqlite3.h>

namespace {

enum Cause { Locked, ReadOnly, DiskFull, TooLong, Missing };

const QString emptyDatasetText =
    QStringLiteral("Cannot perform this operation on an empty dataset");

// A raw SQLite handle beside the program's own connection: another process's view.
class RawDb final {
public:
    explicit RawDb(const QString& path, int flags = SQLITE_OPEN_READWRITE) {
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    }
    ~RawDb() { sqlite3_close(m_db); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;
    bool exec(const char* sql) {
        return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

private:
    sqlite3* m_db = nullptr;
};

void setPlan(TTable& table, const QString& text) {
    table.FieldByName(QStringLiteral("Plan")).setAsString(text);
}

QStringList plansInOrder(const TTable& table) {
    QStringList plans;
    for (int row = 0; row < table.RecordCount(); ++row)
        plans << table.valueAt(row, F_Plan).toString();
    return plans;
}

QList<qint64> idsInOrder(const TTable& table) {
    QList<qint64> ids;
    for (int row = 0; row < table.RecordCount(); ++row)
        ids << table.valueAt(row, F_ID).toLongLong();
    return ids;
}

// Runs body and returns the text of the TarvikError it must throw.
template <class Body> QString errorOf(Body body) {
    try {
        body();
    } catch (const TarvikError& error) {
        return error.text();
    }
    return QStringLiteral("<no error>");
}

QString startupString(const QString& folder) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=") + folder +
           QStringLiteral(
               "/Plans.mdb;Mode=Share Deny None;Extended Properties=\"\";Jet OLEDB:System "
               "database=\"\";Jet OLEDB:Registry Path=\"\";Jet OLEDB:Database Password=\"\";Jet "
               "OLEDB:Engine Type=5;Jet OLEDB:Database Locking Mode=1;Jet OLEDB:Global Partial "
               "Bulk Ops=2;Jet OLEDB:Global Bulk Transactions=1;Jet OLEDB:New Database "
               "Password=\"\";Jet OLEDB:Create System Database=False;Jet OLEDB:Encrypt "
               "Database=False;Jet OLEDB:Don't Copy Locale on Compact=False;Jet OLEDB:Compact "
               "Without Replica Repair=False;Jet OLEDB:SFP=False");
}

// Random titles of up to ten characters, mostly Cyrillic and Latin as users write them,
// with the characters that make collation hard mixed in: ё and й written whole or as a
// letter and a combining mark, accents, ß, ligatures, Catalan l·l, Greek, CJK, an emoji,
// punctuation, digits and spaces; the rare ones only withRare.
QString randomTitle(QRandomGenerator& random, bool withRare) {
    static const QString common = QStringLiteral(
        "абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВЕЁЖЗИЙКОЯabcdeilnorsxyzABEILNOZ0123456789  .,-!?");
    static const QStringList rare = {
        QStringLiteral("\u0301"),  QStringLiteral("\u0306"),  QStringLiteral("\u0308"),
        QStringLiteral("е\u0308"), QStringLiteral("и\u0306"), QStringLiteral("é"),
        QStringLiteral("Ö"),       QStringLiteral("ß"),       QStringLiteral("æ"),
        QStringLiteral("ﬁ"),       QStringLiteral("l·l"),     QStringLiteral("L·"),
        QStringLiteral("Ω"),       QStringLiteral("中"),      QStringLiteral("😀"),
        QStringLiteral("«»"),      QStringLiteral("—"),       QStringLiteral("№"),
        QStringLiteral("…"),       QStringLiteral("\u00A0"),  QStringLiteral("\t"),
        QStringLiteral("₽"),     QStringLiteral("½")};
    QString title;
    for (int length = random.bounded(11); length > 0; --length)
        title += withRare && random.bounded(12) == 0
                     ? rare[random.bounded(int(rare.size()))]
                     : QString(common[random.bounded(int(common.size()))]);
    return title.left(50);
}

// A file made by SQL alone, as another program (or an older one) might have made it.
void makeDatabase(const QString& path, const char* sql) {
    RawDb(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).exec(sql);
}

// Damage done to a sound Plans.mdb of many rows, as disks, copies and crashes do it.
enum class Damage { PageInside, HalfTheFile, MidPage, HeaderOnly, Empty, Text, PageCountTooLarge };

constexpr qint64 pageSize = 4096;

void damage(const QString& path, Damage kind) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throw std::runtime_error("cannot damage the test database");
    const qint64 pages = file.size() / pageSize;
    switch (kind) {
    case Damage::PageInside:
        file.seek(pages / 2 * pageSize);
        file.write(QByteArray(pageSize, char(0xA5)));
        break;
    case Damage::HalfTheFile:
        file.resize(pages / 2 * pageSize);
        break;
    case Damage::MidPage:
        file.resize(pages / 2 * pageSize + 1234);
        break;
    case Damage::HeaderOnly:
        file.resize(100);
        break;
    case Damage::Empty:
        file.resize(0);
        break;
    case Damage::Text:
        file.resize(0);
        file.write("Plans exported to text: 1. Buy milk\n");
        break;
    case Damage::PageCountTooLarge:
        // The header's page count, trusted while its change counter is current.
        file.seek(28);
        file.write(QByteArray("\x00\x10\x00\x00", 4));
        break;
    }
}

// Rows enough to fill many pages, descriptions long enough to overflow some.
void fillWithTasks(const TempProgram& program) {
    QList<TaskRow> rows;
    for (int index = 0; index < 600; ++index)
        rows.append(TaskRow{QStringLiteral("Задача %1").arg(index), at(2026, 1, 1 + index % 28),
                            QDateTime(), index % 3 == 0,
                            QString(index % 7 == 0 ? 5000 : 100, QChar('a' + index % 26))});
    program.insert(rows);
}

// Opens the file as start-up does; gives the error text (or "<no error>").
QString openError(const QString& path) {
    TDataModule_Main module;
    module.Connection.setConnectionString(QStringLiteral("Data Source=") +
                                          TConnection::quoted(path));
    const QString error = errorOf([&] { module.Connection.Open(); });
    if (module.Connection.Connected())
        return QStringLiteral("<open>");
    return error;
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestStore final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempProgram> program;
    std::unique_ptr<TDataModule_Main> module;

    // Stores the rows in the program folder's file and opens a data module on it.
    TTable& open(const QList<TaskRow>& rows = {}) {
        program->insert(rows);
        module = openDataModule(program->databasePath());
        return module->Table_Main;
    }
    // A program folder of its own for the next open(); the settings store of the last one
    // goes first.
    void renew() {
        module.reset();
        program.reset();
        program = std::make_unique<TempProgram>();
    }

private slots:
    void init() {
        UserLocale::set(QLocale::c());
        program = std::make_unique<TempProgram>();
    }
    void cleanup() {
        module.reset();
        program.reset();
        UserLocale::reset();
    }

    void editOnEmptyTableInsertsAndPostStores() {
        TTable& table = open();
        table.Edit();
        QCOMPARE(table.state(), TTable::InsertState);
        QCOMPARE(table.RecNo(), -1);
        setPlan(table, QStringLiteral("Первая"));
        table.Post();
        QCOMPARE(table.RecordCount(), 1);
        QCOMPARE(table.RecNo(), 1);
        QCOMPARE(program->column(QStringLiteral("Plan")),
                 QList<QVariant>{QStringLiteral("Первая")});
        QCOMPARE(table.FieldByName(QStringLiteral("ID")).AsVariant(),
                 program->column(QStringLiteral("ID")).front());
    }

    void insertIsPendingUntilPostAndCancelRestoresCurrent() {
        TTable& table = open(titled({"a", "b", "c"}));
        table.setRecNo(2);
        table.Insert();
        QCOMPARE(table.RecNo(), -1);
        QCOMPARE(table.RecordCount(), 3);
        QVERIFY(table.FieldByName(QStringLiteral("Plan")).IsNull());
        table.Cancel();
        QCOMPARE(table.RecNo(), 2);
        QCOMPARE(plan(table), QStringLiteral("b"));
        table.Insert();
        table.Delete(); // acts as Cancel
        QCOMPARE(table.RecNo(), 2);
        QCOMPARE(program->rowCount(), 3);
    }

    void postedInsertStaysWherePostedUntilRefresh() {
        TTable& table = open(titled({"d", "b"}));
        table.setIndexFieldNames(QStringLiteral("Plan"));
        table.setRecNo(2);
        table.Insert();
        setPlan(table, QStringLiteral("a"));
        table.Post();
        QCOMPARE(plansInOrder(table), (QStringList{"b", "a", "d"}));
        QCOMPARE(table.RecNo(), 2);
        table.Refresh();
        QCOMPARE(plansInOrder(table), (QStringList{"a", "b", "d"}));
        QCOMPARE(plan(table), QStringLiteral("a"));
    }

    void deleteMakesTheFollowingRecordCurrent() {
        TTable& table = open(titled({"a", "b", "c"}));
        table.setRecNo(2);
        table.Delete();
        QCOMPARE(plan(table), QStringLiteral("c"));
        table.Delete(); // the last row: the new last one is current
        QCOMPARE(plan(table), QStringLiteral("a"));
        QCOMPARE(table.RecNo(), 1);
        table.Delete(); // the only row
        QCOMPARE(table.RecordCount(), 0);
        QCOMPARE(table.RecNo(), -1);
        QCOMPARE(program->rowCount(), 0);
        QCOMPARE(errorOf([&] { table.Delete(); }), emptyDatasetText);
    }

    void batchIsAllOrNothing() {
        TTable& table = open(titled({"a", "b", "boom", "c"}));
        QSignalSpy rowsChanged(&table, &TTable::rowsChanged);
        const auto deleteAll = [&table] {
            table.First();
            for (int step = 0, count = table.RecordCount(); step < count; ++step)
                table.Delete();
        };
        // The file refuses the third delete: the first two must not stay deleted.
        RawDb other(program->databasePath());
        QVERIFY(other.exec("CREATE TRIGGER keep BEFORE DELETE ON Plans WHEN old.Plan = 'boom' "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY(errorOf([&] { table.Batch(deleteAll); }).endsWith(QStringLiteral("\nrefused")));
        QCOMPARE(plansInOrder(table), (QStringList{"a", "b", "boom", "c"}));
        QCOMPARE(program->rowCount(), 4);
        QCOMPARE(rowsChanged.count(), 1);

        QVERIFY(other.exec("DROP TRIGGER keep"));
        rowsChanged.clear();
        table.Batch(deleteAll);
        QCOMPARE(table.RecordCount(), 0);
        QCOMPARE(program->rowCount(), 0);
        QCOMPARE(rowsChanged.count(), 1); // the views are told once, not once a row
    }

    void emptyFieldsReadAsZeroValues() {
        TTable& table = open();
        table.Insert();
        table.Post(); // an empty record: every field NULL but ID
        const TField reminder = table.FieldByName(QStringLiteral("Reminder"));
        QVERIFY(reminder.IsNull());
        QCOMPARE(reminder.AsDateTime(), at(1899, 12, 30));
        QCOMPARE(reminder.AsString(), QString());
        QVERIFY(table.FieldByName(QStringLiteral("Completed")).IsNull());
        QVERIFY(!table.FieldByName(QStringLiteral("Completed")).AsBoolean());
        QCOMPARE(program->column(QStringLiteral("Completed")), QList<QVariant>{QVariant()});
    }

    void fieldErrors() {
        TTable& table = open(titled({"a"}));
        QCOMPARE(errorOf([&] { setPlan(table, "x"); }),
                 QStringLiteral("Dataset not in edit or insert mode"));
        QVERIFY(errorOf([&] { table.FieldByName(QStringLiteral("Title")); }).contains("Title"));
        table.Edit();
        QVERIFY(errorOf([&] {
                    table.FieldByName(QStringLiteral("ID")).setAsVariant(7);
                }).contains("ID"));
        QVERIFY(errorOf([&] {
                    table.FieldByName(QStringLiteral("Date")).setAsString("завтра");
                }).contains("завтра"));
        QCOMPARE(table.FieldByName(QStringLiteral("Date")).AsDateTime(), at(2026, 1, 1));
    }

    void dateTimesAreStoredToTheSecond() {
        TTable& table = open();
        table.Insert();
        const QDateTime moment = at(2026, 12, 8, 14, 3, 9);
        table.FieldByName(QStringLiteral("Reminder")).setAsDateTime(moment.addMSecs(789));
        table.FieldByName(QStringLiteral("Date")).setAsDateTime(at(2026, 12, 8));
        table.Post();
        QCOMPARE(program->column(QStringLiteral("Reminder")),
                 QList<QVariant>{QStringLiteral("2026-12-08 14:03:09")});
        QCOMPARE(program->column(QStringLiteral("Date")),
                 QList<QVariant>{QStringLiteral("2026-12-08 00:00:00")});
        QCOMPARE(table.FieldByName(QStringLiteral("Reminder")).AsDateTime(), moment);
        QCOMPARE(table.FieldByName(QStringLiteral("Reminder")).AsDateTime().timeSpec(),
                 Qt::LocalTime);
    }

    void textsRoundTrip() {
        const QString title = QStringLiteral("Ёлка: \"кавычки\", 'апостроф'; DROP TABLE Plans;--");
        const QString comments = QStringLiteral("строка 1\nстрока 2\r\n\ttab; ';\"");
        {
            TTable& table = open();
            table.Insert();
            setPlan(table, title);
            table.FieldByName(QStringLiteral("Comments")).setAsString(comments);
            table.Post();
            table.Insert();
            setPlan(table, QStringLiteral("")); // an empty title stays '', not NULL
            table.Post();
        }
        TTable& table = open();
        QCOMPARE(plansInOrder(table), (QStringList{title, ""}));
        table.First();
        QCOMPARE(table.FieldByName(QStringLiteral("Comments")).AsString(), comments);
        table.Next();
        QVERIFY(!table.FieldByName(QStringLiteral("Plan")).IsNull());
        QVERIFY(table.FieldByName(QStringLiteral("Comments")).IsNull());
    }

    void tooLongTitleIsRefusedAndKeptPending() {
        TTable& table = open();
        table.Insert();
        setPlan(table, QString(51, QChar(u'я')));
        QVERIFY(errorOf([&] { table.Post(); }).contains("CHECK constraint failed"));
        QCOMPARE(table.state(), TTable::InsertState);
        QCOMPARE(program->rowCount(), 0);
        setPlan(table, QString(50, QChar(u'я')));
        table.Post();
        QCOMPARE(program->rowCount(), 1);
    }

    void indexFieldNames_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("byPlan");
        // Insertion (ID) order: вишня Banana Арбуз apple банан Cherry Банан APPLE ёж ель
        QTest::newRow("C: case-folded code points")
            << "C" << QStringList{"apple", "APPLE", "Banana", "Cherry", "Арбуз",
                                  "банан", "Банан", "вишня",  "ель",    "ёж"};
        QTest::newRow("Russian collation")
            << "ru_RU"
            << cyrillicAndLatin({"Арбуз", "банан", "Банан", "вишня", "ёж", "ель"},
                                {"apple", "APPLE", "Banana", "Cherry"});
    }

    void indexFieldNames() {
        QFETCH(QString, locale);
        QFETCH(QStringList, byPlan);
        UserLocale::set(QLocale(locale));
        const QStringList stored = {"вишня",  "Banana", "Арбуз", "apple", "банан",
                                    "Cherry", "Банан",  "APPLE", "ёж",    "ель"};
        const int days[] = {5, 3, 9, 3, 1, 7, 3, 2, 8, 4};
        QList<TaskRow> rows = titled(stored);
        for (int i = 0; i < rows.size(); ++i)
            rows[i].date = at(2026, 3, days[i]);
        TTable& table = open(rows);
        table.setIndexFieldNames(QStringLiteral("Plan"));
        QCOMPARE(plansInOrder(table), byPlan);
        table.setIndexFieldNames(QStringLiteral("Date")); // ties (day 3) keep their ID order
        QCOMPARE(plansInOrder(table), (QStringList{"банан", "APPLE", "Banana", "apple", "Банан",
                                                   "ель", "вишня", "Cherry", "ёж", "Арбуз"}));
        table.setIndexFieldNames(QString());
        QCOMPARE(plansInOrder(table), stored);

        QSignalSpy reordered(&table, &TTable::rowsChanged);
        QVERIFY(
            errorOf([&] { table.setIndexFieldNames(QStringLiteral("Title")); }).contains("Title"));
        table.setIndexFieldNames(QString());
        QCOMPARE(reordered.count(), 0);
        QCOMPARE(table.IndexFieldNames(), QString());
    }

    // A title sort by keys must agree with the collation pair by pair, and with where
    // Refresh puts a newly posted title, which it compares with its neighbours.
    void largeTableSortAgreesWithTheCollation() {
        UserLocale::set(QLocale(QStringLiteral("ru_RU")));
        const QStringList words = {"Ёж", "еда", "Арбуз", "apple", "APPLE", "банан", "Zoo"};
        QStringList titles;
        for (int i = 0; i < 5000; ++i)
            titles << words[(i * 7919) % words.size()] + QString(i % 3, ' ') + words[i % 5];
        TTable& table = open(titled(titles));
        table.setIndexFieldNames(QStringLiteral("Plan"));
        QCollator collator(UserLocale::get());
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        for (int row = 1; row < table.RecordCount(); ++row) {
            const int order = collator.compare(table.valueAt(row - 1, F_Plan).toString(),
                                               table.valueAt(row, F_Plan).toString());
            QVERIFY(order < 0 || (order == 0 && table.valueAt(row - 1, F_ID).toLongLong() <
                                                    table.valueAt(row, F_ID).toLongLong()));
        }
        table.Insert();
        setPlan(table, QStringLiteral("еда") + words[2]);
        table.Post();
        table.Refresh();
        auto fresh = openDataModule(program->databasePath());
        fresh->Table_Main.setIndexFieldNames(QStringLiteral("Plan"));
        QCOMPARE(idsInOrder(table), idsInOrder(fresh->Table_Main));
    }

    // Titles are ordered by the collator's sort keys, made on another thread when the rows
    // are read (a table opened in stored order) or waited for at once (one sorted by title
    // as it opens). The order must be the collator's own, in the users' locale and in
    // others whose letters order differently, and in the C locale that of the case-folded
    // texts' code units.
    void titleOrderEqualsTheCollator_data() {
        QTest::addColumn<QString>("locale");
        for (const char* name :
             {"ru_RU", "en_US", "de_DE", "sv_SE", "tr_TR", "ca_ES", "fr_CA", "C"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void titleOrderEqualsTheCollator() {
        QFETCH(QString, locale);
        UserLocale::set(QLocale(locale));
        QCollator collator(UserLocale::get());
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const auto compare = [&](const QString& a, const QString& b) {
            return locale == QLatin1String("C")
                       ? QString::compare(a.toCaseFolded(), b.toCaseFolded())
                       : collator.compare(a, b);
        };
        QRandomGenerator random(20261209);
        for (const bool sortedAtOpen : {false, true}) {
            QStringList titles;
            for (int i = 0; i < 10000; ++i)
                titles << randomTitle(random, true);
            renew();
            program->insert(titled(titles));
            module = std::make_unique<TDataModule_Main>();
            module->Connection.setConnectionString(connectionTo(program->databasePath()));
            module->Connection.Open();
            if (sortedAtOpen)
                module->Table_Main.setIndexFieldNames(QStringLiteral("Plan"));
            module->Table_Main.Open();
            module->Table_Main.setIndexFieldNames(QStringLiteral("Plan"));
            QList<int> expected(titles.size());
            std::iota(expected.begin(), expected.end(), 0);
            std::stable_sort(expected.begin(), expected.end(),
                             [&](int a, int b) { return compare(titles[a], titles[b]) < 0; });
            const QStringList sorted = plansInOrder(module->Table_Main);
            for (int row = 0; row < titles.size(); ++row)
                QVERIFY2(sorted[row] == titles[expected[row]],
                         qPrintable(QStringLiteral("row %1: \"%2\" where the collator puts \"%3\"")
                                        .arg(row)
                                        .arg(sorted[row], titles[expected[row]])));
        }
    }

    // French compares accents from the end of the word.
    void frenchTitlesCompareAccentsFromTheEnd() {
        UserLocale::set(QLocale(QStringLiteral("fr_CA")));
        TTable& table = open(titled({"côté", "coté", "côte", "cote"}));
        table.setIndexFieldNames(QStringLiteral("Plan"));
        QCOMPARE(plansInOrder(table), (QStringList{"cote", "côte", "coté", "côté"}));
    }

    // A title sort keeps the keys of titles unchanged since the last; after titles were
    // edited, tasks added and deleted, rows changed by another connection and the locale
    // switched, its order must still be exactly a fresh table's.
    void titleSortAfterChangesEqualsAFreshSort() {
        const QLocale russian(QStringLiteral("ru_RU"));
        UserLocale::set(russian);
        QRandomGenerator random(20261210);
        QStringList titles;
        for (int i = 0; i < 3000; ++i) // every tenth title repeats an earlier one
            titles << (i % 10 == 9 ? titles[i / 2] : randomTitle(random, i % 3 == 0));
        TTable& table = open(titled(titles));
        const auto sortsAsFresh = [&] {
            table.setIndexFieldNames(QStringLiteral("Date"));
            table.setIndexFieldNames(QStringLiteral("Plan"));
            auto fresh = openDataModule(program->databasePath());
            fresh->Table_Main.setIndexFieldNames(QStringLiteral("Plan"));
            return idsInOrder(table) == idsInOrder(fresh->Table_Main);
        };
        // The first six changes come before the first title sort, while the title keys
        // are being made from the rows as they were read.
        for (int step = 0; step < 12; ++step) {
            if (step == 6)
                table.setIndexFieldNames(QStringLiteral("Plan"));
            table.setRecNo(1 + random.bounded(table.RecordCount()));
            if (step % 4 == 3) {
                table.Delete();
                continue;
            }
            if (step % 4 == 2)
                table.Insert();
            else
                table.Edit();
            setPlan(table, step == 0   ? titles[7]
                           : step == 1 ? QString()
                                       : randomTitle(random, true));
            table.Post();
        }
        QVERIFY(sortsAsFresh());
        RawDb other(program->databasePath());
        QVERIFY(other.exec("UPDATE Plans SET Plan = 'Ёлка' WHERE ID = 100"));
        table.Refresh();
        QVERIFY(sortsAsFresh());
        // The last task deleted, then written back by another connection with its ID and
        // title: read again, it stands where it stood before.
        table.setIndexFieldNames(QString());
        table.setRecNo(table.RecordCount());
        const QString lastId = table.FieldByName(QStringLiteral("ID")).AsString();
        const QString lastTitle = plan(table);
        table.Delete();
        QVERIFY(sortsAsFresh());
        QVERIFY(other.exec(qPrintable(
            QStringLiteral(
                "INSERT INTO Plans (ID, Date, Plan) VALUES (%1, '2026-01-01 00:00:00', '%2')")
                .arg(lastId, lastTitle))));
        table.Refresh();
        QVERIFY(sortsAsFresh());
        QVERIFY(other.exec("DELETE FROM Plans WHERE ID % 7 = 0; "
                           "UPDATE Plans SET Plan = 'ёлка' WHERE ID % 11 = 0"));
        table.Refresh();
        QVERIFY(sortsAsFresh());
        UserLocale::set(QLocale::c());
        QVERIFY(sortsAsFresh());
        UserLocale::set(russian);
        QVERIFY(sortsAsFresh());
    }

    void emptyReminderAndCompletedSortFirst() {
        TTable& table = open({TaskRow{"r2", at(2026, 1, 1), at(2026, 5, 1, 9), true, {}},
                              TaskRow{"none", at(2026, 1, 1), QDateTime(), true, {}},
                              TaskRow{"r1", at(2026, 1, 1), at(2026, 4, 1, 9), false, {}}});
        table.Insert(); // Completed stays NULL: sorts with the false ones
        setPlan(table, QStringLiteral("null"));
        table.Post();
        table.setIndexFieldNames(QStringLiteral("Reminder"));
        QCOMPARE(plansInOrder(table), (QStringList{"none", "null", "r1", "r2"}));
        table.setIndexFieldNames(QStringLiteral("Completed"));
        QCOMPARE(plansInOrder(table), (QStringList{"r1", "null", "r2", "none"}));
    }

    void movingFinishesAPendingEdit() {
        TTable& table = open(titled({"a", "b"}));
        table.Edit();
        table.setRecNo(1); // the same position: stays editing
        QCOMPARE(table.state(), TTable::EditState);
        table.Next(); // nothing changed: cancelled, not written
        QCOMPARE(table.state(), TTable::Browse);
        QCOMPARE(table.RecNo(), 2);
        // A bound control writes its text when the record is about to be stored.
        connect(&table, &TTable::beforePost, &table, [&] { setPlan(table, QStringLiteral("B")); });
        table.Edit();
        table.First();
        QCOMPARE(program->column(QStringLiteral("Plan")), (QList<QVariant>{"a", "B"}));
        table.setRecNo(99);
        QCOMPARE(table.RecNo(), 2);
    }

    void refreshSeesOtherConnectionsAndKeepsTheCurrentRecord() {
        TTable& table = open(titled({"b", "d"}));
        table.setIndexFieldNames(QStringLiteral("Plan"));
        table.setRecNo(2);
        program->insert(titled({"a", "c"}));
        QCOMPARE(table.RecordCount(), 2);
        table.Refresh();
        QCOMPARE(plansInOrder(table), (QStringList{"a", "b", "c", "d"}));
        QCOMPARE(plan(table), QStringLiteral("d"));
        RawDb(program->databasePath()).exec("DELETE FROM Plans WHERE Plan = 'd'");
        table.Refresh(); // the current record is gone: the position stays, clamped
        QCOMPARE(table.RecNo(), 3);
        QCOMPARE(plan(table), QStringLiteral("c"));
    }

    // Refresh without other writers keeps the snapshot instead of reading the file; it must
    // come out exactly as a fresh read of the file would.
    void refreshAfterOwnWritesEqualsAFreshRead() {
        for (const QString& index : {QStringLiteral("Plan"), QStringLiteral("Date"), QString()}) {
            renew();
            TTable& table = open(titled({"m", "c", "x", "c", "a"}));
            table.setIndexFieldNames(index);
            QRandomGenerator random(7);
            for (int step = 0; step < 60; ++step) {
                const int action = random.bounded(4);
                table.setRecNo(1 + random.bounded(table.RecordCount()));
                if (action == 0 && table.RecordCount() > 3) {
                    table.Delete();
                    continue;
                }
                if (action == 1)
                    table.Insert();
                else
                    table.Edit();
                setPlan(table, QString(QChar(u'a' + random.bounded(26))));
                table.FieldByName(QStringLiteral("Date"))
                    .setAsDateTime(at(2026, 1, 1 + random.bounded(5)));
                table.Post();
                if (action == 3) {
                    const qint64 current =
                        table.FieldByName(QStringLiteral("ID")).AsVariant().toLongLong();
                    table.Refresh();
                    QCOMPARE(table.FieldByName(QStringLiteral("ID")).AsVariant().toLongLong(),
                             current);
                    auto fresh = openDataModule(program->databasePath());
                    fresh->Table_Main.setIndexFieldNames(index);
                    QCOMPARE(idsInOrder(table), idsInOrder(fresh->Table_Main));
                }
            }
        }
    }

    void writesRefusedWhileAnotherConnectionHoldsTheLock() {
        TTable& table = open(titled({"a", "b"}));
        module->Connection.setBusyTimeout(50);
        RawDb other(program->databasePath());
        QVERIFY(other.exec("BEGIN EXCLUSIVE"));

        table.Edit();
        setPlan(table, QStringLiteral("A"));
        QVERIFY(errorOf([&] { table.Post(); }).endsWith(QStringLiteral("\ndatabase is locked")));
        QCOMPARE(table.state(), TTable::EditState);
        QCOMPARE(plan(table), QStringLiteral("A"));
        QCOMPARE(table.valueAt(0, F_Plan).toString(), QStringLiteral("a"));
        table.Cancel();
        QVERIFY(errorOf([&] { table.Delete(); }).endsWith(QStringLiteral("\ndatabase is locked")));
        table.Insert();
        setPlan(table, QStringLiteral("new"));
        QVERIFY(errorOf([&] { table.Post(); }).endsWith(QStringLiteral("\ndatabase is locked")));
        QCOMPARE(table.RecNo(), -1);
        QCOMPARE(table.RecordCount(), 2);

        QVERIFY(other.exec("ROLLBACK"));
        QCOMPARE(program->column(QStringLiteral("Plan")), (QList<QVariant>{"a", "b"}));
        table.Post(); // the retry goes through once the lock is gone
        table.Delete();
        QCOMPARE(program->column(QStringLiteral("Plan")), (QList<QVariant>{"a", "b"}));
        QCOMPARE(plansInOrder(table), (QStringList{"a", "b"}));
    }

    // Each refusal a user can meet reads as a Russian sentence that says what happened and
    // what to do, with SQLite's own text on the second line; the file keeps what it had.
    void failuresExplainedInRussian_data() {
        // sentence: a part of the Russian sentence
        dataTable<int, QString, QString>(
            {"cause", "sentence", "engineText"},
            {{"another program writing", Locked, "занят", "database is locked"},
             {"read-only", ReadOnly, "только для чтения", "attempt to write a readonly database"},
             {"disk full", DiskFull, "Освободите место", "database or disk is full"},
             {"title too long", TooLong, "не длиннее 50 символов",
              "CHECK constraint failed: length(Plan) <= 50"},
             {"file gone at start", Missing, "его нет на месте", "unable to open database file"}});
    }

    void failuresExplainedInRussian() {
        QFETCH(int, cause);
        QFETCH(QString, sentence);
        QFETCH(QString, engineText);
        TTable& table = open(titled({"a"}));
        module->Connection.setBusyTimeout(50);
        std::unique_ptr<ForeignLock> lock;
        if (cause == Locked)
            lock = std::make_unique<ForeignLock>(program->databasePath());
        if (cause == ReadOnly)
            module->Connection.exec("PRAGMA query_only = 1");
        if (cause == DiskFull) // no page more than the file has now
            module->Connection.exec("PRAGMA max_page_count = 1");
        table.Insert();
        setPlan(table, QString(cause == TooLong ? 51 : 5, QChar(u'я')));
        table.FieldByName(QStringLiteral("Comments")).setAsString(QString(20000, 'x'));
        const QString text = cause == Missing ? errorOf([&] {
            TDataModule_Main gone;
            gone.Connection.setConnectionString("Data Source=" + program->folder() + "gone.mdb");
            gone.Connection.Open();
        })
                                              : errorOf([&] { table.Post(); });
        const QStringList lines = text.split('\n');
        QVERIFY2(lines.size() == 2, qPrintable(text));
        QVERIFY2(lines[0].contains(sentence), qPrintable(text));
        QCOMPARE(lines[1], engineText);
        lock.reset();
        QCOMPARE(program->column(QStringLiteral("Plan")), QList<QVariant>{"a"});
    }

    // The file's CHECK counts characters, an emoji being one, and no NUL can hide the rest
    // of a text from it: a NUL never gets into a title or description.
    void titleLimitCountsCharacters() {
        TTable& table = open();
        const QString emoji = QStringLiteral("😀");
        const QChar nul(0);
        table.Insert();
        setPlan(table, emoji.repeated(51));
        QVERIFY(errorOf([&] { table.Post(); }).contains("CHECK constraint failed"));
        setPlan(table, emoji.repeated(50));
        table.Post();
        table.Insert();
        setPlan(table, QString(50, 'a') + nul + QString(10, 'b'));
        QVERIFY(errorOf([&] { table.Post(); }).contains("CHECK constraint failed"));
        setPlan(table, QStringLiteral("ab") + nul + QStringLiteral("cd"));
        table.FieldByName(QStringLiteral("Comments")).setAsString(QStringLiteral("x") + nul + "y");
        QCOMPARE(plan(table), QStringLiteral("abcd"));
        table.Post();
        QCOMPARE(program->column(QStringLiteral("Plan")),
                 (QList<QVariant>{emoji.repeated(50), "abcd"}));
        QCOMPARE(program->column(QStringLiteral("Comments")), (QList<QVariant>{QVariant(), "xy"}));
    }

    // Setting a field to the value it already reads as is no change: the file keeps what it
    // stored, in its own form, readable or not, and an edit of nothing else is not written.
    void sameValueLeavesTheStoredOneAlone() {
        QVERIFY(program->exec(
            QStringLiteral("INSERT INTO Plans (Plan, Date, Reminder, Completed, Comments) "
                           "VALUES ('a', 'garbage', '2026-12-20 09:05', 7, '')")));
        TTable& table = open();
        table.Edit();
        table.FieldByName(QStringLiteral("Date")).Clear();
        table.FieldByName(QStringLiteral("Reminder")).setAsDateTime(at(2026, 12, 20, 9, 5));
        table.FieldByName(QStringLiteral("Completed")).setAsBoolean(true);
        table.FieldByName(QStringLiteral("Comments")).setAsString(QStringLiteral(""));
        setPlan(table, QStringLiteral("a"));
        table.Refresh(); // finishes the edit: nothing changed, so nothing is written
        table.Edit();
        table.FieldByName(QStringLiteral("Comments")).Clear(); // '' is a value, NULL none
        setPlan(table, QStringLiteral("b"));
        table.Post();
        QCOMPARE(program->column(QStringLiteral("Date")), QList<QVariant>{"garbage"});
        QCOMPARE(program->column(QStringLiteral("Reminder")), QList<QVariant>{"2026-12-20 09:05"});
        QCOMPARE(program->column(QStringLiteral("Completed")), QList<QVariant>{qint64(7)});
        QCOMPARE(program->column(QStringLiteral("Comments")), QList<QVariant>{QVariant()});
        QCOMPARE(program->column(QStringLiteral("Plan")), QList<QVariant>{"b"});
    }

    // content empty: no file at all; schema: SQL that makes the file, if any; said: what the
    // message says besides the file's name.
    void openFailures_data() {
        dataTable<QByteArray, QByteArray, QString>(
            {"content", "schema", "said"},
            {{"missing file", {}, {}, ""},
             {"not a database", QByteArray("Standard Jet DB\0garbage", 23), {}, ""},
             {"no table Plans", {}, "CREATE TABLE Tasks (ID INTEGER)", ""},
             {"Plans without Completed",
              {},
              "CREATE TABLE Plans (Reminder, Date, Plan, ID INTEGER PRIMARY KEY, Comments)",
              ""},
             {"a view named Plans",
              {},
              "CREATE TABLE T (Reminder, Date, Plan, ID INTEGER PRIMARY KEY, Comments, "
              "Completed); CREATE VIEW Plans AS SELECT * FROM T;",
              "не таблица"}});
    }

    void openFailures() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, schema);
        QFETCH(QString, said);
        const QString path = program->folder() + QStringLiteral("Other.mdb");
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        if (!schema.isEmpty())
            QVERIFY(
                RawDb(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).exec(schema.constData()));
        QFile before(path);
        const QByteArray bytes = before.open(QIODevice::ReadOnly) ? before.readAll() : QByteArray();
        before.close();

        TConnection connection;
        connection.setConnectionString(QStringLiteral("Data Source=") + path);
        const QString error = errorOf([&] { connection.Open(); });
        QVERIFY2(error.contains('"' + path + '"') && error.contains(said), qPrintable(error));
        QVERIFY(!connection.Connected());
        QCOMPARE(QFile::exists(path), !content.isEmpty() || !schema.isEmpty());
        QFile after(path);
        QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), bytes);
    }

    // Connection strings quote the folder; a bare value, as the data module is designed
    // with, still reads as before.
    void dataSourceReadsQuotedAndBareValues_data() {
        dataTable<QString, QString>(
            {"text", "source"},
            {{"quoted, with quotes doubled",
              "Provider=P;Data Source=\"/a \"\"b\"\";Mode=x/Plans.mdb\";Mode=Share Deny None",
              "/a \"b\";Mode=x/Plans.mdb"},
             {"quoted, ending in a quote", "Data Source=\"/a/b\"\"\"", "/a/b\""},
             {"quoted, empty", "Data Source=\"\";Mode=M", ""},
             {"bare, ending at the next key", "Data Source=/x;y/Plans.mdb;Mode=Share Deny None",
              "/x;y/Plans.mdb"},
             {"bare, design-time name", "Data Source=Plans.mdb", "Plans.mdb"},
             {"key in another value",
              "Extended Properties=\"Data Source=/wrong\";Data Source=\"/right\"", "/right"},
             {"no data source", "Provider=P;Mode=M", QString()}});
    }

    void dataSourceReadsQuotedAndBareValues() {
        QFETCH(QString, text);
        QFETCH(QString, source);
        TConnection connection;
        connection.setConnectionString(text);
        QCOMPARE(connection.dataSource(), source);
        QCOMPARE(connection.dataSource().isNull(), source.isNull());
    }

    // A Plans whose ID is not the row number lets two rows share an ID or hold none, and
    // then an edit or a delete reaches the wrong rows: such a file is refused untouched.
    void planswithoutRowNumberIdIsRefused_data() {
        // said empty: the file is accepted
        dataTable<QByteArray, QString>(
            {"idColumn", "said"},
            {{"INTEGER PRIMARY KEY", "ID INTEGER PRIMARY KEY", QString()},
             {"lower case, AUTOINCREMENT", "ID integer primary key autoincrement", QString()},
             {"key named apart", "ID INTEGER, PRIMARY KEY (ID)", QString()},
             {"no key", "ID INTEGER", "не входит в первичный ключ"},
             {"INT", "ID INT PRIMARY KEY", "тип «INT»"},
             {"TEXT", "ID TEXT PRIMARY KEY", "тип «TEXT»"},
             {"no type", "ID PRIMARY KEY", "не указан тип"},
             {"DESC", "ID INTEGER PRIMARY KEY DESC", "rowid"},
             {"two-column key", "ID INTEGER, PRIMARY KEY (ID, Plan)", "составной"},
             {"WITHOUT ROWID", "ID INTEGER PRIMARY KEY) WITHOUT ROWID; --", "WITHOUT ROWID"}});
    }

    void planswithoutRowNumberIdIsRefused() {
        QFETCH(QByteArray, idColumn);
        QFETCH(QString, said);
        const QString path = program->folder() + QStringLiteral("Other.mdb");
        makeDatabase(path, "CREATE TABLE Plans (Reminder TEXT, Date TEXT, Plan TEXT, Comments "
                           "TEXT, Completed INTEGER, " +
                               idColumn +
                               ");"
                               "INSERT INTO Plans (ID, Plan) VALUES (1, 'a');");
        const QByteArray bytes = contentOf(path);
        const QStringList entries = entriesOf(program->folder());
        const QString error = openError(path);
        if (said.isEmpty()) {
            QCOMPARE(error, QStringLiteral("<open>"));
            return;
        }
        QVERIFY2(error.contains(said) && error.contains('"' + path + '"') &&
                     error.contains(QStringLiteral("INTEGER PRIMARY KEY")),
                 qPrintable(error));
        QCOMPARE(contentOf(path), bytes);
        QCOMPARE(entriesOf(program->folder()), entries);
    }

    // A damaged file fails before anything is written to it or made beside it, with the
    // file named, in Russian; it stays byte for byte as it was.
    void damagedFileIsLeftAsItWas_data() {
        QTest::addColumn<Damage>("kind");
        QTest::addColumn<bool>("logKeeping"); // the file keeps a write-ahead log
        for (bool log : {false, true}) {
            const char* mode = log ? ", log-keeping" : "";
            QTest::addRow("page inside%s", mode) << Damage::PageInside << log;
            QTest::addRow("half the file%s", mode) << Damage::HalfTheFile << log;
            QTest::addRow("cut inside a page%s", mode) << Damage::MidPage << log;
            QTest::addRow("header only%s", mode) << Damage::HeaderOnly << log;
            QTest::addRow("page count too large%s", mode) << Damage::PageCountTooLarge << log;
        }
        QTest::newRow("empty") << Damage::Empty << false;
        QTest::newRow("text") << Damage::Text << false;
    }

    void damagedFileIsLeftAsItWas() {
        QFETCH(Damage, kind);
        QFETCH(bool, logKeeping);
        fillWithTasks(*program);
        if (logKeeping)
            QVERIFY(RawDb(program->databasePath()).exec("PRAGMA journal_mode=WAL"));
        damage(program->databasePath(), kind);
        const QByteArray bytes = contentOf(program->databasePath());
        const QStringList entries = entriesOf(program->folder());

        const QString error = openError(program->databasePath());
        QVERIFY2(error.startsWith(QStringLiteral("Файл базы данных \"") + program->databasePath() +
                                  QStringLiteral("\" повреждён")),
                 qPrintable(error));
        // What was found wrong follows on a line of its own.
        QVERIFY2(!error.section('\n', 1).trimmed().isEmpty(), qPrintable(error));
        QCOMPARE(contentOf(program->databasePath()), bytes);
        QCOMPARE(entriesOf(program->folder()), entries);
    }

    // What a crash leaves: a log beside the file. A sound file opens with the logged
    // change in it; a damaged one is refused, and the log is neither copied into it on the
    // way out nor changed.
    void crashLogBesideTheFile_data() {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("sound file") << false;
        QTest::newRow("damaged file") << true;
    }

    void crashLogBesideTheFile() {
        QFETCH(bool, damaged);
        fillWithTasks(*program);
        const QString crashed = program->folder() + QStringLiteral("crashed/");
        const QString path = crashed + QStringLiteral("Plans.mdb");
        QVERIFY(QDir().mkpath(crashed));
        {
            RawDb writer(program->databasePath());
            QVERIFY(writer.exec("PRAGMA journal_mode=WAL"));
            QVERIFY(writer.exec("UPDATE Plans SET Plan = 'после' WHERE ID = 1"));
            for (const char* suffix : {"", "-wal", "-shm"})
                QVERIFY(QFile::copy(program->databasePath() + suffix, path + suffix));
        }
        if (!damaged) {
            module = openDataModule(path);
            module->Table_Main.First();
            QCOMPARE(plan(module->Table_Main), QStringLiteral("после"));
            QCOMPARE(module->Table_Main.RecordCount(), 600);
            return;
        }
        damage(path, Damage::PageInside);
        const QByteArray bytes = contentOf(path);
        const QByteArray log = contentOf(path + QStringLiteral("-wal"));
        const QStringList entries = entriesOf(crashed);
        const QString error = openError(path);
        QVERIFY2(error.contains(QStringLiteral("повреждён")), qPrintable(error));
        QCOMPARE(contentOf(path), bytes);
        QCOMPARE(contentOf(path + QStringLiteral("-wal")), log);
        // The -shm is SQLite's scratch index of the log, rebuilt by whoever reads it.
        QCOMPARE(entriesOf(crashed), entries);
    }

    // A file or folder this user may not write: the tasks are read, every write fails,
    // and nothing is written or made beside the file.
    void unwritableFileOrFolderOpensForReading_data() {
        QTest::addColumn<bool>("folderLocked");
        QTest::addColumn<bool>("logKeeping");
        QTest::newRow("file") << false << false;
        QTest::newRow("folder") << true << false;
        QTest::newRow("file, log-keeping") << false << true;
        QTest::newRow("folder, log-keeping") << true << true;
    }

    void unwritableFileOrFolderOpensForReading() {
        QFETCH(bool, folderLocked);
        QFETCH(bool, logKeeping);
        if (folderLocked && !FoldersLock)
            QSKIP(NoFolderLock);
        program->insert(titled({"a", "b"}));
        if (logKeeping)
            QVERIFY(RawDb(program->databasePath()).exec("PRAGMA journal_mode=WAL"));
        openToEveryone(program->folder());
        const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const auto enterable = readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(folderLocked ? program->folder() : program->databasePath(),
                                      folderLocked ? enterable : readable));
        const QByteArray bytes = contentOf(program->databasePath());
        const QStringList entries = entriesOf(program->folder());
        {
            OrdinaryUser user;
            auto readOnly = openDataModule(program->databasePath());
            QVERIFY(readOnly->Connection.readOnly());
            TTable& table = readOnly->Table_Main;
            QCOMPARE(plansInOrder(table), (QStringList{"a", "b"}));
            table.Edit();
            setPlan(table, QStringLiteral("A"));
            QVERIFY(errorOf([&] { table.Post(); }) != QStringLiteral("<no error>"));
            table.Cancel();
            QVERIFY(errorOf([&] { table.Delete(); }) != QStringLiteral("<no error>"));
            QCOMPARE(table.RecordCount(), 2);
        }
        openToEveryone(program->folder());
        QCOMPARE(contentOf(program->databasePath()), bytes);
        QCOMPARE(entriesOf(program->folder()), entries);
        QVERIFY(!openDataModule(program->databasePath())->Connection.readOnly());
    }

    void connectionStringAsStartUpBuildsIt() {
        // The folder start-up derives ends with a separator: "//Plans.mdb".
        program->insert(titled({"a"}));
        TDataModule_Main doubled;
        doubled.Connection.setConnectionString(startupString(program->folder()));
        QCOMPARE(doubled.Connection.dataSource(), program->folder() + QStringLiteral("/Plans.mdb"));
        doubled.Connection.Open();
        doubled.Table_Main.Open();
        QCOMPARE(plansInOrder(doubled.Table_Main), QStringList{"a"});
        TDataModule_Main missing; // a message names the file once, as it is
        missing.Connection.setConnectionString(startupString(program->folder() + "gone/"));
        QVERIFY(errorOf([&] { missing.Connection.Open(); })
                    .contains('"' + QDir::toNativeSeparators(program->folder() + "gone/Plans.mdb") +
                              '"'));

        const QString folder = program->folder() + QStringLiteral("Мои; задачи");
        QVERIFY(QDir().mkpath(folder));
        Schema::createDatabase(folder + QStringLiteral("/Plans.mdb"));
        TDataModule_Main semicolon;
        semicolon.Connection.setConnectionString(startupString(folder));
        QCOMPARE(semicolon.Connection.dataSource(), folder + QStringLiteral("/Plans.mdb"));
        semicolon.Connection.Open();
        semicolon.Table_Main.Open();
        semicolon.Table_Main.Insert();
        semicolon.Table_Main.Post();
        QCOMPARE(semicolon.Table_Main.RecordCount(), 1);
        QCOMPARE(program->rowCount(), 1); // the other file is untouched
    }

    void schemaNeverOverwrites() {
        program->insert(titled({"keep"}));
        QVERIFY(!Schema::createIfMissing(program->databasePath()));
        QVERIFY(errorOf([&] {
                    Schema::createDatabase(program->databasePath());
                }).contains(program->databasePath()));
        QCOMPARE(program->column(QStringLiteral("Plan")), QList<QVariant>{"keep"});
        const QString fresh = program->folder() + QStringLiteral("New.mdb");
        QVERIFY(Schema::createIfMissing(fresh));
        TConnection connection;
        connection.setConnectionString(QStringLiteral("Data Source=") + fresh);
        connection.Open();
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
