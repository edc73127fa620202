#include "about/AboutParts.h"

#include "TarvikVersion.h"
#include "about/Photo.h"
#include "toolkit/AccessibleRole.h"
#include "toolkit/InstalledLayout.h"

#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QUrl>
#include <qdrawutil.h>

namespace AboutParts {

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 64})
        icon.addFile(QStringLiteral(":/pictures/icon%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap programPicture() {
    return QPixmap(QStringLiteral(":/pictures/program.png"));
}

QByteArray photoFile() {
    QFile file(QStringLiteral(":/pictures/photo.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString versionText() {
    return QStringLiteral("Версия " TARVIK_VERSION);
}

// The program has no web site: its page is the README the build puts beside it, or the
// installed copy in the documentation folder.
QString makerPageAddress() {
    return QUrl::fromLocalFile(InstalledLayout::readmePath(QCoreApplication::applicationFilePath()))
        .toString();
}

QString makerPageShortForm() {
    return QStringLiteral("Tarvik");
}

QLabel* label(QWidget* parent, const QString& text, int left, int top, const QFont& font) {
    auto* result = new QLabel(text, parent);
    result->setFont(font);
    result->move(left, top);
    result->adjustSize();
    return result;
}

QLabel* picture(QWidget* parent, const QPixmap& pixmap, const QRect& box) {
    auto* result = new QLabel(parent);
    result->setGeometry(box);
    result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    result->setPixmap(pixmap);
    return result;
}

QLabel* photo(QWidget* parent, const QRect& box) {
    return picture(parent, Photo::fitted(Photo::decode(photoFile()), box.size()), box);
}

} // namespace AboutParts

void BevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
}

LinkLabel::LinkLabel(QWidget* parent, const QString& caption, const QString& address,
                     const QFont& font)
    : QLabel(caption, parent) {
    setAccessibleRole("LinkLabel", QAccessible::Link);
    setFont(font);
    setToolTip(address);
    setAccessibleName(caption);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    setPalette(blue);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.state |= QStyle::State_KeyboardFocusChange;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}
