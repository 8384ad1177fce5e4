// What the frame's tests share: one start of the program (runtime,
// start-up steps and the frame) and a fixture that copies the example
// project into a scratch folder and leaves the shared state clean.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/settings_store.h"
#include "project/model/app_state.h"
#include "project/text/pool.h"
#include "shell/app/shell_app.h"
#include "shell/frame/frame_startup.h"
#include "shell/frame/main_frame.h"
#include "shell/windows/shell_runtime.h"

namespace pm2::test {

struct Session {
  Session(SettingsStore& settings, const std::string& commandLine, const std::string& program)
      : runtime(settings), ports(runtime, settings, false) {
    started = runtime.App().InitInstance(ports, commandLine, program);
  }
  ~Session() {
    ports.DestroyFrame();
    runtime.App().ExitInstance(ports);
  }
  ShellApp& App() { return runtime.App(); }
  CMainFrame* Frame() { return ports.Frame(); }
  ShellRuntime runtime;
  FrameStartup ports;
  bool started = false;
};

// `root` is the build tree's installation root, `dir` a copy of
// examples/blinky without its outputs; both end in '/'.
class ExampleFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    const char* bin = std::getenv("PM2_TEST_BIN");
    root = std::string(bin ? bin : "") + "/root/";
    std::string pattern = (fs::temp_directory_path() / "pm2frame_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern + "/";
    fs::copy(std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky", dir, fs::copy_options::recursive);
    fs::remove_all(dir + "Obj");
    ResetAppState();
    PoolFreeAll();
  }
  void TearDown() override {
    ResetAppState();
    PoolFreeAll();
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }
  std::string root, dir;
};

}  // namespace pm2::test
