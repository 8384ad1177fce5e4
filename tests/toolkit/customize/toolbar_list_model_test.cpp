// The rules of the toolbar customisation dialogs without a window.
#include "toolkit/customize/toolbar_list_model.h"

#include <gtest/gtest.h>

#include "toolkit/toolbars/toolbar_state.h"

namespace pm2 {
namespace {

std::vector<unsigned> Ids(const ToolBarListModel& m) {
  std::vector<unsigned> ids;
  for (const auto& r : m.Rows()) ids.push_back(r.id);
  return ids;
}

ToolBarListModel ThreeBars(int selected) {
  ToolBarListModel m;
  // Given out of order: the list shows bars by id.
  m.Reset({{0xE821, "Mine", true}, {0xE800, "File", true}, {0xE806, "Build", false}});
  m.Select(selected);
  return m;
}

TEST(ToolBarListModel, RowsAreSortedById) {
  EXPECT_EQ(Ids(ThreeBars(0)), (std::vector<unsigned>{0xE800, 0xE806, 0xE821}));
}

struct NotifyRow {
  const char* name;
  int selectedBefore;
  BarNotify code;
  unsigned id;
  std::vector<unsigned> ids;
  int selectedAfter;
};

class ToolBarListNotify : public testing::TestWithParam<NotifyRow> {};

TEST_P(ToolBarListNotify, FollowsTheBars) {
  const NotifyRow& row = GetParam();
  ToolBarListModel m = ThreeBars(row.selectedBefore);
  m.Notify(row.code, row.id, "New");
  EXPECT_EQ(Ids(m), row.ids);
  EXPECT_EQ(m.Selected(), row.selectedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToolBarListNotify,
    testing::Values(
        NotifyRow{"AddedGoesBeforeTheFirstLargerId", 2, BarNotify::Added, 0xE820, {0xE800, 0xE806, 0xE820, 0xE821}, 3},
        NotifyRow{"AddedLastWhenItsIdIsLargest", 0, BarNotify::Added, 0xE830, {0xE800, 0xE806, 0xE821, 0xE830}, 0},
        NotifyRow{"AddedTwiceIsOneRow", 0, BarNotify::Added, 0xE806, {0xE800, 0xE806, 0xE821}, 0},
        NotifyRow{"RemovingTheSelectedSelectsTheNext", 1, BarNotify::Removed, 0xE806, {0xE800, 0xE821}, 1},
        NotifyRow{"RemovingTheLastSelectedSelectsTheOneBefore", 2, BarNotify::Removed, 0xE821, {0xE800, 0xE806}, 1},
        NotifyRow{"RemovingARowBeforeTheSelectionKeepsItsBar", 2, BarNotify::Removed, 0xE800, {0xE806, 0xE821}, 1},
        NotifyRow{"RemovingAnUnknownBarChangesNothing", 1, BarNotify::Removed, 0xE8AA, {0xE800, 0xE806, 0xE821}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToolBarListModel, ShownAndHiddenSetTheCheck) {
  ToolBarListModel m = ThreeBars(0);
  m.Notify(BarNotify::Shown, 0xE806);
  m.Notify(BarNotify::Hidden, 0xE800);
  EXPECT_TRUE(m.Rows()[1].checked);
  EXPECT_FALSE(m.Rows()[0].checked);
  EXPECT_TRUE(m.Rows()[2].checked);
}

TEST(ToolBarListModel, TheMenuBarStaysChecked) {
  ToolBarListModel m;
  m.Reset({{0xE800, "File", true}, {kMenuBarId, "Menu Bar", true}});
  EXPECT_FALSE(m.ToggleCheck(0));
  EXPECT_TRUE(m.ToggleCheck(1));
  EXPECT_TRUE(m.Rows()[1].checked);
  EXPECT_FALSE(m.ToggleCheck(7));  // no such row
}

TEST(ToolBarListModel, RenameCutsTheTitle) {
  ToolBarListModel m = ThreeBars(2);
  EXPECT_TRUE(m.Rename(2, std::string(200, 'x')));
  EXPECT_EQ(m.Rows()[2].title, std::string(128, 'x'));
  EXPECT_FALSE(m.Rename(3, "none"));
}

struct IdRow {
  const char* name;
  unsigned id;
  bool user;
  unsigned label;
};

class ToolBarKinds : public testing::TestWithParam<IdRow> {};

TEST_P(ToolBarKinds, UserToolBarsAreDeletedOthersReset) {
  EXPECT_EQ(IsUserToolBarId(GetParam().id), GetParam().user);
  EXPECT_EQ(ResetDeleteLabel(GetParam().id), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(Rows, ToolBarKinds,
                         testing::Values(IdRow{"Predefined", 0xE800, false, kIdsResetToolBar},
                                         IdRow{"LastBelowUserRange", 0xE81F, false, kIdsResetToolBar},
                                         IdRow{"FirstUser", 0xE820, true, kIdsDeleteToolBar},
                                         IdRow{"LastUser", 0xE8FE, true, kIdsDeleteToolBar},
                                         IdRow{"MenuBar", kMenuBarId, false, kIdsResetToolBar}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ToolBarNames, LongNamesAreCutEmptyOnesRefused) {
  std::string name(200, 'n');
  EXPECT_TRUE(ClipToolBarName(&name));
  EXPECT_EQ(name.size(), 128u);
  std::string exact(128, 'n');
  EXPECT_FALSE(ClipToolBarName(&exact));
  EXPECT_FALSE(NewToolBarNameAcceptable(""));
  EXPECT_TRUE(NewToolBarNameAcceptable(" "));
}

TEST(CommandGroups, WindowIdsCountDownSkippingTheDockBarIds) {
  const std::vector<unsigned> ids = CommandGroupWindowIds(0xE8FE - 0xE820 + 2);
  EXPECT_EQ(ids.front(), 0xE8FEu);
  EXPECT_EQ(ids[1], 0xE8FDu);
  for (unsigned id : ids) EXPECT_TRUE(id < 0xE81B || id > 0xE81F) << std::hex << id;
  // The group after 0xE820 skips five ids.
  EXPECT_EQ(ids[ids.size() - 2], 0xE820u);
  EXPECT_EQ(ids.back(), 0xE81Au);
}

}  // namespace
}  // namespace pm2
