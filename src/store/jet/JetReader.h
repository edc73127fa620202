#pragma once

#include "store/Stamp.h"

#include <QString>

#include <vector>

// One task as the Jet file holds it.
struct JetTask {
    qint32 id = 0;
    Stamp reminder = NoStamp;
    Stamp date = NoStamp;
    QString plan;     // null when the field is empty
    QString comments; // null when the field is empty
    bool completed = false;
    int columns = 0; // the columns the row itself says it has
};

// The table Plans of a Jet file, with what its definition promises of the rows.
struct JetTable {
    std::vector<JetTask> tasks;
    quint64 promisedRows = 0; // the row count the definition gives
    int columns = 0;          // the definition's columns, which every row has
};

namespace JetReader {
// Every row of the table Plans of the Jet database at path, read through libmdb from the
// stored values themselves (the day counts, the UTF-16 texts). Throws TarvikError naming the
// file when the table or one of its six columns is missing or of another kind, or when the
// file cannot be read. A damaged file can crash libmdb: only a helper process calls this
// (JetReading).
JetTable readPlans(const QString& path);
// The moment of a Jet day count (days since 30.12.1899, the time of day as the fraction),
// to the nearest second; NoStamp outside the years 100 to 9999.
Stamp stampOfDays(double days);
} // namespace JetReader
