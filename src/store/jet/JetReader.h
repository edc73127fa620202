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
};

namespace JetReader {
// Every row of the table Plans of the Jet database at path, read through libmdb from the
// stored values themselves (the day counts, the UTF-16 texts). Throws TarvikError naming the
// file when the table or one of its six columns is missing or of another kind, or when the
// file cannot be read.
std::vector<JetTask> readPlans(const QString& path);
// The moment of a Jet day count (days since 30.12.1899, the time of day as the fraction),
// to the nearest second; NoStamp outside the years 100 to 9999.
Stamp stampOfDays(double days);
} // namespace JetReader
