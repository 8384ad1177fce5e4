// Small helpers of the file-service tests: a scratch folder, whole-file
// reads and writes, and a disk that fails one step.
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/atomic_file.h"
#include "test_leftovers.h"

namespace pm2 {

struct ScratchDir {
  std::filesystem::path path;
  ScratchDir() {
    std::string tmpl = test::TempFolder() + "/pm2_files_XXXXXX";
    path = mkdtemp(tmpl.data());
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string File(const std::string& name) const { return (path / name).string(); }
};

inline std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The real disk with one step made to fail.
class FailingDisk : public Disk {
 public:
  enum Step { kCreate, kWrite };
  explicit FailingDisk(Step s) : step(s) {}
  int CreateNew(const std::string& p, unsigned m, int* h) override {
    return step == kCreate ? EACCES : d.CreateNew(p, m, h);
  }
  int Write(int h, const char* data, size_t n) override {
    return step == kWrite ? ENOSPC : d.Write(h, data, n);
  }
  int Sync(int h) override { return d.Sync(h); }
  int Close(int h) override { return d.Close(h); }
  int Rename(const std::string& a, const std::string& b) override { return d.Rename(a, b); }
  int Link(const std::string& a, const std::string& b) override { return d.Link(a, b); }
  int Remove(const std::string& p) override { return d.Remove(p); }
  int SyncFolder(const std::string& f) override { return d.SyncFolder(f); }
  int Stat(const std::string& p, bool* e, unsigned* m) override { return d.Stat(p, e, m); }
  int ReadAll(const std::string& p, std::string* o) override { return d.ReadAll(p, o); }
  Step step;
  Disk& d = RealDisk();
};

}  // namespace pm2
