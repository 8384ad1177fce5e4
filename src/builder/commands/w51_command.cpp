#include "builder/commands/w51_command.h"

#include <iterator>
#include <string_view>

#include "builder/commands/command_context.h"
#include "builder/commands/command_listing.h"
#include "builder/commands/command_lists.h"
#include "builder/commands/q51_command.h"

namespace pm2 {

namespace {

using Ctx = CommandContext;
const OptionBlock& T(const Ctx& c) { return c.g_WorkOptions; }
const OptionBlock& N(const Ctx& c) { return c.g_TargetLevelOptions; }

// Fields of WX51FL.
enum : int { kMacro = 0, kStdMacros = 2, kCase = 4, kNoMod51 = 6 };
uint32_t WX(const OptionBlock& b, int lo) { return BitField(b.w51.WX51FL, lo, 2); }
uint32_t T51(const Ctx& c) { return T(c).t51.T51FL; }

uint32_t Get(const OptionBlock& b) { return b.w51.WX51FL; }
void Set(OptionBlock& b, uint32_t w) { b.w51.WX51FL = w; }
const InheritField kResolved[] = {{Get, Set, kMacro}, {Get, Set, kCase}, {Get, Set, kNoMod51}};

OptString Inc(const OptionBlock& b) { return b.w51.INCA5; }
OptString Misc(const OptionBlock& b) { return b.w51.WX51MSC; }
OptString Sets(const OptionBlock& b) { return b.w51.WX51SET; }
OptString Resets(const OptionBlock& b) { return b.w51.WX51RST; }

void EmitSetList(Ctx& c) {
  std::string_view leading[2];
  std::size_t n = 0;
  if (c.g_bCmd251) {
    static constexpr const char* kModels[] = {"TINY", "XTINY", "SMALL", "XSMALL", "LARGE"};
    unsigned m = T(c).t251.MODEL25;
    if (m < std::size(kModels)) leading[n++] = kModels[m];
    if (N(c).t251.ROMSZ25 == 4) leading[n++] = "ROMHUGE";
  } else {
    static constexpr const char* kModels[] = {"SMALL", "COMPACT", "LARGE"};
    unsigned m = T(c).t51.MODEL5;
    if (m < std::size(kModels)) leading[n++] = kModels[m];
  }
  AppendSetLevels(c, std::span(leading, n), Sets, Resets);
}

const ControlRow kRows[] = {
    {"MODSRC", [](const Ctx& c) { return c.g_bCmd251 && (T(c).t251.T251FL & 0x4); }},
    {"MOD_CONT", [](const Ctx& c) { return Is51ContiguousMode(T(c)); }},
    {nullptr, nullptr, [](Ctx& c) {
       if (WX(N(c), kMacro) == 1) c.AppendControl("MPL");
       else if (WX(N(c), kStdMacros) == 0) c.AppendControl("NOMACRO");
     }},
    {"INTR2", [](const Ctx& c) { return c.g_bCmd251 && !(T(c).t251.T251FL & 0x8); }},
    {"NOMOD51", [](const Ctx& c) { return (T51(c) & 0x11000) == 0 && WX(N(c), kNoMod51) != 0; }},
    {nullptr, [](const Ctx& c) { return WX(N(c), kStdMacros) == 1 || WX(N(c), kMacro) == 1; },
     [](Ctx& c) {
       static constexpr const char* kModes[] = {nullptr, "GENONLY", "GEN"};
       unsigned mode = T(c).lst.lstByte2;
       if (mode < std::size(kModes) && kModes[mode]) c.AppendControl(kModes[mode]);
     }},
    {"CASE", [](const Ctx& c) {
       if (T51(c) & 0x10000) return WX(N(c), kCase) == 1;
       if (T51(c) & 0x1020000) return WX(N(c), kCase) != 0;
       return false;
     }},
    {nullptr, nullptr, [](Ctx& c) {
       if (T51(c) & 0x1000000) c.AppendControl("MOD_MX51P");
       else if (T51(c) & 0x20000) c.AppendControl("MOD_MX51");
     }},
    {nullptr, nullptr, [](Ctx& c) {
       AppendIncdirLevels(c, Inc);
       AppendMiscLevels(c, Misc);
       EmitSetList(c);
     }},
    {"DEBUG", [](const Ctx& c) { return T(c).out.flags.DEBUG != 0; }},
    {nullptr, nullptr, AppendAssemblerTail},
    {"EP", nullptr},
};

}  // namespace

void MakeW51AssemblerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                             bool withObjectName) {
  BuildNodeLine(ctx, node, target, withObjectName, [](CommandContext& c) {
    ResolveInheritFields(c, kResolved);
    if (c.g_bCmd251) c.g_TargetLevelOptions.t251.MODEL25 = c.g_WorkOptions.t251.MODEL25;
    else c.g_TargetLevelOptions.t51.MODEL5 = c.g_WorkOptions.t51.MODEL5;
    EmitControlRows(c, kRows);
  });
}

}  // namespace pm2
