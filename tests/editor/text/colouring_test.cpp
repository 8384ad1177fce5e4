#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "editor/text/editor_keys.h"
#include "editor/text/line_colours.h"
#include "editor/text/text_buffer.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

class Colouring : public ::testing::Test {
 public:
  // One letter per cell: k keyword, s string, c comment, . plain.
  static std::string Cells(CEditTextBuffer& b, int line) {
    LineColours lc = ColourLine(b, b.GetLine(line));
    std::string out;
    for (uint8_t a : lc.cells)
      out += (a & kCellComment) ? 'c' : (a & kCellString) ? 's' : (a & kCellKeyword) ? 'k' : '.';
    return out;
  }

 protected:
  void SetUp() override {
    std::ofstream(m_dir / "c.ini") << "[Keywords]\r\nwhile=1\r\nint=1\r\nreturn=2\r\n"
                                      "a_keyword_of_thirty_chars_long=3\r\n"
                                      "[Colors]\r\n1=0,0,255\r\n2=0,0,200\r\n3=10,20,30\r\n";
    std::ofstream(m_dir / "w51.ini") << "[w51]\nMOV\nDJNZ\n$include\n";
    InitEditorProfiles(m_store);
    m_store.WriteProfileString("Editor\\C Files", "Keywords", (m_dir / "c.ini").c_str());
    m_store.WriteProfileString("Editor\\W51", "Keywords", (m_dir / "w51.ini").c_str());
    m_store.WriteProfileString("Editor\\W51", "Start chars", "$");
  }

  std::unique_ptr<CEditTextBuffer> Buffer(const char* section, const std::string& text) {
    auto b = std::make_unique<CEditTextBuffer>(EditEnvironment{&m_store, &m_ini, nullptr, nullptr, {}});
    b->SetProfileSection(section);
    b->LoadSettings();
    EXPECT_EQ(0, b->LoadFromBytes(text));
    return b;
  }


  TempDir m_dir;
  SettingsStore m_store{m_dir / "settings"};
  IniFiles m_ini;
};

TEST_F(Colouring, CLanguageLines) {
  auto b = Buffer("Editor\\C Files",
                  "int x = 12; // while\r\n"
                  "while (s == \"/* int */\") x;\r\n"
                  "/* open\r\n"
                  "   int inside\r\n"
                  "end */ int\r\n"
                  "'/*' int\r\n"
                  "s = \"//\"; /* real */\r\n");
  EXPECT_EQ(1, b->m_bColouring);
  struct Row { const char* name; int line; const char* cells; };
  const Row rows[] = {
      {"keyword then line comment", 1, "kkk.........cccccccc"},
      {"comment opener inside a string", 2, "kkkkk........sssssssss....."},
      {"block comment opens", 3, "ccccccc"},
      {"line inside a block comment", 4, "ccccccccccccc"},
      {"block comment closes", 5, "cccccc.kkk"},
      {"opener between single quotes", 6, ".ss..kkk"},
      {"real opener after a quoted line opener", 7, ".....ss...cccccccccc"},
  };
  for (const Row& r : rows) EXPECT_EQ(r.cells, Cells(*b, r.line)) << r.name;
}

// The keyword file the program ships: every preprocessor directive is
// coloured as one word with its '#', in files with either line end.
TEST_F(Colouring, ShippedKeywordsColourEveryDirective) {
  const char* src = std::getenv("PM2_TEST_SRC");
  ASSERT_NE(nullptr, src);
  m_store.WriteProfileString("Editor\\C Files", "Keywords", (std::string(src) + "/src/resources/editor/c.ini").c_str());
  auto b = Buffer("Editor\\C Files",
                  "#include \"LED.h\"\n"
                  "\n"
                  "#define PCLK_HZ 15000000UL\n"
                  "#ifdef LED_ON\n"
                  "#endif\n"
                  "  #define X 2\n");
  struct Row { const char* name; int line; const char* cells; };
  const Row rows[] = {
      {"include", 1, "kkkkkkkk..sssss."},
      {"define after a blank line", 3, "kkkkkkk..................."},
      {"ifdef", 4, "kkkkkk......."},
      {"endif", 5, "kkkkkk"},
      {"indented define", 6, "..kkkkkkk...."},
  };
  for (const Row& r : rows) EXPECT_EQ(r.cells, Cells(*b, r.line)) << r.name;
}

// The keyword files the installation holds beside the program: every
// language of the profile that names one finds it there by its bare name
// and colours its own keywords, comments and strings.
TEST(InstalledKeywords, EveryLanguageColoursFromTheProgramFolder) {
  TempDir dir;
  SettingsStore store{dir / "settings"};
  IniFiles ini;
  InitEditorProfiles(store);
  struct Row {
    const char* name;
    const char* section;
    const char* line;
    const char* cells;
  };
  const Row rows[] = {
      {"C", "Editor\\C Files", "int x; // y", "kkk....cccc"},
      {"ARM C", "Editor\\CArmC", "return \"a\";", "kkkkkk..s.."},
      {"51 assembler", "Editor\\W51", "  djnz R7, $ ; x", "..kkkk.kk....ccc"},
      {"51 assembler control", "Editor\\W51", "$include (reg51.h)", "kkkkkkkk.........."},
      {"251 assembler", "Editor\\W251", "  ecall WR4 ; x", "..kkkkk.kkk.ccc"},
      {"166 assembler", "Editor\\W166", "  bset P2.0 ; x", "..kkkk......ccc"},
      {"ARM assembler, GNU syntax", "Editor\\CArmA", "  ldrlo r1, =x ; y", "..kkkkk.kk.....ccc"},
      {"ARM assembler, GNU directive", "Editor\\CArmA", ".section .v, \"ax\"", ".kkkkkkk......ss."},
      {"ARM assembler, ADS syntax", "Editor\\CArmA", "  AREA Init, CODE", "..kkkk.......kkkk"},
  };
  for (const Row& r : rows) {
    auto b = std::make_unique<CEditTextBuffer>(
        EditEnvironment{&store, &ini, nullptr, nullptr, std::string(PM2_TEST_INSTALL_ROOT) + "/PM2"});
    b->SetProfileSection(r.section);
    b->LoadSettings();
    ASSERT_EQ(0, b->LoadFromBytes(std::string(r.line) + "\r\n")) << r.name;
    EXPECT_EQ(1, b->m_bColouring) << r.name;
    EXPECT_EQ(r.cells, Colouring::Cells(*b, 1)) << r.name;
  }
}

TEST_F(Colouring, BlockCommentStateAcrossLines) {
  auto b = Buffer("Editor\\C Files", "a // b /*\r\nint\r\n/*\r\nint\r\n*/\r\nint\r\n");
  int kind = 0;
  EXPECT_EQ(0, b->FindCommentKind(b->GetLine(2), &kind)) << "opener after a line comment";
  EXPECT_EQ(1, b->FindCommentKind(b->GetLine(4), &kind));
  EXPECT_EQ(2, kind);
  EXPECT_EQ(0, b->FindCommentKind(b->GetLine(6), &kind));
  // Colouring in order with a carried state gives what each line gets on
  // its own.
  int carry = kCarryNone;
  for (int i = 1; i <= b->GetLineCount(); ++i) {
    LineColours alone = ColourLine(*b, b->GetLine(i));
    LineColours carried = ColourLine(*b, b->GetLine(i), &carry);
    EXPECT_EQ(alone.cells, carried.cells) << "line " << i;
  }
}

TEST_F(Colouring, KeywordCaseAndLongKeywords) {
  auto b = Buffer("Editor\\W51", "  mov A, R0 ; MOV\r\n$include (x)\r\n");
  EXPECT_EQ(0, b->m_bCaseSensitive);
  EXPECT_EQ("..kkk.......ccccc", Cells(*b, 1));
  EXPECT_EQ("kkkkkkkk....", Cells(*b, 2));

  auto c = Buffer("Editor\\C Files", "Int a_keyword_of_thirty_chars_long\r\n");
  EXPECT_EQ(1, c->m_bCaseSensitive);
  EXPECT_EQ(std::string(4, '.') + std::string(30, 'k'), Cells(*c, 1));
  EXPECT_EQ(CEditTextBuffer::ParseColour("10,20,30"), c->m_crKeyword);
}

TEST(Words, NextWordRules) {
  CEditTextBuffer b;
  b.m_terminatorChars[uint8_t('>')] = 1;
  b.m_startChars[uint8_t('$')] = 1;
  b.m_extraWordChars[uint8_t('$')] = 1;  // as in the assembler sections
  struct Row { const char* name; const char* text; int start; int length; };
  const Row rows[] = {
      {"one letter before the line end", "A\r\n", 0, 1},
      {"a single character has no word", "A", -1, 0},
      {"line end alone has no word", " \r\n", -1, 0},
      {"leading blanks skipped", "  mov a", 2, 3},
      {"terminator belongs to the word", "ab>cd", 0, 3},
      {"start character begins the next word", "ab$cd", 0, 2},
      {"underscore and digits are word characters", "(_x9+", 1, 3},
  };
  for (const Row& r : rows) {
    int len = -1;
    EXPECT_EQ(r.start, b.NextWord(r.text, int(std::strlen(r.text)), &len)) << r.name;
    EXPECT_EQ(r.length, len) << r.name;
  }
}

TEST_F(Colouring, ColourParsingAndFormatting) {
  struct Row { const char* name; const char* text; EditColour value; };
  const Row rows[] = {
      {"three fields", "255,128,1", 0x0180FF},
      {"two fields", "0,128", 0x008000},
      {"empty", "", 0},
  };
  for (const Row& r : rows) EXPECT_EQ(r.value, CEditTextBuffer::ParseColour(r.text)) << r.name;
  EXPECT_EQ("255,128,1", CEditTextBuffer::FormatColour(0x0180FF));
}

TEST_F(Colouring, MissingKeywordFileTurnsColouringOff) {
  m_store.WriteProfileString("Editor\\Q51", "Keywords", (m_dir / "none.ini").c_str());
  auto b = Buffer("Editor\\Q51", "int x;\r\n");
  EXPECT_EQ(0, b->m_bColouring);
  EXPECT_EQ("......", Cells(*b, 1));
}

TEST_F(Colouring, ProfileDefaultsKeepUserValues) {
  m_store.WriteProfileInt("Editor\\Q166", "Tab size", 2);
  InitEditorProfiles(m_store);
  EXPECT_EQ(2, m_store.GetProfileInt("Editor\\Q166", "Tab size", 0));
  EXPECT_EQ("//", m_store.GetProfileString("Editor\\Q166", "Comment Start 1"));
  EXPECT_EQ(";", m_store.GetProfileString("Editor\\W166", "Comment Start 1"));
  EXPECT_EQ(">", m_store.GetProfileString("Editor\\CArmA", "Terminator chars"));
  EXPECT_FALSE(m_store.KeyExists(m_store.ProfileRoot() + "\\Editor\\CArmP"));
}

}  // namespace
}  // namespace pm2
