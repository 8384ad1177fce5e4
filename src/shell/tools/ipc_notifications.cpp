#include "shell/tools/ipc_notifications.h"

#include <chrono>
#include <cstdio>

#include "project/model/project_records.h"

namespace pm2 {

struct IpcNotifier::WhoIsHandler final : dtc_Identify::WhoIs::Handler {
  WhoIsHandler(EventHandlerRegistry& r, IpcNotifier& o) : dtc_Identify::WhoIs::Handler(r), owner(o) {}
  void Handle(dtc_Identify::WhoIs&) override { owner.OnWhoIs(); }
  IpcNotifier& owner;
};

BuildMessage ParseBuildMessage(const std::string& raw) {
  BuildMessage m;
  std::string line = raw;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  m.text = line;
  size_t open = line.find('(');
  if (open == std::string::npos) return m;
  size_t i = open + 1;
  long number = 0;
  bool digits = false;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i, digits = true)
    if (number < 100000000) number = number * 10 + (line[i] - '0');
  if (i < line.size() && line[i] == ',') {
    for (++i; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
    }
  }
  if (i >= line.size() || line[i] != ')' || !digits || number == 0) return m;
  ++i;
  if (i < line.size() && line[i] == ':') ++i;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  m.isMessage = true;
  m.file = line.substr(0, open);
  m.line = static_cast<int>(number);
  m.text = line.substr(i);
  return m;
}

TextList IdentityGroups() {
  return {"dtc_Identify", "dtc_Make", "dtc_Debug", "dtc_TargetInfo", "dtc_TargetMessaging"};
}

IpcNotifier::IpcNotifier(EventHandlerRegistry& registry, IpcShell& shell, IpcShellState& state, IpcSendFn send,
                         std::function<int()> ownSlot, IpcSendFn announce)
    : m_shell(shell), m_state(state), m_send(std::move(send)), m_ownSlot(std::move(ownSlot)),
      m_announce(std::move(announce)),
      m_whoIs(std::make_unique<WhoIsHandler>(registry, *this)) {}

IpcNotifier::~IpcNotifier() {
  {
    std::lock_guard<std::mutex> lock(m_joinLock);
    m_joinEnds = true;
  }
  m_joinWake.notify_all();
  if (m_joiner.joinable()) m_joiner.join();
}

void IpcNotifier::Send(dtc_EventBase& event, int32_t to) {
  if (m_state.muted) return;
  event.m_nDestination = to;
  m_send(event);
}

bool IpcNotifier::Announce() {
  dtc_Identify::Identity id(std::string(kIpcInstanceWord) + " " + std::to_string(m_ownSlot()), IdentityGroups());
  id.m_nDestination = -1;
  // Un-muted before the identity leaves: a client may answer it at once
  // (WhoIs, a build request), and that answer must not find us muted.
  m_state.muted = 0;
  bool sent = m_announce ? m_announce(id) : m_send(id);
  if (!sent) m_state.muted = 1;
  return sent;
}

bool IpcNotifier::StartEventInterface(const std::function<bool()>& activate,
                                      const std::function<void(const std::string&)>& report) {
  if (!activate()) {
    m_state.muted = 1;
    m_state.startFailed = 1;
    if (report) report(kIpcStartFailed);
    return false;
  }
  Announce();
  return true;
}

void IpcNotifier::JoinLater(std::function<bool()> activate, std::function<bool()> mayTry) {
  if (m_joiner.joinable()) return;
  m_joiner = std::thread([this, activate = std::move(activate), mayTry = std::move(mayTry)] {
    // Looked at as often as a receiver looks at its ring when idle: the
    // holder's end is seen within a moment, and the looks cost nothing.
    constexpr auto kLook = std::chrono::milliseconds(200);
    std::unique_lock<std::mutex> lock(m_joinLock);
    while (!m_joinEnds) {
      m_joinWake.wait_for(lock, kLook, [this] { return m_joinEnds; });
      if (m_joinEnds || !mayTry()) continue;
      lock.unlock();
      const bool joined = activate();
      if (joined) {
        m_state.startFailed = 0;
        Announce();
        return;
      }
      lock.lock();
    }
  });
}

void IpcNotifier::OnWhoIs() {
  if (m_state.startFailed) return;
  Announce();
}

void IpcNotifier::SendGoodbyeEvent() {
  dtc_Identify::Goodbye bye;
  Send(bye, -1);
}

void IpcNotifier::SendBuildInfoEvent(const char* line) {
  if (m_state.muted || m_state.buildByEvent != 1 || !line || static_cast<unsigned char>(line[0]) > 0x80) return;
  BuildMessage m = ParseBuildMessage(line);
  dtc_Make::BuildInfo info;
  info.m_strMessage = m.text;
  info.m_nLine = static_cast<uint32_t>(m.line);
  if (m.isMessage) {
    info.m_strFile = m.file;
    m_shell.RunOnGuiThread([&] {
      if (FileRec* f = m_shell.Project() ? FindSourceFileByName(m.file.c_str()) : nullptr) {
        std::string abs = m_shell.AbsolutePath(f->path.str());
        if (!abs.empty()) info.m_strFile = abs;
      }
    });
  }
  int32_t client = m_state.buildClient;
  Send(info, client >= 0 ? client : -1);
}

void IpcNotifier::SendBuildEndEvent(int result) {
  static constexpr uint32_t kResults[] = {2, 0, 1};  // stopped, no errors, errors
  // The build is over before its client hears so: a client that asks for
  // the next build the moment the end arrives must not be told that one is
  // running.
  const int32_t client = m_state.buildClient.exchange(-1);
  m_state.buildByEvent = 0;
  if (!m_state.muted && result >= -1 && result <= 1) {
    dtc_Make::BuildEnd end(kResults[result + 1]);
    Send(end, client >= 0 ? client : -1);
  }
}

void IpcNotifier::SendExecutionStartedEvent(uint32_t haltedPc) {
  std::lock_guard<std::mutex> order(m_executionLock);
  if (m_stopOwed) SendStopped(haltedPc);
  dtc_Debug::ExecutionStarted e;
  Send(e, -1);
  m_stopOwed = true;
}

void IpcNotifier::SendExecutionStoppedEvent(bool debugging, bool running, uint32_t pc) {
  if (!debugging || running) return;
  std::lock_guard<std::mutex> order(m_executionLock);
  SendStopped(pc);
  m_stopOwed = false;
}

void IpcNotifier::SendStopped(uint32_t pc) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", pc);
  dtc_Debug::ExecutionStopped e(text);
  int32_t client = m_state.debugClient;
  Send(e, client >= 0 ? client : -1);
}

void IpcNotifier::SendDebuggerStartedEvent() {
  dtc_Debug::DebuggerStarted e;
  Send(e, -1);
}

void IpcNotifier::SendDebuggerStoppedEvent() {
  {
    // The session's end ends its run as well.
    std::lock_guard<std::mutex> order(m_executionLock);
    m_stopOwed = false;
  }
  dtc_Debug::DebuggerStopped e;
  Send(e, -1);
}

void IpcNotifier::SendTargetMessageEvent(const uint32_t (&words)[6], uint64_t value) {
  // Word 3 carries nothing.
  dtc_TargetMessaging::MsgFromTarget e(PackedWords{words[0], words[1], words[2]}, words[4], words[5], value);
  Send(e, -1);
}

void IpcNotifier::SendTargetConnectionEvent(bool connected) {
  const int32_t client = m_state.debugClient;
  if (client < 0) return;
  if (connected) {
    dtc_TargetMessaging::Connected e;
    Send(e, client);
  } else {
    dtc_TargetMessaging::Disconnected e;
    Send(e, client);
  }
}

}  // namespace pm2
