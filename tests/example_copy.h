// A copy of the example project as the repository holds it: what a build
// of examples/blinky leaves there (objects, dependency file, build log,
// backups) is not copied, so no test depends on whether the example was
// built in place.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace pm2::test {

inline bool IsExampleBuildOutput(const std::filesystem::path& p) {
  std::string ext = p.extension().string();
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return p.filename() == "Obj" || ext == ".dep" || ext == ".plg" || ext == ".bak" || ext == ".pm2run";
}

// Copies `from` (the example's folder) into `to` (made if missing).
inline void CopyExample(const std::string& from, const std::string& to) {
  namespace fs = std::filesystem;
  fs::create_directories(to);
  for (const auto& e : fs::directory_iterator(from)) {
    if (IsExampleBuildOutput(e.path())) continue;
    fs::copy(e.path(), fs::path(to) / e.path().filename(), fs::copy_options::recursive);
  }
}

// Replaces the first `from` in the file at `path` by `to`; false when the
// file does not hold it (a test's edit of a copied example must not miss
// silently).
inline bool ReplaceInFile(const std::string& path, const std::string& from, const std::string& to) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  const std::size_t at = s.find(from);
  if (at == std::string::npos) return false;
  s.replace(at, from.size(), to);
  std::ofstream(path, std::ios::trunc) << s;
  return true;
}

}  // namespace pm2::test
