// Shared pieces of the build tests: a scratch folder, the build tree's
// installation root with the stand-in tools, and small file helpers.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace pm2::test {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pm2test_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
  }
  ~ScratchFolder() { std::filesystem::remove_all(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return path_; }  // ends in '/'
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

// The build tree's installation root (stand-in tools, VSPAWN.EXE), ends in '/'.
inline std::string InstallRoot() { return PM2_TEST_INSTALL_ROOT "/"; }
inline std::string SpawnHelper() { return InstallRoot() + "PM2/VSPAWN.EXE"; }

}  // namespace pm2::test
