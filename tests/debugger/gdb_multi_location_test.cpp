// A watchpoint or breakpoint gdb places at several locations ("watch
// pattern_step++" on the example has three) is one breakpoint of the
// user's: BL shows it once, the driver's breakpoint list ends, and the
// session stops and keeps its line breakpoints, after a normal stop and
// from the driver's copy when gdb or qemu died.
#include <signal.h>

#include <string>
#include <utility>
#include <vector>

#include "driver_abi/debug_records.h"
#include "gdb_session_fixture.h"
#include "project/files/debug_lists.h"

namespace pm2 {
namespace {

struct EndRow {
  const char* name;
  const char* victim;  // the child killed before the stop; "" for none
};

void PrintTo(const EndRow& row, std::ostream* out) { *out << row.name; }

class GdbMultiLocation : public GdbSessionTest, public ::testing::WithParamInterface<EndRow> {
 protected:
  // The driver's list, walked no further than `bound` records.
  std::vector<const DbgBreakpointRecord*> Listed(DebugInterface* r, std::size_t bound) {
    std::vector<const DbgBreakpointRecord*> out;
    for (auto* b = reinterpret_cast<const DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
         b && out.size() <= bound; b = b->next)
      out.push_back(b);
    return out;
  }
};

TEST_P(GdbMultiLocation, IsOneBreakpointAndTheSessionEndsKeepingItsBreakpoints) {
  project->curTarget->pOpts->dbg.flags |= kKeepBreakpoints;
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* r = session->Record();

  const std::string watch = "watch pattern_step++";
  ASSERT_EQ(r->DbgExecCommand(watch.c_str(), int32_t(watch.size())), 0) << CommandTexts();
  ASSERT_EQ(r->DbgExecCommand("BL", 2), 0) << CommandTexts();
  const std::string texts = CommandTexts();
  std::size_t shown = 0;
  for (std::size_t at = 0; (at = texts.find("pattern_step++  (write)", at)) != std::string::npos; ++at) ++shown;
  EXPECT_EQ(shown, 1u) << texts;

  const std::vector<const DbgBreakpointRecord*> listed = Listed(r, 16);
  if (listed.size() > 16) {
    // The list does not end; the watchpoint goes so that the stop can.
    r->DbgExecCommand("BK *", 4);
    FAIL() << "the breakpoint list does not end";
  }
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0]->flags & kDbgBpTypeMask, 0u);
  EXPECT_EQ(listed[1]->flags & kDbgBpTypeMask, 2u);
  EXPECT_STREQ(listed[1]->expression, "pattern_step++");

  if (*GetParam().victim) {
    const std::vector<pid_t> victims = Children(GetParam().victim);
    ASSERT_EQ(victims.size(), 1u);
    kill(victims[0], SIGKILL);
    ASSERT_TRUE(WaitFor([&] { return host.driverEnded.load(); }, 30000)) << CommandTexts();
  }
  session->StopDebugger();
  EXPECT_FALSE(session->SessionActive());
  std::vector<std::pair<std::string, uint32_t>> kept;
  for (const BreakpointRec* k = project->curTarget->breakpoints; k; k = k->next)
    if (!(k->flags & kBreakFlag4)) kept.emplace_back(k->text1.str(), k->value1);
  // "BS main" by the function it was set on; the watch of an expression
  // that writes is none the next session could set again.
  EXPECT_EQ(kept, (std::vector<std::pair<std::string, uint32_t>>{{"main", 0}}));
}

INSTANTIATE_TEST_SUITE_P(Ends, GdbMultiLocation,
                         ::testing::Values(EndRow{"Stop", ""}, EndRow{"GdbKilled", "gdb-multiarch"},
                                           EndRow{"QemuKilled", "qemu-system-arm"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
