// gdb's commands typed on the command page that name breakpoints: the
// numbers typed are the command page's, and gdb's numbers also count the
// driver's own breakpoints. One named row a command, with the driver's own
// breakpoints at gdb's numbers 1 and 4: the user's 1, 2, 3 are gdb's 2, 3, 5.
#include "debugger/gdb/breakpoints/typed_breakpoint_numbers.h"

#include <gtest/gtest.h>

#include <set>

namespace pm2::gdb {
namespace typed_numbers_test {

struct Row {
  const char* name;
  const char* typed;
  std::string expected;  // gdb's command, "" nothing to do, or "!" and the reason
};

class TypedNumbers : public ::testing::TestWithParam<Row> {};

TEST_P(TypedNumbers, AreTheCommandPagesNumbers) {
  const std::set<int> own = {1, 4};
  TypedBreakpoints b;
  b.userNumbers = {1, 2, 3};
  b.gdbNumber = [&](int user) {
    int number = user;
    for (int n : own)
      if (n <= number) ++number;
    return number;
  };
  std::string out, err;
  const bool ok = TypedBreakpointCommand(GetParam().typed, b, &out, &err);
  EXPECT_EQ(ok ? out : "!" + err, GetParam().expected);
}

TEST(TypedNumbersWithoutBreakpoints, NameNoneOfTheDriversOwn) {
  TypedBreakpoints b;
  b.gdbNumber = [](int user) { return user + 1; };
  for (const char* typed : {"delete", "disable", "enable once", "delete 1-5"}) {
    std::string out = "x", err;
    EXPECT_TRUE(TypedBreakpointCommand(typed, b, &out, &err)) << typed;
    EXPECT_EQ(out, "") << typed;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TypedNumbers,
    ::testing::Values(
        Row{"DeleteOne", "delete 1", "delete 2"},
        Row{"DeleteByItsShortestWord", "d 3", "delete 5"},
        Row{"DeleteByAPrefix", "del 2", "delete 3"},
        Row{"DeleteSeveral", "delete 1 3", "delete 2 5"},
        Row{"DeleteARange", "delete 2-3", "delete 3 5"},
        Row{"DeleteAll", "delete", "delete 2 3 5"},
        Row{"DeleteBreakpointsAll", "delete breakpoints", "delete breakpoints 2 3 5"},
        Row{"DeleteBreakpointsOne", "delete br 1", "delete br 2"},
        Row{"DeleteOtherThingsStays", "delete display 1", "delete display 1"},
        Row{"DisableAll", "disable", "disable 2 3 5"},
        Row{"DisableBreakpointsByOneLetter", "disable b", "disable b 2 3 5"},
        Row{"EnableBreakpointsByOneLetter", "enable b 2", "enable b 3"},
        Row{"DeleteByOneLetterIsGdbsAmbiguity", "delete b", "delete b"},
        Row{"DisableLocation", "dis 3.2", "disable 5.2"},
        Row{"DisableMemoryRegionStays", "disable mem 1", "disable mem 1"},
        Row{"EnableAll", "enable", "enable 2 3 5"},
        Row{"EnableOnce", "enable once 1", "enable once 2"},
        Row{"EnableCount", "en count 2 3", "enable count 2 5"},
        Row{"EnableDeleteAll", "enable delete", "enable delete 2 3 5"},
        Row{"Condition", "condition 3 n > 2", "condition 5 n > 2"},
        Row{"ConditionForced", "cond -force 1 x == 1", "condition -force 2 x == 1"},
        Row{"ConditionRemoved", "condition 2", "condition 3"},
        Row{"Ignore", "ignore 1 5", "ignore 2 5"},
        Row{"Commands", "commands 2", "commands 3"},
        Row{"ConvenienceVariableRefused", "delete $bpnum", "!'$bpnum' names gdb's numbers, not those BL lists"},
        Row{"OtherCommandsStay", "info breakpoints", "info breakpoints"},
        Row{"DetachIsNoDelete", "detach", "detach"},
        Row{"NotANumberGoesToGdb", "delete main", "delete main"}),
    [](const auto& info) { return std::string(info.param.name); });

// Behind gdb's "with SETTING -- " prefix a command is mapped as alone;
// gdb's own numbers ("$bpnum", also as a range's end) are refused.
INSTANTIATE_TEST_SUITE_P(
    Prefixed, TypedNumbers,
    ::testing::Values(Row{"WithDisableAll", "with print pretty -- disable", "with print pretty -- disable 2 3 5"},
                      Row{"WithDeleteOne", "w confirm off -- delete 2", "w confirm off -- delete 3"},
                      Row{"WithInsideWith", "with confirm off -- with print pretty -- disable 1",
                          "with confirm off -- with print pretty -- disable 2"},
                      Row{"WithOtherCommandStays", "with print pretty -- print x", "with print pretty -- print x"},
                      Row{"WithoutItsCommand", "with confirm off",
                          "!'with' without '-- command' repeats gdb's last command: give the command after '--'"},
                      Row{"RangeToGdbsLastNumber", "disable 1-$bpnum", "!'1-$bpnum' names gdb's numbers, not those BL lists"},
                      Row{"GdbsNumberBehindWith", "with confirm off -- delete $bpnum",
                          "!'$bpnum' names gdb's numbers, not those BL lists"}),
    [](const auto& info) { return std::string(info.param.name); });

// While the target runs gdb changes no breakpoint, yet marks some changed
// before it refuses the command: whatever names breakpoints is refused,
// with the reason, in every form; what names none goes on.
const Row kWhileRunningRows[] = {
    {"DeleteAll", "delete",
     "!'delete' changes breakpoints, which gdb does not while the target runs (it would mark some changed and refuse "
     "the command): stop it first"},
    {"DisableBreakpointsByOneLetter", "disable b",
     "!'disable' changes breakpoints, which gdb does not while the target runs (it would mark some changed and "
     "refuse the command): stop it first"},
    {"DisableARange", "disable 1-2",
     "!'disable' changes breakpoints, which gdb does not while the target runs (it would mark some changed and "
     "refuse the command): stop it first"},
    {"DeleteOne", "delete 2",
     "!'delete' changes breakpoints, which gdb does not while the target runs (it would mark some changed and refuse "
     "the command): stop it first"},
    {"EnableOnceBehindWith", "with print pretty -- enable once",
     "!'enable' changes breakpoints, which gdb does not while the target runs (it would mark some changed and "
     "refuse the command): stop it first"},
    {"GdbsNumbersRefusedAsAlways", "disable 1-$bpnum",
     "!'disable' changes breakpoints, which gdb does not while the target runs (it would mark some changed and "
     "refuse the command): stop it first"},
    {"OtherCommandsGoOn", "info breakpoints", "info breakpoints"},
    {"OtherSubcommandGoesOn", "delete display 1", "delete display 1"},
};

class TypedNumbersWhileRunning : public ::testing::TestWithParam<Row> {};

TEST_P(TypedNumbersWhileRunning, AreRefusedWhereTheyNameBreakpoints) {
  TypedBreakpoints b;
  b.running = true;
  b.userNumbers = {1, 2};
  b.gdbNumber = [](int user) { return user + 1; };
  std::string out, err;
  const bool ok = TypedBreakpointCommand(GetParam().typed, b, &out, &err);
  EXPECT_EQ(ok ? out : "!" + err, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, TypedNumbersWhileRunning, ::testing::ValuesIn(kWhileRunningRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace typed_numbers_test
}  // namespace pm2::gdb
