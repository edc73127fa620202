#pragma once

#include "store/Stamp.h"

#include <QString>
#include <QVariant>

#include <memory>

class StoredValues;

// A set of fields, one bit per FieldIndex.
using FieldMask = unsigned;
constexpr FieldMask fieldBit(int field) {
    return 1u << field;
}

// One task as the file stores it; fields by FieldIndex.
struct Record {
    Stamp reminder = NoStamp;
    Stamp date = NoStamp;
    QString plan;  // null: no value; an empty title may be stored as '' as well
    qint64 id = 0; // 0: not stored yet
    QString comments;
    qint8 completed = -1; // -1: no value, 0: false, 1: true
    // The fields the file holds in forms of its own, exactly as read; null for a row stored
    // as the program writes it, and for a record not stored yet.
    std::shared_ptr<const StoredValues> stored;

    bool isNull(int field) const;
    // A null QVariant for an empty field; date-times as local QDateTime, Completed as bool,
    // ID as qint64.
    QVariant value(int field, const LocalTimes& times) const;
    // Converts value to the field's kind; a date-time field takes a QDateTime, or nothing
    // for no value. TarvikError when it does not convert, and for ID, which only the
    // database assigns. A text loses any NUL character. Returns false when the field
    // already held that value (an unreadable date reads as no value), so that setting it
    // again changes nothing and leaves the stored value as it is.
    bool setValue(int field, const QVariant& value);
};
