#pragma once

#include <QString>

#include <memory>

class RowStore;
struct sqlite3;
namespace PlansFile {
struct Facts;
}

// The database connection. Opens an existing Plans.mdb only, never creates one, and
// writes nothing to it before it has been read whole and found sound (PlansFile.h). A file
// or folder that cannot be written is opened for reading only. Other
// processes may use the same file at the same time; a write that meets their lock
// waits up to the busy timeout, short enough not to freeze the window for long. Every
// committed write is in the file itself when the commit returns, and closing leaves
// nothing beside it. Errors are TarvikError with a Russian sentence and SQLite's own text
// (DatabaseMessages), naming the file where it is about opening. One thread at a time
// uses a connection (start-up opens it on another thread while the splash stands, then
// hands it over), so SQLite takes no lock of its own on every call.
class TConnection final {
public:
    TConnection();
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    void setConnectionString(const QString& text);
    // From the next Open on, the rows its check reads (every row of Plans) are kept for
    // takeRowsReadAtOpen: the task table asks for them, so that the file is read once.
    void keepRowsReadAtOpen() { m_keepRows = true; }
    // The rows the last Open read, with the file's data version just before; null when it
    // kept none (a log-keeping file is checked through another connection) or they were
    // taken.
    std::unique_ptr<RowStore> takeRowsReadAtOpen(qint64* dataVersion);
    // The Data Source named by the connection string: in double quotes with quotes inside
    // doubled, or (as the data module is designed) bare.
    QString dataSource() const;
    // A value as connection strings quote it: in double quotes, a quote inside doubled.
    static QString quoted(const QString& value);

    void Open(); // throws TarvikError
    void Close();
    bool Connected() const { return m_db != nullptr; }
    // The file or its folder cannot be written: the tasks can be read, every write fails.
    bool readOnly() const { return m_readOnly; }

    enum Access { ReadWrite, ReadOnly, Immutable };

    void setBusyTimeout(int msecs); // default 2000
    sqlite3* handle() const { return m_db; }

    // Runs body inside BEGIN IMMEDIATE ... COMMIT; rolls back and rethrows on failure.
    // Inside an open transaction body just runs: the outer one commits or rolls back.
    template <class Body> void transaction(Body body);
    bool inTransaction() const;

    // Throws TarvikError explaining the connection's last error.
    [[noreturn]] void fail() const;
    void exec(const char* sql);

    // Changes whenever another connection (of this or another process) has committed
    // a change to the file since the last call; our own commits leave it alone.
    qint64 dataVersion() const;

private:
    void openHandle(const QString& path, Access access);
    Access accessFor(const PlansFile::Facts& facts);
    // Checks the file (unless read ahead) and sets the journal up; closes it on failure.
    void prepareOrLeave(const QString& path, bool readAhead);
    void verifyKeepingRows(const QString& path);
    void useRollbackJournal();
    // After the outermost COMMIT.
    void committed() noexcept;
    // Ends an open transaction, keeping the error that made us give it up.
    void rollback() noexcept;

    QString m_connectionString;
    sqlite3* m_db = nullptr;
    int m_busyTimeout = 2000;
    bool m_walHeldElsewhere = false;
    bool m_readOnly = false;
    bool m_keepRows = false;
    std::unique_ptr<RowStore> m_rowsReadAtOpen;
    qint64 m_versionAtOpen = 0;
};

template <class Body> void TConnection::transaction(Body body) {
    if (inTransaction()) {
        body();
        return;
    }
    exec("BEGIN IMMEDIATE");
    try {
        body();
        exec("COMMIT");
    } catch (...) {
        rollback();
        throw;
    }
    committed();
}
