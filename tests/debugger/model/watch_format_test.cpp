#include "debugger/model/watch_format.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

struct CharRow {
  const char* name;
  uint32_t code;
  const char* suffix;
};
class WatchCharForm : public ::testing::TestWithParam<CharRow> {};
TEST_P(WatchCharForm, Suffix) { EXPECT_EQ(WatchCharSuffix(GetParam().code), GetParam().suffix); }
INSTANTIATE_TEST_SUITE_P(Rows, WatchCharForm,
                         ::testing::Values(CharRow{"Bell", 7, " '\\a'"}, CharRow{"NewLine", 10, " '\\n'"},
                                           CharRow{"Return", 13, " '\\r'"}, CharRow{"Blank", 32, " ' '"},
                                           CharRow{"Letter", 'A', " 'A'"}, CharRow{"Del", 127, " '\x7f'"},
                                           CharRow{"Six", 6, ""}, CharRow{"Fourteen", 14, ""},
                                           CharRow{"High", 200, ""}, CharRow{"Nul", 0, ""}),
                         [](const auto& i) { return std::string(i.param.name); });

struct SuffixRow {
  const char* name;
  const char* expression;
  int radix;
  const char* stripped;
  const char* withRadix;  // after WithRadixSuffix(radix)
  int radixOfSuffix;
};
class WatchRadixSuffix : public ::testing::TestWithParam<SuffixRow> {};
TEST_P(WatchRadixSuffix, StripAndSet) {
  const SuffixRow& r = GetParam();
  EXPECT_EQ(StripRadixSuffix(r.expression), r.stripped);
  EXPECT_EQ(WithRadixSuffix(r.expression, r.radix), r.withRadix);
  EXPECT_EQ(RadixOfSuffix(r.expression), r.radixOfSuffix);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, WatchRadixSuffix,
    ::testing::Values(SuffixRow{"Plain", "count", 16, "count", "count,0x10", -1},
                      SuffixRow{"HexToDecimal", "count,0x10", 10, "count", "count,0x0A", 16},
                      SuffixRow{"DecimalToHex", "count,0x0A", 16, "count", "count,0x10", 10},
                      SuffixRow{"CallKeepsItsArguments", "f(a,b)", 10, "f(a,b)", "f(a,b),0x0A", -1},
                      SuffixRow{"IndexKeepsItsComma", "m[1,2]", 16, "m[1,2]", "m[1,2],0x10", -1},
                      SuffixRow{"CallWithSuffix", "f(a,b),0x10", 10, "f(a,b)", "f(a,b),0x0A", 16},
                      SuffixRow{"CommaExpressionIsItsOwn", "$r0, U", 16, "$r0, U", "$r0, U,0x10", -1},
                      SuffixRow{"CommaExpressionWithSuffix", "$r0, U,0x0A", 16, "$r0, U", "$r0, U,0x10", 10},
                      SuffixRow{"AnotherNumberIsNoSuffix", "a,0x20", 10, "a,0x20", "a,0x20,0x0A", -1},
                      SuffixRow{"LowerCaseDecimalSuffix", "a,0x0a", 16, "a", "a,0x10", 10}),
    [](const auto& i) { return std::string(i.param.name); });

TEST(WatchArrayChildren, AThousandElementsGiveThreeHundredAndOne) {
  const std::vector<std::string> names = ArrayChildNames(1000);
  ASSERT_EQ(names.size(), 301u);
  EXPECT_EQ(names[0], "[0]");
  EXPECT_EQ(names[299], "[299]");
  EXPECT_EQ(names[300], "[ ... ]");
  EXPECT_EQ(ArrayChildNames(300).size(), 300u);
  EXPECT_EQ(ArrayChildNames(301).back(), "[ ... ]");
  EXPECT_TRUE(ArrayChildNames(0).empty());
}

struct AssignRow {
  const char* name;
  std::vector<WatchChainPart> chain;
  bool ok;
  const char* text;
};
class WatchAssignable : public ::testing::TestWithParam<AssignRow> {};
TEST_P(WatchAssignable, Expression) {
  std::string out = "unchanged";
  EXPECT_EQ(BuildAssignableExpression(GetParam().chain, &out), GetParam().ok);
  EXPECT_EQ(out, GetParam().text);
}
std::vector<WatchChainPart> Deep(int n) { return std::vector<WatchChainPart>(std::size_t(n), WatchChainPart{"a", true, false}); }
INSTANTIATE_TEST_SUITE_P(
    Rows, WatchAssignable,
    ::testing::Values(
        AssignRow{"Symbol", {{"count", false, false}}, true, " `count"},
        AssignRow{"SymbolWithSuffix", {{"count,0x10", false, false}}, true, " `count"},
        AssignRow{"NotASymbol", {{"*p", false, false}}, true, " *p"},
        AssignRow{"Member", {{"pt", true, false}, {"x", false, false}}, true, " `pt.x"},
        AssignRow{"PointerToStruct", {{"pp", false, true}, {"*pp", true, false}, {"x", false, false}}, true,
                  " `pp->x"},
        AssignRow{"PointerToScalar", {{"p", false, false}, {"*p", false, false}}, true, "*`p"},
        AssignRow{"ArrayElement", {{"buf", false, false}, {"[3]", false, false}}, true, " `buf[3]"},
        AssignRow{"ThirtyLevels", Deep(30), true,
                  " `a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a.a"},
        AssignRow{"ThirtyOneLevels", Deep(31), false, "unchanged"},
        AssignRow{"TooLong", {{std::string(260, 'x'), false, false}}, false, "unchanged"}),
    [](const auto& i) { return std::string(i.param.name); });

TEST(WatchValueText, AChangeIsADifferentTextAfterAFirstOne) {
  EXPECT_FALSE(WatchValueChanged("", "5"));
  EXPECT_FALSE(WatchValueChanged("5", "5"));
  EXPECT_TRUE(WatchValueChanged("5", "6"));
  EXPECT_EQ(WatchValueCell("5"), "5               ");
  EXPECT_EQ(WatchValueCell(std::string(20, 'x')), std::string(20, 'x'));
  EXPECT_TRUE(IsEmptyWatchName(""));
  EXPECT_TRUE(IsEmptyWatchName("<type F2 to edit>"));
  EXPECT_FALSE(IsEmptyWatchName(" "));
}

}  // namespace
}  // namespace pm2
