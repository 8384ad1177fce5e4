// The event interface's debug requests served by a real session and its
// driver, on the test's one thread: what the frame would do around them
// (starting and ending sessions, sleeping, routing commands) does nothing.
#pragma once

#include "debugger/ipc/ipc_debug_handlers.h"
#include "debugger/session/debug_session.h"

namespace pm2::test {

struct SessionIpcShell : IpcDebugShell {
  explicit SessionIpcShell(DebugSession& s) : session(s) {}
  bool IsDebugging() override { return session.SessionActive(); }
  bool IsRunning() override { return session.TargetExecuting(); }
  bool CanStartBuild() override { return true; }
  void StartStopDebug() override {}
  void StopRunning() override { session.StopRunning(); }
  void StopSession() override {}
  void RunCommand(int) override {}
  intptr_t Service(int code, intptr_t arg) override {
    intptr_t result = 0;
    session.Service(code, arg, &result);
    return result;
  }
  std::string CommandRefusal() override { return session.LastCommandRefusal(); }
  std::string ExpressionFault(const std::string& text) override { return session.ExpressionFault(text); }
  void Sleep(int) override {}
  DebugSession& session;
};

}  // namespace pm2::test
