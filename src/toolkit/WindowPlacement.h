#pragma once

class QWidget;

namespace WindowPlacement {

// The part of the primary screen a window is centred on: all of it, or the part that panels
// leave free.
enum class Area { Screen, Available };

// Centres the whole window, frame included, on the primary screen. A window not shown yet
// has no frame the platform knows: its opener's frame stands in, and the window is centred
// again as soon as its own frame is known, on its first showing.
void centre(QWidget* window, Area area);

} // namespace WindowPlacement
