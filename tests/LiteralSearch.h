#pragma once

// The search walked record by record, as the users' program always did it: the measure
// for the quicker search, in the tests and in the benchmark.

#include "store/TTable.h"

#include <QLocale>

// From the start position (the first record on a restart, else the one after the
// current, round to the first after the last) each record is made current through RecNo
// and its title read, trimmed and upper-cased, until one contains the trimmed and
// upper-cased text. Leaves the found task current, or puts the saved record back.
inline bool literalSearch(TTable& table, const QString& text, bool restart) {
    const int saved = table.RecNo();
    const int count = table.RecordCount();
    bool found = false;
    if (count != 0) {
        const int start = restart || saved + 1 > count ? 1 : saved + 1;
        const QString needle = QLocale().toUpper(text.trimmed());
        for (int position = start;;) {
            table.setRecNo(position);
            const QString title = table.FieldByName(QStringLiteral("Plan")).AsString();
            // An empty text occurs nowhere, as the users' program's Pos had it.
            if (!needle.isEmpty() && QLocale().toUpper(title.trimmed()).contains(needle)) {
                found = true;
                break;
            }
            position = position == count ? 1 : position + 1;
            if (position == start)
                break;
        }
    }
    if (!found)
        table.setRecNo(saved);
    return found;
}
