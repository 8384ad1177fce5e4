// The program's end by SIGTERM, SIGINT or SIGHUP. What must not outlive the
// program (the event interface's shared objects when it is their last user,
// the tools a build started in process groups of their own) is given up on
// a thread of its own, and then the signal ends the program as it would
// have without a handler (same exit status for the parent).
//
// The handler itself only writes the signal's number into a pipe: the work
// runs on the watching thread, where locks and allocations are allowed.
// Cleanups run in the reverse order of their registration; each is bounded
// by what it does (no waits without a limit).
#pragma once

#include <functional>

namespace pm2 {

// Installs the handlers of the three signals and starts the watching thread
// (once per process; later calls do nothing).
void InstallTerminationHandlers();

// Registers work for the end by a signal; the id takes it back. Registering
// works whether or not the handlers are installed.
int AddTerminationCleanup(std::function<void()> cleanup);
void RemoveTerminationCleanup(int id);

// Runs the registered cleanups as the watching thread does (tests).
void RunTerminationCleanups();

// True from the moment the watching thread has taken a signal, before its
// cleanups run. Work that starts what a cleanup ends (a tool in a process
// group of its own) checks it under the lock that cleanup takes, and
// starts nothing once it is set: a tool started after its cleanup ran would
// outlive the program.
bool TerminationUnderWay();

}  // namespace pm2
