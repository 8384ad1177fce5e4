// The working copy that the "Components, Environment and Books" sheet edits:
// a deep copy of the open project (pool 1), the six file-type filter texts,
// an in-memory copy of the environment file, and the tool-folder values the
// folders page changes. Nothing reaches the open project, the toolset
// records or "TOOLS.INI" before Apply, so Cancel only drops the copy.
//
// Invariants: targets and groups hold the copy's records in list order and
// are what the chains are rebuilt from; current is null or one of targets.
#pragma once

#include <string>
#include <vector>

#include "project/environment/environment.h"
#include "project/environment/environment_file.h"
#include "project/model/project_records.h"

namespace pm2 {

// Indices of ProjectSheetCopy::filters (the sheet's own order).
enum SheetFilter : int {
  kSheetFilterC = 0, kSheetFilterAsm, kSheetFilterObject, kSheetFilterText, kSheetFilterCpp,
  kSheetFilterLibrary, kSheetFilterCount
};

// Folders of one toolset record as the folders page edits them.
struct ToolsetFolders {
  bool present = false;        // the environment has the toolset's section
  std::string rootFolder;
  std::string toolsFolder;     // shown while the target has no folders of its own
  std::string makerFolder;     // ARM toolsets
  std::string armToolFolder;   // ARM toolsets
};

struct ProjectSheetCopy {
  ProjectRec* project = nullptr;  // the copy; null without an open project
  std::vector<TargetRec*> targets;
  std::vector<GroupRec*> groups;
  TargetRec* current = nullptr;
  std::string filters[kSheetFilterCount];
  EnvFile env;
  bool envRead = false;
  ToolsetFolders folders[kToolsetCount];

  TargetRec* FirstTarget() const { return targets.empty() ? nullptr : targets.front(); }
  GroupRec* FirstGroup() const { return groups.empty() ? nullptr : groups.front(); }
  // Links the records' next pointers in vector order and sets the copy's
  // first and last records.
  void RelinkTargets();
  void RelinkGroups();
};

// Makes the copy of `open` (may be null) and reads the environment copy
// from toolsIniPath (its defaults when it cannot be read).
void OpenProjectSheetCopy(ProjectSheetCopy& copy, const ProjectRec* open,
                          const std::string& toolsIniPath, const EnvironmentInfo* startup);

// What Apply did, for the shell: whether the environment file was written
// (and must be read anew) and the writer's message when it failed.
struct SheetApplyResult {
  bool envChanged = false;
  bool envWriteFailed = false;
  std::string envMessage;
  TargetRec* newCurrent = nullptr;
};

// The sheet's OK: the open project takes the copy's lists, current target
// and changed filters; the toolset records take the edited folders; the
// environment copy is written to toolsIniPath when it changed.
SheetApplyResult ApplyProjectSheetCopy(ProjectSheetCopy& copy, ProjectRec* open,
                                       EnvironmentInfo* startup, const std::string& toolsIniPath,
                                       Disk* disk = nullptr);

}  // namespace pm2
