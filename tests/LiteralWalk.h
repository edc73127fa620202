#pragma once

// The reminder watch's tick as first written: it moves the cursor through every record,
// every second, testing each on the way. Kept beside the watch's own tick to show that both
// give the same dialogs in the same order and leave the same cursor, and to measure what
// the watch saves.
class ReminderWatch;
class TTable;

void literalWalk(TTable& table, ReminderWatch& watch);
