// The frame's default shortcuts against the keys its menus show, and the
// stored placement of an editor window.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "shell/frame/frame_accelerators.h"
#include "shell/frame/shell_resources.h"
#include "shell/frame/window_placement.h"

namespace pm2 {
namespace {

// Every "text\tKey" item of the frame's and the editor window's menus.
void CollectKeys(const std::vector<MenuEntry>& entries, std::multimap<std::string, CommandId>* out) {
  for (const MenuEntry& e : entries) {
    if (e.kind == MenuEntry::Kind::Popup) CollectKeys(e.children, out);
    if (e.kind != MenuEntry::Kind::Item) continue;
    const std::size_t tab = e.text.find('\t');
    if (tab != std::string::npos) out->emplace(e.text.substr(tab + 1), e.id);
  }
}

TEST(FrameAccelerators, EveryKeyAMenuShowsRunsThatItemsCommand) {
  std::multimap<std::string, CommandId> shown;
  for (unsigned menu : {kMainMenuId, kEditorMenuId}) CollectKeys(*ShellResources().Menu(menu), &shown);
  ASSERT_GT(shown.size(), 20u);
  for (const auto& [key, id] : shown) {
    SCOPED_TRACE(key);
    CommandId bound = 0;
    for (const ACCEL& a : DefaultFrameAccelerators())
      if (FrameKeyName(a) == key) bound = a.cmd;
    EXPECT_EQ(bound, id);
  }
}

TEST(FrameAccelerators, NoKeyIsBoundTwice) {
  const AccelTable& table = DefaultFrameAccelerators();
  for (std::size_t i = 0; i < table.size(); ++i)
    for (std::size_t j = i + 1; j < table.size(); ++j)
      EXPECT_FALSE(table[i].fVirt == table[j].fVirt && table[i].key == table[j].key) << FrameKeyName(table[i]);
}

TEST(FrameAccelerators, F10IsStepOverSoTheMenuBarLetsItThrough) {
  EXPECT_EQ(FindAccelCommand(DefaultFrameAccelerators(), FVIRTKEY, 121), 32795);
}

struct PlacementRow {
  const char* name;
  WindowPlacementRec rec;
};

class PlacementRoundTrip : public ::testing::TestWithParam<PlacementRow> {};

TEST_P(PlacementRoundTrip, DecodesWhatItEncodes) {
  std::uint8_t bytes[kWindowPlacementBytes];
  EncodePlacement(GetParam().rec, bytes);
  EXPECT_EQ(bytes[0], 44);  // the length field marks a stored placement
  WindowPlacementRec back;
  ASSERT_TRUE(DecodePlacement(bytes, &back));
  EXPECT_EQ(back.showCmd, GetParam().rec.showCmd);
  EXPECT_EQ(back.left, GetParam().rec.left);
  EXPECT_EQ(back.top, GetParam().rec.top);
  EXPECT_EQ(back.right, GetParam().rec.right);
  EXPECT_EQ(back.bottom, GetParam().rec.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlacementRoundTrip,
    ::testing::Values(PlacementRow{"Normal", {0, 1, -1, -1, -1, -1, 10, 20, 610, 420}},
                      PlacementRow{"Maximised", {0, 3, -1, -1, -1, -1, 0, 0, 800, 500}},
                      PlacementRow{"LeftOfTheArea", {0, 1, -1, -1, -1, -1, -300, -20, 100, 200}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowPlacement, RefusesBytesWithoutAPlacement) {
  std::uint8_t bytes[kWindowPlacementBytes] = {};
  WindowPlacementRec rec;
  rec.left = 7;
  EXPECT_FALSE(DecodePlacement(bytes, &rec));  // an unset record: all zero
  EXPECT_EQ(rec.left, 7);
  EncodePlacement({0, 1, -1, -1, -1, -1, 50, 50, 50, 90}, bytes);
  EXPECT_FALSE(DecodePlacement(bytes, &rec));  // an empty rectangle
}

}  // namespace
}  // namespace pm2
