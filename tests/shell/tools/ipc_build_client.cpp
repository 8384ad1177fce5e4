// A client process on the event interface for the end-to-end test of the
// build and project handlers:
//   shell_tools_ipc_client <name suffix> <runtime folder>
// It attaches, asks WhoIs and prints the identity; asks WhichProject; sets
// a file group; sends a Build that the IDE refuses, prints the refusal and
// "waiting" and waits for the StatusText "go"; builds again and prints the
// number of build lines and the BuildEnd result.
//   shell_tools_ipc_client <name suffix> <runtime folder> texts <folder>
// sends the texts a project file could not hold (a '>' in a file name, a
// '\' in a folder, a line break in an include path), then files and defines
// it can ("-o INJ.c", "q'uote\".c" of <folder> into the group "Source"),
// prints every answer, builds and prints the build's lines and its end.
#include <chrono>
#include <cstdio>
#include <functional>
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) return 2;
  IpcNamespace ns = IpcNamespace::ForTest(argv[1], argv[2]);
  EventDispatcher d([&ns](EventSink& sink, std::string* err) -> std::unique_ptr<EventTransport> {
    return bs_InterProcessEventHandler::Attach(ns, sink, GetEventFactory(), err);
  });
  Collect<dtc_Identify::Identity> id(d, [](auto& e) { return "identity " + e.m_strName; });
  Collect<dtc_Identify::WhichProjectReply> which(d, [](auto& e) { return "project " + e.m_strName; });
  Collect<dtc_Make::SetStatus> status(d, [](auto& e) { return "status " + std::to_string(e.m_nStatus) + " " + e.m_strText; });
  Collect<dtc_Make::BuildInfo> info(d, [](auto& e) { return "line " + e.m_strFile + "|" + e.m_strMessage; });
  Collect<dtc_Make::BuildEnd> end(d, [](auto& e) { return "end " + std::to_string(e.m_nResult); });
  Collect<dtc_Debug::StatusText> go(d, [](auto& e) { return "say " + e.m_strText; });
  if (!d.Activate()) return 3;
  auto send = [&d](dtc_EventBase&& e) {
    e.m_nDestination = -1;
    for (int i = 0; i < 2000 && !d.SendEvent(e); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  auto say = [](const std::string& s) {
    std::printf("%s\n", s.c_str());
    std::fflush(stdout);
  };
  say("attached");
  if (argc == 5) {
    send(dtc_Identify::WhoIs());
    say(Next());
    const std::string folder = argv[4];
    send(dtc_Make::SetOptions("Source", TextList{"A)B", "C"}, TextList{}));
    say(Next());
    send(dtc_Make::SetFileGroup("Source", folder, TextList{"Blinky.c", "LED.c", "Timer.c", "b>c.c"}));
    say(Next());
    send(dtc_Make::SetFileGroup("Source", folder + "/we\\ird", TextList{"x.c"}));
    say(Next());
    send(dtc_Make::SetOptions("Source", TextList{}, TextList{"/inc\r\n/x"}));
    say(Next());
    send(dtc_Make::SetOptions("Source", TextList{"INJ_VALUE=7", "F(x)=(x)"}, TextList{}));
    say(Next());
    send(dtc_Make::SetFileGroup("Source", folder,
                                TextList{"Blinky.c", "LED.c", "Timer.c", "-o INJ.c", "q'uote\".c"}));
    say(Next());
    send(dtc_Make::Build(1));
    for (;;) {
      const std::string s = Next(60000);
      say(s);
      if (s.rfind("end ", 0) == 0 || s == "timeout") break;
    }
    return 0;
  }
  if (Next() != "say start") return 4;
  send(dtc_Identify::WhoIs());
  say(Next());
  send(dtc_Identify::WhichProject());
  say(Next());
  send(dtc_Make::SetFileGroup("Remote", "/src", TextList{"a.c", "b.c"}));
  say(Next());
  send(dtc_Make::Build(0));
  say(Next());  // the refusal, with why
  say("waiting");
  say(Next());  // the IDE's "go": nothing came in between
  send(dtc_Make::Build(0));
  int lines = 0;
  for (;;) {
    std::string s = Next();
    if (s.rfind("line ", 0) == 0) {
      if (lines++ == 0) say(s);
      continue;
    }
    say("lines " + std::to_string(lines));
    say(s);
    break;
  }
  return 0;
}
