#include "builder/commands/w166_command.h"

#include <string_view>

#include "builder/commands/command_context.h"
#include "builder/commands/command_listing.h"
#include "builder/commands/command_lists.h"
#include "builder/commands/q166_command.h"

namespace pm2 {

namespace {

using Ctx = CommandContext;
const OptionBlock& T(const Ctx& c) { return c.g_WorkOptions; }
const OptionBlock& N(const Ctx& c) { return c.g_TargetLevelOptions; }

uint32_t Flags(const OptionBlock& b) { return FlagWord(b.w166.flags); }
void SetFlags(OptionBlock& b, uint32_t w) { SetFlagWord(b.w166.flags, w); }

const InheritField kResolved[] = {{Flags, SetFlags, 0}, {Flags, SetFlags, 2}};

OptString Inc(const OptionBlock& b) { return b.w166.INCA6; }
OptString Misc(const OptionBlock& b) { return b.w166.AMISC; }
OptString Set(const OptionBlock& b) { return b.w166.ASET; }
OptString Reset(const OptionBlock& b) { return b.w166.ARESET; }

void EmitMacro(Ctx& c) {
  if (N(c).w166.flags.MPL == 0) {
    c.AppendControl("NOMACRO");
    return;
  }
  static constexpr const char* kModes[] = {nullptr, "GENONLY", "GEN"};
  unsigned mode = T(c).lst.lstByte2;
  if (mode < std::size(kModes) && kModes[mode]) c.AppendControl(kModes[mode]);
}

void EmitSet(Ctx& c) {
  const char* model = Model166Name(T(c).t166.MODEL);
  std::string_view leading[1] = {model ? model : ""};
  AppendSetLevels(c, std::span(leading, model ? 1 : 0), Set, Reset);
}

const ControlRow kW166Rows[] = {
    {"MODV2", [](const Ctx& c) { return T(c).t166.flags.MODV2 != 0; }},
    {"CASE", [](const Ctx& c) { return N(c).w166.flags.CASE != 0; }},
    {"SEGMENTED", [](const Ctx& c) { return T(c).t166.MODEL != 0; }},
    {nullptr, nullptr, EmitMacro},
    {nullptr, nullptr, [](Ctx& c) { AppendIncdirLevels(c, Inc); AppendMiscLevels(c, Misc); }},
    {nullptr, nullptr, EmitSet},
    {"DEBUG", [](const Ctx& c) { return T(c).out.flags.DEBUG != 0; }},
    {nullptr, nullptr, AppendAssemblerTail},
    {"EP", nullptr},
};

}  // namespace

void MakeW166AssemblerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                              bool withObjectName) {
  BuildNodeLine(ctx, node, target, withObjectName, [](CommandContext& c) {
    ResolveInheritFields(c, kResolved);
    c.g_TargetLevelOptions.t166.MODEL = c.g_WorkOptions.t166.MODEL;
    EmitControlRows(c, kW166Rows);
  });
}

}  // namespace pm2
