#include "toolkit/UserLocale.h"

#include <QRegularExpression>

#include <optional>

namespace {

std::optional<QLocale>& fixed() {
    static std::optional<QLocale> locale;
    return locale;
}

} // namespace

// The C locale is no choice of the user's: the program's own language stands in for it.
QLocale UserLocale::get() {
    if (fixed())
        return *fixed();
    const QLocale system = QLocale::system();
    return system.language() == QLocale::C ? QLocale(QLocale::Russian, QLocale::Russia) : system;
}

void UserLocale::set(const QLocale& locale) {
    fixed() = locale;
}

void UserLocale::reset() {
    fixed().reset();
}

// The weekday stands first or last in the long formats, with a comma and spaces between
// it and the date.
QString UserLocale::longDateFormat() {
    static const QRegularExpression weekday(QStringLiteral("^dddd[,\\s]*|[,\\s]*dddd$"));
    return get().dateFormat(QLocale::LongFormat).remove(weekday);
}

QString UserLocale::shortDateFormat() {
    QString format = get().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return format;
}

// Quoted text is taken as written ('' is a quote); the hour field ends at the first other
// character, and the separator at the minute field.
QString UserLocale::timeSeparator() {
    const QString format = get().timeFormat(QLocale::ShortFormat);
    QString separator;
    bool afterHour = false;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == '\'') {
            if (format.mid(i, 2) != QStringLiteral("''")) {
                quoted = !quoted;
                continue;
            }
            ++i; // '' stands for one quote
        }
        const bool field = !quoted && c.isLetter();
        if (field && (c == 'h' || c == 'H')) {
            afterHour = true;
            separator.clear();
        } else if (field && c == 'm' && afterHour) {
            return separator.isEmpty() ? QStringLiteral(":") : separator;
        } else if (afterHour) {
            separator += c;
        }
    }
    return QStringLiteral(":");
}
