#include "main_window/TaskGrid.h"

#include "main_window/GridModel.h"
#include "store/TTable.h"
#include "toolkit/Guarded.h"
#include "toolkit/KeyboardHeader.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <array>

namespace {

// Display widths in characters of the visible fields, in column order.
const std::array<int, 4> displayWidths = {5, 15, 40, 5};

// The hint as typed: a tooltip would read a text that looks like markup as rich text.
QString typedText(const QString& text) {
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

} // namespace

TaskGrid::TaskGrid(QWidget* parent)
    : QTableView(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setWordWrap(false);
    // Texts are cut at the cell's edge, as the coloured rows' texts are.
    setTextElideMode(Qt::ElideNone);
    // The titles are a tab stop after the cells, where Space or Enter sorts by the marked
    // column as a click on it does.
    setHorizontalHeader(new KeyboardHeader(Qt::Horizontal, this));
    verticalHeader()->hide();
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TaskGrid::titleClick);
    horizontalHeader()->viewport()->installEventFilter(this);
}

void TaskGrid::bind(GridModel* model) {
    m_model = model;
    // The view moves its current cell off a row that goes, before the table has moved its
    // cursor: heard before the view hears of it.
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { m_following = true; });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { m_following = false; });
    // The row height before the rows: set after, it would resize every row one by one.
    const int rowHeight = std::max(fontMetrics().height() + 3, 19);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    verticalHeader()->setMinimumSectionSize(rowHeight);
    setModel(model);
    connect(model->table(), &TTable::currentChanged, this, &TaskGrid::followTable);
    followTable();
}

int TaskGrid::selectedColumn() const {
    return m_selectedColumn;
}

void TaskGrid::setSelectedColumn(int column) {
    m_selectedColumn = column;
    followTable();
}

void TaskGrid::sizeColumns() {
    const int zero = QFontMetrics(font()).horizontalAdvance('0');
    for (int column = 0; column < int(displayWidths.size()); ++column)
        setColumnWidth(column, std::max(displayWidths[size_t(column)] * zero + 4,
                                        horizontalHeader()->sectionSizeHint(column)));
}

// The grid's current cell shows the table's current record in the selected column. The
// view repaints the cell it leaves and the one it enters.
void TaskGrid::followTable() {
    if (!m_model)
        return;
    const int row = m_model->currentRow();
    m_following = true;
    if (row >= 0) {
        const QModelIndex cell = m_model->index(row, m_selectedColumn);
        setCurrentIndex(cell);
        scrollTo(cell);
    }
    m_following = false;
}

void TaskGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid() || m_model->table()->insertRow() >= 0)
        return;
    m_selectedColumn = current.column();
    ErrorReport::run([&] { m_model->table()->setRecNo(current.row() + 1); });
}

bool TaskGrid::pressOnCell(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QModelIndex cell = indexAt(event->position().toPoint());
    // An empty table still shows one blank row whose cells can be clicked.
    if (m_model && m_model->rowCount() == 0)
        return true;
    if (!cell.isValid())
        return false;
    m_selectedColumn = cell.column();
    setCurrentIndex(cell);
    return true;
}

void TaskGrid::mousePressEvent(QMouseEvent* event) {
    m_armed = pressOnCell(event) && event->button() == Qt::LeftButton;
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        QTableView::mousePressEvent(event);
}

void TaskGrid::mouseReleaseEvent(QMouseEvent* event) {
    const bool overCell =
        indexAt(event->position().toPoint()).isValid() || (m_model && m_model->rowCount() == 0);
    const bool click = m_armed && event->button() == Qt::LeftButton && overCell;
    m_armed = false;
    if (click)
        emit cellClick(m_selectedColumn);
}

void TaskGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    m_armed = pressOnCell(event) && event->button() == Qt::LeftButton;
    if (event->button() == Qt::LeftButton)
        emit dblClick();
}

void TaskGrid::focusOutEvent(QFocusEvent* event) {
    m_armed = false;
    QTableView::focusOutEvent(event);
}

// A menu asked for from the keyboard opens on the current row, not where the mouse is.
void TaskGrid::contextMenuEvent(QContextMenuEvent* event) {
    emit popupRequested(event->reason() == QContextMenuEvent::Keyboard ? currentRowPoint()
                                                                       : event->globalPos());
}

void TaskGrid::keyPressEvent(QKeyEvent* event) {
    const QKeyCombination key = event->keyCombination();
    if (key == QKeyCombination(Qt::Key_Menu) ||
        key == QKeyCombination(Qt::ShiftModifier, Qt::Key_F10)) {
        emit popupRequested(currentRowPoint());
        return;
    }
    if (leavesGrid(event)) {
        // Past the view's own Tab handling, which would only move between cells.
        QAbstractScrollArea::focusNextPrevChild(!backwards(event));
        return;
    }
    QTableView::keyPressEvent(event);
}

bool TaskGrid::backwards(const QKeyEvent* event) {
    return event->key() == Qt::Key_Backtab || event->modifiers() & Qt::ShiftModifier;
}

// Tab moves between the cells, so the grid would keep the keyboard for ever: Ctrl+Tab
// leaves it, and so does Tab on the last cell and Shift+Tab on the first.
bool TaskGrid::leavesGrid(const QKeyEvent* event) const {
    if (event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab)
        return false;
    if (event->modifiers() & Qt::ControlModifier)
        return true;
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return true;
    const bool back = backwards(event);
    const QHeaderView* titles = horizontalHeader();
    const int edgeColumn = titles->logicalIndex(back ? 0 : titles->count() - 1);
    const int edgeRow = back ? 0 : model()->rowCount() - 1;
    return current.row() == edgeRow && current.column() == edgeColumn;
}

// The middle of the current cell, or the grid's top left corner when there is no row.
QPoint TaskGrid::currentRowPoint() const {
    const QRect cell = visualRect(currentIndex());
    return viewport()->mapToGlobal(cell.isValid() ? cell.center() : QPoint(0, 0));
}

bool TaskGrid::showHint(QEvent* event, QWidget* over) {
    if (event->type() != QEvent::ToolTip)
        return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    if (m_hint.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), typedText(m_hint), over);
    return true;
}

bool TaskGrid::viewportEvent(QEvent* event) {
    return showHint(event, viewport()) || QTableView::viewportEvent(event);
}

bool TaskGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader()->viewport() &&
        showHint(event, horizontalHeader()->viewport()))
        return true;
    return QTableView::eventFilter(watched, event);
}

// A coloured row's text is not cut at its cell: the cells to its right cover it, and
// right of the last column the grid's own background does.
void TaskGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    const int last = horizontalHeader()->logicalIndex(horizontalHeader()->count() - 1);
    if (last < 0)
        return;
    const int right = columnViewportPosition(last) + columnWidth(last);
    if (right >= viewport()->width())
        return;
    QPainter painter(viewport());
    painter.fillRect(QRect(right, 0, viewport()->width() - right, viewport()->height()),
                     viewport()->palette().brush(viewport()->backgroundRole()));
}
