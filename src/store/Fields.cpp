#include "store/Fields.h"

namespace {

const QLatin1String fieldNames[FieldCount] = {
    QLatin1String("Reminder"), QLatin1String("Date"),     QLatin1String("Plan"),
    QLatin1String("ID"),       QLatin1String("Comments"), QLatin1String("Completed")};

} // namespace

QString fieldName(int index) {
    return index >= 0 && index < FieldCount ? QString(fieldNames[index]) : QString();
}

// Callers write the names as declared; the exact comparison first keeps the reminder
// watch's walk over every field of every row cheap.
int fieldIndex(const QString& name) {
    for (int index = 0; index < FieldCount; ++index)
        if (name == fieldNames[index])
            return index;
    for (int index = 0; index < FieldCount; ++index)
        if (name.compare(fieldNames[index], Qt::CaseInsensitive) == 0)
            return index;
    return -1;
}
