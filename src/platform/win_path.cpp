#include "platform/win_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/ascii_case.h"

namespace pm2 {

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Index just past the last separator or drive colon, 0 when none.
size_t NameStart(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i) {
    char c = path[i - 1];
    if (IsPathSeparator(c)) return i;
    if (c == ':' && i == 2 && IsLetter(path[0])) return i;
  }
  return 0;
}

class PosixFileSystem : public FileSystemView {
 public:
  bool Exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }
  bool ListFolder(const std::string& folder, std::vector<std::string>* names) override {
    names->clear();
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    while (dirent* e = ::readdir(dir)) {
      std::string_view n(e->d_name);
      if (n == "." || n == "..") continue;
      names->emplace_back(n);
    }
    ::closedir(dir);
    return true;
  }
};

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && IsLetter(path[0]) && path[1] == ':';
}

bool IsAbsolutePath(std::string_view path) {
  if (!path.empty() && IsPathSeparator(path[0])) return true;
  return HasDriveLetter(path) && path.size() >= 3 && IsPathSeparator(path[2]);
}

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  if (HasDriveLetter(path)) {
    parts.emplace_back(path.substr(0, 2));
    start = 2;
  }
  size_t i = start;
  while (i <= path.size()) {
    if (i == path.size() || IsPathSeparator(path[i])) {
      if (i > start) parts.emplace_back(path.substr(start, i - start));
      start = i + 1;
    }
    ++i;
  }
  return parts;
}

std::string JoinPath(std::string_view folder, std::string_view name, char sep) {
  std::string out(folder);
  bool folderEnds = folder.empty() || IsPathSeparator(folder.back()) ||
                    (folder.size() == 2 && HasDriveLetter(folder));
  if (!folderEnds && !(name.size() && IsPathSeparator(name[0]))) out += sep;
  if (folderEnds && !folder.empty() && !name.empty() && IsPathSeparator(name[0]) &&
      IsPathSeparator(folder.back()))
    name.remove_prefix(1);
  out += name;
  return out;
}

std::string_view FileNamePart(std::string_view path) { return path.substr(NameStart(path)); }

std::string_view FolderPart(std::string_view path) { return path.substr(0, NameStart(path)); }

std::string_view ExtensionPart(std::string_view path) {
  std::string_view name = FileNamePart(path);
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return name.substr(dot);
}

std::string ChangeExtension(std::string_view path, std::string_view ext) {
  std::string_view old = ExtensionPart(path);
  std::string out(path.substr(0, path.size() - old.size()));
  if (!ext.empty() && ext[0] != '.') out += '.';
  out += ext;
  return out;
}

std::string ToForwardSlashes(std::string_view path) {
  std::string out(path);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

bool SamePathIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (IsPathSeparator(a[i]) && IsPathSeparator(b[i])) continue;
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string NormalizeLocalPath(std::string_view path) {
  bool absolute = !path.empty() && path[0] == '/';
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    std::string_view part = path.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
        continue;
      }
      if (absolute) continue;  // ".." of the root is the root
    }
    parts.push_back(part);
  }
  std::string out = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += '/';
    out += parts[i];
  }
  if (out.empty()) out = ".";
  return out;
}

bool DriveMap::Set(std::string_view drive, std::string folder) {
  if (drive.empty() || drive.size() > 2 || !IsLetter(drive[0]) ||
      (drive.size() == 2 && drive[1] != ':'))
    return false;
  m_folders[Upper(drive[0])] = std::move(folder);
  return true;
}

void DriveMap::Remove(std::string_view drive) {
  if (!drive.empty()) m_folders.erase(Upper(drive[0]));
}

void DriveMap::Clear() { m_folders.clear(); }

const std::string* DriveMap::Find(std::string_view drive) const {
  if (drive.empty() || !IsLetter(drive[0])) return nullptr;
  auto it = m_folders.find(Upper(drive[0]));
  return it == m_folders.end() ? nullptr : &it->second;
}

bool ToLocalPath(std::string_view stored, std::string_view baseFolder, const DriveMap& drives,
                 std::string* out, std::string* err) {
  std::string rest = ToForwardSlashes(stored);
  std::string joined;
  if (HasDriveLetter(stored)) {
    const std::string* folder = drives.Find(stored);
    if (!folder) {
      if (err) *err = "'" + std::string(stored) + "': drive " + std::string(stored.substr(0, 2)) +
                      " is not mapped to a folder";
      return false;
    }
    joined = JoinPath(*folder, std::string_view(rest).substr(2), '/');
  } else if (!rest.empty() && rest[0] == '/') {
    joined = rest;
  } else {
    if (baseFolder.empty()) {
      if (err) *err = "'" + std::string(stored) + "': relative path without a base folder";
      return false;
    }
    joined = JoinPath(ToForwardSlashes(baseFolder), rest, '/');
  }
  *out = NormalizeLocalPath(joined);
  return true;
}

FileSystemView& RealFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

PathResolver::PathResolver(FileSystemView* fs) : m_fs(fs ? fs : &RealFileSystem()) {}

const std::vector<std::string>* PathResolver::Listing(const std::string& folder) {
  auto it = m_listings.find(folder);
  if (it != m_listings.end()) return &it->second;
  if (m_unreadable.count(folder)) return nullptr;
  std::vector<std::string> names;
  if (!m_fs->ListFolder(folder, &names)) {
    m_unreadable[folder] = true;
    return nullptr;
  }
  std::sort(names.begin(), names.end());
  return &m_listings.emplace(folder, std::move(names)).first->second;
}

bool PathResolver::ResolveStoredPath(std::string_view stored, std::string_view baseFolder,
                                     std::string* out, std::string* err) {
  std::string local;
  if (!ToLocalPath(stored, baseFolder, m_drives, &local, err)) {
    out->clear();
    return false;
  }
  *out = local;
  if (m_fs->Exists(local)) return true;
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string known;  // the folder found earlier that the walk started from
  if (Walk(local, true, out, &known)) return true;
  // That folder may have gone or been renamed since: then once more from
  // the root before the file counts as missing.
  if (!known.empty() && !m_fs->Exists(known) && Walk(local, false, out, &known)) return true;
  *out = local;
  if (err) *err = "'" + std::string(stored) + "' not found";
  return false;
}

// The deepest folder of `local` found before, as (length of its local
// name, its existing name); {0, null} when none.
std::pair<size_t, const std::string*> PathResolver::KnownFolder(const std::string& local) const {
  for (size_t slash = local.rfind('/'); slash != std::string::npos && slash > 0;
       slash = local.rfind('/', slash - 1)) {
    auto it = m_folders.find(std::string_view(local.data(), slash));
    if (it != m_folders.end()) return {slash, &it->second};
  }
  return {0, nullptr};
}

bool PathResolver::Walk(const std::string& local, bool useKnown, std::string* out, std::string* known) {
  // Walk the components, taking each as it stands when it exists, else its
  // first case variant in name order from the folder's listing. Only the
  // folders where a name differs in case are listed: a missing file under a
  // long path reads one folder, not every folder above it (/tmp alone may
  // hold thousands of names). The folders found on the way are kept, so the
  // next file under them starts there instead of at the root.
  bool absolute = local[0] == '/';
  std::string path = absolute ? "/" : "";
  size_t start = absolute ? 1 : 0;
  if (useKnown) {
    auto [length, folder] = KnownFolder(local);
    if (folder) {
      path = *folder;
      start = length + 1;
      *known = *folder;
    }
  }
  bool verified = false;  // the last component was found as it stands
  while (start <= local.size()) {
    size_t slash = local.find('/', start);
    if (slash == std::string::npos) slash = local.size();
    std::string_view part(local.data() + start, slash - start);
    start = slash + 1;
    if (part.empty()) continue;
    std::string folder = path.empty() ? "." : path;
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::string match;
    std::string exact = path;
    if (!exact.empty() && exact.back() != '/') exact += '/';
    exact += part;
    verified = false;
    if (part == "." || part == ".." || m_fs->Exists(exact)) {
      match = std::string(part);
      verified = true;
    } else if (const std::vector<std::string>* names = Listing(folder)) {
      if (std::binary_search(names->begin(), names->end(), part)) {
        match = std::string(part);
      } else {
        for (const std::string& n : *names)
          if (EqualIgnoringCase(n, part)) {
            match = n;
            break;
          }
      }
    }
    if (match.empty()) return false;
    if (!path.empty() && path.back() != '/') path += '/';
    path += match;
    if (slash < local.size()) m_folders.insert_or_assign(local.substr(0, slash), path);
  }
  // A stale listing may name a file that has gone since.
  if (!verified && !m_fs->Exists(path)) return false;
  *out = path;
  return true;
}

void PathResolver::InvalidateFolder(const std::string& folder) {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string key = folder;
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  m_listings.erase(key);
  m_unreadable.erase(key);
  m_folders.clear();  // a folder under it may have been renamed
}

void PathResolver::InvalidateAll() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_listings.clear();
  m_unreadable.clear();
  m_folders.clear();
}

}  // namespace pm2
