// Clipboard, drops, find, bookmarks, go to a line and scrolling.
#include "fake_edit_host.h"

namespace pm2 {
namespace {

struct PasteRow {
  const char* name;
  const char* text;
  int line, col;
  int selToLine, selToCol;  // 0: no selection
  const char* clip;         // with CR LF as the clipboard holds it
  const char* want;         // LF
  int wantLine, wantCol;
};

class Paste : public EngineFixture, public ::testing::WithParamInterface<PasteRow> {};

TEST_P(Paste, InsertsAndOneUndoRestores) {
  const PasteRow& r = GetParam();
  Load(r.text);
  Caret(r.line, r.col);
  if (r.selToLine)
    m_engine.SetSelection(m_engine.CaretPos(), {m_text.GetLine(r.selToLine), r.selToCol}, false);
  m_host.clipboard.text = r.clip;
  std::string before = Text();
  m_engine.RunCommand(kCmdEditPaste);
  EXPECT_EQ(r.want, Text());
  EXPECT_EQ(r.wantLine, CaretLine());
  EXPECT_EQ(r.wantCol, CaretCol());
  m_engine.RunCommand(kCmdEditUndo);
  EXPECT_EQ(before, Text());
}

const PasteRow kPasteRows[] = {
    {"WordIntoLine", "ad", 1, 1, 0, 0, "bc", "abcd", 1, 3},
    {"LinesIntoLine", "az", 1, 1, 0, 0, "b\r\nc\r\nd", "ab\nc\ndz", 3, 1},
    {"LinesEndingWithLineEnd", "az", 1, 1, 0, 0, "b\r\n", "ab\nz", 2, 0},
    {"OverSelection", "hello world", 1, 0, 1, 5, "bye", "bye world", 1, 3},
    {"LfLinesIntoCrLfText", "az", 1, 1, 0, 0, "b\nc", "ab\ncz", 2, 1},
    {"ColumnBlockAtCaretColumn", "ab\ncd\nef", 1, 1, 0, 0, "*SECEdit Column Block*\r\nXY\r\nZW",
     "aXYb\ncZWd\nef", 1, 1},
    {"ColumnBlockPastEndAddsLines", "ab", 1, 1, 0, 0, "*SECEdit Column Block*\r\n1\r\n2\r\n3",
     "a1b\n 2\n 3", 1, 1},
};
INSTANTIATE_TEST_SUITE_P(Rows, Paste, ::testing::ValuesIn(kPasteRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, PasteWithoutClipboardReports) {
  Load("abc");
  m_host.clipboard.available = false;
  m_engine.Paste();
  ASSERT_EQ(1u, m_host.messageIds.size());
  EXPECT_EQ(kEditClipboardEmpty, m_host.messageIds[0]);
  EXPECT_FALSE(m_engine.IsCommandEnabled(kCmdEditPaste));
}

TEST_F(EngineFixture, PasteDisabledOnReadOnlyText) {
  Load("abc");
  m_host.clipboard.text = "x";
  m_text.SetReadOnly(1);
  EXPECT_FALSE(m_engine.IsCommandEnabled(kCmdEditPaste));
}

TEST_F(EngineFixture, CopyWithoutSelectionLeavesClipboard) {
  Load("abc");
  m_host.clipboard.text = "keep";
  m_engine.RunCommand(kCmdEditCopy);
  m_engine.Copy();
  EXPECT_EQ("keep", *m_host.clipboard.text);
}

TEST_F(EngineFixture, CutCopiesDeletesAndUndoRestores) {
  Load("one\ntwo\nthree");
  Caret(1, 1);
  m_engine.SetSelection(m_engine.CaretPos(), {m_text.GetLine(3), 2}, false);
  m_engine.RunCommand(kCmdEditCut);
  EXPECT_EQ("ne\r\ntwo\r\nth", *m_host.clipboard.text);
  EXPECT_EQ("oree", Text());
  EXPECT_EQ(1, CaretLine());
  EXPECT_EQ(1, CaretCol());
  m_engine.RunCommand(kCmdEditUndo);
  EXPECT_EQ("one\ntwo\nthree", Text());
}

TEST_F(EngineFixture, CopyColumnBlockCarriesMarkerAndPastesBack) {
  Load("abcd\nef\nghij");
  m_engine.SetSelection({m_text.GetLine(1), 1}, {m_text.GetLine(3), 3}, true);
  m_engine.RunCommand(kCmdEditCopy);
  EXPECT_EQ("*SECEdit Column Block*\r\nbc\r\nf \r\nhi", *m_host.clipboard.text);
  m_engine.RunCommand(kCmdEditCut);
  EXPECT_EQ("ad\ne\ngj", Text());
  m_engine.RunCommand(kCmdEditPaste);
  EXPECT_EQ("abcd\nef \nghij", Text());
}

struct DropRow {
  const char* name;
  const char* text;
  int fromLine, fromCol, toLine, toCol;  // the dragged selection
  int dropLine, dropCol;
  bool move;
  bool fromOtherPane;  // dragged from a second window of the same text
  const char* want;
};

class Drop : public EngineFixture, public ::testing::WithParamInterface<DropRow> {};

TEST_P(Drop, MovesOrCopiesAndOneUndoRestores) {
  const DropRow& r = GetParam();
  Load(r.text);
  FakeEditHost paneHost;
  EditEngine pane(&m_text, &m_shared, &paneHost);
  pane.SetMetrics(kCellW, kCellH);
  pane.SetClientSize(400, 160);
  pane.InitView();
  EditEngine& source = r.fromOtherPane ? pane : m_engine;
  source.SetSelection({m_text.GetLine(r.fromLine), r.fromCol}, {m_text.GetLine(r.toLine), r.toCol}, false);
  std::string moved = source.GetSelectedText(nullptr);
  std::string before = Text();
  ASSERT_TRUE(m_engine.DropText(X(r.dropCol), Y(r.dropLine - 1), moved, r.move, &source));
  EXPECT_EQ(r.want, Text());
  m_engine.RunCommand(kCmdEditUndo);
  EXPECT_EQ(before, Text());
}

const DropRow kDropRows[] = {
    {"MoveWordLaterOnSameLine", "one two three", 1, 0, 1, 4, 1, 13, true, false, "two threeone "},
    {"MoveWordEarlierOnSameLine", "one two three", 1, 8, 1, 13, 1, 0, true, false, "threeone two "},
    {"MoveWordToNextLine", "one two\nxy", 1, 0, 1, 4, 2, 1, true, false, "two\nxone y"},
    {"CopyKeepsSource", "one two", 1, 0, 1, 3, 1, 7, false, false, "one twoone"},
    {"OtherPaneMoveWordEarlierOnSameLine", "one two three", 1, 8, 1, 13, 1, 0, true, true,
     "threeone two "},
    {"OtherPaneMoveWordLaterOnSameLine", "one two three", 1, 0, 1, 4, 1, 13, true, true,
     "two threeone "},
    {"OtherPaneMoveLinesDown", "a\nb\nc\nd", 1, 0, 3, 0, 4, 1, true, true, "c\nda\nb\n"},
    {"OtherPaneMoveTailUpAcrossLines", "ab\ncd\nef", 2, 1, 3, 1, 1, 0, true, true, "d\neab\ncf"},
    {"OtherPaneCopyKeepsSource", "one two", 1, 0, 1, 3, 1, 7, false, true, "one twoone"},
};
INSTANTIATE_TEST_SUITE_P(Rows, Drop, ::testing::ValuesIn(kDropRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, DropOntoSelectionIsRefused) {
  Load("one two three");
  m_engine.SetSelection({m_text.GetLine(1), 4}, {m_text.GetLine(1), 7}, false);
  EXPECT_FALSE(m_engine.DropText(X(5), Y(0), "two", true, &m_engine));
  EXPECT_EQ("one two three", Text());
}

TEST_F(EngineFixture, DroppedColumnBlockGoesInAsBlock) {
  Load("ab\ncd");
  ASSERT_TRUE(m_engine.DropText(X(1), Y(0), "*SECEdit Column Block*\r\nX\r\nY", false, nullptr));
  EXPECT_EQ("aXb\ncYd", Text());
}

// ---- find ----

class Finding : public EngineFixture {
 protected:
  void SetUp() override { Load("alpha beta\ngamma beta\nBETA delta\n"); }
};

TEST_F(Finding, FindNextSelectsAndWraps) {
  EXPECT_TRUE(m_engine.FindText("beta", true));
  EXPECT_EQ(1, CaretLine());
  EXPECT_EQ("beta", Selected());
  m_engine.RunCommand(kCmdFindNext);
  EXPECT_EQ(2, CaretLine());
  m_engine.RunCommand(kCmdFindNext);  // wraps to the first
  EXPECT_EQ(1, CaretLine());
  EXPECT_EQ(10, CaretCol());
}

TEST_F(Finding, WithoutMatchCaseFindsAnyCase) {
  Caret(2, 7);
  EXPECT_TRUE(m_engine.FindText("beta", false));
  EXPECT_EQ(3, CaretLine());
  EXPECT_EQ("BETA", Selected());
}

TEST_F(Finding, WithoutWrapReportsNotFoundWithText) {
  m_shared.find.wrap = false;
  Caret(3, 0);
  EXPECT_FALSE(m_engine.FindText("gamma", true));
  ASSERT_EQ(1u, m_host.messages.size());
  EXPECT_EQ("Cannot find the string 'gamma'.", m_host.messages[0]);
}

TEST_F(Finding, BackwardsStartsAtSelectionStart) {
  m_shared.find.forward = false;
  Caret(2, 10);
  EXPECT_TRUE(m_engine.FindText("beta", true));
  EXPECT_EQ(2, CaretLine());
  m_engine.RunCommand(kCmdFindNext);
  EXPECT_EQ(1, CaretLine());
}

TEST_F(Finding, RegularExpression) {
  m_shared.find.regex = true;
  EXPECT_TRUE(m_engine.FindText("g[a-z]*a", true));
  EXPECT_EQ("gamma", Selected());
}

// Not the Find dialog outright: an open Replace dialog is brought forward.
TEST_F(Finding, EmptySearchAsksForAnOpenDialogOrTheFindDialog) {
  EXPECT_FALSE(m_engine.IsCommandEnabled(kCmdFindNext));
  m_engine.FindNext();
  ASSERT_EQ(1u, m_host.dialogs.size());
  EXPECT_EQ(kCmdFindNext, m_host.dialogs[0]);
}

TEST_F(Finding, FindTextOfSelectionOrWord) {
  std::string s;
  Caret(2, 2);
  EXPECT_TRUE(m_engine.GetFindText(&s));
  EXPECT_EQ("gamma", s);
  m_engine.SetSelection({m_text.GetLine(1), 6}, {m_text.GetLine(2), 2}, false);
  EXPECT_TRUE(m_engine.GetFindText(&s));  // spans lines: the word at the caret
  EXPECT_EQ("gamma", s);
  Caret(1, 5);
  m_engine.ClearSelection();
  EXPECT_FALSE(m_engine.GetFindText(&s));  // a blank
}

// ---- bookmarks and jumps ----

TEST_F(EngineFixture, BookmarksToggleAndCycle) {
  Load("a\nb\nc\nd\ne");
  Caret(2, 0);
  m_engine.RunCommand(kCmdToggleBookmark);
  Caret(4, 0);
  m_engine.RunCommand(kCmdToggleBookmark);
  EXPECT_EQ(2, m_shared.nBookmarks);
  m_engine.RunCommand(kCmdNextBookmark);
  EXPECT_EQ(2, CaretLine());  // wrapped
  m_engine.RunCommand(kCmdNextBookmark);
  EXPECT_EQ(4, CaretLine());
  m_engine.RunCommand(kCmdPrevBookmark);
  EXPECT_EQ(2, CaretLine());
  m_engine.RunCommand(kCmdToggleBookmark);
  m_engine.RunCommand(kCmdToggleBookmark);
  EXPECT_EQ(2, m_shared.nBookmarks);
  m_engine.RunCommand(kCmdClearBookmarks);
  EXPECT_EQ(0, m_shared.nBookmarks);
  EXPECT_FALSE(m_engine.IsCommandEnabled(kCmdNextBookmark));
}

TEST_F(EngineFixture, SingleBookmarkOnCaretLineStays) {
  Load("a\nb\nc");
  Caret(2, 0);
  m_engine.RunCommand(kCmdToggleBookmark);
  m_engine.RunCommand(kCmdNextBookmark);
  EXPECT_EQ(2, CaretLine());
}

struct GotoRow {
  const char* name;
  int line;
  int wantCaret, wantTop;
};

class GotoLine : public EngineFixture, public ::testing::WithParamInterface<GotoRow> {};

TEST_P(GotoLine, PlacesCaretAndTop) {
  std::string text;
  for (int i = 1; i <= 50; ++i) text += "line " + std::to_string(i) + "\n";
  Load(text);
  m_engine.SetTopLine(20);
  m_engine.GotoLine(GetParam().line, 2);
  EXPECT_EQ(GetParam().wantCaret, CaretLine());
  EXPECT_EQ(GetParam().wantTop, m_engine.State().nTopLine);
  EXPECT_EQ(2, CaretCol());
  EXPECT_EQ(m_engine.State().nTopLine, m_text.LineNumber(m_engine.State().pTopLine));
}

const GotoRow kGotoRows[] = {
    {"AboveWindowBecomesTop", 5, 5, 5},
    {"InsideWindowKeepsTop", 25, 25, 20},
    {"BelowWindowOnBottomRow", 40, 40, 31},
    {"BeyondEndGoesToLastLine", 500, 50, 41},
    {"ZeroGoesToFirstLine", 0, 1, 1},
};
INSTANTIATE_TEST_SUITE_P(Rows, GotoLine, ::testing::ValuesIn(kGotoRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- scrolling ----

struct FactorRow {
  const char* name;
  int lines;
  int factor;
};
class ScrollFactor : public ::testing::TestWithParam<FactorRow> {};
TEST_P(ScrollFactor, Lines) { EXPECT_EQ(GetParam().factor, EditEngine::ScrollFactor(GetParam().lines)); }
const FactorRow kFactorRows[] = {
    {"One", 1, 1}, {"Max16Bit", 65535, 1}, {"JustOver", 65536, 2}, {"HundredThousand", 100000, 2},
    {"Upper2", 131070, 2}, {"Three", 131071, 3},
};
INSTANTIATE_TEST_SUITE_P(Rows, ScrollFactor, ::testing::ValuesIn(kFactorRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, ThumbOnLongTextShowsScaledLine) {
  std::string text;
  text.reserve(100000 * 3);
  for (int i = 0; i < 100000; ++i) text += "x\n";
  Load(text);
  ASSERT_EQ(100000, m_text.GetLineCount());
  EXPECT_EQ(49999, m_engine.VScrollMax());
  m_engine.OnVScroll(5, 1234);
  EXPECT_EQ(2 * 1234 + 1, m_engine.State().nTopLine);
  EXPECT_EQ(1234, m_engine.VScrollPos());
  m_engine.OnVScroll(5, 60000);  // past the end: the last line at the top
  EXPECT_EQ(100000, m_engine.State().nTopLine);
}

TEST_F(EngineFixture, LineScrollStopsAtEnds) {
  Load("a\nb");
  EXPECT_EQ(kEditStartOfText, m_engine.ScrollLineUp());
  EXPECT_EQ(0, m_engine.ScrollLineDown());
  EXPECT_EQ(kEditEndOfFile, m_engine.ScrollLineDown());
  EXPECT_EQ(2, m_engine.State().nTopLine);
  EXPECT_EQ(1, CaretLine());  // scrolling leaves the caret where it is
}

TEST_F(EngineFixture, PageUpNotifiesPageDownDoesNot) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "x\n";
  Load(text);
  m_engine.OnVScroll(3, 0);
  EXPECT_EQ(11, m_engine.State().nTopLine);
  EXPECT_TRUE(m_host.hints.empty());
  m_engine.OnVScroll(2, 0);
  EXPECT_EQ(1, m_engine.State().nTopLine);
  ASSERT_EQ(1u, m_host.hints.size());
  EXPECT_EQ(kHintCaretMoved, m_host.hints[0]);
}

TEST_F(EngineFixture, CaretAtRightEdgeScrollsInTabSteps) {
  Load(std::string(100, 'x'), 8);
  m_engine.SetClientSize(40 * kCellW, 10 * kCellH);
  Caret(1, 40);
  m_engine.UpdateCaret();
  EXPECT_EQ(8, m_engine.State().nLeftCol);
  Caret(1, 3);
  m_engine.UpdateCaret();
  EXPECT_EQ(0, m_engine.State().nLeftCol);
}

TEST_F(EngineFixture, CaretLeftOfMarginIsParked) {
  Load(std::string(100, 'x'));
  m_engine.OnHScroll(4, 20);
  Caret(1, 5);
  m_engine.PlaceCaret();
  EXPECT_EQ(-10, m_host.caretX);
  EXPECT_FALSE(m_host.caretVisible);
}

// A window scrolled down whose text, after lines were deleted here or in
// another window, fits into it shows the text from line 1 again.
struct FitRow {
  const char* name;
  bool inOtherWindow;
  int fromLine, toLine;  // deleted: from the start of one to the start of the other
};

class TextFits : public EngineFixture, public ::testing::WithParamInterface<FitRow> {};

TEST_P(TextFits, ScrollsBackToLineOne) {
  const FitRow& r = GetParam();
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "line " + std::to_string(i) + "\n";
  Load(text);
  FakeEditHost otherHost;
  EditEngine other(&m_text, &m_shared, &otherHost);
  other.SetMetrics(kCellW, kCellH);
  other.SetClientSize(400, 160);
  other.InitView();
  m_engine.GotoLine(30, 0);
  ASSERT_GT(m_engine.State().nTopLine, 1);
  EditEngine& deleting = r.inOtherWindow ? other : m_engine;
  deleting.SetSelection({m_text.GetLine(r.fromLine), 0}, {m_text.GetLine(r.toLine), 0}, false);
  deleting.RunCommand(kCmdEditClear);
  if (r.inOtherWindow)
    for (int hint : otherHost.hints) m_engine.OnOtherViewChanged(hint);
  ASSERT_LE(m_text.GetLineCount(), m_engine.Rows());
  EXPECT_EQ(1, m_engine.State().nTopLine);
  EXPECT_EQ(m_text.FirstLine(), m_engine.State().pTopLine);
}

const FitRow kFitRows[] = {
    {"InOtherWindowAboveTheCaret", true, 1, 25},
    {"InOtherWindowAcrossTheTop", true, 5, 29},
    {"HereAboveTheCaret", false, 2, 27},
};
INSTANTIATE_TEST_SUITE_P(Rows, TextFits, ::testing::ValuesIn(kFitRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, DeletingLinesRepairsTopLine) {
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "line " + std::to_string(i) + "\n";
  Load(text);
  m_engine.GotoLine(25, 0);
  m_engine.SetSelection({m_text.GetLine(3), 0}, {m_text.GetLine(29), 0}, false);
  m_engine.RunCommand(kCmdEditClear);
  EXPECT_EQ(4, m_text.GetLineCount());
  EXPECT_EQ(3, CaretLine());
  EXPECT_LE(m_engine.State().nTopLine, 3);
  EXPECT_EQ(m_engine.State().nTopLine, m_text.LineNumber(m_engine.State().pTopLine));
}

}  // namespace
}  // namespace pm2

// ---- replace, mark all and the find settings ----

#include "editor/engine/find_settings.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

struct ReplaceRow {
  const char* name;
  const char* text;
  const char* find;
  const char* with;
  bool regex;
  int count;
  const char* want;
  bool matchCase = true;
};

class ReplaceAll : public EngineFixture, public ::testing::WithParamInterface<ReplaceRow> {};

TEST_P(ReplaceAll, ReplacesEveryMatchAndOneUndoRestores) {
  const ReplaceRow& r = GetParam();
  Load(r.text);
  m_shared.find.text = r.find;
  m_shared.find.regex = r.regex;
  m_shared.find.matchCase = r.matchCase;
  m_shared.replacement = r.with;
  std::string before = Text();
  EXPECT_EQ(r.count, m_engine.ReplaceAll());
  EXPECT_EQ(r.want, Text());
  m_engine.RunCommand(kCmdEditUndo);
  EXPECT_EQ(before, Text());
}

const ReplaceRow kReplaceRows[] = {
    {"Plain", "a.b a.b\nxa.b", "a.b", "X", false, 3, "X X\nxX"},
    {"BySelfEnds", "aa aa", "aa", "aa", false, 2, "aa aa"},
    {"ByLongerContainingIt", "ab ab", "ab", "abab", false, 2, "abab abab"},
    {"RegexInsertsSubstitutedText", "set(1) set(22)", "set\\(([0-9]*)\\)", "get[\\1]", true, 2,
     "get[1] get[22]"},
    {"RegexWholeMatch", "foo bar", "[a-z]+", "<&>", true, 2, "<foo> <bar>"},
    {"RegexEmptyMatchEnds", "ab", "x*", "-", true, 3, "-a-b-"},
    {"Deleting", "a1b1c", "1", "", false, 2, "abc"},
    {"RegexGroupsKeepTheirCaseMatchCaseOn", "LED_Init();", "([A-Z]+)_Init", "\\1_Start", true, 1,
     "LED_Start();", true},
    {"RegexGroupsKeepTheirCaseMatchCaseOff", "LED_Init();", "([a-z]+)_init", "\\1_Start", true, 1,
     "LED_Start();", false},
    {"RegexWholeMatchKeepsCaseMatchCaseOff", "Foo fOO", "foo", "<&>", true, 2, "<Foo> <fOO>", false},
    {"PlainMatchCaseOffFindsEveryCase", "Ab aB ab", "ab", "x", false, 3, "x x x", false},
    {"PlainMatchCaseOnFindsOnlyThatCase", "Ab aB ab", "ab", "x", false, 1, "Ab aB x", true},
    {"ReplacementWithLineEndSplitsLines", "a,b\nc,d", ",", "\r\n", false, 2, "a\nb\nc\nd"},
    {"TabsCountAsTheirColumns", "\tx\tx", "x", "yy", false, 2, "\tyy\tyy"},
};
INSTANTIATE_TEST_SUITE_P(Rows, ReplaceAll, ::testing::ValuesIn(kReplaceRows),
                         [](const auto& info) { return std::string(info.param.name); });

// More matches than the undo log has steps: still one Undo and one Redo.
TEST_F(EngineFixture, ReplaceAllOfManyMatchesUndoesInOneStep) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "a b a\n";
  Load(text);
  std::string before = Text();
  m_shared.find.text = "a";
  m_shared.find.matchCase = false;
  m_shared.replacement = "A";
  EXPECT_EQ(6000, m_engine.ReplaceAll());
  std::string after = Text();
  EXPECT_EQ(std::string::npos, after.find('a'));
  m_engine.RunCommand(kCmdEditUndo);
  EXPECT_EQ(before, Text());
  EXPECT_FALSE(m_engine.IsCommandEnabled(kCmdEditUndo));
  m_engine.RunCommand(kCmdEditRedo);
  EXPECT_EQ(after, Text());
}

TEST_F(EngineFixture, ReplaceAllWithoutMatchReportsAndKeepsCaret) {
  Load("abc\ndef");
  Caret(2, 1);
  m_shared.find.text = "zzz";
  EXPECT_EQ(0, m_engine.ReplaceAll());
  ASSERT_EQ(1u, m_host.messageIds.size());
  EXPECT_EQ(kEditNotFound, m_host.messageIds[0]);
  EXPECT_EQ(2, CaretLine());
  EXPECT_EQ(1, CaretCol());
}

// An expression that does not compile is said to be invalid, with why and
// where (the unmatched '('), by Find Next, Replace All and Mark All alike;
// nothing is searched, changed or marked.
TEST_F(EngineFixture, AnInvalidExpressionIsToldNotSearched) {
  Load("a(b\nab");
  m_shared.find.text = "a(b";
  m_shared.find.regex = true;
  m_shared.replacement = "X";
  EXPECT_EQ(EditEngine::FindOutcome::kNotFound, m_engine.FindFromDialog());
  EXPECT_EQ(0, m_engine.ReplaceAll());
  EXPECT_EQ(-1, m_engine.MarkAll());
  EXPECT_EQ(0, m_shared.nBookmarks);
  for (int line = 1; line <= 2; ++line) EXPECT_FALSE(m_text.GetLine(line)->m_nFlags & kLineBookmark) << line;
  ASSERT_EQ(3u, m_host.messageIds.size());
  for (int id : m_host.messageIds) EXPECT_EQ(kEditBadExpression, id);
  EXPECT_EQ(m_host.messages.back(),
            "The regular expression 'a(b' is no valid regular expression: a '(' without its ')' (at column 2).");
  EXPECT_EQ("a(b\nab", Text());
}

constexpr EditEngine::FindOutcome kFound = EditEngine::FindOutcome::kFound;
constexpr EditEngine::FindOutcome kPassDone = EditEngine::FindOutcome::kPassDone;

TEST_F(EngineFixture, ReplaceNextFindsThenReplacesWhileSelectionHoldsMatch) {
  Load("one x two x three x");
  m_shared.find.text = "x";
  m_shared.replacement = "YY";
  EXPECT_EQ(kFound, m_engine.ReplaceNext());  // finds the first
  EXPECT_EQ("one x two x three x", Text());
  EXPECT_EQ(kFound, m_engine.ReplaceNext());  // replaces it, finds the second
  EXPECT_EQ("one YY two x three x", Text());
  Caret(1, 0);                          // the user moved away: no replace
  m_engine.ClearSelection();
  EXPECT_EQ(kFound, m_engine.ReplaceNext());
  EXPECT_EQ("one YY two x three x", Text());
  EXPECT_EQ("x", Selected());
  EXPECT_EQ(12, CaretCol());
}

// Replace pressed over and over until the pass ends, the search text
// changed in the dialog part-way: the new text gets a pass of its own that
// replaces each of its matches once, from where the caret stands.
struct NewPassRow {
  const char* name;
  int firstReplaces;  // Replace presses with the first text
  const char* want;
};

class ReplaceWithANewText : public EngineFixture, public ::testing::WithParamInterface<NewPassRow> {};

TEST_P(ReplaceWithANewText, StartsANewPass) {
  Load("a b a b a b");
  m_shared.find.text = "a";
  m_shared.find.wrap = true;
  m_shared.replacement = "A";
  for (int i = 0; i < GetParam().firstReplaces; ++i) ASSERT_EQ(kFound, m_engine.ReplaceNext());
  m_shared.find.text = "b";
  m_shared.replacement = "B";
  int presses = 0;
  while (m_engine.ReplaceNext() == kFound && presses < 20) ++presses;
  EXPECT_EQ(GetParam().want, Text());
  EXPECT_EQ((std::vector<std::string>{"The search for 'b' is finished."}), m_host.messages);
  EXPECT_EQ(kCmdCloseFindDialog, m_host.dialogs.back());
}

const NewPassRow kNewPassRows[] = {
    {"AfterAFind", 1, "a B a B a B"},
    {"AfterAReplace", 2, "A B a B a B"},
    {"AfterTwoReplaces", 3, "A B A B a B"},
};

INSTANTIATE_TEST_SUITE_P(Rows, ReplaceWithANewText, ::testing::ValuesIn(kNewPassRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Replace All ends the pass: the dialog is asked to close and no selection
// is left; without a match the dialog stays for another try.
TEST_F(EngineFixture, ReplaceAllClosesTheDialogWhenItReplaced) {
  Load("x y x");
  m_shared.find.text = "x";
  m_shared.replacement = "z";
  ASSERT_EQ(kFound, m_engine.FindFromDialog());
  EXPECT_EQ(2, m_engine.ReplaceAll());
  EXPECT_EQ("z y z", Text());
  EXPECT_EQ((std::vector<int>{kCmdCloseFindDialog}), m_host.dialogs);
  EXPECT_FALSE(m_engine.HasSelection());
  m_host.dialogs.clear();
  EXPECT_EQ(0, m_engine.ReplaceAll());
  EXPECT_TRUE(m_host.dialogs.empty());
}

TEST_F(EngineFixture, RegexReplaceNextInsertsSubstitutedText) {
  Load("v=12;");
  m_shared.find.text = "[0-9]+";
  m_shared.find.regex = true;
  m_shared.replacement = "(&)";
  m_engine.ReplaceNext();
  m_engine.ReplaceNext();
  EXPECT_EQ("v=(12);", Text());
}

// The Replace button takes what the Replace box holds when it is pressed,
// not what it held when the match was found.
struct FreshReplaceRow {
  const char* name;
  const char* find;
  bool regex;
  bool matchCase;
  const char* want;
};

class FreshReplacement : public EngineFixture, public ::testing::WithParamInterface<FreshReplaceRow> {};

TEST_P(FreshReplacement, ReplaceTakesTheBoxAsItIsNow) {
  const FreshReplaceRow& r = GetParam();
  Load("call LED_Init(); done");
  m_shared.find.text = r.find;
  m_shared.find.regex = r.regex;
  m_shared.find.matchCase = r.matchCase;
  m_shared.replacement = "stale";
  ASSERT_EQ(kFound, m_engine.FindFromDialog());
  m_shared.replacement = r.regex ? "<\\1>" : "fresh";
  m_engine.ReplaceNext();
  EXPECT_EQ(r.want, Text());
}

const FreshReplaceRow kFreshRows[] = {
    {"PlainMatchCaseOn", "LED_Init", false, true, "call fresh(); done"},
    {"PlainMatchCaseOff", "led_init", false, false, "call fresh(); done"},
    {"RegexMatchCaseOn", "([A-Z]+)_Init", true, true, "call <LED>(); done"},
    {"RegexMatchCaseOff", "([a-z]+)_init", true, false, "call <LED>(); done"},
};
INSTANTIATE_TEST_SUITE_P(Rows, FreshReplacement, ::testing::ValuesIn(kFreshRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct PassRow {
  const char* name;
  const char* text;
  bool matchCase;
  bool wrap;
  int caretCol;  // where the pass begins
  const char* want;
};

class ReplacePass : public EngineFixture, public ::testing::WithParamInterface<PassRow> {};

// Replacing match after match ends with "search finished" and the dialog
// is asked to close, whether the pass ends at the text's end or wraps
// round to where it began.
TEST_P(ReplacePass, EndsWithSearchFinished) {
  const PassRow& r = GetParam();
  Load(r.text);
  Caret(1, r.caretCol);
  m_shared.find.text = "x";
  m_shared.find.matchCase = r.matchCase;
  m_shared.find.wrap = r.wrap;
  m_shared.replacement = "yx";
  ASSERT_EQ(kFound, m_engine.FindFromDialog());
  EditEngine::FindOutcome outcome = kFound;
  int presses = 0;
  while (outcome == kFound && presses++ < 10) outcome = m_engine.ReplaceNext();
  EXPECT_EQ(kPassDone, outcome);
  EXPECT_EQ(r.want, Text());
  ASSERT_FALSE(m_host.messageIds.empty());
  EXPECT_EQ(kEditSearchDone, m_host.messageIds.back());
  ASSERT_FALSE(m_host.dialogs.empty());
  EXPECT_EQ(kCmdCloseFindDialog, m_host.dialogs.back());
}

const PassRow kPassRows[] = {
    {"NoWrapMatchCaseOn", "x a x b x", true, false, 0, "yx a yx b yx"},
    {"NoWrapMatchCaseOff", "X a x b X", false, false, 0, "yx a yx b yx"},
    {"WrapFromTheMiddleMatchCaseOn", "x a x b x", true, true, 3, "yx a yx b yx"},
    {"WrapFromTheMiddleMatchCaseOff", "X a x b X", false, true, 3, "yx a yx b yx"},
};
INSTANTIATE_TEST_SUITE_P(Rows, ReplacePass, ::testing::ValuesIn(kPassRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, MarkAllBookmarksMatchingLines) {
  Load("a key\nb\nkey key\nc");
  Caret(4, 0);
  m_shared.find.text = "key";
  EXPECT_EQ(2, m_engine.MarkAll());
  EXPECT_EQ(2, m_shared.nBookmarks);
  EXPECT_TRUE(m_text.GetLine(1)->m_nFlags & kLineBookmark);
  EXPECT_FALSE(m_text.GetLine(2)->m_nFlags & kLineBookmark);
  EXPECT_TRUE(m_text.GetLine(3)->m_nFlags & kLineBookmark);
  EXPECT_EQ(1, CaretLine());
}

struct HistoryRow {
  const char* name;
  std::vector<std::string> before;
  std::string text;
  bool allowEmpty;
  std::vector<std::string> after;
};
class History : public ::testing::TestWithParam<HistoryRow> {};
TEST_P(History, Push) {
  std::vector<std::string> list = GetParam().before;
  PushHistory(list, GetParam().text, GetParam().allowEmpty);
  EXPECT_EQ(GetParam().after, list);
}
const HistoryRow kHistoryRows[] = {
    {"NewFirst", {"a", "b"}, "c", false, {"c", "a", "b"}},
    {"FifthMovesUp", {"1", "2", "3", "4", "5", "6"}, "5", false, {"5", "1", "2", "3", "4", "6"}},
    {"TenKept", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, "x", false,
     {"x", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
    {"EmptyFindNotStored", {"a"}, "", false, {"a"}},
    {"EmptyReplacementStored", {"a"}, "", true, {"", "a"}},
};
INSTANTIATE_TEST_SUITE_P(Rows, History, ::testing::ValuesIn(kHistoryRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindSettings, SaveAndLoadRoundTrip) {
  TempDir dir;
  SettingsStore store(dir / "settings");
  EditFindOptions opt;
  FindHistory history;
  LoadFindSettings(store, &opt, &history);
  EXPECT_TRUE(opt.forward);
  EXPECT_TRUE(opt.wrap);
  EXPECT_FALSE(opt.regex);
  opt.regex = true;
  opt.wrap = false;
  PushHistory(history.find, "older", false);
  PushHistory(history.find, "newest", false);
  PushHistory(history.replace, "with", true);
  SaveFindSettings(store, opt, history);
  EditFindOptions back;
  FindHistory backHistory;
  LoadFindSettings(store, &back, &backHistory);
  EXPECT_TRUE(back.regex);
  EXPECT_FALSE(back.wrap);
  EXPECT_EQ("newest", back.text);
  EXPECT_EQ(history.find, backHistory.find);
  EXPECT_EQ(history.replace, backHistory.replace);
}

TEST(FindSettings, AnEmptyReplacementSurvivesInTheHistory) {
  TempDir dir;
  SettingsStore store(dir / "settings");
  EditFindOptions opt;
  FindHistory history;
  PushHistory(history.replace, "older", true);
  PushHistory(history.replace, "", true);
  SaveFindSettings(store, opt, history);
  EXPECT_EQ(kEmptyReplaceMark, store.GetProfileString(kFindSection, "Replace 1", ""));
  FindHistory back;
  LoadFindSettings(store, &opt, &back);
  EXPECT_EQ((std::vector<std::string>{"", "older"}), back.replace);
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {
TEST_F(EngineFixture, SecondWindowFindsItsLinesAfterDeletionInFirst) {
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "line " + std::to_string(i) + "\n";
  Load(text);
  FakeEditHost otherHost;
  EditEngine other(&m_text, &m_shared, &otherHost);
  other.SetMetrics(kCellW, kCellH);
  other.SetClientSize(400, 160);
  other.GotoLine(20, 2);
  other.SetSelection({m_text.GetLine(18), 0}, {m_text.GetLine(20), 1}, false);
  m_engine.SetSelection({m_text.GetLine(5), 0}, {m_text.GetLine(25), 0}, false);
  m_engine.RunCommand(kCmdEditClear);
  for (int hint : m_host.hints) other.OnOtherViewChanged(hint);
  EXPECT_FALSE(other.HasSelection());
  EXPECT_EQ(10, m_text.GetLineCount());
  EXPECT_EQ(10, other.State().nCaretLine);  // its old number is past the end: the last line
  EXPECT_EQ(m_text.GetLineCount(), m_text.LineNumber(other.State().pCaretLine));
  EXPECT_EQ(other.State().nTopLine, m_text.LineNumber(other.State().pTopLine));
}
}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {
TEST_F(EngineFixture, CaretUnderDialogWithMoreRoomBelowGoesBelowIt) {
  std::string text;
  for (int i = 1; i <= 40; ++i) text += "line\n";
  Load(text);
  Caret(3, 0);
  m_engine.SetDialogRect(kCellH, 4 * kCellH);  // rows 1..3 covered
  m_engine.UpdateCaret();
  EXPECT_EQ(1, m_engine.State().nTopLine);  // nothing above to scroll back to: stays
  Caret(20, 0);
  m_engine.UpdateCaret();  // the caret leaves the window: it becomes the top line
  EXPECT_EQ(20, m_engine.State().nTopLine);
  Caret(22, 0);
  m_engine.SetDialogRect(kCellH, 4 * kCellH);
  m_engine.UpdateCaret();
  EXPECT_EQ(22 - 4, m_engine.State().nTopLine);  // the caret row just below the dialog
}

TEST_F(EngineFixture, CaretUnderDialogWithMoreRoomAboveBecomesTopLine) {
  std::string text;
  for (int i = 1; i <= 40; ++i) text += "line\n";
  Load(text);
  m_engine.SetTopLine(10);
  Caret(17, 0);
  m_engine.SetDialogRect(6 * kCellH, 9 * kCellH);  // rows 6..8, more room above
  m_engine.UpdateCaret();
  EXPECT_EQ(17, m_engine.State().nTopLine);
}

TEST_F(EngineFixture, DragHoverScrollsWhereItCan) {
  std::string text;
  for (int i = 1; i <= 40; ++i) text += "line\n";
  Load(text);
  EXPECT_FALSE(m_engine.OnDragScroll(-1, 0, true));  // at the top
  EXPECT_TRUE(m_engine.OnDragScroll(-1, 1, true));
  EXPECT_EQ(2, m_engine.State().nTopLine);
  EXPECT_FALSE(m_engine.OnDragScroll(0, -1, false));  // not scrolled sideways
  EXPECT_TRUE(m_engine.OnDragScroll(1, -1, true));
  EXPECT_EQ(1, m_engine.State().nLeftCol);
}
}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {
// An edit in one window costs another window of the text its colouring
// state from the edited line on only, not from line 1.
struct OtherWindowRow {
  const char* name;
  int col;                // the caret on line 80
  std::vector<int> keys;  // typed there (13: Enter)
  int command;            // or a command run there (0: none)
};

class OtherWindowColouring : public EngineFixture, public ::testing::WithParamInterface<OtherWindowRow> {};

TEST_P(OtherWindowColouring, KeepsTheStatesAboveTheEdit) {
  std::string text;
  for (int i = 1; i <= 200; ++i) text += "line " + std::to_string(i) + "\n";
  Load(text);
  FakeEditHost otherHost;
  EditEngine other(&m_text, &m_shared, &otherHost);
  other.SetMetrics(kCellW, kCellH);
  other.SetClientSize(400, 160);
  other.InitView();
  other.CommentCarryAt(m_text.GetLine(150));
  ASSERT_GE(other.CommentStatesKnown(), 150);
  Caret(80, GetParam().col);
  for (int k : GetParam().keys) m_engine.OnChar(k);
  if (GetParam().command) m_engine.RunCommand(GetParam().command);
  for (int hint : m_host.hints) other.OnOtherViewChanged(hint);
  other.CommentCarryAt(m_text.GetLine(10));
  EXPECT_GE(other.CommentStatesKnown(), 79);
  EXPECT_LE(other.CommentStatesKnown(), 81);
}

const OtherWindowRow kOtherWindowRows[] = {
    {"Typing", 2, {'x', 'y'}, 0},
    {"Enter", 2, {13}, 0},
    {"JoinWithTheLineAbove", 0, {}, kCmdBackspace},
};
INSTANTIATE_TEST_SUITE_P(Rows, OtherWindowColouring, ::testing::ValuesIn(kOtherWindowRows),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace
}  // namespace pm2
