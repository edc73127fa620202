#include "store/RowStore.h"

#include "store/Fields.h"
#include "store/StoredValues.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <sqlite3.h>

// Texts one after the other, each after its length (seven bits a byte, the last byte's top
// bit clear), in chunks of a megabyte that are never moved: a text's place stays valid as
// the block grows, growing copies nothing, and a chunk's pages take memory only once
// written. A text longer than a chunk gets one of its own. A place is the chunk's number
// above the offset's 20 bits.
class RowStore::Texts {
public:
    static constexpr quint32 None = ~0u;

    quint32 add(QByteArrayView text) {
        if (text.isNull())
            return None;
        char length[5];
        int lengthSize = 0;
        for (auto rest = quint32(text.size()); lengthSize == 0 || rest != 0; rest >>= 7)
            length[lengthSize++] = char((rest & 0x7F) | (rest > 0x7F ? 0x80 : 0));
        const size_t need = size_t(lengthSize) + size_t(text.size());
        char* at = room(need);
        std::memcpy(at, length, size_t(lengthSize));
        if (!text.isEmpty())
            std::memcpy(at + lengthSize, text.data(), size_t(text.size()));
        m_stored += need;
        return quint32((m_chunks.size() - 1) << offsetBits | (at - m_chunks.back().get()));
    }

    QByteArrayView at(quint32 place) const {
        if (place == None)
            return {};
        const char* at = m_chunks[place >> offsetBits].get() + (place & (chunkSize - 1));
        quint32 size = 0;
        for (int shift = 0;; shift += 7) {
            const auto byte = uchar(*at++);
            size |= quint32(byte & 0x7F) << shift;
            if (byte < 0x80)
                break;
        }
        return {at, qsizetype(size)};
    }

    size_t stored() const { return m_stored; }

private:
    static constexpr int offsetBits = 20;
    static constexpr size_t chunkSize = size_t(1) << offsetBits;
    static constexpr size_t maxChunks = size_t(1) << (32 - offsetBits);

    char* room(size_t need) {
        if (m_chunks.empty() || m_used + need > chunkSize) {
            if (m_chunks.size() == maxChunks - 1) // the last place is None
                throw std::bad_alloc();
            m_chunks.emplace_back(new char[std::max(need, chunkSize)]);
            m_used = 0;
        }
        char* at = m_chunks.back().get() + m_used;
        m_used += need;
        return at;
    }

    std::vector<std::unique_ptr<char[]>> m_chunks;
    size_t m_used = 0;   // in the last chunk; past its end for a text of its own
    size_t m_stored = 0; // in every chunk, texts no row holds any more included
};

namespace {

QByteArrayView columnText(sqlite3_stmt* select, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(select, column)) : QByteArrayView();
}

Stamp columnStamp(sqlite3_stmt* select, int column) {
    const QByteArrayView text = columnText(select, column);
    return text.isNull() ? NoStamp : Stamps::parse(text.data(), int(text.size()));
}

QString toString(QByteArrayView text) {
    return text.isNull() ? QString() : QString::fromUtf8(text);
}

} // namespace

RowStore::RowStore()
    : m_texts(std::make_unique<Texts>()) {}

RowStore::~RowStore() = default;
RowStore::RowStore(RowStore&&) noexcept = default;
RowStore& RowStore::operator=(RowStore&&) noexcept = default;

QByteArrayView RowStore::plan(int row) const {
    return m_texts->at(m_slots[size_t(row)].plan);
}

QVariant RowStore::value(int row, int field, const LocalTimes& times) const {
    const Slot& slot = m_slots[size_t(row)];
    if (field == F_Plan || field == F_Comments) {
        const QByteArrayView text = m_texts->at(field == F_Plan ? slot.plan : slot.comments);
        return text.isNull() ? QVariant() : QVariant(QString::fromUtf8(text));
    }
    Record numbers;
    numbers.reminder = slot.reminder;
    numbers.date = slot.date;
    numbers.id = slot.id;
    numbers.completed = slot.completed;
    return numbers.value(field, times);
}

qint64 RowStore::number(int row, int field) const {
    const Slot& slot = m_slots[size_t(row)];
    switch (field) {
    case F_Reminder:
        return slot.reminder;
    case F_Date:
        return slot.date;
    case F_Completed:
        return slot.completed > 0;
    case F_ID:
        return slot.id;
    default:
        return 0;
    }
}

Record RowStore::record(int row) const {
    const Slot& slot = m_slots[size_t(row)];
    Record record;
    record.reminder = slot.reminder;
    record.date = slot.date;
    record.plan = toString(m_texts->at(slot.plan));
    record.id = slot.id;
    record.comments = toString(m_texts->at(slot.comments));
    record.completed = slot.completed;
    if (slot.odd)
        record.stored = m_odd.value(row);
    return record;
}

int RowStore::find(qint64 id) const {
    const auto found = std::lower_bound(m_slots.begin(), m_slots.end(), id,
                                        [](const Slot& slot, qint64 key) { return slot.id < key; });
    return found != m_slots.end() && found->id == id ? int(found - m_slots.begin()) : -1;
}

// Each column is read once. A row with forms of its own keeps them as they are first
// (StoredValues), then is read as the program reads any value: the typed reads may convert a
// column's value in the statement.
RowStore::Slot RowStore::decode(sqlite3_stmt* select, std::shared_ptr<const StoredValues>* odd) {
    const RowRead read(select);
    Slot slot;
    slot.id = read.number[F_ID];
    if (read.allAsWritten()) {
        slot.reminder = read.reminder;
        slot.date = read.date;
        slot.completed =
            read.type[F_Completed] == SQLITE_NULL ? -1 : qint8(read.number[F_Completed]);
        slot.plan = m_texts->add(read.text[F_Plan]);
        slot.comments = m_texts->add(read.text[F_Comments]);
        return slot;
    }
    *odd = StoredValues::read(select, read);
    slot.odd = true;
    slot.reminder = columnStamp(select, F_Reminder);
    slot.date = columnStamp(select, F_Date);
    if (read.type[F_Completed] != SQLITE_NULL)
        slot.completed = sqlite3_column_int64(select, F_Completed) != 0 ? 1 : 0;
    slot.plan = m_texts->add(columnText(select, F_Plan));
    slot.comments = m_texts->add(columnText(select, F_Comments));
    return slot;
}

void RowStore::append(sqlite3_stmt* select) {
    std::shared_ptr<const StoredValues> odd;
    m_slots.push_back(decode(select, &odd));
    if (odd)
        m_odd.insert(size() - 1, std::move(odd));
}

void RowStore::append(const Record& row) {
    m_slots.emplace_back();
    assign(size() - 1, row, ~FieldMask(0));
}

void RowStore::assign(int row, const Record& values, FieldMask fields) {
    Slot& slot = m_slots[size_t(row)];
    const auto has = [fields](int field) { return (fields & fieldBit(field)) != 0; };
    slot.reminder = has(F_Reminder) ? values.reminder : slot.reminder;
    slot.date = has(F_Date) ? values.date : slot.date;
    slot.id = values.id;
    slot.completed = has(F_Completed) ? values.completed : slot.completed;
    if (has(F_Plan)) {
        slot.plan = addText(values.plan);
        slot.rank = -1;
    }
    if (has(F_Comments))
        slot.comments = addText(values.comments);
    slot.odd = values.stored != nullptr;
    keepOdd(row, values.stored);
}

void RowStore::remove(int row) {
    m_slots[size_t(row)] = Slot{};
    m_odd.remove(row);
}

// An empty text stays a value: constData() is never null.
quint32 RowStore::addText(const QString& text) {
    if (text.isNull())
        return Texts::None;
    const QByteArray utf8 = text.toUtf8();
    return m_texts->add(QByteArrayView(utf8.constData(), utf8.size()));
}

void RowStore::keepOdd(int row, std::shared_ptr<const StoredValues> odd) {
    if (odd)
        m_odd.insert(row, std::move(odd));
    else
        m_odd.remove(row);
}

// Each column's type is asked before its value, which a typed read may convert. A row kept
// with forms of its own is read anew: it is rare.
bool RowStore::sameAsWritten(const Slot& kept, sqlite3_stmt* select) const {
    const auto stamp = [select](int column, Stamp value) {
        if (value == NoStamp)
            return sqlite3_column_type(select, column) == SQLITE_NULL;
        const QByteArray written = Stamps::format(value);
        return sqlite3_column_type(select, column) == SQLITE_TEXT &&
               columnText(select, column) == QByteArrayView(written);
    };
    const auto text = [&](int column, quint32 place) {
        if (place == Texts::None)
            return sqlite3_column_type(select, column) == SQLITE_NULL;
        return sqlite3_column_type(select, column) == SQLITE_TEXT &&
               columnText(select, column) == m_texts->at(place);
    };
    const int completed = sqlite3_column_type(select, F_Completed);
    return !kept.odd && sqlite3_column_int64(select, F_ID) == kept.id &&
           stamp(F_Reminder, kept.reminder) && stamp(F_Date, kept.date) &&
           text(F_Plan, kept.plan) && text(F_Comments, kept.comments) &&
           (kept.completed < 0 ? completed == SQLITE_NULL
                               : completed == SQLITE_INTEGER &&
                                     sqlite3_column_int64(select, F_Completed) == kept.completed);
}

void RowStore::reread(const std::function<bool()>& step, sqlite3_stmt* select) {
    std::vector<int> byId;
    for (int row = 0; row < size(); ++row)
        if (id(row) != 0)
            byId.push_back(row);
    std::stable_sort(byId.begin(), byId.end(), [this](int a, int b) { return id(a) < id(b); });
    std::vector<Slot> fresh;
    fresh.reserve(byId.size());
    QHash<int, std::shared_ptr<const StoredValues>> freshOdd;
    auto kept = byId.begin();
    while (step()) {
        const qint64 readId = sqlite3_column_int64(select, F_ID);
        while (kept != byId.end() && id(*kept) < readId)
            ++kept;
        if (kept != byId.end() && sameAsWritten(m_slots[size_t(*kept)], select)) {
            fresh.push_back(m_slots[size_t(*kept)]);
            continue;
        }
        std::shared_ptr<const StoredValues> odd;
        fresh.push_back(decode(select, &odd));
        if (odd)
            freshOdd.insert(int(fresh.size()) - 1, std::move(odd));
    }
    m_slots = std::move(fresh);
    m_odd = std::move(freshOdd);
    compactTexts();
}

// Texts of rows changed or gone stay behind in the block; once they outweigh the rest, the
// rows' texts move to a block of their own.
void RowStore::compactTexts() {
    size_t live = 0;
    for (const Slot& slot : m_slots)
        live += size_t(m_texts->at(slot.plan).size() + m_texts->at(slot.comments).size()) + 2;
    if (m_texts->stored() <= 2 * live + 4096)
        return;
    auto compact = std::make_unique<Texts>();
    for (Slot& slot : m_slots) {
        slot.plan = compact->add(m_texts->at(slot.plan));
        slot.comments = compact->add(m_texts->at(slot.comments));
    }
    m_texts = std::move(compact);
}
