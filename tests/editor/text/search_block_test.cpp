#include <gtest/gtest.h>

#include "editor/text/regexp.h"
#include "editor/text/text_buffer.h"

namespace pm2 {
namespace {

struct Found {
  int line;
  int index;
  int length;
  bool operator==(const Found&) const = default;
};

Found Find(CEditTextBuffer& b, int line, int index, uint32_t flags, const char* pattern) {
  EditPos p{b.GetLine(line), index};
  SearchRequest req;
  req.nFlags = flags;
  req.pattern = pattern;
  if (!b.Search(p, {}, req)) return {0, 0, 0};
  return {b.LineNumber(p.pLine), p.nIndex, req.nMatchLength};
}

TEST(Search, ForwardBackwardPlainAndRegex) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("foo bar foo\r\nxx FOO\r\nab1 ab22 ab333 end\r\n"));
  struct Row { const char* name; int line; int index; uint32_t flags; const char* pattern; Found expect; };
  const Row rows[] = {
      {"forward skips what lies before the position", 1, 9, kSearchDown | kSearchMatchCase, "foo", {0, 0, 0}},
      {"forward finds later on the line", 1, 1, kSearchDown | kSearchMatchCase, "foo", {1, 8, 3}},
      {"forward ignoring case goes to next line", 1, 9, kSearchDown, "foo", {2, 3, 3}},
      {"backward finds the last before the position", 1, 11, kSearchMatchCase, "foo", {1, 8, 3}},
      {"backward from line start goes up", 2, 0, kSearchMatchCase, "foo", {1, 8, 3}},
      {"backward regex finds the last of three", 3, 19, kSearchRegex | kSearchMatchCase, "ab[0-9]+", {3, 9, 5}},
      {"backward regex cuts the line at the position", 3, 12, kSearchRegex | kSearchMatchCase, "ab[0-9]+", {3, 9, 3}},
      {"forward regex", 1, 0, kSearchRegex | kSearchDown, "b[a-z]r", {1, 4, 3}},
      {"forward caret means the line start, not the caret", 1, 1, kSearchRegex | kSearchDown | kSearchMatchCase, "^[a-z]", {2, 0, 1}},
      {"backward caret matches only at the line start", 3, 19, kSearchRegex | kSearchMatchCase, "^[a-z]", {3, 0, 1}},
      {"bad regex finds nothing", 1, 0, kSearchRegex | kSearchDown, "(", {0, 0, 0}},
      {"no wrap", 3, 0, kSearchDown, "bar", {0, 0, 0}},
  };
  for (const Row& r : rows) EXPECT_EQ(r.expect, Find(b, r.line, r.index, r.flags, r.pattern)) << r.name;
}

TEST(Search, RegexReplacementComesFromTheTemplateEachTime) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("k1=v1 k2=v2\r\n"));
  SearchRequest req;
  req.nFlags = kSearchRegex | kSearchMatchCase;
  req.pattern = "([a-z0-9]+)=([a-z0-9]+)";
  req.replacement = "\\2=\\1";
  req.nFlags |= kSearchDown;
  EditPos p{b.FirstLine(), 0};
  ASSERT_EQ(1, b.Search(p, {}, req));
  EXPECT_EQ("v1=k1", req.substituted);
  p.nIndex = 5;
  ASSERT_EQ(1, b.Search(p, {}, req));
  EXPECT_EQ(6, p.nIndex);
  EXPECT_EQ("v2=k2", req.substituted);
  EXPECT_EQ("\\2=\\1", req.replacement);
}

TEST(Ranges, CopyRangeGivesCrLfWhateverTheMode) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("abc\ndef\nghi\n"));
  EXPECT_EQ("c\r\ndef\r\ngh", b.CopyRange({b.GetLine(1), 2}, {b.GetLine(3), 2}));
  EXPECT_EQ("bc", b.CopyRange({b.GetLine(1), 1}, {b.GetLine(1), 9}));
}

TEST(ColumnBlock, CopyOverShortLinesPadsWithBlanks) {
  CEditTextBuffer b;
  b.SetTabSize(4);
  ASSERT_EQ(0, b.LoadFromBytes("abcdefgh\r\nab\r\n\r\na\tbcdef\r\n"));
  EXPECT_EQ("cde\r\n   \r\n   \r\n  b", b.GetRangeText({b.GetLine(1), 2}, {b.GetLine(4), 5}));
}

TEST(ColumnBlock, DeleteAndInsertOnLinesShorterThanTheBlock) {
  CEditTextBuffer b;
  b.m_bKeepTabs = 0;
  const std::string start = "0123456789\r\n01\r\n0123\r\n";
  ASSERT_EQ(0, b.LoadFromBytes(start));
  ASSERT_EQ(0, b.DeleteColumnBlock({b.GetLine(1), 2}, {b.GetLine(3), 5}, true));
  EXPECT_EQ("0156789\r\n01\r\n01\r\n", b.GetText());
  b.Undo();
  EXPECT_EQ(start, b.GetText());

  ASSERT_EQ(0, b.InsertColumnText({b.GetLine(2), 6}, "XY\r\nZW\r\nUV\r\n", 12, true));
  EXPECT_EQ("0123456789\r\n01    XY\r\n0123  ZW\r\n      UV\r\n", b.GetText());
  b.Undo();
  EXPECT_EQ(start, b.GetText());
  EXPECT_EQ(3, b.GetLineCount());

  // A row longer than the first goes in whole and comes out whole.
  ASSERT_EQ(0, b.InsertColumnText({b.GetLine(1), 1}, "X\r\nLONG\r\n", 9, true));
  EXPECT_EQ("0X123456789\r\n0LONG1\r\n0123\r\n", b.GetText());
  b.Undo();
  EXPECT_EQ(start, b.GetText());
}

TEST(LineEnds, ConversionTable) {
  struct Row { const char* name; std::string in; int mode; std::string out; };
  const Row rows[] = {
      {"LF to CR LF doubles each end", "a\nb\n", kLineEndCrLf, "a\r\nb\r\n"},
      {"CR LF to LF", "a\r\nb\r\n", kLineEndLf, "a\nb\n"},
      {"CR LF to CR", "a\r\n\r\nb", kLineEndCr, "a\r\rb"},
      {"no line end unchanged", "abc", kLineEndLf, "abc"},
      {"stray LF in CR LF text is its own end", "a\r\nb\nc\r\n", kLineEndLf, "a\nb\nc\n"},
  };
  for (const Row& r : rows) {
    std::string s = r.in;
    EXPECT_EQ(int(r.out.size()), CEditTextBuffer::ConvertLineEnds(s, r.mode)) << r.name;
    EXPECT_EQ(r.out, s) << r.name;
  }
}

}  // namespace
}  // namespace pm2
