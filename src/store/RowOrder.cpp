#include "store/RowOrder.h"

#include "store/Collation.h"
#include "store/Fields.h"
#include "store/RowStore.h"
#include "toolkit/UserLocale.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace {

// What a sort compares of a row: the first bytes of its key, where most comparisons end,
// and where the rest lies. A number sorts as a key of eight bytes.
struct KeyItem {
    quint64 head;
    qint64 id;
    quint32 at;
    quint32 size;
    int row;
};

constexpr quint32 headBytes = 8;

// By key, then by ID; bytes holds the keys.
auto itemLess(const char* bytes) {
    return [bytes](const KeyItem& a, const KeyItem& b) {
        if (a.head != b.head)
            return a.head < b.head;
        const quint32 common = std::min(a.size, b.size);
        const int order = common <= headBytes
                              ? 0
                              : std::memcmp(bytes + a.at + headBytes, bytes + b.at + headBytes,
                                            common - headBytes);
        if (order != 0)
            return order < 0;
        return a.size != b.size ? a.size < b.size : a.id < b.id;
    };
}

void sortItems(std::vector<KeyItem>& items, const char* bytes) {
    std::sort(items.begin(), items.end(), itemLess(bytes));
}

// The high byte first, zeros past the key's end.
quint64 headOf(const std::string& bytes, quint32 at, quint32 size) {
    quint64 head = 0;
    for (quint32 i = 0; i < headBytes; ++i)
        head = head << 8 | (i < size ? uchar(bytes[at + i]) : 0);
    return head;
}

void putInOrder(std::vector<int>& positions, const std::vector<KeyItem>& items) {
    for (size_t i = 0; i < items.size(); ++i)
        positions[i] = items[i].row;
}

// A sort by title that leaves more titles than this share without a rank sorts them all by
// their keys again.
constexpr size_t fewUnranked = 8;

} // namespace

RowOrder::RowOrder(QList<int> fields)
    : m_fields(std::move(fields))
    , m_collation(std::make_shared<const Collation>(UserLocale::get())) {}

bool RowOrder::less(const RowStore& rows, int a, int b) const {
    for (int field : m_fields) {
        const int order = compareField(field, rows, a, b);
        if (order != 0)
            return order < 0;
    }
    return rows.id(a) < rows.id(b);
}

// Titles by their ranks or keys, numbers as keys; comments, which the grid never sorts by,
// and several fields, pair by pair.
void RowOrder::sort(std::vector<int>& positions, RowStore& rows) const {
    const int field = m_fields.isEmpty() ? int(F_ID) : m_fields.front();
    if (m_fields.size() > 1 || field == F_Comments) {
        std::sort(positions.begin(), positions.end(),
                  [&](int a, int b) { return less(rows, a, b); });
        return;
    }
    if (field == F_Plan) {
        sortByTitle(positions, rows);
        return;
    }
    std::vector<KeyItem> items;
    items.reserve(positions.size());
    for (int row : positions) {
        // The sign bit flipped: negative numbers first, as bytes compare.
        const quint64 head = quint64(rows.number(row, field)) ^ (quint64(1) << 63);
        items.push_back({head, rows.id(row), 0, 0, row});
    }
    // Rows read again stand in ID order already.
    if (!std::is_sorted(items.begin(), items.end(), itemLess(nullptr))) {
        sortItems(items, nullptr);
        putInOrder(positions, items);
    }
}

void RowOrder::rankTitles(std::vector<int>& positions, RowStore& rows) const {
    std::string bytes;
    bytes.reserve(positions.size() * 48);
    std::vector<KeyItem> items;
    items.reserve(positions.size());
    for (int row : positions) {
        const auto at = quint32(bytes.size());
        m_collation->appendKey(QString::fromUtf8(rows.plan(row)), bytes);
        const auto size = quint32(bytes.size() - at);
        items.push_back({headOf(bytes, at, size), rows.id(row), at, size, row});
    }
    sortItems(items, bytes.data());
    putInOrder(positions, items);
    rows.setRanksMadeUnder(m_collation->name());
    for (int row = 0; row < rows.size(); ++row)
        rows.setRank(row, -1);
    for (size_t i = 0; i < positions.size(); ++i)
        rows.setRank(positions[i], int(i));
}

// The ranked rows go where their ranks put them; the others, sorted among themselves, are
// merged in, each finding its place by a binary search among the ranked. Then every row is
// ranked by its new place.
void RowOrder::sortByTitle(std::vector<int>& positions, RowStore& rows) const {
    std::vector<int> unranked;
    std::vector<int> byRank;
    for (int row : positions) {
        if (!ranked(rows, row)) {
            unranked.push_back(row);
            continue;
        }
        byRank.resize(std::max(byRank.size(), size_t(rows.rank(row)) + 1), -1);
        byRank[size_t(rows.rank(row))] = row;
    }
    if (unranked.size() * fewUnranked > positions.size()) {
        rankTitles(positions, rows);
        return;
    }
    byRank.erase(std::remove(byRank.begin(), byRank.end(), -1), byRank.end());
    const auto titleLess = [&](int a, int b) {
        const int order = compareTitles(rows, a, b);
        return order != 0 ? order < 0 : rows.id(a) < rows.id(b);
    };
    std::sort(unranked.begin(), unranked.end(), titleLess);
    positions.clear();
    auto from = byRank.cbegin();
    for (int row : unranked) {
        const auto to = std::upper_bound(from, byRank.cend(), row, titleLess);
        positions.insert(positions.end(), from, to);
        positions.push_back(row);
        from = to;
    }
    positions.insert(positions.end(), from, byRank.cend());
    for (size_t i = 0; i < positions.size(); ++i)
        rows.setRank(positions[i], int(i));
}

bool RowOrder::ranksAll(const std::vector<int>& positions, const RowStore& rows) const {
    return std::all_of(positions.begin(), positions.end(),
                       [&](int row) { return ranked(rows, row); });
}

bool RowOrder::ranked(const RowStore& rows, int row) const {
    return rows.rank(row) >= 0 && rows.ranksMadeUnder() == m_collation->name();
}

int RowOrder::compareTitles(const RowStore& rows, int a, int b) const {
    if (ranked(rows, a) && ranked(rows, b))
        return (rows.rank(a) > rows.rank(b)) - (rows.rank(a) < rows.rank(b));
    return m_collation->compare(QString::fromUtf8(rows.plan(a)), QString::fromUtf8(rows.plan(b)));
}

int RowOrder::compareField(int field, const RowStore& rows, int a, int b) const {
    if (field == F_Plan)
        return compareTitles(rows, a, b);
    if (field == F_Comments)
        return m_collation->compare(rows.value(a, F_Comments, {}).toString(),
                                    rows.value(b, F_Comments, {}).toString());
    const qint64 x = rows.number(a, field);
    const qint64 y = rows.number(b, field);
    return (x > y) - (x < y);
}
