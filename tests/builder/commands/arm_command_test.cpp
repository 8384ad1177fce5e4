// ARM-GNU and ADS lines: each control of each tool's table set away from
// its default adds exactly its text; whole lines for a default target and
// for one with every option changed; inheritance over the three levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "builder/cmd_fixture.h"
#include "builder/commands/arm_ads_command.h"
#include "builder/commands/arm_controls.h"
#include "builder/commands/arm_gnu_command.h"
#include "builder/runner/command_line_split.h"

namespace pm2::test {
namespace {

using ArmBuilder = std::function<std::string(CmdFixture&)>;
struct ArmRow {
  const char* control;
  std::function<void(OptionBlock&)> set;
};

std::string GnuCc(CmdFixture& f) {
  MakeGnuCcCommand(f.ctx, &f.file, &f.target, true);
  return std::string(f.ctx.Text());
}
std::string GnuAs(CmdFixture& f) {
  MakeGnuAsCommand(f.ctx, &f.file, &f.target, true);
  return std::string(f.ctx.Text());
}
std::string AdsCc(CmdFixture& f) {
  MakeAdsCcCommand(f.ctx, &f.file, &f.target, true);
  return std::string(f.ctx.Text());
}
std::string AdsAs(CmdFixture& f) {
  MakeAdsAsmCommand(f.ctx, &f.file, &f.target, true);
  return std::string(f.ctx.Text());
}

void Prepare(CmdFixture& f) { f.ctx.m_szToolsFolder = "C:\\Tools\\ARM\\BIN\\"; }

void CheckRows(uint16_t toolset, const ArmBuilder& build, const std::vector<ArmRow>& rows) {
  CmdFixture base(toolset);
  Prepare(base);
  const std::string baseline = build(base);
  for (const ArmRow& r : rows) {
    CmdFixture f(toolset);
    Prepare(f);
    r.set(f.targetOpts);
    std::string line = build(f);
    EXPECT_EQ(WithoutControl(line, r.control), baseline) << r.control << ": " << line;
  }
}

void SetWord(uint8_t* bytes, int lo, int width, uint32_t v) {
  SetFirstWord(bytes, WithBitField(FirstWord(bytes), lo, width, v));
}

TEST(ArmGnuCc, DefaultLine) {
  CmdFixture f(kToolsetArmGnu);
  Prepare(f);
  EXPECT_EQ(GnuCc(f), "-c -mcpu=arm7tdmi -gdwarf-2 -MD -Wall -mapcs-frame -IC:\\Tools\\ARM\\INC -o main.o");
  EXPECT_EQ(f.ctx.g_szObjFileName, "main.o");
}

TEST(ArmGnuCc, EachControlAwayFromItsDefault) {
  auto opt = [](uint32_t v) { return [v](OptionBlock& b) { SetWord(b.cGnu.ACCFLG, kGnuCcOptimize, 8, v); }; };
  auto sw = [](int lo) { return [lo](OptionBlock& b) { SetWord(b.cGnu.ACCFLG, lo, 2, 1); }; };
  CheckRows(kToolsetArmGnu, GnuCc,
            {{"-mbig-endian", [](OptionBlock& b) { b.lst.GLFLAGS |= kGlFlagsBigEndian; }},
             {"-O", opt(1)}, {"-O0", opt(2)}, {"-O1", opt(3)}, {"-O2", opt(4)}, {"-Os", opt(5)},
             {"-O3", opt(6)},
             {"-mapcs-stack-check", sw(kGnuCcStackCheck)},
             {"-mapcs-reentrant", sw(kGnuCcReentrant)},
             {"-mthumb-interwork", sw(kGnuCcInterwork)},
             {"-ansi", sw(kGnuCcAnsi)},
             {"-Isrc", [](OptionBlock& b) { b.cGnu.ACINCD = OptString("src"); }},
             {"-fno-common", [](OptionBlock& b) { b.cGnu.ACMISC = OptString("-fno-common"); }},
             {"-DDEBUG=2", [](OptionBlock& b) { b.cGnu.ACDEFN = OptString("DEBUG=2"); }},
             {"-DNAME=\"a b\"", [](OptionBlock& b) { b.cGnu.ACDEFN = OptString("NAME=\"a b\""); }},
             {"-Wa,-alhms=\"main.lst\"", [](OptionBlock& b) { b.lst.GLFLAGS |= kGlListingOn; }}});
}

TEST(ArmGnuCc, WarningAndOutputForms) {
  struct {
    const char* name;
    std::function<void(CmdFixture&)> set;
    const char* from;
    const char* to;
  } rows[] = {
      {"no warnings", [](CmdFixture& f) { SetWord(f.targetOpts.cGnu.ACCFLG, kGnuCcWarnings, 8, 1); }, "-Wall", "-w"},
      {"pedantic", [](CmdFixture& f) { SetWord(f.targetOpts.cGnu.ACCFLG, kGnuCcWarnings, 8, 3); }, "-Wall", "-pedantic"},
      {"assembler output", [](CmdFixture& f) { f.targetOpts.prop.flags.GENASM = 1; }, "-o main.o", "-S"},
      {"no debug", [](CmdFixture& f) { f.targetOpts.out.flags.DEBUG = 0; }, "-gdwarf-2 ", ""},
      {"object folder", [](CmdFixture& f) { f.targetOpts.out.OUTDIR = OptString("obj\\"); }, "-o main.o", "-o obj\\main.o"},
  };
  CmdFixture base(kToolsetArmGnu);
  Prepare(base);
  const std::string baseline = GnuCc(base);
  for (const auto& r : rows) {
    CmdFixture f(kToolsetArmGnu);
    Prepare(f);
    r.set(f);
    std::string expected = baseline;
    expected.replace(expected.find(r.from), std::string(r.from).size(), r.to);
    EXPECT_EQ(GnuCc(f), expected) << r.name;
  }
}

TEST(ArmGnuCc, OptimisationInheritedOverLevels) {
  struct {
    const char* name;
    uint32_t target, group, file;
    const char* expected;  // "" none
  } rows[] = {{"file and group inherit the target", 4, 0, 0, "-O2"},
              {"file inherits the group", 4, 5, 0, "-Os"},
              {"file's own value", 4, 5, 6, "-O3"},
              {"nothing set anywhere", 0, 0, 0, ""}};
  for (const auto& r : rows) {
    CmdFixture f(kToolsetArmGnu);
    SetWord(f.targetOpts.cGnu.ACCFLG, kGnuCcOptimize, 8, r.target);
    SetWord(f.GroupBlock().cGnu.ACCFLG, kGnuCcOptimize, 8, r.group);
    SetWord(f.FileBlock().cGnu.ACCFLG, kGnuCcOptimize, 8, r.file);
    std::string line = GnuCc(f);
    for (const char* o : {"-O ", "-O0", "-O1", "-O2", "-Os", "-O3"}) {
      bool want = std::string(r.expected) == std::string(o);
      EXPECT_EQ(line.find(o) != std::string::npos, want) << r.name << ": " << line;
    }
  }
}

TEST(ArmGnuCc, IncludeFoldersOfLevelsAndToolset) {
  CmdFixture f(kToolsetArmGnu);
  f.ctx.m_szToolsFolder = "/opt/arm/bin\\";  // "BIN\" removed in any case
  f.target.ORGREG = OptString("Philips");
  f.targetOpts.cGnu.ACINCD = OptString("inc;  common ");
  f.GroupBlock().cGnu.ACINCD = OptString(" ,grp,");
  f.FileBlock().cGnu.ACINCD = f.targetOpts.cGnu.ACINCD;  // the same stored text: not repeated
  std::string line = GnuCc(f);
  EXPECT_NE(line.find(" -Iinc -Icommon -Igrp "), std::string::npos) << line;
  EXPECT_EQ(line.find("-Iinc", line.find("-Iinc") + 1), std::string::npos) << line;
  EXPECT_NE(line.find(" -I/opt/arm/INC/Philips "), std::string::npos) << line;

  CmdFixture own(kToolsetArmGnu);
  own.target.USEENV = 1;
  own.target.ENVINC = OptString("/env/inc/");
  own.target.ENVREG = OptString("\xFF" "NXP");
  std::string ownLine = GnuCc(own);
  EXPECT_NE(ownLine.find(" -I/env/inc/NXP -I/env/inc/ "), std::string::npos) << ownLine;
}

// The compiler gets the folder the dependency scan searches: the tools
// folder without its "BIN" in any case and with either separator, and no
// separator at the end (a trailing '\' is part of a name on this machine).
TEST(ArmToolsetInclude, BinRemovedAndNoSeparatorAtTheEnd) {
  struct ArmRow {
    const char* name;
    const char* tools;
    const char* device;
    const char* expected;
  } rows[] = {
      {"this machine", "/root/ARM/BIN/", "", "/root/ARM/INC"},
      {"this machine, device", "/root/ARM/bin/", "Philips", "/root/ARM/INC/Philips"},
      {"device with a final separator", "/root/ARM/Bin/", "Philips\\", "/root/ARM/INC/Philips"},
      {"windows form", "C:\\Tools\\ARM\\BIN\\", "", "C:\\Tools\\ARM\\INC"},
      {"windows form, device", "C:\\Tools\\ARM\\BIN\\", "Atmel", "C:\\Tools\\ARM\\INC\\Atmel"},
      {"no bin folder", "/opt/arm/", "", "/opt/arm/INC"},
      // A folder named with a blank is one word of the command line.
      {"blank in the folder", "/opt/my arm/BIN/", "", "\"/opt/my arm/INC\""},
  };
  for (const ArmRow& r : rows) {
    EXPECT_EQ(QuoteIfBlank(ToolsetIncludeFolder(r.tools, r.device)), r.expected) << r.name;
    for (uint16_t toolset : {kToolsetArmGnu, kToolsetArmAds}) {
      CmdFixture f(toolset);
      f.ctx.m_szToolsFolder = r.tools;
      f.target.ORGREG = OptString(r.device);
      if (toolset == kToolsetArmGnu) MakeGnuCcCommand(f.ctx, &f.file, &f.target, true);
      else MakeAdsCcCommand(f.ctx, &f.file, &f.target, true);
      const std::string line(f.ctx.Text());
      EXPECT_NE(line.find(std::string(" -I") + r.expected + " "), std::string::npos) << r.name << ": " << line;
    }
  }
}

TEST(ArmGnuCc, DefinesOfTheFileLevel) {
  CmdFixture f(kToolsetArmGnu);
  f.targetOpts.cGnu.ACDEFN = OptString("A, B=1");
  OptionBlock& file = f.FileBlock();
  file.cGnu.ACDEFN = OptString("C");
  file.cGnu.ACUDEF = OptString("A");
  std::string line = GnuCc(f);
  EXPECT_NE(line.find(" -DB=1 -DC "), std::string::npos) << line;
  EXPECT_EQ(line.find("-DA"), std::string::npos) << line;
}

TEST(ArmGnuAs, DefaultAndChangedLines) {
  CmdFixture f(kToolsetArmGnu);
  Prepare(f);
  f.file.name = OptString("startup.s");
  f.file.path = OptString(".\\startup.s");
  EXPECT_EQ(GnuAs(f), "-mcpu=arm7tdmi --MD startup.d -IC:\\Tools\\ARM\\INC -o startup.o");

  CmdFixture g(kToolsetArmGnu);
  Prepare(g);
  g.file.name = OptString("startup.s");
  g.file.path = OptString(".\\startup.s");
  g.targetOpts.lst.GLFLAGS |= kGlFlagsBigEndian | kGlListingOn;
  g.targetOpts.lst.LSTDIR = OptString("lst\\");
  g.targetOpts.out.OUTDIR = OptString("obj\\");
  g.targetOpts.aGnu.AAINCD = OptString("asm");
  g.targetOpts.aGnu.AAMISC = OptString("--gstabs");
  g.targetOpts.aGnu.AADEFN = OptString("STACK=0x100, RAM, GONE");
  g.targetOpts.aGnu.AAUDEF = OptString("GONE");  // the target's undefines apply here
  EXPECT_EQ(GnuAs(g),
            "-mcpu=arm7tdmi -EB --MD obj\\startup.d -Iasm --gstabs -IC:\\Tools\\ARM\\INC "
            "--defsym STACK=0x100 --defsym RAM=0x01 -alhms=\"lst/startup.lst\" -o obj\\startup.o");
}

TEST(ArmGnuLd, PreviewAndBuildLines) {
  CmdFixture f(kToolsetArmGnu);
  MakeGnuLdCommand(f.ctx, f.targetOpts, 0);
  EXPECT_EQ(std::string(f.ctx.Text()), "-Wl,-Ttext=0x00\r\n-o blinky.elf\r\n*.o");

  CmdFixture g(kToolsetArmGnu);
  OptionBlock& b = g.targetOpts;
  b.lGnu.ALDSCAT = OptString("link.ld");
  b.lst.GLFLAGS |= kGlFlagsBigEndian | kGlMapFile;
  b.lst.LSTDIR = OptString("lst/");
  b.lGnu.ALDTADR = OptString("0x100");
  b.lGnu.ALDDADR = OptString("0x4000");
  b.lGnu.ALDBSSR = OptString("0x5000");
  b.lGnu.ALDFLAG[0] |= kGnuLdGcSections | kGnuLdNoStartFiles | kGnuLdNoDefaultLibs;
  b.out.OUTDIR = OptString("obj/");
  b.lGnu.ALDICDR = OptString("libs");
  b.lGnu.ALDICLB = OptString("m");
  b.lGnu.ALDMISC = OptString("-v");
  const std::string objects[] = {"\"a.o\"", "\"b.o\""};
  MakeGnuLdCommand(g.ctx, b, 0);
  EXPECT_EQ(std::string(g.ctx.Text()),
            "-T link.ld -mbig-endian -Wl,-Map=\"lst/blinky.map\",\r\n-Ttext=0x100\r\n,-Tdata=0x4000,"
            "-Tbss=0x5000 --gc-sections -o obj/blinky.elf\r\n-L libs *.o -lm\r\n-nostartfiles "
            "-nodefaultlibs -lc -lgcc\r\n-v");
  g.ctx.ResetBuffer();
  MakeGnuLdCommand(g.ctx, b, 2, objects);
  EXPECT_EQ(std::string(g.ctx.Text()),
            "-T link.ld -mbig-endian -Wl,-Map=\"lst/blinky.map\",-Ttext=0x100,-Tdata=0x4000,"
            "-Tbss=0x5000 --gc-sections -o obj/blinky.elf -L libs \"a.o\" \"b.o\" -lm -nostartfiles "
            "-nodefaultlibs -lc -lgcc -v");
}

// A source named with a quote: its object, dependency and listing names
// each come back whole from the compiler's and the assembler's lines.
TEST(ArmGnuCc, OutputNamesOfAFileNamedWithAQuote) {
  for (const ArmBuilder& build : {ArmBuilder(GnuCc), ArmBuilder(GnuAs)}) {
    CmdFixture f(kToolsetArmGnu);
    Prepare(f);
    f.file.name = OptString("q'uote\".c");
    f.file.path = OptString(".\\q'uote\".c");
    f.targetOpts.out.OUTDIR = OptString("obj/");
    f.targetOpts.lst.LSTDIR = OptString("lst/");
    f.targetOpts.lst.GLFLAGS |= kGlListingOn;
    const std::string line = build(f);
    const std::vector<std::string> words = SplitCommandLine(line);
    auto after = [&](const std::string& word) {
      const auto at = std::find(words.begin(), words.end(), word);
      return at == words.end() || at + 1 == words.end() ? std::string() : *(at + 1);
    };
    EXPECT_EQ(after("-o"), "obj/q'uote\".o") << line;
    const auto listing = std::find_if(words.begin(), words.end(), [](const std::string& w) {
      return w.rfind("-Wa,-a", 0) == 0 || w.rfind("-a", 0) == 0;
    });
    ASSERT_NE(listing, words.end()) << line;
    EXPECT_TRUE(listing->ends_with("=lst/q'uote\".lst")) << line;
  }
}

// Objects named after unusual sources reach the linker as file names: a
// leading '-' is no option, a quote of the name stays the name's.
TEST(ArmGnuLd, ObjectsOfUnusualNames) {
  CmdFixture f(kToolsetArmGnu);
  const std::string objects[] = {"\"-o INJ.o\"", "\"./Obj/q'uote\".o\"", "\"./Obj/a.o\""};
  MakeGnuLdCommand(f.ctx, f.targetOpts, 2, objects);
  const std::vector<std::string> words = SplitCommandLine(f.ctx.Text());
  ASSERT_GE(words.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(words.end() - 3, words.end()),
            (std::vector<std::string>{"./-o INJ.o", "./Obj/q'uote\".o", "./Obj/a.o"}));
}

TEST(ArmAdsCc, DefaultLineAndThumb) {
  CmdFixture f(kToolsetArmAds);
  Prepare(f);
  EXPECT_FALSE(MakeAdsCcCommand(f.ctx, &f.file, &f.target, true));
  EXPECT_EQ(std::string(f.ctx.Text()), "-c -g -O0 -IC:\\Tools\\ARM\\INC -o main.o");

  CmdFixture t(kToolsetArmAds);
  Prepare(t);
  SetWord(t.targetOpts.cAds.ADSCCFLG, kAdsCcThumb, 2, 1);
  EXPECT_TRUE(MakeAdsCcCommand(t.ctx, &t.file, &t.target, true));
  EXPECT_EQ(std::string(t.ctx.Text()), " -c -g -O0 -IC:\\Tools\\ARM\\INC -o main.o");
}

TEST(ArmAdsCc, EachControlAwayFromItsDefault) {
  auto sw = [](int lo) { return [lo](OptionBlock& b) { SetWord(b.cAds.ADSCCFLG, lo, 2, 1); }; };
  CheckRows(kToolsetArmAds, AdsCc,
            {{"-cpu ARM7TDMI", [](OptionBlock& b) { b.tAds.ACPUTYP = OptString("ARM7TDMI"); }},
             {"-bi", [](OptionBlock& b) { b.lst.GLFLAGS |= kGlFlagsBigEndian; }},
             {"-W", [](OptionBlock& b) { SetWord(b.cAds.ADSCCFLG, kAdsCcWarnings, 3, 1); }},
             {"-Wabdfrvy+glpsu", [](OptionBlock& b) { SetWord(b.cAds.ADSCCFLG, kAdsCcWarnings, 3, 2); }},
             {"-Otime", sw(kAdsCcOtime)},
             {"-apcs /interwork", sw(kAdsCcInterwork)},
             {"-apcs /ropi", sw(kAdsCcRopi)},
             {"-apcs /rwpi", sw(kAdsCcRwpi)},
             {"-split_ldm", sw(kAdsCcSplitLdm)}, {"-zo", sw(kAdsCcZo)}, {"-strict", sw(kAdsCcStrict)},
             {"-fy", sw(kAdsCcFy)}, {"-zc", sw(kAdsCcZc)},
             {"-Iinc", [](OptionBlock& b) { b.cAds.ADSCINCD = OptString("inc"); }},
             {"-DX", [](OptionBlock& b) { b.cAds.ADSCDEFN = OptString("X"); }}});
}

TEST(ArmAdsAs, EveryOptionChanged) {
  CmdFixture f(kToolsetArmAds);
  Prepare(f);
  f.file.name = OptString("boot.s");
  f.file.path = OptString(".\\boot.s");
  OptionBlock& b = f.targetOpts;
  b.tAds.ACPUTYP = OptString("ARM7TDMI");
  b.lst.GLFLAGS |= kGlFlagsBigEndian;
  for (int lo : {kAdsAsInterwork, kAdsAsRopi, kAdsAsRwpi, kAdsAs16, kAdsAsSplitLdm, kAdsAsSwst, kAdsAsNoWarn})
    SetWord(b.aAds.ADSASFLG, lo, 2, 1);
  b.aAds.ADSADEFN = OptString("SIZE=4");
  SetFirstWord(b.lst.ADSFLGA, kAdsLstOn | kAdsLstXref);
  b.lst.pageLength = 60;
  b.lst.pageWidth = 132;
  EXPECT_EQ(AdsAs(f),
            "-cpu ARM7TDMI -bi -g -16 -apcs /interwork/ropi/rwpi/swst -nowarn -split_ldm "
            "-IC:\\Tools\\ARM\\INC -PD \"SIZE SETA 4\" -liston -xref -length 60 -width 132 "
            "-list \"boot.lst\" -o boot.o");
}

TEST(ArmAdsLink, PreviewAndBuildLines) {
  CmdFixture f(kToolsetArmAds);
  MakeAdsLinkCommand(f.ctx, f.targetOpts, 0);
  EXPECT_EQ(std::string(f.ctx.Text()),
            "*.o -ro-base 0x00 -entry 0x00 -strict -map -xref -callgraph -symbols -info sizes "
            "-info totals -info unused -info veneers -list \"./blinky.map\"\r\n-o blinky.axf\r\n");

  CmdFixture g(kToolsetArmAds);
  OptionBlock& b = g.targetOpts;
  b.out.flags.DEBUG = 0;
  b.lAds.ADSLDTA = OptString("0x0");
  b.lAds.ADSLDDA = OptString("0x40000000");
  b.lAds.ADSLDFG[0] = kAdsLdRopi | kAdsLdRwpi | kAdsLdNoScanLib;
  b.lAds.ADSLDSC = OptString("map.sct");
  b.lAds.ADSLDMC = OptString("-first init.o");
  SetFirstWord(b.lst.ADSFLGA, 0);
  b.out.OUTDIR = OptString("out\\");
  b.lAds.ADSLDIB = OptString("c_t__un.l");
  const std::string objects[] = {"\"init.o\""};
  MakeAdsLinkCommand(g.ctx, b, 2, objects);
  EXPECT_EQ(std::string(g.ctx.Text()),
            "\"init.o\" -nodebug -ro-base 0x0 -entry 0x0 -rw-base 0x40000000 -ropi -rwpi -noscanlib "
            "-scatter map.sct -first init.o -o out\\blinky.axf c_t__un.l");
}

}  // namespace
}  // namespace pm2::test
