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
