#include "builder/driver/run_journal.h"

#include <unistd.h>

#include <cstdio>

#include "project/files/stored_file_read.h"

namespace pm2 {

namespace {

// The journal is written often and read once. A new text goes to a
// scratch file renamed over the journal, so a kill at any moment leaves
// the old entries or the new ones, never an emptied file. (No fsync: it
// guards against a killed program, whose writes the kernel keeps.)
bool WriteWhole(const std::string& path, const std::string& text) {
  const std::string scratch = path + ".new";
  std::FILE* f = std::fopen(scratch.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fclose(f) == 0 && ok;
  return ok && std::rename(scratch.c_str(), path.c_str()) == 0;
}

}  // namespace

int RunJournal::Begin(const std::string& path, const LocalPathFn& local) {
  std::lock_guard<std::mutex> hold(mutex_);
  path_.clear();
  steps_.clear();
  current_ = 0;
  commandFiles_.clear();
  int deleted = 0;
  std::string text;
  if (ReadStoredFile(path, kStoredTextFileMax, text, nullptr)) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) break;  // cut off: not a whole entry
      std::string line = text.substr(start, end - start);
      start = end + 1;
      if (line.size() < 3 || line[1] != ' ') continue;
      std::string file = line.substr(2);
      if (line[0] == 'O') file = local ? local(file) : file;
      else if (line[0] != 'C' && line[0] != 'T') continue;
      if (!file.empty() && ::unlink(file.c_str()) == 0) ++deleted;
    }
    ::unlink(path.c_str());
  }
  ::unlink((path + ".new").c_str());  // a rewrite the kill cut short
  path_ = path;
  return deleted;
}

int RunJournal::StepStarting(const std::vector<std::string>& outputs) {
  std::lock_guard<std::mutex> hold(mutex_);
  current_ = nextStep_++;
  steps_[current_].outputs = outputs;
  Write();
  return current_;
}

void RunJournal::CaptureStarting(const std::string& localPath) { CaptureStarting(current_, localPath); }

void RunJournal::CaptureStarting(int step, const std::string& localPath) {
  std::lock_guard<std::mutex> hold(mutex_);
  steps_[step].temps = {localPath};
  Write();
}

void RunJournal::StepDone() { StepDone(current_); }

void RunJournal::StepDone(int step) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (steps_.erase(step) == 0) return;
  Write();
}

void RunJournal::AddCommandFile(const std::string& localPath) {
  std::lock_guard<std::mutex> hold(mutex_);
  for (const std::string& f : commandFiles_)
    if (f == localPath) return;
  commandFiles_.push_back(localPath);
  Write();
}

void RunJournal::End() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!path_.empty()) ::unlink(path_.c_str());
  path_.clear();
  steps_.clear();
  commandFiles_.clear();
}

void RunJournal::Write() {
  if (path_.empty()) return;
  std::string text;
  for (const auto& [n, step] : steps_)
    for (const std::string& f : step.outputs) text += "O " + f + "\n";
  for (const std::string& f : commandFiles_) text += "C " + f + "\n";
  for (const auto& [n, step] : steps_)
    for (const std::string& f : step.temps) text += "T " + f + "\n";
  WriteWhole(path_, text);
}

}  // namespace pm2
