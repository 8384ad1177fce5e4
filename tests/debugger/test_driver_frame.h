// The example in the real main frame with a session over the scriptable
// test driver: the target's debug options name the driver and a script
// written for the test, and the driver's own log is read through the
// library the session loaded.
#pragma once

#include <dlfcn.h>

#include <fstream>
#include <memory>
#include <string>

#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/frame_fixture.h"

namespace pm2::test {

class TestDriverFrameTest : public ExampleFrameTest {
 protected:
  // Starts a session whose driver script, in the file `name`, is `script`.
  void StartSession(const std::string& name, const std::string& script) {
    session = std::make_unique<ExampleSession>(dir, root);
    ASSERT_TRUE(session->started);
    f = session->Frame();
    ASSERT_NE(f, nullptr);
    std::ofstream(dir + name) << script;
    OptionBlock* o = session->App().Project()->curTarget->pOpts;
    o->dbg.flags |= 1;
    o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
    o->dbg.str[1] = OptString::Pooled(dir + name, kPoolScratch);
    driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
    ASSERT_NE(driver, nullptr);
    log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
    clearLog = reinterpret_cast<void (*)()>(dlsym(driver, "TestDriverClearLog"));
    ASSERT_TRUE(f->ExecuteCommand(32802));
    ASSERT_TRUE(WaitFor([&] { return f->Debugger()->Session().SessionActive(); }));
    windows = &f->Debugger()->Windows();
  }
  void TearDown() override {
    if (f && f->Debugger()->Session().SessionActive()) f->ExecuteCommand(32802);
    session.reset();
    if (driver) dlclose(driver);
    ExampleFrameTest::TearDown();
  }
  bool Logged(const std::string& line) const { return std::string(log()).find(line) != std::string::npos; }

  std::unique_ptr<ExampleSession> session;
  CMainFrame* f = nullptr;
  DebugWindows* windows = nullptr;
  void* driver = nullptr;
  const char* (*log)() = nullptr;
  void (*clearLog)() = nullptr;
};

}  // namespace pm2::test
