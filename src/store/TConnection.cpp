#include "store/TConnection.h"

#include "store/DatabaseMessages.h"
#include "store/PlansFile.h"
#include "store/RowStore.h"
#include "store/Statement.h"
#include "toolkit/Error.h"

#include <QDir>
#include <QStringList>
#include <QUrl>

#include <sqlite3.h>

namespace {

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

// An unquoted value ends at the ';' that starts a known key, so a folder name holding ';'
// in a string written before values were quoted still works.
qsizetype unquotedEnd(const QString& text, qsizetype from) {
    qsizetype end = text.size();
    for (const QString& key : knownKeys()) {
        const qsizetype at = text.indexOf(';' + key + '=', from, Qt::CaseInsensitive);
        if (at >= 0 && at < end)
            end = at;
    }
    return end;
}

// The value that starts at from, and where the next key starts. A quoted value runs to
// the quote that is not doubled and may hold ';', '=' and doubled quotes.
std::pair<QString, qsizetype> valueAt(const QString& text, qsizetype from) {
    if (!text.mid(from).startsWith('"')) {
        const qsizetype end = unquotedEnd(text, from);
        return {text.mid(from, end - from), end + 1};
    }
    QString value = QLatin1String("");
    qsizetype at = from + 1;
    for (; at < text.size(); ++at) {
        if (text[at] != '"') {
            value += text[at];
        } else if (at + 1 < text.size() && text[at + 1] == '"') {
            value += '"';
            ++at;
        } else {
            break;
        }
    }
    const qsizetype next = text.indexOf(';', at);
    return {value, next < 0 ? text.size() : next + 1};
}

// The value of key in a "key=value;key=value" string; a null string when it is missing.
QString valueOf(const QString& text, const QString& key) {
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype equals = text.indexOf('=', at);
        if (equals < 0)
            break;
        const auto [value, next] = valueAt(text, equals + 1);
        if (text.mid(at, equals - at).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return value;
        at = next;
    }
    return QString();
}

// SQLite's name for the file. The immutable form reads it without locks and without the
// -wal and -shm files a log-keeping database otherwise gets beside it.
QByteArray sqliteName(const QString& path, TConnection::Access access) {
    if (access != TConnection::Immutable)
        return path.toUtf8();
    return QUrl::fromLocalFile(QDir::cleanPath(path)).toEncoded() + "?immutable=1";
}

int openFlags(TConnection::Access access) {
    // Never SQLITE_OPEN_CREATE: a missing file is an error, not a new empty database.
    switch (access) {
    case TConnection::ReadWrite:
        return SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    case TConnection::ReadOnly:
        return SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX;
    default:
        return SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    }
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
    return valueOf(m_connectionString, QStringLiteral("Data Source"));
}

QString TConnection::quoted(const QString& value) {
    QString text = value;
    return '"' + text.replace('"', QStringLiteral("\"\"")) + '"';
}

// Nothing is written to the file, and nothing made beside it, until it has been read
// whole and found sound: a damaged file is left exactly as it was.
void TConnection::Open() {
    if (Connected())
        return;
    const QString path = dataSource();
    const PlansFile::Facts facts = PlansFile::inspect(path);
    // Reading a log-keeping file through an ordinary connection makes its -wal and -shm, so
    // when nobody is using it, it is read through an immutable one first.
    const bool readAhead = facts.walMode && !facts.logBeside;
    if (readAhead) {
        TConnection reader;
        reader.openHandle(path, Immutable);
        PlansFile::verify(reader.m_db, path);
    }
    openHandle(path, accessFor(facts));
    prepareOrLeave(path, readAhead);
}

void TConnection::verifyKeepingRows(const QString& path) {
    if (!m_keepRows) {
        PlansFile::verify(m_db, path);
        return;
    }
    auto rows = std::make_unique<RowStore>();
    m_versionAtOpen = PlansFile::verify(m_db, path, [&](sqlite3_stmt* row) { rows->append(row); });
    m_rowsReadAtOpen = std::move(rows);
}

std::unique_ptr<RowStore> TConnection::takeRowsReadAtOpen(qint64* dataVersion) {
    *dataVersion = m_versionAtOpen;
    return std::move(m_rowsReadAtOpen);
}

TConnection::Access TConnection::accessFor(const PlansFile::Facts& facts) {
    m_readOnly = facts.readOnly;
    if (!facts.readOnly)
        return ReadWrite;
    // A read-only reader of a log-keeping file needs its -shm, which only a writer makes.
    return facts.walMode && !facts.shmBeside ? Immutable : ReadOnly;
}

void TConnection::prepareOrLeave(const QString& path, bool readAhead) {
    try {
        if (!readAhead)
            verifyKeepingRows(path);
        m_readOnly = m_readOnly || sqlite3_db_readonly(m_db, "main") == 1;
        if (!m_readOnly)
            useRollbackJournal();
    } catch (...) {
        // The last connection to a log-keeping file would copy the log into it on close.
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        Close();
        throw;
    }
}

void TConnection::openHandle(const QString& path, Access access) {
    const int result =
        sqlite3_open_v2(sqliteName(path, access).constData(), &m_db, openFlags(access), nullptr);
    if (result == SQLITE_OK) {
        sqlite3_busy_timeout(m_db, m_busyTimeout);
        return;
    }
    const QString reason = DatabaseMessages::explained(
        m_db ? sqlite3_extended_errcode(m_db) : result,
        QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(result)));
    Close();
    PlansFile::cannotOpen(path, reason);
}

// A rollback journal puts every committed write into Plans.mdb itself before the commit
// returns, so the one file alone holds every acknowledged change whenever no write runs, and
// the journal exists only while one does. synchronous=EXTRA syncs the folder after the
// journal is deleted: with FULL, a power cut before the file system has written that
// deletion leaves the journal, which the next start plays back, undoing the commit.
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
    exec("PRAGMA synchronous=EXTRA");
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
    m_rowsReadAtOpen.reset();
    m_readOnly = false;
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
