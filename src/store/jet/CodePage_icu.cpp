#include "store/jet/CodePage.h"

#include <memory>
#include <unicode/ucnv.h>

std::optional<QString> CodePage::decode(int page, const QByteArray& bytes) {
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, void (*)(UConverter*)> converter(
        ucnv_open(("windows-" + QByteArray::number(page)).constData(), &status), ucnv_close);
    if (U_FAILURE(status))
        return std::nullopt;
    QString text(bytes.size() * 2, Qt::Uninitialized);
    const int32_t size =
        ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()), int32_t(text.size()),
                      bytes.constData(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    text.truncate(size);
    return text;
}
