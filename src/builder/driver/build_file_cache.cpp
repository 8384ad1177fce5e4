#include "builder/driver/build_file_cache.h"

#include <fcntl.h>
#include <unistd.h>

namespace pm2 {

BuildFileCache::~BuildFileCache() { CloseFolders(); }

void BuildFileCache::CloseFolders() {
  for (const auto& [sub, fd] : subfolderFds_)
    if (fd >= 0) ::close(fd);
  subfolderFds_.clear();
  if (folderFd_ >= 0) ::close(folderFd_);
  folderFd_ = -1;
}

void BuildFileCache::Reset(const std::string& folder, const DriveMap& drives, size_t files) {
  folder_ = folder;
  drives_ = drives;
  locals_.clear();
  folderLocals_.clear();
  statuses_.clear();
  locals_.reserve(files * 2);
  statuses_.reserve(files * 2);
  CloseFolders();
  folderFd_ = folder_.empty() ? -1 : ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

const std::string* BuildFileCache::Converted(std::string_view stored) {
  auto known = locals_.find(stored);
  if (known == locals_.end()) {
    std::string out;
    ConvertNow(stored, &out);
    known = locals_.emplace(std::string(stored), std::move(out)).first;
  }
  return known->second.empty() ? nullptr : &known->second;
}

// A plain name (no separator, drive or dot name) appended to its folder's
// conversion is the path's conversion: the folder is converted once for all
// of its files. Anything else is converted whole.
void BuildFileCache::ConvertNow(std::string_view stored, std::string* out) {
  const size_t cut = stored.find_last_of("/\\");
  const std::string_view name = cut == std::string_view::npos ? stored : stored.substr(cut + 1);
  const bool plain = !name.empty() && name != "." && name != ".." && name.find(':') == std::string_view::npos;
  if (!plain) {
    if (!ToLocalPath(stored, folder_, drives_, out, nullptr)) out->clear();
    return;
  }
  const std::string_view folder = stored.substr(0, stored.size() - name.size());
  auto known = folderLocals_.find(folder);
  if (known == folderLocals_.end()) {
    // Converted with a stand-in name, which is then taken off again.
    std::string local;
    if (ToLocalPath(std::string(folder) + "x", folder_, drives_, &local, nullptr) && !local.empty() &&
        local.back() == 'x')
      local.pop_back();
    else
      local.clear();
    known = folderLocals_.emplace(std::string(folder), std::move(local)).first;
  }
  if (known->second.empty()) {
    out->clear();
    return;
  }
  out->reserve(known->second.size() + name.size());
  out->assign(known->second).append(name);
}

FileStatus BuildFileCache::Status(const std::string& local) {
  auto [entry, added] = statuses_.try_emplace(local);  // one look-up either way
  if (added) entry->second = StatNow(local);
  return entry->second;
}

FileStatus BuildFileCache::Peek(const std::string& local) {
  auto known = statuses_.find(local);
  return known != statuses_.end() ? known->second : StatNow(local);
}

FileStatus BuildFileCache::StatNow(const std::string& local) {
  FileStatus status;
  const bool inFolder = folderFd_ >= 0 && local.size() > folder_.size() &&
                        local.compare(0, folder_.size(), folder_) == 0 && local[folder_.size()] != '/';
  if (!inFolder) {
    StatFile(local, &status);
    return status;
  }
  // A file of a subfolder (the objects' folder) is looked up from it.
  const std::string_view relative = std::string_view(local).substr(folder_.size());
  const size_t slash = relative.rfind('/');
  if (slash == std::string_view::npos) {
    StatFileAt(folderFd_, local.c_str() + folder_.size(), &status);
    return status;
  }
  const int fd = SubfolderFd(relative.substr(0, slash + 1));
  if (fd >= 0) StatFileAt(fd, local.c_str() + folder_.size() + slash + 1, &status);
  else StatFile(local, &status);
  return status;
}

int BuildFileCache::SubfolderFd(std::string_view sub) {
  auto known = subfolderFds_.find(sub);
  if (known != subfolderFds_.end()) return known->second;
  const std::string name(sub);
  const int fd = ::openat(folderFd_, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  subfolderFds_.emplace(name, fd);
  return fd;
}

void BuildFileCache::ForgetStatuses() {
  statuses_.clear();
  for (auto& [sub, fd] : subfolderFds_)
    if (fd >= 0) ::close(fd);
  subfolderFds_.clear();
}

void BuildFileCache::Forget(const std::string& local) {
  auto known = statuses_.find(local);
  if (known != statuses_.end()) statuses_.erase(known);
}

}  // namespace pm2
