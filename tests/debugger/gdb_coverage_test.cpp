// Code coverage through the GDB driver: the simulation's exec log counts
// the example's functions as they run, and a reset starts the count anew.
#include <map>
#include <ostream>
#include <string>

#include "driver_abi/debug_records.h"
#include "gdb_session_fixture.h"

namespace gdb_coverage_test {

using pm2::GdbSessionTest;
using pm2::WaitFor;

// The coverage tree's functions by name.
std::map<std::string, DbgCoverageRecord*> CoveredFunctions(DbgCoverageRecord* top) {
  std::map<std::string, DbgCoverageRecord*> out;
  for (DbgCoverageRecord* app = top; app; app = app->next)
    for (DbgCoverageRecord* module = app->child; module; module = module->next)
      for (DbgCoverageRecord* f = module->child; f; f = f->next) out[f->name] = f;
  return out;
}

TEST_F(GdbSessionTest, CodeCoverageCountsWhatTheSimulationRan) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  DbgCoverageRecord* top = nullptr;
  r->DbgEnum(kDbgEnumScopes, 1, reinterpret_cast<intptr_t>(&top));
  ASSERT_NE(top, nullptr) << "the simulation keeps code coverage";
  std::map<std::string, DbgCoverageRecord*> f = CoveredFunctions(top);
  for (const char* name : {"main", "LED_Init", "LED_Count", "Timer_Ticks", "Timer_Delay"})
    ASSERT_TRUE(f.count(name)) << name;
  auto update = [&] {
    for (auto& [name, record] : f) r->DbgEnum(kDbgEnumCoverageUpdate, 0, reinterpret_cast<intptr_t>(record));
  };

  // The window shows the counts: nothing has run yet.
  update();
  EXPECT_EQ(f["main"]->executed, 0u);
  EXPECT_GT(f["main"]->instructions, 0u);

  ASSERT_EQ(r->DbgExecCommand("BS Timer_Delay", 14), 0) << CommandTexts();
  const uint32_t delay = Evaluate("&Timer_Delay");
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= delay && r->pc < delay + 64; }))
      << std::hex << r->pc << " " << CommandTexts();
  update();
  // Called and returned: every instruction ran (their literal pools are no
  // instructions).
  for (const char* name : {"LED_Init", "LED_Count"}) {
    EXPECT_GT(f[name]->instructions, 0u) << name;
    EXPECT_EQ(f[name]->executed, f[name]->instructions) << name;
    EXPECT_TRUE(f[name]->kind & kDbgCovFull) << name;
    EXPECT_EQ(f[name]->kind & kDbgCovKindMask, kDbgCovFunction) << name;
  }
  // Not called yet.
  EXPECT_GT(f["Timer_Ticks"]->instructions, 0u);
  EXPECT_EQ(f["Timer_Ticks"]->executed, 0u);
  EXPECT_FALSE(f["Timer_Ticks"]->kind & kDbgCovFull);
  // The disassembly window's gutter: executed code green, code not run grey.
  EXPECT_EQ(r->DbgBreakpoint(Evaluate("&LED_Init"), 7) & 0x0C, 0x0Cu);
  EXPECT_EQ(r->DbgBreakpoint(Evaluate("&Timer_Ticks"), 7) & 0x0C, 0u);
  // LED_On ran once, with a number in range: its test's jump went one way
  // only (on, not taken).
  const uint32_t on = Evaluate("&LED_On");
  int oneWay = 0;
  for (uint32_t a = on; a < on + 64; a += 4) oneWay += (r->DbgBreakpoint(a, 7) & 0x0C) == 0x08 ? 1 : 0;
  EXPECT_EQ(oneWay, 1);
  // Halfway: main waits in its loop.
  EXPECT_GT(f["main"]->executed, 0u);
  EXPECT_LT(f["main"]->executed, f["main"]->instructions);

  // Reset: only what runs from now on counts.
  r->DbgEnum(kDbgEnumCoverageClear, 0, 0);
  update();
  EXPECT_EQ(f["LED_Init"]->executed, 0u);
  EXPECT_FALSE(f["LED_Init"]->kind & kDbgCovFull);
  StepAndWait(kDbgStepInto);
  update();
  EXPECT_GT(f["Timer_Delay"]->executed, 0u);
  EXPECT_EQ(f["LED_Init"]->executed, 0u);
}

// The coverage window opened only after code ran: the counts are those of
// the whole session, as the simulation counted from its start.
TEST_F(GdbSessionTest, CodeCoverageCountsFromTheSessionsStartWithItsWindowClosed) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  ASSERT_EQ(r->DbgExecCommand("BS Timer_Delay", 14), 0) << CommandTexts();
  const uint32_t delay = Evaluate("&Timer_Delay");
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= delay && r->pc < delay + 64; }))
      << std::hex << r->pc << " " << CommandTexts();
  // Now the window opens: its tree, then its counts.
  DbgCoverageRecord* top = nullptr;
  r->DbgEnum(kDbgEnumScopes, 1, reinterpret_cast<intptr_t>(&top));
  ASSERT_NE(top, nullptr);
  std::map<std::string, DbgCoverageRecord*> f = CoveredFunctions(top);
  for (const char* name : {"LED_Init", "LED_Count", "Timer_Ticks"}) {
    ASSERT_TRUE(f.count(name)) << name;
    r->DbgEnum(kDbgEnumCoverageUpdate, 0, reinterpret_cast<intptr_t>(f[name]));
  }
  for (const char* name : {"LED_Init", "LED_Count"}) {
    EXPECT_GT(f[name]->instructions, 0u) << name;
    EXPECT_EQ(f[name]->executed, f[name]->instructions) << name;
  }
  EXPECT_EQ(f["Timer_Ticks"]->executed, 0u);
}

struct TypedRunRow {
  const char* name;
  const char* command;  // typed on the command page; runs to Timer_Delay
};
void PrintTo(const TypedRunRow& row, std::ostream* out) { *out << row.name; }

class GdbTypedRunCoverage : public GdbSessionTest, public ::testing::WithParamInterface<TypedRunRow> {};

// A run typed on the command page is a run of the driver's: what it
// executes counts as much as what Debug > Run executes.
TEST_P(GdbTypedRunCoverage, CountsWhatTheTypedRunExecuted) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  DbgCoverageRecord* top = nullptr;
  r->DbgEnum(kDbgEnumScopes, 1, reinterpret_cast<intptr_t>(&top));
  ASSERT_NE(top, nullptr);
  std::map<std::string, DbgCoverageRecord*> f = CoveredFunctions(top);
  ASSERT_TRUE(f.count("LED_Init"));
  // The coverage window is open: the counts are wanted from here on.
  r->DbgEnum(kDbgEnumCoverageUpdate, 0, reinterpret_cast<intptr_t>(f["LED_Init"]));
  ASSERT_EQ(f["LED_Init"]->executed, 0u);

  ASSERT_EQ(r->DbgExecCommand("BS Timer_Delay", 14), 0) << CommandTexts();
  const uint32_t delay = Evaluate("&Timer_Delay");
  const std::string typed = GetParam().command;
  ASSERT_EQ(r->DbgExecCommand(typed.c_str(), int32_t(typed.size())), 0) << CommandTexts();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= delay && r->pc < delay + 64; }))
      << std::hex << r->pc << " " << CommandTexts();
  r->DbgEnum(kDbgEnumCoverageUpdate, 0, reinterpret_cast<intptr_t>(f["LED_Init"]));
  EXPECT_GT(f["LED_Init"]->instructions, 0u);
  EXPECT_EQ(f["LED_Init"]->executed, f["LED_Init"]->instructions) << CommandTexts();
}

INSTANTIATE_TEST_SUITE_P(Commands, GdbTypedRunCoverage,
                         ::testing::Values(TypedRunRow{"Go", "g"}, TypedRunRow{"GoUpper", "G"},
                                           TypedRunRow{"GoUntil", "g,Timer_Delay"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace gdb_coverage_test
