// Linker control files: the 166 file with computed classes for the memory
// models, user classes and reserved ranges, and the 51 and 251 files with
// banking.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "builder/cmd_fixture.h"
#include "builder/commands/command_listing.h"
#include "builder/commands/n166_linker.h"
#include "builder/commands/n51_linker.h"
#include "project/model/option_defaults.h"

namespace pm2::test {
namespace {

std::string Classes(const CommandContext& c) {
  if (c.g_nPreviewFrom < 0 || c.g_nPreviewTo < 0) return "";
  return std::string(c.Text().substr(c.g_nPreviewFrom, c.g_nPreviewTo - c.g_nPreviewFrom));
}

// A 166 device: 256 KB external ROM at 0, 64 KB external RAM at 0x40000,
// internal RAM at 0xF600.
void Describe166(OptionBlock& b, uint8_t model) {
  b.t166.MODEL = model;
  b.t166.EXTMEM[0] = MemRangeRec{1, 0, 0x40000};
  b.t166.EXTMEM[1] = MemRangeRec{0, 0x40000, 0x10000};
  b.t166.IRAM = MemRangeRec{0, 0xF600, 0x200};
  b.n166.flags.USETARGSET = 1;
}

TEST(CmdN166, ComputedClassesPerModel) {
  struct {
    const char* name;
    uint8_t model;
    const char* classes;
  } rows[] = {
      {"small", 1,
       "ICODE (0x0-0xF9FF), NCODE (0x10000-0x1FFFF), \r\nFCONST (0x0-0xF9FF, 0x10000-0x3FFFF), "
       "HCONST (0x0-0xF9FF, 0x10000-0x3FFFF), \r\nXCONST (0x0-0xF9FF, 0x10000-0x3FFFF), "
       "NCONST (0x4000-0x7FFF), \r\nNDATA (0x40000-0x43FFF), NDATA0 (0x40000-0x43FFF), "
       "\r\nSDATA (0xF600-0xF7FF), SDATA0 (0xF600-0xF7FF), \r\nIDATA (0xF600-0xF7FF), "
       "IDATA0 (0xF600-0xF7FF), \r\nFDATA (0x40000-0x4FFFF), FDATA0 (0x40000-0x4FFFF), "
       "\r\nHDATA (0x40000-0x4FFFF), HDATA0 (0x40000-0x4FFFF), \r\nXDATA (0x40000-0x4FFFF), "
       "XDATA0 (0x40000-0x4FFFF)"},
      {"medium has far code", 3, "ICODE (0x0-0xF9FF), FCODE (0x0-0xF9FF, 0x10000-0x3FFFF), \r\nFCONST"},
      {"large has far code", 4, "ICODE (0x0-0xF9FF), FCODE (0x0-0xF9FF, 0x10000-0x3FFFF), \r\nFCONST"},
  };
  for (const auto& r : rows) {
    CmdFixture f(kToolset166);
    Describe166(f.targetOpts, r.model);
    MakeN166LinkerCommand(f.ctx, f.targetOpts, 1);
    EXPECT_EQ(Classes(f.ctx).substr(0, std::string(r.classes).size()), r.classes) << r.name;
  }
}

// A target without memory ranges gives no class: the file has no CLASSES
// control, or only the user's classes without a separator in front.
TEST(CmdN166, WithoutMemoryRangesNoEmptyClasses) {
  struct {
    const char* name;
    const char* user;
    const char* classes;  // the whole CLASSES control, "" for none
  } rows[] = {
      {"no classes at all", "", ""},
      {"blanks only", "  \r\n ", ""},
      {"the user's classes alone", "MYCLASS (0x50000-0x5FFFF)", "CLASSES (MYCLASS (0x50000-0x5FFFF))"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    CmdFixture f(kToolset166);
    f.targetOpts.n166.flags.USETARGSET = 1;
    f.targetOpts.n166.LCLASSES = OptString(r.user);
    MakeN166LinkerCommand(f.ctx, f.targetOpts, 1);
    const std::string text(f.ctx.Text());
    const std::size_t at = text.find("CLASSES");
    if (*r.classes == 0) {
      EXPECT_EQ(at, std::string::npos) << text;
      EXPECT_EQ(Classes(f.ctx), "");
    } else {
      ASSERT_NE(at, std::string::npos) << text;
      EXPECT_EQ(text.substr(at, std::strlen(r.classes)), r.classes) << text;
    }
  }
}

TEST(CmdN166, UserClassesReservedRangesAndStoredDpp) {
  CmdFixture f(kToolset166);
  Describe166(f.targetOpts, 1);
  f.targetOpts.t166.NEARRAM = 1;
  f.targetOpts.n166.LCLASSES = OptString("MYCLASS (0x50000-0x5FFFF)");
  f.targetOpts.n166.LRESERVE = OptString("0x8000-0x8FFF");
  MakeN166LinkerCommand(f.ctx, f.targetOpts, 0);
  std::string text(f.ctx.Text());
  EXPECT_NE(text.find("RESERVE (0x8000-0x8FFF)\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find(", \r\nMYCLASS (0x50000-0x5FFFF)) \r\n"), std::string::npos) << text;
  // Near pages placed: the DPP control follows and mode 0 stored it.
  EXPECT_TRUE(f.targetOpts.n166.flags.DPPUSE);
  EXPECT_NE(text.find("DPPUSE ("), std::string::npos) << text;
  EXPECT_EQ(Classes(f.ctx).find("NDATA"), std::string::npos);
  // The C initialisation table in the largest ROM range.
  EXPECT_EQ(f.targetOpts.n166.lnkWords2[0], 0x10000u);
  EXPECT_EQ(f.targetOpts.n166.lnkWords2[1], 0x3FFFFu);
}

// One near-data page asked for but no RAM outside the system area: the
// placement fails after clearing the data page number; the stored constant
// page number and ranges it never reached stay as they were.
TEST(CmdN166, FailedDppPlacementKeepsUnreachedFields) {
  CmdFixture f(kToolset166);
  OptionBlock& b = f.targetOpts;
  b.t166.MODEL = 1;
  b.t166.EXTMEM[0] = MemRangeRec{1, 0, 0x40000};
  b.t166.IRAM = MemRangeRec{0, 0xF600, 0x200};
  b.t166.NEARRAM = 1;
  b.n166.flags.USETARGSET = 1;
  b.n166.NDATASEL = 1;
  b.n166.NCONSTSEL = 2;
  b.n166.lnkWords1[2] = 0x8000;
  b.n166.lnkWords1[3] = 0xBFFF;
  MakeN166LinkerCommand(f.ctx, b, 0);
  EXPECT_FALSE(b.n166.flags.DPPUSE);
  EXPECT_EQ(b.n166.NDATASEL, 0);
  EXPECT_EQ(b.n166.NCONSTSEL, 2);
  EXPECT_EQ(b.n166.lnkWords1[2], 0x8000u);
  EXPECT_EQ(b.n166.lnkWords1[3], 0xBFFFu);
  EXPECT_EQ(std::string(f.ctx.Text()).find("DPPUSE"), std::string::npos) << f.ctx.Text();
}

TEST(CmdN166, HeadListingAndUserTexts) {
  CmdFixture f(kToolset166);
  OptionBlock& b = f.targetOpts;
  b.n166.flags.USETARGSET = 0;
  b.n166.flags.USELINKFILE = 1;
  b.t166.RTOS = 2;
  b.lst.listFlags &= ~(kLstLines | kLstLocals | kLstPublics | kLstComments | kLstLinker);
  b.n166.LWARNLEV = 0;
  b.n166.CINITTAB = OptString("0x100-0x1FF");
  b.n166.LSECT = OptString("?PR?MAIN");
  MakeN166LinkerCommand(f.ctx, b, 1);
  EXPECT_EQ(f.ctx.Text(),
            "TKR166 \r\nNOPRINT WARNINGLEVEL (0) \r\n CINITTAB (0x100-0x1FF) SECTIONS ( ?PR?MAIN ) \r\n");
  EXPECT_EQ(f.ctx.g_nPreviewFrom, -1);
  b.lst.listFlags |= kLstLinker;
  b.n166.LWARNLEV = 2;
  b.n166.CINITTAB = OptString("bad");
  b.n166.LSECT = OptString("  ");
  MakeN166LinkerCommand(f.ctx, b, 1);
  EXPECT_EQ(f.ctx.Text(), "TKR166 \r\nPRINTCONTROLS ( PURGE ) \r\n");
}

TEST(CmdN51, BankedNb51) {
  CmdFixture f(kToolset51);
  OptionBlock& b = f.targetOpts;
  b.t51.T51FL = 0x2000;
  b.t51.RCB51 = MemRangeRec{0, 0x8000, 0xFFFF};
  b.t51.OCM51[0] = MemRangeRec{0, 0, 0x8000};
  b.t51.OCM51[1] = MemRangeRec{0, 0x8000, 0x8000};
  b.n51.NX51FL |= 0x4;
  b.lst.listFlags &= ~kLstComments;  // NB51 has no comment control
  b.n51.NX51OVL = OptString(" \r\n ");
  b.n51.NX51BIB = OptString("0x20");
  MakeNB51LinkerCommand(f.ctx, b, 1);
  EXPECT_EQ(f.ctx.Text(), "TO \"blinky\" BankArea(0x8000,0xFFFF) \r\nCODE( 0X0000-0XFFFF )\r\nBIT( 0x20 )\r\n");
}

TEST(CmdN51, ExtendedNx51AndN251Classes) {
  CmdFixture f(kToolset51);
  OptionBlock& b = f.targetOpts;
  b.t51.T51FL = 0x8000 | 0x2000;
  b.t51.RCB51 = MemRangeRec{0, 0x10000, 0x3FFFF};
  b.t51.OCM51[0] = MemRangeRec{0, 0, 0x20000};
  b.t51.OCR51[0] = MemRangeRec{0, 0, 0x800};
  b.n51.NX51FL |= 0x4;
  b.n51.NX51UCL = OptString("MY (X:0x900-X:0x9FF)");
  f.ctx.SetCommandContext(&f.target, &f.target);
  MakeNX51LinkerCommand(f.ctx, b, 1);
  EXPECT_EQ(f.ctx.Text(),
            "TO \"blinky\" BankArea (0x010000, 0x03FFFF) \r\n"
            "CLASSES (XDATA (X:0x0-X:0x7FF), HDATA (X:0x0-X:0x7FF), \r\nECODE (C:0x0-C:0x1FFFF), "
            "HCONST (C:0x0-C:0x1FFFF) , \r\nMY (X:0x900-X:0x9FF)) \r\n")
      << f.ctx.Text();
  EXPECT_EQ(Classes(f.ctx),
            "XDATA (X:0x0-X:0x7FF), HDATA (X:0x0-X:0x7FF), \r\nECODE (C:0x0-C:0x1FFFF), HCONST (C:0x0-C:0x1FFFF)");

  // Neither extended bit: the 251 text.
  b.t51.T51FL = 0x2000;
  b.n51.NX51UCL = OptString();
  MakeNX51LinkerCommand(f.ctx, b, 1);
  EXPECT_EQ(f.ctx.Text().find("BankArea"), std::string::npos) << f.ctx.Text();

  CmdFixture g(kToolset251);
  OptionBlock& c = g.targetOpts;
  c.t251.T251FL |= 0x80;
  c.t251.RCB25 = MemRangeRec{0, 0xFF0000, 0x10000};
  c.t251.OCM251[0] = MemRangeRec{1, 0xFF0000, 0x8000};
  c.t251.OCM251[1] = MemRangeRec{0, 0, 0x1000};
  c.n51.NX51FL |= 0x4;
  MakeN251LinkerCommand(g.ctx, c, 1);
  EXPECT_EQ(Classes(g.ctx),
            "EDATA (0x0-0xFFF), \r\nHDATA (0x0-0xFFF), \r\nHCONST (0xFF0000-0xFF7FFF), "
            "\r\nCONST (0xFF0000-0xFF7FFF), \r\nECODE (0xFF0000-0xFF7FFF), \r\nCODE (0xFF0000-0xFF7FFF)");
  EXPECT_NE(g.ctx.Text().find("BankArea (0xFF0000,0x10000)"), std::string::npos) << g.ctx.Text();

  // No user classes and nothing generated: no CLASSES control.
  CmdFixture h(kToolset251);
  MakeN251LinkerCommand(h.ctx, h.targetOpts, 1);
  EXPECT_EQ(h.ctx.Text().find("CLASSES"), std::string::npos);
}

// Whole NX51 files whose grouping or classes need a choice: user classes of
// white space only open no empty CLASSES control; a listing group that
// already ended its line gets no second line end; the QX51 EDATA class is
// followed by the separator of the next class like any other.
TEST(CmdN51, Nx51GroupingRows) {
  struct Row {
    const char* name;
    void (*set)(OptionBlock&);
    const char* text;
  } rows[] = {
      {"blank user classes", [](OptionBlock& b) { b.n51.NX51UCL = OptString(" \r\n "); },
       "TO \"blinky\" \r\n"},
      {"page width ends the listing group once",
       [](OptionBlock& b) {
         b.lst.LSTDIR = OptString(".\\lst\\");
         b.lst.pageWidth = 80;
       },
       "TO \"blinky\" \r\nPRINT(\"./lst/blinky.map\") PAGEWIDTH (80) \r\n"},
      {"EDATA then the code classes",
       [](OptionBlock& b) {
         b.t51.T51FL |= 0x20000 | 0x10;
         b.t51.IRA51 = MemRangeRec{0, 0, 0x100};
         b.t51.OCM51[0] = MemRangeRec{0, 0, 0x10000};
       },
       "TO \"blinky\" \r\nCLASSES ( EDATA(0x7F0000-0x7F00FF), \r\nECODE (0x800000-0x80FFFF), "
       "HCONST (0x800000-0x80FFFF)) \r\n"},
  };
  for (const Row& r : rows) {
    CmdFixture f(kToolset51);
    f.targetOpts.t51.T51FL = 0x8000;
    r.set(f.targetOpts);
    MakeNX51LinkerCommand(f.ctx, f.targetOpts, 1);
    EXPECT_EQ(f.ctx.Text(), r.text) << r.name;
  }
}

// The map file's place on the 251 linker's line after the Listing page's
// Defaults (its folder ".\\", the Windows form) or with a folder an older
// project stored: a name this machine can use, as for a folder picked here.
TEST(CmdN51, N251MapFolderAfterDefaults) {
  struct {
    const char* name;
    const char* outDir;
    const char* lstDir;  // null: the Listing page's Defaults
    const char* print;   // "" none
  } rows[] = {
      {"defaults beside an output folder", "./Obj/", nullptr, "PRINT(\"./P251.map\")"},
      {"defaults on both pages", nullptr, nullptr, ""},
      {"listing folder of an older project", "./Obj/", ".\\Lst\\", "PRINT(\"./Lst/P251.map\")"},
      {"listing folder picked here", "./Obj/", "./Lst/", "PRINT(\"./Lst/P251.map\")"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    CmdFixture f(kToolset251);
    OptionBlock& b = f.targetOpts;
    InitOutputOpts(b);
    if (r.outDir) b.out.OUTDIR = OptString(r.outDir);
    b.out.OUTNAME = OptString("P251");
    InitListingOpts(b, false);
    if (r.lstDir) b.lst.LSTDIR = OptString(r.lstDir);
    b.lst.listFlags |= kLstLinker;
    MakeN251LinkerCommand(f.ctx, b, 1);
    const std::string text(f.ctx.Text());
    if (*r.print == 0) {
      EXPECT_EQ(text.find("PRINT("), std::string::npos) << text;
    } else {
      EXPECT_NE(text.find(r.print), std::string::npos) << text;
    }
    EXPECT_EQ(text.find('\\'), std::string::npos) << text;
  }
}

TEST(CmdN51, FormatHelpers) {
  EXPECT_EQ(FormatListFileControl("CODE", "blinky", ".\\", ".\\", "cod"), "CODE");
  EXPECT_EQ(FormatListFileControl("CODE", "blinky", ".\\o\\", ".\\", "cod"), "CODE(\"./blinky.cod\")");
  uint32_t low = 0, high = 0;
  LinkRange ram[] = {{0x40000, 0x50000}};
  ASSERT_TRUE(FindDppPage(ram, 0x3FFF, 1, low, high));
  EXPECT_EQ(low, 0x40000u);
  EXPECT_EQ(high, 0x43FFFu);
  LinkRange system[] = {{0xC000, 0xC100}};
  EXPECT_FALSE(FindDppPage(system, 0x3FFF, 1, low, high));
}

}  // namespace
}  // namespace pm2::test
