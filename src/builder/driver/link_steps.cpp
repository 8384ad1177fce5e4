#include "builder/driver/link_steps.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

#include "builder/commands/arm_ads_command.h"
#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"
#include "builder/commands/gnu_command_file.h"
#include "builder/driver/build_state.h"
#include "builder/runner/batch_file.h"
#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

constexpr int kToolGnuLink = 33;
constexpr int kToolGnuHex = 34;
constexpr int kToolAdsLink = 38;
constexpr int kToolAdsHex = 39;
constexpr int kToolObjectConverter = 22;  // VR51
constexpr int kToolHz51 = 18;
constexpr std::size_t kMaxOldCommandFile = 32767;

void Trace(const LinkStepEnv& env, const std::string& text) {
  if (env.trace) env.trace->Text(text);
}

// The path in double quotes (built in place: GCC 12 warns falsely about
// the chain of '+' it would be).
std::string Quoted(const std::string& path) {
  std::string text;
  text.reserve(path.size() + 2);
  text += '"';
  text += path;
  text += '"';
  return text;
}

// Modification time in nanoseconds; nullopt when the file is missing.
std::optional<int64_t> FileTime(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
}

std::vector<std::string> LinkObjects(BuildState& state) {
  std::vector<std::string> objects;
  for (BuildItem* item : state.LinkInputs()) objects.push_back(item->request.objectFile);
  return objects;
}

}  // namespace

void PrintStepText(const LinkStepEnv& env, const std::string& text) {
  (env.shell ? *env.shell : theApp().Shell()).PostOutputText(text);
}

std::string StepToolFolder(LinkStepEnv& env, bool ads) {
  EnvOverlay scratch;
  EnvOverlay& overlay = env.overlay ? *env.overlay : scratch;
  return ads ? SetArmToolEnvironment(env.envInput, 0, overlay, env.batch)
             : SetToolEnvironment(env.envInput, 0, overlay, env.batch);
}

// Writes a command input file; prints the failure and sets bits 0 and 1.
bool WriteStepCommandFile(LinkStepEnv& env, const std::string& path, std::string_view text) {
  std::string err;
  AtomicFileWriter writer(env.disk);
  if (env.onTempFile) writer.SetTempNameObserver(env.onTempFile);
  if (writer.Write(path, text, &err)) return true;
  PrintStepText(env, "error - can't create command input file '" + path + "'\n");
  env.state->SetFlags(kBuildFailed);
  return false;
}

// Runs the current request and adds its counts; errors set bit 0.
void RunCountedStep(LinkStepEnv& env) {
  BuildState& s = *env.state;
  if (env.run) env.run(s.request);
  s.AddCounts();
  if (s.request.errors) s.SetFlags(kBuildError);
}

std::string OutputBase(const OptionBlock& options) {
  std::string_view folder = options.out.OUTDIR.view();
  return (IsProjectFolder(folder) ? std::string() : std::string(folder)) + options.out.OUTNAME.str();
}

std::string LocalPath(const LinkStepEnv& env, std::string_view stored) {
  std::string out, err;
  static const DriveMap kNoDrives;
  if (!env.projectFolder.empty() && ToLocalPath(stored, env.projectFolder, kNoDrives, &out, &err)) return out;
  return std::string(stored);
}

std::string LibraryCommandText(const BuildState& state, const std::string& libraryPath) {
  std::string text = "TRANSFER\r\n";
  for (std::size_t i = 0; i < state.items.size(); ++i) {
    text += state.items[i].request.objectFile;
    text += i + 1 < state.items.size() ? ',' : ' ';
    text += "\r\n";
  }
  return text + "TO \"" + libraryPath + "\"\n";
}

uint8_t CreateTargetLibrary(LinkStepEnv& env, const OptionBlock& options, TargetRec* target) {
  BuildState& s = *env.state;
  const std::string library = OutputBase(options) + ".LIB";
  const std::string text = LibraryCommandText(s, library);
  const uint32_t t51 = options.t51.T51FL;
  struct Row {
    int toolset;
    int code;
  };
  static const Row kLibrarians[] = {{kToolset51, 16}, {kToolset251, 17}, {kToolset166, 14}};
  int code = 0;
  for (const Row& r : kLibrarians)
    if (target && r.toolset == target->toolset) code = r.code;
  if (code == 16 && (t51 & (0x8000 | 0x20000))) code = 26;  // ARXX51

  s.request = ToolRunRequest{};
  s.request.toolCode = static_cast<uint16_t>(code);
  s.request.toolFolder = StepToolFolder(env, false);
  s.request.environment = env.overlay;
  s.request.file = library;
  s.request.objectFile = library;
  std::string commandFile = library;
  ChangeFileExt(commandFile, "__b");
  s.request.commandFile = LocalPath(env, commandFile);
  if (!WriteStepCommandFile(env, s.request.commandFile, text)) return 0;
  RunCountedStep(env);
  RecordBuildItem(s, target, nullptr, nullptr);
  return 1;
}

int IsGnuLinkUpToDate(const LinkStepEnv& env, const std::string& output,
                      const std::string& commandFile, std::string_view newText,
                      const std::string& extraFile, std::string* reason) {
  auto link = [&](std::string why) {
    if (reason) *reason = std::move(why);
    return 1;
  };
  auto timeOf = [&](std::string_view stored, std::string* local) -> std::optional<int64_t> {
    if (env.storedFileTime) return env.storedFileTime(stored, local);
    *local = LocalPath(env, stored);
    return FileTime(*local);
  };
  std::string out, cmd, extra, obj;
  auto outTime = timeOf(output, &out);
  if (!outTime) return link("'" + out + "' does not exist");
  auto cmdTime = timeOf(commandFile, &cmd);
  if (!cmdTime) return link("'" + cmd + "' does not exist");
  if (!extraFile.empty()) {
    auto t = timeOf(extraFile, &extra);
    if (!t || *t > *outTime) return link("'" + extraFile + "' is missing or newer than '" + out + "'");
  }
  for (BuildItem* item : env.state->LinkInputs()) {
    std::string_view stored = item->request.objectFile;  // in double quotes
    if (!stored.empty() && stored.front() == '"') stored.remove_prefix(1);
    if (!stored.empty() && stored.back() == '"') stored.remove_suffix(1);
    auto t = timeOf(stored, &obj);
    if (!t || *t > *outTime) return link("'" + obj + "' is missing or newer than '" + out + "'");
  }
  std::string old;
  std::error_code ec;
  if (std::filesystem::file_size(cmd, ec) > kMaxOldCommandFile || ec)
    return link("'" + cmd + "' is too large");
  if (!ReadWholeFile(cmd, old, nullptr)) return link("'" + cmd + "' cannot be read");
  if (old != newText) return link("the command line differs from '" + cmd + "'");
  if (reason) reason->clear();
  return 0;
}

uint8_t LinkGnuTarget(LinkStepEnv& env, TargetRec* target) {
  BuildState& s = *env.state;
  CommandContext& c = *env.cmd;
  const OptionBlock* own = target ? FindTargetOptions(target->pOpts, target) : nullptr;
  c.LoadWorkOptions(own ? *own : OptionBlock{});
  c.ResetBuffer();
  MakeGnuLdCommand(c, c.g_WorkOptions, 2, LinkObjects(s));
  const std::string output = OutputBase(c.g_WorkOptions) + ".elf";
  s.request = ToolRunRequest{};
  s.request.toolCode = kToolGnuLink;
  s.request.toolFolder = StepToolFolder(env, false);
  s.request.environment = env.overlay;
  s.request.objectFile = output;
  std::string commandFile = output;
  ChangeFileExt(commandFile, "lnp");
  s.request.commandFile = LocalPath(env, commandFile);
  // The GNU linker reads its command file with GNU escapes.
  const std::string text = GnuCommandFileText(std::string(c.Text()));
  if (IsGnuLinkUpToDate(env, output, commandFile, text, std::string()) == 0) {
    RecordBuildItem(s, target, nullptr, nullptr);
    return 0;
  }
  if (!WriteStepCommandFile(env, s.request.commandFile, text)) return 1;
  RunCountedStep(env);
  if (s.request.exitCode > 0) s.SetFlags(kBuildFailed);
  RecordBuildItem(s, target, nullptr, nullptr);
  return 1;
}

void MakeGnuHexFile(LinkStepEnv& env, TargetRec* target, const OptionBlock& options, bool linked) {
  BuildState& s = *env.state;
  if (s.Flags() != 0 || !options.out.flags.GENHEX || !s.HeadIsLinkItem()) return;
  const std::string elf = s.items.front().request.objectFile;
  std::string base = WithoutQuotes(elf);
  ChangeFileExt(base, "");
  // An up-to-date image keeps its hex file; a deleted one is made again, as
  // the hex steps of the other families do.
  if (!linked && FileTime(LocalPath(env, base + ".hex"))) return;
  s.request = ToolRunRequest{};
  s.request.toolCode = kToolGnuHex;
  s.request.toolFolder = StepToolFolder(env, false);
  s.request.environment = env.overlay;
  s.request.file = elf;
  // objcopy takes its files as arguments: hand it this machine's paths.
  auto quoted = [&](const std::string& stored) { return Quoted(LocalPath(env, stored)); };
  s.request.controlString = "-O ihex " + quoted(base + ".elf") + " " + quoted(base + ".hex") + "\r\n";
  s.request.objectFile = base;
  s.request.flags = kToolFlagHexOutput;
  (void)target;
  RunCountedStep(env);
}

void MakeAdsHexFile(LinkStepEnv& env, const OptionBlock& options, bool linked) {
  BuildState& s = *env.state;
  if (s.Flags() != 0 || s.errors != 0 || !options.out.flags.GENHEX || !s.HeadIsLinkItem()) return;
  std::string base = WithoutQuotes(s.items.front().request.objectFile);
  ChangeFileExt(base, "");
  if (!linked && FileTime(LocalPath(env, base + ".hex"))) return;
  s.request = ToolRunRequest{};
  s.request.toolCode = kToolAdsHex;
  s.request.toolFolder = StepToolFolder(env, true);
  s.request.environment = env.overlay;
  auto quoted = [&](const std::string& stored) { return Quoted(LocalPath(env, stored)); };
  s.request.controlString = "--i32 --output " + quoted(base + ".hex") + " " + quoted(base + ".axf");
  s.request.objectFile = base;
  s.request.flags = kToolFlagHexOutput;
  RunCountedStep(env);
}

uint8_t LinkAdsTarget(LinkStepEnv& env, TargetRec* target) {
  BuildState& s = *env.state;
  CommandContext& c = *env.cmd;
  Trace(env, "### Preparing for ADS-LD.\n");
  const OptionBlock* own = target ? FindTargetOptions(target->pOpts, target) : nullptr;
  c.LoadWorkOptions(own ? *own : OptionBlock{});
  c.ResetBuffer();
  MakeAdsLinkCommand(c, c.g_WorkOptions, 2, LinkObjects(s), env.trace);
  const std::string output = OutputBase(c.g_WorkOptions) + ".axf";
  s.request = ToolRunRequest{};
  s.request.toolCode = kToolAdsLink;
  Trace(env, "### Preparing Environment (PrepEnvAds)\n");
  s.request.toolFolder = StepToolFolder(env, true);
  s.request.environment = env.overlay;
  Trace(env, "### ADS-LD Output File: '" + output + "'\n");
  s.request.objectFile = output;
  std::string commandFile = output;
  ChangeFileExt(commandFile, "lnp");
  Trace(env, "### ADS-LD Command File: '" + commandFile + "'\n");
  Trace(env, "### Checking for dirty Components...\n");
  const std::string text(c.Text());
  if (IsGnuLinkUpToDate(env, output, commandFile, text, c.g_WorkOptions.lAds.ADSLDSC.str()) == 0) {
    Trace(env, "### No dirty Components\n");
    RecordBuildItem(s, target, nullptr, nullptr);
    Trace(env, "### ADS-LD done.\n");
    return 0;
  }
  s.request.commandFile = LocalPath(env, commandFile);
  // No ", Handle=..." part: the file is written whole by the atomic writer,
  // so no open handle exists to name here.
  Trace(env, "### Creating CmdFile '" + s.request.commandFile + "'\n");
  Trace(env, "### Writing '.lnp' file\n");
  if (!WriteStepCommandFile(env, s.request.commandFile, text)) {
    Trace(env, "### Could not create/write to '" + s.request.commandFile + "'\n");
    return 1;
  }
  Trace(env, "### ADS-LD Command file '" + s.request.commandFile + "' is ready.\n");
  Trace(env, "### ADS-LD: About to start ADS-LD Thread.\n");
  RunCountedStep(env);
  Trace(env, "### ADS-LD: executed with " + std::to_string(s.request.errors) + " errors\n");
  if (s.request.exitCode > 1) s.SetFlags(kBuildFailed);
  Trace(env, "### Updating obj list\n");
  RecordBuildItem(s, target, nullptr, nullptr);
  Trace(env, "### LDADS_file() completed.\n");
  return 1;
}

// ---------------------------------------------------------------- hex steps

int HexToolCode(HexStep step) {
  static const int kCodes[] = {18, 19, 27, 20};  // HZ51, HZ251, HZX51, HZ166
  return kCodes[static_cast<int>(step)];
}

std::string HexControlString(HexStep step, const HexOptions& o, bool* offsetDropped) {
  char piece[64];
  std::string s;
  const bool range = o.rangeStart != 0 || o.rangeEnd != 0;
  auto appendRange = [&] {
    if (!range) return;
    std::snprintf(piece, sizeof piece, " RANGE (0x%X-0x%X)", o.rangeStart, o.rangeEnd);
    s += piece;
  };
  auto appendOffset = [&](bool signedForm) {
    if (o.offset == 0 || range) return;
    uint32_t magnitude = static_cast<uint32_t>(o.offset);
    const char* sign = "+";
    if (signedForm && o.offset < 0) {
      sign = "-";
      magnitude = 0u - magnitude;
    }
    std::snprintf(piece, sizeof piece, " OFFSET (%s0x%X)", sign, magnitude);
    s += piece;
  };
  if (offsetDropped) *offsetDropped = step != HexStep::k51 && range && o.offset != 0;
  switch (step) {
    case HexStep::k51:
      break;
    case HexStep::k251:
      if (o.hexSel == 1) s += "H386";
      appendRange();
      appendOffset(false);
      break;
    case HexStep::k51Extended:
      if (o.mergeBanks) s += "MERGE32K H386";
      else s += o.hexSel != 0 ? "H386" : "HEX";
      appendRange();
      appendOffset(false);
      break;
    case HexStep::k166:
      if (o.hexSel == 1) s += " H167";
      if (o.recordLength != 16) {
        std::snprintf(piece, sizeof piece, " RECLEN (%u)", o.recordLength);
        s += piece;
      }
      appendRange();
      appendOffset(true);
      if (o.flashFill < 0xFFFF) {
        std::snprintf(piece, sizeof piece, " FLASH (0x%02X)", o.flashFill & 0xFF);
        s += piece;
      }
      break;
  }
  return s;
}

void MakeHexFile(LinkStepEnv& env, HexStep step, const OptionBlock& options, const HexOptions& hex,
                 bool linked) {
  BuildState& s = *env.state;
  if (s.Flags() != 0 || !options.out.flags.GENHEX || !s.HeadIsLinkItem()) return;
  const std::string hexFile = OutputBase(options) + (step == HexStep::k166 ? ".H86" : ".Hex");
  if (!linked && FileTime(LocalPath(env, hexFile))) return;
  bool offsetDropped = false;
  const std::string control = HexControlString(step, hex, &offsetDropped);
  if (offsetDropped) {
    PrintStepText(env, "OH-Warning: 'RANGE' was given, 'OFFSET' ignored\n");
    ++s.warnings;
  }
  const std::string object = s.items.front().request.objectFile;
  s.request = ToolRunRequest{};
  s.request.toolCode = static_cast<uint16_t>(HexToolCode(step));
  s.request.toolFolder = StepToolFolder(env, false);
  s.request.environment = env.overlay;
  s.request.file = object;
  s.request.objectFile = object;
  s.request.controlString = control;
  RunCountedStep(env);
}

void MakeBankedHexFiles(LinkStepEnv& env, const OptionBlock& options, bool symbolsOnly) {
  BuildState& s = *env.state;
  if (s.Flags() != 0 || !options.out.flags.GENHEX || !s.HeadIsLinkItem()) return;
  const std::string object = s.items.front().request.objectFile;
  const std::string folder = IsProjectFolder(options.out.OUTDIR.view()) ? std::string() : options.out.OUTDIR.str();
  std::string name = options.out.OUTNAME.str();
  ChangeFileExt(name, "");
  const std::string toolFolder = StepToolFolder(env, false);

  s.request = ToolRunRequest{};
  s.request.toolCode = kToolObjectConverter;
  s.request.toolFolder = toolFolder;
  s.request.environment = env.overlay;
  s.request.file = object;
  s.request.objectFile = object;
  s.request.controlString = symbolsOnly ? "SB" : "";
  if (env.run) env.run(s.request);
  if (s.request.exitCode > 2) ++s.request.errors;
  s.AddCounts();
  if (s.request.errors) {
    s.SetFlags(kBuildError);
    return;
  }
  char suffix[16];
  for (int bank = 0; bank < 32; ++bank) {
    std::snprintf(suffix, sizeof suffix, ".B%02d", bank);
    const std::string bankFile = folder + name + suffix;
    if (!FileTime(LocalPath(env, bankFile))) continue;
    std::snprintf(suffix, sizeof suffix, ".H%02d)", bank);
    s.request = ToolRunRequest{};
    s.request.toolCode = kToolHz51;
    s.request.toolFolder = toolFolder;
    s.request.environment = env.overlay;
    s.request.file = "\"" + bankFile + "\"";
    s.request.objectFile = s.request.file;
    s.request.controlString = "HEXFILE(" + folder + name + suffix;
    RunCountedStep(env);
  }
}

}  // namespace pm2
