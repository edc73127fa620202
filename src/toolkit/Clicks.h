#pragma once

#include <functional>

class QWidget;

// A control's click event for widgets whose toolkit class has none (a line edit): the
// handler runs when the left mouse button is released over the widget.
void onClick(QWidget* widget, std::function<void()> handler);
