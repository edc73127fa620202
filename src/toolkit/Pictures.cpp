#include "toolkit/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPixmap blank(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A sheet of paper with a folded corner, the ground of the task pictures.
void drawPage(QPainter& p, int width) {
    const int right = width - 3;
    QPainterPath sheet;
    sheet.moveTo(1.5, 0.5);
    sheet.lineTo(right - 3.5, 0.5);
    sheet.lineTo(right + 0.5, 4.5);
    sheet.lineTo(right + 0.5, 15.5);
    sheet.lineTo(1.5, 15.5);
    sheet.closeSubpath();
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.drawLine(QPointF(right - 3.5, 0.5), QPointF(right - 3.5, 4.5));
    p.drawLine(QPointF(right - 3.5, 4.5), QPointF(right + 0.5, 4.5));
    p.setPen(QColor(170, 170, 200));
    for (int y = 7; y <= 12; y += 2)
        p.drawLine(3, y, right - 2, y);
}

void drawCross(QPainter& p, const QRectF& box, qreal thickness) {
    p.setPen(QPen(QColor(220, 20, 20), thickness, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(box.topLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomLeft());
}

// A green check mark through three points.
void drawTick(QPainter& p, const QPolygonF& mark, qreal thickness) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 130, 0), thickness, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(mark);
}

QPixmap crossPicture(int side, const QRectF& box, qreal thickness) {
    QPixmap pixmap = blank(side, side);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawCross(p, box, thickness);
    return pixmap;
}

} // namespace

namespace Pictures {

QPixmap pagePlus() {
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    drawPage(p, 16);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 150, 0), 3));
    p.drawLine(QPointF(11.5, 7), QPointF(11.5, 15));
    p.drawLine(QPointF(7.5, 11), QPointF(15.5, 11));
    return pixmap;
}

QPixmap pagePencil() {
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    drawPage(p, 16);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(230, 160, 20), 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(15, 5), QPointF(7, 13));
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.drawLine(QPointF(7, 13), QPointF(5.5, 14.5));
    return pixmap;
}

QPixmap pageCross() {
    QPixmap pixmap = blank(13, 16);
    QPainter p(&pixmap);
    drawPage(p, 13);
    p.setRenderHint(QPainter::Antialiasing);
    drawCross(p, QRectF(5, 8, 7, 7), 2.2);
    return pixmap;
}

QPixmap bigRedCross() {
    return crossPicture(20, QRectF(3, 3, 14, 14), 4);
}
QPixmap redCross() {
    return crossPicture(16, QRectF(3, 3, 10, 10), 3);
}

QPixmap door() {
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    p.setPen(QColor(90, 50, 20));
    p.setBrush(QColor(160, 100, 40));
    p.drawRect(3, 1, 9, 14);
    p.setBrush(QColor(240, 200, 60));
    p.drawEllipse(QPointF(10, 8.5), 1, 1);
    return pixmap;
}

QPixmap magnifier() {
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 120), 2));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 8, 8));
    p.setPen(QPen(QColor(40, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
    return pixmap;
}

QPixmap clock(bool orange, int size) {
    QPixmap pixmap = blank(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    const QColor body = orange ? QColor(255, 140, 0) : QColor(150, 150, 150);
    const QColor dark = orange ? QColor(170, 80, 0) : QColor(90, 90, 90);
    p.setPen(QPen(dark, 1));
    p.setBrush(body);
    p.drawEllipse(QRectF(0.5, 0.5, 4.5, 4.5)); // bells
    p.drawEllipse(QRectF(11, 0.5, 4.5, 4.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(2, 2.5, 12, 12));
    p.setPen(QPen(body, 1.5));
    p.drawEllipse(QRectF(2, 2.5, 12, 12));
    p.setPen(QPen(dark, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8.5), QPointF(8, 5));
    p.drawLine(QPointF(8, 8.5), QPointF(10.5, 10));
    return pixmap;
}

QPixmap checkBox(bool ticked) {
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(2, 2, 11, 11);
    if (ticked)
        drawTick(p, QPolygonF({QPointF(4.5, 8), QPointF(7, 10.5), QPointF(11.5, 4.5)}), 2);
    return pixmap;
}

QPixmap greenTick() {
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    drawTick(p, QPolygonF({QPointF(2, 8.5), QPointF(6, 12.5), QPointF(14, 3.5)}), 3);
    return pixmap;
}

} // namespace Pictures
