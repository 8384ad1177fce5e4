// The editor widget on the offscreen platform, driven by QTest: typing,
// keyboard and mouse selection, the real clipboard, find, go to a line,
// scrolling and what lands on the screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <fstream>

#include "toolkit/qt_test_app.h"
#include "editor/text/editor_keys.h"
#include "editor/view/edit_view.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

using test::App;

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    std::ofstream(m_dir / "c.ini") << "[Keywords]\r\nint=1\r\nreturn=1\r\n[Colors]\r\n1=0,0,255\r\n";
    InitEditorProfiles(m_store);
    m_store.WriteProfileString("Editor\\C Files", "Keywords", (m_dir / "c.ini").c_str());
    m_edit = std::make_unique<EditControl>(nullptr, EditEnvironment{&m_store, &m_ini, nullptr, nullptr, {}});
    m_edit->SetLanguage("Editor\\C Files");
    m_edit->resize(500, 300);
    m_edit->show();
    QApplication::processEvents();
  }
  void Load(const std::string& text) {
    ASSERT_EQ(0, m_edit->Text().LoadFromBytes(text));
    m_edit->ResetView();
  }
  std::string Text() { return m_edit->Text().GetText(); }
  const EditState& S() { return m_edit->Engine().State(); }
  QWidget* Port() { return m_edit->viewport(); }
  QPoint Cell(int row, int col) {
    return {S().nLeftMargin + (col - S().nLeftCol) * S().nCharWidth + 1,
            row * S().nLineHeight + S().nLineHeight / 2};
  }
  void Key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(m_edit.get(), k, m); }
  std::string Lines(int n) {
    std::string t;
    for (int i = 1; i <= n; ++i) t += "line " + std::to_string(i) + "\r\n";
    return t;
  }

  TempDir m_dir;
  SettingsStore m_store{m_dir / "settings"};
  IniFiles m_ini;
  std::unique_ptr<EditControl> m_edit;
};

TEST_F(ViewTest, TypingEnterAndBackspace) {
  Load("");
  QTest::keyClicks(m_edit.get(), "int x;");
  Key(Qt::Key_Return);
  QTest::keyClicks(m_edit.get(), "yy");
  Key(Qt::Key_Backspace);
  EXPECT_EQ("int x;\r\ny", Text());
  EXPECT_EQ(2, S().nCaretLine);
  EXPECT_EQ(1, S().nCaretCol);
  EXPECT_TRUE(m_edit->IsModified());
}

TEST_F(ViewTest, ShiftArrowsHomeEndSelect) {
  Load("alpha beta\r\ngamma\r\n");
  Key(Qt::Key_End);
  EXPECT_EQ(10, S().nCaretCol);
  Key(Qt::Key_Left, Qt::ShiftModifier);
  Key(Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ("ta", m_edit->Engine().GetSelectedText(nullptr));
  Key(Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ("alpha beta", m_edit->Engine().GetSelectedText(nullptr));
  Key(Qt::Key_Down);
  EXPECT_FALSE(m_edit->Engine().HasSelection());
  EXPECT_EQ(2, S().nCaretLine);
}

TEST_F(ViewTest, PageDownAndUpMoveCaretAndScrollBar) {
  Load(Lines(200));
  int rows = m_edit->Engine().Rows();
  Key(Qt::Key_PageDown);
  EXPECT_EQ(1 + rows, S().nCaretLine);
  EXPECT_EQ(1 + rows, S().nTopLine);
  EXPECT_EQ(rows, m_edit->verticalScrollBar()->value());
  Key(Qt::Key_PageUp);
  EXPECT_EQ(1, S().nCaretLine);
  EXPECT_EQ(0, m_edit->verticalScrollBar()->value());
}

TEST_F(ViewTest, ScrollBarMovesTopLineNotCaret) {
  Load(Lines(200));
  m_edit->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(1 + m_edit->Engine().Rows(), S().nTopLine);
  EXPECT_EQ(1, S().nCaretLine);
  m_edit->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(m_edit->Engine().Rows(), S().nTopLine);
}

TEST_F(ViewTest, MouseDragSelects) {
  Load("alpha beta\r\ngamma delta\r\n");
  QTest::mousePress(Port(), Qt::LeftButton, Qt::NoModifier, Cell(0, 6));
  QTest::mouseMove(Port(), Cell(1, 5));
  QTest::mouseRelease(Port(), Qt::LeftButton, Qt::NoModifier, Cell(1, 5));
  EXPECT_EQ("beta\r\ngamma", m_edit->Engine().GetSelectedText(nullptr));
}

TEST_F(ViewTest, DoubleClickSelectsWord) {
  Load("x = my_var.field;\r\n");
  QTest::mouseDClick(Port(), Qt::LeftButton, Qt::NoModifier, Cell(0, 7));
  EXPECT_EQ("my_var", m_edit->Engine().GetSelectedText(nullptr));
}

TEST_F(ViewTest, ClipboardCutCopyPasteUndoRedo) {
  Load("one two three\r\n");
  QApplication::clipboard()->clear();
  Key(Qt::Key_Right, Qt::ControlModifier);
  Key(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QString("two "), QApplication::clipboard()->text());
  Key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ("one three\r\n", Text());
  Key(Qt::Key_End);
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ("one threetwo \r\n", Text());
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ("one three\r\n", Text());
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ("one two three\r\n", Text());
  Key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ("one three\r\n", Text());
}

// Another program's text with characters the 8-bit text can't hold: they
// are pasted as '?', and the view tells how many, once per paste.
TEST_F(ViewTest, PasteTellsWhatTheTextCouldNotHold) {
  Load("\r\n");
  std::vector<std::size_t> told;
  m_edit->SetPasteLossHandler([&told](std::size_t lost) { told.push_back(lost); });
  QApplication::clipboard()->setText(QString::fromUtf8("a\xE6\x97\xA5\xE6\x9C\xAC b\xE2\x82\xAC"));
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ("a?? b\x80\r\n", Text());
  EXPECT_EQ(told, (std::vector<std::size_t>{2}));
  QApplication::clipboard()->setText("plain");
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(told.size(), 1u);
  m_edit->SetPasteLossHandler({});
}

// The view draws each byte as the code page's character: 0x80 is the euro
// sign as it is stored, one character per byte so the columns stay.
TEST(EditPaintText, BytesAreTheCodePagesCharacters) {
  EXPECT_EQ(EditPaintText("\x80" "A\x81\xE9\x9C", 5), QString::fromUtf16(u"\u20AC" "A\u0081\u00E9\u0153"));
  EXPECT_EQ(EditPaintText("", 0), QString());
}

TEST_F(ViewTest, FindNextWithF3) {
  Load("a key\r\nb\r\nc key\r\n");
  ASSERT_TRUE(m_edit->Engine().FindText("key", true));
  EXPECT_EQ(1, S().nCaretLine);
  Key(Qt::Key_F3);
  EXPECT_EQ(3, S().nCaretLine);
  EXPECT_EQ("key", m_edit->Engine().GetSelectedText(nullptr));
}

TEST_F(ViewTest, GotoLineShowsCaretThere) {
  Load(Lines(500));
  m_edit->setFocus();
  m_edit->Engine().OnSetFocus();
  m_edit->GotoLine(300, 2);
  EXPECT_EQ(300, S().nCaretLine);
  int row = S().nCaretLine - S().nTopLine;
  EXPECT_GE(row, 0);
  EXPECT_LT(row, m_edit->Engine().Rows());
  EXPECT_EQ((S().nTopLine - 1), m_edit->verticalScrollBar()->value());
}

TEST_F(ViewTest, KeywordsArePaintedInTheKeywordColour) {
  Load("int x;\r\n");
  QImage image = Port()->grab().toImage();
  auto blueIn = [&](int col) {
    QPoint c = Cell(0, col);
    for (int dx = 0; dx < S().nCharWidth; ++dx)
      for (int dy = -S().nLineHeight / 2; dy < S().nLineHeight / 2; ++dy) {
        QColor px = image.pixelColor(c.x() + dx - 1, c.y() + dy);
        if (px.blue() > 150 && px.red() < 100 && px.green() < 100) return true;
      }
    return false;
  };
  EXPECT_TRUE(blueIn(1));   // "int"
  EXPECT_FALSE(blueIn(4));  // "x"
}

TEST_F(ViewTest, TabKeyIndentsInsteadOfMovingFocus) {
  Load("ab\r\n");
  Key(Qt::Key_Tab);
  EXPECT_EQ("\tab\r\n", Text());
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(0, S().nCaretCol);
}

}  // namespace
}  // namespace pm2
namespace pm2 {
namespace {
TEST_F(ViewTest, AltDragColumnBlockOverEmptyLine) {
  Load("#define A 1\r\n#define BB 2\r\n\r\nint x;\r\n");
  QTest::mousePress(Port(), Qt::LeftButton, Qt::AltModifier, Cell(0, 8));
  QTest::mouseMove(Port(), Cell(2, 12));
  QTest::mouseRelease(Port(), Qt::LeftButton, Qt::AltModifier, Cell(2, 12));
  bool column = false;
  EXPECT_EQ("A 1 \r\nBB 2\r\n    ", m_edit->Engine().GetSelectedText(&column));
  EXPECT_TRUE(column);
  EXPECT_EQ(3, S().nCaretLine);
  // The block is highlighted on the empty line too.
  QImage image = Port()->grab().toImage();
  QColor px = image.pixelColor(Cell(2, 10));
  EXPECT_LT(px.red(), 100) << px.name().toStdString();
}
}  // namespace
}  // namespace pm2
namespace pm2 {
namespace {
TEST_F(ViewTest, ContextMenuEntriesFollowTheEnableRules) {
  Load("abc\r\n");
  QApplication::clipboard()->setText("x");
  QMenu menu;
  ASSERT_TRUE(m_edit->BuildContextMenu(menu));
  std::map<QString, bool> enabled;
  for (QAction* a : menu.actions())
    if (!a->isSeparator()) enabled[a->text()] = a->isEnabled();
  EXPECT_FALSE(enabled["&Undo"]);
  EXPECT_FALSE(enabled["Cu&t"]);
  EXPECT_TRUE(enabled["&Paste"]);
  EXPECT_TRUE(enabled["Toggle &Bookmark"]);
  m_edit->Text().SetReadOnly(1);
  QMenu readOnly;
  m_edit->BuildContextMenu(readOnly);
  EXPECT_FALSE(readOnly.actions()[5]->isEnabled());  // Paste
}

// The cursor says what a click would do: the margin takes whole lines, a
// selection can be dragged, the text takes the caret.
struct CursorRow {
  const char* name;
  bool margin;  // in the margin, else on the cell (row, col)
  int row, col;
  const char* want;  // "margin", "arrow" or "ibeam"
};

class CursorShape : public ViewTest, public ::testing::WithParamInterface<CursorRow> {};

TEST_P(CursorShape, FollowsWhatAClickWouldDo) {
  const CursorRow& r = GetParam();
  Load("alpha beta\r\ngamma\r\n");
  m_edit->Engine().SetSelection({m_edit->Text().GetLine(1), 6}, {m_edit->Text().GetLine(1), 10}, false);
  const QPoint at = r.margin ? QPoint(1, Cell(r.row, 0).y()) : Cell(r.row, r.col);
  QMouseEvent move(QEvent::MouseMove, at, Port()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(Port(), &move);
  const QCursor c = Port()->cursor();
  const std::string want = r.want;
  if (want == "margin") {
    ASSERT_EQ(Qt::BitmapCursor, c.shape());
    EXPECT_FALSE(c.pixmap().isNull());
    EXPECT_EQ(QPoint(12, 0), c.hotSpot()) << "the tip of the arrow, at its top right";
  } else {
    EXPECT_EQ(want == "arrow" ? Qt::ArrowCursor : Qt::IBeamCursor, c.shape());
  }
}

const CursorRow kCursorRows[] = {
    {"MarginOfATextLine", true, 1, 0, "margin"},
    {"MarginOfASelectedLine", true, 0, 0, "margin"},
    {"MarginBelowTheText", true, 5, 0, "margin"},
    {"InTheSelection", false, 0, 7, "arrow"},
    {"TextBeforeTheSelection", false, 0, 2, "ibeam"},
    {"TextOfAnotherLine", false, 1, 2, "ibeam"},
};
INSTANTIATE_TEST_SUITE_P(Rows, CursorShape, ::testing::ValuesIn(kCursorRows),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace
}  // namespace pm2
namespace pm2 {
namespace {
// Whatever fonts the machine has: a proportional font asked for gives way
// to an installed fixed-pitch one, whose cells are the engine's.
TEST_F(ViewTest, VariablePitchFontIsUsedWithFixedPitch) {
  QString proportionalFamily, fixedFamily;
  for (const QString& family : QFontDatabase::families()) {
    bool fixed = IsFixedPitchFont(QFont(family));
    if (fixed && fixedFamily.isEmpty()) fixedFamily = family;
    if (!fixed && proportionalFamily.isEmpty()) proportionalFamily = family;
  }
  if (fixedFamily.isEmpty() || proportionalFamily.isEmpty())
    GTEST_SKIP() << "the machine needs one fixed-pitch and one proportional font";
  QFont proportional(proportionalFamily);
  proportional.setPointSize(11);
  ASSERT_FALSE(IsFixedPitchFont(proportional));
  m_edit->SetEditorFont(proportional);
  EXPECT_TRUE(IsFixedPitchFont(m_edit->EditorFont()));
  QFontMetrics fm(m_edit->EditorFont());
  EXPECT_EQ(S().nCharWidth, fm.horizontalAdvance(QString("i")));
  EXPECT_EQ(S().nCharWidth * 4, fm.horizontalAdvance(QString("iWmi")));
  EXPECT_EQ(S().nLeftMargin, S().nLineHeight);
}
}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {
// Bytes leave and come back unchanged between our windows; other programs
// get readable text, and their text arrives as its UTF-8 bytes.
struct EdgeRow {
  const char* name;
  std::string bytes;
  const char* othersSee;  // UTF-8
};

class TextEdge : public ViewTest, public ::testing::WithParamInterface<EdgeRow> {};

TEST_P(TextEdge, CopyAndPasteKeepTheBytes) {
  const EdgeRow& r = GetParam();
  Load(r.bytes + "\r\n");
  m_edit->Engine().RunCommand(kCmdSelectAll);
  m_edit->Engine().RunCommand(kCmdEditCopy);
  EXPECT_EQ(QString::fromUtf8(r.othersSee), QApplication::clipboard()->text());
  m_edit->Engine().RunCommand(kCmdBottom);
  m_edit->Engine().RunCommand(kCmdEditPaste);
  EXPECT_EQ(r.bytes + r.bytes + "\r\n", Text());
}

const EdgeRow kEdgeRows[] = {
    {"Latin1Bytes", "\xB5s \xE9t\xE9", "\xC2\xB5s \xC3\xA9t\xC3\xA9"},
    {"Windows1252Bytes", "\x80 \x93q\x94", "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"},
    {"Utf8Bytes", "\xE2\x82\xAC 5", "\xE2\x82\xAC 5"},
    {"Ascii", "plain", "plain"},
};
INSTANTIATE_TEST_SUITE_P(Rows, TextEdge, ::testing::ValuesIn(kEdgeRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Another program's text arrives as the editor's 8-bit text: characters
// of Windows-1252 as their byte, any other as '?'.
struct ForeignRow {
  const char* name;
  const char* utf8;
  std::string bytes;
};

class ForeignText : public ViewTest, public ::testing::WithParamInterface<ForeignRow> {};

TEST_P(ForeignText, PastedArrivesAsWindows1252) {
  Load("ab\r\n");
  QApplication::clipboard()->setText(QString::fromUtf8(GetParam().utf8));
  m_edit->Engine().SetCaret(m_edit->Text().FirstLine(), 1);
  m_edit->Engine().RunCommand(kCmdEditPaste);
  EXPECT_EQ("a" + GetParam().bytes + "b\r\n", Text());
}

const ForeignRow kForeignRows[] = {
    {"Umlauts", "Gr\xC3\xBC\xC3\x9F" "e", "Gr\xFC\xDF" "e"},
    {"EuroAndAccent", "\xE2\x82\xAC\xC3\xA9", "\x80\xE9"},
    {"OutsideTheCodePage", "\xE6\xBC\xA2\xF0\x9F\x98\x80", "??"},
};
INSTANTIATE_TEST_SUITE_P(Rows, ForeignText, ::testing::ValuesIn(kForeignRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ViewTest, DroppedTextFromAnotherProgramArrivesAsWindows1252) {
  Load("ab\r\n");
  QMimeData data;
  data.setText(QString::fromUtf8("\xE2\x82\xAC"));
  QPoint at = Cell(0, 1);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::ControlModifier);
  QApplication::sendEvent(Port(), &enter);
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::ControlModifier);
  QApplication::sendEvent(Port(), &drop);
  EXPECT_EQ("a\x80" "b\r\n", Text());
}
}  // namespace
}  // namespace pm2
