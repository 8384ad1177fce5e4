// The debug dialogs and tool windows on the offscreen platform, driven by
// keys and the mouse, against the scriptable test driver.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QElapsedTimer>
#include <dlfcn.h>
#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "debug_dialogs_fixture.h"
#include "hang_guard.h"
#include "debugger/dialogs/breakpoints_check_list.h"
#include "debugger/dialogs/debug_dialogs.h"
#include "debugger/dialogs/breakpoints_dialog.h"
#include "debugger/dialogs/coverage_dialog.h"
#include "debugger/dialogs/func_editor_dialog.h"
#include "editor/ide/find_dialog.h"
#include "editor/view/edit_view.h"
#include "debugger/dialogs/inline_asm_dialog.h"
#include "debugger/dialogs/memory_map_dialog.h"
#include "debugger/dialogs/perf_analyzer_setup.h"
#include "debugger/dialogs/perf_analyzer_view.h"
#include "debugger/dialogs/serial_window.h"
#include "debugger/dialogs/symbols_dialog.h"
#include "debugger/dialogs/tool_box.h"
#include "debugger/model/tool_box_buttons.h"
#include "project/files/debug_lists.h"
#include "toolkit/core/window_fonts.h"
#include "debugger/windows/command_window.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/windows/memory_window.h"
#include "debugger/ui/ipc_debug_shell.h"
#include "editor/view/edit_view.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/frame_keys.h"
#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {
namespace {

using test::ScriptedDriver;

// ------------------------------------------------------------ breakpoints

const char* const kBpScript =
    "eval main 100\n"
    "bp 10 100 1 -\n"
    "bp 11 0 3 i==5 printf(\"x\")\n"
    "bp 52 2000 1 - \n";

QPoint LineCenter(BpCheckList* list, int row) { return list->LineRect(row).center() + QPoint(40, 0); }

TEST(BreakpointsDialogTest, ListsTheDriversBreakpointsWithTheirLines) {
  ScriptedDriver d(kBpScript);
  ASSERT_TRUE(d.Loaded());
  BreakpointsDialog dlg(d.Context());
  BpCheckList* list = dlg.List();
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->At(0).text, " 00: (E) 0x00000100");
  EXPECT_EQ(list->At(1).text, " 01: (C)  'i==5',  count=3,  cmd: \"printf(\\\"x\\\")\"");
  EXPECT_TRUE(list->At(0).checked);
  EXPECT_TRUE(d.Logged("bplist 6"));
  EXPECT_FALSE(dlg.KillButton()->isEnabled());
  EXPECT_FALSE(dlg.DefineButton()->isEnabled());
}

// A row of an execution breakpoint whose address is a source line's names
// the file and the line; an address of no line keeps the address alone.
TEST(BreakpointsDialogTest, RowsNameTheSourceLineOfTheirAddress) {
  ScriptedDriver d(
      "line /work/board/Blinky.c 36 e0\n"
      "bp 10 e0 1 -\n"
      "bp 10 e4 1 -\n"
      "bp 10 e0 2 - \n");
  ASSERT_TRUE(d.Loaded());
  BreakpointsDialog dlg(d.Context());
  BpCheckList* list = dlg.List();
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->At(0).text, " 00: (E) 0x000000E0 (Blinky.c, line 36)");
  EXPECT_EQ(list->At(1).text, " 01: (E) 0x000000E4");
  EXPECT_EQ(list->At(2).text, " 02: (E) 0x000000E0 (Blinky.c, line 36),  count=2, ");
}

TEST(BreakpointsDialogTest, ClickingTheBoxDisablesTheBreakpointAtOnce) {
  ScriptedDriver d(kBpScript);
  BreakpointsDialog dlg(d.Context());
  dlg.show();
  BpCheckList* list = dlg.List();
  auto* bp = static_cast<DbgBreakpointRecord*>(list->At(0).data);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->BoxRect(0).center());
  EXPECT_FALSE(list->At(0).checked);
  EXPECT_EQ(bp->flags & kDbgBpEnabled, 0u);
  EXPECT_TRUE(dlg.KillButton()->isEnabled());
  // Close renumbers, tells the driver and has the marks refreshed.
  QTest::mouseClick(dlg.CloseButton(), Qt::LeftButton);
  EXPECT_TRUE(d.Logged("bplist 7"));
  EXPECT_EQ(d.services, std::vector<int>{14});
}

TEST(BreakpointsDialogTest, CountAndSizeHaveUpDownControls) {
  ScriptedDriver d(kBpScript);
  BreakpointsDialog dlg(d.Context());
  dlg.show();
  auto* countArrows = dlg.findChild<QWidget*>("CountUpDown");
  auto* sizeArrows = dlg.findChild<QWidget*>("SizeUpDown");
  ASSERT_NE(countArrows, nullptr);
  ASSERT_NE(sizeArrows, nullptr);
  QTest::mouseClick(countArrows->findChild<QToolButton*>("Up"), Qt::LeftButton);
  EXPECT_EQ(dlg.Count()->text(), "2");
  QTest::keyClick(dlg.Count(), Qt::Key_Down);
  QTest::keyClick(dlg.Count(), Qt::Key_Down);
  EXPECT_EQ(dlg.Count()->text(), "1") << "not below 1";
  dlg.Count()->setText("32767");
  QTest::keyClick(dlg.Count(), Qt::Key_Up);
  EXPECT_EQ(dlg.Count()->text(), "32767") << "not above 32767";
  // The size's arrows work with the size: only for an access breakpoint.
  EXPECT_FALSE(sizeArrows->isEnabled());
  dlg.Read()->setChecked(true);
  EXPECT_TRUE(sizeArrows->isEnabled());
  QTest::mouseClick(sizeArrows->findChild<QToolButton*>("Up"), Qt::LeftButton);
  EXPECT_EQ(dlg.Size()->text(), "2");
}

TEST(BreakpointsDialogTest, DoubleClickCopiesTheRecordIntoTheFields) {
  ScriptedDriver d(kBpScript);
  BreakpointsDialog dlg(d.Context());
  dlg.show();
  BpCheckList* list = dlg.List();
  static_cast<DbgBreakpointRecord*>(list->At(2).data)->access = 1;  // read
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, LineCenter(list, 2));
  EXPECT_TRUE(dlg.Read()->isChecked());
  EXPECT_TRUE(dlg.Objects()->isChecked());
  EXPECT_FALSE(dlg.Bytes()->isChecked());
  EXPECT_TRUE(dlg.Size()->isEnabled());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, LineCenter(list, 1));
  EXPECT_EQ(dlg.Expression()->text(), "i==5");
  EXPECT_EQ(dlg.Count()->text(), "3");
  EXPECT_EQ(dlg.Command()->text(), "printf(\\\"x\\\")");
  EXPECT_FALSE(dlg.Size()->isEnabled());  // no access: the size controls are off
}

TEST(BreakpointsDialogTest, EnterDefinesFromTheExpression) {
  ScriptedDriver d("eval main 100\n");
  BreakpointsDialog dlg(d.Context());
  dlg.show();
  EXPECT_EQ(dlg.List()->Count(), 0);
  QTest::keyClicks(dlg.Expression(), "main");
  EXPECT_TRUE(dlg.DefineButton()->isEnabled());
  dlg.Count()->setText("2");
  QTest::keyClick(&dlg, Qt::Key_Return);
  EXPECT_TRUE(d.Logged("bpdefine main count 2 access 0 size 0 cmd "));
  ASSERT_EQ(dlg.List()->Count(), 1);
  EXPECT_EQ(dlg.List()->At(0).text, " 00: (E) 0x00000100,  count=2, ");
  EXPECT_TRUE(dlg.Expression()->text().isEmpty());
  // An access breakpoint: read checked turns the size controls on, unit objects.
  QTest::keyClicks(dlg.Expression(), "buf");
  QTest::mouseClick(dlg.Read(), Qt::LeftButton);
  EXPECT_TRUE(dlg.Objects()->isChecked());
  dlg.Size()->setText("4");
  QTest::mouseClick(dlg.DefineButton(), Qt::LeftButton);
  EXPECT_TRUE(d.Logged("bpdefine buf count 2 access 1 size 4 cmd "));
  EXPECT_EQ(dlg.List()->Count(), 2);
}

// The session keeps its breakpoints in the options file: an expression or
// a command the file could not give back as typed is refused before the
// driver is asked, the reason said, the fields kept.
TEST(BreakpointsDialogTest, TextsTheProjectCannotKeepAreRefused) {
  struct Row {
    const char* name;
    const char* expression;
    const char* command;
    const char* said;
  };
  for (const Row& row : {Row{"Expression", "count == (3", "", "The breakpoint's expression 'count == (3' cannot be "
                                                              "kept with the project: it holds a '(' without its ')'."},
                         Row{"Command", "main", "printf \"a>b\"", "The breakpoint's command 'printf \"a>b\"' cannot "
                                                                  "be kept with the project: it holds a '>' without its "
                                                                  "'<'."}}) {
    SCOPED_TRACE(row.name);
    ScriptedDriver d("eval main 100\n");
    BreakpointsDialog dlg(d.Context());
    dlg.show();
    QTest::keyClicks(dlg.Expression(), row.expression);
    dlg.Command()->setText(row.command);
    QTest::mouseClick(dlg.DefineButton(), Qt::LeftButton);
    ASSERT_EQ(d.dialogs.boxes.size(), 1u);
    EXPECT_EQ(d.dialogs.boxes[0].text, row.said);
    EXPECT_EQ(d.Log().find("bpdefine"), std::string::npos);
    EXPECT_EQ(dlg.Expression()->text(), row.expression);
    EXPECT_EQ(dlg.List()->Count(), 0);
  }
}

TEST(BreakpointsDialogTest, RefusalsKeepTheFields) {
  {
    ScriptedDriver d("bpdefine 1 0\n");
    BreakpointsDialog dlg(d.Context());
    dlg.show();
    QTest::keyClicks(dlg.Expression(), "nowhere");
    QTest::mouseClick(dlg.DefineButton(), Qt::LeftButton);
    ASSERT_EQ(d.dialogs.boxes.size(), 1u);
    EXPECT_EQ(d.dialogs.boxes[0].text, "Breakpoint definition error");
    EXPECT_EQ(dlg.Expression()->text(), "nowhere");
    EXPECT_EQ(dlg.List()->Count(), 0);
  }
  {
    // The driver's reason goes with the message.
    ScriptedDriver d("bpdefine 1 0 breakpoint 'x = 5': an assignment is not allowed\n");
    BreakpointsDialog dlg(d.Context());
    dlg.show();
    QTest::keyClicks(dlg.Expression(), "x = 5");
    QTest::mouseClick(dlg.DefineButton(), Qt::LeftButton);
    ASSERT_EQ(d.dialogs.boxes.size(), 1u);
    EXPECT_EQ(d.dialogs.boxes[0].text,
              "Breakpoint definition error: breakpoint 'x = 5': an assignment is not allowed");
    EXPECT_EQ(dlg.Expression()->text(), "x = 5");
  }
  ScriptedDriver d("");
  BreakpointsDialog dlg(d.Context());
  dlg.show();
  QTest::keyClicks(dlg.Expression(), "main");
  dlg.Count()->setText("x1");
  QTest::mouseClick(dlg.DefineButton(), Qt::LeftButton);
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, "Invalid number");
  EXPECT_EQ(d.dialogs.beeps, 1);
  EXPECT_TRUE(d.Log().find("bpdefine") == std::string::npos);
}

TEST(BreakpointsDialogTest, KillSelectedAndKillAll) {
  ScriptedDriver d(kBpScript);
  BreakpointsDialog dlg(d.Context());
  dlg.show();
  BpCheckList* list = dlg.List();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, LineCenter(list, 0));
  QTest::mouseClick(dlg.KillButton(), Qt::LeftButton);
  EXPECT_TRUE(d.Logged("bpkill 256"));
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Selected(), 1);  // the last line becomes the selection
  QTest::mouseClick(dlg.KillAllButton(), Qt::LeftButton);
  EXPECT_EQ(list->Count(), 0);
  QTest::mouseClick(dlg.KillAllButton(), Qt::LeftButton);  // on an empty list
  EXPECT_EQ(list->Count(), 0);
}

// Kill Selected kills the row clicked, whichever it is: the list shows the
// other rows in their order, and the driver is told to kill that row's
// breakpoint alone.
struct KillRowCase {
  const char* name;
  int row;
};
class KillSelectedRow : public ::testing::TestWithParam<KillRowCase> {};
TEST_P(KillSelectedRow, TheRowClickedIsTheOneKilled) {
  ScriptedDriver d(kBpScript);
  BreakpointsDialog dlg(d.Context());
  dlg.show();
  BpCheckList* list = dlg.List();
  ASSERT_EQ(list->Count(), 3);
  std::vector<std::string> others;
  for (int i = 0; i < list->Count(); ++i)
    if (i != GetParam().row) others.push_back(list->At(i).text);
  const auto* bp = static_cast<const DbgBreakpointRecord*>(list->At(GetParam().row).data);
  const std::string kill = "bpkill " + std::to_string(bp->address);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, LineCenter(list, GetParam().row));
  ASSERT_EQ(list->Selected(), GetParam().row);
  QTest::mouseClick(dlg.KillButton(), Qt::LeftButton);
  std::vector<std::string> shown;
  for (int i = 0; i < list->Count(); ++i) shown.push_back(list->At(i).text);
  EXPECT_EQ(shown, others);
  const std::string log = d.Log();
  EXPECT_TRUE(d.Logged(kill)) << log;
  size_t kills = 0;
  for (size_t at = log.find("bpkill "); at != std::string::npos; at = log.find("bpkill ", at + 1)) ++kills;
  EXPECT_EQ(kills, 1u) << log;
}
const KillRowCase kKillRowCases[] = {{"First", 0}, {"Middle", 1}, {"Last", 2}};
INSTANTIATE_TEST_SUITE_P(Rows, KillSelectedRow, ::testing::ValuesIn(kKillRowCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A driver whose breakpoint list runs in a circle: the dialog lists a
// bounded number of lines and does not hang.
DbgBreakpointRecord g_loop{};
intptr_t LoopingList(int32_t op, intptr_t, intptr_t, void*) { return op == kDbgBpListHead ? intptr_t(&g_loop) : 0; }

TEST(BreakpointsDialogTest, ALoopingDriverListIsCut) {
  g_loop.next = &g_loop;
  g_loop.flags = kDbgBpEnabled;
  DebugInterface record{};
  record.DbgBreakpointList = LoopingList;
  RecordingDialogs dialogs;
  DebugDialogContext ctx;
  ctx.record = [&] { return &record; };
  ctx.dialogs = &dialogs;
  BreakpointsDialog dlg(ctx);
  EXPECT_EQ(dlg.List()->Count(), 10000);
}

// ------------------------------------------------------------ serial

TEST(SerialWindowTest, ShowsTheNewestLinesAndSendsTypedKeys) {
  ScriptedDriver d("");
  SerialTerminal terminal;
  std::vector<std::pair<int, uint16_t>> typed;
  SerialWindow w(0, terminal, false, [&](int n, uint16_t c) {
    typed.emplace_back(n, c);
    d.Record()->DbgSerialInput(uint32_t(n), c);
  });
  w.resize(400, 120);
  w.show();
  std::string text;
  for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\n";
  w.WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), int(text.size()));
  QApplication::processEvents();
  std::vector<std::string> rows = w.VisibleRows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.back(), "");  // the current, empty line at the bottom
  EXPECT_EQ(rows[rows.size() - 2], "line 39");
  QTest::keyClick(&w, Qt::Key_PageUp);
  EXPECT_NE(w.VisibleRows()[rows.size() - 2], "line 39");
  QTest::keyClick(&w, Qt::Key_End);
  EXPECT_EQ(w.VisibleRows()[rows.size() - 2], "line 39");
  QTest::keyClick(&w, Qt::Key_Home);
  EXPECT_EQ(w.VisibleRows()[0], "line 0");
  QTest::keyClicks(&w, "ok");
  ASSERT_EQ(typed.size(), 2u);
  EXPECT_EQ(typed[0].second, uint16_t('o'));
  EXPECT_TRUE(d.Logged("serial 0 107"));
}

TEST(SerialWindowTest, LongLinesScrollSideways) {
  SerialTerminal terminal;
  SerialWindow w(0, terminal, false, nullptr);
  w.resize(200, 120);
  w.show();
  const std::string line(200, 'w');
  w.WriteBytes(reinterpret_cast<const uint8_t*>(line.data()), int(line.size()));
  QApplication::processEvents();
  EXPECT_EQ(w.HorizontalOffset(), 0);
  QTest::keyClick(&w, Qt::Key_Right);
  QTest::keyClick(&w, Qt::Key_Right);
  EXPECT_EQ(w.HorizontalOffset(), 2);  // a pixel a step
  QTest::keyClick(&w, Qt::Key_Left);
  EXPECT_EQ(w.HorizontalOffset(), 1);
  w.Clear();
  EXPECT_EQ(w.HorizontalOffset(), 0);
  QTest::keyClick(&w, Qt::Key_Right);
  EXPECT_EQ(w.HorizontalOffset(), 0);  // nothing wider than the window
}

TEST(SerialWindowTest, HexModeAndClear) {
  SerialTerminal terminal;
  bool modeSeen = false;
  SerialWindow w(1, terminal, true, nullptr);
  w.modeChanged = [&](bool hex) { modeSeen = !hex; };
  w.resize(300, 100);
  const uint16_t values[] = {0x41, 0x141};
  w.WriteWords(values, 2);
  QApplication::processEvents();
  EXPECT_EQ(w.VisibleRows().back().substr(0, 8), " 41 141 ");
  w.SetHexMode(false);
  EXPECT_TRUE(modeSeen);
  EXPECT_EQ(w.VisibleRows().back(), "A" + std::string(1, char(0x41)));
  w.Clear();
  EXPECT_EQ(w.RowCount(), 1);
  EXPECT_EQ(w.VisibleRows().back(), "");
}

// A bell beeps where the window shows text; hex mode shows its value.
// Characters from a 16-bit channel are shown by their low 8 bits.
TEST(SerialWindowTest, ABellBeepsInAsciiModeOnly) {
  struct Row {
    const char* name;
    bool hex, words;
    uint16_t value;
    int beeps;
  };
  const Row rows[] = {
      {"byte bell, ASCII", false, false, 7, 1},  {"byte bell, hex", true, false, 7, 0},
      {"word bell, ASCII", false, true, 7, 1},   {"word 0x107, ASCII", false, true, 0x107, 1},
      {"word bell, hex", true, true, 7, 0},      {"word 'a', ASCII", false, true, 'a', 0},
  };
  for (const Row& r : rows) {
    SerialTerminal terminal;
    SerialWindow w(0, terminal, r.hex, nullptr);
    int beeps = 0;
    w.beep = [&] { ++beeps; };
    const uint8_t byte = uint8_t(r.value);
    if (r.words)
      w.WriteWords(&r.value, 1);
    else
      w.WriteBytes(&byte, 1);
    EXPECT_EQ(beeps, r.beeps) << r.name;
    // The bell is not stored as a character.
    if (!r.hex && (r.value & 0xFF) == 7) {
      EXPECT_EQ(terminal.Line(0), "") << r.name;
    }
  }
}

// ------------------------------------------------------------ symbols

const char* const kSymScript =
    "sym main f 100 15\n"
    "sym MAINLOOP f 200 15\n"
    "sym counter 1 40000000 4\n"
    "sym m1 1 40000010 2\n"
    "module Blinky\n"
    "local pattern_step 1 40000020 5\n"
    "func main 10 10 0\n"
    "local n 10 4 5\n"
    "line 9 100\n"
    "line 10 104\n";

TEST(SymbolsDialogTest, FindsSymbolsByMask) {
  ScriptedDriver d(kSymScript);
  SymbolsDialog dlg(d.Context(), SymbolsDialogState{});
  dlg.show();
  SECListCtrl* list = dlg.List();
  EXPECT_EQ(list->GetItemCount(), 4);
  // Without a kept choice the names match in case.
  EXPECT_TRUE(dlg.CaseSensitive()->isChecked());
  dlg.Mask()->setText("ma*");
  QTest::keyClick(dlg.Mask(), Qt::Key_Return);
  ASSERT_EQ(list->GetItemCount(), 1);
  EXPECT_EQ(list->GetItemText(0, 0), "0x00000100");
  QTest::mouseClick(dlg.CaseSensitive(), Qt::LeftButton);
  ASSERT_EQ(list->GetItemCount(), 2);  // case ignored: main and MAINLOOP
  EXPECT_EQ(list->GetItemText(0, 1), "MAINLOOP");  // sorted by name, byte order
  EXPECT_EQ(list->GetItemText(1, 1), "main");
  EXPECT_EQ(list->GetItemText(1, 2), " function");
}

TEST(SymbolsDialogTest, ABadMaskBeepsWithTheCaretAtTheFault) {
  ScriptedDriver d(kSymScript);
  SymbolsDialog dlg(d.Context(), SymbolsDialogState{});
  dlg.show();
  dlg.Mask()->setText("a*$");
  QTest::mouseClick(dlg.Apply(), Qt::LeftButton);
  EXPECT_EQ(d.dialogs.beeps, 1);
  EXPECT_EQ(dlg.Mask()->cursorPosition(), 2);
  EXPECT_EQ(dlg.List()->GetItemCount(), 4);  // the list keeps the last good mask
}

TEST(SymbolsDialogTest, LocalsLinesAndCopy) {
  ScriptedDriver d(kSymScript);
  SymbolsDialog dlg(d.Context(), SymbolsDialogState{});
  dlg.show();
  dlg.Mode()->setCurrentIndex(1);
  SECListCtrl* list = dlg.List();
  ASSERT_EQ(list->GetItemCount(), 4);
  EXPECT_EQ(list->GetItemText(0, 0), "<Module>");
  EXPECT_EQ(list->GetItemText(1, 1), "  pattern_step");
  EXPECT_EQ(list->GetItemText(2, 0), "<Function>");
  EXPECT_EQ(list->GetItemText(3, 1), "    n");
  EXPECT_EQ(list->GetItemText(3, 0), "R4");
  EXPECT_EQ(dlg.QualifiedName(3), "\\Blinky\\main\\n");
  list->SelectItem(3, true);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_C);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "\\Blinky\\main\\n");
  dlg.Mode()->setCurrentIndex(2);
  ASSERT_EQ(list->GetItemCount(), 3);
  EXPECT_EQ(list->GetItemText(2, 1), "# 10");
  EXPECT_FALSE(dlg.Mask()->isEnabled());
  // A column click beeps outside the public symbols.
  const int beeps = d.dialogs.beeps;
  NMLISTVIEW click{};
  click.hdr.code = LVN_COLUMNCLICK;
  click.iSubItem = 0;
  dlg.OnNotify(click.hdr);
  EXPECT_EQ(d.dialogs.beeps, beeps + 1);
}

// ------------------------------------------------------------ memory map

TEST(MemoryMapDialogTest, ListsRunsMapsAndClears) {
  ScriptedDriver d(
      "map 0 3FF 3\n"
      "map 40000000 40000FFF 6\n"
      "exec Map_0x10,0x20_read_ 0\n");
  MemoryMapDialog dlg(d.Context());
  dlg.show();
  const std::vector<std::string> lines = dlg.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "001:  0x00000000 - 0x000003FF  exec read ");
  EXPECT_EQ(lines[1], "002:  0x40000000 - 0x40000FFF  read write ");
  EXPECT_FALSE(dlg.MapButton()->isEnabled());
  QTest::keyClicks(dlg.Range(), "   ");
  EXPECT_FALSE(dlg.MapButton()->isEnabled());  // blanks only
  dlg.Range()->setText("0x10,0x20");
  QTest::mouseClick(dlg.Read(), Qt::LeftButton);
  QTest::keyClick(dlg.Range(), Qt::Key_Return);
  ASSERT_EQ(d.commands.size(), 1u);
  EXPECT_EQ(d.commands[0], "Map 0x10,0x20 read \n");
  // Clear the selected line.
  dlg.List()->SelectItem(1, true);
  dlg.ClearSelected();
  EXPECT_TRUE(d.Logged("command Map 0x40000000 , 0x40000FFF Clear\n"));
}

TEST(MemoryMapDialogTest, OpensWithNoRangeSelectedAndKillGreyed) {
  ScriptedDriver d("map 0 3FF 3\nmap 40000000 40000FFF 6\n");
  MemoryMapDialog dlg(d.Context());
  dlg.show();
  QApplication::processEvents();
  ASSERT_EQ(dlg.Lines().size(), 2u);
  EXPECT_EQ(dlg.List()->GetNextItem(-1, LVNI_SELECTED), -1);
  EXPECT_FALSE(dlg.findChild<QPushButton*>("KillRange")->isEnabled());
  // The focus in the list selects nothing by itself either.
  dlg.List()->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(dlg.List()->GetNextItem(-1, LVNI_SELECTED), -1);
  EXPECT_FALSE(dlg.findChild<QPushButton*>("KillRange")->isEnabled());
}

// A row reached by typing its first character enables Kill as a row
// reached by the arrow keys does: the list tells the dialog of every key.
TEST(MemoryMapDialogTest, ARowFoundByTypingEnablesKill) {
  ScriptedDriver d("map 0 3FF 3\nmap 40000000 40000FFF 6\n");
  MemoryMapDialog dlg(d.Context());
  dlg.show();
  QApplication::processEvents();
  auto* kill = dlg.findChild<QPushButton*>("KillRange");
  ASSERT_NE(kill, nullptr);
  dlg.List()->setFocus();
  QTest::keyClick(dlg.List(), Qt::Key_0);
  ASSERT_GE(dlg.List()->GetNextItem(-1, LVNI_SELECTED), 0);
  QElapsedTimer guard;
  guard.start();
  while (!kill->isEnabled() && guard.elapsed() < test::kHangWaitMs) QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_TRUE(kill->isEnabled());
}

TEST(MemoryMapDialogTest, ARefusedRangeSaysSo) {
  ScriptedDriver d("exec Map_bad_clear_ 1\n");
  MemoryMapDialog dlg(d.Context());
  dlg.show();
  dlg.Range()->setText("bad");
  QTest::mouseClick(dlg.MapButton(), Qt::LeftButton);
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, "Error: invalid address range given.");
}

// A driver that says why it refuses the range: its reason is the message.
TEST(MemoryMapDialogTest, ARefusalShowsTheDriversReason) {
  ScriptedDriver d("exec Map_0x100_clear_ 1\nsays Map_0x100_clear_ *** error: the GDB driver has no MAP command\n");
  MemoryMapDialog dlg(d.Context());
  dlg.show();
  dlg.Range()->setText("0x100");
  QTest::mouseClick(dlg.MapButton(), Qt::LeftButton);
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, "Error: the GDB driver has no MAP command");
}

// ------------------------------------------------------------ tool box

TEST(ToolBoxTest, ButtonsRunTheirCommands) {
  ScriptedDriver d("");
  ToolBox box(d.Context(), {{"Go", "g"}, {"Reset", "reset"}, {"Step", "t"}});
  box.show();
  const int h3 = box.height();
  EXPECT_TRUE(box.Button(1)->isVisible());
  EXPECT_FALSE(box.Button(3)->isVisible());
  EXPECT_EQ(box.Button(1)->text(), "Reset");
  QTest::mouseClick(box.Button(1), Qt::LeftButton);
  // The command runs as the user typed it with DEFINE BUTTON.
  ASSERT_EQ(d.typed.size(), 1u);
  EXPECT_EQ(d.typed[0], "reset\n");
  EXPECT_TRUE(d.Logged("command reset\n")) << d.Log();
  EXPECT_TRUE(d.commands.empty());
  EXPECT_EQ(box.RemoveButton(1), 1);
  EXPECT_EQ(box.Button(0)->text(), "Reset");
  EXPECT_EQ(box.height(), h3 - box.UpdateButton()->height());
  EXPECT_EQ(box.RemoveButton(0), 0);
  EXPECT_EQ(d.dialogs.beeps, 1);
  for (int i = 0; i < 14; ++i) EXPECT_EQ(box.AddButton("b" + std::to_string(i), "x"), 1);
  EXPECT_EQ(box.AddButton("full", "x"), 0);
  EXPECT_EQ(d.dialogs.beeps, 2);
  QTest::mouseClick(box.UpdateButton(), Qt::LeftButton);
  EXPECT_EQ(d.services.back(), 310);
  d.Record()->flags |= kDbgFlagExecuting;  // running, without live update
  QTest::mouseClick(box.UpdateButton(), Qt::LeftButton);
  EXPECT_EQ(d.dialogs.beeps, 3);
}

// A button the project's options file brought shows its command and asks
// before its first run: No runs nothing, Yes runs it and it asks no more;
// a button the user defined runs at once.
TEST(ToolBoxTest, AButtonFromTheProjectAsksBeforeItsFirstRun) {
  ScriptedDriver d("");
  ToolBox box(d.Context(), {{"Mine", "t", false}, {"Kept", "shell touch /tmp/x", true}});
  box.show();
  d.dialogs.answers = {kIdNo};
  QTest::mouseClick(box.Button(1), Qt::LeftButton);
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, StoredButtonQuestion("Kept", "shell touch /tmp/x"));
  EXPECT_NE(d.dialogs.boxes[0].text.find("shell touch /tmp/x"), std::string::npos);
  EXPECT_TRUE(d.typed.empty()) << "No runs nothing";
  d.dialogs.answers = {kIdYes};
  QTest::mouseClick(box.Button(1), Qt::LeftButton);
  ASSERT_EQ(d.typed.size(), 1u);
  EXPECT_EQ(d.typed[0], "shell touch /tmp/x\n");
  QTest::mouseClick(box.Button(1), Qt::LeftButton);
  QTest::mouseClick(box.Button(0), Qt::LeftButton);
  EXPECT_EQ(d.dialogs.boxes.size(), 2u) << "asked no more once run, and never for the user's own";
  EXPECT_EQ(d.typed.size(), 3u);
  EXPECT_FALSE(box.Buttons().Buttons()[1].fromProject);
}

// ------------------------------------------------------------ function editor, inline assembler

TEST(FunctionEditorTest, CompileOfAnUnnamedTextUsesTheTemporaryFile) {
  ScriptedDriver d("");
  const std::string temp = std::filesystem::temp_directory_path().string() + "/pm2-fedit-" +
                           std::to_string(::getpid()) + ".CTmp";
  FunctionEditor ed(d.Context(), temp, [](bool) { return std::string(); });
  ed.show();
  EXPECT_EQ(ed.Title(), "Function Editor - Untitled");
  QTest::keyClicks(ed.Editor(), "func void f(void) {}");
  ASSERT_TRUE(ed.Editor()->IsModified());
  QTest::mouseClick(ed.CompileButton(), Qt::LeftButton);
  EXPECT_TRUE(d.Logged("command " + FuncEditorIncludeCommand(temp).substr(0, FuncEditorIncludeCommand(temp).size() - 1)));
  EXPECT_TRUE(std::filesystem::exists(temp));
  EXPECT_TRUE(ed.Editor()->IsModified());
  ASSERT_EQ(ed.Errors()->count(), 1);
  EXPECT_EQ(ed.Errors()->currentText(), "Compilation complete, no errors.");
  ed.Errors()->clear();
  ed.AddError(3, "error at line 3");
  EXPECT_EQ(ed.Errors()->itemData(0).toUInt(), 3u);
  std::filesystem::remove(temp);
  EXPECT_EQ(FuncEditorIncludeCommand("C:\\a\\b.ini"), "Include \"C:\\\\a\\\\b.ini\"\n");
  // Cancel in the save question keeps the editor open.
  d.dialogs.answers.push_back(kIdCancel);
  EXPECT_FALSE(ed.close());
  EXPECT_TRUE(ed.isVisible());
}

TEST(FunctionEditorTest, ARefusedIncludeShowsAsAFailure) {
  const std::string file = "/tmp/pm2fedit" + std::to_string(::getpid()) + ".ini";
  ScriptedDriver d("exec Include_\"" + file + "\" 3\n");
  std::ofstream(file) << "FUNC void f (void) { bad }\n";
  FunctionEditor ed(d.Context(), "/tmp/x.CTmp", nullptr);
  ASSERT_TRUE(ed.LoadFile(file));
  ed.Compile();
  // The driver's own text for its answer, not "no errors".
  ASSERT_EQ(ed.Errors()->count(), 1);
  EXPECT_EQ(ed.Errors()->currentText(), "*** error 3");
  std::filesystem::remove(file);
}

// Damaged or wrong files opened in the function editor: junk, a cut line
// and a very long line load as text and stay as they are on disk until the
// user saves; a named pipe is refused with its name instead of waiting for
// a writer forever, and a missing file is named.
TEST(FunctionEditorTest, DamagedAndWrongFilesNeitherHangNorChange) {
  ScriptedDriver d("");
  const std::string base = std::filesystem::temp_directory_path().string() + "/pm2-fedit-damaged-" +
                           std::to_string(::getpid());
  std::filesystem::create_directories(base);
  const std::string junk = base + "/junk.ini";
  std::string bytes = "FUNC void f (void) {\r\n  printf(\"";
  for (int i = 0; i < 4096; ++i) bytes += char((i * 37 + 11) % 256);
  bytes += std::string(200000, 'x');
  std::ofstream(junk, std::ios::binary) << bytes;
  FunctionEditor ed(d.Context(), base + "/x.CTmp", nullptr);
  ed.show();
  ASSERT_TRUE(ed.LoadFile(junk));
  EXPECT_EQ(ed.FileName(), junk);

  const std::string pipe = base + "/pipe.ini";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  struct RefusedNameRow {
    const char* name;
    std::string path;
    const char* kind;
  } refused[] = {
      {"named pipe", pipe, "a named pipe (FIFO)"},
      {"endless device", "/dev/zero", "a character device"},
      {"folder", base, "a folder"},
  };
  for (const RefusedNameRow& r : refused) {
    d.dialogs.boxes.clear();
    EXPECT_FALSE(ed.LoadFile(r.path)) << r.name;
    ASSERT_EQ(d.dialogs.boxes.size(), 1u) << r.name;
    EXPECT_EQ(d.dialogs.boxes[0].text,
              "Cannot open '" + r.path + "': it is " + r.kind + ", not a file of debug functions")
        << r.name;
    EXPECT_EQ(ed.FileName(), junk) << r.name << ": the text shown stays";
  }
  d.dialogs.boxes.clear();
  EXPECT_FALSE(ed.LoadFile(base + "/missing.ini"));
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, "Cannot access file '" + base + "/missing.ini' !");
  std::ifstream in(junk, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes) << "opened, never saved: the file stays";
  std::filesystem::remove_all(base);
}

TEST(FunctionEditorTest, EscWithAChangedTextAsksLikeClose) {
  ScriptedDriver d("");
  FunctionEditor ed(d.Context(), "/tmp/x.CTmp", nullptr);
  ed.show();
  QTest::keyClicks(ed.Editor(), "x");
  d.dialogs.answers.push_back(kIdCancel);
  QTest::keyClick(&ed, Qt::Key_Escape);
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, "Save changes to Untitled ?");
  EXPECT_TRUE(ed.isVisible()) << "Cancel keeps the text";
  d.dialogs.answers.push_back(kIdNo);
  QTest::keyClick(&ed, Qt::Key_Escape);
  EXPECT_FALSE(ed.isVisible());
}

// The editor's Find and its messages work in the function editor as in the
// IDE's editor windows: Ctrl+F opens the find dialog, a search that finds
// nothing says so with a beep and an exclamation box, and a file's lines
// cut at the line limit are told.
TEST(FunctionEditorTest, FindAndTheEditorsMessagesReachTheUser) {
  ScriptedDriver d("");
  FunctionEditor ed(d.Context(), "/tmp/x.CTmp", nullptr);
  ed.show();
  QTest::keyClicks(ed.Editor(), "int counter;");
  QTest::keyClick(ed.Editor(), Qt::Key_F, Qt::ControlModifier);
  auto* find = ed.Editor()->findChild<EditFindDialog*>();
  ASSERT_NE(find, nullptr);
  EXPECT_TRUE(find->isVisible());
  EXPECT_FALSE(find->IsReplace());
  find->FindCombo()->setCurrentText("zq_nowhere");
  find->FindNext();
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, "Cannot find the string 'zq_nowhere'.");
  EXPECT_EQ(d.dialogs.boxes[0].kind, kMbOk | kMbIconExclamation);
  EXPECT_EQ(d.dialogs.beeps, 1);
  const std::string wide = std::filesystem::temp_directory_path().string() + "/pm2-fedit-wide-" +
                           std::to_string(::getpid()) + ".ini";
  std::ofstream(wide) << std::string(3000, 'y') << "\n";
  EXPECT_TRUE(ed.LoadFile(wide));
  std::filesystem::remove(wide);
  ASSERT_EQ(d.dialogs.boxes.size(), 2u);
  EXPECT_EQ(d.dialogs.boxes[1].text, "Lines longer than 2048 characters will be cut.");
}

// F3 in the text while the find dialog is open brings the dialog forward
// and leaves the match it selected alone.
TEST(FunctionEditorTest, F3BesideTheOpenFindDialogDoesNotSearch) {
  ScriptedDriver d("");
  FunctionEditor ed(d.Context(), "/tmp/x.CTmp", nullptr);
  ed.show();
  QTest::keyClicks(ed.Editor(), "ab ab");
  QTest::keyClick(ed.Editor(), Qt::Key_F, Qt::ControlModifier);
  auto* find = ed.Editor()->findChild<EditFindDialog*>();
  ASSERT_NE(find, nullptr);
  find->FindCombo()->setCurrentText("ab");
  find->FindNext();
  ASSERT_EQ(ed.Editor()->Engine().GetSelectedText(nullptr), "ab");
  const int column = ed.Editor()->Engine().State().nCaretCol;
  QTest::keyClick(ed.Editor(), Qt::Key_F3);
  EXPECT_EQ(ed.Editor()->Engine().State().nCaretCol, column);
  EXPECT_TRUE(find->isVisible());
}

// New, pressed any number of times, leaves each of the editor's messages
// shown once.
TEST(FunctionEditorTest, AMessageAfterNewIsShownOnce) {
  ScriptedDriver d("");
  FunctionEditor ed(d.Context(), "/tmp/x.CTmp", nullptr);
  ed.show();
  for (int i = 0; i < 3; ++i) QTest::mouseClick(ed.NewButton(), Qt::LeftButton);
  QTest::keyClicks(ed.Editor(), "int counter;");
  QTest::keyClick(ed.Editor(), Qt::Key_F, Qt::ControlModifier);
  auto* find = ed.Editor()->findChild<EditFindDialog*>();
  ASSERT_NE(find, nullptr);
  find->FindCombo()->setCurrentText("zq_nowhere");
  find->FindNext();
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, "Cannot find the string 'zq_nowhere'.");
  EXPECT_EQ(d.dialogs.beeps, 1);
}

TEST(FunctionEditorTest, AMissingFileIsRefused) {
  ScriptedDriver d("");
  FunctionEditor ed(d.Context(), "/tmp/x.CTmp", nullptr);
  EXPECT_FALSE(ed.LoadFile("/nonexistent/f.ini"));
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, "Cannot access file '/nonexistent/f.ini' !");
}

TEST(InlineAssemblerTest, AssemblesAndClearsTheInstruction) {
  ScriptedDriver d("pc 100\nexec asm_BAD 1\n");
  InlineAssembler dlg(d.Context());
  dlg.show();
  EXPECT_EQ(dlg.Address()->text(), "0x00000100");
  EXPECT_TRUE(d.Logged("exec asm 0x00000100\n"));
  EXPECT_EQ(dlg.Current()->text(), "00000100  NOP");
  dlg.Instruction()->setFocus();
  QTest::keyClicks(dlg.Instruction(), "  NOP");
  QTest::keyClick(dlg.Instruction(), Qt::Key_Return);
  EXPECT_TRUE(d.Logged("exec asm NOP\n"));
  EXPECT_TRUE(dlg.Instruction()->text().isEmpty());
  // A refused instruction stays, with the driver's text in a message.
  QTest::keyClicks(dlg.Instruction(), "BAD");
  QTest::keyClick(dlg.Instruction(), Qt::Key_Return);
  EXPECT_EQ(dlg.Instruction()->text(), "BAD");
  ASSERT_EQ(d.dialogs.boxes.size(), 1u);
  EXPECT_EQ(d.dialogs.boxes[0].text, "*** error 1");
  EXPECT_TRUE(InlineAsmCommand("   ").empty());
}

// ------------------------------------------------------------ analyser, coverage

TEST(PerfAnalyzerTest, RowsBarsAndStatistics) {
  ScriptedDriver d(
      "cycles 1000\n"
      "pa 1 `main 100 200 4 10 90 300 \n"
      "pa 2 loop 300 0 2 5 900 900\n");
  DebugInterface* r = d.Record();
  r->analyserRest = r->analyserRest;  // the driver set its remainder record
  PerfAnalyzerView v(d.Context());
  v.resize(500, 200);
  v.show();
  r->cycles = 2000;  // 1000 cycles since the view's base
  r->analyserFlags = 0x08 | 0x10;
  v.Refresh();
  ASSERT_EQ(v.Rows().size(), 3u);
  EXPECT_DOUBLE_EQ(v.Rows()[0].percent, 0.0);  // ranges above the elapsed time: no remainder
  EXPECT_EQ(v.Rows()[1].name, "main");
  EXPECT_DOUBLE_EQ(v.Rows()[2].percent, 90.0);
  EXPECT_LE(v.BarWidth(2), v.BarBox(2).width());
  QTest::keyClick(&v, Qt::Key_Down);
  EXPECT_EQ(v.Selected(), 1);
  EXPECT_EQ(v.Statistics().count, "4");
  EXPECT_EQ(v.Statistics().average, "0.000075");
  v.ResetCounts();
  EXPECT_TRUE(d.Logged("enum 2"));
}

TEST(PerfAnalyzerTest, ManyRangesScrollVertically) {
  std::string script = "cycles 1000\n";
  for (int i = 1; i <= 30; ++i) script += "pa " + std::to_string(i) + " r" + std::to_string(i) + " 100 200 1 1 1 1\n";
  ScriptedDriver d(script);
  PerfAnalyzerView v(d.Context());
  v.resize(500, 200);
  v.show();
  v.Refresh();
  ASSERT_EQ(v.Rows().size(), 31u);
  const int visible = v.VisibleRows();
  ASSERT_LT(visible, 31);
  QScrollBar* bar = v.VerticalBar();
  EXPECT_TRUE(bar->isEnabled());
  EXPECT_EQ(bar->maximum(), 31 - visible);
  // Down past the last shown row scrolls the rows.
  for (int i = 0; i < visible; ++i) QTest::keyClick(&v, Qt::Key_Down);
  EXPECT_EQ(v.TopRow(), 1);
  EXPECT_EQ(v.Selected(), visible);
  EXPECT_EQ(bar->value(), 1);
  QTest::keyClick(&v, Qt::Key_PageDown);
  EXPECT_EQ(v.TopRow(), 1 + visible);
  // The bar moves the rows; a click selects under the scale.
  bar->setValue(0);
  EXPECT_EQ(v.TopRow(), 0);
  QTest::keyClick(&v, Qt::Key_Home);
  QTest::keyClick(&v, Qt::Key_Home);
  EXPECT_EQ(v.Selected(), 0);
  // With every row shown the bar is off.
  v.resize(500, 2000);
  QApplication::processEvents();
  EXPECT_FALSE(bar->isEnabled());
  EXPECT_EQ(v.TopRow(), 0);
}

TEST(PerfAnalyzerTest, SetupDefinesAndKillsRangesThroughCommands) {
  ScriptedDriver d(
      "pa 1 `main 100 200 4 10 90 300\n"
      "pa 2 loop: 300 0 2 5 900 900\n"
      "exec PA_bad 1\n"
      "module Blinky\n"
      "func main 10 10 0\n");
  d.Record()->family = 0;  // the 8-bit families list their functions
  PerfAnalyzerSetup dlg(d.Context());
  dlg.show();
  const std::vector<std::string> lines = dlg.RangeLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "1\tmain (0x00000100-0x00000200)");
  EXPECT_EQ(lines[1], "2\tloop (0x00000300)");
  EXPECT_FALSE(dlg.DefineButton()->isEnabled());
  dlg.PickFunction(0);
  EXPECT_EQ(dlg.Definition()->text(), "\\Blinky\\main");
  QTest::keyClick(dlg.Definition(), Qt::Key_Return);
  EXPECT_TRUE(d.Logged("command PA \\Blinky\\main\n"));
  EXPECT_TRUE(dlg.Definition()->text().isEmpty());
  dlg.Definition()->setText("  bad");
  EXPECT_FALSE(dlg.Define());
  EXPECT_EQ(dlg.Definition()->text(), "  bad");
  EXPECT_EQ(d.services.back(), 35);
  dlg.Ranges()->SelectItem(1, true);
  EXPECT_TRUE(dlg.KillSelected());
  EXPECT_TRUE(d.Logged("command PA Kill 2\n"));
  EXPECT_TRUE(dlg.KillAll());
  EXPECT_TRUE(d.Logged("command PA Kill *\n"));
  EXPECT_EQ(PaRangeLine(DbgPaRangeRecord{}, "0x0", "0x0"), "0\t (0x0)");
}

TEST(PerfAnalyzerTest, ADriverWithoutRangesSaysSo) {
  ScriptedDriver d("");
  d.Record()->analyserRest = nullptr;
  PerfAnalyzerView v(d.Context());
  EXPECT_FALSE(v.Available());
  EXPECT_TRUE(v.Rows().empty());
}

const char* const kCoverageScript =
    "module Blinky\n"
    "func main 10 10 2\n"
    "func {block} 10 5 1\n"
    "module LED\n"
    "func LED_On 8 0 0\n";

// The colour of a row's cell in column 1, right of its text.
QRgb RowPixel(SECTreeCtrl* tree, int row) {
  Rect r;
  if (!tree->GetRowRect(row, &r)) return 0;
  const QImage shot = tree->grab().toImage();
  return shot.pixel(r.right - 6, (r.top + r.bottom) / 2) & 0xFFFFFFu;
}

TEST(CoverageDialogTest, OneModulesFunctionsAtTheRoot) {
  ScriptedDriver d(kCoverageScript);
  CoverageDialog dlg(d.Context());
  dlg.show();
  ASSERT_EQ(dlg.Modules()->count(), 3);
  EXPECT_EQ(dlg.Modules()->currentIndex(), 1);
  const auto rows = dlg.RowTexts();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].first, "main");
  EXPECT_EQ(rows[0].second, "100% of 10 instructions, 2 condjump(s) not fully executed");
  EXPECT_EQ(rows[1].second, "50% of 10 instructions");
  EXPECT_EQ(dlg.Tree()->GetDepth(dlg.Tree()->GetItemAtRow(1)), dlg.Tree()->GetDepth(dlg.Tree()->GetItemAtRow(0)));
  QTest::mouseClick(dlg.ResetButton(), Qt::LeftButton);
  EXPECT_EQ(dlg.RowTexts()[0].second, "0% of 10 instructions");
  EXPECT_EQ(d.services.back(), 14);
}

TEST(CoverageDialogTest, ModulesOpenAndCloseToTheirFunctions) {
  ScriptedDriver d(kCoverageScript);
  CoverageDialog dlg(d.Context());
  dlg.resize(600, 400);
  dlg.show();
  dlg.Modules()->setCurrentIndex(0);
  SECTreeCtrl* tree = dlg.Tree();
  // All modules: one closed row per module, without a coverage text.
  auto rows = dlg.RowTexts();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].first, "Blinky");
  EXPECT_EQ(rows[1].first, "LED");
  EXPECT_EQ(rows[1].second, "");
  // The mouse on the module's button opens it.
  Rect button;
  ASSERT_TRUE(tree->GetButtonRect(tree->GetItemAtRow(0), &button));
  QTest::mouseClick(tree, Qt::LeftButton, {}, QPoint(button.left + 3, button.top + 3));
  rows = dlg.RowTexts();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].first, "main");
  EXPECT_EQ(rows[2].second, "50% of 10 instructions");
  EXPECT_EQ(rows[3].first, "LED");
  EXPECT_EQ(tree->GetParentItem(tree->GetItemAtRow(2)), tree->GetItemAtRow(0));
  // Keys: the right arrow opens the selected module, the left one closes it.
  tree->setFocus();
  tree->SelectItem(tree->GetItemAtRow(3));
  QTest::keyClick(tree, Qt::Key_Right);
  rows = dlg.RowTexts();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[4].second, "0% of 8 instructions");
  QTest::keyClick(tree, Qt::Key_Left);
  EXPECT_EQ(dlg.RowTexts().size(), 4u);
  tree->SelectItem(tree->GetItemAtRow(0));
  QTest::keyClick(tree, Qt::Key_Left);
  EXPECT_EQ(dlg.RowTexts().size(), 2u);
}

TEST(CoverageDialogTest, FullyExecutedRowsAreGreenAndFollowTheDriver) {
  ScriptedDriver d(kCoverageScript);
  CoverageDialog dlg(d.Context());
  dlg.resize(600, 400);
  dlg.show();
  SECTreeCtrl* tree = dlg.Tree();
  // main ran whole: white on green; the focused row white on dark blue.
  tree->SelectItem(tree->GetItemAtRow(1));
  QApplication::processEvents();
  EXPECT_EQ(RowPixel(tree, 0), 0x008000u);
  EXPECT_EQ(RowPixel(tree, 1), 0x00007Du);
  // {block} ran half: black on white once the focus moves on.
  tree->SelectItem(tree->GetItemAtRow(0));
  QApplication::processEvents();
  EXPECT_EQ(RowPixel(tree, 0), 0x00007Du);
  EXPECT_EQ(RowPixel(tree, 1), 0xFFFFFFu);
  // The target ran on: the driver's figures change; the rows show them
  // once the dialog refreshes (as it does when the target stops).
  DbgCoverageRecord* block = dlg.RowRecord(1);
  ASSERT_NE(block, nullptr);
  block->executed = 10;
  block->kind |= kDbgCovFull;
  EXPECT_EQ(dlg.RowTexts()[1].second, "50% of 10 instructions");
  dlg.Refresh();
  QApplication::processEvents();
  EXPECT_EQ(dlg.RowTexts()[1].second, "100% of 10 instructions");  // a "{" name shows no jumps
  EXPECT_EQ(RowPixel(tree, 1), 0x008000u);
  EXPECT_TRUE(d.Logged("enum 6"));
}

}  // namespace
}  // namespace pm2

// ------------------------------------------------------------ in the frame

namespace pm2 {
namespace {

class DebugDialogsFrameTest : public test::ExampleFrameTest {};

TEST_F(DebugDialogsFrameTest, SerialWindowAndToolBoxInTheFrame) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  const std::string script = dir + "driver.script";
  std::ofstream(script) << "pc 100\n";
  OptionBlock* o = s.App().Project()->curTarget->pOpts;
  o->dbg.flags |= 1;
  o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
  // Without a session the windows' commands are greyed.
  EXPECT_FALSE(f->QueryCommand(32735).enabled);
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return f->Debugger()->Session().SessionActive(); })) << log();
  DebugDialogs* dialogs = f->Debugger()->Dialogs();
  ASSERT_NE(dialogs, nullptr);
  // Output for a closed window goes into its terminal; the window opened
  // later shows it.
  const uint8_t hello[] = {'h', 'i', '\n', 'x'};
  EXPECT_EQ(s.App().WriteSerialWindow(0, hello, 4), 0);
  EXPECT_EQ(s.App().WriteSerialWindow(3, hello, 4), -1);
  EXPECT_TRUE(f->QueryCommand(32735).enabled);
  ASSERT_TRUE(f->ExecuteCommand(32735));
  SerialWindow* w = dialogs->Serial(0);
  ASSERT_NE(w, nullptr);
  QApplication::processEvents();
  std::vector<std::string> rows = w->VisibleRows();
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[rows.size() - 2], "hi");
  EXPECT_EQ(rows.back(), "x");
  // Keys typed there reach the driver; F5 there runs the program.
  QTest::keyClick(w, Qt::Key_A);
  EXPECT_NE(std::string(log()).find("serial 0 97\n"), std::string::npos) << log();
  QTest::keyClick(w, Qt::Key_F5);
  EXPECT_NE(std::string(log()).find("go "), std::string::npos) << log();
  // The analyser and coverage need a driver that offers them.
  EXPECT_TRUE(f->QueryCommand(32732).enabled);  // the test driver has its remainder record
  EXPECT_FALSE(f->QueryCommand(35047).enabled);  // but no coverage records in this script
  // The tool box takes the driver's buttons (service 32) and keeps them
  // while it is closed.
  const char* words[2] = {"Go", "g"};
  EXPECT_EQ(s.App().IdeServiceCall(32, reinterpret_cast<intptr_t>(words)), 1);
  ASSERT_TRUE(f->ExecuteCommand(35073));
  ToolBox* box = dialogs->Box();
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(box->Buttons().Count(), 1);
  const char* more[2] = {"Step", "t"};
  EXPECT_EQ(s.App().IdeServiceCall(32, reinterpret_cast<intptr_t>(more)), 1);
  EXPECT_EQ(box->Buttons().Count(), 2);
  QTest::mouseClick(box->Button(1), Qt::LeftButton);
  // Run as typed: the driver's command interpreter takes it.
  EXPECT_NE(std::string(log()).find("command t\n"), std::string::npos) << log();
  // The run keys reach the frame from the tool box; its other keys stay
  // with the box.
  std::vector<unsigned> keyed;
  f->Keys()->onCommandKey = [&](unsigned id) { keyed.push_back(id); };
  auto runs = [&] {
    const std::string l = log();
    std::size_t n = 0;
    for (std::size_t at = l.find("go "); at != std::string::npos; at = l.find("go ", at + 1)) ++n;
    return n;
  };
  const std::size_t runsBefore = runs();
  QTest::keyClick(box->Button(1), Qt::Key_F5);
  EXPECT_EQ(runs(), runsBefore + 1) << log();
  QTest::keyClick(box->Button(1), Qt::Key_F7);
  QTest::keyClick(box->Button(1), Qt::Key_Escape);
  EXPECT_EQ(keyed, std::vector<unsigned>{32791});
  f->Keys()->onCommandKey = nullptr;
  ASSERT_NE(dialogs->Box(), nullptr);
  // The button's command shows in the command window as a line of its own.
  const std::string shown = "\n" + f->Debugger()->CommandPage()->Text().toStdString();
  EXPECT_NE(shown.find("\nt\n"), std::string::npos) << shown;
  // The coverage dialog opened again takes its last place.
  ASSERT_TRUE(f->ExecuteCommand(35073));  // the box is open: its command closes it
  EXPECT_EQ(dialogs->Box(), nullptr);
  EXPECT_EQ(s.App().SavedToolBox().size(), 2u);
  std::ofstream(script, std::ios::app) << "module M\nfunc F 4 2 0\n";
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return f->Debugger()->Session().SessionActive(); }));
  ASSERT_TRUE(f->QueryCommand(35047).enabled);
  ASSERT_TRUE(f->ExecuteCommand(35047));
  ASSERT_NE(dialogs->Coverage(), nullptr);
  dialogs->Coverage()->setGeometry(QRect(120, 130, 420, 300));
  const QRect placed = dialogs->Coverage()->geometry();
  ASSERT_TRUE(f->ExecuteCommand(35047));  // the command closes it
  EXPECT_TRUE(test::WaitFor([&] { return dialogs->Coverage() == nullptr; }));
  ASSERT_TRUE(f->ExecuteCommand(35047));
  ASSERT_NE(dialogs->Coverage(), nullptr);
  EXPECT_EQ(dialogs->Coverage()->geometry(), placed);
  // A stop of the target refreshes its rows.
  ASSERT_EQ(dialogs->Coverage()->RowTexts().size(), 1u);
  EXPECT_EQ(dialogs->Coverage()->RowTexts()[0].second, "50% of 4 instructions");
  dialogs->Coverage()->RowRecord(0)->executed = 3;
  s.App().IdeServiceCall(2, 0);
  EXPECT_EQ(dialogs->Coverage()->RowTexts()[0].second, "75% of 4 instructions");
  ASSERT_TRUE(f->ExecuteCommand(32802));  // the session ends: the windows go
  EXPECT_EQ(dialogs->Box(), nullptr);
  EXPECT_TRUE(test::WaitFor([&] { return dialogs->Serial(0) == nullptr; }));
  EXPECT_TRUE(test::WaitFor([&] { return dialogs->Coverage() == nullptr; }));
  EXPECT_EQ(s.App().SavedToolBox().size(), 2u);  // the buttons outlive the box
  dlclose(driver);
}

// The tool box closed with its title bar's button keeps the buttons defined
// while it was open, as its command's close does: they come back with it.
TEST_F(DebugDialogsFrameTest, TheToolBoxClosedByItsTitleBarKeepsItsButtons) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  const std::string script = dir + "driver.script";
  std::ofstream(script) << "pc 100\n";
  OptionBlock* o = s.App().Project()->curTarget->pOpts;
  o->dbg.flags |= 1;
  o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
  s.App().SetSavedToolBox({});
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return f->Debugger()->Session().SessionActive(); }));
  DebugDialogs* dialogs = f->Debugger()->Dialogs();
  ASSERT_TRUE(f->ExecuteCommand(35073));
  ToolBox* box = dialogs->Box();
  ASSERT_NE(box, nullptr);
  const char* words[2] = {"Step", "t"};
  EXPECT_EQ(s.App().IdeServiceCall(32, reinterpret_cast<intptr_t>(words)), 1);
  ASSERT_EQ(box->Buttons().Count(), 1);
  box->close();  // the title bar's close button
  ASSERT_TRUE(test::WaitFor([&] { return dialogs->Box() == nullptr; }));
  ASSERT_EQ(s.App().SavedToolBox().size(), 1u);
  EXPECT_EQ(s.App().SavedToolBox()[0].command, "t");
  ASSERT_TRUE(f->ExecuteCommand(35073));
  ASSERT_NE(dialogs->Box(), nullptr);
  ASSERT_EQ(dialogs->Box()->Buttons().Count(), 1);
  EXPECT_EQ(dialogs->Box()->Button(0)->text(), "Step");
  ASSERT_TRUE(f->ExecuteCommand(32802));
}

// The buttons the options file keeps come to the session's tool box marked
// as the project's: the first click shows the command and asks, and a
// button run once asks no more in the next session of this program.
TEST_F(DebugDialogsFrameTest, AStoredToolBoxButtonAsksBeforeItsFirstRunAcrossSessions) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  const std::string script = dir + "driver.script";
  std::ofstream(script) << "pc 100\n";
  TargetRec* target = s.App().Project()->curTarget;
  OptionBlock* o = target->pOpts;
  o->dbg.flags |= 1;
  o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
  target->toolbox = nullptr;
  AppendToolboxButton(target, OptString::Pooled("Kept", kPoolDebugLists), OptString::Pooled("t", kPoolDebugLists));
  s.App().SetSavedToolBox({});
  for (int session = 0; session < 2; ++session) {
    SCOPED_TRACE(session);
    ASSERT_TRUE(f->ExecuteCommand(32802));
    ASSERT_TRUE(test::WaitFor([&] { return f->Debugger()->Session().SessionActive(); }));
    // The box a session ended with open comes back open.
    if (!f->Debugger()->Dialogs()->Box()) {
      ASSERT_TRUE(f->ExecuteCommand(35073));
    }
    ToolBox* box = f->Debugger()->Dialogs()->Box();
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->Buttons().Count(), 1);
    EXPECT_EQ(box->Buttons().Buttons()[0].fromProject, session == 0);
    test::BoxAnswers answers({QMessageBox::Yes});
    box->Click(0);
    EXPECT_EQ(answers.texts.size(), session == 0 ? 1u : 0u);
    if (!answers.texts.empty()) {
      EXPECT_EQ(answers.texts[0], StoredButtonQuestion("Kept", "t\n"));
    }
    ASSERT_TRUE(f->ExecuteCommand(32802));
    ASSERT_TRUE(test::WaitFor([&] { return !f->Debugger()->Session().SessionActive(); }));
  }
}

// Presses Return in every message box that comes up while it lives, and
// notes their texts.
class ReturnInBoxes {
 public:
  ReturnInBoxes() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || box == m_last) return;
      m_last = box;
      texts.push_back(box->text().toStdString());
      QTest::keyClick(box, Qt::Key_Return);
    });
    m_timer.start(10);
  }
  std::vector<std::string> texts;

 private:
  QTimer m_timer;
  QMessageBox* m_last = nullptr;
};

// A project made hostile: its options file keeps a button that takes the
// label of the box's own ("Update Windows", in any spelling that reads the
// same) and one that runs a command. The first is left out and said on the
// command page as the session starts; the second asks before it runs, and
// Return there says No: the driver never gets its command.
TEST_F(DebugDialogsFrameTest, AStoredButtonTakesNoBuiltInLabelAndReturnDoesNotRunIt) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  const std::string script = dir + "driver.script";
  std::ofstream(script) << "pc 100\n";
  TargetRec* target = s.App().Project()->curTarget;
  OptionBlock* o = target->pOpts;
  o->dbg.flags |= 1;
  o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
  target->toolbox = nullptr;
  for (const char* label : {"Update Windows", " update  &WINDOWS ", "Kept"})
    AppendToolboxButton(target, OptString::Pooled(label, kPoolDebugLists),
                        OptString::Pooled("BK *", kPoolDebugLists));
  s.App().SetSavedToolBox({});
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return f->Debugger()->Session().SessionActive(); })) << log();
  if (!f->Debugger()->Dialogs()->Box()) {
    ASSERT_TRUE(f->ExecuteCommand(35073));
  }
  ToolBox* box = f->Debugger()->Dialogs()->Box();
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(box->Buttons().Count(), 1);
  EXPECT_EQ(box->Button(0)->text(), "Kept");
  const std::string page = f->Debugger()->CommandPage()->Text().toStdString();
  for (const char* label : {"Update Windows", " update  &WINDOWS "}) {
    std::string said = BuiltInLabelRefusal(label);
    said.pop_back();
    EXPECT_NE(page.find(said), std::string::npos) << page;
  }
  {
    ReturnInBoxes returns;
    box->Click(0);
    ASSERT_EQ(returns.texts.size(), 1u);
    EXPECT_EQ(returns.texts[0], StoredButtonQuestion("Kept", "BK *\n"));
  }
  EXPECT_EQ(std::string(log()).find("command BK"), std::string::npos) << log();
  EXPECT_TRUE(box->Buttons().Buttons()[0].fromProject) << "still asks next time";
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return !f->Debugger()->Session().SessionActive(); }));
  dlclose(driver);
}

// The inline assembler's command follows the driver: a driver that has no
// assembler greys it and says why (the status line's prompt).
TEST_F(DebugDialogsFrameTest, ADriverWithoutAnAssemblerGreysTheInlineAssemblerWithItsReason) {
  struct Row {
    const char* name;
    const char* script;
    bool enabled;
    const char* reason;
  } rows[] = {
      {"a driver with an assembler", "pc 100\n", true, ""},
      {"a driver without one", "pc 100\nnoasm the inline assembler needs 'arm-none-eabi-as'\n", false,
       "the inline assembler needs 'arm-none-eabi-as'"},
  };
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  const std::string script = dir + "driver.script";
  OptionBlock* o = s.App().Project()->curTarget->pOpts;
  o->dbg.flags |= 1;
  o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
  for (const Row& r : rows) {
    std::ofstream(script) << r.script;
    ASSERT_TRUE(f->ExecuteCommand(32802)) << r.name;
    ASSERT_TRUE(test::WaitFor([&] { return f->Debugger()->Session().SessionActive(); })) << r.name;
    const CommandState state = f->QueryCommand(35082);
    EXPECT_EQ(state.enabled, r.enabled) << r.name;
    EXPECT_EQ(state.greyedReason, r.reason) << r.name;
    ASSERT_TRUE(f->ExecuteCommand(32802)) << r.name;
    ASSERT_TRUE(test::WaitFor([&] { return !f->Debugger()->Session().SessionActive(); })) << r.name;
  }
}

}  // namespace
}  // namespace pm2

// ------------------------------------------------------------ window settings

namespace pm2 {
namespace {

class WindowSettingsFrameTest : public test::ExampleFrameTest {
 protected:
  // Starts a session on the test driver in the frame.
  bool StartSession(test::Session& s) {
    const std::string script = dir + "driver.script";
    std::ofstream(script) << "pc 100\n";
    OptionBlock* o = s.App().Project()->curTarget->pOpts;
    o->dbg.flags |= 1;
    o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
    o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
    return s.Frame()->ExecuteCommand(32802) &&
           test::WaitFor([&] { return s.Frame()->Debugger()->Session().SessionActive(); });
  }
  static QMdiSubWindow* SerialSheet(CMainFrame* f) { return f->findChild<QMdiSubWindow*>("SerialFrame1"); }
};

// The serial window takes its block's font and colours; the places of the
// serial window, the symbols dialog and the tool box are kept when they
// close and come back after the program is started again.
TEST_F(WindowSettingsFrameTest, SerialColoursAndPlacesSurviveARestart) {
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  SettingsStore settings(dir + "settings.ini");
  const QRect serialPlace(30, 40, 360, 220), symbolsPlace(150, 160, 420, 330);
  QPoint boxAt;
  {
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(StartSession(s));
    WindowFonts& w = f->WindowSettings();
    w.serial[0].background = Rgb(0, 0, 128);
    w.serial[0].text = Rgb(255, 255, 0);
    w.serial[0].font.height = -18;
    ASSERT_TRUE(f->ExecuteCommand(32735));
    SerialWindow* view = f->Debugger()->Dialogs()->Serial(0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->BackColour(), QColor(0, 0, 128));
    EXPECT_EQ(view->font().pixelSize(), 18);
    EXPECT_EQ(view->grab().toImage().pixelColor(view->width() / 2, 4), QColor(0, 0, 128));
    QMdiSubWindow* sheet = SerialSheet(f);
    ASSERT_NE(sheet, nullptr);
    sheet->setGeometry(serialPlace);
    ASSERT_TRUE(f->ExecuteCommand(35048));
    SymbolsDialog* symbols = f->Debugger()->Dialogs()->Symbols();
    ASSERT_NE(symbols, nullptr);
    symbols->setGeometry(symbolsPlace);
    symbols->close();
    EXPECT_TRUE(test::WaitFor([&] { return f->Debugger()->Dialogs()->Symbols() == nullptr; }));
    EXPECT_EQ(w.symbols.length, 44u);
    ASSERT_TRUE(f->ExecuteCommand(35073));
    ToolBox* box = f->Debugger()->Dialogs()->Box();
    ASSERT_NE(box, nullptr);
    box->move(box->pos() + QPoint(-37, 23));
    boxAt = box->geometry().topLeft();
    EXPECT_TRUE(f->close());  // the session ends, the windows go, the settings are written
  }
  ResetAppState();
  PoolFreeAll();
  SettingsStore again(dir + "settings.ini");
  ASSERT_TRUE(again.Load());
  test::Session s(again, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->WindowSettings().serial[0].background, Rgb(0, 0, 128));
  ASSERT_TRUE(StartSession(s));
  // The serial window and the tool box were open when the session ended:
  // they open with the next one (their commands would close them now).
  EXPECT_EQ(f->QueryCommand(32735).check, 1);
  ASSERT_NE(f->Debugger()->Dialogs()->Serial(0), nullptr);
  EXPECT_EQ(f->Debugger()->Dialogs()->Serial(0)->TextColour(), QColor(255, 255, 0));
  ASSERT_NE(SerialSheet(f), nullptr);
  EXPECT_EQ(SerialSheet(f)->geometry(), serialPlace);
  ASSERT_TRUE(f->ExecuteCommand(35048));
  ASSERT_NE(f->Debugger()->Dialogs()->Symbols(), nullptr);
  EXPECT_EQ(f->Debugger()->Dialogs()->Symbols()->geometry(), symbolsPlace);
  EXPECT_EQ(f->QueryCommand(35073).check, 1);
  ASSERT_NE(f->Debugger()->Dialogs()->Box(), nullptr);
  EXPECT_EQ(f->Debugger()->Dialogs()->Box()->geometry().topLeft(), boxAt);
  ASSERT_TRUE(f->ExecuteCommand(32802));
  dlclose(driver);
}

// The Breakpoints dialog in the frame while a session goes on under it:
// the title bar's close applies the boxes as Close does; breakpoints set
// by another (a peer, a typed command) show at once; the session's end
// closes it.
TEST_F(DebugDialogsFrameTest, BreakpointsDialogFollowsTheSessionUnderIt) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  const std::string script = dir + "driver.script";
  std::ofstream(script) << "pc 100\neval main 100\nbp 10 100 1 -\n";
  OptionBlock* o = s.App().Project()->curTarget->pOpts;
  o->dbg.flags |= 1;
  o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
  auto clear = reinterpret_cast<void (*)()>(dlsym(driver, "TestDriverClearLog"));
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return f->Debugger()->Session().SessionActive(); })) << log();
  DebugInterface* r = f->Debugger()->Session().Record();

  // Its box unchecked, then the title bar's close button.
  clear();
  int rowsSeen = 0, rowsAfterPeer = 0;
  bool boxOff = false;
  QTimer::singleShot(0, [&] {
    auto* dlg = dynamic_cast<BreakpointsDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    BpCheckList* list = dlg->List();
    rowsSeen = list->Count();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->BoxRect(0).center());
    boxOff = !list->At(0).checked;
    dlg->close();
  });
  ASSERT_TRUE(f->ExecuteCommand(35041));
  EXPECT_EQ(rowsSeen, 1);
  EXPECT_TRUE(boxOff);
  EXPECT_NE(std::string(log()).find("bplist 7"), std::string::npos) << log();
  auto* head = reinterpret_cast<DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->flags & kDbgBpEnabled, 0u);

  // A peer defines one while the dialog is open, then stops the session.
  bool closedByEnd = false;
  QTimer::singleShot(0, [&] {
    auto* dlg = dynamic_cast<BreakpointsDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    DbgBreakpointRequest q{};
    q.expression = "main";
    q.passCount = q.passCount2 = 2;
    r->DbgBreakpointDefine(0, 0, 0, &q);
    s.App().IdeServiceCall(14, 0);  // what the driver asks after a change
    rowsAfterPeer = dlg->List()->Count();
    f->ExecuteCommand(32802);
    closedByEnd = !f->Debugger()->Session().SessionActive() && !dlg->isVisible();
    if (dlg->isVisible()) dlg->done(QDialog::Rejected);  // a failure ends here, not in a hang
  });
  ASSERT_TRUE(f->ExecuteCommand(35041));
  EXPECT_EQ(rowsAfterPeer, 2);
  EXPECT_TRUE(closedByEnd);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  dlclose(driver);
}

// The memory bar was open when the last session ended: in the first
// session after the program starts again it shows its window (address bar
// and pages), not an empty frame.
TEST_F(WindowSettingsFrameTest, TheMemoryBarOfTheFirstSessionHasItsWindow) {
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  SettingsStore settings(dir + "settings.ini");
  {
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(StartSession(s));
    ASSERT_TRUE(f->ExecuteCommand(32758));
    ASSERT_TRUE(f->MemoryBar()->IsBarVisible());
    EXPECT_TRUE(f->close());  // the session ends, its layout is kept
  }
  ResetAppState();
  PoolFreeAll();
  SettingsStore again(dir + "settings.ini");
  ASSERT_TRUE(again.Load());
  test::Session s(again, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(StartSession(s));
  ASSERT_TRUE(f->MemoryBar()->IsBarVisible());
  MemoryWindow* memory = f->Debugger()->Windows().Memory();
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(f->MemoryBar()->Child(), memory);
  EXPECT_NE(memory->Page(0)->AddressEdit(), nullptr);
  EXPECT_EQ(f->QueryCommand(32758).check, 1);
  ASSERT_TRUE(f->ExecuteCommand(32802));
  dlclose(driver);
}

// The program's answer to a peer's StartDebugging while the user has a
// dialog open: the options sheet of a target, or any other modal dialog.
TEST_F(DebugDialogsFrameTest, APeersStartIsRefusedWhileADialogIsOpen) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  IpcDebugShellImpl shell(s.App(), [](const std::function<void()>& fn) { fn(); }, [] { return true; });
  EXPECT_EQ(shell.StartRefusal(), "");
  TargetRec* target = s.App().Project()->curTarget;
  s.App().m_pOptionsNode = target;
  EXPECT_EQ(shell.StartRefusal(),
            "Can't start debugging while the options dialog of target '" + target->name.str() + "' is open");
  s.App().m_pOptionsNode = nullptr;
  std::string underDialog;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    underDialog = shell.StartRefusal();
    if (dialog) dialog->close();
  });
  QDialog about(f);
  about.setWindowTitle("Components, Environment and Books");
  about.exec();
  EXPECT_EQ(underDialog, "Can't start debugging while the dialog 'Components, Environment and Books' is open");
}

}  // namespace
}  // namespace pm2
