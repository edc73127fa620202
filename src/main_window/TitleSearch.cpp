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

// Compares character by character through the table, without making an upper-cased copy
// of the title; a title with a character outside the table goes the long way.
bool TitleMatcher::matches(QStringView title) const {
    if (m_needle.isEmpty())
        return false;
    const QStringView text = title.trimmed();
    const qsizetype last = text.size() - m_needle.size();
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t upper = m_upper->of(text[at]);
        if (upper == 0)
            return matchesWholeText(text);
        if (upper != m_needle.front().unicode() || at > last)
            continue;
        qsizetype matched = 1;
        while (matched < m_needle.size()) {
            const char16_t next = m_upper->of(text[at + matched]);
            if (next == 0)
                return matchesWholeText(text);
            if (next != m_needle[matched].unicode())
                break;
            ++matched;
        }
        if (matched == m_needle.size())
            return true;
    }
    return false;
}

bool TitleMatcher::matchesWholeText(QStringView title) const {
    return m_locale.toUpper(title.toString()).contains(m_needle);
}

int findTitle(const TTable& table, const TitleMatcher& matcher, int start) {
    return table.findTitle(start, [&matcher](QStringView title) { return matcher.matches(title); });
}
