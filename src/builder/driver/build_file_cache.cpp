#include "builder/driver/build_file_cache.h"

#include <fcntl.h>
#include <unistd.h>

namespace pm2 {

BuildFileCache::~BuildFileCache() {
  if (folderFd_ >= 0) ::close(folderFd_);
}

void BuildFileCache::Reset(const std::string& folder, const DriveMap& drives, size_t files) {
  folder_ = folder;
  drives_ = drives;
  locals_.clear();
  statuses_.clear();
  locals_.reserve(files * 2);
  statuses_.reserve(files * 2);
  if (folderFd_ >= 0) ::close(folderFd_);
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
  auto known = statuses_.find(local);
  if (known != statuses_.end()) return known->second;
  const FileStatus status = StatNow(local);
  statuses_.emplace(local, status);
  return status;
}

FileStatus BuildFileCache::Peek(const std::string& local) {
  auto known = statuses_.find(local);
  return known != statuses_.end() ? known->second : StatNow(local);
}

FileStatus BuildFileCache::StatNow(const std::string& local) const {
  FileStatus status;
  const bool inFolder = folderFd_ >= 0 && local.size() > folder_.size() &&
                        local.compare(0, folder_.size(), folder_) == 0 && local[folder_.size()] != '/';
  if (inFolder) StatFileAt(folderFd_, local.c_str() + folder_.size(), &status);
  else StatFile(local, &status);
  return status;
}

void BuildFileCache::Forget(const std::string& local) {
  auto known = statuses_.find(local);
  if (known != statuses_.end()) statuses_.erase(known);
}

}  // namespace pm2
