#include "builder/driver/build_file_cache.h"

namespace pm2 {

void BuildFileCache::Reset(const std::string& folder, const DriveMap& drives) {
  folder_ = folder;
  drives_ = drives;
  locals_.clear();
  statuses_.clear();
}

bool BuildFileCache::Converted(std::string_view stored, std::string* local) {
  auto known = locals_.find(std::string(stored));
  if (known == locals_.end()) {
    std::string out;
    if (!ToLocalPath(stored, folder_, drives_, &out, nullptr)) out.clear();
    known = locals_.emplace(std::string(stored), std::move(out)).first;
  }
  *local = known->second;
  return !local->empty();
}

FileStatus BuildFileCache::Status(const std::string& local) {
  auto known = statuses_.find(local);
  if (known != statuses_.end()) return known->second;
  FileStatus status;
  StatFile(local, &status);
  statuses_.emplace(local, status);
  return status;
}

}  // namespace pm2
