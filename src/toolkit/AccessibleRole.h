#pragma once

#include <QAccessible>

// Makes a screen reader meet every widget of the named class in the given role (a label
// that acts as a link, a header that takes the keyboard) instead of the role its toolkit
// base class has. Call it before the first widget of the class is made.
void setAccessibleRole(const char* className, QAccessible::Role role);
