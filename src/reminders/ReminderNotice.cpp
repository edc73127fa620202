#include "reminders/ReminderNotice.h"

#include <QStringList>

ReminderNotice::Content ReminderNotice::Content::of(qint64 task, const QString& title,
                                                    const QString& moment,
                                                    const QString& description) {
    Content content;
    content.task = task;
    content.title = title;
    content.moment = moment;
    for (const QString& line : description.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty()) {
            content.descriptionLine = line.trimmed();
            break;
        }
    }
    return content;
}

QString ReminderNotice::Content::body() const {
    if (descriptionLine.isEmpty())
        return moment;
    return moment + QLatin1Char('\n') + descriptionLine;
}
