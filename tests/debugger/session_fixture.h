// A debug session over the application object's fakes and the scriptable
// test driver beside the program: the example project's target names the
// driver and a script file the test writes.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "debugger/session/debug_session.h"
#include "project/environment/environment.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/example_project.h"
#include "shell_fakes.h"

namespace pm2 {

// Records what the session asks of the frame and the windows; the driver's
// log at the time of each window call shows where it came in the start.
class RecordingHost : public SessionHost {
 public:
  void SaveDockLayout(int which) override { calls.push_back("save " + std::to_string(which)); }
  void ApplyDockLayout(int which) override { calls.push_back("apply " + std::to_string(which)); }
  bool TakeFirstRun() override {
    bool was = firstRun;
    firstRun = false;
    return was;
  }
  void ShowDebugToolbar() override { calls.push_back("debug toolbar"); }
  void ProjectBarDebugState(bool on) override { calls.push_back(on ? "bar debug" : "bar build"); }
  bool WindowOpen(DebugWindow w) override { return open[int(w)]; }
  void OpenWindow(DebugWindow w) override {
    open[int(w)] = true;
    calls.push_back("open " + std::to_string(int(w)) + " after " + LastBoot());
  }
  void CloseWindow(DebugWindow w) override {
    open[int(w)] = false;
    calls.push_back("close " + std::to_string(int(w)));
  }
  void SetRegisterSet(const RegisterSet* set) override {
    registerSet = set;
    calls.push_back(set ? "registers" : "no registers");
  }
  void SendDebuggerAborted() override { calls.push_back("aborted"); }
  void SessionEnding() override { calls.push_back("ending"); }
  void TargetStopped() override { calls.push_back("stopped"); }
  void PostTargetStopped() override { ++stopsPosted; }
  void PostDriverEnded() override { driverEnded = true; }
  bool StepByInstruction() override { return byInstruction; }
  bool DisassemblyOpen() override { return open[int(DebugWindow::Disassembly)]; }
  bool byInstruction = false;  // the disassembly window in front, or no source open
  std::atomic<bool> driverEnded{false};
  std::atomic<int> stopsPosted{0};  // the driver's stop notifications (from its threads)
  bool Called(const std::string& what) const {
    for (const auto& c : calls)
      if (c == what) return true;
    return false;
  }
  std::string LastBoot() const;

  bool firstRun = false;
  bool open[16] = {};
  const RegisterSet* registerSet = nullptr;
  std::vector<std::string> calls;
  void* driver = nullptr;  // the test's own handle of the driver library
};

// The frame's debug services go to the session, as the main frame's do.
class RoutingFrame : public RecordingFrame {
 public:
  intptr_t DebugService(int code, intptr_t arg) override {
    intptr_t result = 0;
    if (session && session->Service(code, arg, &result)) return result;
    return RecordingFrame::DebugService(code, arg);
  }
  DebugSession* session = nullptr;
};

class SessionTest : public ShellAppTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes the driver's script and names it in the target's options.
  void Script(const std::string& text);
  // The driver's calls since the last clear.
  std::string DriverLog() const;
  void ClearDriverLog();
  void SetExecuting(bool on);
  void Start() { session->StartDebugger(); }

  ProjectRec* project = nullptr;
  RoutingFrame routed;
  ToolsetInfo arm;
  RecordingHost host;
  std::unique_ptr<DebugSession> session;
  std::string scriptPath;
};

}  // namespace pm2
