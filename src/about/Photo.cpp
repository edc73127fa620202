#include "about/Photo.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE declared first
#include <jpeglib.h>

namespace {

// libjpeg's default error handler calls exit(); this one jumps back to the decoder
// instead. Warnings about corrupt data end the decoding too: the rest of a damaged
// picture would be grey filler.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void failDecoding(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void onMessage(j_common_ptr info, int level) {
    if (level < 0)
        failDecoding(info);
}

// Everything the decoding touches lives here, outside the frame that calls setjmp, so
// the jump back leaves nothing half-built and no destructor skipped.
struct Decoding {
    jpeg_decompress_struct info;
    ErrorManager errors;
    QImage image;
};

// C-style on purpose: between setjmp and a possible longjmp this frame holds no object
// with a destructor. Returns false when libjpeg reported an error.
bool run(Decoding* d, const unsigned char* data, unsigned long size) {
    d->info.err = jpeg_std_error(&d->errors.pub);
    d->errors.pub.error_exit = failDecoding;
    d->errors.pub.emit_message = onMessage;
    d->errors.message[0] = '\0';
    if (setjmp(d->errors.jump)) {
        jpeg_destroy_decompress(&d->info);
        return false;
    }
    jpeg_create_decompress(&d->info);
    jpeg_mem_src(&d->info, data, size);
    jpeg_read_header(&d->info, TRUE);
    d->info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d->info);
    d->image = QImage(int(d->info.output_width), int(d->info.output_height), QImage::Format_RGB888);
    if (d->image.isNull() || d->info.output_components != 3)
        failDecoding(reinterpret_cast<j_common_ptr>(&d->info));
    while (d->info.output_scanline < d->info.output_height) {
        JSAMPROW row = d->image.scanLine(int(d->info.output_scanline));
        jpeg_read_scanlines(&d->info, &row, 1);
    }
    jpeg_finish_decompress(&d->info);
    jpeg_destroy_decompress(&d->info);
    return true;
}

} // namespace

namespace Photo {

QImage decode(const QByteArray& jpeg, QString* error) {
    Decoding decoding{};
    const bool ok = run(&decoding, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                        static_cast<unsigned long>(jpeg.size()));
    if (ok)
        return decoding.image;
    if (error)
        *error = QString::fromLocal8Bit(decoding.errors.message);
    return QImage();
}

QSize fittedSize(const QSize& picture, const QSize& box) {
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    // Compare the proportions in whole numbers: width / height against box's.
    const qint64 byWidth = qint64(picture.width()) * box.height();
    const qint64 byHeight = qint64(picture.height()) * box.width();
    if (byWidth >= byHeight)
        return QSize(box.width(), int(qint64(picture.height()) * box.width() / picture.width()));
    return QSize(int(qint64(picture.width()) * box.height() / picture.height()), box.height());
}

QPixmap fitted(const QImage& picture, const QSize& box) {
    if (picture.isNull())
        return QPixmap();
    return QPixmap::fromImage(picture.scaled(fittedSize(picture.size(), box), Qt::IgnoreAspectRatio,
                                             Qt::SmoothTransformation));
}

} // namespace Photo
