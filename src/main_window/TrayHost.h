#pragma once

#include <optional>

// How the desktop hosts the program's tray icon. Where there is no notification area the
// window must never be hidden (nothing could bring it back). A StatusNotifierItem host
// (KDE Plasma, GNOME with the AppIndicator extension) sends a single activation and never
// a double click; an XEmbed tray and the Windows shell send the double click.
namespace TrayHost {

enum Kind { None, DoubleClick, SingleActivation };

// The desktop's answer, asked afresh on every call unless a test fixed it.
Kind kind();

// Test seam: kind() answers this until reset with std::nullopt.
void setKindForTest(std::optional<Kind> kind);

// The platform's part (one source file per platform): whether the icon is hosted as a
// StatusNotifierItem.
bool hostedAsStatusNotifier();

} // namespace TrayHost
