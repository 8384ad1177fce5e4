// The debug request handlers' way into the program: every question and
// action is carried to the GUI thread and waited for.
#pragma once

#include <functional>

#include "debugger/ipc/ipc_debug_handlers.h"

namespace pm2 {

class ShellApp;

class IpcDebugShellImpl : public IpcDebugShell {
 public:
  using RunOnGui = std::function<void(const std::function<void()>&)>;
  IpcDebugShellImpl(ShellApp& app, RunOnGui runOnGui, std::function<bool()> canStartBuild);
  bool IsDebugging() override;
  bool IsRunning() override;
  bool CanStartBuild() override { return m_canStart(); }
  void StartStopDebug() override;
  void StopRunning() override;
  void StopSession() override;
  void RunCommand(int id) override;
  intptr_t Service(int code, intptr_t arg) override;
  std::string CommandRefusal() override;
  void Sleep(int ms) override;

 private:
  ShellApp& m_app;
  RunOnGui m_gui;
  std::function<bool()> m_canStart;
};

}  // namespace pm2
