#include "main_window/GridModel.h"

#include "store/TTable.h"
#include "toolkit/Clock.h"
#include "toolkit/UserLocale.h"

#include <QDateTime>

#include <array>

namespace {

const std::array<int, 4> visibleFields = {F_Reminder, F_Date, F_Plan, F_Completed};

const QColor overdueColour(255, 0, 0);
const QColor completedColour(128, 128, 128);
const QColor todayColour(0, 255, 255);

QString title(int field) {
    switch (field) {
    case F_Reminder:
        return QStringLiteral("Напоминание");
    case F_Date:
        return QStringLiteral("Дата");
    case F_Plan:
        return QStringLiteral("Задача");
    default:
        return QStringLiteral("Завершено");
    }
}

// The standard cell text. The reminder and completion cells are always covered by their
// icon and check box, so they show none. The date reads in the user's long form without
// the weekday, so that a narrow column still shows the day and the month.
QString displayText(int field, const QVariant& value) {
    if (field == F_Date && !value.isNull())
        return UserLocale::get().toString(value.toDateTime().date(), UserLocale::longDateFormat());
    if (field == F_Plan)
        return value.toString();
    return QString();
}

} // namespace

GridModel::GridModel(TTable* table, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table) {
    connect(table, &TTable::rowsAboutToChange, this, &GridModel::rowsAboutToChange);
    connect(table, &TTable::rowsChanged, this, &GridModel::rowsChanged);
    connect(table, &TTable::recordChanged, this, &GridModel::newRecordChanged);
}

QString GridModel::TaskDateText(const QDateTime& value) {
    static const char* const months[] = {"Январь",   "Февраль", "Март",   "Апрель",
                                         "Май",      "Июнь",    "Июль",   "Август",
                                         "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
    const QDate date = (value.isValid() ? value : ZeroDateTime()).date();
    return QStringLiteral("%1 %2 %3 г.")
        .arg(date.day())
        .arg(QString::fromUtf8(months[date.month() - 1]))
        .arg(date.year());
}

int GridModel::columnField(int column) {
    return visibleFields.at(size_t(column));
}

int GridModel::fieldColumn(int field) {
    for (size_t column = 0; column < visibleFields.size(); ++column)
        if (visibleFields[column] == field)
            return int(column);
    return -1;
}

int GridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_table->RecordCount() + (m_table->insertRow() >= 0 ? 1 : 0);
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(visibleFields.size());
}

QVariant GridModel::value(int row, int field) const {
    const int inserted = m_table->insertRow();
    if (inserted < 0 || row < inserted)
        return m_table->valueAt(row, field);
    return row == inserted ? m_table->fieldValue(field) : m_table->valueAt(row - 1, field);
}

int GridModel::currentRow() const {
    const int inserted = m_table->insertRow();
    return inserted >= 0 ? inserted : m_table->RecNo() - 1;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const int field = columnField(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return field == F_Date ? dateText(index.row())
                               : displayText(field, value(index.row(), field));
    case Qt::AccessibleTextRole:
        return accessibleText(index.row(), field);
    case Qt::AccessibleDescriptionRole:
        return rowState(index.row()).spoken;
    case Qt::TextAlignmentRole:
        return field == F_Reminder ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

RowState GridModel::rowState(int row) const {
    const QDateTime date = value(row, F_Date).toDateTime();
    const QDateTime today = Clock::today();
    if (value(row, F_Completed).toBool())
        return {completedColour, QStringLiteral("Завершено")};
    // An empty date reads as the zero date.
    if ((date.isValid() ? date : ZeroDateTime()) < today)
        return {overdueColour, QStringLiteral("Просрочено")};
    if (date.date() == today.date())
        return {todayColour, QStringLiteral("На сегодня")};
    return {};
}

QString GridModel::dateText(int row) const {
    const QVariant date = value(row, F_Date);
    return rowState(row).coloured() ? TaskDateText(date.toDateTime()) : displayText(F_Date, date);
}

// What a screen reader says for a cell: the words for what its picture shows, the text
// drawn otherwise.
QVariant GridModel::accessibleText(int row, int field) const {
    const QVariant stored = value(row, field);
    switch (field) {
    case F_Reminder:
        return stored.isNull()
                   ? QStringLiteral("Нет напоминания")
                   : QStringLiteral("Напоминание ") +
                         stored.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    case F_Date:
        return dateText(row);
    case F_Completed:
        return stored.toBool() ? QStringLiteral("Завершено") : QStringLiteral("Не завершено");
    default:
        return stored.toString();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return title(columnField(section));
    return QVariant();
}

void GridModel::rowsAboutToChange(TTable::RowChange change, int row) {
    if (change == TTable::RowAdded)
        beginInsertRows(QModelIndex(), row, row);
    else if (change == TTable::RowRemoved)
        beginRemoveRows(QModelIndex(), row, row);
}

// The views keep nothing of the rows across a reset, so they hear of it once it is done.
void GridModel::rowsChanged(TTable::RowChange change, int row) {
    switch (change) {
    case TTable::RowAdded:
        endInsertRows();
        break;
    case TTable::RowRemoved:
        endRemoveRows();
        break;
    case TTable::RowValues:
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        break;
    case TTable::AllRows:
        beginResetModel();
        endResetModel();
        break;
    }
}

// The row of a new record shows what the editor writes into it; a record being edited
// shows its stored values until it is posted.
void GridModel::newRecordChanged() {
    const int row = m_table->insertRow();
    if (row >= 0)
        rowsChanged(TTable::RowValues, row);
}
