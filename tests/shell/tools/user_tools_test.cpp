#include "shell/tools/user_tools.h"

#include <gtest/gtest.h>

#include "platform/notification_hub.h"
#include "platform/settings_store.h"
#include "project/model/app_state.h"
#include "shell/tools/tool_fakes.h"
#include "shell/tools/user_tools_dialog_model.h"

namespace pm2 {
namespace {

UserToolEntry Tool(std::string text, std::string program, std::string args, uint32_t options = 0,
                   uint32_t low = 0) {
  UserToolEntry e;
  e.used = true;
  e.menuText = std::move(text);
  e.program = std::move(program);
  e.arguments = std::move(args);
  e.folder = "/work";
  e.options = options;
  e.profileLow = low;
  return e;
}

TEST(UserToolStore, FlagsRoundTripWithCarriedLowByte) {
  SettingsStore store("/nonexistent/settings.ini");
  WriteUserTools(store, {Tool("A", "a", "x", kToolPrompt, 0x17),
                         Tool("B", "b", "y", kToolMinimized | kToolIndependent)});
  EXPECT_EQ(store.GetProfileInt("ToolM", "Mfg0", 0), 0x317);
  EXPECT_EQ(store.GetProfileInt("ToolM", "Mfg1", 0), 0xD00);
  EXPECT_EQ(store.GetProfileInt("ToolM", "Mfg2", -1), 0);
  std::vector<UserToolEntry> back = ReadUserTools(store);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].options, kToolPrompt);
  EXPECT_EQ(back[0].profileLow, 0x17u);
  EXPECT_EQ(back[1].options, kToolMinimized | kToolIndependent);
  EXPECT_EQ(back[1].folder, "/work");
  EXPECT_EQ(back[1].arguments, "y");
}

TEST(UserToolStore, ShorterListEndsWhereWritten) {
  SettingsStore store("/nonexistent/settings.ini");
  std::vector<UserToolEntry> five;
  for (int i = 0; i < 5; ++i) five.push_back(Tool("T" + std::to_string(i), "p", ""));
  WriteUserTools(store, five);
  // An empty menu text is not written; the following tools move up.
  WriteUserTools(store, {Tool("A", "p", ""), Tool("", "p", ""), Tool("C", "p", ""),
                         Tool("D", "p", "")});
  std::vector<UserToolEntry> back = ReadUserTools(store);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[1].menuText, "C");
  EXPECT_EQ(store.GetProfileInt("ToolM", "Mfg3", -1), 0);
  EXPECT_NE(store.GetProfileInt("ToolM", "Mfg4", 0), 0);  // left behind, never read
}

TEST(UserToolStore, ReadingStopsAtFifty) {
  SettingsStore store("/nonexistent/settings.ini");
  for (int i = 0; i < 60; ++i) store.WriteProfileInt("ToolM", "Mfg" + std::to_string(i), 0x100);
  EXPECT_EQ(ReadUserTools(store).size(), 50u);
}

struct MenuFixture : ::testing::Test {
  FakeToolFrame frame;
  FakeExternalRunner runner;
  RecordingHub hub;
  std::atomic<uint32_t> state{0};
  UserToolLauncher launcher{runner, hub, state};
  UserToolsMenu menu{frame, launcher, state};
  KeySequenceSources src;
  SettingsStore store{"/nonexistent/settings.ini"};

  void SetTools(std::vector<UserToolEntry> tools) {
    WriteUserTools(store, tools);
    menu.Load(store);
  }
};

TEST_F(MenuFixture, RebuildNumbersUsedToolsAndGreysFailedExpansion) {
  src.activeEditorFile = [] { return std::optional<FilePosition>(); };
  SetTools({Tool("Edit 100%%", "a", ""), Tool("Show #E", "b", "")});
  std::vector<ToolMenuItem> items = menu.Rebuild(src);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_TRUE(items[0].separator);
  EXPECT_EQ(items[1].id, 32930u);
  EXPECT_EQ(items[1].text, "Edit 100%");
  EXPECT_FALSE(items[1].greyed);
  EXPECT_EQ(items[2].id, 32931u);
  EXPECT_EQ(items[2].text, "Show #E");
  EXPECT_TRUE(items[2].greyed);
}

TEST_F(MenuFixture, NoToolsNoSeparator) {
  SetTools({});
  EXPECT_TRUE(menu.Rebuild(src).empty());
}

TEST_F(MenuFixture, RunCapturesAndEndsWithCodeEight) {
  SetTools({Tool("Run", "/bin/tool", "a b", kToolMinimized)});
  menu.Rebuild(src);
  ASSERT_TRUE(menu.Run(32930, src));
  launcher.JoinAll();
  std::vector<ExternalRun> runs = runner.Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].program, "/bin/tool");
  EXPECT_EQ(runs[0].arguments, "a b");
  EXPECT_EQ(runs[0].folder, "/work");
  EXPECT_EQ(runs[0].showMode, kShowMinimized);
  EXPECT_EQ(frame.events, (std::vector<std::string>{"save", "clear"}));
  ASSERT_EQ(hub.Entries().size(), 1u);
  EXPECT_EQ(hub.Entries()[0].code, kNotifyUserToolFinished);
  EXPECT_EQ(state.load() & kStateBusy, 0u);
}

TEST_F(MenuFixture, RefusalsStartNothing) {
  src.activeEditorFile = [] { return std::optional<FilePosition>(); };
  SetTools({Tool("A", "a", "#E"), Tool("B", "b", "", kToolPrompt)});
  menu.Rebuild(src);
  EXPECT_FALSE(menu.Run(32930, src));  // argument line can't be expanded: says which sequence
  EXPECT_FALSE(menu.Run(32935, src));  // no such tool
  EXPECT_FALSE(menu.Run(32931, src));  // prompt cancelled
  state = kStateBusy;
  EXPECT_FALSE(menu.Run(32931, src));  // busy: no prompt either
  EXPECT_EQ(frame.events,
            (std::vector<std::string>{"box:'a' is not run: key sequence '#E' cannot be filled: no file is open in an editor",
                                      "beep", "prompt:b|", "beep", "beep"}));
  launcher.JoinAll();
  EXPECT_TRUE(runner.Runs().empty());
}

TEST_F(MenuFixture, PromptedLineReplacesExpandedOne) {
  SetTools({Tool("A", "a", "x%%y", kToolPrompt)});
  menu.Rebuild(src);
  frame.promptAnswer = "edited";
  ASSERT_TRUE(menu.Run(32930, src));
  launcher.JoinAll();
  EXPECT_EQ(frame.events[0], "prompt:a|x%y");
  EXPECT_EQ(runner.Runs().at(0).arguments, "edited");
}

TEST_F(MenuFixture, SecondWaitingRunRefusedWhileFirstHoldsBusy) {
  SetTools({Tool("A", "a", "1"), Tool("B", "b", "2"), Tool("C", "c", "3", kToolIndependent)});
  menu.Rebuild(src);
  runner.hold = true;
  ASSERT_TRUE(menu.Run(32930, src));
  EXPECT_FALSE(menu.Run(32931, src));
  EXPECT_FALSE(menu.CustomizeEnabled());
  runner.Release();
  launcher.JoinAll();
  EXPECT_TRUE(menu.CustomizeEnabled());
  // An independent run neither holds the busy bit nor notifies.
  ASSERT_TRUE(menu.Run(32932, src));
  launcher.JoinAll();
  EXPECT_EQ(runner.Runs().back().showMode, kShowNormal | kShowIndependent);
  EXPECT_EQ(hub.Entries().size(), 1u);
}

// Joining a run that is still inside its code-8 call does not wait for
// ever: the call is handed over while the join waits.
TEST(UserToolLauncherJoin, HandsOverTheEndNotificationWhileItWaits) {
  FakeExternalRunner runner;
  HandOverHub hub;
  std::atomic<uint32_t> state{0};
  UserToolLauncher launcher(runner, hub, state, [&hub] { hub.gate.Serve(); });
  ASSERT_TRUE(launcher.StartWaiting(ExternalRun{}));
  ASSERT_TRUE(hub.gate.WaitForCaller());
  ExpectReturnsWithin(std::chrono::seconds(20), [&] { launcher.JoinAll(); });
  EXPECT_EQ(hub.Codes(), std::vector<int>{kNotifyUserToolFinished});
  EXPECT_EQ(runner.Runs().size(), 1u);
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(UserToolsDialog, ListHooksKeepToolsInStepAndSaveInOrder) {
  SettingsStore store("/nonexistent/settings.ini");
  WriteUserTools(store, {Tool("A", "a", "1", 0, 0x33), Tool("B", "b", "2"), Tool("C", "c", "3")});
  UserToolsDialogModel m;
  m.Load(store);
  EXPECT_EQ(m.RowTexts(), (std::vector<std::string>{"A", "B", "C"}));
  ASSERT_TRUE(m.Insert(1, "New"));
  m.SetProgram(1, std::string(300, 'p'));
  m.SetOption(1, kToolMinimized, true);
  m.SetOption(5, kToolMinimized, true);  // no such row: ignored
  m.Move(3, 0);                          // C to the top
  m.Erase(2);                            // rows C, A, New, B: "New" goes
  EXPECT_EQ(m.RowTexts(), (std::vector<std::string>{"C", "A", "B"}));
  m.Rename(0, "Cee");
  m.Save(store);
  std::vector<UserToolEntry> back = ReadUserTools(store);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0].menuText, "Cee");
  EXPECT_EQ(back[1].profileLow, 0x33u);
  EXPECT_EQ(store.GetProfileInt("ToolM", "Mfg3", -1), 0);
}

TEST(UserToolsDialog, FiftyAtMost) {
  UserToolsDialogModel m;
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(m.Insert(i, "t"));
  EXPECT_FALSE(m.Insert(50, "one too many"));
  EXPECT_EQ(m.Count(), 50);
  m.SetProgram(0, std::string(300, 'p'));
  EXPECT_EQ(m.Tool(0).program.size(), 256u);
}

}  // namespace
}  // namespace pm2
