#include "builder/driver/output_folders.h"

#include <filesystem>
#include <system_error>

#include "platform/win_path.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"

namespace pm2 {

namespace fs = std::filesystem;

namespace {

fs::path WithoutTrailingSlash(std::string text) {
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return fs::path(text).lexically_normal();
}

}  // namespace

std::string OutputFolderNote(std::string_view stored, const std::string& projectFolder, const DriveMap& drives) {
  if (stored.empty() || stored == ".\\" || stored == "./") return "";
  std::string local, err;
  if (!ToLocalPath(stored, projectFolder, drives, &local, &err) || local.empty()) return "";
  const fs::path folder = WithoutTrailingSlash(local);
  const fs::path home = WithoutTrailingSlash(projectFolder);
  std::error_code ec;
  // Links are followed as far as the folder exists; the rest is taken as
  // it is written.
  const fs::path real = fs::weakly_canonical(folder, ec);
  if (ec) return "";
  const fs::path realHome = fs::weakly_canonical(home, ec);
  if (ec) return "";
  const std::string said(stored);
  if (PathIsWithin(folder, home)) {
    // The first link on the way below the project's folder, if any.
    fs::path prefix = home;
    auto part = folder.begin();
    for (auto h = home.begin(); h != home.end(); ++h) ++part;
    for (; part != folder.end(); ++part) {
      prefix /= *part;
      std::error_code linkEc;
      if (!fs::is_symlink(fs::symlink_status(prefix, linkEc))) continue;
      if (prefix == folder)
        return "*** NOTE: the folder '" + said + "' is a link to '" + real.string() +
               "': the build writes its files there";
      return "*** NOTE: the folder '" + said + "' goes through the link '" + prefix.string() + "' to '" +
             real.string() + "': the build writes its files there";
    }
    if (PathIsWithin(real, realHome)) return "";
  }
  return "*** NOTE: the folder '" + said + "' is '" + real.string() +
         "', outside the project's folder: the build writes its files there";
}

bool PathIsWithin(const fs::path& path, const fs::path& folder) {
  auto p = path.begin();
  for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
    if (f->empty()) continue;  // the empty name a trailing '/' leaves
    if (p == path.end() || *p != *f) return false;
  }
  return true;
}

std::vector<std::string> OutputFolderNotes(const ProjectRec& project, const TargetRec& target, const DriveMap& drives) {
  std::vector<std::string> notes;
  const OptionBlock* options = FindTargetOptions(target.pOpts, &target);
  if (!options) return notes;
  std::string folder = project.folder.str();
  if (folder.empty() || !IsAbsolutePath(folder)) {
    std::error_code ec;
    folder = (fs::current_path(ec) / folder).string();
  }
  if (!folder.empty() && !IsPathSeparator(folder.back())) folder += '/';
  for (const OptString* f : {&options->out.OUTDIR, &options->lst.LSTDIR}) {
    const std::string note = OutputFolderNote(f->view(), folder, drives);
    if (note.empty()) continue;
    bool said = false;
    for (const std::string& n : notes) said |= n == note;
    if (!said) notes.push_back(note);
  }
  return notes;
}

}  // namespace pm2
