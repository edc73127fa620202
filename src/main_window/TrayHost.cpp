#include "main_window/TrayHost.h"

#include <QSystemTrayIcon>

namespace {

std::optional<TrayHost::Kind>& fixedKind() {
    static std::optional<TrayHost::Kind> kind;
    return kind;
}

} // namespace

namespace TrayHost {

Kind kind() {
    if (fixedKind())
        return *fixedKind();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return None;
    return hostedAsStatusNotifier() ? SingleActivation : DoubleClick;
}

void setKindForTest(std::optional<Kind> kind) {
    fixedKind() = kind;
}

} // namespace TrayHost
