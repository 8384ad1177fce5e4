// Mouse selection, the row layout that painting uses, and seeded random
// command sequences checked against undo and redo.
#include <fstream>
#include <random>

#include "editor/engine/drag_scroll.h"
#include "editor/engine/line_layout.h"
#include "editor/text/editor_keys.h"
#include "fake_edit_host.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

TEST_F(EngineFixture, ClickAndReleaseLeavesNoSelection) {
  Load("abcdef\nghijkl");
  m_engine.OnLButtonDown(X(3), Y(1), false, false);
  m_engine.OnLButtonUp(X(3), Y(1));
  EXPECT_FALSE(m_engine.HasSelection());
  EXPECT_EQ(2, CaretLine());
  EXPECT_EQ(3, CaretCol());
}

TEST_F(EngineFixture, DragSelectsStream) {
  Load("abcdef\nghijkl");
  m_engine.OnLButtonDown(X(4), Y(0), false, false);
  m_engine.OnMouseMove(X(2), Y(1));
  m_engine.OnLButtonUp(X(2), Y(1));
  EXPECT_EQ("ef\r\ngh", Selected());
}

TEST_F(EngineFixture, AltDragSelectsColumnBlockThatKeysExtend) {
  Load("abcdef\nghijkl\nmnopqr");
  m_engine.OnLButtonDown(X(1), Y(0), false, true);
  m_engine.OnMouseMove(X(3), Y(1));
  m_engine.OnLButtonUp(X(3), Y(1));
  bool column = false;
  EXPECT_EQ("bc\r\nhi", m_engine.GetSelectedText(&column));
  EXPECT_TRUE(column);
  m_engine.RunCommand(kCmdSelDown);
  EXPECT_EQ("bc\r\nhi\r\nno", Selected());
}

TEST_F(EngineFixture, ShiftClickExtendsWithoutCapture) {
  Load("abcdef");
  Caret(1, 1);
  m_engine.OnLButtonDown(X(4), Y(0), true, false);
  EXPECT_EQ("bcd", Selected());
  EXPECT_TRUE(m_engine.State().bCapture);  // the first press starts a drag
  m_engine.OnLButtonUp(X(4), Y(0));
  m_engine.OnLButtonDown(X(5), Y(0), true, false);
  EXPECT_EQ("bcde", Selected());
  EXPECT_FALSE(m_engine.State().bCapture);
}

TEST_F(EngineFixture, MarginClickSelectsLineWithLineEnd) {
  Load("abc\ndef\nghi");
  m_engine.OnLButtonDown(2, Y(1), false, false);
  m_engine.OnLButtonUp(2, Y(1));
  EXPECT_EQ("def\r\n", Selected());
  m_engine.OnLButtonDown(X(1), Y(2), false, false);
  m_engine.OnLButtonUp(X(1), Y(2));
  m_engine.OnLButtonDown(2, Y(2), false, false);
  m_engine.OnLButtonUp(2, Y(2));
  EXPECT_EQ("ghi", Selected());  // the last line up to its end
}

struct WordRow {
  const char* name;
  const char* text;
  int col;
  const char* selected;
};
class DoubleClick : public EngineFixture, public ::testing::WithParamInterface<WordRow> {};
TEST_P(DoubleClick, SelectsWord) {
  Load(GetParam().text);
  m_engine.OnLButtonDown(X(GetParam().col), Y(0), false, false);
  m_engine.OnLButtonUp(X(GetParam().col), Y(0));
  m_engine.OnLButtonDblClk(X(GetParam().col), Y(0));
  EXPECT_EQ(GetParam().selected, Selected());
}
const WordRow kWordRows[] = {
    {"IdentifierUpToFullStop", "x = my_var.field;", 6, "my_var"},
    {"AfterFullStop", "x = my_var.field;", 12, "field"},
    {"BlankSelectsNothing", "a  b", 1, ""},
    {"PunctuationSelectsNothing", "a;b", 1, ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, DoubleClick, ::testing::ValuesIn(kWordRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, DragBelowWindowScrollsOneLinePerTickAfterSkippedTick) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "line\n";
  Load(text);
  m_engine.OnLButtonDown(X(1), Y(9), false, false);
  int below = 10 * kCellH + 5;
  m_engine.OnTimerTick(X(1), below);  // skipped
  EXPECT_EQ(1, m_engine.State().nTopLine);
  m_engine.OnMouseMove(X(1), below);
  int caret = CaretLine();
  m_engine.OnTimerTick(X(1), below);
  m_engine.OnTimerTick(X(1), below);
  EXPECT_EQ(caret + 2, CaretLine());
  EXPECT_EQ(CaretLine() - 9, m_engine.State().nTopLine);
  m_engine.OnLButtonUp(X(1), below);
  EXPECT_TRUE(m_engine.HasSelection());
}

TEST_F(EngineFixture, PressInSelectionOffersDragAndClickClears) {
  Load("one two three");
  m_engine.SetSelection({m_text.GetLine(1), 4}, {m_text.GetLine(1), 7}, false);
  EXPECT_TRUE(m_engine.OnLButtonDown(X(5), Y(0), false, false));
  m_engine.DragFinished(false, X(5), Y(0));
  EXPECT_FALSE(m_engine.HasSelection());
  EXPECT_EQ(5, CaretCol());
}

// ---- row layout ----

class Layout : public EngineFixture {
 protected:
  void SetUp() override {
    std::ofstream(m_dir / "c.ini") << "[Keywords]\r\nint=1\r\nwhile=1\r\n[Colors]\r\n1=0,0,255\r\n";
    InitEditorProfiles(m_store);
    m_store.WriteProfileString("Editor\\C Files", "Keywords", (m_dir / "c.ini").c_str());
  }
  void Colour(const std::string& text) {
    m_coloured = std::make_unique<CEditTextBuffer>(EditEnvironment{&m_store, &m_ini, nullptr, nullptr, {}});
    m_coloured->SetProfileSection("Editor\\C Files");
    m_coloured->LoadSettings();
    ASSERT_EQ(0, m_coloured->LoadFromBytes(text));
    m_view = std::make_unique<EditEngine>(m_coloured.get(), &m_shared, &m_host);
    m_view->SetMetrics(kCellW, kCellH);
    m_view->SetClientSize(400, 160);
  }
  // One letter per cell: k keyword, s string, c comment, . plain.
  std::string Cells(int line) {
    RowLayout r = LayoutRow(*m_view, m_coloured->GetLine(line));
    std::string out;
    for (uint8_t a : r.cells)
      out += (a & kCellComment) ? 'c' : (a & kCellString) ? 's' : (a & kCellKeyword) ? 'k' : '.';
    return out;
  }

  TempDir m_dir;
  SettingsStore m_store{m_dir / "settings"};
  IniFiles m_ini;
  std::unique_ptr<CEditTextBuffer> m_coloured;
  std::unique_ptr<EditEngine> m_view;
};

TEST_F(Layout, CommentOverStringOverKeyword) {
  Colour("int a; // int\r\n\"int\" x;\r\n/* open\r\nint\r\n*/ int\r\n");
  EXPECT_EQ("kkk....cccccc", Cells(1));
  EXPECT_EQ(".sss....", Cells(2));
  EXPECT_EQ("ccc", Cells(4));
  EXPECT_EQ("cc.kkk", Cells(5));
}

TEST_F(Layout, CommentStateFollowsEdits) {
  Colour("a\r\nb\r\nint\r\n");
  EXPECT_EQ("kkk", Cells(3));
  m_view->SetCaret(m_coloured->GetLine(1), 0);
  m_view->OnChar('/');
  m_view->OnChar('*');
  EXPECT_EQ("ccc", Cells(3));
  m_view->RunCommand(kCmdEditUndo);
  EXPECT_EQ("kkk", Cells(3));
}

TEST_F(Layout, ShowTabsMarksTabCell) {
  Colour("a\tb\r\n");
  m_coloured->m_bShowTabs = 1;
  RowLayout r = LayoutRow(*m_view, m_coloured->GetLine(1));
  ASSERT_EQ(5u, r.text.size());  // tab size 4 in the C section
  EXPECT_EQ(char(0xBB), r.text[1]);
  EXPECT_EQ(' ', r.text[2]);
}

TEST_F(EngineFixture, EmptyLineInStreamSelectionHasNoSpanButColumnBlockHas) {
  Load("abc\n\nxyz");
  m_engine.SetSelection({m_text.GetLine(1), 1}, {m_text.GetLine(3), 2}, false);
  RowLayout r = LayoutRow(m_engine, m_text.GetLine(2));
  EXPECT_EQ(0, r.selWidth);
  m_engine.SetSelection({m_text.GetLine(1), 1}, {m_text.GetLine(3), 2}, true);
  r = LayoutRow(m_engine, m_text.GetLine(2));
  EXPECT_EQ(1, r.selStart);
  EXPECT_EQ(1, r.selWidth);
}

TEST_F(EngineFixture, OnlyTheWindowWithTheFocusLastShowsTheSelection) {
  Load("abc");
  m_engine.SetSelection({m_text.GetLine(1), 0}, {m_text.GetLine(1), 2}, false);
  m_shared.pLastFocus = &m_shared;  // another window
  EXPECT_EQ(0, LayoutRow(m_engine, m_text.GetLine(1)).selWidth);
  m_engine.OnSetFocus();
  EXPECT_EQ(2, LayoutRow(m_engine, m_text.GetLine(1)).selWidth);
}

// ---- seeded random commands against undo and redo ----

class RandomCommands : public EngineFixture, public ::testing::WithParamInterface<unsigned> {};

TEST_P(RandomCommands, UndoAllRestoresAndRedoAllReplays) {
  std::mt19937 rng(GetParam());
  std::string start;
  for (int i = 0; i < 40; ++i) {
    int n = int(rng() % 30);
    for (int k = 0; k < n; ++k) start += "abc \t{}xyz_."[rng() % 12];
    start += '\n';
  }
  Load(start, 4, GetParam() % 2 == 0);
  const int moves[] = {kCmdDown, kCmdUp, kCmdLeft, kCmdRight, kCmdHome, kCmdEnd, kCmdWordLeft,
                       kCmdWordRight, kCmdPageDown, kCmdPageUp, kCmdSelDown, kCmdSelRight,
                       kCmdSelWordRight, kCmdSelUp, kCmdSelLineEnd, kCmdSelLeft};
  const int edits[] = {kCmdBackspace, kCmdTab, kCmdBackTab, kCmdEditClear, kCmdEditCut,
                       kCmdEditCopy, kCmdEditPaste, kCmdOverwrite};
  for (int step = 0; step < 400; ++step) {
    int what = int(rng() % 10);
    if (what < 3) {
      m_engine.RunCommand(moves[rng() % std::size(moves)]);
    } else if (what < 6) {
      m_engine.OnChar(rng() % 6 == 0 ? 13 : int("abc ({\"'*/x"[rng() % 11]));
    } else if (what < 9) {
      m_engine.RunCommand(edits[rng() % std::size(edits)]);
    } else if (m_engine.HasSelection() && rng() % 2) {
      m_engine.DropText(X(int(rng() % 20)), Y(int(rng() % 10)), Selected(), true, &m_engine);
    } else {
      m_engine.OnLButtonDown(X(int(rng() % 30)), Y(int(rng() % 10)), false, rng() % 4 == 0);
      m_engine.OnMouseMove(X(int(rng() % 30)), Y(int(rng() % 10)));
      m_engine.OnLButtonUp(X(int(rng() % 30)), Y(int(rng() % 10)));
    }
    // The window's line pointers and numbers stay in step with the text.
    ASSERT_EQ(m_engine.State().nCaretLine, m_text.LineNumber(m_engine.State().pCaretLine)) << "step " << step;
    ASSERT_EQ(m_engine.State().nTopLine, m_text.LineNumber(m_engine.State().pTopLine)) << "step " << step;
  }
  std::string final = m_text.GetText();
  int guard = 0;
  while (m_engine.IsCommandEnabled(kCmdEditUndo) && guard++ < 5000) m_engine.RunCommand(kCmdEditUndo);
  std::string crlf;
  for (char c : start) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(crlf, m_text.GetText());
  guard = 0;
  while (m_engine.IsCommandEnabled(kCmdEditRedo) && guard++ < 5000) m_engine.RunCommand(kCmdEditRedo);
  EXPECT_EQ(final, m_text.GetText());
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomCommands, ::testing::Range(1u, 41u));

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(DragScroll, CodesOfPointsNearTheEdges) {
  struct Row {
    const char* name;
    int x, y;
    uint16_t code;
  };
  // A 200 x 100 client area with an inset of 10.
  const Row rows[] = {
      {"middle", 100, 50, kNoDragScroll}, {"left", 3, 50, 0xFF00},
      {"right", 195, 50, 0xFF01},         {"top", 100, 0, 0x00FF},
      {"bottom", 100, 95, 0x01FF},        {"bottom right", 199, 99, 0x0101},
      {"outside", 100, 100, kNoDragScroll}, {"left of the area", -1, 50, kNoDragScroll},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.code, DragScrollCode(r.x, r.y, 200, 100, 10));
  }
  EXPECT_EQ(-1, DragScrollHorizontal(0x01FF));
  EXPECT_EQ(1, DragScrollVertical(0x01FF));
  EXPECT_EQ(0, DragScrollHorizontal(0xFF00));
}

TEST(DragScroll, TheFirstStepWaitsThenStepsFollowAtTheInterval) {
  DragScrollClock clock(50, 20);
  struct Row {
    uint16_t code;
    int64_t now;
    bool step;
  };
  const Row rows[] = {
      {0x01FF, 0, false},   // entering the zone starts the delay
      {0x01FF, 40, false},  {0x01FF, 51, true},  // after the delay
      {0x01FF, 60, false},  {0x01FF, 72, true},  // then at the interval
      {0xFF00, 73, false},  // another direction waits again
      {0xFF00, 110, false}, {0xFF00, 124, true},
      {kNoDragScroll, 200, false}, {0xFF00, 300, false},  // leaving stops it
  };
  for (const Row& r : rows) EXPECT_EQ(r.step, clock.Tick(r.code, r.now)) << r.now;
}

}  // namespace
}  // namespace pm2
