#include "main_window/TrayHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>

namespace TrayHost {

// Qt hosts its icon as a StatusNotifierItem exactly when a watcher with a registered host
// is on the session bus; otherwise it docks into an XEmbed tray.
bool hostedAsStatusNotifier() {
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(watcher))
        return false;
    QDBusInterface properties(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return properties.property("IsStatusNotifierHostRegistered").toBool();
}

} // namespace TrayHost
