#include "store/RowOrder.h"

#include "store/TTable.h"
#include "toolkit/UserLocale.h"

#include <QtConcurrent>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <unicode/ucol.h>
#include <utility>

// Texts in a locale, letter case ignored, as QCollator orders them: ICU's collator at
// secondary strength. The C locale has no collation of its own: the case-folded texts'
// code units decide there, as QString::compare compares them. Both calls are const on a
// collator nothing changes once it is set up, which ICU makes safe from several threads.
class Collation final {
public:
    explicit Collation(const QLocale& locale);

    // Appends the sort key of text, whose bytes compare (by memcmp, a key that begins
    // another first) as compare compares the texts.
    void appendKey(QStringView text, std::string& key) const;
    int compare(QStringView a, QStringView b) const;

    const QString name; // empty for the C locale

private:
    // None in the C locale, or when ICU could not open one.
    std::unique_ptr<UCollator, void (*)(UCollator*)> m_collator{nullptr, ucol_close};
};

Collation::Collation(const QLocale& locale)
    : name(locale.language() == QLocale::C ? QString() : locale.bcp47Name().replace('-', '_')) {
    if (name.isEmpty())
        return;
    UErrorCode status = U_ZERO_ERROR;
    m_collator.reset(ucol_open(name.toLatin1().constData(), &status));
    // As QCollator sets it up with letter case ignored.
    ucol_setAttribute(m_collator.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(m_collator.get(), UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(m_collator.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(m_collator.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status))
        m_collator.reset();
}

void Collation::appendKey(QStringView text, std::string& key) const {
    const size_t start = key.size();
    if (!m_collator) {
        const QString folded = text.toString().toCaseFolded();
        key.resize(start + 2 * size_t(folded.size()));
        for (qsizetype i = 0; i < folded.size(); ++i)
            qToBigEndian(folded[i].unicode(), key.data() + start + 2 * size_t(i));
        return;
    }
    key.resize(start + 16 + 4 * size_t(text.size()));
    for (;;) {
        const auto room = int32_t(key.size() - start);
        const int32_t length =
            ucol_getSortKey(m_collator.get(), text.utf16(), int32_t(text.size()),
                            reinterpret_cast<uint8_t*>(key.data() + start), room);
        if (length <= room) {
            key.resize(start + size_t(std::max(length, 1) - 1)); // without the closing zero
            return;
        }
        key.resize(start + size_t(length));
    }
}

int Collation::compare(QStringView a, QStringView b) const {
    if (!m_collator)
        return QString::compare(a.toString().toCaseFolded(), b.toString().toCaseFolded());
    return ucol_strcoll(m_collator.get(), a.utf16(), int32_t(a.size()), b.utf16(),
                        int32_t(b.size()));
}

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

namespace {

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

} // namespace

// The sort keys of the titles by row index, each with the row's ID and the title it was
// made from, so that it is made again only when they change. Their bytes lie in one block.
class TextKeys final {
public:
    struct Made {
        qint64 id = std::numeric_limits<qint64>::min(); // none: no key made
        QString text;
        quint32 at = 0;
        quint32 size = 0;
        // In the last sort, which ranked every row then live; -1 for a key made since.
        int rank = -1;
    };

    // The keys of rows (IDs ascending, as the rows are read) under collation, taking over
    // known's, with their ranks, where ID and text are unchanged.
    static TextKeys takeOver(TextKeys known, std::vector<Made> rows, const Collation& collation);
    // The item of row, with its key made now unless this set holds it already.
    KeyItem item(int row, qint64 id, const QString& text, const Collation& collation);
    // Sorts items and ranks their rows so; every other row loses its rank.
    void sort(std::vector<KeyItem>& items);

private:
    void make(Made& made, const Collation& collation);

    std::vector<Made> m_made; // by row index
    std::string m_bytes;

public:
    QString locale; // the name of the collation that made the keys
};

TextKeys TextKeys::takeOver(TextKeys known, std::vector<Made> rows, const Collation& collation) {
    // Keys of titles changed or gone stay behind in the block; once they outweigh the
    // rest, every key is made anew.
    size_t live = 0;
    for (const Made& made : known.m_made)
        live += made.size;
    if (known.m_bytes.size() > 2 * live)
        known = TextKeys();
    TextKeys keys;
    keys.m_bytes = std::move(known.m_bytes);
    auto was = known.m_made.begin();
    for (Made& made : rows) {
        while (was != known.m_made.end() && was->id < made.id)
            ++was;
        if (was != known.m_made.end() && was->id == made.id && was->text == made.text)
            std::tie(made.at, made.size, made.rank) = std::tie(was->at, was->size, was->rank);
        else
            keys.make(made, collation);
    }
    keys.m_made = std::move(rows);
    keys.locale = collation.name;
    return keys;
}

KeyItem TextKeys::item(int row, qint64 id, const QString& text, const Collation& collation) {
    if (size_t(row) >= m_made.size())
        m_made.resize(size_t(row) + 1);
    Made& made = m_made[size_t(row)];
    if (made.id != id || made.text != text) {
        made.id = id;
        made.text = text;
        make(made, collation);
    }
    std::array<uchar, headBytes> head{};
    std::memcpy(head.data(), m_bytes.data() + made.at, std::min(made.size, headBytes));
    return {qFromBigEndian<quint64>(head.data()), id, made.at, made.size, made.rank, row};
}

void TextKeys::sort(std::vector<KeyItem>& items) {
    sortItems(items, m_bytes.data());
    for (Made& made : m_made)
        made.rank = -1;
    for (size_t i = 0; i < items.size(); ++i)
        m_made[size_t(items[i].row)].rank = int(i);
}

void TextKeys::make(Made& made, const Collation& collation) {
    made.at = quint32(m_bytes.size());
    collation.appendKey(made.text, m_bytes);
    made.size = quint32(m_bytes.size() - made.at);
    made.rank = -1;
}

// The title keys the orders made withFields share. They are made on another thread when
// the rows are read; RowOrder::titleKeys() waits for that thread before any use. The
// thread works on copies of its own, so it may outlive the table.
struct TitleKeys {
    TextKeys made;
    QFuture<TextKeys> making;
};

namespace {

const QString& textOf(const Record& row, int field) {
    return field == F_Plan ? row.plan : row.comments;
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
    , m_collation(std::make_shared<const Collation>(UserLocale::get()))
    , m_titleKeys(std::make_shared<TitleKeys>()) {}

RowOrder RowOrder::withFields(QList<int> fields) const {
    RowOrder order(std::move(fields));
    order.m_titleKeys = m_titleKeys;
    return order;
}

void RowOrder::prepare(const std::vector<Record>& rows) {
    TextKeys known = std::exchange(titleKeys(), TextKeys());
    std::vector<TextKeys::Made> titles(rows.size());
    for (size_t row = 0; row < rows.size(); ++row)
        std::tie(titles[row].id, titles[row].text) = std::tie(rows[row].id, rows[row].plan);
    m_titleKeys->making = QtConcurrent::run(
        [known = std::move(known), titles = std::move(titles), collation = m_collation]() mutable {
            try {
                return TextKeys::takeOver(std::move(known), std::move(titles), *collation);
            } catch (...) {
                return TextKeys(); // the next sort by title makes the keys on its own thread
            }
        });
}

TextKeys& RowOrder::titleKeys() const {
    TitleKeys& keys = *m_titleKeys;
    if (keys.making.isValid())
        keys.made = keys.making.takeResult();
    if (keys.made.locale != m_collation->name) {
        keys.made = TextKeys();
        keys.made.locale = m_collation->name;
    }
    return keys.made;
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
        TextKeys& keys = titleKeys();
        for (int row : positions)
            items.push_back(
                keys.item(row, rows[size_t(row)].id, rows[size_t(row)].plan, *m_collation));
        keys.sort(items);
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
        return m_collation->compare(textOf(a, field), textOf(b, field));
    const qint64 x = numberOf(a, field);
    const qint64 y = numberOf(b, field);
    return (x > y) - (x < y);
}
