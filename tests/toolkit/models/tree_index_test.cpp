// The tree's node-to-row index against a plain search of every row, after
// seeded random inserts, deletes, expands, collapses, sorted inserts,
// hidden subtrees and caret moves; and the cache of measured label sizes.
#include <gtest/gtest.h>

#include <random>

#include "fake_list_host.h"
#include "toolkit/models/measure_cache.h"
#include "toolkit/models/tree_engine.h"

namespace pm2 {
namespace {

using test::FakeListHost;

// Every node of the tree, in order (hidden and collapsed ones included).
std::vector<HTREEITEM> AllNodes(SECTreeBaseC& tree) {
  std::vector<HTREEITEM> out;
  for (HTREEITEM n = tree.GetNextItemInOrder(nullptr); n; n = tree.GetNextItemInOrder(n)) out.push_back(n);
  return out;
}

// The index answers as the search does, for every node and a start row.
void ExpectIndexMatchesSearch(SECTreeBaseC& tree, std::mt19937& rng, const std::string& where) {
  const std::vector<HTREEITEM> nodes = AllNodes(tree);
  for (HTREEITEM n : nodes) {
    ASSERT_EQ(tree.GetRowOfItem(n), tree.FindRowLinear(n)) << where;
    const int from = int(rng() % unsigned(tree.GetItemCount() + 2)) - 1;
    ASSERT_EQ(tree.GetRowOfItem(n, from), tree.FindRowLinear(n, from)) << where << " from row " << from;
  }
  for (int r = 0; r < tree.GetItemCount(); ++r) ASSERT_EQ(tree.GetRowOfItem(tree.GetItemAtRow(r)), r) << where;
}

struct StressRow {
  const char* name;
  unsigned seed;
  int steps;
  int maxNodes;
  unsigned exStyle;
};

class TreeIndexStress : public ::testing::TestWithParam<StressRow> {};

TEST_P(TreeIndexStress, IndexedRowsMatchTheSearch) {
  const StressRow& row = GetParam();
  FakeListHost host;
  SECTreeCtrlModel tree;
  tree.SetHost(&host);
  tree.Create(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, row.exStyle);
  std::mt19937 rng(row.seed);
  auto pick = [&](const std::vector<HTREEITEM>& v) { return v[rng() % v.size()]; };
  int made = 0;
  for (int step = 0; step < row.steps; ++step) {
    const std::vector<HTREEITEM> nodes = AllNodes(tree);
    const unsigned op = rng() % 100;
    std::string what;
    if (nodes.empty() || (op < 45 && int(nodes.size()) < row.maxNodes)) {
      TreeInsert ins;
      ins.parent = nodes.empty() || rng() % 5 == 0 ? nullptr : pick(nodes);
      static const HTREEITEM kPlaces[] = {TVI_FIRST(), TVI_LAST(), TVI_SORT(), TVI_SORT_DESCENDING(), nullptr};
      ins.insertAfter = kPlaces[rng() % 5];
      // After a sibling: one of the parent's children, when it has any.
      if (!ins.insertAfter) {
        std::vector<HTREEITEM> kids;
        for (HTREEITEM c = tree.GetChildItem(ins.parent); c; c = tree.GetNextSiblingItem(c)) kids.push_back(c);
        ins.insertAfter = kids.empty() ? TVI_LAST() : pick(kids);
      }
      ins.item.mask = TVIF_TEXT | TVIF_STATE;
      ins.item.text = std::string(1, char('a' + rng() % 26)) + std::to_string(made++);
      ins.item.state = rng() % 3 == 0 ? TVIS_EXPANDED : 0;
      ins.item.stateMask = TVIS_EXPANDED;
      ASSERT_NE(tree.InsertItem(ins), nullptr);
      what = "insert";
    } else if (op < 55) {
      tree.DeleteItem(pick(nodes));
      what = "delete";
    } else if (op < 68) {
      tree.Expand(pick(nodes), TVE_EXPAND, rng() % 2 == 0);
      what = "expand";
    } else if (op < 80) {
      tree.Expand(pick(nodes), rng() % 6 == 0 ? TVE_COLLAPSE | TVE_COLLAPSERESET : TVE_COLLAPSE);
      what = "collapse";
    } else if (op < 85) {
      tree.Expand(pick(nodes), TVE_TOGGLE);
      what = "toggle";
    } else if (op < 88) {
      tree.ExpandAll(rng() % 3 == 0 ? nullptr : pick(nodes), false);
      what = "expand all";
    } else if (op < 93) {
      HTREEITEM n = pick(nodes);
      tree.SetItemExState(n, tree.GetItemExState(n) & 0x200 ? 0 : 0x200);  // hides or shows a subtree
      what = "hide";
    } else if (op < 97) {
      tree.SelectItem(pick(nodes));  // expands the way to the item
      what = "select";
    } else if (op < 98) {
      tree.DeleteAllItems();
      what = "delete all";
    } else {
      tree.EnsureVisible(pick(nodes), true);
      what = "ensure visible";
    }
    ExpectIndexMatchesSearch(tree, rng, "step " + std::to_string(step) + " (" + what + ")");
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, TreeIndexStress,
                         ::testing::Values(StressRow{"small", 1, 1500, 40, 0},
                                           StressRow{"bigger", 7, 1500, 160, 0},
                                           StressRow{"multiselect", 42, 1200, 100, TVXS_MULTISEL},
                                           StressRow{"animated", 2024, 800, 80, TVXS_ANIMATE}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TreeIndex, RowGivenAnotherNodeThroughTheListIsFoundAsBySearch) {
  FakeListHost host;
  SECTreeCtrlModel tree;
  tree.SetHost(&host);
  tree.Create(0, 0);
  HTREEITEM a = tree.InsertItem("a");
  HTREEITEM b = tree.InsertItem("b");
  ListItemDesc d;
  d.mask = LVIF_PARAM;
  d.item = 0;
  d.param = reinterpret_cast<std::intptr_t>(b);
  tree.SetItem(d, false);
  EXPECT_EQ(tree.GetRowOfItem(a), -1);
  EXPECT_EQ(tree.GetRowOfItem(b), 0);
  EXPECT_EQ(tree.GetRowOfItem(b, 1), 1);
}

// The first rows of a long list, then a run of inserts in the middle and
// deletes there: every record's row stays right.
TEST(ListRowNumbers, RecordsKnowTheirRowsAfterInsertsAndDeletes) {
  FakeListHost host;
  SECListCtrlModel list;
  list.SetHost(&host);
  list.Create(LVS_REPORT, 0);
  std::mt19937 rng(5);
  for (int step = 0; step < 600; ++step) {
    const int n = list.GetItemCount();
    if (n < 5 || rng() % 3 != 0) list.InsertItemText(int(rng() % unsigned(n + 1)), "x");
    else list.DeleteItems(int(rng() % unsigned(n)), 1 + int(rng() % 3));
    for (int r = int(rng() % unsigned(list.GetItemCount())); r < list.GetItemCount(); r += 7)
      ASSERT_EQ(list.RowOfRecord(list.GetItemRecord(r)), r) << "step " << step;
  }
  list.DeleteAllItems();
  list.InsertItemText(0, "y");
  EXPECT_EQ(list.RowOfRecord(list.GetItemRecord(0)), 0);
}

class CountingMeasurer : public TextMeasurer {
 public:
  int calls = 0;
  int charWidth = 6;
  Size Measure(std::string_view text, FontChoice font, int maxWidth, bool singleLine) override {
    ++calls;
    const int w = int(text.size()) * (charWidth + (font.bold ? 1 : 0));
    if (singleLine || maxWidth <= 0 || w <= maxWidth) return {w, 13};
    return {maxWidth, 13 * ((w + maxWidth - 1) / maxWidth)};
  }
  int LineHeight(FontChoice) override { return 13; }
};

struct CacheRow {
  const char* name;
  FontChoice firstFont;
  int firstWidth;
  bool firstSingle;
  FontChoice secondFont;
  int secondWidth;
  bool secondSingle;
  bool sameAnswer;  // the second lookup finds the first one's size
};

class MeasureCacheKeys : public ::testing::TestWithParam<CacheRow> {};

TEST_P(MeasureCacheKeys, OnlyTheSameTextFontAndLayoutShareASize) {
  const CacheRow& r = GetParam();
  MeasureCache cache;
  cache.Add("label", r.firstFont, r.firstWidth, r.firstSingle, {40, 13});
  const Size* found = cache.Find("label", r.secondFont, r.secondWidth, r.secondSingle);
  EXPECT_EQ(found != nullptr, r.sameAnswer);
  if (found) {
    EXPECT_EQ(*found, (Size{40, 13}));
  }
  EXPECT_EQ(cache.Find("other", r.firstFont, r.firstWidth, r.firstSingle), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MeasureCacheKeys,
    ::testing::Values(CacheRow{"same", {0, false}, 100, true, {0, false}, 100, true, true},
                      CacheRow{"one_line_ignores_the_width", {0, false}, 100, true, {0, false}, 30, true, true},
                      CacheRow{"wrapped_needs_the_same_width", {0, false}, 100, false, {0, false}, 30, false, false},
                      CacheRow{"wrapped_same_width", {0, false}, 80, false, {0, false}, 80, false, true},
                      CacheRow{"bold_differs", {0, false}, 100, true, {0, true}, 100, true, false},
                      CacheRow{"other_font_differs", {0, false}, 100, true, {1, false}, 100, true, false},
                      CacheRow{"line_mode_differs", {0, false}, 100, true, {0, false}, 100, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MeasureCache, StartsAfreshWhenFull) {
  MeasureCache cache;
  for (std::size_t i = 0; i < MeasureCache::kMaxTexts; ++i) cache.Add(std::to_string(i), {}, 0, true, {1, 1});
  EXPECT_EQ(cache.TextCount(), MeasureCache::kMaxTexts);
  cache.Add("one more", {}, 0, true, {2, 2});
  EXPECT_EQ(cache.TextCount(), 1u);
  EXPECT_NE(cache.Find("one more", {}, 0, true), nullptr);
}

// A refill with the same labels measures nothing again; a new measurer
// or fonts (InvalidateAllMeasures) measure everything again.
TEST(TreeMeasuring, RefillReusesSizesUntilTheFontsChange) {
  FakeListHost host;
  CountingMeasurer measurer;
  SECTreeCtrlModel tree;
  tree.SetHost(&host);
  tree.SetMeasurer(&measurer);
  tree.Create(TVS_HASBUTTONS, 0);
  auto fill = [&] {
    tree.DeleteAllItems();
    for (int i = 0; i < 20; ++i) tree.InsertItem("file" + std::to_string(i) + ".c");
    for (int r = 0; r < tree.GetItemCount(); ++r) tree.MeasureItem(r);
  };
  fill();
  const int first = measurer.calls;
  EXPECT_GE(first, 20);
  const int width = tree.GetItemRecord(5)->labelRect.Width();
  fill();
  EXPECT_EQ(measurer.calls, first);
  EXPECT_EQ(tree.GetItemRecord(5)->labelRect.Width(), width);
  measurer.charWidth = 9;  // as a new font would
  tree.InvalidateAllMeasures();
  for (int r = 0; r < tree.GetItemCount(); ++r) tree.MeasureItem(r);
  EXPECT_EQ(measurer.calls, 2 * first);
  EXPECT_GT(tree.GetItemRecord(5)->labelRect.Width(), width);
  tree.SetMeasurer(nullptr);
}

}  // namespace
}  // namespace pm2
