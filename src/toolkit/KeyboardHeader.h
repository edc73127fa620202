#pragma once

#include <QHeaderView>

class QKeyEvent;

// Column titles that the keyboard reaches as the mouse does. The header is a tab stop of
// its own; Left and Right move a focus mark to the title beside the marked one, in the
// order the titles stand, Home and End to the first and the last; Space and Enter click the
// marked title, through the same sectionClicked a mouse click gives. A screen reader meets
// it as a column header named by the marked title. The mark shows only while the header
// has the keyboard focus, and a mouse click does not give it the focus, so to the eye
// nothing changes until the keyboard comes.
// The sort arrow takes no room from a title: it stands small in the strip above it.
class KeyboardHeader final : public QHeaderView {
    Q_OBJECT
public:
    explicit KeyboardHeader(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    static bool isOwnKey(const QKeyEvent* event);
    // The first title not hidden from visual index from on, going by step (1 or -1), as a
    // logical index; -1 when there is none.
    int visibleFrom(int from, int step) const;
    void mark(int logicalIndex);
    void keepMark();
    void drawSortArrow(QPainter* painter, const QRect& section) const;

    int m_marked = -1; // the logical index of the marked title; -1 while there is none
};
