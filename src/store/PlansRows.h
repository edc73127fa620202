#pragma once

#include "store/Record.h"

class RowStore;
class TConnection;

// The statements on the table Plans. Every write runs in its own transaction and has
// reached the file when it returns. A write to a stored row never overwrites or removes
// what another writer put there since this instance read it.
namespace PlansRows {
// Appends every row, by ID.
void readAll(const TConnection& connection, RowStore& rows);
// Reads every row again into rows, storing anew only what changed (RowStore::reread).
void readAgain(const TConnection& connection, RowStore& rows);
// Stores a new row; returns the ID the database gave it.
qint64 insert(TConnection& connection, const Record& row);
// What a write that needs the row as this instance read it found in the file.
enum Outcome {
    Written, // the row was as read, and is written now
    Changed, // another writer changed the row since: nothing written
    Gone     // another writer deleted the row since: nothing written
};
// Writes the given fields of row, if the row with its ID still holds every value of
// asRead (its stored values, as they were read or as this instance wrote them).
Outcome update(TConnection& connection, const Record& asRead, const Record& row, FieldMask fields);
// Deletes the row, if it still holds every value of asRead.
Outcome remove(TConnection& connection, const Record& asRead);
} // namespace PlansRows
