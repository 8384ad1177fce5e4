// The editor's margin in the real main frame with the GDB driver on the
// example under qemu, built with a static inline function in LED.h that
// LED.c and Timer.c call: a breakpoint on the header's line is one
// breakpoint in two places, and Insert/Remove on the line takes it away
// whole, leaving no breakpoint in either place.
#include <unistd.h>

#include <QMessageBox>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "debugger/ui/debug_bar_commands.h"
#include "debugger/ui/debug_commands.h"
#include "driver_abi/debug_records.h"
#include "example_copy.h"
#include "editor/ide/editor_view.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_fixture.h"
#include "gdb_frame_fixture.h"

namespace pm2 {
namespace {

class GdbMarginFrameTest : public test::GdbExampleFrameTest {};

TEST_F(GdbMarginFrameTest, InsertRemoveOnAHeaderLineTakesTheBreakpointFromEveryPlace) {
  ASSERT_TRUE(test::ReplaceInFile(dir + "LED.h", "unsigned int LED_Count(void);\n",
                      "unsigned int LED_Count(void);\n\nstatic inline unsigned int Twice(unsigned int x) {\n"
                      "  return x + x;\n}\n") &&
              test::ReplaceInFile(dir + "LED.c", "{ return LED_COUNT; }", "{ return Twice(LED_COUNT) / 2; }") &&
              test::ReplaceInFile(dir + "Timer.c", "#include \"Timer.h\"\n", "#include \"Timer.h\"\n#include \"LED.h\"\n") &&
              test::ReplaceInFile(dir + "Timer.c", "T0PR = 0;", "T0PR = Twice(0);"));
  int body = 0;
  {
    std::ifstream in(dir + "LED.h");
    std::string line;
    for (int n = 1; std::getline(in, line) && !body; ++n)
      if (line.find("return x + x;") != std::string::npos) body = n;
  }
  ASSERT_GT(body, 0);

  ASSERT_TRUE(StartAtReset() || skipped);
  if (skipped) GTEST_SKIP() << "the example does not build here";
  DebugSession& debug = f->Debugger()->Session();
  DebugInterface* r = debug.Record();
  auto listed = [&] {
    std::vector<const DbgBreakpointRecord*> out;
    for (auto* b = reinterpret_cast<const DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
         b && out.size() < 8; b = b->next)
      out.push_back(b);
    return out;
  };
  const std::size_t before = listed().size();

  EditorView* v = f->Editors().Open(dir + "LED.h", body);
  ASSERT_NE(v, nullptr);
  v->resize(600, 400);
  v->Engine().ClearSelection();
  v->Engine().GotoLine(body, 0);
  ASSERT_TRUE(f->QueryCommand(DebugBarCommands::kCmdToggleBreak).enabled);
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdToggleBreak));
  ASSERT_EQ(listed().size(), before + 1);
  const uint32_t first = listed().back()->address;
  EXPECT_EQ(r->DbgBreakpoint(first, 1), 1u);

  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdToggleBreak));
  EXPECT_EQ(listed().size(), before) << "a breakpoint was left at 0x" << std::hex << listed().back()->address;
  EXPECT_EQ(r->DbgBreakpoint(first, 1), 0u);
  ASSERT_TRUE(f->ExecuteCommand(32802));
  EXPECT_TRUE(test::WaitFor([&] { return !debug.SessionActive(); }));
}

// A double click in the margin of a line of Blinky.c while the example runs (its serial
// output has the driver stop the target for a moment many times a second):
// each toggle takes, and gdb holds what the margin shows, never a second
// breakpoint on the line. The line runs only after a key.
TEST_F(GdbMarginFrameTest, ADoubleClickWhileTheProgramRunsTakesEachTime) {
  constexpr int kLine = 51;  // Serial_PutString("key: ");
  ASSERT_TRUE(StartAtReset() || skipped);
  if (skipped) GTEST_SKIP() << "the example does not build here";
  DebugSession& debug = f->Debugger()->Session();
  DebugInterface* r = debug.Record();
  auto listed = [&] {
    std::vector<uint32_t> out;
    for (auto* b = reinterpret_cast<const DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
         b && out.size() < 8; b = b->next)
      out.push_back(b->address);
    return out;
  };
  EditorView* v = f->Editors().Open(dir + "Blinky.c", kLine);
  ASSERT_NE(v, nullptr);
  v->resize(600, 400);
  v->Engine().ClearSelection();
  v->Engine().GotoLine(kLine, 0);
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdToggleBreak));
  ASSERT_EQ(listed().size(), 1u);
  const uint32_t at = listed()[0];
  debug.Go();
  ASSERT_TRUE(test::WaitFor([&] { return debug.TargetExecuting(); }));
  // The user's double click in the margin beside the line.
  auto doubleClick = [&] {
    const auto& state = v->Engine().State();
    const QPoint in(state.nLeftMargin / 2, (kLine - state.nTopLine) * state.nLineHeight + state.nLineHeight / 2);
    QTest::mouseDClick(v->viewport(), Qt::LeftButton, Qt::NoModifier, in);
  };
  // The run is under way once gdb has taken it: until then (a while on a
  // busy machine) the driver changes nothing while the target runs for the
  // IDE. The first toggle is given until it takes.
  bool took = false;
  ASSERT_TRUE(test::WaitFor([&] {
    if (!took) {
      doubleClick();
      took = r->DbgBreakpoint(at, 1) == 0;
    }
    return took;
  }));
  for (int i = 0; i < 5; ++i) {
    const bool set = r->DbgBreakpoint(at, 1) != 0;
    doubleClick();
    EXPECT_EQ(r->DbgBreakpoint(at, 1) != 0, !set) << "toggle " << i;
    EXPECT_TRUE(debug.TargetExecuting()) << "toggle " << i;
  }
  // Six toggles: set as at the start, once, as gdb has it.
  EXPECT_EQ(r->DbgBreakpoint(at, 1), 1u);
  debug.StopRunning();
  ASSERT_TRUE(test::WaitFor([&] { return !debug.TargetExecuting(); }));
  EXPECT_EQ(listed(), std::vector<uint32_t>{at});
  ASSERT_TRUE(f->ExecuteCommand(32802));
  EXPECT_TRUE(test::WaitFor([&] { return !debug.SessionActive(); }));
}

}  // namespace
}  // namespace pm2
