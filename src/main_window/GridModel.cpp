#include "main_window/GridModel.h"

#include "store/TTable.h"

#include <QDateTime>
#include <QLocale>

#include <array>

namespace {

const std::array<int, 4> visibleFields = {F_Reminder, F_Date, F_Plan, F_Completed};

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
// icon and check box, so they show none.
QString displayText(int field, const QVariant& value) {
    if (field == F_Date && !value.isNull())
        return QLocale().toString(value.toDateTime().date(), QLocale::LongFormat);
    if (field == F_Plan)
        return value.toString();
    return QString();
}

} // namespace

GridModel::GridModel(TTable* table, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table) {
    connect(table, &TTable::rowsChanged, this, &GridModel::reset);
    connect(table, &TTable::recordChanged, this, &GridModel::repaintRows);
    connect(table, &TTable::currentChanged, this, &GridModel::repaintRows);
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
    return parent.isValid() ? 0 : m_table->RecordCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(visibleFields.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_table->RecordCount())
        return QVariant();
    const int field = columnField(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return displayText(field, m_table->valueAt(index.row(), field));
    case Qt::TextAlignmentRole:
        return field == F_Reminder ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return m_hint.isEmpty() ? QVariant() : QVariant(m_hint);
    default:
        return QVariant();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return title(columnField(section));
    return QVariant();
}

void GridModel::reset() {
    beginResetModel();
    endResetModel();
}

void GridModel::repaintRows() {
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}
