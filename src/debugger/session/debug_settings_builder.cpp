#include "debugger/session/debug_settings_builder.h"

#include <cstdio>
#include <cstring>

#include "platform/win_path.h"
#include "project/environment/environment.h"
#include "project/model/debug_texts.h"
#include "project/model/key_values.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"

namespace pm2 {

namespace {

void Copy(char* to, std::size_t size, std::string_view from) {
  std::size_t n = std::min(from.size(), size - 1);
  if (n) std::memcpy(to, from.data(), n);  // an empty view may have no data at all
  to[n] = '\0';
}
template <std::size_t N>
void Copy(char (&to)[N], std::string_view from) {
  Copy(to, N, from);
}

bool StartsWithDot(std::string_view s) { return s.size() >= 2 && s[0] == '.' && (s[1] == '\\' || s[1] == '/'); }
bool IsRooted(std::string_view s) {
  return s.size() >= 3 && (s[0] == '\\' || s[0] == '/' || s[1] == ':');
}
// A name taken relative to a folder: a leading ".\" dropped.
std::string Below(const std::string& folder, std::string_view name) {
  if (StartsWithDot(name)) name.remove_prefix(2);
  return folder + std::string(name);
}
// The file name of a path up to its first dot.
std::string BaseUpToDot(std::string_view path) {
  std::size_t slash = path.find_last_of("\\/:");
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  return std::string(path.substr(0, path.find('.')));
}

// A path of the project's files in its stored form (".\Obj\", "sub\x.ini",
// any case) as a file of this machine: relative ones below the project
// folder, the existing file's own case when there is one, as the build
// finds it. A path this machine cannot map (a drive letter) stays as it is.
std::string LocalPath(const ProjectRec& project, std::string_view stored) {
  if (stored.empty()) return {};
  std::string folder = ToForwardSlashes(project.folder.str());
  if (folder.empty()) folder = "./";
  static const DriveMap kNoDrives;
  std::string local, why;
  if (!ToLocalPath(stored, folder, kNoDrives, &local, &why)) return std::string(stored);
  PathResolver resolver;
  std::string found;
  return resolver.ResolveStoredPath(local, "", &found) ? found : local;
}

// The target's clock for the toolset: its 32-bit device value.
uint32_t TargetClock(const OptionBlock& o, int toolset) {
  switch (toolset) {
    case 0: return o.t51.clock;
    case 1: return o.t251.clock;
    case 2: return o.t166.clock;
    case 3: return o.tGnu.clock;
    case 4: return o.tAds.clock;
    default: return 0;
  }
}

// The names of one side of the debug options: DLL, parameter, dialog DLL,
// its parameter, initialisation file.
struct Side {
  std::string_view dll, params, dialog, dialogParams, initFile;
};

}  // namespace

const char* FamilySectionName(int toolset) {
  static const char* const kNames[] = {"Q51", "Q251", "Q166", "ARM", "ARM"};
  return toolset >= 0 && toolset < 5 ? kNames[toolset] : "";
}

std::string TargetProgramFile(const ProjectRec& project, const TargetRec& target, int toolset) {
  const OptionBlock* o = target.pOpts;
  if (!o) return {};
  std::string folder = o->out.OUTDIR.str();
  if (!folder.empty() && !IsPathSeparator(folder.back())) folder += '/';
  std::string file = folder + o->out.OUTNAME.str();
  if (toolset == 3) file += ".ELF";
  if (toolset == 4) file += ".AXF";
  return LocalPath(project, file);
}

int BuildDebugSettings(const ProjectRec& project, const TargetRec& target, int toolset,
                       const ToolsetInfo* family, int mode, DebugSettings* s, DeviceWords* words,
                       std::string* err) {
  const OptionBlock* o = target.pOpts;
  if (!family || family->toolsFolder.empty() || !o) {
    char text[128];
    std::snprintf(text, sizeof text, "Bad or missing [%s] section in file 'Tools.Ini'", FamilySectionName(toolset));
    *err = text;
    return 0;
  }
  // Device values: the two strings of the target and its clock; no target
  // of these toolsets keeps a selector byte or a 16-bit device value, so
  // those words stay zero.
  Copy(s->deviceText1, target.DEVICE.view());
  Copy(s->deviceText2, target.VENDOR.view());
  s->device32 = TargetClock(*o, toolset);
  words->selector = s->selector;
  words->device32 = s->device32;
  if (toolset <= 2) words->device16 = s->device16a;

  // The target driver: the option's text, else the environment's entry.
  std::string targetDriver = o->dbg.str11.str();
  const int index = static_cast<int32_t>(o->dbg.word2);
  if (targetDriver.empty() && index >= 0 && index < static_cast<int>(family->targetDrivers.size()))
    targetDriver = family->targetDrivers[std::size_t(index)].path;
  if (!targetDriver.empty() && !IsRooted(targetDriver)) targetDriver = Below(family->toolsFolder, targetDriver);
  Copy(s->targetDriverPath, targetDriver);
  Copy(s->targetDriverBase, BaseUpToDot(targetDriver));
  // Its settings text: the options keep it under the driver's base name.
  Copy(s->targetDriverText, GetKeyValue(o->dbg.OPTKEY, s->targetDriverBase));

  // The side: the use-simulator bit chooses the simulator's names.
  const uint32_t opt = o->dbg.flags;
  const bool simulator = (opt & 1) != 0;
  const OptString* str = o->dbg.str + (simulator ? 0 : kDbgSideTexts);
  Side side{str[kDbgSimDll].view(), str[kDbgSimParams].view(), str[kDbgSimDialog].view(),
            str[kDbgSimDialogParams].view(), str[kDbgSimIni].view()};
  // A flash session loads the flash driver of the flash options when one is
  // named, with the target side's parameters.
  if (mode == kSettingsFlash && !o->flash.FLASH2.empty()) {
    side = Side{o->flash.FLASH2.view(), o->dbg.str[kDbgTargetParams].view(), {}, {}, {}};
  }
  s->flags = simulator ? ((opt >> 2) & 0x7F) << 1 : kDbgSettingsTargetDriver | (((opt >> 9) & 0x7F) << 1);

  const std::string folder = project.folder.str();
  // An initialisation file below the project (".\") is found there, in
  // the case the disk has; any other name is the driver's to find.
  Copy(s->initFile, StartsWithDot(side.initFile) ? LocalPath(project, side.initFile) : std::string(side.initFile));
  Copy(s->functionFile, folder + target.name.str() + ".Fnc");
  Copy(s->programFile, TargetProgramFile(project, target, toolset));

  const std::string dll = BaseUpToDot(side.dll);
  if (dll.empty()) {
    *err = "No CPU DLL specified under 'Options for Target - Debug' !";
    return 0;
  }
  const std::string dialog = BaseUpToDot(side.dialog);
  Copy(s->dllParams, side.params);
  Copy(s->dialogDllParams, side.dialogParams);
  // The names cut at their first dot; the loader finds the library file.
  // A relative name keeps its folder below the tools folder (the
  // environment file names its drivers "../../PM2/GdbDrv.dll").
  auto path = [&](std::string_view name, const std::string& base) {
    const std::size_t slash = name.find_last_of("\\/:");
    const std::string folder(slash == std::string_view::npos ? std::string_view() : name.substr(0, slash + 1));
    return IsRooted(name) ? folder + base : Below(family->toolsFolder, folder) + base;
  };
  Copy(s->dllPath, path(side.dll, dll));
  if (!dialog.empty()) Copy(s->dialogDllPath, path(side.dialog, dialog));
  if (!family->rootFolder.empty()) Copy(s->canDllPath, family->rootFolder + "Can.Dll");
  s->familyRecord = family;
  return 1;
}

}  // namespace pm2
