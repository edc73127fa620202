#pragma once

#include "store/Record.h"

#include <array>
#include <memory>

struct sqlite3_stmt;
struct sqlite3_value;

// The values of one row exactly as the file holds them, kept only for the fields whose
// stored form is not the one this program writes: a date as '2026-12-08T10:00', a
// number or a blob in a text column, text that is not UTF-8, a Completed of 5. A write
// that must find the row as it was read compares the file with these, not with what the
// program made of them, so such a row can still be edited and deleted.
class StoredValues final {
public:
    StoredValues() = default;
    ~StoredValues();
    StoredValues(const StoredValues&) = delete;
    StoredValues& operator=(const StoredValues&) = delete;

    // The odd fields of the row select stands on; null when every field is stored as the
    // program writes it, which is what it keeps for nearly every row. Call it before the
    // row's typed reads, which may convert the values.
    static std::shared_ptr<const StoredValues> read(sqlite3_stmt* select);
    // What is left odd once the given fields have been written in the program's own forms;
    // null when nothing is.
    static std::shared_ptr<const StoredValues>
    afterWrite(const std::shared_ptr<const StoredValues>& before, FieldMask written);

    // The stored value of an odd field; null for a field stored as the program writes it.
    const sqlite3_value* field(int field) const;

private:
    // Copies value in as the stored value of field, making odd first if need be.
    static void keep(std::shared_ptr<StoredValues>& odd, int field, const sqlite3_value* value);

    std::array<sqlite3_value*, 6> m_values{};
};
