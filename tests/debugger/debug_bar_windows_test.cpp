// The debug bar, the editor margin and the frame's debug commands in the
// real main frame over the scriptable test driver: keys and the mouse on
// the watch and call-stack pages, breakpoints from the editor with and
// without a session, run to the cursor and reset.
#include <dlfcn.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/frames/status_bar.h"
#include <fstream>
#include <functional>
#include <sstream>

#include "debugger/ui/debug_bar_commands.h"
#include "debugger/dialogs/debug_dialogs.h"
#include "debugger/dialogs/symbols_dialog.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/ui/register_page.h"
#include "debugger/windows/call_stack_window.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/memory_window.h"
#include "toolkit/controls/value_tip.h"
#include "debugger/windows/watch_window.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/margin_view.h"
#include "project/files/debug_lists.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/app/frame_hooks.h"
#include "shell/frame/command_table.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_fixture.h"
#include "toolkit/controls/list_edit.h"
#include "toolkit/frames/control_bar.h"

namespace pm2 {
namespace {

// Types a text into a tree's open in-place edit and ends it with Enter.
bool TypeIntoEdit(SECTreeCtrl* tree, const char* text) {
  if (SECListEdit* e = tree->GetEditControl()) {
    e->setPlainText(text);
    QTest::keyClick(e, Qt::Key_Return);
    return true;
  }
  if (QLineEdit* edit = tree->findChild<QLineEdit*>()) {
    edit->setText(text);
    QTest::keyClick(edit, Qt::Key_Return);
    return true;
  }
  return false;
}

// A point on an item's row in a column, found by the tree's own hit test.
QPoint CellCentre(SECTreeCtrl* tree, HTREEITEM item, int column) {
  const int x = column == 0 ? 20 : tree->GetColumnWidth(0) + 20;
  unsigned flags = 0;
  for (int y = 0; y < tree->height(); ++y)
    if (tree->HitTest(20, y, &flags) == item) return QPoint(x, y + 2);
  return QPoint(x, -1);
}

class DebugBarWindowsTest : public test::ExampleFrameTest {
 protected:
  // Starts a session on the test driver with a script.
  bool Start(test::ExampleSession& s, const std::string& lines) {
    const std::string script = dir + "windows.script";
    std::ofstream(script) << lines;
    OptionBlock* o = s.App().Project()->curTarget->pOpts;
    o->dbg.flags |= 1;
    o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
    o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
    CMainFrame* f = s.Frame();
    if (!f->ExecuteCommand(32802)) return false;
    return test::WaitFor([&] { return f->Debugger()->Session().SessionActive(); });
  }
  std::string Log() {
    void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!driver) return "";
    auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
    std::string text = log ? log() : "";
    dlclose(driver);
    return text;
  }
};

const char* const kScript =
    "pc 100\n"
    "value count 0 0 255 0 0 5\n"
    "value pattern_step 0 0 255 0 0 3\n"
    "value pt 14 0 255 0 40000300 point\n"
    "value (pt).x 0 0 255 0 0 1\n"
    "value (pt).y 0 0 255 0 0 2\n"
    "members pt x y\n"
    "locals 100 count pattern_step\n"
    "frame 0 200\n"
    "frame 210 100\n"
    "name 100 main\n"
    "name 200 Reset_Handler\n"
    "name 210 Reset_Handler+16\n"
    "line Blinky.c 12 100\n"
    "line Blinky.c 14 108\n"
    "line Blinky.c 17 110\n"
    "line Startup.s 5 210\n"
    "tip pattern_step pattern_step = 3\n";

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// Page 2 and the symbols dialog as the first session left them, for the
// next session to bring back.
void ScrambleKeptWindows(CMainFrame* f, ShellApp& app) {
  MemoryPage* page = f->Debugger()->Windows().Memory()->Page(1);
  page->AddressEdit()->setText("other");
  page->SetFormat(kMemUChar);
  page->SetFormat(kMemToggleDecimal);
  f->Debugger()->Dialogs()->SymbolsState() = SymbolsDialogState{};
  app.SetSavedToolBox({});
}

void ExpectPageTwoKept(CMainFrame* f) {
  MemoryPage* page = f->Debugger()->Windows().Memory()->Page(1);
  EXPECT_EQ(page->AddressEdit()->text().toStdString(), "buffer");
  EXPECT_EQ(page->Look().format, int(kMemULong));
  EXPECT_TRUE(page->Look().decimal);
  EXPECT_TRUE(page->Valid());
  EXPECT_EQ(page->Base(), 0x40000100u);
  EXPECT_TRUE(f->Debugger()->Windows().Memory()->Page(0)->AddressEdit()->text().isEmpty());
}

void ExpectSymbolsKept(CMainFrame* f) {
  SymbolsDialog* symbols = f->Debugger()->Dialogs()->Symbols();
  ASSERT_NE(symbols, nullptr) << "the symbols dialog was open when the last session ended";
  EXPECT_EQ(symbols->Mask()->text().toStdString(), "cnt*");
  EXPECT_EQ(symbols->Mode()->currentIndex(), 2);
  EXPECT_TRUE(symbols->CaseSensitive()->isChecked());
}

void ExpectTargetKeeps(const TargetRec* t) {
  EXPECT_EQ(t->memWindows[0], nullptr);
  ASSERT_NE(t->memWindows[1], nullptr);
  EXPECT_STREQ(t->memWindows[1]->expression.c_str(), "buffer");
  EXPECT_EQ(t->memWindows[1]->value, 0x102);  // unsigned long, decimal
  EXPECT_EQ(t->memWindows[1]->next, nullptr);
  ASSERT_NE(t->symbolsWindow, nullptr);
  EXPECT_STREQ(t->symbolsWindow->text.c_str(), "cnt*");
  EXPECT_EQ(t->symbolsWindow->value16, 2);  // line numbers, matching case
  ASSERT_NE(t->toolbox, nullptr);
  EXPECT_STREQ(t->toolbox->text1.c_str(), "Reset");
  EXPECT_STREQ(t->toolbox->text2.c_str(), "RESET");
  ASSERT_NE(t->perfRanges, nullptr);
  EXPECT_STREQ(t->perfRanges->text.c_str(), "main");
}

// The memory pages' addresses and formats, the symbols dialog's choices, the
// tool-box buttons and the analyser ranges belong to the target: they come
// back in the next session, and after the project was saved and opened again.
TEST_F(DebugBarWindowsTest, WindowStateOutlivesTheSessionAndTheProject) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  const std::string script = "pc 100\neval buffer 40000100\neval other 40000200\nmem 40000100 01020304\n";
  ASSERT_TRUE(Start(s, script)) << Log();
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdMemoryBar));
  ASSERT_NE(f->Debugger()->Windows().Memory(), nullptr);
  MemoryPage* page = f->Debugger()->Windows().Memory()->Page(1);
  page->AddressEdit()->setText("buffer");
  page->EvaluateEntered();
  page->SetFormat(kMemULong);
  page->SetFormat(kMemToggleDecimal);
  ASSERT_TRUE(page->Valid());
  ASSERT_TRUE(f->ExecuteCommand(35048));
  SymbolsDialog* symbols = f->Debugger()->Dialogs()->Symbols();
  ASSERT_NE(symbols, nullptr);
  symbols->Mask()->setText("cnt*");
  ASSERT_TRUE(symbols->ApplyMask());
  symbols->Mode()->setCurrentIndex(2);
  symbols->CaseSensitive()->setChecked(true);
  // A button the driver adds while the box is closed, and a range.
  const char* button[] = {"Reset", "RESET"};
  EXPECT_EQ(s.App().IdeServiceCall(32, reinterpret_cast<intptr_t>(button)), 1);
  AppendPerfRange(s.App().Project()->curTarget, OptString::Pooled("main", kPoolDebugLists));

  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_FALSE(f->Debugger()->Session().SessionActive());
  ExpectTargetKeeps(s.App().Project()->curTarget);

  // The next session puts them back over whatever the windows show.
  ScrambleKeptWindows(f, s.App());
  ASSERT_TRUE(Start(s, script)) << Log();
  ExpectPageTwoKept(f);
  ExpectSymbolsKept(f);
  ASSERT_EQ(s.App().SavedToolBox().size(), 1u);
  EXPECT_EQ(s.App().SavedToolBox()[0].command, "RESET");
  ASSERT_TRUE(f->ExecuteCommand(32802));

  // Through the options file: saved, closed, opened again.
  s.App().SaveProject();
  const std::string opt = FileText(dir + "Blinky.Opt");
  for (const char* line : {"  OPTMM 2,258,(buffer)\r\n", "  OPTSY 0,2,(cnt*)\r\n", "  OPTBT 0,(Reset)(RESET)\r\n",
                           "  OPTPA 0,(main)\r\n"})
    EXPECT_NE(opt.find(line), std::string::npos) << line;
  ASSERT_TRUE(s.App().CloseProject(false));
  ASSERT_EQ(s.App().Project(), nullptr);
  s.App().OpenProject(dir + "Blinky.pm2");
  ASSERT_NE(s.App().Project(), nullptr);
  ExpectTargetKeeps(s.App().Project()->curTarget);
  ScrambleKeptWindows(f, s.App());
  // Opening the project leaves a deferred command of its own to run first.
  ASSERT_TRUE(test::WaitFor([&] { return !s.App().Deferred().Pending(); }));
  ASSERT_TRUE(Start(s, script)) << Log();
  ExpectPageTwoKept(f);
  ExpectSymbolsKept(f);
  ASSERT_TRUE(f->ExecuteCommand(32802));
}

// A start the driver refuses never gave the windows the target's state: the
// end of it leaves what the target keeps alone.
TEST_F(DebugBarWindowsTest, AFailedStartKeepsTheTargetsWindowState) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  TargetRec* t = s.App().Project()->curTarget;
  AppendWatch(t, 0, OptString::Pooled("count", kPoolDebugLists));
  AppendMemWindowEntry(t, 1, OptString::Pooled("buffer", kPoolDebugLists))->value = 0x102;
  AppendToolboxButton(t, OptString::Pooled("Reset", kPoolDebugLists), OptString::Pooled("RESET", kPoolDebugLists));
  // The pages of an earlier session hold other texts.
  ASSERT_TRUE(Start(s, "pc 100\n")) << Log();
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdMemoryBar));
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_STREQ(t->memWindows[1]->expression.c_str(), "buffer");
  f->Debugger()->Windows().Memory()->Page(1)->AddressEdit()->setText("other");
  f->Debugger()->BarCommands().Bar()->Watch(1)->Rebuild();

  test::BoxAnswers answers({QMessageBox::Ok});
  const std::string script = dir + "windows.script";
  std::ofstream(script) << "fail 3 no target connected\n";
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return !answers.texts.empty(); }));
  EXPECT_EQ(answers.texts[0], "Error: no target connected\nDebugger aborted !");
  EXPECT_FALSE(f->Debugger()->Session().SessionActive());
  ASSERT_NE(t->watches[0], nullptr);
  EXPECT_STREQ(t->watches[0]->expression.c_str(), "count");
  ASSERT_NE(t->memWindows[1], nullptr);
  EXPECT_STREQ(t->memWindows[1]->expression.c_str(), "buffer");
  ASSERT_NE(t->toolbox, nullptr);
  EXPECT_STREQ(t->toolbox->text1.c_str(), "Reset");
}

TEST_F(DebugBarWindowsTest, WatchPagesTakeKeysAndTheMouse) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_TRUE(Start(s, kScript)) << Log();
  // The bar opens with its command, which is then checked.
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdWatchBar));
  EXPECT_TRUE(f->WatchBar()->IsBarVisible());
  EXPECT_EQ(f->QueryCommand(DebugBarCommands::kCmdWatchBar).check, 1);
  DebugBarWindow* bar = f->Debugger()->BarCommands().Bar();
  f->Debugger()->TargetStopped();

  // Locals: the function's variables.
  WatchWindow* locals = bar->Watch(0);
  EXPECT_EQ(bar->CurrentWatch(), locals);
  ASSERT_EQ(locals->GetItemCount(), 2);
  EXPECT_EQ(locals->GetItemText(locals->GetItemAtRow(0), 0), "count");
  EXPECT_EQ(locals->GetItemText(locals->GetItemAtRow(1), 1), "3               ");

  // Watch #1: F2 on the placeholder, a typed expression, Enter.
  bar->ActivatePage(DebugBarWindow::kWatch1);
  WatchWindow* watch = bar->Watch(1);
  ASSERT_EQ(bar->CurrentWatch(), watch);
  watch->resize(500, 200);
  ASSERT_EQ(watch->GetItemCount(), 1);
  EXPECT_EQ(watch->GetItemText(watch->GetItemAtRow(0), 0), "<type F2 to edit>");
  watch->setFocus();
  watch->SelectItem(watch->GetItemAtRow(0));
  QTest::keyClick(watch, Qt::Key_F2);
  ASSERT_TRUE(TypeIntoEdit(watch, "pt"));
  ASSERT_TRUE(test::WaitFor([&] { return watch->GetItemCount() == 2; }));
  HTREEITEM pt = watch->GetItemAtRow(0);
  EXPECT_EQ(watch->GetItemText(pt, 1), "struct point { ... }");
  EXPECT_EQ(watch->GetItemText(watch->GetItemAtRow(1), 0), "<type F2 to edit>");
  // Expanding builds the members.
  ASSERT_TRUE(watch->Expand(pt, TVE_EXPAND));
  ASSERT_EQ(watch->GetItemCount(), 4);
  HTREEITEM x = watch->GetItemAtRow(1);
  EXPECT_EQ(watch->GetItemText(x, 0), "x");
  // A double click on the value assigns through the driver.
  QTest::mouseDClick(watch, Qt::LeftButton, {},
                     CellCentre(watch, x, 1));
  // The edit opens once the click has gone by.
  ASSERT_TRUE(test::WaitFor([&] { return watch->GetEditItem() >= 0; })) << "no edit opened";
  EXPECT_EQ(watch->GetEditColumn(), 1);
  ASSERT_TRUE(TypeIntoEdit(watch, "7"));
  EXPECT_NE(Log().find("assign  `pt.x = 7\n"), std::string::npos) << Log();
  ASSERT_TRUE(test::WaitFor([&] { return watch->GetItemText(watch->GetItemAtRow(1), 1).rfind("7", 0) == 0; }));
  // Delete removes an expression, not the placeholder.
  watch->SelectItem(watch->GetItemAtRow(0));
  QTest::keyClick(watch, Qt::Key_Delete);
  ASSERT_EQ(watch->GetItemCount(), 1);
  QTest::keyClick(watch, Qt::Key_Delete);
  EXPECT_EQ(watch->GetItemCount(), 1);
  // The expressions are kept with the target when the session ends.
  watch->AddExpression("count");
  ASSERT_TRUE(f->ExecuteCommand(32802));
  const WatchRec* kept = s.App().Project()->curTarget->watches[0];
  ASSERT_NE(kept, nullptr);
  EXPECT_STREQ(kept->expression.c_str(), "count");
  EXPECT_FALSE(f->QueryCommand(DebugBarCommands::kCmdWatchBar).enabled);
}

// The texts a session's windows keep in the options file with the target
// are refused where they are typed when the file could not read them back
// as typed: a watch row "(", a memory address "buf)", a tool box button
// "a)b". Each is said; the window keeps what it had; the session's end and
// a save afterwards keep everything else, and the save writes.
TEST_F(DebugBarWindowsTest, TextsTheProjectCannotKeepAreRefusedWhereTyped) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_TRUE(Start(s, kScript + std::string("eval buffer 40000100\n"))) << Log();
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdWatchBar));
  DebugBarWindow* bar = f->Debugger()->BarCommands().Bar();
  bar->ActivatePage(DebugBarWindow::kWatch1);
  WatchWindow* watch = bar->Watch(1);
  watch->resize(500, 200);
  watch->setFocus();
  {
    test::BoxAnswers ok({QMessageBox::Ok, QMessageBox::Ok});
    watch->SelectItem(watch->GetItemAtRow(0));
    QTest::keyClick(watch, Qt::Key_F2);
    ASSERT_TRUE(TypeIntoEdit(watch, "("));
    ASSERT_TRUE(test::WaitFor([&] { return !ok.texts.empty(); }));
    EXPECT_EQ(ok.texts[0], "The watch expression '(' cannot be kept with the project: it holds a '(' without its ')'.");
    // Add to Watch (IDE service 24) refuses it the same way.
    EXPECT_EQ(s.App().IdeServiceCall(24, reinterpret_cast<intptr_t>("count)")), 0);
    ASSERT_EQ(ok.texts.size(), 2u);
    EXPECT_EQ(ok.texts[1],
              "The watch expression 'count)' cannot be kept with the project: it holds a ')' without its '('.");
  }
  ASSERT_TRUE(test::WaitFor([&] { return watch->GetItemCount() == 1; }));
  EXPECT_EQ(watch->GetItemText(watch->GetItemAtRow(0), 0), "<type F2 to edit>");
  watch->AddExpression("count");

  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdMemoryBar));
  MemoryPage* page = f->Debugger()->Windows().Memory()->Page(0);
  page->AddressEdit()->setText("buffer");
  QTest::keyClick(page->AddressEdit(), Qt::Key_Return);
  ASSERT_TRUE(page->Valid());
  {
    test::BoxAnswers ok({QMessageBox::Ok});
    page->AddressEdit()->setText("buf)");
    QTest::keyClick(page->AddressEdit(), Qt::Key_Return);
    ASSERT_TRUE(test::WaitFor([&] { return !ok.texts.empty(); }));
    EXPECT_EQ(ok.texts[0], "The memory address 'buf)' cannot be kept with the project: it holds a ')' without its '('.");
  }
  EXPECT_EQ(page->AddressEdit()->text(), "buffer");
  // A text typed and never entered is not kept either.
  page->AddressEdit()->setText("(buf");

  // DEFINE BUTTON's label and command, with the box closed and open.
  const char* label[] = {"a)b", "RESET"};
  const char* command[] = {"Reset", "g,(main"};
  const char* fine[] = {"Reset", "RESET"};
  EXPECT_EQ(s.App().IdeServiceCall(32, reinterpret_cast<intptr_t>(label)), 0);
  EXPECT_EQ(s.App().IdeServiceCall(32, reinterpret_cast<intptr_t>(fine)), 1);
  f->Debugger()->Dialogs()->OpenToolBox();
  ASSERT_NE(f->Debugger()->Dialogs()->Box(), nullptr);
  EXPECT_EQ(s.App().IdeServiceCall(32, reinterpret_cast<intptr_t>(command)), 0);

  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_FALSE(f->Debugger()->Session().SessionActive());
  const TargetRec* t = s.App().Project()->curTarget;
  ASSERT_NE(t->watches[0], nullptr);
  EXPECT_STREQ(t->watches[0]->expression.c_str(), "count");
  EXPECT_EQ(t->watches[0]->next, nullptr);
  ASSERT_NE(t->memWindows[0], nullptr);
  EXPECT_STREQ(t->memWindows[0]->expression.c_str(), "buffer");
  ASSERT_NE(t->toolbox, nullptr);
  EXPECT_STREQ(t->toolbox->text1.c_str(), "Reset");
  EXPECT_STREQ(t->toolbox->text2.c_str(), "RESET");
  EXPECT_EQ(t->toolbox->next, nullptr);
  {
    test::BoxAnswers none({});
    s.App().SaveProject();
    EXPECT_TRUE(none.texts.empty()) << none.texts[0];
  }
  const std::string opt = FileText(dir + "Blinky.Opt");
  for (const char* line : {"  OPTWA ", ",1,(count)\r\n", "  OPTMM 1,", "(buffer)\r\n", "  OPTBT 0,(Reset)(RESET)\r\n"})
    EXPECT_NE(opt.find(line), std::string::npos) << line << "\n" << opt;
}

// Step out is offered only inside a call, as the driver's call stack tells
// after each stop, whether or not the call-stack page was ever shown.
// A stop asks the driver only for what is shown: the hidden bar's Locals
// page reads its variables when the bar is shown.
TEST_F(DebugBarWindowsTest, AHiddenBarAsksNothingUntilItIsShown) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_TRUE(Start(s, kScript)) << Log();
  if (f->WatchBar()->IsBarVisible()) {
    ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdWatchBar));
  }
  ASSERT_FALSE(f->WatchBar()->IsBarVisible());
  const std::string locals = "control " + std::to_string(kDbgCtlLocals) + "\n";
  const std::size_t before = Log().size();
  f->Debugger()->TargetStopped();
  EXPECT_EQ(Log().find(locals, before), std::string::npos) << Log().substr(before);
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdWatchBar));
  EXPECT_NE(Log().find(locals, before), std::string::npos) << Log().substr(before);
  WatchWindow* page = f->Debugger()->BarCommands().Bar()->Watch(0);
  ASSERT_EQ(page->GetItemCount(), 2);
  EXPECT_EQ(page->GetItemText(page->GetItemAtRow(0), 0), "count");
  ASSERT_TRUE(f->ExecuteCommand(32802));
}

TEST_F(DebugBarWindowsTest, StepOutIsOfferedOnlyInsideACall) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  constexpr CommandId kStepOut = 32741;
  EXPECT_FALSE(f->QueryCommand(kStepOut).enabled);
  ASSERT_TRUE(Start(s, "pc 100\nframe 0 200\nframe 210 100\n")) << Log();
  f->Debugger()->TargetStopped();
  EXPECT_TRUE(f->QueryCommand(kStepOut).enabled);
  ASSERT_TRUE(f->ExecuteCommand(kStepOut));
  EXPECT_NE(Log().find("step 2\n"), std::string::npos) << Log();
  ASSERT_TRUE(f->ExecuteCommand(32802));
  EXPECT_FALSE(f->QueryCommand(kStepOut).enabled);
  ASSERT_TRUE(Start(s, "pc 100\nframe 0 200\n")) << Log();
  f->Debugger()->TargetStopped();
  EXPECT_FALSE(f->QueryCommand(kStepOut).enabled);
  // Its key, greyed, says why nothing steps (and steps nothing).
  const std::size_t before = Log().size();
  f->Status()->SetWindowText("Ready");
  QTest::keyClick(f, Qt::Key_F11, Qt::ControlModifier);
  EXPECT_EQ(f->Status()->GetWindowText(), "Cannot StepOut: no function called the one the program stopped in");
  EXPECT_EQ(Log().find("step 2\n", before), std::string::npos) << Log().substr(before);
  ASSERT_TRUE(f->ExecuteCommand(32802));
}

// Lines typed above a stored breakpoint move its mark; the save stores the
// line it now marks, so the file opened again has it on the same code.
TEST_F(DebugBarWindowsTest, AStoredBreakpointFollowsItsLineThroughASave) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  EditorView* v = f->Editors().Open(dir + "Blinky.c", 14);
  ASSERT_NE(v, nullptr);
  v->resize(600, 400);
  const std::string code = v->Text().GetLine(14)->m_text;
  v->Engine().GotoLine(14, 0);
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdToggleBreak));
  // Two lines typed at the start of line 10, and one deleted and typed
  // again above the breakpoint: it marks the same code, now on line 16.
  v->Engine().ClearSelection();  // the line opened at is selected
  v->Engine().GotoLine(10, 0);
  QTest::keyClick(v, Qt::Key_Return);
  QTest::keyClick(v, Qt::Key_Return);
  ASSERT_EQ(v->Text().GetLine(16)->m_text, code);
  EXPECT_TRUE(v->Text().GetLine(16)->m_nFlags & kLineBreakSet);
  EXPECT_FALSE(v->Text().GetLine(14)->m_nFlags & kLineBreakSet);
  // A breakpoint set on the typed line (no number in the file yet) and
  // another view's change (the stored marks applied again) keep both.
  v->Engine().GotoLine(11, 0);
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdToggleBreak));
  EXPECT_TRUE(v->Text().GetLine(16)->m_nFlags & kLineBreakSet);
  EXPECT_TRUE(v->Text().GetLine(11)->m_nFlags & kLineBreakSet);
  // Stored before the text is saved (a target switch, a session start),
  // the breakpoint keeps the file's own line.
  f->ForAllDocuments(kDocBeforeSaveOrTargetChange);
  const BreakpointRec* b = s.App().Project()->curTarget->breakpoints;
  ASSERT_NE(b, nullptr);
  ASSERT_NE(b->next, nullptr);
  EXPECT_EQ(b->next->value1, 14u) << "the file on disk still has the code on line 14";
  // The text saved: the stored lines are those the marks are on now.
  ASSERT_TRUE(f->ExecuteCommand(cmd::kFileSave));
  EXPECT_FALSE(v->Document().IsModified());
  EXPECT_EQ(b->next->value1, 16u);
  EXPECT_EQ(b->value1, 11u);
  // Closed and opened again, the marks are on the same code.
  f->Editors().CloseAll();
  v = f->Editors().Open(dir + "Blinky.c", 16);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->Text().GetLine(16)->m_text, code);
  EXPECT_TRUE(v->Text().GetLine(16)->m_nFlags & kLineBreakSet);
  EXPECT_TRUE(v->Text().GetLine(11)->m_nFlags & kLineBreakSet);
  EXPECT_FALSE(v->Text().GetLine(14)->m_nFlags & kLineBreakSet);
  // Lines deleted without a save and the text closed unsaved: the stored
  // line stays the file's.
  v->Engine().GotoLine(12, 0);
  v->Document().Text().DeleteRange({v->Text().GetLine(12), 0}, {v->Text().GetLine(14), 0}, true);
  EXPECT_TRUE(v->Text().GetLine(14)->m_nFlags & kLineBreakSet);
  f->ForAllDocuments(kDocBeforeSaveOrTargetChange);
  f->Editors().CloseAll();
  EXPECT_EQ(b->next->value1, 16u);
  v = f->Editors().Open(dir + "Blinky.c", 16);
  ASSERT_NE(v, nullptr);
  EXPECT_TRUE(v->Text().GetLine(16)->m_nFlags & kLineBreakSet);
  v->Engine().GotoLine(16, 0);
  // The print preview keeps the breakpoint commands greyed.
  v->Document().AppState() |= kAppPrintPreview;
  EXPECT_FALSE(f->QueryCommand(DebugBarCommands::kCmdToggleBreak).enabled);
  v->Document().AppState() &= ~uint32_t(kAppPrintPreview);
  EXPECT_TRUE(f->QueryCommand(DebugBarCommands::kCmdToggleBreak).enabled);
}

TEST_F(DebugBarWindowsTest, CallStackShowsTheCallsAndGoesToTheSource) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_TRUE(Start(s, kScript)) << Log();
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdWatchBar));
  DebugBarWindow* bar = f->Debugger()->BarCommands().Bar();
  bar->ActivatePage(DebugBarWindow::kCallStack);
  EXPECT_EQ(bar->CurrentWatch(), nullptr);
  CallStackWindow* stack = bar->CallStack();
  stack->resize(400, 200);
  ASSERT_EQ(stack->GetItemCount(), 2);
  EXPECT_EQ(stack->GetItemText(stack->GetItemAtRow(0), 0), "000: main");
  EXPECT_EQ(stack->GetItemText(stack->GetItemAtRow(0), 1), "Reset_Handler+16");
  EXPECT_EQ(stack->GetItemText(stack->GetItemAtRow(1), 0), "001: Reset_Handler");
  // A double click on main's row opens the calling place; the outermost
  // row has none and beeps.
  QTest::mouseDClick(stack, Qt::LeftButton, {},
                     CellCentre(stack, stack->GetItemAtRow(0), 0));
  ASSERT_TRUE(test::WaitFor([&] { return f->Editors().ActivePath().find("Startup.s") != std::string::npos; }));
  EXPECT_FALSE(stack->ShowCallingPlace(1));
  // The radix commands need a current watch page.
  EXPECT_FALSE(f->QueryCommand(DebugBarCommands::kCmdRadixHex).enabled);
  bar->ActivatePage(DebugBarWindow::kLocals);
  EXPECT_TRUE(f->QueryCommand(DebugBarCommands::kCmdRadixHex).enabled);
}

// The watch pages and the call stack are grids of whole rows, their first
// column filling: a click on a row's value selects the row.
TEST_F(DebugBarWindowsTest, WatchAndCallStackRowsAreSelectedFromTheirValues) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_TRUE(Start(s, kScript)) << Log();
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdWatchBar));
  DebugBarWindow* bar = f->Debugger()->BarCommands().Bar();
  f->Debugger()->TargetStopped();
  struct Page {
    const char* name;
    int page;
    std::function<SECTreeCtrl*()> tree;
  };
  const Page pages[] = {
      {"Locals", DebugBarWindow::kLocals, [bar] { return bar->Watch(0); }},
      {"CallStack", DebugBarWindow::kCallStack, [bar] { return bar->CallStack(); }},
  };
  for (const Page& page : pages) {
    SCOPED_TRACE(page.name);
    bar->ActivatePage(page.page);
    SECTreeCtrl* tree = page.tree();
    ASSERT_NE(tree, nullptr);
    tree->resize(420, 200);
    ASSERT_GE(tree->GetItemCount(), 2);
    EXPECT_EQ(tree->GetListStyleEx() & (LVXS_FULLROWSELECT | LVXS_GRIDLINES | LVXS_FILLLABELCOLUMN),
              LVXS_FULLROWSELECT | LVXS_GRIDLINES | LVXS_FILLLABELCOLUMN);
    for (int row : {1, 0}) {
      HTREEITEM item = tree->GetItemAtRow(row);
      QTest::mouseClick(tree, Qt::LeftButton, {}, CellCentre(tree, item, 1));
      EXPECT_EQ(tree->GetCaretItem(), item) << "row " << row;
    }
  }
}

// A program counter written on the register page is a new position: the
// call stack page asks the driver again, as after a stop.
TEST_F(DebugBarWindowsTest, AWrittenProgramCounterRefreshesTheCallStack) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_TRUE(Start(s, kScript)) << Log();
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdWatchBar));
  DebugBarWindow* bar = f->Debugger()->BarCommands().Bar();
  bar->ActivatePage(DebugBarWindow::kCallStack);
  CallStackWindow* stack = bar->CallStack();
  ASSERT_EQ(stack->GetItemCount(), 2);
  stack->Clear();
  ASSERT_EQ(stack->GetItemCount(), 0);
  RegisterPage* registers = f->Debugger()->Registers();
  ASSERT_NE(registers, nullptr);
  ASSERT_TRUE(registers->valueSet);
  registers->valueSet(true);  // the program counter's row was edited
  EXPECT_EQ(stack->GetItemCount(), 2);
}

TEST_F(DebugBarWindowsTest, MarginBreakpointsWithAndWithoutASession) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  EditorView* v = f->Editors().Open(dir + "Blinky.c", 14);
  ASSERT_NE(v, nullptr);
  v->resize(600, 400);
  v->Engine().GotoLine(14, 0);
  // Outside a session: a stored breakpoint of the target, kind 0.
  ASSERT_TRUE(f->QueryCommand(DebugBarCommands::kCmdToggleBreak).enabled);
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdToggleBreak));
  const BreakpointRec* b = s.App().Project()->curTarget->breakpoints;
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->value1, 14u);
  EXPECT_EQ(b->flags & kBreakKindMask, 0);
  EXPECT_STREQ(b->text1.c_str(), "Blinky.c");
  EXPECT_TRUE(v->Text().GetLine(14)->m_nFlags & kLineBreakSet);
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdEnableBreak));
  EXPECT_FALSE(b->flags & kBreakFlag3);
  // Kill all outside a session marks it killed.
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdKillAll));
  EXPECT_TRUE(b->flags & kBreakFlag4);
  EXPECT_FALSE(v->Text().GetLine(14)->m_nFlags & kLineBreakSet);

  // In a session: the driver's line table marks code lines.
  ASSERT_TRUE(Start(s, kScript)) << Log();
  f->Debugger()->TargetStopped();
  EXPECT_TRUE(v->Text().GetLine(14)->m_nFlags & kLineHasCode);
  EXPECT_FALSE(v->Text().GetLine(13)->m_nFlags & kLineHasCode);
  EXPECT_EQ(v->Margin().PcLine(), 12u);
  v->Engine().GotoLine(14, 0);
  // A double click in the margin toggles the line's breakpoint.
  const int y = (14 - v->Engine().State().nTopLine) * v->Engine().State().nLineHeight + 3;
  // The window system's sequence: press, release, double click, release.
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                            QEvent::MouseButtonRelease}) {
    const QPointF at(2, y);
    QMouseEvent event(type, at, v->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(v->viewport(), &event);
  }
  EXPECT_NE(Log().find("breakpoint 264 3\n"), std::string::npos) << Log();
  // ... and selects nothing: the first click's line selection goes too.
  EXPECT_FALSE(v->Engine().HasSelection());
  EXPECT_EQ(v->Engine().State().nCaretLine, 14);
  // Run to the cursor line goes to its address; on a line without code
  // the command is greyed.
  ASSERT_TRUE(f->QueryCommand(DebugBarCommands::kCmdRunToCursor).enabled);
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdRunToCursor));
  EXPECT_NE(Log().find("go 264\n"), std::string::npos) << Log();
  v->Engine().GotoLine(13, 0);
  EXPECT_FALSE(f->QueryCommand(DebugBarCommands::kCmdRunToCursor).enabled);
  // The value tip of a word in the text: the first line of the file that
  // names pattern_step after its declaration, shown from the top.
  int tipLine = 0, tipColumn = 0;
  {
    std::ifstream in(dir + "Blinky.c");
    std::string text;
    for (int n = 1; std::getline(in, text); ++n) {
      const std::size_t at = text.find("pattern_step");
      if (at != std::string::npos && text.find("static") == std::string::npos) {
        tipLine = n;
        tipColumn = int(at) + 2;
        break;
      }
    }
  }
  ASSERT_GT(tipLine, 0);
  v->Engine().GotoLine(tipLine, 0);
  const int tipY = (tipLine - v->Engine().State().nTopLine) * v->Engine().State().nLineHeight + 3;
  const std::string tip = v->Margin().TipAt(QPoint(v->Engine().State().nLeftMargin +
                                                       v->Engine().State().nCharWidth * tipColumn,
                                                   tipY));
  EXPECT_EQ(tip, "pattern_step = 3") << Log() << " top " << v->Engine().State().nTopLine << " y " << tipY;
  // The mouse resting there 400 ms shows it in the debugger's value
  // bubble (not the toolkit's tooltip); a key takes it away.
  const QPoint rest(v->Engine().State().nLeftMargin + v->Engine().State().nCharWidth * tipColumn, tipY);
  QHelpEvent help(QEvent::ToolTip, rest, v->viewport()->mapToGlobal(rest));
  QApplication::sendEvent(v->viewport(), &help);
  EXPECT_EQ(v->viewport()->findChild<ValueTip*>("ValueTip"), nullptr);
  QMouseEvent move(QEvent::MouseMove, rest, v->viewport()->mapToGlobal(rest), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QElapsedTimer rested;
  rested.start();
  QApplication::sendEvent(v->viewport(), &move);
  ValueTip* bubble = nullptr;
  ASSERT_TRUE(test::WaitFor([&] {
    bubble = v->viewport()->findChild<ValueTip*>("ValueTip");
    return bubble && bubble->isVisible();
  }));
  EXPECT_GE(rested.elapsed(), 390);
  EXPECT_EQ(bubble->Text().toStdString(), "pattern_step = 3");
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
  QApplication::sendEvent(v->viewport(), &key);
  EXPECT_FALSE(bubble->isVisible());
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdResetCpu));
  EXPECT_NE(Log().find("reset 0\n"), std::string::npos);
  // Trace and the periodic update flip their bits and show them checked.
  DebugInterface* r = f->Debugger()->Session().Record();
  ASSERT_TRUE(f->QueryCommand(DebugBarCommands::kCmdTrace).enabled);
  const int trace = f->QueryCommand(DebugBarCommands::kCmdTrace).check;
  ASSERT_TRUE(f->ExecuteCommand(DebugBarCommands::kCmdTrace));
  EXPECT_EQ(f->QueryCommand(DebugBarCommands::kCmdTrace).check, 1 - trace);
  EXPECT_EQ(r->traceOn & 1, 1 - trace);
  r->flags &= ~uint32_t(0x1000);  // the driver no longer offers it
  r->windowFlags |= kDbgWinPeriodic;
  EXPECT_FALSE(f->QueryCommand(DebugBarCommands::kCmdPeriodicUpdate).enabled);
  EXPECT_FALSE(r->windowFlags & kDbgWinPeriodic);
  ASSERT_TRUE(f->ExecuteCommand(32802));
}

}  // namespace
}  // namespace pm2
