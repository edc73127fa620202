#pragma once

#include "store/jet/JetReader.h"

// libmdb reads a Jet file in a process of its own: the program's own executable, started
// again in a reading mode that only the environment its parent gives it selects. A damaged
// file that crashes libmdb, runs it in circles or has it allocate without end costs that
// process, not the program: the helper has a time limit and a memory limit, and one that
// fails, is killed or hands back anything but whole rows that agree with the table's
// definition means the file is damaged.
namespace JetReading {

// Every row of the table Plans of the Jet file at path, read by a helper and checked against
// what the table's definition promises: its row count, the column count of every row, texts
// without NUL characters, every ID once. Throws TarvikError naming the file.
std::vector<JetTask> readPlans(const QString& path);

// main() calls this first, before any application object. In a helper it reads the file
// its parent named, writes what it read to standard output and returns the exit code;
// anywhere else it returns -1 at once.
int serveIfAsked();

} // namespace JetReading
