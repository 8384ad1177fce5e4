// The walk's judges as they meet the program's windows: the Breakpoints
// dialog's list is found by its class itself, never taken for another
// scroll area of the window (whose rows the judge would then read past).
#include <gtest/gtest.h>

#include <QDialog>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "debugger/dialogs/breakpoints_check_list.h"
#include "frame/frame_fixture.h"
#include "walk_judge.h"

namespace pm2 {
namespace {

// The list declares no meta-object of its own, so Qt's findChild took the
// first scroll area of any kind for it (a text field of another dialog),
// and the judge read that as a list of breakpoints.
TEST(WalkJudgeLists, TheBreakpointListIsKnownByItsClass) {
  QDialog window;
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(new QPlainTextEdit(&window));
  EXPECT_EQ(test::WalkJudge::BreakpointList(window), nullptr);
  auto* list = new BpCheckList(&window);
  layout->addWidget(list);
  EXPECT_EQ(test::WalkJudge::BreakpointList(window), list);
}

}  // namespace
}  // namespace pm2
