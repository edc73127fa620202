#include "store/StoredValues.h"

#include "store/Fields.h"

#include <QByteArrayView>

#include <new>
#include <sqlite3.h>

namespace {

static_assert(FieldCount == 6, "one stored value per field");

const char* textOf(sqlite3_stmt* select, int column, int* size) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, column));
    *size = sqlite3_column_bytes(select, column);
    return text;
}

// 'YYYY-MM-DD HH:MM:SS' and nothing else: the form Stamps::format writes.
bool writtenStamp(sqlite3_stmt* select, int column) {
    int size = 0;
    const char* text = textOf(select, column, &size);
    return size == 19 && text[10] == ' ' && text[16] == ':' && Stamps::parse(text, size) != NoStamp;
}

// Reads the value back as the program would write it again: byte for byte, same type. An
// empty field is written back as NULL, whatever it was read from.
bool asWritten(sqlite3_stmt* select, int field) {
    const int type = sqlite3_column_type(select, field);
    if (type == SQLITE_NULL || field == F_ID)
        return true;
    switch (field) {
    case F_Reminder:
    case F_Date:
        return type == SQLITE_TEXT && writtenStamp(select, field);
    case F_Plan:
    case F_Comments: {
        if (type != SQLITE_TEXT)
            return false;
        int size = 0;
        const char* text = textOf(select, field, &size);
        return QByteArrayView(text, size).isValidUtf8();
    }
    default:
        return type == SQLITE_INTEGER && (sqlite3_column_int64(select, field) & ~qint64(1)) == 0;
    }
}

} // namespace

StoredValues::~StoredValues() {
    for (sqlite3_value* value : m_values)
        sqlite3_value_free(value);
}

std::shared_ptr<const StoredValues> StoredValues::read(sqlite3_stmt* select) {
    std::shared_ptr<StoredValues> odd;
    for (int field = 0; field < FieldCount; ++field) {
        if (asWritten(select, field))
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
