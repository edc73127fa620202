#include "LiteralWalk.h"

#include "reminders/ReminderWatch.h"
#include "store/TTable.h"
#include "toolkit/Clock.h"

void literalWalk(TTable& table, ReminderWatch& watch) {
    const int count = table.RecordCount();
    if (count == 0)
        return;
    const int before = table.RecNo();
    {
        const ReminderWatch::Pause walking(watch);
        for (int position = 1; position <= count; ++position) {
            table.setRecNo(position);
            if (table.FieldByName(QStringLiteral("Reminder")).IsNull())
                continue;
            if (Clock::now() < table.FieldByName(QStringLiteral("Reminder")).AsDateTime())
                continue;
            if (table.FieldByName(QStringLiteral("Completed")).AsBoolean())
                continue;
            watch.remind();
        }
    }
    table.setRecNo(before);
}
