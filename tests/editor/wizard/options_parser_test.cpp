// The options block: the comment filter, the tokens, the keyword buckets,
// the grammar with its messages, the ID resolution, and the parser fed
// every cut of a valid block and damaged bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "editor/wizard/options_lexer.h"
#include "editor/wizard/options_parser.h"

namespace pm2 {

void PrintTo(const OptionsReport& r, std::ostream* os) { *os << r.line << ": " << r.message; }

namespace {

struct Collect : OptionsReportSink {
  std::vector<OptionsReport> reports;
  void Report(int line, const std::string& message) override { reports.push_back({line, message}); }
};

struct Tok {
  int code;
  uint32_t number;
  std::string text;
  int line;
};

// The text with every line feed written as CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The rows of a table run on the text as written and on its CR LF twin.
struct LineEnds {
  const char* name;
  std::string (*convert)(const std::string&);
};
const LineEnds kLineEnds[] = {{"LF", [](const std::string& t) { return t; }}, {"CR LF", WithCrLf}};

std::vector<Tok> LexAll(const std::string& text, Collect* sink = nullptr, bool inside = true) {
  OptionsLexer lex(text, sink);
  lex.SetInsideBlock(inside);
  std::vector<Tok> out;
  for (int t = lex.Next(); t != kTokEnd; t = lex.Next()) {
    out.push_back({t, lex.Number(), lex.Text(), lex.TokenLine()});
    if (out.size() > 1000) break;
  }
  return out;
}

TEST(OptionsLexerTest, NumbersReadAsTheirValue) {
  struct Row {
    const char* name;
    const char* text;
    uint32_t value;
  };
  const Row rows[] = {
      {"decimal", "31", 31},
      {"0x prefix", "0x1F", 31},
      {"0X prefix lower digits", "0X1f", 31},
      {"H suffix", "1FH", 31},
      {"h suffix", "1fh", 31},
      {"letters make it hexadecimal", "1F", 31},
      {"leading zero before a letter", "0FFH", 255},
      {"H suffix on decimal digits", "10H", 16},
      {"L suffix", "12L", 12},
      {"UL suffix", "12UL", 12},
      {"lu suffix", "12lu", 12},
      {"hexadecimal with U suffix", "1FU", 31},
      {"prefix and suffix", "0x10H", 16},
      {"largest", "4294967295", 4294967295u},
      {"wraps at 32 bits", "4294967296", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Collect sink;
    auto toks = LexAll(std::string(";; ") + r.text + "\n", &sink);
    ASSERT_EQ(1u, toks.size());
    EXPECT_EQ(kTokNumber, toks[0].code);
    EXPECT_EQ(r.value, toks[0].number);
    EXPECT_TRUE(sink.reports.empty());
  }
}

TEST(OptionsLexerTest, LexicalErrorsAreReportedWithTheirLine) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<OptionsReport> reports;
  };
  const std::string longString(1100, 'x');
  const std::vector<Row> rows = {
      {"0x without a digit", ";; 0xG\n", {{1, "Invalid numeric number."}}},
      {"letter after a number", ";;\n;; 12Z\n", {{2, "Invalid numeric number."}}},
      {"underscore after a number", ";; 12_\n", {{1, "Invalid numeric number."}}},
      {"string not closed on its line", ";; \"abc\n;; x\n", {{1, "Invalid string constant."}}},
      {"string not closed on a middle line", ";; a\n;; \"abc\n;; x\n;; }\n", {{2, "Invalid string constant."}}},
      {"string cut by the end of the file", ";; \"abc", {{1, "Invalid string constant."}}},
      {"overlong string reported once", ";; \"" + longString + "\"\n", {{1, "Invalid string constant."}}},
      {"illegal character inside the block", ";; (\n", {{1, "Illegal token '('"}}},
      {"no message before the block", "", {}},
  };
  for (const LineEnds& e : kLineEnds)
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(r.name) + ", " + e.name);
      Collect sink;
      LexAll(e.convert(r.text), &sink);
      EXPECT_EQ(r.reports, sink.reports);
    }
  Collect outside;
  auto toks = LexAll(";; ( )\n", &outside, false);
  EXPECT_TRUE(outside.reports.empty()) << "outside the block an odd character is only a token";
  ASSERT_EQ(2u, toks.size());
  EXPECT_EQ('(', toks[0].code);
}

TEST(OptionsLexerTest, StringsAndIdentifiersKeepTheirLimits) {
  const std::string id200(200, 'a');
  auto toks = LexAll(";; " + id200 + " \"a b\" \"\"\n");
  ASSERT_EQ(3u, toks.size());
  EXPECT_EQ(kTokIdentifier, toks[0].code);
  EXPECT_EQ(std::string(128, 'a'), toks[0].text);
  EXPECT_EQ(kTokString, toks[1].code);
  EXPECT_EQ("a b", toks[1].text);
  EXPECT_EQ("", toks[2].text);
  const std::string s2000(2000, 'q');
  Collect sink;
  toks = LexAll(";; \"" + s2000 + "\" x\n", &sink);
  ASSERT_EQ(2u, toks.size());
  EXPECT_EQ(size_t(OptionsLexer::kMaxString), toks[0].text.size());
  EXPECT_EQ("x", toks[1].text) << "the rest of the long string is read and dropped";
}

TEST(OptionsLexerTest, TheCommentFilterPassesOnlyLeaderLines) {
  struct Row {
    const char* name;
    const char* text;
    std::vector<std::string> words;
    std::vector<int> lines;
  };
  const std::vector<Row> rows = {
      {"two semicolons in column 1", "code\n;; a\n", {"a"}, {2}},
      {"indented leader is code", " ;; a\n;; b\n", {"b"}, {2}},
      {"tab before the leader", "\t;; a\n;; b\n", {"b"}, {2}},
      {"slashes and semicolons", "//;; abc\n", {"abc"}, {1}},
      {"slashes, blank, semicolons", "// ;; a\n;; b\n", {"b"}, {2}},
      {"CR LF lines count once", "x\r\n;; a\r\n;; b\r\n", {"a", "b"}, {2, 3}},
      {"line ends separate tokens", ";; a\n;; b\n", {"a", "b"}, {1, 2}},
      {"line ends separate tokens without blanks", ";;a\n;;b\n", {"a", "b"}, {1, 2}},
      {"a string ends its line", ";;\"a\"\n;;b\n", {"a", "b"}, {1, 2}},
      {"a blank comment line is passed over", ";;\n;;   \n;; a\n", {"a"}, {3}},
      {"one semicolon is code", "; a\n;;b c\n", {"b", "c"}, {2, 2}},
      {"leader too close to the end", "x\n;;a", {}, {}},
      {"leader just far enough from the end", ";;abc", {"abc"}, {1}},
      {"slashes too close to the end", "//;;abc", {}, {}},
  };
  for (const LineEnds& e : kLineEnds)
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(r.name) + ", " + e.name);
      auto toks = LexAll(e.convert(r.text));
      std::vector<std::string> words;
      std::vector<int> lines;
      for (const Tok& t : toks) {
        words.push_back(t.text);
        lines.push_back(t.line);
      }
      EXPECT_EQ(r.words, words);
      EXPECT_EQ(r.lines, lines);
    }
}

TEST(OptionsKeywordTest, BucketsDecideWhichSpellingsAreKeywords) {
  struct Row {
    const char* spelling;
    int code;
  };
  // A spelling is found only in the bucket of the sum as written: four
  // lower-case letters move it by 128, back into the upper-case bucket.
  const Row rows[] = {
      {"NAME", kTokName},          {"name", kTokName},        {"Name", 0},
      {"nAmE", 0},                 {"ID", kTokId},            {"id", 0},
      {"Id", 0},                   {"ITEM", kTokItem},        {"item", kTokItem},
      {"ITEMS", kTokItems},        {"items", 0},              {"opTIon", kTokOption},
      {"OPTIOn", 0},               {"ENABLEDBY", kTokEnabledBy}, {"enabledby", 0},
      {"hexaDECIMAL", kTokHexadecimal}, {"HEXADECIMAL", kTokHexadecimal},
      {"PELMORA_OPTIONS_BLOCK", kTokBlock}, {"pelmora_options_block", 0},
      {"ENBALEDBY", 0},            {"TYPES", 0},              {"help", kTokHelp},
  };
  for (const Row& r : rows) EXPECT_EQ(r.code, LookupOptionsKeyword(r.spelling)) << r.spelling;
  EXPECT_EQ(('I' - 32 + 'D' - 32) % 128, OptionsKeywordBucket("ID"));
}

TEST(OptionsKeywordTest, MessagesNameTokensTheirOwnWay) {
  struct Row {
    int token;
    const char* name;
  };
  const Row rows[] = {{kTokIdentifier, "identifer"}, {kTokEnabledBy, "ENBALEDBY"}, {kTokEnd, "<EOF>"},
                      {kTokNumber, "number"},        {kTokString, "string"},       {'{', "{"},
                      {kTokItem, "ITEM"},            {'(', "<unknown>"},           {kTokHexadecimal, "HEXADECIMAL"}};
  for (const Row& r : rows) EXPECT_STREQ(r.name, OptionsTokenName(r.token)) << r.token;
}

// ------------------------------------------------------------------ grammar

const char kValid[] =
    "@ startup\n"
    ";; PELMORA_OPTIONS_BLOCK {\n"
    ";;   ID = blk NAME = \"Startup\" STYLE = EXPAND\n"
    ";;   OPTION { ID = stack NAME = \"Stack\" HELP = \"bytes\" TYPE = HEXADECIMAL\n"
    ";;            DEFAULT = 0x80 MIN = 0 MAX = 0x1000 KEY = \"Stack_Size\" }\n"
    ";;   OPTION { ID = pll NAME = \"PLL\" TYPE = BOOL DEFAULT = 1 }\n"
    ";;   FOLDER { ID = clk NAME = \"Clock\" HELP = \"clock\"\n"
    ";;     OPTION { ID = msel NAME = \"M\" TYPE = DECIMAL DEFAULT = 5 ENABLEDBY = pll }\n"
    ";;     OPTION { ID = psel NAME = \"P\" TYPE = SELECTION DEFAULT = 1\n"
    ";;              ITEMS { ITEM { ENTRY = \"1\" VALUE = 0 } ITEM { VALUE = 1 ENTRY = \"2\" } } }\n"
    ";;   }\n"
    ";;   OPTION { ID = txt TYPE = TEXT DEFAULT = \"abc\" STYLE = READONLY STYLE = DISABLED }\n"
    ";; }\n"
    "        .equ Stack_Size, 0x80\n";

int CountOptions(const COptionNode* n) {
  int c = 0;
  for (; n; n = n->next) c += (n->kind == kNodeOption) + CountOptions(n->children);
  return c;
}

TEST(OptionsGrammarTest, AValidBlockBuildsItsTree) {
  OptionsIdMap map;
  COptionNode* root = LoadOptionsText(map, kValid, false);
  ASSERT_NE(nullptr, root);
  EXPECT_TRUE(map.Reports().empty());
  EXPECT_EQ(kNodeBlock, root->kind);
  EXPECT_EQ(2, root->line);
  EXPECT_EQ("Startup", root->name);
  EXPECT_EQ(kStyleExpand, root->style);
  const COptionNode* stack = root->children;
  ASSERT_NE(nullptr, stack);
  EXPECT_EQ(kTypeHex, stack->type);
  EXPECT_EQ(0x80u, stack->defaultValue);
  EXPECT_EQ(0x1000, stack->max);
  EXPECT_EQ("Stack_Size", stack->key);
  EXPECT_EQ("bytes", stack->help);
  EXPECT_EQ(4, stack->line);
  EXPECT_EQ("0x80", std::string_view(kValid).substr(stack->defaultStart, stack->defaultEnd - stack->defaultStart));
  const COptionNode* pll = stack->next;
  const COptionNode* clk = pll->next;
  ASSERT_EQ(kNodeFolder, clk->kind);
  const COptionNode* msel = clk->children;
  EXPECT_EQ(pll, msel->enabledByNode);
  const COptionNode* psel = msel->next;
  ASSERT_NE(nullptr, psel->items);
  EXPECT_EQ("1", psel->items->name);
  EXPECT_EQ(0, psel->items->min);
  EXPECT_EQ("2", psel->items->next->name);
  EXPECT_EQ(1, psel->items->next->min);
  const COptionNode* text = clk->next;
  EXPECT_EQ(uint32_t(kStyleReadOnly | kStyleDisabled), text->style);
  EXPECT_EQ("abc", text->defaultText);
  EXPECT_EQ(5, CountOptions(root->children));
  EXPECT_EQ(psel, NthOption(root, 3));
  EXPECT_EQ(nullptr, NthOption(root, 5));
}

TEST(OptionsGrammarTest, DefaultsInEveryForm) {
  struct Row {
    const char* name;
    const char* value;
    uint32_t expected;
  };
  const Row rows[] = {{"0x", "0x1F", 31}, {"H", "1FH", 31}, {"letters", "1F", 31},
                      {"decimal", "31", 31}, {"identifier with H", "FFH", 255}, {"identifier", "ff", 255}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    OptionsIdMap map;
    std::string text = std::string(";; PELMORA_OPTIONS_BLOCK { OPTION { ID = a TYPE = HEXADECIMAL DEFAULT = ") +
                       r.value + " } }\n";
    COptionNode* root = LoadOptionsText(map, text, false);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(r.expected, root->children->defaultValue);
    EXPECT_TRUE(map.Reports().empty());
  }
}

TEST(OptionsGrammarTest, ErrorsGiveTheirMessageAndLine) {
  struct Row {
    const char* name;
    const char* body;  // after ";; PELMORA_OPTIONS_BLOCK {" on line 1
    std::vector<OptionsReport> reports;
    bool tree;
  };
  const std::vector<Row> rows = {
      {"lower-case h is not removed", " OPTION { ID = a DEFAULT = FFh } }", {{1, "identifer 'FFh' unexpected\n"}}, true},
      {"unknown token at block level", "\n;; NAME = \"x\" 5 }", {{2, "'number' unexpected\n"}}, false},
      {"identifier in an option", " OPTION { foo }", {{1, "identifer 'foo' unexpected\n"}}, true},
      {"ID needs an identifier", " ID = 5", {{1, "'identifer' expected\n"}}, true},
      {"a clause needs its equals sign", " NAME \"x\"", {{1, "'=' expected\n"}}, true},
      {"unknown type word", " OPTION { TYPE = NAME }", {{1, "'NAME' unexpected\n"}}, true},
      {"option cut by the end", " OPTION { TYPE = BOOL\n;;", {{3, "'<EOF>' unexpected\n"}}, true},
      {"an ID spelled as a keyword in lower case", " OPTION { ID = name }", {{1, "'identifer' expected\n"}}, true},
      {"the same ID in mixed case is an identifier", " ID = r OPTION { ID = Name }", {}, true},
      {"empty item list", " OPTION { ITEMS { } }", {{1, "'ITEM' expected\n"}}, true},
      {"item body with another clause", " OPTION { ITEMS { ITEM { NAME = \"x\" } } }", {{1, "'{' expected\n"}}, true},
      {"after an item", " OPTION { ITEMS { ITEM { } ENTRY } }", {{1, "'}' expected\n"}}, true},
      {"illegal character, then nothing more", " OPTION { ( }", {{1, "Illegal token '('"}}, true},
      {"two options without ID", " OPTION { TYPE = BOOL } OPTION { TYPE = BOOL } }", {{1, "ID '' already declared"}}, false},
      {"same ID twice", "\n;; ID = r OPTION { ID = a }\n;; FOLDER { ID = a } }", {{3, "ID 'a' already declared"}}, false},
      {"reference to a later folder's child",
       " ID = r FOLDER { ID = f OPTION { ID = x ENABLEDBY = y } }\n;; OPTION { ID = y } }",
       {{1, "Referenced ID 'y' not found"}},
       false},
      {"reference to a later sibling is found", " ID = r OPTION { ID = x ENABLEDBY = y } OPTION { ID = y } }", {}, true},
      {"one closing brace too many", " ID = r OPTION { ID = x } } } }", {}, true},
      {"entries after the closing brace still belong", " ID = r } OPTION { ID = x }", {}, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    OptionsIdMap map;
    COptionNode* root = LoadOptionsText(map, std::string(";; PELMORA_OPTIONS_BLOCK {") + r.body + "\n", false);
    EXPECT_EQ(r.reports, map.Reports());
    EXPECT_EQ(r.tree, root != nullptr);
  }
}

TEST(OptionsGrammarTest, FilesWithoutABlock) {
  const char* rows[] = {"", "code only\n", ";; OPTION { }\n", " ;; PELMORA_OPTIONS_BLOCK {\n", ";; \"x\" PELMORA_OPTIONS_BLOCK\n"};
  for (const char* text : rows) {
    OptionsIdMap map;
    EXPECT_EQ(nullptr, LoadOptionsText(map, text, false)) << text;
    EXPECT_TRUE(map.Reports().empty()) << text;
    EXPECT_FALSE(HasOptionsBlockText(text)) << text;
  }
  EXPECT_TRUE(HasOptionsBlockText("x\n;; PELMORA_OPTIONS_BLOCK ( garbage\n"))
      << "the check reads the first token only";
  EXPECT_TRUE(HasOptionsBlockText("//;; PELMORA_OPTIONS_BLOCK\n"));
  EXPECT_FALSE(HasOptionsBlockText("//;; pelmora_options_block\n")) << "19 lower-case letters: another bucket";
}

TEST(OptionsGrammarTest, TheErrorTextNamesTheLine) {
  EXPECT_EQ("Syntax error in Options Block - line 7:\n\n'=' expected\n", OptionsErrorText(7, "'=' expected\n"));
  const std::string cut = OptionsErrorText(1, std::string(2000, 'x'));
  EXPECT_EQ(std::string("Syntax error in Options Block - line 1:\n\n").size() + 1023, cut.size());
}

TEST(OptionsGrammarTest, TheArenaGivesLargeRequestsABlockOfTheirOwn) {
  OptionsPool pool;
  pool.Allocate(10);
  EXPECT_EQ(1u, pool.Blocks());
  void* big = pool.Allocate(10000);
  EXPECT_EQ(2u, pool.Blocks());
  std::memset(big, 1, 10000);
  std::string_view s = pool.Copy("abc");
  EXPECT_EQ("abc", s);
}

// Every cut of the valid block: no crash, and a cut that reports nothing
// gives the options the full tree begins with.
TEST(OptionsRobustnessTest, EveryCutOfAValidBlock) {
  const std::string full = kValid;
  OptionsIdMap fullMap;
  COptionNode* fullRoot = LoadOptionsText(fullMap, full, false);
  ASSERT_NE(nullptr, fullRoot);
  for (size_t n = 0; n <= full.size(); ++n) {
    OptionsIdMap map;
    COptionNode* root = LoadOptionsText(map, full.substr(0, n), false);
    EXPECT_LE(map.Reports().size(), 2u) << n;
    for (const OptionsReport& r : map.Reports()) {
      EXPECT_GE(r.line, 1) << n;
      EXPECT_LE(r.line, 14) << n;
    }
    if (!root || !map.Reports().empty()) continue;
    for (int i = 0; COptionNode* o = NthOption(root, i); ++i) {
      ASSERT_NE(nullptr, NthOption(fullRoot, i)) << n;
      EXPECT_EQ(NthOption(fullRoot, i)->id, o->id) << n;
    }
  }
}

TEST(OptionsRobustnessTest, DamagedBytesNeverCrashTheParser) {
  std::mt19937 rng(39);
  const std::string full = kValid;
  for (int round = 0; round < 3000; ++round) {
    std::string t = full;
    const int flips = 1 + int(rng() % 6);
    for (int k = 0; k < flips; ++k) t[rng() % t.size()] = char(rng() % 256);
    OptionsIdMap map;
    COptionNode* root = LoadOptionsText(map, t, false);
    for (const OptionsReport& r : map.Reports()) EXPECT_GE(r.line, 0);
    if (root) {
      EXPECT_EQ(kNodeBlock, root->kind);
    }
  }
}

TEST(OptionsRobustnessTest, FoldersNestedWithoutEndAreRefused) {
  std::string deep = ";; PELMORA_OPTIONS_BLOCK { ID = r\n";
  for (int i = 0; i < 100000; ++i) deep += ";; FOLDER { ID = f" + std::to_string(i) + "\n";
  OptionsIdMap map;
  LoadOptionsText(map, deep, false);
  ASSERT_EQ(1u, map.Reports().size());
  EXPECT_EQ((OptionsReport{kMaxFolderDepth + 2, "'FOLDER' unexpected\n"}), map.Reports()[0]);
  std::string fine = ";; PELMORA_OPTIONS_BLOCK { ID = r\n";
  for (int i = 0; i < kMaxFolderDepth; ++i) fine += ";; FOLDER { ID = f" + std::to_string(i) + "\n";
  for (int i = 0; i < kMaxFolderDepth; ++i) fine += ";; }\n";
  OptionsIdMap ok;
  EXPECT_NE(nullptr, LoadOptionsText(ok, fine, false));
  EXPECT_TRUE(ok.Reports().empty()) << "as deep as allowed";
}

TEST(OptionsRobustnessTest, AMissingFileIsNoBlockAndNoMessage) {
  OptionsIdMap map;
  EXPECT_EQ(nullptr, LoadOptionsFile(map, "/nonexistent/startup.s", false));
  EXPECT_TRUE(map.Reports().empty());
  EXPECT_FALSE(HasOptionsBlock("/nonexistent/startup.s"));
}

}  // namespace
}  // namespace pm2
