#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Texts in a Windows code page, as Jet 3 keeps them. One source file per platform: ICU's
// converters on Linux, the system's own on Windows.
namespace CodePage {
// Nothing when the code page is unknown or the bytes are not text in it.
std::optional<QString> decode(int page, const QByteArray& bytes);
} // namespace CodePage
