#include "store/Stamp.h"

#include "toolkit/Error.h"

namespace {

constexpr int maxBuilt = 1 << 18;

struct Reader {
    const char* text;
    int size;
    int at = 0;

    // Reads exactly count digits; -1 when they are not there.
    int digits(int count) {
        if (at + count > size)
            return -1;
        int value = 0;
        for (int i = 0; i < count; ++i) {
            const char c = text[at + i];
            if (c < '0' || c > '9')
                return -1;
            value = value * 10 + (c - '0');
        }
        at += count;
        return value;
    }
    bool skip(char separator) {
        if (at >= size || text[at] != separator)
            return false;
        ++at;
        return true;
    }
    void skipDigits() {
        while (at < size && text[at] >= '0' && text[at] <= '9')
            ++at;
    }
    bool atEnd() const { return at == size; }
};

Stamp pack(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day) ||
        !QTime::isValid(hour, minute, second))
        return NoStamp;
    return ((((Stamp(year) * 100 + month) * 100 + day) * 100 + hour) * 100 + minute) * 100 + second;
}

// The time part after the date: absent, or HH:MM, HH:MM:SS, HH:MM:SS.fff...
bool readTime(Reader& in, int* hour, int* minute, int* second) {
    if (in.atEnd())
        return true;
    if (!in.skip(' ') && !in.skip('T'))
        return false;
    *hour = in.digits(2);
    if (!in.skip(':'))
        return false;
    *minute = in.digits(2);
    if (in.skip(':'))
        *second = in.digits(2);
    if (in.skip('.'))
        in.skipDigits();
    return in.atEnd() && *hour >= 0 && *minute >= 0 && *second >= 0;
}

} // namespace

namespace Stamps {

Stamp parse(const char* text, int size) {
    Reader in{text, size};
    const int year = in.digits(4);
    const int month = in.skip('-') ? in.digits(2) : -1;
    const int day = in.skip('-') ? in.digits(2) : -1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (year < 0 || month < 0 || day < 0 || !readTime(in, &hour, &minute, &second))
        return NoStamp;
    return pack(year, month, day, hour, minute, second);
}

Stamp fromParts(const QDate& date, const QTime& time) {
    if (!date.isValid() || !time.isValid())
        return NoStamp;
    return pack(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second());
}

Stamp fromDateTime(const QDateTime& value) {
    if (!value.isValid())
        return NoStamp;
    const QDateTime local = value.timeSpec() == Qt::LocalTime ? value : value.toLocalTime();
    const Stamp stamp = fromParts(local.date(), local.time());
    if (stamp == NoStamp)
        throw TarvikError(
            QStringLiteral("'%1' is not a valid date and time").arg(local.toString(Qt::ISODate)));
    return stamp;
}

QByteArray format(Stamp stamp) {
    // Filled from the right: ss, mm, hh, DD, MM, then the four digits of the year.
    QByteArray text("0000-00-00 00:00:00");
    int at = int(text.size()) - 1;
    for (int part = 0; part < 5; ++part, stamp /= 100) {
        text[at] = char('0' + stamp % 10);
        text[at - 1] = char('0' + stamp / 10 % 10);
        at -= 3;
    }
    for (int i = 3; i >= 0; --i, stamp /= 10)
        text[i] = char('0' + stamp % 10);
    return text;
}

} // namespace Stamps

QDateTime LocalTimes::dateTime(Stamp stamp) const {
    if (stamp == NoStamp)
        return QDateTime();
    const auto found = m_built.constFind(stamp);
    if (found != m_built.constEnd())
        return *found;
    if (m_built.size() >= maxBuilt)
        m_built.clear();
    const int second = int(stamp % 100);
    const int minute = int(stamp / 100 % 100);
    const int hour = int(stamp / 10000 % 100);
    const qint64 day = stamp / 1000000;
    const QDateTime value(QDate(int(day / 10000), int(day / 100 % 100), int(day % 100)),
                          QTime(hour, minute, second));
    m_built.insert(stamp, value);
    return value;
}
