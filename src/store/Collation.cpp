#include "store/Collation.h"

#include <QString>

void Collation::appendFoldedKey(QStringView text, std::string& key) {
    for (const QChar unit : text.toString().toCaseFolded())
        key.append({char(unit.unicode() >> 8), char(unit.unicode() & 0xFF)});
}

int Collation::compareFolded(QStringView a, QStringView b) {
    return QString::compare(a.toString().toCaseFolded(), b.toString().toCaseFolded());
}
