// The syntax help over a small command language: the help line at the
// caret, paging, brackets, used keywords, completion, and tables that would
// never let the walk end.
#include <gtest/gtest.h>

#include <string>

#include "debugger/model/syntax_help.h"
#include "driver_abi/syntax_table_builder.h"

namespace pm2 {
namespace {

using B = SyntaxTableBuilder;

// BS <expression>, BK <expression>, DISplay, Go; a fallback that only says
// there is no help.
struct Language {
  B b;
  const SyntaxWord* root = nullptr;
  const SyntaxWord* fallback = nullptr;
  explicit Language(bool forgetUsed = false) {
    const uint8_t* expr = b.Record("<expression>", 0, 12, 254, ' ');
    const uint8_t* bs = b.Record("BS - set breakpoint", 2, 2, 2, ' ', {B::Ref(expr), 2});
    const uint8_t* bk = b.Record("BK - kill breakpoint", 2, 2, 2, ' ', {B::Ref(expr), 2});
    const uint8_t* dis = b.Record("DISplay", 3, 7, 3, ' ');
    const uint8_t* go = b.Record("Go", 1, 2, 1, ' ');
    std::vector<SyntaxWord> words;
    if (forgetUsed) words.push_back(-1);
    for (const uint8_t* r : {bs, bk, dis, go}) words.push_back(B::Ref(r));
    // BS and BK go into their expression: end code 1.
    words.push_back(1);
    root = b.Table(words);
    fallback = b.Table({B::Ref(b.Record("<< no help available ! >>", 0, 25, 255, ' ')), 0});
  }
};

struct HelpRow {
  const char* name;
  std::string line;
  std::string help;
};
class SyntaxHelpLine : public ::testing::TestWithParam<HelpRow> {};

TEST_P(SyntaxHelpLine, AtTheCaret) {
  Language lang;
  SyntaxHelp help;
  help.SetHelpWidth(80);
  help.Install(lang.fallback, lang.fallback, lang.root);
  EXPECT_EQ(help.Analyse(GetParam().line), GetParam().help);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SyntaxHelpLine,
    ::testing::Values(HelpRow{"EmptyLineListsTheRoot", "", "BS BK DISplay Go"},
                      HelpRow{"BlankAtStartListsTheRoot", " ", "BS BK DISplay Go"},
                      HelpRow{"PrefixNarrows", "B", "BS BK"},
                      HelpRow{"LowerCaseTyped", "di", "DISplay"},
                      HelpRow{"KeywordThenExpression", "BS ", "<expression>"},
                      HelpRow{"OpenBracketShowsItsCloser", "BS (a+", "<expression> )"},
                      HelpRow{"NestedBracketsMostRecentFirst", "BS (a[1+", "<expression> ])"},
                      HelpRow{"UnknownWordFallsBack", "XYZ ", "<< no help available ! >>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SyntaxHelp, NoTablesNoHelp) {
  SyntaxHelp help;
  EXPECT_EQ(help.Analyse("BS "), "");
  EXPECT_FALSE(help.Installed());
  Language lang;
  help.Install(lang.fallback, lang.fallback, lang.root);
  help.Uninstall();
  EXPECT_EQ(help.Analyse(""), "");
}

TEST(SyntaxHelp, PagesWrapToTheFirst) {
  Language lang;
  SyntaxHelp help;
  help.SetHelpWidth(9);
  help.Install(lang.fallback, lang.fallback, lang.root);
  const std::string first = help.Analyse("");
  EXPECT_EQ(first, "BS BK");
  const std::string second = help.NextPage();
  EXPECT_EQ(second, "DISplay");
  EXPECT_EQ(help.NextPage(), "Go");
  EXPECT_EQ(help.NextPage(), first);
}

TEST(SyntaxHelp, UsedKeywordNotOfferedAgainUntilForgotten) {
  {
    Language lang;
    SyntaxHelp help;
    help.SetHelpWidth(80);
    help.Install(lang.fallback, lang.fallback, lang.root);
    // DISplay has no sub-table: end code 1 keeps the walk in the root.
    EXPECT_EQ(help.Analyse("DIS B"), "BS BK");
    EXPECT_EQ(help.Analyse("DIS D"), "");
  }
  Language forget(true);
  SyntaxHelp help;
  help.SetHelpWidth(80);
  help.Install(forget.fallback, forget.fallback, forget.root);
  EXPECT_EQ(help.Analyse("DIS D"), "DISplay");
}

struct CompleteRow {
  const char* name;
  std::string line;
  std::string typed;
};
class SyntaxComplete : public ::testing::TestWithParam<CompleteRow> {};
TEST_P(SyntaxComplete, Blank) {
  Language lang;
  SyntaxHelp help;
  help.Install(lang.fallback, lang.fallback, lang.root);
  EXPECT_EQ(help.Complete(GetParam().line), GetParam().typed);
}
INSTANTIATE_TEST_SUITE_P(Rows, SyntaxComplete,
                         ::testing::Values(CompleteRow{"UniqueAbbreviationCompleted", "DI", "s"},
                                           CompleteRow{"AmbiguousGetsABlank", "B", " "},
                                           CompleteRow{"CompleteKeywordGetsABlank", "BS", " "},
                                           CompleteRow{"OneLetterKeyword", "g", " "}),
                         [](const auto& info) { return std::string(info.param.name); });

// A word whose row stops the help (its arguments are the driver's): what
// is typed after it is no abbreviation of it.
TEST(SyntaxHelp, ArgumentsOfAWordAloneStayAsTyped) {
  B b;
  const SyntaxWord* root = b.Table({B::Ref(b.Record("NEXT", 4, 4, 4, ' ', {5})), 1});
  SyntaxHelp help;
  help.Install(nullptr, nullptr, root);
  EXPECT_EQ(help.Complete("ne"), "xt");
  EXPECT_EQ(help.Complete("next 2"), " ");
  EXPECT_EQ(help.Complete("next n"), " ");
  EXPECT_EQ(help.Complete("next "), " ");
}

TEST(SyntaxHelp, PlaceholderThatKeepsAskingForRefeedsEnds) {
  // A placeholder whose follower is a blank re-feeds a "(" terminator, and
  // the empty token that follows re-feeds it again, for ever.
  B b;
  const SyntaxWord* root = b.Table({B::Ref(b.Record("<name>", 0, 6, 0, ' ')), 0});
  SyntaxHelp help;
  help.Install(nullptr, nullptr, root);
  help.Analyse("abc(def");
  SUCCEED() << "the walk ended";
  EXPECT_LE(help.Candidates().size(), SyntaxHelp::kMaxCandidates);
}

TEST(SyntaxHelp, TableThatContinuesIntoItselfEnds) {
  // Y's sub-table goes back one level and on with itself, for ever.
  B b;
  const uint8_t* x = b.Record("X", 1, 1, 1, ' ');
  const uint8_t* y = b.Record("Y", 1, 1, 1, ' ', {B::Ref(x), 3, 0});
  auto* loop = const_cast<SyntaxWord*>(SyntaxSubTable(y));
  loop[2] = reinterpret_cast<SyntaxWord>(loop);
  const SyntaxWord* root = b.Table({B::Ref(y), 1});
  SyntaxHelp help;
  help.SetHelpWidth(80);
  help.Install(nullptr, nullptr, root);
  EXPECT_EQ(help.Analyse("Y "), "X");
  // Words that match nothing leave the walk in the loop, and it still ends.
  EXPECT_EQ(help.Analyse("Y Q Q Q "), "X");
}

}  // namespace
}  // namespace pm2
