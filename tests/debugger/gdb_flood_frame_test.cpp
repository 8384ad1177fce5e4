// A gdb that floods its console (a broken or wrapped gdb-multiarch first on
// PATH) and never answers, started by the GDB driver in the real main frame
// with the program's own notification hub: the start fails with the
// driver's reason and the window comes back. The driver's reader hands
// gdb's text to the GUI thread, whose queue the flood fills, while the GUI
// thread waits for the reader to end.
#include <sys/stat.h>

#include <QMessageBox>
#include <filesystem>
#include <fstream>
#include <string>

#include "debugger/session/debug_settings_builder.h"
#include "debugger/windows/command_window.h"
#include "debugger/ui/debug_commands.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/frame_fixture.h"
#include "shell/windows/watchdog.h"

namespace pm2 {
namespace {

// A program folder put first on PATH while it lives.
class FirstOnPath {
 public:
  explicit FirstOnPath(const std::string& folder) : m_old(qgetenv("PATH")) {
    qputenv("PATH", QByteArray::fromStdString(folder) + ":" + m_old);
  }
  ~FirstOnPath() { qputenv("PATH", m_old); }

 private:
  QByteArray m_old;
};

class GdbFloodFrameTest : public test::ExampleFrameTest {};

TEST_F(GdbFloodFrameTest, AStartThatFailsUnderAFloodingGdbEndsAndTheWindowComesBack) {
  namespace fs = std::filesystem;
  const std::string bin = dir + "bin/";
  fs::create_directories(bin);
  const std::string gdb = bin + "gdb-multiarch";
  // Console records as fast as the shell writes them, and no answer.
  std::ofstream(gdb) << "#!/bin/sh\nwhile :; do printf '%s\\n' '~\"flooding the console\\n\"'; done\n";
  ::chmod(gdb.c_str(), 0755);
  FirstOnPath path(bin);

  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->Debugger(), nullptr);
  ProjectRec* project = s.App().Project();
  TargetRec* target = project->curTarget;
  // The driver looks for the program file before it starts gdb; the fake
  // gdb never reads it.
  const std::string program = TargetProgramFile(*project, *target, s.App().GetTargetToolset());
  fs::create_directories(fs::path(program).parent_path());
  std::ofstream(program) << "not read";
  OptionBlock* o = target->pOpts;
  o->dbg.flags |= 1;
  o->dbg.str[0] = OptString::Pooled("GDBDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled("-remote 127.0.0.1:9", kPoolScratch);

  test::BoxAnswers boxes({QMessageBox::Ok});
  DebugSession& session = f->Debugger()->Session();
  // A GUI thread that never comes back ends the test program with a
  // message rather than holding the run.
  Watchdog guard(std::chrono::seconds(120));
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return !boxes.texts.empty(); }));
  EXPECT_EQ(boxes.texts[0].rfind("Error: gdb-multiarch does not answer", 0), 0u) << boxes.texts[0];
  EXPECT_FALSE(session.SessionActive());
  EXPECT_FALSE(session.DriverLoaded());
  // gdb's text reached the command page through the window's queue.
  EXPECT_NE(f->Debugger()->CommandPage()->Text().toStdString().find("flooding the console"), std::string::npos);
  // The window answers: the start's command is offered again.
  EXPECT_TRUE(f->QueryCommand(32802).enabled);
}

}  // namespace
}  // namespace pm2
