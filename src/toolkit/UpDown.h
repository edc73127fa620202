#pragma once

#include <QWidget>

// A vertical pair of spin arrows attached to no edit. A click on an arrow moves the
// position by one within [min, max] (no wrap of its own), then emits clicked(), also when
// the position stood at the bound and stays there.
class UpDown final : public QWidget {
    Q_OBJECT
public:
    UpDown(int min, int max, QWidget* parent = nullptr);

    int Position() const { return m_position; }
    void setPosition(int position); // clamped to [min, max]; emits nothing
    void setMax(int max);           // the position is clamped to the new range

signals:
    void clicked();

private:
    void step(int delta);

    int m_min;
    int m_max;
    int m_position = 0;
};
