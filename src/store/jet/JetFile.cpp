#include "store/jet/JetFile.h"

#include "store/jet/ConversionLock.h"
#include "store/jet/JetConversion.h"
#include "toolkit/FileAccess.h"

#include <QFile>

namespace {

// The first page of every Jet and ACE file: the page type 0, then the engine's name.
constexpr int magicOffset = 4;
const QByteArray jetMagic("Standard Jet DB\0", 16);
const QByteArray aceMagic("Standard ACE DB\0", 16);

} // namespace

namespace JetFile {

bool recognised(const QByteArray& header) {
    if (header.size() < magicOffset + jetMagic.size() || header[0] != 0)
        return false;
    const QByteArray magic = header.mid(magicOffset, jetMagic.size());
    return magic == jetMagic || magic == aceMagic;
}

bool isJet(const QString& path) {
    // Opening a FIFO or a device would block or read forever: only a regular file is looked at.
    if (FileAccess::kindOf(path) != FileAccess::Regular)
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && recognised(file.read(magicOffset + jetMagic.size()));
}

QString convertIfJet(const QString& path) {
    if (isJet(path))
        return JetConversion::convert(path);
    ConversionLock::clearAbandoned(path);
    return QString();
}

} // namespace JetFile
