// The output window on the offscreen platform, driven by QTest: lines
// arriving, clearing, the redraw switches, selection by mouse and keys,
// Copy, the jump to a message's source, scrolling and fonts.

#include <gtest/gtest.h>

#include <cmath>

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "builder/runner/build_log.h"
#include "shell/output/find_dialog.h"
#include "shell/output/out_edv.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "shell/output/output_test_support.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/tab_windows.h"

namespace pm2 {
namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

class OutWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    win = std::make_unique<COutWin>(&log, shell);
    win->SetJumpListener(&jump);
    win->resize(500, 200);
    win->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
  }
  COutView* Build() { return win->BuildPane(); }
  QScrollBar* VBar() { return win->TabWnd()->GetScrollBar(1, Build()); }
  QScrollBar* HBar() { return win->TabWnd()->GetScrollBar(0, Build()); }
  void AddLines(int n, const char* prefix = "line") {
    for (int i = 0; i < n; ++i) win->OutputText((std::string(prefix) + " " + std::to_string(i) + "\r\n").c_str());
  }
  // Lines arriving one by one set the bars once the event loop turns.
  void Settle() { QApplication::processEvents(); }
  QPoint LineCenter(int index) {
    return QPoint(40, Build()->Model().LineRect(index).top + Build()->Model().Metrics().lineHeight / 2);
  }
  void Click(int index, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(Build(), Qt::LeftButton, mods, LineCenter(index));
  }

  BuildLog log;
  FakeShell shell;
  FakeJump jump;
  std::unique_ptr<COutWin> win;
};

TEST_F(OutWinTest, PagesAreBuildCommandAndFindInFilesWithTheBuildPageActive) {
  ASSERT_EQ(win->TabWnd()->GetTabCount(), 3);
  EXPECT_EQ(win->TabWnd()->PaneOf(0), Build());
  EXPECT_EQ(win->TabWnd()->PaneOf(1), win->CommandPage());
  EXPECT_EQ(win->TabWnd()->PaneOf(2), win->FindPane());
  EXPECT_EQ(win->ActivePage(), COutWin::kBuildPage);
  EXPECT_TRUE(Build()->isVisible());
  EXPECT_FALSE(win->EditPane()->isVisible());
  EXPECT_EQ(Build()->Kind(), PaneKind::kBuild);
  EXPECT_EQ(win->FindPane()->Kind(), PaneKind::kFindInFiles);
}

TEST_F(OutWinTest, AppendedLinesLoseTheirLineEndAndKeepTheEndInView) {
  AddLines(50);
  win->OutputText("");      // empty lines are not shown
  win->OutputText("\r\n");
  EXPECT_TRUE(Build()->BarsPending());
  Settle();
  EXPECT_FALSE(Build()->BarsPending());
  const OutputListModel& m = Build()->Model();
  ASSERT_EQ(m.Count(), 50);
  EXPECT_EQ(m.Lines()[49], "line 49");
  EXPECT_EQ(m.TopIndex(), 50 - m.VisibleLines());
  EXPECT_EQ(VBar()->maximum(), 50 - m.VisibleLines());
  EXPECT_EQ(VBar()->value(), VBar()->maximum());
  EXPECT_EQ(VBar()->pageStep(), m.VisibleLines());
  EXPECT_GT(m.VisibleLines(), 3);
}

TEST_F(OutWinTest, ANullLineClearsThePaneAndItsBars) {
  AddLines(50);
  win->OutputText(std::string(300, 'w').c_str());
  Settle();
  Click(50);
  ASSERT_GT(HBar()->maximum(), 0);
  win->ClearBuildPage();
  EXPECT_EQ(Build()->Model().Count(), 0);
  EXPECT_EQ(Build()->Model().SelectedCount(), 0);
  EXPECT_EQ(VBar()->maximum(), 0);
  EXPECT_EQ(HBar()->maximum(), 0);
  EXPECT_EQ(HBar()->value(), 0);
  // The longest line is forgotten too: a short line after the clear gives
  // no horizontal range.
  win->OutputText("short");
  Settle();
  EXPECT_EQ(HBar()->maximum(), 0);
}

TEST_F(OutWinTest, RedrawOffHoldsPaintsAndBarsUntilRedrawOn) {
  PaintCounter counter;
  Build()->installEventFilter(&counter);
  QApplication::processEvents();
  counter.paints = 0;
  win->OutputText("\xFF");
  EXPECT_FALSE(Build()->IsRedrawOn());
  AddLines(40);
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 0);
  EXPECT_EQ(VBar()->maximum(), 0);  // not yet told
  EXPECT_EQ(Build()->Model().Count(), 40);
  win->OutputText("\xFE");
  EXPECT_TRUE(Build()->IsRedrawOn());
  EXPECT_EQ(VBar()->maximum(), 40 - Build()->Model().VisibleLines());
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 1);
  // The switch texts are not lines.
  EXPECT_EQ(Build()->Model().Lines().front(), "line 0");
}

// Lines one at a time set the bars once a turn of the event loop; the user
// sees the same lines, bars and pixels as when the runner brackets them.
TEST_F(OutWinTest, LinesOneByOneShowAsLinesBracketedByTheRunner) {
  COutWin bracketed(nullptr, shell);
  bracketed.resize(win->size());
  bracketed.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&bracketed));
  bracketed.OutputText("\xFF");
  for (int i = 0; i < 300; ++i) {
    const std::string line = (i == 150 ? "a wide line " + std::string(200, 'w') : "line " + std::to_string(i)) + "\r\n";
    win->OutputText(line.c_str());
    bracketed.OutputText(line.c_str());
  }
  bracketed.OutputText("\xFE");
  Settle();
  QScrollBar* otherV = bracketed.TabWnd()->GetScrollBar(1, bracketed.BuildPane());
  QScrollBar* otherH = bracketed.TabWnd()->GetScrollBar(0, bracketed.BuildPane());
  ASSERT_EQ(Build()->Model().Count(), 300);
  EXPECT_EQ(Build()->Model().Lines(), bracketed.BuildPane()->Model().Lines());
  EXPECT_EQ(VBar()->maximum(), otherV->maximum());
  EXPECT_EQ(VBar()->value(), otherV->value());
  EXPECT_EQ(VBar()->value(), 300 - Build()->Model().VisibleLines());
  EXPECT_EQ(HBar()->maximum(), otherH->maximum());
  EXPECT_EQ(Build()->grab().toImage(), bracketed.BuildPane()->grab().toImage());
}

// A bar moved before the queued sync scrolls the pane and takes the ranges
// of every line that has arrived.
TEST_F(OutWinTest, ABarMovedBeforeTheSyncKeepsTheUsersPlace) {
  AddLines(40);
  Settle();
  AddLines(60, "more");
  ASSERT_TRUE(Build()->BarsPending());
  VBar()->setValue(5);
  EXPECT_FALSE(Build()->BarsPending());
  EXPECT_EQ(Build()->Model().TopIndex(), 5);
  EXPECT_EQ(VBar()->maximum(), 100 - Build()->Model().VisibleLines());
  EXPECT_EQ(VBar()->value(), 5);
  Settle();
  EXPECT_EQ(VBar()->value(), 5);
}

TEST_F(OutWinTest, ClearingTurnsAForgottenRedrawOffBackOn) {
  win->OutputText("\xFF");
  AddLines(3);
  win->ClearBuildPage();
  EXPECT_TRUE(Build()->IsRedrawOn());
  AddLines(40);
  Settle();
  EXPECT_EQ(VBar()->maximum(), 40 - Build()->Model().VisibleLines());
}

TEST_F(OutWinTest, ALineIsCutAt1024CharactersAndWidensTheHorizontalRange) {
  const std::string long_line = "main.c(1): warning: " + std::string(3000, 'x');
  win->OutputText(long_line.c_str());
  Settle();
  const OutputListModel& m = Build()->Model();
  ASSERT_EQ(m.Count(), 1);
  EXPECT_EQ(m.Lines()[0], long_line.substr(0, 1024));
  EXPECT_EQ(m.Longest(), 1024u);
  const int cw = QFontMetrics(COutView::DefaultFont()).averageCharWidth();
  const double exact = QFontMetricsF(COutView::DefaultFont()).averageCharWidth();
  EXPECT_EQ(HBar()->maximum(), int(std::ceil(1024 * exact)) + 2 * OutputListModel::kTextMargin - Build()->width());
  EXPECT_EQ(HBar()->singleStep(), cw);
  EXPECT_EQ(HBar()->pageStep(), 5 * cw);
}

TEST_F(OutWinTest, TheHorizontalBarScrollsThePaneAndItsPixels) {
  win->OutputText(("START" + std::string(200, '.') + "END").c_str());
  Settle();
  QImage before = Build()->grab().toImage();
  HBar()->setValue(HBar()->maximum());
  EXPECT_EQ(Build()->Model().HorzPos(), HBar()->maximum());
  QImage after = Build()->grab().toImage();
  EXPECT_NE(before, after);
  // Back to the start by the arrow key, a character at a time.
  Build()->setFocus();
  const int pos = Build()->Model().HorzPos();
  QTest::keyClick(Build(), Qt::Key_Left);
  EXPECT_EQ(Build()->Model().HorzPos(), pos - Build()->Model().Metrics().charWidth);
  EXPECT_EQ(HBar()->value(), Build()->Model().HorzPos());
  HBar()->setValue(0);
  EXPECT_EQ(Build()->grab().toImage(), before);
}

TEST_F(OutWinTest, ShiftAndCtrlClicksSelectLines) {
  AddLines(8);
  Build()->Model().SetTopIndex(0);
  Click(1);
  Click(3, Qt::ShiftModifier);
  EXPECT_EQ(Build()->Model().Selection(), (std::vector<int>{1, 2, 3}));
  Click(2, Qt::ControlModifier);
  Click(5, Qt::ControlModifier);
  EXPECT_EQ(Build()->Model().Selection(), (std::vector<int>{1, 3, 5}));
  QTest::keyClick(Build(), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(Build()->Model().Selection(), (std::vector<int>{5, 6}));
  QTest::keyClick(Build(), Qt::Key_Up);
  EXPECT_EQ(Build()->Model().Selection(), (std::vector<int>{5}));
}

TEST_F(OutWinTest, DraggingSelectsFromThePressAndPaintsTheSelection) {
  AddLines(8);
  Build()->Model().SetTopIndex(0);
  QTest::mousePress(Build(), Qt::LeftButton, {}, LineCenter(1));
  QTest::mouseMove(Build(), LineCenter(3));
  QTest::mouseRelease(Build(), Qt::LeftButton, {}, LineCenter(3));
  EXPECT_EQ(Build()->Model().Selection(), (std::vector<int>{1, 2, 3}));
  // Selected lines on the highlight colour, the others on the window's;
  // the right end of a row holds no text.
  const QImage image = Build()->grab().toImage();
  const int x = Build()->width() - 3;
  EXPECT_EQ(image.pixelColor(x, LineCenter(2).y()), SysQColor(SysColor::Highlight));
  EXPECT_EQ(image.pixelColor(x, LineCenter(5).y()), SysQColor(SysColor::Window));
}

TEST_F(OutWinTest, CopyPutsTheSelectedLinesOnTheClipboard) {
  AddLines(6);
  Build()->Model().SetTopIndex(0);
  QApplication::clipboard()->setText("before");
  // The context menu's Copy is greyed without a selection and does nothing.
  // The context menu's Copy entry: whether it is enabled; choosing it.
  auto copyEntry = [&](bool choose) {
    QMenu menu;
    win->AddContextMenuEntries(menu);
    for (QAction* a : menu.actions()) {
      if (a->text() != "&Copy") continue;
      if (choose) a->trigger();
      return a->isEnabled();
    }
    ADD_FAILURE() << "no Copy entry";
    return false;
  };
  EXPECT_FALSE(copyEntry(false));
  EXPECT_FALSE(win->OnCopy());
  EXPECT_EQ(QApplication::clipboard()->text(), "before");

  Click(4);
  Click(1, Qt::ControlModifier);
  Click(2, Qt::ControlModifier);
  EXPECT_TRUE(copyEntry(true));
  EXPECT_EQ(QApplication::clipboard()->text(), "line 1\nline 2\nline 4");
  // The command page has no lines to copy.
  win->SelectPage(COutWin::kCommandPage);
  EXPECT_FALSE(win->CanCopy());
  EXPECT_FALSE(win->CanFind());
}

TEST_F(OutWinTest, DoubleClickAndEnterOnAMessageLineReachTheListener) {
  win->OutputText("compiling main.c...");
  win->OutputText("main.c(12): error C1: syntax error");
  win->OutputText("main.c(30,7): warning: unused");
  Build()->Model().SetTopIndex(0);
  QTest::mouseDClick(Build(), Qt::LeftButton, {}, LineCenter(1));
  ASSERT_EQ(jump.opened.size(), 1u);
  EXPECT_EQ(jump.opened[0].file, "main.c");
  EXPECT_EQ(jump.opened[0].line, 12);

  Click(2);
  QTest::keyClick(Build(), Qt::Key_Return);
  ASSERT_EQ(jump.opened.size(), 2u);
  EXPECT_EQ(jump.opened[1].line, 30);
  EXPECT_EQ(jump.opened[1].column, 7);

  // F1 asks for the message's help topic when the key is released.
  Click(1);
  QTest::keyPress(Build(), Qt::Key_F1);
  EXPECT_TRUE(jump.topics.empty());
  QTest::keyRelease(Build(), Qt::Key_F1);
  EXPECT_EQ(jump.topics, (std::vector<std::string>{"C1"}));

  // A line without a source beeps and opens nothing.
  Click(0);
  QTest::keyClick(Build(), Qt::Key_Enter);
  EXPECT_EQ(shell.beeps, 1);
  EXPECT_EQ(jump.opened.size(), 2u);
}

TEST_F(OutWinTest, AFontChangeLaysThePaneOutAgain) {
  AddLines(60);
  win->OutputText(std::string(120, 'm').c_str());
  Settle();
  const int smallLines = Build()->Model().VisibleLines();
  const int smallMax = HBar()->maximum();
  QFont big("DejaVu Sans Mono");
  big.setPixelSize(24);
  win->ApplyFont(&big);
  const QFontMetrics fm(big);
  EXPECT_EQ(Build()->Model().Metrics().lineHeight, fm.height() + 1);
  EXPECT_LT(Build()->Model().VisibleLines(), smallLines);
  EXPECT_EQ(VBar()->pageStep(), Build()->Model().VisibleLines());
  EXPECT_EQ(VBar()->maximum(), 61 - Build()->Model().VisibleLines());
  EXPECT_GT(HBar()->maximum(), smallMax);
  win->ApplyFont(nullptr);
  EXPECT_EQ(Build()->Model().VisibleLines(), smallLines);
  EXPECT_EQ(HBar()->maximum(), smallMax);
}

TEST_F(OutWinTest, EachPageKeepsItsOwnBars) {
  AddLines(80);
  win->OutputText2("found.c(3): x");
  win->SelectPage(COutWin::kFindPage);
  QScrollBar* v = win->TabWnd()->GetScrollBar(1, win->FindPane());
  EXPECT_EQ(v->maximum(), 0);
  // Lines arriving on the hidden build page don't move the find page's bar.
  AddLines(20, "more");
  EXPECT_EQ(v->maximum(), 0);
  win->SelectPage(COutWin::kBuildPage);
  EXPECT_EQ(VBar()->maximum(), 100 - Build()->Model().VisibleLines());
  EXPECT_EQ(VBar()->value(), VBar()->maximum());
  VBar()->setValue(10);
  EXPECT_EQ(Build()->Model().TopIndex(), 10);
}

// The command page scrolls with its own bars: with it in front the shared
// pair is hidden and the page takes the window's width.
TEST_F(OutWinTest, TheCommandPageShowsNoSharedBars) {
  AddLines(80);
  win->SelectPage(COutWin::kCommandPage);
  Settle();
  EXPECT_EQ(win->TabWnd()->GetScrollBar(0, win->CommandPage()), nullptr);
  EXPECT_EQ(win->TabWnd()->GetScrollBar(1, win->CommandPage()), nullptr);
  for (QScrollBar* bar : win->TabWnd()->findChildren<QScrollBar*>(Qt::FindDirectChildrenOnly))
    EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(win->CommandPage()->width(), win->TabWnd()->width());
  win->SelectPage(COutWin::kBuildPage);
  EXPECT_TRUE(VBar()->isVisible());
}

TEST_F(OutWinTest, WheelScrollsALineOrAPageWithCtrl) {
  AddLines(80);
  const int top = Build()->Model().TopIndex();
  QWheelEvent wheel(QPointF(20, 20), QPointF(20, 20), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(Build(), &wheel);
  EXPECT_EQ(Build()->Model().TopIndex(), top - 1);
  QWheelEvent page(QPointF(20, 20), QPointF(20, 20), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(Build(), &page);
  EXPECT_EQ(Build()->Model().TopIndex(), top - 1 - Build()->Model().VisibleLines());
  EXPECT_EQ(VBar()->value(), Build()->Model().TopIndex());
}

TEST_F(OutWinTest, FindSelectsTheNextHitAndAsksBeforeWrapping) {
  AddLines(10);
  win->OutputText("LED.c(5): error: 'IOSET1' undeclared");
  win->OnFind();
  OutputFindDialog* dialog = win->FindDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->TextEdit()->text().isEmpty());
  EXPECT_FALSE(dialog->FindNextButton()->isEnabled());
  dialog->TextEdit()->setText("ioset1");
  QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
  EXPECT_EQ(Build()->Model().Selection(), (std::vector<int>{10}));
  // From the hit, the search runs off the end and asks; No ends it.
  shell.answer = kIdNo;
  QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
  EXPECT_EQ(shell.asked, (std::vector<std::string>{"String not found - Continue search from the top?"}));
  EXPECT_EQ(Build()->Model().Selection(), (std::vector<int>{10}));
  // Upwards, with match case, from the hit: "line 3" is found.
  dialog->TextEdit()->setText("line 3");
  dialog->UpButton()->setChecked(true);
  dialog->MatchCaseBox()->setChecked(true);
  QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
  EXPECT_EQ(Build()->Model().Selection(), (std::vector<int>{3}));
}

TEST_F(OutWinTest, OnlyTheBuildPageWritesTheLogAndItsEndClosesTheLog) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("Blinky.plg").toStdString();
  log.SetBuildLogFile(1, path, nullptr);
  ASSERT_TRUE(log.IsOpen());
  win->OutputText("compiling <main.c>...\r\n");
  win->OutputText2("find.c(1): only on the find page");
  win->OutputText("\xFF");
  win->OutputText("\xFE");
  win.reset();
  EXPECT_FALSE(log.IsOpen());
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().toStdString(), "compiling &lt;main.c&gt;...\r\n");
}

TEST_F(OutWinTest, EditPaneSwallowsTypingAndFollowsTheCaretLine) {
  COutEdv* edv = win->EditPane();
  edv->resize(300, 100);
  edv->show();
  edv->SetText("compiling main.c...\nmain.c(12): error: x\n");
  COedit* edit = edv->Edit();
  QTest::keyClicks(edit, "abc");
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edv->Text(), "compiling main.c...\nmain.c(12): error: x\n");
  QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Down);
  QTest::keyClick(edit, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(edit->textCursor().selectedText(), "main.c(12): error: x");
  const QRect second = edit->cursorRect();
  QTest::mouseDClick(edit->viewport(), Qt::LeftButton, {}, second.center());
  ASSERT_EQ(jump.opened.size(), 1u);
  EXPECT_EQ(jump.opened[0].line, 12);
  QTest::keyClick(edit, Qt::Key_Up);
  edv->JumpFromCaretLine();
  EXPECT_EQ(shell.beeps, 1);
}

}  // namespace
}  // namespace pm2
