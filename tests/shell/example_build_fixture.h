// pelmora2 run as a user runs it, on a copy of the example project: the
// fixtures of the tests of command-line builds.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utime.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "example_copy.h"
#include "platform/ipc_namespace.h"
#include "platform/ipc_objects.h"
#include "test_leftovers.h"

namespace pm2 {

namespace fs = std::filesystem;

inline std::string ReadText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline long MTime(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? long(st.st_mtime) : 0;
}

inline void SetTime(const std::string& path, long t) {
  struct utimbuf times{t, t};
  ::utime(path.c_str(), &times);
}

// pelmora2 run on a copy of the example project.
class ExampleCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::string(std::getenv("PM2_TEST_BIN")) + "/test-root/";
    // Every program the test starts (the window program too, when there is
    // a display) has an event-interface namespace and a runtime folder of
    // its own: a user's running IDE neither disturbs it nor is disturbed.
    // (A test that calls SetUp again for a fresh copy keeps its folder.)
    if (run_.empty()) {
      std::string run = (fs::temp_directory_path() / "pm2example_run_XXXXXX").string();
      ASSERT_NE(::mkdtemp(run.data()), nullptr);
      run_ = run;
    }
    ::setenv("XDG_RUNTIME_DIR", run_.c_str(), 1);
    ::setenv("PM2_IPC_SUFFIX", test::TestSuffix("clb").c_str(), 1);
    std::string pattern = (fs::temp_directory_path() / "pm2example_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
    test::CopyExample(std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky", dir_);
    fs::remove_all(dir_ + "Obj");
    // Sources well in the past, so every object is newer than them.
    for (const auto& e : fs::directory_iterator(dir_)) SetTime(e.path().string(), time(nullptr) - 1000);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
    if (!run_.empty()) {
      IpcObjects::RemoveAll(IpcNamespace::FromEnvironment());
      fs::remove_all(run_);
    }
  }
  // Runs pelmora2 with the arguments; the output lands in out_.
  int Run(const std::string& args) {
    std::string cmd = root_ + "PM2/pelmora2 " + args + " > " + dir_ + "stdout.txt 2>&1";
    int status = std::system(cmd.c_str());
    out_ = ReadText(dir_ + "stdout.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string root_, dir_, out_, run_;
};

// Builds that need Debian's arm-none-eabi tools.
class ExampleBuild : public ExampleCopy {
 protected:
  void SetUp() override {
    if (!fs::exists(std::string(std::getenv("PM2_TEST_BIN")) + "/test-root/GNU/Arm-Tools/Bin/arm-uclibc-gcc"))
      GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
    ExampleCopy::SetUp();
  }
  int Build() { return Run("-b " + dir_ + "Blinky.pm2"); }
  bool Compiled(const std::string& name) const {
    return out_.find("compiling " + name + "...") != std::string::npos;
  }
};

}  // namespace pm2
