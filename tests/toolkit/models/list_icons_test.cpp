// The icon layout of the list engine with fixed metrics: 6-pixel
// characters, 13-pixel lines, 32x32 images, cells 60 pixels wide in a
// 200x120 client.
#include <gtest/gtest.h>

#include "fake_list_host.h"
#include "toolkit/models/list_engine.h"

namespace pm2 {
namespace {

constexpr int kCell = 60;
constexpr int kImage = 32;
constexpr int kText = 13;
constexpr int kItemHeight = kImage + kText + 5;  // image, label below it, margin

class IconFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    list.SetHost(&host);
    list.Create(LVS_ICON, 0);
    list.SetImageList(ImageListKind::Normal, {4, kImage, kImage});
    list.SetColumnWidth(0, kCell);
  }
  void Fill(int n) {
    for (int i = 0; i < n; ++i) list.InsertItemImage(list.GetItemCount(), "item" + std::to_string(i), 0);
    list.UpdateScrollBars();
  }
  Rect Cell(int i) {
    Rect r;
    return list.GetCellRect(i, 0, &r, 0) ? r : Rect{-1, -1, -1, -1};
  }

  test::FakeListHost host;
  SECListCtrlModel list;
};

TEST_F(IconFixture, CellsWrapAtTheInsideRightEdge) {
  Fill(10);
  // 10 items of 50 pixels in lines of 3 need a vertical bar, which still
  // leaves room for three 60-pixel cells.
  ASSERT_TRUE(list.VertBar().shown);
  ASSERT_EQ(list.IconsPerLine(), 3);
  struct Row {
    const char* name;
    int item;
    Rect cell;
  } rows[] = {
      {"first", 0, {0, 0, kCell, kItemHeight}},
      {"end of line", 2, {2 * kCell, 0, 3 * kCell, kItemHeight}},
      {"wrapped", 3, {0, kItemHeight, kCell, 2 * kItemHeight}},
      {"last, alone", 9, {0, 3 * kItemHeight, kCell, 4 * kItemHeight}},
  };
  for (const Row& r : rows) EXPECT_EQ(Cell(r.item), r.cell) << r.name;

  // The image is centred at the top of the cell, the label centred below.
  Rect img, label;
  ASSERT_TRUE(list.GetCellRect(0, 0, &img, 1));
  ASSERT_TRUE(list.GetCellRect(0, 0, &label, 2));
  EXPECT_EQ(img.left + img.right, kCell);
  EXPECT_EQ(label.left + label.right, kCell);
  EXPECT_EQ(label.Width(), 5 * 6);
  EXPECT_EQ(label.top, img.bottom + 2);
}

TEST_F(IconFixture, ALineIsAsHighAsItsHighestItem) {
  Fill(6);
  // Two lines of label in item 4 make line 1 taller than line 0.
  list.SetItemText(4, 0, "aaaa bbbb cccc");
  list.UpdateScrollBars();
  EXPECT_EQ(list.IconLineHeight(0), kItemHeight);
  EXPECT_EQ(list.IconLineHeight(1), kItemHeight + kText);
  EXPECT_EQ(Cell(3).Height(), kItemHeight + kText);
  EXPECT_EQ(Cell(5).top, kItemHeight);
}

TEST_F(IconFixture, HitTestsFindTheCellAndItsParts) {
  Fill(5);
  Rect img, label;
  ASSERT_TRUE(list.GetCellRect(4, 0, &img, 1));
  ASSERT_TRUE(list.GetCellRect(4, 0, &label, 2));
  struct Row {
    const char* name;
    Point pt;
    int item;
    unsigned flags;
  } rows[] = {
      {"image of item 4", {img.left + 1, img.top + 1}, 4, LVHT_ONROW | LVHT_ONITEMICON},
      {"label of item 4", {label.left + 1, label.top + 1}, 4, LVHT_ONROW | LVHT_ONITEMLABEL},
      {"beside the image", {kCell + 1, 1}, 1, LVHT_ONROW | LVHT_LEFTOFLABEL},
      {"after the last item", {2 * kCell + 5, kItemHeight + 5}, -1, LVHT_NOWHERE},
      {"right of the last cell", {3 * kCell + 5, 5}, -1, LVHT_NOWHERE},
      {"below the last line", {5, 2 * kItemHeight + 5}, -1, LVHT_NOWHERE},
  };
  for (const Row& r : rows) {
    unsigned flags = 0;
    int column = 7;
    EXPECT_EQ(list.HitTest(r.pt.x, r.pt.y, &flags, &column), r.item) << r.name;
    EXPECT_EQ(flags, r.flags) << r.name;
    EXPECT_EQ(column, r.item >= 0 ? 0 : -1) << r.name;
  }
}

TEST_F(IconFixture, ArrowsMoveThroughTheGrid) {
  Fill(10);
  list.SetFocusItem(0, true);
  struct Row {
    const char* name;
    unsigned key;
    int focus;
  } rows[] = {
      {"right", vk::Right, 1},   {"down a line", vk::Down, 4},   {"down again", vk::Down, 7},
      {"down to the short last line", vk::Down, 9},              {"nothing below", vk::Down, 9},
      {"up", vk::Up, 6},         {"left", vk::Left, 5},          {"left across lines", vk::Left, 4},
  };
  for (const Row& r : rows) {
    EXPECT_TRUE(list.OnKeyDown(r.key, false, false)) << r.name;
    EXPECT_EQ(list.GetFocusIndex(), r.focus) << r.name;
    EXPECT_EQ(list.Selection(), std::vector<int>{r.focus}) << r.name;
  }
  list.OnKeyDown(vk::Right, true, false);  // Shift extends from the anchor
  EXPECT_EQ(list.Selection(), (std::vector<int>{4, 5}));
}

TEST_F(IconFixture, ScrollingCountsLinesAndKeepsTheTopAtALineStart) {
  Fill(10);
  const ScrollBarState& v = list.VertBar();
  EXPECT_EQ(v.max, 3);   // four lines
  EXPECT_EQ(v.page, 2);  // two 50-pixel lines fit in 101 pixels
  list.EnsureVisible(9);
  EXPECT_EQ(list.GetTopIndex(), 6);
  EXPECT_EQ(list.GetBottomIndex(), 9);
  EXPECT_EQ(Cell(9).top, kItemHeight);
  list.OnVScroll(ScrollCode::LineUp);
  EXPECT_EQ(list.GetTopIndex(), 3);
  EXPECT_EQ(list.GetBottomIndex(), 8);
  list.EnsureVisible(0);
  EXPECT_EQ(list.GetTopIndex(), 0);
  list.OnVScroll(ScrollCode::Bottom);
  EXPECT_EQ(list.GetTopIndex(), 6);

  // Narrower: two cells a line; the top moves back to its line's start
  // and column 0 keeps its cell width instead of filling the window.
  host.client = {0, 0, 150, 120};
  list.OnSize();
  EXPECT_EQ(list.GetColumnWidth(0), kCell);
  EXPECT_EQ(list.IconsPerLine(), 2);
  EXPECT_EQ(list.GetTopIndex() % 2, 0);
  EXPECT_EQ(list.VertBar().max, 4);
}

}  // namespace
}  // namespace pm2
