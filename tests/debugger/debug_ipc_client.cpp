// A client of the event interface for the debug session's end-to-end test:
//   debugger_ipc_client <name suffix> <runtime folder> <sessions>
//   debugger_ipc_client <name suffix> <runtime folder> requests
// It attaches, asks WhoIs until the IDE answers with its identity (which
// un-mutes the IDE) and prints "identity <name>".
// With a number it prints one line per debug notification it receives
// ("debugger started", "execution started", "execution stopped <pc>",
// "debugger stopped") until it has seen <sessions> sessions end, or 120 s
// without a notification.
// With "requests" it drives the stopped target in the IDE's own words and
// prints each answer as it comes (and the notifications between them):
// ReadRegister "R4", ExecuteUntil "Timer_Init" (its stop), GetMemoryAddress "Timer_Init",
// WriteRegister "R1" then ReadRegister "R1", SetBreakpoint "LED_Off" then
// ClearBreakpoint "LED_Off". Every answer has 10 s. With "hostile:<file>"
// it sends what a hostile client would (see Hostile); with "effects" texts
// that would write or call (see Effects); with "stepout" it steps into and
// steps out the moment it hears the stop (see StepInAndOut). With
// "until:<text>" it prints what it hears until a text that starts so; with
// "start:<text>" it asks for a session first. With
// "stop" it asks the running target to stop (see StopTheTarget). With
// "breakpoints:<text>|<text>..." it sets each breakpoint in turn and prints
// what it hears until each answer.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "hang_guard.h"
#include "ipc/ipc_test_client.h"

using namespace pm2;
using test::On;

namespace {

std::string Hex(uint64_t v) {
  char b[24];
  std::snprintf(b, sizeof b, "0x%llX", static_cast<unsigned long long>(v));
  return b;
}

// Prints texts until one starts with `prefix`; false on a timeout.
bool SayUntil(test::IpcTestClient& c, const std::string& prefix) {
  for (;;) {
    const std::string s = c.Next(pm2::test::kHangWaitMs);
    c.Say(s);
    if (s == "timeout") return false;
    if (s.rfind(prefix, 0) == 0) return true;
  }
}

int Requests(test::IpcTestClient& c) {
  c.Send(dtc_Debug::ReadRegister("R4"));
  if (!SayUntil(c, "register ")) return 12;
  c.Send(dtc_Debug::ExecuteUntil("Timer_Init"));
  if (!SayUntil(c, "execution stopped ")) return 6;
  c.Send(dtc_Debug::GetMemoryAddress("Timer_Init"));
  if (!SayUntil(c, "address ")) return 7;
  c.Send(dtc_Debug::WriteRegister("R1", 0x5A5A1234u));
  if (!SayUntil(c, "wrote ")) return 8;
  c.Send(dtc_Debug::ReadRegister("R1"));
  if (!SayUntil(c, "register ")) return 9;
  c.Send(dtc_Debug::SetBreakpoint("LED_Off"));
  if (!SayUntil(c, "set ")) return 10;
  c.Send(dtc_Debug::ClearBreakpoint("LED_Off"));
  if (!SayUntil(c, "cleared ")) return 11;
  return 0;
}

// "hostile:<file>": starts a session and sends the texts a hostile client
// would (a WriteRegister name "INCLUDE <file>" padded past 300 characters,
// tool-box commands, a read that assigns, a breakpoint whose command is
// refused, reads of the program counter while the target runs), printing
// every answer.
int Hostile(test::IpcTestClient& c, const std::string& file) {
  c.Send(dtc_Debug::StartDebugging());
  if (!SayUntil(c, "execution stopped ")) return 13;
  const std::string texts[] = {"INCLUDE " + file + std::string(300, ' '), "DEFINE BUTTON \"x\", \"shell touch " + file + ".x\"",
                               "KILL BUTTON *"};
  for (const std::string& t : texts) {
    c.Send(dtc_Debug::WriteRegister(t, 1));
    if (!SayUntil(c, "status ")) return 14;
  }
  c.Send(dtc_Debug::WriteRegister("R1", 0x11));
  if (!SayUntil(c, "wrote ")) return 15;
  c.Send(dtc_Debug::ReadRegister("R1 = 7"));
  if (!SayUntil(c, "status ")) return 16;
  c.Send(dtc_Debug::ReadRegister("R1"));
  if (!SayUntil(c, "register ")) return 17;
  c.Send(dtc_Debug::SetBreakpoint("main, 1, \"INCLUDE x.ini\""));
  if (!SayUntil(c, "set ")) return 18;
  c.Send(dtc_Debug::StartExecution());
  if (!SayUntil(c, "execution started")) return 19;
  for (int i = 0; i < 20; ++i) {
    c.Send(dtc_Debug::ReadRegister("PC"));
    const std::string s = c.Next(pm2::test::kHangWaitMs);
    c.Say(s);
  }
  c.Send(dtc_Debug::StopExecution());
  if (!SayUntil(c, "execution stopped ")) return 20;
  c.Send(dtc_Debug::StopDebugging());
  return SayUntil(c, "debugger stopped") ? 0 : 21;
}

// "effects": starts a session, runs to Timer_Init and sends texts that would
// write the target or run its code, in every request that carries a text;
// prints every answer, and IOSET0, R1 and the PC before and after.
int Effects(test::IpcTestClient& c) {
  c.Send(dtc_Debug::StartDebugging());
  if (!SayUntil(c, "execution stopped ")) return 22;
  c.Send(dtc_Debug::ExecuteUntil("Timer_Init"));
  if (!SayUntil(c, "execution stopped ")) return 23;
  const auto state = [&] {
    for (const char* what : {"*(unsigned long *)0xE0028004", "R1", "PC"}) {
      c.Send(dtc_Debug::ReadRegister(what));
      if (!SayUntil(c, "register ")) return false;
    }
    return true;
  };
  if (!state()) return 24;
  for (const char* text : {"(LED_On)(2)", "(*LED_On)(2)", "(LED_On)(2)+R0", "(main)()", "R1 = 7", "R1++",
                           "{int}0x40004000 = 7", "LED_On(2)"}) {
    c.Send(dtc_Debug::ReadRegister(text));
    c.Send(dtc_Debug::WriteRegister(text, 1));
    c.Send(dtc_Debug::GetMemoryAddress(text));
    c.Send(dtc_Debug::ClearBreakpoint(text));
    c.Send(dtc_Debug::SetBreakpoint(text));
    c.Send(dtc_Debug::ExecuteUntil(text));
    for (int answers = 0; answers < 9; ++answers) {
      const std::string s = c.Next(pm2::test::kHangWaitMs);
      c.Say(s);
      if (s == "timeout") return 25;
    }
  }
  if (!state()) return 26;
  c.Send(dtc_Debug::StopDebugging());
  return SayUntil(c, "debugger stopped") ? 0 : 27;
}

// "stepout": a step into the halted target, then a step out sent the
// moment the step's stop is heard; prints what comes until the step out's
// stop (0) or a status text (30).
int StepInAndOut(test::IpcTestClient& c) {
  c.Send(dtc_Debug::StepInto());
  if (!SayUntil(c, "execution stopped ")) return 28;
  c.Send(dtc_Debug::StepOut());
  for (;;) {
    const std::string s = c.Next(pm2::test::kHangWaitMs);
    c.Say(s);
    if (s == "timeout") return 29;
    if (s.rfind("status ", 0) == 0) return 30;
    if (s.rfind("execution stopped ", 0) == 0) return 0;
  }
}

// "stop": StopExecution to the running target; prints what comes until
// the stop (0) or a status text, which says why there is none (31).
int StopTheTarget(test::IpcTestClient& c) {
  c.Send(dtc_Debug::StopExecution());
  for (;;) {
    const std::string s = c.Next(pm2::test::kHangWaitMs);
    c.Say(s);
    if (s == "timeout") return 32;
    if (s.rfind("status ", 0) == 0) return 31;
    if (s.rfind("execution stopped ", 0) == 0) return 0;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  test::IpcTestClient c(argv[1], argv[2]);
  On<dtc_Identify::Identity> id(c, [](auto& e) { return "identity " + e.m_strName; });
  On<dtc_Debug::DebuggerStarted> started(c, [](auto&) { return std::string("debugger started"); });
  On<dtc_Debug::DebuggerStopped> stopped(c, [](auto&) { return std::string("debugger stopped"); });
  On<dtc_Debug::ExecutionStarted> running(c, [](auto&) { return std::string("execution started"); });
  On<dtc_Debug::ExecutionStopped> halted(c, [](auto& e) { return "execution stopped " + e.m_strPc; });
  On<dtc_Debug::StatusText> status(c, [](auto& e) { return "status " + e.m_strText; });
  On<dtc_Debug::GetMemoryAddressReply> address(c, [](auto& e) {
    return "address " + e.m_strExpression + " " + Hex(e.m_nAddress) + " " + std::to_string(int(e.m_bValid));
  });
  On<dtc_Debug::WriteRegisterReply> wrote(c, [](auto& e) { return "wrote " + e.m_strRegister + " " + Hex(e.m_nValue); });
  On<dtc_Debug::ReadRegisterReply> read(c, [](auto& e) { return "register " + e.m_strRegister + " " + Hex(e.m_nValue); });
  On<dtc_Debug::SetBreakpointReply> set(c, [](auto& e) {
    return "set " + e.m_strExpression + " " + std::to_string(int(e.m_bSuccess));
  });
  On<dtc_Debug::ClearBreakpointReply> cleared(c, [](auto& e) {
    return "cleared " + e.m_strAddress + " " + std::to_string(int(e.m_bSuccess));
  });
  if (!c.Activate()) return 3;
  std::string s = c.Identify(100);
  c.Say(s);
  if (s.rfind("identity ", 0) != 0) return 4;
  if (std::string(argv[3]) == "requests") return Requests(c);
  if (std::string(argv[3]).rfind("hostile:", 0) == 0) return Hostile(c, std::string(argv[3]).substr(8));
  if (std::string(argv[3]) == "effects") return Effects(c);
  if (std::string(argv[3]) == "stepout") return StepInAndOut(c);
  if (std::string(argv[3]) == "stop") return StopTheTarget(c);
  if (std::string(argv[3]).rfind("start:", 0) == 0) {
    c.Send(dtc_Debug::StartDebugging());
    return SayUntil(c, std::string(argv[3]).substr(6)) ? 0 : 13;
  }
  if (std::string(argv[3]).rfind("until:", 0) == 0) return SayUntil(c, std::string(argv[3]).substr(6)) ? 0 : 13;
  if (std::string(argv[3]).rfind("breakpoints:", 0) == 0) {
    std::string texts = std::string(argv[3]).substr(12);
    for (std::size_t start = 0; start <= texts.size();) {
      const std::size_t bar = texts.find('|', start);
      const std::string text = texts.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
      c.Send(dtc_Debug::SetBreakpoint(text));
      if (!SayUntil(c, "set ")) return 17;
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    return 0;
  }
  int sessions = std::atoi(argv[3]);
  while (sessions > 0) {
    s = c.Next(120000);
    if (s == "timeout") return 5;
    if (s.rfind("identity ", 0) == 0 || s.rfind("status ", 0) == 0) continue;
    c.Say(s);
    if (s == "debugger stopped") --sessions;
  }
  return 0;
}
