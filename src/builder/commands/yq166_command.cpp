#include "builder/commands/yq166_command.h"

#include <cctype>
#include <string>

#include "builder/commands/arm_controls.h"
#include "builder/commands/command_context.h"
#include "builder/commands/command_lists.h"
#include "builder/commands/n166_linker.h"
#include "builder/commands/q166_command.h"
#include "platform/ascii_case.h"
#include "project/model/project_records.h"

namespace pm2 {

namespace {

using Ctx = CommandContext;

uint32_t Get(const OptionBlock& b) { return FirstWord(b.yq166.YQ166); }
void Set(OptionBlock& b, uint32_t w) { SetFirstWord(b.yq166.YQ166, w); }
const InheritField kResolved[] = {{Get, Set, 0, 8, 4}, {Get, Set, 8, 2, 2}};

OptString Inc(const OptionBlock& b) { return b.yq166.ECINC; }
OptString Misc(const OptionBlock& b) { return b.yq166.ECMISC; }
OptString Def(const OptionBlock& b) { return b.yq166.ECDEFINE; }
OptString Undef(const OptionBlock& b) { return b.yq166.ECUNDEF; }

// The device folder text without its marker: a leading 0xFF byte, or the
// ".\" of a folder relative to the include folder.
std::string_view DeviceRelative(std::string_view reg) {
  if (!reg.empty() && static_cast<unsigned char>(reg[0]) == 0xFF) return reg.substr(1);
  if (!reg.empty() && reg[0] == '.') return reg.substr(reg.size() >= 2 ? 2 : 1);
  return reg;
}

void EmitToolsetInclude(Ctx& c) {
  const TargetRec* t = c.g_pCmdTarget;
  if (!t) return;
  if (t->USEENV == 1 && !t->ENVINC.empty()) {
    std::string_view reg = t->ENVREG.view();
    if (!reg.empty()) {
      bool relative = static_cast<unsigned char>(reg[0]) == 0xFF || reg[0] == '.';
      if (relative) c.AppendControl("INCDIR(" + t->ENVINC.str() + std::string(DeviceRelative(reg)) + ")");
      else c.AppendControl("INCDIR(" + std::string(reg) + ")");
    }
    c.AppendControl("INCDIR(" + t->ENVINC.str() + ")");
    return;
  }
  std::string_view device = !t->ORGREG.empty() ? t->ORGREG.view() : t->ENVREG.view();
  if (!device.empty() && static_cast<unsigned char>(device[0]) == 0xFF) device.remove_prefix(1);
  c.AppendControl("INCDIR(" + ToolsetIncludeFolder(c.m_szToolsFolder, device) + ")");
}

void Body(Ctx& c) {
  ResolveInheritFields(c, kResolved);
  const OptionBlock& target = c.g_WorkOptions;
  if (target.t166.flags.MODV2) c.AppendControl("MODV2");
  if (target.t166.MODEL != 1)
    if (const char* name = Model166Name(target.t166.MODEL)) c.AppendControl(name);
  EmitToolsetInclude(c);
  if (BitField(Get(c.g_TargetLevelOptions), 8, 2) != 0) c.AppendControl("--unsigned_chars");
  AppendIncdirLevels(c, Inc);
  AppendMiscLevels(c, Misc);
  AppendDefineLevels(c, Def, Undef);
}

}  // namespace

void MakeYQ166CompilerCommand(CommandContext& ctx, NodeRec* node, TargetRec* target,
                              bool withObjectName) {
  if (OptionBlock* own = target ? FindTargetOptions(target->pOpts, target) : nullptr)
    MakeN166LinkerCommand(ctx, *own, 0);
  BuildNodeLine(ctx, node, target, withObjectName, Body);
}

}  // namespace pm2
