#pragma once

#include <QLocale>
#include <QStringView>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct UCollator;

// Sort keys that order texts exactly as the locale's collator does with letter case
// ignored (ICU at secondary strength, the way QCollator sets it up), but made mostly by
// table look-ups instead of by the collator.
//
// A quick key holds the primary weights of the text's collation elements, written the way
// ICU writes them in a sort key (script order applied, repeated lead bytes left out), a
// 0x01 separator and the secondary weights, which ICU would compress further: so two quick
// keys compare with memcmp as the collator compares the texts. It exists for texts made
// only of table characters: such a character neither combines with a neighbour (its
// canonical decomposition starts with a base character) nor follows the first character
// of a contraction, so the text's elements are its characters' elements one after
// another. The table holds Latin, Greek, Cyrillic, punctuation and the common symbols.
// Quick keys and the collator's own sort keys do not compare with each other.
class TitleCollation final {
public:
    // The collation of the locale, made once and shared; null for the C locale, which has
    // no collation of its own, or when the collator cannot be opened.
    static std::shared_ptr<const TitleCollation> forLocale(const QLocale& locale);

    ~TitleCollation();
    TitleCollation(const TitleCollation&) = delete;
    TitleCollation& operator=(const TitleCollation&) = delete;

    // Appends the quick key of text; false, with key unchanged, when a character of text
    // is not in the table. Safe to call from several threads at once.
    bool appendQuickKey(QStringView text, std::string& key) const;
    // Appends the collator's own sort key of text (without its closing zero byte).
    void appendSortKey(QStringView text, std::string& key) const;
    // appendSortKey and compare are safe to call from several threads: they take turns at
    // the collator.
    int compare(QStringView a, QStringView b) const;

private:
    explicit TitleCollation(UCollator* collator);

    // The weights of one table character: its primaries (script order applied), whether
    // ICU leaves out their repeated lead bytes, and its secondary bytes.
    struct Entry {
        std::array<std::uint32_t, 3> primaries{};
        std::array<bool, 3> compressible{};
        std::uint8_t primaryCount = 0;
        std::array<char, 8> secondary{};
        std::uint8_t secondaryBytes = 0;
        bool direct = false;
    };

    void fillTable();
    const Entry* entryOf(char16_t unit) const;

    UCollator* m_collator;
    // A title order made on another thread may need the collator while this thread
    // compares titles; ICU's documentation does not promise that a collator serves two
    // threads at once.
    mutable std::mutex m_collatorInUse;
    std::vector<Entry> m_table; // by code unit, for the ranges of TitleCollation.cpp
};
