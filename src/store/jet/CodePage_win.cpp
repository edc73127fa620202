#include "store/jet/CodePage.h"

#include <windows.h>

std::optional<QString> CodePage::decode(int page, const QByteArray& bytes) {
    if (bytes.isEmpty())
        return QString();
    QString text(bytes.size(), Qt::Uninitialized); // a code page byte is at most one unit
    const int size =
        MultiByteToWideChar(UINT(page), MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()),
                            reinterpret_cast<wchar_t*>(text.data()), int(text.size()));
    if (size <= 0)
        return std::nullopt;
    text.truncate(size);
    return text;
}
