#include "store/TitleCollation.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uset.h>
#include <utility>

namespace {

// The characters of the table: Latin with its supplements and extensions, Greek and
// Cyrillic; then general punctuation, currency, letter-like symbols, number forms and
// arrows.
constexpr char16_t firstRangeEnd = 0x0500;
constexpr char16_t secondRangeStart = 0x2000;
constexpr char16_t secondRangeEnd = 0x2200;
constexpr size_t tableSize = firstRangeEnd + (secondRangeEnd - secondRangeStart);

int tableIndex(char16_t unit) {
    if (unit < firstRangeEnd)
        return unit;
    if (unit >= secondRangeStart && unit < secondRangeEnd)
        return firstRangeEnd + (unit - secondRangeStart);
    return -1;
}

char16_t unitAt(size_t index) {
    return index < firstRangeEnd ? char16_t(index)
                                 : char16_t(index - firstRangeEnd + secondRangeStart);
}

constexpr char levelSeparator = '\x01';

// A collation element's weights that a key uses: the primary (32 bits, its bytes from the
// top, none of them zero but trailing ones) and the secondary (16 bits).
struct Element {
    std::uint32_t primary;
    std::uint32_t secondary;
};

// The elements of a text, before the collator's script order is applied. ICU hands each
// element out as one or two 32-bit halves: the second, marked by 0xC0 in its lowest byte,
// carries the lower bits of the weights.
std::vector<Element> elementsOf(const UCollator* collator, QStringView text) {
    std::vector<Element> elements;
    UErrorCode status = U_ZERO_ERROR;
    UCollationElements* iterator =
        ucol_openElements(collator, text.utf16(), int32_t(text.size()), &status);
    for (int32_t half = ucol_next(iterator, &status); U_SUCCESS(status) && half != UCOL_NULLORDER;
         half = ucol_next(iterator, &status)) {
        const auto bits = std::uint32_t(half);
        if ((bits & 0xC0) == 0xC0 && !elements.empty()) {
            elements.back().primary |= bits >> 16;
            elements.back().secondary |= (bits >> 8) & 0xFF;
        } else {
            elements.push_back({bits & 0xFFFF0000u, bits & 0xFF00u});
        }
    }
    ucol_closeElements(iterator);
    return elements;
}

std::string sortKeyOf(const UCollator* collator, QStringView text) {
    std::string key(16 + size_t(text.size()) * 4, '\0');
    for (;;) {
        const int32_t length =
            ucol_getSortKey(collator, text.utf16(), int32_t(text.size()),
                            reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
        if (size_t(length) <= key.size()) {
            key.resize(size_t(std::max(length, 1)) - 1); // the closing zero byte
            return key;
        }
        key.resize(size_t(length));
    }
}

int byteLength(std::uint32_t primary) {
    int length = 0;
    while (length < 4 && ((primary >> (24 - 8 * length)) & 0xFF) != 0)
        ++length;
    return length;
}

// The bytes of a sort key's first level, before its 0x01 separator.
std::string firstLevel(const std::string& key) {
    return key.substr(0, key.find(levelSeparator));
}

// Writes one primary weight as ICU does in a sort key: the lead byte of a compressible
// weight is left out while it repeats; where a run of them ends, a low or high
// terminator byte keeps the order.
char* writePrimary(std::uint32_t primary, bool compressible, std::uint32_t& previous, char* out) {
    const std::uint32_t lead = primary >> 24;
    if (!compressible || lead != (previous >> 24)) {
        if (previous != 0) {
            if (primary < previous) {
                if (lead > 0x02)
                    *out++ = '\x03';
            } else {
                *out++ = '\xFF';
            }
        }
        *out++ = char(lead);
        previous = compressible ? primary : 0;
    }
    for (int shift = 16; shift >= 0 && ((primary >> shift) & 0xFF) != 0; shift -= 8)
        *out++ = char((primary >> shift) & 0xFF);
    return out;
}

void appendSecondary(std::uint32_t secondary, std::string& key) {
    if (secondary == 0)
        return;
    key.push_back(char(secondary >> 8));
    if ((secondary & 0xFF) != 0)
        key.push_back(char(secondary & 0xFF));
}

// The code units that stand after the first character of a contraction (or after the
// prefix of a context-dependent mapping) that begins with a table character: where they
// follow, elements depend on more than one character. A contraction that begins outside
// the table (ICU's index labels, U+FDD1 4) cannot occur in a text of table characters.
std::vector<bool> contractionTails(const UCollator* collator) {
    std::vector<bool> tails(tableSize, false);
    UErrorCode status = U_ZERO_ERROR;
    USet* contractions = uset_openEmpty();
    ucol_getContractionsAndExpansions(collator, contractions, nullptr, true, &status);
    UChar text[64];
    for (int32_t item = 0; U_SUCCESS(status) && item < uset_getItemCount(contractions); ++item) {
        UChar32 first = 0;
        UChar32 last = 0;
        const int32_t length = uset_getItem(contractions, item, &first, &last, text, 64, &status);
        if (length < 2 || tableIndex(text[0]) < 0)
            continue;
        for (int32_t unit = 1; unit < length; ++unit)
            if (tableIndex(text[unit]) >= 0)
                tails[size_t(tableIndex(text[unit]))] = true;
    }
    uset_close(contractions);
    return tails;
}

// A character whose canonical decomposition begins with a combining mark may be reordered
// with, or composed into, the character before it.
bool startsWithBase(char16_t unit) {
    const QString decomposed = QString(QChar(unit)).normalized(QString::NormalizationForm_D);
    return QChar(unit).combiningClass() == 0 && decomposed.front().combiningClass() == 0;
}

// What the collator does with the lead byte of a primary weight: where its script order
// puts it (0: unknown, or shared by scripts it moves apart), and whether a repeated lead
// byte is left out of sort keys. The element iterator gives weights before the move; the
// sort keys of a character with a single primary weight, alone and doubled, show both.
struct LeadBytes {
    std::array<std::uint8_t, 256> place{};
    std::array<bool, 256> compressible{};
};

LeadBytes leadBytesOf(const UCollator* collator,
                      const std::vector<std::vector<Element>>& elements) {
    LeadBytes leads;
    std::array<bool, 256> split{};
    for (size_t index = 0; index < elements.size(); ++index) {
        std::vector<std::uint32_t> primaries;
        for (const Element& element : elements[index])
            if (element.primary != 0)
                primaries.push_back(element.primary);
        if (primaries.size() != 1)
            continue;
        const std::uint32_t primary = primaries.front();
        const std::uint32_t lead = primary >> 24;
        const int length = byteLength(primary);
        const char16_t twice[2] = {unitAt(index), unitAt(index)};
        const std::string once = firstLevel(sortKeyOf(collator, QStringView(twice, 1)));
        const auto place = once.empty() ? 0 : quint8(once.front());
        const bool compressible =
            length > 1 &&
            int(firstLevel(sortKeyOf(collator, QStringView(twice, 2))).size()) == 2 * length - 1;
        if (int(once.size()) != length || (leads.place[lead] != 0 && leads.place[lead] != place))
            split[lead] = true;
        if (length > 1)
            leads.compressible[lead] = compressible;
        leads.place[lead] = place;
    }
    for (size_t lead = 0; lead < 256; ++lead)
        if (split[lead])
            leads.place[lead] = 0;
    return leads;
}

} // namespace

std::shared_ptr<const TitleCollation> TitleCollation::forLocale(const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return nullptr;
    static std::mutex mutex;
    static QString madeFor;
    static std::shared_ptr<const TitleCollation> made;
    const QString name = locale.bcp47Name().replace('-', '_');
    const std::lock_guard<std::mutex> lock(mutex);
    if (made && madeFor == name)
        return made;
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open(name.toLatin1().constData(), &status);
    // As QCollator with letter case ignored: normalisation on, secondary strength.
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        return nullptr;
    }
    made.reset(new TitleCollation(collator));
    madeFor = name;
    return made;
}

TitleCollation::TitleCollation(UCollator* collator)
    : m_collator(collator) {
    fillTable();
}

TitleCollation::~TitleCollation() {
    ucol_close(m_collator);
}

void TitleCollation::fillTable() {
    const std::vector<bool> tails = contractionTails(m_collator);
    std::vector<std::vector<Element>> elements(tableSize);
    for (size_t index = 0; index < tableSize; ++index) {
        const char16_t unit = unitAt(index);
        if (!tails[index] && startsWithBase(unit))
            elements[index] = elementsOf(m_collator, QStringView(&unit, 1));
    }
    const LeadBytes leads = leadBytesOf(m_collator, elements);
    m_table.resize(tableSize);
    for (size_t index = 0; index < tableSize; ++index) {
        const char16_t unit = unitAt(index);
        if (tails[index] || !startsWithBase(unit))
            continue;
        Entry& entry = m_table[index];
        std::string secondary;
        bool placed = true;
        for (const Element& element : elements[index]) {
            appendSecondary(element.secondary, secondary);
            if (element.primary == 0)
                continue;
            const std::uint32_t lead = element.primary >> 24;
            placed = placed && leads.place[lead] != 0 && entry.primaryCount < 3;
            if (!placed)
                break;
            entry.primaries[entry.primaryCount] =
                (std::uint32_t(leads.place[lead]) << 24) | (element.primary & 0xFFFFFF);
            entry.compressible[entry.primaryCount++] = leads.compressible[lead];
        }
        if (!placed || secondary.size() > entry.secondary.size())
            continue;
        std::copy(secondary.begin(), secondary.end(), entry.secondary.begin());
        entry.secondaryBytes = std::uint8_t(secondary.size());
        entry.direct = true;
        // The character alone and doubled must give the collator's own first level.
        const char16_t twice[2] = {unit, unit};
        for (int length : {1, 2}) {
            std::string quick;
            appendQuickKey(QStringView(twice, length), quick);
            entry.direct =
                entry.direct &&
                firstLevel(quick) == firstLevel(sortKeyOf(m_collator, QStringView(twice, length)));
        }
    }
}

inline const TitleCollation::Entry* TitleCollation::entryOf(char16_t unit) const {
    const int index = tableIndex(unit);
    return index >= 0 && m_table[size_t(index)].direct ? &m_table[size_t(index)] : nullptr;
}

// Looks each character up once, measuring the key's largest size, then writes it into
// room with eight spare bytes, the secondary bytes with whole-word copies.
bool TitleCollation::appendQuickKey(QStringView text, std::string& key) const {
    thread_local std::vector<const Entry*> entries;
    entries.resize(size_t(text.size()));
    size_t room = 1 + 8;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const Entry* entry = entryOf(text[i].unicode());
        if (!entry)
            return false;
        entries[size_t(i)] = entry;
        room += 5 * entry->primaryCount + entry->secondaryBytes;
    }
    const size_t start = key.size();
    key.resize(start + room);
    char* out = key.data() + start;
    std::uint32_t previous = 0;
    for (const Entry* entry : entries)
        for (int i = 0; i < entry->primaryCount; ++i)
            out = writePrimary(entry->primaries[size_t(i)], entry->compressible[size_t(i)],
                               previous, out);
    *out++ = levelSeparator;
    for (const Entry* entry : entries) {
        std::memcpy(out, entry->secondary.data(), 8);
        out += entry->secondaryBytes;
    }
    key.resize(size_t(out - key.data()));
    return true;
}

void TitleCollation::appendSortKey(QStringView text, std::string& key) const {
    const std::lock_guard<std::mutex> lock(m_collatorInUse);
    key += sortKeyOf(m_collator, text);
}

int TitleCollation::compare(QStringView a, QStringView b) const {
    thread_local std::string keyA;
    thread_local std::string keyB;
    keyA.clear();
    keyB.clear();
    if (appendQuickKey(a, keyA) && appendQuickKey(b, keyB))
        return keyA.compare(keyB);
    const std::lock_guard<std::mutex> lock(m_collatorInUse);
    const UCollationResult order =
        ucol_strcoll(m_collator, a.utf16(), int32_t(a.size()), b.utf16(), int32_t(b.size()));
    return order == UCOL_LESS ? -1 : (order == UCOL_GREATER ? 1 : 0);
}
