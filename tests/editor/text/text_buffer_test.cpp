#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/text/text_buffer.h"

namespace pm2 {
namespace {

struct RecordingSink : EditMessageSink {
  std::vector<std::pair<int, std::string>> shown;
  void ShowMessage(int id, const std::string& text) override { shown.emplace_back(id, text); }
};

std::vector<std::string> Lines(const CEditTextBuffer& b) {
  std::vector<std::string> out;
  for (const CEditLine* p = b.FirstLine(); p; p = p->m_pNext) out.push_back(p->m_text);
  return out;
}

TEST(TextBuffer, GetLineOutOfRangeGivesLastLine) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("a\r\nb\r\nc\r\n"));
  EXPECT_EQ(3, b.GetLineCount());
  EXPECT_EQ("b\r\n", b.GetLine(2)->m_text);
  EXPECT_EQ("c\r\n", b.GetLine(0)->m_text);
  EXPECT_EQ("c\r\n", b.GetLine(8)->m_text);
}

TEST(TextBuffer, LongLineSplitsAtLimitWithOneMessage) {
  RecordingSink sink;
  CEditTextBuffer b({nullptr, nullptr, nullptr, &sink, {}});
  b.SetTabSize(4);
  std::string longLine(5000, 'x');
  ASSERT_EQ(0, b.LoadFromBytes(longLine + "\r\nshort\r\n" + std::string(3000, 'y') + "\r\n"));
  std::vector<std::string> lines = Lines(b);
  ASSERT_EQ(6u, lines.size());
  EXPECT_EQ(std::string(2046, 'x'), lines[0]);  // pieces before the last have no line end
  EXPECT_EQ(std::string(2046, 'x'), lines[1]);
  EXPECT_EQ(std::string(908, 'x') + "\r\n", lines[2]);
  EXPECT_EQ(std::string(2046, 'y'), lines[4]);
  ASSERT_EQ(1u, sink.shown.size());
  EXPECT_EQ(kEditMsgLinesCut, sink.shown[0].first);
  EXPECT_EQ("Lines longer than 2048 characters will be cut.", sink.shown[0].second);
  // Nothing is lost: the text is the file as read.
  EXPECT_EQ(longLine + "\r\nshort\r\n" + std::string(3000, 'y') + "\r\n", b.GetText());
}

TEST(TextBuffer, HugeTabSizeStillCutsLongLines) {
  CEditTextBuffer b;
  b.SetTabSize(1 << 20);
  ASSERT_EQ(0, b.LoadFromBytes(std::string(4096, 'q') + "\r\n"));
  ASSERT_GE(b.GetLineCount(), 2);
  EXPECT_EQ(2046, b.FirstLine()->Length());
  EXPECT_EQ(std::string(4096, 'q') + "\r\n", b.GetText());
}

TEST(TextBuffer, NegativeIndexesAreRefusedOrTakenAsTheLineStart) {
  struct Row { const char* name; int (*edit)(CEditTextBuffer&, EditPos); int rc; const char* text; };
  const Row rows[] = {
      {"insert char", [](CEditTextBuffer& b, EditPos p) { return b.InsertChar(p, 'x', true, true); }, 0, "xab\r\n"},
      {"overwrite char", [](CEditTextBuffer& b, EditPos p) { return b.InsertChar(p, 'x', false, true); }, 0, "xb\r\n"},
      {"insert string", [](CEditTextBuffer& b, EditPos p) { return b.InsertString(p, "xy", true, true); }, 0, "xyab\r\n"},
      {"overwrite string", [](CEditTextBuffer& b, EditPos p) { return b.InsertString(p, "xy", false, true); }, 0, "xy\r\n"},
      {"delete chars", [](CEditTextBuffer& b, EditPos p) { return b.DeleteChars(p, 2, true); }, kEditEndOfLine, "ab\r\n"},
  };
  for (const Row& r : rows) {
    CEditTextBuffer b;
    ASSERT_EQ(0, b.LoadFromBytes("ab\r\n"));
    EXPECT_EQ(r.rc, r.edit(b, {b.FirstLine(), -3})) << r.name;
    EXPECT_EQ(r.text, b.GetText()) << r.name;
    while (b.Undo()) {
    }
    EXPECT_EQ("ab\r\n", b.GetText()) << r.name;
  }
}

TEST(TextBuffer, ColumnsFollowTabStops) {
  CEditTextBuffer b;
  b.SetTabSize(4);
  ASSERT_EQ(0, b.LoadFromBytes("ab\tc\r\n"));
  CEditLine* l = b.FirstLine();
  struct Row { const char* name; int index; int column; };
  const Row rows[] = {{"before tab", 2, 2}, {"after tab", 3, 4}, {"past end", 6, 7}};
  for (const Row& r : rows) EXPECT_EQ(r.column, b.IndexToColumn(l, r.index)) << r.name;
  EXPECT_EQ(2, b.ColumnToIndex(l, 3));  // inside the tab's span
  EXPECT_EQ(3, b.ColumnToIndex(l, 4));
  EXPECT_EQ(6, b.ColumnToIndex(l, 7));  // free space after the text
  EXPECT_EQ(0, b.ColumnToIndex(l, -3));
}

TEST(TextBuffer, InsertTextConvertsLineEndsAndReportsLength) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("head tail\r\n"));
  int n = 0;
  const char paste[] = "X\nY\nZ";
  ASSERT_EQ(0, b.InsertText({b.FirstLine(), 5}, paste, 5, false, &n));
  EXPECT_EQ(7, n);
  EXPECT_EQ((std::vector<std::string>{"head X\r\n", "Y\r\n", "Ztail\r\n"}), Lines(b));
  EXPECT_EQ(3, b.GetLineCount());
  EXPECT_EQ(3, b.LineNumber(b.GetLine(3)));
}

TEST(TextBuffer, EditsRefusedWhileReadOnly) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("abc\r\ndef\r\n"));
  b.SetReadOnly(1);
  EditPos p{b.FirstLine(), 1};
  EXPECT_EQ(kEditReadOnly, b.InsertChar(p, 'x', true, true));
  EXPECT_EQ(kEditReadOnly, b.DeleteChar(p, true));
  EXPECT_EQ(kEditReadOnly, b.SplitLine(p, true));
  EXPECT_EQ(kEditReadOnly, b.JoinLines(p, true));
  EXPECT_EQ(kEditReadOnly, b.InsertText(p, "q", 1, true));
  EXPECT_EQ(kEditReadOnly, b.DeleteRange(p, {b.GetLine(2), 1}, true));
  EXPECT_EQ("abc\r\ndef\r\n", b.GetText());
  EXPECT_EQ(0, b.GetUndoIndex());
}

TEST(TextBuffer, DeleteCharAtLineEndChangesNothing) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("ab\r\ncd\r\n"));
  EXPECT_EQ(kEditEndOfLine, b.DeleteChar({b.FirstLine(), 2}, true));
  EXPECT_EQ("ab\r\ncd\r\n", b.GetText());
  EXPECT_EQ(0, b.IsModified());
}

TEST(TextBuffer, PadLineUsesTabsOnlyWhenKeepingThem) {
  struct Row { const char* name; int keepTabs; int blank; int index; const char* expect; int newIndex; };
  const Row rows[] = {
      {"blanks when tabs are not kept", 0, 0, 9, "ab       \r\n", 9},
      {"tabs then blanks", 1, 0, 9, "ab\t     \r\n", 8},
      {"two tabs", 1, 0, 12, "ab\t\t    \r\n", 8},
      {"short gap is blanks", 1, 0, 4, "ab  \r\n", 4},
      {"blank padding forced", 1, 1, 9, "ab       \r\n", 9},
  };
  for (const Row& r : rows) {
    CEditTextBuffer b;
    b.SetTabSize(4);
    b.m_bKeepTabs = r.keepTabs;
    b.m_bBlankPadding = r.blank;
    ASSERT_EQ(0, b.LoadFromBytes("ab\r\n"));
    EditPos p{b.FirstLine(), r.index};
    ASSERT_EQ(0, b.PadLine(p, false)) << r.name;
    EXPECT_EQ(r.expect, b.FirstLine()->m_text) << r.name;
    EXPECT_EQ(r.newIndex, p.nIndex) << r.name;
    // The padding reaches the column asked for.
    EXPECT_EQ(r.index, b.IndexToColumn(b.FirstLine(), p.nIndex)) << r.name;
  }
}

TEST(TextBuffer, JoinRefusesTooWideLinesAndSplitKeepsBookmarkWithText) {
  CEditTextBuffer b;
  b.SetTabSize(4);
  std::string wide(1500, 'w');
  ASSERT_EQ(0, b.LoadFromBytes(wide + "\r\n" + wide + "\r\n"));
  EXPECT_EQ(kEditLineTooLong, b.JoinLines({b.FirstLine(), 0}, true));
  EXPECT_EQ(2, b.GetLineCount());

  ASSERT_EQ(0, b.LoadFromBytes("text\r\nnext\r\n"));
  b.FirstLine()->m_nFlags |= kLineBookmark;
  ASSERT_EQ(0, b.SplitLine({b.FirstLine(), 0}, false));
  EXPECT_EQ(0u, b.GetLine(1)->m_nFlags & kLineBookmark);
  EXPECT_EQ("text\r\n", b.GetLine(2)->m_text);
  EXPECT_NE(0u, b.GetLine(2)->m_nFlags & kLineBookmark);
}

// Inserting and deleting lines around a breakpoint: the debugger's marks
// (breakpoint, debugger word) stay on the text they were set on.
TEST(TextBuffer, DebuggerMarksStayWithTheirText) {
  struct Row {
    const char* name;
    std::function<void(CEditTextBuffer&)> edit;
    const char* text;  // the marked line afterwards
    int line;
  };
  const std::vector<Row> rows = {
      {"Enter at the start of the line", [](CEditTextBuffer& b) { b.SplitLine({b.GetLine(3), 0}, true); }, "c\r\n", 4},
      {"Enter at the end of the line above",
       [](CEditTextBuffer& b) { b.SplitLine({b.GetLine(2), 1}, true); }, "c\r\n", 4},
      {"Enter within the line keeps the head", [](CEditTextBuffer& b) { b.SplitLine({b.GetLine(3), 1}, true); },
       "c\r\n", 3},
      {"two lines pasted above",
       [](CEditTextBuffer& b) { b.InsertText({b.GetLine(1), 0}, "x\r\ny\r\n", 6, true); }, "c\r\n", 5},
      {"a word typed at its start", [](CEditTextBuffer& b) { b.InsertText({b.GetLine(3), 0}, "x", 1, true); },
       "xc\r\n", 3},
      {"a line and a word pasted at its start",
       [](CEditTextBuffer& b) { b.InsertText({b.GetLine(3), 0}, "p\r\nq", 4, true); }, "qc\r\n", 4},
      {"the two lines above deleted",
       [](CEditTextBuffer& b) { b.DeleteRange({b.GetLine(1), 0}, {b.GetLine(3), 0}, true); }, "c\r\n", 1},
      {"joined to the line above", [](CEditTextBuffer& b) { b.JoinLines({b.GetLine(2), 1}, true); }, "bc\r\n", 2},
      {"the line below joined to it", [](CEditTextBuffer& b) { b.JoinLines({b.GetLine(3), 1}, true); }, "cd\r\n", 3},
      {"Enter at its start undone", [](CEditTextBuffer& b) {
         b.SplitLine({b.GetLine(3), 0}, true);
         b.Undo();
       }, "c\r\n", 3},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CEditTextBuffer b;
    ASSERT_EQ(0, b.LoadFromBytes("a\r\nb\r\nc\r\nd\r\ne\r\n"));
    uint32_t n = 0;
    for (CEditLine* l = b.FirstLine(); l; l = l->m_pNext) {
      l->m_nDebugWord = ++n;
      l->m_nFlags |= kLineDebugWordValid;
    }
    b.GetLine(3)->m_nFlags |= kLineBreakSet | kLineBreakEnabled;
    r.edit(b);
    int marked = 0, line = 0, number = 0;
    for (CEditLine* l = b.FirstLine(); l; l = l->m_pNext) {
      ++number;
      if (!(l->m_nFlags & kLineBreakSet)) continue;
      ++marked;
      line = number;
      EXPECT_EQ(r.text, l->m_text);
      EXPECT_EQ(3u, l->m_nDebugWord);
      EXPECT_TRUE(l->m_nFlags & kLineBreakEnabled);
    }
    EXPECT_EQ(1, marked);
    EXPECT_EQ(r.line, line);
    int words3 = 0;
    for (CEditLine* l = b.FirstLine(); l; l = l->m_pNext)
      if ((l->m_nFlags & kLineDebugWordValid) && l->m_nDebugWord == 3) ++words3;
    EXPECT_EQ(1, words3) << "one line answers to the breakpoint's word";
  }
}

TEST(TextBuffer, DeleteRangeAcrossLinesJoinsHeadAndTail) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix\r\n"));
  ASSERT_EQ(0, b.DeleteRange({b.GetLine(3), 2}, {b.GetLine(5), 2}, false));
  EXPECT_EQ((std::vector<std::string>{"one\r\n", "two\r\n", "thve\r\n", "six\r\n"}), Lines(b));
  EXPECT_EQ(4, b.GetLineCount());
  EXPECT_EQ(kEditNothingSelected, b.DeleteRange({b.GetLine(1), 1}, {b.GetLine(1), 1}, false));
}

TEST(TextBuffer, LinesWithoutLineEndStayWithoutWhenTyping) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("a\r\nlast"));
  ASSERT_EQ(0, b.InsertChar({b.GetLine(2), 4}, '!', true, true));
  EXPECT_EQ("a\r\nlast!", b.GetText());
  b.Undo();
  EXPECT_EQ("a\r\nlast", b.GetText());
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(TextBuffer, TypedLineEndByteStartsANewLine) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("abcd\r\n"));
  ASSERT_EQ(0, b.InsertChar({b.FirstLine(), 2}, '\r', true, true));
  EXPECT_EQ("ab\r\ncd\r\n", b.GetText());
  EXPECT_EQ(2, b.GetLineCount());
  ASSERT_EQ(0, b.InsertString({b.GetLine(2), 1}, "x\ny", true, true));
  EXPECT_EQ("ab\r\ncx\r\nyd\r\n", b.GetText());
  while (b.Undo()) {
  }
  EXPECT_EQ("abcd\r\n", b.GetText());
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {
// Numbers are kept lazily: after list changes high up, lines further down
// are asked for in an order that meets stale numbers below the line the
// numbering has reached.
struct NumberingRow {
  const char* name;
  int editLine;   // where the change is made
  int splits;     // Enter this many times there
  int joins;      // then join this many times there
  std::vector<int> asked;  // lines asked for, in this order (final numbers)
};

class LazyNumbers : public ::testing::TestWithParam<NumberingRow> {};

TEST_P(LazyNumbers, AgreeWithTheList) {
  const NumberingRow& r = GetParam();
  CEditTextBuffer b;
  std::string text;
  for (int i = 1; i <= 2000; ++i) text += "l" + std::to_string(i) + "\r\n";
  ASSERT_EQ(0, b.LoadFromBytes(text));
  // Numbers asked for before the change, so that stale ones exist after it.
  for (int n : {1500, 700, 1999}) ASSERT_EQ(n, b.LineNumber(b.GetLine(n)));
  for (int i = 0; i < r.splits; ++i) ASSERT_EQ(0, b.SplitLine({b.GetLine(r.editLine), 0}, false));
  for (int i = 0; i < r.joins; ++i) ASSERT_EQ(0, b.JoinLines({b.GetLine(r.editLine), 0}, false));
  std::vector<const CEditLine*> lines{nullptr};
  for (const CEditLine* p = b.FirstLine(); p; p = p->m_pNext) lines.push_back(p);
  ASSERT_EQ(int(lines.size()) - 1, b.GetLineCount());
  for (int n : r.asked) {
    ASSERT_LT(n, int(lines.size()));
    EXPECT_EQ(n, b.LineNumber(lines[size_t(n)])) << "line " << n;
    EXPECT_EQ(lines[size_t(n)], b.GetLine(n)) << "line " << n;
  }
}

const NumberingRow kNumberingRows[] = {
    {"InsertedAtTopAskedDownThenUp", 1, 3, 0, {500, 501, 502, 503, 1500, 2, 2003}},
    {"InsertedAtTopAskedPastAStaleNumber", 1, 1, 0, {501, 502, 1501, 1500, 2001}},
    {"RemovedAtTopAskedDownThenUp", 1, 0, 3, {400, 399, 1996, 1, 1997}},
    {"InsertedMidwayAskedAroundIt", 1000, 5, 0, {999, 1000, 1005, 1006, 2005, 3}},
    {"InsertedAndRemovedAtTop", 2, 4, 6, {1, 2, 3, 1000, 1998}},
};
INSTANTIATE_TEST_SUITE_P(Rows, LazyNumbers, ::testing::ValuesIn(kNumberingRows),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace
}  // namespace pm2
