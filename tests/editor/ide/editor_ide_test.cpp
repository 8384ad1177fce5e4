// The IDE's editor windows on the offscreen platform: view commands and
// their undo, status panes, wheel, include files, panes kept in step, the
// find and replace dialog, printing to PDF, and the control in a dialog.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "toolkit/qt_test_app.h"
#include "editor/document/print_layout.h"
#include "editor/ide/editor_panes.h"
#include "editor/ide/editor_printer.h"
#include "editor/ide/editor_status.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/find_dialog.h"
#include "editor/ide/margin_view.h"
#include "editor/ide/page_setup_dialog.h"
#include "editor/text/editor_keys.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

using test::App;

class RecordingStatus : public EditorStatusPanes {
 public:
  void SetCaretPosition(const std::string& text) override { caret.push_back(text); }
  void SetReadOnly(const std::string& text) override { readOnly = text; }
  void SetOverwrite(const std::string& text) override { overwrite = text; }
  std::vector<std::string> caret;
  std::string readOnly;
  std::string overwrite = "unset";
};

std::string Lines(int n) {
  std::string t;
  for (int i = 1; i <= n; ++i) t += "line " + std::to_string(i) + "\r\n";
  return t;
}

class IdeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    InitEditorProfiles(m_store);
    m_ctx.appState = &m_state;
    m_ctx.status = &m_status;
    m_ctx.settings = &m_store;
    DocumentEnvironment env;
    env.text.pSettings = &m_store;
    env.appState = &m_state;
    m_doc = std::make_unique<EditorDocument>(env);
    m_path = m_dir / "main.c";
  }
  void TearDown() override {
    m_panes.reset();
    m_doc.reset();
  }
  EditorView& Open(const std::string& text, int width = 500, int height = 300) {
    std::ofstream(m_path, std::ios::binary) << text;
    m_panes = std::make_unique<EditorPanes>(m_doc.get(), &m_ctx);
    EXPECT_TRUE(m_doc->OnOpenDocument(m_path));
    m_panes->resize(width, height);
    m_panes->show();
    QApplication::processEvents();
    return *m_panes->View(0, 0);
  }
  std::string Text() { return m_doc->Text().GetText(); }

  TempDir m_dir;
  SettingsStore m_store{m_dir / "settings"};
  uint32_t m_state = 0;
  RecordingStatus m_status;
  EditorViewContext m_ctx;
  std::unique_ptr<EditorDocument> m_doc;
  std::unique_ptr<EditorPanes> m_panes;
  std::string m_path;
};

// The view closed while it has the keys and the mouse: its viewport goes
// after the view's own part and gets events on the way (focus, leave,
// hide), which the margin's filter must no longer see. (A fault here shows
// under the sanitizers' run: a call into the half-destroyed view.)
TEST_F(IdeTest, AViewClosedWithTheKeysAndTheMouseLeavesTheMarginOutOfItsLastEvents) {
  EditorView& v = Open(Lines(40));
  v.setFocus();
  QTest::mouseMove(v.viewport(), QPoint(4, 20));
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(v.viewport(), &enter);
  QApplication::processEvents();
  QPointer<QWidget> viewport = v.viewport();
  m_panes.reset();
  QApplication::processEvents();
  EXPECT_TRUE(viewport.isNull());
}

TEST_F(IdeTest, BlockIndentFromTheMainWindowIsUndone) {
  const std::string original = "a\r\nb\r\nc\r\n";
  EditorView& v = Open(original);
  v.Engine().SetSelection({m_doc->Text().GetLine(1), 0}, {m_doc->Text().GetLine(3), 0}, false);
  ASSERT_TRUE(v.RunViewCommand(kCmdIndentBlock));
  EXPECT_EQ("\ta\r\n\tb\r\nc\r\n", Text());
  v.Engine().ClearSelection();
  v.Engine().GotoLine(3, 1);
  v.Engine().OnChar('x');
  EXPECT_EQ("\ta\r\n\tb\r\ncx\r\n", Text());
  // Typing then the indent come back out in order, each whole.
  ASSERT_TRUE(v.RunViewCommand(kCmdEditUndo));
  EXPECT_EQ("\ta\r\n\tb\r\nc\r\n", Text());
  ASSERT_TRUE(v.RunViewCommand(kCmdEditUndo));
  EXPECT_EQ(original, Text());
  ASSERT_TRUE(v.RunViewCommand(kCmdEditRedo));
  EXPECT_EQ("\ta\r\n\tb\r\nc\r\n", Text());

  v.Engine().SetSelection({m_doc->Text().GetLine(1), 0}, {m_doc->Text().GetLine(2), 1}, false);
  ASSERT_TRUE(v.RunViewCommand(kCmdUnindentBlock));
  EXPECT_EQ(original, Text());
  ASSERT_TRUE(v.RunViewCommand(kCmdEditUndo));
  EXPECT_EQ("\ta\r\n\tb\r\nc\r\n", Text());
}

TEST_F(IdeTest, CutLineCopiesAndDeletesExceptOnTheLastLine) {
  EditorView& v = Open("one\r\ntwo\r\nthree");
  v.Engine().GotoLine(2, 1);
  v.RunViewCommand(kCmdCutLine);
  EXPECT_EQ("one\r\nthree", Text());
  EXPECT_EQ("two", QApplication::clipboard()->text().toStdString());
  EXPECT_EQ(0, v.Engine().State().nCaretCol);
  v.RunViewCommand(kCmdEditUndo);
  EXPECT_EQ("one\r\ntwo\r\nthree", Text());
  v.Engine().GotoLine(3, 2);
  v.RunViewCommand(kCmdCutLine);
  EXPECT_EQ("one\r\ntwo\r\nthree", Text());
  EXPECT_EQ("three", QApplication::clipboard()->text().toStdString());
}

TEST_F(IdeTest, FindWordAtTheCaretBothWaysWithWrap) {
  EditorView& v = Open("cnt = 0;\r\nx = p->cnt;\r\ncnt++;\r\n");
  v.Engine().GotoLine(1, 1);
  struct Step {
    int command;
    int line;
    int column;
  };
  // The selection of a hit is the next search's word.
  const Step steps[] = {{kCmdFindWordForward, 2, 7}, {kCmdFindWordForward, 3, 0},
                        {kCmdFindWordForward, 1, 0}, {kCmdFindWordBackward, 3, 0}};
  for (const Step& s : steps) {
    v.RunViewCommand(s.command);
    EditPos a, b;
    bool column;
    ASSERT_TRUE(v.Engine().GetSelection(&a, &b, &column));
    EXPECT_EQ(s.line, v.Text().LineNumber(a.pLine));
    EXPECT_EQ(s.column, a.nIndex);
    EXPECT_EQ(3, b.nIndex - a.nIndex);
  }
}

TEST_F(IdeTest, MatchingBracketSelectsUpToThePartner) {
  EditorView& v = Open("if (a[1] > (b)) {\r\n}\r\n");
  v.Engine().GotoLine(1, 3);
  v.RunViewCommand(kCmdMatchBracket);
  EXPECT_EQ(1, v.Engine().State().nCaretLine);
  EXPECT_EQ(14, v.Engine().State().nCaretCol);
  EXPECT_EQ("(a[1] > (b)", v.Engine().GetSelectedText(nullptr));
  // With a selection the command refuses.
  v.RunViewCommand(kCmdMatchBracket);
  EXPECT_EQ(14, v.Engine().State().nCaretCol);
  v.Engine().ClearSelection();
  v.Engine().GotoLine(1, 16);
  v.RunViewCommand(kCmdMatchBracket);
  EXPECT_EQ(2, v.Engine().State().nCaretLine);
}

TEST_F(IdeTest, StatusPanesFollowTheCaretAndTheReadOnlyFlag) {
  EditorView& v = Open(Lines(10));
  v.Engine().GotoLine(3, 4);
  ASSERT_FALSE(m_status.caret.empty());
  EXPECT_EQ("L:3 C:5", m_status.caret.back());
  EXPECT_EQ("R/W", m_status.readOnly);
  size_t calls = m_status.caret.size();
  v.UpdateStatus();
  EXPECT_EQ(calls, m_status.caret.size()) << "an unchanged position is not written again";
  m_doc->Text().SetReadOnly(1);
  v.UpdateStatus();
  EXPECT_EQ("R/O", m_status.readOnly);
}

TEST_F(IdeTest, WheelScrollsTwoLinesOrAPage) {
  EditorView& v = Open(Lines(200));
  int rows = v.Engine().Rows();
  struct Row {
    const char* name;
    Qt::KeyboardModifiers mods;
    int delta;
    int top;
  };
  const Row rows_[] = {
      {"one notch down", Qt::NoModifier, -120, 3},
      {"two notches down", Qt::NoModifier, -240, 7},
      {"one notch up", Qt::NoModifier, 120, 5},
      {"ctrl pages down", Qt::ControlModifier, -120, 5 + rows},
  };
  for (const Row& r : rows_) {
    SCOPED_TRACE(r.name);
    QPointF at(50, 50);
    QWheelEvent e(at, v.viewport()->mapToGlobal(at), QPoint(), QPoint(0, r.delta), Qt::NoButton, r.mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(v.viewport(), &e);
    EXPECT_EQ(r.top, v.Engine().State().nTopLine);
  }
}

TEST_F(IdeTest, ShownLinesStandAThirdOfTheRowsBelowTheTop) {
  EditorView& v = Open(Lines(300));
  int rows = v.Engine().Rows();
  ASSERT_GT(rows, 3);
  v.GotoLineCentered(150, 2);
  EXPECT_EQ(150 - rows / 3, v.Engine().State().nTopLine);
  EXPECT_EQ(150, v.Engine().State().nCaretLine);
  EXPECT_EQ(2, v.Engine().State().nCaretCol);
  m_doc->targetLine = 40;
  m_doc->searchText = "40";
  m_doc->UpdateAllViews(kHintShowLineAtWord);
  EXPECT_EQ(40 - rows / 3, v.Engine().State().nTopLine);
  EXPECT_EQ("40", v.Engine().GetSelectedText(nullptr));
  int top = 0, caret = 0, column = 0;
  v.GetViewPosition(&top, &caret, &column);
  EXPECT_EQ(40, caret);
}

TEST_F(IdeTest, IncludeFilesAndTheContextMenu) {
  ::mkdir((m_dir / "inc").c_str(), 0755);
  std::ofstream(m_dir / "inc/reg51.h") << "sfr P0;\r\n";
  m_ctx.includeContext = [this](IncludeContext* c) {
    c->toolsetRoot = m_dir.path() + "/";
    c->projectFolder = m_dir.path() + "/";
    c->toolset = 0;
    return true;
  };
  m_ctx.openStored = [](const std::string& stored, std::string* local) {
    std::string p = stored;
    for (char& ch : p)
      if (ch == '\\') ch = '/';
    size_t at = p.find("INC/");
    if (at != std::string::npos) p.replace(at, 3, "inc");
    struct stat st {};
    *local = p;
    return ::stat(p.c_str(), &st) == 0;
  };
  std::vector<std::string> opened;
  m_ctx.openDocument = [&](const std::string& p) { opened.push_back(p); };
  m_ctx.registerHeader = [] { return std::string("reg51.h"); };
  EditorView& v = Open("#include <reg51.h>\r\n#include \"gone.h\"\r\nint x;\r\n");

  auto labels = [&] {
    QMenu menu;
    v.BuildContextMenu(menu);
    std::vector<std::string> out;
    for (QAction* a : menu.actions())
      if (!a->isSeparator()) out.push_back(a->text().toStdString());
    return out;
  };
  auto has = [](const std::vector<std::string>& l, const std::string& s) {
    return std::find(l.begin(), l.end(), s) != l.end();
  };
  v.Engine().GotoLine(1, 3);
  std::vector<std::string> menu1 = labels();
  EXPECT_TRUE(has(menu1, "&Open document <reg51.h>"));
  EXPECT_FALSE(has(menu1, "Go To Line"));
  v.RunViewCommand(kCmdOpenIncludeFile);
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ(m_dir / "inc/reg51.h", opened[0]);

  v.Engine().GotoLine(2, 3);
  std::vector<std::string> menu2 = labels();
  EXPECT_FALSE(has(menu2, "&Open document \"gone.h\""));
  EXPECT_TRUE(has(menu2, "Go To Line"));
  EXPECT_TRUE(has(menu2, "Insert '#include <reg51.h>'"));

  v.Engine().GotoLine(3, 2);
  v.RunViewCommand(kCmdInsertInclude);
  EXPECT_EQ("#include <reg51.h>\r\n#include \"gone.h\"\r\n#include <reg51.h>\r\nint x;\r\n", Text());
  EXPECT_EQ(3, v.Engine().State().nCaretLine);
  EXPECT_EQ(18, v.Engine().State().nCaretCol);
  v.RunViewCommand(kCmdEditUndo);
  EXPECT_EQ("#include <reg51.h>\r\n#include \"gone.h\"\r\nint x;\r\n", Text());
}

// The context menu offers to include the target's register header only
// where the compiler would find it: in the project's folder, the
// toolset's INC folder, the device's folder below it or a folder of the
// target's own include paths (a relative one taken from the project
// folder). A header found nowhere is greyed with the reason, and the
// command inserts nothing.
struct RegisterHeaderRow {
  const char* name;
  const char* placedIn;  // below the test folder; "" for nowhere
  bool offered;
};

class RegisterHeader : public IdeTest, public ::testing::WithParamInterface<RegisterHeaderRow> {};

TEST_P(RegisterHeader, IsOfferedOnlyWhenItResolves) {
  const RegisterHeaderRow& r = GetParam();
  ::mkdir((m_dir / "tools").c_str(), 0755);
  ::mkdir((m_dir / "tools/INC").c_str(), 0755);
  ::mkdir((m_dir / "tools/INC/Philips").c_str(), 0755);
  ::mkdir((m_dir / "project").c_str(), 0755);
  ::mkdir((m_dir / "project/inc").c_str(), 0755);
  if (*r.placedIn) std::ofstream(m_dir / r.placedIn) << "#define REG 1\r\n";
  m_ctx.includeContext = [this](IncludeContext* c) {
    c->toolsetRoot = m_dir / "tools/";
    c->projectFolder = m_dir / "project/";
    c->includeSub1 = "Philips\\";
    c->toolset = 3;
    c->includeFolders = {"lib", "inc"};
    return true;
  };
  m_ctx.openStored = [](const std::string& stored, std::string* local) {
    *local = stored;
    std::replace(local->begin(), local->end(), '\\', '/');
    struct stat st {};
    return ::stat(local->c_str(), &st) == 0;
  };
  m_ctx.registerHeader = [] { return std::string("LPC213x.h"); };
  m_path = m_dir / "project/main.c";
  EditorView& v = Open("int x;\r\n");
  QMenu menu;
  v.BuildContextMenu(menu);
  std::map<std::string, bool> items;
  for (QAction* a : menu.actions())
    if (!a->isSeparator()) items[a->text().toStdString()] = a->isEnabled();
  const std::string offer = "Insert '#include <LPC213x.h>'";
  const std::string greyed = offer + " (not on the target's include paths)";
  if (r.offered) {
    EXPECT_TRUE(items.count(offer) && items[offer]);
    EXPECT_FALSE(items.count(greyed));
  } else {
    EXPECT_FALSE(items.count(offer));
    ASSERT_TRUE(items.count(greyed));
    EXPECT_FALSE(items[greyed]);
  }
  EXPECT_EQ(r.offered, v.IsViewCommandEnabled(kCmdInsertInclude));
  v.RunViewCommand(kCmdInsertInclude);
  EXPECT_EQ(r.offered ? "#include <LPC213x.h>\r\nint x;\r\n" : "int x;\r\n", Text());
}

const RegisterHeaderRow kRegisterHeaderRows[] = {
    {"InTheProjectFolder", "project/LPC213x.h", true},
    {"InTheToolsetsIncFolder", "tools/INC/LPC213x.h", true},
    {"InTheDevicesFolder", "tools/INC/Philips/LPC213x.h", true},
    {"InATargetIncludeFolder", "project/inc/LPC213x.h", true},
    {"Nowhere", "", false},
    {"OnlyInAFolderNoSearchNames", "tools/LPC213x.h", false},
};
INSTANTIATE_TEST_SUITE_P(Rows, RegisterHeader, ::testing::ValuesIn(kRegisterHeaderRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IdeTest, SplitPanesKeepInStep) {
  std::string wide;
  for (int i = 1; i <= 100; ++i) wide += std::string(200, 'a' + char(i % 26)) + "\r\n";
  EditorView& first = Open(wide, 600, 500);
  first.Engine().OnHScroll(4, 40);
  m_panes->Split(2, 1);
  EditorView* below = m_panes->View(1, 0);
  ASSERT_NE(nullptr, below);
  EXPECT_EQ(40, below->Engine().State().nLeftCol) << "a new pane below takes the column";

  m_panes->Split(2, 2);
  EditorView* right = m_panes->View(0, 1);
  ASSERT_NE(nullptr, right);
  first.Engine().SetTopLine(30);
  first.Engine().OnVScroll(1, 0);
  EXPECT_EQ(31, right->Engine().State().nTopLine) << "the pane beside follows the top line";
  EXPECT_NE(31, below->Engine().State().nTopLine);
  first.Engine().OnHScroll(4, 10);
  EXPECT_EQ(10, below->Engine().State().nLeftCol) << "the pane below follows the column";
  EXPECT_EQ(0, right->Engine().State().nLeftCol) << "another column keeps its own";

  // An edit in one pane shows in the other; deleted lines are repaired.
  right->Engine().GotoLine(95, 0);
  m_panes->SetActive(&first);
  first.Engine().GotoLine(90, 0);
  for (int i = 0; i < 8; ++i) first.RunViewCommand(kCmdCutLine);
  EXPECT_EQ(92, m_doc->Text().GetLineCount());
  EXPECT_LE(right->Engine().State().nCaretLine, 92);
  EXPECT_EQ(right->Engine().State().pCaretLine, m_doc->Text().GetLine(right->Engine().State().nCaretLine));
  m_panes->Split(1, 1);
  EXPECT_EQ(nullptr, m_panes->View(1, 0));
}

// Panes closed, or all destroyed, while the one that leads is another:
// the splitters give the room of a going pane to the others, and the
// leader's resize syncs the panes. A pane on its way out must no longer be
// among them. (A fault here shows under the sanitizers' run: a call into a
// half-destroyed view.)
TEST_F(IdeTest, PanesThatGoAreNotSyncedWhileTheOthersResize) {
  std::string wide;
  for (int i = 1; i <= 100; ++i) wide += std::string(200, 'a' + char(i % 26)) + "\r\n";
  struct Row {
    const char* name;
    int row, column;  // the pane that leads
    int rows, columns;  // what is left after the close
  };
  const Row rows[] = {
      {"the top-left leads, the right column closes", 0, 0, 2, 1},
      {"the top-right leads, the bottom row closes", 0, 1, 1, 2},
      {"the bottom-left leads, the right column closes", 1, 0, 2, 1},
      {"the bottom-right leads, all destroyed", 1, 1, 2, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Open(wide, 600, 500);
    m_panes->Split(2, 2);
    QApplication::processEvents();
    EditorView* leader = m_panes->View(r.row, r.column);
    m_panes->SetActive(leader);
    leader->Engine().SetTopLine(30);
    leader->Engine().OnHScroll(4, 20);
    m_panes->Split(r.rows, r.columns);
    QApplication::processEvents();
    for (int row = 0; row < 2; ++row)
      for (int column = 0; column < 2; ++column)
        EXPECT_EQ(row < r.rows && column < r.columns, m_panes->View(row, column) != nullptr);
    EXPECT_EQ(size_t(r.rows * r.columns), m_doc->Views().size());
    // The leader, where it stays, keeps leading its row through the resize.
    if (EditorView* kept = m_panes->View(r.row, r.column); kept && r.columns == 2) {
      kept->Engine().OnVScroll(1, 0);
      EXPECT_EQ(kept->Engine().State().nTopLine, m_panes->View(r.row, 1 - r.column)->Engine().State().nTopLine);
    }
    m_panes.reset();
    EXPECT_TRUE(m_doc->Views().empty());
  }
}

TEST_F(IdeTest, ReloadKeepsTheViewsLines) {
  EditorView& v = Open(Lines(200));
  v.RestoreViewPosition(50, 60, 0);
  std::ofstream(m_path, std::ios::binary) << Lines(210);
  struct timeval tv[2] = {{5000000, 0}, {5000000, 0}};
  ::utimes(m_path.c_str(), tv);
  m_state |= kAppReloadWithoutAsking;
  EXPECT_EQ(1, m_doc->CheckModifiedOnDisk());
  EXPECT_EQ(210, m_doc->Text().GetLineCount());
  EXPECT_EQ(50, v.Engine().State().nTopLine);
  EXPECT_EQ(60, v.Engine().State().nCaretLine);
}

TEST_F(IdeTest, FindDialogFindsReplacesAndKeepsItsHistory) {
  for (int i = 1; i <= 11; ++i)
    m_store.WriteProfileString(kFindSection, ("Find " + std::to_string(i)).c_str(), ("old" + std::to_string(i)).c_str());
  m_store.WriteProfileString(kFindSection, "Replace 1", kEmptyReplaceMark);
  m_store.WriteProfileString(kFindSection, "Replace 2", "was");
  EditorView& v = Open("alpha beta\r\nbeta gamma\r\nalpha\r\n");
  v.Engine().GotoLine(1, 7);
  v.RunViewCommand(kCmdEditReplace);
  EditFindDialog* d = v.FindDialog();
  ASSERT_NE(nullptr, d);
  EXPECT_TRUE(v.IsFindDialogOpen());
  EXPECT_EQ(10, d->FindCombo()->count()) << "an eleventh entry is never read";
  EXPECT_EQ("beta", d->FindCombo()->currentText().toStdString()) << "the word at the caret";
  EXPECT_EQ("", d->ReplaceCombo()->currentText().toStdString()) << "the empty mark";
  EXPECT_EQ("was", d->ReplaceCombo()->itemText(1).toStdString());

  d->ReplaceCombo()->setCurrentText("B");
  d->ReplaceAll();
  EXPECT_EQ("alpha B\r\nB gamma\r\nalpha\r\n", Text());
  v.RunViewCommand(kCmdEditUndo);
  EXPECT_EQ("alpha beta\r\nbeta gamma\r\nalpha\r\n", Text()) << "replace all is one undo step";
  EXPECT_EQ("beta", m_store.GetProfileString(kFindSection, "Find 1", ""));
  EXPECT_EQ("B", m_store.GetProfileString(kFindSection, "Replace 1", ""));
  EXPECT_EQ(kEmptyReplaceMark, m_store.GetProfileString(kFindSection, "Replace 2", ""));

  d->FindCombo()->setCurrentText("alpha");
  d->MarkAll();
  EXPECT_FALSE(v.IsFindDialogOpen());
  EXPECT_TRUE(m_doc->Text().GetLine(1)->m_nFlags & kLineBookmark);
  EXPECT_FALSE(m_doc->Text().GetLine(2)->m_nFlags & kLineBookmark);
  EXPECT_TRUE(m_doc->Text().GetLine(3)->m_nFlags & kLineBookmark);

  v.RunViewCommand(kCmdEditFind);
  d = v.FindDialog();
  ASSERT_FALSE(d->IsReplace());
  d->FindCombo()->setCurrentText("gamma");
  d->FindNext();
  EXPECT_EQ("gamma", v.Engine().GetSelectedText(nullptr));
  QTest::keyClick(d, Qt::Key_Escape);
  EXPECT_FALSE(v.IsFindDialogOpen());
}

// Mark All with an invalid regular expression says why and where, as Find
// does, marks nothing and keeps the dialog for the user to mend it.
TEST_F(IdeTest, MarkAllWithAnInvalidExpressionSaysWhyAndKeepsTheDialog) {
  EditorView& v = Open("Serial(Init);\r\nSerial\r\n");
  std::vector<std::string> told;
  QObject::connect(&v, &EditView::message, [&](int, const QString& text) { told.push_back(text.toStdString()); });
  v.RunViewCommand(kCmdEditFind);
  EditFindDialog* d = v.FindDialog();
  ASSERT_NE(nullptr, d);
  QPushButton* mark = nullptr;
  for (QPushButton* b : d->findChildren<QPushButton*>())
    if (b->text() == "&Mark All") mark = b;
  ASSERT_NE(nullptr, mark);
  d->FindCombo()->setCurrentText("Serial(Init");
  d->RegexBox()->setChecked(true);
  QTest::mouseClick(mark, Qt::LeftButton);
  EXPECT_TRUE(v.IsFindDialogOpen());
  EXPECT_EQ(told, (std::vector<std::string>{"The regular expression 'Serial(Init' is no valid regular expression: "
                                            "a '(' without its ')' (at column 7)."}));
  EXPECT_FALSE(m_doc->Text().GetLine(1)->m_nFlags & kLineBookmark);
  EXPECT_FALSE(m_doc->Text().GetLine(2)->m_nFlags & kLineBookmark);
  // Mended, it marks the line and the dialog goes.
  d->FindCombo()->setCurrentText("Serial\\(Init");
  QTest::mouseClick(mark, Qt::LeftButton);
  EXPECT_FALSE(v.IsFindDialogOpen());
  EXPECT_EQ(told.size(), 1u);
  EXPECT_TRUE(m_doc->Text().GetLine(1)->m_nFlags & kLineBookmark);
  EXPECT_FALSE(m_doc->Text().GetLine(2)->m_nFlags & kLineBookmark);
}

// A field of the Replace dialog typed into while its history holds an
// entry that extends the typed text in another case: the field keeps what
// was typed, and that is what is searched.
struct TypedFieldRow {
  const char* name;
  bool replaceField;
  const char* history;  // the newest entry of the field's history
  const char* typed;
  Qt::Key after;        // pressed after the text (none: Qt::Key_unknown)
};

class TypedField : public IdeTest, public ::testing::WithParamInterface<TypedFieldRow> {};

TEST_P(TypedField, KeepsTheTypedTextAgainstItsHistory) {
  const TypedFieldRow& r = GetParam();
  m_store.WriteProfileString(kFindSection, "Find 1", r.replaceField ? "Serial" : r.history);
  m_store.WriteProfileString(kFindSection, "Replace 1", r.replaceField ? r.history : "x");
  EditorView& v = Open("Serial_Init();\r\nSerial(1);\r\npad = 0;\r\n");
  v.RunViewCommand(kCmdEditReplace);
  EditFindDialog* d = v.FindDialog();
  ASSERT_NE(nullptr, d);
  QComboBox* field = r.replaceField ? d->ReplaceCombo() : d->FindCombo();
  ASSERT_NE(nullptr, field->lineEdit());
  field->lineEdit()->clear();
  // Tabbed into (the field's completer, if any, works from its focus on).
  QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(field->lineEdit(), &in);
  QTest::keyClicks(field->lineEdit(), r.typed);
  if (r.after != Qt::Key_unknown) QTest::keyClick(field->lineEdit(), r.after);
  EXPECT_EQ(r.typed, field->currentText().toStdString());
  EXPECT_EQ(r.history, field->itemText(0).toStdString()) << "the history stays in the list";
  if (!r.replaceField) {
    d->FindNext();
    EXPECT_EQ(r.typed, v.Engine().GetSelectedText(nullptr));
    EXPECT_EQ(r.typed, m_store.GetProfileString(kFindSection, "Find 1", ""));
  }
}

const TypedFieldRow kTypedFieldRows[] = {
    {"FindWhat", false, "Serial_Init", "Serial", Qt::Key_unknown},
    {"ReplaceWithThenTab", true, "padding", "PAD", Qt::Key_Tab},
};
INSTANTIATE_TEST_SUITE_P(Rows, TypedField, ::testing::ValuesIn(kTypedFieldRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IdeTest, PrintsToPdfWithHeaderAndFooter) {
  m_store.WriteProfileString(kPageSetupSection, "Header", "&f printed %Y");
  EditorView& v = Open(Lines(300));
  PrintJob job = MakePrintJob(v, &m_store, false);
  EXPECT_EQ("&f printed %Y", job.setup.header);
  std::string pdf = m_dir / "out.pdf";
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdf));
  int pages = PrintEditorText(printer, job);
  EXPECT_GE(pages, 2);
  std::ifstream f(pdf, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_GT(bytes.size(), 2000u);
  EXPECT_EQ(0u, bytes.rfind("%PDF", 0));
  // One /Type /Page object per printed page.
  size_t count = 0;
  for (size_t at = bytes.find("/Type /Page\n"); at != std::string::npos; at = bytes.find("/Type /Page\n", at + 1)) ++count;
  if (count) { EXPECT_EQ(size_t(pages), count); }

  // A selection prints only its lines.
  v.Engine().SetSelection({m_doc->Text().GetLine(10), 0}, {m_doc->Text().GetLine(12), 2}, false);
  PrintJob part = MakePrintJob(v, &m_store, true);
  EXPECT_EQ(10, part.firstLine);
  EXPECT_EQ(12, part.lastLine);
  QPrinter second(QPrinter::HighResolution);
  second.setOutputFormat(QPrinter::PdfFormat);
  second.setOutputFileName(QString::fromStdString(m_dir / "part.pdf"));
  EXPECT_EQ(1, PrintEditorText(second, part));
}

TEST_F(IdeTest, ADropHoveringAtTheBottomScrollsAfterADelay) {
  EditorView& v = Open(Lines(200));
  QMimeData data;
  data.setText("x");
  QPoint bottom(100, v.viewport()->height() - 3);
  QDragEnterEvent enter(bottom, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(v.viewport(), &enter);
  QDragMoveEvent move(bottom, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(v.viewport(), &move);
  EXPECT_EQ(1, v.Engine().State().nTopLine) << "the first step waits";
  // Waits for the steps, bounded only to catch a timer that never fires.
  QElapsedTimer bound;
  bound.start();
  while (v.Engine().State().nTopLine <= 2 && bound.elapsed() < 60000) QTest::qWait(10);
  int top = v.Engine().State().nTopLine;
  EXPECT_GT(top, 2) << "steps follow while the point rests there";
  QDragLeaveEvent leave;
  QApplication::sendEvent(v.viewport(), &leave);
  EXPECT_FALSE(v.DropScrolling()) << "leaving stops the scrolling";
  QCoreApplication::processEvents();
  EXPECT_EQ(top, v.Engine().State().nTopLine) << "leaving stops the scrolling";
}

TEST_F(IdeTest, PageSetupDialogEditsTheTemplatesAndTimes) {
  PageSetupDialog dialog(PageSetup{"&f %c", "Page: &p", 0, 1});
  dialog.HeaderEdit()->setText("&f");
  auto radios = dialog.findChildren<QRadioButton*>();
  ASSERT_EQ(4u, size_t(radios.size()));
  radios[1]->setChecked(true);  // the header's system time
  radios[2]->setChecked(true);  // the footer's file time
  EXPECT_EQ((PageSetup{"&f", "Page: &p", 1, 0}), dialog.Result());
}

TEST_F(IdeTest, EscapeInTheControlClosesItsDialog) {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* control = new EditControl(&dialog);
  layout->addWidget(control);
  dialog.show();
  control->setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(dialog.isVisible());
  QTest::keyClick(control, Qt::Key_Tab);
  EXPECT_EQ("\t", control->Text().GetText()) << "Tab stays in the control";
  QTest::keyClick(control, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {
// The caret pane follows every command that moves the caret, also those
// that tell no other window.
struct CaretPaneRow {
  const char* name;
  std::vector<int> setup;  // commands run first
  int command;
  const char* want;
};

class CaretPane : public IdeTest, public ::testing::WithParamInterface<CaretPaneRow> {};

TEST_P(CaretPane, FollowsTheCommand) {
  const CaretPaneRow& r = GetParam();
  EditorView& v = Open("alpha\r\n\tbeta key\r\ngamma\r\nkey delta\r\n");
  m_store.WriteProfileString(kFindSection, "Find 1", "key");
  v.Engine().GotoLine(1, 0);
  for (int c : r.setup) v.RunViewCommand(c);
  v.RunViewCommand(r.command);
  ASSERT_FALSE(m_status.caret.empty());
  EXPECT_EQ(r.want, m_status.caret.back());
}

const CaretPaneRow kCaretPaneRows[] = {
    {"NextBookmark", {kCmdDown, kCmdDown, kCmdToggleBookmark, kCmdTop}, kCmdNextBookmark, "L:3 C:1"},
    {"PreviousBookmark", {kCmdDown, kCmdToggleBookmark, kCmdBottom}, kCmdPrevBookmark, "L:2 C:1"},
    {"FindNextRepeatsTheStoredSearch", {}, kCmdFindNext, "L:2 C:13"},
    {"BackTab", {kCmdDown, kCmdEnd}, kCmdBackTab, "L:2 C:9"},
};
INSTANTIATE_TEST_SUITE_P(Rows, CaretPane, ::testing::ValuesIn(kCaretPaneRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A mouse click moves the caret without a command; the pane follows at once,
// before any key or later event.
struct ClickPaneRow {
  const char* name;
  Qt::KeyboardModifiers mods;
  int row, column;  // where the click lands; column -1 is the margin
  const char* want;
};

class ClickPane : public IdeTest, public ::testing::WithParamInterface<ClickPaneRow> {};

TEST_P(ClickPane, FollowsTheClick) {
  const ClickPaneRow& r = GetParam();
  EditorView& v = Open(Lines(6));
  v.Engine().GotoLine(1, 1);
  const EditState& s = v.Engine().State();
  int x = r.column < 0 ? 1 : s.nLeftMargin + r.column * s.nCharWidth + 1;
  int y = r.row * s.nLineHeight + s.nLineHeight / 2;
  QTest::mouseClick(v.viewport(), Qt::LeftButton, r.mods, QPoint(x, y));
  ASSERT_FALSE(m_status.caret.empty());
  EXPECT_EQ(r.want, m_status.caret.back());
}

const ClickPaneRow kClickPaneRows[] = {
    {"PlainClick", Qt::NoModifier, 2, 3, "L:3 C:4"},
    {"ShiftClickExtends", Qt::ShiftModifier, 3, 2, "L:4 C:3"},
    {"MarginClickSelectsTheLine", Qt::NoModifier, 1, -1, "L:3 C:1"},
};
INSTANTIATE_TEST_SUITE_P(Rows, ClickPane, ::testing::ValuesIn(kClickPaneRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IdeTest, OverwritePaneFollowsTheInsertKey) {
  EditorView& v = Open(Lines(3));
  v.UpdateStatus();
  EXPECT_EQ("", m_status.overwrite);
  QTest::keyClick(&v, Qt::Key_Insert);
  EXPECT_EQ("OVR", m_status.overwrite);
  QTest::keyClick(&v, Qt::Key_Insert);
  EXPECT_EQ("", m_status.overwrite);
}

// Undo back to the text as saved clears the modified flag (the title's
// star) even when the log holds older steps; redo away sets it again.
TEST_F(IdeTest, UndoBackToTheSavedTextIsNotModified) {
  EditorView& v = Open("ab\r\n");
  int titles = 0;
  QObject::connect(&v, &EditorView::titleChanged, [&] { ++titles; });
  v.Engine().GotoLine(1, 2);
  QTest::keyClicks(&v, "x");
  ASSERT_TRUE(m_doc->OnSaveDocument(m_path));
  EXPECT_FALSE(m_doc->Text().IsModified());
  QTest::keyClick(&v, Qt::Key_Return);
  QTest::keyClicks(&v, "y");
  EXPECT_TRUE(m_doc->Text().IsModified());
  QTest::keyClick(&v, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(&v, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ("abx\r\n", Text());
  EXPECT_FALSE(m_doc->Text().IsModified());
  QTest::keyClick(&v, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(m_doc->Text().IsModified()) << "before the save";
  QTest::keyClick(&v, Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_FALSE(m_doc->Text().IsModified());
  EXPECT_GT(titles, 0);
}

// A program restarted with the profile of the last one: F3 repeats its
// newest search with its options; a programmatic search becomes entry 1.
TEST_F(IdeTest, FindNextAfterARestartRepeatsTheNewestSearch) {
  m_store.WriteProfileString(kFindSection, "Find 1", "Key");
  m_store.WriteProfileString(kFindSection, "Find 2", "older");
  m_store.WriteProfileInt(kFindSection, "Match case", 1);
  EditorView& v = Open("key\r\nKey\r\n");
  EXPECT_TRUE(v.IsViewCommandEnabled(kCmdFindNext));
  QTest::keyClick(&v, Qt::Key_F3);
  EXPECT_EQ(2, v.Engine().State().nCaretLine) << "match case from the profile";
  EXPECT_EQ("Key", v.Engine().GetSelectedText(nullptr));
  EXPECT_TRUE(v.Engine().FindText("key", false));
  EXPECT_EQ("key", m_store.GetProfileString(kFindSection, "Find 1", ""));
  EXPECT_EQ("older", m_store.GetProfileString(kFindSection, "Find 2", "")) << "entry 1 overwritten, not pushed";
  EXPECT_EQ(0, m_store.GetProfileInt(kFindSection, "Match case", 1));
}

TEST_F(IdeTest, FindNextIsDisabledWithoutAStoredSearch) {
  EditorView& v = Open("key\r\n");
  EXPECT_FALSE(v.IsViewCommandEnabled(kCmdFindNext));
}

// Ctrl+F, or Find Next with nothing to repeat, while the Replace dialog
// is open brings that dialog forward instead of replacing it.
struct OpenDialogRow {
  const char* name;
  int command;
};

class OpenDialog : public IdeTest, public ::testing::WithParamInterface<OpenDialogRow> {};

TEST_P(OpenDialog, BringsTheReplaceDialogForward) {
  EditorView& v = Open("abc\r\n");
  v.RunViewCommand(kCmdEditReplace);
  EditFindDialog* d = v.FindDialog();
  ASSERT_NE(nullptr, d);
  v.RunViewCommand(GetParam().command);
  EXPECT_EQ(d, v.FindDialog());
  v.Engine().FindNext();  // nothing stored to repeat
  EXPECT_EQ(d, v.FindDialog());
  EXPECT_TRUE(v.IsFindDialogOpen());
  EXPECT_TRUE(d->IsReplace());
}

const OpenDialogRow kOpenDialogRows[] = {{"Find", kCmdEditFind}};
INSTANTIATE_TEST_SUITE_P(Rows, OpenDialog, ::testing::ValuesIn(kOpenDialogRows),
                         [](const auto& info) { return std::string(info.param.name); });

// F3 in the text while a dialog is open: the Find dialog is brought
// forward and nothing is searched; beside the Replace dialog the key
// repeats the stored search.
struct F3BesideDialogRow {
  const char* name;
  int command;
  bool searches;
};

class F3BesideDialog : public IdeTest, public ::testing::WithParamInterface<F3BesideDialogRow> {};

TEST_P(F3BesideDialog, SearchesOnlyBesideTheReplaceDialog) {
  m_store.WriteProfileString(kFindSection, "Find 1", "needle");
  EditorView& v = Open("hay\r\nneedle\r\n");
  v.RunViewCommand(GetParam().command);
  EditFindDialog* d = v.FindDialog();
  ASSERT_NE(nullptr, d);
  QTest::keyClick(&v, Qt::Key_F3);
  EXPECT_EQ(GetParam().searches, v.Engine().HasSelection());
  EXPECT_EQ(GetParam().searches ? 2 : 1, v.Engine().State().nCaretLine);
  EXPECT_EQ(d, v.FindDialog());
  EXPECT_TRUE(v.IsFindDialogOpen());
}

const F3BesideDialogRow kF3BesideDialogRows[] = {
    {"FindDialogIsBroughtForward", kCmdEditFind, false},
    {"ReplaceDialogLetsTheKeySearch", kCmdEditReplace, true},
};
INSTANTIATE_TEST_SUITE_P(Rows, F3BesideDialog, ::testing::ValuesIn(kF3BesideDialogRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The Replace dialog: a wrapped search that finds nothing leaves nothing to
// replace; a pass replaced to its end closes the dialog.
struct ReplaceDialogRow {
  const char* name;
  bool matchCase;
};

class ReplaceDialog : public IdeTest, public ::testing::WithParamInterface<ReplaceDialogRow> {};

TEST_P(ReplaceDialog, ButtonsAndTheEndOfThePass) {
  EditorView& v = Open("LED_Init();\r\nled_init();\r\n");
  v.RunViewCommand(kCmdEditReplace);
  EditFindDialog* d = v.FindDialog();
  ASSERT_NE(nullptr, d);
  d->MatchCaseBox()->setChecked(GetParam().matchCase);
  d->RegexBox()->setChecked(true);
  d->WrapBox()->setChecked(true);
  d->FindCombo()->setCurrentText("nowhere");
  d->FindNext();
  EXPECT_FALSE(d->ReplaceButton()->isEnabled());
  EXPECT_FALSE(d->ReplaceAllButton()->isEnabled());
  d->FindCombo()->setCurrentText(GetParam().matchCase ? "([A-Z]+)_Init" : "([a-z]+)_init");
  d->ReplaceCombo()->setCurrentText("\\1_Start");
  d->FindNext();
  EXPECT_TRUE(d->ReplaceButton()->isEnabled());
  d->ReplaceOne();
  if (GetParam().matchCase) {
    EXPECT_EQ("LED_Start();\r\nled_init();\r\n", Text());
  } else {
    d->ReplaceOne();  // the second line's match
    EXPECT_EQ("LED_Start();\r\nled_Start();\r\n", Text());
  }
  EXPECT_FALSE(v.IsFindDialogOpen()) << "the pass is finished";
}

// A search's pass ends with its dialog: opened again, Find Next goes on to
// the next match, where the pass of the searches before (wrapped round)
// took it for the end of a pass and closed the dialog with nothing found.
TEST_F(IdeTest, TheFindDialogClosedEndsThePassOfItsSearches) {
  EditorView& v = Open("key a\r\nkey b\r\nkey c\r\n");
  v.Engine().GotoLine(2, 0);
  v.RunViewCommand(kCmdEditFind);
  EditFindDialog* d = v.FindDialog();
  ASSERT_NE(nullptr, d);
  d->WrapBox()->setChecked(true);
  d->FindCombo()->setCurrentText("key");
  for (int line : {2, 3, 1}) {
    d->FindNext();
    ASSERT_TRUE(v.IsFindDialogOpen());
    EXPECT_EQ(line, v.Engine().State().nCaretLine);
  }
  QTest::keyClick(d, Qt::Key_Escape);
  ASSERT_FALSE(v.IsFindDialogOpen());
  v.RunViewCommand(kCmdEditFind);
  d = v.FindDialog();
  ASSERT_TRUE(v.IsFindDialogOpen());
  d->FindCombo()->setCurrentText("key");
  d->FindNext();
  EXPECT_TRUE(v.IsFindDialogOpen()) << "a new search's first Find Next ended a pass";
  EXPECT_EQ("key", v.Engine().GetSelectedText(nullptr));
  EXPECT_EQ(2, v.Engine().State().nCaretLine);
}

const ReplaceDialogRow kReplaceDialogRows[] = {{"MatchCaseOn", true}, {"MatchCaseOff", false}};
INSTANTIATE_TEST_SUITE_P(Rows, ReplaceDialog, ::testing::ValuesIn(kReplaceDialogRows),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {
// A Save As that changes the file's type gives the views its settings.
TEST_F(IdeTest, SaveAsTakesTheNewTypesSettings) {
  EditorTypeSettings types{};
  types[kFtRecDefault].flags = 4;
  types[kFtRecQP166].flags = 7;
  DocumentEnvironment env;
  env.text.pSettings = &m_store;
  env.appState = &m_state;
  env.typeSettings = &types;
  m_doc = std::make_unique<EditorDocument>(env);
  m_path = m_dir / "notes.txt";
  EditorView& v = Open("\tx\r\n");
  EXPECT_EQ(4, v.Text().GetTabSize());
  ASSERT_TRUE(m_doc->OnSaveDocument(m_dir / "main.cpp"));
  EXPECT_EQ("Editor\\QP166", v.Text().GetProfileSection());
  EXPECT_EQ(7, v.Text().GetTabSize());
}
}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {
// The context menu of a C file offers the target's linker code listing and
// shows the menu's line of that file's section there.
TEST_F(IdeTest, OpenLinkerCodFileShowsTheMenusLine) {
  std::vector<std::tuple<std::string, int, std::string>> shown;
  std::string toolsetRoot = "/prj/tools/";
  m_ctx.includeContext = [&](IncludeContext* inc) {
    inc->toolset = 0;
    inc->toolsetRoot = toolsetRoot;
    return true;
  };
  m_ctx.linkerCodPath = [] { return std::string("/prj/blinky.cod"); };
  m_ctx.showListingLine = [&](const std::string& path, int n, const std::string& name) {
    shown.emplace_back(path, n, name);
    return true;
  };
  EditorView& v = Open(Lines(5));
  v.Engine().GotoLine(4, 0);
  QMenu menu;
  v.BuildContextMenu(menu);
  QAction* cod = nullptr;
  for (QAction* a : menu.actions())
    if (a->text() == "Open Linker COD File") cod = a;
  ASSERT_NE(nullptr, cod);
  cod->trigger();
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ(std::make_tuple(std::string("/prj/blinky.cod"), 4, std::string("'main.c'")), shown[0]);

  m_ctx.linkerCodPath = [] { return std::string(); };
  QMenu without;
  v.BuildContextMenu(without);
  for (QAction* a : without.actions()) EXPECT_NE("Open Linker COD File", a->text().toStdString());

  // Without the toolset's folder the menu holds the engine's entries only.
  m_ctx.linkerCodPath = [] { return std::string("/prj/blinky.cod"); };
  toolsetRoot.clear();
  QMenu engineOnly, engine;
  v.BuildContextMenu(engineOnly);
  v.EditView::BuildContextMenu(engine);
  EXPECT_EQ(engineOnly.actions().size(), engine.actions().size());
}
}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {
// The debugger's side of the margin as the frame gives it, recording what
// the editor asked of it: the lines whose stored breakpoint or enabled
// state it turned over, and the watch rows it added. `session` stands for
// a session's record while it is set.
class RecordingDebugLink : public EditorDebugLink {
 public:
  DebugInterface* SessionRecord() override { return session; }
  uint32_t ShownPosition() override { return 0; }
  // By the file's name, as the project's files are found.
  bool InProject(const std::string& path) override {
    return !projectFiles || projectFiles->count(path.substr(path.find_last_of('/') + 1)) != 0;
  }
  bool DebugInfoOn() override { return true; }
  void ApplyStored(CEditLine*, const std::string& fileName) override { applied.push_back(fileName); }
  // Marked as the project's stored breakpoints mark their lines.
  void ToggleStored(CEditLine* line, const std::string&) override {
    toggled.push_back(line);
    line->m_nFlags ^= kLineBreakSet;
  }
  bool ToggleStoredEnable(CEditLine* line, const std::string&) override {
    enabled.push_back(line);
    return true;
  }
  void SettleStored(const CEditLine*, const std::string& fileName) override { settled.push_back(fileName); }
  void ClearShownPosition() override {}
  void BreakpointsChanged() override {}
  void ShowDisassemblyAt(uint32_t) override {}
  void SetProgramCounter(uint32_t) override {}
  void RunToAddress(uint32_t) override {}
  void ClearCoverage() override {}
  bool AddToWatch(int page, const std::string& expression) override {
    watched.emplace_back(page, expression);
    return true;
  }
  DebugInterface* session = nullptr;
  const std::set<std::string>* projectFiles = nullptr;  // null: every file is the project's
  std::vector<CEditLine*> toggled, enabled;
  std::vector<std::string> applied, settled;  // the files whose stored breakpoints were asked for
  std::vector<std::pair<int, std::string>> watched;
};

// Outside a session, Insert/Remove Breakpoint and Enable/Disable
// Breakpoint act on the caret's line, whichever line it is.
struct CaretBreakpointRow {
  const char* name;
  int line;
};
class CaretBreakpoint : public IdeTest, public ::testing::WithParamInterface<CaretBreakpointRow> {};
TEST_P(CaretBreakpoint, TheCaretsLineIsTheOneTurnedOver) {
  RecordingDebugLink link;
  m_ctx.debug = &link;
  EditorView& v = Open(Lines(6));
  v.Engine().GotoLine(GetParam().line, 0);
  ASSERT_TRUE(v.RunViewCommand(kCmdToggleBreakpoint));
  ASSERT_TRUE(v.RunViewCommand(kCmdEnableBreakpoint));
  CEditLine* caret = m_doc->Text().GetLine(GetParam().line);
  EXPECT_EQ(link.toggled, std::vector<CEditLine*>{caret});
  EXPECT_EQ(link.enabled, std::vector<CEditLine*>{caret});
  m_ctx.debug = nullptr;
}
const CaretBreakpointRow kCaretBreakpointRows[] = {{"FirstLine", 1}, {"MiddleLine", 3}, {"LastLine", 6}};
INSTANTIATE_TEST_SUITE_P(Rows, CaretBreakpoint, ::testing::ValuesIn(kCaretBreakpointRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A file of the project saved under a name the project does not have
// (Save As into another folder) is none of its files any more: Insert/Remove
// and Enable/Disable Breakpoint are not offered there and change nothing,
// and the breakpoints stored for the file it was read from keep their lines
// (that file still holds the text they were set in). Saved under a name of
// the project, the margin takes that file's stored breakpoints; a file taken
// out of the project loses the commands at once.
TEST_F(IdeTest, ASaveUnderANameOutsideTheProjectTakesTheBreakpointCommandsAway) {
  std::set<std::string> project = {"main.c", "led.c"};
  RecordingDebugLink link;
  link.projectFiles = &project;
  m_ctx.debug = &link;
  EditorView& v = Open(Lines(6));
  v.Engine().GotoLine(3, 0);
  ASSERT_TRUE(v.IsViewCommandEnabled(kCmdToggleBreakpoint));
  ASSERT_TRUE(v.RunViewCommand(kCmdToggleBreakpoint));
  ASSERT_TRUE(v.IsViewCommandEnabled(kCmdEnableBreakpoint));
  link.toggled.clear();
  link.settled.clear();

  const std::string outside = m_dir / "elsewhere";
  ASSERT_EQ(::mkdir(outside.c_str(), 0755), 0);
  ASSERT_TRUE(m_doc->OnSaveDocument(outside + "/copy.c"));
  EXPECT_FALSE(v.IsViewCommandEnabled(kCmdToggleBreakpoint));
  EXPECT_FALSE(v.IsViewCommandEnabled(kCmdEnableBreakpoint));
  v.RunViewCommand(kCmdToggleBreakpoint);
  v.RunViewCommand(kCmdEnableBreakpoint);
  EXPECT_TRUE(link.toggled.empty());
  EXPECT_TRUE(link.enabled.empty());
  EXPECT_EQ(std::count(link.settled.begin(), link.settled.end(), "main.c"), 0);

  link.applied.clear();
  ASSERT_TRUE(m_doc->OnSaveDocument(m_dir / "led.c"));
  EXPECT_EQ(link.applied, std::vector<std::string>{"led.c"});
  EXPECT_TRUE(v.IsViewCommandEnabled(kCmdToggleBreakpoint));

  project.erase("led.c");
  EXPECT_FALSE(v.IsViewCommandEnabled(kCmdToggleBreakpoint));
  v.RunViewCommand(kCmdToggleBreakpoint);
  EXPECT_TRUE(link.toggled.empty());
  m_ctx.debug = nullptr;
}

// In a session the menu's "Add "<word>" to Watch Window...>#n" adds the
// word the menu named to page n, as it is spelt.
struct MenuWatchRow {
  const char* name;
  const char* item;
  int page;
};
class MenuWatch : public IdeTest, public ::testing::WithParamInterface<MenuWatchRow> {};
TEST_P(MenuWatch, TheWordTheMenuNamedIsAdded) {
  RecordingDebugLink link;
  m_ctx.debug = &link;
  m_ctx.includeContext = [](IncludeContext* inc) {
    inc->toolset = 0;
    inc->toolsetRoot = "/prj/tools/";
    return true;
  };
  EditorView& v = Open("int counter;\r\n");
  v.Engine().GotoLine(1, 6);
  DebugInterface record{};
  link.session = &record;
  QMenu menu;
  v.BuildContextMenu(menu);
  QAction* chosen = nullptr;
  for (QAction* a : menu.actions())
    if (a->menu() && a->text() == "Add \"counter\" to Watch Window...")
      for (QAction* page : a->menu()->actions())
        if (page->text() == GetParam().item) chosen = page;
  ASSERT_NE(nullptr, chosen);
  chosen->trigger();
  link.session = nullptr;
  EXPECT_EQ(link.watched, (std::vector<std::pair<int, std::string>>{{GetParam().page, "counter"}}));
  m_ctx.debug = nullptr;
}
const MenuWatchRow kMenuWatchRows[] = {{"PageOne", "#&1", 1}, {"PageTwo", "#&2", 2}};
INSTANTIATE_TEST_SUITE_P(Rows, MenuWatch, ::testing::ValuesIn(kMenuWatchRows),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace
}  // namespace pm2
