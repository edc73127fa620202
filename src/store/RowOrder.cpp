#include "store/RowOrder.h"

#include "store/TTable.h"

#include <algorithm>
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

int compareKeys(const QCollatorSortKey& a, const QCollatorSortKey& b) {
    return a.compare(b);
}
int compareKeys(const QString& a, const QString& b) {
    return QString::compare(a, b);
}
int compareKeys(qint64 a, qint64 b) {
    return compareValues(a, b);
}

// From this many rows on, keys are made and sorted on two threads.
constexpr size_t twoThreadsFrom = 20000;

// Sorts first half and second half side by side, then merges them.
template <class Less> void sortOnTwoThreads(std::vector<int>& index, Less less) {
    const auto middle = index.begin() + std::ptrdiff_t(index.size() / 2);
    std::thread worker([&] { std::sort(index.begin(), middle, less); });
    std::sort(middle, index.end(), less);
    worker.join();
    std::inplace_merge(index.begin(), middle, index.end(), less);
}

// Sorts through an index so that the keys never move: a collation key is a shared
// pointer whose copies cost atomic operations. A row compared through its precomputed
// key costs a byte comparison instead of a collation, which is what makes sorting
// 100,000 titles fast enough. Ties go by ID, from an array of their own.
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
std::vector<Key> keysOf(const int* first, const int* last, const std::vector<Record>& rows,
                        MakeKey makeKey) {
    std::vector<Key> keys;
    keys.reserve(size_t(last - first));
    for (const int* row = first; row != last; ++row)
        keys.push_back(makeKey(rows[size_t(*row)]));
    return keys;
}

template <class Key, class MakeKey>
std::vector<Key> keysOf(const std::vector<int>& positions, const std::vector<Record>& rows,
                        MakeKey makeKey) {
    return keysOf<Key>(positions.data(), positions.data() + positions.size(), rows, makeKey);
}

// A collation key costs about a microsecond, so a large table makes its second half on
// another thread, with a collator of its own.
std::vector<QCollatorSortKey> collationKeys(const std::vector<int>& positions,
                                            const std::vector<Record>& rows, int field,
                                            const QCollator& collator) {
    const auto keyWith = [field](const QCollator& used) {
        return [&used, field](const Record& row) { return used.sortKey(textOf(row, field)); };
    };
    const int* first = positions.data();
    const int* last = first + positions.size();
    if (positions.size() < twoThreadsFrom)
        return keysOf<QCollatorSortKey>(first, last, rows, keyWith(collator));
    const int* middle = first + positions.size() / 2;
    std::vector<QCollatorSortKey> secondHalf;
    std::thread worker([&] {
        QCollator own(collator.locale());
        own.setCaseSensitivity(collator.caseSensitivity());
        secondHalf = keysOf<QCollatorSortKey>(middle, last, rows, keyWith(own));
    });
    std::vector<QCollatorSortKey> keys =
        keysOf<QCollatorSortKey>(first, middle, rows, keyWith(collator));
    worker.join();
    keys.insert(keys.end(), secondHalf.begin(), secondHalf.end());
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

RowOrder::RowOrder(QList<int> fields)
    : m_fields(std::move(fields))
    , m_codePoints(m_collator.locale().language() == QLocale::C) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
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
    if (m_codePoints)
        sortByKeys(positions, rows, keysOf<QString>(positions, rows, [field](const Record& row) {
                       return textOf(row, field).toCaseFolded();
                   }));
    else
        sortByKeys(positions, rows, collationKeys(positions, rows, field, m_collator));
}

int RowOrder::compareField(int field, const Record& a, const Record& b) const {
    if (isText(field))
        return compareText(textOf(a, field), textOf(b, field));
    return compareValues(numberOf(a, field), numberOf(b, field));
}

int RowOrder::compareText(const QString& a, const QString& b) const {
    // The same folding as the keys of sortByText, so both agree on every pair.
    if (m_codePoints)
        return QString::compare(a.toCaseFolded(), b.toCaseFolded());
    return m_collator.compare(a, b);
}
