#include "store/RowOrder.h"

#include "store/Collation.h"
#include "store/Fields.h"
#include "toolkit/UserLocale.h"

#include <QtConcurrent>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <utility>

namespace {

// What a sort compares of a row: its rank in the last sort, while its key is unchanged;
// otherwise the first bytes of its key, where most comparisons end, and where the rest
// lies. A number sorts as a key of eight bytes.
struct KeyItem {
    quint64 head;
    qint64 id;
    quint32 at;
    quint32 size;
    int rank;
    int row;
};

constexpr quint32 headBytes = 8;

// By key, then by ID; bytes holds the keys.
void sortItems(std::vector<KeyItem>& items, const char* bytes) {
    std::sort(items.begin(), items.end(), [bytes](const KeyItem& a, const KeyItem& b) {
        if (a.rank >= 0 && b.rank >= 0)
            return a.rank < b.rank;
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
    });
}

// A title's sort key as made for a row, with the row's ID and the title it was made from,
// so that it is made again only when they change.
struct MadeKey {
    qint64 id = std::numeric_limits<qint64>::min(); // none: no key made
    QString text;
    quint32 at = 0; // in TextKeys::bytes
    quint32 size = 0;
    // In the last sort, which ranked every row then live; -1 for a key made since.
    int rank = -1;
};

// The title keys by row index, their bytes in one block, made under one locale's collation.
struct TextKeys {
    std::vector<MadeKey> made;
    std::string bytes;
    QString locale;

    void make(MadeKey& key, const Collation& collation) {
        if (bytes.empty()) // pages reserved but never written take no memory
            bytes.reserve(made.size() * 64);
        key.at = quint32(bytes.size());
        collation.appendKey(key.text, bytes);
        key.size = quint32(bytes.size() - key.at);
        key.rank = -1;
    }
    // The item of row, with its key made now unless it is held already.
    KeyItem item(int row, qint64 id, const QString& text, const Collation& collation) {
        MadeKey& key = made[size_t(row)];
        if (key.id != id || key.text != text) {
            std::tie(key.id, key.text) = std::tie(id, text);
            make(key, collation);
        }
        quint64 head = 0; // high byte first, zeros past the key's end
        for (quint32 i = 0; i < headBytes; ++i)
            head = head << 8 | (i < key.size ? uchar(bytes[key.at + i]) : 0);
        return {head, id, key.at, key.size, key.rank, row};
    }
};

// Sorts the items of rows by their keys and ranks the rows in that order; rows without an
// item lose their rank.
void sortAndRank(TextKeys& keys, std::vector<KeyItem>& items) {
    sortItems(items, keys.bytes.data());
    for (MadeKey& key : keys.made)
        key.rank = -1;
    for (size_t i = 0; i < items.size(); ++i)
        keys.made[size_t(items[i].row)].rank = int(i);
}

// The keys of rows (IDs ascending, as the rows are read) under collation, taking over
// known's where ID and text are unchanged, and ranked: the first sort by title after the
// rows were read then compares ranks only.
TextKeys takeOver(TextKeys known, std::vector<MadeKey> rows, const Collation& collation) {
    // Keys of titles changed or gone stay behind in the block; once they outweigh the
    // rest, every key is made anew.
    size_t live = 0;
    for (const MadeKey& key : known.made)
        live += key.size;
    if (known.bytes.size() > 2 * live)
        known = TextKeys();
    TextKeys keys{std::move(rows), std::move(known.bytes), collation.name()};
    auto was = known.made.begin();
    for (MadeKey& key : keys.made) {
        while (was != known.made.end() && was->id < key.id)
            ++was;
        if (was != known.made.end() && was->id == key.id && was->text == key.text)
            std::tie(key.at, key.size, key.rank) = std::tie(was->at, was->size, was->rank);
        else
            keys.make(key, collation);
    }
    std::vector<KeyItem> items;
    items.reserve(keys.made.size());
    for (size_t row = 0; row < keys.made.size(); ++row)
        items.push_back(keys.item(int(row), keys.made[row].id, keys.made[row].text, collation));
    sortAndRank(keys, items);
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

// The title keys the orders made withFields share. They are made on another thread when
// the rows are read; under() waits for that thread before any use. The thread works on
// copies of its own, so it may outlive the table.
struct TitleKeys {
    TextKeys made;
    QFuture<TextKeys> making;

    // The keys made so far under collation.
    TextKeys& under(const Collation& collation) {
        if (making.isValid())
            made = making.takeResult();
        if (made.locale != collation.name())
            made = TextKeys{{}, {}, collation.name()};
        return made;
    }
};

RowOrder::RowOrder(QList<int> fields)
    : m_fields(std::move(fields))
    , m_collation(std::make_shared<const Collation>(UserLocale::get()))
    , m_titleKeys(std::make_shared<TitleKeys>()) {}

RowOrder RowOrder::withFields(QList<int> fields) const {
    RowOrder order(std::move(fields));
    order.m_titleKeys = m_titleKeys;
    return order;
}

void RowOrder::prepare(const std::vector<Record>& rows) {
    TextKeys known = std::exchange(m_titleKeys->under(*m_collation), TextKeys());
    std::vector<MadeKey> titles(rows.size());
    for (size_t row = 0; row < rows.size(); ++row)
        std::tie(titles[row].id, titles[row].text) = std::tie(rows[row].id, rows[row].plan);
    m_titleKeys->making = QtConcurrent::run(
        [known = std::move(known), titles = std::move(titles), collation = m_collation]() mutable {
            try {
                return takeOver(std::move(known), std::move(titles), *collation);
            } catch (...) {
                return TextKeys(); // the next sort by title makes the keys on its own thread
            }
        });
}

bool RowOrder::less(const Record& a, const Record& b) const {
    for (int field : m_fields) {
        const int order = compareField(field, a, b);
        if (order != 0)
            return order < 0;
    }
    return a.id < b.id;
}

// Titles by their kept keys, numbers as keys; comments, which the grid never sorts by,
// pair by pair.
void RowOrder::sort(std::vector<int>& positions, const std::vector<Record>& rows) const {
    const int field = m_fields.isEmpty() ? int(F_ID) : m_fields.front();
    if (m_fields.size() > 1 || field == F_Comments) {
        std::sort(positions.begin(), positions.end(),
                  [&](int a, int b) { return less(rows[size_t(a)], rows[size_t(b)]); });
        return;
    }
    std::vector<KeyItem> items;
    items.reserve(positions.size());
    if (field == F_Plan) {
        TextKeys& keys = m_titleKeys->under(*m_collation);
        keys.made.resize(std::max(keys.made.size(), rows.size()));
        for (int row : positions)
            items.push_back(
                keys.item(row, rows[size_t(row)].id, rows[size_t(row)].plan, *m_collation));
        sortAndRank(keys, items);
    } else {
        for (int row : positions) {
            // The sign bit flipped: negative numbers first, as bytes compare.
            const quint64 head = quint64(numberOf(rows[size_t(row)], field)) ^ (quint64(1) << 63);
            items.push_back({head, rows[size_t(row)].id, 0, 0, -1, row});
        }
        sortItems(items, nullptr);
    }
    for (size_t i = 0; i < items.size(); ++i)
        positions[i] = items[i].row;
}

int RowOrder::compareField(int field, const Record& a, const Record& b) const {
    if (field == F_Plan || field == F_Comments)
        return field == F_Plan ? m_collation->compare(a.plan, b.plan)
                               : m_collation->compare(a.comments, b.comments);
    return (numberOf(a, field) > numberOf(b, field)) - (numberOf(a, field) < numberOf(b, field));
}
