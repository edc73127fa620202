#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

#include <memory>
#include <tuple>

class QToolButton;
class TDataModule_Main;
class TTable;
class UpDown;

// A task row as it is put straight into a Plans.mdb file.
struct TaskRow {
    TaskRow(QString plan_, QDateTime date_, QDateTime reminder_ = {}, bool completed_ = false,
            QString comments_ = {})
        : plan(std::move(plan_))
        , date(std::move(date_))
        , reminder(std::move(reminder_))
        , completed(completed_)
        , comments(std::move(comments_)) {}

    QString plan;
    QDateTime date;
    QDateTime reminder; // invalid: no reminder
    bool completed;
    QString comments;
};

// A temporary program folder holding a fresh Plans.mdb (made by the build's schema code)
// and a temporary settings store: XDG_CONFIG_HOME points into the folder while it lives; on
// Windows, where the settings are the registry's, the program's values are removed when the
// folder is made and when it goes.
class TempProgram final {
public:
    TempProgram();
    ~TempProgram();

    QString folder() const;       // with a trailing separator
    QString databasePath() const; // folder() + "Plans.mdb"
    QString configHome() const;

    // Appends rows to the file; returns their IDs.
    QList<qint64> insert(const QList<TaskRow>& rows) const;
    // Runs SQL straight on the file, as another program would; false when it fails.
    bool exec(const QString& sql) const;
    static QList<qint64> insertInto(const QString& databasePath, const QList<TaskRow>& rows);
    // Reads one column of every row, in ID order, straight from the file.
    QList<QVariant> column(const QString& field) const;
    int rowCount() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldConfigHome;
    bool m_hadConfigHome;
};

// Makes the file keep a write-ahead log, as files written by the program may.
void keepWriteAheadLog(const QString& databasePath);

// Another connection holding the file's write lock while the object lives, as a second
// instance in the middle of a write would.
class ForeignLock final {
public:
    explicit ForeignLock(const QString& databasePath);
    ~ForeignLock();
    ForeignLock(const ForeignLock&) = delete;
    ForeignLock& operator=(const ForeignLock&) = delete;

private:
    struct sqlite3* m_db = nullptr;
};

// File access as an ordinary user (nobody) while the object lives, so that permission bits
// hold when the tests run as root too, who may otherwise read and write everything. Only
// this thread is affected. The folders a test uses must be opened to everyone first.
// Only POSIX systems let a test take another user's file permissions: elsewhere available()
// is false, and a test that needs them skips.
class OrdinaryUser final {
public:
    static bool available();
    OrdinaryUser();
    ~OrdinaryUser();
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;

private:
    bool m_switched = false;
};
// Lets everyone read, write and enter path and everything below it.
void openToEveryone(const QString& path);
// The reason a test that needs OrdinaryUser gives where it is not available.
inline const char* const NoOrdinaryUser =
    "another user's file permissions cannot be taken on this platform";

#ifdef Q_OS_WIN
inline constexpr bool OnWindows = true;
#else
inline constexpr bool OnWindows = false;
#endif
// Windows keeps no permission bits for a folder: its read-only attribute keeps nobody from
// writing in it, so a test that locks a folder skips there with NoFolderLock.
inline constexpr bool FoldersLock = !OnWindows;
inline const char* const NoFolderLock = "a folder cannot be made unwritable on Windows";
// The settings are a file only off Windows; the registry, where Windows keeps them, cannot
// be damaged or locked by a test under Wine.
inline constexpr bool SettingsFile = !OnWindows;
inline const char* const NoSettingsFile = "the settings are the registry's on Windows, no file";

// Whether a file may have this name: Windows forbids the characters "<>:|?* in one.
bool nameAllowed(const QString& name);

// Titles in two scripts in the Russian order: ICU's puts Cyrillic letters first, Windows's
// own collation Latin ones.
QStringList cyrillicAndLatin(const QStringList& cyrillic, const QStringList& latin);

// The things a POSIX folder may hold that are no file: a FIFO, a symbolic link to a device.
// False where the platform has none (Windows), and the test skips with NoSpecialFiles.
bool makeFifo(const QString& path);
bool makeDeviceLink(const QString& path);
inline const char* const NoSpecialFiles = "FIFOs and links to devices are POSIX's";
// A small file system of kilobytes mounted over folder, so that a disk can really fill up;
// false where it cannot be (without root, or on Windows).
bool mountSmallDisk(const QString& folder, int kilobytes);
void unmountSmallDisk(const QString& folder);

// The program's settings removed: on Windows its registry values (HKCU\Software\Tarvik and
// the Run value), which no temporary folder holds; elsewhere nothing, the INI store being
// the temporary folder's own.
void clearPlatformSettings();

// The log-on start entry as it is kept, unread by the program: the Exec line's command of
// the XDG autostart file, or the Run key's value on Windows; empty when there is none.
QString autostartEntry();
// Puts an entry there by hand, as the user or another program may, with this command.
void writeAutostartEntry(const QString& command);

// The bytes of a file, or of every file below a folder with their names, to compare a
// file or folder before and after something that must leave it alone.
QByteArray contentOf(const QString& path);
// The names in a folder, to see that nothing was made there.
QStringList entriesOf(const QString& folder);

// The clock fixed at a moment while the object lives.
class FixedClock final {
public:
    explicit FixedClock(const QDateTime& moment);
    ~FixedClock();
};

// The connection string that opens the file with the program's share mode.
QString connectionTo(const QString& databasePath);
// A data module of its own (not one of the program's instances) opened on a file, as
// start-up opens the program's.
std::unique_ptr<TDataModule_Main> openDataModule(const QString& databasePath);

// Tasks with these titles on one date (the first of January 2026 unless given), no
// reminder, not completed.
QList<TaskRow> titled(const QStringList& titles,
                      const QDateTime& date = QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
// The title of the table's current record.
QString plan(TTable& table);
// The caption and text of the last message box shown ("caption / text"); empty when none.
QString lastMessage();

// Local date-time shorthand: at(2026, 12, 8, 14, 3) or at(2026, 12, 8).
QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// The moment the tests fix the clock at unless they need another: 8 December 2026,
// 14:03:58.
QDateTime fixedNow();

// A test's data table: the names of its columns, then its rows, each a name and a value
// for every column.
template <class... Columns>
void dataTable(std::initializer_list<const char*> columns,
               std::initializer_list<std::tuple<const char*, Columns...>> rows) {
    auto column = columns.begin();
    (QTest::addColumn<Columns>(*column++), ...);
    for (const auto& row : rows)
        std::apply([](const char* name,
                      const Columns&... values) { (QTest::newRow(name) << ... << values); },
                   row);
}

// The up or the down arrow of a pair of spin arrows.
QToolButton* arrowOf(const UpDown* spin, bool up);
