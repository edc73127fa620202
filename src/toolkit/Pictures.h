#pragma once

#include <QPixmap>

// The program's small pictures, drawn once in code so no image files travel with it.
namespace Pictures {
QPixmap pagePlus();    // page with a green plus, 16 x 16
QPixmap pagePencil();  // page with a pencil, 16 x 16
QPixmap pageCross();   // page with a red cross, 13 x 16
QPixmap bigRedCross(); // large red cross, 20 x 20
QPixmap redCross();    // red cross, 16 x 16
QPixmap door();        // 16 x 16
QPixmap magnifier();   // 16 x 16
QPixmap clock(bool orange, int size = 16);
QPixmap checkBox(bool ticked); // 16 x 16
QPixmap greenTick();           // 16 x 16
} // namespace Pictures
