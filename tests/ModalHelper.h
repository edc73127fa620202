#pragma once

#include <functional>

class QString;
class QWidget;

// Answers a modal dialog from the test: schedule the action before the modal call; once
// a modal widget other than the one active at scheduling time is shown, the action runs
// on it once (click, type, close). An action scheduled from inside another dialog's
// action thus waits for the next dialog, not the one it was called from (which counts
// again once it has closed: dialogs are reused).
// When no such widget turns up within the timeout, a warning is printed and the failure
// is kept for modalHelperFailed().
void whenModal(std::function<void(QWidget* dialog)> action, int timeoutMsecs = 5000);

// Check after the modal calls (e.g. in cleanup()): true when an action timed out or is
// still waiting. Waiting actions are dropped and the record is cleared, so one test's
// leftovers never act on the next test's dialogs.
bool modalHelperFailed();

// The scheduled actions that have neither run nor timed out yet.
int pendingModalActions();

// Drops the actions still waiting without counting them as failures, for a check that no
// dialog turned up; returns how many there were.
int dropModalActions();

// Types any text into a widget, Cyrillic included; "\n" is the Enter key.
void typeText(QWidget* widget, const QString& text);
