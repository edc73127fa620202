#pragma once

#include <QString>

struct sqlite3;

// The database connection. Opens an existing Plans.mdb only, never creates one, and
// checks that it is a database holding the table Plans with its six columns. Other
// processes may use the same file at the same time; a write that meets their lock
// waits up to the busy timeout, short enough not to freeze the window for long. Every
// committed write is in the file itself when the commit returns, and closing leaves
// nothing beside it. Errors are TarvikError with a Russian sentence and SQLite's own text
// (DatabaseMessages), naming the file where it is about opening.
class TConnection final {
public:
    TConnection();
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    QString ConnectionString() const { return m_connectionString; }
    void setConnectionString(const QString& text);
    // The Data Source named by the connection string.
    QString dataSource() const;

    void Open(); // throws TarvikError
    void Close();
    bool Connected() const { return m_db != nullptr; }

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
    void openHandle(const QString& path);
    void checkTable(const QString& path);
    void useRollbackJournal();
    // After the outermost COMMIT.
    void committed() noexcept;
    // Ends an open transaction, keeping the error that made us give it up.
    void rollback() noexcept;

    QString m_connectionString;
    sqlite3* m_db = nullptr;
    int m_busyTimeout = 2000;
    bool m_walHeldElsewhere = false;
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
