#include "LiteralWalk.h"

#include "app/Instances.h"
#include "main_window/TForm_Main.h"
#include "reminders/ReminderWatch.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Clock.h"

void literalWalk() {
    TTable& table = DataModule_Main->Table_Main;
    ReminderWatch& watch = *Form_Main->Watch;
    const int count = table.RecordCount();
    if (count == 0)
        return;
    watch.pause();
    const int before = table.RecNo();
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
    watch.resume();
    table.setRecNo(before);
}
