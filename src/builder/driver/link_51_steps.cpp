#include "builder/driver/link_51_steps.h"

#include <cstdio>

#include "builder/commands/command_context.h"
#include "builder/commands/n166_linker.h"
#include "builder/commands/n51_linker.h"
#include "builder/driver/build_state.h"
#include "builder/driver/link_output_check.h"
#include "builder/driver/link_steps.h"
#include "platform/atomic_file.h"
#include "project/files/entry_stream.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

constexpr uint32_t kT51Banking = 0x2000;
constexpr uint32_t kT251Banking = 0x80;
constexpr uint32_t kNx51ExternalFile = 0x1;

// "COMMON {" for bank 0, "BANK%d {" with the bank less one otherwise.
std::string BankOpen(uint16_t bank) {
  if (bank == 0 || bank == 0xFFFF) return "COMMON {";
  char text[32];
  std::snprintf(text, sizeof text, "BANK%d {", bank - 1);
  return text;
}

// True when the library's time differs from the one its record keeps; the
// record then keeps the new time.
bool LibraryChanged(const LinkStepEnv& env, const BuildItem& item) {
  if (!item.file) return true;
  uint32_t now = 0;
  if (!DiskFileTime(LocalPath(env, WithoutQuotes(item.request.objectFile)), &now)) now = 0;
  if (item.file->time != 0 && item.file->time == now) return false;
  item.file->time = now;
  return true;
}

// What differs between the three steps.
struct FamilyFrame {
  LinkFamily family;
  LinkInputStyle style;
  bool external = false;     // the external linker command file is used
  std::string externalPath;  // as stored
  void (*controls)(CommandContext&, OptionBlock&) = nullptr;
};

void Nx51Controls(CommandContext& c, OptionBlock& block) { MakeNX51LinkerCommand(c, block, 2); }
void Nb51Controls(CommandContext& c, OptionBlock& block) { MakeNB51LinkerCommand(c, block, 2); }
void N166Controls(CommandContext& c, OptionBlock& block) { MakeN166LinkerCommand(c, block, 2); }

uint8_t LinkFrame(LinkStepEnv& env, TargetRec* target, FamilyFrame frame) {
  BuildState& s = *env.state;
  CommandContext& c = *env.cmd;
  bool libraryChanged = false;
  const std::string inputs = LinkInputText(env, s, frame.style, &libraryChanged);
  const std::string output = OutputBase(c.g_WorkOptions);

  std::string text;
  if (frame.external) {
    text = inputs + "TO \"" + output + "\"\r\n";
    std::string extra;
    if (!ReadWholeFile(LocalPath(env, frame.externalPath), extra, nullptr)) {
      PrintStepText(env, "can't open external linker command file '" + frame.externalPath + "'\n");
      s.SetFlags(kBuildFailed);
      return 1;
    }
    text += extra;
  } else {
    c.ResetBuffer();
    c.AppendControl(inputs, false);
    if (c.Text() != inputs) {
      // The 64 KB buffer cannot take the list: never link a cut-off list.
      PrintStepText(env, "error - the input list of '" + output + "' is too long for the linker\n");
      s.SetFlags(kBuildFailed);
      return 1;
    }
    OptionBlock block = c.g_WorkOptions;
    frame.controls(c, block);
    text = c.Text();
  }

  s.request = ToolRunRequest{};
  s.request.toolCode = static_cast<uint16_t>(
      LinkToolCode(frame.family, target ? target->toolset : uint16_t{kToolsetUndefined},
                   c.g_WorkOptions.t51.T51FL));
  s.request.toolFolder = StepToolFolder(env, false);
  s.request.environment = env.overlay;
  s.request.objectFile = output;
  std::string commandFile = output;
  ChangeFileExt(commandFile, "lnp");
  s.request.commandFile = LocalPath(env, commandFile);
  if (!libraryChanged && !CheckLinkOutput(env, output, text).translate) {
    RecordBuildItem(s, target, nullptr, nullptr);
    return 0;
  }
  if (!WriteStepCommandFile(env, s.request.commandFile, text)) return 1;
  RunCountedStep(env);
  if (s.request.exitCode > 1) s.SetFlags(kBuildFailed);
  RecordBuildItem(s, target, nullptr, nullptr);
  return 1;
}

// Step 1 of every frame: the target's own block at the target level, and
// the family the 51 control-file builders hand over on.
void LoadTarget(CommandContext& c, TargetRec* target) {
  const OptionBlock* own = target ? FindTargetOptions(target->pOpts, target) : nullptr;
  c.LoadWorkOptions(own ? *own : OptionBlock{});
  c.g_bCmd251 = target && target->toolset == kToolset251 ? 1 : 0;
  c.ResetBuffer();
}

}  // namespace

std::string LinkInputText(const LinkStepEnv& env, BuildState& state, const LinkInputStyle& style,
                          bool* libraryChanged) {
  std::string text;
  const std::vector<BuildItem*> inputs = state.LinkInputs();
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const BuildItem& item = *inputs[i];
    const uint32_t flags = item.request.flags & 0xFFFF;
    const bool publics = style.publicsOnly && (flags & kItemPublicsOnly);
    const bool wrap = style.banking && !(publics && style.noBankForPublics);
    const std::string& name = item.request.objectFile;
    if (publics) text += "PUBLICSONLY (";
    if (flags & kItemLibrary) {
      if (wrap) text += BankOpen(item.bank);
      text += name;
      if (!item.request.commandFile.empty()) text += "(" + item.request.commandFile + ")";
      if (wrap) text += "}";
      if (LibraryChanged(env, item) && libraryChanged) *libraryChanged = true;
    } else {
      text += wrap ? BankOpen(item.bank) + name + "}" : name;
    }
    if (publics) text += ")";
    text += i + 1 < inputs.size() ? "," : " ";
    text += "\r\n";
  }
  return text;
}

int LinkToolCode(LinkFamily family, uint16_t toolset, uint32_t t51) {
  switch (family) {
    case LinkFamily::k51:
      return (t51 & kT51Mx17) ? 24 : 6;  // NX51, NB51
    case LinkFamily::k251:
      if (t51 & kT51Np51) return 28;         // NP51
      if (toolset == kToolset251) return 5;  // N251
      return (t51 & kT51Mx15) ? 24 : 5;
    case LinkFamily::k166:
      return 7;  // N166
  }
  return 0;
}

uint8_t Link51Target(LinkStepEnv& env, TargetRec* target) {
  CommandContext& c = *env.cmd;
  LoadTarget(c, target);
  const OptionBlock& w = c.g_WorkOptions;
  const uint32_t t51 = w.t51.T51FL;
  FamilyFrame frame{LinkFamily::k51, {}, false, {}, nullptr};
  frame.style.banking = (t51 & kT51Banking) != 0;
  frame.style.publicsOnly = env.state->extended51Mode != 0;
  frame.external = (w.n51.NX51FL & kNx51ExternalFile) != 0;
  frame.externalPath = w.n51.NX51LFI.str();
  frame.controls = (t51 & kT51Mx17) ? Nx51Controls : Nb51Controls;
  return LinkFrame(env, target, frame);
}

uint8_t Link251Target(LinkStepEnv& env, TargetRec* target) {
  CommandContext& c = *env.cmd;
  LoadTarget(c, target);
  const OptionBlock& w = c.g_WorkOptions;
  const uint16_t toolset = target ? target->toolset : uint16_t{kToolsetUndefined};
  FamilyFrame frame{LinkFamily::k251, {}, false, {}, Nx51Controls};
  if (toolset == kToolset51) frame.style.banking = (w.t51.T51FL & kT51Banking) != 0;
  if (toolset == kToolset251) frame.style.banking = (w.t251.T251FL & kT251Banking) != 0;
  frame.style.publicsOnly = true;
  frame.style.noBankForPublics = true;
  frame.external = (w.n51.NX51FL & kNx51ExternalFile) != 0;
  frame.externalPath = w.n51.NX51LFI.str();
  return LinkFrame(env, target, frame);
}

uint8_t Link166Target(LinkStepEnv& env, TargetRec* target) {
  CommandContext& c = *env.cmd;
  LoadTarget(c, target);
  const OptionBlock& w = c.g_WorkOptions;
  FamilyFrame frame{LinkFamily::k166, {}, false, {}, N166Controls};
  frame.style.publicsOnly = true;
  frame.external = w.n166.flags.USELINKFILE != 0;
  frame.externalPath = w.n166.LNKFILE.str();
  return LinkFrame(env, target, frame);
}

}  // namespace pm2
