#include "toolkit/toolbars/toolbar_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace pm2 {
namespace {

// Buttons written as a string: 'b' a 23-wide button, 'w' a 60-wide one,
// '|' an 8-wide separator.
std::vector<LayoutItem> Parse(const std::string& s) {
  std::vector<LayoutItem> items;
  for (char c : s) {
    LayoutItem it;
    if (c == '|') {
      it.separator = true;
      it.cx = 8;
    } else if (c == 'w') {
      it.cx = 60;
    }
    items.push_back(it);
  }
  return items;
}

// Rows written back as strings, e.g. "bb|" for a row ending at a separator.
std::vector<std::string> Rows(const std::string& s, const std::vector<ToolbarRow>& rows) {
  std::vector<std::string> out;
  int first = 0;
  for (const ToolbarRow& r : rows) {
    out.push_back(s.substr(std::size_t(first), std::size_t(r.last - first + 1)));
    first = r.last + 1;
  }
  return out;
}

struct WrapRow {
  const char* name;
  std::string buttons;
  int width;
  std::vector<std::string> rows;
  Size size;
};

TEST(ToolbarLayout, WrapsAtTheWidthPreferringSeparators) {
  const WrapRow rows[] = {
      {"five buttons into 48", "bbbbb", 48, {"bb", "bb", "b"}, {46, 66}},
      {"two pixels of slack", "bb", 44, {"bb"}, {46, 22}},
      {"breaks at the separator before", "bb|bb", 60, {"bb|", "bb"}, {46, 49}},
      {"separator that does not fit ends the row", "bb|b", 46, {"bb|", "b"}, {46, 49}},
      {"over-long button keeps its own row", "bwb", 30, {"b", "w", "b"}, {60, 66}},
      {"everything in one row", "bb|bb", 0x7FFF, {"bb|bb"}, {100, 22}},
      {"no buttons", "", 100, {}, {0, 0}},
  };
  for (const WrapRow& r : rows) {
    std::vector<ToolbarRow> out;
    const auto items = Parse(r.buttons);
    WrapButtons(items, r.width, &out);
    EXPECT_EQ(Rows(r.buttons, out), r.rows) << r.name;
    EXPECT_EQ(RowsSize(out, 8), r.size) << r.name;
  }
}

struct FitRow {
  const char* name;
  std::string buttons;
  int length;
  bool vertical;
  std::vector<std::string> rows;
};

TEST(ToolbarLayout, FitsDockedAndFloatingShapes) {
  const FitRow rows[] = {
      {"docked at the top: one row", "bbb|bb|b", 0x7FFF, false, {"bbb|bb|b"}},
      {"docked at the side: one column", "bb|b", 0, true, {"b", "b|", "b"}},
      {"floating at a width, balanced", "bbbbb", 48, false, {"bb", "bb", "b"}},
      {"height of three buttons", "bbbbbb", 66, true, {"bb", "bb", "bb"}},
      {"a group moves under the widest row", "bb|bbb|b", 140, false, {"bb|", "bbb|b"}},
  };
  for (const FitRow& r : rows) {
    const ToolbarFit fit = WrapToFit(Parse(r.buttons), r.length, r.vertical, ToolbarMetricsIn{});
    EXPECT_EQ(Rows(r.buttons, fit.rows), r.rows) << r.name;
  }
}

TEST(ToolbarLayout, PlacesRowsAndMarksWrappedButtons) {
  const auto items = Parse("bb|b");
  std::vector<ToolbarRow> rows;
  WrapButtons(items, 50, &rows);
  const auto placed = PlaceRows(items, rows, {8, 2}, false, 8);
  ASSERT_EQ(placed.size(), 4u);
  EXPECT_EQ(placed[0].pos, (Point{8, 2}));
  EXPECT_EQ(placed[1].pos, (Point{31, 2}));
  EXPECT_TRUE(placed[2].wrapped);  // the separator closing the first row
  EXPECT_FALSE(placed[3].wrapped);
  // The second row starts below the first and its 5-pixel gap.
  EXPECT_EQ(placed[3].pos, (Point{8, 2 + 22 + 5}));
  // On a vertical dock the separator sits in that gap.
  const auto column = PlaceRows(items, rows, {2, 8}, true, 8);
  EXPECT_EQ(column[2].pos, (Point{2, 8 + 22 + 2}));
}

TEST(ToolbarLayout, LowerButtonsCentreInTheirRowWhenAsked) {
  std::vector<LayoutItem> items = Parse("bb");
  items[0].cy = 30;
  items[1].cy = 20;
  items[1].vcenter = true;
  std::vector<ToolbarRow> rows;
  WrapButtons(items, 100, &rows);
  const auto placed = PlaceRows(items, rows, {0, 0}, false, 8);
  EXPECT_EQ(placed[1].pos.y, 5);
  EXPECT_EQ(rows[0].cy, 30);
}

}  // namespace
}  // namespace pm2
