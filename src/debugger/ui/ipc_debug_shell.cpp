#include "debugger/ui/ipc_debug_shell.h"

#include <chrono>
#include <thread>

#include "platform/notification_hub.h"
#include "shell/app/debug_port.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/shell_app.h"

namespace pm2 {

IpcDebugShellImpl::IpcDebugShellImpl(ShellApp& app, RunOnGui runOnGui, std::function<bool()> canStartBuild)
    : m_app(app), m_gui(std::move(runOnGui)), m_canStart(std::move(canStartBuild)) {}

bool IpcDebugShellImpl::IsDebugging() {
  bool on = false;
  m_gui([&] { on = m_app.Debug().SessionActive(); });
  return on;
}

bool IpcDebugShellImpl::IsRunning() {
  bool on = false;
  m_gui([&] { on = m_app.Debug().TargetExecuting(); });
  return on;
}

void IpcDebugShellImpl::StartStopDebug() {
  m_gui([&] { m_app.Frame().OnDebugStartStop(); });
}

void IpcDebugShellImpl::StopRunning() {
  m_gui([&] { m_app.Frame().RouteCommand(32797); });
}

void IpcDebugShellImpl::StopSession() { m_app.Hub().Send(kNotifyStopDebugSession, 0); }

void IpcDebugShellImpl::RunCommand(int id) {
  m_gui([&] { m_app.Frame().RouteCommand(id); });
}

intptr_t IpcDebugShellImpl::Service(int code, intptr_t arg) { return m_app.IdeServiceCallNoLock(code, arg); }

std::string IpcDebugShellImpl::CommandRefusal() {
  std::string why;
  m_gui([&] { why = m_app.Debug().LastCommandRefusal(); });
  return why;
}

void IpcDebugShellImpl::Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace pm2
