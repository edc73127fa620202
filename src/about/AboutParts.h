#pragma once

#include <QFrame>
#include <QIcon>
#include <QLabel>

// What the splash and About windows share: the pictures from the program's resources,
// the version text, the link to the program's page, and the pieces built from them.
namespace AboutParts {

QIcon applicationIcon();    // 16, 24, 32 and 64 pixels square
QPixmap programPicture();   // 56 x 56, 32 bits per pixel
QByteArray photoFile();     // the photo as stored: a baseline JPEG of 359 x 278
QString versionText();      // "Версия 1.2.0"
QString makerPageAddress(); // the full address the link opens: the program's README
QString makerPageShortForm();

QLabel* label(QWidget* parent, const QString& text, int left, int top, const QFont& font);
QLabel* picture(QWidget* parent, const QPixmap& pixmap, const QRect& box);
// The photo, decoded and scaled down into the box, top left; an empty box when the photo
// cannot be decoded.
QLabel* photo(QWidget* parent, const QRect& box);

} // namespace AboutParts

// A panel with a lowered outer and a raised inner bevel.
class BevelPanel final : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label that reads as a link: blue, a hand cursor, the full address as its hint, and a
// clicked() signal on a left click. Tab reaches it too (framed while it has the focus),
// Enter or Space clicks it, and a screen reader meets it as a link.
class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    LinkLabel(QWidget* parent, const QString& caption, const QString& address, const QFont& font);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
