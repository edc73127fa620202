#pragma once

#include <QString>

// What the user reads when the database refuses something: a Russian sentence that says
// what happened and what to do, chosen by SQLite's (extended) result code, with SQLite's
// own text on a second line for whoever has to look into it.
namespace DatabaseMessages {
QString explained(int extendedCode, const QString& engineText);
} // namespace DatabaseMessages
