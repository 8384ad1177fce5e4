#include "debugger/ui/debug_source_path.h"

#include <set>

#include "project/model/project_records.h"
#include "shell/project_window/project_tree_model.h"

namespace pm2 {

namespace {

// The text after the last '\', '/' or ':'.
std::string SourceNameOnly(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::string FindDriverSourceFile(const ProjectRec* project, const std::string& named, const SourceFileProbe& exists) {
  if (named.empty()) return {};
  std::string first = named;
  if (project) {
    const std::string local = LocalFilePath(*project, named);
    if (!local.empty()) first = local;
  }
  if (exists(first)) return first;
  const std::string name = SourceNameOnly(named);
  if (!project || name.empty()) return {};
  std::set<std::string> tried;
  for (const GroupRec* g = project->firstGroup; g; g = g->next) {
    if (g->flags & kGroupDeleted) continue;
    for (const FileRec* f = g->firstFile; f; f = f->next) {
      const std::string local = LocalFilePath(*project, *f);
      const std::size_t cut = local.find_last_of('/');
      const std::string candidate = (cut == std::string::npos ? std::string() : local.substr(0, cut + 1)) + name;
      if (local.empty() || !tried.insert(candidate).second) continue;
      if (exists(candidate)) return candidate;
    }
  }
  return {};
}

}  // namespace pm2
