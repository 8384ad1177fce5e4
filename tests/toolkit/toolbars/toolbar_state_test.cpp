#include "toolkit/toolbars/toolbar_state.h"

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "toolkit/core/persistent_tree.h"

namespace pm2 {
namespace {

TEST(ToolbarState, ButtonsBlockBytes) {
  const std::vector<SavedButton> buttons = {{57600, ""}, {0, ""}, {32750, std::string("\x96\x00", 2)}};
  const std::string block = EncodeToolbarButtons(buttons);
  const std::string expected("\x00\xE1\x00\x00\x00"
                             "\x00\x00\x00\x00\x00"
                             "\xEE\x7F\x00\x00\x02\x96\x00",
                             17);
  EXPECT_EQ(block, expected);
  std::vector<SavedButton> back;
  EXPECT_TRUE(DecodeToolbarButtons(block, &back));
  EXPECT_EQ(back, buttons);
}

TEST(ToolbarState, ACutBlockKeepsItsWholeRecords) {
  const std::string block = EncodeToolbarButtons({{57600, ""}, {32750, "ab"}, {57601, ""}});
  for (std::size_t len = 0; len < block.size(); ++len) {
    std::vector<SavedButton> back;
    const bool whole = DecodeToolbarButtons(block.substr(0, len), &back);
    const std::size_t expected = len < 5 ? 0 : len < 12 ? 1 : 2;
    EXPECT_EQ(back.size(), expected) << "cut at " << len;
    EXPECT_EQ(whole, len == 0 || len == 5 || len == 12) << "cut at " << len;
  }
}

TEST(ToolbarState, ADataLengthBeyondTheBlockIsNotRead) {
  // One record claiming 255 bytes of data with only 3 behind it.
  const std::string block("\x01\x00\x00\x00\xFF" "abc", 8);
  std::vector<SavedButton> back;
  EXPECT_FALSE(DecodeToolbarButtons(block, &back));
  EXPECT_TRUE(back.empty());
}

TEST(ToolbarState, ManagerSettingsRoundTripInTheProfile) {
  SettingsStore store("/nonexistent/settings.ini");
  struct Row {
    const char* name;
    ToolBarManagerSettings s;
  };
  const Row rows[] = {{"defaults", {}},
                      {"all off", {false, false, false}},
                      {"large buttons", {true, true, true}},
                      {"tips off only", {false, true, false}}};
  for (const Row& r : rows) {
    SaveToolBarManagerSettings(store, "Main", r.s);
    ToolBarManagerSettings back{!r.s.toolTips, !r.s.coolLook, !r.s.largeButtons};
    LoadToolBarManagerSettings(store, "Main", &back);
    EXPECT_EQ(back, r.s) << r.name;
  }
  EXPECT_EQ(store.GetProfileInt("Main-ToolBarManager", "LargeButtons", -1), 0);
}

TEST(ToolbarState, MissingSettingsKeepTheCurrentValues) {
  SettingsStore store("/nonexistent/settings.ini");
  ToolBarManagerSettings s{false, false, true};
  LoadToolBarManagerSettings(store, "Main", &s);
  EXPECT_EQ(s, (ToolBarManagerSettings{false, false, true}));
}

TEST(ToolbarState, UserToolbarIdsStopBelowTheMenuBar) {
  struct Row {
    const char* name;
    std::vector<unsigned> used;
    unsigned next;
  };
  std::vector<unsigned> all;
  for (unsigned id = kFirstUserToolBarId; id < kMenuBarId; ++id) all.push_back(id);
  const Row rows[] = {{"none used", {0xE800, 0xE805}, 0xE820},
                      {"gap filled first", {0xE820, 0xE822}, 0xE821},
                      {"all taken", all, 0}};
  for (const Row& r : rows) EXPECT_EQ(NextUserToolBarId(r.used), r.next) << r.name;
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(ToolbarState, ManagerSettingsInATreeNode) {
  SECPTNFactory f;
  SECPersistentTreeNode* root = f.CreateNode("WorkState");
  ASSERT_TRUE(SaveToolBarManagerNode(root, {false, true, true}));
  ASSERT_NE(root->FindChild("ToolBarMgr"), nullptr);
  ToolBarManagerSettings back;
  EXPECT_TRUE(LoadToolBarManagerNode(root, &back));
  EXPECT_EQ(back, (ToolBarManagerSettings{false, true, true}));
  // A missing value reads as on; a missing node gives the first-run switches.
  root->FindChild("ToolBarMgr")->DeleteKeyValue("LargeButtons");
  back = {false, false, false};
  LoadToolBarManagerNode(root, &back);
  EXPECT_TRUE(back.largeButtons);
  SECPersistentTreeNode* other = f.CreateNode("Other");
  back = {false, false, true};
  EXPECT_FALSE(LoadToolBarManagerNode(other, &back));
  EXPECT_EQ(back, (ToolBarManagerSettings{true, true, false}));
  EXPECT_FALSE(LoadToolBarManagerNode(nullptr, &back));
}

}  // namespace
}  // namespace pm2
