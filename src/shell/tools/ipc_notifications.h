// The program's own side of the event interface: start-up with the
// identity announcement and its mute rule, the answer to WhoIs, the
// goodbye, build output and the build end forwarded to the build client,
// and the debug-state notifications. Nothing is sent while muted; the
// program is un-muted only when its identity reached another process. One
// peer that cannot take it in (stopped, hung, its ring full) mutes nothing
// while another process took it: a client that was answered would
// otherwise hear nothing more, not even the end of the build it asked for.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ipc/event_catalog.h"
#include "shell/tools/ipc_shell.h"

namespace pm2 {

class EventHandlerRegistry;

inline constexpr char kIpcStartFailed[] = "Could not Initialize ActivateIPDispatcher() !";
inline constexpr char kIpcInstanceWord[] = "Pelmora2";

// One line of build output read as a message: "file(line[,column])[:] text".
struct BuildMessage {
  bool isMessage = false;
  std::string file;
  int line = -1;
  std::string text;  // the whole line when it is not a message
};
BuildMessage ParseBuildMessage(const std::string& line);

// The five group names of the identity, in order.
TextList IdentityGroups();

class IpcNotifier {
 public:
  // `registry` receives the WhoIs handler; `ownSlot` gives this process's
  // slot once the interface is active; `announce` sends the identity to
  // every other process and tells whether any took it (EventDispatcher::
  // SendToEveryPeer); without it `send` does.
  IpcNotifier(EventHandlerRegistry& registry, IpcShell& shell, IpcShellState& state, IpcSendFn send,
              std::function<int()> ownSlot, IpcSendFn announce = {});
  ~IpcNotifier();
  IpcNotifier(const IpcNotifier&) = delete;
  IpcNotifier& operator=(const IpcNotifier&) = delete;

  // Activates the dispatcher and announces the program. On failure
  // `report` shows kIpcStartFailed and the program stays muted, unless a
  // later start gets through (JoinLater).
  bool StartEventInterface(const std::function<bool()>& activate,
                           const std::function<void(const std::string&)>& report);
  // After a failed start that another process kept out (one that holds the
  // lock that lets processes attach one at a time, and is stopped, say):
  // the start is tried again, on a thread of its own, whenever `mayTry`
  // says that process let go, until it gets through (the program is then
  // announced as a start announces it) or the notifier goes.
  void JoinLater(std::function<bool()> activate, std::function<bool()> mayTry);
  void OnWhoIs();
  void SendGoodbyeEvent();
  // Every line of build output (forwarded while a requested build runs).
  void SendBuildInfoEvent(const char* line);
  // Build result: -1 stopped, 0 no errors, 1 errors. The build client is
  // forgotten at every build end, muted or not.
  void SendBuildEndEvent(int result);
  // The target's execution, told in order: every start follows the stop
  // of the run before it. A run that starts before its predecessor's stop
  // was told (the stop's own notice came late, or was dropped because the
  // new run overtook it) tells that stop first, at `haltedPc`, where the
  // target stands as the new run starts. A stop is told only while
  // debugging and not running: one that a new run overtook was told by it.
  void SendExecutionStartedEvent(uint32_t haltedPc);
  void SendExecutionStoppedEvent(bool debugging, bool running, uint32_t pc);
  void SendDebuggerStartedEvent();
  void SendDebuggerStoppedEvent();
  // A message the driver passed on from the target (words 0, 1, 2, 4 and 5
  // of its block and the 8-byte value), to every client.
  void SendTargetMessageEvent(const uint32_t (&words)[6], uint64_t value);
  // The target channel came up or went down: told to the client that
  // started the session, nobody while no client started one.
  void SendTargetConnectionEvent(bool connected);

 private:
  bool Announce();
  void Send(dtc_EventBase& event, int32_t to);
  void SendStopped(uint32_t pc);
  struct WhoIsHandler;

  IpcShell& m_shell;
  IpcShellState& m_state;
  IpcSendFn m_send;
  std::function<int()> m_ownSlot;
  IpcSendFn m_announce;
  std::unique_ptr<WhoIsHandler> m_whoIs;
  // A start was told whose stop was not; held while either is told, so
  // that the two are sent in the order they are decided.
  std::mutex m_executionLock;
  bool m_stopOwed = false;
  // The later start's thread, and what ends its waits.
  std::thread m_joiner;
  std::mutex m_joinLock;
  std::condition_variable m_joinWake;
  bool m_joinEnds = false;
};

}  // namespace pm2
