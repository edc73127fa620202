#include "store/StoredValues.h"

#include "store/Fields.h"

#include <QByteArrayView>

#include <new>
#include <sqlite3.h>

namespace {

static_assert(FieldCount == 6, "one stored value per field");

// 'YYYY-MM-DD HH:MM:SS' and nothing else: the form Stamps::format writes.
bool writtenStamp(QByteArrayView text, Stamp stamp) {
    return text.size() == 19 && text[10] == ' ' && text[16] == ':' && stamp != NoStamp;
}

} // namespace

RowRead::RowRead(sqlite3_stmt* select) {
    for (int field = 0; field < FieldCount; ++field) {
        type[size_t(field)] = sqlite3_column_type(select, field);
        if (type[size_t(field)] == SQLITE_TEXT)
            text[size_t(field)] =
                QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(select, field)),
                               sqlite3_column_bytes(select, field));
        else if (type[size_t(field)] == SQLITE_INTEGER)
            number[size_t(field)] = sqlite3_column_int64(select, field);
    }
    const auto stamp = [this](int field) {
        const QByteArrayView stored = text[size_t(field)];
        return stored.isNull() ? NoStamp : Stamps::parse(stored.data(), int(stored.size()));
    };
    reminder = stamp(F_Reminder);
    date = stamp(F_Date);
}

bool RowRead::asWritten(int field) const {
    const int kind = type[size_t(field)];
    if (kind == SQLITE_NULL || field == F_ID)
        return true;
    switch (field) {
    case F_Reminder:
        return kind == SQLITE_TEXT && writtenStamp(text[size_t(field)], reminder);
    case F_Date:
        return kind == SQLITE_TEXT && writtenStamp(text[size_t(field)], date);
    case F_Plan:
    case F_Comments:
        return kind == SQLITE_TEXT && text[size_t(field)].isValidUtf8();
    default:
        return kind == SQLITE_INTEGER && (number[size_t(field)] & ~qint64(1)) == 0;
    }
}

bool RowRead::allAsWritten() const {
    for (int field = 0; field < FieldCount; ++field)
        if (!asWritten(field))
            return false;
    return true;
}

StoredValues::~StoredValues() {
    for (sqlite3_value* value : m_values)
        sqlite3_value_free(value);
}

std::shared_ptr<const StoredValues> StoredValues::read(sqlite3_stmt* select, const RowRead& read) {
    std::shared_ptr<StoredValues> odd;
    for (int field = 0; field < FieldCount; ++field) {
        if (read.asWritten(field))
            continue;
        keep(odd, field, sqlite3_column_value(select, field));
    }
    return odd;
}

std::shared_ptr<const StoredValues>
StoredValues::afterWrite(const std::shared_ptr<const StoredValues>& before, FieldMask written) {
    if (!before)
        return nullptr;
    std::shared_ptr<StoredValues> left;
    for (int field = 0; field < FieldCount; ++field) {
        const sqlite3_value* value = before->field(field);
        if (!value || (written & fieldBit(field)))
            continue;
        keep(left, field, value);
    }
    return left;
}

void StoredValues::keep(std::shared_ptr<StoredValues>& odd, int field, const sqlite3_value* value) {
    if (!odd)
        odd = std::make_shared<StoredValues>();
    odd->m_values[size_t(field)] = sqlite3_value_dup(value);
    if (!odd->m_values[size_t(field)])
        throw std::bad_alloc();
}

const sqlite3_value* StoredValues::field(int field) const {
    return m_values.at(size_t(field));
}
