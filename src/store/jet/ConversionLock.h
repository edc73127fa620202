#pragma once

#include "toolkit/FileLock.h"

#include <QString>

// One conversion at a time in a folder, held from the decision to convert until the swap:
// two copies started together (the autostart and a click) would otherwise each take the
// other's half-written file for a leftover. A copy that finds the lock taken waits a few
// seconds for the other to finish.
class ConversionLock final {
public:
    // Throws TarvikError when another copy still converts after the wait, or when the lock
    // cannot be made.
    explicit ConversionLock(const QString& path);

    // Removes the lock file a conversion killed after its swap left beside the file.
    static void clearAbandoned(const QString& path);

private:
    FileLock m_lock;
};
