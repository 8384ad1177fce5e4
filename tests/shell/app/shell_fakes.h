// Fakes of the application layer's ports: dialogs that record questions
// and answer from a script, a timer on a manual clock, and a frame, build,
// debugger and event interface that record what they were asked.
#pragma once

#include <cstdio>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/notification_hub.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"
#include "project/model/app_state.h"
#include "project/text/pool.h"
#include "shell/app/build_port.h"
#include "shell/app/debug_port.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/ipc_port.h"
#include "shell/app/shell_app.h"
#include "shell/app/timer_port.h"
#include "shell/app/user_dialogs.h"

namespace pm2 {

class RecordingDialogs : public UserDialogs {
 public:
  struct Box {
    std::string text;
    int kind = 0;
  };
  void Beep() override { ++beeps; }
  int MessageBox(const std::string& text, int kind) override {
    boxes.push_back({text, kind});
    // What a real box's event loop may run while it is open.
    if (whileOpen) whileOpen();
    if (!answers.empty()) {
      int a = answers.front();
      answers.pop_front();
      return a;
    }
    int buttons = kind & 0xF;
    return (buttons == kMbYesNo || buttons == kMbYesNoCancel) ? kIdYes : kIdOk;
  }
  bool SaveFileDialog(const std::string& title, const std::string&, const std::string&,
                      std::string* path) override {
    saveTitles.push_back(title);
    if (savePath.empty()) return false;
    *path = savePath;
    return true;
  }
  int beeps = 0;
  std::vector<Box> boxes;
  std::deque<int> answers;  // answers in order; then Yes/OK
  std::string savePath;     // empty: the save dialog is cancelled
  std::vector<std::string> saveTitles;
  std::function<void()> whileOpen;
};

// Timers on a clock that only moves when the test says so.
class FakeTimer : public TimerPort {
 public:
  int StartTimer(int intervalMs, std::function<void(int)> onTimer) override {
    int id = ++m_lastId;
    m_timers[id] = {intervalMs, now + intervalMs, std::move(onTimer)};
    return id;
  }
  void KillTimer(int id) override { m_timers.erase(id); }
  // Moves the clock forward one millisecond at a time, firing due timers.
  void Advance(int ms) {
    for (int i = 0; i < ms; ++i) {
      ++now;
      std::vector<int> due;
      for (auto& [id, t] : m_timers)
        if (t.due <= now) due.push_back(id);
      for (int id : due) {
        auto it = m_timers.find(id);
        if (it == m_timers.end()) continue;
        it->second.due = now + it->second.interval;
        auto fire = it->second.fire;
        fire(id);
      }
    }
  }
  int Running() const { return static_cast<int>(m_timers.size()); }
  int IntervalOf(int id) const { return m_timers.count(id) ? m_timers.at(id).interval : -1; }
  int64_t now = 0;

 private:
  struct T {
    int interval;
    int64_t due;
    std::function<void(int)> fire;
  };
  std::map<int, T> m_timers;
  int m_lastId = 0;
};

class RecordingFrame : public FrameHooks {
 public:
  void CloseMainWindow() override { calls.push_back("CloseMainWindow"); }
  void UpdateTitle() override { calls.push_back("UpdateTitle"); }
  void EnableTargetBox(bool on) override { calls.push_back(on ? "EnableTargetBox" : "DisableTargetBox"); }
  void IdleUpdate() override { calls.push_back("IdleUpdate"); }
  void ShowOutputPage(int page) override { calls.push_back("ShowOutputPage " + std::to_string(page)); }
  void ShowStatusProgress(const ProgressRequest& r) override {
    calls.push_back("Progress " + std::to_string(r.kind) + " " + std::to_string(r.position) + " " +
                    (r.label ? r.label : "(null)"));
  }
  void DriverStatusChanged(const std::string& text) override { calls.push_back("Status " + text); }
  bool RouteCommand(int id) override {
    calls.push_back("Route " + std::to_string(id));
    return true;
  }
  void AppendOutputLine(int page, const char* text) override {
    lines.push_back(std::to_string(page) + ":" + (text ? text : "<clear>"));
  }
  void AppendCommandOutput(const char* text) override { commandLines.push_back(text ? text : "<clear>"); }
  void RefreshProjectTree() override { calls.push_back("RefreshProjectTree"); }
  void RefreshFileMarks(TargetRec*) override { calls.push_back("RefreshFileMarks"); }
  void ForAllDocuments(int action) override { calls.push_back("Documents " + std::to_string(action)); }
  void* OpenDocument(const std::string& path) override {
    calls.push_back("OpenDocument " + path);
    return this;
  }
  void CheckChangedSourceFiles() override { calls.push_back("CheckChangedSourceFiles"); }
  std::string ActiveDocumentTitle() override { return activeTitle; }
  bool LineInput(const std::string& prompt, std::string* text) override {
    calls.push_back("LineInput " + prompt);
    if (!lineInputOk) return false;
    *text = lineInput;
    return true;
  }
  void CloseBrowser() override { calls.push_back("CloseBrowser"); }
  void StartDebugger() override { calls.push_back("StartDebugger"); }
  void StopDebugger() override { calls.push_back("StopDebugger"); }
  void OnDebugStartStop() override { calls.push_back("OnDebugStartStop"); }
  void WriteSerial(int window, const void*, int count, bool wide) override {
    calls.push_back("Serial " + std::to_string(window) + " " + std::to_string(count) + (wide ? " wide" : ""));
  }
  intptr_t DebugService(int code, intptr_t) override {
    calls.push_back("DebugService " + std::to_string(code));
    return 77;
  }
  bool Called(const std::string& what) const {
    for (const auto& c : calls)
      if (c == what) return true;
    return false;
  }
  std::vector<std::string> calls;
  std::vector<std::string> lines;
  std::vector<std::string> commandLines;
  std::string activeTitle;
  std::string lineInput;
  bool lineInputOk = true;
};

class RecordingBuild : public BuildPort {
 public:
  bool StartBuild(ProjectRec*, TargetRec*, int mode) override {
    calls.push_back("Build " + std::to_string(mode));
    return !refuseStart;
  }
  bool StartTranslate(ProjectRec*, TargetRec*, FileRec*) override {
    calls.push_back("Translate");
    return !refuseStart;
  }
  bool refuseStart = false;  // the next starts are refused (a build still runs)
  int StopBuild() override { return 1; }
  bool LastWasTranslation() const override { return translation; }
  void UpdateDependencies(ProjectRec*, TargetRec*) override { calls.push_back("UpdateDependencies"); }
  void SetBuildLogFile(int action, const std::string& name) override {
    calls.push_back("Log " + std::to_string(action) + (name.empty() ? "" : " " + name));
  }
  void LogOutputLine(const char* line) override { logged.push_back(line); }
  int LastErrorCount() const override { return errors; }
  int LastBuildResult() const override { return stopped ? -1 : BuildPort::LastBuildResult(); }
  bool LastRunChangedFiles() const override { return changed; }
  int errors = 0;
  bool stopped = false;
  bool translation = false;
  bool changed = true;
  std::vector<std::string> calls;
  std::vector<std::string> logged;
};

class FakeDebug : public DebugPort {
 public:
  bool SessionActive() const override { return session; }
  bool TargetExecuting() const override { return executing; }
  bool CommandLogOn() const override { return commandLog; }
  bool SerialLogOn() const override { return serialLog; }
  uint32_t ProgramCounter() const override { return pc; }
  uint32_t pc = 0;
  void Log(int kind, const char* data, int count) override {
    logs.push_back(std::to_string(kind) + ":" + (count < 0 ? std::string(data) : std::string(data, count)));
  }
  int ExecCommand(const char* text, int length) override {
    executed.push_back(std::string(text, length));
    return 0;
  }
  bool HasControl() const override { return control; }
  intptr_t Control(int code, intptr_t a, intptr_t) override {
    controls.push_back(std::to_string(code) + "," + std::to_string(a));
    return 0;
  }
  bool session = false, executing = false, commandLog = false, serialLog = false, control = false;
  std::vector<std::string> logs, executed, controls;
};

class RecordingIpc : public IpcPort {
 public:
  void SendBuildInfo(const char* line) override { info.push_back(line ? line : "<null>"); }
  void SendBuildEnd() override { ++buildEnds; }
  void ChannelSend(int kind, const char* text) override { channel.push_back(std::to_string(kind) + ":" + text); }
  void SendDebuggerAborted() override { events.push_back("aborted"); }
  void SendDebuggerStarted() override { events.push_back("debugger started"); }
  void SendDebuggerStopped() override { events.push_back("debugger stopped"); }
  void SendExecutionStarted(uint32_t) override { events.push_back("execution started"); }
  void SendDebugStatusText(const char* text) override { events.push_back(std::string("status ") + text); }
  void SendExecutionStopped(bool debugging, bool running, uint32_t pc) override {
    char text[64];
    std::snprintf(text, sizeof text, "execution stopped %d %d 0x%X", debugging, running, pc);
    events.push_back(text);
  }
  std::vector<std::string> info, channel, events;
  int buildEnds = 0;
};

// An application object over the fakes, with a clean shared state.
class ShellAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState();
    PoolFreeAll();
    deps.hub = &hub;
    deps.dialogs = &dialogs;
    deps.settings = &settings;
    deps.timer = &timer;
    deps.build = &build;
    deps.frame = &frame;
    deps.debug = &debug;
    deps.ipc = &ipc;
    app = std::make_unique<ShellApp>(deps);
  }
  void TearDown() override {
    app.reset();
    ResetAppState();
    PoolFreeAll();
  }

  TempDir dir;
  RecordingHub hub;
  RecordingDialogs dialogs;
  SettingsStore settings{dir / "settings.ini"};
  FakeTimer timer;
  RecordingBuild build;
  RecordingFrame frame;
  FakeDebug debug;
  RecordingIpc ipc;
  ShellDeps deps;
  std::unique_ptr<ShellApp> app;
};

}  // namespace pm2
