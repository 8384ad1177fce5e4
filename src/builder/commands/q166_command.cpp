#include "builder/commands/q166_command.h"

#include <string>

#include "builder/commands/command_context.h"
#include "builder/commands/command_listing.h"
#include "builder/commands/command_lists.h"
#include "builder/commands/compiler_includes.h"
#include "builder/commands/n166_linker.h"
#include "project/model/project_records.h"

namespace pm2 {

const char* Model166Name(unsigned model) {
  static constexpr const char* kNames[] = {"TINY",  "SMALL",    "COMPACT", "MEDIUM",
                                           "LARGE", "HCOMPACT", "HLARGE"};
  return model < std::size(kNames) ? kNames[model] : nullptr;
}

namespace {

using Ctx = CommandContext;
const OptionBlock& T(const Ctx& c) { return c.g_WorkOptions; }
const OptionBlock& N(const Ctx& c) { return c.g_TargetLevelOptions; }

uint32_t Flags(const OptionBlock& b) { return FlagWord(b.q166.flags); }
void SetFlags(OptionBlock& b, uint32_t w) { SetFlagWord(b.q166.flags, w); }

// The eight 2-bit fields of the Q166 flags word.
enum : int { kRegColor = 0, kStatic = 2, kAlias = 4, kOrder = 6, kUnsignedChar = 8,
             kNoDppSave = 10, kFloat64 = 12, kSaveUsr = 14 };
uint32_t F(const OptionBlock& b, int lo) { return BitField(Flags(b), lo, 2); }

const InheritField kResolved[] = {
    {[](const OptionBlock& b) -> uint32_t { return FlagWord(b.q166.flags2); },
     [](OptionBlock& b, uint32_t w) { SetFlagWord(b.q166.flags2, w); }, 0, 2, 2},
    {[](const OptionBlock& b) -> uint32_t { return b.q166.OPTIMIZE; },
     [](OptionBlock& b, uint32_t w) { b.q166.OPTIMIZE = static_cast<uint8_t>(w); }, 0, 8,
     kInheritOptimize},
    {[](const OptionBlock& b) -> uint32_t { return b.q166.SPEEDSIZE; },
     [](OptionBlock& b, uint32_t w) { b.q166.SPEEDSIZE = static_cast<uint8_t>(w); }, 0, 8,
     kInheritSpeedSize},
    {[](const OptionBlock& b) -> uint32_t { return b.q166.WARNINGLEV; },
     [](OptionBlock& b, uint32_t w) { b.q166.WARNINGLEV = static_cast<uint8_t>(w); }, 0, 8,
     kInheritWarningLev},
    {Flags, SetFlags, kRegColor}, {Flags, SetFlags, kStatic},   {Flags, SetFlags, kAlias},
    {Flags, SetFlags, kOrder},    {Flags, SetFlags, kUnsignedChar}, {Flags, SetFlags, kNoDppSave},
    {Flags, SetFlags, kFloat64},  {Flags, SetFlags, kSaveUsr},
    kGenAsmField,
};

void EmitHold(Ctx& c) {
  const Target166Opts& t = T(c).t166;
  if (t.NHOLD == 6 && t.IHOLD == 0xFFFF && t.SHOLD == 0xFFFF && t.BHOLD == 0xFFFF) return;
  const struct {
    const char* name;
    uint16_t value;
  } items[] = {{"NEAR", t.NHOLD}, {"IDATA", t.IHOLD}, {"SDATA", t.SHOLD}, {"BDATA", t.BHOLD}};
  std::string text;
  for (const auto& item : items) {
    if (item.value == 0xFFFF) continue;
    if (!text.empty()) text += ',';
    text += item.name;
    text += ' ';
    text += std::to_string(item.value);
  }
  // Every threshold "not given" leaves nothing to hold.
  if (!text.empty()) c.AppendControl("HOLD (" + text + ")");
}

const char* EmphasisName(unsigned e) { return e == 0 ? "SIZE" : e == 1 ? "SPEED" : nullptr; }

void EmitOptimize(Ctx& c) {
  unsigned level = N(c).q166.OPTIMIZE;
  unsigned e = N(c).q166.SPEEDSIZE;
  const char* name = EmphasisName(e);
  if (level == 6 && e == 1) return;  // the compiler's default
  if (level == 8) {
    // 8 is the "take the level above" value: only an emphasis is written,
    // never the level itself.
    if (name) c.AppendFormat(true, "OPTIMIZE (%s)", name);
    return;
  }
  // An emphasis without a name gives the level alone.
  if (name) c.AppendFormat(true, "OPTIMIZE (%u,%s)", level, name);
  else c.AppendFormat(true, "OPTIMIZE (%u)", level);
}

OptString Misc(const OptionBlock& b) { return b.q166.CMISC; }
OptString Def(const OptionBlock& b) { return b.q166.DEFINE; }
OptString Undef(const OptionBlock& b) { return b.q166.UNDEFINE; }

const ControlRow kQ166Rows[] = {
    {"MODV2", [](const Ctx& c) { return T(c).t166.flags.MODV2 != 0; }},
    {nullptr, [](const Ctx& c) { return T(c).t166.MODEL != 1; },
     [](Ctx& c) {
       if (const char* name = Model166Name(T(c).t166.MODEL)) c.AppendControl(name);
     }},
    {nullptr, nullptr, EmitHold},
    {nullptr,
     [](const Ctx& c) {
       unsigned w = N(c).q166.WARNINGLEV;
       return w == 0 || w == 1 || w == 3;
     },
     [](Ctx& c) { c.AppendFormat(true, "WARNINGLEVEL (%u)", unsigned{N(c).q166.WARNINGLEV}); }},
    {nullptr, nullptr, EmitOptimize},
    {nullptr, [](const Ctx& c) { return T(c).out.flags.GENAPP && F(T(c), kRegColor) == 1; },
     [](Ctx& c) {
       c.AppendFormat(true, "REGFILE (%s%s.ORC)", CommandPath(T(c).out.OUTDIR.view()).c_str(), T(c).out.OUTNAME.c_str());
     }},
    {"BROWSE", [](const Ctx& c) { return !c.g_bCmdLibrary && T(c).out.flags.BROWSE; }},
    {"STATIC", [](const Ctx& c) { return F(N(c), kStatic) != 0; }},
    {"NOALIAS", [](const Ctx& c) { return F(N(c), kAlias) == 0; }},
    {"ORDER", [](const Ctx& c) { return F(N(c), kOrder) != 0; }},
    {"UNSIGNED_CHAR", [](const Ctx& c) { return F(N(c), kUnsignedChar) != 0; }},
    {"NODPPSAVE", [](const Ctx& c) { return F(N(c), kNoDppSave) == 0; }},
    {"SAVEUSR", [](const Ctx& c) { return F(N(c), kSaveUsr) != 0; }},
    {"FLOAT64", [](const Ctx& c) { return F(N(c), kFloat64) != 0; }},
    {"NOFIXDPP", [](const Ctx& c) { return T(c).n166.flags.DPPUSE != 0; }},
    {"REORDER", [](const Ctx& c) { return N(c).q166.flags2.REORDER != 0; }},
    {nullptr, nullptr, [](Ctx& c) {
       AppendIncdirLevels(c, CompilerIncludeField(kToolset166));
       AppendMiscLevels(c, Misc);
     }},
    {nullptr, nullptr, [](Ctx& c) { AppendDefineLevels(c, Def, Undef); }},
    {"DEBUG", [](const Ctx& c) { return T(c).out.flags.DEBUG != 0; }},
    {nullptr, nullptr, AppendCListingContents},
    {nullptr, nullptr, AppendCompilerTail},
    {nullptr, [](const Ctx& c) { return c.g_bCppSecondPass != 0; },
     [](Ctx& c) {
       c.AppendFormat(true, "BF(%s)", c.g_pszCppSourceName.c_str());
       if (c.g_pszCppControls) c.AppendFormat(true, "BC(%s)", c.g_pszCppControls);
       c.AppendControl("WARNING disable=47");
     }},
};

}  // namespace

void MakeQ166CompilerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                             bool withObjectName) {
  if (OptionBlock* own = target ? FindTargetOptions(target->pOpts, target) : nullptr)
    MakeN166LinkerCommand(ctx, *own, 0);
  BuildNodeLine(ctx, node, target, withObjectName, [](CommandContext& c) {
    ResolveInheritFields(c, kResolved);
    EmitControlRows(c, kQ166Rows);
  });
}

}  // namespace pm2
