#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

// The photo of the splash and About windows, decoded through libjpeg's own API.
namespace Photo {

// Decodes a JPEG file's bytes into a 24-bit picture. Anything libjpeg finds wrong with
// the data, a warning about corrupt data included, gives a null image and libjpeg's own
// text in *error; the process always goes on.
QImage decode(const QByteArray& jpeg, QString* error = nullptr);

// The size of a picture scaled down into a box with its proportions kept, the fraction
// dropped; a picture that already fits keeps its own size.
QSize fittedSize(const QSize& picture, const QSize& box);

// The picture scaled down into the box as above; a null picture stays null.
QPixmap fitted(const QImage& picture, const QSize& box);

} // namespace Photo
