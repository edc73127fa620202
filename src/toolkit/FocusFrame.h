#pragma once

class QPainter;
class QRect;

// The mark of the part of a control that has the keyboard focus (a grid cell, a column
// title): a frame of black and white dots just inside it, drawn last so that no background
// covers it; one of the two colours stands out on every background.
void drawFocusFrame(QPainter* painter, const QRect& area);
