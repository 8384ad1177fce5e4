// What the GUI thread does while it waits for a worker that may be waiting
// for it: the calls queued for the objects that take a worker's calls (the
// notification hub, the message boxes asked from a worker, calls run on the
// GUI thread) are delivered, each object's in the order they were made.
// Nothing else is: input, timers, repaints and the program's own queued
// calls (File > Exit's close among them) wait for the event loop, so a wait
// inside a command never runs another command beneath it. Called on another
// thread it does nothing.
#pragma once

class QObject;

namespace pm2 {

void ServePendingGuiCalls();

// An object whose queued calls come from workers that wait for them; it
// leaves the list when it is destroyed. GUI thread only.
void ServeCallsOf(QObject* receiver);

}  // namespace pm2
