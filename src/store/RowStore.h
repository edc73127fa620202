#pragma once

#include "store/Record.h"

#include <QByteArrayView>
#include <QHash>

#include <functional>
#include <memory>
#include <vector>

struct sqlite3_stmt;

// The snapshot's rows, kept compactly: each row's numbers in a slot of 40 bytes, a date as
// its stamp; both texts as the file gives them (UTF-8), each kept once in one block of
// large chunks that all rows share, with no string object of their own; the odd stored
// forms of the few rows that have them (StoredValues) aside. Rows are numbered from 0 and
// keep their number until the rows are read again; a removed row stays as a hole (ID 0).
class RowStore final {
public:
    RowStore();
    ~RowStore();
    RowStore(RowStore&&) noexcept;
    RowStore& operator=(RowStore&&) noexcept;

    int size() const { return int(m_slots.size()); }

    qint64 id(int row) const { return m_slots[size_t(row)].id; }
    Stamp reminder(int row) const { return m_slots[size_t(row)].reminder; }
    qint8 completed(int row) const { return m_slots[size_t(row)].completed; }
    // The title's UTF-8; data() is null when it holds no value.
    QByteArrayView plan(int row) const;
    // A null QVariant for an empty field; as Record::value otherwise.
    QVariant value(int row, int field, const LocalTimes& times) const;
    // The field's value for ordering: a stamp, Completed as 0 or 1, the ID; 0 for texts.
    qint64 number(int row, int field) const;
    // The row as a record of its own, stored forms included: what an edit starts from,
    // and what a write that needs the row unchanged compares the file with.
    Record record(int row) const;

    // The title's place in the last sort by title (see RowOrder); -1 when it has none, as
    // for a title read or written since.
    int rank(int row) const { return m_slots[size_t(row)].rank; }
    void setRank(int row, int rank) { m_slots[size_t(row)].rank = rank; }
    // The collation the ranks follow (Collation::name()).
    const QString& ranksMadeUnder() const { return m_ranksMadeUnder; }
    void setRanksMadeUnder(const QString& collation) { m_ranksMadeUnder = collation; }

    // The row with the ID, for rows in ID order with no holes, as a read leaves them; -1
    // when none has it.
    int find(qint64 id) const;

    // Appends the row the statement stands on: Reminder, Date, Plan, ID, Comments and
    // Completed, in this order.
    void append(sqlite3_stmt* select);
    void append(const Record& row);
    // The given fields of the row as written; a new title loses its rank.
    void assign(int row, const Record& values, FieldMask fields);
    void remove(int row);

    // Reads the rows again, in ID order, from a statement as append takes them, moved on by
    // step (false when done): a row the file still holds as kept keeps its texts and its
    // rank, so only what changed is stored anew; the new slots are built beside the old
    // ones while the texts stay shared. The rows are numbered anew, holes gone.
    void reread(const std::function<bool()>& step, sqlite3_stmt* select);

private:
    struct Slot {
        Stamp reminder = NoStamp;
        Stamp date = NoStamp;
        qint64 id = 0;
        quint32 plan = ~0u; // none
        quint32 comments = ~0u;
        qint32 rank = -1;
        qint8 completed = -1;
        bool odd = false; // stored forms are kept aside
    };
    class Texts;

    Slot decode(sqlite3_stmt* select, std::shared_ptr<const StoredValues>* odd);
    // Whether the row the statement stands on holds what the kept slot does, in the forms
    // the program writes: then nothing of it needs reading.
    bool sameAsWritten(const Slot& kept, sqlite3_stmt* select) const;
    void keepOdd(int row, std::shared_ptr<const StoredValues> odd);
    quint32 addText(const QString& text);
    void compactTexts();

    std::vector<Slot> m_slots;
    std::unique_ptr<Texts> m_texts;
    QHash<int, std::shared_ptr<const StoredValues>> m_odd; // by row
    QString m_ranksMadeUnder;
};
