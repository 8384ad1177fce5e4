#include "project/edit/startup_copy.h"

#include <cstdio>

#include "platform/ascii_case.h"
#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

// The first word of a setting: a quoted name, or the text up to the first
// blank; leading blanks skipped.
std::string FirstWordOf(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (!text.empty() && text.front() == '"') {
    text.remove_prefix(1);
    return std::string(text.substr(0, text.find('"')));
  }
  return std::string(text.substr(0, text.find_first_of(" \t")));
}

std::string Format1(const char* pattern, const std::string& a) {
  std::string s(pattern);
  const std::size_t at = s.find("%s");
  if (at != std::string::npos) s.replace(at, 2, a);
  return s;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The device's linker script beside the startup file (word, below root),
// for an ARM-GNU target that names none: "<device>.ld" in the startup
// file's folder, in the separators of the setting.
void PlanLinkerScript(const TargetRec& target, const ProjectRec& project, const std::string& word,
                      const std::string& root, StartupCopyPlan* plan) {
  if (target.toolset != kToolsetArmGnu || !target.pOpts || !target.pOpts->lGnu.ALDSCAT.empty()) return;
  const std::string device(TrimBlanks(target.DEVICE.view()));
  if (device.empty() || device.find_first_of("\\/:") != std::string::npos) return;
  const std::size_t cut = word.find_last_of("\\/");
  const std::string script = (cut == std::string::npos ? std::string() : word.substr(0, cut + 1)) + device + ".ld";
  PathResolver resolver;
  std::string local;
  if (!resolver.ResolveStoredPath(root + script, std::string_view(), &local)) return;
  plan->script = root + script;
  plan->scriptLocal = local;
  plan->scriptName = device + ".ld";
  resolver.ResolveStoredPath(plan->scriptName, project.folder.view(), &plan->scriptDestination);
}

// Copies the plan's linker script into the project folder (asking before
// it overwrites a file there; No keeps that file) and names it in the
// target's linker options. False, after a report, when the copy failed.
bool CopyLinkerScript(TargetRec* target, const StartupCopyPlan& plan, StartupCopyUser& user, Disk& d) {
  bool exists = false;
  unsigned mode = 0;
  const bool keep = d.Stat(plan.scriptDestination, &exists, &mode) == 0 && exists &&
                    !user.AskYesNo(Format1(kStartupOverwriteQuestion, plan.scriptDestination));
  if (!keep) {
    std::string data, why;
    bool copied = false;
    if (const int e = d.ReadAll(plan.scriptLocal, &data)) {
      why = FileErrorText("read", plan.scriptLocal, e);
    } else {
      AtomicFileWriter writer(&d);
      copied = writer.Write(plan.scriptDestination, data, &why);
    }
    if (!copied) {
      user.Report(Format1(kLinkerScriptCopyFailed, plan.scriptName) + "\n\n" + why);
      return false;
    }
  }
  OptionBlock& o = *target->pOpts;
  LinkerArmGnuOpts& ld = o.lGnu;
  ld.ALDSCAT = OptString::Pooled(plan.scriptName, kPoolProject);
  ld.ALDFLAG[0] |= kAldNoStartFiles;
  // The code starts where the script puts it, at the device's flash (an
  // empty text address would place it at 0).
  if (ld.ALDTADR.empty() && o.tGnu.OCMAROM.size != 0) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", unsigned(o.tGnu.OCMAROM.start));
    ld.ALDTADR = OptString::Pooled(text, kPoolProject);
  }
  return true;
}

}  // namespace

bool StartupRootFolder(const std::string& lib, std::string* root) {
  // The last "LIB" that is a whole folder name: a separator before it and a
  // separator or the end after it.
  for (std::size_t at = lib.size(); at-- > 0;) {
    if (at + 3 > lib.size() || !EqualIgnoringCase(std::string_view(lib).substr(at, 3), "LIB")) continue;
    if (at == 0 || !IsSeparator(lib[at - 1])) continue;
    if (at + 3 < lib.size() && !IsSeparator(lib[at + 3])) continue;
    *root = lib.substr(0, at);
    return true;
  }
  return false;
}

StartupPlan PlanStartupCopy(const ProjectRec& project, const std::string& libFolder, StartupCopyPlan* plan) {
  *plan = StartupCopyPlan();
  const TargetRec* target = project.curTarget;
  if (!target || !project.firstGroup) return StartupPlan::kNoTarget;
  const std::string word = FirstWordOf(target->STUPF.view());
  if (word.empty()) return StartupPlan::kNoSetting;
  std::string root;
  if (libFolder.empty() || !StartupRootFolder(libFolder, &root)) return StartupPlan::kNoRootFolder;
  plan->source = root + word;
  plan->name = std::string(FileNamePart(word));
  plan->type = GetFileTypeOfName(plan->name.c_str());
  PathResolver resolver;
  resolver.ResolveStoredPath(plan->name, project.folder.view(), &plan->destination);
  if (!resolver.ResolveStoredPath(plan->source, std::string_view(), &plan->sourceLocal))
    return StartupPlan::kSourceMissing;
  if (FindProjectFile(const_cast<ProjectRec*>(&project), plan->name.c_str(), plan->type))
    return StartupPlan::kAlreadyInProject;
  PlanLinkerScript(*target, project, word, root, plan);
  return StartupPlan::kOffer;
}

bool CopyStartupFileToProject(ProjectRec* project, const std::string& libFolder, StartupCopyUser& user, Disk* disk) {
  if (!project) return false;
  StartupCopyPlan plan;
  const StartupPlan decision = PlanStartupCopy(*project, libFolder, &plan);
  if (decision == StartupPlan::kSourceMissing) {
    std::string text = Format1(kStartupFileMissing, plan.source);
    user.Report(Format1(text.c_str(), project->curTarget->DEVICE.str()));
    return false;
  }
  if (decision != StartupPlan::kOffer) return false;
  // The file as it is named on this machine, not in the database's form.
  if (!user.AskYesNo(Format1(kStartupCopyQuestion, plan.sourceLocal))) return false;
  Disk& d = disk ? *disk : RealDisk();
  bool exists = false;
  unsigned mode = 0;
  if (d.Stat(plan.destination, &exists, &mode) == 0 && exists &&
      !user.AskYesNo(Format1(kStartupOverwriteQuestion, plan.destination)))
    return false;
  std::string data, why;
  if (const int e = d.ReadAll(plan.sourceLocal, &data)) {
    user.Report(std::string(kStartupCopyFailed) + "\n\n" + FileErrorText("read", plan.sourceLocal, e));
    return false;
  }
  AtomicFileWriter writer(&d);
  if (!writer.Write(plan.destination, data, &why)) {
    user.Report(std::string(kStartupCopyFailed) + "\n\n" + why);
    return false;
  }
  if (!AddFileToGroup(project->firstGroup, plan.name.c_str(), "./", plan.type)) return false;
  if (!plan.script.empty()) CopyLinkerScript(project->curTarget, plan, user, d);
  return true;
}

std::string KeptLinkerScriptNote(const std::string& oldDevice, const TargetRec& target) {
  if (target.toolset != kToolsetArmGnu || !target.pOpts) return {};
  const std::string script(TrimBlanks(target.pOpts->lGnu.ALDSCAT.view()));
  const std::string device(TrimBlanks(target.DEVICE.view()));
  if (script.empty() || TrimBlanks(oldDevice).empty() || EqualIgnoringCase(device, TrimBlanks(oldDevice))) return {};
  // Each "%s" in turn, the names copied as they stand.
  const std::string names[] = {device, script, std::string(TrimBlanks(oldDevice))};
  std::string note;
  std::string_view pattern = kKeptLinkerScriptNote;
  for (const std::string& name : names) {
    const std::size_t at = pattern.find("%s");
    note.append(pattern.substr(0, at)).append(name);
    pattern.remove_prefix(at + 2);
  }
  return note.append(pattern);
}

}  // namespace pm2
