#include "Fixtures.h"

#include "store/Schema.h"
#include "store/TDataModule_Main.h"
#include "store/TTable.h"
#include "toolkit/Clock.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UpDown.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QToolButton>

#include <sqlite3.h>
#include <stdexcept>

namespace {

QString stamp(const QDateTime& value) {
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

struct Db {
    explicit Db(const QString& path) {
        if (sqlite3_open_v2(path.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK)
            throw std::runtime_error("cannot open test database");
    }
    ~Db() { sqlite3_close(handle); }
    sqlite3* handle = nullptr;
};

void bindText(sqlite3_stmt* stmt, int index, const QString& text, bool nullWhenEmpty) {
    if (nullWhenEmpty && text.isEmpty()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

} // namespace

TempProgram::TempProgram()
    : m_oldConfigHome(qgetenv("XDG_CONFIG_HOME"))
    , m_hadConfigHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    clearPlatformSettings();
    Schema::createDatabase(databasePath());
}

TempProgram::~TempProgram() {
    clearPlatformSettings();
    if (m_hadConfigHome)
        qputenv("XDG_CONFIG_HOME", m_oldConfigHome);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString TempProgram::folder() const {
    return QDir::toNativeSeparators(m_dir.path() + '/');
}
QString TempProgram::databasePath() const {
    return folder() + QStringLiteral("Plans.mdb");
}
QString TempProgram::configHome() const {
    return m_dir.path() + QStringLiteral("/config");
}

QList<qint64> TempProgram::insert(const QList<TaskRow>& rows) const {
    return insertInto(databasePath(), rows);
}

QList<qint64> TempProgram::insertInto(const QString& databasePath, const QList<TaskRow>& rows) {
    Db db(databasePath);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db.handle,
                       "INSERT INTO Plans (Reminder, Date, Plan, Comments, Completed) "
                       "VALUES (?, ?, ?, ?, ?)",
                       -1, &stmt, nullptr);
    QList<qint64> ids;
    sqlite3_exec(db.handle, "BEGIN", nullptr, nullptr, nullptr);
    for (const TaskRow& row : rows) {
        bindText(stmt, 1, row.reminder.isValid() ? stamp(row.reminder) : QString(), true);
        bindText(stmt, 2, stamp(row.date), true);
        bindText(stmt, 3, row.plan, false);
        bindText(stmt, 4, row.comments, false);
        sqlite3_bind_int(stmt, 5, row.completed ? 1 : 0);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db.handle));
        sqlite3_reset(stmt);
        ids.append(sqlite3_last_insert_rowid(db.handle));
    }
    sqlite3_exec(db.handle, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(stmt);
    return ids;
}

bool TempProgram::exec(const QString& sql) const {
    Db db(databasePath());
    return sqlite3_exec(db.handle, sql.toUtf8().constData(), nullptr, nullptr, nullptr) ==
           SQLITE_OK;
}

QList<QVariant> TempProgram::column(const QString& field) const {
    Db db(databasePath());
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = "SELECT " + field.toUtf8() + " FROM Plans ORDER BY ID";
    sqlite3_prepare_v2(db.handle, sql.constData(), -1, &stmt, nullptr);
    QList<QVariant> values;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_NULL:
            values.append(QVariant());
            break;
        case SQLITE_INTEGER:
            values.append(qint64(sqlite3_column_int64(stmt, 0)));
            break;
        default:
            values.append(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
        }
    }
    sqlite3_finalize(stmt);
    return values;
}

int TempProgram::rowCount() const {
    return int(column(QStringLiteral("ID")).size());
}

void keepWriteAheadLog(const QString& databasePath) {
    Db db(databasePath);
    if (sqlite3_exec(db.handle, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot switch the test database to WAL");
}

ForeignLock::ForeignLock(const QString& databasePath) {
    if (sqlite3_open(databasePath.toUtf8().constData(), &m_db) != SQLITE_OK ||
        sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot lock the test database");
}

ForeignLock::~ForeignLock() {
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}

void openToEveryone(const QString& path) {
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                     QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                     QFile::ExeOther;
    QFile::setPermissions(path, all);
    QDirIterator below(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                       QDirIterator::Subdirectories);
    while (below.hasNext())
        QFile::setPermissions(below.next(), all);
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        return file.readAll();
    QStringList names;
    QDirIterator below(path, QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden,
                       QDirIterator::Subdirectories);
    while (below.hasNext())
        names << below.next().mid(path.size());
    names.sort();
    QByteArray all;
    for (const QString& name : names)
        all += name.toUtf8() + '\0' + contentOf(path + name) + '\0';
    return all;
}

QStringList entriesOf(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

bool nameAllowed(const QString& name) {
#ifdef Q_OS_WIN
    for (const QChar forbidden : QStringLiteral("\"<>:|?*"))
        if (name.contains(forbidden))
            return false;
    return true;
#else
    return !name.contains('/');
#endif
}

QStringList cyrillicAndLatin(const QStringList& cyrillic, const QStringList& latin) {
#ifdef Q_OS_WIN
    return latin + cyrillic;
#else
    return cyrillic + latin;
#endif
}

FixedClock::FixedClock(const QDateTime& moment) {
    Clock::setFixed(moment);
}
FixedClock::~FixedClock() {
    Clock::reset();
}

QString connectionTo(const QString& databasePath) {
    return QStringLiteral("Data Source=") + databasePath + QStringLiteral(";Mode=Share Deny None");
}

std::unique_ptr<TDataModule_Main> openDataModule(const QString& databasePath) {
    auto module = std::make_unique<TDataModule_Main>();
    module->Connection.setConnectionString(connectionTo(databasePath));
    module->Connection.Open();
    module->Table_Main.Open();
    return module;
}

QDateTime at(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

QDateTime fixedNow() {
    return at(2026, 12, 8, 14, 3, 58);
}

// The arrows are told apart by what a screen reader calls them.
QToolButton* arrowOf(const UpDown* spin, bool up) {
    const QString name = up ? QStringLiteral("Больше") : QStringLiteral("Меньше");
    for (QToolButton* arrow : spin->findChildren<QToolButton*>())
        if (arrow->accessibleName() == name)
            return arrow;
    return nullptr;
}

QList<TaskRow> titled(const QStringList& titles, const QDateTime& date) {
    QList<TaskRow> rows;
    for (const QString& title : titles)
        rows.append(TaskRow{title, date});
    return rows;
}

QString plan(TTable& table) {
    return table.FieldByName(QStringLiteral("Plan")).AsString();
}

QString lastMessage() {
    const QList<MessageBox::Shown> shown = MessageBox::shown();
    return shown.isEmpty() ? QString() : shown.last().caption + " / " + shown.last().text;
}
