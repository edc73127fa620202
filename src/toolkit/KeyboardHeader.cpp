#include "toolkit/KeyboardHeader.h"

#include "toolkit/AccessibleRole.h"
#include "toolkit/FocusFrame.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

KeyboardHeader::KeyboardHeader(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    setAccessibleRole("KeyboardHeader", QAccessible::ColumnHeader);
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QHeaderView::sectionCountChanged, this, &KeyboardHeader::keepMark);
}

// The window's shortcuts (Enter presses its default button) would take the keys first.
bool KeyboardHeader::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && isOwnKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QHeaderView::event(event);
}

bool KeyboardHeader::isOwnKey(const QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        return false;
    }
}

void KeyboardHeader::keyPressEvent(QKeyEvent* event) {
    if (!isOwnKey(event) || m_marked < 0) {
        QHeaderView::keyPressEvent(event);
        return;
    }
    const int at = visualIndex(m_marked);
    switch (event->key()) {
    case Qt::Key_Left:
        mark(visibleFrom(at - 1, -1));
        break;
    case Qt::Key_Right:
        mark(visibleFrom(at + 1, 1));
        break;
    case Qt::Key_Home:
        mark(visibleFrom(0, 1));
        break;
    case Qt::Key_End:
        mark(visibleFrom(count() - 1, -1));
        break;
    default:
        emit sectionClicked(m_marked);
    }
}

int KeyboardHeader::visibleFrom(int from, int step) const {
    for (int visual = from; visual >= 0 && visual < count(); visual += step)
        if (!isSectionHidden(logicalIndex(visual)))
            return logicalIndex(visual);
    return -1;
}

// At the edge the mark stays where it is.
void KeyboardHeader::mark(int logicalIndex) {
    if (logicalIndex < 0)
        return;
    m_marked = logicalIndex;
    setAccessibleName(model() ? model()->headerData(logicalIndex, orientation()).toString()
                              : QString());
    viewport()->update();
}

// Titles added or taken away: the mark stays on its title while that exists, else goes
// to the first one.
void KeyboardHeader::keepMark() {
    const bool stays = m_marked >= 0 && m_marked < count() && !isSectionHidden(m_marked);
    const int marked = stays ? m_marked : visibleFrom(0, 1);
    m_marked = -1;
    mark(marked);
}

// Tab is not handed to the view, whose Tab moves between its cells: Tab goes on to the
// next control of the window, Shift+Tab back to the one before, the view itself.
bool KeyboardHeader::focusNextPrevChild(bool next) {
    const auto step = [next](QWidget* from) {
        return next ? from->nextInFocusChain() : from->previousInFocusChain();
    };
    for (QWidget* control = step(this); control != this; control = step(control)) {
        if ((control->focusPolicy() & Qt::TabFocus) && control->isVisible() &&
            control->isEnabled() && !control->focusProxy() && control->window() == window()) {
            control->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void KeyboardHeader::focusInEvent(QFocusEvent* event) {
    keepMark();
    QHeaderView::focusInEvent(event);
}

void KeyboardHeader::focusOutEvent(QFocusEvent* event) {
    viewport()->update();
    QHeaderView::focusOutEvent(event);
}

void KeyboardHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    // The section's own drawing leaves the painter clipped to nothing.
    painter->save();
    painter->setClipRect(rect);
    if (isSortIndicatorShown() && logicalIndex == sortIndicatorSection())
        drawSortArrow(painter, rect);
    if (hasFocus() && logicalIndex == m_marked)
        drawFocusFrame(painter, rect);
    painter->restore();
}

// The style would draw the arrow at the title's end and shorten the title by its width.
void KeyboardHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    option->sortIndicator = QStyleOptionHeader::None;
}

// The title's room with the style's margins (the Windows style's are the widest), and none
// for the arrow.
QSize KeyboardHeader::sectionSizeFromContents(int logicalIndex) const {
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, logicalIndex);
    return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
}

// A triangle in the title's colour, centred in the strip between the section's top and the
// top of the title's capitals: as high as the strip allows, at most 4 pixels, and none where
// the strip is too low for 3. It points down for the ascending order, as the style's does.
void KeyboardHeader::drawSortArrow(QPainter* painter, const QRect& section) const {
    const QFontMetrics metrics(font());
    const int capitalsTop = section.top() + (section.height() - metrics.height()) / 2 +
                            metrics.ascent() - metrics.capHeight();
    const int height = std::min(4, capitalsTop - section.top() - 2);
    if (height < 3)
        return;
    const bool down = sortIndicatorOrder() == Qt::AscendingOrder;
    const QColor colour = palette().color(QPalette::ButtonText);
    for (int row = 0; row < height; ++row) {
        const int half = down ? height - 1 - row : row;
        painter->fillRect(section.center().x() - half, section.top() + 1 + row, 2 * half + 1, 1,
                          colour);
    }
}
