// The program's links to other processes: the inter-process event
// interface (the build and project request handlers, the notifier that
// announces the program and forwards build lines and the build end to the
// client that asked for the build) and, with -x or -y, the channel between
// running instances, read on the GUI thread through a socket notifier.
// The start-up steps create it; the application layer reaches it as its
// IpcPort.
#pragma once

#include <atomic>
#include <functional>

#include <memory>
#include <string>

#include "shell/app/ipc_port.h"
#include "shell/tools/instance_channel.h"
#include "shell/tools/ipc_shell.h"

class QSocketNotifier;

namespace pm2 {

class EventDispatcher;
class IpcBuildHandlers;
class IpcNotifier;
class ShellApp;

class IpcDebugHandlers;
class IpcDebugShellImpl;

class IpcWiring : public IpcPort, public IpcShell, public InstanceChannelHandler {
 public:
  // `dispatcher`: the process's dispatcher (GetEventDispatcher()).
  IpcWiring(ShellApp& app, EventDispatcher& dispatcher);
  ~IpcWiring() override;
  IpcWiring(const IpcWiring&) = delete;
  IpcWiring& operator=(const IpcWiring&) = delete;

  // Start-up step 14: registers the handlers and announces the program; a
  // failure is shown once and leaves the program muted.
  void StartEventInterface();
  // Start-up step 17 and its exit: the instance channel; `runtimeFolder`
  // empty: the user's runtime folder.
  bool OpenInstanceChannel(const std::string& runtimeFolder = {});
  void CloseInstanceChannel();
  InstanceChannel* Channel() const { return m_channel.get(); }

  // ---- IpcPort
  void SendBuildInfo(const char* line) override;
  void SendBuildEnd() override;
  void SendGoodbye() override;
  void ChannelSend(int kind, const char* text) override;
  void SendDebuggerAborted() override;
  void SendDebuggerStarted() override;
  void SendDebuggerStopped() override;
  void SendExecutionStarted(uint32_t haltedPc) override;
  void SendDebugStatusText(const char* text) override;
  void SendExecutionStopped(bool debugging, bool running, uint32_t pc) override;
  void SendTargetMessage(intptr_t record) override;
  void SendTargetConnection(bool connected) override;

  // ---- IpcShell (the transport's receiver thread)
  bool HasTarget() override;
  bool IsBusy() override;
  bool HasDebugRecord() override;
  bool IsDebugging() override;
  bool RequestBuild(uint8_t mode) override;
  void StopBuild() override;
  void RunOnGuiThread(const std::function<void()>& fn) override;
  ProjectRec* Project() override;
  const NodeRec* OptionsSheetNode() override;
  bool ComponentsSheetOpen() override;
  // Whether the frame's Components sheet is open (GUI thread); set by the
  // frame's owner, which holds both.
  std::function<bool()> m_componentsOpen;
  void ProjectTreeChanged() override;
  std::string AbsolutePath(const std::string& stored) override;

  // ---- InstanceChannelHandler (GUI thread)
  void ExecDebugCommandLine(const std::string& line) override;
  void ProgressRequest(int code, const std::string& text, int value) override;

 private:
  ShellApp& m_app;
  EventDispatcher& m_dispatcher;
  IpcShellState m_state;
  std::unique_ptr<IpcBuildHandlers> m_handlers;
  std::unique_ptr<IpcNotifier> m_notifier;
  std::unique_ptr<IpcDebugShellImpl> m_debugShell;  // the debug requests (debugger/ui)
  // A session runs as the clients were last told (DebuggerStarted, not yet
  // DebuggerStopped): the debug requests' question, answered on their own
  // thread.
  std::atomic<bool> m_sessionTold{false};
  std::unique_ptr<IpcDebugHandlers> m_debugHandlers;
  std::unique_ptr<InstanceChannel> m_channel;
  QSocketNotifier* m_channelNotifier = nullptr;
};

}  // namespace pm2
