#include "project/files/line_file.h"

#include <gtest/gtest.h>

#include "project/file_test_util.h"

namespace pm2 {
namespace {

TEST(LineFileTest, RewritesEachSyntaxKindKeepingComments) {
  struct Row {
    const char* name;
    const char* line;
    int syntax;
    int conversion;
    int32_t value;
    bool arm;
    const char* expected;
    bool linkedByCaller = false;  // a kind the search never links
  } rows[] = {
      {"EQU keeps comment", "IDATALEN  EQU  80H  ; size of idata\r\n", 1, 0, 256, false,
       "IDATALEN EQU 256 ; size of idata /Dave/\r\n"},
      {"EQU kind 20, lower case", "\t?stack equ 10\n", 20, 0, 7, false,
       "?stack EQU 7 ; /Dave/\n"},
      {"SET", "PBPSTACK SET 0 ;flag\r\n", 2, 0, 1, false, "PBPSTACK SET 1 ; flag /Dave/\r\n"},
      {"$SET", "$SET (ZEROINIT = 1) ; clear\r\n", 3, 0, 0, false,
       "$SET (ZEROINIT = 0) ; clear /Dave/\r\n"},
      {"%DEFINE hex", "%DEFINE (SYSCON) (0A400H) ; sys\r\n", 10, 10, 0x5, false,
       "%DEFINE(SYSCON) (005000H) ; sys /Dave/\r\n"},
      {"%DEFINE size index", "%DEFINE (RAMSIZE) (4K)\r\n", 10, 11, 3, false,
       "%DEFINE(RAMSIZE) (32K) ; /Dave/\r\n"},
      {"kind 11", "%DEFINE(STK) (1K) ; s\r\n", 11, 0, 2, false, "%DEFINE(STK) (2K) ; s /Dave/\r\n",
       true},
      {"kind 21", "CLKCON EQU 0 ; c\r\n", 21, 0, 3, false, "CLKCON EQU 3 ; c /Dave/\r\n", true},
      {"inverted nibble", "WS EQU 0 ; wait\r\n", 1, 1, 0x2, false, "WS EQU 13 ; wait /Dave/\r\n"},
      {"marker only once", "X EQU 1 ; c /Dave/\r\n", 1, 0, 2, false, "X EQU 2 ; c /Dave/\r\n"},
      {"arm hex", "Stack_Size EQU 0x400 ; stack\r\n", 161, 0, 0x800, true,
       "Stack_Size EQU 0x800 ; stack /Dave/\r\n"},
      {"arm KB", "Heap EQU 4*KB\r\n", 177, 0, 8, true, "Heap EQU 8*KB ; /Dave/\r\n"},
      {"arm writes kind 1", "A EQU 1\r\n", 1, 0, 9, true, "A EQU 9 ; /Dave/\r\n"},
      {"arm kind left alone by the 51 writer", "Heap EQU 4*KB\r\n", 177, 0, 8, false,
       "Heap EQU 4*KB\r\n"},
      {"51 kind left alone by the arm writer", "%DEFINE (S) (1K)\r\n", 11, 0, 8, true,
       "%DEFINE (S) (1K)\r\n", true},
  };
  for (const Row& r : rows) {
    LineFile f;
    std::string text = std::string("; header\r\n") + r.line + "END\r\n";
    f.SetText(text);
    std::vector<EquateSymbol> s(1);
    // The symbol is the line's first name, after a "$SET (" or "%DEFINE (".
    std::string l = r.line;
    size_t start = (l[0] == '$' || l[0] == '%') ? l.find('(') + 1 : l.find_first_not_of(" \t");
    start = l.find_first_not_of(' ', start);
    s[0].name = l.substr(start, l.find_first_of(" \t)=", start) - start);
    s[0].syntax = r.syntax;
    s[0].conversion = r.conversion;
    s[0].value = r.value;
    if (r.linkedByCaller) {
      EXPECT_FALSE(f.FindEquateLine(s[0])) << r.name;
      s[0].line = 1;
    } else {
      ASSERT_TRUE(f.FindEquateLine(s[0])) << r.name;
    }
    EXPECT_EQ(s[0].line, 1) << r.name;
    EXPECT_EQ(f.FormatEquates(s, r.arm), "; header\r\n" + std::string(r.expected) + "END\r\n")
        << r.name;
  }
}

TEST(LineFileTest, FindsOnlyRealDefinitions) {
  LineFile f;
  f.SetText(
      "; XDATALEN EQU 1\r\n"
      "\r\n"
      "  MOV XDATALEN,#1\r\n"
      "XDATALENX EQU 3\r\n"
      "xdatalen EQU 0 ; first\r\n"
      "XDATALEN EQU 9 ; second\r\n");
  EquateSymbol s;
  s.name = "XDATALEN";
  s.syntax = 1;
  ASSERT_TRUE(f.FindEquateLine(s));
  EXPECT_EQ(s.line, 4);
  s.syntax = 2;  // no SET line
  EXPECT_FALSE(f.FindEquateLine(s));
  EXPECT_EQ(s.line, -1);
  s.syntax = 200;  // unknown kind
  EXPECT_FALSE(f.FindEquateLine(s));
}

TEST(LineFileTest, WriteKeepsLongLinesWholeAndIsStable) {
  ScratchDir dir;
  std::string path = dir.File("Startup.w51");
  std::string longComment = ";" + std::string(3000, 'c') + "\r\n";
  WriteFileText(path, longComment + "IBPSTACK EQU 0 ; re\r\nPBP EQU 0\r\nLAST EQU 1");
  LineFile f;
  ASSERT_EQ(f.Open(path), 0);
  std::vector<EquateSymbol> s(3);
  s[0].name = "IBPSTACK";
  s[0].syntax = 1;
  s[0].conversion = 4;  // its value goes to the next symbol as well
  s[0].value = 5;
  s[1].name = "PBP";
  s[1].syntax = 1;
  s[1].value = 99;
  s[2].name = "LAST";
  s[2].syntax = 1;
  s[2].conversion = 10;
  s[2].value = 2;
  f.FindEquateLines(s);
  ASSERT_EQ(f.WriteEquates(s), 0);
  const std::string once =
      longComment + "IBPSTACK EQU 5 ; re /Dave/\r\nPBP EQU 5 ; /Dave/\r\nLAST EQU 8192 ; /Dave/";
  EXPECT_EQ(ReadFileText(path), once);

  // Rewriting the rewritten file changes nothing.
  LineFile again;
  ASSERT_EQ(again.Open(path), 0);
  again.FindEquateLines(s);
  ASSERT_EQ(again.WriteEquates(s), 0);
  EXPECT_EQ(ReadFileText(path), once);

  LineFile missing;
  std::string err;
  EXPECT_EQ(missing.Open(dir.File("none.w51"), &err), 1);
  EXPECT_NE(err.find("none.w51"), std::string::npos);
}

}  // namespace
}  // namespace pm2
