// The wizard's rows made from a block, their shown values, in-place edit
// results, the enabling rule, and writing changed values back into the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <functional>
#include <string>

#include "editor/wizard/option_rows.h"
#include "editor/wizard/option_writeback.h"
#include "editor/wizard/options_parser.h"

namespace pm2 {
namespace {

const char kBlock[] =
    "//;; PELMORA_OPTIONS_BLOCK { NAME = \"Startup\" STYLE = EXPAND\n"
    "//;; OPTION { ID = stack NAME = \"Stack\" TYPE = HEXADECIMAL DEFAULT = 0x80 KEY = \"Stack_Size\" }\n"
    "//;; OPTION { ID = pll NAME = \"PLL\" TYPE = BOOL DEFAULT = 0 KEY = \"PLL_SETUP\" }\n"
    "//;; FOLDER { ID = clk NAME = \"Clock\" STYLE = EXPAND\n"
    "//;;   OPTION { ID = msel NAME = \"M\" TYPE = DECIMAL DEFAULT = 5 MIN = 1 MAX = 32 ENABLEDBY = pll KEY = \"MSEL\" }\n"
    "//;;   OPTION { ID = psel NAME = \"P\" TYPE = SELECTION DEFAULT = 7 ENABLEDBY = msel KEY = \"PSEL\"\n"
    "//;;     ITEMS { ITEM { ENTRY = \"1\" VALUE = 0 } ITEM { ENTRY = \"2\" VALUE = 1 } ITEM { ENTRY = \"4\" } } }\n"
    "//;;   OPTION { ID = notype NAME = \"none\" }\n"
    "//;; }\n"
    "//;; OPTION { ID = mapfile NAME = \"Map\" TYPE = FILE DEFAULT = \"a.map\" KEY = \"MAPNAME\" }\n"
    "//;; OPTION { ID = hidden NAME = \"H\" TYPE = DECIMAL DEFAULT = 3 STYLE = HIDEVALUE }\n"
    "//;; OPTION { ID = nodef NAME = \"N\" TYPE = DECIMAL }\n"
    "//;; }\n"
    "        .equ Stack_Size, 0x80   @ 128 bytes\n"
    "        .equ PLL_SETUP, 0\n"
    "MSEL    EQU  05H\n"
    "#define PSEL 4\n"
    "        .ascii \"MAPNAME\"\n"
    "#define MAPNAME \"a.map\"\n";

struct Loaded {
  OptionsIdMap map;
  OptionRows rows;
  explicit Loaded(const std::string& text) { rows.Build(LoadOptionsText(map, text, false)); }
};

int RowNamed(const OptionRows& rows, const std::string& label) {
  for (int i = 0; i < rows.Count(); ++i)
    if (rows.Row(i).label == label) return i;
  return -1;
}

TEST(OptionRowsTest, TypesBecomeRowsInFileOrder) {
  Loaded l(kBlock);
  ASSERT_TRUE(l.map.Reports().empty());
  struct Row {
    const char* label;
    int kind;
    int depth;
    std::string value;
  };
  const Row rows[] = {
      {"Startup", kRowLabel, 0, ""}, {"Stack", kRowHex, 1, "80H"},    {"PLL", kRowCheck, 1, ""},
      {"Clock", kRowLabel, 1, ""},   {"M", kRowDecimal, 2, "5"},      {"P", kRowSelection, 2, "1"},
      {"Map", kRowFile, 1, "a.map"}, {"H", kRowDecimal, 1, ""},       {"N", kRowDecimal, 1, "0"},
  };
  ASSERT_EQ(int(std::size(rows)), l.rows.Count()) << "the option without TYPE has no row";
  for (int i = 0; i < l.rows.Count(); ++i) {
    SCOPED_TRACE(rows[i].label);
    EXPECT_EQ(rows[i].label, l.rows.Row(i).label);
    EXPECT_EQ(rows[i].kind, l.rows.Row(i).kind);
    EXPECT_EQ(rows[i].depth, l.rows.Row(i).depth);
    EXPECT_EQ(rows[i].value, l.rows.ValueText(i));
  }
  EXPECT_EQ(0, l.rows.Row(RowNamed(l.rows, "P")).value) << "an index beyond the entries shows the first";
  EXPECT_EQ(5, l.rows.Row(RowNamed(l.rows, "Map")).option) << "options are numbered with the one without a row";
}

TEST(OptionRowsTest, HexadecimalInputInEveryForm) {
  struct Row {
    const char* input;
    bool read;
    uint32_t value;
  };
  const Row rows[] = {{"0x1f", true, 31}, {"1FH", true, 31}, {"1f", true, 31}, {"  0X1F  ", true, 31},
                      {"H", false, 0},    {"F", true, 15},   {"0", true, 0},   {"FFFFFFFF", true, 0xFFFFFFFFu},
                      {"12G4", false, 0}, {"100000000", false, 0}};
  for (const Row& r : rows) {
    uint32_t value = 0;
    EXPECT_EQ(r.read, OptionRows::ReadHexInput(r.input, &value)) << r.input;
    if (r.read) {
      EXPECT_EQ(r.value, value) << r.input;
    }
  }
  Loaded l(kBlock);
  const int stack = RowNamed(l.rows, "Stack");
  EXPECT_TRUE(l.rows.EndEdit(stack, "1f"));
  EXPECT_EQ("1FH", l.rows.ValueText(stack));
  EXPECT_FALSE(l.rows.EndEdit(stack, "0x1F")) << "the same value is no change";
}

TEST(OptionRowsTest, DecimalAndSelectionEdits) {
  struct Row {
    const char* input;
    int32_t value;
  };
  const Row rows[] = {{"12", 12}, {" -7", -7}, {"+3x", 3}, {"abc", 0}, {"", 0}};
  for (const Row& r : rows) EXPECT_EQ(r.value, OptionRows::ParseDecimalInput(r.input)) << r.input;
  Loaded l(kBlock);
  const int p = RowNamed(l.rows, "P");
  EXPECT_TRUE(l.rows.EndEdit(p, "4"));
  EXPECT_EQ(2, l.rows.Row(p).value);
  EXPECT_FALSE(l.rows.EndEdit(p, "8")) << "a text that is no entry changes nothing";
  EXPECT_EQ("4", l.rows.ValueText(p));
}

TEST(OptionRowsTest, EnablingRowsGreyTheirDirectDependantsOnly) {
  Loaded l(kBlock);
  const int pll = RowNamed(l.rows, "PLL"), m = RowNamed(l.rows, "M"), p = RowNamed(l.rows, "P");
  EXPECT_EQ(pll, l.rows.Row(m).enablingRow);
  EXPECT_TRUE(l.rows.Row(m).flags & kRowDisabled) << "PLL starts unchecked";
  EXPECT_FALSE(l.rows.Row(p).flags & kRowDisabled) << "M is 5; that M itself is greyed does not matter";
  EXPECT_FALSE(l.rows.Editable(m));
  ASSERT_TRUE(l.rows.Toggle(pll));
  EXPECT_FALSE(l.rows.Row(m).flags & kRowDisabled);
  EXPECT_TRUE(l.rows.Editable(m));
  ASSERT_TRUE(l.rows.EndEdit(m, "0"));
  EXPECT_TRUE(l.rows.Row(p).flags & kRowDisabled);
  ASSERT_TRUE(l.rows.Toggle(pll));
  EXPECT_TRUE(l.rows.Row(m).flags & kRowDisabled);
  EXPECT_TRUE(l.rows.Row(p).flags & kRowDisabled) << "only direct dependants follow";
}

TEST(OptionRowsTest, RowsThatCannotBeEdited) {
  const char text[] =
      ";; PELMORA_OPTIONS_BLOCK { OPTION { ID = a NAME = \"ro\" TYPE = TEXT STYLE = READONLY }\n"
      ";; OPTION { ID = b NAME = \"dis\" TYPE = BOOL STYLE = DISABLED }\n"
      ";; OPTION { ID = c NAME = \"hid\" TYPE = DECIMAL STYLE = HIDEVALUE }\n"
      ";; OPTION { ID = d NAME = \"ok\" TYPE = TEXT } }\n";
  Loaded l(text);
  struct Row {
    const char* label;
    bool editable;
  };
  const Row rows[] = {{"ro", false}, {"dis", false}, {"hid", false}, {"ok", true}};
  for (const Row& r : rows) EXPECT_EQ(r.editable, l.rows.Editable(RowNamed(l.rows, r.label))) << r.label;
  EXPECT_FALSE(l.rows.Editable(0)) << "the block's label";
}

TEST(OptionRowsTest, VisibleRowsFollowTheExpandedFolders) {
  Loaded l(kBlock);
  const int n = l.rows.Count();
  const int clock = RowNamed(l.rows, "Clock");
  std::vector<bool> all(size_t(n), true);
  EXPECT_EQ(n, l.rows.CountVisibleRows(all));
  std::vector<bool> clockShut = all;
  clockShut[size_t(clock)] = false;
  EXPECT_EQ(n - 2, l.rows.CountVisibleRows(clockShut));
  std::vector<bool> none(size_t(n), false);
  EXPECT_EQ(1, l.rows.CountVisibleRows(none));
  EXPECT_EQ(clock + 3, l.rows.SkipSubtree(clock));
}

// ------------------------------------------------------------------ write-back

// The edits applied to the text as one string, from the last to the first,
// as the editor applies them to its lines.
std::string ApplyLineEdits(std::string_view text, std::vector<LineEdit> edits) {
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') starts.push_back(i + 1);
  std::string out(text);
  std::sort(edits.begin(), edits.end(), [](const LineEdit& a, const LineEdit& b) {
    return a.line != b.line ? a.line > b.line : a.index > b.index;
  });
  for (const LineEdit& e : edits) {
    if (e.line < 1 || size_t(e.line) > starts.size()) continue;
    const size_t at = starts[size_t(e.line - 1)] + size_t(e.index);
    if (at + size_t(e.length) > out.size()) continue;
    out.replace(at, size_t(e.length), e.text);
  }
  return out;
}

std::string Changed(const std::string& text, const std::string& label, auto change) {
  Loaded l(text);
  const int row = RowNamed(l.rows, label);
  change(l.rows, row);
  return ApplyLineEdits(text, PlanWriteBack(text, l.rows.Row(row)).edits);
}

std::string LineOf(const std::string& text, int n) {
  size_t at = 0;
  for (int i = 1; i < n; ++i) at = text.find('\n', at) + 1;
  return text.substr(at, text.find('\n', at) - at);
}

TEST(OptionWriteBackTest, ValuesReachTheDefaultClauseAndTheCode) {
  struct Row {
    const char* name;
    const char* label;
    std::function<void(OptionRows&, int)> change;
    int blockLine;
    const char* blockPart;
    int codeLine;
    const char* code;
  };
  const std::vector<Row> rows = {
      {"hexadecimal keeps the 0x form", "Stack", [](OptionRows& r, int i) { r.EndEdit(i, "200H"); }, 2,
       "DEFAULT = 0x200 KEY", 14, "        .equ Stack_Size, 0x200   @ 128 bytes"},
      {"check box", "PLL", [](OptionRows& r, int i) { r.Toggle(i); }, 3, "DEFAULT = 1 KEY", 15,
       "        .equ PLL_SETUP, 1"},
      {"decimal keeps the H form", "M", [](OptionRows& r, int i) { r.EndEdit(i, "12"); }, 5, "DEFAULT = 12 MIN", 16,
       "MSEL    EQU  0CH"},
      {"selection writes its item's value", "P", [](OptionRows& r, int i) { r.EndEdit(i, "2"); }, 6,
       "DEFAULT = 1 ENABLEDBY", 17, "#define PSEL 1"},
      {"selection without a value writes its index", "P", [](OptionRows& r, int i) { r.EndEdit(i, "4"); }, 6,
       "DEFAULT = 2 ENABLEDBY", 17, "#define PSEL 2"},
      {"file replaces the quoted text after the symbol", "Map",
       [](OptionRows& r, int i) { r.SetFile(i, "b\"ad.map"); }, 10, "DEFAULT = \"bad.map\" KEY", 19,
       "#define MAPNAME \"bad.map\""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string out = Changed(kBlock, r.label, r.change);
    EXPECT_NE(std::string::npos, LineOf(out, r.blockLine).find(r.blockPart)) << LineOf(out, r.blockLine);
    EXPECT_EQ(r.code, LineOf(out, r.codeLine));
    Loaded again(out);
    EXPECT_TRUE(again.map.Reports().empty()) << "the block still parses";
  }
}

TEST(OptionWriteBackTest, AnOptionWithoutDefaultGetsOne) {
  const std::string out = Changed(kBlock, "N", [](OptionRows& r, int i) { r.EndEdit(i, "9"); });
  EXPECT_EQ("//;; OPTION { ID = nodef NAME = \"N\" TYPE = DECIMAL DEFAULT = 9 }", LineOf(out, 12));
  Loaded again(out);
  EXPECT_EQ("9", again.rows.ValueText(RowNamed(again.rows, "N")));
}

TEST(OptionWriteBackTest, WithoutTheOptionNothingIsWritten) {
  Loaded l(kBlock);
  OptionRow row = l.rows.Row(RowNamed(l.rows, "Stack"));
  EXPECT_TRUE(PlanWriteBack("no block here\n", row).edits.empty());
  row.option = -1;
  EXPECT_TRUE(PlanWriteBack(kBlock, row).edits.empty());
}

// The block of one hexadecimal option whose key is Stack_Size, then code;
// the leader tells an assembler file (";;") from a C or GNU one ("//;;").
std::string StackBlock(const std::string& code, const std::string& leader = ";;") {
  return leader + " PELMORA_OPTIONS_BLOCK { NAME = \"S\"\n" + leader +
         " OPTION { ID = s NAME = \"Stack\" TYPE = HEXADECIMAL DEFAULT = 0x400 MIN = 0x20 MAX = 0x1000"
         " KEY = \"Stack_Size\" }\n" +
         leader + " }\n" + code;
}

TEST(OptionWriteBackTest, TheDefinitionTakesTheValueNeverAComment) {
  struct Row {
    const char* name;
    const char* code;      // lines after the block
    const char* expected;  // the same lines after writing 0x200
  };
  const Row rows[] = {
      {"EQU after a comment naming the key with a number",
       "; Stack_Size: 0x400 bytes\nStack_Size EQU 0x00000400\n",
       "; Stack_Size: 0x400 bytes\nStack_Size EQU 0x200\n"},
      {".equ after a GNU comment", "@ Stack_Size 0x400\n        .equ Stack_Size, 0x400\n",
       "@ Stack_Size 0x400\n        .equ Stack_Size, 0x200\n"},
      {"#define after a C comment", "// Stack_Size 1024\n#define Stack_Size 1024\n",
       "// Stack_Size 1024\n#define Stack_Size 512\n"},
      {"a comment behind the definition stays", "Stack_Size  equ  400H ; Stack_Size 400H\n",
       "Stack_Size  equ  200H ; Stack_Size 400H\n"},
      {"a use of the key is no definition", "        mov r0, #Stack_Size + 4\n#  define  Stack_Size  0x400\n",
       "        mov r0, #Stack_Size + 4\n#  define  Stack_Size  0x200\n"},
      {"a longer name is another symbol", "Stack_Size_2 EQU 0x400\nStack_Size EQU 0x400\n",
       "Stack_Size_2 EQU 0x400\nStack_Size EQU 0x200\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string out = Changed(StackBlock(r.code), "Stack", [](OptionRows& o, int i) { o.EndEdit(i, "0x200"); });
    std::string want = StackBlock(r.expected);
    want.replace(want.find("DEFAULT = 0x400"), 15, "DEFAULT = 0x200");
    EXPECT_EQ(want, out);
  }
}

TEST(OptionWriteBackTest, WithoutADefinitionNothingIsWrittenAndThePlanSaysWhy) {
  struct Row {
    const char* name;
    const char* code;
  };
  const Row rows[] = {
      {"only a comment names the key", "; Stack_Size: 0x400 bytes\n"},
      {"a commented-out definition", "// #define Stack_Size 0x400\n"},
      {"a definition by an expression", "Stack_Size EQU (1 << 10)\n"},
      {"the key is not in the file", "        nop\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string text = StackBlock(r.code);
    Loaded l(text);
    const int stack = RowNamed(l.rows, "Stack");
    ASSERT_TRUE(l.rows.EndEdit(stack, "0x200"));
    const WriteBackPlan plan = PlanWriteBack(text, l.rows.Row(stack));
    EXPECT_TRUE(plan.edits.empty()) << "not even the DEFAULT clause";
    EXPECT_EQ(NoDefinitionText("Stack_Size"), plan.error);
  }
  EXPECT_NE(std::string::npos, NoDefinitionText("Stack_Size").find("'Stack_Size'"));
}

// A definition inside a block comment is none: the one after the comment
// takes the value, and with none outside nothing is written and the plan
// names the commented line. Lines may end in CR LF.
TEST(OptionWriteBackTest, ADefinitionInsideABlockCommentIsNone) {
  struct Row {
    const char* name;
    const char* code;      // lines after the block (the block has 3)
    const char* expected;  // after writing 0x200; null: nothing written
    int commentedLine;     // the line the refusal names
  };
  const Row rows[] = {
      {"inside a comment of several lines, CR LF", "/*\r\n#define Stack_Size 0x400\r\n*/\r\n", nullptr, 5},
      {"comment opened behind code", "Start: NOP /* old:\nStack_Size EQU 0x400\n*/\n", nullptr, 5},
      {"the definition after the comment takes it",
       "/* was:\r\n#define Stack_Size 0x100\r\n */\r\n#define Stack_Size 0x400\r\n",
       "/* was:\r\n#define Stack_Size 0x100\r\n */\r\n#define Stack_Size 0x200\r\n", 0},
      {"a comment closed on its line", "/* note */\n#define Stack_Size 0x400\n",
       "/* note */\n#define Stack_Size 0x200\n", 0},
      {"comment characters in a string open nothing", "char s[] = \"/*\";\nStack_Size EQU 0x400\n",
       "char s[] = \"/*\";\nStack_Size EQU 0x200\n", 0},
      {"comment characters after // open nothing", "// see /* below\n.equ Stack_Size, 0x400\n",
       "// see /* below\n.equ Stack_Size, 0x200\n", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string text = StackBlock(r.code);
    Loaded l(text);
    const int stack = RowNamed(l.rows, "Stack");
    ASSERT_TRUE(l.rows.EndEdit(stack, "0x200"));
    const WriteBackPlan plan = PlanWriteBack(text, l.rows.Row(stack));
    if (!r.expected) {
      EXPECT_TRUE(plan.edits.empty());
      EXPECT_EQ(CommentedDefinitionText("Stack_Size", r.commentedLine), plan.error);
      continue;
    }
    EXPECT_EQ("", plan.error);
    std::string want = StackBlock(r.expected);
    want.replace(want.find("DEFAULT = 0x400"), 15, "DEFAULT = 0x200");
    EXPECT_EQ(want, ApplyLineEdits(text, plan.edits));
  }
  EXPECT_NE(std::string::npos, CommentedDefinitionText("INCMT", 7).find("'INCMT' on line 7"));
}

// A "/*" behind a line comment opens nothing, as the tools read it: '@'
// and "//" in a GNU assembler file, ';' and "//" in an W51 or ARM
// assembler file. Where that character is no comment (';' ends a C or GNU
// statement, '@' addresses in W51) the "/*" behind it opens one.
TEST(OptionWriteBackTest, ALineCommentOpensNoBlockComment) {
  struct Row {
    const char* name;
    const char* leader;
    const char* code;   // a comment line, then the definition on line 5
    bool commented;     // the definition lies inside a block comment
  };
  const Row rows[] = {
      {"GNU assembler: @", "//;;", "@ see /* the manual\n.equ Stack_Size, 0x400\n", false},
      {"GNU assembler: @ behind code", "//;;", "  mov r0, r1 @ see /* the manual\n.equ Stack_Size, 0x400\n", false},
      {"GNU assembler: //", "//;;", "// see /* the manual\n.equ Stack_Size, 0x400\n", false},
      {"W51: ;", ";;", "; see /* the manual\nStack_Size EQU 0x400\n", false},
      {"W51: ; behind code", ";;", "  MOV A,@R0 ; see /* the manual\nStack_Size EQU 0x400\n", false},
      {"C: //", "//;;", "// see /* the manual\n#define Stack_Size 0x400\n", false},
      {"C: ; ends a statement", "//;;", "int x; /* old:\n#define Stack_Size 0x400\n", true},
      {"W51: @ addresses", ";;", "  MOV A,@R0 /* old:\nStack_Size EQU 0x400\n", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string text = StackBlock(r.code, r.leader);
    Loaded l(text);
    const int stack = RowNamed(l.rows, "Stack");
    ASSERT_TRUE(l.rows.EndEdit(stack, "0x200"));
    const WriteBackPlan plan = PlanWriteBack(text, l.rows.Row(stack));
    if (r.commented) {
      EXPECT_EQ(CommentedDefinitionText("Stack_Size", 5), plan.error);
      EXPECT_TRUE(plan.edits.empty());
      continue;
    }
    EXPECT_EQ("", plan.error);
    const std::string out = ApplyLineEdits(text, plan.edits);
    EXPECT_NE(std::string::npos, LineOf(out, 5).find("0x200")) << LineOf(out, 5);
  }
}

TEST(OptionRowsTest, AHexadecimalRowTakesOnlyANumberWithinItsLimits) {
  struct Row {
    const char* name;
    const char* input;
    bool accepted;
    const char* shown;  // the value afterwards (it starts at 400H)
  };
  const Row rows[] = {
      {"letters that are no digits", "zz", false, "400H"},
      {"a digit then a letter", "12G4", false, "400H"},
      {"empty", "  ", false, "400H"},
      {"a prefix alone", "0x", false, "400H"},
      {"more than 32 bits", "123456789", false, "400H"},
      {"below MIN", "10H", true, "20H"},
      {"zero", "0", true, "20H"},
      {"above MAX", "0x2000", true, "1000H"},
      {"within", "0x123", true, "123H"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Loaded l(StackBlock("Stack_Size EQU 0x400\n"));
    const int stack = RowNamed(l.rows, "Stack");
    EXPECT_EQ(r.accepted, l.rows.AcceptsInput(stack, r.input));
    l.rows.EndEdit(stack, r.input);
    EXPECT_EQ(r.shown, l.rows.ValueText(stack));
  }
}

TEST(OptionWriteBackTest, CrLfTextsKeepTheirLineEnds) {
  std::string crlf;
  for (char c : std::string(kBlock)) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const std::string out = Changed(crlf, "Stack", [](OptionRows& r, int i) { r.EndEdit(i, "0x40"); });
  EXPECT_EQ("        .equ Stack_Size, 0x40   @ 128 bytes\r", LineOf(out, 14));
  EXPECT_EQ(std::count(crlf.begin(), crlf.end(), '\r'), std::count(out.begin(), out.end(), '\r'));
}

// The startup files the installation offers new projects (and the
// example's own) open in the wizard without a message, and every value the
// wizard shows has the definition that takes it back into the text.
TEST(OptionRowsTest, TheInstalledStartupFilesOpenInTheWizard) {
  const char* src = std::getenv("PM2_TEST_SRC");
  ASSERT_NE(src, nullptr);
  for (const char* file : {"src/resources/startup/NXP/Startup.s", "src/resources/startup/Atmel/Startup.s",
                           "examples/blinky/Startup.s"}) {
    std::ifstream in(std::string(src) + "/" + file, std::ios::binary);
    ASSERT_TRUE(in) << file;
    std::stringstream text;
    text << in.rdbuf();
    Loaded l(text.str());
    for (const OptionsReport& r : l.map.Reports()) ADD_FAILURE() << file << "(" << r.line << "): " << r.message;
    ASSERT_GT(l.rows.Count(), 1) << file;
    for (int i = 0; i < l.rows.Count(); ++i) {
      const OptionRow& row = l.rows.Row(i);
      if (row.option < 0) continue;
      EXPECT_FALSE(row.key.empty()) << file << ": " << row.label;
      EXPECT_EQ(PlanWriteBack(text.str(), row).error, "") << file << ": " << row.label;
    }
  }
}

}  // namespace
}  // namespace pm2
