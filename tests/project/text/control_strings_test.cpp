#include "project/text/control_strings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "project/text/scanner.h"

namespace pm2 {
namespace {

struct MatchRow {
  const char* name;
  const char* first;
  const char* second;
  bool match;
};

TEST(ControlStringsMatch, Rows) {
  const MatchRow rows[] = {
      {"identical", "OPTIMIZE (6,SPEED) DEBUG", "OPTIMIZE (6,SPEED) DEBUG", true},
      {"blanks and case", "optimize (6, speed)  debug", "OPTIMIZE(6,SPEED) DEBUG", true},
      {"line ends are blanks", "A\r\nB", "A B", true},
      {"quoting does not count", "INCDIR (\"C:\\INC\")", "INCDIR (c:\\inc)", true},
      {"no upper-casing inside quotes", "INCDIR (\"C:\\inc\")", "INCDIR (C:\\INC)", false},
      {"both empty", "", "  ", true},
      {"one empty", "", "DEBUG", false},
      {"extra control", "DEBUG", "DEBUG CODE", false},
      {"order counts", "DEBUG CODE", "CODE DEBUG", false},
      {"letters count", "OPTIMIZE (6)", "OPTIMIZE (5)", false},
      {"delimiter counts", "A=B", "A,B", false},
      {"case inside DEFINE counts", "DEFINE (Mode=1)", "DEFINE (MODE=1)", false},
      {"blanks inside DEFINE ignored", "DEFINE (X, Y)", "define(X,Y)", true},
      {"case counts again after DEFINE", "DEFINE (X) debug", "DEFINE (X) DEBUG", true},
      {"case outside after DEFINE differs", "DEFINE (x) debug", "DEFINE (X) DEBUG", false},
  };
  for (const MatchRow& r : rows) {
    EXPECT_EQ(ControlStringsMatch(r.first, r.second), r.match) << r.name;
    EXPECT_EQ(ControlStringsMatch(r.second, r.first), r.match) << r.name << " (swapped)";
  }
}

TEST(ControlStringsMatch, LeavesTheSharedScannerAndItsInputsAlone) {
  char first[] = "A\r\nB";
  SetScanText("KEEP me");
  ControlStringsMatch(first, "A B");
  EXPECT_STREQ(first, "A\r\nB");
  EXPECT_STREQ(g_pScanPos, "KEEP me");
}

TEST(ControlStringsMatch, LongControlsCompareBeyondOneToken) {
  std::string a(600, 'Q');
  std::string b = a;
  EXPECT_TRUE(ControlStringsMatch(a.c_str(), b.c_str()));
  b[500] = 'R';
  EXPECT_FALSE(ControlStringsMatch(a.c_str(), b.c_str()));
}

}  // namespace
}  // namespace pm2
