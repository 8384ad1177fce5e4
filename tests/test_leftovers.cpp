#include "test_leftovers.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace pm2::test {
namespace {

namespace fs = std::filesystem;

constexpr char kShmFolder[] = "/dev/shm";
constexpr char kWorkPrefix[] = "pm2t-";
constexpr char kLocksTail[] = ".locks";

bool Ended(pid_t pid) { return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH; }

bool OwnedByMe(const fs::path& p) {
  struct stat st{};
  return ::lstat(p.c_str(), &st) == 0 && st.st_uid == ::getuid();
}

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

pid_t OwnerOfSuffix(const std::string& suffix) {
  std::string first = suffix;
  if (!first.empty() && first[0] == '-') first.erase(0, 1);
  first = first.substr(0, first.find('-'));
  size_t digits = first.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(first[digits - 1]))) --digits;
  // A part that is all digits is no process's: the id follows a word.
  if (digits == 0 || digits == first.size() || first.size() - digits > 9) return 0;
  return pid_t(std::atol(first.c_str() + digits));
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

int ReapLeftovers(const std::string& tempFolder) {
  int removed = 0;
  std::error_code ec;
  const unsigned uid = ::getuid();
  for (const auto& e : fs::directory_iterator(kShmFolder, ec)) {
    const std::string suffix = SuffixOfShmEntry(e.path().filename().string(), uid);
    if (suffix.empty() || !Ended(OwnerOfSuffix(suffix)) || !OwnedByMe(e.path())) continue;
    std::error_code gone;
    removed += fs::remove_all(e.path(), gone) > 0 ? 1 : 0;
  }
  for (const auto& e : fs::directory_iterator(tempFolder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(kWorkPrefix, 0) != 0 || !AllDigits(name.substr(sizeof kWorkPrefix - 1))) continue;
    if (!Ended(pid_t(std::atol(name.c_str() + sizeof kWorkPrefix - 1))) || !OwnedByMe(e.path())) continue;
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
  const std::string pid = std::to_string(::getpid());
  const std::string folder = base + "/" + kWorkPrefix + pid;
  std::error_code ec;
  if (fs::create_directories(folder, ec) || fs::is_directory(folder, ec)) {
    folder_ = folder;
    ::setenv("TMPDIR", folder_.c_str(), 1);
    // The runtime folder too (build locks, sockets, diagnostics), private
    // as a user's is.
    const std::string run = folder_ + "/run";
    if (::mkdir(run.c_str(), 0700) == 0 || fs::is_directory(run, ec)) ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
  }
  const char* chosen = std::getenv("PM2_IPC_SUFFIX");
  if (!chosen || !*chosen) {
    suffix_ = "-pt" + pid;
    ::setenv("PM2_IPC_SUFFIX", suffix_.c_str(), 1);
  }
}

TestProcessScope::~TestProcessScope() {
  RemoveShmEntries(suffix_);
  std::error_code ec;
  if (!folder_.empty()) fs::remove_all(folder_, ec);
}

}  // namespace pm2::test
