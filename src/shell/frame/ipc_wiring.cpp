#include "shell/frame/ipc_wiring.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QThread>
#include <cstdio>
#include <filesystem>

#include "debugger/ipc/ipc_debug_handlers.h"
#include "debugger/ui/ipc_debug_shell.h"
#include "driver_abi/debug_interface.h"
#include "ipc/event_dispatcher.h"
#include "ipc/ipc_interface.h"
#include "platform/notification_hub.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "shell/app/debug_port.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/project_window/project_tree_model.h"
#include "shell/tools/ipc_build_handlers.h"
#include "shell/tools/ipc_notifications.h"
#include "platform/serve_while_waiting.h"
#include "shell/windows/gui_call_server.h"

namespace pm2 {

IpcWiring::IpcWiring(ShellApp& app, EventDispatcher& dispatcher) : m_app(app), m_dispatcher(dispatcher) {
  IpcSendFn send = [this](dtc_EventBase& e) { return m_dispatcher.SendEvent(e); };
  m_handlers = std::make_unique<IpcBuildHandlers>(dispatcher, *this, m_state, send);
  m_notifier = std::make_unique<IpcNotifier>(dispatcher, *this, m_state, send,
                                             [this] { return m_dispatcher.OwnSlot(); },
                                             [this](dtc_EventBase& e) { return m_dispatcher.SendToEveryPeer(e); });
  m_debugShell = std::make_unique<IpcDebugShellImpl>(
      app, [this](const std::function<void()>& fn) { RunOnGuiThread(fn); },
      [this] { return m_handlers->CanStartBuild(); }, [this] { return m_sessionTold.load(); });
  m_debugHandlers = std::make_unique<IpcDebugHandlers>(dispatcher, *m_debugShell,
                                                       IpcDebugState{&m_state.muted, &m_state.debugClient}, send);
}

IpcWiring::~IpcWiring() {
  CloseInstanceChannel();
  // Nothing more goes out; the handlers leave the dispatcher with them.
  m_state.muted = 1;
  // Leaving the dispatcher waits for a delivery under way on the receiver
  // thread, whose handler may be waiting for this thread: served meanwhile.
  WaitServing(
      [this] {
        m_debugHandlers.reset();
        m_notifier.reset();
        m_handlers.reset();
      },
      ServePendingGuiCalls);
}

void IpcWiring::StartEventInterface() {
  // This runs on the GUI thread with the window shown: an attach that waits
  // for another process to let go of the attach lock (a stopped one waits
  // for ever) would leave the window unanswered for the whole wait. The
  // start-up's own attempt was made off this thread before the window came
  // (FrameStartup), and left its reason; the program joins later, off this
  // thread too (below).
  const auto activateWithoutWaiting = [this] {
    return m_dispatcher.Active() || (!AttachLockHeldElsewhere() && m_dispatcher.Activate());
  };
  const bool started = m_notifier->StartEventInterface(activateWithoutWaiting, [this](const std::string& text) {
    // A build started from the command line has nobody to answer a box: it
    // says why on its error output and builds on, the interface muted.
    if (m_app.HasState(kStateBatchBuild)) {
      std::fprintf(stderr, "%s (%s)\n", text.c_str(), m_dispatcher.ActivationError().c_str());
      std::fflush(stderr);
      return;
    }
    // Kept out by another process that holds the attach lock (stopped,
    // say), the program joins once that process lets go, looked for from
    // now on, while the box is up too.
    if (AttachLockHeldElsewhere())
      m_notifier->JoinLater([this] { return m_dispatcher.Activate(); }, [] { return !AttachLockHeldElsewhere(); });
    // The reason follows on a line of its own (another process may keep
    // the program from joining: the user can do something about it).
    const std::string why = m_dispatcher.ActivationError();
    ShowError(m_app.Dialogs(), why.empty() ? text : text + "\n\n" + why);
  });
  // Started, but not under the usual names (another user's object blocks
  // one): the user hears which object and whose, since programs that look
  // for the usual names no longer reach this one.
  const std::string note = started ? m_dispatcher.ActivationNote() : std::string();
  if (note.empty()) return;
  if (m_app.HasState(kStateBatchBuild)) {
    std::fprintf(stderr, "%s\n", note.c_str());
    std::fflush(stderr);
  } else {
    ShowError(m_app.Dialogs(), note);
  }
}

bool IpcWiring::OpenInstanceChannel(const std::string& runtimeFolder) {
  m_channel = std::make_unique<InstanceChannel>(runtimeFolder);
  std::string err;
  if (!m_channel->Init(&err)) {
    // As with a failed initialisation elsewhere: a beep, the channel stays
    // closed and every send does nothing.
    m_app.Dialogs().Beep();
    return false;
  }
  m_channelNotifier = new QSocketNotifier(m_channel->Fd(), QSocketNotifier::Read);
  QObject::connect(m_channelNotifier, &QSocketNotifier::activated, m_channelNotifier,
                   [this] { m_channel->Poll(*this, 0); });
  return true;
}

void IpcWiring::CloseInstanceChannel() {
  delete m_channelNotifier;
  m_channelNotifier = nullptr;
  if (m_channel) m_channel->Exit();
  m_channel.reset();
}

// ---- IpcPort

void IpcWiring::SendBuildInfo(const char* line) {
  if (line) m_notifier->SendBuildInfoEvent(line);
}

void IpcWiring::SendBuildEnd() { m_notifier->SendBuildEndEvent(m_app.BuildEndResult()); }

void IpcWiring::SendDebuggerAborted() {
  m_sessionTold = false;
  m_notifier->SendDebuggerStoppedEvent();
}
void IpcWiring::SendDebuggerStarted() {
  m_sessionTold = true;
  m_notifier->SendDebuggerStartedEvent();
}
void IpcWiring::SendDebuggerStopped() {
  // A start that failed was told as aborted already: its end is no second stop.
  if (!m_sessionTold.exchange(false)) return;
  m_notifier->SendDebuggerStoppedEvent();
}
void IpcWiring::SendExecutionStarted(uint32_t haltedPc) { m_notifier->SendExecutionStartedEvent(haltedPc); }
void IpcWiring::SendDebugStatusText(const char* text) {
  if (m_debugHandlers && text) m_debugHandlers->SendDebugStatusText(text);
}
void IpcWiring::SendExecutionStopped(bool debugging, bool running, uint32_t pc) {
  m_notifier->SendExecutionStoppedEvent(debugging, running, pc);
}

// The driver's target-message block (service code 2051) and the target
// channel's state (2064).
void IpcWiring::SendTargetMessage(intptr_t record) {
  if (!record) return;
  const auto* m = reinterpret_cast<const TargetMessageRecord*>(record);
  m_notifier->SendTargetMessageEvent(m->word, m->value);
}
void IpcWiring::SendTargetConnection(bool connected) { m_notifier->SendTargetConnectionEvent(connected); }

void IpcWiring::SendGoodbye() { m_notifier->SendGoodbyeEvent(); }

void IpcWiring::ChannelSend(int kind, const char* text) {
  if (!m_channel || !text) return;
  std::string_view t(text);
  m_channel->Send(t, kind, int(t.size()));
}

// ---- IpcShell

bool IpcWiring::HasTarget() {
  bool has = false;
  RunOnGuiThread([&] { has = m_app.HasTarget(); });
  return has;
}

bool IpcWiring::IsBusy() { return m_app.HasState(kStateBusy); }

bool IpcWiring::HasDebugRecord() { return true; }

bool IpcWiring::IsDebugging() {
  bool on = false;
  RunOnGuiThread([&] { on = m_app.Debug().SessionActive(); });
  return on;
}

bool IpcWiring::RequestBuild(uint8_t mode) {
  // What the GUI thread decided, not the busy bit now: a short build may
  // have ended (and its client heard so) before this thread looks.
  return m_app.Hub().Send(kNotifyIpcBuildRequest, mode) != 0;
}

void IpcWiring::StopBuild() { m_app.Hub().Send(kNotifyBeepStopBuild, 0); }

void IpcWiring::RunOnGuiThread(const std::function<void()>& fn) {
  QCoreApplication* qt = QCoreApplication::instance();
  if (!qt || QThread::currentThread() == qt->thread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(qt, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}

ProjectRec* IpcWiring::Project() { return m_app.Project(); }

const NodeRec* IpcWiring::OptionsSheetNode() { return m_app.m_pOptionsNode; }

bool IpcWiring::ComponentsSheetOpen() { return m_componentsOpen && m_componentsOpen(); }

void IpcWiring::ProjectTreeChanged() {
  m_app.m_pSelItem = nullptr;
  m_app.Frame().RefreshProjectTree();
}

std::string IpcWiring::AbsolutePath(const std::string& stored) {
  ProjectRec* p = m_app.Project();
  std::string local = p ? LocalFilePath(*p, stored) : stored;
  if (local.empty()) local = stored;
  std::error_code ec;
  std::string abs = std::filesystem::absolute(local, ec).lexically_normal().string();
  if (ec || abs.size() > 260) return {};
  return abs;
}

// ---- InstanceChannelHandler

void IpcWiring::ExecDebugCommandLine(const std::string& line) { m_app.ExecDebugCommandLine(line.c_str()); }

void IpcWiring::ProgressRequest(int code, const std::string& text, int value) {
  if (code == 182) {
    m_app.DdeProgressRequest(code, std::to_string(value).c_str());
    return;
  }
  m_app.DdeProgressRequest(code, code == 180 ? text.c_str() : nullptr);
}

}  // namespace pm2
