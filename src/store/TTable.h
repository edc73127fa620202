#pragma once

#include "store/Fields.h"
#include "store/PlansRows.h"
#include "toolkit/Error.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class TConnection;
class TTable;

// The zero date-time, 30.12.1899 00:00: what an empty date field reads as.
inline QDateTime ZeroDateTime() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

// The field of the current record (the pending record while editing or inserting).
class TField final {
public:
    TField(TTable* table, int index)
        : m_table(table)
        , m_index(index) {}

    QString AsString() const;     // empty field: ""
    QDateTime AsDateTime() const; // empty field: the zero date-time, ZeroDateTime()
    bool AsBoolean() const;       // empty field: false
    QVariant AsVariant() const;   // empty field: a null QVariant
    bool IsNull() const;
    // Setters need the editing or inserting state (TarvikError otherwise).
    void setAsVariant(const QVariant& value);
    void setAsString(const QString& value) { setAsVariant(value); }
    void setAsDateTime(const QDateTime& value) { setAsVariant(value); }
    void setAsBoolean(bool value) { setAsVariant(value); }
    void Clear();

private:
    TTable* m_table;
    int m_index;
};

// A write refused because another writer (a second instance of the program) changed or
// deleted the row since this instance read it. The message says so in the user's words;
// the table has read the rows again, and the current record is the fresh one.
class RowChangedElsewhere final : public TarvikError {
public:
    using TarvikError::TarvikError;
};

// Table_Main: a static client-side snapshot of the table Plans. Rows live in memory in
// stored order (by ID) with a sort permutation on top; one current record; three states.
// Post and Delete write through to the file, in a transaction, before they return; a
// failed write changes neither the file nor the snapshot. They write a stored row only
// while the file still holds it as the snapshot has it (read, or written by us since);
// otherwise they throw RowChangedElsewhere.
class TTable final : public QObject {
    Q_OBJECT
public:
    enum State { Browse, EditState, InsertState };
    // What a refused write was about to do.
    enum Attempt { Editing, Removing };
    // A change of the rows the views show (the pending new record among them, at
    // insertRow()): one row added or taken away, the values of one row, or every row (read
    // again, or in a new order).
    enum RowChange { RowAdded, RowRemoved, RowValues, AllRows };
    Q_ENUM(RowChange)

    explicit TTable(TConnection* connection, QObject* parent = nullptr);
    ~TTable() override;

    // Reads every row through the open connection (the rows its open read while it checked
    // the file, when it kept them); current record: the first (or none). Open and
    // rankTitles may run on another thread than the rest, one at a time: start-up runs them
    // while the splash stands.
    void Open();
    // Puts the titles in order once, so that the first sort by title compares ranks; see
    // RowOrder. The current order stays.
    void rankTitles();
    State state() const;

    void Insert();
    void Edit();
    void Post();
    void Cancel();
    // The current record, also while editing; empty table: TarvikError "Cannot perform
    // this operation on an empty dataset". A row another writer deleted already counts as
    // deleted.
    void Delete();
    // As Delete, but a row another writer changed stays, still current, and no error is
    // raised; true when the row was deleted. For walks that delete what still matches.
    bool DeleteIfUnchanged();
    void Refresh();
    // Reads the rows again if another connection (another instance of the program) has
    // written the file since they were read, keeping the current record by its ID; true
    // when it did. While browsing only: a record being edited stays as it is.
    bool followFile();
    void First();
    void Next();
    // Puts the current record into editing, runs changes on its fields and posts them. A
    // refused post drops the changes, so nothing half-written stays pending for a later
    // cursor move to store.
    void Amend(const std::function<void()>& changes);
    // Runs steps (a walk of Delete, Next, Post...) as one transaction, with the views told
    // once at the end. If a step fails, nothing of it stays: the file is rolled back and
    // the rows are read again, so the snapshot still equals the file. Rows are read again
    // as well when another writer has changed the file meanwhile.
    void Batch(const std::function<void()>& steps);

    int RecordCount() const;
    int RecNo() const; // 1-based; -1 when empty or inserting
    void setRecNo(int recNo);

    TField FieldByName(const QString& name); // unknown name: TarvikError
    TField Fields(int index);

    QString IndexFieldNames() const;
    // Unknown field name: TarvikError, order unchanged.
    void setIndexFieldNames(const QString& names);

    // The reminder watch's reads of the stored rows: they neither move the cursor nor tell
    // the views. A task awaits its reminder while Reminder is set and Completed is not
    // true, and is due once the reminder is not later than now; moments compare as the file
    // keeps them, by the wall clock to the second (a reminder has no milliseconds).
    // The earliest reminder of the tasks awaiting theirs; invalid when none does.
    QDateTime earliestReminder() const;
    // The first position from `from` up to `last` (1-based, in the current order, and no
    // further than RecordCount()) whose task is due at now; -1 when none is.
    int nextDue(int from, int last, const QDateTime& now) const;
    // The first position from start (1-based) to the last, then from the first on, whose
    // title passes matches; 0 when none does. The cursor stays. Past the first stretch of
    // positions, the titles are read in the order memory holds them, so that a sorted
    // table, whose titles lie scattered in memory in the grid's order, is searched about as
    // fast as one in stored order.
    // The titles are given as the table keeps them, in UTF-8 (a null view for none).
    int findTitle(int start, const std::function<bool(QByteArrayView)>& matches) const;

    // For views: the stored value at 0-based position row of the current order, without
    // moving the cursor. A null QVariant for an empty field. Date-times as QDateTime,
    // Completed as bool, ID as qint64.
    QVariant valueAt(int row, int field) const;
    // For views: the 0-based row at which a pending new record shows (where the record
    // that was current at Insert stands, 0 on an empty table); -1 unless inserting.
    int insertRow() const;

    // Pending-record access for TField.
    QVariant fieldValue(int field) const;
    void setFieldValue(int field, const QVariant& value);

signals:
    // The views hear of a change of their rows as Qt's item models tell theirs: an added or
    // a removed row before the change as well, at the view row where it comes or goes.
    void rowsAboutToChange(TTable::RowChange change, int row);
    void rowsChanged(TTable::RowChange change, int row);
    void currentChanged(); // another record became current (or the state changed)
    // A field of the current record changed: set in the pending record, stored by Post
    // or dropped by Cancel.
    void recordChanged();
    void stateChanged();
    void beforePost(); // bound controls write their text into the fields now

private:
    // Tells the views of an added or a removed row around the steps, which cannot fail.
    template <class Steps> void changeRows(RowChange change, int row, Steps steps);
    void placeUnplaced();
    // Posts the pending record if a field was changed, otherwise cancels it.
    void finishPending();
    void writePending();
    void storeInsert();
    void storeEdit();
    bool removeCurrent(bool refuseChanged);
    [[noreturn]] void refuse(PlansRows::Outcome outcome, Attempt attempt);
    void leaveEditing();
    void moveTo(int position);

    struct Impl;
    std::unique_ptr<Impl> d;
};
