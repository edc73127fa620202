#include "main_window/TitleSearch.h"

#include "store/TTable.h"

#include <array>
#include <mutex>

// Upper-casing one character at a time, by a table made once per locale, for the
// characters whose upper case is a single character whatever stands around them: Latin
// and Cyrillic, without the combining marks. Greek is left out: some locales upper-case
// it by context. A title with any other character is upper-cased as a whole.
struct TitleMatcher::UpperCase {
    static constexpr char16_t size = 0x0500;
    std::array<char16_t, size> upper{}; // 0: not in the table

    explicit UpperCase(const QLocale& locale) {
        for (char16_t unit = 1; unit < size; ++unit) {
            const bool combining =
                (unit >= 0x0300 && unit < 0x0370) || (unit >= 0x0483 && unit < 0x048A);
            const bool greek = unit >= 0x0370 && unit < 0x0400;
            if (combining || greek)
                continue;
            const QString upperCased = locale.toUpper(QString(QChar(unit)));
            if (upperCased.size() == 1)
                upper[unit] = upperCased.front().unicode();
        }
    }

    char16_t of(QChar character) const {
        return character.unicode() < size ? upper[character.unicode()] : char16_t(0);
    }

    static std::shared_ptr<const UpperCase> forLocale(const QLocale& locale) {
        static std::mutex mutex;
        static QString madeFor;
        static std::shared_ptr<const UpperCase> made;
        const std::lock_guard<std::mutex> lock(mutex);
        if (!made || madeFor != locale.name()) {
            made = std::make_shared<const UpperCase>(locale);
            madeFor = locale.name();
        }
        return made;
    }
};

TitleMatcher::TitleMatcher(const QString& searchText, const QLocale& locale)
    : m_locale(locale)
    , m_needle(locale.toUpper(searchText.trimmed()))
    , m_upper(UpperCase::forLocale(locale)) {}

TitleMatcher::~TitleMatcher() = default;

namespace {

// What a walk over a title's characters found; Unknown: a character outside the table.
enum class Found { Yes, No, Unknown };

// Walks the characters from position 0 to size, each upper-cased by upperAt (which moves its
// position past it, and gives 0 for a character outside the table), for the needle. The
// needle has no space at either end, so the title needs no trimming for it.
template <class UpperAt> Found find(const QString& needle, qsizetype size, UpperAt upperAt) {
    for (qsizetype at = 0; at < size;) {
        const char16_t first = upperAt(at);
        if (first == 0)
            return Found::Unknown;
        if (first != needle.front().unicode())
            continue;
        qsizetype next = at;
        qsizetype matched = 1;
        while (matched < needle.size() && next < size) {
            const char16_t unit = upperAt(next);
            if (unit == 0)
                return Found::Unknown;
            if (unit != needle[matched].unicode())
                break;
            ++matched;
        }
        if (matched == needle.size())
            return Found::Yes;
    }
    return Found::No;
}

} // namespace

// Compares character by character through the table, without making an upper-cased copy
// of the title; a title with a character outside the table goes the long way.
bool TitleMatcher::matches(QStringView title) const {
    if (m_needle.isEmpty())
        return false;
    const QStringView text = title.trimmed();
    const Found found =
        find(m_needle, text.size(), [&](qsizetype& at) { return m_upper->of(text[at++]); });
    return found == Found::Unknown ? matchesWholeText(text) : found == Found::Yes;
}

// Decodes as it compares, without a string of its own: one or two bytes a character, every
// Latin and Cyrillic letter. A longer sequence or a byte that is no UTF-8 sends the title the
// long way, which reads it as QString::fromUtf8 does.
bool TitleMatcher::matches(QByteArrayView title) const {
    if (m_needle.isEmpty())
        return false;
    const auto upperAt = [&](qsizetype& at) -> char16_t {
        const auto lead = uchar(title[at++]);
        if (lead < 0x80)
            return m_upper->of(QChar(lead));
        if (lead < 0xC2 || lead >= 0xE0 || at == title.size() || (uchar(title[at]) & 0xC0) != 0x80)
            return 0;
        return m_upper->of(QChar(char16_t((lead & 0x1F) << 6 | (uchar(title[at++]) & 0x3F))));
    };
    const Found found = find(m_needle, title.size(), upperAt);
    return found == Found::Unknown ? matches(QStringView(QString::fromUtf8(title)))
                                   : found == Found::Yes;
}

bool TitleMatcher::matchesWholeText(QStringView title) const {
    return m_locale.toUpper(title.toString()).contains(m_needle);
}

int findTitle(const TTable& table, const TitleMatcher& matcher, int start) {
    return table.findTitle(start,
                           [&matcher](QByteArrayView title) { return matcher.matches(title); });
}
