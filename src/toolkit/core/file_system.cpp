#include "toolkit/core/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>

namespace pm2 {

std::string SECFileSystem::GetCurrentDirectory(const std::string& drive) {
  std::string saved;
  char buf[PATH_MAX];
  if (!drive.empty()) {
    if (!getcwd(buf, sizeof buf)) return {};
    saved = buf;
    if (!SetCurrentDirectory(drive)) return {};
  }
  std::string result = getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
  if (!drive.empty() && chdir(saved.c_str()) != 0) return {};
  return result;
}

bool SECFileSystem::SetCurrentDirectory(const std::string& path) {
  return chdir(LocalPath(path).c_str()) == 0;
}

bool SECFileSystem::FileExists(const std::string& path) const {
  struct stat st;
  return stat(LocalPath(path).c_str(), &st) == 0;
}

bool SECFileSystem::IsDirectory(const std::string& path) const {
  struct stat st;
  return stat(LocalPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void SECFileSystem::MapDrive(char letter, std::string folder) {
  m_drives[char(std::toupper(static_cast<unsigned char>(letter)))] = std::move(folder);
}

std::string SECFileSystem::LocalPath(const std::string& stored) const {
  std::string p = stored;
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
    auto it = m_drives.find(char(std::toupper(static_cast<unsigned char>(p[0]))));
    if (it == m_drives.end()) return std::string("\x01no-drive:") + p;  // never exists
    std::string rest = p.substr(2);
    p = it->second + (rest.empty() || rest[0] == '\\' || rest[0] == '/' ? "" : "/") + rest;
  }
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  return p;
}

std::string SECFileSystem::StartFolder(const std::string& editText) const {
  std::string t = editText;
  if (t.empty()) return {};
  if (t.size() > 1 && (t.back() == '\\' || t.back() == '/')) t.pop_back();
  if (t.size() == 2 && t[1] == ':') {
    std::string local = LocalPath(t + "\\");
    return IsDirectory(local) ? local : std::string();
  }
  return IsDirectory(t) ? LocalPath(t) : std::string();
}

std::string SECFileSystem::StartFile(const std::string& editText, std::string* folder) const {
  folder->clear();
  std::string f = StartFolder(editText);
  if (!f.empty()) {
    *folder = f;
    return {};
  }
  return (!editText.empty() && FileExists(editText)) ? LocalPath(editText) : std::string();
}

}  // namespace pm2
