#include "project/model/option_block.h"

#include <gtest/gtest.h>

#include <string>

#include "project/model/device_strings.h"
#include "project/model/key_values.h"
#include "project/model/option_defaults.h"
#include "project/model_fixture.h"

namespace pm2 {
namespace {

TEST(OptionBlockLayout, FieldListAddsUpToTheStoredRecordSize) {
  // Every field in stored order with its stored width: a missing or
  // mis-sized field shows here.
  EXPECT_EQ(PackedOptionBlockSize(), kOptionBlockPackedSize);
}

TEST(OptionBlockLayout, TwoBitFieldsSitAtTheirBitPositions) {
  Compiler166Flags f{};
  SetFlagWord(f, 0x0410);
  EXPECT_EQ(f.ALIAS, 1);
  EXPECT_EQ(f.NODPPSAVE, 1);
  EXPECT_EQ(f.REGCOLOR + f.STATIC + f.ORDER + f.UNSIGNEDCHAR + f.FLOAT64 + f.SAVEUSR, 0);
  OutputFlags o{};
  o.BROWSE = 1;
  o.MG32K = 1;
  EXPECT_EQ(FlagWord(o), 0x600u);
  Target166Flags t{};
  t.MOD167 = 1;
  EXPECT_EQ(FlagWord(t), 0x40u);
}

TEST(OptionBlockLayout, MemoryRangesPackToNineLittleEndianBytes) {
  MemRangeRec r{1, 0x12345678, 0x9ABCDEF0};
  uint8_t b[9];
  PackMemRange(r, b);
  const uint8_t expected[9] = {1, 0x78, 0x56, 0x34, 0x12, 0xF0, 0xDE, 0xBC, 0x9A};
  EXPECT_EQ(std::string(b, b + 9), std::string(expected, expected + 9));
  EXPECT_EQ(UnpackMemRange(b), r);
}

// Target-level defaults of each toolset, on a target without device strings.
struct TargetDefaultsRow {
  const char* name;
  uint16_t toolset;
  uint32_t clock;
  uint8_t hexsel;
  uint16_t pageWidth, pageLength;
  uint32_t compilerWord, asmWord, linkerWord;
};

uint32_t ClockOf(const OptionBlock& b, uint16_t toolset) {
  switch (toolset) {
    case kToolset51: return b.t51.clock;
    case kToolset251: return b.t251.clock;
    case kToolset166: return b.t166.clock;
    case kToolsetArmGnu: return b.tGnu.clock;
    default: return b.tAds.clock;
  }
}
uint32_t CompilerWord(const OptionBlock& b, uint16_t toolset) {
  switch (toolset) {
    case kToolset51: return b.q51.Q51FL;
    case kToolset251: return b.q251.Q251F1;
    case kToolset166: return FlagWord(b.q166.flags);
    case kToolsetArmGnu: return FirstWord(b.cGnu.ACCFLG);
    default: return FirstWord(b.cAds.ADSCCFLG);
  }
}
uint32_t AsmWord(const OptionBlock& b, uint16_t toolset) {
  switch (toolset) {
    case kToolset51: case kToolset251: return b.w51.WX51FL;
    case kToolset166: return FlagWord(b.w166.flags);
    case kToolsetArmGnu: return FirstWord(b.aGnu.AASFLG);
    default: return FirstWord(b.aAds.ADSASFLG);
  }
}
uint32_t LinkerWord(const OptionBlock& b, uint16_t toolset) {
  switch (toolset) {
    case kToolset51: case kToolset251: return b.n51.NX51FL;
    case kToolset166: return FlagWord(b.n166.flags);
    case kToolsetArmGnu: return FirstWord(b.lGnu.ALDFLAG);
    default: return FirstWord(b.lAds.ADSLDFG);
  }
}

const TargetDefaultsRow kTargetDefaults[] = {
    {"mcs51", kToolset51, 20000000, 0, 120, 65, 0x14A0D10, 0x04, 0x124},
    {"mcs251", kToolset251, 12000000, 1, 120, 65, 0x1273010, 0x04, 0x12C},
    {"q166", kToolset166, 20000000, 1, 120, 65, 0x0410, 0x01, 0x4},
    {"arm_gnu", kToolsetArmGnu, 33000000, 1, 120, 65, 0x200001, 0x0, 0x01},
    {"arm_ads", kToolsetArmAds, 33000000, 1, 79, 66, 0x4, 0x0, 0x10},
};

class TargetDefaults : public ModelTest {};

TEST_F(TargetDefaults, EveryToolsetGetsItsValues) {
  for (const TargetDefaultsRow& row : kTargetDefaults) {
    SCOPED_TRACE(row.name);
    ProjectRec* p = OpenNewProject();
    TargetRec* t = p->curTarget;
    t->toolset = row.toolset;
    ResetTargetOptions(t, kToolsetUndefined);
    ASSERT_NE(t->pOpts, nullptr);
    const OptionBlock& b = *t->pOpts;
    EXPECT_EQ(b.owner, t);
    EXPECT_EQ(ClockOf(b, row.toolset), row.clock);
    EXPECT_EQ(b.out.HEXSEL, row.hexsel);
    EXPECT_EQ(b.lst.pageWidth, row.pageWidth);
    EXPECT_EQ(b.lst.pageLength, row.pageLength);
    EXPECT_EQ(CompilerWord(b, row.toolset), row.compilerWord);
    EXPECT_EQ(AsmWord(b, row.toolset), row.asmWord);
    EXPECT_EQ(LinkerWord(b, row.toolset), row.linkerWord);
    // Common sub-records.
    EXPECT_EQ(b.out.OUTDIR, ".\\");
    EXPECT_EQ(b.out.OUTNAME, "demo");
    EXPECT_EQ(FlagWord(b.out.flags), 0x35u);  // GENAPP, DEBUG and bits 4, 5
    EXPECT_EQ(b.lst.LSTDIR, ".\\");
    EXPECT_EQ(b.lst.listFlags, 0x3F8B7u);
    EXPECT_EQ(b.lst.GLFLAGS, 0x6FEu);
    EXPECT_EQ(b.lst.OPTOX, 16u);
    EXPECT_EQ(b.prop.flags.INCBLD, 1);
    EXPECT_EQ(b.prop.STOPCODE, 3);
    EXPECT_EQ(b.prop.BANKNO, kNoBank);
    EXPECT_EQ(b.dbg.flags, 0xABFDu);
    EXPECT_EQ(FirstWord(b.flash.FLASH1), 0x1u);
    EXPECT_TRUE(b.out.RUNUSR[0].IsEmptyOpt());
    PoolFreeAll();
  }
}

TEST_F(TargetDefaults, ToolsetSpecificFixedValues) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  t->toolset = kToolset166;
  ResetTargetOptions(t, kToolsetUndefined);
  const OptionBlock& b = *t->pOpts;
  EXPECT_EQ(b.q166.OPTIMIZE, 6);
  EXPECT_EQ(b.q166.SPEEDSIZE, 1);
  EXPECT_EQ(b.q166.WARNINGLEV, 2);
  EXPECT_EQ(b.t166.MODEL, 1);
  EXPECT_EQ(b.t166.NHOLD, 6);
  EXPECT_EQ(b.t166.IHOLD, 0xFFFF);
  EXPECT_EQ(FirstWord(b.yq166.YQ166), 0x002u);
  EXPECT_EQ(b.n166.NDATASEL, 2);
  EXPECT_EQ(b.n166.NCONSTSEL, 1);
  EXPECT_EQ(b.n166.LWARNLEV, 2);

  t->toolset = kToolsetArmAds;
  ResetTargetOptions(t, kToolset166);
  EXPECT_EQ(FirstWord(t->pOpts->lst.ADSFLGA), 0x1FF3u);
  EXPECT_EQ(t->pOpts->q166.OPTIMIZE, 0) << "a toolset change clears the whole block";

  t->toolset = kToolset251;
  ResetTargetOptions(t, kToolsetArmAds);
  EXPECT_EQ(t->pOpts->t251.ROMSZ25, 3);
  EXPECT_EQ(t->pOpts->t251.T251FL, kT251Src);
}

TEST_F(TargetDefaults, OutputResetOfAUsedBlock) {
  OpenNewProject();
  OptionBlock b;
  SetFlagWord(b.out.flags, 0xFFFF);
  b.out.outByte = 7;
  b.out.outWord2 = 1;
  b.out.TGMORE = 3;
  for (uint32_t& w : b.out.outSpare) w = 0x12345678;
  b.out.RUNUSR[1] = OptString("after.bat");
  b.out.BRUNUSR[0] = OptString("before.bat");
  b.lst.GLFLAGS = 0xFFFFFFFF;
  InitOutputOpts(b);
  const OutputFlags& f = b.out.flags;
  EXPECT_TRUE(f.GENAPP && f.DEBUG && f.MG32K) << "MG32K is kept";
  EXPECT_FALSE(f.GENLIB || f.GENHEX || f.BROWSE || f.RUNUSR0 || f.RUNUSR1 || f.BRUNUSR0 ||
               f.BRUNUSR1);
  EXPECT_EQ(b.out.outByte, 0);
  EXPECT_EQ(b.out.outWord2, 0xFFFF);
  EXPECT_EQ(b.out.TGMORE, 2u);
  for (uint32_t w : b.out.outSpare) EXPECT_EQ(w, 0u);
  EXPECT_TRUE(b.out.RUNUSR[1].IsEmptyOpt() && b.out.BRUNUSR[0].IsEmptyOpt());
  EXPECT_EQ(b.lst.GLFLAGS & kGlFlagsBigEndian, 0u);
  EXPECT_EQ(b.out.OUTNAME, "demo");
}

TEST_F(TargetDefaults, DeviceControlsSeedTheMiscStrings) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  t->toolset = kToolset51;
  t->C = OptString("CODE SYMBOLS");
  t->A = OptString("XREF");
  ResetTargetOptions(t, kToolsetUndefined);
  EXPECT_EQ(t->pOpts->q51.Q51MSC, "CODE SYMBOLS");
  EXPECT_EQ(t->pOpts->w51.WX51MSC, "XREF");
}

TEST_F(TargetDefaults, UndefinedOrUnknownToolsetLeavesNoBlock) {
  ProjectRec* p = OpenNewProject();
  TargetRec* t = p->curTarget;
  t->toolset = kToolset51;
  ResetTargetOptions(t, kToolsetUndefined);
  ASSERT_NE(t->pOpts, nullptr);
  t->toolset = 9;
  ResetTargetOptions(t, kToolset51);
  EXPECT_EQ(t->pOpts, nullptr);
}

class NodeOptions : public ModelTest {
 protected:
  TargetRec* SetUpTarget(uint16_t toolset) {
    ProjectRec* p = OpenNewProject();
    TargetRec* t = p->curTarget;
    t->toolset = toolset;
    ResetTargetOptions(t, kToolsetUndefined);
    return t;
  }
};

TEST_F(NodeOptions, NewGroupBlockInheritsEverything) {
  SetUpTarget(kToolset51);
  GroupRec* g = theApp().m_pProject->firstGroup;
  OptionBlock* b = GetNodeOptions(g);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(GetNodeOptions(g), b) << "the second call finds the block";
  EXPECT_EQ(FlagWord(b->prop.flags) & 0x3FF, 0x2AAu);
  EXPECT_EQ(b->prop.STOPCODE, kInheritStopCode);
  EXPECT_EQ(FirstWord(b->prop.PROPFLD) & 3, 2u);
  EXPECT_EQ(b->q51.Q51FL, 0xA8EA2AAu);
  EXPECT_EQ(b->w51.WX51FL & 0xFF, 0xAAu);
  EXPECT_TRUE(IsDefaultNodeOptions(*b, kKindGroup));

  b->q51.Q51FL ^= 0x3;  // one switch overridden
  EXPECT_FALSE(IsDefaultNodeOptions(*b, kKindGroup));
}

TEST_F(NodeOptions, UntouchedGroupAndFileBlocksOverrideNothingInEveryToolset) {
  const struct {
    const char* name;
    uint16_t toolset;
  } kRows[] = {{"mcs51", kToolset51},     {"mcs251", kToolset251},  {"q166", kToolset166},
               {"arm_gnu", kToolsetArmGnu}, {"arm_ads", kToolsetArmAds}};
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    SetUpTarget(row.toolset);
    GroupRec* g = theApp().m_pProject->firstGroup;
    FileRec* f = AddFileToGroup(g, "a.c", "", kFileC);
    EXPECT_TRUE(IsDefaultNodeOptions(*GetNodeOptions(g), kKindGroup));
    EXPECT_TRUE(IsDefaultNodeOptions(*GetNodeOptions(f), kKindFile));
    PoolFreeAll();
  }
}

TEST_F(NodeOptions, NodeDefaultsOf166UseInheritValues) {
  TargetRec* t = SetUpTarget(kToolset166);
  GroupRec* g = theApp().m_pProject->firstGroup;
  OptionBlock* b = CloneOptionBlock(g, nullptr);
  SetDefaultOptions(*b, t, kToolset166, kLevelTarget);
  SetDefaultOptions(*b, t, kToolset166, kLevelNode);
  EXPECT_EQ(b->q166.OPTIMIZE, kInheritOptimize);
  EXPECT_EQ(b->q166.SPEEDSIZE, kInheritSpeedSize);
  EXPECT_EQ(b->q166.WARNINGLEV, kInheritWarningLev);
  EXPECT_EQ(FlagWord(b->q166.flags), 0xAAAAu);
  EXPECT_EQ(b->q166.flags2.REORDER, kInherit2Bit);
  EXPECT_EQ(b->w166.flags.MPL, 2);
  EXPECT_EQ(b->w166.flags.CASE, 2);
  // In this toolset an untouched file block carries PROPFLD bits 0-1 = 2,
  // a group's carries 0.
  EXPECT_TRUE(IsDefaultNodeOptions(*b, kKindFile));
  EXPECT_FALSE(IsDefaultNodeOptions(*b, kKindGroup));
  SetFirstWord(b->prop.PROPFLD, FirstWord(b->prop.PROPFLD) & ~3u);
  EXPECT_TRUE(IsDefaultNodeOptions(*b, kKindGroup));
}

TEST_F(NodeOptions, NewFileBlockFollowsTheTargetsToolset) {
  TargetRec* t = SetUpTarget(kToolset166);
  FileRec* f = AddFileToGroup(theApp().m_pProject->firstGroup, "a.c", "", kFileC);
  OptionBlock* b = GetNodeOptions(f);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->owner, t);
  EXPECT_EQ(b->q166.OPTIMIZE, kInheritOptimize);
  EXPECT_EQ(FlagWord(b->q166.flags), 0xAAAAu);
  EXPECT_TRUE(IsDefaultNodeOptions(*b, kKindFile));
  EXPECT_EQ(GetNodeOptions(t), nullptr) << "a target is no node of its own";
}

TEST_F(NodeOptions, DifferComparesIdentityMatchComparesText) {
  TargetRec* t = SetUpTarget(kToolset166);
  OptionBlock a = *t->pOpts, b = *t->pOpts;
  std::string one = "MOD167 NOFIXDPP", two = one;
  a.q166.CMISC = OptString(one.c_str());
  b.q166.CMISC = OptString(two.c_str());
  EXPECT_TRUE(OptionBlocksDiffer(a, b));
  EXPECT_TRUE(OptionBlocksMatch(a, b));
  b.q166.CMISC = a.q166.CMISC;
  EXPECT_FALSE(OptionBlocksDiffer(a, b));
  b.q166.OPTIMIZE = 3;
  EXPECT_FALSE(OptionBlocksMatch(a, b));
  b.q166.OPTIMIZE = a.q166.OPTIMIZE;
  b.owner = nullptr;
  a.owner = nullptr;
  EXPECT_FALSE(OptionBlocksMatch(a, b)) << "no owner, no toolset";
}

TEST_F(NodeOptions, CloneDetachAndFindByOwner) {
  TargetRec* t = SetUpTarget(kToolset51);
  FileRec* f = AddFileToGroup(theApp().m_pProject->firstGroup, "main.c", "src", kFileC);
  OptionBlock* b = CloneOptionBlock(f, t->pOpts);
  EXPECT_EQ(f->pOpts, b);
  EXPECT_EQ(b->owner, t);
  EXPECT_EQ(b->q51.Q51FL, t->pOpts->q51.Q51FL);
  EXPECT_EQ(FindTargetOptions(f->pOpts, t), b);
  DetachOptionBlock(f, b);
  EXPECT_EQ(FindTargetOptions(f->pOpts, t), nullptr);
}

TEST_F(NodeOptions, DeepCopyDuplicatesStringsAndLists) {
  TargetRec* t = SetUpTarget(kToolset51);
  OptionBlock& src = *t->pOpts;
  src.q51.Q51DEF = OptString::Pooled("DEBUG=1", kPoolProject);
  src.lst.OPTKUS = SetKeyValue(nullptr, "NSZCOM", "4");
  OptionBlock* copy = CopyOptionBlockDeep(src, kPoolScratch, nullptr);
  EXPECT_EQ(copy->q51.Q51DEF, "DEBUG=1");
  EXPECT_FALSE(copy->q51.Q51DEF.SameStored(src.q51.Q51DEF));
  EXPECT_TRUE(copy->q51.Q51UDF.IsEmptyOpt());
  ASSERT_NE(copy->lst.OPTKUS, nullptr);
  EXPECT_NE(copy->lst.OPTKUS, src.lst.OPTKUS);
  EXPECT_EQ(GetKeyValue(copy->lst.OPTKUS, "nszcom"), "4");
  EXPECT_EQ(copy->owner, nullptr);
  EXPECT_TRUE(OptionBlocksDiffer(*copy, src));
}

TEST_F(NodeOptions, BankNumbersOfFiles) {
  SetUpTarget(kToolset51);
  GroupRec* g = theApp().m_pProject->firstGroup;
  AddFileToGroup(g, "bank1.c", "", kFileC);
  EXPECT_EQ(GetFileBankNo("bank1.c"), 0) << "no block yet";
  EXPECT_TRUE(SetFileBankNo("BANK1.C", 3));
  EXPECT_EQ(GetFileBankNo("bank1.c"), 3);
  EXPECT_FALSE(SetFileBankNo("", 3));
  EXPECT_FALSE(SetFileBankNo("other.c", 3));
  EXPECT_TRUE(SetFileBankNo("bank1.c", kNoBank));
  EXPECT_EQ(GetFileBankNo("bank1.c"), 0);
}

TEST_F(NodeOptions, TargetKeyValues) {
  SetUpTarget(kToolset51);
  std::string value;
  EXPECT_EQ(GetTargetOptionValue("NSZCOM", value), 0u);
  SetTargetOptionValue("NSZCOM", "12");
  SetTargetOptionValue("Other", "x");
  SetTargetOptionValue("nszcom", "123");
  EXPECT_EQ(GetTargetOptionValue("NSZCOM", value), 3u);
  EXPECT_EQ(value, "123");
}

TEST(KeyValues, SetReplacesIgnoringCaseAndAppendsInOrder) {
  PoolFreeAll();
  KeyValueRec* list = SetKeyValue(nullptr, "A", "1");
  EXPECT_EQ(SetKeyValue(list, "B", "2"), list);
  const char* before = list->value.c_str();
  SetKeyValue(list, "a", "1");
  EXPECT_EQ(list->value.c_str(), before) << "an equal value is not copied again";
  SetKeyValue(list, "a", "9");
  EXPECT_EQ(GetKeyValue(list, "A"), "9");
  EXPECT_EQ(list->next->key, "B");
  EXPECT_EQ(list->next->next, nullptr);
  EXPECT_EQ(GetKeyValue(list, "C"), "");
  EXPECT_EQ(SetKeyValue(nullptr, "", "x"), nullptr);
  PoolFreeAll();
}

}  // namespace
}  // namespace pm2
