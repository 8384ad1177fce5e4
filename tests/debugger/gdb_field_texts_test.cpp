// The debugger's fields through the GDB driver on the example under qemu:
// a field that reads never writes or calls (the breakpoints dialog's
// expression, a watch row, the memory window's address bar, the register
// entry, a value tip), and a field that writes writes only what was asked
// (a watch or locals value edit, Modify Memory). The example is built with
// a malloc of its own that counts its calls: gdb places a literal it must
// have in target memory ("abc" + 1) through the program's malloc.
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "debugger/model/memory_format.h"
#include "debugger/model/watch_model.h"
#include "driver_abi/debug_records.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace {

constexpr uint32_t kIoset0 = 0xE0028004u;  // LED_On writes it
constexpr uint32_t kFreeRam = 0x40000200u;  // no variable of the example lies here

// What a field that only reads, or writes one place, must leave as it
// was: the program's variable, the LEDs' register, a free word of RAM, the
// reset vector, the program counter and the calls of malloc.
struct State {
  uint32_t step = 0, ioset = 0, ram = 0, vector = 0, pc = 0, mallocs = 0;
  bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* out) {
  char b[160];
  std::snprintf(b, sizeof b, "{step %u, IOSET0 %08X, RAM %08X, vector %08X, pc %08X, malloc calls %u}", s.step,
                s.ioset, s.ram, s.vector, s.pc, s.mallocs);
  *out << b;
}

class GdbFieldTexts : public GdbMallocSessionTest {
 protected:
  void SetWord(uint32_t address, uint32_t value) {
    ASSERT_EQ(session->Record()->DbgWriteMemory(address, 4, &value), 0u) << std::hex << address;
  }

  State Now() {
    return State{Evaluate("pattern_step"), Word(kIoset0), Word(kFreeRam), Word(0),
                 Evaluate("(unsigned long)$pc"), Evaluate("malloc_calls")};
  }
  // Stopped at main with the LEDs' register and the free word cleared.
  void Ready() {
    ASSERT_NO_FATAL_FAILURE(StopAtMain());
    ASSERT_NO_FATAL_FAILURE(SetWord(kIoset0, 0));
    ASSERT_NO_FATAL_FAILURE(SetWord(kFreeRam, 0));
  }
};

// The breakpoints dialog's expression: gdb evaluates it as it sets the
// breakpoint, and a watchpoint's again at every step. One that writes or
// calls is refused with its reason, as the event interface's SetBreakpoint
// refuses it; a comparison is taken.
TEST_F(GdbFieldTexts, TheBreakpointsDialogRefusesExpressionsThatWriteOrCall) {
  ASSERT_NO_FATAL_FAILURE(Ready());
  DebugInterface* r = session->Record();
  struct Row {
    const char* name;
    const char* text;
    uint8_t access;  // 0 a breakpoint, 2 a write watchpoint
    const char* reason;
  };
  const Row rows[] = {
      {"Assignment", "pattern_step = 5", 0, "an assignment is not allowed"},
      {"Call", "LED_On(3)", 0, "the function call 'LED_On(' is not allowed"},
      {"WatchedAssignment", "pattern_step = 9", 2, "an assignment is not allowed"},
      {"WatchedCall", "LED_On(2)", 2, "the function call 'LED_On(' is not allowed"},
      {"Literal", "*(\"abc\" + 1)", 0, "the literal '\"abc\"' is not allowed: gdb would write it into target memory"},
      {"WatchedLiteral", "*\"A\"", 2, "the literal '\"A\"' is not allowed: gdb would write it into target memory"},
  };
  const int before = BreakpointCount();
  const State state = Now();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DbgBreakpointRequest q{};
    q.expression = row.text;
    q.access = row.access;
    q.passCount = q.passCount2 = 1;
    // As the dialog defines it: the reason for its message box, and on the command page.
    const std::string why = session->RefusalOf([&] { r->DbgBreakpointDefine(0, 0, 0, &q); });
    EXPECT_NE(q.error, 0);
    EXPECT_EQ(why, "breakpoint '" + std::string(row.text) + "': " + row.reason);
    EXPECT_TRUE(Said("*** error: " + why + "\n")) << CommandTexts();
    EXPECT_EQ(BreakpointCount(), before);
    EXPECT_EQ(Now(), state);
  }
  // The same text typed as the command page's BS.
  EXPECT_NE(r->DbgExecCommand("BS pattern_step = 5", 19), 0);
  EXPECT_TRUE(Said("*** error: BS: an assignment is not allowed\n")) << CommandTexts();
  // Steps evaluate no watchpoint that was refused.
  ASSERT_NO_FATAL_FAILURE(StepOver());
  const State stepped = Now();
  EXPECT_EQ(stepped.step, state.step);
  EXPECT_EQ(stepped.ioset, 0u);
  EXPECT_EQ(stepped.mallocs, 0u);
  // A comparison only reads.
  DbgBreakpointRequest compare{};
  compare.expression = "pattern_step == 3";
  compare.access = 2;
  compare.passCount = compare.passCount2 = 1;
  r->DbgBreakpointDefine(0, 0, 0, &compare);
  EXPECT_EQ(compare.error, 0) << CommandTexts();
  EXPECT_EQ(BreakpointCount(), before + 1);
}

// A field that only reads: each road the IDE hands a user's text to gdb
// for a value or an address. A text that would have gdb place a literal in
// target memory is refused there with its reason; a literal shown whole or
// indexed is read without one.
struct ReadRoad {
  const char* name;
  // True when the driver evaluated the text; *shown gets what the road
  // shows for it.
  bool (*read)(DebugInterface* r, const std::string& text, std::string* shown);
  const char* said;  // the command page's line: "%t" the text, "%r" the reason; "" none
};

bool ThroughAddressBar(DebugInterface* r, const std::string& text, std::string*) {
  uint8_t result[52] = {};
  return r->DbgControl(kDbgCtlEvalAddress, intptr_t(text.c_str()), intptr_t(result)) == 0;
}
bool ThroughRegisterEntry(DebugInterface* r, const std::string& text, std::string* shown) {
  uint64_t value = 0;
  const bool ok = r->DbgEvalExpression(1, text.c_str(), &value) == 0;
  *shown = std::to_string(value);
  return ok;
}
bool ThroughValueTip(DebugInterface* r, const std::string& text, std::string* shown) {
  char buffer[1024] = {};
  std::snprintf(buffer, sizeof buffer, "%s", text.c_str());
  const bool ok = r->DbgControl(kDbgCtlValueTip, intptr_t(buffer), intptr_t("Blinky.c")) == 0;
  *shown = buffer;
  return ok;
}
bool ThroughWatchRow(DebugInterface* r, const std::string& text, std::string* shown) {
  DebugInterface* record = r;
  WatchModel watch(false, &record);
  watch.Attach();
  watch.AddExpression(text);
  const WatchItem& row = *watch.Rows()[0];
  *shown = row.value;
  return !(row.flags & kWatchFailed);
}

const ReadRoad kReadRoads[] = {
    {"AddressBar", ThroughAddressBar, "*** error: address '%t': %r\n"},
    {"RegisterEntry", ThroughRegisterEntry, "*** error: '%t': %r\n"},
    {"ValueTip", ThroughValueTip, ""},
    {"WatchRow", ThroughWatchRow, ""},
};

std::string Filled(std::string pattern, const std::string& text, const std::string& reason) {
  for (const auto& [key, value] : {std::pair<std::string, std::string>{"%t", text}, {"%r", reason}})
    if (const std::size_t at = pattern.find(key); at != std::string::npos) pattern.replace(at, 2, value);
  return pattern;
}

TEST_F(GdbFieldTexts, LiteralsThatGdbWouldWriteToTheTargetAreRefusedWhereOnlyAReadWasAsked) {
  ASSERT_NO_FATAL_FAILURE(Ready());
  DebugInterface* r = session->Record();
  struct Text {
    const char* text;
    const char* literal;
  };
  const Text refused[] = {
      {"\"abc\" + 1", "\"abc\""},
      {"*\"A\"", "\"A\""},
      {"(char *)\"abc\"", "\"abc\""},
      {"pattern_step == \"abc\"", "\"abc\""},
      {"*{5}", "{5}"},
  };
  for (const ReadRoad& road : kReadRoads) {
    SCOPED_TRACE(road.name);
    for (const Text& t : refused) {
      SCOPED_TRACE(t.text);
      // The address bar and a watch row ask again at every stop.
      for (int stop = 0; stop < 2; ++stop) {
        const State state = Now();
        std::string shown;
        EXPECT_FALSE(road.read(r, t.text, &shown)) << shown;
        EXPECT_EQ(Now(), state);
        const std::string reason =
            "the literal '" + std::string(t.literal) + "' is not allowed: gdb would write it into target memory";
        if (road.said[0]) {
          EXPECT_TRUE(Said(Filled(road.said, t.text, reason))) << CommandTexts();
        }
        if (road.read == ThroughWatchRow) {
          EXPECT_EQ(shown, "???????? (" + reason + ")");
        }
        ASSERT_NO_FATAL_FAILURE(StepOver());
      }
    }
  }
  // gdb reads an element of a literal, or its size, without placing it in
  // target memory; a watch row shows an array from its address, which a
  // literal alone has only there.
  const State state = Now();
  std::string shown;
  EXPECT_TRUE(ThroughRegisterEntry(r, "\"abc\"[1]", &shown));
  EXPECT_EQ(shown, "98");
  EXPECT_TRUE(ThroughWatchRow(r, "sizeof \"abc\"", &shown)) << shown;
  EXPECT_EQ(shown, "4");
  EXPECT_FALSE(ThroughWatchRow(r, "\"abc\"", &shown));
  EXPECT_EQ(shown, "???????? (the literal '\"abc\"' is not allowed: gdb would write it into target memory)");
  EXPECT_EQ(Now(), state);
}

// A value edit writes its target and nothing else: a value is one
// expression that only reads. The watch window's and the locals' edits and
// Modify Memory refuse calls, assignments, increments and literals with
// the reason, as the register entry does; a plain value is written.
TEST_F(GdbFieldTexts, ValueEditsWriteTheirTargetAndNothingElse) {
  ASSERT_NO_FATAL_FAILURE(Ready());
  DebugInterface* r = session->Record();
  DebugInterface* record = r;
  WatchModel watch(false, &record);
  watch.Attach();
  watch.AddExpression("pattern_step");
  WatchItem* step = watch.Rows()[0].get();
  ASSERT_TRUE(step->flags & kWatchEditable) << step->value;
  WatchModel locals(true, &record);
  locals.Attach();
  WatchItem* n = nullptr;
  for (const auto& row : locals.Rows())
    if (row->name == "n") n = row.get();
  ASSERT_NE(n, nullptr);
  struct Row {
    const char* name;
    WatchItem* row;
    const char* value;
    const char* said;
  };
  const Row rows[] = {
      {"Call", n, "LED_On(3)", "value 'LED_On(3)' of 'n': the function call 'LED_On(' is not allowed"},
      {"SecondAssignment", step, "*(unsigned*)0x40000200 = 0x55",
       "value '*(unsigned*)0x40000200 = 0x55' of 'pattern_step': an assignment is not allowed"},
      {"Increment", step, "n++", "value 'n++' of 'pattern_step': an increment or decrement is not allowed"},
      {"Literal", n, "\"abc\"",
       "value '\"abc\"' of 'n': the literal '\"abc\"' is not allowed: gdb would write it into target memory"},
  };
  const uint32_t nBefore = Evaluate("n");
  const State state = Now();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WatchModel& model = row.row == n ? locals : watch;
    EXPECT_FALSE(model.EndValueEdit(row.row, row.value));
    EXPECT_TRUE(Said("*** error: " + std::string(row.said) + "\n")) << CommandTexts();
    EXPECT_EQ(Now(), state);
    EXPECT_EQ(Evaluate("n"), nBefore);
  }
  // Modify Memory's values.
  const std::string call = MemWriteCommand(kMemULong, "0x40000200", "LED_On(4)");
  EXPECT_NE(r->DbgControl(3, intptr_t(call.c_str()), 0), 0);
  EXPECT_TRUE(Said("*** error: value 'LED_On(4)': the function call 'LED_On(' is not allowed\n")) << CommandTexts();
  EXPECT_EQ(Now(), state);
  // Plain values are written where they were asked.
  EXPECT_TRUE(watch.EndValueEdit(step, "7")) << CommandTexts();
  EXPECT_TRUE(locals.EndValueEdit(n, "pattern_step + 2")) << CommandTexts();
  EXPECT_EQ(Evaluate("pattern_step"), 7u);
  EXPECT_EQ(Evaluate("n"), 9u);
  State after = state;
  after.step = 7;
  EXPECT_EQ(Now(), after);
}

// The memory window's address bar and Modify Memory: an address that does
// not fit in 32 bits, a bad address and a bad value are refused with the
// reason on the command page before anything is written; values past the
// end of the 4 GB space are not written, as the event interface cuts there.
TEST_F(GdbFieldTexts, MemoryAddressesAndValuesAreRefusedBeforeAnythingIsWritten) {
  ASSERT_NO_FATAL_FAILURE(Ready());
  DebugInterface* r = session->Record();
  struct AddressRow {
    const char* text;
    const char* said;
  };
  const AddressRow addresses[] = {
      {"0x100000000", "*** error: address '0x100000000': the value 4294967296 does not fit in 32 bits\n"},
      {"0x4000G100", "*** error: address '0x4000G100': Invalid number \"0x4000G100\".\n"},
  };
  for (const AddressRow& row : addresses) {
    SCOPED_TRACE(row.text);
    std::string shown;
    EXPECT_FALSE(ThroughAddressBar(r, row.text, &shown));
    EXPECT_TRUE(Said(row.said)) << CommandTexts();
  }
  // Still an address: the top of the space, and -1 for it.
  uint8_t result[52] = {};
  ASSERT_EQ(r->DbgControl(kDbgCtlEvalAddress, intptr_t("-1"), intptr_t(result)), 0);
  uint32_t top = 0;
  std::memcpy(&top, result + 12, 4);
  EXPECT_EQ(top, 0xFFFFFFFFu);

  // A bad value among good ones: none is written.
  const State state = Now();
  const std::string bad = MemWriteCommand(kMemULong, "0x40000200", "5, 0xZZ, 6");
  EXPECT_NE(r->DbgControl(3, intptr_t(bad.c_str()), 0), 0);
  EXPECT_TRUE(Said("*** error: value '0xZZ': Invalid number \"0xZZ\".\n")) << CommandTexts();
  EXPECT_EQ(Now(), state);
  EXPECT_EQ(Word(kFreeRam + 4), 0u);

  // Three words from 0xFFFFFFF8: two fit, the third would wrap onto the
  // reset vector.
  ASSERT_NO_FATAL_FAILURE(SetWord(0xFFFFFFF8u, 0));
  ASSERT_NO_FATAL_FAILURE(SetWord(0xFFFFFFFCu, 0));
  const std::string top3 = MemWriteCommand(kMemULong, "0xFFFFFFF8", "1, 2, 3");
  EXPECT_NE(r->DbgControl(3, intptr_t(top3.c_str()), 0), 0);
  EXPECT_TRUE(Said("*** error: the write at 0xFFFFFFF8 is cut at the end of the 4 GB space: 2 of 3 values written\n"))
      << CommandTexts();
  EXPECT_EQ(Word(0xFFFFFFF8u), 1u);
  EXPECT_EQ(Word(0xFFFFFFFCu), 2u);
  EXPECT_EQ(Now(), state);
  // The ASCII format's bytes: cut there too, and said.
  EXPECT_NE(r->DbgWriteMemory(0xFFFFFFFEu, 4, "wxyz"), 0u);
  EXPECT_TRUE(Said("*** error: the write at 0xFFFFFFFE is cut at the end of the 4 GB space: 2 of 4 bytes written\n"))
      << CommandTexts();
  EXPECT_EQ(Now(), state);
}

}  // namespace
}  // namespace pm2
