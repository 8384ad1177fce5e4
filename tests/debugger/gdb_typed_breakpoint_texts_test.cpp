// gdb's own commands typed on the command page answer with the page's
// breakpoint numbers (those BL lists), as stop messages do, and never
// name the driver's own breakpoints (the UART stand-in's watchpoint comes
// first in gdb's numbers). On the example program under qemu.
#include <cctype>
#include <string>
#include <vector>

#include "gdb_session_fixture.h"

namespace pm2 {
namespace {

struct TypedRow {
  const char* name;
  std::vector<std::string> before;  // typed first
  std::string typed;
  std::vector<std::string> shown;   // texts the page shows for it
  std::vector<std::string> unseen;  // texts it must not show
};

void PrintTo(const TypedRow& row, std::ostream* out) { *out << row.name; }

class GdbTypedBreakpointTexts : public GdbSessionTest, public ::testing::WithParamInterface<TypedRow> {};

TEST_P(GdbTypedBreakpointTexts, NameThePagesNumbers) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  auto typed = [&](const std::string& line) { return r->DbgExecCommand(line.c_str(), int32_t(line.size())); };
  // The user's first breakpoint: number 1 on the page, 2 in gdb.
  ASSERT_EQ(typed("BS LED_On"), 0) << CommandTexts();
  for (const std::string& line : GetParam().before) ASSERT_EQ(typed(line), 0) << line << CommandTexts();
  // What the page got for the command: from each of its two ways in.
  const std::size_t lines = routed.commandLines.size(), posted = hub.Texts(kNotifyCommandText2).size();
  typed(GetParam().typed);
  std::string answer;
  for (std::size_t i = lines; i < routed.commandLines.size(); ++i) answer += "[" + routed.commandLines[i] + "]";
  const std::vector<std::string> texts = hub.Texts(kNotifyCommandText2);
  for (std::size_t i = posted; i < texts.size(); ++i) answer += "{" + texts[i] + "}";
  for (const std::string& text : GetParam().shown) EXPECT_NE(answer.find(text), std::string::npos) << text << answer;
  for (const std::string& text : GetParam().unseen) EXPECT_EQ(answer.find(text), std::string::npos) << text << answer;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbTypedBreakpointTexts,
    ::testing::Values(
        TypedRow{"Break", {}, "break main", {"Breakpoint 2 at 0x"}, {"Breakpoint 3"}},
        TypedRow{"TemporaryBreak", {}, "tbreak LED_Off", {"Temporary breakpoint 2 at 0x"}, {"breakpoint 3"}},
        TypedRow{"Watch", {}, "watch pattern_step", {"atchpoint 2: pattern_step"}, {"atchpoint 3"}},
        TypedRow{"ReadWatch", {}, "rwatch pattern_step", {"Hardware read watchpoint 2: pattern_step"}, {"atchpoint 3"}},
        TypedRow{"SecondAtOnePlace",
                 {"break main"},
                 "break LED_On",
                 {"Note: breakpoint 1 also set at pc", "Breakpoint 3 at 0x"},
                 {"breakpoint 2 also", "Breakpoint 4"}},
        TypedRow{"Clear", {"break LED_On"}, "clear LED_On", {"Deleted breakpoints 1 2 "}, {"3"}},
        TypedRow{"UnknownNumber", {}, "delete 9", {"No breakpoint number 9."}, {"number 10"}},
        TypedRow{"InfoBreakpoints",
                 {"watch pattern_step"},
                 "info breakpoints",
                 {"Num     Type", "1       breakpoint", "2       hw watchpoint"},
                 {"acc watchpoint", "3       hw watchpoint"}},
        TypedRow{"InfoBreakpointsOfTheDriversOnly",
                 {"BK *"},
                 "info breakpoints",
                 {"No breakpoints or watchpoints."},
                 {"Num     Type", "acc watchpoint"}}),
    [](const auto& info) { return std::string(info.param.name); });

// gdb changes no breakpoint while the target runs, yet marks some changed
// before it refuses the command: a typed command that names them
// ("delete", "disable", "enable", "disable b") is refused with the reason,
// and the breakpoints stay.
class GdbTypedWhileRunning : public GdbSessionTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(GdbTypedWhileRunning, ABareCommandIsRefusedWithTheReason) {
  // Without the UART stand-in the running program makes no stops of the
  // driver's own, in which gdb would list its breakpoints after all.
  Params("-sim -uart none");
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const std::string typed = GetParam();
  ASSERT_EQ(BreakpointCount(), 1);
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); }));
  EXPECT_NE(r->DbgExecCommand(typed.c_str(), int32_t(typed.size())), 0);
  EXPECT_TRUE(Said("*** error: '" + typed.substr(0, typed.find(' ')) +
                   "' changes breakpoints, which gdb does not while the target runs (it would mark some changed and "
                   "refuse the command): stop it first"))
      << CommandTexts();
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  EXPECT_EQ(BreakpointCount(), 1);
}

// "disable b" and "enable b" are gdb's "breakpoints" subcommand.
INSTANTIATE_TEST_SUITE_P(Rows, GdbTypedWhileRunning,
                         ::testing::Values("delete", "disable", "enable", "disable b", "enable b"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (c == ' ') c = '_';
                           return name;
                         });

// The same while the example runs with its serial output: the command is
// refused whatever its form, and the driver's own watchpoint (which gdb
// would have left disabled) goes on serving the serial window.
class GdbTypedWhileSerialRuns : public GdbSessionTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(GdbTypedWhileSerialRuns, IsRefusedAndTheSerialOutputGoesOn) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const std::string typed = GetParam();
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return session->TargetExecuting(); }));
  std::size_t before = hub.Texts(kNotifySerialOutput3).size();
  ASSERT_TRUE(WaitFor([&] { return hub.Texts(kNotifySerialOutput3).size() >= before + 4; })) << CommandTexts();
  EXPECT_NE(r->DbgExecCommand(typed.c_str(), int32_t(typed.size())), 0);
  EXPECT_TRUE(Said("changes breakpoints, which gdb does not while the target runs")) << CommandTexts();
  before = hub.Texts(kNotifySerialOutput3).size();
  EXPECT_TRUE(WaitFor([&] { return hub.Texts(kNotifySerialOutput3).size() >= before + 16; })) << CommandTexts();
  session->StopRunning();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  // The user's breakpoint at main is as it was.
  const auto* head =
      reinterpret_cast<const DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  ASSERT_NE(head, nullptr);
  EXPECT_NE(head->flags & kDbgBpEnabled, 0u) << CommandTexts();
}

INSTANTIATE_TEST_SUITE_P(Rows, GdbTypedWhileSerialRuns,
                         ::testing::Values("disable 1-$bpnum", "with print pretty -- disable", "disable 1"),
                         [](const auto& info) {
                           std::string name;
                           for (const char* c = info.param; *c; ++c)
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           return name;
                         });

// Whatever form a typed command takes, the driver's own breakpoint (the
// UART stand-in's watchpoint) is its own again after it: the command page
// says so, and the serial window goes on receiving the program's output.
struct OwnRow {
  const char* name;
  const char* typed;
  const char* said;  // "" nothing to say
};

void PrintTo(const OwnRow& row, std::ostream* out) { *out << row.name; }

class GdbOwnBreakpoints : public GdbSessionTest, public ::testing::WithParamInterface<OwnRow> {};

TEST_P(GdbOwnBreakpoints, StayTheDriversWhateverIsTyped) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const std::string typed = GetParam().typed;
  r->DbgExecCommand(typed.c_str(), int32_t(typed.size()));
  if (*GetParam().said) {
    EXPECT_TRUE(Said(GetParam().said)) << CommandTexts();
  }
  const std::size_t before = hub.Texts(kNotifySerialOutput3).size();
  session->Go();
  // The program's first line on UART0 reaches the serial window.
  EXPECT_TRUE(WaitFor([&] { return hub.Texts(kNotifySerialOutput3).size() >= before + 8; })) << CommandTexts();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbOwnBreakpoints,
    ::testing::Values(
        // gdb's "breakpoints" subcommand by its first letter names the
        // user's breakpoints only.
        OwnRow{"DisableByTheSubcommandsFirstLetter", "disable b", ""},
        // Behind gdb's "with" prefix the command names the user's
        // breakpoints as alone.
        OwnRow{"DisableBehindAnotherCommand", "with confirm off -- disable", ""},
        OwnRow{"DeleteBehindAnotherCommand", "with confirm off -- delete", ""},
        OwnRow{"DisableEveryNumberOfGdbs", "disable 1-$bpnum", "'1-$bpnum' names gdb's numbers, not those BL lists"},
        // What no mapping sees: the watchpoint is put back before the run.
        OwnRow{"DisabledByGdbsPython", "python gdb.breakpoints()[0].enabled = False",
               "the command disabled the driver's own breakpoint (the serial output's watchpoint): enabled again"},
        OwnRow{"DeletedByGdbsPython", "python gdb.breakpoints()[0].delete()",
               "the command deleted the driver's own breakpoint (the serial output's watchpoint): set again"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
