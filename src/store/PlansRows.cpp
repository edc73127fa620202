#include "store/PlansRows.h"

#include "store/Statement.h"
#include "store/TConnection.h"
#include "store/TTable.h"
#include "toolkit/Error.h"

#include <sqlite3.h>

namespace {

// Parameters are numbered by field: ?1 Reminder ... ?6 Completed.
void bindField(Statement& statement, const Record& row, int field) {
    const int index = field + 1;
    if (row.isNull(field)) {
        statement.bindNull(index);
        return;
    }
    switch (field) {
    case F_Reminder:
        statement.bind(index, Stamps::format(row.reminder));
        break;
    case F_Date:
        statement.bind(index, Stamps::format(row.date));
        break;
    case F_Plan:
        statement.bind(index, row.plan);
        break;
    case F_ID:
        statement.bind(index, row.id);
        break;
    case F_Comments:
        statement.bind(index, row.comments);
        break;
    default:
        statement.bind(index, qint64(row.completed));
    }
}

Stamp stampColumn(const Statement& statement, int column) {
    int size = 0;
    const char* text = statement.rawText(column, &size);
    return text ? Stamps::parse(text, size) : NoStamp;
}

Record readRow(const Statement& select) {
    Record row;
    row.reminder = stampColumn(select, F_Reminder);
    row.date = stampColumn(select, F_Date);
    row.plan = select.text(F_Plan);
    row.id = select.int64(F_ID);
    row.comments = select.text(F_Comments);
    if (!select.isNull(F_Completed))
        row.completed = select.int64(F_Completed) != 0 ? 1 : 0;
    return row;
}

// The SET list of the changed fields, e.g. "Plan = ?3, Completed = ?6": names and
// parameter numbers only, never a value.
QByteArray assignments(FieldMask fields) {
    QByteArray list;
    for (int field = 0; field < FieldCount; ++field) {
        if (field == F_ID || !(fields & fieldBit(field)))
            continue;
        if (!list.isEmpty())
            list += ", ";
        list += fieldName(field).toLatin1() + " = ?" + QByteArray::number(field + 1);
    }
    return list;
}

} // namespace

namespace PlansRows {

std::vector<Record> readAll(const TConnection& connection) {
    Statement select(connection,
                     "SELECT Reminder, Date, Plan, ID, Comments, Completed FROM Plans ORDER BY ID");
    std::vector<Record> rows;
    while (select.step())
        rows.push_back(readRow(select));
    return rows;
}

qint64 insert(TConnection& connection, const Record& row) {
    qint64 id = 0;
    connection.transaction([&] {
        Statement insertRow(connection, "INSERT INTO Plans (Reminder, Date, Plan, Comments, "
                                        "Completed) VALUES (?1, ?2, ?3, ?5, ?6)");
        for (int field : {F_Reminder, F_Date, F_Plan, F_Comments, F_Completed})
            bindField(insertRow, row, field);
        insertRow.step();
        id = sqlite3_last_insert_rowid(connection.handle());
    });
    return id;
}

void update(TConnection& connection, const Record& row, FieldMask fields) {
    const QByteArray sql = "UPDATE Plans SET " + assignments(fields) + " WHERE ID = ?4";
    connection.transaction([&] {
        Statement updateRow(connection, sql.constData());
        for (int field = 0; field < FieldCount; ++field)
            if (field == F_ID || (fields & fieldBit(field)))
                bindField(updateRow, row, field);
        updateRow.step();
        if (sqlite3_changes(connection.handle()) == 0)
            throw TarvikError(QStringLiteral("Row cannot be located for updating. Some values "
                                             "may have been changed since it was last read."));
    });
}

void remove(TConnection& connection, qint64 id) {
    connection.transaction([&] {
        Statement deleteRow(connection, "DELETE FROM Plans WHERE ID = ?1");
        deleteRow.bind(1, id);
        deleteRow.step();
    });
}

} // namespace PlansRows
