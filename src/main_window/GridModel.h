#pragma once

#include <QAbstractTableModel>

class TTable;

// The grid's view of Table_Main: its visible fields as columns, each row read from the
// table's snapshot when drawn. Holds no copy of the rows.
class GridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(TTable* table, QObject* parent = nullptr);

    // The table field shown in a grid column, and the column of a field (-1 if hidden).
    static int columnField(int column);
    static int fieldColumn(int field);

    TTable* table() const { return m_table; }
    // The grid's hint text, shown while the mouse rests on the grid.
    QString hint() const { return m_hint; }
    void setHint(const QString& hint) { m_hint = hint; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void reset();
    void repaintRows();

    TTable* m_table;
    QString m_hint;
};
