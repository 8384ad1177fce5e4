// A client of the event interface for the frame's end-to-end test:
//   shell_frame_ipc_client <name suffix> <runtime folder> <mode>
// It attaches, asks WhoIs until the IDE answers with its identity, asks for
// a build (mode 0) or a rebuild (mode 1), counts the build lines it
// receives and prints "identity <name>", "lines <n>" and "end <result>".
// A refusal prints "status <code> <text>".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "ipc/event_catalog.h"
#include "ipc/event_factory.h"
#include "ipc/ipc_transport.h"
#include "ipc/client_inbox.h"

using namespace pm2;

namespace {

test::ClientInbox g_inbox;

std::string Next(int ms = 10000) { return g_inbox.Next(ms); }

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
  Collect<dtc_Make::SetStatus> status(d, [](auto& e) {
    return "status " + std::to_string(e.m_nStatus) + " " + e.m_strText;
  });
  Collect<dtc_Make::BuildInfo> info(d, [](auto&) { return std::string("line"); });
  Collect<dtc_Make::BuildEnd> end(d, [](auto& e) { return "end " + std::to_string(e.m_nResult); });
  if (!d.Activate()) return 3;
  auto send = [&d](dtc_EventBase&& e) {
    e.m_nDestination = -1;
    for (int i = 0; i < 2000 && !d.SendEvent(e); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  std::string s = "timeout";
  for (int i = 0; i < 50 && s.rfind("identity ", 0) != 0; ++i) {
    send(dtc_Identify::WhoIs());
    s = Next(200);
  }
  Say(s);
  if (s.rfind("identity ", 0) != 0) return 4;
  send(dtc_Make::Build(uint8_t(std::atoi(argv[3]))));
  int lines = 0;
  for (;;) {
    s = Next(120000);
    if (s == "line") {
      ++lines;
      continue;
    }
    if (s.rfind("status 0", 0) == 0) continue;  // "Ok.": the build started
    if (s.rfind("status ", 0) == 0 || s == "timeout") {
      Say(s);
      return 5;
    }
    break;
  }
  Say("lines " + std::to_string(lines));
  Say(s);
  return 0;
}
