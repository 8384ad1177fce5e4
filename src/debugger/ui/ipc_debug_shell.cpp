#include "debugger/ui/ipc_debug_shell.h"

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <thread>

#include "editor/ide/editor_printer.h"
#include "platform/notification_hub.h"
#include "project/model/project_records.h"
#include "shell/app/debug_port.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/shell_app.h"

namespace pm2 {

IpcDebugShellImpl::IpcDebugShellImpl(ShellApp& app, RunOnGui runOnGui, std::function<bool()> canStartBuild,
                                     std::function<bool()> sessionTold)
    : m_app(app), m_gui(std::move(runOnGui)), m_canStart(std::move(canStartBuild)),
      m_sessionTold(std::move(sessionTold)) {}

bool IpcDebugShellImpl::IsDebugging() {
  // Told started and not yet told ended: no trip to the GUI thread. A
  // session that ends meanwhile answers the request's service as ended.
  // Otherwise (a session starting) the GUI thread's answer, after the start.
  if (m_sessionTold && m_sessionTold()) return true;
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

bool IpcDebugShellImpl::ServiceIfHalted(int code, intptr_t arg, intptr_t* result) {
  bool halted = false;
  m_gui([&] {
    halted = !m_app.Debug().TargetExecuting();
    if (halted) *result = m_app.IdeServiceCallNoLock(code, arg);
  });
  return halted;
}

intptr_t IpcDebugShellImpl::ReadService(int code, intptr_t arg) {
  if (code == 2048 && m_app.Debug().EvaluateOnCallingThread(arg)) return 0;
  return Service(code, arg);
}

std::string IpcDebugShellImpl::ExpressionFault(const std::string& text) {
  std::string why;
  if (m_app.Debug().ExpressionFaultOnCallingThread(text, &why)) return why;
  m_gui([&] { why = m_app.Debug().ExpressionFault(text); });
  return why;
}

std::string IpcDebugShellImpl::CommandRefusal() {
  std::string why;
  m_gui([&] { why = m_app.Debug().LastCommandRefusal(); });
  return why;
}

std::string IpcDebugShellImpl::StartRefusal() {
  std::string why;
  m_gui([&] {
    // The sheet's OK would be applied while the session runs, and the
    // session would start behind it.
    if (const NodeRec* node = m_app.m_pOptionsNode) {
      std::string name = "the project";
      if (node->kind == kKindTarget) name = "target '" + static_cast<const TargetRec*>(node)->name.str() + "'";
      if (node->kind == kKindGroup) name = "group '" + static_cast<const GroupRec*>(node)->name.str() + "'";
      if (node->kind == kKindFile) name = "file '" + static_cast<const FileRec*>(node)->name.str() + "'";
      why = "Can't start debugging while the options dialog of " + name + " is open";
      return;
    }
    const QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) dialog = OpenPrintPreview();
    if (dialog) why = "Can't start debugging while the dialog '" + dialog->windowTitle().toStdString() + "' is open";
  });
  return why;
}

void IpcDebugShellImpl::Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace pm2
