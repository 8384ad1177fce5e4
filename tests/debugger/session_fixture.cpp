#include "session_fixture.h"

#include "project/text/pool.h"

namespace pm2 {

std::string RecordingHost::LastBoot() const {
  if (!driver) return "?";
  auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
  std::string text = log ? log() : "";
  std::size_t at = text.rfind("boot ");
  return at == std::string::npos ? "none" : text.substr(at, 6);
}

void SessionTest::SetUp() {
  ShellAppTest::SetUp();
  project = MakeExampleProject(dir.path() + "/");
  app->State().m_pProject = project;
  arm.toolset = 3;
  arm.toolsFolder = dir.path() + "/ARM/BIN/";
  arm.rootFolder = dir.path() + "/ARM/";
  theApp().m_pToolsetInfo[3] = &arm;
  app->m_szProgramFolder = std::string(PM2_PROGRAM_DIR) + "/";
  app->m_windows.Set(WindowSlot::CommandPage, this);
  host.driver = dlopen((std::string(PM2_PROGRAM_DIR) + "/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(host.driver, nullptr);
  session = std::make_unique<DebugSession>(*app, host);
  routed.session = session.get();
  app->SetFrame(&routed);
  app->SetDebugPort(session.get());
  ClearDriverLog();
  Script("");
}

void SessionTest::TearDown() {
  app->SetDebugPort(nullptr);
  session.reset();
  theApp().m_pToolsetInfo[3] = nullptr;
  if (host.driver) dlclose(host.driver);
  ShellAppTest::TearDown();
}

void SessionTest::Script(const std::string& text) {
  scriptPath = dir.path() + "/driver.script";
  std::ofstream(scriptPath) << text;
  OptionBlock* o = project->curTarget->pOpts;
  o->dbg.flags |= 1;  // the simulator side
  o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled(scriptPath, kPoolScratch);
}

std::string SessionTest::DriverLog() const {
  auto log = reinterpret_cast<const char* (*)()>(dlsym(host.driver, "TestDriverLog"));
  return log();
}

void SessionTest::ClearDriverLog() { reinterpret_cast<void (*)()>(dlsym(host.driver, "TestDriverClearLog"))(); }

void SessionTest::SetExecuting(bool on) {
  reinterpret_cast<void (*)(int)>(dlsym(host.driver, "TestDriverSetExecuting"))(on ? 1 : 0);
}

}  // namespace pm2
