#include "builder/driver/run_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <unordered_map>

#include "project/files/stored_file_read.h"

namespace pm2 {

RunJournal::~RunJournal() {
  if (fd_ >= 0) ::close(fd_);
}

int RunJournal::Begin(const std::string& path, const LocalPathFn& local) {
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
    std::vector<std::string> named;
    std::unordered_map<std::string, int> open;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) break;  // cut off: not a whole entry
      std::string line = text.substr(start, end - start);
      start = end + 1;
      if (line.size() < 3 || line[1] != ' ') continue;
      const char kind = line[0];
      std::string file = line.substr(2);
      if (kind == 'O' || kind == 'o') file = local ? local(file) : file;
      else if (kind != 'C' && kind != 'T' && kind != 't') continue;
      if (file.empty()) continue;
      if (kind == 'o' || kind == 't') {
        auto it = open.find(file);
        if (it != open.end() && it->second > 0) --it->second;
        continue;
      }
      if (open[file]++ == 0) named.push_back(file);
    }
    for (const std::string& file : named)
      if (open[file] > 0 && ::unlink(file.c_str()) == 0) ++deleted;
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
  if (fd_ < 0) fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
  if (fd_ < 0) return;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += size_t(n);
  }
}

}  // namespace pm2
