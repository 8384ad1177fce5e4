// The command context: the append rule, the copy rules of the three option
// levels, the list merges over the levels and the object and listing names.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <thread>

#include "builder/cmd_fixture.h"
#include "builder/commands/command_lists.h"
#include "builder/commands/q166_command.h"
#include "builder/commands/q51_command.h"

namespace pm2::test {
namespace {

std::string Line(CommandContext& c) { return std::string(c.Text()); }

TEST(CmdAppend, BlankRuleAndOverflow) {
  CommandContext c;
  c.AppendControl("A");
  c.AppendControl("");  // nothing, no stray blank
  c.AppendControl("B");
  c.AppendControl("C", false);
  c.AppendControl("\r\n");
  c.AppendControl("D");
  EXPECT_EQ(Line(c), "A BC \r\nD");
  EXPECT_EQ(c.g_pCmdLineBuf[c.g_nCmdLineLen], '\0');

  // An append that would not fit is dropped whole.
  c.ResetBuffer();
  std::string big(kCmdLineBufSize - 3, 'x');
  c.AppendControl(big);
  c.AppendControl("YY");  // blank + 2 + zero: one byte too many
  EXPECT_EQ(c.g_nCmdLineLen, big.size());
  c.AppendControl("Y", false);
  EXPECT_EQ(c.g_nCmdLineLen, big.size() + 1);
}

TEST(CmdContext, LevelsCopiedWithoutTheirListTexts) {
  CmdFixture f(kToolset166);
  f.targetOpts.q166.DEFINE = OptString("T1");
  f.targetOpts.q166.INCC6 = OptString("inc");
  f.FileBlock().q166.DEFINE = OptString("F1");
  f.ctx.SetCommandContext(&f.file, &f.target);
  // Group has no block: a copy of the target level without its lists, but
  // with the very include text of the target.
  EXPECT_TRUE(f.ctx.g_ParentOptions.q166.DEFINE.IsEmptyOpt());
  EXPECT_TRUE(f.ctx.g_ParentOptions.q166.INCC6.SameStored(f.targetOpts.q166.INCC6));
  EXPECT_EQ(f.ctx.g_pCmdGroupOptions, nullptr);
  EXPECT_EQ(f.ctx.g_TargetLevelOptions.q166.DEFINE, "F1");
  EXPECT_EQ(f.ctx.g_WorkOptions.q166.DEFINE, "T1");
}

TEST(CmdContext, Variant51AndTheStoredBlockUntouched) {
  struct Row {
    const char* name;
    uint32_t t51;
    int variant;
  } rows[] = {{"basic", 0, 0},
              {"extended assembler", 0x10000, 1},
              {"extended linker", 0x8000, 2},
              {"both", 0x18000, 3},
              {"extended compiler implies linker", 0x20000, 3},
              {"MX51 implies linker", 0x1000000, 2}};
  for (const Row& r : rows) {
    CmdFixture f(kToolset51);
    f.targetOpts.t51.T51FL = r.t51;
    f.ctx.SetCommandContext(&f.target, &f.target);
    EXPECT_EQ(f.ctx.g_n51ToolVariant, r.variant) << r.name;
    EXPECT_EQ(f.targetOpts.t51.T51FL, r.t51) << r.name;
  }
}

// Defines and undefines at target, group and file level.
TEST(CmdLists, DefinesAcrossLevels) {
  struct Row {
    const char* name;
    const char *tDef, *tUndef, *gDef, *gUndef, *fDef, *fUndef;
    bool groupBlock, fileBlock;
    const char* fileLine;  // the DEFINE control of the file's line, "" none
  } rows[] = {
      {"target only, value quoted", "B=1", "", "", "", "", "", false, false, "DEFINE (B=\"1\")"},
      {"target undefine removes nothing", "B", "B", "", "", "", "", false, false, "DEFINE (B)"},
      {"group undefines a target define", "B=1", "", "A", "B", "", "", true, false, "DEFINE (A)"},
      {"file undefine empties the list", "X", "", "", "", "", "X", false, true, ""},
      {"group ignored without its block", "X", "", "G", "X", "F", "", false, true, "DEFINE (X,F)"},
      {"first of two equal names removed", "A=1 A=2", "", "", "", "", "A", false, true, "DEFINE (A=\"2\")"},
      {"all three levels", "T", "", "G=2", "", "F", "T", true, true, "DEFINE (G=\"2\",F)"},
  };
  for (const Row& r : rows) {
    CmdFixture f(kToolset166);
    f.targetOpts.q166.DEFINE = OptString(r.tDef);
    f.targetOpts.q166.UNDEFINE = OptString(r.tUndef);
    if (r.groupBlock) {
      f.GroupBlock().q166.DEFINE = OptString(r.gDef);
      f.groupOpts.q166.UNDEFINE = OptString(r.gUndef);
    }
    if (r.fileBlock) {
      f.FileBlock().q166.DEFINE = OptString(r.fDef);
      f.fileOpts.q166.UNDEFINE = OptString(r.fUndef);
    }
    MakeQ166CompilerCommand(f.ctx, &f.file, &f.target, false);
    std::string line = Line(f.ctx);
    std::size_t at = line.find("DEFINE (");
    std::string got = at == std::string::npos ? "" : line.substr(at, line.find(')', at) - at + 1);
    EXPECT_EQ(got, r.fileLine) << r.name << ": " << line;
  }
}

TEST(CmdLists, DefineListLimitsStopTakingEntries) {
  // 300 two-letter names: 256 of them fill both limits exactly.
  std::string text;
  for (int i = 0; i < 300; ++i) text += std::string{char('A' + i / 26), char('A' + i % 26)} + " ";
  DefineList list;
  ParseDefineList(text.c_str(), list);
  EXPECT_EQ(list.count, DefineList::kMaxEntries);
  EXPECT_TRUE(list.full);
  EXPECT_EQ(list.Name(list.entries[255]), "JV");
  EXPECT_EQ(list.firstDropped, "JW");

  // Names of 250 characters: four fit in the pool, the fifth is dropped.
  std::string name(250, 'N'), five;
  for (int i = 0; i < 5; ++i) five += name + " ";
  DefineList longNames;
  ParseDefineList(five.c_str(), longNames);
  EXPECT_EQ(longNames.count, 4);
  EXPECT_TRUE(longNames.full);
  EXPECT_EQ(longNames.firstDropped, name);
}

// Names and values at and past the scanner's 254-character token: each
// reaches the list whole, never as two symbols, and what follows it is
// still read.
TEST(CmdLists, LongNamesAndValuesAreTakenWhole) {
  const std::string n254 = "N" + std::string(253, 'X'), n255 = n254 + "Y", n300 = "LONGSYM_" + std::string(292, 'X');
  const std::string v254(254, '7'), v400(400, '9');
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::pair<std::string, std::string>> entries;
  } rows[] = {
      {"254-character name, then another", n254 + " B", {{n254, ""}, {"B", ""}}},
      {"254-character name with a value", n254 + "=1 B", {{n254, "1"}, {"B", ""}}},
      {"255-character name", "A=1 " + n255, {{"A", "1"}, {n255, ""}}},
      {"300-character name, then a comma", n300 + ",C=3", {{n300, ""}, {"C", "3"}}},
      {"254-character value", "V=" + v254 + " W", {{"V", v254}, {"W", ""}}},
      {"400-character value", "V=" + v400, {{"V", v400}}},
      {"quoted long value", "Q=\"" + v400 + "\" R", {{"Q", v400}, {"R", ""}}},
  };
  for (const Row& r : rows) {
    DefineList list;
    ParseDefineList(r.text.c_str(), list);
    std::vector<std::pair<std::string, std::string>> got;
    for (int i = 0; i < list.count; ++i)
      got.emplace_back(std::string(list.Name(list.entries[i])), std::string(list.Value(list.entries[i])));
    EXPECT_EQ(got, r.entries) << r.name;
    EXPECT_FALSE(list.full) << r.name;
    // An undefine of the long name removes it, and only it.
    ApplyUndefineList(r.entries.front().first.c_str(), list);
    EXPECT_EQ(list.Surviving(), int(r.entries.size()) - 1) << r.name;
  }
}

TEST(CmdLists, SameIncludeTypedAtThreeLevels) {
  CmdFixture f(kToolset166);
  static const char kT[] = "C:\\inc", kG[] = "C:\\inc", kF[] = "C:\\inc";
  f.targetOpts.q166.INCC6 = OptString(kT);
  f.GroupBlock().q166.INCC6 = OptString(kG);
  f.FileBlock().q166.INCC6 = OptString(kF);
  MakeQ166CompilerCommand(f.ctx, &f.file, &f.target, false);
  EXPECT_NE(Line(f.ctx).find("INCDIR(C:\\inc;C:\\inc;C:\\inc)"), std::string::npos) << Line(f.ctx);

  // Inherited levels share the target's text and add nothing; the node's
  // own text comes first.
  CmdFixture g(kToolset166);
  g.targetOpts.q166.INCC6 = OptString("t");
  g.FileBlock().q166.INCC6 = OptString("f");
  MakeQ166CompilerCommand(g.ctx, &g.file, &g.target, false);
  EXPECT_NE(Line(g.ctx).find("INCDIR(f;t)"), std::string::npos) << Line(g.ctx);
  // Misc texts: target, then the file's own; the inherited group adds none.
  g.targetOpts.q166.CMISC = OptString("TM");
  g.fileOpts.q166.CMISC = OptString("FM");
  MakeQ166CompilerCommand(g.ctx, &g.file, &g.target, false);
  EXPECT_NE(Line(g.ctx).find("INCDIR(f;t) TM FM"), std::string::npos) << Line(g.ctx);
}

TEST(CmdListing, SubfolderSourceGetsPrintAndObject) {
  struct Row {
    const char* name;
    const char* path;
    const char* outDir;
    const char* lstDir;
    const char* print;   // "" none
    const char* object;  // "" none
    const char* objFile;
  } rows[] = {
      {"project folder", ".\\main.c", ".\\", ".\\", "", "", "main.obj"},
      // Listing folders reach the line with '/'; objects keep the stored
      // form the linker is given too.
      {"subfolder", ".\\src\\main.c", ".\\", ".\\", "PRINT(./main.lst)", "OBJECT(main.obj)", "main.obj"},
      {"output folder", ".\\main.c", ".\\obj\\", ".\\lst\\", "PRINT(./lst/main.lst)",
       "OBJECT(.\\obj\\main.obj)", ".\\obj\\main.obj"},
      {"absolute path", "C:\\x\\main.c", ".\\", ".\\", "PRINT(./main.lst)", "OBJECT(.\\main.obj)",
       ".\\main.obj"},
  };
  for (const Row& r : rows) {
    CmdFixture f(kToolset166);
    f.file.path = OptString(r.path);
    f.targetOpts.out.OUTDIR = OptString(r.outDir);
    f.targetOpts.lst.LSTDIR = OptString(r.lstDir);
    MakeQ166CompilerCommand(f.ctx, &f.file, &f.target, true);
    std::string line = Line(f.ctx);
    EXPECT_EQ(line.find("PRINT(") != std::string::npos, *r.print != 0) << r.name << ": " << line;
    EXPECT_EQ(line.find("OBJECT(") != std::string::npos, *r.object != 0) << r.name << ": " << line;
    if (*r.print) {
      EXPECT_NE(line.find(r.print), std::string::npos) << r.name << ": " << line;
    }
    if (*r.object) {
      EXPECT_NE(line.find(r.object), std::string::npos) << r.name << ": " << line;
    }
    EXPECT_EQ(f.ctx.g_szObjFileName, r.objFile) << r.name;
  }
  // A target previewed with a listing folder shows the wildcard name.
  CmdFixture p(kToolset166);
  p.targetOpts.lst.LSTDIR = OptString(".\\lst\\");
  MakeQ166CompilerCommand(p.ctx, &p.target, &p.target, false);
  EXPECT_NE(Line(p.ctx).find("PRINT(./lst/*.lst)"), std::string::npos) << Line(p.ctx);
}

TEST(CmdListing, OwnOutputNameRule) {
  struct Row {
    const char* path;
    bool needs;
  } rows[] = {{".\\main.c", false}, {"main.c", true}, {".\\src\\main.c", true},
              {"C:\\x\\main.c", true}, {"", true}, {"./main.c", false}};
  for (const Row& r : rows) EXPECT_EQ(NeedsOwnOutputName(r.path), r.needs) << r.path;
}

// Two threads generating lines for different targets at once give what
// one after the other gives: the builders keep all state in their context.
TEST(CmdThreads, ParallelTargetsMatchSequential) {
  CmdFixture a(kToolset166), b(kToolset51);
  a.targetOpts.q166.DEFINE = OptString("W166=1");
  a.targetOpts.q166.OPTIMIZE = 3;
  a.file.path = OptString(".\\src\\main.c");
  b.targetOpts.q51.Q51DEF = OptString("B51");
  b.FileBlock().q51.Q51UDF = OptString("B51");
  auto runA = [&](CommandContext& c) {
    MakeQ166CompilerCommand(c, &a.file, &a.target, true);
    return std::string(c.Text()) + "|" + c.g_szObjFileName;
  };
  auto runB = [&](CommandContext& c) {
    MakeQ51CompilerCommand(c, &b.file, &b.target, true);
    return std::string(c.Text()) + "|" + c.g_szObjFileName;
  };
  CommandContext seq;
  const std::string expectA = runA(seq), expectB = runB(seq);
  std::string gotA[200], gotB[200];
  std::thread ta([&] {
    CommandContext c;
    for (auto& s : gotA) s = runA(c);
  });
  std::thread tb([&] {
    CommandContext c;
    for (auto& s : gotB) s = runB(c);
  });
  ta.join();
  tb.join();
  for (const auto& s : gotA) ASSERT_EQ(s, expectA);
  for (const auto& s : gotB) ASSERT_EQ(s, expectB);
}

}  // namespace
}  // namespace pm2::test
