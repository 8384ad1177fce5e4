// The walk's judges as they meet the program's windows: the Breakpoints
// dialog's list is found by its class itself, never taken for another
// scroll area of the window (whose rows the judge would then read past).
#include <gtest/gtest.h>

#include <QDialog>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

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

// A new text's path is its title: Yes on its close saves it under a name
// the save dialog gives, never into a file of its title's name, so the
// judge of saves takes it for a text without a file.
TEST(WalkJudgeSaves, ANewTextsTitleNamesNoFile) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("pm2walkjudge_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  std::ofstream("Text1") << "a file named as a new text";
  EXPECT_FALSE(test::WalkJudge::IsFile("Text1"));
  EXPECT_TRUE(test::WalkJudge::IsFile((folder / "Text1").string()));
  EXPECT_FALSE(test::WalkJudge::IsFile((folder / "Text2").string()));
  EXPECT_FALSE(test::WalkJudge::IsFile(folder.string()));
  std::filesystem::current_path(before);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pm2
