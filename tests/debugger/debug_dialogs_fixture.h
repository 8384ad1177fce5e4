// The debug dialogs against the scriptable test driver: the driver
// library is loaded and started with a script, and the dialogs get its
// record, a recording fake for beeps and message boxes, and recorders for
// the IDE services and the commands they hand to the command window.
#pragma once

#include <dlfcn.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <fstream>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "debugger/dialogs/dialog_context.h"
#include "debugger/model/command_output.h"
#include "shell/app/shell_fakes.h"
#include "test_leftovers.h"

namespace pm2::test {

class ScriptedDriver {
 public:
  explicit ScriptedDriver(const std::string& script) {
    m_lib = dlopen(PM2_TESTDRV_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!m_lib) return;
    auto boot = reinterpret_cast<BootDllFn>(dlsym(m_lib, "BootDll"));
    m_log = reinterpret_cast<const char* (*)()>(dlsym(m_lib, "TestDriverLog"));
    m_clear = reinterpret_cast<void (*)()>(dlsym(m_lib, "TestDriverClearLog"));
    std::string path = test::TempFolder() + "/pm2-dlg-script-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd >= 0) close(fd);
    m_scriptPath = path;
    std::ofstream(m_scriptPath) << script;
    m_ide = DebugInterface{};
    m_ide.size = sizeof(DebugInterface);
    m_ide.family = 3;
    m_ide.PrintToCommandWindow = [](const char* text) { Printed() += text ? text : ""; };
    boot(1, &m_ide);
    boot(2, &m_record);
    m_settings = std::make_unique<DebugSettings>();
    std::memset(m_settings.get(), 0, sizeof(DebugSettings));
    std::snprintf(m_settings->dllParams, sizeof m_settings->dllParams, "%s", m_scriptPath.c_str());
    boot(3, m_settings.get());
    m_record->flags |= kDbgFlagActive;
    m_record->shownAddress = 0xFFFFFFFFu;
    m_record->word16C = 0xFFFFFFFFu;
    ClearLog();
  }
  ~ScriptedDriver() { std::remove(m_scriptPath.c_str()); }
  ScriptedDriver(const ScriptedDriver&) = delete;

  bool Loaded() const { return m_record != nullptr; }
  DebugInterface* Record() const { return m_record; }
  std::string Log() const { return m_log ? m_log() : ""; }
  void ClearLog() {
    if (m_clear) m_clear();
  }
  bool Logged(const std::string& line) const { return Log().find(line + "\n") != std::string::npos; }

  // The context a dialog gets; commands and services are recorded.
  DebugDialogContext Context() {
    DebugDialogContext c;
    c.record = [this] { return m_record; };
    c.dialogs = &dialogs;
    c.service = [this](int code, intptr_t arg) -> intptr_t {
      services.push_back(code);
      if (code == 34) return m_record->DbgControl(kDbgCtlExecNow, arg, 0);
      if (code == 35) {
        auto* rec = reinterpret_cast<intptr_t*>(arg);
        m_record->DbgControl(7, rec[0], rec[1]);
        return rec[0];
      }
      return 0;
    };
    c.sendCommand = [this](const std::string& text) {
      commands.push_back(text);
      Printed().clear();
      return int(m_record->DbgControl(kDbgCtlExecNow, reinterpret_cast<intptr_t>(text.c_str()), 0));
    };
    c.lastRefusal = [] { return DriverRefusal(Printed()); };
    c.refusalOf = [](const std::function<void()>& call) {
      Printed().clear();
      call();
      return DriverRefusal(Printed());
    };
    c.typeCommand = [this](const std::string& text) {
      typed.push_back(text);
      return int(m_record->DbgExecCommand(text.c_str(), int32_t(text.size())));
    };
    return c;
  }
  // What the driver printed for the command window.
  static std::string& Printed() {
    static std::string text;
    return text;
  }

  RecordingDialogs dialogs;
  std::vector<int> services;
  std::vector<std::string> commands;
  std::vector<std::string> typed;  // lines run as typed

 private:
  void* m_lib = nullptr;
  DebugInterface m_ide{};
  DebugInterface* m_record = nullptr;
  std::unique_ptr<DebugSettings> m_settings;
  std::string m_scriptPath;
  const char* (*m_log)() = nullptr;
  void (*m_clear)() = nullptr;
};

}  // namespace pm2::test
