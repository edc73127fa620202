#include "store/Record.h"

#include "store/Fields.h"
#include "toolkit/Error.h"
#include "toolkit/UserLocale.h"

#include <utility>

namespace {

[[noreturn]] void notADate(const QVariant& value) {
    throw TarvikError(QStringLiteral("'%1' is not a valid date and time").arg(value.toString()));
}

// The forms the program itself shows a date-time in, besides the file's own.
Stamp parseShown(const QString& text) {
    for (const char* format : {"dd.MM.yyyy hh:mm:ss", "dd.MM.yyyy hh:mm", "dd.MM.yyyy"}) {
        const QDateTime value = QDateTime::fromString(text, QString::fromLatin1(format));
        if (value.isValid())
            return Stamps::fromDateTime(value);
    }
    return NoStamp;
}

Stamp toStamp(const QVariant& value) {
    if (!value.isValid())
        return NoStamp;
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return Stamps::fromDateTime(value.toDateTime());
    case QMetaType::QDate:
        return Stamps::fromDateTime(value.toDate().startOfDay());
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.isEmpty())
            return NoStamp;
        Stamp stamp = Stamps::parse(text);
        if (stamp == NoStamp)
            stamp = parseShown(text);
        if (stamp == NoStamp)
            notADate(value);
        return stamp;
    }
    default:
        if (!value.canConvert<QDateTime>() || !value.toDateTime().isValid())
            notADate(value);
        return Stamps::fromDateTime(value.toDateTime());
    }
}

QString dateText(const QDateTime& value) {
    QString text = UserLocale::get().toString(value.date(), QLocale::ShortFormat);
    if (value.time() != QTime(0, 0))
        text += ' ' + value.time().toString(QStringLiteral("hh:mm:ss"));
    return text;
}

QString fieldText(int field, const QVariant& value) {
    if (!value.isValid())
        return QString();
    switch (field) {
    case F_Reminder:
    case F_Date:
        return dateText(value.toDateTime());
    case F_Completed:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

// A NUL would hide the rest of the text from the file's length(), and so from its CHECK.
QString fieldString(const QVariant& value) {
    if (!value.isValid())
        return QString();
    QString text = value.toString();
    text.remove(QChar(0));
    return text;
}

// '' is a value and NULL is none, though QString compares them equal.
bool same(const QString& a, const QString& b) {
    return a.isNull() == b.isNull() && a == b;
}
template <class T> bool same(const T& a, const T& b) {
    return a == b;
}

template <class T> bool assign(T& field, T next) {
    if (same(field, next))
        return false;
    field = std::move(next);
    return true;
}

} // namespace

bool Record::isNull(int field) const {
    switch (field) {
    case F_Reminder:
        return reminder == NoStamp;
    case F_Date:
        return date == NoStamp;
    case F_Plan:
        return plan.isNull();
    case F_ID:
        return id == 0;
    case F_Comments:
        return comments.isNull();
    default:
        return completed < 0;
    }
}

QVariant Record::value(int field, const LocalTimes& times) const {
    if (isNull(field))
        return QVariant();
    switch (field) {
    case F_Reminder:
        return times.dateTime(reminder);
    case F_Date:
        return times.dateTime(date);
    case F_Plan:
        return plan;
    case F_ID:
        return id;
    case F_Comments:
        return comments;
    default:
        return completed > 0;
    }
}

QDateTime Record::dateTime(int field, const LocalTimes& times) const {
    if (field == F_Reminder)
        return times.dateTime(reminder);
    if (field == F_Date)
        return times.dateTime(date);
    return value(field, times).toDateTime();
}

QString Record::text(int field, const LocalTimes& times) const {
    if (field == F_Plan)
        return plan;
    if (field == F_Comments)
        return comments;
    return fieldText(field, value(field, times));
}

bool Record::boolean(int field, const LocalTimes& times) const {
    return field == F_Completed ? completed > 0 : value(field, times).toBool();
}

bool Record::setValue(int field, const QVariant& value) {
    switch (field) {
    case F_Reminder:
        return assign(reminder, toStamp(value));
    case F_Date:
        return assign(date, toStamp(value));
    case F_Plan:
        return assign(plan, fieldString(value));
    case F_ID:
        throw TarvikError(QStringLiteral("Field 'ID' cannot be modified"));
    case F_Comments:
        return assign(comments, fieldString(value));
    default:
        return assign(completed, value.isValid() ? qint8(value.toBool()) : qint8(-1));
    }
}
