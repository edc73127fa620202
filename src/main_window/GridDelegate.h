#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

#include <array>

class GridModel;

// The grid's drawing: each cell the standard way, then the row's colour, the clock
// picture and the check cell over it, then a frame round the focused cell.
class GridDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    // The grey clock shows in the cell of a task without a reminder, the orange one in that
    // of a task with one.
    GridDelegate(const GridModel* model, const QIcon& greyClock, const QIcon& orangeClock,
                 QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    // The grid's own drawing of one cell after the standard drawing.
    void DBGrid_MainDrawColumnCell(QPainter* painter, const QStyleOptionViewItem& option, int row,
                                   int column) const;
    void PaintRowCell(QPainter* painter, const QStyleOptionViewItem& option, int row, int column,
                      const QColor& colour) const;
    static void DrawCheckCell(QPainter* painter, const QStyleOptionViewItem& option,
                              const QColor& background, bool ticked);

    const GridModel* m_model;
    std::array<QIcon, 2> m_clocks;
};
