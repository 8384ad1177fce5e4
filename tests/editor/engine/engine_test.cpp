// Caret moves, keyboard selection, typing, new line, tabs and deletion.
#include "fake_edit_host.h"

namespace pm2 {
namespace {

struct MoveRow {
  const char* name;
  const char* text;
  int line, col;               // caret before
  std::vector<int> commands;
  int wantLine, wantCol;       // caret after
};

class CaretMoves : public EngineFixture, public ::testing::WithParamInterface<MoveRow> {};

TEST_P(CaretMoves, EndsAt) {
  const MoveRow& r = GetParam();
  Load(r.text);
  Caret(r.line, r.col);
  for (int id : r.commands) m_engine.RunCommand(id);
  EXPECT_EQ(r.wantLine, CaretLine());
  EXPECT_EQ(r.wantCol, CaretCol());
  EXPECT_EQ(r.wantLine, m_text.LineNumber(m_engine.State().pCaretLine));
}

const MoveRow kMoveRows[] = {
    {"DownOntoShorterLineGoesToItsEnd", "abcdefgh\nabc\n", 1, 6, {kCmdDown}, 2, 3},
    {"DownIntoTabGoesToTabStart", "abcdefgh\na\tb\n", 1, 2, {kCmdDown}, 2, 1},
    {"DownOnLastLineStays", "ab\ncd", 2, 1, {kCmdDown}, 2, 1},
    {"UpOnFirstLineStays", "ab\ncd", 1, 1, {kCmdUp}, 1, 1},
    {"RightAtLineEndGoesToNextLine", "ab\ncd", 1, 2, {kCmdRight}, 2, 0},
    {"RightAtEndOfLastLineStays", "ab\ncd", 2, 2, {kCmdRight}, 2, 2},
    {"RightOverTabGoesToNextStop", "a\tb", 1, 1, {kCmdRight}, 1, 4},
    {"LeftFromTabEndGoesToTabStart", "a\tb", 1, 4, {kCmdLeft}, 1, 1},
    {"LeftAtColumn0GoesToPreviousLineEnd", "abc\nd", 2, 0, {kCmdLeft}, 1, 3},
    {"LeftAtStartOfTextStays", "abc", 1, 0, {kCmdLeft}, 1, 0},
    {"HomeOnIndentedLineGoesToColumn0", "    x", 1, 5, {kCmdHome}, 1, 0},
    {"EndCountsTabsAsColumns", "\tab", 1, 0, {kCmdEnd}, 1, 6},
    {"WordRightSkipsWordAndBlanks", "foo bar.baz qux", 1, 0, {kCmdWordRight}, 1, 4},
    {"WordRightTakesFullStopInWord", "foo bar.baz qux", 1, 4, {kCmdWordRight}, 1, 12},
    {"WordRightAtLineEndGoesToNextLine", "foo\nbar", 1, 3, {kCmdWordRight}, 2, 0},
    {"WordRightAfterLastWordGoesToNextLine", "foo  \nbar", 1, 1, {kCmdWordRight}, 2, 0},
    {"WordLeftGoesToWordStart", "foo bar", 1, 6, {kCmdWordLeft}, 1, 4},
    {"WordLeftFromBlankGoesToPreviousWord", "foo  bar", 1, 5, {kCmdWordLeft}, 1, 0},
    {"WordLeftAtColumn0GoesToPreviousLinesLastWord", "foo bar\nx", 2, 0, {kCmdWordLeft}, 1, 4},
    {"TopGoesToStart", "a\nb\nc", 3, 1, {kCmdTop}, 1, 0},
    {"BottomGoesToEndOfLastLine", "a\nb\ncde", 1, 0, {kCmdBottom}, 3, 3},
    {"PageDownKeepsColumnOnShortLine",
     "0123456789\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12", 1, 7, {kCmdPageDown}, 11, 7},
    {"PageUpOnFirstPageMovesCaretToFirstLine", "a\nb\nc\nd", 4, 0, {kCmdPageUp}, 1, 0},
};
INSTANTIATE_TEST_SUITE_P(Rows, CaretMoves, ::testing::ValuesIn(kMoveRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, FreeColumnKeepsColumnBeyondShortLine) {
  Load("abcdefgh\nab\n");
  m_engine.SetFreeColumn(true);
  Caret(1, 7);
  Run({kCmdDown});
  EXPECT_EQ(7, CaretCol());
}

TEST_F(EngineFixture, PlainMoveEndsSelectionAndMovesFromCaret) {
  Load("abcdef\nghijkl");
  Caret(1, 1);
  Run({kCmdSelRight, kCmdSelRight, kCmdRight});
  EXPECT_FALSE(m_engine.HasSelection());
  EXPECT_EQ(4, CaretCol());
}

TEST_F(EngineFixture, DownPastBottomRowScrollsByOneLine) {
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "line " + std::to_string(i) + "\n";
  Load(text);
  Caret(10, 0);
  Run({kCmdDown});
  EXPECT_EQ(2, m_engine.State().nTopLine);
  EXPECT_EQ(11, CaretLine());
}

struct SelectRow {
  const char* name;
  const char* text;
  int line, col;
  std::vector<int> commands;
  const char* selected;  // LF for CR LF
};

class KeyboardSelection : public EngineFixture, public ::testing::WithParamInterface<SelectRow> {};

TEST_P(KeyboardSelection, Selects) {
  const SelectRow& r = GetParam();
  Load(r.text);
  Caret(r.line, r.col);
  for (int id : r.commands) m_engine.RunCommand(id);
  std::string want;
  for (const char* p = r.selected; *p; ++p) want += *p == '\n' ? std::string("\r\n") : std::string(1, *p);
  EXPECT_EQ(want, Selected());
  // The start never follows the end in text order.
  EditPos a, b;
  bool column = false;
  if (m_engine.GetSelection(&a, &b, &column)) {
    EXPECT_TRUE(m_text.IsPositionBefore(a, b));
  }
}

const SelectRow kSelectRows[] = {
    {"ShiftRightThrice", "abcdef", 1, 1, {kCmdSelRight, kCmdSelRight, kCmdSelRight}, "bcd"},
    {"ShiftLeftSelectsBackwards", "abcdef", 1, 4, {kCmdSelLeft, kCmdSelLeft}, "cd"},
    {"DownThenUpIsEmpty", "abc\ndef", 1, 1, {kCmdSelDown, kCmdSelUp}, ""},
    {"DownSelectsToSameColumn", "abc\ndef", 1, 1, {kCmdSelDown}, "bc\nd"},
    {"UpFromMiddleSelectsBackwards", "abc\ndef", 2, 2, {kCmdSelUp}, "c\nde"},
    {"ToLineEnd", "abc def", 1, 2, {kCmdSelLineEnd}, "c def"},
    {"ToLineStart", "abc def", 1, 5, {kCmdSelLineStart}, "abc d"},
    {"WordRight", "abc def", 1, 0, {kCmdSelWordRight}, "abc "},
    {"ToBottom", "ab\ncd\nef", 2, 1, {kCmdSelBottom}, "d\nef"},
    {"ToTop", "ab\ncd\nef", 2, 1, {kCmdSelTop}, "ab\nc"},
    {"SelectAll", "ab\ncd\nef", 2, 1, {kCmdSelectAll}, "ab\ncd\nef"},
    {"SelectAllOnEmptyText", "", 1, 0, {kCmdSelectAll}, ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, KeyboardSelection, ::testing::ValuesIn(kSelectRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct TypingRow {
  const char* name;
  const char* text;
  int tabSize;
  bool keepTabs;
  int line, col;
  const char* typed;        // characters; '\n' is Enter, '\b' Backspace, '\t' Tab, '\x7f' Delete
  const char* want;
  int wantLine, wantCol;
};

class Typing : public EngineFixture, public ::testing::WithParamInterface<TypingRow> {};

TEST_P(Typing, Edits) {
  const TypingRow& r = GetParam();
  Load(r.text, r.tabSize, r.keepTabs);
  Caret(r.line, r.col);
  for (const char* p = r.typed; *p; ++p) {
    switch (*p) {  // the test's own key letters
      case '\b': m_engine.RunCommand(kCmdBackspace); break;
      case '\t': m_engine.RunCommand(kCmdTab); break;
      case '\x7f': m_engine.RunCommand(kCmdEditClear); break;
      case '\x01': m_engine.RunCommand(kCmdBackTab); break;
      default: m_engine.OnChar(*p == '\n' ? 13 : uint8_t(*p)); break;
    }
  }
  EXPECT_EQ(r.want, Text());
  EXPECT_EQ(r.wantLine, CaretLine());
  EXPECT_EQ(r.wantCol, CaretCol());
  EXPECT_TRUE(m_host.messageIds.empty());
}

const TypingRow kTypingRows[] = {
    {"InsertsInMiddle", "ac", 4, true, 1, 1, "b", "abc", 1, 2},
    {"EnterSplitsLine", "abcd", 4, true, 1, 2, "\n", "ab\ncd", 2, 0},
    {"EnterAtIndentedEndLeavesCaretAtIndentWithoutBlanks", "    word", 4, true, 1, 8, "\n",
     "    word\n", 2, 4},
    {"TypingAfterIndentPadsWithTab", "    word", 4, true, 1, 8, "\nx", "    word\n\tx", 2, 5},
    {"EnterBeforeSecondWordIndentsWithTab", "    a b", 4, true, 1, 6, "\n", "    a \n\tb", 2, 4},
    {"EnterIndentsWithBlanksWithoutKeepTabs", "      a b", 4, false, 1, 8, "\n", "      a \n      b", 2, 6},
    {"TabInsertsTabCharacter", "ab", 4, true, 1, 1, "\t", "a\tb", 1, 4},
    {"TabWithBlanksAtColumn2", "abcd", 4, false, 1, 2, "\t", "ab  cd", 1, 4},
    {"BackspaceDeletesLeft", "abc", 4, true, 1, 2, "\b", "ac", 1, 1},
    {"BackspaceAtColumn0Joins", "ab\ncd", 4, true, 2, 0, "\b", "abcd", 1, 2},
    {"BackspaceAtStartOfTextDoesNothing", "ab", 4, true, 1, 0, "\b", "ab", 1, 0},
    {"BackspaceAfterTabDeletesTab", "a\tb", 4, true, 1, 4, "\b", "ab", 1, 1},
    {"DeleteAtLineEndJoins", "ab\ncd", 4, true, 1, 2, "\x7f", "abcd", 1, 2},
    {"DeleteAtEndOfTextDoesNothing", "ab", 4, true, 1, 2, "\x7f", "ab", 1, 2},
    {"BackTabGoesToPreviousStop", "abcdefgh", 4, true, 1, 6, "\x01", "abcdefgh", 1, 4},
    {"BackTabFromStopGoesWholeTab", "abcdefgh", 4, true, 1, 4, "\x01", "abcdefgh", 1, 0},
    {"ControlCharactersAreIgnored", "ab", 4, true, 1, 1, "\x02\x7e", "a~b", 1, 2},
};
INSTANTIATE_TEST_SUITE_P(Rows, Typing, ::testing::ValuesIn(kTypingRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, BackspaceInFreeSpaceOnlyMovesCaret) {
  Load("ab");
  m_engine.SetFreeColumn(true);
  Caret(1, 6);
  Run({kCmdBackspace});
  EXPECT_EQ("ab", Text());
  EXPECT_EQ(5, CaretCol());
}

TEST_F(EngineFixture, OverwriteReplacesAndUndoRestores) {
  Load("abcd");
  Caret(1, 1);
  Run({kCmdOverwrite});
  Type("XY");
  EXPECT_EQ("aXYd", Text());
  Run({kCmdEditUndo});
  EXPECT_EQ("abcd", Text());
}

TEST_F(EngineFixture, TypingReplacesSelection) {
  Load("hello world");
  Caret(1, 0);
  Run({kCmdSelWordRight});
  Type("x");
  EXPECT_EQ("xworld", Text());
}

TEST_F(EngineFixture, TypingALetterRepaintsOnlyTheCaretRow) {
  Load("abc\ndef");
  Caret(2, 1);
  Type("x");
  EXPECT_EQ(0, m_host.allRepaints);
  ASSERT_FALSE(m_host.rects.empty());
  EXPECT_EQ(kCellH, m_host.rects.front().y);
  EXPECT_EQ(kCellH, m_host.rects.front().h);
}

TEST_F(EngineFixture, TypingOnReadOnlyTextChangesNothing) {
  Load("abc");
  m_text.SetReadOnly(1);
  Caret(1, 1);
  Type("x\n");
  Run({kCmdBackspace, kCmdEditClear, kCmdTab});
  EXPECT_EQ("abc", Text());
  EXPECT_EQ(kEditReadOnly, m_engine.NewLine(true));
}

TEST_F(EngineFixture, TypingOnFullLineReportsLineTooLong) {
  Load(std::string(2046, 'a') + "\n");
  Caret(1, 10);
  Type("b");
  ASSERT_EQ(1u, m_host.messageIds.size());
  EXPECT_EQ(kEditLineTooLong, m_host.messageIds[0]);
  EXPECT_EQ(std::string(2046, 'a') + "\n", Text());
}

TEST_F(EngineFixture, EnterWithSelectionPutsItOnTheClipboard) {
  Load("abc def");
  Caret(1, 4);
  Run({kCmdSelLineEnd});
  Type("\n");
  EXPECT_EQ("abc \n", Text());
  EXPECT_EQ("def", m_host.clipboard.text.value_or(""));
}

struct ShiftRow {
  const char* name;
  const char* text;
  bool keepTabs;
  int fromLine, fromCol, toLine, toCol;
  int direction;
  const char* want;
};

class BlockShift : public EngineFixture, public ::testing::WithParamInterface<ShiftRow> {};

TEST_P(BlockShift, ShiftsLinesAndUndoesInOneStep) {
  const ShiftRow& r = GetParam();
  Load(r.text, 4, r.keepTabs);
  std::string before = Text();
  m_engine.SetSelection({m_text.GetLine(r.fromLine), r.fromCol}, {m_text.GetLine(r.toLine), r.toCol}, false);
  EXPECT_EQ(0, m_engine.ShiftBlock(r.direction, true));
  EXPECT_EQ(r.want, Text());
  EXPECT_TRUE(m_engine.HasSelection());
  Run({kCmdEditUndo});
  EXPECT_EQ(before, Text());
}

const ShiftRow kShiftRows[] = {
    {"SelectionEndingAtColumn0LeavesThatLine", "a\nb\nc", true, 1, 1, 3, 0, 0, "\ta\n\tb\nc"},
    {"SelectionInsideLastLineIndentsIt", "a\nb", true, 1, 0, 2, 1, 0, "\ta\n\tb"},
    {"BlanksOnEmptyLinesToo", "a\n\nb\n", false, 1, 0, 3, 1, 0, "    a\n    \n    b\n"},
    {"UnindentMixedBlanksAndTabs", "  \tx\n      y\nz\n", true, 1, 0, 3, 1, 1, "x\n  y\nz\n"},
};
INSTANTIATE_TEST_SUITE_P(Rows, BlockShift, ::testing::ValuesIn(kShiftRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, ShiftOfColumnBlockIsRefused) {
  Load("abc\ndef");
  m_engine.SetSelection({m_text.GetLine(1), 0}, {m_text.GetLine(2), 2}, true);
  EXPECT_EQ(kEditStreamOnly, m_engine.ShiftBlock(0, true));
  EXPECT_EQ("abc\ndef", Text());
}

TEST_F(EngineFixture, UndoToLoadedStateClearsModified) {
  Load("abc");
  Caret(1, 3);
  Type("de");
  EXPECT_TRUE(m_text.IsModified());
  Run({kCmdEditUndo});
  EXPECT_EQ("abc", Text());
  EXPECT_FALSE(m_text.IsModified());
  Run({kCmdEditRedo});
  EXPECT_EQ("abcde", Text());
  EXPECT_EQ(5, CaretCol());
}

TEST_F(EngineFixture, UndoDisabledAtStartEvenWithRedoSteps) {
  Load("abc");
  Caret(1, 0);
  Type("x");
  Run({kCmdEditUndo});
  EXPECT_FALSE(m_engine.IsCommandEnabled(kCmdEditUndo));
  EXPECT_TRUE(m_engine.IsCommandEnabled(kCmdEditRedo));
}

TEST_F(EngineFixture, KeysReachTheirCommands) {
  Load("abc def\nxyz");
  EXPECT_TRUE(m_engine.OnKey(kKeyEnd, kModNone));
  EXPECT_EQ(7, CaretCol());
  EXPECT_TRUE(m_engine.OnKey(kKeyLeft, kModCtrl | kModShift));
  EXPECT_EQ("def", Selected());
  EXPECT_TRUE(m_engine.OnKey(kKeyC, kModCtrl));
  EXPECT_EQ("def", m_host.clipboard.text.value_or(""));
  EXPECT_TRUE(m_engine.OnKey(kKeyHome, kModCtrl | kModShift));
  EXPECT_TRUE(m_engine.OnKey(kKeyY, kModCtrl));  // nothing to redo
  EXPECT_FALSE(m_engine.OnKey(kKeyA, kModAlt));
}

}  // namespace
}  // namespace pm2
