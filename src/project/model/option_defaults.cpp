#include "project/model/option_defaults.h"

#include <cstring>
#include <iterator>
#include <type_traits>

#include "project/model/app_state.h"
#include "project/model/device_strings.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

const OptString kDotFolder(".\\");

// The target's default controls ("C" or "A") when set, else empty.
OptString DeviceControls(const TargetRec* target, bool assembler) {
  if (!target) return OptString();
  return assembler ? target->A : target->C;
}

const char* CpuOf(const TargetRec* t) { return t ? t->CPU.c_str() : ""; }
const char* MemOf(const TargetRec* t) { return t ? t->MEM.c_str() : ""; }

void ClearFirstWord(uint8_t* bytes, uint32_t clear, uint32_t set) {
  SetFirstWord(bytes, (FirstWord(bytes) & ~clear) | set);
}

// Value = (old and keep) or set.
void KeepFirstWord(uint8_t* bytes, uint32_t keep, uint32_t set) {
  SetFirstWord(bytes, (FirstWord(bytes) & keep) | set);
}

// The whole byte array but its first word zeroed.
void ZeroAfterFirstWord(uint8_t (&bytes)[20]) {
  for (int i = 4; i < 20; ++i) bytes[i] = 0;
}

}  // namespace

void InitOutputOpts(OptionBlock& b) {
  OutputOpts& o = b.out;
  o.OUTDIR = kDotFolder;
  ProjectRec* project = theApp().m_pProject;
  o.OUTNAME = project ? OptString::Pooled(project->name.view(), kPoolProject) : OptString();
  SetFlagWord(o.flags, (FlagWord(o.flags) & 0xE435u) | 0x35u);
  o.TGMORE &= ~1u;
  o.outByte = 0;
  o.outWord2 = 0xFFFF;
  o.RUNUSR[0] = o.RUNUSR[1] = o.BRUNUSR[0] = o.BRUNUSR[1] = OptString();
  for (uint32_t& w : o.outSpare) w = 0;
  b.lst.GLFLAGS &= ~kGlFlagsBigEndian;
}

void InitListingOpts(OptionBlock& b, bool armAds) {
  ListingOpts& l = b.lst;
  l.OPTOX = 16;
  l.LSTDIR = kDotFolder;
  l.pageWidth = armAds ? 79 : 120;
  l.pageLength = armAds ? 66 : 65;
  l.lstByte = 8;
  l.listFlags = (l.listFlags & ~0x40748u) | 0x3F8B7u;
  l.lstByte2 = 0;
  l.GLFLAGS = (l.GLFLAGS & ~0x101u) | 0x6FEu;
  if (armAds) ClearFirstWord(l.ADSFLGA, 0x0C, 0x1FF3);
  l.OPTKUS = nullptr;
}

void InitBuildPropOpts(BuildPropOpts& p, int level) {
  bool node = level == kLevelNode;
  // INCBLD, ALWAYSBUILD, GENASM, ASMASM, PUBLICSONLY: bits 0-9.
  SetFlagWord(p.flags, (FlagWord(p.flags) & ~0x3FFu) | (node ? 0x2AAu : 0x001u));
  p.STOPCODE = node ? kInheritStopCode : 3;
  p.BANKNO = kNoBank;
  p.CUSTARGS = p.LIBMODS = OptString();
  ClearFirstWord(p.PROPFLD, 3, node ? 2 : 0);
}

void InitCompiler166Opts(Compiler166Opts& c, int level) {
  if (level == kLevelNode) {
    c.OPTIMIZE = kInheritOptimize;
    c.SPEEDSIZE = kInheritSpeedSize;
    c.WARNINGLEV = kInheritWarningLev;
    SetFlagWord(c.flags, 0xAAAA);
    // REORDER is a switch like the others: at node level it inherits too.
    c.flags2.REORDER = kInherit2Bit;
    return;
  }
  c.OPTIMIZE = 6;
  c.SPEEDSIZE = 1;
  c.WARNINGLEV = 2;
  SetFlagWord(c.flags, 0x0410);
  c.DEFINE = c.UNDEFINE = c.INCC6 = OptString();
}

void InitCompilerYq166Opts(CompilerYq166Opts& c, int level) {
  if (level == kLevelNode) {
    ClearFirstWord(c.YQ166, 0x1FB, 0x204);
    return;
  }
  ClearFirstWord(c.YQ166, 0x3FD, 0x002);
  c.ECDEFINE = c.ECUNDEF = c.ECINC = OptString();  // ECMISC is kept
}

void InitAsm166Opts(Asm166Opts& a, int level) {
  if (level == kLevelNode) {
    ClearSetFlagWord(a.flags, 0x05, 0x0A);
    return;
  }
  ClearSetFlagWord(a.flags, 0x0E, 0x01);
  a.ASET = a.ARESET = a.INCA6 = OptString();
}

void InitLinker166Opts(Linker166Opts& l) {
  l.flags.USELINKFILE = 0;
  l.flags.LINKONLY = 0;
  l.flags.DPPUSE = 0;
  l.flags.USETARGSET = 1;
  l.NDATASEL = 2;
  l.NCONSTSEL = 1;
  l.LWARNLEV = 2;
  for (OptString* s : {&l.NEARDATASTR, &l.NEARCONSTSTR, &l.CINITTAB, &l.INTVECTADDR,
                       &l.LDISWARN, &l.LNKFILE, &l.LASSIGN, &l.LREGBANK, &l.LRESERVE,
                       &l.LMISC, &l.LCLASSES, &l.LSECT})
    *s = OptString();
}

void InitCompiler51Opts(Compiler51Opts& c, const TargetRec* target, int level) {
  if (level == kLevelNode) {
    c.Q51FL = (c.Q51FL & ~0x5715D55u) | 0xA8EA2AAu;
    return;
  }
  c.Q51FL = (c.Q51FL & ~0xEB5F2EFu) | 0x14A0D10u;
  c.Q51VA = 0;
  c.Q51MSC = DeviceControls(target, false);
  c.Q51DEF = c.Q51UDF = c.INCC5 = OptString();
}

void InitAsm51Opts(Asm51Opts& a, const TargetRec* target, int level) {
  if (level == kLevelNode) {
    a.WX51FL = (a.WX51FL & ~0xFFu) | 0xAAu;
    return;
  }
  a.WX51FL = (a.WX51FL & ~0xFBu) | 0x04u;
  a.WX51MSC = DeviceControls(target, true);
  a.WX51SET = a.WX51RST = a.INCA5 = OptString();
}

void InitLinker51Opts(Linker51Opts& l, bool for251) {
  l.NX51FL = (l.NX51FL & ~0xDBu) | 0x124u | (for251 ? 0x8u : 0u);
  l.Visit([](auto& field) {
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(field)>, OptString>)
      field = OptString();
  });
}

void InitCompiler251Opts(Compiler251Opts& c, const TargetRec* target, int level) {
  if (level == kLevelNode) {
    c.Q251F1 = (c.Q251F1 & ~0x1B77555u) | 0x2488AAAu;
    return;
  }
  c.Q251F1 = (c.Q251F1 & ~0x2D8CFEFu) | 0x1273010u;
  c.Q251MSC = DeviceControls(target, false);
  c.Q251DEF = c.Q251UDF = c.INCC2 = OptString();
}

void InitCompilerArmGnuOpts(CompilerArmGnuOpts& c, const TargetRec* target, int level) {
  if (level == kLevelNode) {
    KeepFirstWord(c.ACCFLG, 0xF0000EAA, 0x2AA);
    return;
  }
  KeepFirstWord(c.ACCFLG, 0xF0200C01, 0x200001);
  c.ACMISC = DeviceControls(target, false);
}

void InitAsmArmGnuOpts(AsmArmGnuOpts& a, const TargetRec* target, int level) {
  if (level == kLevelNode) {
    ClearFirstWord(a.AASFLG, 0x1, 0x2);
    return;
  }
  ClearFirstWord(a.AASFLG, 0x3, 0);
  a.AAMISC = DeviceControls(target, true);
}

void InitLinkerArmGnuOpts(LinkerArmGnuOpts& l) {
  ClearFirstWord(l.ALDFLAG, 0x0E, 0x01);
  ZeroAfterFirstWord(l.ALDFLAG);
  for (OptString* s : {&l.ALDTADR, &l.ALDDADR, &l.ALDBSSR, &l.ALDICLB, &l.ALDICDR, &l.ALDMISC,
                       &l.ALDSCAT, &l.ldStr[0], &l.ldStr[1], &l.ldStr[2]})
    *s = OptString();
}

void InitCompilerArmAdsOpts(CompilerArmAdsOpts& c, const TargetRec* target, int level) {
  if (level == kLevelNode) {
    KeepFirstWord(c.ADSCCFLG, 0xE1555402, 0x21555402);
    return;
  }
  KeepFirstWord(c.ADSCCFLG, 0xC0000004, 0x4);
  c.ADSCMISC = DeviceControls(target, false);
}

void InitAsmArmAdsOpts(AsmArmAdsOpts& a, const TargetRec* target, int level) {
  if (level == kLevelNode) {
    ClearFirstWord(a.ADSASFLG, 0x1555, 0x2AAA);
    return;
  }
  ClearFirstWord(a.ADSASFLG, 0x3FFF, 0);
  a.ADSAMISC = DeviceControls(target, true);
}

void InitLinkerArmAdsOpts(LinkerArmAdsOpts& l) {
  ClearFirstWord(l.ADSLDFG, 0x2F, 0x10);
  ZeroAfterFirstWord(l.ADSLDFG);
  for (OptString* s : {&l.ADSLDTA, &l.ADSLDDA, &l.ADSLDSC, &l.ADSLDIB, &l.ADSLDIC, &l.ADSLDMC,
                       &l.ADSLDIF, &l.ldStr[0], &l.ldStr[1], &l.ldStr[2], &l.ldStr[3]})
    *s = OptString();
}

void InitDebugOpts(DebugOpts& d) {
  d.flags = (d.flags & ~0x5402u) | 0xABFDu;
  for (OptString& s : d.str) s = OptString();
  d.str11 = OptString();
}

void InitFlashOpts(FlashOpts& f) {
  ClearFirstWord(f.FLASH1, 0x6, 0x1);
  ZeroAfterFirstWord(f.FLASH1);
  f.FLASH3 = f.FLASH2 = OptString();
  f.keys = nullptr;
}

void InitTarget51Opts(Target51Opts& t, const TargetRec* target) {
  t = Target51Opts();
  t.clock = 20000000;
  t.ROMSZ5 = 2;
  ParseCpu51(t, CpuOf(target), true);
}

void InitTarget251Opts(Target251Opts& t, const TargetRec* target) {
  t = Target251Opts();
  t.clock = 12000000;
  t.ROMSZ25 = 3;
  t.T251FL = kT251Src;
  ParseCpu251(t, CpuOf(target), true);
  ParseMem251(t, MemOf(target));
}

void InitTarget166Opts(Target166Opts& t, const TargetRec* target) {
  t = Target166Opts();
  t.clock = 20000000;
  t.MODEL = 1;
  t.NHOLD = 6;
  t.IHOLD = t.SHOLD = t.BHOLD = 0xFFFF;
  ParseCpu166(t, CpuOf(target), true);
  ParseMem166(t, MemOf(target));
}

namespace {
template <class T>
void InitArmTarget(T& t, const TargetRec* target) {
  // Keeps every byte of the flag array but the first (the device part).
  uint8_t flags[20];
  std::memcpy(flags, ArmView(t).flags, sizeof flags);
  flags[0] = 0;
  t = T();
  ArmTargetView v = ArmView(t);
  std::memcpy(v.flags, flags, sizeof flags);
  *v.clock = 33000000;
  ParseCpuArm(v, CpuOf(target), true);
  // The device's on-chip table, as the device step fills it.
  ParseMemArm(v, MemOf(target));
}
}  // namespace

void InitTargetArmGnuOpts(TargetArmGnuOpts& t, const TargetRec* target) { InitArmTarget(t, target); }
void InitTargetArmAdsOpts(TargetArmAdsOpts& t, const TargetRec* target) { InitArmTarget(t, target); }

namespace {

// The common head of every default set: output, listing and (toolsets 1
// to 4) HEXSEL.
void BeginDefaults(OptionBlock& b, bool armAds, bool hexSel) {
  b.next = nullptr;
  InitOutputOpts(b);
  InitListingOpts(b, armAds);
  if (hexSel) b.out.HEXSEL = 1;
}

void EndDefaults(OptionBlock& b) {
  InitDebugOpts(b.dbg);
  InitFlashOpts(b.flash);
}

}  // namespace

void SetDefaultOptions51(OptionBlock& b, const TargetRec* target, int level) {
  BeginDefaults(b, false, false);
  InitTarget51Opts(b.t51, target);
  b.out.HEXSEL = (b.t51.T51FL & kT51Mode2) ? 1 : 0;
  InitCompiler51Opts(b.q51, target, level);
  InitBuildPropOpts(b.prop, level);
  InitAsm51Opts(b.w51, target, level);
  InitLinker51Opts(b.n51, false);
  EndDefaults(b);
  SyncArchitectureControls(b, kToolset51);
}

void SetDefaultOptions251(OptionBlock& b, const TargetRec* target, int level) {
  BeginDefaults(b, false, true);
  InitTarget251Opts(b.t251, target);
  InitCompiler251Opts(b.q251, target, level);
  InitBuildPropOpts(b.prop, level);
  InitAsm51Opts(b.w51, target, level);
  InitLinker51Opts(b.n51, true);
  EndDefaults(b);
}

void SetDefaultOptions166(OptionBlock& b, const TargetRec* target, int level) {
  BeginDefaults(b, false, true);
  InitTarget166Opts(b.t166, target);
  InitCompiler166Opts(b.q166, level);
  InitCompilerYq166Opts(b.yq166, level);
  InitBuildPropOpts(b.prop, level);
  InitAsm166Opts(b.w166, level);
  InitLinker166Opts(b.n166);
  EndDefaults(b);
  SyncArchitectureControls(b, kToolset166);
}

void SetDefaultOptionsArmGnu(OptionBlock& b, const TargetRec* target, int level) {
  BeginDefaults(b, false, true);
  InitTargetArmGnuOpts(b.tGnu, target);
  InitCompilerArmGnuOpts(b.cGnu, target, level);
  InitBuildPropOpts(b.prop, level);
  InitAsmArmGnuOpts(b.aGnu, target, level);
  InitLinkerArmGnuOpts(b.lGnu);
  EndDefaults(b);
}

void SetDefaultOptionsArmAds(OptionBlock& b, const TargetRec* target, int level) {
  BeginDefaults(b, true, true);
  InitTargetArmAdsOpts(b.tAds, target);
  InitCompilerArmAdsOpts(b.cAds, target, level);
  InitBuildPropOpts(b.prop, level);
  InitAsmArmAdsOpts(b.aAds, target, level);
  InitLinkerArmAdsOpts(b.lAds);
  EndDefaults(b);
}

namespace {

struct ToolsetDefaults {
  void (*setDefaults)(OptionBlock&, const TargetRec*, int);
  void (*initTarget)(OptionBlock&, const TargetRec*);
};

// Indexed by ToolsetId.
const ToolsetDefaults kToolsetDefaults[] = {
    {SetDefaultOptions51, [](OptionBlock& b, const TargetRec* t) { InitTarget51Opts(b.t51, t); }},
    {SetDefaultOptions251, [](OptionBlock& b, const TargetRec* t) { InitTarget251Opts(b.t251, t); }},
    {SetDefaultOptions166, [](OptionBlock& b, const TargetRec* t) { InitTarget166Opts(b.t166, t); }},
    {SetDefaultOptionsArmGnu, [](OptionBlock& b, const TargetRec* t) { InitTargetArmGnuOpts(b.tGnu, t); }},
    {SetDefaultOptionsArmAds, [](OptionBlock& b, const TargetRec* t) { InitTargetArmAdsOpts(b.tAds, t); }},
};

const ToolsetDefaults* DefaultsOf(uint16_t toolset) {
  return toolset < std::size(kToolsetDefaults) ? &kToolsetDefaults[toolset] : nullptr;
}

}  // namespace

bool SetDefaultOptions(OptionBlock& b, const TargetRec* target, uint16_t toolset, int level) {
  const ToolsetDefaults* d = DefaultsOf(toolset);
  if (!d) return false;
  d->setDefaults(b, target, level);
  return true;
}

bool InitTargetSubRecord(OptionBlock& b, const TargetRec* target, uint16_t toolset) {
  const ToolsetDefaults* d = DefaultsOf(toolset);
  if (!d) return false;
  d->initTarget(b, target);
  return true;
}

void SyncArchitectureControls(OptionBlock& b, uint16_t toolset) {
  if (toolset == kToolset166) {
    bool mod167 = b.t166.flags.MOD167, modV2 = b.t166.flags.MODV2;
    b.q166.CMISC = SyncModV2Control(SyncMod167Control(b.q166.CMISC, mod167), modV2);
    b.w166.AMISC = SyncModV2Control(SyncMod167Control(b.w166.AMISC, mod167), modV2);
  } else if (toolset == kToolset51) {
    bool mode2 = (b.t51.T51FL & kT51Mode2) != 0;
    b.q51.Q51MSC = SyncMode2Control(b.q51.Q51MSC, mode2);
    b.w51.WX51MSC = SyncMode2Control(b.w51.WX51MSC, mode2);
  }
}

void ResetTargetOptions(TargetRec* target, uint16_t previousToolset) {
  if (!target) return;
  uint16_t toolset = target->toolset;
  if (!DefaultsOf(toolset)) {
    target->pOpts = nullptr;  // no block without a known toolset
    return;
  }
  OptionBlock* b = target->pOpts;
  bool fresh = true;
  if (!b) {
    b = NewOptionBlock(kPoolProject);
    target->pOpts = b;
  } else if (previousToolset == toolset) {
    InitTargetSubRecord(*b, target, toolset);
    fresh = false;
  } else {
    *b = OptionBlock();
  }
  if (fresh) {
    b->owner = target;
    SetDefaultOptions(*b, target, toolset, kLevelTarget);
  }
  SyncArchitectureControls(*b, toolset);
}

}  // namespace pm2
