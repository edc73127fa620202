#include "main_window/TrayHost.h"

namespace TrayHost {

// The Windows shell sends the double click.
bool hostedAsStatusNotifier() {
    return false;
}

} // namespace TrayHost
