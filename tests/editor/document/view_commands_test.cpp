// The view's commands without a window: include lines and the files they
// name, words with member chains, brackets, listing lines, status texts
// and wheel steps.
#include <gtest/gtest.h>

#include <set>

#include "editor/document/find_placement.h"
#include "editor/document/include_lookup.h"
#include "editor/document/view_commands.h"
#include "editor/engine/edit_engine.h"

namespace pm2 {
namespace {

TEST(IncludeLookupTest, IncludeLines) {
  struct Row {
    const char* name;
    const char* line;
    bool ok;
    bool angle;
    const char* spec;
    const char* file;
  };
  const Row rows[] = {
      {"angle", "#include <reg51.h>\r\n", true, true, "<reg51.h>", "reg51.h"},
      {"quote with blanks", "  # include \"  io.h\" // x", true, false, "\"  io.h\"", "io.h"},
      {"tab before", "\t#include\t\"a\\b.h\"", true, false, "\"a\\b.h\"", "a\\b.h"},
      {"unclosed", "#include <stdio.h\r\n", true, true, "<stdio.h", "stdio.h"},
      {"upper case keyword", "#INCLUDE <x.h>", false, false, "", ""},
      {"define", "#define X 1", false, false, "", ""},
      {"no delimiter", "#include x.h", false, false, "", ""},
      {"empty name", "#include <>", false, false, "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    IncludeLine inc;
    ASSERT_EQ(r.ok, ParseIncludeLine(r.line, &inc));
    if (!r.ok) continue;
    EXPECT_EQ(r.angle, inc.angle);
    EXPECT_EQ(r.spec, inc.spec);
    EXPECT_EQ(r.file, inc.name);
  }
}

TEST(IncludeLookupTest, CandidatesInTheirOrder) {
  IncludeContext ctx;
  ctx.toolsetRoot = "C:\\T\\ARM\\";
  ctx.projectFolder = "C:\\P\\";
  ctx.documentPath = "C:\\P\\src\\main.c";
  ctx.toolset = 3;
  ctx.systemIncludeFolder = "C:\\gcc\\include";
  ctx.includeSub1 = "\xFFPhilips\\";
  ctx.includeSub2 = "";
  ctx.includeFolders = {"..\\inc", "D:\\lib\\", "C:\\My Headers"};
  IncludeLine angle{true, "<x.h>", "x.h"};
  std::vector<std::string> a = {
      "C:\\T\\ARM\\INC\\x.h", "C:\\P\\x.h",           "C:\\P\\src\\x.h",
      "C:\\P\\x.h",           "C:\\gcc\\include\\x.h", "C:\\T\\ARM\\INC\\Philips\\x.h",
      "C:\\P\\..\\inc\\x.h",    "D:\\lib\\x.h",         "C:\\My Headers\\x.h"};
  EXPECT_EQ(a, IncludeCandidates(angle, ctx));
  IncludeLine quote{false, "\"x.h\"", "x.h"};
  std::vector<std::string> q = IncludeCandidates(quote, ctx);
  ASSERT_GE(q.size(), 4u);
  EXPECT_EQ("C:\\P\\x.h", q[0]);
  EXPECT_EQ("C:\\T\\ARM\\INC\\x.h", q[3]);

  std::set<std::string> present = {"C:\\P\\src\\x.h", "D:\\lib\\x.h"};
  auto open = [&](const std::string& p, std::string* local) {
    if (!present.count(p)) return false;
    *local = "/local/" + p;
    return true;
  };
  EXPECT_EQ("/local/C:\\P\\src\\x.h", FindIncludeFile(angle, ctx, open));
  present.clear();
  EXPECT_EQ("", FindIncludeFile(angle, ctx, open));
}

class WordTest : public ::testing::Test {
 protected:
  CEditTextBuffer m_text;
};

TEST_F(WordTest, WordAtAnIndex) {
  struct Row {
    const char* name;
    const char* line;
    int index;
    const char* word;  // null: none
  };
  const Row rows[] = {
      {"plain", "int count;", 5, "count"},
      {"start of word", "int count;", 4, "count"},
      {"arrow chain with blanks", "x = p -> next . count;", 17, "p -> next . count"},
      {"dot chain", "a.b.c = 1;", 4, "a.b.c"},
      {"caret on first of chain", "a.b.c = 1;", 0, "a"},
      {"operator without a name", "  .field = 1", 4, "field"},
      {"arrow alone", "->x", 2, "x"},
      {"underscore", "_tmp_1 = 0", 3, "_tmp_1"},
      {"on a blank", "a b", 1, nullptr},
      {"past the end", "ab\r\n", 2, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::string w;
    ASSERT_EQ(r.word != nullptr, WordAtIndex(m_text, r.line, r.index, &w));
    if (r.word) { EXPECT_EQ(r.word, w); }
  }
}

// The word at a caret: on the word, or just behind its last character
// (where a click on that character's right half puts the caret).
TEST_F(WordTest, WordAtOrJustBehindAnIndex) {
  struct Row {
    const char* name;
    const char* line;
    int index;
    const char* word;  // null: none
  };
  const Row rows[] = {
      {"on a one-letter name", "n = 1;", 0, "n"},
      {"just behind a one-letter name", "n = 1;", 1, "n"},
      {"two behind it, on a blank before '='", "n = 1;", 2, nullptr},
      {"behind a word at the line's end", "x = count\r\n", 9, "count"},
      {"behind a chain", "p->next;", 7, "p->next"},
      {"on a word right after another's end", "a+b", 2, "b"},
      {"on an operator just behind a word", "a+b", 1, "a"},
      {"at the line's start, on a blank", " a", 0, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::string w;
    ASSERT_EQ(r.word != nullptr, WordAtOrBefore(m_text, r.line, r.index, &w));
    if (r.word) { EXPECT_EQ(r.word, w); }
  }
}

TEST_F(WordTest, MatchingBrackets) {
  ASSERT_EQ(0, m_text.LoadFromBytes("f(a[1], (b)) {\r\n  x->y;\r\n}\r\n<t>\r\n"));
  CEditLine* l1 = m_text.GetLine(1);
  CEditLine* l2 = m_text.GetLine(2);
  CEditLine* l3 = m_text.GetLine(3);
  CEditLine* l4 = m_text.GetLine(4);
  struct Row {
    const char* name;
    EditPos at;
    bool found;
    CEditLine* line;
    int index;
  };
  const Row rows[] = {
      {"round forward", {l1, 1}, true, l1, 11},
      {"square", {l1, 3}, true, l1, 5},
      {"round backward", {l1, 11}, true, l1, 1},
      {"brace across lines", {l1, 13}, true, l3, 0},
      {"brace backward", {l3, 0}, true, l1, 13},
      {"arrow's '>' has no partner", {l2, 4}, false, nullptr, 0},
      {"angle pair", {l4, 0}, true, l4, 2},
      {"not a bracket", {l1, 0}, false, nullptr, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EditPos p;
    ASSERT_EQ(r.found, FindMatchingBracket(m_text, r.at, &p));
    if (!r.found) continue;
    EXPECT_EQ(r.line, p.pLine);
    EXPECT_EQ(r.index, p.nIndex);
  }
}

TEST_F(WordTest, ListingLines) {
  ASSERT_EQ(0, m_text.LoadFromBytes(
                   "Q51 COMPILER\r\n"
                   " FILE: 'C:\\p\\other.c'\r\n"
                   "  12: x;\r\n"
                   " FILE: 'C:\\p\\main.c'\r\n"
                   "   3: a;\r\n"
                   "\t12: b;\r\n"
                   " FILE: 'C:\\p\\util.c'\r\n"
                   "  40: c;\r\n"
                   " FILE: 'C:\\p\\MAIN.C'\r\n"
                   "  40: d;\r\n"));
  struct Row {
    const char* name;
    int n;
    const char* file;
    int line;
  };
  const Row rows[] = {
      {"first section", 3, "'main.c'", 5},
      {"after a tab", 12, "'main.c'", 6},
      {"other file's same number skipped", 40, "'main.c'", 10},
      {"other file", 12, "'other.c'", 3},
      {"missing number", 99, "'main.c'", 0},
      {"missing file", 3, "'none.c'", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.line, FindListingLine(m_text, r.n, r.file));
  }
}

TEST(ViewArithmeticTest, CentredLinesStatusTextsAndWheel) {
  struct Centre {
    int line, rows, top;
  };
  for (Centre c : {Centre{100, 30, 90}, Centre{5, 30, 1}, Centre{11, 31, 1}, Centre{12, 31, 2}})
    EXPECT_EQ(c.top, CenteredTopLine(c.line, c.rows)) << c.line << "/" << c.rows;
  EXPECT_EQ("L:12 C:1", CaretStatusText(12, 0));
  EXPECT_STREQ("R/O", ReadOnlyStatusText(true));
  EXPECT_STREQ("R/W", ReadOnlyStatusText(false));
  struct Wheel {
    bool ctrl, forward;
    int code, count;
  };
  for (Wheel w : {Wheel{false, true, 0, 2}, Wheel{false, false, 1, 2}, Wheel{true, true, 2, 1},
                  Wheel{true, false, 3, 1}}) {
    WheelStep s = WheelScroll(w.ctrl, w.forward);
    EXPECT_EQ(w.code, s.code);
    EXPECT_EQ(w.count, s.count);
  }
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(FindPlacementTest, TheDialogKeepsOffTheCaretRow) {
  struct Row {
    const char* name;
    int caretRowY;
    int screenBottom;
    int top;
  };
  // Main window from 0, view 100..700, line height 20, dialog 150 high.
  const Row rows[] = {
      {"caret below the dialog", 400, 1000, 0},
      {"caret under the dialog", 120, 1000, 510},  // 700 - 40 - 150
      {"kept on the screen", 120, 600, 450},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.top, FindDialogTop({0, 100, 700, r.caretRowY, 20, 150, r.screenBottom}));
  }
}

// The top line a view takes to show the program counter's line: it stays
// while the line is in sight, else the line stands a third down.
struct ShowRow {
  const char* name;
  int line, top, rows, count;
  int expected;  // 0: the view stays
};

class TopLineToShowRows : public ::testing::TestWithParam<ShowRow> {};

TEST_P(TopLineToShowRows, ScrollsOnlyForALineOutOfSight) {
  const ShowRow& r = GetParam();
  EXPECT_EQ(TopLineToShow(r.line, r.top, r.rows, r.count), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TopLineToShowRows,
    ::testing::Values(ShowRow{"InSight", 35, 20, 30, 100, 0}, ShowRow{"FirstRow", 20, 20, 30, 100, 0},
                      ShowRow{"LastRow", 49, 20, 30, 100, 0}, ShowRow{"JustBelow", 50, 20, 30, 100, 40},
                      ShowRow{"Above", 10, 20, 30, 100, 1}, ShowRow{"FarBelow", 90, 1, 30, 100, 80},
                      ShowRow{"TextFitsAtTheTop", 8, 1, 30, 20, 0}, ShowRow{"TextFitsScrolledAway", 2, 5, 30, 20, 1},
                      ShowRow{"NoRows", 40, 1, 0, 100, 40}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
