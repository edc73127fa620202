#pragma once

#include "store/Record.h"

#include <vector>

class TConnection;

// The statements on the table Plans. Every write runs in its own transaction and has
// reached the file when it returns.
namespace PlansRows {
// Every row, by ID.
std::vector<Record> readAll(const TConnection& connection);
// Stores a new row; returns the ID the database gave it.
qint64 insert(TConnection& connection, const Record& row);
// Writes the given fields of the row with row.id.
void update(TConnection& connection, const Record& row, FieldMask fields);
void remove(TConnection& connection, qint64 id);
} // namespace PlansRows
