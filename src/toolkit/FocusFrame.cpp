#include "toolkit/FocusFrame.h"

#include <QPainter>

void drawFocusFrame(QPainter* painter, const QRect& area) {
    const QRect frame = area.adjusted(1, 1, -2, -2);
    painter->save();
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(Qt::black, 1));
    painter->drawRect(frame);
    painter->setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter->drawRect(frame);
    painter->restore();
}
