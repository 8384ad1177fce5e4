// What the user gives a breakpoint besides its place, through the GDB
// driver on the example: a pass count and a condition outlast the session
// (kept in the target's options and set again in the next session), and
// a conditional breakpoint, from the command page or the Breakpoints
// dialog, stops where its expression turns true and lists as conditional.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "driver_abi/debug_records.h"
#include "editor/document/code_lines.h"
#include "example_copy.h"
#include "gdb_session_fixture.h"
#include "project/files/debug_lists.h"

namespace pm2 {
namespace {

class GdbBreakpointDetails : public GdbSessionTest {
 protected:
  // Runs to the next stop; false when none came.
  bool RunToStop() {
    const int before = host.stopsPosted;
    session->Go();
    return WaitFor([&] { return host.stopsPosted > before && !session->TargetExecuting(); });
  }
  std::vector<const DbgBreakpointRecord*> Listed() {
    std::vector<const DbgBreakpointRecord*> out;
    for (auto* b = reinterpret_cast<const DbgBreakpointRecord*>(
             session->Record()->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
         b && out.size() < 16; b = b->next)
      out.push_back(b);
    return out;
  }
};

TEST_F(GdbBreakpointDetails, ACountAndAConditionComeBackInTheNextSession) {
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const uint32_t ledOn = Evaluate("&LED_On"), ledOff = Evaluate("&LED_Off");
  ASSERT_EQ(r->DbgExecCommand("BK *", 4), 0) << CommandTexts();
  // The third pass of LED_On; LED_Off once the pattern reached 2.
  ASSERT_EQ(r->DbgExecCommand("BS LED_On, 3", 12), 0) << CommandTexts();
  const std::string typed = "break LED_Off if pattern_step == 2";
  ASSERT_EQ(r->DbgExecCommand(typed.c_str(), int32_t(typed.size())), 0) << CommandTexts();
  session->StopDebugger();
  ASSERT_FALSE(session->SessionActive());

  // The options keep them with their count and condition.
  uint32_t count = 0;
  std::string condition;
  for (const BreakpointRec* k = project->curTarget->breakpoints; k; k = k->next) {
    if (k->flags & kBreakFlag4) continue;
    count = std::max(count, k->value5);
    if (!k->text2.empty()) condition = k->text2.str();
  }
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(condition, "pattern_step == 2");

  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  r = session->Record();
  bool counted = false, conditioned = false;
  for (const DbgBreakpointRecord* b : Listed()) {
    counted |= b->passCount == 3 && b->address > ledOn && b->address < ledOn + 32;
    conditioned |= b->expression && std::string(b->expression) == "pattern_step == 2" && b->address > ledOff &&
                   b->address < ledOff + 32 && (b->flags & 0xF) == 0;
  }
  EXPECT_TRUE(counted) << CommandTexts();
  EXPECT_TRUE(conditioned) << CommandTexts();

  // Both stop only when the pattern stands at 2: LED_On at its third pass.
  for (uint32_t entry : {ledOn, ledOff}) {
    ASSERT_TRUE(RunToStop()) << CommandTexts();
    EXPECT_GT(r->pc, entry) << CommandTexts();
    EXPECT_LT(r->pc, entry + 32) << CommandTexts();
    EXPECT_EQ(Evaluate("pattern_step"), 2u) << CommandTexts();
  }
}

struct ConditionalBreakpointRow {
  const char* name;
  bool dialog;  // defined in the Breakpoints dialog, else typed BS
  const char* expression;
  uint32_t value;  // pattern_step where it stops
};

void PrintTo(const ConditionalBreakpointRow& row, std::ostream* out) { *out << row.name; }

class GdbConditionalBreakpoint : public GdbBreakpointDetails, public ::testing::WithParamInterface<ConditionalBreakpointRow> {};

TEST_P(GdbConditionalBreakpoint, StopsWhereItsExpressionTurnsTrue) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  ASSERT_EQ(r->DbgExecCommand("BK *", 4), 0) << CommandTexts();
  const ConditionalBreakpointRow& row = GetParam();
  if (row.dialog) {
    DbgBreakpointRequest q{};
    q.expression = row.expression;
    q.passCount = q.passCount2 = 1;
    r->DbgBreakpointDefine(0, 0, 0, &q);
    ASSERT_EQ(q.error, 0) << CommandTexts();
  } else {
    const std::string line = std::string("BS ") + row.expression;
    ASSERT_EQ(r->DbgExecCommand(line.c_str(), int32_t(line.size())), 0) << CommandTexts();
  }
  // Listed as conditional, with its expression, at no address.
  const std::vector<const DbgBreakpointRecord*> listed = Listed();
  ASSERT_EQ(listed.size(), 1u) << CommandTexts();
  EXPECT_EQ(listed[0]->flags & 0xF, 1u);
  ASSERT_NE(listed[0]->expression, nullptr);
  EXPECT_EQ(std::string(listed[0]->expression), row.expression);
  routed.commandLines.clear();
  ASSERT_EQ(r->DbgExecCommand("BL", 2), 0) << CommandTexts();
  EXPECT_NE(CommandTexts().find("(C)"), std::string::npos) << CommandTexts();

  ASSERT_TRUE(RunToStop()) << CommandTexts();
  EXPECT_EQ(Evaluate("pattern_step"), row.value) << CommandTexts();
  // It holds still: the next run stops at once, the pattern where it was.
  ASSERT_TRUE(RunToStop()) << CommandTexts();
  EXPECT_EQ(Evaluate("pattern_step"), row.value) << CommandTexts();
}

INSTANTIATE_TEST_SUITE_P(Roads, GdbConditionalBreakpoint,
                         ::testing::Values(ConditionalBreakpointRow{"CommandPage", false, "pattern_step == 3", 3},
                                           ConditionalBreakpointRow{"Dialog", true, "pattern_step == 2", 2},
                                           ConditionalBreakpointRow{"DialogInParentheses", true, "(pattern_step > 4)", 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdbBreakpointDetails, AConditionalBreakpointThatWritesIsRefusedWithTheReason) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  const int before = BreakpointCount();
  const std::string line = "BS (pattern_step = 3) == 3";
  EXPECT_NE(r->DbgExecCommand(line.c_str(), int32_t(line.size())), 0);
  EXPECT_TRUE(Said("BS: ")) << CommandTexts();
  EXPECT_EQ(BreakpointCount(), before);
}

// The example with a one-line function in LED.h that LED.c and Timer.c
// call: a copy of it in each, its whole code on one line.
const std::string& OneLineTwiceFolder() {
  static ExampleCopyOfThisProgram copy;
  static std::string folder = [] {
    if (ExampleFolder().empty()) return std::string();
    std::string dir = std::filesystem::temp_directory_path().string() + "/pm2gdboneline" + std::to_string(getpid());
    copy.dir = dir;
    std::filesystem::remove_all(dir);
    std::filesystem::copy(ExampleFolder(), dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(dir + "/Obj");
    const bool edited =
        test::ReplaceInFile(dir + "/LED.h", "unsigned int LED_Count(void);\n",
                            "unsigned int LED_Count(void);\nstatic inline unsigned Twice(unsigned x){return x+x;}\n") &&
        test::ReplaceInFile(dir + "/LED.c", "{ return LED_COUNT; }", "{ return Twice(LED_COUNT) / 2; }") &&
        test::ReplaceInFile(dir + "/Timer.c", "#include \"Timer.h\"\n", "#include \"Timer.h\"\n#include \"LED.h\"\n") &&
        test::ReplaceInFile(dir + "/Timer.c", "T0PR = 0;", "T0PR = Twice(0);");
    if (!edited) return std::string();
    std::string cmd =
        "cd '" + dir + "' && '" + std::string(PM2_PROGRAM_DIR) + "/pelmora2' -b Blinky.pm2 >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return std::string();
    return dir + "/";
  }();
  return folder;
}

class GdbOneLineFunction : public GdbBreakpointDetails {
 protected:
  void SetUp() override {
    GdbBreakpointDetails::SetUp();
    if (IsSkipped()) return;
    if (OneLineTwiceFolder().empty()) GTEST_SKIP() << "the example with a one-line Twice does not build here";
    project = MakeExampleProject(OneLineTwiceFolder());
    app->State().m_pProject = project;
    Params("-sim");
  }
};

// The margin's breakpoint on the function's line (set at the line's first
// address, the first copy's entry) stops in both copies, and the margin's
// click there takes it from both.
TEST_F(GdbOneLineFunction, ItsLinesBreakpointStopsInEveryCopy) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();
  uint32_t line = 0;
  {
    std::ifstream in(OneLineTwiceFolder() + "LED.h");
    std::string text;
    for (uint32_t n = 1; std::getline(in, text) && !line; ++n)
      if (text.find("static inline unsigned Twice") != std::string::npos) line = n;
  }
  ASSERT_GT(line, 0u);
  const CodeLines lines(
      static_cast<const DbgLineTableRecord*>(r->DbgLineTable((OneLineTwiceFolder() + "LED.h").c_str())));
  uint32_t address = 0;
  ASSERT_TRUE(lines.AddressAtOrAfter(line, &address));
  const std::size_t before = Listed().size();
  ASSERT_EQ(r->DbgBreakpoint(address, 3), 0u) << CommandTexts();
  EXPECT_EQ(r->DbgBreakpoint(address, 1), 1u);
  EXPECT_EQ(Listed().size(), before + 1);

  std::vector<uint32_t> stops;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    ASSERT_TRUE(RunToStop()) << CommandTexts();
    ASSERT_EQ(r->DbgFindSource(r->pc), 0);
    EXPECT_EQ(std::filesystem::path(static_cast<const char*>(r->srcFile)).filename(), "LED.h");
    EXPECT_EQ(r->srcLine, line);
    stops.push_back(r->pc);
  }
  EXPECT_NE(stops[0], stops[1]);
  ASSERT_EQ(r->DbgBreakpoint(address, 3), 0u) << CommandTexts();
  EXPECT_EQ(r->DbgBreakpoint(address, 1), 0u);
  for (uint32_t at : stops) EXPECT_EQ(r->DbgBreakpoint(at, 1), 0u) << std::hex << at;
  EXPECT_EQ(Listed().size(), before);
}

}  // namespace
}  // namespace pm2
