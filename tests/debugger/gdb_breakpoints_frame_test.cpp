// Debug > Breakpoints in the real main frame with the GDB driver on the
// example under qemu: a pass count, a condition and gdb's file:line
// defined there read back line for line after the program ran past them
// and after the session ended and started again; a definition the driver
// refuses is said once, with its reason.
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "debugger/dialogs/breakpoints_check_list.h"
#include "debugger/dialogs/breakpoints_dialog.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/windows/command_window.h"
#include "project/files/debug_lists.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/frame_fixture.h"

namespace pm2 {
namespace gdb_breakpoints_frame_test {

class GdbBreakpointsFrameTest : public test::ExampleFrameTest {};

TEST_F(GdbBreakpointsFrameTest, CountsConditionsAndPlacesReadBackAsDefined) {
  if (access("/usr/bin/gdb-multiarch", X_OK) != 0 || access("/usr/bin/qemu-system-arm", X_OK) != 0)
    GTEST_SKIP() << "gdb-multiarch or qemu-system-arm is not installed (./pm2.sh installs them)";
  const std::string build = "cd '" + dir + "' && '" + root + "PM2/pelmora2' -b Blinky.pm2 >/dev/null 2>&1";
  if (std::system(build.c_str()) != 0) GTEST_SKIP() << "the example does not build here";
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  OptionBlock* o = s.App().Project()->curTarget->pOpts;
  // The GDB driver in simulation, its breakpoints kept for the next
  // session, no run to main (no breakpoint but the dialog's).
  o->dbg.flags |= 0x1 | 0x10;
  o->dbg.flags &= ~uint32_t(0x8);
  o->dbg.str[0] = OptString::Pooled("GDBDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled("-sim", kPoolScratch);
  DebugSession& session = f->Debugger()->Session();
  test::BoxAnswers boxes({QMessageBox::Ok});
  auto start = [&] {
    ASSERT_TRUE(f->ExecuteCommand(32802));
    ASSERT_TRUE(test::WaitFor([&] { return session.SessionActive() && !session.TargetExecuting(); }))
        << (boxes.texts.empty() ? std::string("no message") : boxes.texts[0]);
  };
  // Opens the dialog, does `act` in it, and gives its lines as Close found them.
  auto inDialog = [&](const std::function<void(BreakpointsDialog*)>& act) {
    std::vector<std::string> lines;
    bool opened = false;
    QTimer::singleShot(0, [&] {
      auto* dlg = dynamic_cast<BreakpointsDialog*>(QApplication::activeModalWidget());
      if (!dlg) return;
      opened = true;
      act(dlg);
      for (int i = 0; i < dlg->List()->Count(); ++i) lines.push_back(dlg->List()->At(i).text);
      dlg->Close();
    });
    EXPECT_TRUE(f->ExecuteCommand(35041));
    EXPECT_TRUE(opened);
    return lines;
  };
  auto define = [](BreakpointsDialog* dlg, const char* expression, const char* count) {
    dlg->Expression()->setText(expression);
    dlg->Count()->setText(count);
    dlg->Define();
  };
  auto runToStop = [&] {
    const uint64_t before = session.Stops();
    session.Go();
    ASSERT_TRUE(test::WaitFor([&] { return session.Stops() > before && !session.TargetExecuting(); }));
  };

  ASSERT_NO_FATAL_FAILURE(start());
  const std::vector<std::string> defined = inDialog([&](BreakpointsDialog* dlg) {
    define(dlg, "LED_On", "3");
    define(dlg, "pattern_step == 4", "1");
    define(dlg, "LED.c:17", "2");
    define(dlg, "Nowhere.c:13", "1");
  });
  ASSERT_EQ(defined.size(), 3u);
  EXPECT_NE(defined[0].find("count=3"), std::string::npos) << defined[0];
  EXPECT_NE(defined[1].find("(C)  'pattern_step == 4'"), std::string::npos) << defined[1];
  EXPECT_NE(defined[2].find("line 17"), std::string::npos) << defined[2];
  EXPECT_NE(defined[2].find("count=2"), std::string::npos) << defined[2];
  // The refusal: one message, with gdb's reason.
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_NE(boxes.texts[0].find("No source file named Nowhere.c"), std::string::npos) << boxes.texts[0];

  // The program runs past them: the lines stay as defined.
  for (int i = 0; i < 4; ++i) ASSERT_NO_FATAL_FAILURE(runToStop());
  EXPECT_EQ(inDialog([](BreakpointsDialog*) {}), defined);

  // The next session, and the one after it, start with them as defined.
  for (int next = 0; next < 2; ++next) {
    ASSERT_TRUE(f->ExecuteCommand(32802));
    ASSERT_TRUE(test::WaitFor([&] { return !session.SessionActive(); }));
    std::string stored;
    for (const BreakpointRec* b = s.App().Project()->curTarget->breakpoints; b; b = b->next)
      stored += "[" + std::to_string(b->flags) + " " + b->text1.str() + ":" + std::to_string(b->value1) + " '" +
                b->text2.str() + "' " + std::to_string(b->value5) + "]";
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_EQ(inDialog([](BreakpointsDialog*) {}), defined) << "session " << next + 2 << " stored " << stored
                                                            << " said " << f->Debugger()->CommandPage()->Text().toStdString();
    for (int i = 0; i < 2; ++i) ASSERT_NO_FATAL_FAILURE(runToStop());
  }
  ASSERT_TRUE(f->ExecuteCommand(32802));
  EXPECT_TRUE(test::WaitFor([&] { return !session.SessionActive(); }));
  EXPECT_EQ(boxes.texts.size(), 1u);
}

}  // namespace gdb_breakpoints_frame_test
}  // namespace pm2
