#pragma once

#include "store/TTable.h"

#include <QAbstractTableModel>
#include <QColor>

// The state a row is shown in: its colour (invalid for a row drawn the standard way) and
// the word a screen reader says for it.
struct RowState {
    QColor colour;
    QString spoken;

    bool coloured() const { return colour.isValid(); }
};

// The grid's view of Table_Main: its visible fields as columns, each row read from the
// table's snapshot when drawn. Holds no copy of the rows. A new record pending from Insert
// shows as a row of its own at the cursor's position until it is posted or dropped. Tells
// the views what the table changed, a row added, removed or written, and resets only when
// every row may have changed (a new order, rows read again).
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(TTable* table, QObject* parent = nullptr);

    // The table field shown in a grid column, and the column of a field (-1 if hidden).
    static int columnField(int column);
    static int fieldColumn(int field);

    TTable* table() const { return m_table; }
    // A field's value in a grid row, the pending new record's included.
    QVariant value(int row, int field) const;
    // The grid row of the table's current record (the pending new one while inserting);
    // -1 when there is none.
    int currentRow() const;
    // Overdue, due today or completed, by the row's values and today's date. The one rule
    // behind both the row's colour and its spoken state, so the two never disagree.
    RowState rowState(int row) const;
    // The text a row's Date cell shows: the words of a coloured row, the locale's date
    // otherwise. The drawing and the screen reader both take it from here.
    QString dateText(int row) const;
    // A date as a coloured row shows it: "8 Декабрь 2026 г.".
    static QString TaskDateText(const QDateTime& value);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant accessibleText(int row, int field) const;
    void rowsAboutToChange(TTable::RowChange change, int row);
    void rowsChanged(TTable::RowChange change, int row);
    void newRecordChanged();

    TTable* m_table;
};
