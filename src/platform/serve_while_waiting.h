// Waits of the GUI thread for a worker that may itself be waiting for the
// GUI thread. A worker hands the GUI thread notifications it waits for (a
// sent notification, a message box, a call run on the GUI thread); a GUI
// thread that meanwhile joins that worker, or takes a lock the worker holds,
// would wait for ever. These waits call `serve` on the waiting thread until
// the wait is over, so what the worker waits for is delivered; the window
// program passes ServePendingGuiCalls (shell/windows/gui_call_server.h).
// Without `serve` (tests, the command line: no GUI thread) they are plain
// waits.
#pragma once

#include <functional>
#include <thread>

namespace pm2 {

// Delivers what is queued for the calling thread; quick, does not block.
using GuiCallServer = std::function<void()>;

// Runs `wait` (a blocking wait for a worker) to its end, calling `serve` on
// the calling thread while it lasts; `wait` itself runs on a helper thread.
void WaitServing(const std::function<void()>& wait, const GuiCallServer& serve);
// Joins `thread` when it is joinable, serving meanwhile.
void JoinServing(std::thread& thread, const GuiCallServer& serve);

}  // namespace pm2
