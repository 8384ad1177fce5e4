// The command, disassembly and memory windows in the real main frame over
// the scriptable test driver: keys and mouse of each window, and what goes
// to the driver.
#include <dlfcn.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <cstdio>
#include <QTimer>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <QScrollBar>
#include <map>

#include "debugger/model/disasm_range.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/disassembly_window.h"
#include "debugger/windows/memory_window.h"
#include "toolkit/controls/value_tip.h"
#include "editor/options/options_session.h"
#include "editor/wizard_ui/editor_config_sheet.h"
#include "shell/frame/editor_options_command.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/frame_fixture.h"
#include "shell/output/find_dialog.h"
#include "shell/windows/qt_user_dialogs.h"
#include "shell/output/out_win.h"
#include "shell/windows/progress_dialog.h"
#include "test_driver_frame.h"

namespace pm2 {
namespace {

// A listing of 40 lines: a source line before every fourth instruction.
std::string Script() {
  std::string s = "pc 1010\neval 0x40000000 40000000\neval 0xFFFFFFF0 FFFFFFF0\neval main 1000\n";
  s += "mem 40000000 48656C6C6F2C20776F726C6421000000FEFFFFFF01020304\n";
  s += "mem FFFFFFF0 F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF\nmem 0 1112131415161718\n";
  uint32_t a = 0x1000;
  for (int i = 0; i < 40; ++i) {
    char line[96];
    if (i % 5 == 0)
      std::snprintf(line, sizeof line, "dis %x 32 %d: source line %d\n", a, i / 5 + 1, i / 5 + 1);
    else {
      std::snprintf(line, sizeof line, "dis %x 33 0x%08X  mov r%d, #%d\n", a, a, i % 8, i);
      a += 4;
    }
    s += line;
  }
  // A recorded history of 30 instructions ending at the program counter,
  // with the source line of its last four.
  for (int i = 0; i < 30; ++i) {
    char line[96];
    const uint32_t at = i < 26 ? 0x1030 + uint32_t(i % 6) * 4 : 0x1004 + uint32_t(i - 26) * 4;
    std::snprintf(line, sizeof line, "trace %x op%d\n", at, i);
    s += line;
  }
  s += "tracesrc 1004 7 counter++;\n";
  return s;
}

class DebugViewWindowsTest : public test::TestDriverFrameTest {
 protected:
  void SetUp() override {
    test::TestDriverFrameTest::SetUp();
    StartSession("windows.script", Script());
  }
};

TEST_F(DebugViewWindowsTest, CommandWindowHelpCompletionHistoryAndEscape) {
  CommandWindow* w = windows->ShowCommandWindow();
  ASSERT_NE(w, nullptr);
  w->resize(700, 200);
  w->show();
  QLineEdit* edit = w->Input();
  // The driver's syntax: the help line lists what may follow.
  QTest::keyClicks(edit, "B");
  EXPECT_EQ(w->HelpText().toStdString(), "BS BK BL");
  // A blank after an unambiguous abbreviation completes it.
  edit->clear();
  QTest::keyClicks(edit, "DI");
  QTest::keyClick(edit, Qt::Key_Space);
  EXPECT_EQ(edit->text().toStdString(), "DIs");
  edit->clear();
  clearLog();
  QTest::keyClicks(edit, "BS main");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(Logged("command BS main\n")) << log();
  EXPECT_TRUE(edit->text().isEmpty());
  // The typed line is a history entry: Up brings it back, Down goes past it.
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(edit->text().toStdString(), "BS main");
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_TRUE(edit->text().isEmpty());
  QTest::keyClicks(edit, "xyz");
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_TRUE(edit->text().isEmpty());
  EXPECT_TRUE(Logged("control 8\n")) << log();
}

// With the keyboard on the Command page, Edit > Copy, Ctrl+C and Edit >
// Find act on its lines, and F1 looks the typed line's word up (the
// example's toolset has no manual for it: the lookup beeps).
TEST_F(DebugViewWindowsTest, CopyFindAndF1ReachTheCommandPage) {
  CommandWindow* w = windows->ShowCommandWindow();
  ASSERT_NE(w, nullptr);
  w->Append(nullptr);
  w->Append("alpha\nbeta\ngamma\n");
  // A typed command: a history entry, but no line the user selected.
  w->Output().SetEcho();
  w->Append("BS main\n");
  ASSERT_EQ(w->Output().LineCount(), 4u);
  ASSERT_TRUE(w->Output().Line(3).selected);
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  w->Input()->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), w->Input());
  EXPECT_FALSE(f->QueryCommand(57634).enabled);  // no line selected
  EXPECT_TRUE(f->QueryCommand(57636).enabled);
  w->Output().Pick(1, true);
  ASSERT_TRUE(f->QueryCommand(57634).enabled);
  QApplication::clipboard()->clear();
  ASSERT_TRUE(f->ExecuteCommand(57634));
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "beta");
  w->Output().Pick(2, true);
  QApplication::clipboard()->clear();
  QTest::keyClick(w->Input(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "beta\ngamma");
  // Find goes on from the first selected line and selects the hit alone;
  // the history keeps its entry.
  ASSERT_TRUE(f->ExecuteCommand(57636));
  OutputFindDialog* find = f->Output()->FindDialog();
  ASSERT_NE(find, nullptr);
  ASSERT_TRUE(find->isVisible());
  find->TextEdit()->setText("GAMMA");
  QTest::mouseClick(find->FindNextButton(), Qt::LeftButton);
  EXPECT_EQ(w->FirstSelected(), 2);
  EXPECT_FALSE(w->Output().Line(1).picked);
  EXPECT_TRUE(w->Output().Line(3).selected);
  find->close();
  QApplication::clipboard()->clear();
  w->Copy();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "gamma");
  w->Input()->clear();
  QTest::keyClick(w->Input(), Qt::Key_Up);
  EXPECT_EQ(w->Input()->text().toStdString(), "BS main");
  // The page's own menu: Copy, Clear window and Find.
  QMenu menu;
  w->BuildContextMenu(menu);
  std::vector<std::string> entries;
  for (QAction* a : menu.actions())
    if (!a->isSeparator()) entries.push_back(a->text().toStdString());
  EXPECT_EQ(entries, (std::vector<std::string>{"&Copy", "C&lear window", "&Find..."}));
  menu.actions().back()->trigger();
  EXPECT_TRUE(find->isVisible());
  find->close();
  // F1 on the page's line reaches its help lookup.
  w->Input()->setFocus();
  w->Input()->setText("BS");
  const int beeps = session->runtime.Dialogs().BeepCount();
  QTest::keyClick(w->Input(), Qt::Key_F1);
  EXPECT_EQ(session->runtime.Dialogs().BeepCount(), beeps + 1);
}

TEST_F(DebugViewWindowsTest, CommandWindowInputRequestTakesTheLine) {
  CommandWindow* w = windows->ShowCommandWindow();
  char buffer[6] = {};
  uint32_t length = 0;
  struct {
    uint32_t* length;
    char* buffer;
    const char* prompt;
    uint32_t capacity;
  } request{&length, buffer, "Value?", sizeof buffer};
  EXPECT_EQ(f->Debugger()->DebugService(36, reinterpret_cast<intptr_t>(&request)), 1);
  EXPECT_EQ(w->PromptText().toStdString(), "Value?");
  clearLog();
  QTest::keyClicks(w->Input(), "123456789");
  QTest::keyClick(w->Input(), Qt::Key_Return);
  EXPECT_STREQ(buffer, "12345");
  EXPECT_EQ(length, 5u);
  EXPECT_FALSE(Logged("command")) << log();
}

TEST_F(DebugViewWindowsTest, DisassemblyFollowsThePcKeysAndMouse) {
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  ASSERT_NE(v, nullptr);
  v->resize(500, 200);
  QApplication::processEvents();
  v->GotoAddress(0x1010);
  DisasmCache& c = v->Cache();
  ASSERT_GE(c.PcLine(), 0);
  EXPECT_EQ(c.Line(c.PcLine()).address, 0x1010u);
  // Source lines stand between the instructions.
  bool source = false;
  for (int i = 0; i < c.Visible(); ++i) source |= c.Line(i).kind == kDisasmSource;
  EXPECT_TRUE(source);
  const uint32_t top = c.Line(0).address;
  QTest::keyClick(v, Qt::Key_PageDown);
  EXPECT_GT(c.Line(0).address, top);
  QTest::keyClick(v, Qt::Key_PageUp);
  EXPECT_EQ(c.Line(0).address, top);
  // A click puts the cursor on the line; a double click sets a breakpoint there.
  const DisassemblyView::Geometry g = v->Layout();
  int codeRow = 0;
  while (c.Line(codeRow).kind != kDisasmCode) ++codeRow;
  const QPoint at(g.gutter + 20, codeRow * g.lineHeight + g.lineHeight / 2);
  QTest::mouseClick(v, Qt::LeftButton, {}, at);
  EXPECT_EQ(v->CursorLine(), codeRow);
  clearLog();
  QTest::mouseDClick(v, Qt::LeftButton, {}, at);
  EXPECT_TRUE(Logged("breakpoint " + std::to_string(c.Line(codeRow).address) + " 3\n")) << log();
  DebugInterface* r = f->Debugger()->Session().Record();
  EXPECT_EQ(r->DbgBreakpoint(c.Line(codeRow).address, 7), 1u);
  // Bookmarks: set on the cursor line, the next one found again.
  v->ToggleBookmark();
  ASSERT_EQ(v->Bookmarks().size(), 1u);
  QTest::keyClick(v, Qt::Key_PageDown);
  v->NextBookmark(true);
  EXPECT_EQ(c.Line(0).address, v->Bookmarks()[0]);
}

// The listing lines the window fetched from the driver while a counter lived.
struct ListingFetches {
  explicit ListingFetches(DebugInterface* r) : record(r), next(r->DbgGetDisasmLine) {
    count = 0;
    original = next;
    r->DbgGetDisasmLine = [](void* line) {
      ++count;
      return original(line);
    };
  }
  ~ListingFetches() { record->DbgGetDisasmLine = next; }
  static inline int count = 0;
  static inline decltype(DebugInterface::DbgGetDisasmLine) original = nullptr;
  DebugInterface* record;
  decltype(DebugInterface::DbgGetDisasmLine) next;
};

void AnswerTextDialog(const QString& text) {
  QTimer::singleShot(0, [text] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    dialog->setTextValue(text);
    dialog->accept();
  });
}

// Show Code at Address: a text that neither the address question nor the
// driver's U command makes an address of (a typo) leaves the view where it
// was, without walking the listing; an address goes there.
TEST_F(DebugViewWindowsTest, ShowCodeAtATypoStaysWhereItWas) {
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  ASSERT_NE(v, nullptr);
  v->resize(500, 200);
  QApplication::processEvents();
  v->GotoAddress(0x1010);
  DisasmCache& c = v->Cache();
  DebugInterface* r = f->Debugger()->Session().Record();
  const DisasmLine top = c.Line(0);
  const uint32_t shown = r->shownAddress;
  clearLog();
  {
    ListingFetches fetches(r);
    AnswerTextDialog("mian");
    v->ShowCodeAt();
    EXPECT_TRUE(Logged("command U mian\n")) << log();
    EXPECT_EQ(ListingFetches::count, 0);
  }
  EXPECT_EQ(c.Line(0).kind, top.kind);
  EXPECT_EQ(c.Line(0).address, top.address);
  EXPECT_EQ(r->shownAddress, shown);
  // "main" is an address: the view shows its code.
  AnswerTextDialog("main");
  v->ShowCodeAt();
  EXPECT_EQ(r->shownAddress, 0x1000u);
  EXPECT_LE(c.Line(0).address, 0x1000u);
}

// Set Program Counter takes the cursor's code address: greyed without one,
// and offered on the window's menu.
TEST_F(DebugViewWindowsTest, SetProgramCounterTakesTheCursorsCodeLine) {
  const CommandId kSetPc = 35413;
  EXPECT_FALSE(f->QueryCommand(kSetPc).enabled) << "no disassembly window";
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  ASSERT_NE(v, nullptr);
  v->resize(500, 200);
  QApplication::processEvents();
  v->GotoAddress(0x1010);
  DisasmCache& c = v->Cache();
  int codeRow = 0, sourceRow = -1;
  for (int i = 0; i < c.Visible(); ++i)
    if (c.Line(i).kind == kDisasmSource && sourceRow < 0) sourceRow = i;
  while (c.Line(codeRow).kind != kDisasmCode) ++codeRow;
  if (sourceRow >= 0) {
    c.SetCursor(sourceRow);
    EXPECT_FALSE(f->QueryCommand(kSetPc).enabled) << "a source line has no address";
  }
  c.SetCursor(codeRow);
  ASSERT_TRUE(f->QueryCommand(kSetPc).enabled);
  clearLog();
  ASSERT_TRUE(f->ExecuteCommand(kSetPc));
  char expected[32];
  std::snprintf(expected, sizeof expected, "exec $=0x%X\n", unsigned(c.Line(codeRow).address));
  EXPECT_TRUE(Logged(expected)) << log();
  QMenu* menu = v->BuildContextMenu();
  bool offered = false;
  for (QAction* a : menu->actions()) offered |= a->data().toInt() == int(kSetPc) && a->isEnabled();
  EXPECT_TRUE(offered);
  delete menu;
}

TEST_F(DebugViewWindowsTest, DisassemblySelectionCopiesItsLines) {
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  v->resize(500, 300);
  QApplication::processEvents();
  v->ScrollToAddress(0x1000);
  const DisassemblyView::Geometry g = v->Layout();
  auto rowAt = [&](int row) { return QPoint(g.gutter + 20, row * g.lineHeight + g.lineHeight / 2); };
  DisasmCache& c = v->Cache();
  // Without a selection Copy takes the cursor line alone.
  QTest::mouseClick(v, Qt::LeftButton, {}, rowAt(1));
  v->Copy();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.Text(1));
  // Shift extends the selection: four lines, CR LF between them.
  QTest::mouseClick(v, Qt::LeftButton, Qt::ShiftModifier, rowAt(4));
  EXPECT_TRUE(v->HasSelection());
  v->Copy();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
            c.Text(1) + "\r\n" + c.Text(2) + "\r\n" + c.Text(3) + "\r\n" + c.Text(4));
  // Shift+Up shrinks it from the end; a plain key collapses it.
  QTest::keyClick(v, Qt::Key_Up, Qt::ShiftModifier);
  v->Copy();
  EXPECT_EQ(QApplication::clipboard()->text().count("\r\n"), 2);
  QTest::keyClick(v, Qt::Key_Up);
  v->Copy();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.Text(v->CursorLine()));
}

// The program's progress window, when one shows.
ProgressWindow* ShownProgressWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* p = qobject_cast<ProgressWindow*>(w); p && p->isVisible()) return p;
  return nullptr;
}

// A copy that lasts shows the program's progress dialog, which holds the
// main window until the copy is over; its Cancel stops the copy.
TEST_F(DebugViewWindowsTest, ALongDisassemblyCopyShowsTheProgressDialogThatHoldsTheMainWindow) {
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  v->resize(500, 300);
  QApplication::processEvents();
  v->ScrollToAddress(0x1000);
  const DisassemblyView::Geometry g = v->Layout();
  auto rowAt = [&](int row) { return QPoint(g.gutter + 20, row * g.lineHeight + g.lineHeight / 2); };
  QTest::mouseClick(v, Qt::LeftButton, {}, rowAt(1));
  QTest::mouseClick(v, Qt::LeftButton, Qt::ShiftModifier, rowAt(6));
  ASSERT_TRUE(v->HasSelection());
  // Each reading of the clock is a second on: the copy outlasts the
  // dialog's start delay after its first lines.
  int64_t now = 0;
  windows->progressClock = [&now] { return now += 1000; };

  struct Seen {
    bool shown = false;
    bool mainEnabled = true;
    std::string title, text;
  };
  const auto look = [this](Seen* seen, bool cancel) {
    QTimer::singleShot(0, f, [this, seen, cancel] {
      ProgressWindow* p = ShownProgressWindow();
      if (!p) return;
      seen->shown = true;
      seen->mainEnabled = f->isEnabled();
      seen->title = p->windowTitle().toStdString();
      seen->text = p->TextLine()->text().toStdString();
      if (cancel && p->CancelButton()) p->CancelButton()->click();
    });
  };
  Seen copying;
  look(&copying, false);
  v->Copy();
  EXPECT_TRUE(copying.shown);
  EXPECT_FALSE(copying.mainEnabled);
  EXPECT_EQ(copying.title, "Prepare clipboard content");
  EXPECT_EQ(copying.text.rfind("Adding content at address 0x", 0), 0u) << copying.text;
  EXPECT_EQ(ShownProgressWindow(), nullptr);
  EXPECT_TRUE(f->isEnabled());
  EXPECT_EQ(QApplication::clipboard()->text().count("\r\n"), 5);

  // Cancelled: the clipboard keeps what it had.
  QApplication::clipboard()->setText("kept");
  Seen cancelled;
  look(&cancelled, true);
  v->Copy();
  EXPECT_TRUE(cancelled.shown);
  EXPECT_EQ(QApplication::clipboard()->text(), "kept");
  EXPECT_TRUE(f->isEnabled());
}

TEST_F(DebugViewWindowsTest, DisassemblyFindGoesOnFromTheTopWhenAsked) {
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  v->resize(500, 200);
  QApplication::processEvents();
  v->ScrollToAddress(0x1060);
  v->Cache().SetCursor(0);
  // Below: the line of instruction 36 (the case of the text ignored).
  v->Find("MOV R4, #36", true, false, false);
  ASSERT_EQ(v->CursorLine(), 0);
  EXPECT_NE(v->Cache().Text(0).find("mov r4, #36"), std::string::npos) << v->Cache().Text(0);
  // "source line 1:" lies above: found after Yes to going on from the top.
  {
    test::BoxAnswers boxes({QMessageBox::Yes});
    v->Find("source line 1", true, true, true);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "String not found - Continue search from the top?");
    EXPECT_EQ(v->Cache().Text(0), "1: source line 1");
  }
  // A text that is nowhere: after the wrap, "String not found.".
  {
    test::BoxAnswers boxes({QMessageBox::Yes, QMessageBox::Ok});
    v->Find("nosuchtext", true, false, false);
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[1], "String not found.");
  }
}

// View Trace Records: offered once trace recording is on; the window shows
// the history, its last entry at the PC, the scroll bar spanning the entries.
TEST_F(DebugViewWindowsTest, ViewTraceRecordsShowsTheHistoryInTheDisassemblyWindow) {
  const CommandId kTrace = 35019, kViewTrace = 35043;
  DebugInterface* r = f->Debugger()->Session().Record();
  r->traceOn &= ~1u;
  ASSERT_TRUE(f->QueryCommand(kTrace).enabled) << "the driver offers trace recording";
  EXPECT_FALSE(f->QueryCommand(kViewTrace).enabled) << "recording is off";
  ASSERT_TRUE(f->ExecuteCommand(kTrace));
  ASSERT_TRUE(f->QueryCommand(kViewTrace).enabled);
  r->flags |= kDbgFlagExecuting;
  EXPECT_FALSE(f->QueryCommand(kViewTrace).enabled) << "the target runs";
  r->flags &= ~uint32_t(kDbgFlagExecuting);
  ASSERT_EQ(windows->Disassembly(), nullptr);
  ASSERT_TRUE(f->ExecuteCommand(kViewTrace));
  DisassemblyView* v = windows->Disassembly();
  ASSERT_NE(v, nullptr) << "the window opens for it";
  // About 14 lines whatever the font: the four entries and their source
  // line fit above the PC in the view's upper third, and a page down stays
  // inside the scroll bar's range.
  v->resize(500, 14 * v->Layout().lineHeight + 24);
  QApplication::processEvents();
  // Twelve rows of whatever font the window has.
  const DisassemblyView::Geometry g = v->Layout();
  v->resize(500, v->height() - g.text.height() + 12 * g.lineHeight);
  QApplication::processEvents();
  ASSERT_EQ(v->Layout().visible, 12);
  ASSERT_TRUE(f->ExecuteCommand(kViewTrace));
  ASSERT_TRUE(v->InTraceView());
  DisasmCache& c = v->Cache();
  const int pc = c.PcLine();
  ASSERT_GE(pc, 0);
  EXPECT_EQ(c.Line(pc).kind, kDisasmTrace1);
  EXPECT_EQ(c.Line(pc).address, r->pc);
  EXPECT_EQ(c.Line(pc).line, 29u) << "the last of 30 entries";
  EXPECT_EQ(c.Text(pc), "0x00001010  op29");
  bool source = false;
  for (int i = 0; i < pc; ++i) source |= c.Line(i).kind == kDisasmTrace3 && c.Text(i) == "    7: counter++;";
  EXPECT_TRUE(source);
  EXPECT_TRUE(Logged("traceinfo")) << log();
  // The bar spans the entries; its position is the first line's entry.
  // The bar spans the entries (the end shown a third down sits at its bottom).
  EXPECT_EQ(v->VerticalBar()->maximum(), std::max(0, 30 - c.Visible() + 3));
  EXPECT_EQ(v->VerticalBar()->value(), std::min(int(c.Line(0).line), v->VerticalBar()->maximum()));
  for (int i = 0; i < 40; ++i) QTest::keyClick(v, Qt::Key_Up);
  EXPECT_EQ(c.Line(0).line, 0u) << "up to the oldest entry";
  EXPECT_EQ(v->VerticalBar()->value(), 0);
  QTest::keyClick(v, Qt::Key_PageDown);
  EXPECT_GT(c.Line(0).line, 0u);
  EXPECT_EQ(v->VerticalBar()->value(), int(c.Line(0).line));
  // Assembly mode leaves the history for the listing and its address range.
  v->SetMode(kDisasmModeAssembly);
  EXPECT_FALSE(v->InTraceView());
  EXPECT_EQ(v->VerticalBar()->maximum(), DisasmScrollMax(v->Range(), c.Visible()));
  // Trace mode goes back to the history.
  v->SetMode(kDisasmModeTrace);
  EXPECT_TRUE(v->InTraceView());
  EXPECT_EQ(c.Line(c.PcLine()).line, 29u);
}

// The context menu's address ranges: checked for the stored one, 0...4GB
// greyed, a choice stored in the window flags and spanned by the bar.
TEST_F(DebugViewWindowsTest, AddressRangeCommandsSetTheScrollBar) {
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  v->resize(500, 200);
  QApplication::processEvents();
  v->GotoAddress(0x1010);
  DebugInterface* r = f->Debugger()->Session().Record();
  auto rangeActions = [&](QMenu* menu) {
    std::map<int, QAction*> out;
    for (QAction* a : menu->actions())
      if (a->menu())
        for (QAction* b : a->menu()->actions()) out[b->data().toInt()] = b;
    return out;
  };
  QMenu* menu = v->BuildContextMenu();
  auto actions = rangeActions(menu);
  ASSERT_EQ(actions.size(), 7u);
  EXPECT_TRUE(actions[35026]->isChecked()) << "64K when nothing is stored";
  EXPECT_FALSE(actions[35410]->isEnabled());
  actions[35080]->trigger();
  delete menu;
  EXPECT_EQ(v->Range(), 4);
  EXPECT_EQ(DisasmRangeIndex(r->windowFlags), 4);
  EXPECT_EQ(v->VerticalBar()->maximum(), 0xFFFF0 - v->Cache().Visible() + 2);
  EXPECT_EQ(v->VerticalBar()->value(), int(DisasmScrollPosition(r->family, v->Cache().Line(0).address)));
  menu = v->BuildContextMenu();
  actions = rangeActions(menu);
  EXPECT_TRUE(actions[35080]->isChecked());
  EXPECT_FALSE(actions[35026]->isChecked());
  delete menu;
  v->SetRange(6);
  EXPECT_EQ(v->Range(), 4) << "the 4GB range is not offered";
  // The thumb dropped at a position moves the view to that code address.
  v->VerticalBar()->setSliderDown(true);
  v->VerticalBar()->setSliderPosition(0x1040);
  v->VerticalBar()->setSliderDown(false);
  EXPECT_EQ(v->Cache().Line(0).address, 0x1040u);
}

// A drag with the left button follows the pointer on a 200 ms timer; at
// the top or bottom line it scrolls a line each tick until the pointer
// leaves the edge or the view.
TEST_F(DebugViewWindowsTest, DragSelectsAndScrollsOnTheTimer) {
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  v->resize(500, 200);
  QApplication::processEvents();
  v->ScrollToAddress(0x1040);
  DisasmCache& c = v->Cache();
  const DisassemblyView::Geometry g = v->Layout();
  auto rowAt = [&](int row) { return QPoint(g.gutter + 20, row * g.lineHeight + g.lineHeight / 2); };
  const int lastWhole = g.text.height() / g.lineHeight - 1;
  ASSERT_GE(lastWhole, 5);
  QTest::mousePress(v, Qt::LeftButton, {}, rowAt(2));
  EXPECT_EQ(v->CursorLine(), 2);
  QTest::mouseMove(v, rowAt(4));
  EXPECT_TRUE(v->DragTimer()->isActive());
  EXPECT_EQ(v->DragTimer()->interval(), 200);
  EXPECT_EQ(v->CursorLine(), 2) << "a move only arms the timer";
  v->DragTick();
  EXPECT_EQ(v->CursorLine(), 4);
  EXPECT_TRUE(v->HasSelection());
  EXPECT_FALSE(v->DragTimer()->isActive()) << "inside the lines the timer is not armed again";
  // The first line's strip: a line up per tick, the cursor on line 0.
  const uint32_t top = c.Line(0).address;
  const std::string topText = c.Text(0);
  QTest::mouseMove(v, QPoint(g.gutter + 20, g.lineHeight / 2));
  v->DragTick();
  EXPECT_EQ(v->CursorLine(), 0);
  EXPECT_NE(c.Text(1), c.Text(0));
  EXPECT_EQ(c.Text(1), topText) << "scrolled one line up";
  EXPECT_TRUE(v->DragTimer()->isActive()) << "armed again at the edge";
  // The real timer goes on scrolling while the pointer stays.
  const std::string now = c.Text(0);
  EXPECT_TRUE(test::WaitFor([&] { return c.Text(0) != now; }));
  EXPECT_LE(c.Line(0).address, top);
  // The last line's strip scrolls down.
  QTest::mouseMove(v, QPoint(g.gutter + 20, g.text.height() - g.lineHeight / 2));
  const std::string before = c.Text(0);
  v->DragTick();
  EXPECT_NE(c.Text(0), before);
  // Outside the view the drag stops; after the release ticks do nothing.
  QTest::mouseMove(v, QPoint(g.gutter + 20, -5));
  v->DragTick();
  EXPECT_FALSE(v->DragTimer()->isActive());
  QTest::mouseRelease(v, Qt::LeftButton, {}, rowAt(3));
  const int cursor = v->CursorLine();
  QTest::mouseMove(v, rowAt(1));
  v->DragTick();
  EXPECT_EQ(v->CursorLine(), cursor);
}

TEST_F(DebugViewWindowsTest, MemoryPageLargerThanTheReadBufferDrawsOnlyWhatWasRead) {
  ASSERT_TRUE(f->ExecuteCommand(32758));
  MemoryPage* p = windows->Memory()->Page(0);
  p->AddressEdit()->setText("0x40000000");
  p->EvaluateEntered();
  p->SetFormat(kMemDouble);
  // 256 doubles a row and more rows than the read buffer holds.
  p->resize(QFontMetrics(p->font()).averageCharWidth() * (256 * 15 + 40), 33 + 20 * QFontMetrics(p->font()).height());
  QApplication::processEvents();
  ASSERT_EQ(p->Geometry().columns, 256);
  const int perRow = 8 * 256;
  const int rows = p->Geometry().rows + (p->Geometry().partial ? 1 : 0);
  ASSERT_GT(rows * perRow, kMemReadBuffer);
  EXPECT_EQ(p->BytesRead(), kMemReadBuffer);
  const std::vector<std::string> shown = p->Rows();
  ASSERT_EQ(int(shown.size()), rows);
  const int full = kMemReadBuffer / perRow;  // rows read whole
  EXPECT_EQ(shown[0].size(), shown[size_t(full - 1)].size());  // whole rows: 256 columns of 15
  // The row the buffer ends in shows what was read, the rows after it their address only.
  EXPECT_LT(shown[size_t(full)].size(), shown[0].size());
  EXPECT_EQ(shown[size_t(full + 1)].size(), std::string("0x40000000: ").size()) << shown[size_t(full + 1)];
}

// A page at the top of the 32-bit space goes on from address 0: it shows
// the values there (the driver reads no range past the top in one piece),
// and its later rows, and the thumb's tip, name 32-bit addresses.
TEST_F(DebugViewWindowsTest, MemoryPageAtTheTopShowsItsValuesAndLabelsRowsAs32BitAddresses) {
  ASSERT_TRUE(f->ExecuteCommand(32758));
  MemoryPage* p = windows->Memory()->Page(0);
  p->resize(620, 170);
  p->AddressEdit()->setText("0xFFFFFFF0");
  p->EvaluateEntered();
  ASSERT_TRUE(p->Valid());
  const std::vector<std::string> rows = p->Rows();
  const uint32_t perRow = uint32_t(p->Look().Size() * p->Geometry().columns);
  for (size_t i = 0; i < rows.size(); ++i) {
    char label[32];
    std::snprintf(label, sizeof label, "0x%08X: ", uint32_t(0xFFFFFFF0u + uint32_t(i) * perRow));
    EXPECT_EQ(rows[i].substr(0, 12), label) << i;
  }
  const size_t past = (16 + perRow - 1) / perRow;  // the first row past the top
  ASSERT_LT(past, rows.size()) << "the page reaches past the top";
  EXPECT_LT(std::stoul(rows[past].substr(2, 8), nullptr, 16), 0x100ul) << rows[past];
  // Every byte shown: the top's 16, then address 0's on.
  EXPECT_EQ(p->BytesRead(), MemReadCount(p->Look(), p->Geometry()));
  std::string bytes;
  for (const std::string& row : rows) bytes += row.substr(12);
  EXPECT_EQ(bytes.substr(0, 16 * 3 + 8 * 3), "F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF 11 12 13 14 15 16 17 18 ");
  p->ThumbTracked(1);
  const auto tips = p->findChildren<QWidget*>("ValueTip");
  ASSERT_EQ(tips.size(), 1);
  char tip[32];
  std::snprintf(tip, sizeof tip, "Addr=0x%08X", uint32_t(0xFFFFFFF0u + perRow));
  EXPECT_EQ(static_cast<ValueTip*>(tips[0])->Text().toStdString(), tip);
  p->ThumbReleased();
}

// A page takes back a kept text and format word as they were kept, even
// over the format it shows; a word from an edited file whose format lies
// beyond the table shows bytes; a text the driver rejects leaves an empty
// page at base 0.
TEST_F(DebugViewWindowsTest, MemoryPageTakesBackItsKeptTextAndFormat) {
  ASSERT_TRUE(f->ExecuteCommand(32758));
  MemoryPage* p = windows->Memory()->Page(2);
  p->resize(620, 170);
  struct Row {
    const char* name;
    const char* text;
    uint16_t word;
    int format;
    bool decimal;
    bool valid;
  };
  const Row rows[] = {
      {"hexadecimal long", "0x40000000", 0x002, kMemULong, false, true},
      {"the same format scrolled down", "0x40000000", 0x002, kMemULong, false, true},
      {"decimal unsigned short", "0x40000000", 0x10A, kMemUShort, true, true},
      {"a format beyond the table", "0x40000000", 0x00B, kMemUChar, false, true},
      {"decimal beyond the table", "0x40000000", 0x1FF, kMemUChar, true, true},
      {"an address the driver rejects", "nowhere", 0x001, kMemUInt, false, false},
      {"no text", "", 0x000, kMemUChar, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    p->ScrollBy(2);
    p->RestoreAddress(row.text, row.word);
    EXPECT_EQ(p->AddressEdit()->text().toStdString(), row.text);
    EXPECT_EQ(p->Look().format, row.format);
    EXPECT_EQ(p->Look().decimal, row.decimal);
    EXPECT_EQ(p->Valid(), row.valid);
    EXPECT_EQ(p->Base(), row.valid ? 0x40000000u : 0u);
    EXPECT_EQ(p->TopRow(), 0);
    // What it keeps next time is what it shows now.
    EXPECT_EQ(p->SavedText(), row.text);
    EXPECT_EQ(p->SavedFormat(), uint16_t(row.format | (row.decimal ? 0x100 : 0)));
  }
}

// The memory window's four pages go with it: its tab window lets go of
// them when it goes, as of any window it shows.
TEST(MemoryWindowLife, ThePagesGoWithTheWindow) {
  auto* window = new MemoryWindow(MemoryHost{});
  std::vector<QPointer<MemoryPage>> pages;
  for (int n = 0; n < 4; ++n) pages.emplace_back(window->Page(n));
  delete window;
  for (int n = 0; n < 4; ++n) EXPECT_TRUE(pages[size_t(n)].isNull()) << "page " << n + 1;
}

TEST_F(DebugViewWindowsTest, MemoryWindowShowsFormatsAndWritesValues) {
  ASSERT_TRUE(f->ExecuteCommand(32758));
  MemoryWindow* m = windows->Memory();
  ASSERT_NE(m, nullptr);
  m->resize(640, 200);
  m->show();
  MemoryPage* p = m->Page(0);
  p->resize(620, 170);
  QApplication::processEvents();
  QTest::keyClicks(p->AddressEdit(), "0x40000000");
  QTest::keyClick(p->AddressEdit(), Qt::Key_Return);
  ASSERT_TRUE(p->Valid());
  ASSERT_FALSE(p->Rows().empty());
  EXPECT_EQ(p->Rows()[0].substr(0, std::strlen("0x40000000: 48 65 6C 6C")), "0x40000000: 48 65 6C 6C");
  p->SetFormat(kMemULong);
  EXPECT_EQ(p->Rows()[0].substr(0, std::strlen("0x40000000: 6C6C6548 77202C6F")), "0x40000000: 6C6C6548 77202C6F");
  p->SetFormat(kMemAscii);
  EXPECT_EQ(p->Rows()[0].substr(0, std::strlen("0x40000000: Hello, world!")), "0x40000000: Hello, world!");
  // The frame's format commands act on the page in front and show its format checked.
  ASSERT_TRUE(f->QueryCommand(35060).enabled);
  EXPECT_EQ(f->QueryCommand(35066).check, 1);  // ASCII
  ASSERT_TRUE(f->ExecuteCommand(35060));        // unsigned long
  EXPECT_EQ(p->Look().format, kMemULong);
  EXPECT_EQ(f->QueryCommand(35060).check, 1);
  EXPECT_EQ(f->QueryCommand(35066).check, 0);
  const bool decimal = p->Look().decimal;
  ASSERT_TRUE(f->ExecuteCommand(35067));
  EXPECT_NE(p->Look().decimal, decimal);
  ASSERT_TRUE(f->ExecuteCommand(35067));
  p->SetFormat(kMemAscii);
  // The context menu offers the modification only on a value; the value
  // tip of the thumb names the address of a position.
  {
    std::unique_ptr<QMenu> onValue(p->BuildContextMenu(p->FirstValueCentre()));
    std::unique_ptr<QMenu> inBar(p->BuildContextMenu(QPoint(5, 5)));
    EXPECT_EQ(onValue->actions().last()->text().toStdString(), "&Modify Memory at 0x40000000");
    EXPECT_EQ(onValue->actions().size(), inBar->actions().size() + 2);
    p->ThumbTracked(2);
    const auto tips = p->findChildren<QWidget*>("ValueTip");
    ASSERT_EQ(tips.size(), 1);
    EXPECT_EQ(static_cast<ValueTip*>(tips[0])->Text().toStdString(),
              "Addr=0x" + QString::number(0x40000000 + 2 * p->Geometry().columns, 16).toUpper().toStdString());
    p->ThumbReleased();
    EXPECT_FALSE(tips[0]->isVisible());
  }
  // Page keys scroll by rows, never above the base.
  QTest::keyClick(p, Qt::Key_Down);
  EXPECT_EQ(p->TopRow(), 1);
  QTest::keyClick(p, Qt::Key_Home);
  EXPECT_EQ(p->TopRow(), 0);
  // An ASCII entry goes to the driver's memory with its escapes.
  clearLog();
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    dialog->setTextValue("Hi\\n");
    dialog->accept();
  });
  p->ModifyMemory(0x40000000);
  EXPECT_TRUE(Logged("write 1073741824 3\n")) << log();
  EXPECT_EQ(p->Rows()[0].substr(0, std::strlen("0x40000000: Hi.lo")), "0x40000000: Hi.lo");
  // An unknown expression leaves the page empty.
  p->AddressEdit()->setText("nosuch");
  QTest::keyClick(p->AddressEdit(), Qt::Key_Return);
  EXPECT_FALSE(p->Valid());
  EXPECT_TRUE(p->Rows().empty());
}

// A right click on a row of values offers to modify the value under it, or
// the nearest of that row when the click falls between two values or past
// the row's last; in the address column and the address bar it does not.
TEST_F(DebugViewWindowsTest, ARightClickBetweenOrPastTheValuesModifiesTheNearestOfItsRow) {
  ASSERT_TRUE(f->ExecuteCommand(32758));
  MemoryWindow* m = windows->Memory();
  ASSERT_NE(m, nullptr);
  m->resize(640, 200);
  m->show();
  MemoryPage* p = m->Page(0);
  p->resize(620, 170);
  QApplication::processEvents();
  QTest::keyClicks(p->AddressEdit(), "0x40000000");
  QTest::keyClick(p->AddressEdit(), Qt::Key_Return);
  ASSERT_TRUE(p->Valid());
  p->SetFormat(kMemUChar);
  const std::vector<std::pair<int, int>> spans = p->ValueSpans();
  const int columns = p->Geometry().columns;
  ASSERT_GE(columns, 4);
  ASSERT_EQ(int(spans.size()), columns);
  ASSERT_LT(spans.back().second + 4, p->width()) << "the page leaves room past the last value";
  const int y = p->FirstValueCentre().y();
  auto address = [](uint64_t offset) { return "&Modify Memory at 0x" + QString::number(0x40000000 + offset, 16).toUpper().toStdString(); };
  const struct {
    const char* name;
    QPoint at;
    std::string offered;  // the menu's last entry when it offers one
  } rows[] = {
      {"on the first value", {spans[0].first + 1, y}, address(0)},
      {"just after the first value", {spans[0].second + 1, y}, address(0)},
      {"just before the second value", {spans[1].first - 1, y}, address(1)},
      {"between the third and the fourth", {spans[2].second, y}, address(2)},
      {"just past the row's last value", {spans.back().second + 2, y}, address(uint64_t(columns - 1))},
      {"past the last value on the second row", {spans.back().second + 2, y + 2 * (y - kMemBarHeight)},
       address(uint64_t(2 * columns - 1))},
      {"in the address column", {spans[0].first - 4, y}, ""},
      {"in the address bar", {spans[0].first + 1, kMemBarHeight / 2}, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    QTest::mousePress(p, Qt::RightButton, {}, r.at);
    QTest::mouseRelease(p, Qt::RightButton, {}, r.at);
    QContextMenuEvent click(QContextMenuEvent::Mouse, r.at, p->mapToGlobal(r.at));
    QApplication::sendEvent(p, &click);
    QPointer<QMenu> menu = p->findChild<QMenu*>("MemoryMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    const std::string last = menu->actions().last()->text().toStdString();
    if (r.offered.empty()) {
      EXPECT_EQ(last.find("Modify Memory"), std::string::npos) << last;
    } else {
      EXPECT_EQ(last, r.offered);
    }
    menu->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(menu.isNull()) << "the menu goes when it closes";
  }
}

// Show Source Code opens the file the driver names for the disassembly
// cursor's address, at its line, wherever the program's debug information
// put it: relative to the project, or in a build folder that is gone since
// the project was copied. A name found nowhere greys the command.
struct CursorSourceRow {
  const char* name;
  const char* named;     // what the driver names for the address
  const char* expected;  // the file opened, in the project folder; "" greyed
};

class ShowCursorSource : public test::TestDriverFrameTest, public ::testing::WithParamInterface<CursorSourceRow> {};

TEST_P(ShowCursorSource, OpensTheNamedFileAtItsLine) {
  const CursorSourceRow& row = GetParam();
  const CommandId kShowSource = 35411;
  std::string named = row.named;
  if (named.rfind("@DIR@", 0) == 0) named = dir + named.substr(5);
  StartSession("source.script", Script() + "line " + named + " 12 1004\n");
  EXPECT_FALSE(f->QueryCommand(kShowSource).enabled) << "no disassembly window";
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  ASSERT_NE(v, nullptr);
  v->resize(500, 300);
  QApplication::processEvents();
  v->GotoAddress(0x1000);
  DisasmCache& c = v->Cache();
  int at = -1;
  for (int i = 0; i < c.Visible() && at < 0; ++i)
    if (c.Line(i).kind == kDisasmCode && c.Line(i).address == 0x1004) at = i;
  ASSERT_GE(at, 0);
  c.SetCursor(at);
  const CommandState st = f->QueryCommand(kShowSource);
  if (std::string(row.expected).empty()) {
    EXPECT_FALSE(st.enabled);
    return;
  }
  ASSERT_TRUE(st.enabled);
  ASSERT_TRUE(f->ExecuteCommand(kShowSource));
  ASSERT_NE(f->Editors().ActiveDocument(), nullptr);
  EXPECT_EQ(std::filesystem::path(f->Editors().ActivePath()), std::filesystem::path(dir + row.expected));
  EXPECT_EQ(f->Editors().Active()->Engine().State().nCaretLine, 12);
}

// The code at an address (the breakpoints and call-stack windows ask for
// it) shows in the same file; without one the disassembly window shows it.
TEST_P(ShowCursorSource, TheCodeAtTheAddressShowsInTheSameFile) {
  const CursorSourceRow& row = GetParam();
  std::string named = row.named;
  if (named.rfind("@DIR@", 0) == 0) named = dir + named.substr(5);
  StartSession("source.script", Script() + "line " + named + " 12 1004\n");
  ASSERT_EQ(session->App().IdeServiceCall(21, 0x1004), 1);
  if (std::string(row.expected).empty()) {
    EXPECT_EQ(f->Editors().ActiveDocument(), nullptr);
    EXPECT_NE(windows->Disassembly(), nullptr);
    return;
  }
  ASSERT_NE(f->Editors().ActiveDocument(), nullptr);
  EXPECT_EQ(std::filesystem::path(f->Editors().ActivePath()), std::filesystem::path(dir + row.expected));
}

const CursorSourceRow kCursorSourceRows[] = {
    {"FullPath", "@DIR@Timer.c", "Timer.c"},
    {"RelativeToTheProject", "LED.c", "LED.c"},
    {"RelativeWithWindowsSeparators", ".\\LED.c", "LED.c"},
    {"BuildFolderGone", "/nonexistent-build-folder/src/Blinky.c", "Blinky.c"},
    {"FoundNowhere", "/nonexistent-build-folder/src/Absent.c", ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, ShowCursorSource, ::testing::ValuesIn(kCursorSourceRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// A pixel of the widget as painted.
QColor PixelAt(QWidget* w, QPoint at) { return w->grab().toImage().pixelColor(at); }

// View > Options: the fonts and colours the sheet sets reach the windows
// that are open and those opened later; Cancel leaves them as they were.
TEST_F(DebugViewWindowsTest, TheOptionsFontsAndColoursReachTheWindows) {
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  ASSERT_NE(v, nullptr);
  v->resize(500, 200);
  v->GotoAddress(0x1010);
  QApplication::processEvents();
  const QColor navy(0, 0, 128), teal(0, 128, 128);
  const int commandHeight = windows->Command()->Input()->font().pixelSize();
  const int outputLine = f->Output()->BuildPane()->Model().Metrics().lineHeight;
  bool ok = true;
  SetEditorOptionsSheet([&](CColFnt& sheet) {
    WindowFonts* w = sheet.Fonts();
    EXPECT_NE(w, nullptr);
    if (!w) return false;
    w->disassemblyColours[kDisBack] = Rgb(0, 0, 128);
    w->disassemblyColours[kDisCodeText] = Rgb(255, 255, 255);
    w->disassembly.height = -21;
    w->memoryBackground = Rgb(0, 128, 128);
    w->command.height = -23;
    w->output.height = -30;
    return ok;
  });
  // Cancel: nothing changes, in the record or the windows.
  ok = false;
  ASSERT_TRUE(f->ExecuteCommand(32763));
  EXPECT_EQ(f->WindowSettings().disassemblyColours[kDisBack], Rgb(255, 255, 255));
  EXPECT_EQ(v->Colour(kDisBack), QColor(Qt::white));
  EXPECT_EQ(windows->Command()->Input()->font().pixelSize(), commandHeight);
  EXPECT_EQ(f->Output()->BuildPane()->Model().Metrics().lineHeight, outputLine);
  // OK: the open windows take them at once.
  ok = true;
  ASSERT_TRUE(f->ExecuteCommand(32763));
  SetEditorOptionsSheet(nullptr);
  EXPECT_EQ(v->Colour(kDisBack), navy);
  EXPECT_EQ(v->font().pixelSize(), 21);
  EXPECT_EQ(v->Layout().lineHeight, QFontMetrics(v->font()).height());
  EXPECT_EQ(windows->Command()->Input()->font().pixelSize(), 23);
  QFont thirty = COutView::DefaultFont();
  thirty.setPixelSize(30);
  EXPECT_EQ(f->Output()->BuildPane()->Model().Metrics().lineHeight, QFontMetrics(thirty).height() + 1);
  EXPECT_GT(QFontMetrics(thirty).height() + 1, outputLine);
  // A line that is not the cursor's shows the new background right of its text.
  const DisassemblyView::Geometry g = v->Layout();
  const int row = v->CursorLine() == 1 ? 2 : 1;
  EXPECT_EQ(PixelAt(v, QPoint(g.text.right() - 2, row * g.lineHeight + 1)), navy);
  // The memory window opened now starts with them.
  ASSERT_TRUE(f->ExecuteCommand(32758));
  MemoryWindow* m = windows->Memory();
  ASSERT_NE(m, nullptr);
  MemoryPage* p = m->ActivePage();
  EXPECT_EQ(p->BackColour(), teal);
  p->resize(400, 150);
  EXPECT_EQ(PixelAt(p, QPoint(200, 100)), teal);
  // A page shown later compares and takes them too.
  m->ActivatePage(2);
  QApplication::processEvents();
  EXPECT_EQ(m->Page(2)->BackColour(), teal);
}

// The disassembly window opens where it was when it last closed.
TEST_F(DebugViewWindowsTest, DisassemblyFrameOpensWhereItWasClosed) {
  ASSERT_TRUE(f->ExecuteCommand(32752));
  auto* sheet = f->findChild<QMdiSubWindow*>("DisassemblyFrame");
  ASSERT_NE(sheet, nullptr);
  const QRect placed(20, 30, 400, 260);
  sheet->setGeometry(placed);
  windows->CloseDisassemblyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(windows->Disassembly(), nullptr);
  EXPECT_EQ(f->WindowSettings().disassemblyFrame.length, 44u);
  ASSERT_TRUE(f->ExecuteCommand(32752));
  sheet = f->findChild<QMdiSubWindow*>("DisassemblyFrame");
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->geometry(), placed);
}

}  // namespace
}  // namespace pm2
