// A client of the event interface for the debug session's end-to-end test:
//   debugger_ipc_client <name suffix> <runtime folder> <sessions>
// It attaches, asks WhoIs until the IDE answers with its identity (which
// un-mutes the IDE) and prints "identity <name>"; then it prints one line
// per debug notification it receives ("debugger started", "execution
// started", "execution stopped <pc>", "debugger stopped") until it has seen
// <sessions> sessions end, or 120 s without a notification.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "ipc/client_inbox.h"
#include "ipc/event_catalog.h"
#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"

using namespace pm2;

namespace {

test::ClientInbox g_inbox;

template <class X>
struct Collect : test::Collect<X, EventHandlerRegistry> {
  Collect(EventHandlerRegistry& r, std::function<std::string(X&)> f)
      : test::Collect<X, EventHandlerRegistry>(r, g_inbox, std::move(f)) {}
};

void Say(const std::string& s) {
  std::printf("%s\n", s.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  IpcNamespace ns = IpcNamespace::ForTest(argv[1], argv[2]);
  EventDispatcher d([&ns](EventSink& sink, std::string* err) -> std::unique_ptr<EventTransport> {
    return bs_InterProcessEventHandler::Attach(ns, sink, GetEventFactory(), err);
  });
  Collect<dtc_Identify::Identity> id(d, [](auto& e) { return "identity " + e.m_strName; });
  Collect<dtc_Debug::DebuggerStarted> started(d, [](auto&) { return std::string("debugger started"); });
  Collect<dtc_Debug::DebuggerStopped> stopped(d, [](auto&) { return std::string("debugger stopped"); });
  Collect<dtc_Debug::ExecutionStarted> running(d, [](auto&) { return std::string("execution started"); });
  Collect<dtc_Debug::ExecutionStopped> halted(d, [](auto& e) { return "execution stopped " + e.m_strPc; });
  if (!d.Activate()) return 3;
  std::string s = "timeout";
  for (int i = 0; i < 100 && s.rfind("identity ", 0) != 0; ++i) {
    dtc_Identify::WhoIs who;
    who.m_nDestination = -1;
    d.SendEvent(who);
    s = g_inbox.Next(200);
  }
  Say(s);
  if (s.rfind("identity ", 0) != 0) return 4;
  int sessions = std::atoi(argv[3]);
  while (sessions > 0) {
    s = g_inbox.Next(120000);
    if (s == "timeout") return 5;
    if (s.rfind("identity ", 0) == 0) continue;
    Say(s);
    if (s == "debugger stopped") --sessions;
  }
  return 0;
}
