#include <gtest/gtest.h>

#include "toolkit/docking/workbook_layout.h"

namespace pm2 {
namespace {

const Rect kMdi{13, 40, 613, 400};

TEST(WorkbookLayout, TabPolygonsInactiveActiveAndFlat) {
  const struct {
    const char* name;
    int slot;
    bool raised, flat;
    TabPolygon pts;
  } rows[] = {
      {"first inactive tab", 0, false, false,
       {{{13, 401}, {13, 422}, {15, 424}, {101, 424}, {103, 422}, {103, 401}, {13, 401}}}},
      {"second inactive tab", 1, false, false,
       {{{103, 401}, {103, 422}, {105, 424}, {191, 424}, {193, 422}, {193, 401}, {103, 401}}}},
      {"active tab is wider and deeper", 1, true, false,
       {{{101, 401}, {101, 422}, {103, 426}, {193, 426}, {195, 422}, {195, 401}, {101, 401}}}},
      {"flat active tab is only deeper", 1, true, true,
       {{{103, 401}, {103, 422}, {105, 426}, {191, 426}, {193, 422}, {193, 401}, {103, 401}}}},
  };
  for (const auto& r : rows) EXPECT_EQ(WorkbookTabPolygon(r.slot, 90, kMdi, r.raised, r.flat), r.pts) << r.name;
}

TEST(WorkbookLayout, TabWidthShrinksWithManySheets) {
  const struct {
    int width, sheets, expected;
  } rows[] = {{600, 0, 90}, {600, 3, 90}, {600, 6, 90}, {600, 7, 86}, {600, 20, 30}};
  for (const auto& r : rows) EXPECT_EQ(WorkbookTabWidth(r.width, r.sheets), r.expected) << r.sheets;
}

TEST(WorkbookLayout, MarginsPerModeAndStyle) {
  EXPECT_EQ(WorkbookMargins(false, false), (ClientMargins{0, 0, 0, 0}));
  EXPECT_EQ(WorkbookMargins(true, false), (ClientMargins{13, 13, 13, 33}));
  EXPECT_EQ(WorkbookMargins(true, true), (ClientMargins{3, 5, 3, 30}));
}

TEST(WorkbookLayout, TextRectangleLeavesRoomForTheIcon) {
  TabPolygon p = WorkbookTabPolygon(0, 90, kMdi, false, false);
  EXPECT_EQ(WorkbookTabTextRect(p, 16), (Rect{15 + 16 + 3, 401, 101, 424}));
  EXPECT_EQ(WorkbookTabTextRect(p, 0), (Rect{18, 401, 101, 424}));
}

TEST(WorkbookLayout, HitTestFollowsTheOutline) {
  TabPolygon p = WorkbookTabPolygon(1, 90, kMdi, false, false);
  EXPECT_TRUE(WorkbookTabContains(p, {140, 410}));
  EXPECT_FALSE(WorkbookTabContains(p, {60, 410}));
  EXPECT_FALSE(WorkbookTabContains(p, {140, 430}));
  // The bevelled corner is outside.
  EXPECT_FALSE(WorkbookTabContains(p, {103, 424}));
}

TEST(WorkbookLayout, LabelsAreShortenedToFitButNotBelowThreeCharacters) {
  auto measure = [](const std::string& s) { return int(s.size()) * 7; };
  const struct {
    const char* name;
    const char* label;
    int width;
    const char* shown;
  } rows[] = {
      {"fits", "main.c", 60, "main.c"},
      {"cut", "startup_stm32f10x.s", 70, "startup..."},
      {"never below three", "abcdef", 5, "..."},
      {"short text stays", "abc", 5, "abc"},
  };
  for (const auto& r : rows) EXPECT_EQ(ShortenTabLabel(r.label, r.width, measure), r.shown) << r.name;
}

}  // namespace
}  // namespace pm2
