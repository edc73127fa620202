// A Plans.mdb kept by the Windows program (a Jet database) comes over value for value, the
// original stays beside byte for byte, a refusal changes nothing, and a conversion killed at
// any moment loses nothing. Also the files that are no database at all.
#include "Fixtures.h"
#include "app/Instances.h"
#include "app/Startup.h"
#include "store/TDataModule_Main.h"
#include "store/jet/JetFile.h"
#include "store/jet/JetReading.h"
#include "toolkit/Error.h"
#include "toolkit/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <chrono>
#include <cstdio>
#include <optional>
#include <sqlite3.h>
#include <thread>

namespace {

const char* const ConvertFlag = "--convert";
// Bytes to put over the fixture's own, by offset.
using Changes = QList<std::pair<qint64, QByteArray>>;
const QStringList Converted = {"Plans.jet.mdb", "Plans.mdb", "config"};

QString dataFile(const QString& name) {
    return QStringLiteral(TARVIK_TEST_DATA "/") + name;
}

// The program folder's Plans.mdb replaced by a fixture, with bytes changed at some offsets.
void putJet(const TempProgram& program, const QString& fixture, const Changes& changes = {}) {
    QByteArray bytes = contentOf(dataFile(fixture));
    for (const auto& [offset, replacement] : changes) {
        if (offset < 0)
            bytes.chop(-offset); // the file cut short
        else
            bytes.replace(offset, replacement.size(), replacement);
    }
    QFile file(program.databasePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Each row, its values in the table's order with their types, as the file holds them.
QStringList rowsOf(const QString& path, const char* sql = "SELECT * FROM Plans ORDER BY ID") {
    QStringList rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        QStringList values;
        for (int column = 0; column < sqlite3_column_count(statement); ++column)
            values << (sqlite3_column_type(statement, column) == SQLITE_NULL
                           ? QStringLiteral("NULL")
                           : QString::fromUtf8(reinterpret_cast<const char*>(
                                 sqlite3_column_text(statement, column))));
        rows << values.join('|');
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

// jet4-plans.mdb as its maker describes it, row by row.
QStringList fixtureRows() {
    QString declaration;
    for (int line = 0; line < 400; ++line)
        declaration += QStringLiteral("Строка описания номер %1.\r\n").arg(line);
    return {
        "NULL|2026-12-10 00:00:00|Купить молоко|1|Два литра|0",
        "2026-12-10 09:30:00|2026-12-10 00:00:00|Позвонить врачу|2|Записаться на приём\r\nв "
        "четверг|0",
        "NULL|2026-11-01 00:00:00|Сдать квартальную декларацию|3|" + declaration + "|1",
        "2027-01-15 18:05:00|2027-01-15 00:00:00|Ёлка: «ёжик» — 50 знаков ровно, ровно "
        "пятьдесят!!|5|NULL|0",
        "NULL|1899-12-30 00:00:00|Без даты|6|NULL|0",
        "NULL|1700-01-01 00:00:00|Старая дата|7|Emoji 😀 и латиница|0",
        "NULL|NULL|Пустая дата|8|NULL|0",
    };
}

QString refusalOf(const QString& path) {
    try {
        JetFile::convertIfJet(path);
    } catch (const TarvikError& error) {
        return error.text();
    }
    return QString();
}

// A start of the program in another process, up to its conversion: says it is about to
// convert, converts and prints its notice.
int runConversion(const QString& path) {
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    std::fputs(qPrintable(JetFile::convertIfJet(path)), stdout);
    return 0;
}

} // namespace

class JetTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgram> program;

private slots:
    void init() {
        MessageBox::setTestMode(true);
        program = std::make_unique<TempProgram>();
    }
    void cleanup() {
        Instances::destroy();
        program.reset();
    }

    void everyValueComesOverAndTheOriginalStays() {
        putJet(*program, "jet4-plans.mdb");
        const QString notice = JetFile::convertIfJet(program->databasePath());
        QVERIFY2(notice.contains("Перенесено задач: 7.") &&
                     notice.contains(program->folder() + "Plans.jet.mdb"),
                 qPrintable(notice));
        QCOMPARE(entriesOf(program->folder()), Converted);
        QCOMPARE(contentOf(program->folder() + "Plans.jet.mdb"),
                 contentOf(dataFile("jet4-plans.mdb")));
        QCOMPARE(rowsOf(program->databasePath()), fixtureRows());
        QCOMPARE(JetFile::convertIfJet(program->databasePath()), QString());

        // The program's own form: it opens, and a new task gets the next number.
        auto module = openDataModule(program->databasePath());
        module->Table_Main.Insert();
        module->Table_Main.Fields(F_Plan).setAsString(QStringLiteral("Новая"));
        module->Table_Main.Post();
        QCOMPARE(module->Table_Main.Fields(F_ID).AsVariant().toInt(), 9);
    }

    void countsComeOver_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("counts");
        QTest::newRow("20,000 tasks") << "jet4-20000.mdb"
                                      << "20000|2021|5011";
        QTest::newRow("no tasks") << "jet4-empty.mdb"
                                  << "0|0|0";
    }
    void countsComeOver() {
        QFETCH(QString, fixture);
        QFETCH(QString, counts);
        putJet(*program, fixture);
        const QString notice = JetFile::convertIfJet(program->databasePath());
        QVERIFY2(notice.contains("Перенесено задач: " + counts.section('|', 0, 0) + '.'),
                 qPrintable(notice));
        QCOMPARE(rowsOf(program->databasePath(), "SELECT count(*), count(Reminder), "
                                                 "coalesce(sum(Completed), 0) FROM Plans"),
                 QStringList{counts});
    }

    void refusalsChangeNothing_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<Changes>("changes");
        QTest::addColumn<QString>("beside");
        QTest::addColumn<QString>("said");
        // The definition page of the table Plans: its sixth column entry, the last name's "d".
        const qint64 definition = 24 * 4096;
        QTest::newRow("no table Plans") << "jet4-other.mdb" << Changes() << ""
                                        << "нет таблицы Plans";
        QTest::newRow("a column missing")
            << "jet4-plans.mdb" << Changes{{definition + 305, QByteArray("x\0", 2)}} << ""
            << "нет столбца Completed";
        QTest::newRow("a column of another kind")
            << "jet4-plans.mdb" << Changes{{definition + 75 + 5 * 25, QByteArray(1, 4)}} << ""
            << "Completed таблицы Plans должен быть типа «логический (да/нет)»";
        QTest::newRow("damaged pages")
            << "jet4-plans.mdb" << Changes{{definition, QByteArray(4096, '\xee')}} << ""
            << "повреждён";
        QTest::newRow("damaged rows")
            << "jet4-plans.mdb" << Changes{{27 * 4096, QByteArray(4096, '\xee')}} << ""
            << "повреждён";
        // What crashed, hung or silently changed a conversion read in the program itself.
        const qint64 plans = 27 * 4096;    // the rows of Plans
        const qint64 declaration = 114447; // the long description's head in its row
        QTest::newRow("row count beyond the file")
            << "jet4-plans.mdb" << Changes{{definition + 16, QByteArray(4, '\xff')}} << ""
            << "повреждён";
        QTest::newRow("usage map naming no row")
            << "jet4-plans.mdb" << Changes{{definition + 55, QByteArray(1, '\xff')}} << ""
            << "повреждён";
        QTest::newRow("catalog's usage map naming no row")
            << "jet4-plans.mdb" << Changes{{2 * 4096 + 55, QByteArray(1, '\xff')}} << ""
            << "повреждён";
        QTest::newRow("memo of a gigabyte")
            << "jet4-plans.mdb" << Changes{{declaration, QByteArray("\xff\xff\xff\x3f", 4)}} << ""
            << "повреждён";
        QTest::newRow("memo whose pages run in a circle")
            << "jet4-plans.mdb"
            << Changes{{declaration, QByteArray("\x00\x00\x02\x00", 4)},
                       {29 * 4096 + 0x14, QByteArray("\x00\x1d\x00\x00", 4)}}
            << ""
            << "повреждён";
        QTest::newRow("last page cut off") << "jet4-plans.mdb" << Changes{{-4096, {}}} << ""
                                           << "повреждён";
        QTest::newRow("a row's column count")
            << "jet4-plans.mdb" << Changes{{plans + 0xec1, QByteArray("\x01\x00", 2)}} << ""
            << "повреждён";
        QTest::newRow("open in Access") << "jet4-plans.mdb" << Changes() << "Plans.ldb"
                                        << "файл блокировки";
        QTest::newRow("folder not writable") << "jet4-plans.mdb" << Changes() << ""
                                             << "нет права записи в эту папку";
    }
    void refusalsChangeNothing() {
        QFETCH(QString, fixture);
        QFETCH(Changes, changes);
        QFETCH(QString, beside);
        QFETCH(QString, said);
        putJet(*program, fixture, changes);
        if (!beside.isEmpty())
            QFile(program->folder() + beside).open(QIODevice::WriteOnly);
        const QByteArray before = contentOf(program->folder());
        const QStringList entries = entriesOf(program->folder());
        const bool lockedFolder = said.contains("права");
        if (lockedFolder && !FoldersLock)
            QSKIP(NoFolderLock);
        std::optional<OrdinaryUser> user;
        if (lockedFolder) {
            openToEveryone(program->folder());
            QFile::setPermissions(program->folder(), QFile::ReadOther | QFile::ExeOther |
                                                         QFile::ReadOwner | QFile::ExeOwner);
            user.emplace();
        }
        const QString text = refusalOf(program->databasePath());
        user.reset();
        QVERIFY2(text.contains(said) && text.contains(program->databasePath()), qPrintable(text));
        QCOMPARE(entriesOf(program->folder()), entries);
        QCOMPARE(contentOf(program->folder()), before);
    }

    // What a thing that is no database is called, before anything opens it.
    void thingsThatAreNoDatabaseAreNamed_data() {
        QTest::addColumn<QString>("thing");
        QTest::addColumn<QString>("said");
        QTest::newRow("FIFO") << "fifo"
                              << "не обычный файл, а именованный канал (FIFO)";
        QTest::newRow("link to a device") << "device"
                                          << "не обычный файл, а устройство";
        QTest::newRow("page size damaged") << "page size"
                                           << "Заголовок файла повреждён";
    }
    void thingsThatAreNoDatabaseAreNamed() {
        QFETCH(QString, thing);
        QFETCH(QString, said);
        const QString path = program->databasePath();
        if (thing == "page size") {
            QFile database(path);
            QVERIFY(database.open(QIODevice::ReadWrite) && database.seek(16));
            database.write(QByteArray("\x03\x00", 2)); // 768: no page size at all
        } else {
            QFile::remove(path);
            if (!(thing == "fifo" ? makeFifo(path) : makeDeviceLink(path)))
                QSKIP(NoSpecialFiles);
        }
        QCOMPARE(JetFile::convertIfJet(path), QString());
        try {
            openDataModule(path);
            QFAIL("opened");
        } catch (const TarvikError& error) {
            QVERIFY2(error.text().contains(said), qPrintable(error.text()));
        }
    }

    // Start-up converts and tells once, then runs as usual.
    void startUpTellsOnce() {
        putJet(*program, "jet4-plans.mdb");
        const QString executable = program->folder() + QStringLiteral("Quenlor");
        QFile(executable).open(QIODevice::WriteOnly);
        Startup::start({executable, 0});
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown().first().text.contains("Перенесено задач: 7."));
        QCOMPARE(DataModule_Main->Table_Main.RecordCount(), 7);
    }

    // Two copies started together on one folder (the autostart and a click): one converts,
    // the other waits for it and finds the converted file.
    void twoStartsConvertOnce() {
        for (int round = 0; round < 5; ++round) {
            const TempProgram folder;
            putJet(folder, "jet4-plans.mdb");
            QProcess copies[2];
            for (QProcess& copy : copies)
                copy.start(QCoreApplication::applicationFilePath(),
                           {QString::fromLatin1(ConvertFlag), folder.databasePath()});
            QStringList notices;
            for (QProcess& copy : copies) {
                QVERIFY(copy.waitForFinished(30000) && copy.exitCode() == 0);
                notices << QString::fromUtf8(copy.readAllStandardOutput()).mid(6).trimmed();
            }
            notices.removeAll(QString());
            QCOMPARE(notices.size(), 1);
            QCOMPARE(entriesOf(folder.folder()), Converted);
            QCOMPARE(contentOf(folder.folder() + "Plans.jet.mdb"),
                     contentOf(dataFile("jet4-plans.mdb")));
            QCOMPARE(rowsOf(folder.databasePath()), fixtureRows());
        }
    }

    // Killed at random moments, then started again: the Jet file is whole as Plans.mdb or
    // beside the whole new file, and the next start ends with every task and one original.
    void killedConversionLosesNothing() {
        const QByteArray original = contentOf(dataFile("jet4-plans.mdb"));
        const auto runChild = [&](const TempProgram& folder, qint64 killAfterMicros) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QString::fromLatin1(ConvertFlag), folder.databasePath()});
            if (!child.waitForReadyRead(10000))
                return qint64(-1);
            QElapsedTimer running;
            running.start();
            if (killAfterMicros >= 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(killAfterMicros));
                child.kill();
            }
            child.waitForFinished(10000);
            return running.nsecsElapsed() / 1000;
        };
        putJet(*program, "jet4-plans.mdb");
        const qint64 whole = runChild(*program, -1); // how long a conversion runs here
        QVERIFY(whole > 0);
        QRandomGenerator random(20261209);
        const int rounds = 40;
        int cutBeforeSwap = 0;
        for (int round = 0; round < rounds; ++round) {
            const TempProgram folder;
            putJet(folder, "jet4-plans.mdb");
            QVERIFY(runChild(folder, random.bounded(whole * 3 / 2)) >= 0);
            const QString context = QStringLiteral("round %1").arg(round);
            if (contentOf(folder.databasePath()) == original)
                ++cutBeforeSwap;
            else
                QVERIFY2(contentOf(folder.folder() + "Plans.jet.mdb") == original &&
                             rowsOf(folder.databasePath()) == fixtureRows(),
                         qPrintable(context));
            JetFile::convertIfJet(folder.databasePath()); // the next start
            QVERIFY2(entriesOf(folder.folder()).join(',') == Converted.join(',') &&
                         contentOf(folder.folder() + "Plans.jet.mdb") == original &&
                         rowsOf(folder.databasePath()) == fixtureRows(),
                     qPrintable(context + ": " + entriesOf(folder.folder()).join(',')));
        }
        qInfo("%d kills, %d before the new file was put in place; a conversion runs %lld µs",
              rounds, cutBeforeSwap, whole);
        QVERIFY(cutBeforeSwap > 0 && cutBeforeSwap < rounds);
    }
};

int main(int argc, char* argv[]) {
    if (const int helper = JetReading::serveIfAsked(); helper >= 0)
        return helper;
    if (argc == 3 && qstrcmp(argv[1], ConvertFlag) == 0) {
        const QCoreApplication app(argc, argv); // the reading helper is this executable
        return runConversion(QCoreApplication::arguments().at(2)); // wide on Windows
    }
    QApplication app(argc, argv);
    JetTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_jet.moc"
