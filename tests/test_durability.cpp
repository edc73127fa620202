// What the file holds when the program stops, however it stops: a clean exit by each of the
// user's ways out, a writer killed at random moments, and a disk that fills up. At every
// point where no write runs, a copy of Plans.mdb alone must hold every acknowledged change.
#include "ModalHelper.h"
#include "WindowSession.h"
#include "app/Instances.h"
#include "app/Startup.h"
#include "editor/BoundEdits.h"
#include "editor/TForm_Edit.h"
#include "main_window/TaskGrid.h"
#include "store/Schema.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Appearance.h"
#include "toolkit/Error.h"
#include "toolkit/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <chrono>
#include <cstdio>
#include <sqlite3.h>
#include <thread>

namespace {

const char* const CrashWriterFlag = "--crash-writer";

// The rows of a database file read on a connection of its own, and whether SQLite finds
// the file sound.
struct FileContent {
    bool intact = false;
    QHash<qint64, QString> plans; // by ID
};

FileContent readFile(const QString& path) {
    FileContent content;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
        content.intact =
            sqlite3_step(stmt) == SQLITE_ROW &&
            qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok") == 0;
        sqlite3_finalize(stmt);
        sqlite3_prepare_v2(db, "SELECT ID, Plan FROM Plans", -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            content.plans.insert(
                sqlite3_column_int64(stmt, 0),
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return content;
}

// Plans.mdb copied without anything that lies beside it, as someone backing up, syncing or
// moving the one file gets it.
FileContent readCopyAlone(const QString& databasePath) {
    QTemporaryDir elsewhere;
    const QString copy = elsewhere.filePath(QStringLiteral("Plans.mdb"));
    if (!QFile::copy(databasePath, copy))
        return {};
    return readFile(copy);
}

// A rollback journal SQLite must play back before the file is whole again: one whose header
// is written. A journal whose header is still zero was cut off before the file itself was
// touched, and is simply reused by the next write.
bool hotJournal(const QString& databasePath) {
    QFile journal(databasePath + QStringLiteral("-journal"));
    return journal.open(QIODevice::ReadOnly) && journal.read(8) != QByteArray(8, '\0') &&
           journal.size() > 0;
}

QStringList filesBeside(const QString& databasePath) {
    QStringList found;
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        if (QFile::exists(databasePath + QLatin1String(suffix)))
            found << QLatin1String(suffix);
    return found;
}

// The writer the crash loop kills: the program's own open, pragmas and transactions, on a
// file another process checks. Each write is reported on stdout once its call has returned:
// "+ id" a new task, "~ id n" a task's title set to version n (one or several in one
// transaction), "? id" a delete about to start, "- id" that delete done.
int runCrashWriter(const QString& databasePath, quint32 seed) {
    const auto say = [](const QByteArray& line) {
        std::fputs(line.constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };
    const auto version = [](TTable& table) { return table.Fields(F_Plan).AsString().toInt(); };
    const auto idOf = [](TTable& table) { return table.Fields(F_ID).AsVariant().toByteArray(); };
    std::unique_ptr<TDataModule_Main> module;
    try {
        module = openDataModule(databasePath);
    } catch (const TarvikError& error) {
        std::fputs(error.what(), stderr);
        return 1;
    }
    TTable& table = module->Table_Main;
    QRandomGenerator random(seed);
    const auto pickRow = [&] { table.setRecNo(1 + random.bounded(table.RecordCount())); };
    for (;;) {
        const int dice = table.RecordCount() < 3 ? 0 : random.bounded(10);
        if (dice < 5) {
            table.Insert();
            table.Fields(F_Date).setAsDateTime(at(2026, 12, 9));
            table.Fields(F_Plan).setAsString(QStringLiteral("0"));
            table.Post();
            say("+ " + idOf(table));
        } else if (dice < 8) {
            QByteArrayList done;
            table.Batch([&] {
                for (int row = random.bounded(1, 4); row > 0; --row) {
                    pickRow();
                    const int next = version(table) + 1;
                    table.Amend([&] { table.Fields(F_Plan).setAsString(QString::number(next)); });
                    done << "~ " + idOf(table) + ' ' + QByteArray::number(next);
                }
            });
            for (const QByteArray& line : done)
                say(line);
        } else {
            pickRow();
            const QByteArray id = idOf(table);
            say("? " + id);
            table.Delete();
            say("- " + id);
        }
    }
}

// What the writer acknowledged, and what the file must therefore hold.
class Acknowledged final {
public:
    void apply(const QByteArray& line) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() < 2)
            return;
        const qint64 id = parts[1].toLongLong();
        Task& task = m_tasks[id];
        if (parts[0] != "?")
            ++m_writes;
        switch (parts[0].at(0)) {
        case '+':
            task = Task();
            break;
        case '~':
            task.version = parts[2].toInt();
            task.state = Present;
            break;
        case '?':
            task.state = MaybeDeleted;
            break;
        case '-':
            task.state = Deleted;
            break;
        }
    }
    int writes() const { return m_writes; }

    // Empty when the content holds every acknowledged write, or what is missing.
    QString missingFrom(const FileContent& content) const {
        if (!content.intact)
            return QStringLiteral("integrity_check failed");
        for (auto task = m_tasks.cbegin(); task != m_tasks.cend(); ++task) {
            const bool present = content.plans.contains(task.key());
            if (task->state == Deleted && present)
                return QStringLiteral("task %1 deleted, still there").arg(task.key());
            if (task->state == Present && !present)
                return QStringLiteral("task %1 lost").arg(task.key());
            if (present && content.plans[task.key()].toInt() < task->version)
                return QStringLiteral("task %1 holds %2, %3 was acknowledged")
                    .arg(task.key())
                    .arg(content.plans[task.key()])
                    .arg(task->version);
        }
        return QString();
    }

private:
    enum State { Present, MaybeDeleted, Deleted };
    struct Task {
        State state = Present;
        int version = 0;
    };
    QHash<qint64, Task> m_tasks;
    int m_writes = 0;
};

// A small file system mounted over a folder while the object lives, so that the disk can
// really fill up. Mounting needs root; without it the object is not mounted.
class SmallDisk final {
public:
    explicit SmallDisk(const QString& folder)
        : m_folder(folder) {
        QDir().mkpath(folder);
        m_mounted = mountSmallDisk(folder, 512);
    }
    ~SmallDisk() {
        if (m_mounted)
            unmountSmallDisk(m_folder);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    // Takes every byte still free.
    void fill() {
        QFile filler(fillerPath());
        filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        const QByteArray byte(1, 'x');
        while (filler.write(byte) == 1) {
        }
    }
    void free() { QFile::remove(fillerPath()); }

private:
    QString fillerPath() const { return m_folder + QStringLiteral("/filler"); }

    QString m_folder;
    bool m_mounted = false;
};

QStringList messagesShown() {
    QStringList texts;
    for (const MessageBox::Shown& box : MessageBox::shown())
        texts << box.text;
    return texts;
}

} // namespace

class DurabilityTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FixedClock> clock;
    std::unique_ptr<TempProgram> program;

    QString database() const { return program->databasePath(); }

    // The editor, opened by the Insert key on the grid, takes the title and OK stores it.
    static void addThroughEditor(const QString& title) {
        whenModal([title](QWidget*) {
            Form_Edit->DBEdit1->setFocus();
            typeText(Form_Edit->DBEdit1, title);
            Form_Edit->Button_OK->click();
        });
        QTest::keyClick(grid(), Qt::Key_Insert);
    }

    // Start-up as the program runs it, on the temporary program folder.
    bool startProgram() {
        const QString executable = program->folder() + QStringLiteral("Quenlor");
        QFile(executable).open(QIODevice::WriteOnly);
        Startup::start({executable, 0});
        Startup::showMainWindow();
        return QTest::qWaitForWindowActive(Form_Main);
    }

    // The editor shown on a new task with a typed title, without its modal loop, so that a
    // refused OK leaves it open as it leaves it for the user.
    static void typeNewTask(const QString& title) {
        Form_Edit->prepareForAdd();
        Form_Edit->show();
        Form_Edit->DBEdit1->setText(QString());
        typeText(Form_Edit->DBEdit1, title);
    }

    static QStringList titlesIn(const FileContent& content) {
        QStringList titles = content.plans.values();
        titles.sort();
        return titles;
    }

private slots:
    void initTestCase() { Appearance::install(); }

    void init() {
        MessageBox::setTestMode(true);
        clock = std::make_unique<FixedClock>(at(2026, 12, 9, 10, 0));
        program = std::make_unique<TempProgram>();
    }

    void cleanup() {
        QVERIFY(!modalHelperFailed());
        Instances::destroy();
        program.reset();
        clock.reset();
    }

    // Each acknowledged task is in the file alone at once; each way out ends the program
    // and leaves nothing beside the file.
    void everyWayOutLeavesTheFileWhole_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("close box") << 0;
        QTest::newRow("Exit button") << 1;
        QTest::newRow("Exit menu item") << 2;
    }

    void everyWayOutLeavesTheFileWhole() {
        QFETCH(int, way);
        const QStringList titles = {"Первая", "Вторая", "Третья"};
        {
            const Instances::Lifetime instances;
            QVERIFY(startProgram());
            for (int added = 0; added < titles.size(); ++added) {
                addThroughEditor(titles[added]);
                QCOMPARE(titlesIn(readCopyAlone(database())).size(), added + 1);
                QCOMPARE(filesBeside(database()), QStringList());
            }
            part<QCheckBox>("CheckBox_In_Tray")->setChecked(false);
            const std::function<void()> ways[] = {
                [] { Form_Main->close(); },
                [] { part<QPushButton>("Button_Exit")->click(); },
                [] { part<QAction>("Menu_Exit")->trigger(); },
            };
            QVERIFY(endsProgram(ways[way]));
        }
        QVERIFY(Form_Main == nullptr && DataModule_Main == nullptr);
        QCOMPARE(filesBeside(database()), QStringList());
        QStringList sorted = titles;
        sorted.sort();
        QCOMPARE(titlesIn(readCopyAlone(database())), sorted);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // A file an earlier version left in WAL mode, with tasks still in its -wal after a crash:
    // the program takes them into the file and leaves it in the one-file form.
    void aFileLeftInWalModeBecomesOneFile() {
        sqlite3* earlier = nullptr;
        QCOMPARE(sqlite3_open(database().toUtf8().constData(), &earlier), SQLITE_OK);
        sqlite3_db_config(earlier, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        QCOMPARE(sqlite3_exec(earlier,
                              "PRAGMA journal_mode=WAL; INSERT INTO Plans (Date, Plan) "
                              "VALUES ('2026-12-09 00:00:00', 'из журнала')",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(earlier);
        QVERIFY(filesBeside(database()).contains("-wal"));
        QVERIFY(readCopyAlone(database()).plans.isEmpty());

        Instances::createAll(connectionTo(database()));
        QCOMPARE(filesBeside(database()), QStringList());
        QCOMPARE(titlesIn(readCopyAlone(database())), QStringList{"из журнала"});
        Instances::destroy();
        QCOMPARE(filesBeside(database()), QStringList());
    }

    // Another program keeps the file open in WAL mode, so it cannot leave it: each commit is
    // still in the file alone when it returns.
    void aFileHeldInWalElsewhereStillGetsEachWrite() {
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(database().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "PRAGMA journal_mode=WAL; SELECT count(*) FROM Plans", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        auto module = openDataModule(database());
        TTable& table = module->Table_Main;
        table.Insert();
        table.Fields(F_Plan).setAsString(QStringLiteral("при чужом WAL"));
        table.Post();
        QCOMPARE(titlesIn(readCopyAlone(database())), QStringList{"при чужом WAL"});
        module.reset();
        sqlite3_close(other);
    }

    // A writer killed at random moments, many times over: the file is sound after each kill,
    // holds every write the writer acknowledged, and so does a copy of it alone: at once
    // when no write was running at the kill, otherwise once the next start has opened it.
    void killedWriterLosesNothing() {
        QRandomGenerator random(20261209);
        Acknowledged acknowledged;
        const int rounds = 60;
        int killedMidWrite = 0;
        for (int round = 0; round < rounds; ++round) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(),
                         {QString::fromLatin1(CrashWriterFlag), database(),
                          QString::number(random.generate())});
            const int acksBeforeKill = random.bounded(1, 6);
            for (int acks = 0; acks < acksBeforeKill;) {
                QVERIFY2(writer.canReadLine() || writer.waitForReadyRead(10000),
                         writer.readAllStandardError().constData());
                while (acks < acksBeforeKill && writer.canReadLine()) {
                    acknowledged.apply(writer.readLine());
                    ++acks;
                }
            }
            // The moment of the kill, somewhere inside the writes that follow.
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(6000)));
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));
            for (const QByteArray& line : writer.readAllStandardOutput().split('\n'))
                acknowledged.apply(line);

            const QString context = QStringLiteral("round %1: ").arg(round);
            QVERIFY2(!filesBeside(database()).contains("-wal"), qPrintable(context));
            if (hotJournal(database())) {
                ++killedMidWrite;
            } else {
                QString missing = acknowledged.missingFrom(readCopyAlone(database()));
                QVERIFY2(missing.isEmpty(), qPrintable(context + missing));
            }
            openDataModule(database()).reset(); // the next start
            QVERIFY2(!hotJournal(database()), qPrintable(context));
            QString missing = acknowledged.missingFrom(readFile(database()));
            QVERIFY2(missing.isEmpty(), qPrintable(context + missing));
            missing = acknowledged.missingFrom(readCopyAlone(database()));
            QVERIFY2(missing.isEmpty(), qPrintable(context + QStringLiteral("copy: ") + missing));
        }
        qInfo("%d kills, %d in the middle of a write, %d writes acknowledged", rounds,
              killedMidWrite, acknowledged.writes());
        QVERIFY(acknowledged.writes() >= rounds);
    }

    // With the disk full, each refused write is reported and loses nothing; the program
    // works again once space is freed, and a start on the full disk works too.
    void aFullDiskRefusesWritesAndRecovers() {
        const QString folder = program->folder() + QStringLiteral("small");
        SmallDisk disk(folder);
        if (!disk.mounted())
            QSKIP("mounting a small tmpfs needs root and Linux: the full-disk case is not run");
        const QString path = folder + QStringLiteral("/Plans.mdb");
        Schema::createDatabase(path);
        Instances::createAll(connectionTo(path));
        Form_Main->show();
        typeNewTask(QStringLiteral("до заполнения"));
        Form_Edit->Button_OK->click();
        QVERIFY(Form_Edit->isHidden());

        disk.fill();
        for (int attempt = 1; attempt <= 2; ++attempt) {
            typeNewTask(QStringLiteral("на полном диске"));
            Form_Edit->Button_OK->click();
            QTRY_COMPARE(MessageBox::shown().size(), attempt);
            QVERIFY2(messagesShown().last().startsWith(
                         QStringLiteral("На диске не хватает места для базы данных.")),
                     qPrintable(messagesShown().last()));
            QVERIFY(Form_Edit->isVisible()); // the typed task is still there to store
            Form_Edit->Button_CancelClick();
        }
        grid()->setFocus();
        part<QAction>("Menu_Completed")->trigger();
        QTRY_COMPARE(MessageBox::shown().size(), 3);
        QCOMPARE(DataModule_Main->Table_Main.Fields(F_Completed).AsBoolean(), false);
        QCOMPARE(titlesIn(readFile(path)), QStringList{"до заполнения"});
        QCOMPARE(titlesIn(readCopyAlone(path)), QStringList{"до заполнения"});

        disk.free();
        typeNewTask(QStringLiteral("после очистки"));
        Form_Edit->Button_OK->click();
        QVERIFY(Form_Edit->isHidden());
        QCOMPARE(MessageBox::shown().size(), 3);

        Instances::destroy();
        disk.fill();
        Instances::createAll(connectionTo(path)); // a start on the full disk
        QCOMPARE(DataModule_Main->Table_Main.RecordCount(), 2);
        Instances::destroy();
        disk.free();
        QCOMPARE(filesBeside(path), QStringList());
        QCOMPARE(titlesIn(readCopyAlone(path)), (QStringList{"до заполнения", "после очистки"}));
    }
};

int main(int argc, char* argv[]) {
    if (argc == 4 && qstrcmp(argv[1], CrashWriterFlag) == 0)
        return runCrashWriter(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toUInt());
    QApplication app(argc, argv);
    DurabilityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_durability.moc"
