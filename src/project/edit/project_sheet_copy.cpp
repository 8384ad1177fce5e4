#include "project/edit/project_sheet_copy.h"

#include "project/text/pool.h"

namespace pm2 {

namespace {

constexpr const char* kSheetDefaults[kSheetFilterCount] = {"*.c",   "*.asm", "*.obj",
                                                           "*.txt", "*.cpp", "*.lib"};
constexpr int kSheetToProject[kSheetFilterCount] = {kFilterC,    kFilterAsm, kFilterObject,
                                                    kFilterText, kFilterCpp, kFilterLibrary};

}  // namespace

void ProjectSheetCopy::RelinkTargets() {
  for (std::size_t i = 0; i < targets.size(); ++i)
    targets[i]->next = i + 1 < targets.size() ? targets[i + 1] : nullptr;
  if (!project) return;
  project->firstTarget = FirstTarget();
  project->lastTarget = targets.empty() ? nullptr : targets.back();
}

void ProjectSheetCopy::RelinkGroups() {
  for (std::size_t i = 0; i < groups.size(); ++i)
    groups[i]->next = i + 1 < groups.size() ? groups[i + 1] : nullptr;
  if (!project) return;
  project->firstGroup = FirstGroup();
  project->lastGroup = groups.empty() ? nullptr : groups.back();
}

void OpenProjectSheetCopy(ProjectSheetCopy& c, const ProjectRec* open,
                          const std::string& toolsIniPath, const EnvironmentInfo* startup) {
  c = ProjectSheetCopy();
  c.project = CopyProjectTree(open, kPoolProject);
  if (c.project) {
    for (TargetRec* t = c.project->firstTarget; t; t = t->next) c.targets.push_back(t);
    for (GroupRec* g = c.project->firstGroup; g; g = g->next) c.groups.push_back(g);
    c.current = c.project->curTarget;
  }
  for (int i = 0; i < kSheetFilterCount; ++i) {
    const OptString* f = c.project ? &c.project->filters[kSheetToProject[i]] : nullptr;
    c.filters[i] = (f && !f->empty()) ? f->str() : kSheetDefaults[i];
  }
  c.envRead = c.env.Load(toolsIniPath, nullptr);
  if (startup) {
    for (int id = 0; id < kToolsetCount; ++id) {
      const ToolsetInfo* info = startup->Toolset(id);
      if (!info) continue;
      c.folders[id] = {true, info->rootFolder, info->toolsFolder, info->makerFolder,
                       info->armToolFolder};
    }
  }
}

SheetApplyResult ApplyProjectSheetCopy(ProjectSheetCopy& c, ProjectRec* open,
                                       EnvironmentInfo* startup, const std::string& toolsIniPath,
                                       Disk* disk) {
  SheetApplyResult r;
  if (open && c.project && !c.targets.empty() && !c.groups.empty()) {
    c.RelinkTargets();
    c.RelinkGroups();
    open->firstTarget = c.project->firstTarget;
    open->lastTarget = c.project->lastTarget;
    open->firstGroup = c.project->firstGroup;
    open->lastGroup = c.project->lastGroup;
    open->curTarget = c.current ? c.current : c.FirstTarget();
    r.newCurrent = open->curTarget;
    for (int i = 0; i < kSheetFilterCount; ++i) {
      OptString& f = open->filters[kSheetToProject[i]];
      if (f.view() != c.filters[i]) f = PoolStrDupOrEmpty(c.filters[i].c_str(), kPoolProject);
    }
  }
  // The toolset records change only now, so a cancelled sheet leaves them.
  if (startup) {
    for (int id = 0; id < kToolsetCount; ++id) {
      ToolsetInfo* info = startup->Toolset(id);
      if (!info || !c.folders[id].present) continue;
      info->rootFolder = c.folders[id].rootFolder;
      info->makerFolder = c.folders[id].makerFolder;
      info->armToolFolder = c.folders[id].armToolFolder;
    }
  }
  if (c.env.Changed()) {
    r.envChanged = true;
    if (c.env.Write(toolsIniPath, &r.envMessage, disk) != kEnvWriteOk) r.envWriteFailed = true;
  }
  return r;
}

}  // namespace pm2
