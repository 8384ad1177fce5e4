// The GDB driver in a debug session: gdb-multiarch and qemu-system-arm on
// the example program, built once for the whole program by pelmora2.
#include <dirent.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "driver_abi/debug_records.h"
#include "editor/document/code_lines.h"
#include "project/files/debug_lists.h"
#include "project/text/pool.h"
#include "debugger/ipc/ipc_debug_handlers.h"
#include "debugger/model/symbols_mask.h"
#include "debugger/session/session_breakpoints.h"
#include "ipc/event_dispatcher.h"
#include "options/core/driver_caps.h"
#include "gdb_session_fixture.h"
#include "session_ipc_shell.h"
#include "hang_guard.h"

namespace pm2 {
namespace {

// The number of the example file's first line that holds `text` (0: none).
uint32_t ExampleLineOf(const std::string& file, const std::string& text) {
  std::ifstream in(ExampleFolder() + file);
  std::string line;
  for (uint32_t n = 1; std::getline(in, line); ++n)
    if (line.find(text) != std::string::npos) return n;
  return 0;
}

TEST_F(GdbSessionTest, SimulationRunsToMainStepsAndShowsRegisters) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  ASSERT_EQ(Children("gdb-multiarch").size(), 1u);
  ASSERT_EQ(Children("qemu-system-arm").size(), 1u);
  EXPECT_NE(CommandTexts().find("GDB driver: simulation in qemu-system-arm"), std::string::npos) << CommandTexts();
  // The register page got the core registers.
  ASSERT_NE(host.registerSet, nullptr);
  EXPECT_EQ(host.registerSet->registerCount, 17u);

  DebugInterface* r = session->Record();
  EXPECT_EQ(r->DbgExecCommand("BS main", 7), 0);
  const uint32_t main = Evaluate("&main");
  ASSERT_NE(main, 0u);
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= main && r->pc < main + 32; }))
      << std::hex << r->pc << " main " << main << " flags " << r->flags << " " << CommandTexts();
  ASSERT_EQ(r->DbgFindSource(r->pc), 0);
  EXPECT_NE(std::string(static_cast<const char*>(r->srcFile)).find("Blinky.c"), std::string::npos);
  const uint32_t lineAtMain = r->srcLine;

  StepAndWait(kDbgStepOver);
  ASSERT_EQ(r->DbgFindSource(r->pc), 0);
  EXPECT_EQ(r->srcLine, lineAtMain + 1);
  StepAndWait(kDbgStepInto);  // into LED_Count
  ASSERT_EQ(r->DbgFindSource(r->pc), 0);
  EXPECT_NE(std::string(static_cast<const char*>(r->srcFile)).find("LED.c"), std::string::npos);

  // The call stack: main outermost, LED_Init innermost, called from main.
  ASSERT_EQ(r->DbgControl(kDbgCtlBeforeCallStack, 0, 0), 0);
  ASSERT_EQ(r->callStackTop, 1);
  const auto* calls = static_cast<const DbgCallStackEntry*>(r->callStack);
  EXPECT_EQ(calls[0].called, main);
  EXPECT_EQ(calls[1].called, Evaluate("&LED_Init"));
  EXPECT_GT(calls[1].calling, main);
  char name[256] = {};
  EXPECT_EQ(r->DbgEnum(kDbgEnumAddressName, intptr_t(calls[1].called), reinterpret_cast<intptr_t>(name)), 1);
  EXPECT_STREQ(name, "LED_Init");

  // The register page's refresh reads the program counter gdb reports.
  host.registerSet->refresh(nullptr, 0x80000000u);
  const RegisterEntry& pc = host.registerSet->registers[15];
  EXPECT_STREQ(pc.name, "PC");
  char expected[16];
  std::snprintf(expected, sizeof expected, "%08X", r->pc);
  EXPECT_STREQ(pc.value, expected);

  // The code lines of a source file, and the instruction at the position.
  auto* lines = static_cast<const DbgLineTableRecord*>(r->DbgLineTable((ExampleFolder() + "Blinky.c").c_str()));
  ASSERT_NE(lines, nullptr);
  bool mainLine = false;
  for (uint32_t i = 0; i < lines->count; ++i) mainLine |= lines->pairs[i].line == lineAtMain;
  EXPECT_TRUE(mainLine);
  char instruction[256] = {};
  const uint32_t pcNow = r->pc;
  EXPECT_EQ(r->DbgControl(kDbgCtlInstructionText, reinterpret_cast<intptr_t>(&pcNow),
                          reinterpret_cast<intptr_t>(instruction)), 0);
  EXPECT_NE(std::string(instruction), "");

  // An assignment through the driver, read back as an expression and a string.
  EXPECT_EQ(r->DbgAssign("$r0 = 0x41", -1), 0);
  EXPECT_EQ(Evaluate("$r0"), 0x41u);
  char formatted[64];
  EXPECT_EQ(r->DbgFormatAddress(0, 0xB4, 0, formatted), 10);
  EXPECT_STREQ(formatted, "0x000000B4");

  const uint8_t hello[] = {'h', 'i', 0, 'x'};
  ASSERT_EQ(r->DbgWriteMemory(0x40001000u, 4, hello), 0u);
  char text[150] = {};
  EXPECT_EQ(r->DbgReadString(text, 0x40001000u, 150), 2);
  EXPECT_STREQ(text, "hi");

  // Memory: the first word of the program is its reset vector.
  uint8_t bytes[4] = {};
  EXPECT_EQ(r->DbgReadMemory(0, 4, bytes), 0);
  EXPECT_EQ(bytes[3], 0xE5);  // an "ldr pc, [pc, #...]"

  session->StopDebugger();
  EXPECT_FALSE(session->SessionActive());
  EXPECT_TRUE(Children("gdb-multiarch").empty());
  EXPECT_TRUE(Children("qemu-system-arm").empty());
}

// Trace recording on: qemu logs what the program executes, and the history
// comes back as listing lines, oldest first, the last one at the PC.
TEST_F(GdbSessionTest, TraceRecordingKeepsTheExecutedInstructions) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  ASSERT_TRUE(r->flags & 0x2000) << "the simulation offers trace recording";
  ASSERT_NE(r->DbgTraceInfo, nullptr);
  EXPECT_EQ(r->DbgTraceQuery(3, 0, 0, 0), 0) << "nothing recorded yet";
  r->traceOn |= 1;
  EXPECT_EQ(r->DbgExecCommand("BS LED_Init", 11), 0);
  const uint32_t init = Evaluate("&LED_Init");
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= init && r->pc < init + 32; }))
      << std::hex << r->pc << " " << CommandTexts();
  const int32_t entries = r->DbgTraceQuery(3, 0, 0, 0);
  ASSERT_GT(entries, 10) << CommandTexts();
  const auto* descriptor = reinterpret_cast<const uint32_t*>(r->DbgTraceInfo(reinterpret_cast<void*>(uintptr_t(r->pc))));
  ASSERT_NE(descriptor, nullptr);
  EXPECT_EQ(int32_t(descriptor[8]), entries);
  // The end of the history is where the program stands.
  DisasmLine line{};
  line.kind = kDisasmTrace1;
  r->DbgPrevDisasmLine(&line);
  ASSERT_EQ(line.kind, kDisasmTrace1);
  EXPECT_EQ(line.address, r->pc);
  r->DbgRefreshDisasmLine(&line);
  EXPECT_TRUE(line.state & kDisasmPc);
  EXPECT_EQ(line.line, uint32_t(entries - 1));
  const DisasmLine lastBeforeStep = line;
  const std::string pcText = reinterpret_cast<const char*>(r->DbgDisasmLineText(&line));
  char head[16];
  std::snprintf(head, sizeof head, "0x%08X", r->pc);
  EXPECT_EQ(pcText.rfind(head, 0), 0u) << pcText;
  // Walking back: the call into LED_Init came from main, with its source line.
  const uint32_t main = Evaluate("&main");
  bool fromMain = false, source = false;
  for (int i = 0; i < 40 && line.kind != kDisasmEnd; ++i) {
    r->DbgPrevDisasmLine(&line);
    fromMain |= line.kind == kDisasmTrace1 && line.address >= main && line.address < main + 64;
    if (line.kind == kDisasmTrace3)
      source |= std::string(reinterpret_cast<const char*>(r->DbgDisasmLineText(&line))).find("LED_Init") !=
                std::string::npos;
  }
  EXPECT_TRUE(fromMain);
  EXPECT_TRUE(source) << "the source line of the call stands in the history";
  // A step adds what it executed; the old end no longer holds the PC.
  StepAndWait(kDbgStepInto);
  EXPECT_GT(r->DbgTraceQuery(3, 0, 0, 0), entries);
  DisasmLine stale = lastBeforeStep;
  r->DbgRefreshDisasmLine(&stale);
  EXPECT_FALSE(stale.state & kDisasmPc);
  // Off: what runs now is not recorded, so the old history (with a gap up
  // to the new position) is not offered.
  r->traceOn &= ~1u;
  StepAndWait(kDbgStepOver);
  EXPECT_EQ(r->DbgTraceQuery(3, 0, 0, 0), 0);
  // On again: a new history from here.
  r->traceOn |= 1;
  StepAndWait(kDbgStepOver);
  const int32_t again = r->DbgTraceQuery(3, 0, 0, 0);
  EXPECT_GT(again, 1);
  EXPECT_LT(again, entries);
}

// What the program sent to serial window 1 so far (notification 15: the
// window in bits 24 to 31, the byte below).
std::string SerialOne(const RecordingHub& hub) {
  std::string out;
  for (const RecordingHub::Entry& e : hub.Entries())
    if (e.code == kNotifySerialOutput3 && ((uint32_t(e.arg) >> 24) & 0xFF) == 0) out += char(e.arg & 0xFF);
  return out;
}

// "Go till main()" with the GDB driver: the session stops at main by
// itself, from the driver's symbols.
TEST_F(GdbSessionTest, GoTillMainStopsAtMain) {
  project->curTarget->pOpts->dbg.flags |= kGoTillMain | 0x4;
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  // The stop is at main's address, on its first line.
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->DbgFindSource(r->pc) == 0 && r->srcLine == 34; }))
      << std::hex << r->pc << " " << CommandTexts();
  EXPECT_EQ(r->pc, Evaluate("&main"));
  EXPECT_NE(std::string(static_cast<const char*>(r->srcFile)).find("Blinky.c"), std::string::npos);
}

// A breakpoint kept in the options file is set in gdb at the start; the one
// set in the session is kept for the next.
TEST_F(GdbSessionTest, BreakpointsLastFromSessionToSession) {
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  BreakpointRec* b = AppendBreakpoint(project->curTarget);
  b->flags = kBreakFlag3;
  b->value1 = 36;  // LED_Init();
  b->text1 = OptString::Pooled("Blinky.c", kPoolDebugLists);
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  // The program runs to it.
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->DbgFindSource(r->pc) == 0 && r->srcLine == 36; }))
      << std::hex << r->pc << " " << CommandTexts();
  const uint32_t at36 = r->pc;
  EXPECT_EQ(r->DbgBreakpoint(at36, 1), 1u);
  // Debug > Breakpoints lists it.
  bool listed = false;
  for (auto* b = reinterpret_cast<const DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr)); b;
       b = b->next)
    listed |= b->address == at36;
  EXPECT_TRUE(listed);
  // One more in the session, on line 37 (found through the line table).
  const auto* table = static_cast<const DbgLineTableRecord*>(r->DbgLineTable((ExampleFolder() + "/Blinky.c").c_str()));
  ASSERT_NE(table, nullptr);
  uint32_t at37 = 0;
  for (uint32_t i = 0; i < table->count; ++i)
    if (table->pairs[i].line == 37) at37 = table->pairs[i].address;
  ASSERT_NE(at37, 0u);
  ASSERT_EQ(r->DbgBreakpoint(at37, 3), 0u);
  session->StopDebugger();
  ASSERT_FALSE(session->SessionActive());
  std::vector<uint32_t> kept;
  for (const BreakpointRec* k = project->curTarget->breakpoints; k; k = k->next)
    if (!(k->flags & kBreakFlag4)) kept.push_back(k->value1);
  EXPECT_EQ(kept, (std::vector<uint32_t>{36, 37}));
}

TEST_F(GdbSessionTest, TheSimulatedUartReachesSerialWindowOneBothWays) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  // A key typed before the program runs waits; the program's own output
  // (with that letter in it) goes on whole.
  r->DbgSerialInput(0, 'k');
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return SerialOne(hub).find("LED 1 on\r\n") != std::string::npos; }))
      << SerialOne(hub) << CommandTexts();
  EXPECT_EQ(SerialOne(hub).substr(0, 22), "Blinky: running\r\nLED 0");
  EXPECT_NE(SerialOne(hub).find("key: k\r\n"), std::string::npos);
  // The driver's own stops leave the command window alone.
  EXPECT_EQ(CommandTexts().find("atchpoint"), std::string::npos) << CommandTexts();
  EXPECT_EQ(CommandTexts().find("Serial_PutChar"), std::string::npos) << CommandTexts();
  // Not even the empty lines around gdb's reports of them.
  int empty = 0;
  for (const std::string& t : routed.commandLines) empty += t.find_first_not_of("\r\n") == std::string::npos;
  for (const std::string& t : hub.Texts(kNotifyCommandText2)) empty += t.find_first_not_of("\r\n") == std::string::npos;
  EXPECT_EQ(empty, 0) << CommandTexts();
  EXPECT_EQ(CommandTexts().find("\n\n"), std::string::npos) << CommandTexts();
  // A key typed into the window reaches the program, which echoes it.
  r->DbgSerialInput(0, 'z');
  ASSERT_TRUE(WaitFor([&] { return SerialOne(hub).find("key: z\r\n") != std::string::npos; })) << SerialOne(hub);
  // The key is taken once: it is neither shown as output nor read again.
  ASSERT_TRUE(WaitFor([&] { return SerialOne(hub).find("LED 7 on", SerialOne(hub).find("key: z")) != std::string::npos; }));
  const std::string out = SerialOne(hub);
  EXPECT_EQ(out.find("key: z"), out.rfind("key: z")) << out;
  EXPECT_EQ(out.find("zkey"), std::string::npos) << out;
  // Keys typed while the program runs: each stops the target for a moment
  // (unless it stands in one of the stand-in's stops already), and none of
  // those stops reaches the command page as if the program had stopped.
  const std::string said = CommandTexts();
  for (char key : std::string("abcde")) {
    r->DbgSerialInput(0, uint8_t(key));
    const std::string echo = std::string("key: ") + key + "\r\n";
    ASSERT_TRUE(WaitFor([&] { return SerialOne(hub).find(echo) != std::string::npos; })) << key << SerialOne(hub);
  }
  EXPECT_EQ(CommandTexts(), said);
  EXPECT_TRUE(session->TargetExecuting());
  // Keys for other windows are not the UART's.
  r->DbgSerialInput(1, 'q');
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  EXPECT_EQ(SerialOne(hub).find("key: q"), std::string::npos);
}

// The example's output with the echoes of keys taken out, checked line by
// line: its banner, then "LED n on" with n counting round; the last line
// may be under way. Empty when whole, else what is wrong and where.
std::string ExampleOutputFault(const std::string& out, const std::string& keys) {
  std::string rest = out;
  std::size_t echoes = 0;
  for (char key : keys) {
    const std::string echo = std::string("key: ") + key + "\r\n";
    const std::size_t at = rest.find(echo);
    if (at == std::string::npos) return std::string("no echo of '") + key + "'";
    if (at > 0 && rest[at - 1] != '\n') return std::string("the echo of '") + key + "' breaks a line";
    rest.erase(at, echo.size());
    ++echoes;
  }
  if (rest.find("key: ") != std::string::npos) return "a key echoed that was not typed (or twice)";
  const std::string banner = "Blinky: running\r\n";
  if (rest.compare(0, banner.size(), banner) != 0) return "no banner first";
  int n = 0;
  for (std::size_t at = banner.size(); at < rest.size(); n = (n + 1) % 8) {
    const std::string line = "LED " + std::to_string(n) + " on\r\n";
    const std::string got = rest.substr(at, line.size());
    if (got != line.substr(0, got.size()))
      return "'" + got + "' where '" + line.substr(0, line.size() - 2) + "' was due";
    at += line.size();
  }
  return std::string();
}

// Keys typed while the program runs, each stopping it for a moment at some
// other point of its loop: every key is echoed once, and the program's
// own characters all reach the window. A key's interrupt can land on the
// store into the transmit register, which gdb then reports as the
// interrupt alone; the character stored was lost with it.
TEST_F(GdbSessionTest, KeysTypedWhileTheProgramRunsLeaveItsOutputWhole) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return SerialOne(hub).find("LED 0 on\r\n") != std::string::npos; }))
      << SerialOne(hub) << CommandTexts();
  const std::string said = CommandTexts();
  // Letters the program never writes, each typed once the one before was
  // echoed and some more characters went out after it (a different count
  // each time, so the interrupts meet the loop at different places).
  const std::string keys = "abcdefghijpqstvwxzABCFGHIJKMNPQRSTUVWXYZ";
  std::string typed;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::size_t after = SerialOne(hub).size() + i % 13;
    ASSERT_TRUE(WaitFor([&] { return SerialOne(hub).size() >= after; })) << SerialOne(hub);
    r->DbgSerialInput(0, uint8_t(keys[i]));
    typed += keys[i];
    const std::string echo = std::string("key: ") + keys[i] + "\r\n";
    ASSERT_TRUE(WaitFor([&] { return SerialOne(hub).find(echo) != std::string::npos; })) << keys[i] << SerialOne(hub);
  }
  // None of the keys' stops reached the command page.
  EXPECT_EQ(CommandTexts(), said);
  EXPECT_TRUE(session->TargetExecuting());
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  const std::string out = SerialOne(hub);
  EXPECT_EQ(ExampleOutputFault(out, typed), "") << out;
}

TEST_F(GdbSessionTest, UartAccessesInAStepEndWhereTheStepEnds) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  ASSERT_EQ(r->DbgFindSource(r->pc), 0);
  const uint32_t lineAtMain = r->srcLine;
  ASSERT_TRUE(WaitFor([&] { return host.stopsPosted > 0; }));
  const int stopsBefore = host.stopsPosted;
  // Over LED_Count and LED_Init, then Serial_Init (it writes the divisor
  // through the watched register) and Serial_PutString (a character at a
  // time, two calls down): each step ends on the next line of main.
  for (uint32_t line = lineAtMain + 1; line <= lineAtMain + 4; ++line) {
    session->Step(kDbgStepOver);
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << line;
    ASSERT_EQ(r->DbgFindSource(r->pc), 0);
    EXPECT_NE(std::string(static_cast<const char*>(r->srcFile)).find("Blinky.c"), std::string::npos) << line;
    EXPECT_EQ(r->srcLine, line) << std::hex << r->pc;
  }
  EXPECT_EQ(SerialOne(hub), "Blinky: running\r\n");
  // The IDE heard of the four steps' stops only; the driver's own stops
  // and the finishes that brought a step back up stay out of the command window.
  ASSERT_TRUE(WaitFor([&] { return host.stopsPosted >= stopsBefore + 4; }));
  // gdb answers in order: a stop it reported would be taken before the
  // answer to a question asked now.
  Evaluate("&main");
  EXPECT_EQ(host.stopsPosted, stopsBefore + 4);
  EXPECT_EQ(CommandTexts().find("atchpoint"), std::string::npos) << CommandTexts();
  EXPECT_EQ(CommandTexts().find("Run till exit"), std::string::npos) << CommandTexts();
}

TEST_F(GdbSessionTest, TheUartOfAThumbProgramTellsWritesFromReads) {
  if (ThumbExampleFolder().empty()) GTEST_SKIP() << "the example does not build for Thumb here";
  project = MakeExampleProject(ThumbExampleFolder());
  app->State().m_pProject = project;
  Params("-sim");
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  EXPECT_EQ(r->DbgExecCommand("BS main", 7), 0);
  const uint32_t main = Evaluate("&main") & ~1u;
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= main && r->pc < main + 32; }))
      << CommandTexts();
  ASSERT_EQ(r->DbgFindSource(r->pc), 0);
  const uint32_t lineAtMain = r->srcLine;
  // Stores of 16-bit Thumb code are the program's characters, even the one
  // equal to the key that waits in the register; its load of the receive
  // register takes the key.
  r->DbgSerialInput(0, 'k');
  for (uint32_t line = lineAtMain + 1; line <= lineAtMain + 4; ++line) {
    session->Step(kDbgStepOver);
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); })) << line;
    ASSERT_EQ(r->DbgFindSource(r->pc), 0);
    EXPECT_EQ(r->srcLine, line) << std::hex << r->pc;
  }
  EXPECT_EQ(SerialOne(hub), "Blinky: running\r\n");
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return SerialOne(hub).find("key: k\r\n") != std::string::npos; }))
      << SerialOne(hub);
  const std::string out = SerialOne(hub);
  EXPECT_EQ(out.find("kkey"), std::string::npos) << out;
  EXPECT_NE(out.find("LED 0 on\r\n"), std::string::npos) << out;
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
}

// The symbols dialog shows an array as gdb types it: its dimension and its
// element type (the malloc copy's `static char heap[256]`), not an array
// of nothing.
TEST_F(GdbMallocSessionTest, TheSymbolsDialogShowsAnArraysElementType) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  DbgScopeRecord* scopes = nullptr;
  r->DbgEnum(kDbgEnumScopes, 0, reinterpret_cast<intptr_t>(&scopes));
  ASSERT_NE(scopes, nullptr);
  const DbgSymbolRecord* heap = nullptr;
  for (const DbgScopeRecord* m = scopes->children; m; m = m->next)
    for (const DbgSymbolRecord* s = m->symbols; s; s = s->next)
      if (std::string(s->name) == "heap") heap = s;
  ASSERT_NE(heap, nullptr);
  EXPECT_EQ(SymbolTypeText(heap->type, 3), "array[256] of char");
}

TEST_F(GdbSessionTest, TheDialogsRecordsComeFromGdb) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  // The symbols: main among the public symbols, with its address.
  DbgSymbolRecord* publics = nullptr;
  r->DbgEnum(kDbgEnumPublics, 0, reinterpret_cast<intptr_t>(&publics));
  const DbgSymbolRecord* main = nullptr;
  for (const DbgSymbolRecord* s = publics; s; s = s->next)
    if (std::string(s->name) == "main") main = s;
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->value, Evaluate("&main"));
  ASSERT_NE(main->type, nullptr);
  EXPECT_EQ(main->type->code, 15);
  DbgScopeRecord* scopes = nullptr;
  r->DbgEnum(kDbgEnumScopes, 0, reinterpret_cast<intptr_t>(&scopes));
  ASSERT_NE(scopes, nullptr);
  bool blinky = false;
  for (const DbgScopeRecord* m = scopes->children; m; m = m->next)
    blinky |= std::string(m->name) == "Blinky.c" && m->lineCount > 0;
  EXPECT_TRUE(blinky);
  DbgCoverageRecord* coverage = nullptr;
  r->DbgEnum(kDbgEnumScopes, 1, reinterpret_cast<intptr_t>(&coverage));
  EXPECT_NE(coverage, nullptr);  // the simulation keeps code coverage
  EXPECT_EQ(r->analyserRest, nullptr);

  // Breakpoints: one set by command, one defined by the dialog's request.
  EXPECT_EQ(r->DbgExecCommand("BS LED_On", 9), 0);
  DbgBreakpointRequest q{};
  q.expression = "Timer_Delay";
  q.passCount = q.passCount2 = 2;
  r->DbgBreakpointDefine(0, 0, 0, &q);
  ASSERT_EQ(q.error, 0);
  ASSERT_NE(q.result, nullptr);
  auto* head = reinterpret_cast<DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  ASSERT_NE(head, nullptr);
  ASSERT_NE(head->next, nullptr);
  EXPECT_GE(head->address, Evaluate("&LED_On"));
  EXPECT_LT(head->address, Evaluate("&LED_On") + 32);
  EXPECT_EQ(head->next, q.result);
  EXPECT_EQ(q.result->passCount, 2u);
  EXPECT_TRUE(head->flags & kDbgBpEnabled);
  // Disabled in the dialog, then closed: gdb hears of it; killed: it goes.
  head->flags &= ~uint32_t(kDbgBpEnabled);
  r->DbgBreakpointList(kDbgBpListClose, 0, 0, nullptr);
  head = reinterpret_cast<DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  EXPECT_FALSE(head->flags & kDbgBpEnabled);
  r->DbgBreakpointList(kDbgBpListKill, 0, 0, head);
  head = reinterpret_cast<DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head, q.result);
  EXPECT_EQ(head->next, nullptr);
  DbgBreakpointRequest bad{};
  bad.expression = "no_such_function";
  r->DbgBreakpointDefine(0, 0, 0, &bad);
  EXPECT_NE(bad.error, 0);

  // The memory map: the program's code from address 0, executable.
  DbgMemorySpaceRecord space{};
  ASSERT_EQ(r->DbgControl(4, 0, reinterpret_cast<intptr_t>(&space)), 0);
  ASSERT_NE(space.attributes, nullptr);
  EXPECT_EQ(space.count, 0x10000u);
  EXPECT_EQ(space.attributes[0] & 3, 3);
  r->DbgControl(4, 0x10000000, reinterpret_cast<intptr_t>(&space));
  EXPECT_EQ(space.attributes, nullptr);
}

struct KillRow {
  const char* name;
  const char* victim;
  const char* reason;
};

class GdbChildKilled : public GdbSessionTest, public ::testing::WithParamInterface<KillRow> {};

// The places of the target's stored breakpoints: a line's file and line,
// a function's name.
std::vector<std::pair<std::string, uint32_t>> StoredPlaces(const TargetRec* target) {
  std::vector<std::pair<std::string, uint32_t>> out;
  for (const BreakpointRec* k = target->breakpoints; k; k = k->next)
    if (!(k->flags & kBreakFlag4)) out.emplace_back(k->text1.str(), k->value1);
  return out;
}
std::vector<std::pair<std::string, uint32_t>> Lines(const std::vector<SourceBreakpoint>& list) {
  std::vector<std::pair<std::string, uint32_t>> out;
  for (const SourceBreakpoint& b : list) out.emplace_back(b.fileName, b.line);
  return out;
}

TEST_P(GdbChildKilled, EndsTheSessionWithAMessageAndKeepsItsBreakpoints) {
  // Two breakpoints kept in the options file, set in the driver at the start.
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  for (uint32_t line : {36u, 37u}) {
    BreakpointRec* b = AppendBreakpoint(project->curTarget);
    b->flags = kBreakFlag3;
    b->value1 = line;
    b->text1 = OptString::Pooled("Blinky.c", kPoolDebugLists);
  }
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive());
  DebugInterface* r = session->Record();
  // The session's changes on the command page: one added, one killed.
  ASSERT_EQ(r->DbgExecCommand("BS LED_Off", 10), 0) << CommandTexts();
  ASSERT_EQ(r->DbgExecCommand("BK 2", 4), 0) << CommandTexts();
  // What a normal end would keep: the driver's breakpoints as they stand.
  const std::vector<SourceBreakpoint> standing = DriverSourceBreakpoints(*r);
  ASSERT_EQ(standing.size(), 2u) << CommandTexts();
  EXPECT_EQ(standing[0].fileName, "Blinky.c");
  EXPECT_EQ(standing[0].line, 36u);
  EXPECT_EQ(standing[1].fileName, "LED.c");

  std::vector<pid_t> victims = Children(GetParam().victim);
  ASSERT_EQ(victims.size(), 1u);
  kill(victims[0], SIGKILL);
  ASSERT_TRUE(WaitFor([&] { return host.driverEnded.load(); }));
  EXPECT_NE(CommandTexts().find(std::string("*** Error: ") + GetParam().reason + ": the debug session ends"),
            std::string::npos)
      << CommandTexts();
  // What the notification does on the GUI thread.
  session->StopDebugger();
  EXPECT_FALSE(session->SessionActive());
  EXPECT_TRUE(Children("gdb-multiarch").empty());
  EXPECT_TRUE(Children("qemu-system-arm").empty());
  // Kept as after a normal end: the one added (by the function it was
  // set on), not the one killed.
  const std::vector<std::pair<std::string, uint32_t>> kept{{"Blinky.c", 36}, {"LED_Off", 0}};
  EXPECT_EQ(StoredPlaces(project->curTarget), kept);

  // The next session starts with them.
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  EXPECT_EQ(Lines(DriverSourceBreakpoints(*session->Record())), Lines(standing)) << CommandTexts();
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbChildKilled,
                         ::testing::Values(KillRow{"Gdb", "gdb-multiarch", "gdb-multiarch ended"},
                                           KillRow{"Qemu", "qemu-system-arm", "qemu-system-arm ended"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The watch windows' questions through gdb's variable objects, an
// assignment, value tips and the breakpoints of the editor's margin.
TEST_F(GdbSessionTest, WatchValuesLocalsAssignmentsAndBreakpoints) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const uint32_t main = Evaluate("&main");
  ASSERT_EQ(r->DbgFindSource(r->pc), 0);
  // main stops on its first statement.
  ASSERT_EQ(r->srcLine, ExampleLineOf("Blinky.c", "= LED_Count();"));

  DbgWatchValue v{};
  v.expression = " `pattern_step";
  v.radix = -1;
  ASSERT_EQ(r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0), 0);
  EXPECT_EQ(v.code, kDbgTypeScalar);
  EXPECT_STREQ(v.text, "0");
  // An assignment as the watch window writes it, read back in hexadecimal.
  const char* assign = " `pattern_step = 5\n";
  EXPECT_EQ(r->DbgAssign(assign, int32_t(std::strlen(assign))), 0);
  v.radix = 16;
  ASSERT_EQ(r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0), 0);
  EXPECT_STREQ(v.text, "0x5");
  // A name gdb does not see here is out of scope; a text that is no
  // expression stays unevaluated.
  v.expression = "nosuchthing";
  EXPECT_EQ(r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0), 0);
  EXPECT_EQ(v.outOfScope, 1);
  v.expression = "pattern_step +";
  v.outOfScope = 0;
  EXPECT_NE(r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0), 0);
  EXPECT_EQ(v.outOfScope, 0);

  // The locals of main, with main's address as the scope.
  auto names = std::make_unique<DbgWatchNames>();
  ASSERT_EQ(r->DbgControl(kDbgCtlLocals, reinterpret_cast<intptr_t>(names.get()), 0), 0);
  EXPECT_EQ(names->key, main);
  ASSERT_EQ(names->count, 1u);
  EXPECT_STREQ(names->names, "n");

  // A value tip.
  char tip[1024] = "pattern_step";
  ASSERT_EQ(r->DbgControl(kDbgCtlValueTip, reinterpret_cast<intptr_t>(tip), 0), 0);
  EXPECT_STREQ(tip, "pattern_step = 5");

  // A breakpoint at the next statement's address: inserted, disabled,
  // enabled, removed.
  auto* lines = static_cast<const DbgLineTableRecord*>(r->DbgLineTable((ExampleFolder() + "Blinky.c").c_str()));
  ASSERT_NE(lines, nullptr);
  const uint32_t next = ExampleLineOf("Blinky.c", "  LED_Init();");
  uint32_t line11 = 0;
  for (uint32_t i = 0; i < lines->count; ++i)
    if (lines->pairs[i].line == next) line11 = lines->pairs[i].address;
  ASSERT_NE(line11, 0u);
  EXPECT_EQ(r->DbgBreakpoint(line11, 3), 0u);
  EXPECT_EQ(r->DbgBreakpoint(line11, 7), 1u);
  EXPECT_EQ(r->DbgBreakpoint(line11, 2), 0u);
  EXPECT_EQ(r->DbgBreakpoint(line11, 1), 2u);
  EXPECT_EQ(r->DbgBreakpoint(line11, 2), 0u);
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc == line11; })) << std::hex << r->pc;
  EXPECT_EQ(r->DbgBreakpoint(line11, 3), 0u);
  EXPECT_EQ(r->DbgBreakpoint(line11, 1), 0u);
  // Kill all through the list operation.
  EXPECT_EQ(r->DbgBreakpointList(kDbgBpListKillAll, 0, 0, nullptr), 0);
}

TEST_F(GdbSessionTest, ServerThatNeverAnswersFailsTheStartWithinSeconds) {
  // A server that accepts and then says nothing.
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(listen(fd, 4), 0);
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  const std::string remote = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
  Params("-remote " + remote + " -timeout 4");
  project->curTarget->pOpts->dbg.flags |= 1;
  {
    // Without the driver's own bound the start would wait for ever.
    test::HangGuard guard("a start against a server that never answers");
    session->StartDebugger();
  }
  close(fd);
  EXPECT_FALSE(session->SessionActive());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text.rfind("Error: GDB server at " + remote + " does not answer", 0), 0u)
      << dialogs.boxes[0].text;
  EXPECT_TRUE(Children("gdb-multiarch").empty());
}

// ------------------------------------------------------------------ the command language

class GdbLanguageTest : public GdbSessionTest {
 protected:
  void SetUp() override {
    GdbSessionTest::SetUp();
    if (IsSkipped()) return;
    shell = std::make_unique<test::SessionIpcShell>(*session);
    handlers = std::make_unique<IpcDebugHandlers>(dispatcher, *shell, IpcDebugState{&muted, &client},
                                                  [this](dtc_EventBase& e) {
                                                    sent.push_back(Describe(e));
                                                    return true;
                                                  });
  }
  void TearDown() override {
    handlers.reset();
    GdbSessionTest::TearDown();
  }
  static std::string Describe(dtc_EventBase& e) {
    if (auto* s = dynamic_cast<dtc_Debug::StatusText*>(&e)) return "status " + s->m_strText;
    if (auto* b = dynamic_cast<dtc_Debug::SetBreakpointReply*>(&e)) return "bs " + std::to_string(b->m_bSuccess);
    if (auto* c = dynamic_cast<dtc_Debug::ClearBreakpointReply*>(&e)) return "bc " + std::to_string(c->m_bSuccess);
    if (auto* r = dynamic_cast<dtc_Debug::ReadRegisterReply*>(&e)) return "reg " + std::to_string(r->m_nValue);
    if (auto* w = dynamic_cast<dtc_Debug::WriteRegisterReply*>(&e)) return "wreg " + std::to_string(w->m_nValue);
    if (auto* a = dynamic_cast<dtc_Debug::GetMemoryAddressReply*>(&e))
      return "addr " + std::to_string(a->m_nAddress) + " " + std::to_string(a->m_bValid);
    return "other";
  }
  template <class X>
  void From(X event) {
    event.m_nSender = 3;
    dispatcher.Deliver(event);
  }
  std::string Take() {
    std::string all;
    for (const std::string& s : sent) all += s + "\n";
    sent.clear();
    return all;
  }
  // What the command page got since the mark.
  void Mark() {
    linesMark = routed.commandLines.size();
    hubMark = hub.Texts(kNotifyCommandText2).size();
  }
  std::string SinceMark() const {
    std::string all;
    for (std::size_t i = linesMark; i < routed.commandLines.size(); ++i) all += routed.commandLines[i];
    const std::vector<std::string> texts = hub.Texts(kNotifyCommandText2);
    for (std::size_t i = hubMark; i < texts.size(); ++i) all += texts[i];
    return all;
  }
  // The target stopped within the first instructions of a function (its
  // address taken before the run).
  bool StoppedIn(uint32_t at) {
    DebugInterface* r = session->Record();
    return WaitFor([&] { return !session->TargetExecuting() && r->pc >= at && r->pc < at + 32; });
  }

  EventDispatcher dispatcher;
  std::atomic<int32_t> muted{0}, client{-1};
  std::unique_ptr<test::SessionIpcShell> shell;
  std::unique_ptr<IpcDebugHandlers> handlers;
  std::vector<std::string> sent;
  std::size_t linesMark = 0, hubMark = 0;
};

// A client runs until a function, reads and writes registers by the
// register page's names, and sets and clears a breakpoint by a function's
// name; the program counter moves with "$=".
TEST_F(GdbLanguageTest, ClientsUseTheRegisterPagesNamesAndFunctionNames) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  const uint32_t timerInit = Evaluate("&Timer_Init");
  From(dtc_Debug::ExecuteUntil("Timer_Init"));
  ASSERT_TRUE(StoppedIn(timerInit)) << std::hex << r->pc << CommandTexts();
  ASSERT_EQ(r->DbgFindSource(r->pc), 0);
  EXPECT_NE(std::string(static_cast<const char*>(r->srcFile)).find("Timer.c"), std::string::npos);
  From(dtc_Debug::ReadRegister("PC"));
  EXPECT_EQ(Take(), "reg " + std::to_string(r->pc) + "\n");
  From(dtc_Debug::ReadRegister("SP"));
  From(dtc_Debug::ReadRegister("R13"));
  const uint32_t sp = Evaluate("(unsigned long)$sp");
  EXPECT_EQ(Take(), "reg " + std::to_string(sp) + "\nreg " + std::to_string(sp) + "\n");
  auto refreshes = [&] { return std::count(routed.calls.begin(), routed.calls.end(), "DebugService 22"); };
  const auto before = refreshes();
  From(dtc_Debug::WriteRegister("R1", 0x1234));
  From(dtc_Debug::ReadRegister("R1"));
  EXPECT_EQ(Take(), "wreg 4660\nreg 4660\n");
  // The windows were told of the new value.
  EXPECT_GT(refreshes(), before);
  From(dtc_Debug::GetMemoryAddress("main"));
  EXPECT_EQ(Take(), "addr " + std::to_string(Evaluate("&main")) + " 1\n");
  // A breakpoint by name, cleared by the same name.
  From(dtc_Debug::SetBreakpoint("LED_Count"));
  From(dtc_Debug::ClearBreakpoint("LED_Count"));
  From(dtc_Debug::ClearBreakpoint("LED_Count"));
  EXPECT_EQ(Take(), "bs 1\nbc 1\nbc 0\n");
  // The IDE's Set Program Counter, and a register written through the page's name.
  const uint32_t main = Evaluate("&main");
  char setPc[32];
  std::snprintf(setPc, sizeof setPc, "$=0x%X\n", main);
  EXPECT_EQ(r->DbgControl(kDbgCtlExecNow, reinterpret_cast<intptr_t>(setPc), 0), 0);
  EXPECT_EQ(r->pc, main);
  ASSERT_EQ(r->DbgFindSource(r->pc), 0);
  EXPECT_NE(std::string(static_cast<const char*>(r->srcFile)).find("Blinky.c"), std::string::npos);
  EXPECT_EQ(Evaluate("PC"), main);
  // A typed command of gdb's own that moves the program counter: the
  // driver's idea of it follows.
  char typedPc[64];
  std::snprintf(typedPc, sizeof typedPc, "set var $pc = 0x%X", main + 4);
  ASSERT_EQ(r->DbgExecCommand(typedPc, int32_t(std::strlen(typedPc))), 0);
  EXPECT_EQ(Evaluate("$pc"), main + 4);
  EXPECT_EQ(Evaluate("PC"), main + 4);
  // What the driver can't translate is refused, not handed to gdb.
  EXPECT_NE(r->DbgControl(kDbgCtlExecNow, reinterpret_cast<intptr_t>("Map 0,0xFFF Clear\n"), 0), 0);
  EXPECT_NE(CommandTexts().find("*** error: the GDB driver has no MAP command"), std::string::npos) << CommandTexts();
  EXPECT_EQ(CommandTexts().find("Undefined command"), std::string::npos) << CommandTexts();
}

// A read takes a register name or an expression that writes nothing: an
// assignment, an increment or a call is refused with the reason, and the
// register keeps its value; a write takes one name, not an assignment.
TEST_F(GdbLanguageTest, ReadsNeverWrite) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  From(dtc_Debug::WriteRegister("R1", 0x11));
  EXPECT_EQ(Take(), "wreg 17\n");
  From(dtc_Debug::ReadRegister("R1 = 7"));
  From(dtc_Debug::ReadRegister("R1++"));
  From(dtc_Debug::ReadRegister("R1 += 2"));
  From(dtc_Debug::GetMemoryAddress("R1 = 9"));
  From(dtc_Debug::ClearBreakpoint("R1 <<= 1"));
  From(dtc_Debug::ReadRegister("LED_Count()"));
  From(dtc_Debug::WriteRegister("R1 = 3", 5));
  EXPECT_EQ(Take(),
            "status ReadRegister: an assignment is not allowed\n"
            "status ReadRegister: an increment or decrement is not allowed\n"
            "status ReadRegister: an assignment is not allowed\n"
            "status GetMemoryAddress: an assignment is not allowed\naddr 0 0\n"
            "status ClearBreakpoint: an assignment is not allowed\nbc 0\n"
            "status ReadRegister: the function call 'LED_Count(' is not allowed\n"
            "status WriteRegister: an assignment is not allowed\n");
  EXPECT_EQ(Evaluate("$r1"), 0x11u);
  // Comparisons read.
  From(dtc_Debug::ReadRegister("R1 == 0x11"));
  From(dtc_Debug::ReadRegister("R1 >= 0x12"));
  EXPECT_EQ(Take(), "reg 1\nreg 0\n");
}

// A breakpoint whose command is refused: the client hears the reason, not
// only the Command page.
TEST_F(GdbLanguageTest, ARefusedBreakpointIsAnsweredWithItsReason) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  From(dtc_Debug::SetBreakpoint("main, 1, \"INCLUDE x.ini\""));
  From(dtc_Debug::SetBreakpoint("main, 0"));
  EXPECT_EQ(Take(),
            "status SetBreakpoint: BS: 'INCLUDE x.ini' can't run at a breakpoint\nbs 0\n"
            "status SetBreakpoint: BS: the count must be a number from 1, not '0'\nbs 0\n");
}

// Texts that would write or run target code, through every request that
// carries a text: each request is answered (a reply or the reason), and no
// register, no word of RAM or of a peripheral and no program counter
// changes; the session goes on.
TEST_F(GdbLanguageTest, CallsAndWritesInAnyFormChangeNothing) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  // A stack set up: a call would really run.
  const uint32_t timerInit = Evaluate("&Timer_Init");
  From(dtc_Debug::ExecuteUntil("Timer_Init"));
  ASSERT_TRUE(StoppedIn(timerInit)) << std::hex << r->pc << CommandTexts();
  From(dtc_Debug::WriteRegister("R1", 0x11));
  ASSERT_EQ(Take(), "wreg 17\n");
  ASSERT_EQ(r->DbgAssign("{int}0x40004000 = 0x55", -1), 0) << CommandTexts();
  const uint32_t pc = Evaluate("$pc"), sp = Evaluate("(unsigned long)$sp");
  const uint32_t ioset = Evaluate("*(unsigned long *)0xE0028004");
  const struct {
    const char* name;
    std::string text;
  } rows[] = {
      {"BracketedCallee", "(LED_On)(2)"},
      {"CalleeThroughPointer", "(*LED_On)(2)"},
      {"CallInASum", "(LED_On)(2)+R0"},
      {"CallWithoutArguments", "(main)()"},
      {"PlainCall", "LED_On(2)"},
      {"Assignment", "R1 = 7"},
      {"Increment", "R1++"},
      {"MemoryWrite", "{int}0x40004000 = 7"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto answered = [&](const char* request) {
      const std::string answers = Take();
      EXPECT_NE(answers, "") << request << " got no answer";
      EXPECT_EQ(answers.find("status " + std::string(request) + ": "), 0u) << request << ": " << answers;
    };
    From(dtc_Debug::ReadRegister(row.text));
    answered("ReadRegister");
    From(dtc_Debug::WriteRegister(row.text, 1));
    answered("WriteRegister");
    From(dtc_Debug::GetMemoryAddress(row.text));
    answered("GetMemoryAddress");
    From(dtc_Debug::ClearBreakpoint(row.text));
    answered("ClearBreakpoint");
    From(dtc_Debug::SetBreakpoint(row.text));
    answered("SetBreakpoint");
    From(dtc_Debug::ExecuteUntil(row.text));
    answered("ExecuteUntil");
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
    EXPECT_EQ(Evaluate("$r1"), 0x11u);
    EXPECT_EQ(Evaluate("*(int *)0x40004000"), 0x55u);
    EXPECT_EQ(Evaluate("*(unsigned long *)0xE0028004"), ioset);
    EXPECT_EQ(Evaluate("$pc"), pc);
    EXPECT_EQ(Evaluate("(unsigned long)$sp"), sp);
    EXPECT_EQ(r->pc, pc);
  }
  // The driver itself never calls for a client's read, whoever asked it.
  for (const char* call : {"(LED_On)(2)", "(*LED_On)(2)", "(LED_On)(2)+R0", "(main)()", "LED_On(2)"}) {
    SCOPED_TRACE(call);
    DriverExpressionRecord e{};
    e.text = call;
    r->DbgControl(kDbgCtlIpcEvaluate, reinterpret_cast<intptr_t>(&e), 0);
    EXPECT_NE(e.error, 0);
    EXPECT_EQ(Evaluate("*(unsigned long *)0xE0028004"), ioset);
    EXPECT_EQ(Evaluate("$pc"), pc);
  }
  // No breakpoint came of a text, and the session still steps.
  Mark();
  ASSERT_EQ(r->DbgExecCommand("BL", 2), 0);
  EXPECT_EQ(SinceMark().find("  1: "), std::string::npos) << SinceMark();
  From(dtc_Debug::StepInstruction());
  EXPECT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc != pc; })) << CommandTexts();
}

// While the target runs a register is not read: the answer says so, and
// never is the program counter of the last stop (the driver's own short
// stops for the simulated UART are no stops of the target).
TEST_F(GdbLanguageTest, ARegisterReadWhileTheTargetRunsIsRefused) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  From(dtc_Debug::ReadRegister("PC"));
  const std::string stopped = "reg " + std::to_string(r->pc) + "\n";
  EXPECT_EQ(Take(), stopped);
  session->Go(0xFFFFFFFFu);
  ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); }));
  // The example writes to its UART all the time: many reads meet the
  // driver's own stops.
  for (int i = 0; i < 300 && session->TargetExecuting(); ++i) {
    From(dtc_Debug::ReadRegister("PC"));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const std::string answers = Take();
  EXPECT_EQ(answers.find("reg "), std::string::npos) << answers;
  EXPECT_NE(answers.find("status Can't read register 'PC'"), std::string::npos) << answers;
  session->StopRunning();
}

// A client's read of a halted target is taken on the client's own thread
// (the program counter of the stop, and a register gdb is asked for while
// the GUI thread asks gdb too); while the target runs it is not.
TEST_F(GdbLanguageTest, AHaltedTargetIsReadOnAnotherThread) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  // `meanwhile`: the GUI thread asks gdb a question of its own during the read.
  auto read = [&](const char* text, uint64_t* value, bool meanwhile) {
    DriverExpressionRecord e{};
    e.text = text;
    bool answered = false;
    std::thread reader([&] { answered = session->EvaluateOnCallingThread(reinterpret_cast<intptr_t>(&e)); });
    if (meanwhile) {
      EXPECT_NE(Evaluate("&main"), 0u);
    }
    reader.join();
    *value = uint64_t(e.resultLow) | (uint64_t(e.resultHigh) << 32);
    return answered && e.error == 0;
  };
  uint64_t value = 0;
  ASSERT_TRUE(read("PC", &value, true));
  EXPECT_EQ(value, r->pc);
  ASSERT_TRUE(read("SP", &value, true));
  EXPECT_EQ(value, Evaluate("(unsigned long)$sp"));
  session->Go(0xFFFFFFFFu);
  ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); }));
  EXPECT_FALSE(read("PC", &value, false));
  session->StopRunning();
}

// The register page after steps (its values asked for as the target
// stops) and after a write between the stop and the page's refresh.
TEST_F(GdbLanguageTest, RegisterPageFollowsStepsAndWrites) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive());
  DebugInterface* r = session->Record();
  ASSERT_NE(host.registerSet, nullptr);
  const RegisterEntry* regs = host.registerSet->registers;
  auto shown = [&](int i) { return std::strtoul(regs[i].value, nullptr, 16); };
  for (int step = 0; step < 4; ++step) {
    StepAndWait(kDbgStepInstruction);
    host.registerSet->refresh(nullptr, 0);
    EXPECT_EQ(shown(15), r->pc) << "step " << step;
  }
  StepAndWait(kDbgStepInstruction);
  const char* write = "R0 = 0x77\n";
  ASSERT_EQ(r->DbgControl(kDbgCtlExecNow, reinterpret_cast<intptr_t>(write), 0), 0);
  host.registerSet->refresh(nullptr, 0);
  EXPECT_EQ(shown(0), 0x77u);
  EXPECT_EQ(shown(15), r->pc);
  // Written through the page itself.
  const uint64_t value = 0x1234;
  host.registerSet->setValue(const_cast<RegisterEntry*>(&regs[1]), &value);
  EXPECT_EQ(shown(1), 0x1234u);
  // The page's full refresh after the edit keeps the written register
  // marked as changed until the next stop.
  host.registerSet->refresh(nullptr, 0x80000000u);
  EXPECT_TRUE(regs[1].changed);
  EXPECT_FALSE(regs[2].changed);
  StepAndWait(kDbgStepInstruction);
  host.registerSet->refresh(nullptr, 0);
  EXPECT_EQ(shown(15), r->pc);
}

// A program counter written through the register page is the driver's
// position at once: the record, the driver's answer to the IDE and the
// stop's source line follow it, and the next step runs from there.
TEST_F(GdbLanguageTest, AWrittenPcIsThePositionAtOnce) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive());
  DebugInterface* r = session->Record();
  ASSERT_NE(host.registerSet, nullptr);
  RegisterEntry* pcEntry = &host.registerSet->registers[15];
  ASSERT_STREQ(pcEntry->name, "PC");
  StepAndWait(kDbgStepInstruction);  // halted for sure
  host.registerSet->refresh(nullptr, 0x80000000u);
  const CodeLines timer(static_cast<const DbgLineTableRecord*>(r->DbgLineTable((ExampleFolder() + "Timer.c").c_str())));
  uint32_t line10 = 0;
  ASSERT_TRUE(timer.Address(10, &line10));
  const uint64_t value = line10;
  host.registerSet->setValue(pcEntry, &value);
  EXPECT_EQ(r->pc, line10);
  EXPECT_EQ(uint32_t(r->DbgControl(kDbgCtlProgramCounter, 0, 0)), line10);
  ASSERT_EQ(r->DbgFindSource(r->pc), 0);
  EXPECT_EQ(r->srcLine, 10u);
  EXPECT_NE(std::string(static_cast<const char*>(r->srcFile)).find("Timer.c"), std::string::npos);
  host.registerSet->refresh(nullptr, 0x80000000u);
  EXPECT_TRUE(pcEntry->changed);
  StepAndWait(kDbgStepInstruction);
  EXPECT_EQ(r->pc, line10 + 4);
}

// The code address of each line of the example's Timer.c is the one gdb
// alone takes for "break Timer.c:<line>", and gdb's address of every line
// belongs to the line gdb names.
TEST_F(GdbSessionTest, LineAddressesAreTheOnesGdbAloneTakes) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive());
  DebugInterface* r = session->Record();
  const CodeLines timer(static_cast<const DbgLineTableRecord*>(r->DbgLineTable((ExampleFolder() + "Timer.c").c_str())));
  ASSERT_FALSE(timer.Empty());
  std::string command = "gdb-multiarch -nx -batch";
  for (const auto& [line, address] : timer.Lines()) command += " -ex 'break Timer.c:" + std::to_string(line) + "'";
  command += " '" + ExampleFolder() + "Obj/Blinky.elf' 2>&1";
  FILE* gdb = popen(command.c_str(), "r");
  ASSERT_NE(gdb, nullptr);
  char text[512];
  int compared = 0, own = 0;
  auto it = timer.Lines().begin();
  while (std::fgets(text, sizeof text, gdb)) {
    unsigned number = 0, at = 0, line = 0;
    if (std::sscanf(text, "Breakpoint %u at 0x%x: file Timer.c, line %u.", &number, &at, &line) != 3) continue;
    ASSERT_NE(it, timer.Lines().end());
    const uint32_t asked = (it++)->first;
    SCOPED_TRACE("Timer.c:" + std::to_string(asked));
    const std::vector<CodeRange>& ranges = timer.Ranges(line);
    EXPECT_TRUE(std::any_of(ranges.begin(), ranges.end(), [&](const CodeRange& c) { return at >= c.begin && at < c.end; }))
        << "0x" << std::hex << at << " lies outside line " << std::dec << line;
    if (line == asked) {
      uint32_t address = 0;
      ASSERT_TRUE(timer.Address(asked, &address));
      EXPECT_EQ(address, at);
      ++own;
    }
    ++compared;
  }
  pclose(gdb);
  EXPECT_EQ(compared, int(timer.Lines().size()));
  EXPECT_GE(own, 15);
}

// The command page: the user's breakpoints count from 1 although the UART
// stand-in's watchpoint came first; one with a command leaves the list
// readable; BK takes the page's numbers.
TEST_F(GdbLanguageTest, CommandPageBreakpointsNumberFromOneAndListTheirCommands) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive());
  DebugInterface* r = session->Record();
  auto typed = [&](const std::string& line) { return r->DbgExecCommand(line.c_str(), int32_t(line.size())); };
  ASSERT_EQ(typed("BS main, 1, \"print 42\""), 0) << CommandTexts();
  ASSERT_EQ(typed("BS Timer_Init"), 0);
  EXPECT_NE(CommandTexts().find("Breakpoint 1 at 0x"), std::string::npos) << CommandTexts();
  EXPECT_NE(CommandTexts().find("Breakpoint 2 at 0x"), std::string::npos) << CommandTexts();
  // A run until an address leaves no breakpoint of its own in the numbers.
  const uint32_t main = Evaluate("&main");
  ASSERT_EQ(typed("g,main"), 0);
  ASSERT_TRUE(StoppedIn(main)) << CommandTexts();
  // gdb's report of the stop names the page's number; the command ran.
  ASSERT_TRUE(WaitFor([&] { return CommandTexts().find("$1 = 42") != std::string::npos; })) << CommandTexts();
  EXPECT_NE(CommandTexts().find("Breakpoint 1, main ()"), std::string::npos) << CommandTexts();
  EXPECT_EQ(CommandTexts().find("reakpoint 2, main"), std::string::npos) << CommandTexts();
  EXPECT_EQ(CommandTexts().find("reakpoint 4,"), std::string::npos) << CommandTexts();
  ASSERT_EQ(typed("BS LED_Count"), 0);
  EXPECT_NE(CommandTexts().find("Breakpoint 3 at 0x"), std::string::npos) << CommandTexts();
  Mark();
  ASSERT_EQ(typed("BL"), 0);
  const std::string list = SinceMark();
  EXPECT_NE(list.find("  1: (E) 0x"), std::string::npos) << list;
  EXPECT_NE(list.find("main, \"print 42\""), std::string::npos) << list;
  EXPECT_NE(list.find("  2: (E) 0x"), std::string::npos) << list;
  EXPECT_NE(list.find("  3: (E) 0x"), std::string::npos) << list;
  EXPECT_EQ(list.find("0xE000C000"), std::string::npos) << list;
  // The breakpoints dialog reads the same list.
  auto* head = reinterpret_cast<DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  int count = 0;
  for (DbgBreakpointRecord* b = head; b; b = static_cast<DbgBreakpointRecord*>(b->next)) ++count;
  EXPECT_EQ(count, 3);
  // BK and BD by the page's numbers; each change shows at once in the
  // margins and the disassembly window (IDE service 14), a refused one
  // changes nothing.
  auto refreshes = [&] { return std::count(routed.calls.begin(), routed.calls.end(), "DebugService 14"); };
  const auto before = refreshes();
  ASSERT_EQ(typed("BK 2"), 0) << CommandTexts();
  EXPECT_EQ(refreshes(), before + 1);
  ASSERT_EQ(typed("BD 3"), 0) << CommandTexts();
  EXPECT_EQ(refreshes(), before + 2);
  EXPECT_NE(typed("BK 7"), 0);
  EXPECT_EQ(refreshes(), before + 2);
  ASSERT_EQ(typed("BE 3"), 0) << CommandTexts();
  ASSERT_EQ(typed("BD 3"), 0) << CommandTexts();
  ASSERT_EQ(typed("BS 0x23C"), 0) << CommandTexts();
  EXPECT_EQ(refreshes(), before + 5);
  ASSERT_EQ(typed("BK 4"), 0) << CommandTexts();
  Mark();
  ASSERT_EQ(typed("BL"), 0);
  EXPECT_EQ(SinceMark().find("  2: "), std::string::npos) << SinceMark();
  EXPECT_NE(SinceMark().find("  3: (D) 0x"), std::string::npos) << SinceMark();
  EXPECT_NE(CommandTexts().find("*** error: BK: no breakpoint 7"), std::string::npos);
  // An Include file of the user's runs line by line; the tool box's
  // commands in it are the driver's, as typed ones are.
  const std::string ini = dir.path() + "/start.ini";
  // A button of the file that reads as the box's own "Update Windows" is
  // refused and said; the file's other lines run.
  std::ofstream(ini) << "// set up\r\nBK *\r\nDEFINE BUTTON \" update &WINDOWS\", \"BL\"\r\nBS LED_Count\r\n"
                     << "DEFINE BUTTON \"List\", \"BL\"\r\n";
  Mark();
  typed("Include \"" + ini + "\"");
  ASSERT_EQ(app->SavedToolBox().size(), 1u) << CommandTexts();
  EXPECT_EQ(app->SavedToolBox()[0].text, "List");
  EXPECT_NE(SinceMark().find("DEFINE BUTTON \" update &WINDOWS\": a button defined by a file may not take the name "
                             "of the tool box's own button"),
            std::string::npos)
      << SinceMark();
  Mark();
  ASSERT_EQ(typed("BL"), 0);
  EXPECT_NE(SinceMark().find("LED_Count"), std::string::npos) << SinceMark();
  EXPECT_EQ(SinceMark().find("main"), std::string::npos) << SinceMark();
  // A file's line (an Include file, as the function editor's compile
  // includes its file) may not reach this computer, nor hand one of gdb's
  // functions to a variable and call it through that (gdb 14's "$_shell" would reach this computer as
  // "$_strlen" reaches gdb's own function here): neither line reaches gdb,
  // each is said, and gdb's answer to the call ("= 4") never comes.
  const std::string hostile = dir.path() + "/hostile.ini";
  const std::string marker = dir.path() + "/host-reached";
  std::ofstream(hostile) << "set var $f = $_strlen\r\nprint $f(\"abcd\")\r\nshell touch " << marker
                         << "\r\nprint 40 + 2\r\n";
  Mark();
  typed("Include \"" + hostile + "\"");
  EXPECT_NE(SinceMark().find("'$_strlen' is not sent to gdb"), std::string::npos) << SinceMark();
  EXPECT_NE(SinceMark().find("'$f(...)' is not sent to gdb"), std::string::npos) << SinceMark();
  EXPECT_EQ(SinceMark().find("= 4\n"), std::string::npos) << SinceMark();
  EXPECT_NE(SinceMark().find("= 42"), std::string::npos) << "the file's other lines run: " << SinceMark();
  EXPECT_FALSE(std::filesystem::exists(marker)) << SinceMark();
}

// Hostile texts in every request of the event interface that carries one,
// and in the driver's own entries: no second line becomes a gdb command,
// no gdb function reaches a shell, no word of the IDE's command language or
// tool-box command runs (a breakpoint and a tool-box button set before stay
// as they were), and the session goes on.
struct HostileRow {
  const char* name;
  // "%F" stands for the file a successful attack would create, "%I" for a
  // file of commands that would create it; "%P" pads with 300 blanks (past
  // a command line of 300 bytes, so that what follows the text is cut off).
  std::string text;
};

class GdbHostileTexts : public GdbLanguageTest, public ::testing::WithParamInterface<HostileRow> {};

TEST_P(GdbHostileTexts, NeverReachGdbAsCommands) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive());
  DebugInterface* r = session->Record();
  const std::string victim = dir.path() + "/attacked";
  const std::string commands = dir.path() + "/attack.ini";
  std::ofstream(commands) << "shell touch " << victim << "\n";
  std::string text = GetParam().text;
  for (std::size_t at; (at = text.find("%F")) != std::string::npos;) text.replace(at, 2, victim);
  for (std::size_t at; (at = text.find("%I")) != std::string::npos;) text.replace(at, 2, commands);
  for (std::size_t at; (at = text.find("%P")) != std::string::npos;) text.replace(at, 2, std::string(300, ' '));
  // What the user set before: a breakpoint and a tool-box button.
  ASSERT_EQ(r->DbgExecCommand("BS LED_Count", 12), 0) << CommandTexts();
  const std::string button = "DEFINE BUTTON \"keep\", \"BL\"";
  ASSERT_EQ(r->DbgExecCommand(button.c_str(), int32_t(button.size())), 0) << CommandTexts();
  ASSERT_EQ(app->SavedToolBox().size(), 1u);
  const uint32_t pc = Evaluate("$pc");
  From(dtc_Debug::SetBreakpoint(text));
  From(dtc_Debug::ClearBreakpoint(text));
  From(dtc_Debug::ReadRegister(text));
  From(dtc_Debug::WriteRegister(text, 1));
  From(dtc_Debug::GetMemoryAddress(text));
  From(dtc_Debug::ExecuteUntil(text));
  WaitFor([&] { return !session->TargetExecuting(); });
  // The driver's entries the IDE's windows use.
  uint64_t value = 0;
  r->DbgEvalExpression(1, text.c_str(), &value);
  const std::string assignment = "R0 = " + text;
  r->DbgAssign(assignment.c_str(), int32_t(assignment.size()));
  r->DbgExecCommand(("BS " + text).c_str(), int32_t(text.size() + 3));
  r->DbgControl(kDbgCtlExecNow, reinterpret_cast<intptr_t>(("g," + text).c_str()), 0);
  DbgWatchValue v{};
  v.expression = text.c_str();
  r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0);
  // The breakpoints dialog (its texts end at a NUL): the text as the place,
  // and as the command of a breakpoint at main when it holds a line end.
  // (The target is halted: the dialog's refusal is the text's, not the run's.)
  ASSERT_TRUE(WaitFor(
      [&] {
        uint64_t at = 0;
        return r->DbgEvalExpression(1, "&main", &at) == 0;
      }));
  if (text.find('\0') == std::string::npos) {
    DbgBreakpointRequest q{};
    q.expression = text.c_str();
    r->DbgBreakpointDefine(0, 0, 0, &q);
    EXPECT_NE(q.error, 0);
  }
  if (text.find_first_of("\r\n") != std::string::npos) {
    DbgBreakpointRequest withCommand{};
    withCommand.expression = "main";
    withCommand.command = text.c_str();
    r->DbgBreakpointDefine(0, 0, 0, &withCommand);
    EXPECT_NE(withCommand.error, 0);
  }
  WaitFor([&] { return !session->TargetExecuting(); });
  StopAndWait();
  // gdb still answers, and no breakpoint came of the text; gdb answers in
  // order, so whatever it ran for the text ran before this answer.
  ASSERT_TRUE(session->SessionActive());
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  EXPECT_NE(Evaluate("&main"), 0u);
  EXPECT_FALSE(std::filesystem::exists(victim)) << CommandTexts();
  // Nothing moved the program counter (the driver's own entries take C
  // texts: one cut at a NUL is "g,main", a run to main of the IDE's own).
  if (text.find('\0') == std::string::npos) {
    EXPECT_EQ(Evaluate("$pc"), pc);
  }
  Mark();
  ASSERT_EQ(r->DbgExecCommand("BL", 2), 0);
  EXPECT_NE(SinceMark().find("  1: (E) 0x"), std::string::npos) << SinceMark();
  EXPECT_EQ(SinceMark().find("  2: "), std::string::npos) << SinceMark();
  ASSERT_EQ(app->SavedToolBox().size(), 1u);
  EXPECT_EQ(app->SavedToolBox()[0].text, "keep");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbHostileTexts,
    ::testing::Values(HostileRow{"LineEnd", "main\nshell touch %F"},
                      HostileRow{"CarriageReturn", "main\rshell touch %F"},
                      HostileRow{"CrLf", "main\r\nshell touch %F\r\n"},
                      HostileRow{"Nul", std::string("main\0shell touch %F", 19)},
                      HostileRow{"MiCommandOnTheNextLine", "main\n-interpreter-exec console \"shell touch %F\""},
                      HostileRow{"GdbShellFunction", "$_shell(\"touch %F\")"},
                      HostileRow{"QuoteThenOption", "main\" -c \"$_shell(\\\"touch %F\\\")"},
                      HostileRow{"LeadingOption", "-c $_shell(\"touch %F\") main"},
                      HostileRow{"IncludePaddedPast300", "INCLUDE %I%P"},
                      HostileRow{"DefineButton", "DEFINE BUTTON \"x\", \"shell touch %F\""},
                      HostileRow{"KillButtons", "KILL BUTTON *"},
                      HostileRow{"KillBreakpointsPadded", "BK *%P"},
                      HostileRow{"DisableBreakpointsPadded", "BD *%P"},
                      HostileRow{"SetBreakpointPadded", "BS main%P"},
                      HostileRow{"SetProgramCounterPadded", "$=0x4%P"}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ flash

// The Flash page lists the driver: it is of the ARM family and programs flash.
TEST(GdbDriverCaps, TheFlashPageFindsAnArmFlashDriver) {
  LoadedDriverCaps caps([] { return ToolsetDriverFolders(nullptr, std::string(PM2_PROGRAM_DIR) + "/"); });
  int32_t family = 0, flash = 0;
  DriverSettingsRecord record;
  const std::string path = std::string(PM2_PROGRAM_DIR) + "/GDBDRV.DLL";
  ASSERT_TRUE(caps.Call(path, kCapFamily, nullptr, &family));
  EXPECT_TRUE(FamilyMatches(3, family));
  ASSERT_TRUE(caps.Call(path, kCapFlash, &record, &flash));
  EXPECT_NE(flash, 0);
}

// A port nobody listens on.
int ClosedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  close(fd);
  return ntohs(a.sin_port);
}

struct GdbFlashRow {
  const char* name;
  std::string params;   // the target side's; %P a port nobody listens on
  std::string message;  // the message box's start, "" for none
  std::string said;     // on the command page
};

class GdbFlash : public GdbSessionTest, public ::testing::WithParamInterface<GdbFlashRow> {};

TEST_P(GdbFlash, DownloadsThroughTheServerOfTheTargetSide) {
  std::string params = GetParam().params;
  const std::string port = std::to_string(ClosedPort());
  if (params.find("%P") != std::string::npos) params.replace(params.find("%P"), 2, port);
  std::string message = GetParam().message;
  if (message.find("%P") != std::string::npos) message.replace(message.find("%P"), 2, port);
  OptionBlock* o = project->curTarget->pOpts;
  SetFirstWord(o->flash.FLASH1, 1);
  o->flash.FLASH2 = OptString::Pooled("GDBDRV.DLL", kPoolScratch);
  o->dbg.str[6] = OptString::Pooled(params, kPoolScratch);
  {
    test::HangGuard guard(std::string("a download through the driver: ") + GetParam().name);
    session->FlashViaDriver(35404);
  }
  if (message.empty()) {
    EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.boxes[0].text;
  } else {
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text.rfind(message, 0), 0u) << dialogs.boxes[0].text;
  }
  EXPECT_NE(CommandTexts().find(GetParam().said), std::string::npos) << CommandTexts();
  EXPECT_FALSE(session->InFlashSession());
  EXPECT_TRUE(Children("gdb-multiarch").empty());
  EXPECT_TRUE(Children("qemu-system-arm").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbFlash,
    ::testing::Values(GdbFlashRow{"IntoQemuInSimulation", "-sim", "", "bytes loaded at 0x00000000 and verified"},
                      GdbFlashRow{"NoServerAnswers", "-remote 127.0.0.1:%P",
                                  "Error: Flash Download failed  -  GDB server at 127.0.0.1:%P does not answer",
                                  "GDB driver: downloading '"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
