#pragma once

#include "store/Record.h"

#include <QByteArrayView>

#include <array>
#include <memory>

struct sqlite3_stmt;
struct sqlite3_value;

// The values of one row exactly as the file holds them, kept only for the fields whose
// stored form is not the one this program writes: a date as '2026-12-08T10:00', a
// number or a blob in a text column, text that is not UTF-8, a Completed of 5. A write
// that must find the row as it was read compares the file with these, not with what the
// program made of them, so such a row can still be edited and deleted.
// A row as the statement gives it, each column read once and before any read that could
// convert it: its type; for a text its bytes, and a date's stamp; for an integer its value.
struct RowRead {
    explicit RowRead(sqlite3_stmt* select);
    // Whether the field holds its value in the form the program writes: byte for byte, of
    // the same type. An empty field is written back as NULL, whatever it was read from.
    bool asWritten(int field) const;
    bool allAsWritten() const;

    std::array<int, 6> type{};
    std::array<QByteArrayView, 6> text{};
    std::array<qint64, 6> number{};
    Stamp reminder = NoStamp; // the dates stored as text, NoStamp for anything else
    Stamp date = NoStamp;
};

class StoredValues final {
public:
    StoredValues() = default;
    ~StoredValues();
    StoredValues(const StoredValues&) = delete;
    StoredValues& operator=(const StoredValues&) = delete;

    // The odd fields of the row select stands on, as read; null when every field is stored
    // as the program writes it, which is what it keeps for nearly every row. Call it before
    // the row's typed reads, which may convert the values.
    static std::shared_ptr<const StoredValues> read(sqlite3_stmt* select, const RowRead& read);
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
