#include "store/RowOrder.h"

#include "store/Fields.h"
#include "toolkit/PrefaultedMemory.h"
#include "toolkit/UserLocale.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <functional>
#include <thread>
#include <utility>

// A sort's large arrays, written at once from start to end.
template <class T> using Scratch = std::vector<T, PrefaultingAllocator<T>>;

namespace {

template <class T> int compareValues(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

bool isText(int field) {
    return field == F_Plan || field == F_Comments;
}

const QString& textOf(const Record& row, int field) {
    return field == F_Plan ? row.plan : row.comments;
}

// From this many rows on, keys are made and sorted on two threads.
constexpr size_t twoThreadsFrom = 20000;

// Calls work(first, last) for [0, count), a large count's second half on another thread,
// whose failure is thrown here. Returns the start of the second half, count when there is
// none.
template <class Work> size_t onTwoThreads(size_t count, Work work) {
    if (count < twoThreadsFrom) {
        work(size_t(0), count);
        return count;
    }
    const size_t middle = count / 2;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work(middle, count);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    try {
        work(size_t(0), middle);
    } catch (...) {
        worker.join();
        throw;
    }
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
    return middle;
}

qint64 numberOf(const Record& row, int field) {
    switch (field) {
    case F_Reminder:
        return row.reminder;
    case F_Date:
        return row.date;
    case F_Completed:
        return row.completed > 0;
    default:
        return row.id;
    }
}

// Sorts by a number field through an index, so that the numbers never move; ties go by
// ID, from an array of their own.
void sortByNumbers(std::vector<int>& positions, const std::vector<Record>& rows, int field) {
    const size_t count = positions.size();
    Scratch<qint64> keys(count);
    Scratch<qint64> ids(count);
    Scratch<int> index(count);
    for (size_t i = 0; i < count; ++i) {
        keys[i] = numberOf(rows[size_t(positions[i])], field);
        ids[i] = rows[size_t(positions[i])].id;
        index[i] = int(i);
    }
    const auto less = [&](int a, int b) {
        return keys[size_t(a)] != keys[size_t(b)] ? keys[size_t(a)] < keys[size_t(b)]
                                                  : ids[size_t(a)] < ids[size_t(b)];
    };
    const size_t middle = onTwoThreads(count, [&](size_t first, size_t last) {
        std::sort(index.begin() + std::ptrdiff_t(first), index.begin() + std::ptrdiff_t(last),
                  less);
    });
    std::inplace_merge(index.begin(), index.begin() + std::ptrdiff_t(middle), index.end(), less);
    std::vector<int> sorted(count);
    for (size_t i = 0; i < count; ++i)
        sorted[i] = positions[size_t(index[i])];
    positions.swap(sorted);
}

// A title's key: its bytes, the first sixteen of them at hand as two numbers, where most
// comparisons end. The keys are sorted by value, so that a comparison seldom leaves the
// array being sorted; ties go by ID.
struct TextKey {
    std::array<quint64, 2> head;
    const char* bytes;
    quint32 size;
    int item; // the index of the text among those sorted
    qint64 id;
};

constexpr size_t headBytes = 16;

// The key's first bytes, zeros after its end, read high byte first.
std::array<quint64, 2> headOf(const std::string& key) {
    std::array<uchar, headBytes> bytes{};
    std::memcpy(bytes.data(), key.data(), std::min(key.size(), headBytes));
    return {qFromBigEndian<quint64>(bytes.data()), qFromBigEndian<quint64>(bytes.data() + 8)};
}

bool textLess(const TextKey& a, const TextKey& b) {
    if (a.head != b.head)
        return a.head < b.head;
    // With equal heads, a key no longer than the heads begins the other one, and goes
    // first as the shorter; longer keys go by their further bytes, then their length.
    if (a.size > headBytes && b.size > headBytes) {
        const quint32 common = std::min(a.size, b.size) - quint32(headBytes);
        const int order = std::memcmp(a.bytes + headBytes, b.bytes + headBytes, common);
        if (order != 0)
            return order < 0;
    }
    return a.size != b.size ? a.size < b.size : a.id < b.id;
}

// The keys' bytes, in blocks that never move once written, so that keys can point into
// them.
class KeyBytes final {
public:
    const char* store(const std::string& key) {
        if (m_blocks.empty() || m_used + key.size() > blockSize) {
            m_blocks.emplace_back(std::max(blockSize, key.size()));
            m_used = 0;
        }
        char* at = m_blocks.back().data() + m_used;
        std::memcpy(at, key.data(), key.size());
        m_used += key.size();
        return at;
    }

private:
    static constexpr size_t blockSize = size_t(1) << 20;
    std::vector<Scratch<char>> m_blocks;
    size_t m_used = 0;
};

// What a sort by text reads of the item at an index: its text and its ID.
using TextAt = std::function<const QString&(size_t)>;
using IdAt = std::function<qint64(size_t)>;

// Appends the key of a text; false when this way cannot make one.
using AppendKey = std::function<bool(const QString&, std::string&)>;

// How texts become keys whose bytes compare as the texts do: the quick way while every
// text allows it, otherwise the full way, which every text allows.
struct KeyMaker {
    AppendKey quick;
    AppendKey full;
};

// In the C locale, which has no collation of its own: the case-folded UTF-16 code units,
// high byte first, whose bytes compare as QString::compare compares the folded texts.
bool appendFoldedKey(const QString& text, std::string& key) {
    const QString folded = text.toCaseFolded();
    const size_t start = key.size();
    key.resize(start + 2 * size_t(folded.size()));
    for (qsizetype i = 0; i < folded.size(); ++i) {
        key[start + 2 * size_t(i)] = char(folded[i].unicode() >> 8);
        key[start + 2 * size_t(i) + 1] = char(folded[i].unicode() & 0xFF);
    }
    return true;
}

KeyMaker keyMakerFor(const std::shared_ptr<const TitleCollation>& collation) {
    if (!collation)
        return {appendFoldedKey, appendFoldedKey};
    return {[collation](const QString& text, std::string& key) {
                return collation->appendQuickKey(text, key);
            },
            [collation](const QString& text, std::string& key) {
                collation->appendSortKey(text, key);
                return true;
            }};
}

// The keys of the texts of items [first, last), made by append, into keys at the same
// places; false as soon as append fails.
bool makeTextKeys(size_t first, size_t last, const TextAt& textAt, const IdAt& idAt,
                  KeyBytes& bytes, TextKey* keys, const AppendKey& append) {
    std::string key;
    for (size_t item = first; item < last; ++item) {
        key.clear();
        if (!append(textAt(item), key))
            return false;
        keys[item] = {headOf(key), bytes.store(key), quint32(key.size()), int(item), idAt(item)};
    }
    return true;
}

// Sorted text keys of count items: a large count's two halves are made and sorted side by
// side, and merged at the end; what the merge hands on is each item's index.
class TextKeys final {
public:
    TextKeys(size_t count, const TextAt& textAt, const IdAt& idAt, const KeyMaker& maker);
    std::vector<int> sortedItems() const;

private:
    size_t m_count;
    Scratch<TextKey> m_keys;
    std::array<KeyBytes, 2> m_bytes;
    size_t m_middle = 0;
};

TextKeys::TextKeys(size_t count, const TextAt& textAt, const IdAt& idAt, const KeyMaker& maker)
    : m_count(count)
    , m_keys(count) {
    std::array<bool, 2> done{};
    m_middle = onTwoThreads(m_count, [&](size_t first, size_t last) {
        const size_t half = first == 0 ? 0 : 1;
        done[half] =
            makeTextKeys(first, last, textAt, idAt, m_bytes[half], m_keys.data(), maker.quick);
        if (done[half])
            std::sort(m_keys.data() + first, m_keys.data() + last, textLess);
    });
    if (done[0] && (done[1] || m_middle == m_count))
        return;
    // The two kinds of key do not compare with each other.
    m_bytes = {};
    m_middle = m_count;
    makeTextKeys(0, m_count, textAt, idAt, m_bytes[0], m_keys.data(), maker.full);
    std::sort(m_keys.data(), m_keys.data() + m_count, textLess);
}

std::vector<int> TextKeys::sortedItems() const {
    std::vector<int> sorted;
    sorted.reserve(m_count);
    const TextKey* first = m_keys.data();
    const TextKey* second = first + m_middle;
    const TextKey* const firstEnd = second;
    const TextKey* const secondEnd = first + m_count;
    while (first != firstEnd && second != secondEnd)
        sorted.push_back((textLess(*second, *first) ? second++ : first++)->item);
    for (; first != firstEnd; ++first)
        sorted.push_back(first->item);
    for (; second != secondEnd; ++second)
        sorted.push_back(second->item);
    return sorted;
}

} // namespace

// The rows in the order of one text field under one collation, as the last sort left them,
// with the ID and the text each row had then. A later sort reuses it: rows whose ID and
// text are unchanged keep their places among themselves, and only the others (posted,
// edited, read again differently) are sorted and merged in, each by a binary search.
//
// The order can also be prepared on a thread of its own from a copy of the rows' IDs and
// texts, so that a table read at start-up is ready for the first title sort. Every use
// of the memo waits for that thread first.
class TextOrderMemo final {
public:
    using SortRows = std::function<void(std::vector<int>&)>;
    using LessRows = std::function<bool(int, int)>;

    TextOrderMemo() = default;
    TextOrderMemo(const TextOrderMemo&) = delete;
    TextOrderMemo& operator=(const TextOrderMemo&) = delete;
    ~TextOrderMemo();

    // Puts wanted (indices into rows) into the order that sortRows makes and less tells.
    void sort(std::vector<int>& wanted, const std::vector<Record>& rows, int field,
              const std::shared_ptr<const TitleCollation>& collation, const SortRows& sortRows,
              const LessRows& less);
    // Starts making the order of rows by field on another thread, unless the memo knows
    // nearly all of it already.
    void prepare(const std::vector<Record>& rows, int field,
                 const std::shared_ptr<const TitleCollation>& collation);

private:
    // How a row stands in one sort.
    enum Mark : char { NotWanted, Kept, Stale };

    void forget(int field, const std::shared_ptr<const TitleCollation>& collation);
    void finishPreparing();
    bool knows(const Record& row, int index) const;
    bool knowsNearlyAll(const std::vector<Record>& rows) const;
    std::vector<int> merge(const std::vector<int>& stale, const std::vector<Mark>& marks,
                           const LessRows& less) const;
    void learn(const std::vector<int>& sorted, const std::vector<int>& stale,
               const std::vector<Mark>& marks, const std::vector<Record>& rows);

    int m_field = -1;
    std::shared_ptr<const TitleCollation> m_collation;
    std::vector<int> m_sorted;
    Scratch<qint64> m_ids;    // by row index; unknown for rows not in m_sorted
    Scratch<QString> m_texts; // by row index
    // While it runs, it alone uses the members above; it leaves its order in m_prepared,
    // or m_preparingFailed when it could not make one.
    std::thread m_preparing;
    std::vector<int> m_prepared;
    bool m_preparingFailed = false;
};

namespace {

constexpr qint64 unknownId = -1;

// More stale rows than one in this many, and sorting everything again is cheaper than
// putting each one in place.
constexpr size_t staleShare = 32;

bool sameText(const QString& a, const QString& b) {
    return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

} // namespace

TextOrderMemo::~TextOrderMemo() {
    finishPreparing();
}

void TextOrderMemo::forget(int field, const std::shared_ptr<const TitleCollation>& collation) {
    m_field = field;
    m_collation = collation;
    m_sorted.clear();
    m_ids.clear();
    m_texts.clear();
}

void TextOrderMemo::finishPreparing() {
    if (!m_preparing.joinable())
        return;
    m_preparing.join();
    if (m_preparingFailed)
        forget(-1, nullptr);
    else
        m_sorted = std::move(m_prepared);
    m_prepared = {};
    m_preparingFailed = false;
}

bool TextOrderMemo::knows(const Record& row, int index) const {
    return size_t(index) < m_ids.size() && m_ids[size_t(index)] == row.id &&
           sameText(m_texts[size_t(index)], textOf(row, m_field));
}

bool TextOrderMemo::knowsNearlyAll(const std::vector<Record>& rows) const {
    size_t unknown = 0;
    for (size_t row = 0; row < rows.size(); ++row)
        unknown += !knows(rows[row], int(row));
    return unknown * staleShare <= rows.size();
}

void TextOrderMemo::prepare(const std::vector<Record>& rows, int field,
                            const std::shared_ptr<const TitleCollation>& collation) {
    finishPreparing();
    if (field == m_field && collation == m_collation && knowsNearlyAll(rows))
        return;
    forget(field, collation);
    m_ids.reserve(rows.size());
    m_texts.reserve(rows.size());
    for (const Record& row : rows) {
        m_ids.push_back(row.id);
        m_texts.push_back(textOf(row, field));
    }
    m_preparing = std::thread([this] {
        try {
            m_prepared =
                TextKeys(
                    m_ids.size(), [this](size_t row) -> const QString& { return m_texts[row]; },
                    [this](size_t row) { return m_ids[row]; }, keyMakerFor(m_collation))
                    .sortedItems();
        } catch (...) {
            m_preparingFailed = true;
        }
    });
}

void TextOrderMemo::sort(std::vector<int>& wanted, const std::vector<Record>& rows, int field,
                         const std::shared_ptr<const TitleCollation>& collation,
                         const SortRows& sortRows, const LessRows& less) {
    finishPreparing();
    if (field != m_field || collation != m_collation)
        forget(field, collation);
    std::vector<Mark> marks(std::max(rows.size(), m_ids.size()), NotWanted);
    std::vector<int> stale;
    for (int row : wanted) {
        marks[size_t(row)] = knows(rows[size_t(row)], row) ? Kept : Stale;
        if (marks[size_t(row)] == Stale)
            stale.push_back(row);
    }
    if (stale.size() * staleShare > wanted.size()) {
        stale = wanted;
        for (int row : stale)
            marks[size_t(row)] = Stale;
    }
    sortRows(stale);
    std::vector<int> sorted = merge(stale, marks, less);
    learn(sorted, stale, marks, rows);
    wanted = std::move(sorted);
}

// The kept rows in their remembered order with the sorted stale ones put in between.
std::vector<int> TextOrderMemo::merge(const std::vector<int>& stale, const std::vector<Mark>& marks,
                                      const LessRows& less) const {
    std::vector<int> kept;
    kept.reserve(m_sorted.size());
    for (int row : m_sorted)
        if (marks[size_t(row)] == Kept)
            kept.push_back(row);
    std::vector<int> merged;
    merged.reserve(kept.size() + stale.size());
    auto from = kept.begin();
    for (int row : stale) {
        const auto at = std::upper_bound(from, kept.end(), row, less);
        merged.insert(merged.end(), from, at);
        merged.push_back(row);
        from = at;
    }
    merged.insert(merged.end(), from, kept.end());
    return merged;
}

void TextOrderMemo::learn(const std::vector<int>& sorted, const std::vector<int>& stale,
                          const std::vector<Mark>& marks, const std::vector<Record>& rows) {
    for (int row : m_sorted) {
        if (marks[size_t(row)] != Kept) {
            m_ids[size_t(row)] = unknownId;
            m_texts[size_t(row)] = QString();
        }
    }
    m_ids.resize(rows.size(), unknownId);
    m_texts.resize(rows.size());
    for (int row : stale) {
        m_ids[size_t(row)] = rows[size_t(row)].id;
        m_texts[size_t(row)] = textOf(rows[size_t(row)], m_field);
    }
    m_sorted = sorted;
}

RowOrder::RowOrder(QList<int> fields)
    : m_fields(std::move(fields))
    , m_collation(TitleCollation::forLocale(UserLocale::get()))
    , m_memo(std::make_shared<TextOrderMemo>()) {}

void RowOrder::prepare(const std::vector<Record>& rows) {
    m_memo->prepare(rows, F_Plan, m_collation);
}

RowOrder RowOrder::withFields(QList<int> fields) const {
    RowOrder order(std::move(fields));
    order.m_memo = m_memo;
    return order;
}

FieldMask RowOrder::fields() const {
    FieldMask mask = 0;
    for (int field : m_fields)
        mask |= fieldBit(field);
    return mask;
}

bool RowOrder::less(const Record& a, const Record& b) const {
    for (int field : m_fields) {
        const int order = compareField(field, a, b);
        if (order != 0)
            return order < 0;
    }
    return a.id < b.id;
}

void RowOrder::sort(std::vector<int>& positions, const std::vector<Record>& rows) const {
    if (m_fields.size() > 1) {
        std::sort(positions.begin(), positions.end(),
                  [&](int a, int b) { return less(rows[size_t(a)], rows[size_t(b)]); });
        return;
    }
    const int field = m_fields.isEmpty() ? int(F_ID) : m_fields.front();
    if (isText(field))
        sortByText(positions, rows, field);
    else
        sortByNumbers(positions, rows, field);
}

void RowOrder::sortByText(std::vector<int>& positions, const std::vector<Record>& rows,
                          int field) const {
    m_memo->sort(
        positions, rows, field, m_collation,
        [&](std::vector<int>& stale) { sortByTextKeys(stale, rows, field); },
        [&](int a, int b) { return less(rows[size_t(a)], rows[size_t(b)]); });
}

void RowOrder::sortByTextKeys(std::vector<int>& positions, const std::vector<Record>& rows,
                              int field) const {
    const auto rowAt = [&](size_t item) -> const Record& { return rows[size_t(positions[item])]; };
    std::vector<int> sorted =
        TextKeys(
            positions.size(),
            [&](size_t item) -> const QString& { return textOf(rowAt(item), field); },
            [&](size_t item) { return rowAt(item).id; }, keyMakerFor(m_collation))
            .sortedItems();
    for (int& item : sorted)
        item = positions[size_t(item)];
    positions.swap(sorted);
}

int RowOrder::compareField(int field, const Record& a, const Record& b) const {
    if (isText(field))
        return compareText(textOf(a, field), textOf(b, field));
    return compareValues(numberOf(a, field), numberOf(b, field));
}

int RowOrder::compareText(const QString& a, const QString& b) const {
    // The same folding as the keys of sortByText, so both agree on every pair.
    if (!m_collation)
        return QString::compare(a.toCaseFolded(), b.toCaseFolded());
    return m_collation->compare(a, b);
}
