// A project of one target built with the stand-in tools (or the real
// ARM-GNU tools) in a scratch folder, with a recording hub and shell.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "builder/build_test_support.h"
#include "builder/driver/build_driver.h"
#include "platform/notification_hub.h"
#include "project/environment/environment.h"
#include "project/model/app_state.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/recording_shell.h"
#include "project/text/pool.h"

namespace pm2 {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadFile;
using test::WriteFile;

// Sets a variable of this process for one test (the children inherit it).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) { ::setenv(name, value, 1); }
  ~ScopedEnv() { ::unsetenv(name_); }

 private:
  const char* name_;
};

struct ToolsProject {
  void SetUpProject(uint16_t toolset, const char* binFolder) {
    project = NewProject(nullptr, (dir.Path() + "P.pm2").c_str());
    target = project->firstTarget;
    target->toolset = toolset;
    ResetTargetOptions(target, kToolsetUndefined);
    opts = FindTargetOptions(target->pOpts, target);
    opts->out.OUTDIR = OptString(".\\");
    opts->out.OUTNAME = OptString("Blinky");
    opts->out.flags.GENHEX = 1;
    opts->out.flags.bit4 = 0;  // no beep when done unless a test asks
    info.toolset = toolset;
    info.rootFolder = test::InstallRoot() + binFolder;
    info.toolsFolder = info.rootFolder + "BIN/";
    slot = toolset;
    theApp().m_pToolsetInfo[slot] = &info;
    savedSpawn = theApp().m_vspawnPath;
    theApp().m_vspawnPath = test::SpawnHelper();
  }
  ~ToolsProject() {
    if (slot >= 0) theApp().m_pToolsetInfo[slot] = nullptr;
    theApp().m_vspawnPath = savedSpawn;
    PoolFree(kPoolScratch);
    PoolFree(kPoolProject);
  }
  FileRec* Add(const char* name, uint8_t type, const std::string& text = "int x;\n") {
    if (type != kFileObject || !FileExists(dir / name)) WriteFile(dir / name, text);
    return AddFileToGroup(project->firstGroup, name, ".\\", type);
  }
  std::vector<std::string> Lines() const { return hub.Texts(kNotifyBuildOutputLine); }
  bool HasLine(const std::string& line) const {
    for (const auto& l : Lines())
      if (l == line) return true;
    return false;
  }
  // Index of the first line that starts with the text, or -1.
  int LineIndex(const std::string& start) const {
    auto lines = Lines();
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i].rfind(start, 0) == 0) return int(i);
    return -1;
  }
  // Waits for the line, bounded only to catch a build that never shows it.
  void WaitForLine(const std::string& start) const {
    for (int i = 0; i < 24000 && LineIndex(start) < 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::vector<std::string> FilesWithExtension(const std::string& ext) const {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir.Path()))
      if (e.path().extension() == ext) found.push_back(e.path().filename().string());
    return found;
  }
  BuildDriverDeps Deps() { return {&hub, &shell.shell, nullptr, dir.Path(), dir.Path()}; }

  test::ScratchFolder dir;
  ScopedRecordingShell shell;
  RecordingHub hub;
  ToolsetInfo info;
  int slot = -1;
  std::string savedSpawn;
  ProjectRec* project = nullptr;
  TargetRec* target = nullptr;
  OptionBlock* opts = nullptr;
};

struct ToolsFixture : ::testing::Test, ToolsProject {};


}  // namespace pm2
