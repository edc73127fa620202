#pragma once

#include <QString>

// The fields of Plans, in their fixed order.
enum FieldIndex {
    F_Reminder = 0,
    F_Date = 1,
    F_Plan = 2,
    F_ID = 3,
    F_Comments = 4,
    F_Completed = 5
};
constexpr int FieldCount = 6;
// The most characters a title holds, counted as the file's CHECK counts them: code points.
constexpr int PlanSize = 50;
QString fieldName(int index);
int fieldIndex(const QString& name); // -1 when no field has that name
