#pragma once

#include <QTableView>

class GridModel;

// DBGrid_Main: a read-only grid on Table_Main. The current row follows the table's
// current record both ways; a press of either button on a data cell makes that record
// current and that column the selected one. Releasing the left button over a data cell
// is a cell click; the second press of a double click is the double-click action. Letters
// typed into the grid do nothing. While its hint text is not empty, the mouse resting
// anywhere on the grid shows it, as typed.
// The Menu key and Shift+F10 ask for the popup menu on the current row; Ctrl+Tab, and Tab
// past the last cell, leave the cells for the column titles, where the keyboard sorts.
class TaskGrid final : public QTableView {
    Q_OBJECT
public:
    explicit TaskGrid(QWidget* parent = nullptr);

    void bind(GridModel* model);
    // The column of the grid's selected cell.
    int selectedColumn() const;
    void setSelectedColumn(int column);
    QString hint() const { return m_hint; }
    void setHint(const QString& hint) { m_hint = hint; }
    // Widths by the rule: display width x the width of "0" in the cell font + 4, never
    // less than the title's width in the title font + 4.
    void sizeColumns();

signals:
    void cellClick(int column);
    void dblClick();
    void titleClick(int column);
    void popupRequested(const QPoint& globalPos);

protected:
    // The item view's type-to-search would move the current record.
    void keyboardSearch(const QString&) override {}
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void followTable();
    bool pressOnCell(QMouseEvent* event);
    bool showHint(QEvent* event, QWidget* over);
    QPoint currentRowPoint() const;
    bool leavesGrid(const QKeyEvent* event) const;
    static bool backwards(const QKeyEvent* event);

    GridModel* m_model = nullptr;
    int m_selectedColumn = 0;
    bool m_following = false;
    // A release ends a cell click only if the grid kept the mouse since the press: a modal
    // window opened by the double-click action takes it away.
    bool m_armed = false;
    QString m_hint;
};
