// The edits of the components page on the sheet's copy: the targets, groups
// and files lists, each mirrored one row per record. Every operation keeps
// the copy's chains in list order; a refused edit changes nothing and
// returns the system's message (empty when none is shown, e.g. a file
// rename, which is refused with a beep only).
#pragma once

#include <functional>
#include <string>

#include "project/edit/project_sheet_copy.h"

namespace pm2 {

struct EditResult {
  bool ok = true;
  std::string message;  // shown with the exclamation icon after a beep
  static EditResult Refused(std::string text) { return {false, std::move(text)}; }
};

// The most characters a target or group name keeps.
inline constexpr std::size_t kMaxComponentName = 128;

// ---- targets
EditResult RenameTarget(ProjectSheetCopy& c, int row, const std::string& name);
// Adds a copy of the copy's current target (or, without one, of
// fallbackCurrent, the open project's current target) named `name` at `row`.
EditResult AddTarget(ProjectSheetCopy& c, int row, const std::string& name,
                     const TargetRec* fallbackCurrent);
void DeleteTarget(ProjectSheetCopy& c, int row);
void MoveTarget(ProjectSheetCopy& c, int from, int to);
// Button "Set as Current Target"; false when row is no target.
bool SetCurrentTarget(ProjectSheetCopy& c, int row);

// ---- groups
EditResult RenameGroup(ProjectSheetCopy& c, int row, const std::string& name);
EditResult AddGroup(ProjectSheetCopy& c, int row, const std::string& name);
void DeleteGroup(ProjectSheetCopy& c, int row);
void MoveGroup(ProjectSheetCopy& c, int from, int to);

// ---- files of one group (rows are the group's files that are not removed)
std::vector<FileRec*> GroupFileRows(const GroupRec* group);
void DeleteGroupFile(GroupRec* group, int row);
void MoveGroupFile(GroupRec* group, int from, int to);

// ---- leaving the page
// Empty when the page may be left, else "At least one Target is required !"
// or "At least one Group is required !".
std::string CheckComponentsComplete(const ProjectSheetCopy& c);

// ---- adding files
// Asks the user for the type of a file whose name matches no filter: the
// chosen FileType, or 0 when none was chosen.
using FileTypeChooser = std::function<uint8_t(const std::string& fullPath)>;

enum class AddFileStyle {
  kSheet,  // components page: "File will not be added."
  kFrame,  // the project window's command: "File will not be added to target."
};

struct AddFileOutcome {
  FileRec* file = nullptr;  // the new record; null when nothing was added
  bool beep = false;        // no type chosen, or refused
  std::string message;      // the membership text when refused
};

// Adds `name` found in `folder` (a folder of this machine) to `group` of
// `project`: the folder is made relative to the project folder, the type
// comes from the name (or the chooser), and a file of the same name already
// in the project (libraries excepted) is refused with the membership text.
// A folder or name the project file cannot hold (a '\' in any part of the
// folder, project_lines.h) is refused with the reason.
AddFileOutcome AddFileToGroupChecked(ProjectRec* project, GroupRec* group,
                                     const std::string& folder, const std::string& name,
                                     const FileTypeChooser& chooseType, AddFileStyle style);

// The membership text for a file already in the project.
std::string FileMembershipText(const FileRec& file, AddFileStyle style);

// Filter rows of the add-files dialog: {title, pattern}; "C Source file (%s)"
// ... "Text file (%s)" with the project's filter (or its default), the C++
// row only for a 166/167 target, and "All files (*.*)".
struct FilterRow {
  std::string title;
  std::string pattern;
};
// patterns: C, assembly, object, library, text, C++ (empty: the default).
std::vector<FilterRow> BuildAddFilesFilter(const std::string (&patterns)[6], bool target166);
std::vector<FilterRow> ProjectAddFilesFilter(const ProjectRec* project, bool target166);

}  // namespace pm2
