#include "builder/runner/folder_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/ascii_case.h"

namespace pm2 {

namespace {

// A listing is kept only when the folder's time was at least this old when
// it was read: a later change then gives the folder another time, however
// coarse the file system's clock.
constexpr int64_t kSettledNs = 2'000'000'000;

struct Listing {
  int64_t timeNs = 0;
  std::unordered_map<std::string, std::vector<std::string>> byLower;  // in listing order
};

std::mutex g_mutex;
std::unordered_map<std::string, std::shared_ptr<const Listing>> g_listings;  // absolute folders
std::atomic<long> g_reads{0};

std::string Lower(const char* s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

int64_t Ns(const timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; }

std::shared_ptr<const Listing> Read(const std::string& folder, int64_t timeNs) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return nullptr;
  ++g_reads;
  auto listing = std::make_shared<Listing>();
  listing->timeNs = timeNs;
  while (dirent* e = ::readdir(dir)) listing->byLower[Lower(e->d_name)].push_back(e->d_name);
  ::closedir(dir);
  return listing;
}

}  // namespace

std::vector<std::string> FolderNamesIgnoringCase(const std::string& folder, const std::string& name) {
  struct stat st;
  if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return {};
  const int64_t timeNs = Ns(st.st_mtim);
  // A relative folder means another one after a change of the current folder.
  const bool keep = !folder.empty() && folder[0] == '/';
  std::shared_ptr<const Listing> listing;
  if (keep) {
    std::lock_guard<std::mutex> hold(g_mutex);
    auto known = g_listings.find(folder);
    if (known != g_listings.end() && known->second->timeNs == timeNs) listing = known->second;
  }
  if (!listing) {
    listing = Read(folder, timeNs);
    if (!listing) return {};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (keep && Ns(now) - timeNs >= kSettledNs) {
      std::lock_guard<std::mutex> hold(g_mutex);
      g_listings[folder] = listing;
    }
  }
  auto found = listing->byLower.find(Lower(name.c_str()));
  return found == listing->byLower.end() ? std::vector<std::string>{} : found->second;
}

long FolderReadsForTest() { return g_reads.load(); }

}  // namespace pm2
