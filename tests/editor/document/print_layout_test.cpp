// Page set-up in the profile, header and footer texts, and the layout of
// printed pages.
#include <gtest/gtest.h>

#include "editor/document/page_setup.h"
#include "editor/document/print_layout.h"
#include "editor/text/text_buffer.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

TEST(PageSetupTest, DefaultsAndRoundTrip) {
  TempDir dir;
  SettingsStore store(dir / "s");
  PageSetup d = LoadPageSetup(store);
  EXPECT_EQ("&f %c", d.header);
  EXPECT_EQ("Page: &p", d.footer);
  PageSetup s{"&f", "", 1, 0};
  SavePageSetup(store, s);
  EXPECT_EQ(s, LoadPageSetup(store));
}

TEST(PageSetupTest, HeaderAndFooterTexts) {
  std::tm tm{};
  tm.tm_year = 2026 - 1900;
  tm.tm_mon = 11;
  tm.tm_mday = 7;
  tm.tm_hour = 9;
  tm.tm_min = 5;
  std::time_t when = std::mktime(&tm);
  struct Row {
    const char* name;
    const char* format;
    const char* file;
    int page;
    const char* text;
  };
  const Row rows[] = {
      {"default footer", "Page: &p", "main.c", 3, "Page: 3"},
      {"file token twice", "&f / &f", "main.c", 1, "main.c / &f"},
      {"page token twice", "&p-&p", "x", 4, "4-&p"},
      {"empty name removes the token", "[&f]", "", 1, "[]"},
      {"time fields", "&f %Y-%m-%d %H:%M", "a.c", 1, "a.c 2026-12-07 09:05"},
      {"percent in the file name", "&f", "100%d_%s.c", 1, "100%d_%s.c"},
      {"empty template", "", "a.c", 1, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.text, HeaderFooterText(r.format, r.file, r.page, when));
  }
}

TEST(PrintLayoutTest, RowsPerPageAfterHeaderAndFooter) {
  struct Row {
    const char* name;
    bool header, footer;
    int rows;
  };
  // Line height 20: header and footer each take 20 + 2 x 5 = 30 pixels.
  const Row rows[] = {
      {"both", true, true, 47},   // (1000 - 60) / 20
      {"no header", false, true, 48},
      {"neither", false, false, 50},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    PageLayout l = ComputePageLayout({800, 1000, 20, 10, r.header, r.footer});
    EXPECT_EQ(r.rows, l.rowsPerPage);
    EXPECT_EQ(80, l.charsPerRow);
  }
}

TEST(PrintLayoutTest, PrintedRowsExpandTabsAndWrap) {
  CEditTextBuffer text;
  text.SetTabSize(4);
  ASSERT_EQ(0, text.LoadFromBytes("a\tb\r\n\r\n0123456789\r\n"));
  EXPECT_EQ(std::vector<std::string>{"a   b"}, PrintedRows(text, text.GetLine(1), 80));
  EXPECT_EQ(std::vector<std::string>{""}, PrintedRows(text, text.GetLine(2), 80));
  std::vector<std::string> wrapped = {"0123", "4567", "89"};
  EXPECT_EQ(wrapped, PrintedRows(text, text.GetLine(3), 4));
  text.m_bShowTabs = 1;
  EXPECT_EQ(std::vector<std::string>{"a\xBB  b"}, PrintedRows(text, text.GetLine(1), 80));
}

TEST(PrintLayoutTest, PagesStartWhereALineNoLongerFits) {
  CEditTextBuffer text;
  text.SetTabSize(4);
  // Rows of each line at 10 characters per row: 1, 2, 1, 3, 1, 2 (the
  // tabs expand to 12 cells).
  ASSERT_EQ(0, text.LoadFromBytes("a\r\n0123456789ab\r\n\r\n"
                                  "0123456789012345678901\r\nb\r\n\t\t\tc\r\n"));
  PageLayout l;
  l.charsPerRow = 10;
  struct Row {
    const char* name;
    int rowsPerPage;
    int first, last;
    std::vector<int> starts;
  };
  const Row rows[] = {
      {"three rows", 3, 1, 0, {1, 3, 4, 5}},
      {"four rows", 4, 1, 0, {1, 4, 6}},
      {"a line longer than a page", 2, 1, 0, {1, 2, 3, 4, 5, 6}},
      {"a selection's lines", 3, 3, 5, {3, 4, 5}},
      {"tabs count as printed", 1, 6, 0, {6}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    l.rowsPerPage = r.rowsPerPage;
    EXPECT_EQ(r.starts, PaginateLines(text, text.GetLine(r.first), r.last ? text.GetLine(r.last) : nullptr, l));
  }
}

}  // namespace
}  // namespace pm2
