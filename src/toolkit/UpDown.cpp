#include "toolkit/UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* arrowButton(Qt::ArrowType arrow, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAccessibleName(name);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    // The pair shares whatever size the owner gives, however small.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return button;
}

} // namespace

UpDown::UpDown(int min, int max, QWidget* parent)
    : QWidget(parent)
    , m_min(min)
    , m_max(max) {
    QToolButton* up = arrowButton(Qt::UpArrow, QStringLiteral("Больше"), this);
    QToolButton* down = arrowButton(Qt::DownArrow, QStringLiteral("Меньше"), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    setPosition(0);
    resize(17, 25);
}

void UpDown::setPosition(int position) {
    m_position = qBound(m_min, position, m_max);
}

void UpDown::setMax(int max) {
    m_max = max;
    setPosition(m_position);
}

void UpDown::step(int delta) {
    setPosition(m_position + delta);
    // The click is reported also when the position stood at a bound and could not move.
    emit clicked();
}
