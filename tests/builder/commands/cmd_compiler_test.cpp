// Compiler and assembler lines: each control of each tool's table, set
// away from its default, adds exactly its text and nothing else; the
// defaults add nothing; the place of each control is checked by one line
// with every control on.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "builder/cmd_fixture.h"
#include "builder/commands/q166_command.h"
#include "builder/commands/q51_command.h"
#include "builder/commands/w166_command.h"
#include "builder/commands/w51_command.h"
#include "builder/commands/yq166_command.h"

namespace pm2::test {
namespace {

using Builder = void (*)(CommandContext&, NodeRec*, TargetRec*, bool);
struct Row {
  const char* control;
  std::function<void(OptionBlock&)> set;
};

void CheckRows(uint16_t toolset, Builder build, const std::vector<Row>& rows) {
  CmdFixture base(toolset);
  build(base.ctx, &base.target, &base.target, false);
  const std::string baseline(base.ctx.Text());
  for (const Row& r : rows) {
    CmdFixture f(toolset);
    r.set(f.targetOpts);
    build(f.ctx, &f.target, &f.target, false);
    std::string line(f.ctx.Text());
    EXPECT_EQ(WithoutControl(line, r.control), baseline) << r.control << ": " << line;
  }
}

void SetQ166(OptionBlock& b, int lo, uint32_t v) {
  SetFlagWord(b.q166.flags, WithBitField(FlagWord(b.q166.flags), lo, 2, v));
}

TEST(CmdQ166, EachControlAwayFromItsDefault) {
  CheckRows(kToolset166, MakeQ166CompilerCommand,
            {{"MODV2", [](OptionBlock& b) { b.t166.flags.MODV2 = 1; }},
             {"TINY", [](OptionBlock& b) { b.t166.MODEL = 0; }},
             {"HLARGE", [](OptionBlock& b) { b.t166.MODEL = 6; }},
             {"HOLD (NEAR 8,SDATA 4)", [](OptionBlock& b) { b.t166.NHOLD = 8; b.t166.SHOLD = 4; }},
             {"WARNINGLEVEL (3)", [](OptionBlock& b) { b.q166.WARNINGLEV = 3; }},
             {"OPTIMIZE (6,SIZE)", [](OptionBlock& b) { b.q166.SPEEDSIZE = 0; }},
             {"REGFILE (./blinky.ORC)", [](OptionBlock& b) { SetQ166(b, 0, 1); }},
             {"BROWSE", [](OptionBlock& b) { b.out.flags.BROWSE = 1; }},
             {"STATIC", [](OptionBlock& b) { SetQ166(b, 2, 1); }},
             {"NOALIAS", [](OptionBlock& b) { SetQ166(b, 4, 0); }},
             {"ORDER", [](OptionBlock& b) { SetQ166(b, 6, 1); }},
             {"UNSIGNED_CHAR", [](OptionBlock& b) { SetQ166(b, 8, 1); }},
             {"NODPPSAVE", [](OptionBlock& b) { SetQ166(b, 10, 0); }},
             {"SAVEUSR", [](OptionBlock& b) { SetQ166(b, 14, 1); }},
             {"FLOAT64", [](OptionBlock& b) { SetQ166(b, 12, 1); }},
             {"NOFIXDPP", [](OptionBlock& b) { b.n166.flags.DPPUSE = 1; b.n166.flags.USETARGSET = 0; }},
             {"REORDER", [](OptionBlock& b) { b.q166.flags2.REORDER = 1; }},
             {"INCDIR(x)", [](OptionBlock& b) { b.q166.INCC6 = OptString("x"); }},
             {"DEFINE (A)", [](OptionBlock& b) { b.q166.DEFINE = OptString("A"); }},
             {"CODE", [](OptionBlock& b) { b.lst.listFlags |= 1u << 8; }},
             {"LISTINCLUDE", [](OptionBlock& b) { b.lst.listFlags |= 1u << 9; }},
             {"SYMBOLS", [](OptionBlock& b) { b.lst.listFlags |= 1u << 10; }},
             {"NOCOND", [](OptionBlock& b) { b.lst.listFlags &= ~(1u << 7); }},
             {"PAGEWIDTH (80)", [](OptionBlock& b) { b.lst.pageWidth = 80; }},
             {"PAGELENGTH (50)", [](OptionBlock& b) { b.lst.pageLength = 50; }},
             {"PREPRINT", [](OptionBlock& b) { b.lst.listFlags |= 1u << 3; }}});
}

TEST(CmdQ166, OptimizeForms) {
  struct {
    int level, emphasis;
    const char* control;  // "" none
  } rows[] = {{6, 1, ""},   {6, 0, "OPTIMIZE (6,SIZE)"}, {6, 2, "OPTIMIZE (6)"},
              {8, 0, "OPTIMIZE (SIZE)"}, {8, 1, "OPTIMIZE (SPEED)"}, {3, 2, "OPTIMIZE (3)"},
              {3, 1, "OPTIMIZE (3,SPEED)"}, {0, 0, "OPTIMIZE (0,SIZE)"}, {8, 2, ""}};
  for (const auto& r : rows) {
    CmdFixture f(kToolset166);
    f.targetOpts.q166.OPTIMIZE = uint8_t(r.level);
    f.targetOpts.q166.SPEEDSIZE = uint8_t(r.emphasis);
    MakeQ166CompilerCommand(f.ctx, &f.target, &f.target, false);
    std::string line(f.ctx.Text());
    if (*r.control) EXPECT_NE(line.find(r.control), std::string::npos) << line;
    else EXPECT_EQ(line.find("OPTIMIZE"), std::string::npos) << line;
  }
}

// The near threshold cleared to "not given" differs from the defaults but
// leaves no item: no empty HOLD () control.
TEST(CmdQ166, HoldWithoutItemsWritesNothing) {
  CmdFixture base(kToolset166), f(kToolset166);
  f.targetOpts.t166.NHOLD = 0xFFFF;
  MakeQ166CompilerCommand(base.ctx, &base.target, &base.target, false);
  MakeQ166CompilerCommand(f.ctx, &f.target, &f.target, false);
  EXPECT_EQ(f.ctx.Text(), base.ctx.Text());
}

TEST(CmdQ166, FileLevelInheritsGroupThenTarget) {
  CmdFixture f(kToolset166);
  f.targetOpts.q166.OPTIMIZE = 3;
  f.GroupBlock().q166.SPEEDSIZE = 0;  // group: size; level inherited
  f.FileBlock();                      // file: everything inherited
  MakeQ166CompilerCommand(f.ctx, &f.file, &f.target, false);
  EXPECT_NE(std::string(f.ctx.Text()).find("OPTIMIZE (3,SIZE)"), std::string::npos) << f.ctx.Text();
}

TEST(CmdQ166, EveryControlInOrder) {
  CmdFixture f(kToolset166);
  OptionBlock& b = f.targetOpts;
  b.t166.flags.MODV2 = 1;
  b.t166.MODEL = 4;
  b.t166.IHOLD = 2;
  b.q166.WARNINGLEV = 0;
  b.q166.OPTIMIZE = 2;
  SetFlagWord(b.q166.flags, 0x5105);  // REGCOLOR, STATIC, UNSIGNEDCHAR, FLOAT64, SAVEUSR 1; the rest 0
  b.out.flags.BROWSE = 1;
  b.q166.flags2.REORDER = 1;
  b.q166.INCC6 = OptString("i");
  b.q166.CMISC = OptString("M");
  b.q166.DEFINE = OptString("D");
  b.lst.listFlags = (b.lst.listFlags | 0x700) & ~0x80u;
  b.lst.LSTDIR = OptString(".\\l\\");
  f.file.path = OptString(".\\s\\a.c");
  f.file.name = OptString("a.c");
  f.ctx.g_bCppSecondPass = 1;
  f.ctx.g_pszCppSourceName = "a.cpp";
  f.ctx.m_nCTabWidth = 8;
  MakeQ166CompilerCommand(f.ctx, &f.file, &f.target, true);
  EXPECT_EQ(f.ctx.Text(),
            "MODV2 LARGE HOLD (NEAR 6,IDATA 2) WARNINGLEVEL (0) OPTIMIZE (2,SPEED) "
            "REGFILE (./blinky.ORC) BROWSE STATIC NOALIAS UNSIGNED_CHAR NODPPSAVE SAVEUSR FLOAT64 REORDER "
            "INCDIR(i) M DEFINE (D) DEBUG CODE LISTINCLUDE SYMBOLS NOCOND PRINT(./l/a.lst) TABS (8) "
            "OBJECT(a.obj) BF(a.cpp) WARNING disable=47");
}

TEST(CmdW166, ControlsAndEnding) {
  CheckRows(kToolset166, MakeW166AssemblerCommand,
            {{"MODV2", [](OptionBlock& b) { b.t166.flags.MODV2 = 1; }},
             {"CASE", [](OptionBlock& b) { b.w166.flags.CASE = 1; }},
             {"NOMACRO", [](OptionBlock& b) { b.w166.flags.MPL = 0; }},
             {"GENONLY", [](OptionBlock& b) { b.lst.lstByte2 = 1; }},
             {"INCDIR(a)", [](OptionBlock& b) { b.w166.INCA6 = OptString("a"); }},
             {"NOPRINT", [](OptionBlock& b) { b.lst.listFlags &= ~2u; }},
             {"XREF", [](OptionBlock& b) { b.lst.listFlags |= 1u << 6; }},
             {"NOSYMBOLS", [](OptionBlock& b) { b.lst.listFlags &= ~(1u << 5); }}});
  CmdFixture f(kToolset166);
  f.targetOpts.t166.MODEL = 0;
  f.targetOpts.w166.ASET = OptString("X=1");
  f.GroupBlock().w166.ARESET = OptString("TINY");
  MakeW166AssemblerCommand(f.ctx, &f.file, &f.target, false);
  // TINY: no SEGMENTED; the group's reset removes the leading model entry.
  EXPECT_EQ(f.ctx.Text(), "SET (X=1) DEBUG EP");
}

TEST(CmdQ51, EachControlAwayFromItsDefault) {
  auto q = [](int lo, int width, uint32_t v) {
    return [=](OptionBlock& b) { b.q51.Q51FL = WithBitField(b.q51.Q51FL, lo, width, v); };
  };
  auto t = [](uint32_t bits) { return [=](OptionBlock& b) { b.t51.T51FL |= bits; }; };
  CheckRows(kToolset51, MakeQ51CompilerCommand,
            {{"COMPACT", [](OptionBlock& b) { b.t51.MODEL5 = 1; }},
             {"ROM(SMALL)", [](OptionBlock& b) { b.t51.ROMSZ5 = 0; }},
             {"ROM(D512K)", [](OptionBlock& b) { b.t51.ROMSZ5 = 3; }},
             {"HOLD(4,0,9)", [](OptionBlock& b) { b.t51.DHOLD5 = 4; b.t51.XHOLD5 = 9; }},
             {"WARNINGLEVEL (1)", q(18, 4, 1)},
             {"OPTIMIZE (9,SPEED)", q(14, 4, 9)},
             {"OPTIMIZE (SIZE)", q(22, 2, 0)},
             {"REGFILE (./blinky.ORC)", q(0, 2, 1)},
             {"ORDER", q(2, 2, 1)},
             {"NOINTPROMOTE", q(4, 2, 0)},
             {"FLOATFUZZY(5)", q(10, 4, 5)},
             {"NOAREGS", q(6, 2, 1)},
             {"NOINTVECTOR", q(8, 2, 0)},
             {"INTVECTOR(0x8000)", [](OptionBlock& b) { b.q51.Q51VA = 0x18000; }},
             {"MODE2", t(0x1000)},
             {"MODA2", t(0x84)},
             {"MODDP2", t(0x104)},
             {"MODDA", t(0x400002)},
             {"MODAB2", t(0x800004)},
             {"MOD517", t(0xC06)},
             {"MOD517 (NODP8)", t(0x402)},
             {"MOD517 (NOAU)", t(0x804)},
             {"DEFINE (X=\"1\")", [](OptionBlock& b) { b.q51.Q51DEF = OptString("X=1"); }}});
}

TEST(CmdQ51, OptimizeAndExtendedForms) {
  struct {
    const char* name;
    uint32_t t51;
    int level, emphasis, objAdv;
    const char* control;  // "" none
  } rows[] = {{"level 8 size", 0, 8, 0, 0, "OPTIMIZE (SIZE)"},
              {"level 8 speed is the default", 0, 8, 1, 0, ""},
              {"level 8 without emphasis", 0, 8, 2, 0, ""},
              {"level 10 without emphasis", 0x8000, 10, 2, 0, "OPTIMIZE (10)"},
              {"12 without extended linker is 8", 0, 12, 1, 0, ""},
              {"12 with object-advanced", 0x8000, 12, 1, 1, "OPTIMIZE (11,SPEED)"},
              {"12 with object-advanced, no emphasis", 0x8000, 12, 2, 1, "OPTIMIZE (12)"},
              {"12 without object-advanced is 10", 0x8000, 12, 0, 0, "OPTIMIZE (10,SIZE)"}};
  for (const auto& r : rows) {
    CmdFixture f(kToolset51);
    uint32_t& w = f.targetOpts.q51.Q51FL;
    f.targetOpts.t51.T51FL = r.t51;
    w = WithBitField(w, 14, 4, r.level);
    w = WithBitField(w, 22, 2, r.emphasis);
    w = WithBitField(w, 26, 2, r.objAdv);
    MakeQ51CompilerCommand(f.ctx, &f.target, &f.target, false);
    std::string line(f.ctx.Text());
    if (*r.control) EXPECT_NE(line.find(r.control), std::string::npos) << r.name << ": " << line;
    else EXPECT_EQ(line.find("OPTIMIZE"), std::string::npos) << r.name << ": " << line;
  }
  // Extended linker: OMF2 and no OBJECTEXTEND; QX51 with object-advanced.
  CmdFixture x(kToolset51);
  x.targetOpts.t51.T51FL = 0x8000 | 0x4000 | 0x200000;
  MakeQ51CompilerCommand(x.ctx, &x.target, &x.target, false);
  EXPECT_EQ(x.ctx.Text(), "OMF2 VARBANKING (1) DEBUG");
  x.targetOpts.t51.T51FL = 0x20000;
  x.targetOpts.t51.ROMSZ5 = 3;
  x.targetOpts.q51.Q51FL = WithBitField(x.targetOpts.q51.Q51FL, 26, 2, 1);
  MakeQ51CompilerCommand(x.ctx, &x.target, &x.target, false);
  EXPECT_EQ(x.ctx.Text(), "OBJECTADVANCED ROM(HUGE) DEBUG");
}

TEST(CmdQ251, EachControlAwayFromItsDefault) {
  auto q = [](int lo, int width, uint32_t v) {
    return [=](OptionBlock& b) { b.q251.Q251F1 = WithBitField(b.q251.Q251F1, lo, width, v); };
  };
  CheckRows(kToolset251, MakeQ251CompilerCommand,
            {{"XSMALL", [](OptionBlock& b) { b.t251.MODEL25 = 3; }},
             {"MODBIN", [](OptionBlock& b) { b.t251.T251FL &= ~4u; }},
             {"NOALIAS", q(4, 2, 0)},
             {"FUNCTIONS (REENTRANT)", q(6, 2, 1)},
             {"UNSIGNED_CHAR", q(8, 2, 1)},
             {"FLOAT64", q(10, 2, 1)},
             {"NOCASE", [](OptionBlock& b) { b.n51.NX51FL &= ~8u; }},
             {"ROM(HUGE)", [](OptionBlock& b) { b.t251.ROMSZ25 = 4; }},
             {"HOLD(1,2,3)", [](OptionBlock& b) { b.t251.FHOLD25 = 1; b.t251.DHOLD25 = 2; b.t251.XHOLD25 = 3; }},
             {"WARNINGLEVEL (0)", q(20, 4, 0)},
             {"OPTIMIZE (SIZE)", q(24, 2, 0)},
             {"OPTIMIZE (4)", [](OptionBlock& b) {
                b.q251.Q251F1 = WithBitField(WithBitField(b.q251.Q251F1, 16, 4, 4), 24, 2, 2);
              }},
             {"ORDER", q(2, 2, 1)},
             {"FLOATFUZZY(0)", q(12, 4, 0)}});
}

TEST(CmdQ251, OptimizeForms) {
  struct {
    const char* name;
    int level, emphasis;
    const char* control;  // "" none
  } rows[] = {{"default level, speed", 7, 1, ""},
              {"default level, size", 7, 0, "OPTIMIZE (SIZE)"},
              {"default level without emphasis", 7, 2, ""},
              {"level 4 without emphasis", 4, 2, "OPTIMIZE (4)"},
              {"level 4 speed", 4, 1, "OPTIMIZE (4,SPEED)"}};
  for (const auto& r : rows) {
    CmdFixture f(kToolset251);
    uint32_t& w = f.targetOpts.q251.Q251F1;
    w = WithBitField(WithBitField(w, 16, 4, r.level), 24, 2, r.emphasis);
    MakeQ251CompilerCommand(f.ctx, &f.target, &f.target, false);
    std::string line(f.ctx.Text());
    if (*r.control) EXPECT_NE(line.find(r.control), std::string::npos) << r.name << ": " << line;
    else EXPECT_EQ(line.find("OPTIMIZE"), std::string::npos) << r.name << ": " << line;
  }
}

TEST(CmdW51, FamiliesAndEnding) {
  auto w = [](int lo, uint32_t v) {
    return [=](OptionBlock& b) { b.w51.WX51FL = WithBitField(b.w51.WX51FL, lo, 2, v); };
  };
  CheckRows(kToolset51, MakeW51AssemblerCommand,
            {{"MPL", w(0, 1)},
             {"NOMACRO", w(2, 0)},
             {"NOMOD51", w(6, 1)},
             {"MOD_MX51", [](OptionBlock& b) { b.t51.T51FL |= 0x20000; b.w51.WX51FL &= ~0x30u; }},
             {"CASE", [](OptionBlock& b) { b.t51.T51FL |= 0x10000; b.w51.WX51FL = WithBitField(b.w51.WX51FL, 4, 2, 1); }}});
  // A 251 target: its model and ROMHUGE lead the SET list.
  CmdFixture f(kToolset251);
  f.targetOpts.t251.MODEL25 = 2;
  f.targetOpts.t251.ROMSZ25 = 4;
  MakeW51AssemblerCommand(f.ctx, &f.target, &f.target, false);
  EXPECT_EQ(f.ctx.Text(), "MODSRC INTR2 SET (SMALL,ROMHUGE) DEBUG EP");
  // Contiguous mode of an extended 51 target.
  CmdFixture c(kToolset51);
  c.targetOpts.t51.T51FL = 0x80000 | 0x10000 | 0x8000;
  c.targetOpts.t51.ROMSZ5 = 4;
  MakeW51AssemblerCommand(c.ctx, &c.target, &c.target, false);
  EXPECT_EQ(c.ctx.Text(), "MOD_CONT SET (SMALL) DEBUG EP");
}

TEST(CmdYQ166, ModelIncludeAndDefines) {
  CmdFixture f(kToolset166);
  f.ctx.m_szToolsFolder = "C:\\Q166\\bin\\";
  f.target.ORGREG = OptString("Infineon\\");
  f.targetOpts.t166.MODEL = 1;  // SMALL writes nothing
  f.targetOpts.yq166.ECDEFINE = OptString("T");
  f.FileBlock().yq166.ECUNDEF = OptString("T");
  MakeYQ166CompilerCommand(f.ctx, &f.file, &f.target, true);
  EXPECT_EQ(f.ctx.Text(), "INCDIR(C:\\Q166\\INC\\Infineon)");
  EXPECT_EQ(f.ctx.g_szObjFileName, "main.obj");

  f.target.USEENV = 1;
  f.target.ENVINC = OptString("D:\\inc\\");
  f.target.ENVREG = OptString(".\\dev\\");
  f.targetOpts.t166.MODEL = 3;
  SetFirstWord(f.fileOpts.yq166.YQ166, WithBitField(FirstWord(f.fileOpts.yq166.YQ166), 8, 2, 1));
  MakeYQ166CompilerCommand(f.ctx, &f.file, &f.target, false);
  EXPECT_EQ(f.ctx.Text(), "MEDIUM INCDIR(D:\\inc\\dev\\) INCDIR(D:\\inc\\) --unsigned_chars");
}

}  // namespace
}  // namespace pm2::test
