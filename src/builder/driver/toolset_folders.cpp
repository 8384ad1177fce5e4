#include "builder/driver/toolset_folders.h"

#include <strings.h>
#include <unistd.h>

#include "builder/preprocessor/preprocessor.h"
#include "platform/win_path.h"
#include "project/environment/environment.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"

namespace pm2 {

namespace {

const ToolsetInfo* CurrentToolset(const AppState& app, const TargetRec** target) {
  const ProjectRec* project = app.m_pProject;
  if (!project || !project->curTarget) return nullptr;
  const TargetRec* t = project->curTarget;
  if (t->toolset >= kToolsetCount) return nullptr;
  if (target) *target = t;
  return app.m_pToolsetInfo[t->toolset];
}

// The separator a folder text uses: '/' when it has one and no '\'.
char SeparatorOf(const std::string& folder) {
  return folder.find('\\') == std::string::npos && folder.find('/') != std::string::npos ? '/'
                                                                                          : '\\';
}

bool IsReadable(const std::string& storedPath) {
  std::string local;
  PathResolver resolver;
  if (!resolver.ResolveStoredPath(storedPath, std::string(), &local, nullptr)) return false;
  return access(local.c_str(), R_OK) == 0;
}

}  // namespace

bool GetToolsetLibFolder(const AppState& app, const TargetRec& target, std::string* out) {
  out->clear();
  if (target.USEENV) {
    if (target.ENVLIB.empty()) return false;
    *out = target.ENVLIB.c_str();
    return true;
  }
  if (target.toolset >= kToolsetCount) return false;
  const ToolsetInfo* info = app.m_pToolsetInfo[target.toolset];
  if (!info || info->rootFolder.empty()) return false;
  *out = info->rootFolder + "LIB" + SeparatorOf(info->rootFolder);
  return true;
}

size_t GetToolsetIncludeFolder(const AppState& app, std::string* out) {
  out->clear();
  const TargetRec* target = nullptr;
  const ToolsetInfo* info = CurrentToolset(app, &target);
  if (!info || target->USEENV) return 0;
  const std::string& program = info->ProgramFolder();
  if (program.empty()) return 0;
  *out = StripBinFolder(program) + "INCLUDE" + SeparatorOf(program);
  return out->size();
}

void AddToolsetIncludePath(const TargetRec& target, const ToolsetInfo* info, DepScanRequest& request) {
  if (target.USEENV == 1 || !info) return;
  const std::string& program = info->ProgramFolder();
  if (program.empty()) return;
  AddScanIncludePath(request, JoinFolderName(StripBinFolder(program), "INCLUDE"));
}

size_t FindSystemIncludeFolder(const AppState& app, const std::string& name, std::string* out) {
  out->clear();
  const ToolsetInfo* info = CurrentToolset(app, nullptr);
  if (!info) return 0;
  const std::string& program = info->ProgramFolder();
  if (program.empty()) return 0;
  const std::string root = StripBinFolder(program);
  const char sep = SeparatorOf(program);
  for (const std::string& folder :
       {root + "Include" + sep, root + "Include" + sep + "Sys" + sep}) {
    if (IsReadable(folder + name)) {
      *out = folder;
      return out->size();
    }
  }
  return 0;
}

}  // namespace pm2
