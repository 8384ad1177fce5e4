#include "builder/commands/q51_command.h"

#include <iterator>

#include "builder/commands/command_context.h"
#include "builder/commands/command_listing.h"
#include "builder/commands/command_lists.h"
#include "builder/commands/compiler_includes.h"

namespace pm2 {

bool Is51ContiguousMode(const OptionBlock& b) {
  constexpr uint32_t kAll = 0x80000 | 0x10000 | 0x8000;
  return (b.t51.T51FL & kAll) == kAll && (b.t51.ROMSZ5 == 3 || b.t51.ROMSZ5 == 4);
}

namespace {

using Ctx = CommandContext;
const OptionBlock& T(const Ctx& c) { return c.g_WorkOptions; }
const OptionBlock& N(const Ctx& c) { return c.g_TargetLevelOptions; }
const char* EmphasisName(uint32_t e) { return e == 0 ? "SIZE" : e == 1 ? "SPEED" : nullptr; }

// ---------------------------------------------------------------- Q51
// Fields of Q51FL.
enum : int { kRegFile = 0, kOrder = 2, kIntPromote = 4, kNoAregs = 6, kIntVector = 8,
             kFuzzy = 10, kLevel = 14, kWarn = 18, kEmphasis = 22, kBits24 = 24, kObjAdv = 26 };
uint32_t Q51(const OptionBlock& b, int lo, int width = 2) { return BitField(b.q51.Q51FL, lo, width); }
uint32_t T51(const Ctx& c) { return T(c).t51.T51FL; }

uint32_t GetQ51(const OptionBlock& b) { return b.q51.Q51FL; }
void SetQ51(OptionBlock& b, uint32_t w) { b.q51.Q51FL = w; }
const InheritField kQ51Resolved[] = {
    {GetQ51, SetQ51, kObjAdv, 2, 2},    {GetQ51, SetQ51, kLevel, 4, 10},
    {GetQ51, SetQ51, kEmphasis, 2, 2},  {GetQ51, SetQ51, kWarn, 4, 3},
    {GetQ51, SetQ51, kRegFile, 2, 2},   {GetQ51, SetQ51, kOrder, 2, 2},
    {GetQ51, SetQ51, kIntPromote, 2, 2}, {GetQ51, SetQ51, kNoAregs, 2, 2},
    {GetQ51, SetQ51, kIntVector, 2, 2}, {GetQ51, SetQ51, kBits24, 2, 2},
    kGenAsmField,
};

void EmitQ51Optimize(Ctx& c) {
  uint32_t& word = c.g_TargetLevelOptions.q51.Q51FL;
  // Without the extended linker there is no object-advanced code and no
  // level above 10.
  if (!(T51(c) & 0x8000)) {
    word = WithBitField(word, kObjAdv, 2, 0);
    if (BitField(word, kLevel, 4) > 10) word = WithBitField(word, kLevel, 4, 8);
  }
  const uint32_t oa = BitField(word, kObjAdv, 2);
  if (BitField(word, kLevel, 4) > 10 && oa == 0) word = WithBitField(word, kLevel, 4, 10);
  const uint32_t level = BitField(word, kLevel, 4), e = BitField(word, kEmphasis, 2);
  const char* name = EmphasisName(e);
  if ((level == 8 || level == 10) && e == 1) return;
  if (level == 8) {
    // The default level is never written as a number: only its emphasis.
    if (e == 0) c.AppendFormat(true, "OPTIMIZE (%s)", name);
    return;
  }
  uint32_t shown = (oa && level > 10 && name) ? level - 1 : level;
  // An emphasis without a name gives the level alone.
  if (name) c.AppendFormat(true, "OPTIMIZE (%u,%s)", shown, name);
  else c.AppendFormat(true, "OPTIMIZE (%u)", level);
}

void EmitQ51Rom(Ctx& c) {
  const bool ext = (T51(c) & 0x1020000) != 0;
  static constexpr const char* kRom[] = {"ROM(SMALL)", "ROM(COMPACT)", nullptr, "ROM(D512K)", "ROM(D16M)"};
  unsigned rom = T(c).t51.ROMSZ5;
  const char* text = rom < std::size(kRom) ? kRom[rom] : nullptr;
  if (rom == 3 && ext) text = "ROM(HUGE)";
  if (rom == 4 && ext) text = nullptr;
  if (text) c.AppendControl(text);
}

bool T51Has(const Ctx& c, uint32_t bits) { return (T51(c) & bits) == bits; }

OptString Misc51(const OptionBlock& b) { return b.q51.Q51MSC; }
OptString Def51(const OptionBlock& b) { return b.q51.Q51DEF; }
OptString Undef51(const OptionBlock& b) { return b.q51.Q51UDF; }

const ControlRow kQ51Rows[] = {
    {nullptr, nullptr, [](Ctx& c) {
       static constexpr const char* kModels[] = {nullptr, "COMPACT", "LARGE"};
       unsigned m = T(c).t51.MODEL5;
       if (m < std::size(kModels) && kModels[m]) c.AppendControl(kModels[m]);
     }},
    {"OBJECTADVANCED", [](const Ctx& c) { return Q51(N(c), kObjAdv) != 0 && (T51(c) & 0x28000); }},
    {"OMF2", [](const Ctx& c) {
       return Q51(N(c), kObjAdv) == 0 && !(T51(c) & 0x20000) && (c.g_n51ToolVariant & 2);
     }},
    {nullptr, nullptr, EmitQ51Rom},
    {nullptr, [](const Ctx& c) { return T(c).t51.DHOLD5 || T(c).t51.XHOLD5; },
     [](Ctx& c) { c.AppendFormat(true, "HOLD(%u,0,%u)", T(c).t51.DHOLD5, T(c).t51.XHOLD5); }},
    {nullptr, [](const Ctx& c) { return Q51(N(c), kWarn, 4) <= 1; },
     [](Ctx& c) { c.AppendFormat(true, "WARNINGLEVEL (%u)", Q51(N(c), kWarn, 4)); }},
    {nullptr, nullptr, EmitQ51Optimize},
    {nullptr, [](const Ctx& c) { return T(c).out.flags.GENAPP && Q51(T(c), kRegFile) == 1; },
     [](Ctx& c) {
       c.AppendFormat(true, "REGFILE (%s%s.ORC)", CommandPath(T(c).out.OUTDIR.view()).c_str(), T(c).out.OUTNAME.c_str());
     }},
    {"BROWSE", [](const Ctx& c) { return !c.g_bCmdLibrary && T(c).out.flags.BROWSE; }},
    {"ORDER", [](const Ctx& c) { return Q51(N(c), kOrder) != 0; }},
    {"NOINTPROMOTE", [](const Ctx& c) { return Q51(N(c), kIntPromote) == 0; }},
    {nullptr, [](const Ctx& c) { uint32_t f = Q51(N(c), kFuzzy, 4); return f < 8 && f != 3; },
     [](Ctx& c) { c.AppendFormat(true, "FLOATFUZZY(%u)", Q51(N(c), kFuzzy, 4)); }},
    {"NOAREGS", [](const Ctx& c) { return Q51(N(c), kNoAregs) == 1; }},
    {nullptr, nullptr, [](Ctx& c) {
       if (Q51(N(c), kIntVector) == 0) c.AppendControl("NOINTVECTOR");
       else if (uint32_t va = N(c).q51.Q51VA & 0xFFFF) c.AppendFormat(true, "INTVECTOR(0x%04X)", va);
     }},
    {"MOD_MX51P", [](const Ctx& c) { return T51Has(c, 0x1000000); }},
    {"MODE2", [](const Ctx& c) { return T51Has(c, 0x1000); }},
    {"MODA2", [](const Ctx& c) { return T51Has(c, 0x80 | 0x4); }},
    {"MODDP2", [](const Ctx& c) { return T51Has(c, 0x100 | 0x4); }},
    {"MODP2", [](const Ctx& c) { return T51Has(c, 0x200 | 0x4); }},
    {"MODDA", [](const Ctx& c) { return T51Has(c, 0x400000 | 0x2); }},
    {"MODAB2", [](const Ctx& c) { return T51Has(c, 0x800000 | 0x4); }},
    {nullptr, [](const Ctx& c) { return (T51(c) & 0xC00) && !(T51(c) & 0x400000); },
     [](Ctx& c) {
       static constexpr const char* kMod517[] = {nullptr, "MOD517 (NODP8)", "MOD517 (NOAU)", "MOD517"};
       if (const char* text = kMod517[(T51(c) >> 1) & 3]) c.AppendControl(text);
     }},
    {nullptr, nullptr, [](Ctx& c) {
       AppendIncdirLevels(c, CompilerIncludeField(kToolset51));
       AppendMiscLevels(c, Misc51);
       AppendDefineLevels(c, Def51, Undef51);
     }},
    {nullptr, [](const Ctx& c) { return T51Has(c, 0x8000 | 0x4000); },
     [](Ctx& c) { c.AppendControl(T51(c) & 0x200000 ? "VARBANKING (1)" : "VARBANKING"); }},
    {nullptr, [](const Ctx& c) { return T(c).out.flags.DEBUG != 0; },
     [](Ctx& c) {
       c.AppendControl("DEBUG");
       if (!(T51(c) & 0x20000) && !(c.g_n51ToolVariant & 2) && Q51(N(c), kObjAdv) == 0)
         c.AppendControl("OBJECTEXTEND");
     }},
    {nullptr, nullptr, AppendCListingContents},
    {nullptr, nullptr, AppendCompilerTail},
};

// ---------------------------------------------------------------- Q251
uint32_t Q251(const OptionBlock& b, int lo, int width = 2) { return BitField(b.q251.Q251F1, lo, width); }
uint32_t GetQ251(const OptionBlock& b) { return b.q251.Q251F1; }
void SetQ251(OptionBlock& b, uint32_t w) { b.q251.Q251F1 = w; }
const InheritField kQ251Resolved[] = {
    {GetQ251, SetQ251, 16, 4, 8}, {GetQ251, SetQ251, 24, 2, 2}, {GetQ251, SetQ251, 20, 4, 4},
    {GetQ251, SetQ251, 0, 2, 2},  {GetQ251, SetQ251, 2, 2, 2},  {GetQ251, SetQ251, 4, 2, 2},
    {GetQ251, SetQ251, 6, 2, 2},  {GetQ251, SetQ251, 8, 2, 2},  {GetQ251, SetQ251, 10, 2, 2},
    kGenAsmField,
};

void EmitQ251Optimize(Ctx& c) {
  const uint32_t level = Q251(N(c), 16, 4), e = Q251(N(c), 24);
  const char* name = EmphasisName(e);
  if (level == 7) {
    // The default level is never written as a number: only its emphasis.
    if (e == 0) c.AppendFormat(true, "OPTIMIZE (%s)", name);
    return;
  }
  if (name) c.AppendFormat(true, "OPTIMIZE (%u,%s)", level, name);
  else c.AppendFormat(true, "OPTIMIZE (%u)", level);
}

OptString Misc251(const OptionBlock& b) { return b.q251.Q251MSC; }
OptString Def251(const OptionBlock& b) { return b.q251.Q251DEF; }
OptString Undef251(const OptionBlock& b) { return b.q251.Q251UDF; }

const ControlRow kQ251Rows[] = {
    {nullptr, nullptr, [](Ctx& c) {
       static constexpr const char* kModels[] = {nullptr, "XTINY", "SMALL", "XSMALL", "LARGE"};
       unsigned m = T(c).t251.MODEL25;
       if (m < std::size(kModels) && kModels[m]) c.AppendControl(kModels[m]);
     }},
    {"MODBIN", [](const Ctx& c) { return !(T(c).t251.T251FL & 0x4); }},
    {"INTR2", [](const Ctx& c) { return !(T(c).t251.T251FL & 0x8); }},
    {"NOALIAS", [](const Ctx& c) { return Q251(T(c), 4) == 0; }},
    {"FUNCTIONS (REENTRANT)", [](const Ctx& c) { return Q251(T(c), 6) != 0; }},
    {"UNSIGNED_CHAR", [](const Ctx& c) { return Q251(T(c), 8) != 0; }},
    {"FLOAT64", [](const Ctx& c) { return Q251(T(c), 10) != 0; }},
    {"NOCASE", [](const Ctx& c) { return !(T(c).n51.NX51FL & 0x8); }},
    {nullptr, nullptr, [](Ctx& c) {
       static constexpr const char* kRom[] = {"ROM(SMALL)", "ROM(MEDIUM)", "ROM(COMPACT)", nullptr, "ROM(HUGE)"};
       unsigned rom = T(c).t251.ROMSZ25;
       if (rom < std::size(kRom) && kRom[rom]) c.AppendControl(kRom[rom]);
     }},
    {nullptr, [](const Ctx& c) { return T(c).t251.FHOLD25 || T(c).t251.DHOLD25 || T(c).t251.XHOLD25; },
     [](Ctx& c) {
       const Target251Opts& t = T(c).t251;
       c.AppendFormat(true, "HOLD(%u,%u,%u)", t.FHOLD25, t.DHOLD25, t.XHOLD25);
     }},
    {nullptr, [](const Ctx& c) { uint32_t w = Q251(N(c), 20, 4); return w < 4 && w != 2; },
     [](Ctx& c) { c.AppendFormat(true, "WARNINGLEVEL (%u)", Q251(N(c), 20, 4)); }},
    {nullptr, nullptr, EmitQ251Optimize},
    {nullptr, [](const Ctx& c) { return T(c).out.flags.GENAPP && Q251(T(c), 0) == 1; },
     [](Ctx& c) {
       c.AppendFormat(true, "REGFILE (%s%s.ORC)", CommandPath(T(c).out.OUTDIR.view()).c_str(), T(c).out.OUTNAME.c_str());
     }},
    {"BROWSE", [](const Ctx& c) { return !c.g_bCmdLibrary && T(c).out.flags.BROWSE; }},
    {"ORDER", [](const Ctx& c) { return Q251(N(c), 2) != 0; }},
    {nullptr, [](const Ctx& c) { uint32_t f = Q251(N(c), 12, 4); return f < 8 && f != 3; },
     [](Ctx& c) { c.AppendFormat(true, "FLOATFUZZY(%u)", Q251(N(c), 12, 4)); }},
    {nullptr, nullptr, [](Ctx& c) {
       AppendIncdirLevels(c, CompilerIncludeField(kToolset251));
       AppendMiscLevels(c, Misc251);
       AppendDefineLevels(c, Def251, Undef251);
     }},
    {"DEBUG", [](const Ctx& c) { return T(c).out.flags.DEBUG != 0; }},
    {nullptr, nullptr, AppendCListingContents},
    {nullptr, nullptr, AppendCompilerTail},
};

}  // namespace

void MakeQ51CompilerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                            bool withObjectName) {
  BuildNodeLine(ctx, node, target, withObjectName, [](CommandContext& c) {
    ResolveInheritFields(c, kQ51Resolved);
    c.g_TargetLevelOptions.q51.Q51VA = c.g_WorkOptions.q51.Q51VA;
    EmitControlRows(c, kQ51Rows);
  });
}

void MakeQ251CompilerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                             bool withObjectName) {
  BuildNodeLine(ctx, node, target, withObjectName, [](CommandContext& c) {
    ResolveInheritFields(c, kQ251Resolved);
    EmitControlRows(c, kQ251Rows);
  });
}

}  // namespace pm2
