#pragma once

#include <QStringList>

class QWidget;

// The texts of a window and its controls that do not fit the room their control gives them
// in its font: captions, labels, check-box texts, group titles, column titles and the dates
// the pickers show. One line per misfit, empty when everything fits.
QStringList misfitsIn(QWidget* window);
