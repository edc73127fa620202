#include "store/PlansRows.h"

#include "store/Fields.h"
#include "store/PlansFile.h"
#include "store/RowStore.h"
#include "store/Statement.h"
#include "store/StoredValues.h"
#include "store/TConnection.h"

#include <sqlite3.h>

namespace {

// Parameters of the values written are numbered by field: ?1 Reminder ... ?6 Completed;
// those of the values the row must still hold, from ?11 on.
constexpr int asReadParameters = 10;

// Binds the field's value as the program writes it.
void bindField(Statement& statement, int index, const Record& row, int field) {
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

// The row with the given ID still holds every value this snapshot read: NULL-safe, byte
// for byte (BINARY, whatever collation the file's columns declare).
const char* const unchanged =
    "ID = ?4 AND Reminder IS ?11 COLLATE BINARY AND Date IS ?12 COLLATE BINARY"
    " AND Plan IS ?13 COLLATE BINARY AND Comments IS ?15 COLLATE BINARY AND Completed IS ?16";

void bindAsRead(Statement& statement, const Record& asRead) {
    for (int field = 0; field < FieldCount; ++field) {
        const int index = field == F_ID ? field + 1 : asReadParameters + field + 1;
        if (const sqlite3_value* stored = asRead.stored ? asRead.stored->field(field) : nullptr)
            statement.bind(index, stored);
        else
            bindField(statement, index, asRead, field);
    }
}

// Runs a write conditional on the row being as read; inside its transaction, tells a row
// changed elsewhere from one deleted elsewhere when nothing matched.
template <class Bind>
PlansRows::Outcome writeIfUnchanged(TConnection& connection, const QByteArray& sql, qint64 id,
                                    Bind bind) {
    PlansRows::Outcome outcome = PlansRows::Written;
    connection.transaction([&] {
        Statement write(connection, sql.constData());
        bind(write);
        write.step();
        if (sqlite3_changes(connection.handle()) > 0)
            return;
        Statement find(connection, "SELECT 1 FROM Plans WHERE ID = ?1");
        find.bind(1, id);
        outcome = find.step() ? PlansRows::Changed : PlansRows::Gone;
    });
    return outcome;
}

} // namespace

namespace PlansRows {

void readAll(const TConnection& connection, RowStore& rows) {
    Statement select(connection, PlansFile::everyRow);
    while (select.step())
        rows.append(select.handle());
}

void readAgain(const TConnection& connection, RowStore& rows) {
    Statement select(connection, PlansFile::everyRow);
    rows.reread([&] { return select.step(); }, select.handle());
}

qint64 insert(TConnection& connection, const Record& row) {
    qint64 id = 0;
    connection.transaction([&] {
        Statement insertRow(connection, "INSERT INTO Plans (Reminder, Date, Plan, Comments, "
                                        "Completed) VALUES (?1, ?2, ?3, ?5, ?6)");
        for (int field : {F_Reminder, F_Date, F_Plan, F_Comments, F_Completed})
            bindField(insertRow, field + 1, row, field);
        insertRow.step();
        id = sqlite3_last_insert_rowid(connection.handle());
    });
    return id;
}

Outcome update(TConnection& connection, const Record& asRead, const Record& row, FieldMask fields) {
    const QByteArray sql =
        "UPDATE Plans SET " + assignments(fields) + " WHERE " + QByteArray(unchanged);
    return writeIfUnchanged(connection, sql, asRead.id, [&](Statement& write) {
        bindAsRead(write, asRead);
        for (int field = 0; field < FieldCount; ++field)
            if (field != F_ID && (fields & fieldBit(field)))
                bindField(write, field + 1, row, field);
    });
}

Outcome remove(TConnection& connection, const Record& asRead) {
    return writeIfUnchanged(connection, "DELETE FROM Plans WHERE " + QByteArray(unchanged),
                            asRead.id, [&](Statement& write) { bindAsRead(write, asRead); });
}

} // namespace PlansRows
