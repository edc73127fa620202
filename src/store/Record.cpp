#include "store/Record.h"

#include "store/Fields.h"
#include "toolkit/Error.h"

#include <utility>

namespace {

[[noreturn]] void notADate(const QVariant& value) {
    throw TarvikError(QStringLiteral("'%1' is not a valid date and time").arg(value.toString()));
}

Stamp toStamp(const QVariant& value) {
    if (!value.isValid())
        return NoStamp;
    if (value.metaType().id() != QMetaType::QDateTime)
        notADate(value);
    return Stamps::fromDateTime(value.toDateTime());
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
