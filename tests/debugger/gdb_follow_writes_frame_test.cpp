// Every window follows every write, in the real main frame with the GDB
// driver on the example under qemu: a write typed on the command page
// shows in the watch, memory, register and disassembly windows as the
// windows' own writes do; a watch row's edit of $pc moves the arrows and
// the status bar's PC; Show Next Statement brings the disassembly window
// to the program counter and to the front, and View > Disassembly opens
// it there.
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>
#include <cstdio>
#include <string>

#include "debugger/session/register_set_model.h"
#include "debugger/ui/debug_bar_commands.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/ui/register_page.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/disassembly_window.h"
#include "debugger/windows/memory_window.h"
#include "debugger/windows/watch_window.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/margin_view.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_fixture.h"
#include "gdb_frame_fixture.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/tab_windows.h"
#include "toolkit/frames/status_bar.h"
#include "toolkit/frames/mdi_child.h"
#include "shell/project_window/prj_win.h"

namespace pm2 {
namespace {

constexpr CommandId kViewDisassembly = 32752, kViewWatch = 32749, kViewMemory = 32758, kShowNext = 35072;

class GdbFollowWritesFrameTest : public test::GdbExampleFrameTest {
 protected:
  uint32_t Evaluate(const char* what) {
    uint64_t v = 0;
    EXPECT_EQ(f->Debugger()->Session().Record()->DbgEvalExpression(1, what, &v), 0) << what;
    return uint32_t(v);
  }
  // A line typed on the command page, as the user enters it.
  void Type(const std::string& line) {
    CommandWindow* page = f->Debugger()->CommandPage();
    page->Input()->setText(QString::fromStdString(line));
    QTest::keyClick(page->Input(), Qt::Key_Return);
  }
  // The text of the disassembly window's code line at an address ("" when
  // the window does not show it).
  std::string CodeText(DisassemblyView* d, uint32_t address) {
    for (int i = 0; i < d->Cache().Visible() && i < d->Cache().Size(); ++i)
      if (d->Cache().Line(i).kind == kDisasmCode && d->Cache().Line(i).address == address) return d->Cache().Text(i);
    return "";
  }
  bool PcShownBy(DisassemblyView* d) {
    const int line = d->Cache().PcLine();
    return line >= 0 && d->Cache().Line(line).address == f->Debugger()->Session().Record()->pc;
  }
  std::string PcPane() {
    SECStatusBar* bar = f->findChild<SECStatusBar*>("StatusBar");
    return bar ? bar->GetPaneText(bar->CommandToIndex(123)) : "";
  }
  WatchWindow* WatchOne() {
    if (!f->QueryCommand(kViewWatch).check) {
      EXPECT_TRUE(f->ExecuteCommand(kViewWatch));
    }
    DebugBarWindow* bar = f->Debugger()->BarCommands().Bar();
    bar->ActivatePage(1);
    return bar->Watch(1);
  }
};

// The command page's writes: a variable (the watch row and the memory
// window's byte), a peripheral register's word (the memory window), a core
// register (the register page) and an instruction (the disassembly window).
TEST_F(GdbFollowWritesFrameTest, AWriteTypedOnTheCommandPageShowsInEveryWindow) {
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  WatchWindow* watch = WatchOne();
  watch->AddExpression("pattern_step");
  watch->Refresh();
  const WatchItem& row = *watch->Model().Rows()[0];
  ASSERT_EQ(row.value, "0");
  if (!f->QueryCommand(kViewMemory).check) {
    ASSERT_TRUE(f->ExecuteCommand(kViewMemory));
  }
  MemoryWindow* memory = f->Debugger()->Windows().Memory();
  ASSERT_NE(memory, nullptr);
  char address[32];
  std::snprintf(address, sizeof address, "0x%X", Evaluate("&pattern_step"));
  memory->Page(0)->AddressEdit()->setText(address);
  memory->Page(0)->EvaluateEntered();
  MemoryPage* page = memory->Page(0);
  ASSERT_FALSE(page->Rows().empty());
  CPrjWin* projectBar = f->ProjectBar();
  ASSERT_NE(projectBar, nullptr);
  projectBar->Tabs()->TabCtrl()->ActivateTab(1);  // the register page in front
  RegisterPage* registers = f->Debugger()->Registers();
  ASSERT_NE(registers, nullptr);
  int r0 = -1;
  for (std::size_t i = 0; i < registers->Model().Rows().size(); ++i)
    if (registers->Model().Rows()[i].name == "R0") r0 = int(i);
  ASSERT_GE(r0, 0);
  ASSERT_TRUE(f->ExecuteCommand(kViewDisassembly));
  DisassemblyView* d = f->Debugger()->Windows().Disassembly();
  ASSERT_NE(d, nullptr);
  const uint32_t next = s.Record()->pc + 4;
  ASSERT_TRUE(test::WaitFor([&] { return !CodeText(d, next).empty(); }));
  ASSERT_EQ(CodeText(d, next).find("andeq"), std::string::npos) << CodeText(d, next);

  Type("set var pattern_step = 7");
  EXPECT_TRUE(test::WaitFor([&] { return row.value == "7"; })) << row.value << "\n" << Commands();
  EXPECT_NE(page->Rows()[0].find(": 07"), std::string::npos) << page->Rows()[0];
  // A peripheral's register that no watch row names.
  page->AddressEdit()->setText("0xE0028004");
  page->EvaluateEntered();
  ASSERT_FALSE(page->Rows().empty());
  ASSERT_NE(page->Rows()[0].find(": 00"), std::string::npos) << page->Rows()[0];
  Type("set var *(unsigned long *)0xE0028004 = 0x5A");
  EXPECT_TRUE(test::WaitFor([&] { return page->Rows()[0].find(": 5A") != std::string::npos; }))
      << page->Rows()[0] << "\n" << Commands();
  Type("set var $r0 = 0x1234");
  EXPECT_TRUE(test::WaitFor([&] {
    return registers->GetItemText(registers->GetItemAtRow(r0), 1).find("1234") != std::string::npos;
  })) << registers->GetItemText(registers->GetItemAtRow(r0), 1) << "\n" << Commands();
  char code[80];
  std::snprintf(code, sizeof code, "set var *(unsigned long *)0x%X = 0", next);
  Type(code);
  EXPECT_TRUE(test::WaitFor([&] { return CodeText(d, next).find("andeq") != std::string::npos; }))
      << CodeText(d, next) << "\n" << Commands();
}

// A watch row's edit of $pc: the disassembly window's arrow, the editor's
// arrow (in the file the new address is in) and the status bar's PC follow.
TEST_F(GdbFollowWritesFrameTest, AWatchEditOfThePcMovesTheArrows) {
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  ASSERT_TRUE(f->ExecuteCommand(kViewDisassembly));
  DisassemblyView* d = f->Debugger()->Windows().Disassembly();
  ASSERT_NE(d, nullptr);
  WatchWindow* watch = WatchOne();
  watch->AddExpression("$pc");
  watch->Refresh();
  const WatchItem& row = *watch->Model().Rows()[0];
  const uint32_t to = Evaluate("&LED_Init");
  DebugInterface* r = s.Record();
  ASSERT_EQ(r->DbgFindSource(to), 0);
  const uint32_t line = r->srcLine;
  char value[32];
  std::snprintf(value, sizeof value, "0x%X", to);
  ASSERT_TRUE(watch->Model().EndValueEdit(const_cast<WatchItem*>(&row), value)) << Commands();
  char pane[32];
  std::snprintf(pane, sizeof pane, "PC: 0x%08X", to);
  EXPECT_TRUE(test::WaitFor([&] { return PcPane() == pane; })) << PcPane() << "\n" << Commands();
  EXPECT_EQ(r->pc, to);
  EXPECT_TRUE(test::WaitFor([&] { return PcShownBy(d); }));
  EXPECT_TRUE(test::WaitFor([&] {
    EditorView* v = View("LED.c");
    return v && v->Margin().PcLine() == line;
  })) << Commands();
}

// Show Next Statement with the disassembly window in front, scrolled away
// from the program counter: the window shows it again and stays in front;
// with the editor in front the open window comes forward at it. Closed,
// View > Disassembly opens it at the program counter.
TEST_F(GdbFollowWritesFrameTest, ShowNextStatementBringsTheDisassemblyWindowToThePc) {
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  ASSERT_TRUE(f->ExecuteCommand(kViewDisassembly));
  DisassemblyView* d = f->Debugger()->Windows().Disassembly();
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(PcShownBy(d));
  d->ScrollToAddress(s.Record()->pc + 0x800);
  ASSERT_FALSE(PcShownBy(d));
  ASSERT_TRUE(f->Debugger()->Windows().DisassemblyInFront());
  ASSERT_TRUE(f->ExecuteCommand(kShowNext));
  EXPECT_TRUE(PcShownBy(d));
  EXPECT_TRUE(f->Debugger()->Windows().DisassemblyInFront());

  d->ScrollToAddress(s.Record()->pc + 0x800);
  EditorView* v = View("Blinky.c");
  ASSERT_NE(v, nullptr);
  f->MdiClient()->setActiveSubWindow(f->Editors().SheetOf(&v->Document()));
  ASSERT_FALSE(f->Debugger()->Windows().DisassemblyInFront());
  ASSERT_TRUE(f->ExecuteCommand(kShowNext));
  EXPECT_TRUE(PcShownBy(d));
  EXPECT_TRUE(f->Debugger()->Windows().DisassemblyInFront());
  EXPECT_NE(v->Margin().PcLine(), 0u);

  ASSERT_TRUE(f->ExecuteCommand(kViewDisassembly));  // in front: it closes
  // The closed window goes as the event loop deletes it.
  ASSERT_TRUE(test::WaitFor([&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return f->Debugger()->Windows().Disassembly() == nullptr;
  }));
  ASSERT_TRUE(f->ExecuteCommand(32795));  // F10
  ASSERT_TRUE(test::WaitFor([&] { return !s.TargetExecuting(); }));
  ASSERT_TRUE(f->ExecuteCommand(kViewDisassembly));
  d = f->Debugger()->Windows().Disassembly();
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(test::WaitFor([&] { return PcShownBy(d); })) << std::hex << s.Record()->pc;
}

}  // namespace
}  // namespace pm2
