#pragma once

#include <QString>

// The log-on start entry that stands for the Run key's value Tarvik. Linux: the XDG
// autostart file $XDG_CONFIG_HOME/autostart/Tarvik.desktop, whose Exec line carries the
// executable path; no file reads as the empty value. Windows: the Run key itself, whose
// value holds the path quoted (RunCommand.h). read() gives the bare path in both cases.
namespace Autostart {
QString read();
void write(const QString& executablePath); // refused: TarvikError
void remove();                             // refusal ignored
} // namespace Autostart
