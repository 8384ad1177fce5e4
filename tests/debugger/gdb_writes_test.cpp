// The GDB driver writes only what was asked, where it was asked: the
// memory window's Modify Memory lands at the address typed, watch rows
// that would write or call are refused with their reason, and a page at
// the top of the address space reads what gdb reads there. The IDE's reads
// (the address bar, the register entry, value tips, the breakpoint list)
// never call or write. On the example program under qemu (its whole 4 GB
// space is RAM).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "debugger/model/memory_format.h"
#include "debugger/model/memory_space.h"
#include "debugger/model/watch_model.h"
#include "driver_abi/debug_records.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace {

std::vector<uint8_t> ReadBytes(DebugInterface* r, uint32_t address, uint32_t count) {
  std::vector<uint8_t> bytes(count, 0);
  EXPECT_EQ(r->DbgReadMemory(address, count, bytes.data()), 0) << std::hex << address;
  return bytes;
}

struct ModifyRow {
  const char* name;
  int format;
  uint32_t address;
  const char* typed;              // what the user enters
  std::vector<uint8_t> written;   // the bytes that must lie at the address then
  uint32_t misread;               // where gdb took the digits without "0x" to be
};

class GdbModifyMemory : public GdbSessionTest, public ::testing::WithParamInterface<ModifyRow> {};

// What the memory window does on Modify Memory (MemoryPage::ModifyMemory):
// the driver's own text of the address in the command "type address = values".
TEST_P(GdbModifyMemory, WritesExactlyAtTheAddressTyped) {
  const ModifyRow& row = GetParam();
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  // Eight bytes either side of the value, and the place the digits read as
  // decimal or octal name.
  const uint32_t from = row.address - 8, span = 16 + uint32_t(row.written.size());
  std::vector<uint8_t> before = ReadBytes(r, from, span);
  const std::vector<uint8_t> misreadBefore = ReadBytes(r, row.misread, 4);
  ASSERT_FALSE(std::equal(row.written.begin(), row.written.end(), before.begin() + 8)) << "the value is there already";

  char address[64] = {};
  ASSERT_GT(r->DbgFormatAddress(1, row.address, 0, address), 0);
  const std::string command = MemWriteCommand(row.format, address, row.typed);
  ASSERT_EQ(r->DbgControl(3, intptr_t(command.c_str()), 0), 0) << command << CommandTexts();

  std::vector<uint8_t> expected = before;
  std::copy(row.written.begin(), row.written.end(), expected.begin() + 8);
  EXPECT_EQ(ReadBytes(r, from, span), expected) << command;
  EXPECT_EQ(ReadBytes(r, row.misread, 4), misreadBefore) << command;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbModifyMemory,
    ::testing::Values(
        // 40000100 as a decimal number is 0x2625A64.
        ModifyRow{"RamAddressOfDecimalDigits", kMemULong, 0x40000100u, "0x12345678", {0x78, 0x56, 0x34, 0x12},
                  0x02625A64u},
        // 00000300 as an octal number is 0xC0, in Serial_Init's code.
        ModifyRow{"CodeAddressWithALeadingZero", kMemUChar, 0x00000300u, "7", {7}, 0x000000C0u},
        ModifyRow{"TwoWordsAtARamAddress", kMemUInt, 0x40000200u, "1, 2", {1, 0, 0, 0, 2, 0, 0, 0}, 0x02625AC8u}),
    [](const auto& info) { return std::string(info.param.name); });

// Values Modify Memory cannot take are refused with the reason on the
// command page, and nothing is written.
struct RefusedModifyRow {
  const char* name;
  const char* typed;
  const char* said;
};

void PrintTo(const RefusedModifyRow& row, std::ostream* out) { *out << row.name; }

class GdbModifyMemoryRefused : public GdbSessionTest, public ::testing::WithParamInterface<RefusedModifyRow> {};

TEST_P(GdbModifyMemoryRefused, WritesNothingAndSaysWhy) {
  const RefusedModifyRow& row = GetParam();
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  constexpr uint32_t kAt = 0x40000100u;
  const std::vector<uint8_t> before = ReadBytes(r, kAt - 8, 24);
  char address[64] = {};
  ASSERT_GT(r->DbgFormatAddress(1, kAt, 0, address), 0);
  const std::string command = MemWriteCommand(kMemUChar, address, row.typed);
  EXPECT_NE(r->DbgControl(3, intptr_t(command.c_str()), 0), 0) << command;
  EXPECT_EQ(ReadBytes(r, kAt - 8, 24), before) << command;
  EXPECT_NE(CommandTexts().find(row.said), std::string::npos) << CommandTexts();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbModifyMemoryRefused,
    ::testing::Values(RefusedModifyRow{"TextLeftOpen", "\"abc", "*** error: the quoted text is not closed\n"},
                      RefusedModifyRow{"CharacterLeftOpen", "1, 'a", "*** error: the quoted character is not closed\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Watch rows that would assign or call are refused with the reason in the
// row, and the target's memory is as it was after the stops they saw.
TEST_F(GdbSessionTest, WatchRowsThatWriteOrCallAreRefusedWithTheirReason) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  constexpr uint32_t kIoset0 = 0xE0028004u;
  const uint32_t step = Evaluate("pattern_step");
  const std::vector<uint8_t> ioset = ReadBytes(r, kIoset0, 4);

  DebugInterface* record = r;
  WatchModel watch(false, &record);
  watch.Attach();
  watch.AddExpression("pattern_step = 5");
  watch.AddExpression("LED_On(3)");
  watch.AddExpression("pattern_step");
  ASSERT_EQ(watch.Rows().size(), 4u);  // and the placeholder
  // Each stop refreshes the rows again.
  for (int stop = 0; stop < 2; ++stop) {
    SCOPED_TRACE(stop);
    const WatchItem& assign = *watch.Rows()[0];
    const WatchItem& call = *watch.Rows()[1];
    EXPECT_EQ(assign.value, "???????? (an assignment is not allowed)");
    EXPECT_EQ(call.value, "???????? (the function call 'LED_On(' is not allowed)");
    EXPECT_TRUE(assign.flags & kWatchFailed);
    EXPECT_TRUE(call.flags & kWatchFailed);
    EXPECT_EQ(watch.Rows()[2]->value, std::to_string(step));
    EXPECT_EQ(Evaluate("pattern_step"), step);
    EXPECT_EQ(ReadBytes(r, kIoset0, 4), ioset);
    session->Step(kDbgStepOver);
    ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
    watch.Refresh();
  }
  // The driver's own answer: refused, with the reason in the record's text.
  DbgWatchValue v{};
  v.expression = " `pattern_step += 1";
  v.radix = -1;
  EXPECT_NE(r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0), 0);
  EXPECT_STREQ(v.text, "an assignment is not allowed");
  EXPECT_EQ(Evaluate("pattern_step"), step);
}

// The IDE's reads through the driver: each hands a user's text to gdb only
// to show a value or an address, and asks again at every stop. A text that
// would call or write is refused there, with its reason where the window
// shows a failure, and the target is as it was.
struct HostileText {
  const char* name;
  const char* text;
  const char* reason;
};

const HostileText kHostileTexts[] = {
    {"Call", "LED_On(3)", "the function call 'LED_On(' is not allowed"},
    {"Assignment", "pattern_step = 5", "an assignment is not allowed"},
    {"Increment", "pattern_step++", "an increment or decrement is not allowed"},
};

struct ReadPath {
  const char* name;
  // What the user asked for before (its own writes are the user's): false
  // when it could not be done.
  std::function<bool(DebugInterface*, const std::string& text)> prepare;
  // The read: true when the driver evaluated the text.
  std::function<bool(DebugInterface*, const std::string& text)> read;
  // The command page's line that says why ("%t" the text, "%r" the
  // reason); "" when the window shows no reason (no tip, no address).
  std::string said;
  // Undoes `prepare`; false when it could not.
  std::function<bool(DebugInterface*)> finish;
};

void PrintTo(const ReadPath& path, std::ostream* out) { *out << path.name; }

class GdbReadPaths : public GdbSessionTest, public ::testing::WithParamInterface<ReadPath> {};

std::string Filled(std::string pattern, const HostileText& t) {
  for (const auto& [key, value] : {std::pair<std::string, std::string>{"%t", t.text}, {"%r", t.reason}})
    if (const std::size_t at = pattern.find(key); at != std::string::npos) pattern.replace(at, 2, value);
  return pattern;
}

TEST_P(GdbReadPaths, TextsThatCallOrWriteAreRefusedAndTheTargetStaysAsItWas) {
  const ReadPath& path = GetParam();
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  constexpr uint32_t kIoset0 = 0xE0028004u;
  const uint32_t step = Evaluate("&pattern_step");
  for (const HostileText& t : kHostileTexts) {
    SCOPED_TRACE(t.name);
    if (path.prepare) {
      ASSERT_TRUE(path.prepare(r, t.text)) << CommandTexts();
    }
    // The window asks again at each stop.
    for (int stop = 0; stop < 2; ++stop) {
      SCOPED_TRACE(stop);
      const std::vector<uint8_t> ram = ReadBytes(r, step, 4), ioset = ReadBytes(r, kIoset0, 4);
      const uint32_t pc = Evaluate("(unsigned long)$pc");
      EXPECT_FALSE(path.read(r, t.text));
      EXPECT_EQ(ReadBytes(r, step, 4), ram);
      EXPECT_EQ(ReadBytes(r, kIoset0, 4), ioset);
      EXPECT_EQ(Evaluate("(unsigned long)$pc"), pc);
      if (!path.said.empty()) {
        const std::string line = Filled(path.said, t);
        EXPECT_TRUE(WaitFor([&] { return CommandTexts().find(line) != std::string::npos; }))
            << line << "\n" << CommandTexts();
      }
      session->Step(kDbgStepOver);
      ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
    }
    if (path.finish) {
      ASSERT_TRUE(path.finish(r)) << CommandTexts();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, GdbReadPaths,
    ::testing::Values(
        // The memory window's address bar (and the disassembly's Show Code
        // at Address): the page is left empty, the reason on the command page.
        ReadPath{"MemoryAddressBar", nullptr,
                 [](DebugInterface* r, const std::string& text) {
                   uint8_t result[52] = {};
                   return r->DbgControl(kDbgCtlEvalAddress, intptr_t(text.c_str()), intptr_t(result)) == 0;
                 },
                 "*** error: address '%t': %r\n", nullptr},
        // The register page's entry of a new value.
        ReadPath{"RegisterEntry", nullptr,
                 [](DebugInterface* r, const std::string& text) {
                   uint64_t value = 0;
                   return r->DbgEvalExpression(1, text.c_str(), &value) == 0;
                 },
                 "*** error: '%t': %r\n", nullptr},
        // An editor's value tip: no tip.
        ReadPath{"EditorValueTip", nullptr,
                 [](DebugInterface* r, const std::string& text) {
                   char buffer[1024] = {};
                   std::snprintf(buffer, sizeof buffer, "%s", text.c_str());
                   const bool shown = r->DbgControl(kDbgCtlValueTip, intptr_t(buffer), intptr_t("Blinky.c")) == 0;
                   return shown || text != buffer;
                 },
                 "", nullptr},
        // The breakpoints dialog's list (and each change of the breakpoints,
        // which keeps the list): a watchpoint the user set on the text, and
        // disabled so that the steps do not evaluate it, shows no address.
        ReadPath{"BreakpointList",
                 [](DebugInterface* r, const std::string& text) {
                   const std::string watch = "watch " + text;
                   return r->DbgExecCommand(watch.c_str(), int32_t(watch.size())) == 0 &&
                          r->DbgExecCommand("BD *", 4) == 0;
                 },
                 [](DebugInterface* r, const std::string&) {
                   r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr);
                   return false;
                 },
                 "", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// gdb's permission typed on the command page lasts only as long as that
// command: the driver's next write and step tell gdb what they need again.
TEST_F(GdbSessionTest, ATypedPermissionLastsOnlyForItsCommand) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const std::string typed = "set may-write-memory off";
  // Asked first: a read in between would tell gdb its settings anyway.
  const uint32_t address = Evaluate("(unsigned long)&pattern_step");
  ASSERT_EQ(r->DbgExecCommand(typed.c_str(), int32_t(typed.size())), 0) << CommandTexts();
  const uint32_t value = 0x5A5A1234u;
  EXPECT_EQ(r->DbgWriteMemory(address, 4, &value), 0u) << CommandTexts();
  EXPECT_EQ(Word(address), value);
  // Again, and a step: gdb resumes the target only with writes on.
  ASSERT_EQ(r->DbgExecCommand(typed.c_str(), int32_t(typed.size())), 0) << CommandTexts();
  const uint32_t before = r->pc;
  ASSERT_NO_FATAL_FAILURE(StepOver());
  EXPECT_NE(r->pc, before) << CommandTexts();
}

// A page at 0xFFFFFFF0 shows what gdb reads there, and its later rows are
// those from address 0, labelled as 32-bit addresses.
TEST_F(GdbSessionTest, APageAtTheTopOfTheSpaceReadsOnFromAddressZero) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  uint8_t top[16];
  for (int i = 0; i < 16; ++i) top[i] = uint8_t(0xA0 + i);
  ASSERT_EQ(r->DbgWriteMemory(0xFFFFFFF0u, 16, top), 0u);
  // The driver reads no range past the end of the space in one piece.
  uint8_t over[32] = {};
  EXPECT_NE(r->DbgReadMemory(0xFFFFFFF0u, 32, over), 0);

  const std::vector<uint8_t> low = ReadBytes(r, 0, 32);
  std::vector<uint8_t> page(48, 0);
  const int read = MemReadSpace([r](uint64_t a, uint32_t n, uint8_t* out) { return r->DbgReadMemory(a, n, out); },
                                0xFFFFFFF0u, 48, page.data());
  ASSERT_EQ(read, 48);
  EXPECT_TRUE(std::equal(top, top + 16, page.begin()));
  EXPECT_TRUE(std::equal(low.begin(), low.end(), page.begin() + 16));

  // The rows' labels: the driver's text of each row's 32-bit address.
  const char* const kLabels[] = {"0xFFFFFFF0", "0x00000000", "0x00000010"};
  for (int row = 0; row < 3; ++row) {
    char label[64] = {};
    ASSERT_GT(r->DbgFormatAddress(1, MemSpaceAddress(0xFFFFFFF0u, uint64_t(row) * 16), 0, label), 0);
    EXPECT_STREQ(label, kLabels[row]);
  }
}

}  // namespace
}  // namespace pm2
