#include "test_leftovers.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace pm2::test {
namespace {

namespace fs = std::filesystem;

constexpr char kShmFolder[] = "/dev/shm";
constexpr char kWorkPrefix[] = "pm2t-";
constexpr char kLocksTail[] = ".locks";
// What begins every suffix a test makes (TestSuffix), and no user's by
// chance: the reaper takes no other suffix for a test's.
constexpr char kTestSuffixMark[] = "-pm2t";

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// The start time of process `pid` in clock ticks since boot (the 22nd
// field of its stat line, counted after the name's closing bracket), or ""
// when there is no such process.
std::string StartOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return "";
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return "";
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  for (int i = 3; i <= 22; ++i)
    if (!(fields >> field)) return "";
  return AllDigits(field) ? field : "";
}

// The owner that a mark "<pid>s<start>" names (pid 0 when `text` is no
// mark: both numbers are needed).
NameOwner OwnerOfMark(const std::string& text) {
  const size_t s = text.find('s');
  if (s == std::string::npos) return {};
  const std::string pid = text.substr(0, s), start = text.substr(s + 1);
  if (!AllDigits(pid) || !AllDigits(start) || pid.size() > 9 || start.size() > 20) return {};
  return {pid_t(std::atol(pid.c_str())), start};
}

bool OwnedByMe(const fs::path& p) {
  struct stat st{};
  return ::lstat(p.c_str(), &st) == 0 && st.st_uid == ::getuid();
}

}  // namespace

std::string OwnMark() {
  const pid_t pid = ::getpid();
  return std::to_string(pid) + "s" + StartOf(pid);
}

std::string TestSuffix(const std::string& tag) {
  return kTestSuffixMark + OwnMark() + (tag.empty() ? "" : "-" + tag);
}

NameOwner OwnerOfSuffix(const std::string& suffix) {
  constexpr size_t kMarkAt = sizeof kTestSuffixMark - 1;
  if (suffix.compare(0, kMarkAt, kTestSuffixMark) != 0) return {};
  const size_t end = suffix.find('-', kMarkAt);
  return OwnerOfMark(suffix.substr(kMarkAt, end == std::string::npos ? std::string::npos : end - kMarkAt));
}

bool OwnerEnded(const NameOwner& owner) {
  if (owner.pid <= 0) return false;
  if (::kill(owner.pid, 0) != 0) return errno == ESRCH;
  if (owner.start.empty()) return false;
  // Alive under that id: the owner only if it started when the name says.
  const std::string start = StartOf(owner.pid);
  return !start.empty() && start != owner.start;
}

std::string SuffixOfShmEntry(const std::string& entry, unsigned uid) {
  std::string name = entry;
  if (name.size() > sizeof kLocksTail - 1 && name.compare(name.size() - (sizeof kLocksTail - 1), std::string::npos,
                                                          kLocksTail) == 0)
    name.resize(name.size() - (sizeof kLocksTail - 1));
  const std::string mark = "." + std::to_string(uid);
  const size_t at = name.rfind(mark);
  if (at == std::string::npos) return "";
  const std::string suffix = name.substr(at + mark.size());
  // ".1000-pt42", never ".10" of ".1000": the uid ends where the suffix begins.
  if (suffix.empty() || std::isdigit(static_cast<unsigned char>(suffix[0]))) return "";
  return suffix;
}

int ReapLeftovers(const std::string& tempFolder) { return ReapLeftovers(tempFolder, kShmFolder); }

int ReapLeftovers(const std::string& tempFolder, const std::string& shmFolder) {
  int removed = 0;
  std::error_code ec;
  const unsigned uid = ::getuid();
  for (const auto& e : fs::directory_iterator(shmFolder, ec)) {
    const std::string suffix = SuffixOfShmEntry(e.path().filename().string(), uid);
    if (suffix.empty() || !OwnerEnded(OwnerOfSuffix(suffix)) || !OwnedByMe(e.path())) continue;
    std::error_code gone;
    removed += fs::remove_all(e.path(), gone) > 0 ? 1 : 0;
  }
  for (const auto& e : fs::directory_iterator(tempFolder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(kWorkPrefix, 0) != 0) continue;
    const NameOwner owner = OwnerOfMark(name.substr(sizeof kWorkPrefix - 1));
    if (!OwnerEnded(owner) || !OwnedByMe(e.path())) continue;
    std::error_code gone;
    removed += fs::remove_all(e.path(), gone) > 0 ? 1 : 0;
  }
  return removed;
}

int RemoveShmEntries(const std::string& suffix) {
  int removed = 0;
  std::error_code ec;
  const unsigned uid = ::getuid();
  for (const auto& e : fs::directory_iterator(kShmFolder, ec)) {
    if (suffix.empty() || SuffixOfShmEntry(e.path().filename().string(), uid) != suffix) continue;
    std::error_code gone;
    removed += fs::remove_all(e.path(), gone) > 0 ? 1 : 0;
  }
  return removed;
}

TestProcessScope::TestProcessScope() {
  const std::string base = TempFolder();
  ReapLeftovers(base);
  const std::string mark = OwnMark();
  const std::string folder = base + "/" + kWorkPrefix + mark;
  std::error_code ec;
  if (fs::create_directories(folder, ec) || fs::is_directory(folder, ec)) {
    folder_ = folder;
    ::setenv("TMPDIR", folder_.c_str(), 1);
    // The runtime folder too (build locks, sockets, diagnostics), private
    // as a user's is.
    const std::string run = folder_ + "/run";
    if (::mkdir(run.c_str(), 0700) == 0 || fs::is_directory(run, ec)) ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    // A home and configuration folders of its own: what the program or a
    // library keeps there (Qt's file-dialog history in QtProject.conf, a
    // window manager's cache) goes with the folder, never into the user's.
    const std::string home = folder_ + "/home";
    if (::mkdir(home.c_str(), 0700) == 0 || fs::is_directory(home, ec)) {
      ::setenv("HOME", home.c_str(), 1);
      ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
      ::setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
      ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
      ::setenv("XDG_STATE_HOME", (home + "/.local/state").c_str(), 1);
    }
  }
  const char* chosen = std::getenv("PM2_IPC_SUFFIX");
  if (!chosen || !*chosen) {
    suffix_ = TestSuffix();
    ::setenv("PM2_IPC_SUFFIX", suffix_.c_str(), 1);
  }
}

TestProcessScope::~TestProcessScope() {
  RemoveShmEntries(suffix_);
  std::error_code ec;
  if (!folder_.empty()) fs::remove_all(folder_, ec);
}

}  // namespace pm2::test
