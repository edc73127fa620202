#include "main_window/GridDelegate.h"

#include "main_window/GridModel.h"
#include "store/Fields.h"
#include "toolkit/FocusFrame.h"

#include <QApplication>
#include <QPainter>

GridDelegate::GridDelegate(const GridModel* model, const QIcon& greyClock, const QIcon& orangeClock,
                           QObject* parent)
    : QStyledItemDelegate(parent)
    , m_model(model)
    , m_clocks{greyClock, orangeClock} {}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem standard = option;
    standard.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, standard, index);
    initStyleOption(&standard, index);
    painter->save();
    DBGrid_MainDrawColumnCell(painter, standard, index.row(), index.column());
    painter->restore();
    if (option.state & QStyle::State_HasFocus)
        drawFocusFrame(painter, option.rect);
}

// A grid that is not shown (its window in the tray) keeps the standard drawing.
void GridDelegate::DBGrid_MainDrawColumnCell(QPainter* painter, const QStyleOptionViewItem& option,
                                             int row, int column) const {
    // A new record pending from Insert counts: it shows in the today colour.
    if (m_model->rowCount() == 0 || !option.widget || !option.widget->isVisible())
        return;
    const RowState state = m_model->rowState(row);
    const bool selected = option.state & QStyle::State_Selected;
    QColor background = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
    if (state.coloured()) {
        background = state.colour;
        PaintRowCell(painter, option, row, column, background);
    }
    const int field = GridModel::columnField(column);
    if (field == F_Completed) {
        DrawCheckCell(painter, option, background, m_model->value(row, F_Completed).toBool());
    } else if (field == F_Reminder) {
        const bool hasReminder = !m_model->value(row, F_Reminder).isNull();
        if (hasReminder)
            painter->fillRect(option.rect, background);
        m_clocks[hasReminder ? 1 : 0].paint(
            painter, QRect(option.rect.left() + 2, option.rect.top() + 1, 16, 16));
    }
}

void GridDelegate::PaintRowCell(QPainter* painter, const QStyleOptionViewItem& option, int row,
                                int column, const QColor& colour) const {
    painter->fillRect(option.rect, colour);
    const int field = GridModel::columnField(column);
    const QVariant value = m_model->value(row, field);
    QString text;
    if (field == F_Date)
        text = m_model->dateText(row);
    else if (field != F_Reminder && !value.isNull())
        text = field == F_Completed
                   ? (value.toBool() ? QStringLiteral("True") : QStringLiteral("False"))
                   : value.toString();
    if (text.isEmpty())
        return;
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    painter->setClipping(false);
    painter->drawText(
        QRect(option.rect.left() + 2, option.rect.top() + 2, 10000, option.rect.height()),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

// A raised push-button face over the whole cell, a check box inside it.
void GridDelegate::DrawCheckCell(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QColor& background, bool ticked) {
    painter->fillRect(option.rect, background);
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    QStyleOptionButton face;
    face.rect = option.rect;
    face.state = QStyle::State_Enabled | QStyle::State_Raised;
    style->drawControl(QStyle::CE_PushButtonBevel, &face, painter, option.widget);
    const QRect inside = style->subElementRect(QStyle::SE_PushButtonContents, &face, option.widget);
    QStyleOptionButton check;
    const int side =
        std::min({style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, option.widget),
                  inside.width(), inside.height()});
    check.rect = QRect(0, 0, side, side);
    check.rect.moveCenter(inside.center());
    check.state = QStyle::State_Enabled | (ticked ? QStyle::State_On : QStyle::State_Off);
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &check, painter, option.widget);
}
