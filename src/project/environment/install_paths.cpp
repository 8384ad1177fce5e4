#include "project/environment/install_paths.h"

#include <unistd.h>

#include <vector>

namespace pm2 {

namespace {

// The folder part of a path, with its trailing '/'; "/" for the top.
std::string ParentFolder(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  size_t slash = p.rfind('/');
  if (slash == std::string::npos) return "./";
  return p.substr(0, slash + 1);
}

}  // namespace

std::string CurrentProgramPath() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return std::string();
  return std::string(buf.data(), size_t(n));
}

void SetupInstallPaths(AppState& app, const std::string& programPath) {
  app.m_programDir = ParentFolder(programPath);
  app.m_installRoot = ParentFolder(app.m_programDir);
  app.m_vspawnPath = app.m_programDir + "VSPAWN.EXE";
  app.m_toolsIniPath = app.m_installRoot + "TOOLS.INI";
}

}  // namespace pm2
