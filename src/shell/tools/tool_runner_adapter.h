// The user-tool thread's runner over the build system's tool runner: each
// run gets a runner of its own, so an independent run and a waiting one
// never share the runner's working state.
#pragma once

#include "builder/runner/tool_runner.h"
#include "shell/tools/user_tool_thread.h"

namespace pm2 {

class ToolRunnerExternal : public ExternalRunner {
 public:
  explicit ToolRunnerExternal(ToolRunnerDeps deps) : m_deps(std::move(deps)) {}
  void Run(const ExternalRun& run) override {
    ToolRunner runner(m_deps);
    runner.RunExternalCommand(run.program, run.arguments, run.folder,
                              run.hasEnvironment ? &run.environment : nullptr, run.showMode);
  }

 private:
  ToolRunnerDeps m_deps;
};

}  // namespace pm2
