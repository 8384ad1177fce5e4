// A client of the event interface for the frame's end-to-end test:
//   shell_frame_ipc_client <name suffix> <runtime folder> <mode>
// It attaches, asks WhoIs until the IDE answers with its identity, asks for
// a build (mode 0) or a rebuild (mode 1), counts the build lines it
// receives and prints "identity <name>", "lines <n>" and "end <result>".
// A refusal prints "status <code> <text>".
// With mode "stress <n>" it asks for n builds back to back, each the moment
// the answer to the one before arrives (its end or a refusal), and prints
// "answered <a> of <n>" and "ended <e>" (the builds that ran to their end);
// a request left without an answer for 60 s ends the run there.
// With mode "whois <n>" it asks WhoIs n times more once identified, each
// after the answer to the one before, and prints "identities <k>".
// With mode "target" it is a client registered for target messaging: it
// prints every target message ("from target <w0> <w1> <w2> <w4> <w5>
// <value>"), connection event ("connected", "disconnected") and session
// event ("debugger started", "debugger stopped", "status <text>") it
// receives, once "ready" says its handlers are registered; after the first target message it asks to start debugging
// (which makes it the session's client) and prints "asked"; it ends after
// "disconnected", or 60 s without an event.
// With mode "startdebug" it asks to start debugging and prints the answer:
// "debugger started" or "debug status <text>" (a refusal).
// With mode "setopt <group> <symbol>" it sets the group's symbols (no
// include paths) and prints the status answer; with "setinc <group>
// <path>" the group's include paths (one, no symbols).
// With mode "setgroup <group> <folder> <file>" it sets the group's files
// (one, in that folder) and prints the status answer.
// With mode "attach" it stays attached as a long-lived client does, taking
// the build's, the debug session's and the target's notifications, and
// prints "ready" once its handlers are registered. It prints each
// notification ("told <what>") and checks that they keep their order (a
// run started is stopped before the next one starts, a session started
// ends before the next one starts), printing "order <what>" where not. For
// each line "whois" on its input it asks WhoIs and prints "whois answered"
// or "whois unanswered" (no identity within the hang bound); at the end of
// its input it prints "events <n>" (the notifications it took) and ends.
// Every request after the first WhoIs goes to the IDE's slot alone (to all
// when no identity of the IDE came).
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iostream>
#include <cstdlib>
#include <cstring>
#include <chrono>
#include <thread>
#include <string>

#include "hang_guard.h"
#include "ipc/ipc_test_client.h"

using namespace pm2;
using test::On;

namespace {

int TargetMessaging(test::IpcTestClient& c, int32_t ide) {
  On<dtc_TargetMessaging::MsgFromTarget> message(c, [](auto& e) {
    return "from target " + std::to_string(e.m_Words[0]) + " " + std::to_string(e.m_Words[1]) + " " +
           std::to_string(e.m_Words[2]) + " " + std::to_string(e.m_nWord4) + " " + std::to_string(e.m_nWord5) + " " +
           std::to_string(e.m_nValue);
  });
  On<dtc_TargetMessaging::Connected> connected(c, [](auto&) { return std::string("connected"); });
  On<dtc_TargetMessaging::Disconnected> disconnected(c, [](auto&) { return std::string("disconnected"); });
  On<dtc_Debug::DebuggerStarted> started(c, [](auto&) { return std::string("debugger started"); });
  On<dtc_Debug::DebuggerStopped> stopped(c, [](auto&) { return std::string("debugger stopped"); });
  On<dtc_Debug::StatusText> status(c, [](auto& e) { return "status " + e.m_strText; });
  c.Say("ready");
  bool asked = false;
  for (;;) {
    const std::string s = c.Next(60000);
    if (s.rfind("identity ", 0) == 0) continue;  // another process's WhoIs
    c.Say(s);
    if (s == "timeout") return 8;
    if (s == "disconnected") return 0;
    if (!asked && s.rfind("from target ", 0) == 0) {
      c.Send(dtc_Debug::StartDebugging(), ide);
      c.Say("asked");
      asked = true;
    }
  }
}

// A client attached for as long as its input lasts.
int Attached(test::IpcTestClient& c, int32_t ide) {
  On<dtc_Debug::DebuggerStarted> started(c, [](auto&) { return std::string("debugger started"); });
  On<dtc_Debug::DebuggerStopped> stopped(c, [](auto&) { return std::string("debugger stopped"); });
  On<dtc_Debug::ExecutionStarted> running(c, [](auto&) { return std::string("execution started"); });
  On<dtc_Debug::ExecutionStopped> halted(c, [](auto& e) { return "execution stopped " + e.m_strPc; });
  On<dtc_Debug::StatusText> status(c, [](auto& e) { return "debug status " + e.m_strText; });
  On<dtc_TargetMessaging::MsgFromTarget> message(c, [](auto&) { return std::string("from target"); });
  On<dtc_TargetMessaging::Connected> connected(c, [](auto&) { return std::string("connected"); });
  On<dtc_TargetMessaging::Disconnected> disconnected(c, [](auto&) { return std::string("disconnected"); });
  On<dtc_Identify::Goodbye> goodbye(c, [](auto&) { return std::string("goodbye"); });
  // The input's lines come through the inbox too, in order with the events.
  std::thread input([&c] {
    for (std::string line; std::getline(std::cin, line);) c.Inbox().Push("input " + line);
    c.Inbox().Push("input end");
  });
  input.detach();
  c.Say("ready");
  int events = 0;
  bool inSession = false, inRun = false;
  using Clock = std::chrono::steady_clock;
  Clock::time_point asked{};
  bool asking = false;
  for (;;) {
    int wait = 60000;
    if (asking) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          asked + std::chrono::milliseconds(test::kHangWaitMs) - Clock::now());
      wait = int(std::max<long long>(0, left.count()));
    }
    const std::string s = c.Next(wait);
    if (s == "timeout") {
      if (asking) c.Say("whois unanswered");
      asking = false;
      continue;
    }
    if (s == "input end") break;
    if (s == "input whois") {
      c.Send(dtc_Identify::WhoIs(), ide);
      asked = Clock::now();
      asking = true;
      continue;
    }
    if (s.rfind("input ", 0) == 0) continue;
    if (s.rfind("identity ", 0) == 0) {
      // Another client's identity is no answer.
      if (asking && s.rfind("identity Pelmora2 ", 0) == 0) {
        c.Say("whois answered");
        asking = false;
      }
      continue;
    }
    ++events;
    c.Say("told " + s);
    // A run is told stopped before the next starts; the session's end ends
    // its run. A client that started no session hears every stop while no
    // other client started one.
    if (s == "debugger started") {
      if (inSession) c.Say("order: a session started while the one before had not ended");
      inSession = true;
    } else if (s == "debugger stopped") {
      inSession = inRun = false;
    } else if (s == "execution started") {
      if (inRun) c.Say("order: a run started while the one before had not stopped");
      inRun = true;
    } else if (s.rfind("execution stopped ", 0) == 0) {
      inRun = false;
    }
  }
  c.Say("events " + std::to_string(events));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  test::IpcTestClient c(argv[1], argv[2]);
  std::atomic<int32_t> ide{-1};
  On<dtc_Identify::Identity> id(c, [&ide](auto& e) {
    if (e.m_strName.rfind("Pelmora2 ", 0) == 0) ide = e.m_nSender;  // not another client's
    return "identity " + e.m_strName;
  });
  On<dtc_Make::SetStatus> status(c, [](auto& e) { return "status " + std::to_string(e.m_nStatus) + " " + e.m_strText; });
  On<dtc_Make::BuildInfo> info(c, [](auto&) { return std::string("line"); });
  On<dtc_Make::BuildEnd> end(c, [](auto& e) { return "end " + std::to_string(e.m_nResult); });
  if (!c.Activate()) return 3;
  std::string s = c.Identify(50);
  c.Say(s);
  if (s.rfind("identity ", 0) != 0) return 4;
  if (std::string(argv[3]) == "target") return TargetMessaging(c, ide);
  if (std::string(argv[3]) == "attach") return Attached(c, ide);
  if (std::string(argv[3]).rfind("whois ", 0) == 0) {
    const int n = std::atoi(argv[3] + 6);
    int k = 0;
    for (int i = 0; i < n; ++i) {
      c.Send(dtc_Identify::WhoIs(), ide);
      if (c.Next(pm2::test::kHangWaitMs).rfind("identity ", 0) == 0) ++k;
    }
    c.Say("identities " + std::to_string(k));
    return k == n ? 0 : 7;
  }
  if (std::string(argv[3]) == "startdebug") {
    On<dtc_Debug::DebuggerStarted> started(c, [](auto&) { return std::string("debugger started"); });
    On<dtc_Debug::StatusText> refused(c, [](auto& e) { return "debug status " + e.m_strText; });
    c.Send(dtc_Debug::StartDebugging(), ide);
    do s = c.Next(60000);
    while (s.rfind("identity ", 0) == 0);
    c.Say(s);
    return s == "timeout" ? 5 : 0;
  }
  const bool setinc = std::string(argv[3]).rfind("setinc ", 0) == 0;
  if (std::string(argv[3]).rfind("setopt ", 0) == 0 || setinc) {
    const std::string args = argv[3] + 7;
    const size_t blank = args.rfind(' ');
    if (blank == std::string::npos) return 2;
    const TextList given{args.substr(blank + 1)};
    c.Send(dtc_Make::SetOptions(args.substr(0, blank), setinc ? TextList{} : given, setinc ? given : TextList{}),
           ide);
    do s = c.Next(60000);
    while (s.rfind("identity ", 0) == 0);
    c.Say(s);
    return s.rfind("status ", 0) == 0 ? 0 : 5;
  }
  if (std::string(argv[3]).rfind("setgroup ", 0) == 0) {
    const std::string args = argv[3] + 9;
    const size_t first = args.find(' '), last = args.rfind(' ');
    if (first == std::string::npos || last == first) return 2;
    c.Send(dtc_Make::SetFileGroup(args.substr(0, first), args.substr(first + 1, last - first - 1),
                                  TextList{args.substr(last + 1)}),
           ide);
    do s = c.Next(60000);
    while (s.rfind("identity ", 0) == 0);
    c.Say(s);
    return s.rfind("status ", 0) == 0 ? 0 : 5;
  }
  const bool rebuilds = std::string(argv[3]).rfind("rebuild-stress ", 0) == 0;
  if (std::string(argv[3]).rfind("stress ", 0) == 0 || rebuilds) {
    const char* count = std::strchr(argv[3], ' ') + 1;
    const int n = std::atoi(count);
    // "stress <n> <ms>": the requests wait from 0 to <ms> after the answer
    // before them, spread over the range.
    const char* spread = std::strchr(count, ' ');
    const int spreadMs = spread ? std::atoi(spread + 1) : 0;
    int answered = 0, ended = 0;
    for (int i = 0; i < n; ++i) {
      if (spreadMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds((i * 37) % (spreadMs + 1)));
      c.Send(dtc_Make::Build(rebuilds ? 1 : 0), ide);
      for (;;) {
        s = c.Next(60000);
        // The identities that WhoIs of other processes bring are no answer.
        if (s != "line" && s.rfind("identity ", 0) != 0) break;
      }
      if (s == "timeout") break;
      ++answered;
      if (s.rfind("end ", 0) == 0)
        ++ended;
      else
        std::fprintf(stderr, "request %d: %s\n", i, s.c_str());
    }
    c.Say("answered " + std::to_string(answered) + " of " + std::to_string(n));
    c.Say("ended " + std::to_string(ended));
    return answered == n ? 0 : 6;
  }
  c.Send(dtc_Make::Build(uint8_t(std::atoi(argv[3]))), ide);
  int lines = 0;
  for (;;) {
    s = c.Next(120000);
    if (s == "line") {
      ++lines;
      continue;
    }
    if (s.rfind("status 0", 0) == 0) continue;  // "Ok.": the build started
    // The identities that WhoIs of other processes bring are no answer.
    if (s.rfind("identity ", 0) == 0) continue;
    if (s.rfind("status ", 0) == 0 || s == "timeout") {
      c.Say(s);
      return 5;
    }
    break;
  }
  c.Say("lines " + std::to_string(lines));
  c.Say(s);
  return 0;
}
