#include "store/TConnection.h"

#include "store/DatabaseMessages.h"
#include "store/Statement.h"
#include "toolkit/Error.h"

#include <QDir>
#include <QSet>
#include <QStringList>

#include <sqlite3.h>

namespace {

const QString dataSourceKey = QStringLiteral("Data Source=");

// Every key the connection string may carry. The data source ends at the ';' that
// starts one of them, so a folder name holding ';' still works.
const QStringList& knownKeys() {
    static const QStringList keys = {
        QStringLiteral("Provider"),
        QStringLiteral("User ID"),
        QStringLiteral("Password"),
        QStringLiteral("Data Source"),
        QStringLiteral("Mode"),
        QStringLiteral("Extended Properties"),
        QStringLiteral("Persist Security Info"),
        QStringLiteral("Jet OLEDB:System database"),
        QStringLiteral("Jet OLEDB:Registry Path"),
        QStringLiteral("Jet OLEDB:Database Password"),
        QStringLiteral("Jet OLEDB:Engine Type"),
        QStringLiteral("Jet OLEDB:Database Locking Mode"),
        QStringLiteral("Jet OLEDB:Global Partial Bulk Ops"),
        QStringLiteral("Jet OLEDB:Global Bulk Transactions"),
        QStringLiteral("Jet OLEDB:New Database Password"),
        QStringLiteral("Jet OLEDB:Create System Database"),
        QStringLiteral("Jet OLEDB:Encrypt Database"),
        QStringLiteral("Jet OLEDB:Don't Copy Locale on Compact"),
        QStringLiteral("Jet OLEDB:Compact Without Replica Repair"),
        QStringLiteral("Jet OLEDB:SFP"),
    };
    return keys;
}

qsizetype valueEnd(const QString& text, qsizetype from) {
    qsizetype end = text.size();
    for (const QString& key : knownKeys()) {
        const qsizetype at = text.indexOf(';' + key + '=', from, Qt::CaseInsensitive);
        if (at >= 0 && at < end)
            end = at;
    }
    return end;
}

QString unquoted(const QString& value) {
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        return value.mid(1, value.size() - 2);
    return value;
}

const char* const requiredColumns[] = {"Reminder", "Date", "Plan", "ID", "Comments", "Completed"};

// The file as messages name it: a doubled separator, as start-up writes it, is the same
// file and is shown once.
QString shown(const QString& path) {
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

[[noreturn]] void cannotOpen(const QString& path, const QString& reason) {
    throw TarvikError(
        QStringLiteral("Не удалось открыть базу данных \"%1\": %2").arg(shown(path), reason));
}

} // namespace

// As the data module is designed: the bare file name, replaced by start-up before use.
TConnection::TConnection()
    : m_connectionString(QStringLiteral(
          "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=Plans.mdb;Mode=Share Deny None")) {}

TConnection::~TConnection() {
    Close();
}

void TConnection::setConnectionString(const QString& text) {
    m_connectionString = text;
}

QString TConnection::dataSource() const {
    const qsizetype at = m_connectionString.indexOf(dataSourceKey, 0, Qt::CaseInsensitive);
    if (at < 0)
        return QString();
    const qsizetype from = at + dataSourceKey.size();
    return unquoted(m_connectionString.mid(from, valueEnd(m_connectionString, from) - from));
}

void TConnection::Open() {
    if (Connected())
        return;
    const QString path = dataSource();
    openHandle(path);
    try {
        checkTable(path);
        useRollbackJournal();
    } catch (...) {
        Close();
        throw;
    }
}

void TConnection::openHandle(const QString& path) {
    // Never SQLITE_OPEN_CREATE: a missing file is an error, not a new empty database.
    const int result =
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (result == SQLITE_OK) {
        sqlite3_busy_timeout(m_db, m_busyTimeout);
        return;
    }
    const QString reason = DatabaseMessages::explained(
        m_db ? sqlite3_extended_errcode(m_db) : result,
        QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(result)));
    Close();
    cannotOpen(path, reason);
}

// Reading the schema is the first access to the file, so a file that is not a database
// fails here too, without anything written to it.
void TConnection::checkTable(const QString& path) {
    QSet<QString> columns;
    try {
        Statement columnList(*this, "PRAGMA table_info(Plans)");
        while (columnList.step())
            columns.insert(columnList.text(1).toCaseFolded());
    } catch (const TarvikError& error) {
        cannotOpen(path, error.text());
    }
    for (const char* column : requiredColumns)
        if (!columns.contains(QString::fromLatin1(column).toCaseFolded()))
            throw TarvikError(QStringLiteral("В базе данных \"%1\" нет таблицы Plans или одного из "
                                             "её столбцов (Reminder, Date, Plan, ID, Comments, "
                                             "Completed)")
                                  .arg(shown(path)));
}

// A rollback journal puts every committed write into Plans.mdb itself before the commit
// returns (synchronous=FULL syncs it to the disk first), so the one file alone holds every
// acknowledged change whenever no write runs, and the journal exists only while one does.
// Measured against WAL with a checkpoint after each commit it syncs no more often, and a
// start on a full disk needs no new file beside Plans.mdb. Another instance's read waits
// for a write in progress, within the busy timeout.
// A file another program holds open in WAL mode cannot leave it; it stays in WAL, and each
// commit is then copied into the file at once.
void TConnection::useRollbackJournal() {
    sqlite3_exec(m_db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    Statement mode(*this, "PRAGMA journal_mode");
    m_walHeldElsewhere =
        mode.step() && mode.text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    exec("PRAGMA synchronous=FULL");
}

void TConnection::committed() noexcept {
    if (m_walHeldElsewhere)
        sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
}

bool TConnection::inTransaction() const {
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

void TConnection::Close() {
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void TConnection::setBusyTimeout(int msecs) {
    m_busyTimeout = msecs;
    if (m_db)
        sqlite3_busy_timeout(m_db, msecs);
}

void TConnection::fail() const {
    if (!m_db)
        throw TarvikError(QStringLiteral("Соединение с базой данных закрыто"));
    throw TarvikError(DatabaseMessages::explained(sqlite3_extended_errcode(m_db),
                                                  QString::fromUtf8(sqlite3_errmsg(m_db))));
}

void TConnection::exec(const char* sql) {
    if (!m_db || sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail();
}

qint64 TConnection::dataVersion() const {
    Statement version(*this, "PRAGMA data_version");
    version.step();
    return version.int64(0);
}

void TConnection::rollback() noexcept {
    if (m_db && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}
