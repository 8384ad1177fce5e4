#include "builder/driver/run_journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unordered_map>

#include "platform/object_identity.h"
#include "platform/own_file.h"
#include "project/files/stored_file_read.h"

namespace pm2 {

namespace {

bool HasParentPart(std::string_view path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = path.size();
    if (path.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

bool SameSeparatorsNoCase(char a, char b) {
  if (a == '\\') a = '/';
  if (b == '\\') b = '/';
  return (a >= 'A' && a <= 'Z' ? char(a + 32) : a) == (b >= 'A' && b <= 'Z' ? char(b + 32) : b);
}

// A parent folder in the path beyond the first of the folders it starts with.
bool GoesUpBeyond(std::string_view path, const std::vector<std::string>& folders) {
  for (const std::string& f : folders) {
    if (f.empty() || path.size() < f.size()) continue;
    bool starts = true;
    for (size_t i = 0; i < f.size() && starts; ++i) starts = SameSeparatorsNoCase(path[i], f[i]);
    if (starts) return HasParentPart(path.substr(f.size()));
  }
  return HasParentPart(path);
}

// The folder's real path ending in '/', "" when it does not resolve.
std::string RealFolder(const std::string& folder) {
  char buf[PATH_MAX];
  if (!::realpath(folder.empty() ? "." : folder.c_str(), buf)) return std::string();
  std::string out = buf;
  if (out.empty() || out.back() != '/') out += '/';
  return out;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (LowerAscii(text[text.size() - tail.size() + i]) != tail[i]) return false;
  return true;
}

bool IsCommandFileName(std::string_view name) {
  if (name.find(".~pm2tmp") != std::string_view::npos) return true;
  for (std::string_view ext : {".__i", "._ia", "._ii", ".lnp", ".__b"})
    if (EndsWithNoCase(name, ext)) return true;
  return false;
}

}  // namespace

std::string JournalEntryRefusal(char kind, std::string_view stored, const std::string& local,
                                const JournalScope& scope) {
  if (GoesUpBeyond(stored, kind == 'O' ? scope.storedFolders : scope.folders) || GoesUpBeyond(local, scope.folders))
    return "its path goes up a folder";
  if (local.empty() || local.front() != '/') return "not a path of this machine";
  struct stat st;
  if (::lstat(local.c_str(), &st) != 0) return "it cannot be examined";
  if (S_ISLNK(st.st_mode)) return "it is a link";
  if (!S_ISREG(st.st_mode)) return "it is no plain file";
  const size_t cut = local.rfind('/');
  const std::string name = local.substr(cut + 1);
  const std::string parent = RealFolder(local.substr(0, cut + 1));
  bool inside = false;
  for (const std::string& folder : scope.folders)
    if (!parent.empty() && RealFolder(folder) == parent) inside = true;
  if (!inside) return "it is outside the target's output and listing folders";
  if (scope.isProjectFile && scope.isProjectFile(local)) return "it is a file of the project";
  if (kind == 'T' && name.rfind("Pm2__", 0) != 0) return "it is no capture file";
  if (kind == 'C' && !IsCommandFileName(name)) return "it is no command file";
  return std::string();
}

namespace {

constexpr char kToolLockName[] = ".pm2lock";

// Removes every entry of the folder but the lock file; links are removed,
// never followed.
bool EmptyToolFolder(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return false;
  std::vector<std::string> names;
  while (dirent* e = ::readdir(dir)) {
    std::string_view n = e->d_name;
    if (n != "." && n != ".." && n != kToolLockName) names.emplace_back(n);
  }
  ::closedir(dir);
  for (const std::string& n : names) {
    // remove_all takes a link away without following it.
    std::error_code ec;
    std::filesystem::remove_all(path + "/" + n, ec);
  }
  return true;
}

}  // namespace

bool ToolTempFolder::Prepare(const std::string& folder, int waitMs, std::string* err) {
  Release();
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::string lockPath = path + "/" + kToolLockName;
  bool locked = false;
  int vanished = 0;  // times the folder went as it was opened
  for (int waited = 0;;) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 && ::mkdir(path.c_str(), 0700) != 0) {
      if (err) *err = "cannot make the temporary folder '" + path + "'";
      return false;
    }
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      if (err) *err = "'" + path + "' is no folder";
      return false;
    }
    lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
      // The build before removed the folder between the look and the open.
      if (errno == ENOENT && ++vanished < 100) continue;
      if (err) *err = "cannot lock the temporary folder '" + path + "'";
      return false;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
      // A build that ended removed the lock file: a lock taken on the
      // removed file guards nothing.
      if (SameObject(IdentityOfDescriptor(lockFd_), IdentityOfFile(lockPath))) {
        locked = true;
        break;
      }
      // Its build removed it as it ended: the folder is made anew.
      Release();
      continue;
    }
    if (waited >= waitMs) break;
    Release();
    ::usleep(20 * 1000);
    waited += 20;
  }
  path_ = path;
  if (!locked) {
    // Tools of an earlier build still write there: theirs stays.
    if (err) *err = "tools of an earlier build still use '" + path + "'";
    return true;
  }
  locked_ = true;
  if (!EmptyToolFolder(path)) {
    if (err) *err = "cannot read the temporary folder '" + path + "'";
    Release();
    return false;
  }
  return true;
}

void ToolTempFolder::Remove() {
  if (lockFd_ >= 0 && locked_) {
    struct stat st;
    const std::string lockPath = path_ + "/" + kToolLockName;
    // Only the folder this build locked: a link put in its place since is
    // left as it is, and so is what it points to.
    if (::lstat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
        SameObject(IdentityOfDescriptor(lockFd_), IdentityOfFile(lockPath))) {
      EmptyToolFolder(path_);
      ::unlink(lockPath.c_str());
      ::rmdir(path_.c_str());
    }
  }
  Release();
}

int ToolTempFolder::RemoveIdle(const std::string& folder) {
  if (folder.empty()) return 0;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  std::vector<std::string> candidates;
  while (dirent* e = ::readdir(dir)) {
    const std::string_view n = e->d_name;
    if (n.size() > 7 && n.substr(n.size() - 7) == ".pm2tmp") candidates.emplace_back(n);
  }
  ::closedir(dir);
  int removed = 0;
  for (const std::string& name : candidates) {
    const std::string path = folder + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    // Nothing but the lock file, and that one empty.
    DIR* inner = ::opendir(path.c_str());
    if (!inner) continue;
    bool onlyLock = true;
    while (dirent* e = ::readdir(inner)) {
      const std::string_view n = e->d_name;
      if (n != "." && n != ".." && n != kToolLockName) onlyLock = false;
    }
    ::closedir(inner);
    const std::string lockPath = path + "/" + kToolLockName;
    if (!onlyLock || ::lstat(lockPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0) continue;
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    // Held, it belongs to a build or tools that still run.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameObject(IdentityOfDescriptor(fd), IdentityOfFile(lockPath))) {
      ::unlink(lockPath.c_str());
      if (::rmdir(path.c_str()) == 0) ++removed;
    }
    ::close(fd);
  }
  return removed;
}

void ToolTempFolder::Release() {
  if (lockFd_ >= 0) ::close(lockFd_);
  lockFd_ = -1;
  locked_ = false;
  path_.clear();
}

RunJournal::~RunJournal() {
  if (fd_ >= 0) ::close(fd_);
}

int RunJournal::Begin(const std::string& path, const LocalPathFn& local, const JournalScope& scope,
                      std::vector<std::string>* warnings) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
  steps_.clear();
  current_ = 0;
  commandFiles_.clear();
  int deleted = 0;
  std::string text;
  if (ReadStoredFile(path, kStoredTextFileMax, text, nullptr)) {
    // Replayed in order: what is named and not marked complete or gone
    // afterwards is deleted (a file named twice needs two marks).
    struct Named {
      std::string file;
      char kind;
      std::string stored;
    };
    std::vector<Named> named;
    std::unordered_map<std::string, int> open;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) break;  // cut off: not a whole entry
      std::string line = text.substr(start, end - start);
      start = end + 1;
      if (line.size() < 3 || line[1] != ' ') continue;
      const char kind = line[0];
      const std::string stored = line.substr(2);
      std::string file = stored;
      if (kind == 'O' || kind == 'o') file = local ? local(file) : file;
      else if (kind != 'C' && kind != 'T' && kind != 't') continue;
      if (file.empty()) continue;
      if (kind == 'o' || kind == 't') {
        auto it = open.find(file);
        if (it != open.end() && it->second > 0) --it->second;
        continue;
      }
      if (open[file]++ == 0) named.push_back({file, kind, stored});
    }
    for (const Named& n : named) {
      struct stat st;
      if (open[n.file] <= 0 || ::lstat(n.file.c_str(), &st) != 0) continue;
      const std::string why = JournalEntryRefusal(n.kind, n.stored, n.file, scope);
      if (!why.empty()) {
        if (warnings)
          warnings->push_back("*** WARNING: '" + path + "' names '" + n.stored + "', which is left as it is: " +
                              why + ".\n");
        continue;
      }
      if (::unlink(n.file.c_str()) == 0) ++deleted;
    }
    ::unlink(path.c_str());
  }
  ::unlink((path + ".new").c_str());  // an older program's rewrite the kill cut short
  path_ = path;
  return deleted;
}

int RunJournal::StepStarting(const std::vector<std::string>& outputs) {
  std::lock_guard<std::mutex> hold(mutex_);
  current_ = nextStep_++;
  steps_[current_].outputs = outputs;
  std::string text;
  for (const std::string& f : outputs) text += "O " + f + "\n";
  Append(text);
  return current_;
}

void RunJournal::CaptureStarting(const std::string& localPath) { CaptureStarting(current_, localPath); }

void RunJournal::CaptureStarting(int step, const std::string& localPath) {
  std::lock_guard<std::mutex> hold(mutex_);
  Step& s = steps_[step];
  std::string text;
  for (const std::string& f : s.temps) text += "t " + f + "\n";
  s.temps = {localPath};
  text += "T " + localPath + "\n";
  Append(text);
}

void RunJournal::StepDone() { StepDone(current_); }

void RunJournal::StepDone(int step) {
  std::lock_guard<std::mutex> hold(mutex_);
  auto it = steps_.find(step);
  if (it == steps_.end()) return;
  std::string text;
  for (const std::string& f : it->second.outputs) text += "o " + f + "\n";
  for (const std::string& f : it->second.temps) text += "t " + f + "\n";
  steps_.erase(it);
  Append(text);
}

void RunJournal::AddCommandFile(const std::string& localPath) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!commandFiles_.insert(localPath).second) return;
  Append("C " + localPath + "\n");
}

void RunJournal::End() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!path_.empty()) ::unlink(path_.c_str());
  path_.clear();
  steps_.clear();
  commandFiles_.clear();
}

void RunJournal::Append(const std::string& text) {
  if (path_.empty() || text.empty()) return;
  // No fsync: the journal guards against a killed program, whose writes the
  // kernel keeps.
  if (fd_ < 0) fd_ = OpenOwnFile(path_, O_TRUNC | O_APPEND, 0644);
  if (fd_ < 0) return;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += size_t(n);
  }
}

}  // namespace pm2
