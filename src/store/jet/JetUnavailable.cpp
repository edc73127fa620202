#include "store/PlansFile.h"
#include "store/jet/JetConversion.h"
#include "store/jet/JetReading.h"
#include "toolkit/Error.h"

// A build without libmdb cannot read a Jet file; it says so and leaves the file alone.
QString JetConversion::convert(const QString& path) {
    throw TarvikError(QStringLiteral("Файл \"%1\" — база данных Access (Jet) из Windows-версии "
                                     "программы. Перенос задач из неё в этой сборке программы "
                                     "недоступен. Файл оставлен как есть.")
                          .arg(PlansFile::shown(path)));
}

// Nor does it start a reading helper.
int JetReading::serveIfAsked() {
    return -1;
}
