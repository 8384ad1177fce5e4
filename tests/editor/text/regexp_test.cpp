#include <gtest/gtest.h>

#include "editor/text/regexp.h"

namespace pm2 {
namespace {

struct MatchRow {
  const char* name;
  const char* pattern;
  const char* text;
  int offset;         // -1: no match
  const char* match;  // the whole match when found
};

const MatchRow kMatchRows[] = {
    {"literal", "abc", "xxabcxx", 2, "abc"},
    {"star on missing letter matches empty at 0", "x*", "abc", 0, ""},
    {"star is greedy", "a*b", "caaab", 1, "aaab"},
    {"plus needs one", "ba+", "b ba baa", 2, "ba"},
    {"plus greedy", "ba+", "baaa", 0, "baaa"},
    {"question optional", "colou?r", "color colour", 0, "color"},
    {"caret anchors", "^ab", "xab", -1, ""},
    {"caret at start", "^ab", "abab", 0, "ab"},
    {"dollar at end", "ab$", "abab", 2, "ab"},
    {"dollar alone", "$", "abc", 3, ""},
    {"dot", "a.c", "abc", 0, "abc"},
    {"dot needs a character", "ab.", "ab", -1, ""},
    {"class", "[0-9]+", "val = 1234;", 6, "1234"},
    {"negated class", "[^ ]+", "  word ", 2, "word"},
    {"class with bracket first", "[]a]+", "x]a]", 1, "]a]"},
    {"class with dash last", "[a-]+", "x-a-", 1, "-a-"},
    {"alternation first branch", "cat|dog", "hotdog cat", 3, "dog"},
    {"alternation in group", "(ab|cd)+e", "xcdabe", 1, "cdabe"},
    {"group star", "(ab)*c", "ababc", 0, "ababc"},
    {"group question", "a(bc)?d", "ad abcd", 0, "ad"},
    {"escaped special", "a\\.b", "axb a.b", 4, "a.b"},
    {"escaped star", "2\\*3", "2*3", 0, "2*3"},
    {"literal run before star", "abc*", "abccc", 0, "abccc"},
    {"required text after repetition", ".*needle", "hay needle hay", 0, "hay needle"},
    {"required text missing", "x*needle", "no match here", -1, ""},
    {"star then literal backtracks", "a*ab", "aaab", 0, "aaab"},
    {"range from a high byte keeps the members after NUL", "[\xF0-z]+", "{~abc", 2, "abc"},
    {"literal after a class is looked for first", "handler_[0-9]+", "handles handler_12(", 8, "handler_12"},
    {"literal after a class missing", "handler_[0-9]+", "handles handle_12", -1, ""},
    {"later literal is looked for first", "count\\+\\+;.*odd", "c co count++; /* odd */", 5, "count++; /* odd"},
    {"optional part is not required", "ab(cd)?ef", "xabef", 1, "abef"},
    {"repeated group is not required", "xy(zz)*w", "xyw", 0, "xyw"},
    {"one of two alternatives is not required", "(abc|de)f", "def", 0, "def"},
    {"escaped literal with required text", "0x[0-9A-F]+", "n = 0 0x1F;", 6, "0x1F"},
    {"anchored line beginning with another character", "^}$", "\t}", -1, ""},
    {"anchored line beginning with its character", "^}$", "}", 0, "}"},
    {"anchored literal then more", "^ab+c", "abbbc", 0, "abbbc"},
};

TEST(RegExp, MatchesTable) {
  for (const MatchRow& r : kMatchRows) {
    CEditRegExp re;
    ASSERT_EQ(1, re.Compile(r.pattern)) << r.name;
    EXPECT_EQ(r.offset, re.Exec(r.text)) << r.name;
    if (r.offset >= 0) {
      EXPECT_EQ(r.match, re.MatchText()) << r.name;
    }
  }
}

TEST(RegExp, SearchFromAnOffsetKeepsTheLineStart) {
  struct Row { const char* name; const char* pattern; const char* text; size_t from; int offset; };
  const Row rows[] = {
      {"caret is not the search point", "^a", "aaa", 1, -1},
      {"caret at the start still matches", "^a", "aaa", 0, 0},
      {"first character looked up from the offset", "x[0-9]", "x1 x2", 1, 3},
      {"required text looked up from the offset", ".*end", "end and", 1, -1},
      {"offset past the text", "a*", "aa", 3, -1},
      {"empty match at the end", "$", "ab", 2, 2},
  };
  for (const Row& r : rows) {
    CEditRegExp re;
    ASSERT_EQ(1, re.Compile(r.pattern)) << r.name;
    EXPECT_EQ(r.offset, re.Exec(r.text, r.from)) << r.name;
  }
}

TEST(RegExp, NulInsideTextIsMatchedByDot) {
  CEditRegExp re;
  ASSERT_EQ(1, re.Compile("b.d"));
  EXPECT_EQ(1, re.Exec(std::string_view("ab\0d", 4)));
  ASSERT_EQ(1, re.Compile("[^x]d"));
  EXPECT_EQ(2, re.Exec(std::string_view("ab\0d", 4)));
}

TEST(RegExp, CompileRefusals) {
  struct Row { const char* name; const char* pattern; int ok; };
  const Row rows[] = {
      {"plus after letter", "a+", 1},
      {"leading plus", "+a", 0},
      {"double star", "a**", 0},
      {"star then plus", "a*+", 0},
      {"lone open paren", "(", 0},
      {"unclosed group", "(ab", 0},
      {"stray close paren", "ab)", 0},
      {"reversed range", "[z-a]", 0},
      {"unclosed bracket", "[abc", 0},
      {"trailing backslash", "ab\\", 0},
      {"star of empty group", "(a*)*", 0},
      {"question of empty is fine", "(a*)?", 1},
      {"empty alternative", "a|", 1},
      {"nine groups", "(a)(b)(c)(d)(e)(f)(g)(h)(i)", 1},
      {"ten groups", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", 0},
  };
  for (const Row& r : rows) {
    CEditRegExp re;
    EXPECT_EQ(r.ok, re.Compile(r.pattern)) << r.name;
    if (!r.ok) {
      EXPECT_EQ(-1, re.Exec("abc")) << r.name << ": a failed compile never matches";
    }
  }
}

TEST(RegExp, OptimisationsFromTheFirstNode) {
  CEditRegExp re;
  ASSERT_EQ(1, re.Compile("^abc"));
  EXPECT_TRUE(re.Anchored());
  ASSERT_EQ(1, re.Compile("hello|world"));
  EXPECT_EQ(0, re.FirstChar());  // two alternatives: no first character
  ASSERT_EQ(1, re.Compile("x[0-9]*"));
  EXPECT_EQ('x', re.FirstChar());
  ASSERT_EQ(1, re.Compile("a*bb.ccc"));
  EXPECT_EQ("ccc", re.RequiredText());
  ASSERT_EQ(1, re.Compile("x*ab.cd"));
  EXPECT_EQ("cd", re.RequiredText());  // the last of equal length
  // Without a leading repetition: the longest literal of two or more.
  ASSERT_EQ(1, re.Compile("handler_[0-9]+"));
  EXPECT_EQ("handler_", re.RequiredText());
  ASSERT_EQ(1, re.Compile("c[a-z]+tion"));
  EXPECT_EQ("tion", re.RequiredText());
  ASSERT_EQ(1, re.Compile("a[0-9]b"));
  EXPECT_EQ("", re.RequiredText());  // one character: the first one does
  ASSERT_EQ(1, re.Compile("ab(cd)?"));
  EXPECT_EQ("ab", re.RequiredText());  // an optional literal is never required
  ASSERT_EQ(1, re.Compile("hello|world"));
  EXPECT_EQ("", re.RequiredText());  // two alternatives: neither is required
}

TEST(RegExp, ProgramEncoding) {
  CEditRegExp re;
  ASSERT_EQ(1, re.Compile("a"));
  // BRANCH -> END, governing EXACTLY "a" -> END.
  const std::vector<uint8_t> expected = {kRegBranch, 8, 0, kRegExactly, 5, 0, 'a', 0, kRegEnd, 0, 0};
  EXPECT_EQ(expected, re.Program());
}

TEST(RegExp, Substitution) {
  struct Row { const char* name; const char* pattern; const char* text; const char* tmpl; const char* expect; };
  const Row rows[] = {
      {"whole match", "abc", "xabcx", "[&]", "[abc]"},
      {"group swap", "([a-z]+)=([0-9]+)", "key=42", "\\2:\\1", "42:key"},
      {"unmatched group is empty", "a(x)?b", "ab", "<\\1>", "<>"},
      {"escaped backslash and ampersand", "b", "abc", "\\\\\\&&", "\\&b"},
      {"other backslash kept", "b", "abc", "\\n\\t", "\\n\\t"},
  };
  for (const Row& r : rows) {
    CEditRegExp re;
    ASSERT_EQ(1, re.Compile(r.pattern)) << r.name;
    ASSERT_GE(re.Exec(r.text), 0) << r.name;
    EXPECT_EQ(r.expect, re.Substitute(r.tmpl).value_or("<none>")) << r.name;
  }
  CEditRegExp re;
  ASSERT_EQ(1, re.Compile("zz"));
  EXPECT_EQ(-1, re.Exec("abc"));
  EXPECT_FALSE(re.Substitute("&").has_value());
}

// A miss after a match leaves no group of the match behind, whether the
// line was tried or passed over before any try.
TEST(RegExp, GroupsOfAnEarlierMatchAreUnsetAfterAMiss) {
  struct Row { const char* name; const char* pattern; const char* hit; const char* miss; };
  const Row rows[] = {
      {"tried and missed", "x(a+)(b)", "xaab", "xaac"},
      {"no first character", "x(a+)(b)", "xaab", "nothing"},
      {"required text missing", "(a+)bcd", "aabcd", "aabc"},
      {"anchored", "^(a)(b)", "ab", "ba"},
  };
  for (const Row& r : rows) {
    CEditRegExp re;
    ASSERT_EQ(1, re.Compile(r.pattern)) << r.name;
    ASSERT_GE(re.Exec(r.hit), 0) << r.name;
    EXPECT_GE(re.GroupStart(1), 0) << r.name;
    EXPECT_EQ(-1, re.Exec(r.miss)) << r.name;
    EXPECT_FALSE(re.HasMatch()) << r.name;
    for (int g = 0; g < kRegGroups; ++g) {
      EXPECT_EQ(-1, re.GroupStart(g)) << r.name << " group " << g;
      EXPECT_EQ(-1, re.GroupEnd(g)) << r.name << " group " << g;
    }
  }
}

TEST(RegExp, CatastrophicPatternGivesUpInsteadOfHanging) {
  CEditRegExp re;
  ASSERT_EQ(1, re.Compile("((a+)+)+b"));
  std::string text = std::string(40, 'a') + "c b";
  EXPECT_EQ(-1, re.Exec(text));
  EXPECT_TRUE(re.GaveUp());
}

// A pattern that does not compile says what is wrong and at which column:
// the character at fault (an unmatched '(' or '[', a bad range's start),
// not where the parser gave up.
TEST(RegExpErrors, SayWhatAndWhere) {
  struct Row {
    const char* pattern;
    const char* error;
    int column;
  } rows[] = {
      {"a(b", "a '(' without its ')'", 2},
      {"Serial(Init", "a '(' without its ')'", 7},
      {"((a)b", "a '(' without its ')'", 1},
      {"(a)(b|c", "a '(' without its ')'", 4},
      {"ab)", "a ')' without its '('", 3},
      {"[abc", "a '[' without its ']'", 1},
      {"x[z-a]", "a range whose end comes before its start", 3},
      {"[a-cz-a]", "a range whose end comes before its start", 5},
      {"*a", "nothing before the operator", 1},
      {"a|*", "nothing before the operator", 3},
      {"ab\\", "a '\\' at the end", 4},
      {"a**", "a repetition of a repetition", 3},
      {"(a*)*", "a '*' or '+' after something that can be empty", 5},
      {"(1)(2)(3)(4)(5)(6)(7)(8)(9)(10)", "more than nine groups", 28},
  };
  for (const Row& r : rows) {
    CEditRegExp re;
    EXPECT_EQ(0, re.Compile(r.pattern)) << r.pattern;
    EXPECT_EQ(re.Error(), r.error) << r.pattern;
    EXPECT_EQ(re.ErrorColumn(), r.column) << r.pattern;
  }
  CEditRegExp good;
  ASSERT_EQ(1, good.Compile("a(b)c"));
  EXPECT_EQ(good.Error(), "");
  // Every search tells it in the same words.
  EXPECT_EQ(InvalidExpressionText("Serial(Init"),
            "'Serial(Init' is no valid regular expression: a '(' without its ')' (at column 7).");
  EXPECT_EQ(InvalidExpressionText("a(b)c"), "");
}

}  // namespace
}  // namespace pm2
