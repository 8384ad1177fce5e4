#include "project/edit/component_lists.h"

#include <algorithm>

#include "project/environment/environment_lines.h"
#include "project/files/project_lines.h"
#include "project/text/character_cut.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

std::string CutName(const std::string& name) { return std::string(CutToCharacters(name, kMaxComponentName)); }

template <class Rec>
bool NameTaken(const std::vector<Rec*>& rows, const std::string& name, int skipRow) {
  // The edited row's old name counts too, so a rename that only changes
  // letter case is refused like any other duplicate.
  (void)skipRow;
  return std::any_of(rows.begin(), rows.end(),
                     [&](const Rec* r) { return EqualsIgnoringCase(r->name.view(), name); });
}

template <class Rec>
void MoveRow(std::vector<Rec*>& rows, int from, int to) {
  if (from < 0 || to < 0 || from >= int(rows.size()) || to >= int(rows.size())) return;
  Rec* r = rows[from];
  rows.erase(rows.begin() + from);
  rows.insert(rows.begin() + to, r);
}

bool InRange(int row, std::size_t size) { return row >= 0 && std::size_t(row) < size; }

}  // namespace

// ---------------------------------------------------------------- targets

EditResult RenameTarget(ProjectSheetCopy& c, int row, const std::string& name) {
  if (!InRange(row, c.targets.size())) return EditResult::Refused("");
  const std::string cut = CutName(name);
  if (std::string why = StoredComponentNameRefusal("target", cut); !why.empty()) return EditResult::Refused(why);
  if (NameTaken(c.targets, cut, row)) return EditResult::Refused("Target item already exists");
  c.targets[row]->name = OptString::Pooled(cut, kPoolProject);
  return {};
}

EditResult AddTarget(ProjectSheetCopy& c, int row, const std::string& name,
                     const TargetRec* fallbackCurrent) {
  const std::string cut = CutName(name);
  if (std::string why = StoredComponentNameRefusal("target", cut); !why.empty()) return EditResult::Refused(why);
  if (NameTaken(c.targets, cut, -1)) return EditResult::Refused("Target item already exists");
  const TargetRec* model = c.current ? c.current : fallbackCurrent;
  if (!model) return EditResult::Refused("No current Target is available !");
  TargetRec* t = CopyTargetRec(model, kPoolProject);
  t->name = OptString::Pooled(cut, kPoolProject);
  t->flags = 0;
  t->number = 0;
  row = std::clamp(row, 0, int(c.targets.size()));
  c.targets.insert(c.targets.begin() + row, t);
  c.RelinkTargets();
  return {};
}

void DeleteTarget(ProjectSheetCopy& c, int row) {
  if (!InRange(row, c.targets.size())) return;
  if (c.targets[row] == c.current) c.current = nullptr;
  c.targets.erase(c.targets.begin() + row);
  c.RelinkTargets();
}

void MoveTarget(ProjectSheetCopy& c, int from, int to) {
  MoveRow(c.targets, from, to);
  c.RelinkTargets();
}

bool SetCurrentTarget(ProjectSheetCopy& c, int row) {
  if (!InRange(row, c.targets.size())) return false;
  c.current = c.targets[row];
  return true;
}

// ---------------------------------------------------------------- groups

EditResult RenameGroup(ProjectSheetCopy& c, int row, const std::string& name) {
  if (!InRange(row, c.groups.size())) return EditResult::Refused("");
  const std::string cut = CutName(name);
  if (std::string why = StoredComponentNameRefusal("group", cut); !why.empty()) return EditResult::Refused(why);
  if (NameTaken(c.groups, cut, row)) return EditResult::Refused("Group item already exists");
  c.groups[row]->name = OptString::Pooled(cut, kPoolProject);
  return {};
}

EditResult AddGroup(ProjectSheetCopy& c, int row, const std::string& name) {
  const std::string cut = CutName(name);
  if (std::string why = StoredComponentNameRefusal("group", cut); !why.empty()) return EditResult::Refused(why);
  if (NameTaken(c.groups, cut, -1)) return EditResult::Refused("Group item already exists");
  GroupRec* g = PoolNew<GroupRec>(kPoolProject);
  g->kind = kKindGroup;
  g->name = OptString::Pooled(cut, kPoolProject);
  row = std::clamp(row, 0, int(c.groups.size()));
  c.groups.insert(c.groups.begin() + row, g);
  c.RelinkGroups();
  return {};
}

void DeleteGroup(ProjectSheetCopy& c, int row) {
  if (!InRange(row, c.groups.size())) return;
  c.groups.erase(c.groups.begin() + row);
  c.RelinkGroups();
}

void MoveGroup(ProjectSheetCopy& c, int from, int to) {
  MoveRow(c.groups, from, to);
  c.RelinkGroups();
}

// ---------------------------------------------------------------- files

std::vector<FileRec*> GroupFileRows(const GroupRec* group) {
  std::vector<FileRec*> rows;
  if (!group) return rows;
  for (FileRec* f = group->firstFile; f; f = f->next)
    if (!(f->flags & kFileRemoved)) rows.push_back(f);
  return rows;
}

namespace {

// Relinks the group's chain: the shown rows in their order, then the
// removed files (kept so that the project file can still name them).
void RelinkFiles(GroupRec* group, const std::vector<FileRec*>& rows) {
  std::vector<FileRec*> all = rows;
  for (FileRec* f = group->firstFile; f; f = f->next)
    if (f->flags & kFileRemoved) all.push_back(f);
  group->firstFile = all.empty() ? nullptr : all.front();
  group->lastFile = all.empty() ? nullptr : all.back();
  for (std::size_t i = 0; i < all.size(); ++i) all[i]->next = i + 1 < all.size() ? all[i + 1] : nullptr;
}

}  // namespace

void DeleteGroupFile(GroupRec* group, int row) {
  std::vector<FileRec*> rows = GroupFileRows(group);
  if (!InRange(row, rows.size())) return;
  rows.erase(rows.begin() + row);
  RelinkFiles(group, rows);
}

void MoveGroupFile(GroupRec* group, int from, int to) {
  std::vector<FileRec*> rows = GroupFileRows(group);
  MoveRow(rows, from, to);
  if (group) RelinkFiles(group, rows);
}

std::string CheckComponentsComplete(const ProjectSheetCopy& c) {
  if (c.targets.empty()) return "At least one Target is required !";
  if (c.groups.empty()) return "At least one Group is required !";
  return {};
}

// ---------------------------------------------------------------- adding files

std::string FileMembershipText(const FileRec& file, AddFileStyle style) {
  return FileMembershipMessage(&file, style == AddFileStyle::kSheet ? "File will not be added."
                                                                    : "File will not be added to target.");
}

namespace {

bool EndsInSeparator(const std::string& s) {
  return !s.empty() && (s.back() == '\\' || s.back() == '/');
}

}  // namespace

AddFileOutcome AddFileToGroupChecked(ProjectRec* project, GroupRec* group,
                                     const std::string& folderIn, const std::string& name,
                                     const FileTypeChooser& chooseType, AddFileStyle style) {
  AddFileOutcome out;
  if (!project || !group || name.empty()) {
    out.beep = true;
    return out;
  }
  // The folder is one of this machine, where '\' belongs to a name.
  std::string folder = folderIn;
  if (!EndsInSeparator(folder)) folder += '/';
  const std::string relative = MakeRelativePath(project->folder.view(), folder);
  // Stored, such a folder would read back as another one: "we\ird/x.c"
  // would build "we/ird/x.c". Refused before the type is asked for.
  if (std::string why = LocalFolderRefusal(JoinFilePath(relative.c_str(), name.c_str()), folderIn); !why.empty()) {
    out.beep = true;
    out.message = std::move(why);
    return out;
  }

  uint8_t type = GetFileTypeOfName(name.c_str());
  if (type == kFileUnknown) {
    type = chooseType ? chooseType(folder + name) : uint8_t(kFileUnknown);
    if (type == kFileUnknown) {
      out.beep = true;
      return out;
    }
  }
  if (type != kFileLibrary) {
    if (FileRec* found = FindProjectFile(project, name.c_str(), type)) {
      out.beep = true;
      out.message = FileMembershipText(*found, style);
      return out;
    }
  }
  // A name the project file can't hold would come back as another file.
  if (std::string why = StoredFileNameRefusal(JoinFilePath(relative.c_str(), name.c_str()), name); !why.empty()) {
    out.beep = true;
    out.message = std::move(why);
    return out;
  }
  out.file = AddFileToGroup(group, name.c_str(), relative.c_str(), type);
  if (!out.file) out.beep = true;
  return out;
}

std::vector<FilterRow> BuildAddFilesFilter(const std::string (&patterns)[6], bool target166) {
  static constexpr const char* kTitles[6] = {"C Source file (%s)", "Asm Source file (%s)",
                                             "Object file (%s)",   "Library file (%s)",
                                             "Text file (%s)",     "C++ Source file (%s)"};
  static constexpr const char* kDefaults[6] = {"*.c", "*.asm", "*.obj", "*.lib", "*.txt", "*.cpp"};
  std::vector<FilterRow> rows;
  for (int i = 0; i < 6; ++i) {
    if (i == 5 && !target166) continue;
    const std::string pattern = patterns[i].empty() ? kDefaults[i] : patterns[i];
    std::string title = kTitles[i];
    title.replace(title.find("%s"), 2, pattern);
    rows.push_back({title, pattern});
  }
  rows.push_back({"All files (*.*)", "*.*"});
  return rows;
}

std::vector<FilterRow> ProjectAddFilesFilter(const ProjectRec* project, bool target166) {
  std::string patterns[6];
  if (project) {
    const int index[6] = {kFilterC, kFilterAsm, kFilterObject, kFilterLibrary, kFilterText, kFilterCpp};
    for (int i = 0; i < 6; ++i) patterns[i] = project->filters[index[i]].str();
  }
  return BuildAddFilesFilter(patterns, target166);
}

}  // namespace pm2
