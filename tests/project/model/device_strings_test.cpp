#include "project/model/device_strings.h"

#include <gtest/gtest.h>

#include "project/files/project_file.h"

#include <string>

#include "project/model/debug_texts.h"
#include "project/model/option_defaults.h"
#include "project/model_fixture.h"

namespace pm2 {
namespace {

// Ranges and the items around them, through the 51 parser.
struct RangeRow {
  const char* name;
  const char* cpu;
  MemRangeRec iram;
  uint32_t clock;  // 0: not reached
};

const RangeRow kRangeRows[] = {
    {"dash_end_inclusive", "IRAM(0-0xFF) CLOCK(1)", {0, 0, 256}, 1},
    {"comma_size", "IRAM(0,0x100) CLOCK(1)", {0, 0, 256}, 1},
    {"h_suffix_and_blanks", "iram (10H, 20H) clock(1)", {0, 16, 32}, 1},
    {"inverted_stores_nothing", "IRAM(0x100-0xFF) CLOCK(1)", {0, 0, 0}, 1},
    {"missing_paren_stops", "IRAM 0,5 CLOCK(1)", {0, 0, 0}, 0},
    {"bad_number_stops", "IRAM(0,zz) CLOCK(1)", {0, 0, 0}, 0},
    {"clock_without_paren_stops", "CLOCK 12000000 IRAM(0,8)", {0, 0, 0}, 0},
    {"unknown_keyword_stops", "FOO IRAM(0,8)", {0, 0, 0}, 0},
    {"unclosed_range", "IRAM(0,8", {0, 0, 0}, 0},
};

TEST(CpuSpec, RangeGrammar) {
  for (const RangeRow& row : kRangeRows) {
    SCOPED_TRACE(row.name);
    Target51Opts t;
    ParseCpu51(t, row.cpu, true);
    EXPECT_EQ(t.IRA51, row.iram);
    EXPECT_EQ(t.clock, row.clock);
  }
}

TEST(CpuSpec, Family51KeywordsSetTheirBits) {
  Target51Opts t;
  t.T51FL = 0xF | (1u << 13);  // bits a device never sets survive without reset
  ParseCpu51(t, "MX DPX MOD_CONT NP51 MODDA MODAB2 XRAM2(0x10000,0x1000) REGFILE(REG51.H)", false);
  EXPECT_EQ(t.T51FL, 0xFu | (1u << 13) | kT51Mx15 | kT51Mx17 | kT51Dpx | kT51ModCont | kT51Np51 |
                         kT51ModDa | kT51ModAb2 | kT51Xram2);
  EXPECT_EQ(t.RCB51, (MemRangeRec{0, 0xC000, 0xFFFF})) << "NP51 fills an empty RCB51";
  EXPECT_EQ(t.XRA512, (MemRangeRec{0, 0x10000, 0x1000}));
  ParseCpu51(t, "MXP", true);
  EXPECT_EQ(t.T51FL, (1u << 13) | kT51Mx15 | kT51Mx17 | kT51Mxp) << "reset clears bits 0-3";
}

TEST(CpuSpec, Family251ModesAndInterrupts) {
  Target251Opts t;
  ParseCpu251(t, "IRAM(0,0x400) MODSRC INTR4", true);
  EXPECT_EQ(t.T251FL & (kT251Src | kT251Intr4 | kT251Iram), kT251Src | kT251Intr4 | kT251Iram);
  ParseCpu251(t, "MODBIN INTR2", false);
  EXPECT_EQ(t.T251FL & (kT251Src | kT251Intr4), 0u);
}

TEST(CpuSpec, Family166ArchitectureKeywordsExcludeEachOther) {
  Target166Opts t;
  ParseCpu166(t, "MODV2 MOD167 IROM(0,0x8000) XRAM(0xE000,0x800) CAN(0xEF00,0x100)", true);
  EXPECT_TRUE(t.flags.MOD167);
  EXPECT_FALSE(t.flags.MODV2);
  EXPECT_TRUE(t.flags.hasOnChipRom && t.flags.hasOnChipXram && t.flags.hasCan);
  EXPECT_TRUE(t.flags.USEONCHIPROM && t.flags.USEONCHIPXCAN) << "set when resetting";
  EXPECT_EQ(t.IROM, (MemRangeRec{1, 0, 0x8000}));
  ParseCpu166(t, "MODV2", false);
  EXPECT_FALSE(t.flags.MOD167);
  EXPECT_TRUE(t.flags.MODV2);
  EXPECT_TRUE(t.flags.USEONCHIPROM) << "bits 0-2 are kept without reset";
  EXPECT_FALSE(t.flags.hasOnChipRom);
}

TEST(CpuSpec, ArmTypeEndiannessAndMemItems) {
  PoolFreeAll();
  TargetArmGnuOpts t;
  ArmTargetView v = ArmView(t);
  EXPECT_TRUE(ParseCpuArm(v, "IRAM(0x40000000,0x8000) IROM(0,0x80000) CPUTYPE( ARM7TDMI-S ) EBIG", true));
  EXPECT_EQ(t.GCPUTYP, "ARM7TDMI-S");
  EXPECT_EQ(t.OCMAROM, (MemRangeRec{1, 0, 0x80000}));
  EXPECT_EQ(FirstWord(t.TFLAGSA), kTArmIram | kTArmIrom);
  EXPECT_FALSE(ParseCpuArm(v, "EBIG ELITTLE", true));

  ParseMemArm(v, "IRAM(1,2) IROM(3,4) IRAM(5,6) RAM(7,8) IRAM(9,10)");
  EXPECT_EQ(t.OCMARM[0], (MemRangeRec{0, 1, 2}));
  EXPECT_EQ(t.OCMARM[1], (MemRangeRec{0, 5, 6}));
  EXPECT_EQ(t.OCMARM[3], (MemRangeRec{1, 3, 4}));
  EXPECT_EQ(t.OCMARM[2], MemRangeRec()) << "parsing stopped at RAM";
  PoolFreeAll();
}

TEST(MemSpec, RamAndRomItemsFillInOrderUpToSix) {
  Target166Opts t;
  ParseMem166(t, "RAM(0x100000,0x10000) ROM(0,0x40000) RAM(1,1) RAM(2,2) RAM(3,3) RAM(4,4) RAM(5,5)");
  EXPECT_EQ(t.EXTMEM[0], (MemRangeRec{0, 0x100000, 0x10000}));
  EXPECT_EQ(t.EXTMEM[1], (MemRangeRec{1, 0, 0x40000}));
  EXPECT_EQ(t.EXTMEM[5], (MemRangeRec{0, 4, 4}));
}

// Control rewriting.
struct SyncRow {
  const char* name;
  const char* input;
  bool on;
  const char* expected;
  bool sameInput;  // the input handle itself comes back
};

const SyncRow kSyncRows[] = {
    {"add_to_empty", "", true, "MODE2", false},
    {"remove_only", "MODE2", false, "", false},
    {"remove_inside", "OPTIMIZE(6) mode2 DEBUG", false, "OPTIMIZE(6) DEBUG", false},
    {"add_in_front", "DEBUG", true, "MODE2 DEBUG", false},
    {"already_first", "MODE2 DEBUG", true, "MODE2 DEBUG", true},
    {"same_ignoring_case", "mode2", true, "mode2", true},
    {"moved_to_front", "DEBUG MODE2", true, "MODE2 DEBUG", false},
    {"quoted_text_kept", "DF(X=\"a b\") MODE2", false, "DF(X=\"a b\")", false},
    {"nothing_to_do", "CODE", false, "CODE", true},
    {"prefix_is_no_match", "MODE21", false, "MODE21", true},
    {"dash_of_next_control_kept", "-x MODE2 -y", false, "-x -y", false},
    {"dash_right_after_control_kept", "MODE2-y", false, "-y", false},
    {"comma_after_control_dropped", "MODE2,DEBUG", false, "DEBUG", false},
};

TEST(SyncControls, ControlPresentExactlyWhenSwitched) {
  PoolFreeAll();
  for (const SyncRow& row : kSyncRows) {
    SCOPED_TRACE(row.name);
    OptString in = OptString::Pooled(row.input, kPoolScratch);
    OptString out = SyncMode2Control(in, row.on);
    EXPECT_EQ(out.view(), row.expected);
    EXPECT_EQ(out.SameStored(in), row.sameInput);
    if (!*row.expected) {
      EXPECT_TRUE(out.IsEmptyOpt());
    }
  }
  PoolFreeAll();
}

TEST(SyncControls, LongControlsAreNotCut) {
  PoolFreeAll();
  std::string longText(5000, 'X');
  OptString out = SyncMode2Control(OptString::Pooled(longText, kPoolScratch), true);
  EXPECT_EQ(out.view(), "MODE2 " + longText);
  PoolFreeAll();
}

struct RegFileRow {
  const char* name;
  const char* value;
  const char* file;
  const char* folder;
};

const RegFileRow kRegFileRows[] = {
    {"name_only", "REG51.H", "REG51.H", ""},
    {"quoted_folder", "REG167.H (\"Infineon\")", "REG167.H", "\xFFInfineon\\"},
    {"plain_folder", "REG51.H(Philips)", "REG51.H", "\xFFPhilips\\"},
    {"empty_parens", "REG51.H ()", "REG51.H", ""},
    {"empty", "", "", ""},
};

TEST(RegFileSpec, NameAndFolder) {
  for (const RegFileRow& row : kRegFileRows) {
    SCOPED_TRACE(row.name);
    std::string folder = "stale";
    EXPECT_EQ(ParseRegFileSpec(row.value, folder), row.file);
    EXPECT_EQ(folder, row.folder);
  }
}

TEST(DriverSpec, FourTexts) {
  std::string parts[4];
  SplitDriverSpec("SIM51.DLL(-p51 (x)) Dlg51.DLL (-p51)", parts);
  EXPECT_EQ(parts[0], "SIM51.DLL");
  EXPECT_EQ(parts[1], "-p51 (x)");
  EXPECT_EQ(parts[2], "Dlg51.DLL");
  EXPECT_EQ(parts[3], "-p51");
  SplitDriverSpec("Sim166.DLL", parts);
  EXPECT_EQ(parts[0], "Sim166.DLL");
  EXPECT_EQ(parts[1] + parts[2] + parts[3], "");
}

class ApplyDevice : public ModelTest {};

TEST_F(ApplyDevice, New51TargetGetsRangesClockBitsAndControls) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  DeviceDbEntry* dev = Device("Atmel", "AT89C51RD2", kFamily51,
                              {{"CPU", "IRAM(0-0xFF) XRAM(0,0x800) IROM(0,0x10000) CLOCK(11059200) MODE2"},
                               {"REGFILE", "REG51.H (\"Atmel\")"},
                               {"SFILE", "Startup.w51"},
                               {"SIM", "SIM51.DLL(-pAT52) Dlg51.DLL(-p52)"},
                               {"BOOK0", "DOCS\\AT89.PDF(\"Data Sheet\")"},
                               {"BOOK1", "NOTITLE.PDF"},
                               {"BOOK7", "DOCS\\UM.PDF(Manual)"}});
  ApplyDeviceOptions(t, kToolset51, dev);

  ASSERT_NE(t->pOpts, nullptr);
  const OptionBlock& b = *t->pOpts;
  EXPECT_EQ(t->toolset, kToolset51);
  EXPECT_EQ(t->VENDOR, "Atmel");
  EXPECT_EQ(t->DEVICE, "AT89C51RD2");
  EXPECT_EQ(t->STUPF, "Startup.w51");
  EXPECT_EQ(t->RGF, "REG51.H");
  EXPECT_EQ(t->ENVREG, "\xFF" "Atmel\\");
  EXPECT_EQ(t->ORGREG, t->ENVREG);
  EXPECT_EQ(b.t51.IRA51, (MemRangeRec{0, 0, 0x100}));
  EXPECT_EQ(b.t51.XRA51, (MemRangeRec{0, 0, 0x800}));
  EXPECT_EQ(b.t51.IRO51, (MemRangeRec{1, 0, 0x10000}));
  EXPECT_EQ(b.t51.clock, 11059200u);
  EXPECT_EQ(b.t51.T51FL, kT51Iram | kT51Xram | kT51Irom | kT51Mode2);
  EXPECT_EQ(b.out.HEXSEL, 1) << "MODE2 selects the other hex format";
  EXPECT_EQ(b.q51.Q51MSC, "MODE2");
  EXPECT_EQ(b.w51.WX51MSC, "MODE2");
  EXPECT_TRUE(b.out.flags.BROWSE);
  EXPECT_TRUE(t->debugFlags & kDebugFlagDeviceApplied);
  EXPECT_EQ(FirstWord(b.flash.FLASH1) & 3, 0u) << "no flash utility";
  EXPECT_EQ(t->OPTDL[0], "SIM51.DLL");
  EXPECT_EQ(t->OPTDL[3], "-p52");
  EXPECT_TRUE(t->OPTDL[4].empty());
  // The Debug page's fields and the session take the device's simulator.
  EXPECT_EQ(b.dbg.str[kDbgSimDll], "SIM51.DLL");
  EXPECT_EQ(b.dbg.str[kDbgSimParams], "-pAT52");
  EXPECT_EQ(b.dbg.str[kDbgSimDialog], "Dlg51.DLL");
  EXPECT_EQ(b.dbg.str[kDbgSimDialogParams], "-p52");
  EXPECT_EQ(t->books[0].path, "DOCS\\AT89.PDF");
  EXPECT_EQ(t->books[0].title, "Data Sheet");
  EXPECT_EQ(t->books[1].path, "DOCS\\UM.PDF") << "a book without title takes no slot";
  EXPECT_TRUE(t->books[2].path.empty());
}

// The device's SIM and MON drivers fill the debug options' sides: a new
// target debugs as it is, and a device selection sets the sides the database
// names drivers for.
TEST_F(ApplyDevice, DebugSidesTakeTheDevicesDrivers) {
  struct Row {
    const char* name;
    const char* sim;        // the device's SIM, null: none
    const char* userSim;    // the simulator DLL set before the device, "" none
    const char* simTexts[4];
    const char* targetTexts[4];
  } rows[] = {
      {"new target", "GDBDRV.DLL(-sim -uart none)", "", {"GDBDRV.DLL", "-sim -uart none", "", ""},
       {"GDBDRV.DLL", "-remote localhost:3333", "", ""}},
      {"with a dialog DLL", "S.DLL(-a) D.DLL(-p)", "", {"S.DLL", "-a", "D.DLL", "-p"},
       {"GDBDRV.DLL", "-remote localhost:3333", "", ""}},
      {"a simulator of the user's", "GDBDRV.DLL(-sim)", "MINE.DLL", {"GDBDRV.DLL", "-sim", "", ""},
       {"GDBDRV.DLL", "-remote localhost:3333", "", ""}},
      {"device without a simulator", nullptr, "", {"", "", "", ""}, {"GDBDRV.DLL", "-remote localhost:3333", "", ""}},
  };
  for (const Row& r : rows) {
    ProjectRec* p = OpenNewProject();
    TargetRec* t = p->curTarget;
    if (*r.userSim) {
      ApplyDeviceOptions(t, kToolsetArmGnu, Device("NXP", "LPC2104", kFamilyArm, {{"CPU", "IRAM(0x40000000-0x40003FFF)"}}));
      t->pOpts->dbg.str[kDbgSimDll] = OptString(r.userSim);
    }
    DeviceDbEntry* dev = r.sim ? Device("NXP", "LPC2148", kFamilyArm,
                                        {{"CPU", "IRAM(0x40000000-0x40007FFF)"},
                                         {"SIM", r.sim},
                                         {"MON", "GDBDRV.DLL(-remote localhost:3333)"}})
                               : Device("NXP", "LPC2148", kFamilyArm,
                                        {{"CPU", "IRAM(0x40000000-0x40007FFF)"},
                                         {"MON", "GDBDRV.DLL(-remote localhost:3333)"}});
    ApplyDeviceOptions(t, kToolsetArmGnu, dev);
    ASSERT_NE(t->pOpts, nullptr) << r.name;
    const DebugOpts& d = t->pOpts->dbg;
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(d.str[kDbgSimDll + i].str(), r.simTexts[i]) << r.name << " simulator text " << i;
      EXPECT_EQ(d.str[kDbgTargetDll + i].str(), r.targetTexts[i]) << r.name << " target text " << i;
    }
    EXPECT_TRUE(d.str[kDbgSimIni].empty() && d.str[kDbgTargetIni].empty()) << r.name;
    EXPECT_EQ(d.flags & 1, 1u) << r.name << ": the simulator is used";
    EXPECT_TRUE(d.flags & (1u << 3)) << r.name << ": it goes till main()";
  }
}

// A device change fills the side the database names drivers for and
// leaves the other side's texts as they were.
TEST_F(ApplyDevice, DriversOfTheDatabaseReachTheDebugRecord) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  ApplyDeviceOptions(t, kToolset166, Device("V", "A", kFamily166, {{"CPU", "IRAM(0xF600,0x200)"}}));
  DebugOpts& d = t->pOpts->dbg;
  d.str[kDbgSimDll] = OptString::Pooled("MINE.DLL", kPoolProject);
  d.str[kDbgTargetDll] = OptString::Pooled("GDBDRV.DLL", kPoolProject);
  ApplyDeviceOptions(t, kToolset166, Device("V", "B", kFamily166, {{"CPU", "IRAM(0xF600,0x200)"},
                                                                   {"MON", "Monitor166.DLL(-c) DCM.DLL(-p167)"}}));
  EXPECT_EQ(d.str[kDbgSimDll], "MINE.DLL") << "no simulator named: the text stays";
  EXPECT_EQ(d.str[kDbgTargetDll], "Monitor166.DLL");
  EXPECT_EQ(d.str[kDbgTargetParams], "-c");
  EXPECT_EQ(d.str[kDbgTargetDialog], "DCM.DLL");
  EXPECT_EQ(d.str[kDbgTargetDialogParams], "-p167");
}

TEST_F(ApplyDevice, SwitchingToolsetClearsTheBlock) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  ApplyDeviceOptions(t, kToolset51, Device("Intel", "8051", kFamily51, {{"CPU", "IRAM(0,0x80) CLOCK(12000000)"}}));
  t->pOpts->q51.Q51DEF = OptString::Pooled("FAST", kPoolProject);
  OptionBlock* before = t->pOpts;

  ApplyDeviceOptions(t, kToolset166,
                     Device("Infineon", "C167CR", kFamily166,
                            {{"CPU", "IRAM(0xF600,0xA00) XRAM(0xE000,0x800) CLOCK(20000000) MOD167"},
                             {"MEM", "RAM(0x100000,0x40000)"}}));
  ASSERT_EQ(t->pOpts, before) << "the block is reused, not replaced";
  const OptionBlock& b = *t->pOpts;
  EXPECT_TRUE(b.q51.Q51DEF.IsEmptyOpt());
  EXPECT_EQ(b.q51.Q51FL, 0u);
  EXPECT_EQ(b.t51.clock, 0u);
  EXPECT_EQ(b.q166.OPTIMIZE, 6);
  EXPECT_EQ(b.t166.IRAM, (MemRangeRec{0, 0xF600, 0xA00}));
  EXPECT_EQ(b.t166.EXTMEM[0], (MemRangeRec{0, 0x100000, 0x40000}));
  EXPECT_EQ(b.q166.CMISC, "MOD167");
  EXPECT_EQ(b.w166.AMISC, "MOD167");
}

TEST_F(ApplyDevice, SecondDeviceOfTheSameToolsetKeepsCompilerOptions) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  ApplyDeviceOptions(t, kToolset166,
                     Device("Infineon", "C161", kFamily166,
                            {{"CPU", "IRAM(0xFA00,0x600) CLOCK(16000000) MODV2"}, {"MEM", "ROM(0,0x40000)"},
                             {"FLASH", "flash.exe"}}));
  OptionBlock& b = *t->pOpts;
  EXPECT_EQ(b.q166.CMISC, "MODV2");
  b.q166.OPTIMIZE = 3;
  b.q166.DEFINE = OptString::Pooled("NDEBUG", kPoolProject);
  b.q166.CMISC = OptString::Pooled("MODV2 NOFRAME", kPoolProject);
  t->C = OptString::Pooled("old C", kPoolProject);
  t->RL = OptString::Pooled("old RL", kPoolProject);
  t->OH = OptString::Pooled("old OH", kPoolProject);

  ApplyDeviceOptions(t, kToolset166,
                     Device("Infineon", "C167CS", kFamily166,
                            {{"CPU", "IRAM(0xF200,0xE00) CLOCK(25000000) MOD167"}}));
  EXPECT_EQ(b.q166.OPTIMIZE, 3);
  EXPECT_EQ(b.q166.DEFINE, "NDEBUG");
  EXPECT_EQ(b.q166.CMISC, "MOD167 NOFRAME");
  EXPECT_EQ(b.t166.clock, 25000000u);
  EXPECT_EQ(b.t166.IRAM, (MemRangeRec{0, 0xF200, 0xE00}));
  EXPECT_EQ(b.t166.EXTMEM[0], (MemRangeRec{1, 0, 0x40000})) << "an empty MEM keeps the table";
  EXPECT_EQ(t->CPU, "IRAM(0xF200,0xE00) CLOCK(25000000) MOD167");
  EXPECT_TRUE(t->MEM.empty());
  EXPECT_TRUE(t->C.empty());
  EXPECT_EQ(t->RL, "old RL");
  EXPECT_EQ(t->OH, "old OH");
  EXPECT_TRUE(b.flash.FLASH3.empty()) << "FLASH3 follows the new device's flash utility";
}

TEST_F(ApplyDevice, ArmEndiannessFollowsEachDevice) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  ApplyDeviceOptions(t, kToolsetArmGnu,
                     Device("NXP", "LPC2138", kFamilyArm,
                            {{"CPU", "IRAM(0x40000000,0x8000) IROM(0,0x80000) CLOCK(12000000) CPUTYPE(ARM7TDMI-S)"},
                             {"FLASH", "LPC210x_ISP.EXE"}}));
  OptionBlock& b = *t->pOpts;
  EXPECT_EQ(b.tGnu.clock, 12000000u);
  EXPECT_EQ(b.tGnu.GCPUTYP, "ARM7TDMI-S");
  EXPECT_EQ(b.tGnu.OCMARAM, (MemRangeRec{0, 0x40000000, 0x8000}));
  EXPECT_EQ(b.lst.GLFLAGS & kGlFlagsBigEndian, 0u);
  EXPECT_EQ(FirstWord(b.flash.FLASH1) & 3, 2u) << "a flash utility is set";

  ApplyDeviceOptions(t, kToolsetArmGnu, Device("X", "BigOne", kFamilyArm, {{"CPU", "CLOCK(1) EBIG"}}));
  EXPECT_NE(b.lst.GLFLAGS & kGlFlagsBigEndian, 0u);
  EXPECT_TRUE(b.tGnu.GCPUTYP.empty());
  EXPECT_EQ(b.tGnu.OCMARAM, MemRangeRec());
}

// A target saved before its toolset was chosen comes back as it was, with
// no options; the first device chosen after that takes the first-device
// step (byte order, browse, debug and flash bits) as for a new target.
TEST_F(ApplyDevice, FirstDeviceAfterReopeningAnUndefinedTarget) {
  ProjectRec* p = OpenNewProject();
  ASSERT_EQ(p->curTarget->toolset, kToolsetUndefined);
  const std::string text = BuildProjectFileText(*p);
  ProjectFileIo io;
  ASSERT_EQ(ReadProjectText(io, "C:\\work\\demo.pm2", text, nullptr), 0);
  ASSERT_NE(io.project, nullptr);
  theApp().m_pProject = io.project;  // the read project is the open one (the new one's pool is gone)
  TargetRec* t = io.project->curTarget;
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(t->pOpts, nullptr) << "the reader gives the target no options, as a new one has none";
  ApplyDeviceOptions(t, kToolsetArmGnu,
                     Device("X", "BigOne", kFamilyArm, {{"CPU", "CLOCK(1) EBIG"}, {"FLASH", "ISP.EXE"}}));
  ASSERT_NE(t->pOpts, nullptr);
  const OptionBlock& b = *t->pOpts;
  EXPECT_NE(b.lst.GLFLAGS & kGlFlagsBigEndian, 0u);
  EXPECT_TRUE(b.out.flags.BROWSE);
  EXPECT_EQ(b.dbg.flags & 0x20C, 0x20Cu);
  EXPECT_TRUE(t->debugFlags & kDebugFlagDeviceApplied);
  EXPECT_EQ(FirstWord(b.flash.FLASH1) & 3, 2u);
}

TEST_F(ApplyDevice, VendorNodesAndMissingEntriesChangeNothing) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  DeviceDbEntry* vendor = Device("Atmel", "", kFamily51, {{"CPU", "IRAM(0,1)"}});
  vendor->nFlags |= kDeviceVendorNode;
  ApplyDeviceOptions(t, kToolset51, vendor);
  ApplyDeviceOptions(t, kToolset51, nullptr);
  EXPECT_EQ(t->toolset, kToolsetUndefined);
  EXPECT_EQ(t->pOpts, nullptr);
}

}  // namespace
}  // namespace pm2
