#include "project/text/scanner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace pm2 {
namespace {

struct Tok {
  std::string text;
  int delimiter;
  bool operator==(const Tok&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Tok& t) {
  return os << '[' << t.text << "|" << t.delimiter << ']';
}

// Tokens up to and including the first one that ends the line.
std::vector<Tok> ScanAll(TextScanner& s, bool upper, int limit = 20) {
  std::vector<Tok> out;
  for (int i = 0; i < limit; ++i) {
    std::string t;
    int d = s.ScanToken(t, upper);
    out.push_back({t, d});
    if (d == kScanEndOfLine) break;
  }
  return out;
}

struct Row {
  const char* name;
  const char* text;
  bool dash;
  bool upper;
  std::vector<Tok> expected;
};

TEST(TextScanner, TokenSequences) {
  const Row rows[] = {
      {"key and value", "KEY = value", false, false, {{"KEY", '='}, {"value", 10}}},
      {"two words", "A B", false, false, {{"A", 32}, {"B", 10}}},
      {"word then one blank", "word ", false, false, {{"word", 32}, {"", 10}}},
      {"upper-cased outside quotes", "ab 'c d'", false, true, {{"AB", 32}, {"c d", 32}, {"", 10}}},
      {"doubled quote stands for one", "\"a\"\"b\"=x", false, false, {{"a\"b", '='}, {"x", 10}}},
      {"single-quoted with doubled", "'it''s' ,x", false, false, {{"it's", ','}, {"x", 10}}},
      {"quote after text starts next token", "ab\"cd\"", false, false, {{"ab", 32}, {"cd", 32}, {"", 10}}},
      {"quoted token at line feed", "\"abc\ndef", false, false, {{"abc", 10}}},
      {"delimiters consumed", "(a,b)", false, false, {{"", '('}, {"a", ','}, {"b", ')'}, {"", 10}}},
      {"blank before delimiter", "OPTIMIZE  (6 , SPEED)", false, true,
       {{"OPTIMIZE", '('}, {"6", ','}, {"SPEED", ')'}, {"", 10}}},
      {"dash is no delimiter by default", "0x10-0x20", false, false, {{"0x10-0x20", 10}}},
      {"dash as extra delimiter", "0x10 - 0x20", true, false, {{"0x10", '-'}, {"0x20", 10}}},
      {"tabs skipped before token only", "\tA\tB", false, false, {{"A\tB", 10}}},
      {"line feed after blank is not consumed", "A \nB", false, false, {{"A", 10}}},
      {"other fixed delimiters", "a;b[c]d{e}f\x1Ag\x7Fh\ri", false, false,
       {{"a", ';'}, {"b", '['}, {"c", ']'}, {"d", '{'}, {"e", '}'}, {"f", 0x1A}, {"g", 0x7F}, {"h", 13}, {"i", 10}}},
      {"empty text", "", false, false, {{"", 10}}},
  };
  for (const Row& r : rows) {
    TextScanner s;
    if (r.dash)
      s.SetTextDash(r.text);
    else
      s.SetText(r.text);
    EXPECT_EQ(ScanAll(s, r.upper), r.expected) << r.name;
  }
}

TEST(TextScanner, LongTokenIsSplitAt254Characters) {
  std::string text(300, 'x');
  TextScanner s;
  s.SetText(text.c_str());
  char buffer[kScanBufferSize + 8];
  std::memset(buffer, '#', sizeof buffer);
  int length = 0;
  EXPECT_EQ(s.ScanToken(buffer, false, length), kScanBlank);
  EXPECT_EQ(length, kScanTokenMax);
  EXPECT_EQ(buffer[kScanTokenMax], '\0');
  EXPECT_EQ(buffer[kScanBufferSize], '#');  // nothing written past the buffer
  EXPECT_EQ(s.ScanToken(buffer, false, length), kScanEndOfLine);
  EXPECT_EQ(length, 300 - kScanTokenMax);
}

// The whole-token form reads past the limit and ends at the same
// delimiters as the limited one, upper-casing and quotes alike.
TEST(TextScanner, WholeTokenIsNeverSplit) {
  const std::string long1(300, 'x'), long2(254, 'y');
  TextScanner s;
  const std::string text = long1 + "=" + long2 + " , 'a''" + long1 + "' tail";
  s.SetText(text.c_str());
  std::string token;
  EXPECT_EQ(s.ScanWholeToken(token, true), '=');
  EXPECT_EQ(token, std::string(300, 'X'));
  EXPECT_EQ(s.ScanWholeToken(token, false), ',');
  EXPECT_EQ(token, long2);
  EXPECT_EQ(s.ScanWholeToken(token, true), kScanBlank);
  EXPECT_EQ(token, "a'" + long1);  // no upper-casing inside quotes
  EXPECT_EQ(s.ScanWholeToken(token, false), kScanEndOfLine);
  EXPECT_EQ(token, "tail");
}

TEST(TextScanner, DelimiterClassification) {
  TextScanner s;
  s.SetText("");
  EXPECT_FALSE(s.IsDelimiter(0xFF));  // the "none" marker is never a delimiter
  s.SetText("\"q");
  EXPECT_EQ(s.GetDelimiter(), kScanBlank);
  EXPECT_EQ(*s.m_pPos, '"');  // a quote starts the next token
}

TEST(TextScanner, TwoSlotsKeepIndependentCursorsAndReadLineEndsAsBlanks) {
  const char first[] = "A\r\nB C";
  const char second[] = "x y\nz";
  TextScanner s;
  s.PushState(first, second, '-');
  std::string t;
  s.SelectText(0);
  EXPECT_EQ(s.ScanToken(t, false), kScanBlank);
  EXPECT_EQ(t, "A");
  s.SelectText(1);
  EXPECT_EQ(s.ScanToken(t, false), kScanBlank);
  EXPECT_EQ(t, "x");
  s.SelectText(0);
  s.ScanToken(t, false);
  EXPECT_EQ(t, "B");
  s.SelectText(1);
  s.ScanToken(t, false);
  EXPECT_EQ(t, "y");
  EXPECT_TRUE(s.IsDelimiter('-'));
  s.ScanToken(t, false);
  EXPECT_EQ(t, "z");
  EXPECT_STREQ(first, "A\r\nB C");  // the texts themselves are unchanged
}

TEST(SharedScanner, FreeFunctionsMoveTheSharedCursor) {
  SetScanText("ONE two");
  char buffer[kScanBufferSize];
  int length = 0;
  EXPECT_EQ(ScanToken(buffer, true, length), kScanBlank);
  EXPECT_STREQ(buffer, "ONE");
  EXPECT_STREQ(g_pScanPos, "two");
  g_pScanPos += 1;  // callers may move the cursor
  EXPECT_EQ(ScanToken(buffer, true, length), kScanEndOfLine);
  EXPECT_STREQ(buffer, "WO");
}

}  // namespace
}  // namespace pm2
