#include "store/RowOrder.h"

#include "store/TTable.h"
#include "toolkit/UserLocale.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>

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

int compareKeys(const QString& a, const QString& b) {
    return QString::compare(a, b);
}
int compareKeys(qint64 a, qint64 b) {
    return compareValues(a, b);
}

// From this many rows on, keys are sorted on two threads.
constexpr size_t twoThreadsFrom = 20000;

// Sorts first half and second half side by side, then merges them.
template <class Item, class Less> void sortOnTwoThreads(std::vector<Item>& index, Less less) {
    const auto middle = index.begin() + std::ptrdiff_t(index.size() / 2);
    std::thread worker([&] { std::sort(index.begin(), middle, less); });
    std::sort(middle, index.end(), less);
    worker.join();
    std::inplace_merge(index.begin(), middle, index.end(), less);
}

// Sorts through an index so that the keys never move. A row compared through its
// precomputed key costs a number or byte comparison instead of a collation, which is what
// makes sorting 100,000 titles fast enough. Ties go by ID, from an array of their own.
template <class Key>
void sortByKeys(std::vector<int>& positions, const std::vector<Record>& rows,
                const std::vector<Key>& keys) {
    const size_t count = positions.size();
    std::vector<qint64> ids(count);
    std::vector<int> index(count);
    for (size_t i = 0; i < count; ++i) {
        ids[i] = rows[size_t(positions[i])].id;
        index[i] = int(i);
    }
    const auto less = [&](int a, int b) {
        const int order = compareKeys(keys[size_t(a)], keys[size_t(b)]);
        return order != 0 ? order < 0 : ids[size_t(a)] < ids[size_t(b)];
    };
    if (count >= twoThreadsFrom)
        sortOnTwoThreads(index, less);
    else
        std::sort(index.begin(), index.end(), less);
    std::vector<int> sorted(count);
    for (size_t i = 0; i < count; ++i)
        sorted[i] = positions[size_t(index[i])];
    positions.swap(sorted);
}

template <class Key, class MakeKey>
std::vector<Key> keysOf(const std::vector<int>& positions, const std::vector<Record>& rows,
                        MakeKey makeKey) {
    std::vector<Key> keys;
    keys.reserve(positions.size());
    for (int row : positions)
        keys.push_back(makeKey(rows[size_t(row)]));
    return keys;
}

// A title's key: its bytes in the shared buffer, the first sixteen of them at hand as two
// numbers, where most comparisons end. The keys are sorted by value, so that a comparison
// seldom leaves the array being sorted; ties go by ID.
struct TextKey {
    std::array<quint64, 2> head;
    quint32 offset;
    quint32 size;
    qint64 id;
    int position; // in the positions being sorted
};

constexpr size_t headBytes = 16;

bool textLess(const TextKey& a, const TextKey& b, const char* bytes) {
    if (a.head != b.head)
        return a.head < b.head;
    // Keys hold no zero byte, so equal heads mean both keys are longer than the heads, or
    // both are equal.
    if (a.size > headBytes && b.size > headBytes) {
        const quint32 common = std::min(a.size, b.size) - quint32(headBytes);
        const int order =
            std::memcmp(bytes + a.offset + headBytes, bytes + b.offset + headBytes, common);
        if (order != 0)
            return order < 0;
    }
    return a.size != b.size ? a.size < b.size : a.id < b.id;
}

// Appends the keys of the titles of positions [first, last), made by append, to bytes
// and keys; false as soon as append fails.
template <class Append>
bool makeTextKeys(const std::vector<int>& positions, size_t first, size_t last,
                  const std::vector<Record>& rows, int field, std::string& bytes,
                  std::vector<TextKey>& keys, Append append) {
    keys.reserve(keys.size() + last - first);
    for (size_t position = first; position < last; ++position) {
        const Record& row = rows[size_t(positions[position])];
        const size_t offset = bytes.size();
        if (!append(textOf(row, field), bytes))
            return false;
        keys.push_back(
            {{}, quint32(offset), quint32(bytes.size() - offset), row.id, int(position)});
    }
    return true;
}

void fillHeads(std::vector<TextKey>& keys, const std::string& bytes) {
    for (TextKey& key : keys)
        for (size_t byte = 0; byte < headBytes; ++byte)
            key.head[byte / 8] = (key.head[byte / 8] << 8) |
                                 (byte < key.size ? quint8(bytes[key.offset + byte]) : 0u);
}

// The quick keys of the titles when every title has one, a large table's second half made
// on another thread; otherwise the collator's own sort keys, slower to make. The two
// kinds do not compare with each other.
std::vector<TextKey> textKeys(const std::vector<int>& positions, const std::vector<Record>& rows,
                              int field, const TitleCollation& collation, std::string& bytes) {
    const auto quick = [&collation](const QString& text, std::string& key) {
        return collation.appendQuickKey(text, key);
    };
    const size_t count = positions.size();
    const size_t middle = count < twoThreadsFrom ? count : count / 2;
    std::vector<TextKey> keys;
    std::vector<TextKey> secondHalf;
    std::string secondBytes;
    bool secondDone = true;
    std::thread worker([&] {
        secondDone =
            makeTextKeys(positions, middle, count, rows, field, secondBytes, secondHalf, quick);
    });
    const bool firstDone = makeTextKeys(positions, 0, middle, rows, field, bytes, keys, quick);
    worker.join();
    if (firstDone && secondDone) {
        for (TextKey& key : secondHalf)
            key.offset += quint32(bytes.size());
        bytes += secondBytes;
        keys.insert(keys.end(), secondHalf.begin(), secondHalf.end());
    } else {
        keys.clear();
        bytes.clear();
        makeTextKeys(positions, 0, count, rows, field, bytes, keys,
                     [&collation](const QString& text, std::string& key) {
                         collation.appendSortKey(text, key);
                         return true;
                     });
    }
    fillHeads(keys, bytes);
    return keys;
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

} // namespace

// The rows in the order of one text field under one collation, as the last sort left them,
// with the ID and the text each row had then. A later sort reuses it: rows whose ID and
// text are unchanged keep their places among themselves, and only the others (posted,
// edited, read again differently) are sorted and merged in, each by a binary search.
class TextOrderMemo final {
public:
    using SortRows = std::function<void(std::vector<int>&)>;
    using LessRows = std::function<bool(int, int)>;

    // Puts wanted (indices into rows) into the order that sortRows makes and less tells.
    void sort(std::vector<int>& wanted, const std::vector<Record>& rows, int field,
              const std::shared_ptr<const TitleCollation>& collation, const SortRows& sortRows,
              const LessRows& less);

private:
    // How a row stands in one sort.
    enum Mark : char { NotWanted, Kept, Stale };

    bool knows(const Record& row, int index) const;
    std::vector<int> merge(const std::vector<int>& stale, const std::vector<Mark>& marks,
                           const LessRows& less) const;
    void learn(const std::vector<int>& sorted, const std::vector<int>& stale,
               const std::vector<Mark>& marks, const std::vector<Record>& rows);

    int m_field = -1;
    std::shared_ptr<const TitleCollation> m_collation;
    std::vector<int> m_sorted;
    std::vector<qint64> m_ids;    // by row index; unknown for rows not in m_sorted
    std::vector<QString> m_texts; // by row index
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

bool TextOrderMemo::knows(const Record& row, int index) const {
    return size_t(index) < m_ids.size() && m_ids[size_t(index)] == row.id &&
           sameText(m_texts[size_t(index)], textOf(row, m_field));
}

void TextOrderMemo::sort(std::vector<int>& wanted, const std::vector<Record>& rows, int field,
                         const std::shared_ptr<const TitleCollation>& collation,
                         const SortRows& sortRows, const LessRows& less) {
    if (field != m_field || collation != m_collation) {
        *this = TextOrderMemo();
        m_field = field;
        m_collation = collation;
    }
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
        sortByKeys(positions, rows, keysOf<qint64>(positions, rows, [field](const Record& row) {
                       return numberOf(row, field);
                   }));
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
    if (!m_collation) {
        sortByKeys(positions, rows, keysOf<QString>(positions, rows, [field](const Record& row) {
                       return textOf(row, field).toCaseFolded();
                   }));
        return;
    }
    std::string bytes;
    std::vector<TextKey> keys = textKeys(positions, rows, field, *m_collation, bytes);
    const auto less = [&bytes](const TextKey& a, const TextKey& b) {
        return textLess(a, b, bytes.data());
    };
    if (keys.size() >= twoThreadsFrom)
        sortOnTwoThreads(keys, less);
    else
        std::sort(keys.begin(), keys.end(), less);
    std::vector<int> sorted(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        sorted[i] = positions[size_t(keys[i].position)];
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
