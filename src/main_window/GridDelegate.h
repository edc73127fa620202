#pragma once

#include <QStyledItemDelegate>

class TForm_Main;

// Draws each cell the standard way, then lets the main window draw over it, then frames
// the focused cell.
class GridDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    GridDelegate(TForm_Main* form, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    TForm_Main* m_form;
};
