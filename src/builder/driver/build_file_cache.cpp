#include "builder/driver/build_file_cache.h"

#include <fcntl.h>
#include <unistd.h>

namespace pm2 {

BuildFileCache::~BuildFileCache() {
  if (folderFd_ >= 0) ::close(folderFd_);
  if (subfolderFd_ >= 0) ::close(subfolderFd_);
}

void BuildFileCache::Reset(const std::string& folder, const DriveMap& drives, size_t files) {
  folder_ = folder;
  drives_ = drives;
  locals_.clear();
  statuses_.clear();
  locals_.reserve(files * 2);
  statuses_.reserve(files * 2);
  if (folderFd_ >= 0) ::close(folderFd_);
  if (subfolderFd_ >= 0) ::close(subfolderFd_);
  subfolderFd_ = -1;
  subfolder_.clear();
  folderFd_ = folder_.empty() ? -1 : ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

const std::string* BuildFileCache::Converted(std::string_view stored) {
  auto known = locals_.find(stored);
  if (known == locals_.end()) {
    std::string out;
    if (!ToLocalPath(stored, folder_, drives_, &out, nullptr)) out.clear();
    known = locals_.emplace(std::string(stored), std::move(out)).first;
  }
  return known->second.empty() ? nullptr : &known->second;
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
  const std::string_view sub = relative.substr(0, slash + 1);
  if (sub != subfolder_) {
    if (subfolderFd_ >= 0) ::close(subfolderFd_);
    subfolder_.assign(sub);
    subfolderFd_ = ::openat(folderFd_, subfolder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
  if (subfolderFd_ >= 0) StatFileAt(subfolderFd_, local.c_str() + folder_.size() + slash + 1, &status);
  else StatFile(local, &status);
  return status;
}

void BuildFileCache::Forget(const std::string& local) {
  auto known = statuses_.find(local);
  if (known != statuses_.end()) statuses_.erase(known);
}

}  // namespace pm2
