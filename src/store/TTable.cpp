#include "store/TTable.h"

#include "store/PlansRows.h"
#include "store/Record.h"
#include "store/RowOrder.h"
#include "store/RowStore.h"
#include "store/StoredValues.h"
#include "store/TConnection.h"
#include "toolkit/Error.h"

#include <QStringList>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// Up to this many rows posted since the last sort are put in place one by one; more
// than that and sorting everything again is cheaper.
constexpr size_t fewRows = 64;

bool awaitsReminder(const RowStore& rows, int row) {
    return rows.reminder(row) != NoStamp && rows.completed(row) <= 0;
}

[[noreturn]] void noSuchField(const QString& name) {
    throw TarvikError(QStringLiteral("Field '%1' not found").arg(name));
}

QList<int> parseIndexFields(const QString& names) {
    QList<int> fields;
    for (const QString& part : names.split(';', Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (name.isEmpty())
            continue;
        const int field = fieldIndex(name);
        if (field < 0)
            noSuchField(name);
        fields.append(field);
    }
    return fields;
}

// What a refused write tells the user: what happened, and what to do about it.
QString refusal(PlansRows::Outcome outcome, TTable::Attempt attempt, const QString& title) {
    const QString what = QStringLiteral("Задачу \"%1\" ").arg(title);
    if (outcome == PlansRows::Gone)
        return what + QStringLiteral("уже удалили в другой запущенной копии программы, "
                                     "поэтому ваши изменения не записаны. Список задач "
                                     "обновлён.");
    if (attempt == TTable::Removing)
        return what + QStringLiteral("изменили в другой запущенной копии программы, поэтому "
                                     "она не удалена. Теперь показана задача в её нынешнем "
                                     "виде: если она больше не нужна, удалите её ещё раз.");
    return what + QStringLiteral("изменили в другой запущенной копии программы, поэтому ваши "
                                 "изменения не записаны, чтобы не затереть чужие. Теперь "
                                 "показана задача в её нынешнем виде: при необходимости "
                                 "измените её ещё раз.");
}

} // namespace

// The snapshot. Rows stay in ID order at fixed indices, so that a delete costs no more
// than removing one entry of the order: a deleted row is left as a hole (ID 0) until
// the rows are read again.
struct TTable::Impl {
    explicit Impl(TConnection* owner)
        : connection(owner) {}

    TConnection* connection;
    bool active = false;
    RowStore rows;
    std::vector<int> order; // the live rows, in the current order
    int position = -1;      // of the current record in order; -1: none
    State state = Browse;
    Record pending;
    FieldMask changed = 0;
    // Rows posted since the last sort. They stay where they were posted until Refresh or
    // the next sort puts them in place.
    std::vector<int> unplaced;
    QString indexFieldNames;
    RowOrder rowOrder;
    // The file's data version when the rows were read: while it stays, the file holds
    // exactly the rows read plus our own writes, which the snapshot already has.
    qint64 dataVersion = 0;
    LocalTimes times;

    int currentRow() const { return position >= 0 ? order[size_t(position)] : -1; }
    int positionOf(int row) const {
        const auto found = std::find(order.begin(), order.end(), row);
        return found == order.end() ? -1 : int(found - order.begin());
    }
    int clamped(int wanted) const {
        return order.empty() ? -1 : std::clamp(wanted, 0, int(order.size()) - 1);
    }

    void readRows();
    void orderAll();
    void sortAll();
    std::vector<int> misplaced() const;
    void reread();
    // Reads the rows again if another connection has written the file since they were
    // read; true when it did.
    bool rereadIfChanged();
};

// The rows the connection read while it checked the file at its open, or else read now.
void TTable::Impl::readRows() {
    qint64 version = 0;
    if (std::unique_ptr<RowStore> read = connection->takeRowsReadAtOpen(&version)) {
        rows = std::move(*read);
        dataVersion = version;
    } else {
        dataVersion = connection->dataVersion();
        rows = RowStore();
        PlansRows::readAll(*connection, rows);
    }
    orderAll();
}

void TTable::Impl::orderAll() {
    times.clear();
    order.resize(size_t(rows.size()));
    std::iota(order.begin(), order.end(), 0);
    sortAll();
}

void TTable::Impl::sortAll() {
    const int row = currentRow();
    rowOrder.sort(order, rows);
    unplaced.clear();
    position = row >= 0 ? positionOf(row) : clamped(0);
}

// The positions, ascending, of the unplaced rows that stand out of order. The other rows
// are in order among themselves, so an unplaced row in order with its neighbours may stay;
// a row found out of order no longer counts as a neighbour, which may put the rows beside
// it out of order in turn. Once none that stays stands out of order, all that stay are in
// order.
std::vector<int> TTable::Impl::misplaced() const {
    std::vector<int> posted = unplaced;
    std::sort(posted.begin(), posted.end());
    std::vector<int> positions;
    for (size_t at = 0; at < order.size(); ++at)
        if (std::binary_search(posted.begin(), posted.end(), order[at]))
            positions.push_back(int(at));
    std::vector<char> out(positions.size(), 0);
    // The position of the nearest row that stays, one way (step -1 or 1) from positions[i].
    const auto neighbour = [&](size_t i, int step) {
        int at = positions[i] + step;
        for (auto k = qsizetype(i) + step; k >= 0 && k < qsizetype(positions.size()) &&
                                           positions[size_t(k)] == at && out[size_t(k)] != 0;
             k += step)
            at += step;
        return at >= 0 && at < int(order.size()) ? order[size_t(at)] : -1;
    };
    for (bool moved = true; moved;) {
        moved = false;
        for (size_t i = 0; i < positions.size(); ++i) {
            if (out[i] != 0)
                continue;
            const int row = order[size_t(positions[i])];
            const int before = neighbour(i, -1);
            const int after = neighbour(i, 1);
            out[i] = (before >= 0 && rowOrder.less(rows, row, before)) ||
                     (after >= 0 && rowOrder.less(rows, after, row));
            moved = moved || out[i] != 0;
        }
    }
    for (size_t i = 0; i < positions.size(); ++i)
        positions[i] = out[i] != 0 ? positions[i] : -1;
    positions.erase(std::remove(positions.begin(), positions.end(), -1), positions.end());
    return positions;
}

// Reads every row again and keeps the current record by its ID, or, when another
// connection removed it, the position.
void TTable::Impl::reread() {
    const int oldPosition = position;
    const qint64 id = position >= 0 ? rows.id(currentRow()) : 0;
    position = -1;
    dataVersion = connection->dataVersion();
    PlansRows::readAgain(*connection, rows);
    orderAll();
    const int row = rows.find(id);
    position = row >= 0 ? positionOf(row) : clamped(oldPosition);
}

bool TTable::Impl::rereadIfChanged() {
    if (connection->dataVersion() == dataVersion)
        return false;
    reread();
    return true;
}

QString TField::AsString() const {
    return AsVariant().toString();
}

QDateTime TField::AsDateTime() const {
    const QDateTime value = AsVariant().toDateTime();
    return value.isValid() ? value : ZeroDateTime();
}

bool TField::AsBoolean() const {
    return AsVariant().toBool();
}

QVariant TField::AsVariant() const {
    return m_table->fieldValue(m_index);
}

bool TField::IsNull() const {
    return !AsVariant().isValid();
}

void TField::setAsVariant(const QVariant& value) {
    m_table->setFieldValue(m_index, value);
}

void TField::Clear() {
    m_table->setFieldValue(m_index, QVariant());
}

TTable::TTable(TConnection* connection, QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Impl>(connection)) {
    connection->keepRowsReadAtOpen();
}

TTable::~TTable() = default;

void TTable::Open() {
    if (d->active)
        return;
    d->position = -1;
    d->readRows();
    d->active = true;
    emit rowsChanged(AllRows, -1);
    emit currentChanged();
}

TTable::State TTable::state() const {
    return d->state;
}

template <class Steps> void TTable::changeRows(RowChange change, int row, Steps steps) {
    emit rowsAboutToChange(change, row);
    steps();
    emit rowsChanged(change, row);
}

void TTable::Insert() {
    finishPending();
    changeRows(RowAdded, std::max(d->position, 0), [this] {
        d->pending = Record();
        d->changed = 0;
        d->state = InsertState;
    });
    emit stateChanged();
    emit currentChanged();
}

void TTable::Edit() {
    if (d->state != Browse)
        return;
    if (d->order.empty()) {
        Insert();
        return;
    }
    d->pending = d->rows.record(d->currentRow());
    d->changed = 0;
    d->state = EditState;
    emit stateChanged();
    emit currentChanged();
}

void TTable::Post() {
    if (d->state == Browse)
        return;
    emit beforePost();
    writePending();
}

// A dropped new record leaves the views; a dropped edit leaves them as they were, since
// they show the stored values of a record being edited.
void TTable::Cancel() {
    if (d->state == Browse)
        return;
    if (d->state == InsertState)
        changeRows(RowRemoved, insertRow(), [this] { leaveEditing(); });
    else
        leaveEditing();
    emit stateChanged();
    emit currentChanged();
    emit recordChanged();
}

void TTable::Delete() {
    removeCurrent(true);
}

bool TTable::DeleteIfUnchanged() {
    return removeCurrent(false);
}

// A row another writer deleted already is gone as asked: the snapshot drops it too.
bool TTable::removeCurrent(bool refuseChanged) {
    if (d->state == InsertState) {
        Cancel();
        return true;
    }
    if (d->order.empty())
        throw TarvikError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    const int row = d->currentRow();
    if (PlansRows::remove(*d->connection, d->rows.record(row)) == PlansRows::Changed) {
        if (refuseChanged)
            refuse(PlansRows::Changed, Removing);
        return false;
    }
    const bool wasEditing = d->state == EditState;
    leaveEditing();
    const int at = d->position;
    changeRows(RowRemoved, at, [this, row, at] {
        d->rows.remove(row);
        d->order.erase(d->order.begin() + at);
        d->position = d->clamped(at);
    });
    if (wasEditing)
        emit stateChanged();
    emit currentChanged();
    return true;
}

void TTable::Refresh() {
    finishPending();
    if (d->rereadIfChanged())
        emit rowsChanged(AllRows, -1);
    else
        placeUnplaced();
    emit currentChanged();
}

// Up to fewRows unplaced rows, each that stands out of order is taken out and put in again
// where a binary search puts it, which the views hear of row by row and which keeps every
// other row as they show it: a refresh after one post costs a few comparisons instead of a
// sort. More than that are sorted again with everything else.
void TTable::placeUnplaced() {
    if (d->unplaced.empty())
        return;
    if (d->unplaced.size() > fewRows) {
        d->sortAll();
        emit rowsChanged(AllRows, -1);
        return;
    }
    const int current = d->currentRow();
    std::vector<int> moving;
    const std::vector<int> misplaced = d->misplaced();
    for (auto at = misplaced.rbegin(); at != misplaced.rend(); ++at) {
        moving.push_back(d->order[size_t(*at)]);
        changeRows(RowRemoved, *at, [this, at] {
            d->order.erase(d->order.begin() + *at);
            d->position = d->clamped(d->position);
        });
    }
    const auto less = [this](int a, int b) { return d->rowOrder.less(d->rows, a, b); };
    std::sort(moving.begin(), moving.end(), less);
    for (int row : moving) {
        const auto at = std::upper_bound(d->order.begin(), d->order.end(), row, less);
        changeRows(RowAdded, int(at - d->order.begin()),
                   [this, at, row] { d->order.insert(at, row); });
    }
    d->unplaced.clear();
    d->position = current >= 0 ? d->positionOf(current) : d->clamped(0);
}

bool TTable::followFile() {
    if (!d->active || d->state != Browse || !d->rereadIfChanged())
        return false;
    emit rowsChanged(AllRows, -1);
    emit currentChanged();
    return true;
}

void TTable::Amend(const std::function<void()>& changes) {
    Edit();
    try {
        changes();
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TTable::Batch(const std::function<void()>& steps) {
    const bool wasBlocked = blockSignals(true);
    const auto announce = [&] {
        blockSignals(wasBlocked);
        emit rowsChanged(AllRows, -1);
        emit stateChanged();
        emit currentChanged();
    };
    try {
        d->connection->transaction(steps);
        // A step may have left a row another writer changed: show what the file holds.
        d->rereadIfChanged();
    } catch (...) {
        // What was pending belongs to the rolled-back walk.
        leaveEditing();
        d->reread();
        announce();
        throw;
    }
    announce();
}

void TTable::First() {
    finishPending();
    moveTo(d->clamped(0));
}

void TTable::Next() {
    finishPending();
    moveTo(d->clamped(d->position + 1));
}

int TTable::RecordCount() const {
    return int(d->order.size());
}

int TTable::RecNo() const {
    return d->state == InsertState || d->position < 0 ? -1 : d->position + 1;
}

void TTable::setRecNo(int recNo) {
    if (!d->active || recNo == RecNo())
        return;
    finishPending();
    moveTo(d->clamped(recNo - 1));
}

TField TTable::FieldByName(const QString& name) {
    const int index = fieldIndex(name);
    if (index < 0)
        noSuchField(name);
    return TField(this, index);
}

TField TTable::Fields(int index) {
    if (index < 0 || index >= FieldCount)
        throw TarvikError(QStringLiteral("Field index out of range"));
    return TField(this, index);
}

QString TTable::IndexFieldNames() const {
    return d->indexFieldNames;
}

void TTable::setIndexFieldNames(const QString& names) {
    if (names == d->indexFieldNames)
        return;
    RowOrder order(parseIndexFields(names));
    if (d->active)
        finishPending();
    d->indexFieldNames = names;
    d->rowOrder = std::move(order);
    if (!d->active)
        return;
    d->sortAll();
    emit rowsChanged(AllRows, -1);
    emit currentChanged();
}

void TTable::rankTitles() {
    std::vector<int> live = d->order;
    if (!d->rowOrder.ranksAll(live, d->rows))
        d->rowOrder.rankTitles(live, d->rows);
}

// Deleted rows are left as empty records, which await nothing.
QDateTime TTable::earliestReminder() const {
    Stamp earliest = NoStamp;
    for (int row = 0; row < d->rows.size(); ++row)
        if (awaitsReminder(d->rows, row) &&
            (earliest == NoStamp || d->rows.reminder(row) < earliest))
            earliest = d->rows.reminder(row);
    return d->times.dateTime(earliest);
}

int TTable::nextDue(int from, int last, const QDateTime& now) const {
    const Stamp moment = Stamps::fromDateTime(now);
    const int end = std::min(last, RecordCount());
    for (int position = std::max(from, 1); position <= end; ++position) {
        const int row = d->order[size_t(position - 1)];
        if (awaitsReminder(d->rows, row) && d->rows.reminder(row) <= moment)
            return position;
    }
    return -1;
}

int TTable::findTitle(int start, const std::function<bool(QByteArrayView)>& matches) const {
    const int count = RecordCount();
    const auto titleAt = [this](int position) {
        return d->rows.plan(d->order[size_t(position - 1)]);
    };
    // A next match close by is found in the grid's order without reading the rest.
    const int nearby = count / 64;
    for (int step = 0, position = start; step < nearby; ++step) {
        if (matches(titleAt(position)))
            return position;
        position = position == count ? 1 : position + 1;
    }
    std::vector<char> matching(size_t(d->rows.size()), 0);
    bool any = false;
    for (int row = 0; row < d->rows.size(); ++row) {
        matching[size_t(row)] = matches(d->rows.plan(row));
        any = any || matching[size_t(row)];
    }
    if (!any)
        return 0;
    int first = 0;
    for (int position = 1; position <= count; ++position) {
        if (!matching[size_t(d->order[size_t(position - 1)])])
            continue;
        if (position >= start)
            return position;
        first = first != 0 ? first : position;
    }
    return first;
}

QVariant TTable::valueAt(int row, int field) const {
    if (row < 0 || row >= RecordCount() || field < 0 || field >= FieldCount)
        return QVariant();
    return d->rows.value(d->order[size_t(row)], field, d->times);
}

int TTable::insertRow() const {
    return d->state == InsertState ? std::max(d->position, 0) : -1;
}

QVariant TTable::fieldValue(int field) const {
    if (d->state != Browse)
        return d->pending.value(field, d->times);
    return d->position >= 0 ? d->rows.value(d->currentRow(), field, d->times) : QVariant();
}

void TTable::setFieldValue(int field, const QVariant& value) {
    if (d->state == Browse)
        throw TarvikError(QStringLiteral("Dataset not in edit or insert mode"));
    if (d->pending.setValue(field, value))
        d->changed |= fieldBit(field);
    emit recordChanged();
}

void TTable::finishPending() {
    if (d->state == Browse)
        return;
    emit beforePost();
    if (d->changed != 0)
        writePending();
    else
        Cancel();
}

void TTable::writePending() {
    if (d->state == InsertState)
        storeInsert();
    else
        storeEdit();
}

// The new row goes where Insert began it, before the record that was current, and stays
// there until the next Refresh or sort.
void TTable::storeInsert() {
    Record stored = d->pending;
    stored.id = PlansRows::insert(*d->connection, d->pending);
    d->rows.append(stored);
    const int row = d->rows.size() - 1;
    const int at = std::max(d->position, 0);
    d->order.insert(d->order.begin() + at, row);
    d->unplaced.push_back(row);
    d->position = at;
    leaveEditing();
    emit rowsChanged(RowValues, at);
    emit stateChanged();
    emit currentChanged();
}

void TTable::storeEdit() {
    const int row = d->currentRow();
    if (d->changed != 0) {
        const PlansRows::Outcome outcome =
            PlansRows::update(*d->connection, d->rows.record(row), d->pending, d->changed);
        if (outcome != PlansRows::Written)
            refuse(outcome, Editing);
        d->pending.stored = StoredValues::afterWrite(d->pending.stored, d->changed);
        d->rows.assign(row, d->pending, d->changed);
        d->unplaced.push_back(row); // a row whose order holds stays where it is
        emit rowsChanged(RowValues, d->position);
    }
    leaveEditing();
    emit stateChanged();
    emit currentChanged();
    emit recordChanged();
}

// Nothing was written. The rows are read again, so that what the grid and the commands
// see is what the file holds, and the user is told what happened and what to do.
void TTable::refuse(PlansRows::Outcome outcome, Attempt attempt) {
    const QString title = QString::fromUtf8(d->rows.plan(d->currentRow()));
    leaveEditing();
    d->reread();
    emit rowsChanged(AllRows, -1);
    emit stateChanged();
    emit currentChanged();
    emit recordChanged();
    throw RowChangedElsewhere(refusal(outcome, attempt, title));
}

void TTable::leaveEditing() {
    d->state = Browse;
    d->pending = Record();
    d->changed = 0;
}

void TTable::moveTo(int position) {
    if (position == d->position)
        return;
    d->position = position;
    emit currentChanged();
}
