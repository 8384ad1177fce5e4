// Shared fixture of the link-step tests: a target whose output goes to a
// scratch folder and a fake runner that records every request.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "builder/build_test_support.h"
#include "builder/cmd_fixture.h"
#include "builder/driver/build_state.h"
#include "builder/driver/link_steps.h"
#include "builder/runner/tool_run_request.h"
#include "project/files/entry_stream.h"
#include "project/recording_shell.h"

namespace pm2::test {

// The records a 51/166 linker leaves in its output.
class OutputRecords {
 public:
  OutputRecords& Entry(uint8_t kind, uint8_t sub, uint32_t time, const std::string& name) {
    body_ += char(kind);
    body_ += char(sub);
    for (int i = 0; i < 4; ++i) body_ += char((time >> (8 * i)) & 0xFF);
    body_ += char(name.size());
    body_ += name;
    return *this;
  }
  // A file with its current time, as the linker records what it read.
  OutputRecords& Read(const std::string& path) {
    uint32_t t = 0;
    DiskFileTime(path, &t);
    return Entry(0, 0, t, path);
  }
  std::string Bytes() const {
    const uint16_t length = uint16_t(body_.size() + 1);
    return std::string("p") + char(length & 0xFF) + char(length >> 8) + body_ + '\0';
  }

 private:
  std::string body_;
};

// A target whose output goes to a scratch folder, a fake runner that keeps
// every request and answers with a chosen exit code and counts.
struct LinkFixture {
  ScratchFolder dir;
  CmdFixture fx;
  BuildState state;
  RecordingShell shell;
  std::vector<ToolRunRequest> runs;
  std::deque<FileRec> files;
  uint32_t exitCode = 0;
  int errors = 0;
  std::function<void(ToolRunRequest&)> onRun;  // what the fake tool does
  LinkStepEnv env;

  explicit LinkFixture(uint16_t toolset) : fx(toolset) {
    fx.targetOpts.out.OUTDIR = OptString(dir.Path().c_str());
    env.cmd = &fx.ctx;
    env.state = &state;
    env.shell = &shell;
    env.projectFolder = dir.Path();
    env.envInput.toolset = toolset;
    env.run = [this](ToolRunRequest& r) {
      r.exitCode = exitCode;
      r.errors = errors;
      runs.push_back(r);
      if (onRun) onRun(r);
    };
  }
  // An item as the build records it: translated (flags 0), object or library.
  BuildItem& Add(const std::string& name, uint32_t flags, uint16_t bank = 0, const char* modules = "") {
    WriteFile(dir / name, "data");
    state.request = ToolRunRequest{};
    state.request.objectFile = dir / name;
    state.request.flags = flags;
    state.request.commandFile = modules;
    state.request.toolCode = 1;
    RecordBuildItem(state, &fx.target, &fx.group, &files.emplace_back());
    state.items.back().bank = bank;
    return state.items.back();
  }
  // A translated object as the ARM link steps take it.
  void AddObject(const std::string& name) {
    WriteFile(dir / name, "obj");
    state.request = ToolRunRequest{};
    state.request.objectFile = dir / name;
    RecordBuildItem(state, &fx.target, &fx.group, &files.emplace_back());  // one file per item
  }
  std::string Q(const std::string& name) { return "\"" + (dir / name) + "\""; }
  std::string Out(const std::string& ext = "") { return dir / (ext.empty() ? "blinky" : "blinky." + ext); }
  // The output the linker would leave: its command file and every input.
  void WriteLinkerOutput(const std::vector<std::string>& inputs, OutputRecords extra = {}) {
    extra.Entry(3, 0, 0, Out("lnp"));
    for (const auto& in : inputs) extra.Read(dir / in);
    WriteFile(Out(), extra.Bytes());
  }
};

}  // namespace pm2::test
