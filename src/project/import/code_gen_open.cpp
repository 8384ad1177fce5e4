#include "project/import/code_gen_open.h"

#include <cstring>

#include "platform/win_path.h"
#include "project/environment/environment.h"
#include "project/files/project_open.h"
#include "project/model/app_state.h"
#include "project/text/pool.h"

namespace pm2 {

CodeGenImportEnv CodeGenEnvFrom(const AppState& app, const std::string& databasePath,
                                std::function<void(const std::string&)> report) {
  CodeGenImportEnv env;
  env.databasePath = databasePath;
  for (int i = 0; i < kToolsetCount && i < 5; ++i)
    if (const ToolsetInfo* info = app.m_pToolsetInfo[i]) env.toolsFolders[i] = info->toolsFolder;
  env.report = std::move(report);
  return env;
}

std::string ImportCodeGenProjectFiles(const std::string& dptPath, const CodeGenImportEnv& env) {
  ProjectRec* before = theApp().m_pProject;
  ProjectRec* p = ImportCodeGenProject(dptPath, env, nullptr);
  if (!p) return {};
  std::string why;
  const int rc = SaveProjectFiles(p, &why);
  const std::string path = JoinFilePath(p->folder.c_str(), (p->name.str() + ".Pm2").c_str());
  theApp().m_pProject = before;
  // The records were made for this write only; the caller reads the file.
  // The pool also holds a project still open (the caller closes it after a
  // good import): then they stay until that project's pool is freed.
  if (!before) PoolFree(kPoolProject);
  if (rc != 0) {
    if (env.report) env.report(why.empty() ? "Can't write project file '" + path + "' !" : why);
    return {};
  }
  return path;
}

bool CodeGenProjectChanged(const ProjectRec& project, std::string* dptPath) {
  uint64_t stored = 0;
  std::memcpy(&stored, project.codeGenTime, sizeof stored);
  if (stored == 0) return false;
  const std::string stored_path = JoinFilePath(project.folder.c_str(), (project.name.str() + ".dpt").c_str());
  std::string local;
  PathResolver resolver;
  const bool exists = resolver.ResolveStoredPath(stored_path, std::string_view(), &local);
  if (dptPath) *dptPath = exists ? local : stored_path;
  if (!exists) return false;
  const uint64_t now = CodeGenFileTime(local);
  return now != 0 && now != stored;
}

std::string CodeGenChangedQuestion(const std::string& dptPath) {
  return "File '" + dptPath + "' has changed.\nDo you want to migrate the changes ?";
}

}  // namespace pm2
