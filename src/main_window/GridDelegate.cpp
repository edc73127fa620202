#include "main_window/GridDelegate.h"

#include "main_window/TForm_Main.h"

#include <QPainter>

GridDelegate::GridDelegate(TForm_Main* form, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_form(form) {}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem standard = option;
    standard.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, standard, index);
    initStyleOption(&standard, index);
    painter->save();
    m_form->DBGrid_MainDrawColumnCell(painter, standard, index.row(), index.column());
    painter->restore();
    if (option.state & QStyle::State_HasFocus)
        drawFocusFrame(painter, option.rect);
}

// A frame of black and white dots inside the focused cell, drawn last so that no row
// colour covers it; one of the two stands out on every background.
void GridDelegate::drawFocusFrame(QPainter* painter, const QRect& cell) {
    const QRect frame = cell.adjusted(1, 1, -2, -2);
    painter->save();
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(Qt::black, 1));
    painter->drawRect(frame);
    painter->setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter->drawRect(frame);
    painter->restore();
}
