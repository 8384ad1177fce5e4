// The GDB driver shows the right place: stops right after a UART access,
// source lines of any address inside a line, the mixed listing's source,
// the caller's line, breakpoint commands of the dialog, long output and
// the driver's children that crash.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "debugger/gdb/commands/gdb_commands.h"
#include "debugger/gdb/records/gdb_dialog_records.h"
#include "debugger/model/breakpoints_lines.h"
#include "debugger/model/disasm_cache.h"
#include "debugger/model/disasm_range.h"
#include "driver_abi/debug_records.h"
#include "editor/document/code_lines.h"
#include "gdb_session_fixture.h"
#include "project/files/debug_lists.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

// The number of the first line of an example file that holds `text`.
uint32_t PositionsLineOf(const std::string& file, const std::string& text) {
  std::ifstream in(ExampleFolder() + file);
  std::string line;
  for (uint32_t n = 1; std::getline(in, line); ++n)
    if (line.find(text) != std::string::npos) return n;
  return 0;
}

class GdbPositionsTest : public GdbSessionTest {
 protected:
  void Start() {
    session->StartDebugger();
    ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
    r = session->Record();
  }
  CodeLines Lines(const std::string& file) {
    return CodeLines(static_cast<const DbgLineTableRecord*>(r->DbgLineTable((ExampleFolder() + file).c_str())));
  }
  bool StoppedAt(uint32_t address, int ms = 5000) {
    return WaitFor([&] { return !session->TargetExecuting() && r->pc == address; }, ms);
  }
  // The source line the driver names for an address (0: none).
  uint32_t SourceLineOf(uint32_t address, std::string* file = nullptr) {
    if (r->DbgFindSource(address) != 0 || !r->srcFile) return 0;
    if (file) *file = static_cast<const char*>(r->srcFile);
    return r->srcLine;
  }

  DebugInterface* r = nullptr;
};

// A breakpoint, or the run to the cursor, on the instruction right after
// the program's write to the UART's transmit or divisor register stops
// there: the UART stand-in's own stop at that access does not run past it.
struct UartStopRow {
  const char* name;
  const char* accessText;  // the line of Blinky.c with the access
  uint32_t linesAfter;     // the stop's line: that many lines after it
  bool runToCursor;
  bool reset;  // Reset CPU first
  bool again;  // the breakpoint is met on each character
};

class GdbUartStop : public GdbPositionsTest, public ::testing::WithParamInterface<UartStopRow> {};

TEST_P(GdbUartStop, StopsRightAfterTheAccess) {
  Start();
  const UartStopRow& row = GetParam();
  const uint32_t line = PositionsLineOf("Blinky.c", row.accessText) + row.linesAfter;
  ASSERT_GT(line, row.linesAfter);
  uint32_t address = 0;
  ASSERT_TRUE(Lines("Blinky.c").AddressAtOrAfter(line, &address));
  if (row.reset) {
    StepAndWait(kDbgStepInstruction);
    ASSERT_EQ(r->DbgResetCpu(0), 0);
    EXPECT_EQ(r->pc, 0u);
  }
  if (row.runToCursor) {
    session->Go(address);
  } else {
    ASSERT_EQ(r->DbgBreakpoint(address, 3), 0u);
    session->Go();
  }
  ASSERT_TRUE(StoppedAt(address)) << std::hex << r->pc << " " << CommandTexts();
  EXPECT_EQ(SourceLineOf(r->pc), line);
  // The breakpoint's report is gdb's; the watchpoint's, and gdb's words on
  // the driver's own commands, are not shown.
  if (!row.runToCursor) {
    EXPECT_NE(CommandTexts().find("Breakpoint 1, "), std::string::npos) << CommandTexts();
  }
  EXPECT_EQ(CommandTexts().find("atchpoint"), std::string::npos) << CommandTexts();
  EXPECT_EQ(CommandTexts().find("deprecated"), std::string::npos) << CommandTexts();
  EXPECT_EQ(CommandTexts().find("Register cache"), std::string::npos) << CommandTexts();
  if (row.again) {
    // The next character's write stops there again, with gdb's report of it.
    auto hits = [&] {
      const std::string all = CommandTexts();
      int n = 0;
      for (std::size_t at = all.find("Breakpoint 1, "); at != std::string::npos;
           at = all.find("Breakpoint 1, ", at + 1))
        ++n;
      return n;
    };
    const int before = hits();
    session->Go();
    ASSERT_TRUE(WaitFor([&] { return hits() > before && !session->TargetExecuting(); })) << CommandTexts();
    EXPECT_EQ(r->pc, address);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbUartStop,
    ::testing::Values(UartStopRow{"AfterTheTransmitWrite", "U0THR = (unsigned char)c;", 1, false, false, true},
                      UartStopRow{"AfterTheDivisorWriteAfterReset", "U0DLL = divisor & 0xFF;", 1, false, true, false},
                      UartStopRow{"RunToCursorAfterTheDivisorWrite", "U0DLL = divisor & 0xFF;", 1, true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// An address inside a line (not where a line-table row starts) has the
// line's source: as the written program counter, and as a breakpoint that
// is kept for the next session.
TEST_F(GdbPositionsTest, AddressesInsideALineKeepTheirSourceLineAndOutliveTheSession) {
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  Start();
  // The first row of gdb's line table of Timer.c past its first lines with
  // two instructions or more: its second instruction starts no row.
  const auto* table = static_cast<const DbgLineTableRecord*>(r->DbgLineTable((ExampleFolder() + "Timer.c").c_str()));
  ASSERT_NE(table, nullptr);
  std::vector<std::pair<uint32_t, uint32_t>> rows;  // address, line
  for (uint32_t i = 0; i < table->count; ++i) rows.push_back({table->pairs[i].address, table->pairs[i].line});
  std::sort(rows.begin(), rows.end());
  uint32_t inside = 0, line = 0;
  for (std::size_t i = 0; i + 1 < rows.size() && inside == 0; ++i)
    if (rows[i].second > 8 && rows[i + 1].first >= rows[i].first + 8) {
      inside = rows[i].first + 4;
      line = rows[i].second;
    }
  ASSERT_NE(inside, 0u);
  for (const auto& [a, l] : rows) ASSERT_NE(a, inside);
  // Show Source Code's question.
  std::string file;
  EXPECT_EQ(SourceLineOf(inside, &file), line) << std::hex << inside;
  EXPECT_NE(file.find("Timer.c"), std::string::npos) << file;
  // The program counter written on the register page.
  ASSERT_NE(host.registerSet, nullptr);
  RegisterEntry* pcEntry = &host.registerSet->registers[15];
  ASSERT_STREQ(pcEntry->name, "PC");
  StepAndWait(kDbgStepInstruction);  // halted for sure
  host.registerSet->refresh(nullptr, 0x80000000u);
  const uint64_t value = inside;
  host.registerSet->setValue(pcEntry, &value);
  ASSERT_EQ(r->pc, inside);
  EXPECT_EQ(SourceLineOf(r->pc), line);
  // A breakpoint there is stored by its line and set again next time.
  const std::string command = "BS 0x" + [&] {
    char b[16];
    std::snprintf(b, sizeof b, "%X", inside);
    return std::string(b);
  }();
  ASSERT_EQ(r->DbgExecCommand(command.c_str(), int32_t(command.size())), 0) << CommandTexts();
  session->StopDebugger();
  ASSERT_FALSE(session->SessionActive());
  bool kept = false;
  for (const BreakpointRec* k = project->curTarget->breakpoints; k; k = k->next)
    kept |= !(k->flags & kBreakFlag4) && k->value1 == line && std::string(k->text1.str()) == "Timer.c";
  ASSERT_TRUE(kept) << "Timer.c line " << line;
  Start();
  uint32_t lineAddress = 0;
  ASSERT_TRUE(Lines("Timer.c").AddressAtOrAfter(line, &lineAddress));
  EXPECT_EQ(r->DbgBreakpoint(lineAddress, 1), 1u);
}

// The mixed listing read again around an address near the startup code
// (which has no line information) keeps the source lines of the functions
// after it.
TEST_F(GdbPositionsTest, TheMixedListingKeepsEveryFunctionsSource) {
  Start();
  const uint32_t putChar = Evaluate("&Serial_PutChar");
  const uint32_t getKey = Evaluate("&Serial_GetKey");
  ASSERT_GT(putChar, 0x40u);
  ASSERT_GT(getKey, putChar);
  // Show Code at Address: the first instruction at the address, and the
  // source line above it.
  DisasmLine at{};
  at.kind = kDisasmRequest;
  r->disasmRequest[0] = putChar;
  r->DbgGetDisasmLine(&at);
  ASSERT_EQ(at.kind, kDisasmCode);
  ASSERT_EQ(at.address, putChar);
  DisasmLine source = at;
  r->DbgPrevDisasmLine(&source);
  ASSERT_EQ(source.kind, kDisasmSource);
  // Another place shown in between (the window scrolled, or another view
  // asked): the lines the window holds are read again from gdb.
  DisasmLine far{};
  far.kind = kDisasmRequest;
  r->disasmRequest[0] = Evaluate("&Timer_Delay");
  r->DbgGetDisasmLine(&far);
  const std::string text = reinterpret_cast<const char*>(r->DbgDisasmLineText(&source));
  EXPECT_NE(text.find("Serial_PutChar"), std::string::npos) << text;
  // Walking on from there: each function up to Serial_GetKey has its lines.
  std::set<uint32_t> lines;
  DisasmLine l = source;
  for (int i = 0; i < 200 && l.kind != kDisasmEnd && l.address < getKey; ++i) {
    if (l.kind == kDisasmSource) lines.insert(l.line);
    r->DbgGetDisasmLine(&l);
  }
  for (const char* t : {"static void Serial_PutChar", "U0THR = ", "static void Serial_PutString", "while (*s)"})
    EXPECT_TRUE(lines.count(PositionsLineOf("Blinky.c", t))) << t;
}

// Show Code at Address after main: the disassembly window's listing,
// read from the driver with the window's cache, shows code at an address
// at or above 16 MB where it is, not at its low 24 bits.
TEST_F(GdbPositionsTest, CodeAtAnAddressAboveSixteenMegabytesIsShownThere) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  r = session->Record();
  RecordDisasmSource source([this] { return r; });
  DisasmCache cache(source, DisasmStartAddress(r->family, r->version, r->pc), DisasmCodeMask(r->family));
  cache.Resize(8);
  cache.GotoAddress(r->pc);
  for (const uint32_t address : {0x40000000u, 0x01000000u, 0x40000100u}) {
    SCOPED_TRACE(address);
    ASSERT_TRUE(cache.ScrollToCodeAddress(address));
    EXPECT_EQ(cache.Line(0).address, address);
    EXPECT_EQ(r->shownAddress, address);
  }
}

// The Call Stack's calling place is the line of the call, as gdb's
// backtrace names it, not the line the call returns to.
TEST_F(GdbPositionsTest, TheCallingPlaceIsTheLineOfTheCallAsInGdbsBacktrace) {
  Start();
  ASSERT_EQ(r->DbgExecCommand("BS LED_On", 9), 0);
  const uint32_t ledOn = Evaluate("&LED_On");
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= ledOn && r->pc < ledOn + 32; }))
      << CommandTexts();
  ASSERT_EQ(r->DbgControl(kDbgCtlBeforeCallStack, 0, 0), 0);
  ASSERT_EQ(r->callStackTop, 1);
  const auto* calls = static_cast<const DbgCallStackEntry*>(r->callStack);
  std::string file;
  const uint32_t calling = SourceLineOf(calls[1].calling, &file);
  EXPECT_NE(file.find("Blinky.c"), std::string::npos) << file;
  EXPECT_EQ(calling, PositionsLineOf("Blinky.c", "LED_On(pattern_step);"));
  // gdb's own word for it.
  const std::size_t mark = CommandTexts().size();
  ASSERT_EQ(r->DbgExecCommand("backtrace", 9), 0);
  std::smatch m;
  const std::string trace = CommandTexts().substr(mark);
  ASSERT_TRUE(std::regex_search(trace, m, std::regex("#1 .* at [^\\n]*Blinky\\.c:([0-9]+)"))) << trace;
  EXPECT_EQ(calling, uint32_t(std::stoul(m[1].str())));
}

// A breakpoint command written in the breakpoints dialog with quotes runs
// at the hit as written.
TEST_F(GdbPositionsTest, ABreakpointCommandOfTheDialogKeepsItsQuotes) {
  Start();
  const std::string request = BpCommandForRequest("print \"hi\"");
  DbgBreakpointRequest q{};
  q.expression = "Timer_Delay";
  q.command = request.c_str();
  q.passCount = q.passCount2 = 1;
  r->DbgBreakpointDefine(0, 0, 0, &q);
  ASSERT_EQ(q.error, 0) << CommandTexts();
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return CommandTexts().find("= \"hi\"") != std::string::npos; })) << CommandTexts();
  // The dialog reads it back as it was written.
  auto* head = reinterpret_cast<DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  ASSERT_NE(head, nullptr);
  ASSERT_NE(head->command, nullptr);
  EXPECT_STREQ(head->command, "print \"hi\"");
}

// A line of gdb's output longer than a command-text buffer reaches the
// command page whole.
TEST_F(GdbPositionsTest, ALongOutputLineArrivesWhole) {
  Start();
  const std::string command = "print/x *(unsigned int(*)[200])0";
  ASSERT_EQ(r->DbgExecCommand(command.c_str(), int32_t(command.size())), 0) << CommandTexts();
  ASSERT_TRUE(WaitFor([&] { return CommandTexts().find("$1 = {") != std::string::npos; })) << CommandTexts();
  const std::string all = CommandTexts();
  const std::size_t from = all.find("$1 = {");
  const std::size_t to = all.find('}', from);
  ASSERT_NE(to, std::string::npos) << all.substr(from, 200);
  const std::string value = all.substr(from, to - from + 1);
  EXPECT_GE(value.size(), 2000u);
  EXPECT_EQ(std::count(value.begin(), value.end(), ','), 199) << value;
  // And gdb went on counting from there.
  ASSERT_EQ(r->DbgExecCommand("print 1", 7), 0);
  EXPECT_TRUE(WaitFor([&] { return CommandTexts().find("$2 = 1") != std::string::npos; })) << CommandTexts();
}

// gdb aborting after qemu was killed under it leaves no core file where
// it ran, even where core files are allowed.
TEST_F(GdbPositionsTest, ChildrenThatCrashLeaveNoCoreFile) {
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_CORE, &before), 0);
  if (before.rlim_max == 0) GTEST_SKIP() << "core files are not allowed here at all";
  rlimit allowed = before;
  allowed.rlim_cur = before.rlim_max;
  ASSERT_EQ(setrlimit(RLIMIT_CORE, &allowed), 0);
  const std::string folder = dir.path() + "/cwd";
  std::filesystem::create_directories(folder);
  const std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  session->StartDebugger();
  const bool active = session->SessionActive();
  const std::vector<pid_t> gdb = Children("gdb-multiarch"), qemu = Children("qemu-system-arm");
  std::string limits;
  if (gdb.size() == 1) {
    std::ifstream in("/proc/" + std::to_string(gdb[0]) + "/limits");
    for (std::string line; std::getline(in, line);)
      if (line.rfind("Max core file size", 0) == 0) limits = line;
  }
  if (active && gdb.size() == 1 && qemu.size() == 1) {
    session->Go();
    kill(qemu[0], SIGKILL);
    kill(gdb[0], SIGABRT);
    WaitFor([&] { return host.driverEnded.load(); });
    session->StopDebugger();
  }
  std::filesystem::current_path(was);
  setrlimit(RLIMIT_CORE, &before);
  ASSERT_TRUE(active);
  ASSERT_EQ(gdb.size(), 1u);
  EXPECT_TRUE(std::regex_search(limits, std::regex("Max core file size +0 +0"))) << limits;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    EXPECT_NE(e.path().filename().string().rfind("core", 0), 0u) << e.path();
}

// ------------------------------------------------------------------ texts

struct SpellingRow {
  const char* name;
  const char* typed;
  const char* gdb;
};

class GdbSpellingRows : public ::testing::TestWithParam<SpellingRow> {};

TEST_P(GdbSpellingRows, OfferedCommandsReachGdbAsItSpellsThem) {
  EXPECT_EQ(gdb::GdbSpelling(GetParam().typed), GetParam().gdb);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbSpellingRows,
    ::testing::Values(SpellingRow{"Step", "STEP", "step"}, SpellingRow{"NextWithCount", "NEXT 3", "next 3"},
                      SpellingRow{"PrintKeepsItsExpression", "PRINT Counter", "print Counter"},
                      SpellingRow{"PrintFormat", "PRINT/X PINSEL0", "print/X PINSEL0"},
                      SpellingRow{"InfoItem", " INFO REGISTERS", " info registers"},
                      SpellingRow{"InfoOtherItem", "INFO Sharedlibrary", "info Sharedlibrary"},
                      SpellingRow{"CompletedWord", "BACktrace", "backtrace"},
                      SpellingRow{"LongerWord", "STEPS", "STEPS"},
                      SpellingRow{"Unknown", "printf \"x\"", "printf \"x\""}),
    [](const auto& info) { return std::string(info.param.name); });

struct DialogCommandRow {
  const char* name;
  std::string written;                // in the dialog's edit box, or the request's own text
  bool asRequest;                     // `written` is the request itself
  std::vector<std::string> commands;  // what gdb is to run
};

class GdbDialogCommandRows : public ::testing::TestWithParam<DialogCommandRow> {};

TEST_P(GdbDialogCommandRows, TheDialogsEscapingIsUndone) {
  const DialogCommandRow& row = GetParam();
  EXPECT_EQ(gdb::DialogCommands(row.asRequest ? row.written : BpCommandForRequest(row.written)), row.commands);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbDialogCommandRows,
    ::testing::Values(DialogCommandRow{"Quotes", R"(print "hi")", false, {R"(print "hi")"}},
                      DialogCommandRow{"SingleQuotes", "print 'a'", false, {"print 'a'"}},
                      DialogCommandRow{"EscapeInAString", R"(print "a\tb")", false, {R"(print "a\tb")"}},
                      DialogCommandRow{"Backslash", R"(print "a\\b")", false, {R"(print "a\b")"}},
                      DialogCommandRow{"TwoCommands", R"(print 1\nprint 2)", false, {"print 1", "print 2"}},
                      DialogCommandRow{"Plain", "continue", false, {"continue"}},
                      DialogCommandRow{"None", "", false, {}},
                      // A line end of the text itself is no break between commands.
                      DialogCommandRow{"RawLineEnd", "main\nshell", true, {"main\nshell"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
