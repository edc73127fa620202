#pragma once

#include <QString>

struct sqlite3_stmt;
struct sqlite3_value;
class TConnection;

// One prepared statement with bound parameters. Values never become part of the SQL
// text. Errors throw TarvikError with SQLite's text.
class Statement final {
public:
    Statement(const TConnection& connection, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters are 1-based. A null QString binds NULL; an empty one binds ''.
    void bind(int index, const QString& text);
    void bind(int index, const QByteArray& text);
    void bind(int index, qint64 value);
    void bindNull(int index);
    // Binds a value exactly as another statement read it: type and content.
    void bind(int index, const sqlite3_value* value);

    // True while a row is there to read; false when the statement is done.
    bool step();
    // Makes the statement ready to run again; the bindings stay.
    void reset();

    bool isNull(int column) const;
    // SQLite's storage class of the column (SQLITE_INTEGER ... SQLITE_NULL); ask before any
    // typed read, which may convert the value.
    int type(int column) const;
    // The column's value as stored, valid until the next step.
    const sqlite3_value* value(int column) const;
    qint64 int64(int column) const;
    QString text(int column) const;
    // The column's UTF-8 bytes, valid until the next step; length in *size.
    const char* rawText(int column, int* size) const;
    sqlite3_stmt* handle() const { return m_stmt; }

private:
    const TConnection& m_connection;
    sqlite3_stmt* m_stmt = nullptr;
};
