// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace pm2 {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "pm2testXXXXXX").string();
    if (::mkdtemp(tmpl.data())) m_path = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return m_path; }
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

}  // namespace pm2
