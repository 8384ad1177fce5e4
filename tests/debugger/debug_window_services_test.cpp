// The debug windows' commands and the IDE services they serve, in the real
// main frame over the scriptable test driver: every service goes through
// the program's own dispatcher (ShellApp::IdeServiceCall), and the window
// toggles through the frame's command routing.
#include <algorithm>
#include <dlfcn.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QComboBox>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QPointer>
#include <QMessageBox>
#include <cstdio>
#include <fstream>
#include <set>
#include <thread>

#include "debugger/dialogs/debug_dialogs.h"
#include "debugger/dialogs/func_editor_dialog.h"
#include "debugger/dialogs/inline_asm_dialog.h"
#include "file_dialog_answer.h"
#include "debugger/dialogs/serial_window.h"
#include "debugger/ui/ipc_debug_shell.h"
#include "debugger/dialogs/tool_box.h"
#include "toolkit/frames/mdi_child.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/ui/register_page.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/disassembly_window.h"
#include "debugger/windows/memory_window.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/margin_view.h"
#include "editor/view/edit_view.h"
#include "shell/frame/editor_windows.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/frames/status_bar.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/frame_fixture.h"
#include "test_driver_frame.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/shell_resources.h"
#include "shell/output/find_dialog.h"

namespace pm2 {
namespace {

// A listing of 60 lines from 0x1000, a source line before every fifth
// instruction; the program counter at 0x1010.
std::string Listing() {
  std::string s = "pc 1010\n";
  uint32_t a = 0x1000;
  for (int i = 0; i < 60; ++i) {
    char line[96];
    if (i % 5 == 0) {
      std::snprintf(line, sizeof line, "dis %x 32 %d: source line %d\n", a, i / 5 + 1, i / 5 + 1);
    } else {
      std::snprintf(line, sizeof line, "dis %x 33 0x%08X  mov r%d, #%d\n", a, a, i % 8, i);
      a += 4;
    }
    s += line;
  }
  return s;
}

class DebugWindowServicesTest : public test::TestDriverFrameTest {
 protected:
  // Starts a session whose driver script is the listing and `extra`.
  void Start(const std::string& extra = "") {
    StartSession("services.script", Listing() + extra);
    if (HasFatalFailure()) return;
    dialogs = f->Debugger()->Dialogs();
  }
  intptr_t Service(int code, intptr_t arg) { return session->App().IdeServiceCall(code, arg); }
  // The disassembly window, open, sized and in front.
  DisassemblyView* Disassembly() {
    DisassemblyView* v = windows->OpenDisassemblyWindow();
    v->resize(500, 200);
    QApplication::processEvents();
    return v;
  }
  // The cursor on the first code line below the top one.
  int PutCursorOnCode(DisassemblyView* v) {
    const DisassemblyView::Geometry g = v->Layout();
    int row = 1;
    while (v->Cache().Line(row).kind != kDisasmCode) ++row;
    QTest::mouseClick(v, Qt::LeftButton, {}, QPoint(g.gutter + 20, row * g.lineHeight + g.lineHeight / 2));
    return row;
  }
  // Blinky.c in an editor and the target stopped: its arrow on the PC's line.
  EditorView* BlinkyAtTheStop() {
    EditorView* e = f->Editors().Open(dir + "Blinky.c", 1);
    if (!e) return nullptr;
    e->resize(600, 400);
    f->Debugger()->TargetStopped();
    return e;
  }
  // The disassembly window's arrow, the editor's (line 14) and the status
  // line's PC all at 0x1024.
  void ExpectEveryPcAt1024(DisassemblyView* v, EditorView* e) {
    ASSERT_GE(v->Cache().PcLine(), 0);
    EXPECT_EQ(v->Cache().Line(v->Cache().PcLine()).address, 0x1024u) << "the disassembly window's arrow";
    EXPECT_EQ(e->Margin().PcLine(), 14u) << "the editor's arrow";
    SECStatusBar* bar = f->findChild<SECStatusBar*>("StatusBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetPaneText(bar->CommandToIndex(123)), "PC: 0x00001024");
  }

  DebugDialogs* dialogs = nullptr;
};

// The item of a command in a menu, searched through its popups.
bool MenuHas(const std::vector<MenuEntry>& entries, CommandId id) {
  for (const MenuEntry& e : entries)
    if ((e.kind == MenuEntry::Kind::Item && e.id == id) || (e.kind == MenuEntry::Kind::Popup && MenuHas(e.children, id)))
      return true;
  return false;
}

struct ToggleRow {
  const char* name;
  CommandId id;
  bool closesAgain;  // false: the command brings the open window to the front
};

class DebugWindowToggles : public DebugWindowServicesTest, public ::testing::WithParamInterface<ToggleRow> {};

// Each window command is checked while its window is open; chosen again it
// closes the window (the function editor comes to the front instead).
TEST_P(DebugWindowToggles, CheckedWhileOpenAndClosedWhenChosenAgain) {
  const ToggleRow& row = GetParam();
  test::FileDialogAnswer cancel("");  // the function editor asks for a file
  Start();
  ASSERT_TRUE(f->QueryCommand(row.id).enabled);
  EXPECT_EQ(f->QueryCommand(row.id).check, 0);
  ASSERT_TRUE(f->ExecuteCommand(row.id));
  QApplication::processEvents();
  EXPECT_EQ(f->QueryCommand(row.id).check, 1);
  ASSERT_TRUE(f->ExecuteCommand(row.id));
  QApplication::processEvents();
  EXPECT_EQ(f->QueryCommand(row.id).check, row.closesAgain ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, DebugWindowToggles,
                         ::testing::Values(ToggleRow{"Serial1", 32735, true}, ToggleRow{"Serial2", 32728, true},
                                           ToggleRow{"Serial3", 35418, true}, ToggleRow{"Analyser", 32732, true},
                                           ToggleRow{"Symbols", 35048, true}, ToggleRow{"ToolBox", 35073, true},
                                           ToggleRow{"InlineAssembler", 35082, true},
                                           ToggleRow{"FunctionEditor", 35083, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct OfferRow {
  const char* name;
  const char* offers;  // the driver's capability bits
  CommandId id;
  bool enabled;
};

class DebugWindowOffers : public DebugWindowServicesTest, public ::testing::WithParamInterface<OfferRow> {};

// The analyser, its setup and the memory map follow the capability bits the
// driver sets in its record.
TEST_P(DebugWindowOffers, EnabledWhenTheDriverOffersIt) {
  const OfferRow& row = GetParam();
  Start(std::string("offers ") + row.offers + "\n");
  EXPECT_EQ(f->QueryCommand(row.id).enabled, row.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DebugWindowOffers,
    ::testing::Values(OfferRow{"AnalyserOffered", "8000", 32732, true}, OfferRow{"AnalyserNotOffered", "10000", 32732, false},
                      OfferRow{"SetupNotOffered", "10000", 35079, false}, OfferRow{"MapOffered", "10000", 35069, true},
                      OfferRow{"MapNotOffered", "8000", 35069, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DebugWindowServicesTest, PeriodicUpdateHasItsMenuItemAndModifyMemoryWhileRunningNeedsTheDriver) {
  Start("eval 0x1000 1000\nmem 1000 0102030405060708\n");
  const std::vector<MenuEntry>* menu = ShellResources().Menu(kMainMenuId);
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(MenuHas(*menu, 35081));
  // A running target: Modify Memory only with a driver that writes then.
  windows->OpenMemoryWindow();
  windows->Memory()->ActivePage()->AddressEdit()->setText("0x1000");
  QTest::keyClick(windows->Memory()->ActivePage()->AddressEdit(), Qt::Key_Return);
  DebugInterface* r = f->Debugger()->Session().Record();
  ASSERT_TRUE(f->QueryCommand(35090).enabled);
  r->flags &= ~uint32_t(0x800);
  r->flags |= kDbgFlagExecuting;
  EXPECT_FALSE(f->QueryCommand(35090).enabled);
  r->flags |= 0x800;
  EXPECT_TRUE(f->QueryCommand(35090).enabled);
  r->flags &= ~uint32_t(kDbgFlagExecuting | 0x800);
}

// Debug > Function Editor (Open Ini File): the target's function file when
// one is named; with none it asks for one (its own file dialog, over the
// editor), and Cancel leaves an empty text.
TEST_F(DebugWindowServicesTest, FunctionEditorOpensTheInitialisationFileOrAsksForOne) {
  Start();
  const std::string chosen = dir + "Chosen.ini";
  std::ofstream(chosen) << "FUNC void g (void) {}\n";
  {
    test::FileDialogAnswer answer(chosen);
    ASSERT_TRUE(f->ExecuteCommand(35083));
    ASSERT_NE(dialogs->FuncEditor(), nullptr);
    ASSERT_EQ(answer.titles, std::vector<std::string>{"Open Ini File"});
    EXPECT_EQ(answer.owners[0].data(), dialogs->FuncEditor());
    EXPECT_EQ(dialogs->FuncEditor()->FileName(), chosen);
  }
  dialogs->FuncEditor()->close();
  ASSERT_TRUE(test::WaitFor([&] { return dialogs->FuncEditor() == nullptr; }));
  {
    test::FileDialogAnswer cancel("");
    ASSERT_TRUE(f->ExecuteCommand(35083));
    ASSERT_NE(dialogs->FuncEditor(), nullptr);
    EXPECT_EQ(cancel.titles.size(), 1u);
    EXPECT_TRUE(dialogs->FuncEditor()->FileName().empty());
  }
  dialogs->FuncEditor()->close();
  ASSERT_TRUE(test::WaitFor([&] { return dialogs->FuncEditor() == nullptr; }));
  const std::string ini = dir + "Debug.ini";
  std::ofstream(ini) << "FUNC void f (void) {}\n";
  std::snprintf(f->Debugger()->Session().Settings().initFile, sizeof(DebugSettings::initFile), "%s", ini.c_str());
  test::FileDialogAnswer none("");
  ASSERT_TRUE(f->ExecuteCommand(35083));
  ASSERT_NE(dialogs->FuncEditor(), nullptr);
  EXPECT_EQ(dialogs->FuncEditor()->FileName(), ini);
  EXPECT_TRUE(none.titles.empty()) << "a named file is opened without asking";
}

// Service 25: the command window's visible lines and columns.
TEST_F(DebugWindowServicesTest, CommandWindowSizeThroughTheDispatcher) {
  Start();
  CommandWindow* w = windows->ShowCommandWindow();
  ASSERT_NE(w, nullptr);
  w->resize(640, 300);
  QApplication::processEvents();
  int lines = 0, columns = 0;
  w->VisibleSize(&lines, &columns);
  ASSERT_GT(lines, 1);
  ASSERT_GT(columns, 10);
  int32_t out[2] = {0, 0};
  EXPECT_EQ(Service(25, reinterpret_cast<intptr_t>(out)), 0);
  EXPECT_EQ(out[0], lines);
  EXPECT_EQ(out[1], columns);
}

// The command page's context menu clears it and copies the selected
// lines; a long line scrolls sideways; a double click on an error line
// of the function compiler goes to its line in the function editor.
TEST_F(DebugWindowServicesTest, CommandPageClearCopyScrollAndErrorLines) {
  Start();
  CommandWindow* w = windows->ShowCommandWindow();
  ASSERT_NE(w, nullptr);
  w->resize(400, 300);
  w->Clear();  // what the session's start printed
  QApplication::processEvents();
  w->Append("*** error 2, line 3: undefined identifier\n");
  w->Output().SetEcho();
  w->Append("BS main\n");
  // A typed command is history, not the user's selection: clicked lines are.
  EXPECT_FALSE(w->HasSelectedLines());
  QWidget* output = w->findChild<QWidget*>("CommandOutputList");
  ASSERT_NE(output, nullptr);
  const int height = output->fontMetrics().height();
  QTest::mouseClick(output, Qt::LeftButton, {}, QPoint(20, height / 2));
  ASSERT_TRUE(w->HasSelectedLines());
  w->Copy();
  // The selected lines joined by line feeds, none after the last.
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "*** error 2, line 3: undefined identifier");
  EXPECT_EQ(w->HorizontalBar()->maximum(), 0);
  w->Append((std::string(300, 'x') + "\n").c_str());
  EXPECT_GT(w->HorizontalBar()->maximum(), 0) << "the 290 characters of a line are wider than the page";
  // The error line with the function editor open.
  QWidget* list = w->findChild<QWidget*>("CommandOutputList");
  ASSERT_NE(list, nullptr);
  const int rowHeight = list->fontMetrics().height();
  test::BoxAnswers boxes({QMessageBox::No});
  test::FileDialogAnswer cancel("");
  ASSERT_TRUE(f->ExecuteCommand(35083));
  FunctionEditor* editor = dialogs->FuncEditor();
  ASSERT_NE(editor, nullptr);
  editor->Editor()->Text().LoadFromBytes("a\nb\nc\nd\n");
  // The list shows the newest lines; the first line's row from the top.
  w->Clear();
  EXPECT_TRUE(w->Text().isEmpty());
  EXPECT_EQ(w->HorizontalBar()->maximum(), 0);
  w->Append("*** error 2, line 3: undefined identifier\n");
  QTest::mouseDClick(list, Qt::LeftButton, {}, QPoint(20, rowHeight / 2));
  EXPECT_EQ(editor->Editor()->Engine().State().nCaretLine, 3);
}

// The driver's echo of a command (its +0x268 callback) is a history entry:
// its first line shows selected and Up brings it back.
TEST_F(DebugWindowServicesTest, DriversEchoIsAHistoryEntry) {
  Start();
  CommandWindow* w = windows->ShowCommandWindow();
  ASSERT_NE(w, nullptr);
  w->Append(nullptr);
  session->App().DriverCommandOutput("g, main\nrunning\n");
  ASSERT_EQ(w->Output().LineCount(), 2u);
  EXPECT_TRUE(w->Output().Line(0).selected);
  EXPECT_FALSE(w->Output().Line(1).selected);
  session->App().PrintToCommandWindow("plain\n");
  EXPECT_FALSE(w->Output().Line(2).selected);
  QTest::keyClick(w->Input(), Qt::Key_Up);
  EXPECT_EQ(w->Input()->text().toStdString(), "g, main");
}

// The driver echoes from its own thread too: the record's callback posts
// the text with its flag, so it lands selected and as a history entry.
TEST_F(DebugWindowServicesTest, DriversEchoFromAnotherThreadKeepsItsFlag) {
  Start();
  CommandWindow* w = windows->ShowCommandWindow();
  ASSERT_NE(w, nullptr);
  w->Append(nullptr);
  const DebugInterface* record = f->Debugger()->Session().Record();
  ASSERT_NE(record->DriverCommandOutput, nullptr);
  std::thread driverThread([&] { record->DriverCommandOutput("g, main\nrunning\n"); });
  driverThread.join();
  ASSERT_TRUE(test::WaitFor([&] { return w->Output().LineCount() == 2u; }));
  EXPECT_TRUE(w->Output().Line(0).selected);
  EXPECT_FALSE(w->Output().Line(1).selected);
  QTest::keyClick(w->Input(), Qt::Key_Up);
  EXPECT_EQ(w->Input()->text().toStdString(), "g, main");
}

// Services 26 and 27 open the disassembly window when needed; 26 shows the
// address and answers it, 27 keeps the view where it is.
TEST_F(DebugWindowServicesTest, ScrollToAddressAndSelectThroughTheDispatcher) {
  Start();
  ASSERT_EQ(windows->Disassembly(), nullptr);
  uint32_t address = 0x1080;
  EXPECT_EQ(Service(26, reinterpret_cast<intptr_t>(&address)), intptr_t(0x1080));
  DisassemblyView* v = windows->Disassembly();
  ASSERT_NE(v, nullptr);
  v->resize(500, 200);
  QApplication::processEvents();
  Service(26, reinterpret_cast<intptr_t>(&address));
  bool shown = false;
  for (int i = 0; i < v->Cache().Visible(); ++i) shown |= v->Cache().Line(i).address == 0x1080;
  EXPECT_TRUE(shown);
  const uint32_t top = v->Cache().Line(0).address;
  Service(27, 0);
  EXPECT_EQ(v->Cache().Line(0).address, top);
  ASSERT_TRUE(f->ExecuteCommand(32752));  // closed again
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(windows->Disassembly(), nullptr);
  Service(27, 0);
  EXPECT_NE(windows->Disassembly(), nullptr);
}

// A cursor line that refers to a register item highlights it in the
// register page; leaving it refreshes the page whole.
TEST_F(DebugWindowServicesTest, CursorLineTiesTheRegisterPage) {
  Start("group Core 1\nreg 0 R0 00000001\ndisreg 1008 3\n");
  DisassemblyView* v = Disassembly();
  v->ScrollToAddress(0x1000);
  int row = -1;
  for (int i = 0; i < v->Cache().Visible(); ++i)
    if (v->Cache().Line(i).address == 0x1008 && v->Cache().Line(i).kind == kDisasmCode) row = i;
  ASSERT_GE(row, 1);
  const DisassemblyView::Geometry g = v->Layout();
  clearLog();
  QTest::mouseClick(v, Qt::LeftButton, {}, QPoint(g.gutter + 20, row * g.lineHeight + g.lineHeight / 2));
  EXPECT_TRUE(Logged("regrefresh " + std::to_string(0x40000000u | 3u) + "\n")) << log();
  clearLog();
  QTest::keyClick(v, Qt::Key_Up);
  EXPECT_TRUE(Logged("regrefresh " + std::to_string(0x80000000u) + "\n")) << log();
  clearLog();
  QTest::keyClick(v, Qt::Key_Up);  // not tied any more: nothing
  EXPECT_FALSE(Logged("regrefresh")) << log();
}

// View > Disassembly Window brings an open window behind another to the
// front; in front it closes it.
TEST_F(DebugWindowServicesTest, DisassemblyCommandFocusesAnOpenWindowBehindAnother) {
  Start();
  ASSERT_TRUE(f->ExecuteCommand(32752));
  DisassemblyView* v = windows->Disassembly();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(windows->ActiveDisassembly(), v);
  ASSERT_TRUE(f->ExecuteCommand(32735));  // serial window 1 in front
  ASSERT_EQ(windows->ActiveDisassembly(), nullptr);
  ASSERT_TRUE(f->ExecuteCommand(32752));
  EXPECT_EQ(windows->Disassembly(), v);
  EXPECT_EQ(windows->ActiveDisassembly(), v);
  ASSERT_TRUE(f->ExecuteCommand(32752));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(windows->Disassembly(), nullptr);
}

// What a widget's paints saw of the view's PC-follow state.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(DisassemblyView* v) : m_view(v) { v->installEventFilter(this); }
  std::vector<bool> follows;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == m_view && e->type() == QEvent::Paint) follows.push_back(m_view->PcFollow());
    return false;
  }

 private:
  DisassemblyView* m_view;
};

// Service 40 takes a pointer to the address; with the PC line in view the
// view stays, and the arrow is navy while it shows the address (the inline
// assembler's), its own colour again afterwards.
TEST_F(DebugWindowServicesTest, GotoAddressIfCachedKeepsTheViewAndFollowsThePc) {
  Start();
  uint32_t pc = 0x1010;
  Service(40, reinterpret_cast<intptr_t>(&pc));  // opens the window
  DisassemblyView* v = Disassembly();
  ASSERT_NE(v, nullptr);
  v->GotoAddress(pc);
  ASSERT_GE(v->Cache().PcLine(), 0);
  QTest::keyClick(v, Qt::Key_Down);  // the cursor moves, the view stays
  const uint32_t top = v->Cache().Line(0).address;
  EXPECT_FALSE(v->PcFollow());
  PaintWatch watch(v);
  Service(40, reinterpret_cast<intptr_t>(&pc));
  EXPECT_EQ(v->Cache().Line(0).address, top);
  ASSERT_FALSE(watch.follows.empty());
  EXPECT_TRUE(watch.follows.front()) << "painted navy while it showed the address";
  EXPECT_FALSE(v->PcFollow());
  auto arrowColours = [&] {
    const QImage image = v->grab().toImage();
    const DisassemblyView::Geometry g = v->Layout();
    const int y = v->Cache().PcLine() * g.lineHeight + g.lineHeight / 2;
    std::set<QRgb> colours;
    for (int x = 0; x < g.gutter; ++x) colours.insert(image.pixel(x, y) & 0xFFFFFF);
    return colours;
  };
  EXPECT_TRUE(arrowColours().count(0xFFFF00)) << "yellow arrow once the address is shown";
  EXPECT_FALSE(arrowColours().count(0x000080));
}

// A program counter written on the register page (0x1010 to 0x1024): the
// disassembly window's arrow, the editor's and the status line's PC follow
// it at once.
TEST_F(DebugWindowServicesTest, AWrittenPcMovesTheArrows) {
  Start("group Core 1\nreg 0 PC 00001010 edit pc\neval 0x1024 1024\n"
        "line Blinky.c 12 1010\nline Blinky.c 14 1024\n");
  if (HasFatalFailure()) return;
  DisassemblyView* v = Disassembly();
  EditorView* e = BlinkyAtTheStop();
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->Margin().PcLine(), 12u);
  ASSERT_GE(v->Cache().PcLine(), 0);
  ASSERT_EQ(v->Cache().Line(v->Cache().PcLine()).address, 0x1010u);
  RegisterPage* page = f->Debugger()->Registers();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->EditValue(1));
  SECListEdit* edit = page->GetEditControl();
  ASSERT_NE(edit, nullptr);
  edit->setPlainText("0x1024");
  QTest::keyClick(edit, Qt::Key_Return);
  ASSERT_TRUE(Logged("regset PC 0x00001024")) << log();
  ExpectEveryPcAt1024(v, e);
}

// The program counter assigned on the command page (`$pc = ...` or
// `PC = ...`, 0x1010 to 0x1024): the disassembly window's arrow, the
// editor's and the status line's PC follow it as after a write on the
// register page.
class CommandPagePcRows : public DebugWindowServicesTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CommandPagePcRows, APcAssignedOnTheCommandPageMovesTheArrows) {
  std::string typed = GetParam();
  std::string scripted = typed;
  std::replace(scripted.begin(), scripted.end(), ' ', '_');
  Start("moves " + scripted + " 1024\nline Blinky.c 12 1010\nline Blinky.c 14 1024\n");
  if (HasFatalFailure()) return;
  DisassemblyView* v = Disassembly();
  EditorView* e = BlinkyAtTheStop();
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->Margin().PcLine(), 12u);
  CommandWindow* w = windows->ShowCommandWindow();
  ASSERT_NE(w, nullptr);
  w->Input()->setText(QString::fromStdString(typed));
  QTest::keyClick(w->Input(), Qt::Key_Return);
  ASSERT_TRUE(Logged("command " + typed)) << log();
  ExpectEveryPcAt1024(v, e);
}

INSTANTIATE_TEST_SUITE_P(Rows, CommandPagePcRows, ::testing::Values("$pc = 0x1024", "PC = 0x1024"),
                         [](const auto& info) { return std::string(info.index == 0 ? "DollarPc" : "PcName"); });

// A breakpoint set in the disassembly window re-reads the line states
// (service 14) and leaves the view where the user scrolled it.
TEST_F(DebugWindowServicesTest, BreakpointInTheDisassemblyWindowKeepsTheView) {
  Start();
  DisassemblyView* v = Disassembly();
  v->GotoAddress(0x1010);
  QTest::keyClick(v, Qt::Key_PageDown);
  QTest::keyClick(v, Qt::Key_PageDown);
  const uint32_t top = v->Cache().Line(0).address;
  const int row = PutCursorOnCode(v);
  const uint32_t at = v->Cache().Line(row).address;
  clearLog();
  v->ToggleBreakpoint();
  EXPECT_TRUE(Logged("breakpoint " + std::to_string(at) + " 3\n")) << log();
  EXPECT_EQ(v->Cache().Line(0).address, top);
  EXPECT_EQ(v->CursorLine(), row);
  // Service 14 from anywhere (the breakpoints dialog's Close) does the same.
  Service(14, 0);
  EXPECT_EQ(v->Cache().Line(0).address, top);
  // Kill all re-reads them too: the mark goes.
  EXPECT_EQ(f->Debugger()->Session().Record()->DbgBreakpoint(at, 7) & 3, 1u);
  ASSERT_TRUE(f->ExecuteCommand(35016));
  EXPECT_EQ(f->Debugger()->Session().Record()->DbgBreakpoint(at, 7) & 3, 0u);
  EXPECT_EQ(v->Cache().Line(0).address, top);
}

// With the disassembly window active, the frame's breakpoint commands and
// run to the cursor line act on its cursor line.
TEST_F(DebugWindowServicesTest, FrameBreakpointCommandsActOnTheDisassemblyCursorLine) {
  Start();
  DisassemblyView* v = Disassembly();
  v->GotoAddress(0x1010);
  const int row = PutCursorOnCode(v);
  const uint32_t at = v->Cache().Line(row).address;
  ASSERT_EQ(windows->ActiveDisassembly(), v);
  ASSERT_TRUE(f->QueryCommand(35012).enabled);
  EXPECT_FALSE(f->QueryCommand(35017).enabled);  // no breakpoint there yet
  clearLog();
  ASSERT_TRUE(f->ExecuteCommand(35012));
  EXPECT_TRUE(Logged("breakpoint " + std::to_string(at) + " 3\n")) << log();
  ASSERT_TRUE(f->QueryCommand(35017).enabled);
  ASSERT_TRUE(f->ExecuteCommand(35017));
  EXPECT_TRUE(Logged("breakpoint " + std::to_string(at) + " 2\n")) << log();
  EXPECT_EQ(f->Debugger()->Session().Record()->DbgBreakpoint(at, 7) & 3, 2u);  // disabled
  ASSERT_TRUE(f->QueryCommand(32796).enabled);
  ASSERT_TRUE(f->ExecuteCommand(32796));
  EXPECT_TRUE(Logged("go " + std::to_string(at))) << log();
}

// Find on the context menu opens the find dialog with its direction and
// switches; the frame's find box searches the active window with them.
TEST_F(DebugWindowServicesTest, DisassemblyFindDialogAndTheFramesFindBox) {
  Start();
  DisassemblyView* v = Disassembly();
  v->ScrollToAddress(0x1060);
  v->Cache().SetCursor(0);
  v->FindText("");
  auto* dlg = f->findChild<OutputFindDialog*>("DisassemblyFind");
  ASSERT_NE(dlg, nullptr);
  ASSERT_TRUE(dlg->isVisible());
  // Up, with case: "mov r1, #1" lies above the cursor.
  dlg->TextEdit()->setText("mov r1, #1");
  dlg->UpButton()->setChecked(true);
  dlg->MatchCaseBox()->setChecked(true);
  dlg->WholeWordBox()->setChecked(true);
  QTest::mouseClick(dlg->FindNextButton(), Qt::LeftButton);
  ASSERT_GE(v->CursorLine(), 0);
  EXPECT_NE(v->Cache().Text(v->CursorLine()).find("mov r1, #1"), std::string::npos);
  const uint32_t found = v->Cache().Line(v->CursorLine()).address;
  // The find box goes on upwards with the same switches: the upper-case
  // text matches nothing, and the search asks to go on from the bottom.
  dlg->hide();
  windows->OpenDisassemblyWindow();
  ASSERT_EQ(windows->ActiveDisassembly(), v);
  f->UpdateCommandUi();
  QComboBox* box = f->Bars()->FindBox();
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(box->isEnabled());
  auto findBox = [&](const char* text) {
    box->setEditText(text);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
  };
  {
    test::BoxAnswers boxes({QMessageBox::No});
    findBox("MOV R2, #2");
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "String not found - Continue search from the bottom?");
  }
  findBox("source line 1");  // the source line above it
  ASSERT_GE(v->CursorLine(), 0);
  EXPECT_EQ(v->Cache().Text(v->CursorLine()), "1: source line 1");
  EXPECT_EQ(v->Cache().Line(v->CursorLine()).address, found);
}

// The bookmarks belong to the project: a window opened again finds them.
TEST_F(DebugWindowServicesTest, DisassemblyBookmarksOutliveTheWindow) {
  Start();
  DisassemblyView* v = Disassembly();
  v->GotoAddress(0x1010);
  PutCursorOnCode(v);
  v->ToggleBookmark();
  ASSERT_EQ(v->Bookmarks().size(), 1u);
  const uint32_t mark = v->Bookmarks()[0];
  ASSERT_TRUE(f->ExecuteCommand(32752));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(windows->Disassembly(), nullptr);
  v = Disassembly();
  ASSERT_EQ(v->Bookmarks().size(), 1u);
  EXPECT_EQ(v->Bookmarks()[0], mark);
}

// The context menu carries Clear Code Coverage (the driver's coverage
// goes, every view redraws) and the frame's Show Next Statement.
TEST_F(DebugWindowServicesTest, DisassemblyMenuClearsCoverageAndShowsTheNextStatement) {
  Start();
  DisassemblyView* v = Disassembly();
  QMenu* menu = v->BuildContextMenu();
  QAction* clear = nullptr;
  QAction* next = nullptr;
  for (QAction* a : menu->actions()) {
    if (a->data().toInt() == 317) clear = a;
    if (a->data().toInt() == 35072) next = a;
  }
  ASSERT_NE(clear, nullptr);
  ASSERT_NE(next, nullptr);
  EXPECT_TRUE(clear->isEnabled());
  EXPECT_TRUE(next->isEnabled());
  clearLog();
  clear->trigger();
  EXPECT_TRUE(Logged("enum 7\n")) << log();
  delete menu;
}

// The inline assembler starts at the disassembly cursor line; a refused
// line shows the driver's text for its answer (service 35).
TEST_F(DebugWindowServicesTest, InlineAssemblerStartsAtTheCursorAndShowsTheDriversRefusal) {
  Start("exec asm_BAD 5\n");
  DisassemblyView* v = Disassembly();
  v->GotoAddress(0x1010);
  const int row = PutCursorOnCode(v);
  const uint32_t at = v->Cache().Line(row).address;
  const uint32_t top = v->Cache().Line(0).address;
  ASSERT_TRUE(f->ExecuteCommand(35082));
  InlineAssembler* dlg = dialogs->InlineAsm();
  ASSERT_NE(dlg, nullptr);
  char expected[16];
  std::snprintf(expected, sizeof expected, "0x%08X", at);
  EXPECT_EQ(dlg->Address()->text().toStdString(), expected);
  // The window followed the address without jumping (service 40).
  EXPECT_EQ(v->Cache().Line(0).address, top);
  test::BoxAnswers boxes({QMessageBox::Ok});
  dlg->Instruction()->setText("BAD");
  EXPECT_FALSE(dlg->Assemble());
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0], "*** error 5");
  int32_t words[2] = {7, 0};
  char buffer[256] = {};
  intptr_t request[2] = {7, reinterpret_cast<intptr_t>(buffer)};
  (void)words;
  EXPECT_EQ(Service(35, reinterpret_cast<intptr_t>(request)), 7);
  EXPECT_STREQ(buffer, "*** error 7");
}

// Answers the message boxes the program opens with one button, keeping
// the window each belongs to.
class OwnedBoxAnswers {
 public:
  explicit OwnedBoxAnswers(QMessageBox::StandardButton answer) {
    QObject::connect(&m_timer, &QTimer::timeout, [this, answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      owners.push_back(box->parentWidget() ? box->parentWidget()->window() : nullptr);
      if (QAbstractButton* b = box->button(answer)) b->click();
      else box->reject();
    });
    m_timer.start(10);
  }
  std::vector<QPointer<QWidget>> owners;

 private:
  QTimer m_timer;
};

// A modeless window of the frame raises a message box: the box is that
// window's, and when it closes the keyboard is back where it was, in that
// window (typed keys go on there, not into the main frame's document).
struct AskingWindowRow {
  const char* name;
  // Opens the window, raises its box the way a user does and gives the
  // widget that had the keyboard.
  QWidget* (*ask)(CMainFrame* f, DebugDialogs* dialogs);
  QMessageBox::StandardButton answer;
};

QWidget* InlineAssemblerRefuses(CMainFrame* f, DebugDialogs* dialogs) {
  if (!f->ExecuteCommand(35082) || !dialogs->InlineAsm()) return nullptr;
  InlineAssembler* dlg = dialogs->InlineAsm();
  dlg->activateWindow();
  if (!QTest::qWaitForWindowActive(dlg)) return nullptr;
  dlg->Instruction()->setFocus();
  QTest::keyClicks(dlg->Instruction(), "BAD");
  QTest::keyClick(dlg->Instruction(), Qt::Key_Return);
  return dlg->Instruction();
}

QWidget* FunctionEditorAsks(CMainFrame* f, DebugDialogs* dialogs) {
  test::FileDialogAnswer cancel("");
  if (!f->ExecuteCommand(35083) || !dialogs->FuncEditor()) return nullptr;
  FunctionEditor* editor = dialogs->FuncEditor();
  editor->activateWindow();
  if (!QTest::qWaitForWindowActive(editor)) return nullptr;
  editor->Editor()->setFocus();
  QTest::keyClicks(editor->Editor(), "int x;");
  // New asks whether to save the changed text.
  QTest::mouseClick(editor->NewButton(), Qt::LeftButton);
  return editor->NewButton();
}

const AskingWindowRow kAskingWindowRows[] = {
    {"InlineAssemblersRefusal", InlineAssemblerRefuses, QMessageBox::Ok},
    {"FunctionEditorsQuestion", FunctionEditorAsks, QMessageBox::No},
};

class AskingWindow : public DebugWindowServicesTest, public ::testing::WithParamInterface<AskingWindowRow> {};

TEST_P(AskingWindow, TheBoxIsTheAskingWindowsAndTheKeyboardGoesBackThere) {
  const AskingWindowRow& row = GetParam();
  Start("exec asm_BAD 5\n");
  OwnedBoxAnswers boxes(row.answer);
  QWidget* asked = row.ask(f, dialogs);
  ASSERT_NE(asked, nullptr);
  ASSERT_EQ(boxes.owners.size(), 1u);
  EXPECT_EQ(boxes.owners[0].data(), asked->window()) << "the box belongs to the main frame";
  EXPECT_TRUE(test::WaitFor([&] {
    QWidget* focus = QApplication::focusWidget();
    return focus && focus->window() == asked->window() && QApplication::activeWindow() == asked->window();
  })) << "the keyboard went to " << (QApplication::focusWidget() ? QApplication::focusWidget()->window() : nullptr);
}

INSTANTIATE_TEST_SUITE_P(Rows, AskingWindow, ::testing::ValuesIn(kAskingWindowRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The disassembly window's frame and its tab carry the window's own icon.
TEST_F(DebugWindowServicesTest, DisassemblyWindowShowsItsIcon) {
  Start();
  ASSERT_NE(Disassembly(), nullptr);
  auto* sheet = f->findChild<SECWorksheetWnd*>("DisassemblyFrame");
  ASSERT_NE(sheet, nullptr);
  EXPECT_FALSE(DisassemblyWindowIcon().isNull());
  EXPECT_EQ(sheet->windowIcon().cacheKey(), DisassemblyWindowIcon().cacheKey());
  EXPECT_EQ(sheet->TabIcon().cacheKey(), DisassemblyWindowIcon().cacheKey());
  EXPECT_NE(sheet->windowIcon().cacheKey(), SerialWindowIcon().cacheKey());
}

// A serial window is a terminal, but Esc is Stop Running's key there as
// everywhere in the frame (the menu shows it so): it stops a running
// target and is not sent; its frame has its own icon.
TEST_F(DebugWindowServicesTest, EscInASerialWindowStopsTheRunAndItShowsItsIcon) {
  Start();
  ASSERT_TRUE(f->ExecuteCommand(32735));
  SerialWindow* w = dialogs->Serial(0);
  ASSERT_NE(w, nullptr);
  auto* sheet = f->findChild<SECWorksheetWnd*>("SerialFrame1");
  ASSERT_NE(sheet, nullptr);
  EXPECT_FALSE(sheet->windowIcon().isNull());
  EXPECT_EQ(sheet->windowIcon().cacheKey(), SerialWindowIcon().cacheKey());
  w->setFocus();
  DebugInterface* r = f->Debugger()->Session().Record();
  r->flags |= kDbgFlagExecuting;
  ASSERT_TRUE(f->QueryCommand(32797).enabled);
  clearLog();
  QTest::keyClick(w, Qt::Key_Escape);
  r->flags &= ~uint32_t(kDbgFlagExecuting);
  EXPECT_TRUE(Logged("stop\n")) << log();
  EXPECT_FALSE(Logged("serial 0 27\n")) << log();
  // Other keys are the terminal's.
  clearLog();
  QTest::keyClick(w, Qt::Key_A);
  EXPECT_TRUE(Logged("serial 0 97\n")) << log();
  // F5 there still runs the program (a key without a character).
  clearLog();
  QTest::keyClick(w, Qt::Key_F5);
  EXPECT_TRUE(Logged("go ")) << log();
}

// Update Windows of the tool box (service 310 with flag 1) refreshes the
// call stack through the driver; the session's end asks the driver to keep
// its state (DbgControl 6).
TEST_F(DebugWindowServicesTest, UpdateWindowsAndTheSessionsEnd) {
  Start();
  ASSERT_TRUE(f->ExecuteCommand(35073));
  ToolBox* box = dialogs->Box();
  ASSERT_NE(box, nullptr);
  clearLog();
  box->ClickUpdate();
  EXPECT_TRUE(Logged("control 4097\n")) << log();
  clearLog();
  Service(310, 0x8000);  // without flag 1: not the call stack
  EXPECT_FALSE(Logged("control 4097\n")) << log();
  clearLog();
  ASSERT_TRUE(f->ExecuteCommand(32802));
  EXPECT_TRUE(Logged("control 6\n")) << log();
}

// A client's request asks whether a session runs: while the clients were
// told it does, without a trip to the GUI thread (which is busy with the
// windows after a stop); otherwise the GUI thread's answer.
TEST_F(DebugWindowServicesTest, ClientsAskWhetherASessionRunsWithoutTheGuiThreadWhileItWasTold) {
  Start();
  ASSERT_FALSE(HasFatalFailure());
  int trips = 0;
  bool told = true;
  IpcDebugShellImpl shell(
      session->App(),
      [&](const std::function<void()>& fn) {
        ++trips;
        fn();
      },
      [] { return true; }, [&] { return told; });
  EXPECT_TRUE(shell.IsDebugging());
  EXPECT_EQ(trips, 0);
  told = false;
  EXPECT_TRUE(shell.IsDebugging());
  EXPECT_EQ(trips, 1);
  ASSERT_TRUE(f->ExecuteCommand(32802));
  EXPECT_FALSE(shell.IsDebugging());
}

// A client's step asks the GUI thread once (whether the target runs, and
// the step); a running target is not stepped.
TEST_F(DebugWindowServicesTest, AClientsStepTakesOneTripToTheGuiThread) {
  Start();
  ASSERT_FALSE(HasFatalFailure());
  int trips = 0;
  IpcDebugShellImpl shell(
      session->App(),
      [&](const std::function<void()>& fn) {
        ++trips;
        fn();
      },
      [] { return true; }, [] { return true; });
  intptr_t result = -1;
  clearLog();
  EXPECT_TRUE(shell.ServiceIfHalted(2053, 1, &result));
  EXPECT_EQ(trips, 1);
  EXPECT_TRUE(Logged("step 3")) << log();
  auto setExecuting = reinterpret_cast<void (*)(int)>(dlsym(driver, "TestDriverSetExecuting"));
  ASSERT_NE(setExecuting, nullptr);
  setExecuting(1);
  clearLog();
  EXPECT_FALSE(shell.ServiceIfHalted(2053, 1, &result));
  EXPECT_EQ(trips, 2);
  EXPECT_FALSE(Logged("step")) << log();
  setExecuting(0);
}

}  // namespace
}  // namespace pm2
