// Every write refreshes every window, whatever wrote it, in the real main
// frame with the GDB driver on the example under qemu: the inline
// assembler's write shows in the memory window, a written link register
// in the call stack page; and a watch row's name takes its radix suffix
// with the choice itself.
#include <QTest>
#include <cstdio>
#include <string>

#include "debugger/ui/debug_bar_commands.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/windows/call_stack_window.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/memory_window.h"
#include "debugger/windows/watch_window.h"
#include "gdb_frame_fixture.h"

namespace pm2 {
// Named: the program's test files are compiled as one file in CI.
namespace gdb_write_windows_frame_test {

constexpr CommandId kViewWatch = 32749, kViewMemory = 32758, kGo = 32791;

class GdbWriteWindowsFrameTest : public test::GdbExampleFrameTest {
 protected:
  uint32_t Evaluate(const char* what) {
    uint64_t v = 0;
    EXPECT_EQ(f->Debugger()->Session().Record()->DbgEvalExpression(1, what, &v), 0) << what;
    return uint32_t(v);
  }
  void Type(const std::string& line) {
    CommandWindow* page = f->Debugger()->CommandPage();
    page->Input()->setText(QString::fromStdString(line));
    QTest::keyClick(page->Input(), Qt::Key_Return);
  }
  DebugBarWindow* Bar(int page) {
    if (!f->QueryCommand(kViewWatch).check) {
      EXPECT_TRUE(f->ExecuteCommand(kViewWatch));
    }
    DebugBarWindow* bar = f->Debugger()->BarCommands().Bar();
    bar->ActivatePage(page);
    return bar;
  }
};

// "asm <address>", "asm mov r0, r0" on the command page: the memory
// window showing the address shows the new instruction's bytes.
TEST_F(GdbWriteWindowsFrameTest, TheInlineAssemblersWriteShowsInTheMemoryWindow) {
  ASSERT_TRUE(StartAtMain());
  if (!f->QueryCommand(kViewMemory).check) {
    ASSERT_TRUE(f->ExecuteCommand(kViewMemory));
  }
  MemoryWindow* memory = f->Debugger()->Windows().Memory();
  ASSERT_NE(memory, nullptr);
  const uint32_t at = f->Debugger()->Session().Record()->pc + 8;
  char address[32];
  std::snprintf(address, sizeof address, "0x%X", at);
  MemoryPage* page = memory->Page(0);
  page->AddressEdit()->setText(address);
  page->EvaluateEntered();
  ASSERT_FALSE(page->Rows().empty());
  const std::string before = page->Rows()[0];
  ASSERT_EQ(before.find(": 00 00 A0 E1"), std::string::npos) << before;
  Type(std::string("asm ") + address);
  Type("asm mov r0, r0");
  EXPECT_TRUE(test::WaitFor([&] { return page->Rows()[0].find(": 00 00 A0 E1") != std::string::npos; }))
      << page->Rows()[0] << "\n" << Commands();
}

// Stopped at LED_Count's first instruction (its return address is in lr),
// a typed write of lr: the call stack page names the new caller.
TEST_F(GdbWriteWindowsFrameTest, AWrittenLinkRegisterShowsInTheCallStack) {
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  const uint32_t function = Evaluate("&LED_Count"), other = Evaluate("&LED_Init") + 8;
  char at[48];
  std::snprintf(at, sizeof at, "BS 0x%X", function);
  Type(at);
  ASSERT_TRUE(f->ExecuteCommand(kGo));
  ASSERT_TRUE(test::WaitFor([&] {
    return !s.TargetExecuting() && s.Record()->pc == function;
  })) << Commands();
  DebugBarWindow* bar = Bar(DebugBarWindow::kCallStack);
  CallStackWindow* stack = bar->CallStack();
  const auto callers = [&] {
    std::string all;
    for (const CallStackRow& r : stack->Rows()) all += r.callingText + "|";
    return all;
  };
  ASSERT_TRUE(test::WaitFor([&] { return callers().find("main+") != std::string::npos; })) << callers();
  char write[64];
  std::snprintf(write, sizeof write, "set var $lr = 0x%X", other);
  Type(write);
  EXPECT_TRUE(test::WaitFor([&] { return callers().find("LED_Init+") != std::string::npos; }))
      << callers() << "\n" << Commands();
}

// The watch row's radix chosen: its name shows the choice's suffix at
// once, at every choice.
TEST_F(GdbWriteWindowsFrameTest, AWatchRowsNameTakesTheRadixChosen) {
  ASSERT_TRUE(StartAtMain());
  WatchWindow* watch = Bar(1)->Watch(1);
  watch->AddExpression("pattern_step");
  watch->Refresh();
  WatchItem* row = watch->Model().Rows()[0].get();
  HTREEITEM item = watch->GetRootItem();
  ASSERT_NE(item, nullptr);
  struct Choice {
    CommandId command;
    const char* name;
  } choices[] = {{DebugBarCommands::kCmdRadixHex, "pattern_step,0x10"},
                 {DebugBarCommands::kCmdRadixDecimal, "pattern_step,0x0A"},
                 {DebugBarCommands::kCmdRadixHex, "pattern_step,0x10"}};
  for (const Choice& c : choices) {
    watch->Model().SetContextRow(row);
    ASSERT_TRUE(f->ExecuteCommand(c.command));
    EXPECT_EQ(watch->GetItemText(watch->GetRootItem(), 0), c.name);
  }
}

}  // namespace gdb_write_windows_frame_test
}  // namespace pm2
