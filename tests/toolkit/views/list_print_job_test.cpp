// Pagination of a list or tree print job without a printer: rows are 13
// pixels high (fixed metrics), the header 20; a page of height H holds
// (H - 19) / 13 rows below the header in report view.

#include <gtest/gtest.h>

#include "toolkit/models/fake_list_host.h"
#include "toolkit/models/tree_engine.h"
#include "toolkit/views/list_print_job.h"

namespace pm2 {
namespace {

// A host whose drawing area becomes the page while a job runs.
class FakePrintHost : public test::FakeListHost, public ListPrintHost {
 public:
  Rect screen{0, 0, 200, 60};
  bool fontsMade = false;
  bool printFonts = false;
  bool fontsFail = false;
  int repaints = 0;
  FakePrintHost() { client = screen; }
  void SetDrawRect(const Rect* page) override { client = page ? *page : screen; }
  bool CreatePrintFonts() override { return fontsMade = !fontsFail; }
  void UsePrintFonts(bool on) override { printFonts = on; }
  bool DeletePrintFonts() override {
    const bool had = fontsMade;
    fontsMade = false;
    return had;
  }
  void Repaint() override { ++repaints; }
};

struct List {
  FakePrintHost host;
  SECListCtrlModel list;
  SECListPrintJob job{list, host};
  explicit List(int rows, int tallRow = -1) {
    list.SetHost(&host);
    list.Create(LVS_REPORT, 0);
    list.AddColumn("Name", LVCFMT_LEFT, 120);
    for (int i = 0; i < rows; ++i) {
      // A tall row: 20 lines of text, taller than any page below.
      list.InsertItemText(i, i == tallRow ? std::string(19, '\n') + "tall" : "row" + std::to_string(i));
    }
    list.UpdateScrollBars();
  }
  // The first row of every page of a preview.
  std::vector<int> PageTops(int pageHeight) {
    std::vector<int> tops;
    if (!job.Begin({0, 0, 300, pageHeight}, true)) return tops;
    for (int p = 1; p <= job.MaxPage(); ++p) {
      job.GoToPage(p);
      tops.push_back(list.GetTopIndex());
    }
    job.End();
    return tops;
  }
};

struct PageRow {
  const char* name;
  int rows;
  int tallRow;
  int pageHeight;
  std::vector<int> tops;
};

class PrintPagination : public ::testing::TestWithParam<PageRow> {};

TEST_P(PrintPagination, PageTops) {
  const PageRow& row = GetParam();
  List l(row.rows, row.tallRow);
  EXPECT_EQ(l.PageTops(row.pageHeight), row.tops);
}

const PageRow kPageRows[] = {
    {"EmptyListIsOnePage", 0, -1, 150, {0}},
    {"RowsThatFitAreOnePage", 10, -1, 150, {0}},
    {"OneRowMoreIsTwoPages", 11, -1, 150, {0, 10}},
    {"ManyPages", 95, -1, 150, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
    {"ATallerPageHoldsMore", 30, -1, 280, {0, 20}},
    {"ARowTallerThanThePageGetsAPageOfItsOwn", 7, 3, 150, {0, 3, 4}},
    {"ATallFirstRowStillAdvances", 3, 0, 150, {0, 1}},
    {"APageShorterThanAnyRowPrintsARowAPage", 3, -1, 25, {0, 1, 2}},
};
INSTANTIATE_TEST_SUITE_P(Rows, PrintPagination, ::testing::ValuesIn(kPageRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PrintJob, PrintingStepsUntilThePageWithTheLastRow) {
  List l(25);
  ASSERT_TRUE(l.job.Begin({0, 0, 300, 150}, false));
  EXPECT_EQ(l.job.MaxPage(), 0);
  int pages = 1;
  while (l.job.NextPage()) ++pages;
  EXPECT_EQ(pages, 3);
  EXPECT_EQ(l.list.GetTopIndex(), 20);
  l.job.End();
}

TEST(PrintJob, PreviewPagesShowTheSameRowsInAnyOrder) {
  List l(25);
  ASSERT_TRUE(l.job.Begin({0, 0, 300, 150}, true));
  EXPECT_EQ(l.job.MaxPage(), 3);
  for (int page : {3, 1, 2, 3, 2}) {
    l.job.GoToPage(page);
    EXPECT_EQ(l.list.GetTopIndex(), (page - 1) * 10) << page;
    EXPECT_EQ(l.job.CurrentPage(), page);
  }
  l.job.End();
}

TEST(PrintJob, TheJobBorrowsPageAndFontsAndGivesThemBack) {
  List l(40);
  l.list.SetTopIndex(7);
  ASSERT_EQ(l.list.GetTopIndex(), 7);
  ASSERT_TRUE(l.job.Begin({0, 0, 300, 150}, true));
  EXPECT_TRUE(l.job.Printing());
  EXPECT_TRUE(l.host.printFonts);
  EXPECT_EQ(l.host.ClientRect(), (Rect{0, 0, 300, 150}));
  EXPECT_EQ(l.list.GetTopIndex(), 0);
  l.job.GoToPage(2);
  l.job.End();
  EXPECT_FALSE(l.job.Printing());
  EXPECT_FALSE(l.host.printFonts);
  EXPECT_FALSE(l.host.fontsMade);
  EXPECT_EQ(l.host.ClientRect(), l.host.screen);
  EXPECT_EQ(l.list.GetTopIndex(), 7);
  EXPECT_EQ(l.host.repaints, 1);
}

TEST(PrintJob, NoPrinterFontCancelsTheJobAndEndStillRestores) {
  List l(40);
  l.list.SetTopIndex(5);
  l.host.fontsFail = true;
  EXPECT_FALSE(l.job.Begin({0, 0, 300, 150}, true));
  EXPECT_FALSE(l.job.Printing());
  EXPECT_EQ(l.host.ClientRect(), l.host.screen);
  l.job.End();
  EXPECT_EQ(l.list.GetTopIndex(), 5);
}

TEST(PrintJob, ATreePrintsItsVisibleRowsOnly) {
  FakePrintHost host;
  SECTreeCtrlModel tree;
  tree.SetHost(&host);
  tree.Create(TVS_HASBUTTONS | TVS_HASLINES, 0);
  HTREEITEM parent = nullptr;
  for (int i = 0; i < 5; ++i) {
    parent = tree.InsertItem("group" + std::to_string(i));
    for (int c = 0; c < 6; ++c) tree.InsertItem("file" + std::to_string(c), parent);
  }
  SECListPrintJob job(tree, host);
  auto pages = [&] {
    EXPECT_TRUE(job.Begin({0, 0, 300, 150}, true));
    const int n = job.MaxPage();
    job.End();
    return n;
  };
  // Five collapsed groups, no header: one page; the rows of an expanded
  // group join the pages.
  EXPECT_EQ(pages(), 1);
  for (HTREEITEM g = tree.GetRootItem(); g; g = tree.GetNextSiblingItem(g)) tree.Expand(g, TVE_EXPAND);
  const int rowsPerPage = 151 / tree.RowHeight(0);
  EXPECT_EQ(pages(), (35 + rowsPerPage - 1) / rowsPerPage);
}

struct ScaleRow {
  const char* name;
  PrintScale scale;
  int logicalRow;
  int deviceRow;
  Size device;
  Rect page;
};

class PrintScaling : public ::testing::TestWithParam<ScaleRow> {};

TEST_P(PrintScaling, LogicalUnitsAreScreenPixels) {
  const ScaleRow& row = GetParam();
  EXPECT_EQ(row.scale.ToDeviceY(row.logicalRow), row.deviceRow);
  EXPECT_EQ(row.scale.PageInLogical(row.device.cx, row.device.cy), row.page);
}

const ScaleRow kScaleRows[] = {
    {"Printer600Screen96", {96, 96, 600, 600}, 16, 100, {4800, 6600}, {0, 0, 768, 1056}},
    {"Printer300Screen96", {96, 96, 300, 300}, 16, 50, {2400, 3300}, {0, 0, 768, 1056}},
};
INSTANTIATE_TEST_SUITE_P(Rows, PrintScaling, ::testing::ValuesIn(kScaleRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
