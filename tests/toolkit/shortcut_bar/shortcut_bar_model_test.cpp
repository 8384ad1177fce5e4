// The shortcut bar's model without a window: geometry, hit tests, drop
// spots, the hot/pressed state machine, scrolling, the drag payload and
// the marker's shape. Text is measured with fixed metrics (6 x 13 pixels a
// character), large icons are 32 pixels, small ones 16.

#include <gtest/gtest.h>

#include "toolkit/models/fake_list_host.h"
#include "toolkit/shortcut_bar/shortcut_drag.h"
#include "toolkit/shortcut_bar/shortcut_list_model.h"

namespace pm2 {
namespace {

using test::FakeListHost;
using test::RecordingListener;

class RecordingBar : public RecordingListener {
 public:
  std::vector<std::pair<int, int>> events;  // (code, item)
  NotifyResult OnNotify(NotifyHeader& hdr) override {
    if (hdr.code == NM_CLICK || hdr.code == kShortcutNotifyItemClick || hdr.code == kShortcutNotifyDrop) {
      events.push_back({hdr.code, reinterpret_cast<NMSHORTCUT&>(hdr).item});
    }
    return RecordingListener::OnNotify(hdr);
  }
};

// A bar 100 x 200 with `items` items labelled "Item<n>". In large-icon
// mode every item is a 12-pixel gap and a 50-pixel row (icon 32 at +2,
// label 13 high at +36): rows start at 12, 74, 136, 198, ...
struct Bar {
  FakeListHost host;
  RecordingBar owner;
  SECShortcutListBase bar;
  explicit Bar(int items, bool large = true) {
    host.client = {0, 0, 100, 200};
    bar.SetHost(&host);
    bar.SetNotifyListener(&owner);
    bar.Create(large ? LVS_ICON : LVS_REPORT, 0);
    bar.SetImageList(ImageListKind::Normal, {4, 32, 32});
    bar.SetImageList(ImageListKind::Small, {4, 16, 16});
    for (int i = 0; i < items; ++i) bar.InsertItemImage(i, "Item" + std::to_string(i), i % 4);
    bar.RecalcLayout();
  }
};

TEST(ShortcutBarLayout, LargeIconRowsLeaveAGapAboveEachItem) {
  Bar b(4);
  const auto items = b.bar.VisibleItems();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].row, (Rect{0, 12, 100, 62}));
  EXPECT_EQ(items[1].row, (Rect{0, 74, 100, 124}));
  EXPECT_EQ(items[0].icon, (Rect{34, 14, 66, 46}));
  // "Item0" is 30 pixels wide, centred under the icon.
  EXPECT_EQ(items[0].label, (Rect{35, 48, 65, 61}));
  EXPECT_EQ(b.bar.UpButton().rect, (Rect{78, 5, 95, 22}));
  EXPECT_EQ(b.bar.DownButton().rect, (Rect{78, 178, 95, 195}));
  EXPECT_FALSE(b.bar.UpButtonShown());
  EXPECT_TRUE(b.bar.DownButtonShown());  // item 3 ends at 248
}

struct HitRow {
  const char* name;
  int first;  // first visible item
  Point pt;
  int index;
  unsigned flags;
};

class ShortcutBarHitTest : public ::testing::TestWithParam<HitRow> {};

TEST_P(ShortcutBarHitTest, Large) {
  const HitRow& row = GetParam();
  Bar b(8);
  for (int i = 0; i < row.first; ++i) b.bar.ScrollDown();
  unsigned flags = 0;
  EXPECT_EQ(b.bar.BarHitTest(row.pt.x, row.pt.y, &flags), row.index);
  EXPECT_EQ(flags, row.flags);
}

const HitRow kHitRows[] = {
    {"Icon", 0, {50, 20}, 0, LVHT_ONITEMICON},
    {"Label", 0, {50, 55}, 0, LVHT_ONITEMLABEL},
    {"LeftOfLabel", 0, {5, 55}, 0, LVHT_LEFTOFLABEL},
    {"RightOfLabel", 0, {70, 55}, 0, LVHT_RIGHTOFLABEL},
    {"BetweenIconAndLabelIsNoFlag", 0, {50, 47}, 0, LVHT_NOWHERE},
    {"GapBelongsToNoItem", 0, {50, 65}, -1, LVHT_NOWHERE},
    {"SecondItemIcon", 0, {50, 80}, 1, LVHT_ONITEMICON},
    {"DownButton", 0, {85, 185}, kShortcutHitDown, LVHT_NOWHERE},
    {"HiddenUpButtonIsTheBar", 0, {85, 10}, -1, LVHT_NOWHERE},
    {"UpButtonAfterScrolling", 1, {85, 10}, kShortcutHitUp, LVHT_NOWHERE},
    {"ScrolledRowsStartAtTheFirstVisible", 2, {50, 20}, 2, LVHT_ONITEMICON},
    {"RightOfTheBar", 0, {105, 50}, -1, LVHT_TORIGHT},
    {"LeftOfTheBar", 0, {-1, 50}, -1, LVHT_TOLEFT},
    {"BelowTheBar", 0, {50, 200}, -1, LVHT_BELOW},
    {"AboveTheBar", 0, {50, -1}, -1, LVHT_ABOVE},
};
INSTANTIATE_TEST_SUITE_P(Rows, ShortcutBarHitTest, ::testing::ValuesIn(kHitRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShortcutBarHitTestSmall, UsesTheListRowsBesideSmallIcons) {
  Bar b(3, false);
  unsigned flags = 0;
  // Rows are 16 high; the icon at 2..18, the label from 23.
  EXPECT_EQ(b.bar.BarHitTest(10, 20, &flags), 1);
  EXPECT_EQ(flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL), LVHT_ONITEMICON);
  EXPECT_EQ(b.bar.BarHitTest(30, 40, &flags), 2);
  EXPECT_EQ(flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL), LVHT_ONITEMLABEL);
  EXPECT_EQ(b.bar.BarHitTest(30, 120, &flags), -1);
}

struct DropRow {
  const char* name;
  int items;
  int first;
  int y;
  int insertBefore;
  Rect marker;
  int code;
};

class ShortcutBarDropSpot : public ::testing::TestWithParam<DropRow> {};

TEST_P(ShortcutBarDropSpot, Large) {
  const DropRow& row = GetParam();
  Bar b(row.items);
  for (int i = 0; i < row.first; ++i) b.bar.ScrollDown();
  const ShortcutDropSpot spot = b.bar.DropSpotAt(row.y);
  EXPECT_EQ(spot.insertBefore, row.insertBefore);
  EXPECT_EQ(spot.marker, row.marker);
  EXPECT_EQ(spot.code, row.code);
}

const DropRow kDropRows[] = {
    {"TopGapGoesFirst", 3, 0, 5, 0, {0, 0, 100, 12}, 0},
    {"TopGapBothEndsIncluded", 3, 0, 12, 0, {0, 0, 100, 12}, 0},
    {"GapBelowFirstItemStart", 3, 0, 62, 1, {0, 62, 100, 74}, 0},
    {"GapBelowFirstItemEnd", 3, 0, 74, 1, {0, 62, 100, 74}, 0},
    {"GapBelowTheSecondItem", 3, 0, 130, 2, {0, 124, 100, 136}, 0},
    {"GapAfterTheLastItemAppends", 3, 0, 190, 3, {0, 186, 100, 198}, 0},
    {"BelowEverythingAppends", 3, 0, 250, 3, {0, 186, 100, 198}, 0},
    {"ScrolledTopGapIsBeforeTheFirstVisible", 8, 2, 5, 2, {0, 0, 100, 12}, 0},
    {"EmptyBarFirstGapMarkerAtItsBottom", 0, 0, 50, 0, {0, 0, 100, 12}, -1},
};
INSTANTIATE_TEST_SUITE_P(Rows, ShortcutBarDropSpot, ::testing::ValuesIn(kDropRows),
                         [](const auto& info) { return std::string(info.param.name); });

// --- clicks, drags and hovering ---------------------------------------------------

struct ClickRow {
  const char* name;
  Point press;
  Point move;        // with the left button down
  Point release;
  int dragItem;      // what the move starts
  std::vector<std::pair<int, int>> events;
};

class ShortcutBarClick : public ::testing::TestWithParam<ClickRow> {};

TEST_P(ShortcutBarClick, PressMoveRelease) {
  const ClickRow& row = GetParam();
  Bar b(4);
  b.bar.BarLButtonDown(row.press.x, row.press.y);
  EXPECT_EQ(b.bar.BarMouseMove(row.move.x, row.move.y, true), row.dragItem);
  if (row.dragItem < 0) b.bar.BarLButtonUp(row.release.x, row.release.y);
  EXPECT_EQ(b.owner.events, row.events);
  if (row.dragItem >= 0) return;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(b.bar.GetItemHotState(i) & kShortcutPressed, 0u) << i;
}

const ClickRow kClickRows[] = {
    {"StillWithinFourPixelsIsAClick", {50, 20}, {54, 24}, {54, 24}, -1, {{NM_CLICK, 0}, {1101, 0}}},
    {"FourPixelsLeftAndUpIsAClick", {50, 20}, {45, 15}, {45, 15}, -1, {{NM_CLICK, 0}, {1101, 0}}},
    {"FivePixelsRightStartsADrag", {50, 20}, {55, 20}, {55, 20}, 0, {}},
    {"SixPixelsUpStartsADrag", {50, 55}, {50, 49}, {50, 49}, 0, {}},
    {"PressBesideTheLabelNeverDrags", {5, 55}, {30, 55}, {5, 55}, -1, {{NM_CLICK, 0}}},
    {"ReleaseOnAnotherItemClicksThatItem", {50, 20}, {51, 21}, {50, 80}, -1, {{NM_CLICK, 1}, {1101, 1}}},
    {"ReleaseInAGapNotifiesNothing", {50, 20}, {51, 21}, {50, 65}, -1, {}},
};
INSTANTIATE_TEST_SUITE_P(Rows, ShortcutBarClick, ::testing::ValuesIn(kClickRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShortcutBarState, PressSinksTheIconAndReleaseMakesItHot) {
  Bar b(4);
  b.bar.BarMouseMove(50, 20, false);
  EXPECT_EQ(b.bar.GetItemHotState(0), kShortcutHot);
  b.bar.BarLButtonDown(50, 20);
  EXPECT_EQ(b.bar.GetItemHotState(0), kShortcutPressed);
  b.bar.BarLButtonUp(50, 20);
  EXPECT_EQ(b.bar.GetItemHotState(0), kShortcutHot);
  EXPECT_EQ(b.bar.HotItem(), 0);
  // A release with no press pending does nothing.
  b.bar.BarLButtonUp(50, 80);
  EXPECT_EQ(b.owner.events.size(), 2u);
}

TEST(ShortcutBarState, AfterADragTheItemTurnsHotAgain) {
  Bar b(4);
  b.bar.BarLButtonDown(50, 20);
  ASSERT_EQ(b.bar.BarMouseMove(50, 40, true), 0);
  b.bar.SetItemHotState(0, 0);  // the drag data is taken
  b.bar.ForgetPress();          // the drag has ended
  b.bar.BarMouseMove(50, 20, false);
  EXPECT_EQ(b.bar.GetItemHotState(0), kShortcutHot);
}

TEST(ShortcutBarState, HotFollowsTheMouseAndLeavingClearsItAtTheNextTick) {
  Bar b(4);
  b.bar.BarMouseMove(50, 20, false);
  EXPECT_EQ(b.host.timers[kShortcutHoverTimer], kShortcutHoverMs);
  b.bar.BarMouseMove(50, 80, false);
  EXPECT_EQ(b.bar.GetItemHotState(0), 0u);
  EXPECT_EQ(b.bar.GetItemHotState(1), kShortcutHot);
  // The mouse left the window: the tick clears the hot item and stops.
  b.bar.BarTimer({150, 80}, false);
  EXPECT_EQ(b.bar.GetItemHotState(1), 0u);
  EXPECT_EQ(b.bar.HotItem(), -1);
  EXPECT_EQ(b.host.timers.count(kShortcutHoverTimer), 0u);
}

TEST(ShortcutBarState, KillFocusClearsTheHotItem) {
  Bar b(4);
  b.bar.BarMouseMove(50, 80, false);
  b.bar.BarKillFocus();
  EXPECT_EQ(b.bar.GetItemHotState(1), 0u);
}

TEST(ShortcutBarScroll, HeldDownButtonScrollsEveryTickUntilTheMouseLeavesIt) {
  Bar b(8);
  b.bar.BarLButtonDown(85, 185);
  EXPECT_EQ(b.bar.FirstVisible(), 1);
  EXPECT_TRUE(b.bar.DownButton().pressed);
  EXPECT_EQ(b.host.timers[kShortcutHoverTimer], kShortcutHoverMs);
  b.bar.BarTimer({85, 185}, true);
  EXPECT_EQ(b.bar.FirstVisible(), 2);
  EXPECT_EQ(b.host.timers[kShortcutHoverTimer], kShortcutHoverMs);
  b.bar.BarMouseMove(50, 185, true);
  EXPECT_FALSE(b.bar.DownButton().pressed);
  b.bar.BarTimer({50, 185}, true);
  EXPECT_EQ(b.bar.FirstVisible(), 2);
  b.bar.BarMouseMove(85, 185, true);
  b.bar.BarTimer({85, 185}, true);
  EXPECT_EQ(b.bar.FirstVisible(), 3);
  b.bar.BarLButtonUp(85, 185);
  EXPECT_FALSE(b.bar.DownButton().pressed);
  b.bar.BarTimer({85, 185}, true);
  EXPECT_EQ(b.bar.FirstVisible(), 3);
}

TEST(ShortcutBarScroll, StopsWhenTheLastItemIsInView) {
  Bar b(5);  // rows to 310: two steps bring item 4 (to 186) into view
  for (int i = 0; i < 10; ++i) b.bar.ScrollDown();
  EXPECT_EQ(b.bar.FirstVisible(), 2);
  EXPECT_FALSE(b.bar.DownButtonShown());
  for (int i = 0; i < 10; ++i) b.bar.ScrollUp();
  EXPECT_EQ(b.bar.FirstVisible(), 0);
}

TEST(ShortcutBarScroll, WheelScrollsOnlyWithTheCursorInside) {
  Bar b(8);
  EXPECT_TRUE(b.bar.BarWheel(-120, true));
  EXPECT_EQ(b.bar.FirstVisible(), 1);
  EXPECT_TRUE(b.bar.BarWheel(-120, false));
  EXPECT_EQ(b.bar.FirstVisible(), 1);
  EXPECT_EQ(b.bar.LastWheelDelta(), -120);
  b.bar.BarWheel(0, true);
  EXPECT_EQ(b.bar.FirstVisible(), 0);
}

// --- items moving in and out ----------------------------------------------------------

struct ImageRow {
  const char* name;
  int image;
  int stored;
};

class ShortcutBarDroppedImage : public ::testing::TestWithParam<ImageRow> {};

TEST_P(ShortcutBarDroppedImage, OutsideTheImageListBecomesZero) {
  Bar b(1);
  const int i = b.bar.InsertDroppedItem(1, "X", GetParam().image, 7);
  EXPECT_EQ(b.bar.GetItemRecord(i)->image, GetParam().stored);
  EXPECT_EQ(b.bar.GetItemData(i), 7);
}

const ImageRow kImageRows[] = {
    {"LastImage", 3, 3}, {"EqualToTheCount", 4, 0}, {"BeyondTheCount", 10, 0}, {"Negative", -1, 0}};
INSTANTIATE_TEST_SUITE_P(Rows, ShortcutBarDroppedImage, ::testing::ValuesIn(kImageRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShortcutBarItems, AMoveWithinTheBarRemovesTheSourceRowByIdentity) {
  Bar b(3);
  const SECListItem* source = b.bar.GetItemRecord(2);
  // Dropped in front of itself: the source's index has shifted to 3.
  b.bar.InsertDroppedItem(0, "Item2", 2, 0);
  EXPECT_TRUE(b.bar.RemoveItemRecord(source));
  ASSERT_EQ(b.bar.GetItemCount(), 3);
  EXPECT_EQ(b.bar.GetItemText(0, 0), "Item2");
  EXPECT_EQ(b.bar.GetItemText(1, 0), "Item0");
  EXPECT_EQ(b.bar.GetItemText(2, 0), "Item1");
  EXPECT_FALSE(b.bar.RemoveItemRecord(source));
}

TEST(ShortcutBarItems, RemovingItemsForgetsTheHotItem) {
  Bar b(3);
  b.bar.BarMouseMove(50, 80, false);
  b.bar.RemoveItem(0);
  EXPECT_EQ(b.bar.HotItem(), -1);
  b.bar.DeleteAllItems();
  EXPECT_FALSE(b.bar.DownButtonShown());
  EXPECT_TRUE(b.bar.VisibleItems().empty());
}

// --- the drag payload ------------------------------------------------------------------

TEST(ShortcutDragPayload, CarriesTheTextItselfAndSurvivesARoundTrip) {
  ShortcutDragItem item;
  item.source[0] = 0xAB;
  item.source[15] = 0x01;
  item.text = std::string("Flash\0Tool", 10);
  item.image = -3;
  item.param = -123456789012;
  const std::string block = EncodeShortcutDrag(item);
  EXPECT_EQ(block.size(), 36u + 10u);
  ShortcutDragItem back;
  std::string error;
  ASSERT_TRUE(DecodeShortcutDrag(block, &back, &error)) << error;
  EXPECT_EQ(back.source, item.source);
  EXPECT_EQ(back.text, item.text);
  EXPECT_EQ(back.image, -3);
  EXPECT_EQ(back.param, item.param);
}

TEST(ShortcutDragPayload, EveryCutOfABlockIsRefused) {
  ShortcutDragItem item;
  item.text = "Debug";
  const std::string block = EncodeShortcutDrag(item);
  for (std::size_t n = 0; n < block.size(); ++n) {
    ShortcutDragItem back;
    std::string error;
    EXPECT_FALSE(DecodeShortcutDrag(block.substr(0, n), &back, &error)) << n;
    EXPECT_FALSE(error.empty());
  }
  std::string error;
  ShortcutDragItem back;
  EXPECT_FALSE(DecodeShortcutDrag(block.substr(0, 20), &back, &error));
  EXPECT_EQ(error, "The dragged shortcut item is damaged: its block has 20 bytes, fewer than 36.");
  EXPECT_FALSE(DecodeShortcutDrag(block.substr(0, 38), &back, &error));
  EXPECT_EQ(error, "The dragged shortcut item is damaged: its text should have 5 bytes but has 2.");
  std::string badMask = block;
  badMask[16] = 3;
  EXPECT_FALSE(DecodeShortcutDrag(badMask, &back, &error));
  EXPECT_EQ(error, "The dragged shortcut item is damaged: its mask is not 7.");
}

}  // namespace
}  // namespace pm2
