// The debug request handlers' way into the program: every question and
// action is carried to the GUI thread and waited for, except whether a
// session runs while the clients were told it does: a request after a stop
// (a register read) then waits for the GUI thread once, not also for the
// windows' repaint between two trips; a read-only evaluation of a halted
// target does not wait for the GUI thread at all when the driver allows it.
#pragma once

#include <functional>

#include "debugger/ipc/ipc_debug_handlers.h"

namespace pm2 {

class ShellApp;

class IpcDebugShellImpl : public IpcDebugShell {
 public:
  using RunOnGui = std::function<void(const std::function<void()>&)>;
  // sessionTold: a session runs as the clients were last told (read on any thread).
  IpcDebugShellImpl(ShellApp& app, RunOnGui runOnGui, std::function<bool()> canStartBuild,
                    std::function<bool()> sessionTold = nullptr);
  bool IsDebugging() override;
  bool IsRunning() override;
  bool CanStartBuild() override { return m_canStart(); }
  void StartStopDebug() override;
  void StopRunning() override;
  void StopSession() override;
  void RunCommand(int id) override;
  intptr_t Service(int code, intptr_t arg) override;
  // A read-only evaluation (service 2048) of a halted target: on this
  // thread when the driver allows it, so a read after a stop does not wait
  // for the windows' refresh on the GUI thread.
  intptr_t ReadService(int code, intptr_t arg) override;
  // Whether the target runs and the step, in one trip to the GUI thread.
  bool ServiceIfHalted(int code, intptr_t arg, intptr_t* result) override;
  std::string CommandRefusal() override;
  std::string ExpressionFault(const std::string& text) override;
  // Under an open options sheet, any other modal dialog of the user's or
  // the print preview (which holds the main window as a modal one would).
  std::string StartRefusal() override;
  void Sleep(int ms) override;

 private:
  ShellApp& m_app;
  RunOnGui m_gui;
  std::function<bool()> m_canStart;
  std::function<bool()> m_sessionTold;
};

}  // namespace pm2
