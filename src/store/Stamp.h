#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>

#include <limits>

// A local date and time to the second, as the file writes it, packed as the decimal
// number YYYYMMDDhhmmss: comparing two stamps compares the moments, and a row costs
// eight bytes per date instead of a QDateTime built at open.
using Stamp = qint64;
// An empty field. It sorts before every date.
constexpr Stamp NoStamp = std::numeric_limits<qint64>::min();

namespace Stamps {
// 'YYYY-MM-DD HH:MM:SS', also with a 'T' between date and time, without seconds or
// time, or with a fraction of a second (dropped). NoStamp for anything else.
Stamp parse(const char* text, int size);
// NoStamp when the date or time is invalid or the year is outside 1..9999.
Stamp fromParts(const QDate& date, const QTime& time);
// NoStamp for an invalid value; the milliseconds are dropped. Throws TarvikError for a
// year the file cannot hold (before 1 or after 9999).
Stamp fromDateTime(const QDateTime& value);
// 'YYYY-MM-DD HH:MM:SS'.
QByteArray format(Stamp stamp);
} // namespace Stamps

// Builds the local QDateTime of a stamp, remembering each one: constructing a local
// time makes the C library look at the time zone file on every call, which costs
// microseconds, and the reminder watch reads every row once a second.
class LocalTimes final {
public:
    QDateTime dateTime(Stamp stamp) const;
    void clear() { m_built.clear(); }

private:
    mutable QHash<Stamp, QDateTime> m_built;
};
