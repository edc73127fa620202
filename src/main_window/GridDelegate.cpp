#include "main_window/GridDelegate.h"

#include "main_window/TForm_Main.h"
#include "toolkit/FocusFrame.h"

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
