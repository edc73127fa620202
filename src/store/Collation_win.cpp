#include "store/Collation.h"

#include <algorithm>
#include <string>
#include <windows.h>

namespace {

// Case is ignored as the language has it; accents and the rest still count.
constexpr DWORD Flags = LINGUISTIC_IGNORECASE;

const wchar_t* wide(QStringView text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

} // namespace

struct Collation::System {
    std::wstring locale;
};

Collation::Collation(const QLocale& locale)
    : m_name(locale.language() == QLocale::C ? QString() : locale.bcp47Name()) {
    if (m_name.isEmpty())
        return;
    auto system = std::make_unique<System>();
    system->locale = m_name.toStdWString();
    if (IsValidLocaleName(system->locale.c_str()))
        m_system = std::move(system);
}

Collation::~Collation() = default;

void Collation::appendKey(QStringView text, std::string& key) const {
    if (!m_system)
        return appendFoldedKey(text, key);
    if (text.isEmpty())
        return; // LCMapStringEx takes no empty text: the empty key sorts first, as it should
    const wchar_t* locale = m_system->locale.c_str();
    const int length = LCMapStringEx(locale, LCMAP_SORTKEY | Flags, wide(text), int(text.size()),
                                     nullptr, 0, nullptr, nullptr, 0);
    const size_t start = key.size();
    key.resize(start + size_t(length));
    LCMapStringEx(locale, LCMAP_SORTKEY | Flags, wide(text), int(text.size()),
                  reinterpret_cast<LPWSTR>(key.data() + start), length, nullptr, nullptr, 0);
    key.resize(start + size_t(std::max(length, 1) - 1)); // without the closing zero
}

// From the sort keys, not CompareStringEx: the two need not agree everywhere (under Wine they
// do not), and a task placed among sorted ones by a comparison must stand where a fresh
// sort by the keys puts it.
int Collation::compare(QStringView a, QStringView b) const {
    if (!m_system)
        return compareFolded(a, b);
    std::string first;
    std::string second;
    appendKey(a, first);
    appendKey(b, second);
    return first.compare(second);
}
