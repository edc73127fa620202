#include "store/Statement.h"

#include "store/TConnection.h"

#include <sqlite3.h>

Statement::Statement(const TConnection& connection, const char* sql)
    : m_connection(connection) {
    if (sqlite3_prepare_v2(connection.handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK)
        connection.fail();
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QString& text) {
    if (text.isNull())
        bindNull(index);
    else
        bind(index, text.toUtf8());
}

void Statement::bind(int index, const QByteArray& text) {
    // constData() of an empty array is "", so an empty text stays '' and not NULL.
    if (sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        m_connection.fail();
}

void Statement::bind(int index, qint64 value) {
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        m_connection.fail();
}

void Statement::bindNull(int index) {
    if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
        m_connection.fail();
}

void Statement::bind(int index, const sqlite3_value* value) {
    if (sqlite3_bind_value(m_stmt, index, value) != SQLITE_OK)
        m_connection.fail();
}

bool Statement::step() {
    const int result = sqlite3_step(m_stmt);
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        return false;
    m_connection.fail();
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

int Statement::type(int column) const {
    return sqlite3_column_type(m_stmt, column);
}

const sqlite3_value* Statement::value(int column) const {
    return sqlite3_column_value(m_stmt, column);
}

qint64 Statement::int64(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QString Statement::text(int column) const {
    int size = 0;
    const char* data = rawText(column, &size);
    return data ? QString::fromUtf8(data, size) : QString();
}

const char* Statement::rawText(int column, int* size) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    *size = sqlite3_column_bytes(m_stmt, column);
    return data;
}
