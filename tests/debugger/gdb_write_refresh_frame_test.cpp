// A write the user makes in one debug window shows in every window that
// shows the target, in the real main frame with the GDB driver on the
// example under qemu: Modify Memory in the memory window, and a value
// typed into a watch window.
#include <unistd.h>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "debugger/ui/debug_bar_commands.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/memory_window.h"
#include "debugger/windows/watch_window.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/frame_fixture.h"
#include "gdb_frame_fixture.h"

namespace pm2 {
namespace {

class GdbWriteRefreshFrameTest : public test::GdbExampleFrameTest {};

TEST_F(GdbWriteRefreshFrameTest, AWriteShowsInTheWatchAndMemoryWindows) {
  ASSERT_TRUE(StartAtReset() || skipped);
  if (skipped) GTEST_SKIP() << "the example does not build here";
  DebugSession& debug = f->Debugger()->Session();
  DebugInterface* r = debug.Record();
  uint64_t at = 0;
  ASSERT_EQ(r->DbgEvalExpression(1, "&pattern_step", &at), 0);

  // Watch #1 shows the variable, the memory window its bytes.
  if (!f->QueryCommand(32749).check) {
    ASSERT_TRUE(f->ExecuteCommand(32749));
  }
  DebugBarWindow* bar = f->Debugger()->BarCommands().Bar();
  bar->ActivatePage(1);
  WatchWindow* watch = bar->Watch(1);
  watch->AddExpression("pattern_step");
  watch->Refresh();
  const WatchItem& row = *watch->Model().Rows()[0];
  ASSERT_FALSE(row.value.empty());
  ASSERT_NE(row.value, "7");
  if (!f->QueryCommand(32758).check) {
    ASSERT_TRUE(f->ExecuteCommand(32758));
  }
  MemoryWindow* memory = f->Debugger()->Windows().Memory();
  ASSERT_NE(memory, nullptr);
  MemoryPage* page = memory->Page(0);
  char address[32];
  std::snprintf(address, sizeof address, "0x%llX", static_cast<unsigned long long>(at));
  page->AddressEdit()->setText(address);
  page->EvaluateEntered();
  ASSERT_FALSE(page->Rows().empty());
  const std::string before = page->Rows()[0];

  // Modify Memory at the variable writes 7: the watch window shows it.
  QTimer::singleShot(0, [] {
    if (auto* ask = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
      ask->setTextValue("7");
      ask->accept();
    }
  });
  page->ModifyMemory(at);
  EXPECT_TRUE(test::WaitFor([&] { return row.value == "7"; })) << row.value;

  // A value typed into the watch window: the memory window shows its byte.
  ASSERT_EQ(page->Rows()[0].find(": 09"), std::string::npos) << page->Rows()[0];
  ASSERT_TRUE(watch->Model().EndValueEdit(const_cast<WatchItem*>(&row), "9"));
  EXPECT_TRUE(test::WaitFor([&] { return !page->Rows().empty() && page->Rows()[0].find(": 09") != std::string::npos; }))
      << before << " | " << (page->Rows().empty() ? "" : page->Rows()[0]);
  EXPECT_EQ(row.value, "9");
  ASSERT_TRUE(f->ExecuteCommand(32802));
}

}  // namespace
}  // namespace pm2
