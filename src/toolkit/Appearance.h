#pragma once

#include <QFont>
#include <QString>

// How the program looks and speaks on any desktop: Qt's own texts (edit menus, the
// calendar, standard buttons) in Russian whatever the system language, Russian month and
// day names in the widgets, and a face with Cyrillic letters wherever the windows ask for
// "Comic Sans MS" and the system lacks it. The program and the window tests call it once
// the application object exists and before any window is made; later calls do nothing.
namespace Appearance {

void install();

// A face at a pixel height: the windows' own face unless another is named.
QFont font(int pixelHeight, bool bold = false,
           const QString& family = QStringLiteral("Comic Sans MS"));

// The face that stands in for "Comic Sans MS": of the faces with Cyrillic letters that
// Debian packages, the one whose widths fit the windows' layout (PT Sans).
extern const char* const SubstituteFace;

} // namespace Appearance
