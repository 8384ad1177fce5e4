// The real main frame on a copy of the example with the GDB driver under
// qemu: the skips when the tools are missing, the example built, a session
// started and stood still, and the session ended before the frame goes.
#pragma once

#include <unistd.h>

#include <QMessageBox>
#include <cstdlib>
#include <memory>
#include <string>

#include "debugger/ui/debug_commands.h"
#include "debugger/windows/command_window.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/margin_view.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/command_table.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_fixture.h"

namespace pm2::test {

class GdbExampleFrameTest : public ExampleFrameTest {
 protected:
  static constexpr CommandId kStartStop = 32802;

  void SetUp() override {
    ExampleFrameTest::SetUp();
    if (!HaveTools()) GTEST_SKIP() << "the ARM tools are not in the test root";
    if (access("/usr/bin/gdb-multiarch", X_OK) != 0 || access("/usr/bin/qemu-system-arm", X_OK) != 0)
      GTEST_SKIP() << "gdb-multiarch or qemu-system-arm is not installed (./pm2.sh installs them)";
  }
  void TearDown() override {
    if (f && f->Debugger()->Session().SessionActive()) f->ExecuteCommand(kStartStop);
    session.reset();
    ExampleFrameTest::TearDown();
  }
  // Builds the example in the frame and starts its session (the example's
  // options: the GDB driver in simulation, run to main); true once it
  // stands in main with the arrow in Blinky.c.
  bool StartAtMain() {
    session = std::make_unique<ExampleSession>(dir, root);
    f = session->Frame();
    if (!session->started || !f) return Says("the example did not open");
    if (!f->ExecuteCommand(cmd::kBuildTarget) || !WaitIdle(session->App())) return Says("the build did not end");
    if (!f->ExecuteCommand(kStartStop)) return Says("the session did not start");
    DebugSession& s = f->Debugger()->Session();
    return WaitFor([&] {
             EditorView* v = View("Blinky.c");
             return s.SessionActive() && !s.TargetExecuting() && v && v->Margin().PcLine() != 0;
           }) ||
           Says("no stop at main: active " + std::to_string(s.SessionActive()) + ", running " +
                std::to_string(s.TargetExecuting()) + ", editor " + std::to_string(View("Blinky.c") != nullptr) +
                "\nbuild:\n" + BuildText(f) + "\ncommands:\n" + Commands());
  }
  // Builds the example with the program's own -b, opens it and starts a
  // session in simulation that stays at the reset address (no run to main
  // that could start between the stop seen here and the next command),
  // with `moreFlags` of the debug options set; true once it stands still.
  // False with a skip when the example does not build here.
  bool StartAtReset(uint32_t moreFlags = 0) {
    const std::string build = "cd '" + dir + "' && '" + root + "PM2/pelmora2' -b Blinky.pm2 >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0) {
      skipped = true;
      return false;
    }
    session = std::make_unique<ExampleSession>(dir, root);
    f = session->Frame();
    if (!session->started || !f) return Says("the example did not open");
    OptionBlock* o = session->App().Project()->curTarget->pOpts;
    o->dbg.flags |= 1 | moreFlags;
    o->dbg.flags &= ~uint32_t(0x8);
    o->dbg.str[0] = OptString::Pooled("GDBDRV.DLL", kPoolScratch);
    o->dbg.str[1] = OptString::Pooled("-sim", kPoolScratch);
    DebugSession& s = f->Debugger()->Session();
    BoxAnswers boxes({QMessageBox::Ok});
    if (!f->ExecuteCommand(kStartStop)) return Says("the session did not start");
    return WaitFor([&] { return s.SessionActive() && !s.TargetExecuting(); }) ||
           Says(boxes.texts.empty() ? std::string("no stop and no message") : boxes.texts[0]);
  }
  static bool Says(const std::string& why) {
    ADD_FAILURE() << why;
    return false;
  }
  EditorView* View(const std::string& name) {
    EditorDocument* doc = f->FindTextDocument(dir + name);
    return doc ? f->Editors().ViewOf(doc) : nullptr;
  }
  std::string Commands() const { return f->Debugger()->CommandPage()->Text().toStdString(); }

  std::unique_ptr<ExampleSession> session;
  CMainFrame* f = nullptr;
  bool skipped = false;  // StartAtReset: the example does not build here
};

}  // namespace pm2::test
